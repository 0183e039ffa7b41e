#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Shows every cell of a volume again by taking all cuts away. No dialog; not undoable.
class RemoveCutsFromVolumeOperation : public ProcessOperation {
public:
    explicit RemoveCutsFromVolumeOperation(Workspace &workspace);

    void cancel() override;
    void execute() override;

protected:
    bool hasOptions() const override { return true; }
    void run(Model::Automaton::TotalVolume &volume) override;
};

} // namespace Operations
} // namespace Core
