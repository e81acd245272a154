// The UI-logic component: hit test, mouse machines, code-driven elements,
// pad 0's A as the left button, and its file fields. A never-opened window
// gives the 800 x 600 client size.
#include <gtest/gtest.h>

#include <tinyxml2.h>

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
#include "game/flow/UILogicComponent.h"
#include "support/EngineFixture.h"
#include "support/VirtualPad.h"

using namespace QRX;

namespace {

using States = std::vector<int>;

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
        s->window = new Window();
        RegisterComponentFactories();
        gui = dynamic_cast<GUIComponent*>(element.AddComponentHelper(CT_GUI));
        ui = dynamic_cast<UILogicComponent*>(element.AddComponentHelper(CT_UILOGIC));
        element.position = glm::vec3(100.0f, 50.0f, -5.0f);
        element.scale = glm::vec3(200.0f, 40.0f, 1.0f);
    }
    void TearDown() override
    {
        InputManager::current[KEY_LBUTTON] = InputManager::previous[KEY_LBUTTON] = 0;
        element.DestroyComponents();
        TestSupport::ReleaseSystem();
        Platform::ShutdownPads();
    }
    // The pointer at a client pixel: over the element's centre, or far from it.
    static void Point(bool over)
    {
        const int x = over ? 500 : 10, y = over ? 250 : 10;
        System::GetInstance()->inputManager->OnMouseMove(x | (std::int64_t(y) << 16));
    }
    // One frame with the left button down or up; the samples then age.
    void Frame(bool left)
    {
        InputManager::current[KEY_LBUTTON] = left ? 1 : 0;
        ui->Update();
        InputManager::previous[KEY_LBUTTON] = InputManager::current[KEY_LBUTTON];
    }
    std::string Read(UILogicComponent& target, const std::string& xml)
    {
        tinyxml2::XMLDocument doc;
        doc.Parse(("<C>" + xml + "</C>").c_str());
        testing::internal::CaptureStdout();
        target.Read(doc.RootElement()->FirstChildElement());
        return testing::internal::GetCapturedStdout();
    }

    GameObject element;
    GUIComponent* gui = nullptr;
    UILogicComponent* ui = nullptr;
};

TEST_F(UILogicTest, HitTestCountsTheEdgesAndHalvesTheWindowInWholePixels)
{
    // At (100, 50), 200 x 40, in a 1024 x 768 window: x 0..200, y 30..70.
    EXPECT_TRUE(UILogicComponent::IsPointOver(712, 354, 1024, 768, 100, 50, 200, 40));
    EXPECT_FALSE(UILogicComponent::IsPointOver(713, 354, 1024, 768, 100, 50, 200, 40));
    EXPECT_TRUE(UILogicComponent::IsPointOver(512, 314, 1024, 768, 100, 50, 200, 40));
    EXPECT_FALSE(UILogicComponent::IsPointOver(512, 313, 1024, 768, 100, 50, 200, 40));
    // Width 1023: pixel 511 is x 0 (a float half would give -0.5).
    EXPECT_TRUE(UILogicComponent::IsPointOver(511, 354, 1023, 768, 100, 50, 200, 40));
    Point(true);
    EXPECT_TRUE(ui->IsMouseOver());
    delete System::GetInstance()->window;
    System::GetInstance()->window = nullptr;
    EXPECT_FALSE(ui->IsMouseOver());
}

TEST_F(UILogicTest, MachinesFollowPressHoldMoveAwayAndRelease)
{
    States click, select;
    Point(true);
    for (bool left : {true, true, true, false, false}) {
        if (click.size() == 2) Point(false);
        Frame(left);
        click.push_back(ui->m_LeftClickState);
        select.push_back(ui->m_SelectState);
    }
    EXPECT_EQ(click, (States{1, 2, 2, 3, 0}));
    EXPECT_EQ(select, (States{1, 2, 2, 2, 2}));
    // A press elsewhere ends a plain selection...
    Frame(true);
    EXPECT_EQ(ui->m_SelectState, UI_STATE_ENDED);
    Frame(false);
    EXPECT_EQ(ui->m_SelectState, UI_STATE_IDLE);
    // ...but not a sticky one.
    ui->m_IsSticky = true;
    ui->m_SelectState = UI_STATE_HOLDING;
    Frame(true);
    Frame(false);
    EXPECT_EQ(ui->m_SelectState, UI_STATE_HOLDING);

    // A button pressed under the pointer shows Hover, and Default once it has left.
    ui->m_IsButton = 1;
    ui->m_TextureDefault = "btn_next";
    ui->m_TextureHover = "btn_nextHover";
    ui->m_TextureClicked = "btn_nextDown";
    Point(true);
    Frame(true);
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_BEGUN);
    EXPECT_EQ(gui->m_textureId, "btn_nextHover");
    Frame(true);
    Point(false);
    Frame(false);
    EXPECT_EQ(gui->m_textureId, "btn_nextHover");  // the hover ends this frame
    Frame(false);
    EXPECT_EQ(gui->m_textureId, "btn_next");

    // Driven by code: selection 1 shows Clicked from the next update, 3 Default.
    ui->m_UseMouse = false;
    Point(true);
    Frame(true);
    EXPECT_EQ((States{ui->m_HoverState, ui->m_LeftClickState}), (States{0, 0}));
    ui->m_SelectState = UI_STATE_BEGUN;
    Frame(false);
    EXPECT_EQ(ui->m_SelectState, UI_STATE_HOLDING);
    EXPECT_EQ(gui->m_textureId, "btn_nextDown");
    ui->m_SelectState = UI_STATE_ENDED;
    Frame(false);
    EXPECT_EQ(ui->m_SelectState, UI_STATE_IDLE);
    EXPECT_EQ(gui->m_textureId, "btn_next");
}

TEST_F(UILogicTest, PadAClicksAtTheMousePosition)
{
    System* s = System::GetInstance();
    Point(true);  // while pad 0 is plugged in, mouse moves are ignored
    s->pad0 = new Controller(0);
    TestSupport::VirtualPad pad;
    ASSERT_TRUE(pad.Ok());
    auto padFrame = [&](bool down) {
        pad.Button(SDL_CONTROLLER_BUTTON_A, down);
        TestSupport::VirtualPad::Pump();
        s->pad0->TakeKeystroke();
        ui->Update();
        InputManager::previous[KEY_LBUTTON] = InputManager::current[KEY_LBUTTON];
        return ui->m_LeftClickState;
    };
    EXPECT_EQ((States{padFrame(true), padFrame(true), padFrame(false), padFrame(false)}), (States{1, 2, 3, 0}));
    // Unplugged, a press left in the record is not replayed.
    pad.Unplug();
    TestSupport::VirtualPad::Pump();
    s->pad0->m_keystroke.VirtualKey = Platform::VK_PAD_A;
    s->pad0->m_keystroke.Flags = Platform::XINPUT_KEYSTROKE_KEYDOWN;
    ui->Update();
    EXPECT_EQ(ui->m_LeftClickState, UI_STATE_IDLE);
}

TEST_F(UILogicTest, FilesWarnAfterIsButtonAndWriteAChangeOfIsButton)
{
    UILogicComponent before, after, master;
    EXPECT_EQ(Read(before, "<Default></Default><IsButton>1</IsButton>").find("empty"), std::string::npos);
    EXPECT_NE(Read(after, "<IsButton>1</IsButton><Default></Default>")
                  .find("TextureDefault for button data section is empty!"),
              std::string::npos);
    // A cleared name or texture is written as an empty element: it reads back empty, not as the master's.
    EXPECT_NE(Read(after, "<Hover>h</Hover><UIName/><Hover/>").find("Name data section is empty!"), std::string::npos);
    EXPECT_EQ(after.m_UIName, "");
    EXPECT_EQ(after.m_TextureHover, "");
    Read(master, "<UIName>btnNextLevel</UIName><Default>btn_next</Default><UseMouse>false</UseMouse>");
    EXPECT_EQ(master.m_CurrentTexture, "btn_next");
    EXPECT_FALSE(master.m_UseMouse);

    FileManager& files = *System::GetInstance()->fileManager;
    UILogicComponent copy;
    copy.CopyFrom(&master);
    copy.m_SelectState = UI_STATE_HOLDING;  // states are never written
    copy.Write(&master);
    EXPECT_TRUE(files.writeCommands.empty());
    copy.m_IsButton = 1;
    copy.Write(&master);
    std::vector<std::string> written;
    for (const auto& c : files.writeCommands) written.push_back(c.first == "return" ? c.first : c.first + " " + c.second);
    EXPECT_EQ(written, (std::vector<std::string>{"sibling Component", "child Type", "value CT_UILOGIC",
                                                 "sibling IsButton", "value 1", "return"}));
}

} // namespace
