#pragma once

#include "processoperation.h"

namespace Core {
namespace Operations {

/// Empties every cell below the minimum height and at or above the maximum height.
class PlanarizationOperation : public UndoableProcessOperation {
public:
    explicit PlanarizationOperation(Workspace &workspace);

    void setMaximumHeight(uint32_t height);
    void setMinimumHeight(uint32_t height);
    uint32_t maximumHeight() const { return m_maximumHeight; }
    uint32_t minimumHeight() const { return m_minimumHeight; }
    /// The selected volume's nz, which bounds the dialog; 0 before a volume is selected.
    uint32_t volumeSizeZ() const;

    void cancel() override;

protected:
    bool hasOptions() const override { return m_maximumSet && m_minimumSet; }
    void run(Model::Automaton::TotalVolume &volume) override;
    bool marksLatticeOutOfDate() const override { return true; }

private:
    uint32_t m_maximumHeight = 0;
    uint32_t m_minimumHeight = 0;
    bool m_maximumSet = false;
    bool m_minimumSet = false;
};

} // namespace Operations
} // namespace Core
