#include "UI/Dialogs/dialogmemory.h"

#include "Util/safefile.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDebug>
#include <QDialog>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLineEdit>
#include <QMetaClassInfo>
#include <QRadioButton>
#include <QSpinBox>

#include <cmath>

namespace Ui {
namespace Operations {

namespace {

constexpr int version = 1;
// The file holds a few numbers per dialog; anything near this size is not ours.
constexpr qint64 largestFile = 1 << 20;
const char *const excludedProperty = "cellforgeNotRemembered";

std::unique_ptr<DialogMemory> &programMemory()
{
    static std::unique_ptr<DialogMemory> memory;
    return memory;
}

// Widgets without a name of their own, parts of other widgets (a spin box's editor) and widgets
// left out on purpose are not remembered.
bool remembered(const QWidget *widget)
{
    const QString name = widget->objectName();
    if (name.isEmpty() || name.startsWith(QLatin1String("qt_")) || widget->property(excludedProperty).toBool())
        return false;
    const QWidget *parent = widget->parentWidget();
    return !qobject_cast<const QAbstractSpinBox *>(parent) && !qobject_cast<const QComboBox *>(parent);
}

// An item is known by its data (a material's identifier), or by its text when it has none.
QString itemKey(const QComboBox *box, int index)
{
    const QString data = box->itemData(index).toString();
    return data.isEmpty() ? box->itemText(index) : data;
}

QJsonObject valuesOf(const QDialog *dialog)
{
    QJsonObject values;
    for (const QWidget *widget : dialog->findChildren<QWidget *>()) {
        if (!remembered(widget))
            continue;
        const QString name = widget->objectName();
        if (auto *real = qobject_cast<const QDoubleSpinBox *>(widget))
            values.insert(name, real->value());
        else if (auto *whole = qobject_cast<const QSpinBox *>(widget))
            values.insert(name, whole->value());
        else if (auto *list = qobject_cast<const QComboBox *>(widget); list && list->currentIndex() >= 0)
            values.insert(name, itemKey(list, list->currentIndex()));
        else if (auto *check = qobject_cast<const QCheckBox *>(widget))
            values.insert(name, check->isChecked());
        else if (auto *radio = qobject_cast<const QRadioButton *>(widget))
            values.insert(name, radio->isChecked());
        else if (auto *edit = qobject_cast<const QLineEdit *>(widget))
            values.insert(name, edit->text());
    }
    return values;
}

// Sets the widget from the stored value when the widget can take it as it is now.
bool restoreWidget(QWidget *widget, const QJsonValue &value)
{
    if (auto *real = qobject_cast<QDoubleSpinBox *>(widget)) {
        const double v = value.toDouble(std::nan(""));
        if (!value.isDouble() || v < real->minimum() || v > real->maximum())
            return false;
        real->setValue(v);
    } else if (auto *whole = qobject_cast<QSpinBox *>(widget)) {
        const double v = value.toDouble(std::nan(""));
        if (!value.isDouble() || v != std::floor(v) || v < whole->minimum() || v > whole->maximum())
            return false;
        whole->setValue(int(v));
    } else if (auto *list = qobject_cast<QComboBox *>(widget)) {
        for (int i = 0; value.isString() && i < list->count(); ++i) {
            if (itemKey(list, i) == value.toString()) {
                list->setCurrentIndex(i);
                return true;
            }
        }
        return false;
    } else if (auto *check = qobject_cast<QCheckBox *>(widget)) {
        if (!value.isBool())
            return false;
        check->setChecked(value.toBool());
    } else if (auto *radio = qobject_cast<QRadioButton *>(widget)) {
        // The button that was chosen is chosen again; its group unchecks the others.
        if (!value.isBool() || !value.toBool())
            return false;
        radio->setChecked(true);
    } else if (auto *edit = qobject_cast<QLineEdit *>(widget)) {
        if (!value.isString())
            return false;
        edit->setText(value.toString());
    } else {
        return false;
    }
    return true;
}

} // namespace

DialogMemory::DialogMemory(const QString &fileName)
    : m_fileName(fileName)
{
}

bool DialogMemory::read(QJsonObject &dialogs, QString *problem) const
{
    dialogs = QJsonObject();
    QFile file(m_fileName);
    if (!file.exists())
        return true;
    if (file.size() > largestFile) {
        *problem = QStringLiteral("it is larger than %1 bytes").arg(largestFile);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *problem = file.errorString();
        return false;
    }
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(file.readAll(), &error);
    if (file.error() != QFileDevice::NoError) {
        *problem = file.errorString();
        return false;
    }
    if (!document.isObject()) {
        *problem = error.error == QJsonParseError::NoError
                       ? QStringLiteral("it holds no JSON object")
                       : QStringLiteral("it is damaged (%1)").arg(error.errorString());
        return true;
    }
    const QJsonObject root = document.object();
    const int fileVersion = root.value(QLatin1String("version")).toInt();
    if (fileVersion > version) {
        *problem = QStringLiteral("it was written by a later Cellforge (version %1)").arg(fileVersion);
        return false;
    }
    dialogs = root.value(QLatin1String("dialogs")).toObject();
    return true;
}

QString DialogMemory::key(const QDialog *dialog)
{
    const QMetaObject *meta = dialog->metaObject();
    const int info = meta->indexOfClassInfo(rememberedAs);
    // Only the dialog's own class counts: a dialog derived from a renamed one is a class of its own.
    if (info >= meta->classInfoOffset())
        return QString::fromLatin1(meta->classInfo(info).value());
    return QString::fromLatin1(meta->className());
}

int DialogMemory::restore(QDialog *dialog) const
{
    QJsonObject dialogs;
    QString problem;
    read(dialogs, &problem);
    if (!problem.isEmpty())
        qWarning().noquote() << QStringLiteral("The remembered dialog values in \"%1\" are not used: %2.")
                                    .arg(QDir::toNativeSeparators(m_fileName), problem);
    const QJsonObject values = dialogs.value(key(dialog)).toObject();
    int taken = 0;
    // In creation order: a volume's size is set before the offsets whose limits follow it.
    for (QWidget *widget : dialog->findChildren<QWidget *>()) {
        if (remembered(widget) && values.contains(widget->objectName()) &&
            restoreWidget(widget, values.value(widget->objectName())))
            ++taken;
    }
    return taken;
}

bool DialogMemory::store(const QDialog *dialog, QString *error) const
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = QStringLiteral("\"%1\": %2").arg(QDir::toNativeSeparators(m_fileName), reason);
        return false;
    };
    QJsonObject dialogs;
    QString problem;
    if (!read(dialogs, &problem))
        return fail(problem + QStringLiteral(", so it was left as it is."));
    dialogs.insert(key(dialog), valuesOf(dialog));
    QJsonObject root;
    root.insert(QLatin1String("version"), version);
    root.insert(QLatin1String("dialogs"), dialogs);
    const QByteArray contents = QJsonDocument(root).toJson();

    QDir().mkpath(QFileInfo(m_fileName).absolutePath());
    Util::SafeFile file(m_fileName);
    if (!file.open(QIODevice::WriteOnly))
        return fail(file.errorString());
    if (file.device()->write(contents) != contents.size())
        return fail(file.cancel(QStringLiteral("the file could not be written.")));
    if (!file.commit())
        return fail(file.errorString());
    return true;
}

DialogMemory *DialogMemory::program() { return programMemory().get(); }

void DialogMemory::setProgram(std::unique_ptr<DialogMemory> memory) { programMemory() = std::move(memory); }

void DialogMemory::keep(QDialog *dialog)
{
    if (const DialogMemory *memory = program())
        memory->restore(dialog);
    QObject::connect(dialog, &QDialog::accepted, dialog, [dialog] {
        const DialogMemory *memory = program();
        QString error;
        if (memory && !memory->store(dialog, &error))
            qWarning().noquote()
                << QStringLiteral("The values of \"%1\" are not remembered: %2").arg(dialog->windowTitle(), error);
    });
}

void DialogMemory::exclude(QWidget *widget) { widget->setProperty(excludedProperty, true); }

} // namespace Operations
} // namespace Ui
