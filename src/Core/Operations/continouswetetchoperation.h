#pragma once

#include "siwetetchoperation.h"

namespace Core {
namespace Operations {

/// "Continuous Wet Etch": anisotropic wet etching of silicon by the continuous cellular automaton
/// on the atomistic lattice.
class ContinousWetEtchOperation : public SiWetEtchOperation {
public:
    explicit ContinousWetEtchOperation(Workspace &workspace);

protected:
    void runEngine(Model::Automaton::TotalVolume &volume, double depth) override;
};

} // namespace Operations
} // namespace Core
