// The UI-logic component: the hit test, the four mouse machines, code-driven
// elements, pad 0's A as the left button, and the component's file fields.
// A never-opened window gives the 800 x 600 client size.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <string>
#include <utility>
#include <vector>

#include "engine/core/Controller.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/platform/Pads.h"
#include "game/flow/UILogicComponent.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"
#include "support/VirtualPad.h"

using namespace QRX;

namespace {

using States = std::vector<int>;
using Cmd = std::pair<std::string, std::string>;

class UILogicTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        s->objectManager = new ObjectManager();
        s->inputManager = new InputManager();
        s->window = new Window();  // never opened: 800 x 600
        RegisterComponentFactories();
        gui = dynamic_cast<GUIComponent*>(element.AddComponentHelper(CT_GUI));
        ui = dynamic_cast<UILogicComponent*>(element.AddComponentHelper(CT_UILOGIC));
        ASSERT_NE(gui, nullptr);
        ASSERT_NE(ui, nullptr);
        element.position = glm::vec3(100.0f, 50.0f, -5.0f);
        element.scale = glm::vec3(200.0f, 40.0f, 1.0f);
    }
    void TearDown() override
    {
        ReleaseKeys();
        element.DestroyComponents();
        TestSupport::ReleaseSystem();
        Platform::ShutdownPads();
    }

    static void ReleaseKeys()
    {
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = InputManager::previous[k] = 0;
    }
    // The pointer at a client pixel (window messages carry x low, y high).
    static void MoveMouse(int x, int y)
    {
        System::GetInstance()->inputManager->OnMouseMove(static_cast<std::int64_t>(x) | (std::int64_t(y) << 16));
    }
    // The element's centre and a point far from it, as client pixels.
    static void PointAtElement() { MoveMouse(400 + 100, 300 - 50); }
    static void PointElsewhere() { MoveMouse(10, 10); }
    static void Left(bool down) { InputManager::current[KEY_LBUTTON] = down ? 1 : 0; }
    static void Right(bool down) { InputManager::current[KEY_RBUTTON] = down ? 1 : 0; }
    // One frame: the element updates, then the samples become the previous ones.
    void Frame()
    {
        ui->Update();
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::previous[k] = InputManager::current[k];
    }
    template <typename Read>
    static void WithElements(const std::string& xml, Read read)
    {
        tinyxml2::XMLDocument doc;
        ASSERT_EQ(doc.Parse(("<Component>" + xml + "</Component>").c_str()), tinyxml2::XML_SUCCESS);
        read(doc.RootElement()->FirstChildElement());
    }
    // Reads the fields and returns what the log echoed meanwhile.
    std::string ReadLogged(UILogicComponent& target, const std::string& xml)
    {
        testing::internal::CaptureStdout();
        WithElements(xml, [&](const tinyxml2::XMLElement* first) { target.Read(first); });
        return testing::internal::GetCapturedStdout();
    }
    static std::vector<Cmd> Commands()
    {
        std::vector<Cmd> out;
        for (const auto& c : System::GetInstance()->fileManager->writeCommands)
            out.emplace_back(c.first, c.first == "return" ? std::string() : c.second);
        return out;
    }

    GameObject element;
    GUIComponent* gui = nullptr;
    UILogicComponent* ui = nullptr;
};

TEST_F(UILogicTest, HitTestCountsBothEdgesAndHalvesTheWindowInWholePixels)
{
    // An element at (100, 50), 200 x 40, in a 1024 x 768 window: x 0..200, y 30..70.
    EXPECT_TRUE(UILogicComponent::IsPointOver(712, 354, 1024, 768, 100, 50, 200, 40));   // right, bottom edges
    EXPECT_FALSE(UILogicComponent::IsPointOver(713, 354, 1024, 768, 100, 50, 200, 40));
    EXPECT_TRUE(UILogicComponent::IsPointOver(512, 314, 1024, 768, 100, 50, 200, 40));   // left, top edges
    EXPECT_FALSE(UILogicComponent::IsPointOver(511, 314, 1024, 768, 100, 50, 200, 40));
    EXPECT_FALSE(UILogicComponent::IsPointOver(512, 313, 1024, 768, 100, 50, 200, 40));
    EXPECT_FALSE(UILogicComponent::IsPointOver(600, 355, 1024, 768, 100, 50, 200, 40));
    // An odd width: the centre is pixel 511, so 511 is x 0 (a float half gives -0.5).
    EXPECT_TRUE(UILogicComponent::IsPointOver(511, 354, 1023, 768, 100, 50, 200, 40));
    EXPECT_FALSE(UILogicComponent::IsPointOver(510, 354, 1023, 768, 100, 50, 200, 40));
    // A zero-sized element is a single point.
    EXPECT_TRUE(UILogicComponent::IsPointOver(612, 334, 1024, 768, 100, 50, 0, 0));
    EXPECT_FALSE(UILogicComponent::IsPointOver(613, 334, 1024, 768, 100, 50, 0, 0));

    // Through the component: the never-opened window is 800 x 600.
    PointAtElement();
    EXPECT_TRUE(ui->IsMouseOver());
    MoveMouse(400 + 200, 300 - 30);  // the lower right corner
    EXPECT_TRUE(ui->IsMouseOver());
    MoveMouse(400 + 201, 300 - 30);
    EXPECT_FALSE(ui->IsMouseOver());

    // Without an owner, a window or an input manager nothing is pointed at.
    UILogicComponent loose;
    EXPECT_FALSE(loose.IsMouseOver());
    loose.Update();
    loose.Init();
    PointAtElement();
    delete System::GetInstance()->window;
    System::GetInstance()->window = nullptr;
    EXPECT_FALSE(ui->IsMouseOver());
}

TEST_F(UILogicTest, ClickHeldAndReleasedElsewhereEndsOnTheReleaseFrame)
{
    States click, select, hover;
    auto record = [&] {
        click.push_back(ui->m_LeftClickState);
        select.push_back(ui->m_SelectState);
        hover.push_back(ui->m_HoverState);
    };
    PointAtElement();
    Left(true);
    Frame();  // pressed over it
    record();
    Frame();  // held
    record();
    PointElsewhere();
    Frame();  // held, moved away
    record();
    Left(false);
    Frame();  // released away from it
    record();
    Frame();
    record();
    EXPECT_EQ(click, (States{1, 2, 2, 3, 0}));
    EXPECT_EQ(select, (States{1, 2, 2, 2, 2}));  // no new press: the selection stays
    EXPECT_EQ(hover, (States{1, 2, 3, 0, 0}));

    // A press elsewhere ends the selection, which then goes idle.
    Left(true);
    Frame();
    EXPECT_EQ(ui->m_SelectState, UI_STATE_ENDED);
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_IDLE);  // not a click on this element
    Frame();
    EXPECT_EQ(ui->m_SelectState, UI_STATE_IDLE);
    Left(false);
    Frame();

    // The right button has its own machine; it never selects.
    PointAtElement();
    Right(true);
    Frame();
    EXPECT_EQ(ui->m_RightClickState, UI_STATE_BEGUN);
    EXPECT_EQ(ui->m_SelectState, UI_STATE_IDLE);
    Frame();
    Right(false);
    Frame();
    EXPECT_EQ(ui->m_RightClickState, UI_STATE_ENDED);
    Frame();
    EXPECT_EQ(ui->m_RightClickState, UI_STATE_IDLE);
}

TEST_F(UILogicTest, StickySelectionSurvivesPressesElsewhere)
{
    ui->m_IsSticky = true;
    PointAtElement();
    Left(true);
    Frame();
    Left(false);
    Frame();
    PointElsewhere();
    for (int i = 0; i < 3; ++i) {
        Left(true);
        Frame();
        Left(false);
        Frame();
    }
    EXPECT_EQ(ui->m_SelectState, UI_STATE_HOLDING);
    // A new press on it selects it afresh.
    PointAtElement();
    Left(true);
    Frame();
    EXPECT_EQ(ui->m_SelectState, UI_STATE_BEGUN);
}

TEST_F(UILogicTest, ButtonTextureFollowsTheMouseAndPlainElementsKeepTheirs)
{
    ui->m_TextureDefault = "btn_next";
    ui->m_TextureHover = "btn_nextHover";
    ui->m_TextureClicked = "btn_nextClicked";
    ui->m_CurrentTexture = "btn_next";

    // Not a button: the texture never changes with the mouse.
    PointAtElement();
    Left(true);
    Frame();
    EXPECT_EQ(gui->m_textureId, "btn_next");
    Left(false);
    Frame();
    Frame();

    ui->m_IsButton = 1;
    PointElsewhere();
    Frame();
    Frame();
    EXPECT_EQ(gui->m_textureId, "btn_next");
    PointAtElement();
    Left(true);
    Frame();  // pressed under the pointer: hover wins over clicked
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_BEGUN);
    EXPECT_EQ(gui->m_textureId, "btn_nextHover");
    Frame();
    EXPECT_EQ(gui->m_textureId, "btn_nextHover");
    PointElsewhere();
    Frame();  // the hover ends this frame and still shows
    EXPECT_EQ(ui->m_HoverState, UI_STATE_ENDED);
    EXPECT_EQ(gui->m_textureId, "btn_nextHover");
    Frame();
    EXPECT_EQ(gui->m_textureId, "btn_next");

    // An owner without a GUI component simply gets no texture.
    element.RemoveComponent(CT_GUI);
    PointAtElement();
    Frame();
    EXPECT_EQ(ui->m_CurrentTexture, "btn_nextHover");
}

TEST_F(UILogicTest, CodeDrivenElementFinishesWhatCodeBegins)
{
    ui->m_UseMouse = false;
    ui->m_TextureDefault = "explosionpowerselected";
    ui->m_TextureClicked = "explosionpoweractive";
    ui->m_CurrentTexture = "explosionpowerselected";
    ui->Init();
    EXPECT_EQ(gui->m_textureId, "explosionpowerselected");

    // The mouse does nothing to it.
    PointAtElement();
    Left(true);
    Frame();
    EXPECT_EQ(ui->m_SelectState, UI_STATE_IDLE);
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_IDLE);
    EXPECT_EQ(ui->m_HoverState, UI_STATE_IDLE);
    Left(false);

    ui->m_SelectState = UI_STATE_BEGUN;
    Frame();
    EXPECT_EQ(ui->m_SelectState, UI_STATE_HOLDING);
    EXPECT_EQ(gui->m_textureId, "explosionpoweractive");
    Frame();  // holding stays holding
    EXPECT_EQ(ui->m_SelectState, UI_STATE_HOLDING);
    EXPECT_EQ(gui->m_textureId, "explosionpoweractive");
    ui->m_SelectState = UI_STATE_ENDED;
    Frame();
    EXPECT_EQ(ui->m_SelectState, UI_STATE_IDLE);
    EXPECT_EQ(gui->m_textureId, "explosionpowerselected");
}

TEST_F(UILogicTest, PadAClicksAtTheMousePositionWhilePluggedIn)
{
    System* s = System::GetInstance();
    // The pointer is placed first: while pad 0 is plugged in mouse moves are ignored.
    PointAtElement();
    s->pad0 = new Controller(0);
    TestSupport::VirtualPad vpad;
    ASSERT_TRUE(vpad.Ok()) << SDL_GetError();
    auto padFrame = [&] {
        TestSupport::VirtualPad::Pump();
        s->pad0->TakeKeystroke();
        Frame();
    };

    vpad.Button(SDL_CONTROLLER_BUTTON_A, true);
    padFrame();
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_BEGUN);
    EXPECT_EQ(ui->m_SelectState, UI_STATE_BEGUN);
    EXPECT_EQ(InputManager::current[KEY_LBUTTON], 1);
    padFrame();  // held: no keystroke this frame
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_HOLDING);
    vpad.Button(SDL_CONTROLLER_BUTTON_A, false);
    padFrame();
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_ENDED);
    EXPECT_EQ(InputManager::current[KEY_LBUTTON], 0);
    padFrame();

    // Another button of the pad is not a click.
    vpad.Button(SDL_CONTROLLER_BUTTON_B, true);
    padFrame();
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_IDLE);
    vpad.Button(SDL_CONTROLLER_BUTTON_B, false);
    padFrame();

    // Unplugged, a press still held in the record is not replayed.
    vpad.Unplug();
    TestSupport::VirtualPad::Pump();
    s->pad0->m_keystroke.VirtualKey = Platform::VK_PAD_A;
    s->pad0->m_keystroke.Flags = Platform::XINPUT_KEYSTROKE_KEYDOWN;
    Frame();
    EXPECT_EQ(InputManager::current[KEY_LBUTTON], 0);
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_IDLE);
}

TEST_F(UILogicTest, ReadWarnsAboutEmptyButtonTexturesOnlyAfterIsButton)
{
    UILogicComponent first;
    std::string log = ReadLogged(first, "<Default></Default><Hover/><IsButton>1</IsButton>");
    EXPECT_EQ(log.find("data section is empty"), std::string::npos) << log;
    EXPECT_EQ(first.m_IsButton, 1);
    EXPECT_TRUE(first.m_TextureDefault.empty());

    UILogicComponent second;
    log = ReadLogged(second, "<IsButton>1</IsButton><Default></Default><Hover/><Clicked/>");
    EXPECT_EQ(TestSupport::Count(log, "TextureDefault for button data section is empty!"), 1u) << log;
    EXPECT_EQ(TestSupport::Count(log, "TextureHover for button data section is empty!"), 1u);
    EXPECT_EQ(TestSupport::Count(log, "TextureClicked for button data section is empty!"), 1u);

    // Empty name and IsButton warn and keep the values.
    UILogicComponent third;
    third.m_IsButton = 2;
    log = ReadLogged(third, "<UIName/><IsButton/><Unknown>x</Unknown>");
    EXPECT_EQ(TestSupport::Count(log, "Name data section is empty!"), 1u) << log;
    EXPECT_EQ(TestSupport::Count(log, "IsButton data section is empty!"), 1u);
    EXPECT_EQ(third.m_UIName, "name");
    EXPECT_EQ(third.m_IsButton, 2);

    // Every field by name; "Default" is also the texture shown.
    UILogicComponent full;
    log = ReadLogged(full, "<UIName>btnNextLevel</UIName><IsButton>1</IsButton><Default>btn_next</Default>"
                           "<Hover>btn_nextHover</Hover><Clicked>btn_nextDown</Clicked><UseMouse>false</UseMouse>");
    EXPECT_EQ(full.m_UIName, "btnNextLevel");
    EXPECT_EQ(full.GetTextureDefault(), "btn_next");
    EXPECT_EQ(full.m_CurrentTexture, "btn_next");
    EXPECT_EQ(full.GetTextureHover(), "btn_nextHover");
    EXPECT_EQ(full.GetTextureClicked(), "btn_nextDown");
    EXPECT_FALSE(full.m_UseMouse);
    // A non-number IsButton reads as 0; nothing at all reads nothing.
    ReadLogged(full, "<IsButton>yes</IsButton>");
    EXPECT_EQ(full.m_IsButton, 0);
    full.Read(nullptr);
    EXPECT_EQ(full.m_UIName, "btnNextLevel");
}

TEST_F(UILogicTest, WriteQueuesWhatDiffersFromTheMasterIsButtonIncluded)
{
    FileManager& files = *System::GetInstance()->fileManager;
    UILogicComponent master;
    master.m_UIName = "btnNextLevel";
    master.m_TextureDefault = "btn_next";
    master.m_TextureHover = "btn_nextHover";
    UILogicComponent copy;
    copy.CopyFrom(&master);
    ASSERT_TRUE(copy.IsEqual(&master));
    files.writeCommands.clear();
    copy.Write(&master);
    EXPECT_TRUE(Commands().empty());

    // States, label and the two values are not compared and never written.
    copy.m_SelectState = UI_STATE_HOLDING;
    copy.m_Label = "other";
    copy.m_Value1 = 3.0f;
    EXPECT_TRUE(copy.IsEqual(&master));
    copy.Write(&master);
    EXPECT_TRUE(Commands().empty());

    // A change of IsButton alone reaches the file.
    copy.m_IsButton = 1;
    EXPECT_FALSE(copy.IsEqual(&master));
    copy.Write(&master);
    EXPECT_EQ(Commands(), (std::vector<Cmd>{{"sibling", "Component"}, {"child", "Type"}, {"value", "CT_UILOGIC"},
                                            {"sibling", "IsButton"}, {"value", "1"}, {"return", ""}}));

    files.writeCommands.clear();
    copy.m_IsButton = 0;
    copy.m_UIName = "btnPreviousLevel";
    copy.m_TextureClicked = "btn_previousHover";
    copy.m_UseMouse = false;
    copy.Write(&master);
    EXPECT_EQ(Commands(),
              (std::vector<Cmd>{{"sibling", "Component"}, {"child", "Type"}, {"value", "CT_UILOGIC"},
                                {"sibling", "UIName"}, {"value", "btnPreviousLevel"}, {"sibling", "Clicked"},
                                {"value", "btn_previousHover"}, {"sibling", "UseMouse"}, {"value", "false"},
                                {"return", ""}}));

    // Another class or nothing as the master: no file entry, no crash.
    files.writeCommands.clear();
    copy.Write(nullptr);
    copy.Write(gui);
    EXPECT_TRUE(Commands().empty());
    EXPECT_TRUE(copy.IsEqual(nullptr));
    EXPECT_FALSE(copy.IsEqual(gui));
}

TEST_F(UILogicTest, CopyTakesStatesAndTheShownTexture)
{
    UILogicComponent source;
    source.m_UIName = "chkboxBGM";
    source.m_Label = "Music";
    source.m_Value1 = 1.5f;
    source.m_Value2 = -2.0f;
    source.m_HoverState = 2;
    source.m_SelectState = 1;
    source.m_LeftClickState = 3;
    source.m_RightClickState = 2;
    source.m_IsSticky = true;
    source.m_IsButton = 7;
    source.m_TextureDefault = "checked";
    source.m_TextureHover = "checkedHover";
    source.m_TextureClicked = "unchecked";
    source.m_CurrentTexture = "checkedHover";
    source.m_UseMouse = false;
    ui->CopyFrom(&source);
    EXPECT_EQ(ui->m_UIName, "chkboxBGM");
    EXPECT_EQ(ui->m_Label, "Music");
    EXPECT_FLOAT_EQ(ui->m_Value1, 1.5f);
    EXPECT_FLOAT_EQ(ui->m_Value2, -2.0f);
    EXPECT_EQ((States{ui->m_HoverState, ui->m_SelectState, ui->m_LeftClickState, ui->m_RightClickState}),
              (States{2, 1, 3, 2}));
    EXPECT_TRUE(ui->m_IsSticky);
    EXPECT_EQ(ui->m_IsButton, 7);
    EXPECT_EQ(ui->m_CurrentTexture, "checkedHover");
    EXPECT_FALSE(ui->m_UseMouse);
    // Init hands the copied texture to the GUI component.
    ui->Init();
    EXPECT_EQ(gui->m_textureId, "checkedHover");
    // Another class is ignored.
    ui->CopyFrom(gui);
    EXPECT_EQ(ui->m_UIName, "chkboxBGM");
}

} // namespace
