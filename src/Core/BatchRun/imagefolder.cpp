#include "Core/BatchRun/imagefolder.h"

#include "Core/BatchRun/processvocabulary.h"

#include <QDir>
#include <QFileInfo>
#include <QImageWriter>

namespace Core {
namespace BatchRun {

namespace {

const QString fileNameParameter = QStringLiteral("Filename");

bool isInside(const QString &path, const QString &root)
{
    if (root == QLatin1String("/"))
        return true;
    return path == root || path.startsWith(root + QLatin1Char('/'));
}

} // namespace

ImageFolder::ImageFolder(const QString &folder, bool replaceExisting)
    : m_folder(QDir::cleanPath(QDir::current().absoluteFilePath(folder.isEmpty() ? QStringLiteral(".") : folder)))
    , m_replace(replaceExisting)
{
}

QString ImageFolder::defaultFolder(const QString &outputFile)
{
    if (outputFile.isEmpty())
        return QDir::currentPath();
    return QFileInfo(outputFile).absolutePath();
}

QString ImageFolder::resolve(const QString &name, QString *reason) const
{
    auto refuse = [reason](const QString &why) {
        if (reason)
            *reason = why;
        return QString();
    };
    if (name.trimmed().isEmpty())
        return refuse(QStringLiteral("the image has no file name."));
    if (QDir::isAbsolutePath(name))
        return refuse(QStringLiteral("\"%1\" is an absolute path; a process list may only name files in the images "
                                     "folder \"%2\".")
                          .arg(name, m_folder));
    if (name.split(QLatin1Char('/')).contains(QStringLiteral("..")))
        return refuse(QStringLiteral("\"%1\" leads out of the images folder \"%2\" (\"..\" is not allowed).")
                          .arg(name, m_folder));
    const QString root = QFileInfo(m_folder).canonicalFilePath();
    if (root.isEmpty())
        return refuse(QStringLiteral("the images folder \"%1\" does not exist.").arg(m_folder));
    const QFileInfo file(QDir::cleanPath(root + QLatin1Char('/') + name));
    if (file.filePath() == root)
        return refuse(QStringLiteral("\"%1\" is not a file name.").arg(name));
    // The folder that holds the file, with every link on the way followed.
    const QString parent = QFileInfo(file.absolutePath()).canonicalFilePath();
    if (parent.isEmpty() || !QFileInfo(parent).isDir())
        return refuse(
            QStringLiteral("the folder of \"%1\" does not exist in the images folder \"%2\".").arg(name, m_folder));
    if (!isInside(parent, root))
        return refuse(QStringLiteral("\"%1\" leads out of the images folder \"%2\" through a linked folder.")
                          .arg(name, m_folder));
    // A link would be written through, wherever it points.
    if (file.isSymLink())
        return refuse(QStringLiteral("\"%1\" is a symbolic link; images replace only plain files.").arg(name));
    if (file.exists() && !file.isFile())
        return refuse(QStringLiteral("\"%1\" is not a file.").arg(name));
    return QDir(parent).filePath(file.fileName());
}

std::vector<ImageFolder::Finding> ImageFolder::check(const QList<Processes::ProcessStep> &steps) const
{
    std::vector<Finding> findings;
    bool any = false;
    for (const Processes::ProcessStep &step : steps)
        any = any || step.getProcessType() == SaveImage;
    if (!any)
        return findings;
    const QFileInfo folder(m_folder);
    if (!folder.isDir()) {
        findings.push_back({-1, QStringLiteral("The images folder \"%1\" does not exist.").arg(m_folder), false});
        return findings;
    }
    if (!folder.isWritable())
        findings.push_back({-1, QStringLiteral("The images folder \"%1\" cannot be written.").arg(m_folder), false});
    const QList<QByteArray> formats = QImageWriter::supportedImageFormats();
    QSet<QString> named;
    for (int i = 0; i < steps.size(); ++i) {
        const Processes::ProcessStep &step = steps.at(i);
        // A step without a name fails when it runs, with the message of a missing parameter.
        if (step.getProcessType() != SaveImage || !step.hasParameter(fileNameParameter))
            continue;
        const QString name = step.getProcessParameter(fileNameParameter).toString();
        const QString head = QStringLiteral("Step %1 (%2): ").arg(i + 1).arg(displayName(SaveImage));
        QString reason;
        const QString file = resolve(name, &reason);
        if (file.isEmpty()) {
            findings.push_back({i, head + reason, false});
            continue;
        }
        if (!formats.contains(QFileInfo(file).suffix().toLower().toLatin1())) {
            findings.push_back({i, head + QStringLiteral("\"%1\" must end in .png, .xpm or .jpg.").arg(name), false});
            continue;
        }
        // A second step of the same name replaces what the first one wrote in this run.
        if (!m_replace && !named.contains(file) && QFileInfo::exists(file))
            findings.push_back(
                {i, head + QStringLiteral("\"%1\" would replace the existing file \"%2\".").arg(name, file), true});
        named.insert(file);
    }
    return findings;
}

QString ImageFolder::claim(const QString &name, QString *reason)
{
    const QString file = resolve(name, reason);
    if (file.isEmpty())
        return QString();
    if (!m_replace && !m_written.contains(file) && QFileInfo::exists(file)) {
        if (reason)
            *reason = QStringLiteral("\"%1\" would replace the existing file \"%2\".").arg(name, file);
        return QString();
    }
    m_written.insert(file);
    return file;
}

} // namespace BatchRun
} // namespace Core
