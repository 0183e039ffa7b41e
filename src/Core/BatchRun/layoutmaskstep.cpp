#include "Core/BatchRun/layoutmaskstep.h"

#include "Core/BatchRun/processvocabulary.h"
#include "Core/BatchRun/stepparameters.h"
#include "Core/Formats/gdslayout.h"
#include "Core/Formats/layoutmask.h"

#include <QDir>
#include <QFileInfo>

namespace Core {
namespace BatchRun {
namespace LayoutMaskStep {

namespace {

// The largest layer and datatype number of a GDSII file (an unsigned 16-bit number).
constexpr uint32_t largestLayer = 65535;

QString folderPrefix(const QString &folder)
{
    const QString clean = QDir::cleanPath(QDir(folder).absolutePath());
    return clean.endsWith(QLatin1Char('/')) ? clean : clean + QLatin1Char('/');
}

} // namespace

bool named(const Processes::ProcessStep &step) { return step.hasParameter(QLatin1String(file)); }

QString resolve(const QString &listFolder, const QString &name, QString *problem)
{
    auto refuse = [problem](const QString &reason) {
        if (problem)
            *problem = reason;
        return QString();
    };
    const QString quoted = QStringLiteral("%1 \"%2\"").arg(QLatin1String(file), name);
    if (name.isEmpty())
        return refuse(QStringLiteral("%1 names no file.").arg(QLatin1String(file)));
    if (QDir::isAbsolutePath(name))
        return refuse(quoted + QStringLiteral(" is an absolute path; a list names its layouts relative to its "
                                              "own folder."));
    if (listFolder.isEmpty())
        return refuse(quoted + QStringLiteral(" cannot be found: the list has no folder (save it first)."));
    const QString prefix = folderPrefix(listFolder);
    const QString path = QDir::cleanPath(prefix + name);
    if (!path.startsWith(prefix))
        return refuse(quoted + QStringLiteral(" leads out of the list's folder; a list reads layouts only from "
                                              "its folder and the folders below it."));
    return path;
}

QString nameInFolder(const QString &listFolder, const QString &path)
{
    if (listFolder.isEmpty() || path.isEmpty())
        return QString();
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QString prefix = folderPrefix(listFolder);
    return absolute.startsWith(prefix) ? absolute.mid(prefix.size()) : QString();
}

int readMask(const Processes::ProcessStep &step, const QString &listFolder, uint32_t nx, uint32_t ny,
             Util::RunControl *control, Core::Operations::MaskBits &mask, QString &detail)
{
    StepParameters p(step);
    const uint32_t layerNumber = p.toUInt(QLatin1String(layer));
    const uint32_t datatypeNumber = p.toUInt(QLatin1String(datatype));
    const bool scaled = step.hasParameter(QLatin1String(scale));
    const double micronsPerCell = scaled ? p.toDouble(QLatin1String(scale)) : 0.0;
    const double x = scaled && step.hasParameter(QLatin1String(offsetX)) ? p.toDouble(QLatin1String(offsetX)) : 0.0;
    const double y = scaled && step.hasParameter(QLatin1String(offsetY)) ? p.toDouble(QLatin1String(offsetY)) : 0.0;
    if (!p.ok()) {
        detail = p.problem();
        return p.result();
    }
    if (layerNumber > largestLayer || datatypeNumber > largestLayer) {
        detail = QStringLiteral("%1 and %2 go from 0 to %3.")
                     .arg(QLatin1String(layer), QLatin1String(datatype))
                     .arg(largestLayer);
        return InvalidValue;
    }
    const QString name = step.getProcessParameter(QLatin1String(file)).toString();
    const QString path = resolve(listFolder, name, &detail);
    if (path.isEmpty())
        return InvalidValue;

    Core::Operations::GdsLayout layout;
    layout.setRunControl(control);
    if (!layout.load(path)) {
        if (layout.wasStopped())
            return Stopped;
        detail = QStringLiteral("The layout \"%1\" cannot be read: %2").arg(name, layout.errorString());
        return InvalidValue;
    }
    const Core::Operations::LayoutLayer chosen{int(layerNumber), int(datatypeNumber)};
    Core::Operations::LayoutPlacement placement;
    if (scaled) {
        placement.layer = chosen;
        placement.micronsPerCell = micronsPerCell;
        placement.offsetX = x;
        placement.offsetY = y;
    } else {
        placement = Core::Operations::fittedPlacement(layout, chosen, nx, ny);
    }
    QString error;
    if (!Core::Operations::layoutMask(layout, placement, nx, ny, mask, &error)) {
        detail = QStringLiteral("The layout \"%1\": %2").arg(name, error);
        return InvalidValue;
    }
    return Success;
}

} // namespace LayoutMaskStep
} // namespace BatchRun
} // namespace Core
