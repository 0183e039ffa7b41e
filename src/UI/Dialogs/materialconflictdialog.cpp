#include "UI/Dialogs/materialconflictdialog.h"

#include "Model/Materials/colorbytes.h"
#include "UI/Dialogs/materialitems.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPointer>
#include <QRadioButton>
#include <QVBoxLayout>

namespace Ui {

namespace {

QColor toColor(const std::array<float, 4> &c) { return Model::Materials::toQColor(c); }

QPixmap swatch(const std::array<float, 4> &color, int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(toColor(color));
    return pixmap;
}

QLabel *label(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(objectName);
    return l;
}

QRadioButton *radio(const QString &objectName, const QString &text, QWidget *parent)
{
    auto *r = new QRadioButton(text, parent);
    r->setObjectName(objectName);
    return r;
}

} // namespace

MaterialConflictDialog::MaterialConflictDialog(const Model::Materials::Material &existing,
                                               const Model::Materials::Material &loaded, QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Dialog"));
    setModal(true);

    auto *message = label(QStringLiteral("lblMessage"),
                          QStringLiteral("While loading the document, a material with the same identifier as an "
                                         "existing material was found, but the names are not the same. What would "
                                         "you like to do?"),
                          this);
    message->setWordWrap(true);

    auto *materials = new QGridLayout;
    materials->addWidget(label(QStringLiteral("lblLoadedMaterial"), QStringLiteral("Loaded Material"), this), 0, 0);
    materials->addWidget(label(QStringLiteral("lblExistingMaterial"), QStringLiteral("Existing Material"), this), 0, 1);
    materials->addWidget(label(QStringLiteral("lblLoadedMaterialName"), loaded.name(), this), 1, 0);
    materials->addWidget(label(QStringLiteral("lblExistingMaterialName"), existing.name(), this), 1, 1);
    auto *loadedColor = label(QStringLiteral("lblLoadedMaterialColor"), QString(), this);
    loadedColor->setPixmap(swatch(loaded.color(), 20));
    auto *existingColor = label(QStringLiteral("lblExistingMaterialColor"), QString(), this);
    existingColor->setPixmap(swatch(existing.color(), 20));
    materials->addWidget(loadedColor, 2, 0);
    materials->addWidget(existingColor, 2, 1);

    m_radReplaceLoadedByExisting = radio(QStringLiteral("radReplaceLoadedByExisting"),
                                         QStringLiteral("Replace loaded material by existing material."), this);
    m_radReplaceExistingByLoaded = radio(QStringLiteral("radReplaceExistingByLoaded"),
                                         QStringLiteral("Replace existing material by loaded material"), this);
    m_radReplaceLoadedByAnother = radio(QStringLiteral("radReplaceLoadedByAnother"),
                                        QStringLiteral("Replace loaded material by another existing material"), this);
    m_radAddLoadedAsNew =
        radio(QStringLiteral("radAddLoadedAsNew"), QStringLiteral("Add loaded material as a new material"), this);
    m_radReplaceLoadedByExisting->setChecked(true);

    m_cbxAlternateMaterial = new QComboBox(this);
    m_cbxAlternateMaterial->setObjectName(QStringLiteral("cbxAlternateMaterial"));
    Operations::addMaterialItems(m_cbxAlternateMaterial);
    m_cbxAlternateMaterial->setEnabled(false);
    connect(m_radReplaceLoadedByAnother, &QRadioButton::toggled, m_cbxAlternateMaterial, &QWidget::setEnabled);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(message);
    layout->addLayout(materials);
    layout->addWidget(m_radReplaceLoadedByExisting);
    layout->addWidget(m_radReplaceExistingByLoaded);
    layout->addWidget(m_radReplaceLoadedByAnother);
    layout->addWidget(m_radAddLoadedAsNew);
    layout->addWidget(label(QStringLiteral("lblReplacementMaterial"), QStringLiteral("Replacement Material"), this));
    layout->addWidget(m_cbxAlternateMaterial);
    layout->addWidget(buttons);
}

Model::Persistence::ConflictDecision MaterialConflictDialog::decision() const
{
    using Model::Persistence::ConflictChoice;
    Model::Persistence::ConflictDecision result;
    if (m_radReplaceExistingByLoaded->isChecked())
        result.choice = ConflictChoice::ReplaceExistingByLoaded;
    else if (m_radReplaceLoadedByAnother->isChecked())
        result.choice = ConflictChoice::ReplaceLoadedByAnother;
    else if (m_radAddLoadedAsNew->isChecked())
        result.choice = ConflictChoice::AddLoadedAsNew;
    else
        result.choice = ConflictChoice::ReplaceLoadedByExisting;
    result.alternateId = m_cbxAlternateMaterial->currentData().toUInt();
    return result;
}

std::optional<Model::Persistence::ConflictDecision>
MaterialConflictDialog::ask(const Model::Materials::Material &existing, const Model::Materials::Material &loaded,
                            QWidget *parent)
{
    MaterialConflictDialog dialog(existing, loaded, parent);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.decision();
}

Model::Persistence::ConflictResolver MaterialConflictDialog::resolver(QWidget *parent)
{
    QPointer<QWidget> guarded(parent);
    return [guarded](const Model::Materials::Material &existing, const Model::Materials::Material &loaded) {
        return ask(existing, loaded, guarded);
    };
}

} // namespace Ui
