// "Conveytapult" played from its key script: the robot catches two crates
// from the carousel of belts, throws one over the pit onto the belt column
// and one onto the belt row, the belts carry them onto the two switches, and
// the door up the corridor opens to the exit. Standing still never ends the
// level (the carousel keeps its crates), and a fall into the pit opens the
// retry menu, whose Yes restarts the level.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/glm.hpp>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int CONVEYTAPULT = STATE_LEVEL1 + 5;
// The carousel's ring of belts, in cell centres.
constexpr float RING_LOW = 10.5f;
constexpr float RING_HIGH = 14.5f;

class PlaythroughConveytapultInProcessTest : public EngineTest
{
protected:
    static int PressedSwitches(Playthrough& run)
    {
        int pressed = 0;
        for (GameObject* object : run.Game().FindAll(SWITCH)) {
            auto* part = dynamic_cast<SwitchComponent*>(object->GetComponent(CT_SWITCH));
            pressed += part && part->IsShownPressed();
        }
        return pressed;
    }
    // Whether a crate rides the carousel: on its ring, on top of the belts.
    static bool OnTheRing(const GameObject* crate)
    {
        const glm::vec3 p = crate->position;
        const bool inRing = p.x > RING_LOW - 0.1f && p.x < RING_HIGH + 0.1f && p.z > RING_LOW - 0.1f &&
                            p.z < RING_HIGH + 0.1f;
        const bool onEdge = p.x < RING_LOW + 0.1f || p.x > RING_HIGH - 0.1f || p.z < RING_LOW + 0.1f ||
                            p.z > RING_HIGH - 0.1f;
        return inRing && onEdge && std::abs(p.y - 1.5f) < 0.05f;
    }
};

TEST_F(PlaythroughConveytapultInProcessTest, TheScriptReachesTheExitWithAnA)
{
    int pressedAtExit = -1;
    bool doorOpenAtExit = false;
    // Lined up to throw the first crate, the robot learns of both switches.
    int switchesPictureAtPressed = -1;
    ExpectLevelCompleted(*FindCampaignLevel(CONVEYTAPULT), 'A', [&](Playthrough& run) {
        if (switchesPictureAtPressed < 0 && run.PictureShown("tutorial_twoswitches"))
            switchesPictureAtPressed = PressedSwitches(run);
        if (pressedAtExit >= 0 || !run.Game().Player()) return;
        // The exit's contact: the robot reached the exit room.
        if (run.Game().Player()->position.z > 3.0f) return;
        pressedAtExit = PressedSwitches(run);
        GameObject* door = run.Game().Find(DOOR);
        doorOpenAtExit = door && door->position.y > 3.5f;
    });
    // The way opened as the level means: both crates rode onto the switches.
    EXPECT_EQ(pressedAtExit, 2);
    EXPECT_TRUE(doorOpenAtExit);
    EXPECT_EQ(switchesPictureAtPressed, 0);
}

TEST_F(PlaythroughConveytapultInProcessTest, StandingStillForTwiceTheATimeNeverEndsTheLevel)
{
    ExpectStandingStillKeepsTheLevel(*FindCampaignLevel(CONVEYTAPULT), [](Playthrough& run, const glm::vec3&) {
        // The carousel still carries all three crates round; the door is shut.
        const auto crates = run.Game().FindAll(CRATE);
        ASSERT_EQ(crates.size(), 3u);
        for (GameObject* crate : crates)
            EXPECT_TRUE(OnTheRing(crate)) << crate->position.x << " " << crate->position.y << " " << crate->position.z;
        EXPECT_EQ(PressedSwitches(run), 0);
        GameObject* door = run.Game().Find(DOOR);
        ASSERT_NE(door, nullptr);
        EXPECT_NEAR(door->position.y, 1.5f, 1e-3f);
    });
}

TEST_F(PlaythroughConveytapultInProcessTest, AFallIntoThePitOpensTheRetryMenuWhoseYesRestartsTheLevel)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(CONVEYTAPULT)) << run.Error();
    const glm::vec3 start = run.Game().Player()->position;
    // Beamed in, east to the belt column's side of the room, north off the
    // edge into the pit.
    const PlaythroughResult result = run.Play(ScriptThen({}, 0, "62\n30 D\n300 W\n"), NoWait());
    ASSERT_NO_FATAL_FAILURE(ExpectRetryRestartsTheLevel(run, result, CONVEYTAPULT, start));
    EXPECT_EQ(run.Game().FindAll(CRATE).size(), 3u);
}

TEST_F(PlaythroughConveytapultInProcessTest, ACrateCarriedIntoTheDoorEndsOnTheFloorInFrontOfIt)
{
    Playthrough run(Playthrough::SLOW_FRAMES_PER_SECOND);
    ASSERT_TRUE(run.Start(CONVEYTAPULT)) << run.Error();
    KeyScript script;
    std::string error;
    ASSERT_TRUE(LoadKeyScript(PlaythroughScriptPath(*FindCampaignLevel(CONVEYTAPULT)), script, error)) << error;
    // The second crate carried into the door, which drops it on the robot walking on: a step back, and it is taken again.
    run.Play(ScriptThen(script, 18, "100 W\n10\n20 S z>6.7\n60\n1 W\n1 LBUTTON\n"), NoWait());
    EXPECT_NE(run.Game().Player()->GetComponent<PlayerComponent>()->GetCarriedCrate(), nullptr);
}

} // namespace
