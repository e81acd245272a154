#include "game/gameplay/GridPathSearch.h"

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

} // namespace

void GridPathSearch::SetEndpoints(int startX, int startY, int startZ, int goalX, int goalY, int goalZ)
{
    m_StartNode = EndNode(startX, startY, startZ);
    m_GoalNode = EndNode(goalX, goalY, goalZ);
    m_OpenList.clear();
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

bool GridPathSearch::Search(const Map& map)
{
    // A repeated search must not build on the lists of the one before.
    m_OpenList.clear();
    m_ClosedList.clear();
    m_OpenList.push_back(m_StartNode);
    if (SameCell(m_StartNode, m_GoalNode)) return false;

    // The layer the robot stands on; wide so that no start layer overflows.
    const std::int64_t below = static_cast<std::int64_t>(m_StartNode.y) - 1;
    static const int STEPS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};

    while (!m_OpenList.empty()) {
        size_t best = 0;
        for (size_t i = 1; i < m_OpenList.size(); ++i)
            if (m_OpenList[i].f < m_OpenList[best].f) best = i;
        m_CurrentNode = m_OpenList[best];
        if (SameCell(m_CurrentNode, m_GoalNode)) {
            BuildPath();
            return true;
        }
        m_ExpansionNode = m_CurrentNode;
        m_OpenList.erase(m_OpenList.begin() + static_cast<std::ptrdiff_t>(best));

        for (const int* step : STEPS) {
            const std::int64_t x = static_cast<std::int64_t>(m_ExpansionNode.x) + step[0];
            const std::int64_t z = static_cast<std::int64_t>(m_ExpansionNode.z) + step[1];
            if (x < 0 || x >= map.GetColumns() || z < 0 || z >= map.GetRows()) continue;
            if (below < 0 || below > UINT32_MAX) continue;
            if (map.GetCellValue(static_cast<std::uint32_t>(z), static_cast<std::uint32_t>(x),
                                 static_cast<std::uint32_t>(below)) == 0)
                continue;
            GridSearchNode node;
            node.parentX = m_ExpansionNode.x;
            node.parentY = m_ExpansionNode.y;
            node.parentZ = m_ExpansionNode.z;
            node.x = static_cast<int>(x);
            node.y = m_ExpansionNode.y;
            node.z = static_cast<int>(z);
            node.g = m_ExpansionNode.g + STEP_COST;
            const double h = std::fabs(static_cast<double>(m_GoalNode.x) - static_cast<double>(x)) +
                             std::fabs(static_cast<double>(m_GoalNode.z) - static_cast<double>(z));
            node.f = node.g + HEURISTIC_WEIGHT * static_cast<float>(h);
            Consider(node);
        }
        m_ClosedList.push_back(m_ExpansionNode);
    }
    return false;
}

void GridPathSearch::Consider(const GridSearchNode& node)
{
    for (GridSearchNode& open : m_OpenList) {
        if (!SameCell(open, node)) continue;
        if (node.f < open.f) open = node;
        return;
    }
    for (const GridSearchNode& closed : m_ClosedList)
        if (SameCell(closed, node)) return;
    m_OpenList.push_back(node);
}

void GridPathSearch::BuildPath()
{
    m_Path.clear();
    m_Path.push_back(Waypoint(m_CurrentNode));
    GridSearchNode node = m_CurrentNode;
    while (node.parentX != m_StartNode.x || node.parentZ != m_StartNode.z) {
        const GridSearchNode* parent = nullptr;
        for (const GridSearchNode& closed : m_ClosedList) {
            if (closed.x == node.parentX && closed.z == node.parentZ) {
                parent = &closed;
                break;
            }
        }
        // Every parent was expanded before its child; the guard only keeps a
        // broken list from looping.
        if (!parent) break;
        node = *parent;
        m_Path.insert(m_Path.begin(), Waypoint(node));
    }
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
