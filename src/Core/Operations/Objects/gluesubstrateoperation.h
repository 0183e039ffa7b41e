#pragma once

#include "Core/Engines/Volume/gluelayout.h"
#include "Core/Operations/operation.h"
#include "Core/Undo/documentchange.h"
#include "Model/Volume/totalvolume.h"

namespace Core {
namespace Operations {

/// "Glue Volumes": the user picks a base and then a top cell volume (the other one, when the document
/// holds two); both are replaced in the
/// document by one new volume in which the occupied part of the top, turned over and shifted if
/// wanted, rests on the occupied part of the base (wafer bonding). Undo puts the two back.
class GlueSubstrateOperation : public ObjectOperation {
public:
    explicit GlueSubstrateOperation(Workspace &workspace);

    void start() override;
    void cancel() override;
    void execute() override;
    bool undo() override;
    bool redo() override;

    /// Setters for the dialog, after both volumes are chosen; values out of range are clamped
    /// (never narrower than both volumes nor lower than the stacked height, shifts up to the room).
    void setFinalSize(uint32_t x, uint32_t y, uint32_t z) { m_layout.setFinalSize(x, y, z); }
    void setShift(uint32_t x, uint32_t y) { m_layout.setShift(x, y); }
    void setInvert(bool invert) { m_layout.invert = invert; }

    uint32_t wideX() const { return m_layout.wideX; }
    uint32_t wideY() const { return m_layout.wideY; }
    uint32_t stackedHeight() const { return m_layout.stackedHeight; }
    uint32_t roomX() const { return m_layout.roomX; }
    uint32_t roomY() const { return m_layout.roomY; }
    const GlueLayout &layout() const { return m_layout; }

    /// 0 waiting for the base, 1 waiting for the top, 2 both chosen, 3 glued.
    uint32_t step() const { return m_step; }
    Model::Automaton::TotalVolumePtr base() const { return m_base; }
    Model::Automaton::TotalVolumePtr top() const { return m_top; }
    Model::Automaton::TotalVolumePtr result() const { return m_result; }

private:
    void chooseBase();
    void chooseTop();
    /// Waits for Enter with `prompt` in the console; the window asks to click `which`.
    void waitForEnter(const QString &prompt, const QString &which);

    uint32_t m_step = 0;
    Model::Automaton::TotalVolumePtr m_base;
    Model::Automaton::TotalVolumePtr m_top;
    Model::Automaton::TotalVolumePtr m_result;
    DocumentChange m_change;
    GlueLayout m_layout;
};

} // namespace Operations
} // namespace Core
