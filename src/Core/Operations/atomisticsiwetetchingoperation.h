#pragma once

#include "siwetetchoperation.h"

namespace Core {
namespace Operations {

/// "BCA Wet Etch": anisotropic wet etching of silicon by bond counting on the atomistic lattice.
class AtomisticSiWetEtchingOperation : public SiWetEtchOperation {
public:
    explicit AtomisticSiWetEtchingOperation(Workspace &workspace);

protected:
    void runEngine(Model::Automaton::TotalVolume &volume, double depth) override;
};

} // namespace Operations
} // namespace Core
