// cellforge-batch: runs a process list without a window, for servers and scripts.
#include "Core/BatchRun/batchcommand.h"
#include "Core/BatchRun/stopsignals.h"
#include "Model/Display/offscreenimage.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"
#include "Util/debugoutput.h"
#include "Util/runcontrol.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QTextStream>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

// Debug lines are for developers of the dialog; here every failure is already reported on
// standard error in the runner's own words.
void messageHandler(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtDebugMsg || type == QtInfoMsg || message.startsWith(QLatin1String("QStandardPaths:")))
        return;
    std::fprintf(stderr, "%s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    qInstallMessageHandler(messageHandler);
    // Standard output holds the run's record, one line per step: no timing lines among them.
    Util::DebugOutput::setEnabled(false);
    // Beyond a file-size limit a write then fails (EFBIG) and is reported, an output with exit status
    // 4, instead of the process ending without a word (the catalogues are written at start already).
    std::signal(SIGXFSZ, SIG_IGN);
    // "Save Image" steps need a GUI application for their OpenGL context. The off-screen platform
    // gives one wherever an X server answers (a display or Xvfb) and otherwise reports that no
    // context can be made, where the window-system platform would abort the program.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("cellforge-batch"));
    QGuiApplication::setApplicationVersion(QStringLiteral(CELLFORGE_VERSION));

    QTextStream out(stdout);
    QTextStream err(stderr);
    // A catalogue file that could not be read is left alone; the run goes on with the built-in table.
    for (const QString &report : {Model::Materials::MaterialFactory::instance()->startUpReport(),
                                  Model::Process::ProcessFactory::instance()->startUpReport()}) {
        if (!report.isEmpty())
            err << "cellforge-batch: warning: " << report << "\n";
    }
    err.flush();
    Core::BatchRun::BatchCommand command(out, err, isatty(fileno(stderr)) != 0);
    // The first SIGINT or SIGTERM stops the run at the next boundary; a second quits at once.
    static Util::RunControl control;
    Core::BatchRun::StopSignals::install(control);
    command.setRunControl(&control);
    command.setImageRenderer([](const Model::Document &document, const QString &fileName, QString *error) {
        // Nothing is shown here: surfaces live only while an image is drawn.
        Model::Display::OffscreenImage image;
        image.setReleaseSurfaces(true);
        return image.save(document, fileName, error);
    });
    QStringList arguments = QGuiApplication::arguments();
    arguments.removeFirst();
    return command.execute(arguments);
}
