#pragma once

#include "Core/Operations/cellvolumeoperation.h"

#include <array>

namespace Core {
namespace Operations {

/// "Change Cut Planes": limits the drawn part of a cell volume to a box of cells so that the user
/// can look inside it. The cells are not changed; the limits live in the volume's painter. A
/// preview applied while the dialog is open stays in force, so the step then ends as changed.
class CutCellVolumeOperation : public CellVolumeOperation<Operation> {
public:
    using Triple = std::array<uint32_t, 3>;

    explicit CutCellVolumeOperation(Workspace &workspace);

    /// The volume's cell counts and the painter's current limits; false when no volume is chosen.
    bool currentLimits(Triple &size, Triple &lower, Triple &upper) const;
    /// Hands the limits (lower inclusive, upper exclusive) to the painter of the chosen volume; with
    /// `preview` the surface is regenerated and the view redrawn at once.
    void applyLimits(const Triple &lower, const Triple &upper, bool preview);

    bool limitsSet() const { return m_limitsSet; }
    bool isPreviewed() const { return m_previewed; }

    void cancel() override;
    void execute() override;

protected:
    bool hasOptions() const override { return m_limitsSet; }
    /// Nothing to simulate: execute applies the limits itself.
    void run(Model::Automaton::TotalVolume &) override {}

private:
    void redraw(const Model::Automaton::TotalVolumePtr &volume);

    bool m_previewed = false;
    bool m_limitsSet = false;
};

} // namespace Operations
} // namespace Core
