#include "mainwindow.h"
#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Cellforge"));
    QApplication::setApplicationVersion(QStringLiteral("0.1.0"));

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
    return app.exec();
}
