#pragma once

#include "Core/Processes/isotropicdepositionprocess.h"

namespace Core {
namespace Processes {

/// "CVD": the isotropic deposition under its own list type and name, with its "Thickness" and the
/// materials of the catalogue's process "CVD".
class CvdProcess : public IsotropicDepositionProcess {
public:
    CvdProcess();
};

} // namespace Processes
} // namespace Core
