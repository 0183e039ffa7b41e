#include "UI/Dialogs/exportdatadialog.h"

#include "UI/Dialogs/materiallist.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

namespace Ui {
namespace Operations {

namespace {
QString &folder()
{
    static QString last = QDir::homePath();
    return last;
}
} // namespace

QString ExportDataDialog::lastFolder() { return folder(); }

void ExportDataDialog::setLastFolder(const QString &last) { folder() = last; }

ExportDataDialog::ExportDataDialog(const QStringList &dataNames, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("ExportDataDialog"));
    setWindowTitle(QStringLiteral("Export Data"));
    auto *form = new QFormLayout(this);
    cbxData = new QComboBox(this);
    cbxData->setObjectName(QStringLiteral("cbxData"));
    cbxData->addItems(dataNames);
    form->addRow(QStringLiteral("Data to Export"), cbxData);

    auto *row = new QHBoxLayout;
    lieFileName = new QLineEdit(this);
    lieFileName->setObjectName(QStringLiteral("lieFileName"));
    lieFileName->setText(QDir::toNativeSeparators(lastFolder() + QLatin1Char('/') + QStringLiteral("output.csv")));
    tbtBrowse = new QToolButton(this);
    tbtBrowse->setObjectName(QStringLiteral("tbtBrowse"));
    tbtBrowse->setText(QStringLiteral("..."));
    row->addWidget(lieFileName);
    row->addWidget(tbtBrowse);
    form->addRow(QStringLiteral("Output filename"), row);

    lblProblem = makeProblemLabel(this);
    form->addRow(lblProblem);
    addOkCancelButtons(this, form);
    QMetaObject::connectSlotsByName(this);
}

QString ExportDataDialog::dataName() const { return cbxData->currentText(); }

QString ExportDataDialog::fileName() const { return QDir::fromNativeSeparators(lieFileName->text().trimmed()); }

void ExportDataDialog::on_tbtBrowse_clicked()
{
    const QString chosen = QFileDialog::getSaveFileName(this, QStringLiteral("Choose Output File"), lastFolder(),
                                                        QStringLiteral("CSV File (*.csv)"));
    if (!chosen.isEmpty())
        lieFileName->setText(QDir::toNativeSeparators(chosen));
}

void ExportDataDialog::accept()
{
    if (fileName().isEmpty()) {
        lblProblem->setText(QStringLiteral("Enter the name of the file to write."));
        lblProblem->show();
        return;
    }
    setLastFolder(QFileInfo(fileName()).absolutePath());
    QDialog::accept();
}

} // namespace Operations
} // namespace Ui
