#pragma once

#include "Model/Automaton/totalvolume.h"
#include "Util/iobserver.h"
#include "operation.h"

namespace Core {
namespace Operations {

/// The entry of a batch run ("Select volumes"): chooses the cell volume the process list runs on,
/// or none when the user answers "n", then lets its observer open the batch-run dialog.
class SelectVolumesOperation : public Operation {
public:
    explicit SelectVolumesOperation(Workspace &workspace);

    void start() override;
    void cancel() override;
    void execute() override;

    /// The chosen volume once the choice is made; null before, or when the user chose none.
    Model::Automaton::TotalVolumePtr volume() const;
    bool isDone() const { return m_done; }

private:
    bool m_done = false;
    Model::Automaton::TotalVolumePtr m_volume;
    QString m_answer;
};

} // namespace Operations
} // namespace Core
