#pragma once

#include "Core/Operations/operation.h"
#include "Model/Volume/totalvolume.h"
#include "Util/iobserver.h"

namespace Core {
namespace Operations {

/// The entry of a batch run ("Select volumes"): chooses the cell volume the process list runs on (the
/// selected one, or the document's only one), or none when the document holds none or the user says so
/// (No in the window's question, or "n" typed in the console), then lets its observer open the
/// batch-run dialog.
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
    bool m_asked = false;
    Model::Automaton::TotalVolumePtr m_volume;
    QString m_answer;
};

} // namespace Operations
} // namespace Core
