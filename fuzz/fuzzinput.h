#pragma once

// What every fuzz target shares: a Qt application object, a home folder of its own (the catalogues
// live under ~/Cellforge) and each input written to a file there, because the program's readers
// read files. Qt's debug output is dropped: the readers log every damaged input.

#include "Model/Materials/materialfactory.h"
#include "Model/Process/processfactory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

namespace FuzzInput {

inline void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) {}

/// The Qt application and a temporary home folder for the whole run; call once, from LLVMFuzzerInitialize.
inline void setUp()
{
    static int argc = 1;
    static char name[] = "cellforge-fuzz";
    static char *argv[] = {name, nullptr};
    static QTemporaryDir home;
    if (!home.isValid())
        std::abort();
    qputenv("HOME", QFile::encodeName(home.path()));
    QDir(home.path()).mkpath(QStringLiteral("Cellforge"));
    qInstallMessageHandler(dropMessage);
    static std::unique_ptr<QCoreApplication> application(new QCoreApplication(argc, argv));
    // The catalogues' first use writes their built-in tables into the new home.
    Model::Materials::MaterialFactory::instance();
    Model::Process::ProcessFactory::instance();
}

/// Replaces the file ~/<relativePath> by the input bytes and returns its path.
inline QString write(const QString &relativePath, const uint8_t *data, size_t size)
{
    const QString path = QDir::home().filePath(relativePath);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(reinterpret_cast<const char *>(data), static_cast<qint64>(size)) != static_cast<qint64>(size))
        std::abort();
    return path;
}

/// Back to the built-in catalogues, so that no input depends on what earlier ones added.
inline void resetCatalogues()
{
    Model::Materials::MaterialFactory::instance()->createDefaultMaterials();
    Model::Process::ProcessFactory::instance()->createDefaultProcesses();
}

} // namespace FuzzInput
