#include "mainwindow.h"
#include "Core/workspace.h"
#include "UI/documentcommands.h"
#include "UI/documentdialogs.h"
#include "UI/mainwindowpresenter.h"
#include "UI/materialconflictdialog.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QPixmap>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellforge"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));

    // --help and --version print and end the program here, before any catalogue is touched.
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Cellforge simulates MEMS micro-fabrication process steps on a volume of cubic cells."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("file"), QStringLiteral("A Cellforge document (*.cfw) to open."),
                                 QStringLiteral("[file]"));
    parser.process(app);

    // The catalogues are read (or written from the built-in tables) before any window exists.
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();

    QIcon icon(QStringLiteral("icon.ico"));
    if (icon.isNull() || icon.availableSizes().isEmpty()) {
        QPixmap fallback(32, 32);
        fallback.fill(QColor(207, 8, 12));
        icon = QIcon(fallback);
    }
    QApplication::setWindowIcon(icon);

    // Destroyed before the application object, so that the workspace removes its temporary files
    // however the window was closed.
    MainWindow window;
    window.showMaximized();
    // A document named on the command line opens in this first window, with File > Open's messages.
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        Ui::DocumentDialogs dialogs(&window);
        Ui::loadDocumentIntoWindow(&window, window.presenter()->workspace(), files.first(),
                                   Ui::MaterialConflictDialog::resolver(&window), dialogs);
    }
    return app.exec();
}
