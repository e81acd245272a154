// The waving robot: its frame swaps by capped frame time, its master, and the
// loading screen's robot.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "flow/StateTestKit.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/LoadingLevel.h"
#include "game/flow/MenuRobotAnimation.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

class MenuRobotTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        s->objectManager = new ObjectManager();
        s->frameRateController = new FrameRateController();
        RegisterComponentFactories();
        gui = dynamic_cast<GUIComponent*>(robot.AddComponentHelper(CT_GUI));
        animation = dynamic_cast<MenuRobotAnimation*>(robot.AddComponentHelper(CT_MENUROBOTANIMATION));
        ASSERT_NE(gui, nullptr);
        ASSERT_NE(animation, nullptr);
    }
    void TearDown() override
    {
        robot.DestroyComponents();
        TestSupport::ReleaseSystem();
    }
    static void SetFrame(double seconds) { System::GetInstance()->frameRateController->dt = seconds; }
    // The update on which the frame first changes, or 0 within the limit.
    int UpdatesUntilSwap(int limit = 100)
    {
        const std::string before = gui->m_textureId;
        for (int update = 1; update <= limit; ++update) {
            robot.UpdateComponents();
            if (gui->m_textureId != before) return update;
        }
        return 0;
    }

    GameObject robot;
    GUIComponent* gui = nullptr;
    MenuRobotAnimation* animation = nullptr;
};

TEST_F(MenuRobotTest, SwapsOnlyOnceTheTimerIsAboveTheSwapTime)
{
    gui->m_textureId = "white";
    robot.InitComponents();
    EXPECT_EQ(gui->m_textureId, "robot_00");

    // Eight thirty-second frames make exactly 0.25: not above it yet.
    animation->m_SwapTime = 0.25f;
    SetFrame(1.0 / 32.0);
    EXPECT_EQ(UpdatesUntilSwap(), 9);
    EXPECT_EQ(gui->m_textureId, "robot_01");
    EXPECT_FLOAT_EQ(animation->m_Timer, 0.0f);
    EXPECT_EQ(UpdatesUntilSwap(), 9);
    EXPECT_EQ(gui->m_textureId, "robot_00");

    // A half-second frame counts as 0.05: 0.1 is the first sum above 0.0625.
    animation->m_SwapTime = 0.0625f;
    SetFrame(0.5);
    EXPECT_EQ(UpdatesUntilSwap(), 2);
    // A frame time that is not a number or negative adds nothing.
    SetFrame(-1.0);
    EXPECT_EQ(UpdatesUntilSwap(10), 0);

    // Any other picture swaps to the first frame.
    SetFrame(1.0 / 32.0);
    gui->m_textureId = "star";
    EXPECT_EQ(UpdatesUntilSwap(), 3);
    EXPECT_EQ(gui->m_textureId, "robot_00");
}

TEST_F(MenuRobotTest, KeepsTimeWithoutAPictureOrAnOwner)
{
    robot.RemoveComponent(CT_GUI);
    animation->m_SwapTime = 0.05f;
    SetFrame(1.0 / 32.0);
    animation->Init();
    robot.UpdateComponents();
    robot.UpdateComponents();  // above the swap time: the timer starts again
    EXPECT_FLOAT_EQ(animation->m_Timer, 0.0f);

    MenuRobotAnimation loose;
    loose.Init();
    loose.Update();
    EXPECT_FLOAT_EQ(loose.m_Timer, 1.0f / 32.0f);
}

TEST_F(MenuRobotTest, MasterWavesEveryFourTenthsAndWritesItsSwapTimeByName)
{
    ObjectManager* objects = System::GetInstance()->objectManager;
    GameObject* master = objects->LoadObject(TestSupport::SourceDir() + "/data/objects/MENUROBOTANIMATION.xml");
    ASSERT_NE(master, nullptr);
    auto* masterAnimation = dynamic_cast<MenuRobotAnimation*>(master->GetComponent(CT_MENUROBOTANIMATION));
    ASSERT_NE(masterAnimation, nullptr);
    EXPECT_FLOAT_EQ(masterAnimation->m_SwapTime, 0.4f);
    EXPECT_EQ(dynamic_cast<GUIComponent*>(master->GetComponent(CT_GUI))->m_textureId, "robot_00");

    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<Component><SwapTime>0.25</SwapTime></Component>"), tinyxml2::XML_SUCCESS);
    animation->Read(doc.RootElement()->FirstChildElement());
    EXPECT_FLOAT_EQ(animation->m_SwapTime, 0.25f);
    FileManager* fm = System::GetInstance()->fileManager;
    fm->writeCommands.clear();
    animation->Write(masterAnimation);
    std::vector<std::string> written;
    for (const auto& c : fm->writeCommands)
        if (c.first != "return") written.push_back(c.second);
    EXPECT_EQ(written, (std::vector<std::string>{"Component", "Type", "CT_MENUROBOTANIMATION", "SwapTime", "0.25"}));
    animation->CopyFrom(masterAnimation);
    EXPECT_TRUE(animation->IsEqual(masterAnimation));
}

class MenuRobotLoadingScreenTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        StateTest::SetUp();
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::LoadingLevel, &loading);
        ASSERT_TRUE(gsm.Initialize());
    }

    BaseLevel level;
    LoadingLevel loading;
};

TEST_F(MenuRobotLoadingScreenTest, MenuRobotWavesOnTheLoadingScreen)
{
    Go(STATE_LOADING);
    GameObject* robot = nullptr;
    for (GameObject* o : System::GetInstance()->objectManager->GetAllObjects())
        if (o->stateId == STATE_LOADING && o->type == MENUROBOTANIMATION) robot = o;
    ASSERT_NE(robot, nullptr);
    EXPECT_EQ(robot->position, glm::vec3(352.0f, -224.0f, -20.0f));
    auto* gui = dynamic_cast<GUIComponent*>(robot->GetComponent(CT_GUI));
    ASSERT_NE(gui, nullptr);
    EXPECT_EQ(gui->m_textureId, "robot_00");
    // 0.4 s of thirty-second frames: 13 updates are the first above it.
    std::vector<std::string> frames;
    for (int update = 0; update < 26; ++update) {
        Frame(1.0 / 32.0);
        frames.push_back(gui->m_textureId);
    }
    EXPECT_EQ(frames[11], "robot_00");
    EXPECT_EQ(frames[12], "robot_01");
    EXPECT_EQ(frames[24], "robot_01");
    EXPECT_EQ(frames[25], "robot_00");
}

} // namespace
