#include "Core/Engines/LineOfSight/lineofsighttransport.h"

#include "Core/Engines/RandomWalk/randomstream.h"
#include "Model/Volume/totalvolume.h"
#include "Util/paralleltasks.h"
#include "Util/runstage.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace Core {
namespace Operations {

using Model::Automaton::Cells;

namespace {

constexpr double pi = 3.14159265358979323846;
// Flux is summed in units of 2^-32 of a particle: whole numbers add up alike in any order.
constexpr double fixedPointScale = 4294967296.0;
// A particle lighter than this share of its start plays Russian roulette.
constexpr double rouletteShare = 1.0 / 4.0;
// Bounds that end pathological flights (grazing rays, particles caught between masks).
constexpr int maximumBounces = 10000;

// Directions 0 .. 5: -x, +x, -y, +y, -z, +z.
constexpr int directionAxis(int d) { return d / 2; }
constexpr int directionSign(int d) { return d % 2 == 0 ? -1 : 1; }

QString number(double value) { return QString::number(value, 'g', 6); }

// A direction drawn from p(mu) ~ mu^n per solid angle about the axis `axis` (sign `sign`): mu =
// u^(1 / (n + 1)). n = 1 is Lambert's cosine law (mu = sqrt(u)).
void drawDirection(RandomStream &random, double exponent, int axis, int sign, double direction[3])
{
    const double mu =
        exponent == 1.0 ? std::sqrt(random.uniform()) : std::pow(random.uniform(), 1.0 / (exponent + 1.0));
    const double sine = std::sqrt(std::max(0.0, 1.0 - mu * mu));
    const double phi = 2.0 * pi * random.uniform();
    direction[axis] = sign * mu;
    direction[(axis + 1) % 3] = sine * std::cos(phi);
    direction[(axis + 2) % 3] = sine * std::sin(phi);
}

// A direction drawn from Lambert's cosine law about the unit vector `normal`.
void drawAbout(RandomStream &random, const double normal[3], double direction[3])
{
    double local[3];
    drawDirection(random, 1.0, 2, 1, local);
    // An orthonormal frame (u, v, normal), u from the axis least along the normal.
    const int least = std::abs(normal[0]) < std::abs(normal[1]) ? (std::abs(normal[0]) < std::abs(normal[2]) ? 0 : 2)
                                                                : (std::abs(normal[1]) < std::abs(normal[2]) ? 1 : 2);
    double e[3] = {0.0, 0.0, 0.0};
    e[least] = 1.0;
    double u[3] = {e[1] * normal[2] - e[2] * normal[1], e[2] * normal[0] - e[0] * normal[2],
                   e[0] * normal[1] - e[1] * normal[0]};
    const double length = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
    for (double &value : u)
        value /= length;
    const double v[3] = {normal[1] * u[2] - normal[2] * u[1], normal[2] * u[0] - normal[0] * u[2],
                         normal[0] * u[1] - normal[1] * u[0]};
    for (int a = 0; a < 3; ++a)
        direction[a] = local[0] * u[a] + local[1] * v[a] + local[2] * normal[a];
}

} // namespace

/// A particle in flight: its cell (z may be sizeZ(), the row above the volume, at the start), the
/// place inside it (0 .. 1 per axis), its direction in the physical frame and its weight.
struct LineOfSightTransport::Flight {
    long long cell[3];
    double place[3];
    double direction[3];
    double weight;
    double rouletteWeight;
};

LineOfSightTransport::LineOfSightTransport(Model::Automaton::TotalVolume &volume, const Settings &settings)
    : m_volume(volume)
    , m_settings(settings)
    , m_seed(uint64_t(std::chrono::system_clock::now().time_since_epoch().count()))
{
    const QString problem = checkSettings(settings);
    if (!problem.isEmpty())
        throw std::invalid_argument(problem.toStdString());
    // Cell units per unit of physical length, so that flights are straight in the physical frame
    // also in cells that are not cubes.
    m_step[0] = 1.0 / volume.cellSizeX();
    m_step[1] = 1.0 / volume.cellSizeY();
    m_step[2] = 1.0 / volume.cellSizeZ();
}

QString LineOfSightTransport::checkSettings(const Settings &settings)
{
    const bool deposition = settings.mode == Mode::Deposition;
    const QString amountName = deposition ? QStringLiteral("Film Thickness") : QStringLiteral("Etch Depth");
    const QString shareName =
        deposition ? QStringLiteral("Sticking Coefficient") : QStringLiteral("Reaction Probability");
    if (!std::isfinite(settings.amount) || settings.amount < 0.0 || settings.amount > largestAmount)
        return QStringLiteral("%1 must be from 0 to %2 cells, not %3.")
            .arg(amountName, number(largestAmount), number(settings.amount));
    if (!std::isfinite(settings.sticking) || settings.sticking <= 0.0 || settings.sticking > 1.0)
        return QStringLiteral("%1 must be greater than 0 and at most 1, not %2.")
            .arg(shareName, number(settings.sticking));
    if (!std::isfinite(settings.sourceExponent) || settings.sourceExponent < 1.0 ||
        settings.sourceExponent > largestExponent)
        return QStringLiteral("Source Exponent must be from 1 to %1, not %2.")
            .arg(number(largestExponent), number(settings.sourceExponent));
    if (settings.material == 0 || settings.material > Cells::maximumState)
        return QStringLiteral("Material must be a material of the catalogue, not %1.").arg(settings.material);
    return QString();
}

void LineOfSightTransport::setRaysPerCell(uint32_t rays) { m_raysPerCell = std::max(rays, roundsPerCell); }

void LineOfSightTransport::run()
{
    // The first round is half as long: a flat surface then reaches a whole cell half-way through
    // a round (at 1/4, 3/4, 5/4 cell), never at a round's end, where noise would split it into
    // cells that turn now and cells that turn a round later, and roughen it.
    const double roundsWanted = m_settings.amount * roundsPerCell;
    const uint64_t rounds = roundsWanted <= 0.0 ? 0 : 1 + uint64_t(std::max(0.0, std::ceil(roundsWanted - 0.5 - 1e-9)));
    Util::RunStage stage(m_control, rounds);
    if (rounds == 0 || stage.stopHere()) {
        stage.finish();
        return;
    }
    const uint32_t raysPerRound = m_raysPerCell / roundsPerCell;
    Model::Automaton::CellLock lock(m_volume);
    Cells cells = lock.cells();
    for (uint64_t round = 0; round < rounds; ++round) {
        if (stage.stopHere())
            return;
        const double done = round == 0 ? 0.0 : double(round) - 0.5;
        const double weight = std::min(round == 0 ? 0.5 : 1.0, roundsWanted - done);
        collectSites(cells);
        Util::runParallelRange(m_volume.sizeX(), 1, [&](size_t begin, size_t end) {
            for (size_t x = begin; x < end; ++x)
                traceRow(cells, uint32_t(x), round, weight);
        });
        m_raysTraced += uint64_t(raysPerRound) * m_volume.sizeX() * m_volume.sizeY();
        // What a flat open surface collects in a whole round: the share s of every ray.
        applyRound(cells, double(raysPerRound) * m_settings.sticking, weight, round + 1 == rounds);
        stage.advance();
    }
    m_sites.clear();
    m_collected.clear();
    m_hits.reset();
    m_carried.clear();
    stage.finish();
}

void LineOfSightTransport::traceRow(Cells cells, uint32_t x, uint64_t round, double weight)
{
    // One stream per round and source row, whichever thread traces it.
    RandomStream random(m_seed, round, x);
    const uint32_t rays = m_raysPerCell / roundsPerCell;
    for (uint32_t y = 0; y < m_volume.sizeY(); ++y)
        for (uint32_t k = 0; k < rays; ++k) {
            Flight flight;
            flight.cell[0] = x;
            flight.cell[1] = y;
            flight.cell[2] = m_volume.sizeZ();
            flight.place[0] = random.uniform();
            flight.place[1] = random.uniform();
            flight.place[2] = 0.0;
            drawDirection(random, m_settings.sourceExponent, 2, -1, flight.direction);
            flight.weight = weight;
            flight.rouletteWeight = weight * rouletteShare;
            fly(cells, random, flight);
        }
}

void LineOfSightTransport::fly(Cells cells, RandomStream &random, Flight f)
{
    const long long n[3] = {m_volume.sizeX(), m_volume.sizeY(), m_volume.sizeZ()};
    const long long maximumSteps = 64 * (n[0] + n[1] + n[2]);
    const bool deposition = m_settings.mode == Mode::Deposition;
    const double inf = std::numeric_limits<double>::infinity();
    for (int bounce = 0; bounce < maximumBounces; ++bounce) {
        // Amanatides & Woo: the ray parameter t at which the flight crosses the next cell
        // boundary on each axis, and how much t one whole cell takes.
        double velocity[3];
        int step[3];
        double next[3];
        double delta[3];
        long long moved[3] = {0, 0, 0};
        for (int a = 0; a < 3; ++a) {
            velocity[a] = f.direction[a] * m_step[a];
            step[a] = velocity[a] > 0.0 ? 1 : (velocity[a] < 0.0 ? -1 : 0);
            delta[a] = step[a] != 0 ? 1.0 / std::abs(velocity[a]) : inf;
            next[a] = step[a] > 0 ? (1.0 - f.place[a]) * delta[a] : (step[a] < 0 ? f.place[a] * delta[a] : inf);
        }
        long long c[3] = {f.cell[0], f.cell[1], f.cell[2]};
        bool hit = false;
        int axis = 2;
        double t = 0.0;
        size_t hitCell = 0;
        for (long long s = 0; s < maximumSteps; ++s) {
            axis = next[0] < next[1] ? (next[0] < next[2] ? 0 : 2) : (next[1] < next[2] ? 1 : 2);
            t = next[axis];
            next[axis] += delta[axis];
            c[axis] += step[axis];
            moved[axis] += step[axis];
            if (axis < 2)
                c[axis] = c[axis] < 0 ? n[axis] - 1 : (c[axis] >= n[axis] ? 0 : c[axis]);
            if (c[2] < 0 || c[2] >= n[2])
                return; // out through the top, or lost through the bottom
            hitCell = m_volume.index(uint32_t(c[0]), uint32_t(c[1]), uint32_t(c[2]));
            if (cells.state(hitCell) != 0) {
                hit = true;
                break;
            }
        }
        if (!hit)
            return;

        // The hit point, as a place in the empty cell in front of the hit face.
        for (int a = 0; a < 3; ++a) {
            if (a == axis) {
                f.place[a] = step[a] > 0 ? 1.0 : 0.0;
                continue;
            }
            f.place[a] = std::clamp(f.place[a] + t * velocity[a] - double(moved[a]), 0.0, 1.0);
        }
        c[axis] -= step[axis];
        if (axis < 2)
            c[axis] = c[axis] < 0 ? n[axis] - 1 : (c[axis] >= n[axis] ? 0 : c[axis]);
        f.cell[0] = c[0];
        f.cell[1] = c[1];
        f.cell[2] = c[2];

        // The share that stays; masks (etching) take nothing.
        const bool reacts = deposition || cells.state(hitCell) == m_settings.material;
        if (reacts) {
            const double stays = f.weight * m_settings.sticking;
            if (deposition) {
                if (c[2] < n[2])
                    collect(m_volume.index(uint32_t(c[0]), uint32_t(c[1]), uint32_t(c[2])), stays);
            } else {
                collect(hitCell, stays);
            }
            f.weight -= stays;
            if (f.weight <= 0.0)
                return;
            if (f.weight < f.rouletteWeight) {
                if (random.uniform() * f.rouletteWeight >= f.weight)
                    return;
                f.weight = f.rouletteWeight;
            }
        }
        // Diffuse re-emission: the cosine law about the surface's normal, into the empty cell.
        // The normal is that of the surface the cells approximate, not of the hit face: about a
        // face of a staircase, particles would meet the next step again and again, and a film
        // of low sticking would grow on a flat surface of cubes faster than on a flat one.
        double normal[3];
        surfaceNormal(cells, c, axis, -step[axis], normal);
        drawAbout(random, normal, f.direction);
        if (f.direction[axis] * -step[axis] <= 0.0)
            f.direction[axis] = -f.direction[axis];
    }
}

void LineOfSightTransport::surfaceNormal(Cells cells, const long long cell[3], int axis, int sign,
                                         double normal[3]) const
{
    // Away from the occupied cells of the 3 x 3 x 3 block about the empty cell, in cell units,
    // then in the physical frame (a gradient scales with 1 / cell size).
    const long long n[3] = {m_volume.sizeX(), m_volume.sizeY(), m_volume.sizeZ()};
    long long xs[3];
    long long ys[3];
    for (int d = -1; d <= 1; ++d) {
        xs[d + 1] = (cell[0] + d + n[0]) % n[0];
        ys[d + 1] = (cell[1] + d + n[1]) % n[1];
    }
    double sum[3] = {0.0, 0.0, 0.0};
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            const size_t column = m_volume.index(uint32_t(xs[dx + 1]), uint32_t(ys[dy + 1]), 0);
            for (int dz = -1; dz <= 1; ++dz) {
                const long long z = cell[2] + dz;
                // Below the volume counts as occupied, above it as empty.
                if (z >= n[2] || (z >= 0 && cells.state(column + size_t(z)) == 0))
                    continue;
                sum[0] -= dx;
                sum[1] -= dy;
                sum[2] -= dz;
            }
        }
    double length = 0.0;
    for (int a = 0; a < 3; ++a) {
        normal[a] = sum[a] * m_step[a];
        length += normal[a] * normal[a];
    }
    length = std::sqrt(length);
    if (!(length > 0.0)) {
        normal[0] = normal[1] = normal[2] = 0.0;
        normal[axis] = sign;
        return;
    }
    for (int a = 0; a < 3; ++a)
        normal[a] /= length;
}

void LineOfSightTransport::collect(size_t site, double weight)
{
    const auto found = std::lower_bound(m_sites.begin(), m_sites.end(), site);
    if (found == m_sites.end() || *found != site)
        return;
    m_hits[size_t(found - m_sites.begin())].fetch_add(uint64_t(std::llround(weight * fixedPointScale)),
                                                      std::memory_order_relaxed);
}

size_t LineOfSightTransport::neighbour(size_t i, int direction, bool &inside) const
{
    uint32_t p[3];
    m_volume.coordinates(i, p[0], p[1], p[2]);
    const int axis = directionAxis(direction);
    const long long size = axis == 0 ? m_volume.sizeX() : (axis == 1 ? m_volume.sizeY() : m_volume.sizeZ());
    long long q = static_cast<long long>(p[axis]) + directionSign(direction);
    inside = true;
    if (axis == 2 && (q < 0 || q >= size)) {
        inside = false;
        return 0;
    }
    q = q < 0 ? size - 1 : (q >= size ? 0 : q);
    p[axis] = uint32_t(q);
    return m_volume.index(p[0], p[1], p[2]);
}

bool LineOfSightTransport::isSiteCell(Cells cells, size_t i) const
{
    const uint32_t state = cells.state(i);
    const bool deposition = m_settings.mode == Mode::Deposition;
    if (deposition ? state != 0 : state != m_settings.material)
        return false;
    for (int d = 0; d < 6; ++d) {
        bool inside = false;
        const size_t j = neighbour(i, d, inside);
        if (deposition ? inside && cells.state(j) != 0 : !inside ? d == 5 : cells.state(j) == 0)
            return true;
    }
    return false;
}

void LineOfSightTransport::collectSites(Cells cells)
{
    const uint32_t nx = m_volume.sizeX();
    std::vector<std::vector<size_t>> slabs(nx);
    Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
        for (size_t x = begin; x < end; ++x) {
            const size_t first = m_volume.index(uint32_t(x), 0, 0);
            const size_t last = first + size_t(m_volume.sizeY()) * m_volume.sizeZ();
            for (size_t i = first; i < last; ++i)
                if (isSiteCell(cells, i))
                    slabs[x].push_back(i);
        }
    });
    std::vector<size_t> sites;
    for (auto &slab : slabs) {
        sites.insert(sites.end(), slab.begin(), slab.end());
        std::vector<size_t>().swap(slab);
    }

    // What the sites that stay sites have collected so far, and the remainders passed on.
    std::vector<double> collected(sites.size(), 0.0);
    size_t old = 0;
    for (size_t k = 0; k < sites.size(); ++k) {
        while (old < m_sites.size() && m_sites[old] < sites[k])
            ++old;
        if (old < m_sites.size() && m_sites[old] == sites[k])
            collected[k] = m_collected[old];
    }
    for (const auto &carried : m_carried) {
        const auto found = std::lower_bound(sites.begin(), sites.end(), carried.first);
        if (found != sites.end() && *found == carried.first)
            collected[size_t(found - sites.begin())] += carried.second;
    }
    m_carried.clear();
    m_sites = std::move(sites);
    m_collected = std::move(collected);
    m_hits.reset(new std::atomic<uint64_t>[m_sites.size()]);
    for (size_t k = 0; k < m_sites.size(); ++k)
        m_hits[k].store(0, std::memory_order_relaxed);
}

size_t LineOfSightTransport::carryTarget(Cells cells, size_t i, bool &found) const
{
    // The outward normal from the neighbours: away from occupied cells (deposition), towards
    // empty ones (etching). The remainder goes one cell further along it (deposition) or against
    // it (etching), to a cell of the same kind.
    const bool deposition = m_settings.mode == Mode::Deposition;
    int normal[3] = {0, 0, 0};
    for (int d = 0; d < 6; ++d) {
        bool inside = false;
        const size_t j = neighbour(i, d, inside);
        const bool empty = inside ? cells.state(j) == 0 : d == 5;
        if (deposition ? !empty : empty)
            normal[directionAxis(d)] += deposition ? -directionSign(d) : directionSign(d);
    }
    found = false;
    size_t target = 0;
    int best = 0;
    for (int d : {5, 4, 1, 0, 3, 2}) {
        const int along = (deposition ? 1 : -1) * normal[directionAxis(d)] * directionSign(d);
        if (along <= best)
            continue;
        bool inside = false;
        const size_t j = neighbour(i, d, inside);
        if (!inside || cells.state(j) != (deposition ? 0u : m_settings.material))
            continue;
        best = along;
        target = j;
        found = true;
    }
    return target;
}

void LineOfSightTransport::applyRound(Cells cells, double flatFlux, double weight, bool last)
{
    const double perCell = flatFlux * roundsPerCell;
    m_lastFlux.clear();
    m_lastFlux.reserve(m_sites.size());
    for (size_t k = 0; k < m_sites.size(); ++k) {
        const double flux = double(m_hits[k].load(std::memory_order_relaxed)) / fixedPointScale;
        m_collected[k] += flux / perCell;
        m_lastFlux.emplace_back(m_sites[k], flux / (flatFlux * weight));
    }
    const uint32_t changed = m_settings.mode == Mode::Deposition ? m_settings.material : 0u;
    // The last round rounds half a cell and more to a cell.
    const double threshold = last ? 0.5 : 1.0;
    for (size_t k = 0; k < m_sites.size(); ++k) {
        if (m_collected[k] < threshold)
            continue;
        cells.setState(m_sites[k], changed);
        const double remainder = m_collected[k] - 1.0;
        if (last || remainder <= 0.0)
            continue;
        bool found = false;
        const size_t target = carryTarget(cells, m_sites[k], found);
        if (found)
            m_carried.emplace_back(target, remainder);
    }
    std::sort(m_carried.begin(), m_carried.end());
}

} // namespace Operations
} // namespace Core
