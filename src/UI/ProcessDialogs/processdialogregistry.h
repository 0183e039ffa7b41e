#pragma once

#include "Core/Processes/processtype.h"
#include "UI/ProcessDialogs/iprocessdialog.h"

#include <memory>

class QWidget;

namespace Core {
namespace Processes {
class ProcessDescriptor;
}
} // namespace Core

namespace Ui {

/// The options dialog of each process that has one, for the window's generic observer and the
/// list editor alike.
class ProcessDialogRegistry {
public:
    /// A new dialog for a step of `process`; null when the process has no dialog of its own.
    static std::unique_ptr<IProcessDialog> make(const Core::Processes::ProcessDescriptor &process,
                                                QWidget *parent = nullptr);
    static bool has(Core::Processes::ProcessType type);
};

} // namespace Ui
