#pragma once

#include "Core/Processes/processrun.h"

#include <cstdint>

namespace Core {
namespace Processes {

/// Success when the catalogue process `processId`, whose compatible materials a step changes, has
/// any. Without them the step has nothing to change: a list's step still succeeds (its engine does
/// not run and its report says why), the window refuses it with the same words. `verb` says what
/// would have happened to them ("doped", "oxidized").
int requireCompatibleMaterials(ProcessRun &run, uint32_t processId, const char *verb);

} // namespace Processes
} // namespace Core
