#pragma once

#include "Model/Volume/cells.h"
#include "Model/Volume/silattice.h"
#include "Util/controllable.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

namespace Model {
namespace Automaton {
class TotalVolume;
} // namespace Automaton
} // namespace Model

namespace Core {
namespace Operations {

class MaskErosion;

/// What the atomistic wet etches share: the volume's cells and silicon lattice, one x-slab of
/// cells per thread, a list of candidate atoms per thread, hand-over lists to the neighbouring
/// threads, cell updates and the stepping. A subclass decides, atom by atom, which candidates go.
///
/// Every step first decides for all candidates of all threads from the lattice as the step found
/// it, then removes the atoms, updates the cells and hands candidates over: the result is the same
/// for any number of threads.
class LatticeEtchEngine : public Util::Controllable {
public:
    virtual ~LatticeEtchEngine();
    LatticeEtchEngine(const LatticeEtchEngine &) = delete;
    LatticeEtchEngine &operator=(const LatticeEtchEngine &) = delete;

    /// Builds the lattice first when the volume has none, then runs the steps with the cells locked.
    /// With a run control it counts the steps and stops between them when asked.
    void run();

    uint64_t stepCount() const { return m_steps; }
    /// Steps that ran; a run ends early once no step can change anything any more.
    uint64_t stepsRun() const { return m_stepsRun; }
    uint32_t threadCount() const { return m_threads; }
    uint64_t removedAtoms() const { return m_removed; }

    /// Wears away the cells of `material` in the bath while the silicon etches (see MaskErosion):
    /// an exposed cell goes `stepsPerCell` steps after it was first exposed, and the silicon it
    /// covered is etched from then on. 0 (the default) leaves every other material as it is.
    void setMaskErosion(uint32_t material, double stepsPerCell);
    /// Cells of the eroded material that went in the run.
    uint64_t erodedCells() const { return m_eroded; }

    /// round(x) half away from zero, 0 for negative or undefined values, at most 2^40.
    static uint64_t roundedSteps(double x);

protected:
    struct Candidate {
        uint64_t key;
        float amount;
    };

    LatticeEtchEngine(Model::Automaton::TotalVolume &volume, uint64_t steps);

    /// Decides for one present candidate whether it goes in this step; may change its amount.
    /// Reads the lattice only and writes nothing shared.
    virtual bool removes(const Model::Automaton::SiSite &site, Candidate &candidate, uint32_t thread) = 0;
    /// True when a step that removed nothing leaves nothing to do for the later steps.
    virtual bool settlesWhenNothingGoes() const = 0;

    const Model::Automaton::SiLattice &lattice() const { return *m_lattice; }

private:
    struct Part {
        std::mutex mutex;
        std::vector<Candidate> candidates;
        std::vector<Candidate> kept;
        /// Candidates for this thread, the thread below and the thread above.
        std::vector<Candidate> own;
        std::vector<Candidate> lower;
        std::vector<Candidate> upper;
        std::vector<uint64_t> removed;
        /// Cells that lost their last atom in this step (kept only while a mask erodes).
        std::vector<int64_t> emptied;
    };

    int32_t slabBegin(uint32_t thread) const { return int32_t(thread * m_width); }
    int32_t slabEnd(uint32_t thread) const;
    uint32_t owner(int32_t cellX) const;
    void prepare(uint32_t thread);
    void collect(uint32_t thread);
    void classify(uint32_t thread);
    void apply(uint32_t thread);
    /// Between steps: the eroded cells due by `time` go, and the cells the last step emptied
    /// expose the mask beside them.
    void erode(double time);
    /// Makes the atoms of the emptied cells `cells` (ascending) absent and their present
    /// neighbours candidates.
    void release(const std::vector<int64_t> &cells);

    Model::Automaton::TotalVolume &m_volume;
    uint64_t m_steps;
    uint64_t m_stepsRun = 0;
    uint64_t m_removed = 0;
    uint64_t m_eroded = 0;
    uint32_t m_erodedMaterial = 0;
    double m_erosionSteps = 0.0;
    std::unique_ptr<MaskErosion> m_erosion;
    uint32_t m_threads = 1;
    uint32_t m_width = 0;
    std::shared_ptr<Model::Automaton::SiLattice> m_lattice;
    Model::Automaton::Cells m_cells;
    std::vector<std::unique_ptr<Part>> m_parts;
};

} // namespace Operations
} // namespace Core
