// "LeapOfFaith" played from its key script: the robot crosses the hovering
// platforms, the grey bridge and the crumbling run to the checkpoint, then
// takes the crumbling bridge to the exit. Standing still never ends the
// level; lingering on the grey bridge drops the robot into the void before
// any checkpoint, which opens the retry menu whose Yes restarts the level;
// lingering on the crumbling bridge past the checkpoint drops it too, the
// checkpoint takes it back, and the safe walkway round the south still
// leads to the exit. A comet that strikes the robot only bursts.
#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/CometSpawnerComponent.h"
#include "game/gameplay/FallingPlatformComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int LEAP_OF_FAITH = STATE_LEVEL1 + 6;
constexpr int LEAP_OF_FAITH_TRANSITION = 23;

class PlaythroughLeapOfFaithInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level() { return *FindCampaignLevel(LEAP_OF_FAITH); }
    // Falling platforms that are gone (off the level grid).
    static int FallenPlatforms(Playthrough& run)
    {
        int fallen = 0;
        for (GameObject* object : run.Game().FindAll(FALLINGPLATFORM)) {
            auto* platform = dynamic_cast<FallingPlatformComponent*>(object->GetComponent(CT_FALLINGPLATFORM));
            if (platform && platform->m_IsOffGrid) ++fallen;
        }
        return fallen;
    }
};

TEST_F(PlaythroughLeapOfFaithInProcessTest, TheScriptReachesTheExitWithAnA)
{
    ExpectLevelCompleted(Level(), 'A');
}

TEST_F(PlaythroughLeapOfFaithInProcessTest, StandingStillForTwiceTheATimeNeverEndsTheLevel)
{
    ExpectStandingStillKeepsTheLevel(Level(), [](Playthrough& run, const glm::vec3& start) {
        ASSERT_NE(run.Game().Player(), nullptr);
        EXPECT_LT(glm::length(run.Game().Player()->position - start), 0.05f);
        // The comets kept falling all the while, and every platform stands.
        int comets = 0;
        for (GameObject* object : run.Game().FindAll(COMETSPAWNER))
            if (auto* spawner = dynamic_cast<CometSpawnerComponent*>(object->GetComponent(CT_COMETSPAWNER)))
                comets += spawner->m_SpawnAmount;
        EXPECT_GT(comets, 2 * static_cast<int>(run.Entered().gradeATime));
        EXPECT_EQ(FallenPlatforms(run), 0);
    });
}

TEST_F(PlaythroughLeapOfFaithInProcessTest, LingeringOnTheGreyBridgeBeforeTheCheckpointOpensTheRetryMenu)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(LEAP_OF_FAITH)) << run.Error();
    const glm::vec3 start = run.Game().Player()->position;
    const std::size_t platforms = run.Game().FindAll(FALLINGPLATFORM).size();
    // Over the hovering platforms onto the grey bridge's corner, and stay.
    const PlaythroughResult result = run.Play(ScriptThen(LevelScript(Level()), 4, "300"), NoWait());
    ASSERT_NO_FATAL_FAILURE(ExpectRetryRestartsTheLevel(run, result, LEAP_OF_FAITH, start));
    EXPECT_EQ(run.Game().FindAll(FALLINGPLATFORM).size(), platforms);
    EXPECT_EQ(FallenPlatforms(run), 0);
}

TEST_F(PlaythroughLeapOfFaithInProcessTest, AFallPastTheCheckpointRestoresItAndTheSafeWayLeadsToTheExit)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(LEAP_OF_FAITH)) << run.Error();
    // Up to the checkpoint island, a few steps onto the crumbling bridge,
    // and stay there until it drops the robot: back on the island's floor.
    const PlaythroughResult fall = run.Play(ScriptThen(LevelScript(Level()), 6, "24 D\n150"), NoWait());
    ASSERT_NO_FATAL_FAILURE(ExpectBackAtTheCheckpoint(run, fall, LEAP_OF_FAITH));
    EXPECT_GE(FallenPlatforms(run), 4);
    EXPECT_NEAR(run.Game().Player()->position.z, 7.5f, 0.3f);  // in the bridge's row

    // The walkway round the south: the exit, a little later.
    const PlaythroughResult result = run.Play(ScriptThen({}, 0, "12 A\n78 W\n118 D\n75 S\n30 D"));
    EXPECT_TRUE(result.ExitReached());
    EXPECT_EQ(result.leftFor, LEAP_OF_FAITH_TRANSITION);
    EXPECT_EQ(result.levelsCompletedAfter, result.levelsCompletedBefore + 1);
    EXPECT_EQ(result.savedLevelsCompleted, result.levelsCompletedBefore + 1);
    EXPECT_EQ(result.grade, 'B');
}

TEST_F(PlaythroughLeapOfFaithInProcessTest, ACometStrikingTheRobotOnlyBursts)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(LEAP_OF_FAITH)) << run.Error();
    run.Play(KeyScript::Idle(62), NoWait());
    GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    const glm::vec3 start = robot->position;
    GameObject* comet =
        run.Game().GetSystem()->objectManager->CreateInstance(COMET, start + glm::vec3(0.0f, 2.5f, 0.0f));
    ASSERT_NE(comet, nullptr);
    const int id = comet->id;
    auto gone = [&] {
        for (GameObject* object : run.Game().FindAll(COMET))
            if (object->id == id) return false;
        return true;
    };
    ASSERT_GT(run.Game().StepUntil(gone, 120), 0);
    run.Game().Step(10);
    EXPECT_EQ(run.Game().GetSystem()->gameStateManager->GetCurrentState(), LEAP_OF_FAITH);
    EXPECT_NEAR(robot->position.y, start.y, 0.05f);
    EXPECT_LT(glm::length(robot->position - start), 0.1f);
    // It walks on as before.
    const PlaythroughResult walk = run.Play(ScriptThen({}, 0, "30 W"), NoWait());
    EXPECT_EQ(walk.requestedState, STATE_NONE);
    EXPECT_LT(robot->position.z, start.z - 1.5f);
    EXPECT_NEAR(robot->position.y, start.y, 0.05f);
}

} // namespace
