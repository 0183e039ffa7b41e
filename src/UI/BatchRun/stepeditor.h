#pragma once

#include "Core/Formats/maskimage.h"
#include "Core/Processes/processstep.h"

#include <QList>

#include <cstdint>
#include <utility>

class QWidget;

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Ui {

/// Opens the option dialog of a step's process for a new step (`adding`) or an existing one,
/// filled from the step's parameters; on OK writes the dialog's values into `step` under the
/// names and kinds of the list format (new steps get their default visibilities, existing ones
/// keep theirs). Steps whose process has no option dialog of its own get the generic form
/// (`StepOptionsDialog`). Masks keep only the part over columnsX by columnsY cell columns (the
/// volume the list will act on, when it is known). With an images folder a "Save Image" step keeps
/// the name of its file in that folder, as lists name their images, and a file elsewhere is refused.
/// A top mask applied from a layout inside `listFolder` (the folder of the list's file) is also kept
/// as the layout's name there, its layer and its placement, so that each run reads the layout again.
/// Returns whether the user pressed OK.
bool editStep(QWidget *parent, Core::Processes::ProcessStep &step, bool adding,
              uint32_t columnsX = Core::Operations::anyColumns, uint32_t columnsY = Core::Operations::anyColumns,
              const QString &imagesFolder = QString(), const QString &listFolder = QString());

/// The cell columns (x, y) that the masks of a list's steps need to cover: those of the volume the
/// list acts on (`target`), or else of the one its first "Create Substrate" step creates; any
/// number when neither is known.
std::pair<uint32_t, uint32_t> listColumns(const Model::Automaton::TotalVolume *target,
                                          const QList<Core::Processes::ProcessStep> &steps);

} // namespace Ui
