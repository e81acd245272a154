// The level buttons of the transition screens, clicked with the mouse on a
// screen state that only runs its objects: the request through the level
// table, the loading picture (made once however long the request waits), the
// caption, the hidden texts and the two sounds.
#include <gtest/gtest.h>

#include <string>

#include "engine/core/InputManager.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/TextComponent.h"
#include "flow/StateTestKit.h"
#include "game/flow/GameState.h"
#include "game/flow/LevelButtonComponents.h"
#include "game/flow/MenuRobotAnimation.h"
#include "game/flow/StateCommon.h"
#include "game/flow/UILogicComponent.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

// A screen that only runs its objects, as the transition and menu screens do.
class ScreenState : public GameState
{
public:
    void Load() override {}
    void Init() override {}
    void Pause() override { PauseCurrentStateObjects(); }
    void Resume() override { ResumeCurrentStateObjects(); }
    void Update(GameStateManager&) override
    {
        ++updates;
        UpdateCurrentStateObjects();
    }
    void Free() override {}
    void Unload() override {}

    int updates = 0;
};

class LevelButtonTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::SharedContext().Ok()) << TestSupport::SharedContext().Error();
        TestSupport::SharedContext().MakeCurrent();
        StateTest::SetUp();
        System* s = System::GetInstance();
        s->fontManager = new FontManager();
        s->window = new Window();  // never opened: 800 x 600
        s->inputManager = new InputManager();
        AudioMgr()->LoadSound(UI_HOVER_SOUND);
        AudioMgr()->LoadSound(UI_CLICK_SOUND);
        BindStateObject(StateObjectKind::TransitionLevel, &transition);
        BindStateObject(StateObjectKind::Menu, &menu);
        Logger::SetDialogAvailableOverride(0);
        ASSERT_TRUE(gsm.Initialize());
    }
    void TearDown() override
    {
        System* s = System::GetInstance();
        delete s->fontManager;
        s->fontManager = nullptr;
        delete s->window;
        s->window = nullptr;
        delete s->inputManager;
        s->inputManager = nullptr;
        StateTest::TearDown();
        Logger::SetDialogAvailableOverride(-1);
    }

    // Replaces the stack by a transition screen holding one button of the
    // type at the window centre. Levels have no state object from here on,
    // so a level request waits (each refusal costs the screen one frame).
    GameObject* ScreenWithButton(int id, ObjectType buttonType)
    {
        gsm.PopStatesTo(0);
        EXPECT_TRUE(gsm.ChangeState(id));
        BindStateObject(StateObjectKind::BaseLevel, nullptr);
        GameObject* button = System::GetInstance()->objectManager->CreateInstance(buttonType, glm::vec3(0, 0, -5));
        EXPECT_NE(button, nullptr);
        if (button) button->InitComponents();
        PointAt(400, 300);
        return button;
    }
    static void PointAt(int x, int y)
    {
        System::GetInstance()->inputManager->OnMouseMove(static_cast<std::int64_t>(x) | (std::int64_t(y) << 16));
    }
    // A game frame with the left button down or up; the samples then age.
    void FrameWithLeft(bool down)
    {
        InputManager::current[KEY_LBUTTON] = down ? 1 : 0;
        Frame();
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::previous[k] = InputManager::current[k];
    }
    // The click: a press, then the frame after it (button still held).
    void Click()
    {
        FrameWithLeft(true);
        FrameWithLeft(true);
    }
    FontManager& Fonts() { return *System::GetInstance()->fontManager; }
    // How often the caption was queued since the last call; empties the queue.
    size_t TakeCaptions()
    {
        size_t count = 0;
        for (const FontManager::TextItem& item : Fonts().GetQueue()) {
            if (item.text != LOADING_WORLD_CAPTION) continue;
            ++count;
            EXPECT_EQ(item.mode, FontManager::POSITION_TOP_LEFT);
            EXPECT_EQ(item.fontId, "medium");
            EXPECT_FLOAT_EQ(item.x, 50.0f);
            EXPECT_FLOAT_EQ(item.y, 70.0f);
            EXPECT_EQ(item.color, glm::vec4(1.0f));
        }
        Fonts().RenderAllText(800, 600);
        return count;
    }
    int CountPlays(const std::string& sound)
    {
        int count = 0;
        for (const std::string& line : Audio()->calls)
            if (line.rfind("PlaySound", 0) == 0 && line.find(sound) != std::string::npos) ++count;
        return count;
    }
    static GameObject* FirstOwned(int id, ObjectType type)
    {
        for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects())
            if (o->stateId == id && o->type == type) return o;
        return nullptr;
    }

    ScreenState transition;
    ScreenState menu;
};

TEST_F(LevelButtonTest, MastersAreButtonsWithTheirTextures)
{
    for (ObjectType type : {BUTTONNEXTLEVEL, BUTTONPREVIOUSLEVEL}) {
        GameObject* o = System::GetInstance()->objectManager->CreateInstance(type, glm::vec3(0.0f));
        ASSERT_NE(o, nullptr);
        const std::string word = type == BUTTONNEXTLEVEL ? "next" : "previous";
        EXPECT_EQ(o->scale, glm::vec3(256.0f, 64.0f, 1.0f));
        auto* ui = dynamic_cast<UILogicComponent*>(o->GetComponent(CT_UILOGIC));
        ASSERT_NE(ui, nullptr);
        EXPECT_NE(ui->m_IsButton, 0);
        EXPECT_EQ(ui->GetTextureDefault(), "btn_" + word);
        EXPECT_EQ(ui->GetTextureHover(), "btn_" + word + "Hover");
        EXPECT_NE(o->GetComponent(CT_GUI), nullptr);
        EXPECT_NE(o->GetComponent(type == BUTTONNEXTLEVEL ? CT_BUTTONNEXTLEVEL : CT_BUTTONPREVIOUSLEVEL), nullptr);
        o->InitComponents();
        EXPECT_EQ(dynamic_cast<GUIComponent*>(o->GetComponent(CT_GUI))->m_textureId, "btn_" + word);
    }
}

TEST_F(LevelButtonTest, NextOnTheFirstTransitionMakesOneLoadingPictureWhileTheRequestWaits)
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    GameObject* button = ScreenWithButton(17, BUTTONNEXTLEVEL);
    ASSERT_NE(button, nullptr);
    // A line shown on the screen, and one of a paused screen below.
    GameObject* label = objects->CreateInstance(UIOBJECT, glm::vec3(0, 200, -5));
    GameObject* paused = objects->CreateInstance(UIOBJECT, glm::vec3(0, -200, -5));
    ASSERT_NE(label, nullptr);
    ASSERT_NE(paused, nullptr);
    auto* labelText = dynamic_cast<TextComponent*>(label->GetComponent(CT_TEXT));
    auto* pausedText = dynamic_cast<TextComponent*>(paused->GetComponent(CT_TEXT));
    labelText->m_drawMe = pausedText->m_drawMe = true;
    paused->flags &= ~OBJ_ACTIVE;

    FrameWithLeft(true);  // the press: hover and click sounds, nothing else yet
    EXPECT_EQ(CountPlays(UI_HOVER_SOUND), 1);
    EXPECT_EQ(CountPlays(UI_CLICK_SOUND), 1);
    EXPECT_EQ(gsm.GetRequestedState(), 17);
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 0u);
    EXPECT_EQ(TakeCaptions(), 0u);

    FrameWithLeft(true);  // the frame after the click
    EXPECT_EQ(gsm.GetRequestedState(), 4);
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 1u);
    EXPECT_EQ(CountOwnedBy(17, MENUROBOTANIMATION), 1u);
    EXPECT_EQ(TakeCaptions(), 1u);
    EXPECT_FALSE(labelText->m_drawMe);
    EXPECT_TRUE(pausedText->m_drawMe);  // only active objects are hidden

    GameObject* picture = FirstOwned(17, SPRITE);
    EXPECT_EQ(picture->position, glm::vec3(0.0f, 0.0f, -5.0f));
    EXPECT_FLOAT_EQ(picture->scale.x, 800.0f);
    EXPECT_FLOAT_EQ(picture->scale.y, 600.0f);
    auto* pictureGui = dynamic_cast<GUIComponent*>(picture->GetComponent(CT_GUI));
    EXPECT_EQ(pictureGui->m_textureId, "loading_00");
    GameObject* robot = FirstOwned(17, MENUROBOTANIMATION);
    EXPECT_EQ(robot->position, glm::vec3(-30.0f, 50.0f, -4.9f));
    EXPECT_FLOAT_EQ(robot->scale.x, 400.0f);
    EXPECT_FLOAT_EQ(robot->scale.y, 400.0f);
    EXPECT_EQ(dynamic_cast<GUIComponent*>(robot->GetComponent(CT_GUI))->m_textureId, "robot_00");

    // Levels have no state object: the request is refused and made again on
    // every update of the screen, but the picture is never made twice.
    const int updatesBefore = transition.updates;
    size_t captions = 0;
    for (int frame = 0; frame < 40; ++frame) {
        FrameWithLeft(frame < 20);
        captions += TakeCaptions();
        ASSERT_EQ(CountOwnedBy(17, SPRITE), 1u) << frame;
        ASSERT_EQ(CountOwnedBy(17, MENUROBOTANIMATION), 1u) << frame;
    }
    EXPECT_EQ(transition.updates - updatesBefore, 20);
    EXPECT_EQ(captions, 20u);  // the caption stays up on every update
    EXPECT_EQ(CountPlays(UI_CLICK_SOUND), 1);

    // A picture that goes is put up again on the next update.
    picture->flags |= OBJ_DESTROY;
    objects->Update();
    if (gsm.GetRequestedState() != 17) FrameWithLeft(false);  // the refusal frame
    FrameWithLeft(false);
    EXPECT_EQ(gsm.GetRequestedState(), 4);
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 1u);
    EXPECT_EQ(CountOwnedBy(17, MENUROBOTANIMATION), 1u);
}

TEST_F(LevelButtonTest, RequestOverwrittenByThePauseMenuIsMadeAgainWhenItCloses)
{
    GameObject* button = ScreenWithButton(17, BUTTONNEXTLEVEL);
    ASSERT_NE(button, nullptr);
    Click();
    ASSERT_EQ(gsm.GetRequestedState(), 4);
    // Later in the same frame Escape asks for the pause menu.
    gsm.RequestState(STATE_PAUSEMENU);
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_PAUSEMENU);
    EXPECT_FALSE(button->flags & OBJ_ACTIVE);
    Frame();
    gsm.RequestState(17);  // the pause menu closes
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), 17);
    EXPECT_EQ(gsm.GetRequestedState(), 17);
    Frame();  // the screen runs again: its button asks once more
    EXPECT_EQ(gsm.GetRequestedState(), 4);
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 1u);
    EXPECT_EQ(CountOwnedBy(17, MENUROBOTANIMATION), 1u);
    EXPECT_EQ(TakeCaptions(), 2u);
}

TEST_F(LevelButtonTest, PreviousGoesToTheRowBeforeAndNextFollowsTheTable)
{
    ASSERT_NE(ScreenWithButton(17, BUTTONPREVIOUSLEVEL), nullptr);
    Click();
    EXPECT_EQ(gsm.GetRequestedState(), 3);

    // The first transition screen: the row before it is the main menu's.
    FrameWithLeft(false);
    ASSERT_NE(ScreenWithButton(16, BUTTONPREVIOUSLEVEL), nullptr);
    Click();
    EXPECT_EQ(gsm.GetRequestedState(), 36);

    FrameWithLeft(false);
    ASSERT_NE(ScreenWithButton(16, BUTTONNEXTLEVEL), nullptr);
    Click();
    EXPECT_EQ(gsm.GetRequestedState(), 3);
}

TEST_F(LevelButtonTest, NothingHappensWithoutAClickOrAnElement)
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    GameObject* button = ScreenWithButton(17, BUTTONNEXTLEVEL);
    ASSERT_NE(button, nullptr);
    // Pointing at it sounds once; a press elsewhere does nothing.
    for (int i = 0; i < 5; ++i) FrameWithLeft(false);
    EXPECT_EQ(CountPlays(UI_HOVER_SOUND), 1);
    PointAt(10, 10);
    FrameWithLeft(true);
    FrameWithLeft(true);
    EXPECT_EQ(gsm.GetRequestedState(), 17);
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 0u);

    // A button without its UI element is inert, and so is one without an owner.
    FrameWithLeft(false);
    PointAt(400, 300);
    button->RemoveComponent(CT_UILOGIC);
    Click();
    EXPECT_EQ(gsm.GetRequestedState(), 17);
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 0u);
    ButtonNextLevelComponent loose;
    loose.Update();
    EXPECT_EQ(objects->GetAllObjects().size(), 1u);
}

TEST_F(LevelButtonTest, FullPoolStillLetsTheButtonAskForTheLevel)
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    GameObject* button = ScreenWithButton(17, BUTTONNEXTLEVEL);
    ASSERT_NE(button, nullptr);
    testing::internal::CaptureStdout();
    while (objects->CreateInstance(UIOBJECT, glm::vec3(0, 0, -100))) {
    }
    Click();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("No dead/available objects found!"), std::string::npos);
    EXPECT_EQ(gsm.GetRequestedState(), 4);
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 0u);
    EXPECT_EQ(TakeCaptions(), 1u);
}

} // namespace
