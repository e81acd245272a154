// "The Swapper" played from its key script: floor pads bring crates from
// their spawners, and teleport crates carry the robot over two pits and the
// wall of the exit room. Standing still never ends the level; a crate lost
// in the void is replaced by its spawner, so the robot is never stranded; a
// fall past the middle island's checkpoint takes the robot back there.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <glm/glm.hpp>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int THE_SWAPPER = STATE_LEVEL1 + 7;
constexpr int THE_SWAPPER_TRANSITION = 24;
// Script lines up to and with the walk onto the middle island's pad.
constexpr std::size_t LINES_TO_SECOND_PAD = 13;

class PlaythroughSwapperInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level() { return *FindCampaignLevel(THE_SWAPPER); }
    // The first lines of the level's script, then a script of its own.
    static KeyScript Then(std::size_t lines, const std::string& more)
    {
        KeyScript script, joined, rest;
        std::string error;
        EXPECT_TRUE(LoadKeyScript(PlaythroughScriptPath(Level()), script, error)) << error;
        joined.lines.assign(script.lines.begin(), script.lines.begin() + std::min(lines, script.lines.size()));
        EXPECT_TRUE(ParseKeyScript(more, rest, error)) << error;
        joined.lines.insert(joined.lines.end(), rest.lines.begin(), rest.lines.end());
        return joined;
    }
    static PlaythroughOptions NoWait()
    {
        PlaythroughOptions options;
        options.waitFrames = 0;
        return options;
    }
    // Crates made so far by the spawner whose owner is nearest to z.
    static int SpawnedNear(Playthrough& run, float z)
    {
        int spawned = -1;
        float best = 1e9f;
        for (GameObject* object : run.Game().FindAll(CRATESPAWNER)) {
            auto* spawner = dynamic_cast<CrateSpawnerComponent*>(object->GetComponent(CT_CRATESPAWNERCOMPONENT));
            const float distance = std::abs(object->position.z - z);
            if (spawner && distance < best) {
                best = distance;
                spawned = spawner->m_Spawned;
            }
        }
        return spawned;
    }
};

TEST_F(PlaythroughSwapperInProcessTest, TheScriptSwapsOverBothPitsIntoTheExitRoom)
{
    const PlaythroughResult result = ExpectLevelCompleted(Level(), 'A');
    EXPECT_EQ(result.leftFor, THE_SWAPPER_TRANSITION);
}

TEST_F(PlaythroughSwapperInProcessTest, StandingStillNeverEndsTheLevel)
{
    ExpectStandingStillKeepsTheLevel(Level());
}

// Thrown east off the middle island, the crate falls into the void and is
// gone; the spawner, holding back while it lived, gives a new one to the
// robot still on the pad, and that one still leads to the exit.
TEST_F(PlaythroughSwapperInProcessTest, ACrateLostInTheVoidIsReplacedByItsSpawner)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(THE_SWAPPER)) << run.Error();
    const PlaythroughResult lost = run.Play(Then(LINES_TO_SECOND_PAD, "20\n"
                                                                      "1 LBUTTON\n3\n"
                                                                      "1 D      # face east, over the void\n2\n"
                                                                      "1 LBUTTON\n"
                                                                      "200      # it falls off the level\n"),
                                            NoWait());
    EXPECT_EQ(lost.requestedState, STATE_NONE);
    EXPECT_EQ(SpawnedNear(run, 13.5f), 2);
    // The first island's crate and the new one ahead of the pad; none east.
    const std::vector<GameObject*> crates = run.Game().FindAll(CRATE);
    EXPECT_EQ(crates.size(), 2u);
    for (GameObject* crate : crates)
        EXPECT_LT(crate->position.x, 7.0f);

    const PlaythroughResult result = run.Play(Then(0, "1 W      # face north again\n"
                                                      "2\n"
                                                      "1 LBUTTON\n3\n1 2\n3\n"
                                                      "1 LBUTTON\n120\n1 T\n10\n20 S\n"));
    EXPECT_TRUE(result.ExitReached());
    EXPECT_EQ(result.leftFor, THE_SWAPPER_TRANSITION);
    EXPECT_EQ(result.levelsCompletedAfter, result.levelsCompletedBefore + 1);
    EXPECT_EQ(result.savedLevelsCompleted, result.levelsCompletedBefore + 1);
}

// Off the middle island's west edge: the checkpoint it touched on landing
// takes the robot back, with no retry menu and no reload.
TEST_F(PlaythroughSwapperInProcessTest, AFallFromTheMiddleIslandRestoresItsCheckpoint)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(THE_SWAPPER)) << run.Error();
    System* system = run.Game().GetSystem();
    const PlaythroughResult fall = run.Play(Then(LINES_TO_SECOND_PAD, "40 A\n200"), NoWait());
    EXPECT_FALSE(fall.ExitReached());
    EXPECT_EQ(fall.requestedState, STATE_NONE);
    EXPECT_EQ(system->gameStateManager->GetCurrentState(), THE_SWAPPER);
    ASSERT_TRUE(system->checkpointStore->HasCheckpoint());
    GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    const glm::vec3 saved = system->checkpointStore->GetActivations().back().playerPosition;
    EXPECT_LT(glm::length(robot->position - saved), 0.1f);
    EXPECT_NEAR(robot->position.y, 1.5f, 0.05f);
    EXPECT_GT(robot->position.z, 12.0f);
    EXPECT_LT(robot->position.z, 19.0f);
}

} // namespace
