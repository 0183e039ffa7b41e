#pragma once

#include "Core/Processes/mooreprocess.h"

namespace Core {
namespace Processes {

/// "Moore etching": one material etched "Depth" cell layers deep from wherever it touches empty space.
class MooreEtchingProcess : public MooreProcess {
public:
    MooreEtchingProcess()
        : MooreProcess(Kind::Etching)
    {
    }
};

} // namespace Processes
} // namespace Core
