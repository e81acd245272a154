// A person's first moves in each level, at a software renderer's pace (a
// frame of 1/20 s), entering the level the first time as the road does:
// the screen before it and its Next button. Every tutorial picture that
// belongs to the level's start (shown from the file, or whose tile lies
// where the robot appears) shows then; where a picture promises a pad's
// crate, the robot standing on the pad gets it, on its switch where the pad
// serves one, within a few seconds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "engine/objects/GameObject.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/TutorialPopupComponent.h"
#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "tools/LevelEditor.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

// The most a pad's crate may take: the spawner's shake and the drop.
constexpr double PAD_SECONDS = 2.0;

class PlaythroughFirstMovesInProcessTest : public EngineTest
{
protected:
    // Enters the level by the road and checks its start pictures: each
    // shows within the second in which the robot beams in.
    void Enter(int number, std::vector<std::string> expected)
    {
        const int stateId = STATE_LEVEL1 + number - 1;
        ASSERT_TRUE(run.StartByTheRoad(stateId)) << run.Error();
        GameObject* robot = run.Game().Player();
        ASSERT_NE(robot, nullptr);
        std::vector<std::string> atStart;
        for (GameObject* tile : run.Game().FindAll(TUTORIALPOPUP)) {
            auto* popup = tile->GetComponent<TutorialPopupComponent>();
            ASSERT_NE(popup, nullptr);
            const bool underRobot = std::floor(tile->position.x) == std::floor(robot->position.x) &&
                                    std::floor(tile->position.z) == std::floor(robot->position.z);
            if (popup->m_IsDisplayed || underRobot) atStart.push_back(popup->m_TutorialTextureID);
        }
        EXPECT_EQ(atStart, expected);
        for (const std::string& picture : atStart) {
            const int frames =
                run.Game().StepUntil([&] { return run.PictureShown(picture); }, run.FramesIn(1.0));
            EXPECT_TRUE(run.PictureShown(picture) || frames > 0) << picture << " never showed";
        }
    }
    // Plays moves from where the level stands (the robot beams in during
    // the first second, which the moves count from).
    void Moves(const std::string& text)
    {
        KeyScript moves;
        std::string error;
        ASSERT_TRUE(ParseKeyScript(text, moves, error)) << error;
        const PlaythroughResult result = run.Play(moves, NoWait());
        EXPECT_TRUE(result.unmetLines.empty()) << "a move's condition never held";
        EXPECT_EQ(result.requestedState, STATE_NONE);
    }
    // Steps until a crate rests on the floor of the cell (its top at y 1),
    // at most the seconds; whether it came.
    bool CrateComesTo(float x, float z, double seconds)
    {
        auto there = [&] {
            for (GameObject* crate : run.Game().FindAll(CRATE))
                if (std::fabs(crate->position.x - x) < 0.3f && std::fabs(crate->position.z - z) < 0.3f &&
                    std::fabs(crate->position.y - 1.5f) < 0.1f)
                    return true;
            return false;
        };
        return there() || run.Game().StepUntil(there, run.FramesIn(seconds)) > 0;
    }
    static bool Pressed(GameObject* object)
    {
        auto* part = object->GetComponent<SwitchComponent>();
        return part && part->IsShownPressed();
    }
    // Steps until a crate lies on the switch and it shows pressed, at most
    // the seconds; whether it did.
    bool SwitchFills(GameObject* object, double seconds)
    {
        const glm::vec3 at = object->position;
        return CrateComesTo(at.x, at.z, seconds) &&
               (Pressed(object) || run.Game().StepUntil([&] { return Pressed(object); }, run.FramesIn(0.5)) > 0);
    }
    GameObject* SwitchAt(float x, float z)
    {
        for (GameObject* object : run.Game().FindAll(SWITCH))
            if (object->position.x == x && object->position.z == z) return object;
        return nullptr;
    }

    Playthrough run{Playthrough::SLOW_FRAMES_PER_SECOND};
};

TEST_F(PlaythroughFirstMovesInProcessTest, TheThrowShowsHowToMoveThenHowToThrowAndItsPadGivesASpareCrate)
{
    ASSERT_NO_FATAL_FAILURE(Enter(1, {"tutorial_move"}));
    // West into the gap south of the first picture's tile, toward the crate by the wall.
    ASSERT_NO_FATAL_FAILURE(Moves("90 S z>13.6\n150 A x<7.6\n"));
    EXPECT_FALSE(run.PictureShown("tutorial_move"));
    EXPECT_TRUE(run.PictureShown("tutorial_pickup"));
    ASSERT_NO_FATAL_FAILURE(Moves("20 W z<12.9\n150 A x<3.6\n100 S z>14.3\n"));
    EXPECT_TRUE(CrateComesTo(2.5f, 13.5f, PAD_SECONDS));
}

TEST_F(PlaythroughFirstMovesInProcessTest, BoomShowsTheExplosionWhereTheRobotAppears)
{
    ASSERT_NO_FATAL_FAILURE(Enter(2, {"tutorial_explode"}));
}

TEST_F(PlaythroughFirstMovesInProcessTest, BazingaShowsTheTeleportAndThePadBesideTheRobotGivesACrate)
{
    ASSERT_NO_FATAL_FAILURE(Enter(3, {"tutorial_teleport"}));
    const std::size_t placed = run.Game().FindAll(CRATE).size();
    ASSERT_NO_FATAL_FAILURE(Moves("61\n30 D x>5.4\n"));
    EXPECT_TRUE(CrateComesTo(6.5f, 13.5f, PAD_SECONDS));
    // Still pressed, it gives no other while the first lives: one crate at a time.
    const auto another = [&] { return run.Game().FindAll(CRATE).size() == placed + 2; };
    EXPECT_EQ(run.Game().StepUntil(another, run.FramesIn(PAD_SECONDS + 3.0)), -1);
}

TEST_F(PlaythroughFirstMovesInProcessTest, WarmUpShowsThePatrolThenTheCheckpointOnTheWayOut)
{
    ASSERT_NO_FATAL_FAILURE(Enter(4, {"tutorial_enemy"}));
    ASSERT_NO_FATAL_FAILURE(Moves("61\n60 W z<11.6\n"));
    EXPECT_FALSE(run.PictureShown("tutorial_enemy"));
    EXPECT_TRUE(run.PictureShown("tutorial_checkpoint"));
    // Saved now, in a 640 x 480 window: nothing the running game changed
    // (a body's gravity faded at rest, the picture shown), the HUD as laid out.
    const std::string saved = FindLevelEditor()->RenderLevel();
    EXPECT_EQ(saved.find("CT_PHYSICS"), std::string::npos);
    EXPECT_EQ(saved.find("<IsDisplayed>true"), std::string::npos);
    EXPECT_NE(saved.find("<Position>-408 -324 -13</Position>"), std::string::npos);
}

TEST_F(PlaythroughFirstMovesInProcessTest, TwisterShowsTheEnemyBoxesAndThePadBesideTheRobotGivesASpareCrate)
{
    ASSERT_NO_FATAL_FAILURE(Enter(5, {"tutorial_enemybox"}));
    ASSERT_NO_FATAL_FAILURE(Moves("61\n30 D x>8.4\n"));
    EXPECT_TRUE(CrateComesTo(6.5f, 13.5f, PAD_SECONDS));
}

TEST_F(PlaythroughFirstMovesInProcessTest, ConveytapultShowsTheBeltsAndItsPadPutsACrateOnTheCarousel)
{
    ASSERT_NO_FATAL_FAILURE(Enter(6, {"tutorial_conveyor"}));
    const size_t riding = run.Game().FindAll(CRATE).size();
    ASSERT_NO_FATAL_FAILURE(Moves("61\n200 D x>8.4\n60 S z>14.3\n"));
    const int frames = run.Game().StepUntil([&] { return run.Game().FindAll(CRATE).size() > riding; },
                                            run.FramesIn(PAD_SECONDS));
    EXPECT_GT(frames, 0) << "no crate from the pad";
    // It drops onto the carousel's south row and rides it.
    GameObject* made = run.Game().FindAll(CRATE).back();
    run.Game().Step(run.FramesIn(1.0));
    EXPECT_NEAR(made->position.z, 14.5f, 0.2f);
    EXPECT_NEAR(made->position.y, 1.5f, 0.1f);
}

TEST_F(PlaythroughFirstMovesInProcessTest, LeapOfFaithShowsThePlatforms)
{
    ASSERT_NO_FATAL_FAILURE(Enter(7, {"tutorial_platforms"}));
    // The tile lies beside the way: walking on does not hide the picture.
    ASSERT_NO_FATAL_FAILURE(Moves("61\n40 W z<25.0\n"));
    EXPECT_TRUE(run.PictureShown("tutorial_platforms"));
}

TEST_F(PlaythroughFirstMovesInProcessTest, TheSwapperShowsThePadAndTheRobotOnItGetsTheCrate)
{
    ASSERT_NO_FATAL_FAILURE(Enter(8, {"tutorial_spawner"}));
    ASSERT_NO_FATAL_FAILURE(Moves("61\n30 D x>6.3\n"));
    EXPECT_TRUE(CrateComesTo(6.5f, 35.5f, PAD_SECONDS));
    // Thrown north without its power it lies out of reach, and back on the pad the robot gets no other while it
    // lives; the reset key (no checkpoint yet: the level starts again) frees the pad, and the robot swaps over.
    ASSERT_NO_FATAL_FAILURE(Moves("60 W reach\n1 LBUTTON\n3\n1 LBUTTON\n120\n60 S z>38.3\n"));
    EXPECT_FALSE(CrateComesTo(6.5f, 35.5f, PAD_SECONDS));
    ASSERT_NO_FATAL_FAILURE(Moves("1 P\n62\n30 D x>6.3\n"));
    EXPECT_TRUE(CrateComesTo(6.5f, 35.5f, PAD_SECONDS));
    ASSERT_NO_FATAL_FAILURE(Moves("60 W reach\n1 LBUTTON\n3\n1 2\n3\n1 LBUTTON\n180\n1 T\n10\n"));
    EXPECT_LT(run.Game().Player()->position.z, 29.0f) << "still on the start island";
}

TEST_F(PlaythroughFirstMovesInProcessTest, BridgesGaloreShowsTheBridgesAndACrateOnThePadSlidesOneOut)
{
    ASSERT_NO_FATAL_FAILURE(Enter(9, {"tutorial_bridge"}));
    GameObject* bridge = nullptr;
    for (GameObject* object : run.Game().FindAll(BRIDGE))
        if (object->position.z == 12.5f) bridge = object;
    ASSERT_NE(bridge, nullptr);
    const float before = bridge->scale.x;
    // The crate beside the robot onto the pad.
    ASSERT_NO_FATAL_FAILURE(Moves("61\n1 W\n2\n1 LBUTTON\n3\n60 D x>3.4\n1 W\n2\n1 RBUTTON\n"));
    const int frames = run.Game().StepUntil([&] { return bridge->scale.x >= before + 2.0f - 0.01f; },
                                            run.FramesIn(PAD_SECONDS));
    EXPECT_GT(frames, 0) << "the bridge is " << bridge->scale.x << " long";
}

TEST_F(PlaythroughFirstMovesInProcessTest, WholeShebangShowsTheThrowAndItsFirstThrowSinksTheDoor)
{
    ASSERT_NO_FATAL_FAILURE(Enter(10, {"tutorial_shebang"}));
    for (GameObject* cube : run.Game().FindAll(CUBE))  // nothing on the island's south edge hides its switch from the start
        EXPECT_FALSE(cube->position.y > 1.0f && cube->position.z > 15.0f && std::fabs(cube->position.x - 10.5f) < 1.5f);
    GameObject* door = run.Game().Find(DOOR);
    ASSERT_NE(door, nullptr);
    const float shut = door->position.y;
    ASSERT_NO_FATAL_FAILURE(Moves("61\n1 D\n2\n1 LBUTTON\n3\n30 D x>2.4\n1 LBUTTON\n"));
    const int frames = run.Game().StepUntil([&] { return door->position.y <= shut - 0.95f; }, run.FramesIn(4.0));
    EXPECT_GT(frames, 0) << "the door stands at " << door->position.y;
}

TEST_F(PlaythroughFirstMovesInProcessTest, BBBossShowsTheBossAndTheRobotOnEachPadFillsItsSwitch)
{
    ASSERT_NO_FATAL_FAILURE(Enter(11, {"tutorial_boss"}));
    GameObject* west = SwitchAt(2.5f, 5.5f);
    GameObject* east = SwitchAt(12.5f, 5.5f);
    ASSERT_TRUE(west && east);
    // "Step on the pad before each glass: a crate fills the switch behind": the robot on the west pad...
    ASSERT_NO_FATAL_FAILURE(Moves("61\n20 A x<2.6\n120 W z<7.6\n"));
    EXPECT_TRUE(SwitchFills(west, PAD_SECONDS));
    // ...then along the arena's floor up on the east one: "the door opens".
    ASSERT_NO_FATAL_FAILURE(Moves("2\n30 S z>8.4\n180 D x>12.4\n30 W z<7.6\n"));
    EXPECT_TRUE(SwitchFills(east, PAD_SECONDS));
    EXPECT_TRUE(Pressed(west));
    GameObject* door = run.Game().Find(DOOR);
    ASSERT_NE(door, nullptr);
    const float shut = door->position.y;
    EXPECT_GT(run.Game().StepUntil([&] { return door->position.y > shut + 1.0f; }, run.FramesIn(2.0)), 0);
    // Onto the door's pad, out of the blasts, past "Hit the Boss": its crate, armed there, stays in hand under bombs.
    ASSERT_NO_FATAL_FAILURE(Moves("90 A x<7.6\n1 W\n90 reach\n1 LBUTTON\n3\n1 1\n3\n"));
    EXPECT_TRUE(run.PictureShown("tutorial_bosshit"));
    GameObject* armed = run.Game().Player()->GetComponent<PlayerComponent>()->GetCarriedCrate();
    ASSERT_NE(armed, nullptr);
    EXPECT_GT(run.Game().StepUntil([&] { return !Pressed(west) && !Pressed(east); }, run.FramesIn(8.0)), 0);
    EXPECT_EQ(run.Game().Player()->GetComponent<PlayerComponent>()->GetCarriedCrate(), armed);
}

// Standing on the west pad while the boss bombs around the robot: a crate
// the bombs leave stays on the switch, one they blow up is made again; the
// switch is never empty for longer than a pad takes to fill it.
TEST_F(PlaythroughFirstMovesInProcessTest, BBBossKeepsTheSwitchOfThePadTheRobotStandsOnFilled)
{
    ASSERT_NO_FATAL_FAILURE(Enter(11, {"tutorial_boss"}));
    GameObject* west = SwitchAt(2.5f, 5.5f);
    ASSERT_NE(west, nullptr);
    ASSERT_NO_FATAL_FAILURE(Moves("61\n20 A x<2.6\n120 W z<7.6\n"));
    ASSERT_TRUE(SwitchFills(west, PAD_SECONDS));
    int empty = 0, longestEmpty = 0;
    PlaythroughOptions options = NoWait();
    options.onFrame = [&](int) {
        empty = Pressed(west) ? 0 : empty + 1;
        longestEmpty = std::max(longestEmpty, empty);
    };
    const PlaythroughResult stood = run.Play(KeyScript::Idle(30 * Playthrough::FRAMES_PER_SECOND), options);
    EXPECT_EQ(stood.requestedState, STATE_NONE);
    EXPECT_LE(longestEmpty, run.FramesIn(PAD_SECONDS + 1.0));
    EXPECT_TRUE(Pressed(west));
    for (GameObject* crate : run.Game().FindAll(CRATE)) crate->position = crate->previousPosition = {7.5f, 5.5f, 2.5f};
    ASSERT_NO_FATAL_FAILURE(Moves("2 P\n10\n20 A x<2.6\n120 W z<7.6\n"));
    EXPECT_TRUE(SwitchFills(west, PAD_SECONDS));  // one lost on the pen's roof held the pad until P, the fight on
}

} // namespace
