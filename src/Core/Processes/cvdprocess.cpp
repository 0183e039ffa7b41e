#include "Core/Processes/cvdprocess.h"

#include "Core/Processes/parameternames.h"

namespace Core {
namespace Processes {

CvdProcess::CvdProcess()
    : IsotropicDepositionProcess(ProcessType::Cvd, QStringLiteral("CVD"), Parameter::Thickness, 3,
                                 {CommandId::Cvd, "CVD", 13, "IsotropicDeposition", {}})
{
}

} // namespace Processes
} // namespace Core
