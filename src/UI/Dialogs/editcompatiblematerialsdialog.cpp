#include "UI/Dialogs/editcompatiblematerialsdialog.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace Ui {

namespace {

QListWidget *materialList(QWidget *parent, const char *name)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(QLatin1String(name));
    list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    return list;
}

void addMaterial(QListWidget *list, const Model::Materials::Material &material)
{
    auto *item = new QListWidgetItem(material.name(), list);
    item->setData(Qt::UserRole, material.id());
}

} // namespace

EditCompatibleMaterialsDialog::EditCompatibleMaterialsDialog(QWidget *parent)
    : QDialog(parent)
    , m_processes(Model::Process::ProcessFactory::instance()->getProcesses())
{
    setWindowTitle(QStringLiteral("Edit Compatible Materials"));
    setModal(true);

    auto *lblProcess = new QLabel(QStringLiteral("Process"), this);
    lblProcess->setObjectName(QStringLiteral("lblProcess"));
    m_cbxProcess = new QComboBox(this);
    m_cbxProcess->setObjectName(QStringLiteral("cbxProcess"));
    m_available = materialList(this, "listAvailableMaterials");
    m_compatible = materialList(this, "listCompatibleMaterials");
    auto *insert = new QPushButton(QStringLiteral(">>"), this);
    insert->setObjectName(QStringLiteral("btnInsert"));
    auto *remove = new QPushButton(QStringLiteral("<<"), this);
    remove->setObjectName(QStringLiteral("btnRemove"));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *arrows = new QVBoxLayout;
    arrows->addStretch();
    arrows->addWidget(insert);
    arrows->addWidget(remove);
    arrows->addStretch();
    auto *grid = new QGridLayout;
    grid->addWidget(lblProcess, 0, 0);
    grid->addWidget(m_cbxProcess, 0, 1, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Available Materials"), this), 1, 0);
    grid->addWidget(new QLabel(QStringLiteral("Compatible Materials"), this), 1, 2);
    grid->addWidget(m_available, 2, 0);
    grid->addLayout(arrows, 2, 1);
    grid->addWidget(m_compatible, 2, 2);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);

    QMetaObject::connectSlotsByName(this);

    // Filling the combo box selects the first process, which fills both lists.
    for (const auto &process : m_processes)
        m_cbxProcess->addItem(process.name(), process.id());
}

Model::Process::Process *EditCompatibleMaterialsDialog::currentProcess()
{
    if (m_cbxProcess->currentIndex() < 0)
        return nullptr;
    const uint32_t id = m_cbxProcess->currentData().toUInt();
    for (auto &process : m_processes) {
        if (process.id() == id)
            return &process;
    }
    return nullptr;
}

void EditCompatibleMaterialsDialog::refresh()
{
    const Model::Process::Process *process = currentProcess();
    if (!process)
        return;
    m_available->clear();
    m_compatible->clear();
    for (const auto &material : process->compatibleMaterials())
        addMaterial(m_compatible, material);
    const auto ids = process->compatibleMaterialIds();
    for (const auto &material : Model::Materials::MaterialFactory::instance()->getMaterials()) {
        if (!ids.contains(material.id()))
            addMaterial(m_available, material);
    }
}

void EditCompatibleMaterialsDialog::on_cbxProcess_currentIndexChanged(int) { refresh(); }

void EditCompatibleMaterialsDialog::on_btnInsert_clicked()
{
    if (Model::Process::Process *process = currentProcess()) {
        for (QListWidgetItem *item : m_available->selectedItems())
            process->addCompatibleMaterial(item->data(Qt::UserRole).toUInt());
    }
    m_available->clearSelection();
    m_compatible->clearSelection();
    refresh();
}

void EditCompatibleMaterialsDialog::on_btnRemove_clicked()
{
    if (Model::Process::Process *process = currentProcess()) {
        for (QListWidgetItem *item : m_compatible->selectedItems())
            process->removeCompatibleMaterial(item->data(Qt::UserRole).toUInt());
    }
    m_available->clearSelection();
    m_compatible->clearSelection();
    refresh();
}

QString EditCompatibleMaterialsDialog::storeProcesses(const QList<Model::Process::Process> &processes)
{
    auto catalogue = Model::Process::ProcessFactory::instance();
    for (const auto &process : processes)
        catalogue->setProcess(process);
    QString error;
    if (catalogue->saveProcesses(&error))
        return QString();
    return QStringLiteral("The process catalogue could not be saved to \"%1\": %2\nThe earlier file is unchanged; "
                          "the processes as they are now are used until Cellforge ends.")
        .arg(QDir::toNativeSeparators(Model::Process::ProcessFactory::filePath()), error);
}

} // namespace Ui
