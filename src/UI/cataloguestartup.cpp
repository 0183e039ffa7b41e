#include "UI/cataloguestartup.h"

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QMessageBox>
#include <QStringList>
#include <QTextStream>

namespace Ui {

QString reportCatalogueStartUp(QWidget *parent, QTextStream &err)
{
    QStringList reports;
    for (const QString &report : {Model::Materials::MaterialFactory::instance()->startUpReport(),
                                  Model::Process::ProcessFactory::instance()->startUpReport()}) {
        if (!report.isEmpty())
            reports << report;
    }
    if (reports.isEmpty())
        return QString();
    const QString text = reports.join(QStringLiteral("\n\n"));
    for (const QString &report : reports)
        err << "cellforge: " << report << "\n";
    err.flush();
    QMessageBox::warning(parent, QStringLiteral("Catalogue files"), text);
    return text;
}

} // namespace Ui
