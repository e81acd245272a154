// Grid path search: how the enemy robots find their way over a level.
//
// An A* search on the level grid map (QRX::Map) in one layer. A robot walks on
// top of blocks, so a cell can be stepped on when the layer just below the
// start's layer (L = start y - 1) holds a non-zero entry there; the cell at
// the robot's own layer may be occupied. A start at layer 0 has nothing below
// it and finds no path. Moves go to the four side neighbours, in the order
// +x, -x, +z, -z; each costs STEP_COST, and f = g + HEURISTIC_WEIGHT x the
// Manhattan distance to the goal (a weight just above 1 breaks ties toward
// the goal). The open node with the smallest f is expanded, the one that
// joined the frontier first among equals; a cheaper way to an open node
// takes over its f, g and parent but not its place in that order; an
// expanded node is never reopened.
//
// Cells are (x, y, z): map column, layer, map row; world positions become
// cells by truncation toward zero (ToCell). Nodes are identified by (x, z)
// alone: a goal in another layer is reached when its column and row are.
//
// The path holds the waypoints of a successful search in walking order, from
// the cell next to the start to the goal, at cell centres: (x + 0.5, start y,
// z + 0.5). A failed search leaves the previous path as it was.
//
// A chasing robot replans every half second, and a level may bring a large
// grid: the frontier is a binary heap ordered by (f, the order in which each
// cell first joined it), which picks the same node as scanning a list kept
// in joining order for the first smallest f, and each cell's standing (new,
// open with its f, g and parent, or expanded) sits in a table of the map's
// cells. A search costs about n log n in the cells it reaches. The table is
// kept from one search to the next (a search stamp marks what belongs to the
// current one), so it grows once to the map's cells, and it is shared by
// all the searches of the program.
#pragma once
#include <cstdint>
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
    // frontier and the closed list; the path stays.
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
    // The nodes expanded by the last search, in the order they were expanded.
    const std::vector<GridSearchNode>& GetClosedList() const { return m_ClosedList; }

private:
    // A cell's standing in the current search.
    struct CellRecord
    {
        std::uint32_t stamp = 0;  // the search it belongs to; any other: a new cell
        std::uint32_t order = 0;  // when it first joined the frontier
        float f = 0.0f;
        float g = 0.0f;
        std::uint8_t state = 0;   // new, open or expanded
        std::uint8_t from = 0;    // the step it was reached by (its parent lies back along it)
    };
    // A frontier entry; one whose f no longer matches its cell's is stale.
    struct OpenEntry
    {
        float f;
        std::uint32_t order;
        std::uint32_t cell;  // OFF_GRID for a start that lies off the grid
    };
    static constexpr std::uint32_t OFF_GRID = UINT32_MAX;

    // Readies the cell table for a search of `cells` cells.
    void BeginSearch(std::size_t cells);
    // The record of a cell in this search (a new one when untouched so far).
    CellRecord& Record(std::uint32_t cell);
    // The node of a frontier entry: the start, or a cell of a columns-wide grid.
    GridSearchNode NodeOf(std::uint32_t cell, std::uint32_t columns) const;
    // Puts a neighbour on the frontier, or lowers its f there.
    void Consider(std::uint32_t cell, std::uint8_t step, float g, float f);
    // Rebuilds the path from the current node back along its parents.
    void BuildPath(std::uint32_t columns, std::uint32_t rows);
    glm::vec3 Waypoint(const GridSearchNode& node) const;

    std::vector<glm::vec3> m_Path;
    std::vector<OpenEntry> m_Open;    // the frontier, a heap
    std::vector<GridSearchNode> m_ClosedList;
    // One table for every search object: searches run one at a time, to
    // the end, on the frame thread, so robots need not each hold a table
    // of the whole map.
    static std::vector<CellRecord> s_Cells;  // one per map cell, row by row
    static std::uint32_t s_Stamp;
    std::uint32_t m_Joined = 0;       // cells that joined the frontier in this search
    GridSearchNode m_CurrentNode;    // taken from the frontier last; the goal after a success
    GridSearchNode m_GoalNode;
    GridSearchNode m_StartNode;
    GridSearchNode m_ExpansionNode;  // the node being expanded
};

} // namespace QRX
