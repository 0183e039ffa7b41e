#pragma once

#include "Core/Formats/maskimage.h"
#include "Core/Processes/processstep.h"

#include <QString>

#include <cstdint>

namespace Util {
class RunControl;
}

namespace Core {
namespace BatchRun {

/// A photolithography step whose top mask comes from a GDSII layout: the layout is named relative
/// to the list's folder and read again at every run, so that a changed layout changes the result.
namespace LayoutMaskStep {

constexpr const char *file = "Top Mask Layout";
constexpr const char *layer = "Layout Layer";
constexpr const char *datatype = "Layout Datatype";
/// Micrometres of the layout per cell column; without it the layer is fitted to the volume.
constexpr const char *scale = "Layout Scale";
/// The layout point over the corner of column (0, 0), in micrometres; read with a scale only.
constexpr const char *offsetX = "Layout Offset X";
constexpr const char *offsetY = "Layout Offset Y";

/// Whether the step names a layout for its top mask.
bool named(const Processes::ProcessStep &step);
/// The file that a list in `listFolder` names `name`; empty, with the reason in `problem`, for an
/// absolute name, a name that leads out of the folder, or a list without a folder.
QString resolve(const QString &listFolder, const QString &name, QString *problem);
/// The name under which a list in `listFolder` reaches the file `path`; empty when the file lies
/// outside that folder (or no folder is known).
QString nameInFolder(const QString &listFolder, const QString &path);
/// Reads the step's layout and rasterizes its layer over nx by ny columns. Returns a result code
/// of the runner (missing or invalid parameter, stopped) with what went wrong in `detail`.
int readMask(const Processes::ProcessStep &step, const QString &listFolder, uint32_t nx, uint32_t ny,
             Util::RunControl *control, Core::Operations::MaskBits &mask, QString &detail);

} // namespace LayoutMaskStep

} // namespace BatchRun
} // namespace Core
