// The menu state on the game's own menu screens: what each button asks for,
// the back key, the options' boxes and slider, the profile screens, and what
// it leaves behind. The window is never opened (800 x 600, no desktop: every
// resolution change is refused); the pointer and the keys are fed to the
// input manager, which ages them after every frame as the game does.
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/TextComponent.h"
#include "engine/platform/VirtualKeys.h"
#include "flow/StateTestKit.h"
#include "support/EngineFixture.h"
#include "game/flow/LoadingLevel.h"
#include "game/flow/Menu.h"
#include "game/flow/ProfileManager.h"
#include "game/flow/UILogicComponent.h"
#include "tools/Console.h"

using namespace QRX;
using namespace QRX::Platform;

namespace {

TEST(MenuRules, SliderTracksResolutionsAndTyping)
{
    // Laid out for 1024 pixels: the track's ends follow the window's width.
    const SliderTrack narrow = VolumeSliderTrack(37, 512);
    EXPECT_EQ(narrow.left, 52.5f);
    EXPECT_EQ(narrow.right, 177.5f);
    EXPECT_EQ(VolumeSliderTrack(47, 512).right, 110.0f);
    EXPECT_EQ(SliderVolume(52.5f, narrow), 0.0f);
    EXPECT_EQ(SliderVolume(5.0f, SliderTrack{10.0f, 10.0f}), 0.0f);

    EXPECT_EQ(ResolutionChoiceOf(800, 600), 1);
    EXPECT_EQ(ResolutionChoiceOf(1280, 960), 3);
    EXPECT_EQ(ResolutionChoiceOf(1280, 1024), 0);
    std::string typed;
    for (char c : {'A', 'n', char(8), 'n'}) typed = ApplyTypedCharacter(typed, c);
    EXPECT_EQ(typed, "An");
    EXPECT_EQ(ApplyTypedCharacter("", 8), "");
    // A name has no length limit; Backspace still works.
    const std::string full(40, 'W');
    EXPECT_EQ(ApplyTypedCharacter(full, 'x'), full + "x");
    EXPECT_EQ(ApplyTypedCharacter(full, 8), full.substr(1));
    EXPECT_EQ(ProfileNameOf("  Ann Lee "), "Ann Lee");
    EXPECT_EQ(ProfileNameOf("   "), "");
    EXPECT_EQ(ProfileNameOf(""), "");
}

class MenuTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        StateTest::SetUp();
        System* s = System::GetInstance();
        s->inputManager = new InputManager();
        s->window = new Window();  // never opened
        s->profileManager = new ProfileManager();
        Logger::SetDialogAvailableOverride(0);
        BindStateObject(StateObjectKind::Menu, &menu);
        BindStateObject(StateObjectKind::LoadingLevel, &loading);
        ASSERT_TRUE(gsm.Initialize());
        AudioMgr()->LoadSound(UI_HOVER_SOUND);
        AudioMgr()->LoadSound(UI_CLICK_SOUND);
        AudioMgr()->LoadStream("menu.mp3");
        Tick();
        Go(STATE_MAINMENU);
    }
    void TearDown() override
    {
        gsm.Shutdown();
        System* s = System::GetInstance();
        Logger::SetDialogAvailableOverride(-1);
        delete s->inputManager;
        delete s->window;
        delete s->profileManager;
        s->inputManager = nullptr;
        s->window = nullptr;
        s->profileManager = nullptr;
        StateTest::TearDown();
    }
    InputManager& Input() { return *System::GetInstance()->inputManager; }
    ProfileManager& Profiles() { return *System::GetInstance()->profileManager; }
    // One frame, then the samples age as at the end of a game frame.
    void Tick(int frames = 1)
    {
        for (int i = 0; i < frames; ++i) {
            Frame();
            Input().Update();
        }
    }
    // Asks for a state and runs the frame that carries it out.
    void Enter(int id)
    {
        gsm.RequestState(id);
        Tick();
        ASSERT_EQ(gsm.GetCurrentState(), id);
    }
    // The current screen's element of that name, or null.
    GameObject* Element(const std::string& name)
    {
        for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects()) {
            auto* e = dynamic_cast<UILogicComponent*>(o->GetComponent(CT_UILOGIC));
            if (e && o->stateId == gsm.GetCurrentState() && e->m_UIName == name) return o;
        }
        return nullptr;
    }
    static UILogicComponent* Logic(GameObject* o) { return dynamic_cast<UILogicComponent*>(o->GetComponent(CT_UILOGIC)); }
    static TextComponent* Text(GameObject* o) { return dynamic_cast<TextComponent*>(o->GetComponent(CT_TEXT)); }
    static std::string Texture(GameObject* o) { return dynamic_cast<GUIComponent*>(o->GetComponent(CT_GUI))->m_textureId; }
    // The pointer over an object's centre (window pixels from the top left).
    void PointAt(const GameObject* o)
    {
        const int x = static_cast<int>(o->position.x) + 400;
        const int y = 300 - static_cast<int>(o->position.y);
        Input().OnMouseMove(x | (static_cast<std::int64_t>(y) << 16));
    }
    void PointAway() { Input().OnMouseMove(1 | (1 << 16)); }
    // The left button goes down over the object in one frame and is up in the next.
    void Click(GameObject* o)
    {
        ASSERT_NE(o, nullptr);
        PointAt(o);
        InputManager::previous[KEY_LBUTTON] = 0;
        InputManager::current[KEY_LBUTTON] = 1;
        Tick();
        InputManager::current[KEY_LBUTTON] = 0;
    }
    void Click(const std::string& name) { Click(Element(name)); }
    // A click on an element of that name that the screen does not hold: a
    // code-driven element on the current screen whose click begins this frame.
    void Press(const std::string& name)
    {
        GameObject* o = System::GetInstance()->objectManager->CreatePlacedInstance(UIOBJECT, glm::vec3(0.0f, 0.0f, -9.5f),
                                                                                    1, gsm.GetCurrentState());
        ASSERT_NE(o, nullptr);
        auto* e = dynamic_cast<UILogicComponent*>(o->AddComponent(CT_UILOGIC));
        e->m_UIName = name;
        e->m_UseMouse = false;
        e->m_LeftClickState = UI_STATE_BEGUN;
        Tick();
        o->flags |= OBJ_DESTROY;
        System::GetInstance()->objectManager->Update();
    }
    int Plays(const std::string& sound)
    {
        int count = 0;
        for (const std::string& call : Audio()->calls)
            count += call.rfind("PlaySound", 0) == 0 && call.find(sound) != std::string::npos;
        return count;
    }
    // Profiles made directly; the current one by name.
    void MakeProfiles(const std::vector<std::string>& names, const std::string& current)
    {
        for (const std::string& name : names) Profiles().CreateProfile(name);
        std::string chosen = current;
        Profiles().SelectProfile(chosen);
    }
    std::vector<std::string> SlotNames()
    {
        std::vector<std::string> names;
        for (GameObject* slot : menu.GetProfileSlots()) names.push_back(Text(slot)->m_text);
        return names;
    }
    GameObject* Slot(const std::string& name)
    {
        for (GameObject* slot : menu.GetProfileSlots())
            if (Text(slot)->m_text == name) return slot;
        return nullptr;
    }

    Menu menu;
    LoadingLevel loading;
};

TEST_F(MenuTest, ButtonsAskForTheirScreens)
{
    // A real click, with its sounds: hover once per entry, click once per press.
    Click("btnStart");
    EXPECT_EQ(gsm.GetRequestedState(), 16);
    EXPECT_EQ(Plays(UI_CLICK_SOUND), 1);
    gsm.RequestState(STATE_MAINMENU);
    Tick(5);
    EXPECT_EQ(Plays(UI_HOVER_SOUND), 1);
    PointAway();
    Tick(2);
    PointAt(Element("btnStart"));
    Tick(3);
    EXPECT_EQ(Plays(UI_HOVER_SOUND), 2);

    const std::vector<std::pair<std::string, int>> requests = {
        {"btnMultiplayer", 28}, {"btnCredits", 40}, {"btnGameOk", 40}, {"btnOptions", 37}, {"btnProfile", 42},
        {"lblProfileName", 42}, {"btnExit", 41},    {"btnCreate", 43},  {"btnRestart", 45}, {"btnHowtoplay", 46},
        {"btnTutorial", 46},    {"btnPauseOptions", 47}, {"btnQuittomenu", 48}, {"btnPauseRestartYes", 35},
        {"btnRetryYes", 35},    {"btnRetryNo", 36},  {"btnGameNoRetry", 36}, {"btnNoSuchThing", 36}};
    for (const auto& [name, id] : requests) {
        Press(name);
        EXPECT_EQ(gsm.GetRequestedState(), id) << name;
        gsm.RequestState(STATE_MAINMENU);
    }

    // Quitting to the menu stops every sound.
    Press("btnPauseYes");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_MAINMENU);
    EXPECT_TRUE(Audio()->Called("MasterStop"));
    EXPECT_TRUE(System::GetInstance()->IsRunning());
    Press("btnYes");
    EXPECT_FALSE(System::GetInstance()->IsRunning());
}

TEST_F(MenuTest, BackKeyAndBackButtonsReturn)
{
    FrameWithKey(KEY_ESCAPE);
    Input().Update();
    EXPECT_EQ(gsm.GetRequestedState(), 41);
    Tick();
    ASSERT_EQ(gsm.GetCurrentState(), 41);
    Click("btnNo");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_MAINMENU);
    Tick();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_MAINMENU);

    Enter(40);
    FrameWithKey(KEY_ESCAPE);
    Input().Update();
    EXPECT_EQ(gsm.GetRequestedState(), STATE_MAINMENU);
    Tick();
    Enter(42);
    Enter(43);
    Press("btnCancel");
    EXPECT_EQ(gsm.GetRequestedState(), 42);
    Tick();
    EXPECT_EQ(gsm.GetCurrentState(), 42);
    EXPECT_EQ(gsm.GetStates().size(), 2u);
}

TEST_F(MenuTest, OptionsBoxesShowAndChangeTheSettings)
{
    Enter(37);
    GameObject* music = Element("chkboxBGM");
    GameObject* effects = Element("chkboxSFX");
    ASSERT_NE(music, nullptr);
    ASSERT_NE(effects, nullptr);
    PointAway();
    Tick();
    EXPECT_EQ(Texture(music), "checked");
    EXPECT_EQ(Texture(Element("chkboxFullscreen")), "unchecked");
    // The window is 800 x 600: its box is checked and shows no hover look.
    EXPECT_EQ(menu.GetResolutionChoice(), 1);
    PointAt(Element("chkboxReso1"));
    Tick();
    EXPECT_EQ(Texture(Element("chkboxReso1")), "checked");
    PointAt(Element("chkboxReso2"));
    Tick();
    EXPECT_EQ(Texture(Element("chkboxReso2")), "uncheckedHover");
    EXPECT_EQ(Texture(Element("chkboxReso3")), "unchecked");

    // The music box switches the music off, keeping the volume it comes back at.
    AudioMgr()->SetMusicVolume(0.6f);
    Click(music);
    Tick();
    EXPECT_TRUE(AudioMgr()->m_MusicOff);
    EXPECT_FLOAT_EQ(AudioMgr()->m_MusicRestoreVolume, 0.6f);
    EXPECT_EQ(Texture(music), "uncheckedHover");
    Click(effects);
    EXPECT_TRUE(AudioMgr()->m_EffectsOff);
    const int clicks = Plays(UI_CLICK_SOUND);
    Click(effects);
    EXPECT_FALSE(AudioMgr()->m_EffectsOff);
    EXPECT_EQ(Plays(UI_CLICK_SOUND), clicks);  // pressed while effects were off

    // The checked box changes nothing.
    Click("chkboxReso1");
    EXPECT_EQ(gsm.GetRequestedState(), 37);
    EXPECT_FALSE(menu.IsOverlayShown());
    EXPECT_EQ(CountOwnedBy(37, MENUROBOTANIMATION), 0u);
    // A size the display cannot take: the failure screen, no overlay, the choice kept.
    Click("chkboxReso3");
    EXPECT_EQ(gsm.GetRequestedState(), 38);
    EXPECT_FALSE(menu.IsOverlayShown());
    EXPECT_EQ(menu.GetResolutionChoice(), 1);
    EXPECT_FALSE(loading.IsReloading());
    System::GetInstance()->objectManager->Update();
    EXPECT_EQ(CountOwnedBy(37, MENUROBOTANIMATION), 0u);
    Tick();
    ASSERT_EQ(gsm.GetCurrentState(), 38);
    Click("btnBack");
    Tick();
    EXPECT_EQ(gsm.GetCurrentState(), 37);
}

TEST_F(MenuTest, NameFieldTakesTypedCharactersAndAddCreatesTheProfile)
{
    Enter(42);
    Click("btnCreate");
    Tick();
    ASSERT_EQ(gsm.GetCurrentState(), 43);
    const std::pair<char, const char*> typed[] = {{'A', "A"}, {'x', "Ax"}, {char(8), "A"}, {char(8), ""}};
    for (const auto& [c, shown] : typed) {  // one character a frame reaches the field, Backspace too
        Input().OnCharacter(static_cast<unsigned char>(c));
        Tick();
        EXPECT_EQ(Text(Element("lblName"))->m_text, shown);
    }
    // Typed and clicked within one frame: every character reaches the field before the click acts.
    for (char c : {'A', 'n', char(8), 'n'}) Input().OnCharacter(static_cast<unsigned char>(c));
    Click("btnProfileAdd");
    EXPECT_EQ(gsm.GetRequestedState(), 42);
    EXPECT_EQ(Profiles().GetCurrentProfile()->name, "An");
    Tick();
    ASSERT_EQ(gsm.GetCurrentState(), 42);
    EXPECT_EQ(SlotNames(), (std::vector<std::string>{"Guest", "An"}));
    EXPECT_EQ(menu.GetSelectedSlot(), Logic(Slot("An")));
    EXPECT_EQ(Text(Slot("An"))->m_color, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(Text(Slot("Guest"))->m_color, glm::vec4(0.85f, 0.85f, 0.85f, 1.0f));
    EXPECT_TRUE(TestSupport::ReadFile(ProfileManager::GetProfilePath()).find("<lastUsed>An</lastUsed>") !=
                std::string::npos);

    // An empty or blank name creates nothing and the screen stays for a name.
    Enter(43);
    for (const char* typed : {"", "   "}) {
        for (char c : std::string(typed)) Input().OnCharacter(static_cast<unsigned char>(c));
        Tick();
        EXPECT_EQ(Text(Element("lblName"))->m_text, typed);
        Click("btnProfileAdd");
        EXPECT_EQ(gsm.GetRequestedState(), 43);
        EXPECT_EQ(Profiles().GetProfileNames(), (std::vector<std::string>{"Guest", "An"}));
        EXPECT_EQ(Profiles().GetCurrentProfile()->name, "An");
    }
}

TEST_F(MenuTest, TwelveProfilesAreTheMost)
{
    MakeProfiles({"P1", "P2", "P3", "P4", "P5", "P6", "P7", "P8", "P9", "P10", "P11"}, "P3");
    Enter(42);
    EXPECT_EQ(menu.GetProfileSlots().size(), 12u);
    Enter(43);
    Input().OnCharacter('Z');
    Tick();
    testing::internal::CaptureStdout();
    Click("btnProfileAdd");
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[LOG] WARNING - Reached max profile limit of 12, ignoring add."), std::string::npos) << out;
    EXPECT_EQ(gsm.GetRequestedState(), 42);
    EXPECT_EQ(Profiles().GetProfileNames().size(), 12u);
    EXPECT_EQ(Profiles().GetCurrentProfile()->name, "P3");

    // A name screen without its field creates nothing and stays.
    gsm.RequestState(43);
    GameObject* field = Element("lblName");
    ASSERT_NE(field, nullptr);
    field->flags &= ~OBJ_ACTIVE;
    testing::internal::CaptureStdout();
    Click("btnProfileAdd");
    EXPECT_NE(testing::internal::GetCapturedStdout().find("lblName is missing!"), std::string::npos);
    EXPECT_EQ(gsm.GetRequestedState(), 43);
}

TEST_F(MenuTest, ConfirmedDeletionRemovesTheHighlightedProfile)
{
    MakeProfiles({"Ann", "Bob"}, "Ann");
    Enter(42);
    EXPECT_EQ(SlotNames(), (std::vector<std::string>{"Guest", "Ann", "Bob"}));
    EXPECT_EQ(menu.GetSelectedSlot(), Logic(Slot("Ann")));
    Tick();
    EXPECT_EQ(Texture(Slot("Ann")), "blankselected");
    EXPECT_EQ(Texture(Slot("Bob")), "blank");

    // "Guest" is never offered for deletion.
    Click(Slot("Guest"));
    EXPECT_EQ(menu.GetSelectedSlot(), Logic(Slot("Guest")));
    Click("btnDelete");
    EXPECT_EQ(gsm.GetRequestedState(), 42);

    // Bob is highlighted; Ann stays current.
    Click(Slot("Bob"));
    EXPECT_EQ(Text(Slot("Bob"))->m_color, glm::vec4(0.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ(Text(Slot("Guest"))->m_color, glm::vec4(0.85f, 0.85f, 0.85f, 1.0f));
    Click("btnDelete");
    EXPECT_EQ(gsm.GetRequestedState(), 49);
    Tick();
    Click("btnConfirmYes");
    EXPECT_EQ(menu.GetConfirmResult(), 1);
    EXPECT_EQ(gsm.GetRequestedState(), 42);
    Tick(2);  // popped back to 42, where the answer acts and lapses
    EXPECT_EQ(menu.GetConfirmResult(), 0);
    EXPECT_EQ(gsm.GetStates().size(), 2u);
    EXPECT_EQ(gsm.GetCurrentState(), 42);
    EXPECT_EQ(Profiles().GetProfileNames(), (std::vector<std::string>{"Guest", "Ann"}));
    EXPECT_EQ(Profiles().GetCurrentProfile()->name, "Ann");
    EXPECT_EQ(SlotNames(), (std::vector<std::string>{"Guest", "Ann"}));
    EXPECT_TRUE(menu.GetPendingDeletion().empty());

    // "No" forgets the highlighted profile.
    Click(Slot("Guest"));
    Click(Slot("Ann"));
    Click("btnDelete");
    Tick();
    Click("btnConfirmNo");
    EXPECT_TRUE(menu.GetPendingDeletion().empty());
    Tick(2);
    EXPECT_EQ(Profiles().GetProfileNames(), (std::vector<std::string>{"Guest", "Ann"}));

    // Select makes the highlighted profile current and goes back.
    Click(Slot("Guest"));
    Click("btnSelect");
    EXPECT_EQ(Profiles().GetCurrentProfile()->name, "Guest");
    EXPECT_EQ(gsm.GetRequestedState(), STATE_MAINMENU);
}

TEST_F(MenuTest, LeavingTheProfilesForgetsTheirSlots)
{
    MakeProfiles({"Ann", "Bob"}, "Bob");
    Enter(42);
    ASSERT_EQ(menu.GetProfileSlots().size(), 3u);
    // The main menu takes the freed places with objects of its own.
    Enter(STATE_MAINMENU);
    EXPECT_TRUE(menu.GetProfileSlots().empty());
    EXPECT_EQ(menu.GetSelectedSlot(), nullptr);
    std::vector<GameObject*> mine;
    for (int i = 0; i < 60; ++i) {
        GameObject* o = System::GetInstance()->objectManager->CreatePlacedInstance(UIOBJECT, glm::vec3(0.0f), 1,
                                                                                   STATE_MAINMENU);
        ASSERT_NE(o, nullptr);
        mine.push_back(o);
    }
    Enter(42);
    for (GameObject* o : mine) {
        EXPECT_NE(o->GetComponent(CT_GUI), nullptr);
        EXPECT_NE(o->GetComponent(CT_TEXT), nullptr);
        EXPECT_FALSE(o->flags & (OBJ_SKIP_DRAW | OBJ_DESTROY));
    }
    EXPECT_EQ(SlotNames(), (std::vector<std::string>{"Guest", "Ann", "Bob"}));

    // Back from a screen pushed over it, the list is built again and fitted to the window.
    Enter(43);
    EXPECT_FALSE(Text(menu.GetProfileSlots()[0])->m_drawMe);
    Press("btnCancel");
    Tick();
    ASSERT_EQ(gsm.GetCurrentState(), 42);
    ASSERT_EQ(menu.GetProfileSlots().size(), 3u);
    GameObject* first = menu.GetProfileSlots()[0];
    EXPECT_FLOAT_EQ(first->scale.x, 256.0f * 800.0f / 1024.0f);
    EXPECT_FLOAT_EQ(first->position.y, 112.0f * 600.0f / 768.0f);
    EXPECT_FLOAT_EQ(Text(first)->m_posX, 10.0f - 0.5f * first->scale.x);
    EXPECT_TRUE(Text(first)->m_drawMe);
}

TEST_F(MenuTest, MainMenuStartsItsMusicUnlessItPlays)
{
    EXPECT_EQ(AudioMgr()->m_MusicName, "menu.mp3");
    auto* music = static_cast<TestSupport::FakeAudioChannel*>(AudioMgr()->m_MusicChannel);
    ASSERT_NE(music, nullptr);
    EXPECT_TRUE(music->playing);
    const int starts = music->starts;
    Enter(40);
    Enter(STATE_MAINMENU);
    EXPECT_EQ(music->starts, starts);

    // Quit from the pause menu: every sound stops, and the main menu starts its music again.
    Enter(44);
    Press("btnPauseYes");
    EXPECT_FALSE(music->playing);
    Tick();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_MAINMENU);
    EXPECT_TRUE(music->playing);
    EXPECT_EQ(music->starts, starts + 1);
}

TEST_F(MenuTest, MissingScreenFileReadsNothing)
{
    // A screen whose file is missing: the two-player transition, served here by the menu.
    TestSupport::ScopedMissingLevelFile missing("transitionmultiplayer_start.xml");
    ASSERT_TRUE(missing.Ok());
    BindStateObject(StateObjectKind::TransitionLevel, &menu);
    testing::internal::CaptureStdout();
    gsm.ChangeState(28);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Unable to open file: data/levels/transitionmultiplayer_start.xml , exiting game..."),
              std::string::npos);
    // The main menu's file, still open, was not read in its place.
    EXPECT_EQ(CountOwnedBy(28), 0u);
    EXPECT_FALSE(System::GetInstance()->IsRunning());
}

TEST_F(MenuTest, OpenConsoleTakesTheTypingAndTheEscape)
{
    Console* console = new Console();
    System::GetInstance()->console = console;
    Enter(42);
    Enter(43);
    InputManager::current[KEY_OEM_3] = 1;
    Tick();
    InputManager::current[KEY_OEM_3] = 0;
    ASSERT_TRUE(console->IsOpen());
    Input().OnCharacter('Z');
    Tick();
    EXPECT_EQ(Text(Element("lblName"))->m_text, "");
    EXPECT_EQ(console->GetInput(), "Z");
    // The Escape that closes the console leaves the screen where it is; the next goes back.
    for (int request : {43, 42}) {
        InputManager::previous[KEY_ESCAPE] = 0;
        InputManager::current[KEY_ESCAPE] = 1;
        Tick();
        InputManager::current[KEY_ESCAPE] = 0;
        EXPECT_EQ(gsm.GetRequestedState(), request);
        EXPECT_FALSE(console->IsOpen());
    }
    // The console hands its objects back before the pool goes.
    delete console;
    System::GetInstance()->console = nullptr;
}

TEST_F(MenuTest, NameFieldTakesAFastTypistsWholeName)
{
    Console* console = new Console();
    System::GetInstance()->console = console;
    Enter(42);
    Enter(43);
    // A whole name within one frame, shifted letters too, however long.
    const std::string name = "Christopher Robin of the Hundred Acre Wd";
    for (char c : name) Input().OnCharacter(static_cast<unsigned char>(c));
    Tick();
    EXPECT_EQ(Text(Element("lblName"))->m_text, name);
    // Typed around the console key in one frame: the field keeps what came
    // before it, the console's line what came after.
    for (size_t i = 0; i < name.size(); ++i) Input().OnCharacter(8);
    auto type = [this](const std::string& text) {
        for (char c : text) {
            const auto key = static_cast<std::uint32_t>(std::toupper(static_cast<unsigned char>(c)));
            Input().KeyDown(key);
            Input().OnCharacter(static_cast<unsigned char>(c));
            Input().KeyUp(key);
        }
    };
    type("Al");
    Input().KeyDown(VK_OEM_3);
    Input().KeyUp(VK_OEM_3);
    type("help");
    Tick();
    EXPECT_EQ(Text(Element("lblName"))->m_text, "Al");
    EXPECT_EQ(console->GetInput(), "help");
    Input().KeyDown(VK_OEM_3);
    Input().KeyUp(VK_OEM_3);
    type("i");
    Tick();
    EXPECT_EQ(Text(Element("lblName"))->m_text, "Ali");
    Click("btnProfileAdd");
    EXPECT_EQ(Profiles().GetCurrentProfile()->name, "Ali");
    delete console;
    System::GetInstance()->console = nullptr;
}

TEST_F(MenuTest, AVeryLongProfileFileLeavesTheScreenItsObjectsAndKeepsEveryProfile)
{
    constexpr int STORED = 2100;
    std::string file = "<Profiles><lastUsed>P7</lastUsed>";
    for (int i = 0; i < STORED; ++i)
        file += "<Profile><Name>P" + std::to_string(i) + "</Name><LevelsCompleted>1</LevelsCompleted></Profile>";
    file += "</Profiles>";
    ASSERT_TRUE(TestSupport::WriteFile(ProfileManager::GetProfilePath(), file));
    Profiles().Init();
    ASSERT_EQ(Profiles().GetProfiles().size(), static_cast<size_t>(STORED + 1));

    testing::internal::CaptureStdout();
    Enter(42);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("WARNING - 2101 profiles; the profile list shows the first 12."), std::string::npos);
    EXPECT_EQ(menu.GetProfileSlots().size(), static_cast<size_t>(MAX_PROFILES));
    for (const char* button : {"btnSelect", "btnDelete", "btnCreate", "btnBack"})
        EXPECT_NE(Element(button), nullptr) << button;
    EXPECT_EQ(SlotNames().front(), "Guest");
    EXPECT_EQ(SlotNames().back(), "P10");
    EXPECT_EQ(menu.GetSelectedSlot(), Logic(Slot("P7")));

    // Selecting rewrites the file: every profile is still in it.
    Click("btnSelect");
    EXPECT_EQ(Profiles().GetCurrentProfile()->name, "P7");
    const std::string saved = TestSupport::ReadFile(ProfileManager::GetProfilePath());
    EXPECT_EQ(TestSupport::Count(saved, "<Profile>"), static_cast<size_t>(STORED));
    EXPECT_NE(saved.find("<Name>P2099</Name>"), std::string::npos);
}

} // namespace
