// The playthrough harness itself: its frames last 1/60 s without the
// frame-rate controller ever waiting, frames that are not drawn still move
// the camera after the robot and leave no queued text or lines behind, and
// held keys reach the game as the window's key and mouse messages do; at a
// slower pace a script's lines keep their time, and a line ends on its
// condition.
#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "engine/core/FrameRateController.h"
#include "engine/core/InputManager.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

class PlaythroughHarnessInProcessTest : public EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }

    GameplayHarness game{Playthrough::WIDTH, Playthrough::HEIGHT, Playthrough::FRAMES_PER_SECOND};
};

TEST_F(PlaythroughHarnessInProcessTest, UndrawnFramesLastASixtiethAndStillMoveTheCamera)
{
    ASSERT_TRUE(game.Start());
    game.SetDrawing(false);
    ASSERT_TRUE(game.PassLoadingScreen());
    ASSERT_TRUE(game.EnterState(STATE_LEVEL1));
    System* system = game.GetSystem();
    game.Step(FIRST_PLAY_FRAME);

    const double dt = system->frameRateController->dt;
    EXPECT_GE(dt, FrameRateController::TARGET_FRAME_TIME);
    EXPECT_NEAR(dt, 1.0 / 60.0, 1e-6);

    GameObject* robot = game.Player();
    ASSERT_NE(robot, nullptr);
    const glm::vec3 start = robot->position;
    const glm::vec3 eye = system->camera->GetEye();
    game.Hold({GameplayHarness::KeyByName("A")});
    game.Step(30);
    game.Release();
    game.Step();
    EXPECT_LT(robot->position.x, start.x - 2.0f);
    // The camera followed the robot west though nothing was drawn.
    EXPECT_LT(system->camera->GetEye().x, eye.x - 1.0f);
    // The level name and time were queued each frame and dropped undrawn.
    EXPECT_TRUE(system->fontManager->GetQueue().empty());
    EXPECT_TRUE(system->renderer->GetLineQueue().empty());
}

TEST_F(PlaythroughHarnessInProcessTest, HeldKeysArriveAsKeyAndMouseMessages)
{
    ASSERT_TRUE(game.Start());
    game.SetDrawing(false);
    const int w = GameplayHarness::KeyByName("W");
    game.Hold({w, KEY_LBUTTON, KEY_RBUTTON});
    game.Step();
    // Down this frame: previous follows at the frame's end.
    EXPECT_EQ(InputManager::current[w], 1);
    EXPECT_EQ(InputManager::current[KEY_LBUTTON], 1);
    EXPECT_EQ(InputManager::current[KEY_RBUTTON], 1);
    game.Hold({w});
    game.Step();
    EXPECT_EQ(InputManager::current[w], 1);
    EXPECT_EQ(InputManager::current[KEY_LBUTTON], 0);
    EXPECT_EQ(InputManager::current[KEY_RBUTTON], 0);
    game.Release();
    game.Step();
    EXPECT_EQ(InputManager::current[w], 0);
}

// At 1/20 s a frame a script of 1/60 s frames lasts as long: a line ends
// where it ends at 1/60 s as near as whole frames allow, a press keeps a
// frame of its own, and a line that ended on its condition starts the count
// again from where it ended.
TEST_F(PlaythroughHarnessInProcessTest, AtTwentyFramesASecondLinesKeepTheirTimeAndEndOnTheirCondition)
{
    game.Stop();
    Playthrough run(Playthrough::SLOW_FRAMES_PER_SECOND);
    ASSERT_TRUE(run.Start(STATE_LEVEL1)) << run.Error();
    EXPECT_EQ(run.FramesIn(1.0), 20);
    EXPECT_EQ(run.FramesIn(0.001), 1);
    KeyScript script;
    std::string error;
    // 61 frames: 20.33, so 20; then a press and a pause of one 1/60 s frame
    // each: a frame each; then 30 more: to 93/3 = 31 in all.
    ASSERT_TRUE(ParseKeyScript("61\n1 LBUTTON\n1\n30\n", script, error)) << error;
    PlaythroughResult result = run.Play(script, NoWait());
    EXPECT_EQ(result.frames, 31);

    GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    const float x = robot->position.x;
    ASSERT_TRUE(ParseKeyScript("120 A x<" + std::to_string(x - 1.0f) + "\n6\n", script, error)) << error;
    result = run.Play(script, NoWait());
    EXPECT_TRUE(result.unmetLines.empty());
    EXPECT_LT(robot->position.x, x - 1.0f);
    EXPECT_GT(robot->position.x, x - 1.5f);
    // Walking a unit takes a few frames; the pause after it two more.
    EXPECT_GT(result.frames, 2);
    EXPECT_LT(result.frames, 10);

    // A condition that never holds runs the line's most and is reported.
    ASSERT_TRUE(ParseKeyScript("30 z<-100\n", script, error)) << error;
    result = run.Play(script, NoWait());
    EXPECT_EQ(result.frames, 10);
    ASSERT_EQ(result.unmetLines.size(), 1u);
    EXPECT_EQ(result.unmetLines[0], 1);
}

} // namespace
