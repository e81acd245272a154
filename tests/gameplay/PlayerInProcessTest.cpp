// The robot in the running engine: a level loaded as the free load, every
// frame exactly 1/32 s, the keys held frame by frame. It beams in, walks over
// a floor of blocks to a crate, picks it up, throws it onto a raised cell
// where the preview's red marker said it would land, and walks again after
// standing still.
#include <gtest/gtest.h>

#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

class PlayerInProcessTest : public TestSupport::EngineTest
{
protected:
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

    GameplayHarness game;
};

TEST_F(PlayerInProcessTest, TheRobotThrowsACrateOntoTheCellItsPreviewMarked)
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

    // The robot beams in for one second (33 frames) and ignores the keys meanwhile.
    game.Hold({up});
    EXPECT_EQ(game.StepUntil([&] { return !player->IsSpawning(); }, 64), 33);
    EXPECT_EQ(robot->position.z, start.z);

    // It walks along -z until the crate is within reach, and stops at once.
    ASSERT_GT(game.StepUntil([&] { return robot->position.z - crate->position.z <= 1.2f; }, 200), 0);
    EXPECT_EQ(robot->position.x, start.x);
    EXPECT_EQ(player->m_FacingIndex, FACING_MINUS_Z);
    game.Release();
    game.Step();
    const float stopped = robot->position.z;
    game.Step(4);
    EXPECT_EQ(robot->position.z, stopped);

    // Left button: the crate is carried and the preview drawn.
    game.Hold({KEY_LBUTTON});
    game.Step();
    game.Release();
    game.Step();
    ASSERT_EQ(player->GetCarriedCrate(), crate);
    GameObject* red = ShownMarker("red");
    ASSERT_NE(red, nullptr);
    EXPECT_GE(CountShownMarkers(), 4);
    const glm::vec3 marked = red->position;

    // Left button again: the throw. The crate comes to rest on the raised cell.
    game.Hold({KEY_LBUTTON});
    game.Step();
    game.Release();
    EXPECT_EQ(player->GetCarriedCrate(), nullptr);
    EXPECT_EQ(CountShownMarkers(), 0);
    game.Step(80);
    const glm::vec3 rest = crate->position;
    game.Step(16);
    EXPECT_LT(glm::length(crate->position - rest), 0.01f);
    EXPECT_NEAR(rest.y, target->position.y + 1.0f, 0.05f);
    EXPECT_LT(std::fabs(rest.x - target->position.x), 0.5f);
    EXPECT_LT(std::fabs(rest.z - target->position.z), 0.5f);
    // The marker is where the predicted path first meets the cell's box (the
    // prediction measures boxes in whole units, so that is above the cell):
    // the crate falls nearly straight down from there.
    EXPECT_LT(glm::length(glm::vec2(rest.x - marked.x, rest.z - marked.z)), 0.5f);
    EXPECT_GE(marked.y, rest.y);

    // After standing still for 2 s the robot still walks.
    game.Step(64);
    const float before = robot->position.z;
    game.Hold({up});
    game.Step(8);
    EXPECT_LT(robot->position.z, before - 0.25f);
}

} // namespace
