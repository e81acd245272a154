// The level buttons clicked on a transition screen that only runs its
// objects. Levels have no state object here, so a level request is refused
// and the screen runs on, asking again on every update.
#include <gtest/gtest.h>

#include "engine/core/InputManager.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/TextComponent.h"
#include "flow/StateTestKit.h"
#include "game/flow/GameState.h"
#include "game/flow/LevelButtonComponents.h"
#include "game/flow/StateCommon.h"
#include "game/flow/UILogicComponent.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

class ScreenState : public GameState
{
public:
    void Load() override {}
    void Init() override {}
    void Pause() override { PauseCurrentStateObjects(); }
    void Resume() override { ResumeCurrentStateObjects(); }
    void Update(GameStateManager&) override { UpdateCurrentStateObjects(); }
    void Free() override {}
    void Unload() override {}
};

class LevelButtonTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(TestSupport::SharedContext().Ok());
        TestSupport::SharedContext().MakeCurrent();
        StateTest::SetUp();
        System* s = System::GetInstance();
        s->fontManager = new FontManager();
        s->window = new Window();  // never opened: 800 x 600
        s->inputManager = new InputManager();
        BindStateObject(StateObjectKind::TransitionLevel, &screen);
        BindStateObject(StateObjectKind::Menu, &screen);
        ASSERT_TRUE(gsm.Initialize());
        BindStateObject(StateObjectKind::BaseLevel, nullptr);
    }
    void TearDown() override
    {
        System* s = System::GetInstance();
        delete s->fontManager;
        delete s->window;
        delete s->inputManager;
        s->fontManager = nullptr;
        s->window = nullptr;
        s->inputManager = nullptr;
        StateTest::TearDown();
    }
    // A transition screen with one button at the window centre.
    void Screen(int screenId, ObjectType buttonType)
    {
        gsm.PopStatesTo(0);
        ASSERT_TRUE(gsm.ChangeState(screenId));
        GameObject* button = System::GetInstance()->objectManager->CreateInstance(buttonType, glm::vec3(0, 0, -5));
        ASSERT_NE(button, nullptr);
        button->InitComponents();
        System::GetInstance()->inputManager->OnMouseMove(400 | (300 << 16));
    }
    // The press on the button, then the frame after it.
    void Click()
    {
        InputManager::previous[KEY_LBUTTON] = 0;
        for (int frame = 0; frame < 2; ++frame) {
            InputManager::current[KEY_LBUTTON] = 1;
            Frame();
            InputManager::previous[KEY_LBUTTON] = 1;
        }
    }
    size_t Captions()
    {
        FontManager& fonts = *System::GetInstance()->fontManager;
        size_t count = 0;
        for (const FontManager::TextItem& item : fonts.GetQueue())
            count += item.text == "Loading Game World" && item.fontId == "medium" && item.x == 50.0f &&
                     item.y == 70.0f && item.mode == FontManager::POSITION_TOP_LEFT;
        fonts.RenderAllText(800, 600);
        return count;
    }

    ScreenState screen;
};

TEST_F(LevelButtonTest, NextMakesOneLoadingPictureHoweverLongTheRequestWaits)
{
    AudioMgr()->LoadSound(UI_HOVER_SOUND);
    AudioMgr()->LoadSound(UI_CLICK_SOUND);
    Screen(17, BUTTONNEXTLEVEL);
    GameObject* label = System::GetInstance()->objectManager->CreateInstance(UIOBJECT, glm::vec3(0, 200, -5));
    ASSERT_NE(label, nullptr);
    auto* text = dynamic_cast<TextComponent*>(label->GetComponent(CT_TEXT));
    text->m_drawMe = true;
    Click();
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 2);  // hover and click
    EXPECT_EQ(gsm.GetRequestedState(), 4);
    EXPECT_FALSE(text->m_drawMe);
    EXPECT_EQ(Captions(), 1u);

    // Refused and asked again on every frame: still one picture.
    for (int frame = 0; frame < 20; ++frame) Frame();
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 1u);
    EXPECT_EQ(CountOwnedBy(17, MENUROBOTANIMATION), 1u);
    EXPECT_EQ(Captions(), 20u);  // the caption stays up
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 2);
    ASSERT_EQ(gsm.GetRequestedState(), 4);

    // Escape later in the frame: the pause menu opens, and once it closes
    // the button asks again without a second picture.
    gsm.RequestState(STATE_PAUSEMENU);
    Frame();
    ASSERT_EQ(gsm.GetCurrentState(), STATE_PAUSEMENU);
    gsm.RequestState(17);
    Frame();
    Frame();
    EXPECT_EQ(gsm.GetRequestedState(), 4);
    EXPECT_EQ(CountOwnedBy(17, SPRITE), 1u);
    EXPECT_EQ(CountOwnedBy(17, MENUROBOTANIMATION), 1u);
    for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects()) {
        if (o->type != SPRITE) continue;
        EXPECT_EQ(o->scale, glm::vec3(800.0f, 600.0f, 1.0f));
        EXPECT_EQ(o->position, glm::vec3(0.0f, 0.0f, -5.0f));
    }
}

TEST_F(LevelButtonTest, PreviousGoesToTheRowBeforeInTheLevelTable)
{
    Screen(17, BUTTONPREVIOUSLEVEL);
    Click();
    EXPECT_EQ(gsm.GetRequestedState(), 3);
    Screen(16, BUTTONPREVIOUSLEVEL);
    Click();
    EXPECT_EQ(gsm.GetRequestedState(), 36);
}

TEST_F(LevelButtonTest, FullPoolStillLetsTheButtonAskForTheLevel)
{
    Screen(17, BUTTONNEXTLEVEL);
    Logger::SetDialogAvailableOverride(0);
    testing::internal::CaptureStdout();
    while (System::GetInstance()->objectManager->CreateInstance(UIOBJECT, glm::vec3(0))) {
    }
    Click();
    testing::internal::GetCapturedStdout();
    Logger::SetDialogAvailableOverride(-1);
    EXPECT_EQ(gsm.GetRequestedState(), 4);
    EXPECT_EQ(CountOwnedBy(17, SPRITE) + CountOwnedBy(17, MENUROBOTANIMATION), 0u);
    EXPECT_EQ(Captions(), 1u);
}

} // namespace
