#pragma once

#include <QDialog>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QToolButton;

namespace Ui {
namespace Operations {

/// "Export Data": which data field of the volume to write, and the CSV file to write it to. The
/// file name starts as "output.csv" in the folder last used (kept while the program runs).
class ExportDataDialog : public QDialog {
    Q_OBJECT
public:
    explicit ExportDataDialog(const QStringList &dataNames, QWidget *parent = nullptr);

    QString dataName() const;
    QString fileName() const;

    /// The folder the next dialog starts in.
    static QString lastFolder();
    static void setLastFolder(const QString &folder);

public slots:
    void accept() override;

private slots:
    void on_tbtBrowse_clicked();

private:
    QComboBox *cbxData;
    QLineEdit *lieFileName;
    QToolButton *tbtBrowse;
    QLabel *lblProblem;
};

} // namespace Operations
} // namespace Ui
