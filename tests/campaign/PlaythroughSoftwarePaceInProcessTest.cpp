// Every level of the campaign finished by its script at a software
// renderer's pace, a frame of 1/20 s: a level that only a 1/60 s script can
// finish is a level a person on such a machine cannot finish either. Each
// gives the same proof as at 1/60 s: the exit, the grade within its bounds,
// the profile's count saved.
#include <gtest/gtest.h>

#include "engine/objects/GameObject.h"
#include "game/flow/GameStateTables.h"
#include "support/EngineFixture.h"
#include "support/Playthrough.h"

using namespace QRX;
using namespace QRX::TestSupport;

namespace {

class PlaythroughSoftwarePaceInProcessTest : public EngineTest
{
protected:
    static const CampaignLevel& Level(int number) { return *FindCampaignLevel(STATE_LEVEL1 + number - 1); }
};

TEST_F(PlaythroughSoftwarePaceInProcessTest, TheThrowAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(1), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, BoomAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(2), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, BazingaAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(3), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, WarmUpAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(4), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, TwisterAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(5), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, ConveytapultAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(6), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, LeapOfFaithAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(7), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, TheSwapperAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(8), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, BridgesGaloreAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(9), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, WholeShebangAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(10), 'A');
}

TEST_F(PlaythroughSoftwarePaceInProcessTest, BBBossAtTwentyFramesASecond)
{
    ExpectLevelCompletedAtTwentyFramesASecond(Level(11), 'A');
}

// The robot walking into each exit from every side with open floor: the exit answers within a second.
TEST_F(PlaythroughSoftwarePaceInProcessTest, EveryExitAnswersTheRobotFromEachOpenSide)
{
    Playthrough run(Playthrough::SLOW_FRAMES_PER_SECOND);
    ASSERT_TRUE(run.Start(Level(1).stateId)) << run.Error();
    int sides = 0;
    for (const CampaignLevel& level : CampaignLevels())
        for (const char key : {'A', 'D', 'W', 'S'}) {
            ASSERT_TRUE(run.Game().EnterState(STATE_MAINMENU) && run.Game().EnterState(level.stateId));
            GameObject* exit = run.Game().Find(EXIT_MARKER);
            if (!exit) continue;  // none where the boss leaves it
            // The way the key walks the robot at the level's first camera.
            const auto at = exit->position - glm::vec3((key == 'D') - (key == 'A'), 0, (key == 'S') - (key == 'W'));
            bool floor = false, solid = false;  // a floor block below, nothing solid at the robot's height
            for (ObjectType type : {CUBE, WALL, DOOR, CRATE, CRATESPAWNER, FORCEFIELD})
                for (GameObject* object : run.Game().FindAll(type)) {
                    const glm::vec3 d = glm::abs(object->position - at);
                    floor |= type == CUBE && d == glm::vec3(0.0f, 1.0f, 0.0f);
                    solid |= d.x < 0.5f && d.z < 0.5f && d.y < 0.9f;
                }
            if (!floor || solid) continue;
            run.Game().Step(FirstPlayFrame(run.FramesPerSecond()));
            run.Game().Player()->position = run.Game().Player()->previousPosition = at;
            ASSERT_TRUE(run.Follow(level.stateId)) << run.Error();
            EXPECT_TRUE(run.Play(ScriptThen({}, 0, std::string("60 ") + key), NoWait()).ExitReached())
                << level.name << ", walking " << key;
            ++sides;
        }
    EXPECT_GE(sides, 20);  // most exits are open on three sides
}

} // namespace
