#include "Core/workspace.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/cataloguestartup.h"
#include "UI/documentcommands.h"
#include "UI/documentdialogs.h"
#include "UI/mainwindowpresenter.h"
#include "UI/materialconflictdialog.h"
#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QScreen>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>

#include <unistd.h>

namespace {

int terminationPipe[2] = {-1, -1};

void onTerminationSignal(int)
{
    // Only async-signal-safe work here: wake the event loop through the pipe.
    const char byte = 1;
    const ssize_t written = ::write(terminationPipe[1], &byte, 1);
    (void)written;
}

// Ctrl+C, kill and a closed terminal end the program like the window's close button does, so every
// workspace is destroyed and removes its temporary undo and redo files.
void closeWindowsOnTerminationSignals(QApplication &app)
{
    if (::pipe(terminationPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(terminationPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&app] {
        char byte = 0;
        const ssize_t received = ::read(terminationPipe[0], &byte, 1);
        (void)received;
        QApplication::closeAllWindows();
        // Windows opened later delete themselves when closed; let that happen before the loop ends.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        app.quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGHUP, &action, nullptr);
}

} // namespace

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

    // The catalogues are read (or written from the built-in tables) before any window exists; what
    // went wrong is shown once the window is up.
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
    // A sensible size for window managers (or a bare X server) that do not maximize.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.resize(screen->availableGeometry().size() * 0.85);
    window.showMaximized();
    QTextStream err(stderr);
    Ui::reportCatalogueStartUp(&window, err);
    closeWindowsOnTerminationSignals(app);
    // A document named on the command line opens in this first window, with File > Open's messages.
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty()) {
        Ui::DocumentDialogs dialogs(&window);
        Ui::loadDocumentIntoWindow(&window, window.presenter()->workspace(), files.first(),
                                   Ui::MaterialConflictDialog::resolver(&window), dialogs);
    }
    return app.exec();
}
