#include "Model/Materials/catalogfile.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "UI/Dialogs/dialogmemory.h"
#include "UI/applicationicon.h"
#include "UI/cataloguestartup.h"
#include "Util/debugoutput.h"
#include "mainwindow.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QEvent>
#include <QLoggingCategory>
#include <QScreen>
#include <QSocketNotifier>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

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

void describeApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Cellforge"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CELLFORGE_VERSION));
}

QCommandLineOption verboseOption()
{
    return QCommandLineOption(QStringLiteral("verbose"),
                              QStringLiteral("Print the developers' lines: each step's timings on standard output "
                                             "and debug messages on standard error (always in a debug build)."));
}

// Without --verbose (and in a release build) the timing lines and debug messages stay quiet.
// QT_LOGGING_RULES still turns debug messages on, for whoever needs them.
void setVerbosity(const QCommandLineParser &parser)
{
    if (parser.isSet(verboseOption()))
        Util::DebugOutput::setEnabled(true);
    if (!Util::DebugOutput::isEnabled())
        QLoggingCategory::setFilterRules(QStringLiteral("default.debug=false"));
}

void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Cellforge simulates MEMS micro-fabrication process steps on a volume of cubic cells."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(verboseOption());
    parser.addPositionalArgument(
        QStringLiteral("file"),
        QStringLiteral("A Cellforge document (*.cfw) to open, or a process list (*.plst) to open in the Batch Run "
                       "dialog."),
        QStringLiteral("[file]"));
}

// The options that only print a text.
bool onlyPrints(int argc, char *argv[])
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            break;
        if (argument == "-h" || argument == "-?" || argument == "--help" || argument == "--help-all" ||
            argument == "-v" || argument == "--version")
            return true;
    }
    return false;
}

// Why no window can be shown when that is plain before Qt is asked; empty otherwise. A platform
// chosen by the user (QT_QPA_PLATFORM or -platform) is left to Qt.
QString missingDisplay(int argc, char *argv[])
{
    if (!qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        return QString();
    for (int i = 1; i < argc; ++i) {
        if (qstrcmp(argv[i], "-platform") == 0)
            return QString();
    }
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return QStringLiteral("no display is set (DISPLAY and WAYLAND_DISPLAY are empty)");
    return QString();
}

int tellNoDisplay(const QString &reason)
{
    std::fprintf(stderr, "cellforge: cannot show a window: %s; start it on a desktop, or under xvfb-run.\n",
                 qPrintable(reason));
    std::fflush(stderr);
    return 1;
}

struct HeldMessage {
    QtMsgType type;
    QString text;
};
QList<HeldMessage> heldMessages;
QtMessageHandler previousHandler = nullptr;

// While the application object is made, the platform plugin's complaints are held back: when no
// display answers, Qt would print several lines and abort; one line and exit status 1 say it.
void startUpMessageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg) {
        const QByteArray display = qgetenv("DISPLAY");
        const QString reason =
            display.isEmpty()
                ? QStringLiteral("no display could be opened")
                : QStringLiteral("the display \"%1\" could not be opened").arg(QString::fromLocal8Bit(display));
        std::_Exit(tellNoDisplay(reason));
    }
    heldMessages.append({type, message});
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version print and end the program before the GUI application exists, so that
    // they work without a display and before any catalogue is touched.
    if (onlyPrints(argc, argv)) {
        QCoreApplication app(argc, argv);
        describeApplication();
        QCommandLineParser parser;
        describeOptions(parser);
        parser.process(app);
        return 0;
    }
    const QString noDisplay = missingDisplay(argc, argv);
    if (!noDisplay.isEmpty())
        return tellNoDisplay(noDisplay);

    previousHandler = qInstallMessageHandler(startUpMessageHandler);
    QApplication app(argc, argv);
    qInstallMessageHandler(previousHandler);
    for (const HeldMessage &held : std::as_const(heldMessages))
        qt_message_output(held.type, QMessageLogContext(), held.text);
    heldMessages.clear();
    describeApplication();
    QGuiApplication::setDesktopFileName(QStringLiteral("cellforge"));

    QCommandLineParser parser;
    describeOptions(parser);
    parser.process(app);
    setVerbosity(parser);

    // Beyond a file-size limit a write then fails (EFBIG) and the save says so, where the default
    // action would end the program and take the unsaved document with it.
    std::signal(SIGXFSZ, SIG_IGN);

    // The catalogues are read (or written from the built-in tables) before any window exists; what
    // went wrong is shown once the window is up.
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();
    // The process dialogs open with the values last accepted, also in an earlier run.
    Ui::Operations::DialogMemory::setProgram(std::make_unique<Ui::Operations::DialogMemory>(
        Model::Materials::CatalogFile::writePath(QLatin1String(Ui::Operations::DialogMemory::fileBaseName))));

    QApplication::setWindowIcon(Ui::applicationIcon(QDir::currentPath()));

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
    // A document named on the command line opens in this first window, a process list in the
    // Batch Run dialog.
    const QStringList files = parser.positionalArguments();
    if (!files.isEmpty())
        window.openFromCommandLine(files.first());
    return app.exec();
}
