#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Map.h"
#include "game/gameplay/GridPathSearch.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

constexpr std::uint32_t CUBE = 4;

// A rows x columns floor of blocks at layer 0 with room for a robot at layer 1.
Map Floor(std::uint32_t rows, std::uint32_t columns)
{
    Map map;
    EXPECT_TRUE(map.SetSize(rows, columns, 2));
    map.AllocateCells();
    map.ResizeLayers();
    for (std::uint32_t r = 0; r < rows; ++r)
        for (std::uint32_t c = 0; c < columns; ++c) map.SetCellValue(r, c, 0, CUBE, false);
    return map;
}

void Hole(Map& map, std::uint32_t x, std::uint32_t z)
{
    map.SetCellValue(z, x, 0, 0, false);
}

// "(x, y, z) ..." of a path, for readable comparisons.
std::string Text(const std::vector<glm::vec3>& path)
{
    std::string text;
    char buffer[64];
    for (const glm::vec3& p : path) {
        std::snprintf(buffer, sizeof buffer, "%s(%g, %g, %g)", text.empty() ? "" : " ", p.x, p.y, p.z);
        text += buffer;
    }
    return text;
}

// From (sx, 1, sz) to (gx, 1, gz) on the map.
bool Find(GridPathSearch& search, const Map& map, int sx, int sz, int gx, int gz)
{
    search.SetEndpoints(sx, 1, sz, gx, 1, gz);
    return search.Search(map);
}

TEST(GridPathSearch, PathsRunFromCellCentreToCellCentre)
{
    Map map = Floor(5, 5);
    GridPathSearch search;
    ASSERT_TRUE(Find(search, map, 0, 0, 2, 0));
    EXPECT_EQ(Text(search.GetPath()), "(1.5, 1, 0.5) (2.5, 1, 0.5)");
    // Equal costs: the neighbour added first (+x before +z, -x before -z) wins.
    ASSERT_TRUE(Find(search, map, 0, 0, 1, 1));
    EXPECT_EQ(Text(search.GetPath()), "(1.5, 1, 0.5) (1.5, 1, 1.5)");
    ASSERT_TRUE(Find(search, map, 4, 4, 3, 3));
    EXPECT_EQ(Text(search.GetPath()), "(3.5, 1, 4.5) (3.5, 1, 3.5)");
    // Ties lean toward the goal: across an open floor only the start and the
    // cells on the way are expanded.
    ASSERT_TRUE(Find(search, map, 0, 0, 4, 4));
    EXPECT_EQ(search.GetPath().size(), 8u);
    EXPECT_EQ(search.GetClosedList().size(), 8u);

    // Only the layer below counts (blocks at the robot's own layer do not),
    // waypoints take the start's layer, and the goal's layer is ignored.
    for (std::uint32_t r = 0; r < 5; ++r) map.SetCellValue(r, 4, 2, CUBE, false);
    search.SetEndpoints(4, 3, 4, 4, 0, 1);
    ASSERT_TRUE(search.Search(map));
    EXPECT_EQ(Text(search.GetPath()), "(4.5, 3, 3.5) (4.5, 3, 2.5) (4.5, 3, 1.5)");
}

TEST(GridPathSearch, HolesAreWalkedAround)
{
    Map map = Floor(5, 5);
    Hole(map, 1, 0);
    GridPathSearch search;
    ASSERT_TRUE(Find(search, map, 0, 0, 2, 0));
    EXPECT_EQ(Text(search.GetPath()), "(0.5, 1, 1.5) (1.5, 1, 1.5) (2.5, 1, 1.5) (2.5, 1, 0.5)");

    // A later search on a changed map sees the change, even without new
    // endpoints (it starts from empty lists).
    map = Floor(5, 5);
    ASSERT_TRUE(Find(search, map, 0, 0, 2, 0));
    Hole(map, 1, 0);
    ASSERT_TRUE(search.Search(map));
    EXPECT_EQ(search.GetPath().size(), 4u);
}

TEST(GridPathSearch, CheaperWayFoundLaterReplacesTheOpenEntry)
{
    // Three columns, six rows. (2, 2) is first reached from (1, 2) after a
    // detour through column 1; expanding (2, 1) later finds it cheaper. Kept,
    // the first entry would route the path through the detour.
    Map map = Floor(6, 3);
    for (auto [x, z] : {std::pair{0, 0}, {0, 2}, {1, 3}, {1, 4}}) Hole(map, x, z);
    GridPathSearch search;
    ASSERT_TRUE(Find(search, map, 2, 0, 0, 5));
    EXPECT_EQ(Text(search.GetPath()),
              "(2.5, 1, 1.5) (2.5, 1, 2.5) (2.5, 1, 3.5) (2.5, 1, 4.5) (2.5, 1, 5.5) (1.5, 1, 5.5) (0.5, 1, 5.5)");
}

TEST(GridPathSearch, NoPathKeepsThePreviousPath)
{
    Map map = Floor(5, 5);
    GridPathSearch search;
    ASSERT_TRUE(Find(search, map, 0, 0, 2, 0));
    const std::string kept = Text(search.GetPath());

    EXPECT_FALSE(Find(search, map, 3, 3, 3, 3));  // one cell
    search.SetEndpoints(3, 2, 3, 3, 1, 3);         // one cell, other layers
    EXPECT_FALSE(search.Search(map));
    for (int layer : {0, INT_MIN, INT_MAX}) {      // nothing below to stand on
        search.SetEndpoints(0, layer, 0, 2, 1, 0);
        EXPECT_FALSE(search.Search(map)) << layer;
    }
    EXPECT_FALSE(Find(search, map, 0, 0, 5, 0));   // goal off the grid
    EXPECT_FALSE(Find(search, map, 0, 0, INT_MAX, INT_MIN));
    for (auto [x, z] : {std::pair{1, 2}, {3, 2}, {2, 1}, {2, 3}}) Hole(map, x, z);
    EXPECT_FALSE(Find(search, map, 2, 2, 0, 0));   // ringed in
    EXPECT_FALSE(Find(search, map, 0, 0, 2, 2));   // ringed out
    Hole(map, 4, 4);
    EXPECT_FALSE(Find(search, map, 0, 0, 4, 4));   // nothing to stand on at the goal
    EXPECT_EQ(Text(search.GetPath()), kept);
    search.SetEndpoints(0, 1, 0, 1, 1, 0);
    EXPECT_EQ(Text(search.GetPath()), kept);       // new endpoints keep it too
}

TEST(GridPathSearch, WorldCoordinatesTruncateTowardZero)
{
    EXPECT_EQ(GridPathSearch::ToCell(2.99f), 2);
    EXPECT_EQ(GridPathSearch::ToCell(-0.5f), 0);
    EXPECT_EQ(GridPathSearch::ToCell(-1.5f), -1);
    EXPECT_EQ(GridPathSearch::ToCell(std::numeric_limits<float>::quiet_NaN()), -1);
    EXPECT_EQ(GridPathSearch::ToCell(1e20f), INT_MAX);
    EXPECT_EQ(GridPathSearch::ToCell(-std::numeric_limits<float>::infinity()), INT_MIN);
}

// The search as plain lists scanned from the front: the smallest f first
// (the earliest among equals), membership by scanning both lists, a
// cheaper way overwriting the open entry in place, parents looked up on the
// closed list. The heap-based search must give the same answer, path and
// expansion order.
struct PlainSearch
{
    std::vector<glm::vec3> path;
    std::vector<GridSearchNode> closed;

    bool Run(const Map& map, GridSearchNode start, GridSearchNode goal)
    {
        std::vector<GridSearchNode> open{start};
        closed.clear();
        auto same = [](const GridSearchNode& a, const GridSearchNode& b) { return a.x == b.x && a.z == b.z; };
        if (same(start, goal)) return false;
        const long long below = static_cast<long long>(start.y) - 1;
        const int steps[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        while (!open.empty()) {
            size_t best = 0;
            for (size_t i = 1; i < open.size(); ++i)
                if (open[i].f < open[best].f) best = i;
            const GridSearchNode current = open[best];
            if (same(current, goal)) {
                path.clear();
                auto waypoint = [&](const GridSearchNode& n) {
                    return glm::vec3(n.x + 0.5f, static_cast<float>(start.y), n.z + 0.5f);
                };
                path.insert(path.begin(), waypoint(current));
                GridSearchNode node = current;
                while (node.parentX != start.x || node.parentZ != start.z) {
                    for (const GridSearchNode& c : closed) {
                        if (c.x != node.parentX || c.z != node.parentZ) continue;
                        node = c;
                        break;
                    }
                    path.insert(path.begin(), waypoint(node));
                }
                return true;
            }
            open.erase(open.begin() + static_cast<std::ptrdiff_t>(best));
            for (const auto& step : steps) {
                const long long x = static_cast<long long>(current.x) + step[0];
                const long long z = static_cast<long long>(current.z) + step[1];
                if (x < 0 || x >= map.GetColumns() || z < 0 || z >= map.GetRows()) continue;
                if (below < 0 || below > UINT32_MAX) continue;
                if (map.GetCellValue(static_cast<std::uint32_t>(z), static_cast<std::uint32_t>(x),
                                     static_cast<std::uint32_t>(below)) == 0)
                    continue;
                GridSearchNode n;
                n.parentX = current.x;
                n.parentY = current.y;
                n.parentZ = current.z;
                n.x = static_cast<int>(x);
                n.y = current.y;
                n.z = static_cast<int>(z);
                n.g = current.g + 1.0f;
                const double h = std::fabs(static_cast<double>(goal.x) - static_cast<double>(x)) +
                                 std::fabs(static_cast<double>(goal.z) - static_cast<double>(z));
                n.f = n.g + 1.01f * static_cast<float>(h);
                bool known = false;
                for (GridSearchNode& o : open) {
                    if (!same(o, n)) continue;
                    if (n.f < o.f) o = n;
                    known = true;
                    break;
                }
                for (const GridSearchNode& c : closed) known = known || same(c, n);
                if (!known) open.push_back(n);
            }
            closed.push_back(current);
        }
        return false;
    }
};

std::string Text(const std::vector<GridSearchNode>& nodes)
{
    std::string text;
    char buffer[96];
    for (const GridSearchNode& n : nodes) {
        std::snprintf(buffer, sizeof buffer, "[%d %d %d f%g g%g <%d %d %d] ", n.x, n.y, n.z, n.f, n.g, n.parentX,
                      n.parentY, n.parentZ);
        text += buffer;
    }
    return text;
}

TEST(GridPathSearch, GivesThePlainListSearchsAnswersOnRandomGrids)
{
    std::mt19937 random(20240611u);
    // Two robots' search objects in turn, each kept across grids (they share
    // one table of cells), each with its own plain counterpart.
    GridPathSearch searches[2];
    PlainSearch plains[2];
    int found = 0, refused = 0;
    for (int round = 0; round < 4000; ++round) {
        // Mostly small grids, every tenth one larger.
        const std::uint32_t side = round % 10 == 0 ? 40 : 14;
        const std::uint32_t rows = 1 + random() % side;
        const std::uint32_t columns = 1 + random() % side;
        Map map;
        ASSERT_TRUE(map.SetSize(rows, columns, 3));
        map.AllocateCells();
        map.ResizeLayers();
        // Floors at layers 0 and 1 with holes of a density of the round's own.
        const unsigned holes = random() % 35;
        for (std::uint32_t layer = 0; layer < 2; ++layer)
            for (std::uint32_t r = 0; r < rows; ++r)
                for (std::uint32_t c = 0; c < columns; ++c)
                    if (random() % 100 >= holes) map.SetCellValue(r, c, layer, CUBE, false);
        // Mostly on the grid; now and then a cell or two beyond its edges.
        auto coordinate = [&](std::uint32_t size) { return static_cast<int>(random() % (size + 2)) - 1; };
        GridSearchNode start, goal;
        start.x = coordinate(columns);
        start.z = coordinate(rows);
        // Standing on layer 0 or 1, now and then at layer 0 or above the floors.
        const int layers[8] = {1, 2, 1, 2, 1, 2, 0, 3};
        start.y = layers[random() % 8];
        goal.x = coordinate(columns);
        goal.z = coordinate(rows);
        goal.y = static_cast<int>(random() % 4);

        GridPathSearch& search = searches[round % 2];
        PlainSearch& plain = plains[round % 2];
        search.SetEndpoints(start.x, start.y, start.z, goal.x, goal.y, goal.z);
        const bool result = search.Search(map);
        ASSERT_EQ(result, plain.Run(map, start, goal)) << "round " << round;
        (result ? found : refused)++;
        // A failed search keeps its previous path in both.
        ASSERT_EQ(Text(search.GetPath()), Text(plain.path)) << "round " << round;
        if (start.x != goal.x || start.z != goal.z) {
            ASSERT_EQ(Text(search.GetClosedList()), Text(plain.closed)) << "round " << round;
        }
    }
    // Both outcomes were well represented.
    EXPECT_GT(found, 800);
    EXPECT_GT(refused, 800);
}

TEST(GridPathSearch, ALargeGridWithAnUnreachableGoalIsSearchedToTheEnd)
{
    // A 256 x 256 floor with the goal ringed by holes: every other cell is
    // expanded before the search gives up. Scanning lists this took seconds;
    // its speed is measured by the benchmark (./bench.sh levels).
    Map map = Floor(256, 256);
    for (auto [x, z] : {std::pair{199, 200}, {201, 200}, {200, 199}, {200, 201}}) Hole(map, x, z);
    GridPathSearch search;
    ASSERT_TRUE(Find(search, map, 0, 0, 255, 255));
    const std::string kept = Text(search.GetPath());
    EXPECT_FALSE(Find(search, map, 0, 0, 200, 200));
    EXPECT_EQ(search.GetClosedList().size(), 256u * 256u - 5u);
    EXPECT_EQ(Text(search.GetPath()), kept);
    // The same object searches again at once: nothing of the last search is left.
    ASSERT_TRUE(Find(search, map, 255, 255, 0, 0));
    EXPECT_EQ(search.GetPath().size(), 510u);
}

class IdleState : public GameState
{
public:
    void Load() override {}
    void Init() override {}
    void Update(GameStateManager&) override {}
    void Free() override {}
    void Unload() override {}
};

TEST(GridPathSearch, SearchesTheCurrentLevelsMap)
{
    TestSupport::ScopedTempHome home;
    GridPathSearch search;
    search.SetEndpoints(0, 1, 0, 2, 1, 0);
    EXPECT_FALSE(search.Search());  // no engine at all
    EXPECT_EQ(System::PeekInstance(), nullptr);

    System* system = System::GetInstance();
    system->logger = new Logger();
    GameStateManager states;
    system->gameStateManager = &states;
    EXPECT_FALSE(search.Search());  // no level manager yet
    IdleState idle;
    BindStateObject(StateObjectKind::BaseLevel, &idle);
    ASSERT_TRUE(states.Initialize());
    *states.GetLevelManager()->GetMap() = Floor(3, 3);
    EXPECT_TRUE(search.Search());
    EXPECT_EQ(Text(search.GetPath()), "(1.5, 1, 0.5) (2.5, 1, 0.5)");
    states.Shutdown();  // the map goes with the level manager
    EXPECT_FALSE(search.Search());

    for (int k = 0; k < STATE_OBJECT_KIND_COUNT; ++k) BindStateObject(static_cast<StateObjectKind>(k), nullptr);
    system->gameStateManager = nullptr;
    delete system->logger;
    system->logger = nullptr;
    System::DestroyInstance();
}

} // namespace
