// "The Swapper" played from its key script: floor pads bring crates from
// their spawners, and teleport crates carry the robot over a pit, onto a
// pillar halfway over the void (whose pad the landing crate presses) and
// over the wall of the exit room. Standing still never ends the level; a crate lost
// in the void is replaced by its spawner, so the robot is never stranded; a
// fall past the middle island's checkpoint takes the robot back there.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int THE_SWAPPER = STATE_LEVEL1 + 7;
constexpr int THE_SWAPPER_TRANSITION = 24;
// Script lines up to and with the swap onto the middle island's pad.
constexpr std::size_t LINES_TO_SECOND_PAD = 13;
// Script lines up to the swap onto the pillar.
constexpr std::size_t LINES_TO_PILLAR_SWAP = 23;
constexpr float PILLAR_SPAWNER_Z = 14.5f;
constexpr float MIDDLE_SPAWNER_Z = 27.5f;

class PlaythroughSwapperInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level() { return *FindCampaignLevel(THE_SWAPPER); }
    // A script of its own, then the level's script from a line on.
    static KeyScript From(const std::string& before, std::size_t first)
    {
        KeyScript joined;
        std::string error;
        EXPECT_TRUE(ParseKeyScript(before, joined, error)) << error;
        const KeyScript script = LevelScript(Level());
        joined.lines.insert(joined.lines.end(), script.lines.begin() + std::min(first, script.lines.size()),
                            script.lines.end());
        return joined;
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
// gone; still on the pad, the robot gets a new one, which still leads to the exit.
TEST_F(PlaythroughSwapperInProcessTest, ACrateLostInTheVoidIsReplacedByItsSpawner)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(THE_SWAPPER)) << run.Error();
    const PlaythroughResult lost = run.Play(ScriptThen(LevelScript(Level()), LINES_TO_SECOND_PAD,
                                                       "4 A      # face the crate beside the pad\n10\n"
                                                       "1 LBUTTON\n3\n"
                                                       "1 D      # face east, over the void\n2\n"
                                                       "1 LBUTTON\n"
                                                       "200      # it falls off the level\n"
                                                       "80       # the pad gives a new one after the cooldown\n"),
                                            NoWait());
    EXPECT_EQ(lost.requestedState, STATE_NONE);
    EXPECT_EQ(SpawnedNear(run, MIDDLE_SPAWNER_Z), 2);
    // The first island's crate and the new one beside the pad; none east.
    const std::vector<GameObject*> crates = run.Game().FindAll(CRATE);
    EXPECT_EQ(crates.size(), 2u);
    for (GameObject* crate : crates)
        EXPECT_LT(crate->position.x, 7.0f);

    const PlaythroughResult result = run.Play(From("1 W  # face north again\n2", LINES_TO_SECOND_PAD));
    EXPECT_TRUE(result.ExitReached());
    EXPECT_EQ(result.leftFor, THE_SWAPPER_TRANSITION);
    EXPECT_EQ(result.levelsCompletedAfter, result.levelsCompletedBefore + 1);
    EXPECT_EQ(result.savedLevelsCompleted, result.levelsCompletedBefore + 1);
}

// The crate thrown onto the pillar's pad brings the pillar's crate before
// the robot swaps; the robot landing on the pad brings no second one while
// the first lives.
TEST_F(PlaythroughSwapperInProcessTest, TheCrateLandingOnThePillarsPadBringsTheNextCrate)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(THE_SWAPPER)) << run.Error();
    EXPECT_EQ(SpawnedNear(run, PILLAR_SPAWNER_Z), 0);
    run.Play(ScriptThen(LevelScript(Level()), LINES_TO_PILLAR_SWAP, ""), NoWait());
    GameObject* robot = run.Game().Player();
    ASSERT_NE(robot, nullptr);
    EXPECT_GT(robot->position.z, 22.0f) << "still on the middle island";
    EXPECT_EQ(SpawnedNear(run, PILLAR_SPAWNER_Z), 1);

    const PlaythroughResult swap = run.Play(ScriptThen({}, 0, "1 T\n120"), NoWait());
    EXPECT_EQ(swap.requestedState, STATE_NONE);
    EXPECT_NEAR(robot->position.z, 14.5f, 0.5f);
    EXPECT_NEAR(robot->position.y, 1.5f, 0.05f);
    EXPECT_EQ(SpawnedNear(run, PILLAR_SPAWNER_Z), 1);
}

// Off the middle island's west edge: the checkpoint it touched on landing
// takes the robot back, with no retry menu and no reload (landing short of the pad's row too).
TEST_F(PlaythroughSwapperInProcessTest, AFallFromTheMiddleIslandRestoresItsCheckpoint)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(THE_SWAPPER)) << run.Error();
    const PlaythroughResult fall = run.Play(ScriptThen(LevelScript(Level()), 3,
                                                       "60 W reach\n1 LBUTTON\n3\n1 2\n3\n8 W  # a step north\n2\n"
                                                       "1 LBUTTON\n120\n1 T\n10\n40 A\n200"), NoWait());
    ASSERT_NO_FATAL_FAILURE(ExpectBackAtTheCheckpoint(run, fall, THE_SWAPPER));
    const GameObject* robot = run.Game().Player();
    EXPECT_GT(robot->position.z, 22.0f);
    EXPECT_LT(robot->position.z, 29.0f);
}

} // namespace
