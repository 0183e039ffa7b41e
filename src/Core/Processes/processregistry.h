#pragma once

#include "Core/Processes/commandid.h"
#include "Core/Processes/processdescriptor.h"
#include "Core/Processes/processtype.h"

#include <stdexcept>
#include <typeinfo>
#include <vector>

namespace Core {
namespace Processes {

/// Every process descriptor, one per process type, made once and shared by all windows and runs.
class ProcessRegistry {
public:
    /// The descriptor of a process; null for a type without one.
    static const ProcessDescriptor *descriptor(ProcessType type);
    /// The descriptor of a stored type code; null for a code that names no described process.
    static const ProcessDescriptor *descriptor(int typeCode);
    /// The descriptor whose commands include `id`, and that command; null when no process runs it.
    static const ProcessDescriptor *forCommand(CommandId id, const ProcessCommand **command = nullptr);
    /// Every descriptor, in type order.
    static const std::vector<const ProcessDescriptor *> &all();

    /// The one descriptor of the class `Process` (of exactly that class, not a derived one).
    template <class Process> static const Process &get()
    {
        for (const ProcessDescriptor *descriptor : all()) {
            if (typeid(*descriptor) == typeid(Process))
                return static_cast<const Process &>(*descriptor);
        }
        throw std::logic_error(std::string("no descriptor of class ") + typeid(Process).name());
    }
};

} // namespace Processes
} // namespace Core
