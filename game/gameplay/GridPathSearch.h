// Grid path search: how the enemy robots find their way over a level.
//
// An A* search on the level grid map (QRX::Map) in one layer. A robot walks on
// top of blocks, so a cell can be stepped on when the layer just below the
// start's layer (L = start y - 1) holds a non-zero entry there; the cell at
// the robot's own layer may be occupied. A start at layer 0 has nothing below
// it and finds no path. Moves go to the four side neighbours, in the order
// +x, -x, +z, -z; each costs STEP_COST, and f = g + HEURISTIC_WEIGHT x the
// Manhattan distance to the goal (a weight just above 1 breaks ties toward
// the goal). The open node with the smallest f is expanded, the earliest on
// the list among equals; a cheaper way to a node on the open list overwrites
// it in place; an expanded node is never reopened.
//
// Cells are (x, y, z): map column, layer, map row; world positions become
// cells by truncation toward zero (ToCell). Nodes are identified by (x, z)
// alone: a goal in another layer is reached when its column and row are.
//
// The path holds the waypoints of a successful search in walking order, from
// the cell next to the start to the goal, at cell centres: (x + 0.5, start y,
// z + 0.5). A failed search leaves the previous path as it was.
//
// The lists are plain vectors scanned linearly: searches are rare and maps
// small.
#pragma once
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

class Map;

// One cell of a search, copied into and out of the lists.
struct GridSearchNode
{
    float f = 0.0f;  // estimated total cost
    float g = 0.0f;  // cost from the start
    int parentX = -1;  // the cell it was reached from; -1, -1, -1 for none
    int parentY = -1;
    int parentZ = -1;
    int x = 0;
    int y = 0;
    int z = 0;
};

class GridPathSearch
{
public:
    static constexpr float STEP_COST = 1.0f;
    static constexpr float HEURISTIC_WEIGHT = 1.01f;

    // Sets the start and goal cells (f 0, g 0, no parent) and empties the
    // open and closed lists; the path stays.
    void SetEndpoints(int startX, int startY, int startZ, int goalX, int goalY, int goalZ);
    // Searches the current level's grid map (the game-state manager's level
    // manager's). False when there is none.
    bool Search();
    // Searches the given map from the start to the goal. True when a path was
    // found; the path then holds it. False, reporting nothing and keeping the
    // previous path, when start and goal share (x, z), the start is at layer
    // 0, or the goal cannot be reached. Every search starts from empty lists.
    bool Search(const Map& map);

    // The cell of a world coordinate: truncated toward zero; -1 (off the
    // grid) for a value that is not a number, the int limits beyond them.
    static int ToCell(float coordinate);

    const std::vector<glm::vec3>& GetPath() const { return m_Path; }
    const std::vector<GridSearchNode>& GetOpenList() const { return m_OpenList; }
    const std::vector<GridSearchNode>& GetClosedList() const { return m_ClosedList; }

private:
    // Puts a new neighbour on the open list, or improves its entry there.
    void Consider(const GridSearchNode& node);
    // Rebuilds the path from the current node back along the closed list.
    void BuildPath();
    glm::vec3 Waypoint(const GridSearchNode& node) const;

    std::vector<glm::vec3> m_Path;
    std::vector<GridSearchNode> m_OpenList;
    std::vector<GridSearchNode> m_ClosedList;
    GridSearchNode m_CurrentNode;    // taken from the open list last; the goal after a success
    GridSearchNode m_GoalNode;
    GridSearchNode m_StartNode;
    GridSearchNode m_ExpansionNode;  // the node being expanded
};

} // namespace QRX
