#include "Core/Engines/Lattice/latticeetchengine.h"

#include "Core/Engines/Lattice/maskerosion.h"

#include "Model/Volume/totalvolume.h"
#include "Util/paralleltasks.h"
#include "Util/runstage.h"

#include <algorithm>
#include <cmath>

namespace Core {
namespace Operations {

using Model::Automaton::SiLattice;
using Model::Automaton::SiSite;

namespace {

uint8_t stateOfCell(uint32_t material)
{
    if (material == 1)
        return SiLattice::Present;
    return material == 0 ? SiLattice::Absent : SiLattice::Fixed;
}

} // namespace

LatticeEtchEngine::LatticeEtchEngine(Model::Automaton::TotalVolume &volume, uint64_t steps)
    : m_volume(volume)
    , m_steps(steps)
{
    m_threads = Util::poolThreadCount();
    if (volume.sizeX() / m_threads == 0)
        m_threads = 1;
    m_width = volume.sizeX() / m_threads;
}

LatticeEtchEngine::~LatticeEtchEngine() = default;

void LatticeEtchEngine::setMaskErosion(uint32_t material, double stepsPerCell)
{
    m_erodedMaterial = material;
    m_erosionSteps = stepsPerCell > 0.0 ? stepsPerCell : 0.0;
}

uint64_t LatticeEtchEngine::roundedSteps(double x)
{
    if (!(x > 0.0))
        return 0;
    const double limit = std::ldexp(1.0, 40);
    return x >= limit ? uint64_t(limit) : uint64_t(std::round(x));
}

int32_t LatticeEtchEngine::slabEnd(uint32_t thread) const
{
    return thread + 1 == m_threads ? int32_t(m_volume.sizeX()) : int32_t((thread + 1) * m_width);
}

uint32_t LatticeEtchEngine::owner(int32_t cellX) const { return std::min(uint32_t(cellX) / m_width, m_threads - 1); }

void LatticeEtchEngine::run()
{
    Util::RunStage stage(m_control, m_steps + 1);
    if (stage.stopHere())
        return;
    if (!m_volume.siLattice())
        m_volume.createSiLattice();
    m_lattice = m_volume.siLattice();
    m_parts.clear();
    for (uint32_t t = 0; t < m_threads; ++t)
        m_parts.push_back(std::make_unique<Part>());
    m_stepsRun = 0;
    m_removed = 0;
    m_eroded = 0;
    m_erosion.reset();

    Model::Automaton::CellLock lock(m_volume);
    m_cells = lock.cells();
    Util::runParallelTasks(m_threads, [this](uint32_t t) { prepare(t); });
    Util::runParallelTasks(m_threads, [this](uint32_t t) { collect(t); });
    if (m_erosionSteps > 0.0) {
        m_erosion = std::make_unique<MaskErosion>(m_erodedMaterial, m_erosionSteps);
        m_erosion->start(m_cells, m_volume.sizeX(), m_volume.sizeY(), m_volume.sizeZ());
    }
    // Steps without a candidate still count while a mask cell is to go before the end.
    auto erosionAhead = [this] { return m_erosion && m_erosion->hasDue(double(m_steps)); };
    stage.advance();
    bool stopped = false;
    for (uint64_t step = 0; step < m_steps; ++step) {
        // Between steps every removal of the last one is applied to atoms and cells.
        if (stage.stopHere()) {
            stopped = true;
            break;
        }
        bool anyCandidate = false;
        for (const auto &part : m_parts)
            anyCandidate = anyCandidate || !part->candidates.empty();
        if (!anyCandidate && !erosionAhead())
            break;
        Util::runParallelTasks(m_threads, [this](uint32_t t) { classify(t); });
        size_t removed = 0;
        for (const auto &part : m_parts)
            removed += part->removed.size();
        // With nothing removed the lattice and the candidates stay as they are.
        if (removed == 0 && settlesWhenNothingGoes() && !erosionAhead())
            break;
        Util::runParallelTasks(m_threads, [this](uint32_t t) { apply(t); });
        m_removed += removed;
        ++m_stepsRun;
        if (m_erosion)
            erode(double(step + 1));
        stage.advance();
    }
    if (!stopped)
        stage.finish();
    m_parts.clear();
    m_erosion.reset();
    m_cells = Model::Automaton::Cells();
}

void LatticeEtchEngine::erode(double time)
{
    // The mask goes first: every exposure of this time comes after those that are due by it, so a
    // cell's first exposure is its earliest.
    const std::vector<int64_t> gone = m_erosion->takeDue(m_cells, time);
    if (!gone.empty()) {
        m_eroded += gone.size();
        release(gone);
    }
    std::vector<int64_t> emptied;
    for (const auto &part : m_parts) {
        emptied.insert(emptied.end(), part->emptied.begin(), part->emptied.end());
        part->emptied.clear();
    }
    m_erosion->exposeAround(m_cells, emptied, time);
}

void LatticeEtchEngine::release(const std::vector<int64_t> &cells)
{
    SiLattice &lattice = *m_lattice;
    const int64_t column = int64_t(m_volume.sizeY()) * m_volume.sizeZ();
    // The atoms of another material are fixed; in an empty cell they are absent.
    std::vector<SiSite> freed;
    lattice.forEachAtomInSlab(int32_t(cells.front() / column), int32_t(cells.back() / column) + 1,
                              [&](const SiSite &s, int64_t cell, int64_t) {
                                  if (std::binary_search(cells.begin(), cells.end(), cell))
                                      freed.push_back(s);
                              });
    for (const SiSite &s : freed)
        lattice.setState(s, SiLattice::Absent);
    // The silicon atoms bonded to them have lost a bond: they become candidates of the threads
    // owning their cells, an atom that is one already keeping its amount.
    std::vector<std::vector<Candidate>> fresh(m_threads);
    for (const SiSite &s : freed) {
        for (uint32_t slot = 0; slot < 4; ++slot) {
            const SiSite n = SiLattice::neighbourSite(s, slot);
            if (lattice.inGrid(n) && lattice.state(n) == SiLattice::Present)
                fresh[owner(lattice.cellX(n))].push_back(Candidate{lattice.key(n), 1.0f});
        }
    }
    for (uint32_t t = 0; t < m_threads; ++t) {
        if (fresh[t].empty())
            continue;
        std::vector<Candidate> &candidates = m_parts[t]->candidates;
        candidates.insert(candidates.end(), fresh[t].begin(), fresh[t].end());
        std::sort(candidates.begin(), candidates.end(), [](const Candidate &a, const Candidate &b) {
            return a.key != b.key ? a.key < b.key : a.amount < b.amount;
        });
        candidates.erase(std::unique(candidates.begin(), candidates.end(),
                                     [](const Candidate &a, const Candidate &b) { return a.key == b.key; }),
                         candidates.end());
    }
}

// The lattice follows the cells as they are now. Atoms of a silicon cell stay as the last etch
// left them (so etches in several parts remove what one etch would); a silicon cell without counted
// atoms is silicon that came after the lattice was laid, and all its atoms become present. Atoms of
// empty cells are absent, those of other materials fixed, and every cell's atom count is counted
// afresh.
void LatticeEtchEngine::prepare(uint32_t thread)
{
    const int32_t begin = slabBegin(thread);
    const int32_t end = slabEnd(thread);
    const int64_t first = int64_t(begin) * m_volume.sizeY() * m_volume.sizeZ();
    const int64_t last = int64_t(end) * m_volume.sizeY() * m_volume.sizeZ();
    std::vector<uint8_t> counts(size_t(last - first), 0);
    SiLattice &lattice = *m_lattice;
    auto settle = [&](const SiSite &s, int64_t cell, int64_t column, bool fresh) {
        uint8_t state = stateOfCell(m_cells.state(size_t(cell)));
        if (state == SiLattice::Present && !fresh && lattice.atomCount(size_t(cell)) > 0 &&
            lattice.stateInColumn(column, s.k, s.b) == SiLattice::Absent)
            state = SiLattice::Absent;
        lattice.setStateInColumn(column, s.k, s.b, state);
        if (state == SiLattice::Present)
            ++counts[size_t(cell - first)];
    };
    lattice.forEachAtomInSlab(begin, end,
                              [&](const SiSite &s, int64_t cell, int64_t column) { settle(s, cell, column, false); });
    // A silicon cell whose count says it holds atoms but where none is present gets them back: a
    // cell is empty exactly when its last atom has gone.
    std::vector<int64_t> bare;
    for (int64_t cell = first; cell < last; ++cell) {
        if (m_cells.state(size_t(cell)) == 1 && counts[size_t(cell - first)] == 0)
            bare.push_back(cell);
    }
    if (!bare.empty()) {
        lattice.forEachAtomInSlab(begin, end, [&](const SiSite &s, int64_t cell, int64_t column) {
            if (std::binary_search(bare.begin(), bare.end(), cell))
                settle(s, cell, column, true);
        });
    }
    for (int64_t cell = first; cell < last; ++cell)
        lattice.setAtomCount(size_t(cell), counts[size_t(cell - first)]);
}

void LatticeEtchEngine::collect(uint32_t thread)
{
    Part &part = *m_parts[thread];
    std::lock_guard<std::mutex> guard(part.mutex);
    part.candidates.clear();
    const SiLattice &l = *m_lattice;
    const int32_t begin = slabBegin(thread);
    const int32_t end = slabEnd(thread);
    const int32_t nk = int32_t(l.sizeK());
    constexpr int64_t beyondGrid = -2;
    // Every atom of the slab is looked at once: its neighbours lie in the 3 x 3 columns around its
    // own, whose places are found once per column. The walk goes through the keys in ascending
    // order, so the list comes out sorted.
    for (int32_t i = 0; i < int32_t(l.sizeI()); ++i) {
        for (int32_t j = l.rowBegin(i); j < l.rowEnd(i); ++j) {
            if (!l.columnReaches(i, j, begin, end))
                continue;
            // On a turned lattice an atom's cell changes along the column, and every atom is asked.
            const bool turned = l.isTurned();
            bool any = turned;
            bool mine[8] = {};
            for (uint32_t b = 0; b < 8 && !turned; ++b) {
                const SiSite s{i, j, 0, b};
                const int32_t x = l.cellX(s);
                mine[b] = x >= begin && x < end && l.cellY(s) >= 0;
                any = any || mine[b];
            }
            if (!any)
                continue;
            // A neighbour column's unit cells below `low` or from `high` on are fixed (beyond the
            // volume's faces); an unstored column within the grid is absent.
            int64_t around[3][3];
            int64_t origin[3][3];
            int32_t low[3][3];
            int32_t high[3][3];
            for (int32_t di = -1; di <= 1; ++di) {
                for (int32_t dj = -1; dj <= 1; ++dj) {
                    const bool inside =
                        i + di >= 0 && j + dj >= 0 && uint32_t(i + di) < l.sizeI() && uint32_t(j + dj) < l.sizeJ();
                    const int64_t column = inside ? l.columnIndex(i + di, j + dj) : beyondGrid;
                    around[di + 1][dj + 1] = column;
                    origin[di + 1][dj + 1] = column >= 0 ? l.columnOrigin(column) : 0;
                    low[di + 1][dj + 1] = column >= 0 ? l.columnBegin(column) : 0;
                    high[di + 1][dj + 1] = column >= 0 ? l.columnEnd(column) : nk;
                }
            }
            const int64_t own = origin[1][1];
            for (int32_t k = low[1][1]; k < high[1][1]; ++k) {
                for (uint32_t b = 0; b < 8; ++b) {
                    if (turned ? !l.ownsAtom(SiSite{i, j, k, b}, begin, end) : !mine[b])
                        continue;
                    if (l.stateAt(own + 8 * k + b) != SiLattice::Present)
                        continue;
                    unsigned present = 0;
                    for (uint32_t slot = 0; slot < 4; ++slot) {
                        const SiLattice::Bond &t = SiLattice::bond(b, slot);
                        const int32_t kk = k + t.dk;
                        const int64_t column = around[t.di + 1][t.dj + 1];
                        if (column == beyondGrid || kk < low[t.di + 1][t.dj + 1] || kk >= high[t.di + 1][t.dj + 1])
                            ++present; // beyond the volume's faces: fixed
                        else if (column >= 0)
                            present += l.stateAt(origin[t.di + 1][t.dj + 1] + 8 * kk + t.b) != SiLattice::Absent;
                    }
                    if (present < 4)
                        part.candidates.push_back(Candidate{l.key(SiSite{i, j, k, b}), 1.0f});
                }
            }
        }
    }
}

void LatticeEtchEngine::classify(uint32_t thread)
{
    Part &part = *m_parts[thread];
    std::lock_guard<std::mutex> guard(part.mutex);
    part.kept.clear();
    part.own.clear();
    part.lower.clear();
    part.upper.clear();
    part.removed.clear();
    const SiLattice &lattice = *m_lattice;
    for (Candidate candidate : part.candidates) {
        const SiSite s = lattice.site(candidate.key);
        if (lattice.state(s) != SiLattice::Present)
            continue;
        if (!removes(s, candidate, thread)) {
            part.kept.push_back(candidate);
            continue;
        }
        part.removed.push_back(candidate.key);
        // Its present neighbours lose a bond: they are candidates of the threads owning their cells.
        for (uint32_t slot = 0; slot < 4; ++slot) {
            const SiSite n = SiLattice::neighbourSite(s, slot);
            if (!lattice.inGrid(n) || lattice.state(n) != SiLattice::Present)
                continue;
            const uint32_t target = owner(lattice.cellX(n));
            const Candidate next{lattice.key(n), 1.0f};
            if (target == thread)
                part.own.push_back(next);
            else if (target < thread)
                part.lower.push_back(next);
            else
                part.upper.push_back(next);
        }
    }
}

void LatticeEtchEngine::apply(uint32_t thread)
{
    Part &part = *m_parts[thread];
    SiLattice &lattice = *m_lattice;
    std::vector<int64_t> cells;
    {
        std::lock_guard<std::mutex> guard(part.mutex);
        cells.reserve(part.removed.size());
        for (uint64_t key : part.removed) {
            const SiSite s = lattice.site(key);
            lattice.setState(s, SiLattice::Absent);
            cells.push_back(lattice.cellIndex(s));
        }
    }
    // A cell becomes empty with its last atom, and only then.
    std::sort(cells.begin(), cells.end());
    for (size_t n = 0; n < cells.size();) {
        size_t end = n;
        while (end < cells.size() && cells[end] == cells[n])
            ++end;
        const size_t cell = size_t(cells[n]);
        const uint32_t removed = uint32_t(end - n);
        const uint32_t held = lattice.atomCount(cell);
        const uint32_t count = held > removed ? held - removed : 0;
        lattice.setAtomCount(cell, count);
        if (count == 0) {
            m_cells.setState(cell, 0);
            if (m_erosion)
                part.emptied.push_back(int64_t(cell));
        }
        n = end;
    }

    std::vector<Candidate> next;
    {
        std::lock_guard<std::mutex> guard(part.mutex);
        next.swap(part.kept);
        next.insert(next.end(), part.own.begin(), part.own.end());
    }
    if (thread > 0) {
        Part &below = *m_parts[thread - 1];
        std::lock_guard<std::mutex> guard(below.mutex);
        next.insert(next.end(), below.upper.begin(), below.upper.end());
    }
    if (thread + 1 < m_threads) {
        Part &above = *m_parts[thread + 1];
        std::lock_guard<std::mutex> guard(above.mutex);
        next.insert(next.end(), above.lower.begin(), above.lower.end());
    }
    // An atom named twice keeps the smaller amount: the one it has been losing as a candidate.
    std::sort(next.begin(), next.end(), [](const Candidate &a, const Candidate &b) {
        return a.key != b.key ? a.key < b.key : a.amount < b.amount;
    });
    next.erase(
        std::unique(next.begin(), next.end(), [](const Candidate &a, const Candidate &b) { return a.key == b.key; }),
        next.end());
    std::lock_guard<std::mutex> guard(part.mutex);
    part.candidates.swap(next);
}

} // namespace Operations
} // namespace Core
