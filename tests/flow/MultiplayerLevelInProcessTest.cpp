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
#include "game/gameplay/PlayerComponent.h"
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

TEST_F(MultiplayerLevelInProcessTest, EachPadSteersItsOwnRobotAndAFallenRobotBeamsBackToItsOwnStart)
{
    StartWithPads(FLAT);
    EnterRace();
    EXPECT_TRUE(ControllerWaitComponent::IsTwoPlayerLevel());
    EXPECT_EQ(game.GetSystem()->playerTwo, Other());
    const glm::vec3 mainStart = Main()->position;
    const glm::vec3 otherStart = Other()->position;
    EXPECT_EQ(Level().GetOtherSpawn(), glm::vec3(10.5f, 0.5f, 8.5f));

    // Pad 1 up: only the other robot walks (and turns); then pad 0 down and
    // pad 1 up together: each robot its own way.
    const glm::quat mainRotation = Main()->rotation;
    Stick(1, -FULL, 0);
    game.Step(2);
    Stick(1, 0, FULL);
    game.Step(20);
    EXPECT_LT(Other()->position.z, otherStart.z - 0.5f);
    EXPECT_NEAR(glm::distance(Main()->position, mainStart), 0.0f, 0.01f);
    EXPECT_EQ(Main()->rotation, mainRotation);
    const glm::vec3 otherBefore = Other()->position;
    Stick(0, 0, -FULL);
    game.Step(20);
    EXPECT_GT(Main()->position.z, mainStart.z + 0.5f);
    EXPECT_LT(Other()->position.z, otherBefore.z - 0.5f);
    Stick(0, 0, 0);
    Stick(1, 0, 0);
    game.Step(2);

    // The main robot pushed through the floor is back on its start the next
    // frame, beaming in; the other robot is not moved.
    const glm::vec3 otherAt = Other()->position;
    Main()->position = glm::vec3(2.0f, -5.5f, 3.0f);
    game.Step();
    EXPECT_NEAR(glm::distance(Main()->position, mainStart), 0.0f, 0.25f);
    EXPECT_NEAR(Main()->position.x, mainStart.x, 1e-4f);
    EXPECT_TRUE(Robot(Main())->IsSpawning());
    EXPECT_EQ(Other()->position, otherAt);

    // The other robot walks off the floor's edge and falls: back on its own
    // start, without the fall's speed that would sink it into the floor.
    ASSERT_GT(game.StepUntil([&] { return !Robot(Main())->IsSpawning(); }, 40), 0);
    const glm::vec3 mainAt = Main()->position;
    Stick(1, FULL, 0);
    ASSERT_GT(game.StepUntil([&] { return Robot(Other())->IsSpawning(); }, 300), 0);
    Stick(1, 0, 0);
    EXPECT_NEAR(Other()->position.x, otherStart.x, 1e-4f);
    EXPECT_NEAR(Other()->position.z, otherStart.z, 1e-4f);
    EXPECT_GT(Other()->position.y, otherStart.y - 0.2f);
    EXPECT_NEAR(glm::distance(Main()->position, mainAt), 0.0f, 0.02f);

    // A robot destroyed meanwhile is skipped: its pool place is never put on
    // its start (the main robot's beam-in effect may take that place).
    GameObject* other = Other();
    other->flags |= OBJ_DESTROY;
    game.Step();
    other->position = glm::vec3(1.0f, -20.0f, 1.0f);
    Main()->position.y = -6.0f;
    game.Step();
    EXPECT_NE(other->position, otherStart);
    EXPECT_TRUE(Robot(Main())->IsSpawning());
}

TEST_F(MultiplayerLevelInProcessTest, AMissingPadPausesTheRaceOnceAndAgainAfterTheMenu)
{
    StartWithPads(FLAT);
    EnterRace();
    // Player two's pad comes out: that frame asks for the pause menu.
    pads[1]->Unplug();
    game.Step();
    EXPECT_EQ(States().GetRequestedState(), STATE_PAUSEMENU);
    game.Step();
    ASSERT_EQ(States().GetCurrentState(), STATE_PAUSEMENU);
    // Under the menu the level stands still and asks nothing more.
    const double time = Level().GetLevelTime();
    game.Step(20);
    EXPECT_EQ(States().GetCurrentState(), STATE_PAUSEMENU);
    EXPECT_EQ(Level().GetLevelTime(), time);
    // Resume with the pad still out: the level runs one frame and asks again.
    Click(Element("btnResume"));
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_MULTIPLAYER1; }, 3), 0);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_PAUSEMENU; }, 3), 0);
    // With the pad back in the race runs on; pad 0's Start pauses it.
    pads[1] = std::make_unique<VirtualPad>();
    Click(Element("btnResume"));
    game.Step(10);
    EXPECT_EQ(States().GetCurrentState(), STATE_MULTIPLAYER1);
    EXPECT_GT(Level().GetLevelTime(), time);
    Press(0, SDL_CONTROLLER_BUTTON_START);
    EXPECT_EQ(States().GetCurrentState(), STATE_PAUSEMENU);
}

TEST_F(MultiplayerLevelInProcessTest, TheRobotAtTheExitWinsAndAFileWithOneRobotAndNoExitRuns)
{
    StartWithPads(FLAT);
    for (int pad : {0, 1}) {
        SCOPED_TRACE(pad);
        EnterRace();
        // Pad 0 walks its robot right into the exit, or pad 1 its robot left.
        Stick(pad, pad == 0 ? FULL : -FULL, 0);
        ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 29; }, 300), 0);
        Stick(pad, 0, 0);
        EXPECT_EQ(CurrentProfile().winner, pad == 0 ? 1 : 0);
        EXPECT_FALSE(ControllerWaitComponent::IsTwoPlayerLevel());
        EXPECT_TRUE(Shows(pad == 0 ? "Player One Wins!!" : "Player Two Wins!!"));
        Click(Element("btnPreviousLevel"));  // Replay
        ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_MULTIPLAYER1; }, 5), 0);
    }

    // Player one won the last race; this one is skipped with pad 0's Back
    // before anybody reaches the exit: the closing screen does not announce
    // the last race's winner.
    CurrentProfile().winner = 1;
    game.Step(40);
    Press(0, SDL_CONTROLLER_BUTTON_BACK);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 29; }, 3), 0);
    EXPECT_EQ(CurrentProfile().winner, 0);
    EXPECT_FALSE(Shows("Player One Wins!!"));
    EXPECT_NE(LogPage().find("No robot reached the exit of"), std::string::npos);

    // One robot and no exit: nothing of the last race's robots is kept, the
    // robot is caught when it falls; pad 0's Back skips to the closing
    // screen, which keeps the last winner.
    CurrentProfile().winner = 1;
    ASSERT_TRUE(game.OverrideLevelFile(RACE_FILE, ONE_ROBOT));
    ASSERT_TRUE(Enter(STATE_MAINMENU));
    ASSERT_TRUE(Enter(STATE_MULTIPLAYER1));
    EXPECT_EQ(Other(), nullptr);
    EXPECT_EQ(game.GetSystem()->playerTwo, nullptr);
    ASSERT_NE(Main(), nullptr);
    game.Step(40);
    Main()->position.y = -7.0f;
    game.Step();
    EXPECT_NEAR(Main()->position.x, 3.5f, 1e-4f);
    Press(0, SDL_CONTROLLER_BUTTON_BACK);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 29; }, 3), 0);
    EXPECT_EQ(CurrentProfile().winner, 1);
    EXPECT_EQ(CurrentProfile().lastLevelTime, 1);
    const std::string log = LogPage();
    EXPECT_NE(log.find("has no second robot"), std::string::npos);
    EXPECT_NE(log.find("has no exit: no winner is recorded, player one stays the last winner."), std::string::npos);
    EXPECT_TRUE(Shows("Player One Wins!!"));
}

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
    GameObject* next = Element("btnNextLevel");
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

    // The race: pad 0 picks up its crate, carries it up against its raised
    // switch and puts it down there; its gate (the file's first three doors)
    // opens, the other lane's stays shut; the robot steps round the switch
    // against the lane's wall, runs through the gate and into the exit.
    // Pad 1 waits.
    ASSERT_GT(game.StepUntil([&] { return !Robot(Main())->IsSpawning() && !Robot(Other())->IsSpawning(); }, 80), 0);
    GameObject* robot = Main();
    const glm::vec3 otherStart = Other()->position;
    Press(0, SDL_CONTROLLER_BUTTON_A);
    ASSERT_NE(Robot(robot)->GetCarriedCrate(), nullptr);
    Stick(0, 0, FULL);
    ASSERT_GT(game.StepUntil([&] { return robot->position.z < 9.45f; }, 100), 0);
    Stick(0, 0, 0);
    game.Step();
    Press(0, SDL_CONTROLLER_BUTTON_B);
    ASSERT_GT(game.StepUntil([&] { return game.Find(DOOR, 0)->position.y > 2.4f; }, 60), 0);
    EXPECT_EQ(game.Find(DOOR, 3)->position.y, 0.5f);
    Stick(0, FULL, 0);
    ASSERT_GT(game.StepUntil([&] { return robot->position.x > 4.55f; }, 40), 0);
    Stick(0, 0, FULL);
    ASSERT_GT(game.StepUntil([&] { return robot->position.z < 1.6f; }, 120), 0);
    EXPECT_NEAR(glm::distance(Other()->position, otherStart), 0.0f, 0.02f);
    Stick(0, FULL, 0);
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == 29; }, 160), 0);
    EXPECT_EQ(CurrentProfile().winner, 1);

    // The closing screen names the winner; Main Menu goes back.
    EXPECT_TRUE(Shows("Player One Wins!!"));
    Click(Element("btnNextLevel"));
    ASSERT_GT(game.StepUntil([&] { return States().GetCurrentState() == STATE_MAINMENU; }, 5), 0);
    EXPECT_TRUE(game.GetSystem()->IsRunning());
}

} // namespace
