#pragma once

#include "mooreneighborhoodetching.h"
#include "mooreneighborhoodoperation.h"

namespace Core {
namespace Operations {

/// Etches one material layer by layer from wherever it touches empty space (undoable).
class MooreNeighborhoodEtchingOperation : public MooreNeighborhoodOperation<MooreNeighborhoodEtching> {
public:
    explicit MooreNeighborhoodEtchingOperation(Workspace &workspace)
        : MooreNeighborhoodOperation(workspace, 19)
    {
    }
};

} // namespace Operations
} // namespace Core
