#include "UI/ProcessDialogs/saveimagedialog.h"

#include "Core/BatchRun/imagefolder.h"
#include "Core/Processes/parameternames.h"
#include "Core/Processes/processregistry.h"
#include "Core/Processes/saveimageprocess.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

namespace Ui {
namespace Operations {

SaveImageDialog::SaveImageDialog(QWidget *parent)
    : QFileDialog(parent, QStringLiteral("Save Screen Image"), QString(), QStringLiteral("Images (*.png *.xpm *.jpg)"))
{
    setAcceptMode(QFileDialog::AcceptSave);
    setDefaultSuffix(QStringLiteral("png"));
    // The image is written when the list runs, maybe many times; choosing it replaces nothing yet.
    setOption(QFileDialog::DontConfirmOverwrite);
}

void SaveImageDialog::setContext(const ProcessDialogContext &context)
{
    m_imagesFolder = context.imagesFolder;
    if (!m_imagesFolder.isEmpty())
        setDirectory(m_imagesFolder);
}

void SaveImageDialog::setParameters(const QVariantMap &parameters)
{
    const QString current = parameters.value(Core::Processes::Parameter::Filename).toString();
    if (!current.isEmpty())
        selectFile(m_imagesFolder.isEmpty() ? current : QDir(m_imagesFolder).absoluteFilePath(current));
}

QVariantMap SaveImageDialog::parameters() const
{
    using namespace Core::Processes;
    return ProcessRegistry::get<SaveImageProcess>().values({m_name});
}

QString SaveImageDialog::chosenName() const
{
    if (selectedFiles().isEmpty())
        return QString();
    const QString name = selectedFiles().first();
    if (m_imagesFolder.isEmpty())
        return name;
    const QFileInfo chosen(name);
    const QString folder = QFileInfo(chosen.absolutePath()).canonicalFilePath();
    const QString inFolder =
        QDir(QFileInfo(m_imagesFolder).canonicalFilePath()).relativeFilePath(QDir(folder).filePath(chosen.fileName()));
    QString reason;
    if (folder.isEmpty() || Core::BatchRun::ImageFolder(m_imagesFolder).resolve(inFolder, &reason).isEmpty())
        return QString();
    return inFolder;
}

void SaveImageDialog::done(int result)
{
    m_name = result == QDialog::Accepted ? chosenName() : QString();
    if (result != QDialog::Accepted || !m_name.isEmpty()) {
        QFileDialog::done(result);
        return;
    }
    const bool chosen = !selectedFiles().isEmpty();
    QFileDialog::done(QDialog::Rejected);
    if (chosen)
        QMessageBox::warning(parentWidget(), QStringLiteral("Save Image"),
                             QStringLiteral("A list saves its images in the images folder \"%1\": choose a file "
                                            "there.")
                                 .arg(m_imagesFolder));
}

} // namespace Operations
} // namespace Ui
