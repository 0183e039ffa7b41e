#pragma once

#include "Core/Processes/mooreprocess.h"

namespace Core {
namespace Processes {

/// "Moore deposition": whole cell layers of a film, "Thickness" of them, around everything occupied.
class MooreDepositionProcess : public MooreProcess {
public:
    MooreDepositionProcess()
        : MooreProcess(Kind::Deposition)
    {
    }
};

} // namespace Processes
} // namespace Core
