#pragma once

#include "Core/Operations/undoableprocessoperation.h"

namespace Core {
namespace Operations {

/// Shows every cell of a volume again by taking all cuts away. No dialog; undo puts the cuts back.
class RemoveCutsFromVolumeOperation : public UndoableProcessOperation {
public:
    explicit RemoveCutsFromVolumeOperation(Workspace &workspace);

    void cancel() override;

protected:
    bool hasOptions() const override { return true; }
    void run(Model::Automaton::TotalVolume &volume) override;
    void afterRun(Model::Automaton::TotalVolume &volume) override;
    ProcessSnapshot::Scope snapshotScope() const override;
    QString finishedText() const override { return QStringLiteral("Cut planes changed."); }
};

} // namespace Operations
} // namespace Core
