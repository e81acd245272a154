#include "engine/physics/BroadPhase.h"

#include <algorithm>
#include <cmath>

#include "engine/objects/TypeNames.h"
#include "engine/physics/Primitive.h"

namespace QRX {

namespace {

bool Finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

float LargestMagnitude(const glm::vec3& v) { return std::max(std::fabs(v.x), std::max(std::fabs(v.y), std::fabs(v.z))); }

} // namespace

void BroadPhase::Measure(const std::vector<Item>& items)
{
    m_bounds.assign(items.size(), Bounds());
    m_unbounded.clear();
    for (std::uint32_t i = 0; i < items.size(); ++i) {
        const Primitive* primitive = items[i].primitive;
        if (!primitive) continue;
        Bounds& b = m_bounds[i];
        const glm::vec3 centre = primitive->GetCentre();
        glm::vec3 extent(0.0f);  // of lo and hi
        glm::vec3 tight(0.0f);   // of tightLo and tightHi
        if (primitive->type == PR_SPHERE) {
            b.kind = SPHERE;
            extent = tight = glm::vec3(std::fabs(static_cast<const CollisionSphere*>(primitive)->scaledRadius));
        } else if (primitive->type == PR_BOX) {
            b.kind = BOX;
            const glm::vec3 half = glm::abs(static_cast<const CollisionBox*>(primitive)->scaledHalfSize);
            const glm::mat3& axes = primitive->orientation;
            b.turned = axes != glm::mat3(1.0f);
            for (int k = 0; k < 3; ++k) tight += glm::abs(axes[k]) * half[k];
            extent = b.turned ? glm::vec3(glm::length(half)) : half;
        } else if (primitive->type == PR_PLANE) {
            b.kind = PLANE;
            m_unbounded.push_back(i);
            continue;
        } else {
            continue;
        }
        const float margin = MARGIN * (1.0f + LargestMagnitude(centre) + LargestMagnitude(extent));
        b.lo = centre - extent - margin;
        b.hi = centre + extent + margin;
        b.tightLo = centre - tight - margin;
        b.tightHi = centre + tight + margin;
        b.bounded = Finite(b.lo) && Finite(b.hi) && Finite(b.tightLo) && Finite(b.tightHi);
        if (!b.bounded) m_unbounded.push_back(i);
    }
}

bool BroadPhase::Overlap(std::uint32_t a, std::uint32_t b) const
{
    const Bounds& first = m_bounds[a];
    const Bounds& second = m_bounds[b];
    for (int k = 0; k < 3; ++k)
        if (first.lo[k] > second.hi[k] || second.lo[k] > first.hi[k]) return false;
    if (first.turned == second.turned) return true;
    // A turned box against an unturned one: the world axes are face axes of
    // the unturned box, so the turned box's box around the axes is safe.
    const Bounds& turned = first.turned ? first : second;
    const Bounds& plain = first.turned ? second : first;
    if (plain.kind != BOX) return true;
    for (int k = 0; k < 3; ++k)
        if (turned.tightLo[k] > plain.hi[k] || plain.lo[k] > turned.tightHi[k]) return false;
    return true;
}

void BroadPhase::Emit(const std::vector<Item>& items, std::uint32_t a, std::uint32_t b)
{
    const Item& first = items[a];
    const Item& second = items[b];
    if (!first.body && !second.body) return;
    if (first.enemy && second.enemy) return;
    if (m_bounds[a].kind == PLANE && m_bounds[b].kind == PLANE) return;
    if (m_bounds[a].bounded && m_bounds[b].bounded && !Overlap(a, b)) return;
    m_found.emplace_back(std::min(a, b), std::max(a, b));
}

std::int32_t BroadPhase::FindCell(const std::int32_t at[3], bool insert)
{
    const std::size_t mask = m_cells.size() - 1;
    std::uint64_t h = static_cast<std::uint32_t>(at[0]) * 73856093ull ^ static_cast<std::uint32_t>(at[1]) * 19349663ull ^
                      static_cast<std::uint32_t>(at[2]) * 83492791ull;
    h = (h * 0x9E3779B97F4A7C15ull) >> 32;
    for (std::size_t slot = h & mask;; slot = (slot + 1) & mask) {
        Cell& cell = m_cells[slot];
        if (cell.first < 0) {
            if (!insert) return -1;
            cell.at[0] = at[0];
            cell.at[1] = at[1];
            cell.at[2] = at[2];
            m_usedCells.push_back(static_cast<std::int32_t>(slot));
            return static_cast<std::int32_t>(slot);
        }
        if (cell.at[0] == at[0] && cell.at[1] == at[1] && cell.at[2] == at[2]) return static_cast<std::int32_t>(slot);
    }
}

void BroadPhase::BuildGrid(const std::vector<Item>& items)
{
    m_loose.clear();
    for (std::int32_t slot : m_usedCells) m_cells[slot].first = -1;
    m_usedCells.clear();
    m_next.clear();
    m_entryItem.clear();

    // The cell size follows the bodies' median extent; without bodies there
    // is nothing to pair.
    m_sizes.clear();
    for (std::uint32_t i = 0; i < m_bounds.size(); ++i) {
        const Bounds& b = m_bounds[i];
        if (b.kind == NONE || !b.bounded || !items[i].body) continue;
        const glm::vec3 extent = b.hi - b.lo;
        m_sizes.push_back(std::max(extent.x, std::max(extent.y, extent.z)));
    }
    if (m_sizes.empty()) return;
    std::nth_element(m_sizes.begin(), m_sizes.begin() + m_sizes.size() / 2, m_sizes.end());
    const float median = m_sizes[m_sizes.size() / 2];
    m_cellSize = CELL_FACTOR;
    if (median > 0.0f && std::isfinite(median))
        m_cellSize = CELL_FACTOR * std::ldexp(1.0f, std::clamp(static_cast<int>(std::lround(std::log2(median))), -60, 60));

    std::size_t bodyCells = 0;
    for (std::uint32_t i = 0; i < m_bounds.size(); ++i) {
        Bounds& b = m_bounds[i];
        if (b.kind == NONE || !b.bounded) continue;
        std::int64_t count = 1;
        b.gridded = true;
        for (int k = 0; k < 3 && b.gridded; ++k) {
            const float lo = std::floor(b.lo[k] / m_cellSize);
            const float hi = std::floor(b.hi[k] / m_cellSize);
            if (!(std::fabs(lo) < MAX_CELL_COORDINATE && std::fabs(hi) < MAX_CELL_COORDINATE)) {
                b.gridded = false;
                break;
            }
            b.cellLo[k] = static_cast<std::int32_t>(lo);
            b.cellHi[k] = static_cast<std::int32_t>(hi);
            count *= static_cast<std::int64_t>(b.cellHi[k]) - b.cellLo[k] + 1;
            if (count > MAX_CELLS) b.gridded = false;
        }
        if (!b.gridded) m_loose.push_back(i);
        else if (items[i].body) bodyCells += static_cast<std::size_t>(count);
    }

    std::size_t tableSize = 64;
    while (tableSize < 2 * bodyCells) tableSize *= 2;
    if (m_cells.size() < tableSize) m_cells.assign(tableSize, Cell{{0, 0, 0}, -1});
    m_cellLo.resize(m_bounds.size());
    m_firstEntry.assign(m_bounds.size(), -1);
    m_entryCell.clear();
    for (std::uint32_t i = 0; i < m_bounds.size(); ++i) {
        const Bounds& b = m_bounds[i];
        if (!b.gridded) continue;
        for (int k = 0; k < 3; ++k) m_cellLo[i].at[k] = b.cellLo[k];
        if (!items[i].body) continue;
        // A body's entries are consecutive, so its cells need no second lookup.
        m_firstEntry[i] = static_cast<std::int32_t>(m_next.size());
        std::int32_t at[3];
        for (at[2] = b.cellLo[2]; at[2] <= b.cellHi[2]; ++at[2])
            for (at[1] = b.cellLo[1]; at[1] <= b.cellHi[1]; ++at[1])
                for (at[0] = b.cellLo[0]; at[0] <= b.cellHi[0]; ++at[0]) {
                    const std::int32_t slot = FindCell(at, true);
                    Cell& cell = m_cells[slot];
                    m_next.push_back(cell.first);
                    m_entryItem.push_back(i);
                    m_entryCell.push_back(slot);
                    cell.first = static_cast<std::int32_t>(m_next.size() - 1);
                }
    }
}

void BroadPhase::CellPairs(const std::vector<Item>& items, std::uint32_t i, std::int32_t slot)
{
    const Cell& cell = m_cells[slot];
    const CellCorner& mine = m_cellLo[i];
    const bool body = items[i].body;
    for (std::int32_t e = cell.first; e >= 0; e = m_next[e]) {
        const std::uint32_t j = m_entryItem[e];
        // Two bodies meet from the earlier one; an object without a body is
        // not in the grid, so it meets its bodies from its own side only.
        if (j == i || (body && j < i)) continue;
        // A pair sharing several cells is taken in the first of them.
        const CellCorner& theirs = m_cellLo[j];
        if (std::max(mine.at[0], theirs.at[0]) != cell.at[0] || std::max(mine.at[1], theirs.at[1]) != cell.at[1] ||
            std::max(mine.at[2], theirs.at[2]) != cell.at[2])
            continue;
        Emit(items, i, j);
    }
}

void BroadPhase::GridPairs(const std::vector<Item>& items)
{
    if (m_next.empty()) return;
    for (std::uint32_t i = 0; i < m_bounds.size(); ++i) {
        const Bounds& b = m_bounds[i];
        if (!b.gridded) continue;
        if (m_firstEntry[i] >= 0) {
            for (std::size_t e = static_cast<std::size_t>(m_firstEntry[i]); e < m_entryItem.size() && m_entryItem[e] == i; ++e)
                CellPairs(items, i, m_entryCell[e]);
            continue;
        }
        std::int32_t at[3];
        for (at[2] = b.cellLo[2]; at[2] <= b.cellHi[2]; ++at[2])
            for (at[1] = b.cellLo[1]; at[1] <= b.cellHi[1]; ++at[1])
                for (at[0] = b.cellLo[0]; at[0] <= b.cellHi[0]; ++at[0]) {
                    const std::int32_t slot = FindCell(at, false);
                    if (slot >= 0) CellPairs(items, i, slot);
                }
    }
}

void BroadPhase::LoosePairs(const std::vector<Item>& items)
{
    for (std::uint32_t loose : m_loose) {
        for (std::uint32_t i = 0; i < m_bounds.size(); ++i) {
            const Bounds& b = m_bounds[i];
            if (i == loose || b.kind == NONE || !b.bounded) continue;
            if (!b.gridded && i < loose) continue;  // made by the earlier loose one
            Emit(items, loose, i);
        }
    }
}

void BroadPhase::Order(std::size_t count, std::vector<Pair>& pairs)
{
    // A counting sort on the first index, then each bucket on the second.
    m_bucketStart.assign(count + 1, 0);
    for (const Pair& pair : m_found) ++m_bucketStart[pair.first + 1];
    for (std::size_t a = 0; a < count; ++a) m_bucketStart[a + 1] += m_bucketStart[a];
    pairs.resize(m_found.size());
    for (const Pair& pair : m_found) pairs[m_bucketStart[pair.first]++] = pair;
    // Each start has moved to its bucket's end.
    std::size_t begin = 0;
    for (std::size_t a = 0; a < count; ++a) {
        const std::size_t end = m_bucketStart[a];
        if (end - begin > SMALL_BUCKET) {
            std::sort(pairs.begin() + begin, pairs.begin() + end);
        } else {
            for (std::size_t i = begin + 1; i < end; ++i) {
                const Pair pair = pairs[i];
                std::size_t j = i;
                for (; j > begin && pairs[j - 1].second > pair.second; --j) pairs[j] = pairs[j - 1];
                pairs[j] = pair;
            }
        }
        begin = end;
    }
}

void BroadPhase::FindPairs(const std::vector<Item>& items, std::vector<Pair>& pairs)
{
    pairs.clear();
    m_found.clear();
    Measure(items);
    BuildGrid(items);
    GridPairs(items);
    LoosePairs(items);
    // Planes and unbounded primitives meet everything; a pair of two of them
    // is made once, by the earlier.
    for (std::uint32_t u : m_unbounded) {
        for (std::uint32_t i = 0; i < items.size(); ++i) {
            if (i == u || m_bounds[i].kind == NONE) continue;
            if (!m_bounds[i].bounded && i < u) continue;
            Emit(items, u, i);
        }
    }
    Order(items.size(), pairs);
}

} // namespace QRX
