#pragma once

#include "Core/Engines/Volume/substratebuilder.h"
#include "Core/Processes/typedprocessdescriptor.h"
#include "Util/vector3d.h"

#include <array>
#include <optional>

namespace Core {
namespace Processes {

/// Sizes and positions in cells, per axis x, y, z.
using CellTriple = std::array<uint32_t, 3>;

struct CreateSubstrateParameters {
    uint32_t material = 0;
    /// Where the new volume's lower left front corner lies.
    Util::Vector3D corner;
    CellTriple volumeSize{};
    /// A ball (centre and radius) instead of a box (size and offset).
    bool spherical = false;
    CellTriple substrateSize{};
    CellTriple substrateDelta{};
    CellTriple substrateCenter{};
    uint32_t radius = 0;
};

/// "Create Substrate": a new cell volume holding a box or a ball of one material. A list's step
/// puts it beside the volumes already in the document and runs its later steps on it; the window's
/// command (Core/Operations/createsubstrateoperation.h) chooses no volume and builds from the same
/// parameters. Only the fields of the chosen shape are read; the list shows only those.
class CreateSubstrateProcess : public TypedProcessDescriptor<CreateSubstrateParameters> {
public:
    using Params = CreateSubstrateParameters;

    CreateSubstrateProcess();

    Params read(ParameterReader &reader) const override;
    QVariantMap values(const Params &params) const override;
    /// Builds the volume and adds it to the document: the step's volume from now on.
    int prepare(Params &params, const ProcessStep &step, ProcessRun &run) const override;
    /// The volume is built whole in `prepare`; nothing runs on it afterwards.
    void runEngine(Model::Automaton::TotalVolume &, const Params &, ProcessRun &) const override {}
    /// Nothing is recorded: the volume is new.
    uint32_t recordedTypeCode(const Params &) const override { return 0; }

    /// The builder of the substrate the parameters describe.
    static Operations::SubstrateBuilder builder(const Params &params);
    /// The builder of the substrate that a dialog's values describe, read as a step's; none when
    /// a value of the chosen shape is missing or invalid.
    std::optional<Operations::SubstrateBuilder> builder(const QVariantMap &values) const;
};

} // namespace Processes
} // namespace Core
