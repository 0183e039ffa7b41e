#pragma once

#include "Core/Processes/processstep.h"

#include <QList>
#include <QSet>
#include <QString>

#include <vector>

namespace Core {
namespace BatchRun {

/// Where the "Save Image" steps of a process list write. A list may come from someone else, so its
/// image names are data, not permission: each is a file name inside one folder the user chose (or
/// a sub-folder of it), never an absolute path or a way out of that folder through ".." or a
/// linked folder, and a file that is there already is replaced only when the user allowed it.
class ImageFolder {
public:
    /// A problem of the image name of one step.
    struct Finding {
        int index = -1;            ///< 0-based position of the step; -1 for the folder itself
        QString text;              ///< "Step 2 (Save Image): ..." or a sentence about the folder
        bool existingFile = false; ///< the name is fine, but a file of that name exists
    };

    /// `folder` empty: the working folder.
    explicit ImageFolder(const QString &folder = QString(), bool replaceExisting = false);

    /// The folder as an absolute path.
    QString folder() const { return m_folder; }
    bool replacesExisting() const { return m_replace; }

    /// The default folder of images: that of the output document when there is one, else the
    /// working folder.
    static QString defaultFolder(const QString &outputFile);

    /// The file that the image name `name` of a list stands for; empty, with the reason, when the
    /// name is absolute, leads out of the folder (through "..", or a linked folder or a link in
    /// its place), names a folder that does not exist or something that is not a file. Whether a
    /// file of that name exists already is not its business.
    QString resolve(const QString &name, QString *reason) const;

    /// The problems of the "Save Image" steps of `steps`, in step order, before a run: the folder
    /// missing or not writable, refused names, names the image writer does not know and, unless
    /// replacing is allowed, names of files that exist already.
    std::vector<Finding> check(const QList<Processes::ProcessStep> &steps) const;

    /// For a step about to write: the file `name` stands for, as `resolve`, refused also when the
    /// file exists and neither replacing is allowed nor this run wrote it. The file counts as
    /// written by this run from then on.
    QString claim(const QString &name, QString *reason);

private:
    QString m_folder;
    bool m_replace;
    QSet<QString> m_written;
};

} // namespace BatchRun
} // namespace Core
