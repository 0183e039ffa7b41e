#pragma once

#include "mooreneighborhooddeposition.h"
#include "mooreneighborhoodoperation.h"

namespace Core {
namespace Operations {

/// Grows a film of whole cells with square corners around everything occupied (undoable).
class MooreNeighborhoodDepositionOperation : public MooreNeighborhoodOperation<MooreNeighborhoodDeposition> {
public:
    explicit MooreNeighborhoodDepositionOperation(Workspace &workspace)
        : MooreNeighborhoodOperation(workspace, 18)
    {
    }
};

} // namespace Operations
} // namespace Core
