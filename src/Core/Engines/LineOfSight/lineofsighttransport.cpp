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
    // Progress counts source rows, so that it moves within a round of a large volume.
    const uint32_t nx = m_volume.sizeX();
    Util::RunStage stage(m_control, rounds * nx);
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
        // The rows watch for a stop request themselves, so that a stop does not wait for the
        // whole round; the round is then left unfinished and its flux is dropped (the cells
        // only change between rounds).
        m_watchStop = m_control && m_control->canStop();
        m_leaving.store(false, std::memory_order_relaxed);
        Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
            for (size_t x = begin; x < end && !m_leaving.load(std::memory_order_relaxed); ++x) {
                traceRow(cells, uint32_t(x), round, weight);
                stage.advance();
            }
        });
        if (m_leaving.load(std::memory_order_relaxed)) {
            if (stage.stopHere())
                return;
            // The stop was taken back: the round is traced again in full.
            m_watchStop = false;
            m_leaving.store(false, std::memory_order_relaxed);
            for (size_t k = 0; k < m_sites.size(); ++k)
                m_hits[k].store(0, std::memory_order_relaxed);
            Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
                for (size_t x = begin; x < end; ++x)
                    traceRow(cells, uint32_t(x), round, weight);
            });
        }
        m_raysTraced += uint64_t(raysPerRound) * nx * m_volume.sizeY();
        // What a flat open surface collects in a whole round: the share s of every ray.
        applyRound(cells, double(raysPerRound) * m_settings.sticking, weight, round + 1 == rounds);
    }
    m_sites.clear();
    m_collected.clear();
    m_hits.reset();
    m_carried.clear();
    m_columnStart.clear();
    m_normals.clear();
    m_top.clear();
    m_gaps.clear();
    m_blockTop.clear();
    stage.finish();
}

void LineOfSightTransport::traceRow(Cells cells, uint32_t x, uint64_t round, double weight)
{
    // One stream per round and source row, whichever thread traces it. The source plane is the
    // top of the highest occupied cell: above it, the flux of a uniform source over periodic
    // sides is the same at every height, so flights through the empty space above are skipped.
    RandomStream random(m_seed, round, x);
    const uint32_t rays = m_raysPerCell / roundsPerCell;
    for (uint32_t y = 0; y < m_volume.sizeY(); ++y) {
        if (m_watchStop && m_control->stopRequested()) {
            m_leaving.store(true, std::memory_order_relaxed);
            return;
        }
        for (uint32_t k = 0; k < rays; ++k) {
            Flight flight;
            flight.cell[0] = x;
            flight.cell[1] = y;
            flight.cell[2] = m_zLimit;
            flight.place[0] = random.uniform();
            flight.place[1] = random.uniform();
            flight.place[2] = 0.0;
            drawDirection(random, m_settings.sourceExponent, 2, -1, flight.direction);
            flight.weight = weight;
            flight.rouletteWeight = weight * rouletteShare;
            fly(cells, random, flight);
        }
    }
}

void LineOfSightTransport::fly(Cells cells, RandomStream &random, Flight f)
{
    const long long n[3] = {m_volume.sizeX(), m_volume.sizeY(), m_volume.sizeZ()};
    const long long maximumSteps = 64 * (n[0] + n[1] + n[2]);
    const bool deposition = m_settings.mode == Mode::Deposition;
    const double inf = std::numeric_limits<double>::infinity();
    // Above the highest occupied cell nothing can be hit: a flight that rises there has left.
    const long long zLimit = m_zLimit;
    const uint32_t *top = m_top.data();
    const uint32_t *gaps = m_gaps.data();
    const int blockShift = leapBlockShift;
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
        if (c[2] >= zLimit && step[2] >= 0)
            return;
        bool hit = false;
        int axis = 2;
        double t = 0.0;
        size_t column = 0;
        size_t hitCell = 0;
        // The plain steps work on scalars the compiler keeps in registers; leaps on the arrays.
        long long cx = c[0], cy = c[1], cz = c[2];
        long long mx = 0, my = 0, mz = 0;
        double tx = next[0], ty = next[1], tz = next[2];
        for (long long s = 0; s < maximumSteps && !hit; ++s) {
            if (tx < ty && tx < tz) {
                axis = 0;
                t = tx;
                tx += delta[0];
                cx += step[0];
                mx += step[0];
                cx = cx < 0 ? n[0] - 1 : (cx >= n[0] ? 0 : cx);
            } else if (!(tx < ty) && ty < tz) {
                axis = 1;
                t = ty;
                ty += delta[1];
                cy += step[1];
                my += step[1];
                cy = cy < 0 ? n[1] - 1 : (cy >= n[1] ? 0 : cy);
            } else {
                axis = 2;
                t = tz;
                tz += delta[2];
                cz += step[2];
                mz += step[2];
                if (cz < 0 || (step[2] > 0 && cz >= zLimit))
                    return; // out through the top, or lost through the bottom
            }
            column = size_t(cx) * size_t(n[1]) + size_t(cy);
            if (cz < static_cast<long long>(top[column])) {
                if (cz >= static_cast<long long>(gaps[2 * column]) && cz < static_cast<long long>(gaps[2 * column + 1]))
                    continue;
                hitCell = column * size_t(n[2]) + size_t(cz);
                hit = cells.state(hitCell) != 0;
                continue;
            }
            if (cz <
                static_cast<long long>(m_blockTop[size_t(cx >> blockShift) * m_blocksY + size_t(cy >> blockShift)]))
                continue;
            c[0] = cx, c[1] = cy, c[2] = cz;
            next[0] = tx, next[1] = ty, next[2] = tz;
            moved[0] = mx, moved[1] = my, moved[2] = mz;
            // Arrived in cell c, by a step or by a leap.
            for (;;) {
                if (c[2] < 0 || (step[2] > 0 && c[2] >= zLimit))
                    return; // out through the top, or lost through the bottom
                // Cells at or above a column's highest occupied cell are empty: the small map of
                // column tops answers for most steps without reading the cells.
                column = size_t(c[0]) * size_t(n[1]) + size_t(c[1]);
                if (c[2] < static_cast<long long>(top[column])) {
                    // The highest empty run under the column's top (under an overhang) is
                    // kept too.
                    if (c[2] >= static_cast<long long>(gaps[2 * column]) &&
                        c[2] < static_cast<long long>(gaps[2 * column + 1]))
                        break;
                    hitCell = column * size_t(n[2]) + size_t(c[2]);
                    hit = cells.state(hitCell) != 0;
                    break;
                }
                // Above the highest cell of its whole block of columns, the flight leaps to where
                // it leaves the block sideways or comes down to that height, whichever is first:
                // every boundary crossed until then is counted at once.
                const size_t block = size_t(c[0] >> blockShift) * m_blocksY + size_t(c[1] >> blockShift);
                const long long blockTop = m_blockTop[block];
                if (c[2] < blockTop)
                    break;
                long long crossings[3] = {0, 0, 0};
                int first = -1;
                double until = inf;
                for (int a = 0; a < 3; ++a) {
                    if (step[a] == 0)
                        continue;
                    long long k = 0; // crossings before the one that ends the leap
                    if (a < 2) {
                        const long long low = (c[a] >> blockShift) << blockShift;
                        const long long high = std::min(n[a], low + (1LL << blockShift));
                        k = step[a] > 0 ? high - 1 - c[a] : c[a] - low;
                    } else {
                        k = step[2] > 0 ? zLimit - 1 - c[2] : c[2] - blockTop;
                    }
                    const double when = next[a] + double(k) * delta[a];
                    if (when < until) {
                        until = when;
                        first = a;
                        crossings[a] = k + 1;
                    }
                }
                if (first < 0)
                    break;
                for (int a = 0; a < 3; ++a) {
                    if (a != first)
                        crossings[a] = next[a] <= until
                                           ? 1 + static_cast<long long>((until - next[a]) * std::abs(velocity[a]))
                                           : 0;
                    next[a] += double(crossings[a]) * delta[a];
                    c[a] += step[a] * crossings[a];
                    moved[a] += step[a] * crossings[a];
                    if (a < 2)
                        c[a] = c[a] < 0 ? c[a] + n[a] : (c[a] >= n[a] ? c[a] - n[a] : c[a]);
                }
                axis = first;
                t = until;
            }
            cx = c[0], cy = c[1], cz = c[2];
            tx = next[0], ty = next[1], tz = next[2];
            mx = moved[0], my = moved[1], mz = moved[2];
        }
        if (!hit)
            return;
        c[0] = cx, c[1] = cy, c[2] = cz;
        moved[0] = mx, moved[1] = my, moved[2] = mz;

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

        // The site in front of the face (deposition), with the surface normal kept for it.
        size_t site = noSite;
        if (deposition && c[2] < n[2]) {
            const size_t front = size_t(c[0]) * size_t(n[1]) + size_t(c[1]);
            site = siteOf(front, front * size_t(n[2]) + size_t(c[2]));
        }
        // The share that stays; masks (etching) take nothing.
        const bool reacts = deposition || cells.state(hitCell) == m_settings.material;
        if (reacts) {
            const double stays = f.weight * m_settings.sticking;
            const size_t taker = deposition ? site : siteOf(column, hitCell);
            if (taker != noSite)
                m_hits[taker].fetch_add(uint64_t(std::llround(stays * fixedPointScale)), std::memory_order_relaxed);
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
        if (site != noSite) {
            for (int a = 0; a < 3; ++a)
                normal[a] = m_normals[3 * site + a];
        } else {
            surfaceNormal(cells, c, normal);
        }
        if (normal[0] == 0.0 && normal[1] == 0.0 && normal[2] == 0.0)
            normal[axis] = -step[axis];
        drawAbout(random, normal, f.direction);
        if (f.direction[axis] * -step[axis] <= 0.0)
            f.direction[axis] = -f.direction[axis];
    }
}

void LineOfSightTransport::surfaceNormal(Cells cells, const long long cell[3], double normal[3]) const
{
    // Away from the occupied cells of the 3 x 3 x 3 block about the empty cell, in cell units,
    // then in the physical frame (a gradient scales with 1 / cell size); 0 when they balance.
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
    for (int a = 0; a < 3; ++a)
        normal[a] = length > 0.0 ? normal[a] / length : 0.0;
}

size_t LineOfSightTransport::siteOf(size_t column, size_t cell) const
{
    const auto begin = m_sites.begin() + ptrdiff_t(m_columnStart[column]);
    const auto end = m_sites.begin() + ptrdiff_t(m_columnStart[column + 1]);
    const auto found = std::lower_bound(begin, end, cell);
    return found != end && *found == cell ? size_t(found - m_sites.begin()) : noSite;
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

bool LineOfSightTransport::isSiteCell(Cells cells, const uint32_t p[3], size_t i) const
{
    const uint32_t state = cells.state(i);
    const bool deposition = m_settings.mode == Mode::Deposition;
    if (deposition ? state != 0 : state != m_settings.material)
        return false;
    const uint32_t nx = m_volume.sizeX();
    const uint32_t ny = m_volume.sizeY();
    const uint32_t nz = m_volume.sizeZ();
    // An empty cell with an occupied neighbour (deposition); a cell of the material with an empty
    // neighbour or the top of the volume above it (etching). The sides are periodic.
    if (!deposition && p[2] + 1 == nz)
        return true;
    const size_t slab = size_t(ny) * nz;
    const size_t neighbours[6] = {p[0] == 0 ? i + (nx - 1) * slab : i - slab,
                                  p[0] + 1 == nx ? i - (nx - 1) * slab : i + slab,
                                  p[1] == 0 ? i + size_t(ny - 1) * nz : i - nz,
                                  p[1] + 1 == ny ? i - size_t(ny - 1) * nz : i + nz,
                                  p[2] == 0 ? i : i - 1,
                                  p[2] + 1 == nz ? i : i + 1};
    for (size_t j : neighbours)
        if (j != i && (deposition ? cells.state(j) != 0 : cells.state(j) == 0))
            return true;
    return false;
}

void LineOfSightTransport::collectSites(Cells cells)
{
    const uint32_t nx = m_volume.sizeX();
    const uint32_t ny = m_volume.sizeY();
    const uint32_t nz = m_volume.sizeZ();
    const bool deposition = m_settings.mode == Mode::Deposition;
    // The height of each column: one above its highest occupied cell.
    // And the highest empty run below that top, if any.
    m_top.assign(size_t(nx) * ny, 0);
    m_gaps.assign(2 * size_t(nx) * ny, 0);
    Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
        for (size_t column = begin * ny; column < end * ny; ++column) {
            const size_t first = column * nz;
            uint32_t z = nz;
            while (z > 0 && cells.state(first + z - 1) == 0)
                --z;
            m_top[column] = z;
            while (z > 0 && cells.state(first + z - 1) != 0)
                --z;
            const uint32_t high = z;
            while (z > 0 && cells.state(first + z - 1) == 0)
                --z;
            m_gaps[2 * column] = z;
            m_gaps[2 * column + 1] = high;
        }
    });
    m_zLimit = m_top.empty() ? 0 : *std::max_element(m_top.begin(), m_top.end());
    // The highest of each block of 2^leapBlockShift x 2^leapBlockShift columns.
    const uint32_t blocksX = ((nx - 1) >> leapBlockShift) + 1;
    m_blocksY = ((ny - 1) >> leapBlockShift) + 1;
    m_blockTop.assign(size_t(blocksX) * m_blocksY, 0);
    for (uint32_t x = 0; x < nx; ++x)
        for (uint32_t y = 0; y < ny; ++y) {
            uint32_t &block = m_blockTop[size_t(x >> leapBlockShift) * m_blocksY + (y >> leapBlockShift)];
            block = std::max(block, m_top[size_t(x) * ny + y]);
        }

    // The sites column by column, in cell order; a site lies at most one above the highest
    // occupied cell of its column and its four neighbours. Deposition keeps each site's normal.
    struct Slab {
        std::vector<size_t> sites;
        std::vector<double> normals;
        std::vector<size_t> counts;
    };
    std::vector<Slab> slabs(nx);
    Util::runParallelRange(nx, 1, [&](size_t begin, size_t end) {
        for (size_t x = begin; x < end; ++x) {
            Slab &slab = slabs[x];
            slab.counts.assign(ny, 0);
            const size_t left = x == 0 ? nx - 1 : x - 1;
            const size_t right = x + 1 == nx ? 0 : x + 1;
            for (uint32_t y = 0; y < ny; ++y) {
                const size_t column = x * ny + y;
                const size_t front = y == 0 ? ny - 1 : y - 1;
                const size_t back = y + 1 == ny ? 0 : y + 1;
                const uint32_t height =
                    std::min(nz, std::max({m_top[column] + 1, m_top[left * ny + y], m_top[right * ny + y],
                                           m_top[x * ny + front], m_top[x * ny + back]}));
                for (uint32_t z = 0; z < height; ++z) {
                    const uint32_t p[3] = {uint32_t(x), y, z};
                    const size_t i = column * nz + z;
                    if (!isSiteCell(cells, p, i))
                        continue;
                    slab.sites.push_back(i);
                    ++slab.counts[y];
                    if (deposition) {
                        const long long cell[3] = {static_cast<long long>(x), y, z};
                        double normal[3];
                        surfaceNormal(cells, cell, normal);
                        slab.normals.insert(slab.normals.end(), normal, normal + 3);
                    }
                }
            }
        }
    });
    std::vector<size_t> sites;
    m_normals.clear();
    m_columnStart.assign(size_t(nx) * ny + 1, 0);
    for (uint32_t x = 0; x < nx; ++x) {
        Slab &slab = slabs[x];
        for (uint32_t y = 0; y < ny; ++y)
            m_columnStart[size_t(x) * ny + y + 1] = m_columnStart[size_t(x) * ny + y] + slab.counts[y];
        sites.insert(sites.end(), slab.sites.begin(), slab.sites.end());
        m_normals.insert(m_normals.end(), slab.normals.begin(), slab.normals.end());
        slab = Slab();
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
