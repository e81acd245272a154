#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
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
    for (const Map::Cell& cell : map.GetCells())
        for (std::uint32_t v : cell) n += v != 0;
    return n;
}

TEST(Map, FreshGridHasRowsTimesColumnsCellsOfZeroLayers)
{
    Map map = MakeMap(10, 8, 2);
    ASSERT_EQ(map.GetCells().size(), 80u);
    for (const Map::Cell& cell : map.GetCells()) EXPECT_EQ(cell, (Map::Cell{0, 0}));
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
    EXPECT_EQ(*map.GetCell(2, 1), (Map::Cell{0, 0, BARRIER}));
    EXPECT_EQ(map.GetCell(0, 0)->size(), 2u);
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
    EXPECT_EQ(*map.GetCell(1, 1), (Map::Cell{0, 0, CUBE, CUBE, CUBE, CUBE}));
    EXPECT_EQ(map.GetHeight(), 6u);
    map.SetCellValue(0, 1, 3, CUBE, false);
    EXPECT_EQ(*map.GetCell(0, 1), (Map::Cell{0, 0, 0, CUBE}));
    map.SetCellValue(0, 1, 3, 0, false);
    EXPECT_EQ(map.GetCellValue(0, 1, 3), 0u);
    map.SetCellValue(2, 0, 0, CUBE, false);  // outside the grid
    map.SetCellValue(0, 0, Map::MAX_LAYERS, CUBE, true);
    EXPECT_EQ(map.GetCell(0, 0)->size(), 2u);
    EXPECT_EQ(map.GetCell(2, 0), nullptr);
}

TEST(Map, EachAllocationReplacesTheGrid)
{
    Map map = MakeMap(10, 8, 2);
    map.SetCellValue(0, 0, 4, CUBE, true);
    ASSERT_TRUE(map.SetSize(5, 5, 1));
    map.AllocateCells();
    map.ResizeLayers();
    ASSERT_EQ(map.GetCells().size(), 25u);
    EXPECT_EQ(*map.GetCell(0, 0), (Map::Cell{0}));
    map.AllocateCells();
    EXPECT_EQ(map.GetCells().size(), 25u);
    map.Clear();
    EXPECT_TRUE(map.GetCells().empty());
    EXPECT_EQ(map.GetRows(), 5u);
    EXPECT_EQ(map.GetCellValue(0, 0, 0), 0u);
    map.SetCellValue(0, 0, 0, CUBE, false);  // no cells: nothing to write
    map.EnterObject(glm::vec3(0.5f, 0.5f, 0.5f), UNIT, CUBE);
    EXPECT_TRUE(map.GetCells().empty());
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
