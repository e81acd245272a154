// Which exit of a finished two-player level decides the winner.
#include <gtest/gtest.h>

#include "game/flow/MultiplayerLevel.h"
#include "game/gameplay/ExitComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

class MultiplayerLevelTest : public GameplayTest
{
protected:
    ExitComponent* MakeExit()
    {
        GameObject* marker = Make(EXIT_MARKER, glm::vec3(static_cast<float>(exits.size()), 0.5f, 0.0f));
        exits.push_back(marker);
        return dynamic_cast<ExitComponent*>(marker->GetComponent(CT_EXIT));
    }
    static void Reach(ExitComponent* exit, bool mainPlayer)
    {
        exit->m_IsTriggered = true;
        exit->m_IsMainPlayerReached = mainPlayer;
    }
    std::vector<GameObject*> exits;
};

TEST_F(MultiplayerLevelTest, TheLastExitARobotReachedDecidesElseTheLastExit)
{
    // No exit, or objects that are none (a gone one, a floor block): nothing decided.
    std::vector<GameObject*> none = {nullptr, Make(CUBE, glm::vec3(0.0f))};
    TwoPlayerResult result = DecideTwoPlayerResult(none);
    EXPECT_FALSE(result.hasExit);
    EXPECT_FALSE(result.reached);

    // Exits nobody reached (a skipped race): the last one decides, and its
    // flag is 0, whatever an earlier race left.
    ExitComponent* first = MakeExit();
    ExitComponent* second = MakeExit();
    ASSERT_TRUE(first && second);
    result = DecideTwoPlayerResult(exits);
    EXPECT_TRUE(result.hasExit);
    EXPECT_FALSE(result.reached);
    EXPECT_EQ(result.winner, 0);

    // The main player at the first exit: an untouched exit after it does
    // not take the win away.
    Reach(first, true);
    result = DecideTwoPlayerResult(exits);
    EXPECT_TRUE(result.reached);
    EXPECT_EQ(result.winner, 1);

    // Both reached (one robot each): the last one in the walk decides.
    Reach(second, false);
    EXPECT_EQ(DecideTwoPlayerResult(exits).winner, 0);
    exits.insert(exits.begin(), nullptr);
    std::swap(exits[1], exits[2]);
    EXPECT_EQ(DecideTwoPlayerResult(exits).winner, 1);
}

} // namespace
