// "Twister" played from its key script: the robot waits out the enemy
// boxes' guards, lays the crate on the raised switch, lures the chaser down
// one side of the pillar and runs round the other to the exit. Standing
// still never ends the level, and the chaser's catch opens the retry menu,
// whose Yes restarts the level.
#include <gtest/gtest.h>

#include <glm/glm.hpp>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/gameplay/AIChaseComponent.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

constexpr int TWISTER = STATE_LEVEL1 + 4;
constexpr int TWISTER_TRANSITION = 21;

class PlaythroughTwisterInProcessTest : public EngineTest
{
protected:
    KeyScript Script()
    {
        KeyScript script;
        std::string error;
        EXPECT_TRUE(LoadKeyScript(PlaythroughScriptPath(*FindCampaignLevel(TWISTER)), script, error)) << error;
        return script;
    }
    // The script's lines up to (not including) the first line holding a key.
    static KeyScript Prefix(const KeyScript& script, int lines)
    {
        KeyScript prefix;
        prefix.lines.assign(script.lines.begin(), script.lines.begin() + lines);
        return prefix;
    }
    GameObject* Chaser(Playthrough& run)
    {
        for (GameObject* enemy : run.Game().FindAll(ENEMY))
            if (enemy->GetComponent(CT_AICHASE)) return enemy;
        return nullptr;
    }
};

TEST_F(PlaythroughTwisterInProcessTest, TheScriptReachesTheExitWithAnA)
{
    Playthrough run;
    PlaythroughOptions options;
    // The first frame, and the first once the robot has beamed in.
    options.screenshotFrames = {1, 62};
    const PlaythroughResult result =
        run.RunScript(TWISTER, PlaythroughScriptPath(*FindCampaignLevel(TWISTER)), options);
    ASSERT_TRUE(result.started) << result.error;
    EXPECT_TRUE(result.ExitReached());
    EXPECT_EQ(result.requestedState, TWISTER_TRANSITION);
    EXPECT_EQ(result.leftFor, TWISTER_TRANSITION);
    EXPECT_EQ(result.levelsCompletedAfter, result.levelsCompletedBefore + 1);
    EXPECT_EQ(result.savedLevelsCompleted, result.levelsCompletedBefore + 1);
    EXPECT_EQ(result.grade, 'A');
    EXPECT_GT(result.levelSeconds, 0);
    EXPECT_LE(result.levelSeconds, static_cast<int>(result.gradeATime));
    // The A time leaves the script about a quarter to spare.
    EXPECT_GE(result.gradeATime * 4, static_cast<unsigned>(result.levelSeconds) * 5 - 8);
    ASSERT_EQ(result.shots.size(), 2u);
    for (const PlaythroughShot& shot : result.shots) {
        EXPECT_FALSE(shot.path.empty()) << shot.frame;
        EXPECT_GT(shot.robotShare, 0.0) << shot.frame;
    }
    EXPECT_GT(result.shots[1].robotShare, 0.001);
}

TEST_F(PlaythroughTwisterInProcessTest, StandingStillForTwiceTheATimeNeverEndsTheLevel)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(TWISTER)) << run.Error();
    GameObject* chaser = Chaser(run);
    ASSERT_NE(chaser, nullptr);
    PlaythroughOptions options;
    options.waitFrames = 0;
    const PlaythroughResult result = run.Play(KeyScript::Idle(2 * 25 * Playthrough::FRAMES_PER_SECOND), options);
    EXPECT_FALSE(result.ExitReached());
    EXPECT_EQ(result.requestedState, STATE_NONE);
    EXPECT_EQ(run.Game().GetSystem()->gameStateManager->GetCurrentState(), TWISTER);
    // The chaser waits at the closed door; both guards are gone.
    EXPECT_LT(chaser->position.z, 5.0f);
    EXPECT_EQ(run.Game().FindAll(ENEMY).size(), 1u);
}

TEST_F(PlaythroughTwisterInProcessTest, TheChasersCatchOpensTheRetryMenuWhoseYesRestartsTheLevel)
{
    Playthrough run;
    ASSERT_TRUE(run.Start(TWISTER)) << run.Error();
    const glm::vec3 start = run.Game().Player()->position;
    // The script up to the crate laid on the switch, then no luring: stand.
    const KeyScript script = Script();
    ASSERT_GE(script.lines.size(), 6u);
    KeyScript opening = Prefix(script, 6);
    opening.lines.push_back(ScriptLine{600, {}, 0});
    PlaythroughOptions options;
    options.waitFrames = 0;
    const PlaythroughResult result = run.Play(opening, options);
    EXPECT_FALSE(result.ExitReached());
    EXPECT_EQ(result.requestedState, STATE_GAMERETRYMENU);
    GameStateManager* states = run.Game().GetSystem()->gameStateManager;
    ASSERT_EQ(states->GetCurrentState(), STATE_GAMERETRYMENU);

    // Yes ("btnRetryYes") asks for the restart of the level under the menu.
    states->RequestState(STATE_RESTART);
    run.Game().Step(2);
    EXPECT_EQ(states->GetCurrentState(), TWISTER);
    ASSERT_NE(run.Game().Player(), nullptr);
    EXPECT_EQ(run.Game().Player()->position, start);
    GameObject* chaser = Chaser(run);
    ASSERT_NE(chaser, nullptr);
    EXPECT_LT(chaser->position.z, 5.0f);
}

} // namespace
