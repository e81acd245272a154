// Switches, doors, bridges and the exit in the running engine: a level loaded
// as the free load, every frame exactly 1/32 s, the keys held frame by frame.
// The robot beams in on a switch and the door of its Id rises; it walks off
// and the door sinks back; a crate that fell on a bridge trigger grows the
// bridge; the robot walks into the exit, fades out, the victory sound plays
// once, the profile counts one more completed level on disk; the level starts again.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/core/AudioManager.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "game/flow/ProfileManager.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/ExitComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

const char* const SOUNDS[] = {"victory.mp3", "door_open_new.mp3", "door_close_new.mp3",
                              "switch_activate_new.mp3", "switch_deactivate_new.mp3", "bridge_extend.mp3"};

class DoorBridgeExitInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    int Plays(const std::string& sound) const { return m_fake.Last()->CountPlays(sound); }
    GameplayHarness game;
};

TEST_F(DoorBridgeExitInProcessTest, SwitchDoorBridgeAndExitInOneLevel)
{
    std::filesystem::create_directories(m_home.GameFolder());
    ASSERT_TRUE(TestSupport::WriteFile(ProfileManager::GetProfilePath(),
                                       "<Profiles><lastUsed>Ada</lastUsed>"
                                       "<Profile><Name>Bo</Name><LevelsCompleted>5</LevelsCompleted></Profile>"
                                       "<Profile><Name>Ada</Name><LevelsCompleted>2</LevelsCompleted></Profile>"
                                       "</Profiles>"));
    const int up = GameplayHarness::Letter('W');
    ASSERT_TRUE(game.Start());
    // The loading screen would load them; the harness goes straight to the level.
    for (const char* sound : SOUNDS) game.GetSystem()->audioManager->LoadSound(sound);
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/doors.xml"));
    GameObject* robot = game.Player();
    GameObject* door = game.Find(DOOR);
    GameObject* bridge = game.Find(BRIDGE);
    GameObject* exitMarker = game.Find(EXIT_MARKER);
    GameObject* switchTile = game.Find(SWITCH);
    ASSERT_TRUE(robot && door && bridge && exitMarker && switchTile);
    auto* player = dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    auto* doorPart = dynamic_cast<DoorComponent*>(door->GetComponent(CT_DOOR));
    auto* switchPart = dynamic_cast<SwitchComponent*>(switchTile->GetComponent(CT_SWITCH));
    auto* exitPart = dynamic_cast<ExitComponent*>(exitMarker->GetComponent(CT_EXIT));
    ASSERT_TRUE(player && doorPart && switchPart && exitPart);
    // The level linked the door to the switch of its Id.
    ASSERT_EQ(doorPart->GetSwitches(), std::vector<SwitchComponent*>{switchPart});
    const float doorBottom = door->position.y;

    // The robot beams in standing on the switch: the door rises by its
    // MoveDirection (0, 2, 0) and stays up.
    game.Step(48);
    EXPECT_TRUE(switchPart->IsShownPressed());
    EXPECT_EQ(door->position.y, doorBottom + 2.0f);
    EXPECT_EQ(doorPart->m_State, DoorComponent::STATE_OPENING);

    // It walks off the switch and, let go once off, drops straight down to
    // the floor, short of the exit: the door sinks back.
    game.Hold({up});
    ASSERT_GT(game.StepUntil([&] { return robot->position.z < 3.55f; }, 64), 0);
    game.Release();
    ASSERT_GT(game.StepUntil([&] { return robot->position.y < -1.4f; }, 64), 0);
    EXPECT_FALSE(switchPart->IsShownPressed());
    ASSERT_GT(game.StepUntil([&] { return doorPart->m_State == DoorComponent::STATE_RESTING; }, 64), 0);
    EXPECT_EQ(door->position.y, doorBottom);
    EXPECT_EQ(Plays("door_open_new.mp3"), 1);
    EXPECT_EQ(Plays("door_close_new.mp3"), 1);
    EXPECT_EQ(Plays("switch_activate_new.mp3"), 1);
    EXPECT_EQ(Plays("switch_deactivate_new.mp3"), 1);

    // Meanwhile the crate landed on the bridge trigger: the bridge grew its
    // full 3 cells along +x, its -x end staying at the floor's edge, and the
    // crate lying there keeps it out.
    game.Step(16);
    EXPECT_EQ(bridge->scale, glm::vec3(4.0f, 1.0f, 1.0f));
    EXPECT_EQ(bridge->position, glm::vec3(14.0f, -2.5f, 9.5f));

    // The robot walks into the exit: it fades out, the victory sound plays
    // once and the selected profile has one more completed level on disk
    // (the exit waits 1.5 s, longer than the fading).
    EXPECT_FALSE(exitPart->m_IsTriggered);
    game.Hold({up});
    ASSERT_GT(game.StepUntil([&] { return exitPart->m_IsTriggered; }, 96), 0);
    game.Release();
    EXPECT_TRUE(player->IsSpawning());
    EXPECT_TRUE(exitPart->m_IsMainPlayerReached);
    EXPECT_TRUE(exitMarker->flags & OBJ_SKIP_DRAW);
    game.Step(40);
    auto* look = dynamic_cast<GraphicsComponent*>(robot->GetComponent(CT_GRAPHICS));
    ASSERT_NE(look, nullptr);
    EXPECT_EQ(look->GetOpacity(), 0.0f);
    EXPECT_FALSE(player->IsSpawning());
    EXPECT_EQ(Plays("victory.mp3"), 1);
    EXPECT_EQ(game.GetSystem()->profileManager->GetCurrentProfile()->levelsCompleted, 3);
    ProfileManager reread;
    ASSERT_EQ(reread.GetProfiles().size(), 3u);
    EXPECT_EQ(reread.GetProfiles()[2]->name, "Ada");
    EXPECT_EQ(reread.GetProfiles()[2]->levelsCompleted, 3);

    // A free-loaded level is its own successor: it starts again.
    EXPECT_GT(game.StepUntil([&] { return game.Find(EXIT_MARKER) && !(game.Find(EXIT_MARKER)->flags & OBJ_SKIP_DRAW); },
                             96), 0);
}

} // namespace
