#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/Map.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

constexpr std::uint32_t CUBE = 4, SWITCH = 3, BARRIER = 15;
const glm::vec3 UNIT(1.0f, 1.0f, 1.0f);

Map MakeMap(std::uint32_t rows, std::uint32_t columns, std::uint32_t height)
{
    Map map;
    EXPECT_TRUE(map.SetSize(rows, columns, height));
    map.AllocateCells();
    map.ResizeLayers();
    return map;
}

size_t CountFilled(const Map& map)
{
    size_t n = 0;
    for (std::uint32_t r = 0; r < map.GetRows(); ++r)
        for (std::uint32_t c = 0; c < map.GetColumns(); ++c)
            for (std::uint32_t v : map.GetCell(r, c)) n += v != 0;
    return n;
}

TEST(Map, FreshGridHasRowsTimesColumnsCellsOfZeroLayers)
{
    Map map = MakeMap(10, 8, 2);
    ASSERT_EQ(map.GetCellCount(), 80u);
    for (std::uint32_t r = 0; r < 10; ++r)
        for (std::uint32_t c = 0; c < 8; ++c) EXPECT_EQ(map.GetCell(r, c), (Map::Cell{0, 0}));
}

TEST(Map, CratesEnterAtTheLayerOfTheirTop)
{
    Map map = MakeMap(5, 5, 2);
    map.EnterObject(glm::vec3(2.5f, 0.5f, 3.5f), UNIT, CUBE);
    map.EnterObject(glm::vec3(2.5f, 1.5f, 3.5f), UNIT, CUBE);
    EXPECT_EQ(map.GetCellValue(3, 2, 0), CUBE);
    EXPECT_EQ(map.GetCellValue(3, 2, 1), CUBE);
    EXPECT_EQ(CountFilled(map), 2u);
    // A wide box covers its whole footprint.
    map.EnterObject(glm::vec3(1.0f, 0.5f, 1.0f), glm::vec3(2.0f, 1.0f, 2.0f), CUBE);
    for (std::uint32_t r : {0u, 1u})
        for (std::uint32_t c : {0u, 1u}) EXPECT_EQ(map.GetCellValue(r, c, 0), CUBE) << r << "," << c;
}

TEST(Map, TallObjectRaisesTheHeightAndLengthensOnlyItsCells)
{
    Map map = MakeMap(4, 4, 2);
    map.EnterObject(glm::vec3(1.5f, 6.0f, 2.5f), UNIT, BARRIER);
    EXPECT_EQ(map.GetHeight(), 3u);
    EXPECT_EQ(map.GetCell(2, 1), (Map::Cell{0, 0, BARRIER}));
    EXPECT_EQ(map.GetCell(0, 0).size(), 2u);
}

TEST(Map, LaterTypeStaysInASharedCell)
{
    Map map = MakeMap(3, 3, 1);
    map.EnterObject(glm::vec3(1.5f, 0.5f, 1.5f), UNIT, CUBE);
    map.EnterObject(glm::vec3(1.5f, 0.5f, 1.5f), UNIT, SWITCH);
    EXPECT_EQ(map.GetCellValue(1, 1, 0), SWITCH);
}

TEST(Map, ObjectsPartlyOutsideFillOnlyCellsInside)
{
    Map map = MakeMap(4, 4, 1);
    map.EnterObject(glm::vec3(3.5f, 0.5f, 0.5f), glm::vec3(3.0f, 1.0f, 1.0f), CUBE);
    EXPECT_EQ(map.GetCellValue(0, 2, 0), CUBE);
    EXPECT_EQ(map.GetCellValue(0, 3, 0), CUBE);
    EXPECT_EQ(CountFilled(map), 2u);
    map.EnterObject(glm::vec3(-0.5f, 0.5f, -3.5f), UNIT, SWITCH);  // starts at row and column 0
    EXPECT_EQ(map.GetCellValue(0, 0, 0), SWITCH);
}

TEST(Map, ObjectsBelowTheGridOrAtAbsurdPlacesEnterNothing)
{
    Map map = MakeMap(4, 4, 2);
    map.EnterObject(glm::vec3(1.5f, -1.0f, 1.5f), UNIT, CUBE);
    map.EnterObject(glm::vec3(1.5f, -3.0f, 1.5f), glm::vec3(1.0f, 2.0f, 1.0f), CUBE);
    map.EnterObject(glm::vec3(1e20f, 0.5f, 1e20f), UNIT, CUBE);
    float nan = std::numeric_limits<float>::quiet_NaN();
    map.EnterObject(glm::vec3(nan, 0.5f, 1.5f), UNIT, CUBE);
    map.EnterObject(glm::vec3(1.5f, nan, 1.5f), UNIT, CUBE);
    map.EnterObject(glm::vec3(1.5f, 0.5f, 1.5f), glm::vec3(1e30f, 1.0f, 1.0f), CUBE);  // one row, bounded
    EXPECT_EQ(CountFilled(map), 4u);
    EXPECT_EQ(map.GetHeight(), 2u);
    // A top just below 0 still counts as layer 0.
    map.EnterObject(glm::vec3(0.5f, -0.5f, 3.5f), UNIT, SWITCH);
    EXPECT_EQ(map.GetCellValue(3, 0, 0), SWITCH);
}

TEST(Map, SetCellValueFillsNewLayersOnRequest)
{
    Map map = MakeMap(2, 2, 2);
    map.SetCellValue(1, 1, 5, CUBE, true);
    EXPECT_EQ(map.GetCell(1, 1), (Map::Cell{0, 0, CUBE, CUBE, CUBE, CUBE}));
    EXPECT_EQ(map.GetHeight(), 6u);
    map.SetCellValue(0, 1, 3, CUBE, false);
    EXPECT_EQ(map.GetCell(0, 1), (Map::Cell{0, 0, 0, CUBE}));
    map.SetCellValue(0, 1, 3, 0, false);
    EXPECT_EQ(map.GetCellValue(0, 1, 3), 0u);
    map.SetCellValue(2, 0, 0, CUBE, false);  // outside the grid
    map.SetCellValue(0, 0, Map::MAX_LAYERS, CUBE, true);
    EXPECT_EQ(map.GetCell(0, 0).size(), 2u);
    EXPECT_TRUE(map.GetCell(2, 0).empty());
}

TEST(Map, EachAllocationReplacesTheGrid)
{
    Map map = MakeMap(10, 8, 2);
    map.SetCellValue(0, 0, 4, CUBE, true);
    ASSERT_TRUE(map.SetSize(5, 5, 1));
    map.AllocateCells();
    map.ResizeLayers();
    ASSERT_EQ(map.GetCellCount(), 25u);
    EXPECT_EQ(map.GetCell(0, 0), (Map::Cell{0}));
    map.AllocateCells();
    EXPECT_EQ(map.GetCellCount(), 25u);
    map.Clear();
    EXPECT_EQ(map.GetCellCount(), 0u);
    EXPECT_EQ(map.GetRows(), 5u);
    EXPECT_EQ(map.GetCellValue(0, 0, 0), 0u);
    map.SetCellValue(0, 0, 0, CUBE, false);  // no cells: nothing to write
    map.EnterObject(glm::vec3(0.5f, 0.5f, 0.5f), UNIT, CUBE);
    EXPECT_EQ(map.GetCellCount(), 0u);
}

TEST(Map, OversizedGridsAreRefused)
{
    TestSupport::ScopedTempHome home;
    System::GetInstance()->logger = new Logger();
    Map map = MakeMap(3, 4, 2);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(map.SetSize(100000, 100000, 1));
    EXPECT_FALSE(map.SetSize(10, 10, Map::MAX_LAYERS + 1));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR - Map of 100000 rows, 100000 columns and 1 layers is too large"), std::string::npos);
    EXPECT_EQ(map.GetRows(), 3u);
    EXPECT_EQ(map.GetColumns(), 4u);
    EXPECT_EQ(map.GetHeight(), 2u);
    delete System::GetInstance()->logger;
    System::GetInstance()->logger = nullptr;
    System::DestroyInstance();
}

TEST(Map, GridIsBoundedByItsEntriesAndKeepsExactlyThem)
{
    TestSupport::ScopedTempHome home;
    System::GetInstance()->logger = new Logger();
    Map map = MakeMap(3, 4, 2);
    testing::internal::CaptureStdout();
    // Each size alone is allowed; together they are a gigabyte of entries.
    EXPECT_FALSE(map.SetSize(1024, 1024, 256));
    EXPECT_FALSE(map.SetSize(1024, 1024, 5));
    EXPECT_EQ(map.GetRows(), 3u);
    EXPECT_EQ(map.GetColumns(), 4u);
    EXPECT_EQ(map.GetHeight(), 2u);
    ASSERT_TRUE(map.SetSize(1024, 1024, 4));
    map.AllocateCells();
    map.ResizeLayers();
    EXPECT_EQ(map.GetEntries().size(), std::size_t{Map::MAX_ENTRIES});
    EXPECT_EQ(map.GetEntries().capacity(), std::size_t{Map::MAX_ENTRIES});
    EXPECT_EQ(map.GetLayerLimit(), 4u);
    // No object may grow the full grid past its bound.
    EXPECT_EQ(map.EnterObject(glm::vec3(0.5f, 40.0f, 0.5f), UNIT, CUBE), 0u);
    map.SetCellValue(0, 0, 4, CUBE, true);
    EXPECT_EQ(map.GetHeight(), 4u);
    EXPECT_EQ(map.GetEntries().size(), std::size_t{Map::MAX_ENTRIES});
    EXPECT_EQ(map.EnterObject(glm::vec3(1023.5f, 3.5f, 1023.5f), UNIT, CUBE), 1u);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("ERROR - Map of 1024 rows, 1024 columns and 256 layers is too large (at most 1048576 cells, "
                       "256 layers and 4194304 entries); keeping 3 x 4 x 2."),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("ERROR - Map of 1024 rows, 1024 columns and 5 layers is too large"), std::string::npos);
    EXPECT_NE(out.find("WARNING - Object of type 4 at layer 4 is above the map's 4 layers; it is not entered."),
              std::string::npos);
    EXPECT_NE(out.find("WARNING - Map layer 4 is above the map's 4 layers; the value is not set."), std::string::npos);

    // A smaller level after it gives the memory back.
    ASSERT_TRUE(map.SetSize(4, 4, 2));
    map.AllocateCells();
    map.ResizeLayers();
    EXPECT_EQ(map.GetEntries().capacity(), 32u);
    map.Clear();
    EXPECT_EQ(map.GetEntries().capacity(), 0u);
    delete System::GetInstance()->logger;
    System::GetInstance()->logger = nullptr;
    System::DestroyInstance();
}

TEST(Map, FootprintsFarBeyondTheGridEnterOnlyTheCellsInsideIt)
{
    // 2000 boxes a million units wide, their near corners spread around the
    // far corner of the largest grid: each enters only its clipped cells.
    Map map = MakeMap(1024, 1024, 4);
    const float half = 500000.0f;
    const glm::vec3 huge(2.0f * half, 1.0f, 2.0f * half);
    std::vector<GameObject> boxes(2000);
    std::vector<GameObject*> list;
    std::size_t expected = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
        const std::uint32_t c0 = 990 + static_cast<std::uint32_t>(i % 45);         // some past the last column
        const std::uint32_t r0 = 1000 + static_cast<std::uint32_t>((i * 7) % 31);  // some past the last row
        boxes[i].type = static_cast<ObjectType>(CUBE);
        boxes[i].position = glm::vec3(c0 + half, 0.5f + static_cast<float>(i % 4), r0 + half);
        boxes[i].scale = huge;
        list.push_back(&boxes[i]);
        if (c0 < 1024 && r0 < 1024) expected += static_cast<std::size_t>(1024 - c0) * (1024 - r0);
    }
    ASSERT_GT(expected, 0u);
    EXPECT_EQ(map.AddObjectsToMap(list), expected);
    EXPECT_EQ(map.GetCellValue(1023, 1023, 3), CUBE);
    EXPECT_EQ(map.GetCellValue(1000, 990, 0), CUBE);
    EXPECT_EQ(map.GetCellValue(999, 990, 0), 0u);
    EXPECT_EQ(map.GetCellValue(1000, 989, 0), 0u);
    EXPECT_EQ(map.GetHeight(), 4u);

    // Boxes starting left of and before the grid run their width from cell 0.
    Map small = MakeMap(8, 8, 1);
    EXPECT_EQ(small.EnterObject(glm::vec3(-half, 0.5f, -half), huge, CUBE), 64u);
    EXPECT_EQ(small.EnterObject(glm::vec3(-10.0f, 0.5f, 2.5f), glm::vec3(3.0f, 1.0f, 1.0f), CUBE), 3u);
    EXPECT_EQ(small.EnterObject(glm::vec3(3.0f * half, 0.5f, 2.5f), huge, CUBE), 0u);
    EXPECT_EQ(small.EnterObject(glm::vec3(2.5f, 0.5f, 2.5f), glm::vec3(-3.0f, 1.0f, 1.0f), CUBE), 0u);
}

TEST(Map, CellsLengthenFromTheirOwnTopNotTheGrids)
{
    Map map = MakeMap(2, 2, 1);
    map.SetCellValue(0, 0, 3, SWITCH, false);  // height 4; the other cells keep one layer
    EXPECT_EQ(map.GetCell(0, 0), (Map::Cell{0, 0, 0, SWITCH}));
    EXPECT_EQ(map.GetCell(0, 1), (Map::Cell{0}));
    // Above the grid's height: entered at layer 4, the cell filled from its own top.
    EXPECT_EQ(map.EnterObject(glm::vec3(1.5f, 9.0f, 0.5f), UNIT, BARRIER), 1u);
    EXPECT_EQ(map.GetCell(0, 1), (Map::Cell{0, BARRIER, BARRIER, BARRIER, BARRIER}));
    EXPECT_EQ(map.GetCell(0, 0), (Map::Cell{0, 0, 0, SWITCH}));
    EXPECT_EQ(map.GetCellValue(0, 0, 4), 0u);
    EXPECT_EQ(map.GetHeight(), 5u);
    // Removal walks the cell as long as it is, not as high as the grid.
    map.RemoveObjectValuesFromMap(glm::vec3(1.5f, 9.0f, 0.5f), UNIT, glm::quat(1, 0, 0, 0), BARRIER);
    EXPECT_EQ(map.GetCell(0, 1), (Map::Cell{0, BARRIER, BARRIER, BARRIER, 0}));
    // Sizes changed without a new allocation never reach past the old cells.
    ASSERT_TRUE(map.SetSize(5, 5, 1));
    EXPECT_EQ(map.GetCellValue(0, 0, 3), SWITCH);
    EXPECT_TRUE(map.GetCell(3, 3).empty());
    EXPECT_EQ(map.EnterObject(glm::vec3(0.5f, 0.5f, 4.5f), UNIT, CUBE), 0u);
    map.SetCellValue(4, 4, 0, CUBE, false);
    EXPECT_EQ(map.GetCellValue(4, 4, 0), 0u);
}

TEST(Map, RemovalZeroesOnlyTheCallersOwnCells)
{
    Map map = MakeMap(4, 4, 3);
    map.EnterObject(glm::vec3(1.5f, 0.5f, 1.5f), UNIT, CUBE);     // under the barrier
    map.EnterObject(glm::vec3(1.5f, 1.5f, 1.5f), UNIT, BARRIER);
    map.EnterObject(glm::vec3(2.5f, 1.5f, 1.5f), UNIT, CUBE);     // beside it
    map.EnterObject(glm::vec3(3.5f, 1.5f, 3.5f), UNIT, BARRIER);  // another barrier
    map.RemoveObjectValuesFromMap(glm::vec3(1.5f, 1.5f, 1.5f), UNIT, glm::quat(1, 0, 0, 0), BARRIER);
    EXPECT_EQ(map.GetCellValue(1, 1, 1), 0u);
    EXPECT_EQ(map.GetCellValue(1, 1, 0), CUBE);
    EXPECT_EQ(map.GetCellValue(1, 2, 1), CUBE);
    EXPECT_EQ(map.GetCellValue(3, 3, 1), BARRIER);

    // A tall barrier entered above the old height is found again.
    map.EnterObject(glm::vec3(0.5f, 9.0f, 0.5f), glm::vec3(1.0f, 2.0f, 1.0f), BARRIER);
    ASSERT_EQ(map.GetCellValue(0, 0, 3), BARRIER);
    map.RemoveObjectValuesFromMap(glm::vec3(0.5f, 9.0f, 0.5f), glm::vec3(1.0f, 2.0f, 1.0f), glm::quat(1, 0, 0, 0),
                                  BARRIER);
    EXPECT_EQ(map.GetCellValue(0, 0, 3), 0u);
}

TEST(Map, RotatedRemovalWarnsAndUsesTheUnrotatedBox)
{
    TestSupport::ScopedTempHome home;
    System::GetInstance()->logger = new Logger();
    Map map = MakeMap(4, 4, 2);
    map.EnterObject(glm::vec3(2.0f, 1.0f, 2.0f), glm::vec3(2.0f, 2.0f, 2.0f), BARRIER);
    ASSERT_EQ(CountFilled(map), 4u);
    testing::internal::CaptureStdout();
    map.RemoveObjectValuesFromMap(glm::vec3(2.0f, 1.0f, 2.0f), glm::vec3(2.0f, 2.0f, 2.0f),
                                  glm::angleAxis(0.5f, glm::vec3(0, 1, 0)), BARRIER);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("WARNING - Object to be removed has been rotated before! This may cause problem with the map "
                       "data remove function!"),
              std::string::npos);
    EXPECT_EQ(CountFilled(map), 0u);
    delete System::GetInstance()->logger;
    System::GetInstance()->logger = nullptr;
    System::DestroyInstance();
}

} // namespace
