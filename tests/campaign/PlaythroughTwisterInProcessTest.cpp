// "Twister" played from its key script: the robot waits out the enemy
// boxes' guards, lays the crate on the raised switch, lures the chaser down
// one side of the pillar and runs round the other to the exit. Standing
// still never ends the level, and the chaser's catch opens the retry menu,
// whose Yes restarts the level.
#include <gtest/gtest.h>

#include <set>

#include <glm/glm.hpp>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/AIChaseComponent.h"
#include "game/gameplay/ChaseAI.h"
#include "game/gameplay/PlayerComponent.h"
#include "tools/LevelEditor.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int TWISTER = STATE_LEVEL1 + 4;

class PlaythroughTwisterInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level() { return *FindCampaignLevel(TWISTER); }
    static GameObject* Chaser(Playthrough& run)
    {
        for (GameObject* enemy : run.Game().FindAll(ENEMY))
            if (enemy->GetComponent(CT_AICHASE)) return enemy;
        return nullptr;
    }
};

TEST_F(PlaythroughTwisterInProcessTest, TheScriptReachesTheExitWithAnA)
{
    ExpectLevelCompleted(Level(), 'A');
}

TEST_F(PlaythroughTwisterInProcessTest, StandingStillForTwiceTheATimeNeverEndsTheLevel)
{
    ExpectStandingStillKeepsTheLevel(Level(), [](Playthrough& run, const glm::vec3&) {
        // The chaser waits at the closed door; both guards are gone.
        GameObject* chaser = Chaser(run);
        ASSERT_NE(chaser, nullptr);
        EXPECT_LT(chaser->position.z, 5.0f);
        EXPECT_EQ(run.Game().FindAll(ENEMY).size(), 1u);
    });
}

TEST_F(PlaythroughTwisterInProcessTest, TheChasersCatchOpensTheRetryMenuWhoseYesRestartsTheLevel)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(TWISTER)) << run.Error();
    const glm::vec3 start = run.Game().Player()->position;
    // The script up to the crate laid on the switch, then no luring: stand.
    const KeyScript script = LevelScript(Level());
    ASSERT_GE(script.lines.size(), 6u);
    const PlaythroughResult result = run.Play(ScriptThen(script, 6, "600"), NoWait());
    ASSERT_NO_FATAL_FAILURE(ExpectRetryRestartsTheLevel(run, result, TWISTER, start));
    GameObject* chaser = Chaser(run);
    ASSERT_NE(chaser, nullptr);
    EXPECT_LT(chaser->position.z, 5.0f);
}

// A robot that does not wait for the guards to go takes the crate straight
// to the switch and stands there: what ends the attempt is the chaser, come
// round the pillar within its reach, not a guard nor anything unseen.
void ExpectOnlyTheChasersReachEndsAHastyAttempt(int pace)
{
    Playthrough run(pace);
    ASSERT_TRUE(run.Start(TWISTER)) << run.Error();
    const PlaythroughResult result =
        run.Play(ScriptThen({}, 0, "62\n30 reach\n1 LBUTTON\n3\n60 W z<11.6\n90 D x>11.4\n3 RBUTTON\n600\n"), NoWait());
    EXPECT_EQ(result.requestedState, STATE_GAMERETRYMENU);
    GameObject* chaser = nullptr;
    for (GameObject* enemy : run.Game().FindAll(ENEMY))
        if (enemy->GetComponent(CT_AICHASE)) chaser = enemy;
    ASSERT_NE(chaser, nullptr);
    EXPECT_LT(glm::length(chaser->position - run.Game().Player()->position), ChaseAI::CATCH_DISTANCE);
}

TEST_F(PlaythroughTwisterInProcessTest, OnlyTheChasersReachEndsTheAttemptOfARobotThatDoesNotWait)
{
    ExpectOnlyTheChasersReachEndsAHastyAttempt(Playthrough::FRAMES_PER_SECOND);
}

TEST_F(PlaythroughTwisterInProcessTest, OnlyTheChasersReachEndsTheAttemptOfARobotThatDoesNotWaitAtTwentyFramesASecond)
{
    ExpectOnlyTheChasersReachEndsAHastyAttempt(Playthrough::SLOW_FRAMES_PER_SECOND);
}

// At 1/20 s both enemy boxes leave standing guards. Carried into the pillar from the south, west and east, the crate
// is let go by neither button (on the pillar's top it would lie out of reach); carried over the switch it presses
// nothing, set on it it opens the door.
TEST_F(PlaythroughTwisterInProcessTest, ThePillarKeepsTheCarriedCrateAndOnlyOneSetOnTheSwitchOpensTheDoor)
{
    Playthrough run(Playthrough::SLOW_FRAMES_PER_SECOND);
    ASSERT_TRUE(run.Start(TWISTER)) << run.Error();
    GameObject* door = run.Game().Find(DOOR);
    ASSERT_NE(door, nullptr);
    const float shut = door->position.y;
    run.Game().Step(run.FramesIn(3.5));  // landed, or fallen through if sunk into the floor in one long frame
    int guards = 0;
    for (GameObject* enemy : run.Game().FindAll(ENEMY)) guards += enemy->position.y > 1.4f && enemy->position.z > 5.0f;
    EXPECT_EQ(guards, 2);
    const auto carrying = [&](const std::string& moves) {
        EXPECT_TRUE(run.Play(ScriptThen({}, 0, moves), NoWait()).unmetLines.empty()) << moves;
        return run.Game().Player()->GetComponent<PlayerComponent>()->GetCarriedCrate() != nullptr;
    };
    const std::string letGo = "2\n1 RBUTTON\n3\n1 LBUTTON\n3\n";
    EXPECT_TRUE(carrying("62\n1 LBUTTON\n600\n60 W z<9.7\n" + letGo)) << "from the south";
    EXPECT_TRUE(run.PictureShown("tutorial_chaser")) << "read from the alcove's mouth on";
    EXPECT_TRUE(carrying("40 S z>10.4\n30 A x<5.6\n30 W z<8.5\n1 D\n" + letGo)) << "from the west";
    EXPECT_TRUE(carrying("40 S z>10.4\n100 D x>10.4\n30 W z<8.5\n1 A\n" + letGo)) << "from the east";
    EXPECT_TRUE(carrying("60 S z>11.4\n90 D x>11.1\n30\n"));  // short of the switch
    EXPECT_EQ(door->position.y, shut);
    // Saved with the crate armed in hand, then with it on the pressed switch, the pads mid-frame: only the file's looks.
    const auto looks = [](const std::string& text, std::multiset<std::string> ids = {}) {
        for (size_t at = text.find("<TextureId>"); at != std::string::npos; at = text.find("<TextureId>", at + 1))
            ids.insert(text.substr(at, text.find('<', at + 1) - at));
        return ids;
    };
    const auto file = looks(ReadFile(SourceDir() + "/data/levels/Twister.xml"));
    EXPECT_TRUE(carrying("1 1\n3\n"));
    EXPECT_EQ(looks(FindLevelEditor()->RenderLevel()), file);
    EXPECT_TRUE(carrying("1 1\n3\n"));  // disarmed again
    EXPECT_FALSE(carrying("1 RBUTTON\n"));
    EXPECT_GT(run.Game().StepUntil([&] { return door->position.y > shut + 1.0f; }, run.FramesIn(3.0)), 0);
    EXPECT_EQ(looks(FindLevelEditor()->RenderLevel()), file);
}

} // namespace
