// The robot in the running engine: a level loaded as the free load, every
// frame 1/60 s, then 1/20 s (a software renderer's pace), the keys held
// frame by frame. It beams in, walks over a floor of blocks into a crate,
// stops, picks it up a second later as a person does, throws it over a
// force field (crates fly through) onto a raised cell where the preview's
// red marker said it would land, and walks again after standing still.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

class PlayerInProcessTest : public TestSupport::EngineTest, public ::testing::WithParamInterface<int>
{
protected:
    // Frames of this run's rate in that many seconds.
    int Frames(double seconds) const { return static_cast<int>(std::lround(seconds * GetParam())); }
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    // The preview marker drawn with the texture, or null.
    GameObject* ShownMarker(const std::string& texture) const
    {
        for (GameObject* marker : game.FindAll(THROWINDICATOR)) {
            auto* graphics = dynamic_cast<GraphicsComponent*>(marker->GetComponent(CT_GRAPHICS));
            const bool shown = (marker->flags & OBJ_ACTIVE) && !(marker->flags & OBJ_SKIP_DRAW);
            if (shown && graphics && graphics->GetTextureName() == texture) return marker;
        }
        return nullptr;
    }
    int CountShownMarkers() const
    {
        int shown = 0;
        for (GameObject* marker : game.FindAll(THROWINDICATOR))
            if ((marker->flags & OBJ_ACTIVE) && !(marker->flags & OBJ_SKIP_DRAW)) ++shown;
        return shown;
    }

    GameplayHarness game{GameplayHarness::DEFAULT_WIDTH, GameplayHarness::DEFAULT_HEIGHT,
                         static_cast<std::uint64_t>(GetParam())};
};

TEST_P(PlayerInProcessTest, TheRobotThrowsACrateOntoTheCellItsPreviewMarked)
{
    const int up = GameplayHarness::Letter('W');
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/throw.xml"));
    GameObject* robot = game.Player();
    ASSERT_NE(robot, nullptr);
    auto* player = dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    ASSERT_NE(player, nullptr);
    GameObject* crate = game.Find(CRATE);
    // The raised cell: the one block standing on the floor.
    GameObject* target = nullptr;
    for (GameObject* cube : game.FindAll(CUBE))
        if (cube->position.y > 0.0f) target = cube;
    ASSERT_NE(crate, nullptr);
    ASSERT_NE(target, nullptr);
    const glm::vec3 start = robot->position;
    // A force field on the floor under the flight: the crate flies through.
    ASSERT_NE(game.GetSystem()->objectManager->CreateInstance(FORCEFIELD, glm::vec3(4.5f, 0.5f, 4.5f)), nullptr);

    // The robot beams in for one second and ignores the keys meanwhile.
    game.Hold({up});
    EXPECT_NEAR(game.StepUntil([&] { return !player->IsSpawning(); }, Frames(2.0)), Frames(1.0), 1);
    EXPECT_EQ(robot->position.z, start.z);

    // It walks along -z into the crate and pushes it a little; let go, it
    // stops at once, and so does the crate.
    ASSERT_GT(game.StepUntil([&] { return crate->position.z < 9.25f; }, Frames(4.0)), 0);
    EXPECT_EQ(robot->position.x, start.x);
    EXPECT_EQ(player->m_FacingIndex, FACING_MINUS_Z);
    game.Release();
    game.Step();
    const float stopped = robot->position.z;
    game.Step(Frames(1.0));
    EXPECT_EQ(robot->position.z, stopped);

    // A second later the left button: the crate is carried and the preview drawn.
    game.Hold({KEY_LBUTTON});
    game.Step();
    game.Release();
    game.Step();
    ASSERT_EQ(player->GetCarriedCrate(), crate);
    GameObject* red = ShownMarker("red");
    ASSERT_NE(red, nullptr);
    EXPECT_GE(CountShownMarkers(), 4);
    const glm::vec3 marked = red->position;

    // Left button again: the throw. The crate comes to rest on the raised
    // cell (the farther the shorter the frames), within half a cell of the
    // marker (its centre where it first meets the cell).
    game.Hold({KEY_LBUTTON});
    game.Step();
    game.Release();
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);
    EXPECT_EQ(CountShownMarkers(), 0);
    game.Step(Frames(2.5));
    const glm::vec3 rest = crate->position;
    game.Step(Frames(0.5));
    EXPECT_LT(glm::length(crate->position - rest), 0.01f);
    EXPECT_NEAR(rest.y, target->position.y + 1.0f, 0.05f);
    EXPECT_LT(std::fabs(rest.x - target->position.x), 0.5f);
    EXPECT_LT(std::fabs(rest.z - target->position.z), 1.0f);
    EXPECT_LT(glm::length(glm::vec2(rest.x - marked.x, rest.z - marked.z)), 0.5f);
    EXPECT_NEAR(marked.y, target->position.y + 0.5f, 0.15f);  // on the cell's top, where the underside lands

    // After standing still for 2 s the robot still walks.
    game.Step(Frames(2.0));
    const float before = robot->position.z;
    game.Hold({up});
    game.Step(Frames(0.25));
    EXPECT_LT(robot->position.z, before - 0.25f);
}

INSTANTIATE_TEST_SUITE_P(Rates, PlayerInProcessTest, ::testing::Values(60, 20),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return std::to_string(info.param) + "FramesASecond";
                         });

} // namespace
