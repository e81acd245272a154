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

} // namespace
