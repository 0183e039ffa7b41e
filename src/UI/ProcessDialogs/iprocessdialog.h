#pragma once

#include "Core/Formats/maskimage.h"

#include <QString>
#include <QVariantMap>

#include <cstdint>
#include <functional>
#include <optional>

class QDialog;

namespace Model {
namespace Automaton {
class TotalVolume;
}
} // namespace Model

namespace Ui {

/// What a process dialog is opened for: a window's step on a volume, or a step of a process list.
struct ProcessDialogContext {
    /// The volume the window's step will act on; null for a list's step.
    const Model::Automaton::TotalVolume *volume = nullptr;
    /// The cell columns the step acts on (the volume's, or those of the volume a list will act on).
    uint32_t columnsX = Core::Operations::anyColumns;
    uint32_t columnsY = Core::Operations::anyColumns;
    /// A list's step: the dialog offers what only lists choose (the wet etch's model).
    bool listStep = false;
    /// The folder of the list's file; layouts inside it are named in the step.
    QString listFolder;
    /// Where a list's images are saved; a "Save Image" step names its file there. Empty: anywhere.
    QString imagesFolder;
};

/// The options dialog of a process, as the window's generic observer and the list editor use it:
/// filled from a step's values, read back as a step's values, under the list's parameter names and
/// kinds (Core/Processes/parameternames.h).
class IProcessDialog {
public:
    virtual ~IProcessDialog() = default;

    /// The dialog to run.
    virtual QDialog &dialog() = 0;
    /// Fills the fields from a step's values; absent names leave their fields as they are.
    virtual void setParameters(const QVariantMap &parameters) = 0;
    /// The fields' values under the list's names and kinds. An invalid value means the step no
    /// longer has that parameter.
    virtual QVariantMap parameters() const = 0;
    /// Called before the dialog runs: defaults and limits that fit the volume or its columns.
    virtual void setContext(const ProcessDialogContext &) {}
    /// Receives values to show on the volume while the dialog is open (photolithography's masks
    /// as soon as they are applied); dialogs without a preview never call it.
    virtual void setPreview(const std::function<void(const QVariantMap &)> &) {}
    /// The seed a random step's draws follow, when the dialog gives one (a window's step only;
    /// lists carry none); none seeds them from the clock.
    virtual std::optional<uint64_t> seed() const { return std::nullopt; }
};

} // namespace Ui
