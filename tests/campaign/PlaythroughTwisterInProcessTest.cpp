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
    ExpectLevelCompleted(*FindCampaignLevel(TWISTER), 'A');
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
    ASSERT_NO_FATAL_FAILURE(ExpectRetryRestartsTheLevel(run, result, TWISTER, start));
    GameObject* chaser = Chaser(run);
    ASSERT_NE(chaser, nullptr);
    EXPECT_LT(chaser->position.z, 5.0f);
}

} // namespace
