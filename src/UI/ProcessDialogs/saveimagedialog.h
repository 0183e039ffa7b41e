#pragma once

#include "UI/ProcessDialogs/iprocessdialog.h"

#include <QFileDialog>
#include <QVariantMap>

namespace Ui {
namespace Operations {

/// The file chooser of a list's "Save Image" step, the one of the window's "Save Image". In an
/// images folder the step keeps the file's name there, and a file elsewhere is refused with a word
/// (the chooser then counts as canceled).
// No Q_OBJECT: it adds no signals or slots, and it is the window's file chooser, as its class name says.
class SaveImageDialog : public QFileDialog, public IProcessDialog {
public:
    explicit SaveImageDialog(QWidget *parent = nullptr);

    QDialog &dialog() override { return *this; }
    /// Takes "Filename": the file is chosen in the chooser.
    void setParameters(const QVariantMap &parameters) override;
    QVariantMap parameters() const override;
    /// Opens the chooser in the list's images folder.
    void setContext(const ProcessDialogContext &context) override;

protected:
    /// OK on a file outside the images folder warns and cancels, leaving the step as it was.
    void done(int result) override;

private:
    /// The name of the chosen file as the step keeps it; empty when the images folder refuses it.
    QString chosenName() const;

    QString m_imagesFolder;
    QString m_name;
};

} // namespace Operations
} // namespace Ui
