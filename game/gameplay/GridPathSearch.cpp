#include "game/gameplay/GridPathSearch.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstdlib>

#include "engine/core/System.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Map.h"

namespace QRX {

namespace {

constexpr std::uint8_t CELL_NEW = 0;
constexpr std::uint8_t CELL_OPEN = 1;
constexpr std::uint8_t CELL_CLOSED = 2;
// The neighbour steps in the order they are tried: +x, -x, +z, -z; a
// record's `from` names one, or NO_STEP for the start.
constexpr int STEPS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr std::uint8_t NO_STEP = 4;

bool SameCell(const GridSearchNode& a, const GridSearchNode& b)
{
    return a.x == b.x && a.z == b.z;
}

GridSearchNode EndNode(int x, int y, int z)
{
    GridSearchNode node;
    node.x = x;
    node.y = y;
    node.z = z;
    return node;
}

bool InGrid(std::int64_t x, std::int64_t z, std::uint32_t columns, std::uint32_t rows)
{
    return x >= 0 && x < columns && z >= 0 && z < rows;
}

// Heap order: the entry that must come out later is "less".
struct LaterOut
{
    template <typename Entry>
    bool operator()(const Entry& a, const Entry& b) const
    {
        return a.f > b.f || (a.f == b.f && a.order > b.order);
    }
};

} // namespace

std::vector<GridPathSearch::CellRecord> GridPathSearch::s_Cells;
std::uint32_t GridPathSearch::s_Stamp = 0;

void GridPathSearch::SetEndpoints(int startX, int startY, int startZ, int goalX, int goalY, int goalZ)
{
    m_StartNode = EndNode(startX, startY, startZ);
    m_GoalNode = EndNode(goalX, goalY, goalZ);
    m_Open.clear();
    m_ClosedList.clear();
}

bool GridPathSearch::Search()
{
    System* system = System::PeekInstance();
    GameStateManager* states = system ? system->gameStateManager : nullptr;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    Map* map = levels ? levels->GetMap() : nullptr;
    return map && Search(*map);
}

void GridPathSearch::BeginSearch(std::size_t cells)
{
    m_Open.clear();
    m_ClosedList.clear();
    m_Joined = 0;
    if (s_Cells.size() < cells) s_Cells.resize(cells);
    // Stamp 0 is what a fresh record holds: after a wrap every record is
    // cleared so that none passes for the new search's.
    if (++s_Stamp == 0) {
        for (CellRecord& record : s_Cells) record.stamp = 0;
        s_Stamp = 1;
    }
}

GridPathSearch::CellRecord& GridPathSearch::Record(std::uint32_t cell)
{
    CellRecord& record = s_Cells[cell];
    if (record.stamp != s_Stamp) {
        record = CellRecord();
        record.stamp = s_Stamp;
    }
    return record;
}

GridSearchNode GridPathSearch::NodeOf(std::uint32_t cell, std::uint32_t columns) const
{
    if (cell == OFF_GRID) return m_StartNode;
    const CellRecord& record = s_Cells[cell];
    if (record.from == NO_STEP) return m_StartNode;
    GridSearchNode node;
    node.x = static_cast<int>(cell % columns);
    node.z = static_cast<int>(cell / columns);
    node.y = m_StartNode.y;
    node.f = record.f;
    node.g = record.g;
    // The parent is one step back; it is in the start's layer, like every node.
    node.parentX = node.x - STEPS[record.from][0];
    node.parentY = m_StartNode.y;
    node.parentZ = node.z - STEPS[record.from][1];
    return node;
}

bool GridPathSearch::Search(const Map& map)
{
    const std::uint32_t columns = map.GetColumns();
    const std::uint32_t rows = map.GetRows();
    // The grid is bounded in cells (Map::MAX_CELLS), so an index fits 32 bits.
    BeginSearch(static_cast<std::size_t>(columns) * rows);

    std::uint32_t startCell = OFF_GRID;
    if (InGrid(m_StartNode.x, m_StartNode.z, columns, rows)) {
        startCell = static_cast<std::uint32_t>(m_StartNode.z) * columns + static_cast<std::uint32_t>(m_StartNode.x);
        CellRecord& record = Record(startCell);
        record.state = CELL_OPEN;
        record.from = NO_STEP;
    }
    m_Open.push_back({0.0f, m_Joined++, startCell});
    if (SameCell(m_StartNode, m_GoalNode)) return false;

    // The layer the robot stands on; wide so that no start layer overflows.
    const std::int64_t below = static_cast<std::int64_t>(m_StartNode.y) - 1;
    const bool canStand = below >= 0 && below <= UINT32_MAX;

    while (!m_Open.empty()) {
        std::pop_heap(m_Open.begin(), m_Open.end(), LaterOut());
        const OpenEntry entry = m_Open.back();
        m_Open.pop_back();
        if (entry.cell != OFF_GRID) {
            const CellRecord& record = s_Cells[entry.cell];
            // Expanded already, or since given a lower f by another entry.
            if (record.state != CELL_OPEN || record.f != entry.f) continue;
        }
        m_CurrentNode = NodeOf(entry.cell, columns);
        if (SameCell(m_CurrentNode, m_GoalNode)) {
            BuildPath(columns, rows);
            return true;
        }
        m_ExpansionNode = m_CurrentNode;
        if (entry.cell != OFF_GRID) s_Cells[entry.cell].state = CELL_CLOSED;

        for (std::uint8_t step = 0; canStand && step < 4; ++step) {
            const std::int64_t x = static_cast<std::int64_t>(m_ExpansionNode.x) + STEPS[step][0];
            const std::int64_t z = static_cast<std::int64_t>(m_ExpansionNode.z) + STEPS[step][1];
            if (!InGrid(x, z, columns, rows)) continue;
            if (map.GetCellValue(static_cast<std::uint32_t>(z), static_cast<std::uint32_t>(x),
                                 static_cast<std::uint32_t>(below)) == 0)
                continue;
            const float g = m_ExpansionNode.g + STEP_COST;
            const double h = std::fabs(static_cast<double>(m_GoalNode.x) - static_cast<double>(x)) +
                             std::fabs(static_cast<double>(m_GoalNode.z) - static_cast<double>(z));
            const float f = g + HEURISTIC_WEIGHT * static_cast<float>(h);
            Consider(static_cast<std::uint32_t>(z) * columns + static_cast<std::uint32_t>(x), step, g, f);
        }
        m_ClosedList.push_back(m_ExpansionNode);
    }
    return false;
}

void GridPathSearch::Consider(std::uint32_t cell, std::uint8_t step, float g, float f)
{
    CellRecord& record = Record(cell);
    if (record.state == CELL_CLOSED) return;
    if (record.state == CELL_OPEN) {
        // A cheaper way keeps the cell's place in the joining order.
        if (!(f < record.f)) return;
    } else {
        record.state = CELL_OPEN;
        record.order = m_Joined++;
    }
    record.f = f;
    record.g = g;
    record.from = step;
    m_Open.push_back({f, record.order, cell});
    std::push_heap(m_Open.begin(), m_Open.end(), LaterOut());
}

void GridPathSearch::BuildPath(std::uint32_t columns, std::uint32_t rows)
{
    // Built from the goal back, then turned into walking order.
    m_Path.clear();
    m_Path.push_back(Waypoint(m_CurrentNode));
    GridSearchNode node = m_CurrentNode;
    while (node.parentX != m_StartNode.x || node.parentZ != m_StartNode.z) {
        // Every parent but the start lies on the grid and was expanded; the
        // guard only keeps a broken table from looping.
        if (!InGrid(node.parentX, node.parentZ, columns, rows)) break;
        const std::uint32_t cell =
            static_cast<std::uint32_t>(node.parentZ) * columns + static_cast<std::uint32_t>(node.parentX);
        if (s_Cells[cell].stamp != s_Stamp || s_Cells[cell].state != CELL_CLOSED) break;
        node = NodeOf(cell, columns);
        m_Path.push_back(Waypoint(node));
        if (m_Path.size() > m_ClosedList.size() + 1) break;
    }
    std::reverse(m_Path.begin(), m_Path.end());
}

glm::vec3 GridPathSearch::Waypoint(const GridSearchNode& node) const
{
    return glm::vec3(static_cast<float>(node.x) + 0.5f, static_cast<float>(m_StartNode.y),
                     static_cast<float>(node.z) + 0.5f);
}

int GridPathSearch::ToCell(float coordinate)
{
    if (std::isnan(coordinate)) return -1;
    const double truncated = std::trunc(static_cast<double>(coordinate));
    if (truncated <= static_cast<double>(INT_MIN)) return INT_MIN;
    if (truncated >= static_cast<double>(INT_MAX)) return INT_MAX;
    return static_cast<int>(truncated);
}

} // namespace QRX
