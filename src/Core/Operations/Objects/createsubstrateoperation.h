#pragma once

#include "Core/Engines/Volume/substratebuilder.h"
#include "Core/Operations/operation.h"
#include "Core/Undo/documentchange.h"
#include "Model/Volume/totalvolume.h"
#include "Util/iobserver.h"

#include <optional>

namespace Core {
namespace Operations {

/// "Create Substrate": a new cell volume with a box or ball of one material, added to the document.
/// Undo takes the volume out of the document, redo puts the same volume back.
class CreateSubstrateOperation : public ObjectOperation {
public:
    explicit CreateSubstrateOperation(Workspace &workspace);

    void start() override;
    void cancel() override;
    void execute() override;
    bool undo() override;
    bool redo() override;

    /// The substrate the dialog asked for (see Core/Processes/createsubstrateprocess.h).
    void setSubstrate(const SubstrateBuilder &builder) { m_builder.emplace(builder); }

    Model::Automaton::TotalVolumePtr volume() const { return m_volume; }
    bool isReady() const { return m_builder.has_value(); }

private:
    Model::Automaton::TotalVolumePtr m_volume;
    /// Set by the dialog; none when it was rejected.
    std::optional<SubstrateBuilder> m_builder;
    DocumentChange m_change;
};

} // namespace Operations
} // namespace Core
