#pragma once

#include <QString>

#include <memory>

class QDialog;
class QJsonObject;
class QWidget;

namespace Ui {
namespace Operations {

/// The values last accepted in each class of dialog, kept in a small JSON file so that the next
/// dialog of that class, in this run or a later one, opens with them. The input widgets are found
/// by object name: spin boxes, check boxes, radio buttons, line edits, and combo boxes by their
/// item data (a material's identifier) or, for lists without data, by the item's text. A value a
/// widget cannot take now (a material no longer offered, a number out of range) leaves the
/// widget's default.
class DialogMemory {
public:
    /// The name of the file in the user's Cellforge folder, beside the catalogues.
    static constexpr const char *fileBaseName = "dialogvalues.json";

    explicit DialogMemory(const QString &fileName);

    QString fileName() const { return m_fileName; }
    /// The name the dialog's values are kept under: its class's name, or for a class renamed since,
    /// the old name it gives as its "rememberedAs" class information, so that the values remembered
    /// before the rename are found again.
    static QString key(const QDialog *dialog);
    static constexpr const char *rememberedAs = "rememberedAs";
    /// Shows the values stored for the dialog's class in its widgets; returns how many were taken.
    int restore(QDialog *dialog) const;
    /// Stores the values the dialog shows under its class and writes the file whole. False with
    /// `error` when the file cannot be written or must not be replaced; the file then stays as it was.
    bool store(const QDialog *dialog, QString *error = nullptr) const;

    /// The memory of the program's dialogs; none (nothing is remembered) until one is installed.
    static DialogMemory *program();
    static void setProgram(std::unique_ptr<DialogMemory> memory);
    /// The one call of each dialog, at the end of its constructor: shows the values the program
    /// remembers for it, and remembers what it shows each time it is accepted (never on Cancel).
    static void keep(QDialog *dialog);
    /// Leaves a widget out of its dialog's memory.
    static void exclude(QWidget *widget);

private:
    /// False with `problem` when the file must be left as it is (unreadable, too large, or from a
    /// later version); a damaged file reads as empty, with `problem` saying so.
    bool read(QJsonObject &dialogs, QString *problem) const;

    QString m_fileName;
};

} // namespace Operations
} // namespace Ui
