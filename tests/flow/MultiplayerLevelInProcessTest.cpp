// The two-player level in the running engine with two virtual game pads:
// each pad steers its own robot, a fallen robot beams back to its own start,
// a missing pad opens the pause menu (once while it is open, again when it
// closes), the robot that reaches the exit is named on the closing screen, a
// file with one robot runs, and the whole road from the main menu through
// the race and back.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/platform/Mouse.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/MultiplayerLevel.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/UILogicComponent.h"
#include "game/gameplay/ControllerWaitComponent.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/ExitComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"
#include "support/VirtualPad.h"

using namespace QRX;
using TestSupport::GameplayHarness;
using TestSupport::VirtualPad;

namespace {

constexpr const char* RACE_FILE = "multiplayer_VEL426.xml";
constexpr const char* FLAT = "tests/data/flow/levels/twoplayer_flat.xml";
constexpr const char* ONE_ROBOT = "tests/data/flow/levels/twoplayer_one.xml";
constexpr int FULL = 32767;

class MultiplayerLevelInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        // The pads go while the pad layer still runs.
        pads.clear();
        game.Stop();
        EngineTest::TearDown();
    }
    // Starts the engine and plugs in both pads: the first takes slot 0.
    void StartWithPads(const char* raceFile = nullptr)
    {
        ASSERT_TRUE(game.Start());
        if (raceFile) {
            ASSERT_TRUE(game.OverrideLevelFile(RACE_FILE, raceFile));
        }
        for (int i = 0; i < 2; ++i) {
            pads.push_back(std::make_unique<VirtualPad>());
            ASSERT_TRUE(pads.back()->Ok());
        }
        ASSERT_TRUE(BothPadsConnected());
    }
    GameStateManager& States() { return *game.GetSystem()->gameStateManager; }
    MultiplayerLevel& Level()
    {
        return *dynamic_cast<MultiplayerLevel*>(GetStateObject(StateObjectKind::MultiplayerLevel));
    }
    // Asks for a state and runs frames until it is current.
    bool Enter(int id)
    {
        States().RequestState(id);
        return game.StepUntil([&] { return States().GetCurrentState() == id; }, 5) > 0;
    }
    // The race, with both robots beamed in.
    void EnterRace()
    {
        ASSERT_TRUE(Enter(STATE_MULTIPLAYER1));
        ASSERT_NE(Main(), nullptr);
        ASSERT_GT(game.StepUntil([&] { return !Robot(Main())->IsSpawning() && !Robot(Other())->IsSpawning(); }, 80),
                  0);
    }
    GameObject* Main() { return game.GetSystem()->playerOne; }
    GameObject* Other() { return Level().GetOtherPlayer(); }
    static PlayerComponent* Robot(GameObject* o) { return dynamic_cast<PlayerComponent*>(o->GetComponent(CT_PLAYER)); }
    // Pad i's left stick, in XInput terms (y up).
    void Stick(int i, int x, int y)
    {
        pads[i]->Axis(SDL_CONTROLLER_AXIS_LEFTX, x);
        pads[i]->Axis(SDL_CONTROLLER_AXIS_LEFTY, -y);
    }
    // One press of a button of pad i, seen by the game for one frame.
    void Press(int i, SDL_GameControllerButton button)
    {
        pads[i]->Button(button, true);
        game.Step(2);
        pads[i]->Button(button, false);
        game.Step();
    }
    // One update of the top state outside the frame; the texts it queued.
    std::vector<std::string> QueuedTexts()
    {
        FontManager& fonts = *game.GetSystem()->fontManager;
        States().Update();
        std::vector<std::string> texts;
        for (const FontManager::TextItem& item : fonts.GetQueue()) texts.push_back(item.text);
        fonts.RenderAllText(game.GetSystem()->window->GetWidth(), game.GetSystem()->window->GetHeight());
        return texts;
    }
    bool Shows(const std::string& text)
    {
        for (const std::string& t : QueuedTexts())
            if (t == text) return true;
        return false;
    }
    // The current state's object whose UI-logic name is `name`.
    GameObject* Element(const std::string& name)
    {
        for (GameObject* o : game.GetSystem()->objectManager->GetAllObjects()) {
            auto* e = dynamic_cast<UILogicComponent*>(o->GetComponent(CT_UILOGIC));
            if (e && e->m_UIName == name && o->stateId == States().GetCurrentState()) return o;
        }
        return nullptr;
    }
    // A left click on a screen object, held over two frames. While pad 0 is
    // in, the game's cursor is the system pointer (moved by the pad's stick),
    // so the pointer itself is put there.
    void Click(GameObject* o)
    {
        ASSERT_NE(o, nullptr);
        Window& window = *game.GetSystem()->window;
        const int x = static_cast<int>(o->position.x) + window.GetWidth() / 2;
        const int y = window.GetHeight() / 2 - static_cast<int>(o->position.y);
        Platform::WarpCursor(x, y);
        game.GetSystem()->inputManager->OnMouseMove(x | (static_cast<std::int64_t>(y) << 16));
        game.Step();
        game.Hold({KEY_LBUTTON});
        game.Step(2);
        game.Release();
    }
    std::string LogPage() const { return TestSupport::ReadFile(game.GetSystem()->logger->GetPath()); }
    Profile& CurrentProfile() { return *game.GetSystem()->profileManager->GetCurrentProfile(); }

    GameplayHarness game;
    std::vector<std::unique_ptr<VirtualPad>> pads;
};

TEST_F(MultiplayerLevelInProcessTest, EachPadSteersItsOwnRobot)
{
    StartWithPads(FLAT);
    EnterRace();
    EXPECT_TRUE(ControllerWaitComponent::IsTwoPlayerLevel());
    EXPECT_FALSE(Robot(Main())->m_IsMainPlayer == Robot(Other())->m_IsMainPlayer);
    EXPECT_EQ(game.GetSystem()->playerTwo, Other());
    const glm::vec3 mainStart = Main()->position;
    const glm::vec3 otherStart = Other()->position;
    EXPECT_EQ(Level().GetMainSpawn(), glm::vec3(4.5f, 0.5f, 8.5f));
    EXPECT_EQ(Level().GetOtherSpawn(), glm::vec3(10.5f, 0.5f, 8.5f));

    // Pad 1 pushed up: the other robot walks away from the camera, the main
    // robot stays where it is (and keeps facing where it faced).
    Stick(1, 0, FULL);
    game.Step(20);
    EXPECT_LT(Other()->position.z, otherStart.z - 0.5f);
    EXPECT_NEAR(Other()->position.x, otherStart.x, 0.01f);
    EXPECT_NEAR(Main()->position.x, mainStart.x, 0.01f);
    EXPECT_NEAR(Main()->position.z, mainStart.z, 0.01f);
    // Pad 1 to the left turns only the other robot.
    const glm::quat mainRotation = Main()->rotation;
    Stick(1, -FULL, 0);
    game.Step(3);
    EXPECT_EQ(Main()->rotation, mainRotation);
    EXPECT_NEAR(Main()->position.z, mainStart.z, 0.01f);
    Stick(1, 0, 0);
    game.Step(2);

    // Pad 0 down and pad 1 up at once: each robot its own way.
    const glm::vec3 otherBefore = Other()->position;
    Stick(0, 0, -FULL);
    Stick(1, 0, FULL);
    game.Step(20);
    EXPECT_GT(Main()->position.z, mainStart.z + 0.5f);
    EXPECT_LT(Other()->position.z, otherBefore.z - 0.5f);
    EXPECT_NEAR(Main()->position.x, mainStart.x, 0.01f);
    Stick(0, 0, 0);
    Stick(1, 0, 0);
    game.Step(2);
    // Held W, S, A, D answer nobody while both pads are in.
    const glm::vec3 mainBefore = Main()->position;
    game.Hold({GameplayHarness::Letter('W'), GameplayHarness::Letter('D')});
    game.Step(10);
    game.Release();
    EXPECT_NEAR(glm::distance(Main()->position, mainBefore), 0.0f, 0.02f);
}

TEST_F(MultiplayerLevelInProcessTest, AFallenRobotBeamsBackToItsOwnStart)
{
    StartWithPads(FLAT);
    EnterRace();
    const glm::vec3 otherStart = Other()->position;

    // The main robot is pushed through the floor: the next frame puts it
    // back where it began, beaming in; the other robot is not moved.
    Main()->position = glm::vec3(2.0f, -5.5f, 3.0f);
    game.Step();
    EXPECT_NEAR(Main()->position.x, 4.5f, 1e-4f);
    EXPECT_NEAR(Main()->position.z, 8.5f, 1e-4f);
    EXPECT_NEAR(Main()->position.y, 0.5f, 0.25f);
    EXPECT_TRUE(Robot(Main())->IsSpawning());
    EXPECT_EQ(Other()->position, otherStart);
    EXPECT_FALSE(Robot(Other())->IsSpawning());

    // The other robot walks off the floor's edge and falls: it comes back
    // on its own start, and the main robot stays where it is.
    ASSERT_GT(game.StepUntil([&] { return !Robot(Main())->IsSpawning(); }, 40), 0);
    const glm::vec3 mainAt = Main()->position;
    Stick(1, FULL, 0);
    ASSERT_GT(game.StepUntil([&] { return Other()->position.x > 14.6f; }, 200), 0);
    Stick(1, 0, 0);
    float lowest = Other()->position.y;
    ASSERT_GT(game.StepUntil(
                  [&] {
                      lowest = std::min(lowest, Other()->position.y);
                      return Robot(Other())->IsSpawning();
                  },
                  200),
              0);
    EXPECT_LT(lowest, -4.0f);
    EXPECT_NEAR(Other()->position.x, 10.5f, 1e-4f);
    EXPECT_NEAR(Other()->position.z, 8.5f, 1e-4f);
    EXPECT_NEAR(glm::distance(Main()->position, mainAt), 0.0f, 0.02f);
}

TEST_F(MultiplayerLevelInProcessTest, AMissingPadPausesTheRaceOnceAndAgainAfterTheMenu)
{
    StartWithPads(FLAT);
    EnterRace();

    // Player two's pad comes out: that frame asks for the pause menu, the
    // next one opens it.
    pads[1]->Unplug();
    game.Step();
    EXPECT_EQ(States().GetRequestedState(), STATE_PAUSEMENU);
    EXPECT_EQ(States().GetCurrentState(), STATE_MULTIPLAYER1);
    game.Step();
    ASSERT_EQ(States().GetCurrentState(), STATE_PAUSEMENU);

    // While the menu is on top the level stands still and asks nothing more.
    const double time = Level().GetLevelTime();
    game.Step(20);
    EXPECT_EQ(States().GetCurrentState(), STATE_PAUSEMENU);
    EXPECT_EQ(States().GetRequestedState(), STATE_PAUSEMENU);
    EXPECT_EQ(States().GetPreviousState(), STATE_MULTIPLAYER1);
    EXPECT_EQ(Level().GetLevelTime(), time);

    // Resume with the pad still out: the level runs one frame and asks again.
    Click(Element("btnResume"));
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_MULTIPLAYER1; }, 3), 0);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_PAUSEMENU; }, 3), 0);

    // With the pad back in, Resume lets the race run on.
    pads[1] = std::make_unique<VirtualPad>();
    ASSERT_TRUE(BothPadsConnected());
    Click(Element("btnResume"));
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_MULTIPLAYER1; }, 3), 0);
    game.Step(10);
    EXPECT_EQ(States().GetCurrentState(), STATE_MULTIPLAYER1);
    EXPECT_GT(Level().GetLevelTime(), time);

    // Pad 0's Start pauses too, as the escape action of player one.
    Press(0, SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(States().GetCurrentState(), STATE_PAUSEMENU);
}

TEST_F(MultiplayerLevelInProcessTest, TheRobotThatReachesTheExitIsNamedTheWinner)
{
    StartWithPads(FLAT);
    for (int winner : {0, 1}) {
        SCOPED_TRACE(winner);
        EnterRace();
        // The winning pad walks its robot into the exit between them.
        const int pad = winner == 0 ? 0 : 1;
        Stick(pad, pad == 0 ? FULL : -FULL, 0);
        ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 29; }, 300), 0);
        Stick(pad, 0, 0);
        EXPECT_EQ(CurrentProfile().winner, winner == 0 ? 1 : 0);
        EXPECT_FALSE(ControllerWaitComponent::IsTwoPlayerLevel());
        EXPECT_TRUE(Shows(winner == 0 ? "Player One Wins!!" : "Player Two Wins!!"));
        // Replay runs the race again.
        Click(Element("btnPreviousLevel"));
        ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_MULTIPLAYER1; }, 5), 0);
    }
    EXPECT_NE(LogPage().find("The two-player level is won by player two."), std::string::npos);
}

TEST_F(MultiplayerLevelInProcessTest, OneRobotNoExitAndAGoneRobot)
{
    StartWithPads(FLAT);
    EnterRace();
    GameObject* other = Other();

    // The other robot is destroyed: its pool place is left alone by the
    // fall check, the main robot is still caught.
    other->flags |= OBJ_DESTROY;
    game.Step();
    ASSERT_FALSE(game.GetSystem()->objectManager->IsObjectInPlay(other));
    other->position = glm::vec3(1.0f, -20.0f, 1.0f);
    Main()->position.y = -6.0f;
    game.Step();
    // (The main robot's beam-in effect may take that pool place meanwhile.)
    EXPECT_NE(other->position, Level().GetOtherSpawn());
    EXPECT_NEAR(Main()->position.z, 8.5f, 1e-4f);
    EXPECT_TRUE(Robot(Main())->IsSpawning());

    // A file with one robot and no exit: nothing of the previous robots is
    // kept, the level runs and catches its robot; pad 0's Back skips to the
    // closing screen, which keeps the last winner.
    CurrentProfile().winner = 1;
    ASSERT_TRUE(game.OverrideLevelFile(RACE_FILE, ONE_ROBOT));
    ASSERT_TRUE(Enter(STATE_MAINMENU));
    ASSERT_TRUE(Enter(STATE_MULTIPLAYER1));
    EXPECT_EQ(Other(), nullptr);
    EXPECT_EQ(game.GetSystem()->playerTwo, nullptr);
    ASSERT_NE(Main(), nullptr);
    EXPECT_NE(LogPage().find("has no second robot"), std::string::npos);
    game.Step(40);
    Main()->position.y = -7.0f;
    game.Step();
    EXPECT_NEAR(Main()->position.x, 3.5f, 1e-4f);
    Press(0, SDL_CONTROLLER_BUTTON_BACK);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 29; }, 3), 0);
    EXPECT_EQ(CurrentProfile().winner, 1);
    EXPECT_EQ(CurrentProfile().lastLevelTime, 1);
    EXPECT_NE(LogPage().find("has no exit: no winner is recorded, player one stays the last winner."),
              std::string::npos);
    EXPECT_TRUE(Shows("Player One Wins!!"));
    EXPECT_TRUE(game.GetSystem()->IsRunning());
}

} // namespace

namespace {

TEST_F(MultiplayerLevelInProcessTest, TheWholeRoadFromTheMainMenuThroughTheRaceAndBack)
{
    StartWithPads();
    ASSERT_TRUE(Enter(STATE_MAINMENU));

    // Two Players leads to the screen that asks for the pads: with player
    // two's pad out, Next stays hidden; once it is in, Next shows.
    pads[1]->Unplug();
    Click(Element("btnMultiplayer"));
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 28; }, 5), 0);
    game.Step(2);
    GameObject* next = nullptr;
    for (GameObject* o : game.FindAll(BUTTONNEXTLEVEL))
        if (o->stateId == 28) next = o;
    ASSERT_NE(next, nullptr);
    EXPECT_TRUE(next->flags & OBJ_SKIP_DRAW);
    EXPECT_TRUE(Shows("Please connect player two's controller"));
    pads[1] = std::make_unique<VirtualPad>();
    game.Step(2);
    EXPECT_FALSE(next->flags & OBJ_SKIP_DRAW);
    EXPECT_TRUE(QueuedTexts().empty());
    Click(next);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_MULTIPLAYER1; }, 5), 0);
    EXPECT_TRUE(ControllerWaitComponent::IsTwoPlayerLevel());

    // The race: pad 0 picks up its crate, carries it up to its raised
    // switch and puts it down there; its gate opens; the robot steps round
    // the switch, runs through the gate and into the exit. Pad 1 waits.
    ASSERT_GT(game.StepUntil([&] { return !Robot(Main())->IsSpawning() && !Robot(Other())->IsSpawning(); }, 80), 0);
    GameObject* robot = Main();
    const glm::vec3 otherStart = Other()->position;
    EXPECT_EQ(robot->position, glm::vec3(3.5f, 0.5f, 13.5f));
    Press(0, SDL_CONTROLLER_BUTTON_A);
    ASSERT_NE(Robot(robot)->GetCarriedCrate(), nullptr);
    Stick(0, 0, FULL);
    ASSERT_GT(game.StepUntil([&] { return robot->position.z < 9.45f; }, 100), 0);  // against the switch
    Stick(0, 0, 0);
    game.Step();
    Press(0, SDL_CONTROLLER_BUTTON_B);
    EXPECT_EQ(Robot(robot)->GetCarriedCrate(), nullptr);
    std::vector<GameObject*> gate;
    for (GameObject* door : game.FindAll(DOOR))
        if (door->position.x < 7.5f) gate.push_back(door);
    ASSERT_EQ(gate.size(), 3u);
    ASSERT_GT(game.StepUntil([&] { return gate[0]->position.y > 2.4f; }, 60), 0);
    // The other lane's gate stays shut.
    for (GameObject* door : game.FindAll(DOOR)) {
        if (door->position.x > 7.5f) {
            EXPECT_EQ(door->position.y, 0.5f);
        }
    }
    Stick(0, FULL, 0);
    ASSERT_GT(game.StepUntil([&] { return robot->position.x > 4.55f; }, 40), 0);  // against the lane's wall
    Stick(0, 0, FULL);
    ASSERT_GT(game.StepUntil([&] { return robot->position.z < 1.6f; }, 120), 0);  // through the gate
    EXPECT_NEAR(glm::distance(Other()->position, otherStart), 0.0f, 0.02f);
    Stick(0, FULL, 0);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 29; }, 160), 0);
    Stick(0, 0, 0);
    EXPECT_EQ(CurrentProfile().winner, 1);
    EXPECT_FALSE(ControllerWaitComponent::IsTwoPlayerLevel());

    // The closing screen names the winner; Main Menu goes back.
    EXPECT_TRUE(Shows("Player One Wins!!"));
    GameObject* back = nullptr;
    for (GameObject* o : game.FindAll(BUTTONNEXTLEVEL))
        if (o->stateId == 29) back = o;
    Click(back);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_MAINMENU; }, 5), 0);
    EXPECT_NE(Element("btnMultiplayer"), nullptr);
    EXPECT_TRUE(game.GetSystem()->IsRunning());
}

} // namespace
