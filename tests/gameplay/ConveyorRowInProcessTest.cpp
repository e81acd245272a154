// Belts laid into a floor of unit blocks, at the game's 60 frames a second:
// a crate set down on a row of one-cell belts (as the editor lays them) and
// one on a long belt between floor blocks both ride along the belt, though
// each touches the blocks beside its cell at zero depth; the row carries its
// crate at walking pace onto the floor beyond, where it comes to rest.
#include <gtest/gtest.h>

#include <algorithm>

#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

constexpr int FRAMES_PER_SECOND = 60;

class ConveyorRowInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    GameplayHarness game{GameplayHarness::DEFAULT_WIDTH, GameplayHarness::DEFAULT_HEIGHT, FRAMES_PER_SECOND};
};

TEST_F(ConveyorRowInProcessTest, BeltsInAFloorOfBlocksCarryCratesAtWalkingPace)
{
    ASSERT_TRUE(game.Start());
    game.SetDrawing(false);
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/beltrow.xml"));
    GameObject* onRow = game.Find(CRATE, 0);
    GameObject* onLong = game.Find(CRATE, 1);
    ASSERT_TRUE(onRow && onLong);
    ASSERT_EQ(onRow->position.z, 4.5f);
    ASSERT_EQ(onLong->position.z, 6.5f);
    const float rowEnd = 8.0f;

    // Along the row, level with the floor and never sideways: past the
    // fourth belt within two seconds, at about the robot's walking pace.
    float lowest = onRow->position.y;
    const int frames = game.StepUntil(
        [&] {
            lowest = std::min(lowest, onRow->position.y);
            return onRow->position.x > 6.5f;
        },
        2 * FRAMES_PER_SECOND);
    ASSERT_GT(frames, 0);
    const float speed = GetPhysicsComponent(onRow)->velocity.x;
    EXPECT_GT(speed, 4.0f);
    EXPECT_LT(speed, 6.5f);
    EXPECT_NEAR(onRow->position.z, 4.5f, 1e-3f);
    EXPECT_GT(lowest, 1.45f);

    // The long belt carries its crate too.
    EXPECT_GT(onLong->position.x, 4.0f);
    EXPECT_NEAR(onLong->position.z, 6.5f, 1e-3f);

    // Off the row's end onto the floor blocks beyond, where it slides to
    // rest within two cells, still on top of the floor.
    game.Step(3 * FRAMES_PER_SECOND);
    EXPECT_GT(onRow->position.x - 0.5f, rowEnd);
    EXPECT_LT(onRow->position.x, rowEnd + 2.0f);
    EXPECT_NEAR(onRow->position.y, 1.5f, 0.05f);
    EXPECT_NEAR(GetPhysicsComponent(onRow)->velocity.x, 0.0f, 1e-3f);
    EXPECT_GT(onLong->position.x, 7.5f);
    EXPECT_NEAR(onLong->position.y, 1.5f, 0.05f);
}

} // namespace
