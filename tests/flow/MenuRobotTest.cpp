// The waving robot (its frame swaps by capped frame time, on the loading
// screen too) and the level score's times by name.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include "engine/graphics/GUIComponent.h"
#include "flow/StateTestKit.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/LevelScore.h"
#include "game/flow/LoadingLevel.h"
#include "game/flow/MenuRobotAnimation.h"

using namespace QRX;

namespace {

class MenuRobotTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        StateTest::SetUp();
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::LoadingLevel, &loading);
        ASSERT_TRUE(gsm.Initialize());
    }
    // The update on which the object's picture first changes (0: none within the limit).
    static int UpdatesUntilSwap(GameObject* robot, double frameTime, int limit = 50)
    {
        System::GetInstance()->frameRateController->dt = frameTime;
        auto* gui = dynamic_cast<GUIComponent*>(robot->GetComponent(CT_GUI));
        const std::string before = gui->m_textureId;
        for (int update = 1; update <= limit; ++update) {
            robot->UpdateComponents();
            if (gui->m_textureId != before) return update;
        }
        return 0;
    }

    BaseLevel level;
    LoadingLevel loading;
};

TEST_F(MenuRobotTest, SwapsOnceTheCappedTimeIsAboveTheSwapTime)
{
    GameObject* robot = System::GetInstance()->objectManager->CreateInstance(MENUROBOTANIMATION, glm::vec3(0));
    ASSERT_NE(robot, nullptr);
    auto* animation = dynamic_cast<MenuRobotAnimation*>(robot->GetComponent(CT_MENUROBOTANIMATION));
    auto* gui = dynamic_cast<GUIComponent*>(robot->GetComponent(CT_GUI));
    EXPECT_FLOAT_EQ(animation->m_SwapTime, 0.4f);
    gui->m_textureId = "star";
    robot->InitComponents();
    EXPECT_EQ(gui->m_textureId, "robot_00");

    animation->m_SwapTime = 0.25f;  // eight thirty-second frames make exactly 0.25
    EXPECT_EQ(UpdatesUntilSwap(robot, 1.0 / 32.0), 9);
    EXPECT_EQ(gui->m_textureId, "robot_01");
    animation->m_SwapTime = 0.0625f;  // a half-second frame counts as 0.05
    EXPECT_EQ(UpdatesUntilSwap(robot, 0.5), 2);
    EXPECT_EQ(gui->m_textureId, "robot_00");
    robot->RemoveComponent(CT_GUI);
    robot->UpdateComponents();  // no picture to swap: nothing happens
}

TEST_F(MenuRobotTest, LoadingScreenRobotWaves)
{
    Go(STATE_LOADING);
    const GameObjectGroup robots = System::GetInstance()->objectManager->GetActiveObjectsOfType(MENUROBOTANIMATION);
    ASSERT_EQ(robots.size(), 1u);
    EXPECT_EQ(dynamic_cast<GUIComponent*>(robots[0]->GetComponent(CT_GUI))->m_textureId, "robot_00");
    std::string frames;
    for (int frame = 0; frame < 26; ++frame) {
        Frame(1.0 / 32.0);
        frames += dynamic_cast<GUIComponent*>(robots[0]->GetComponent(CT_GUI))->m_textureId.back();
    }
    EXPECT_EQ(frames, "00000000000011111111111110");
}

TEST_F(MenuRobotTest, LevelScoreTimesAreReadAndWrittenByName)
{
    GameObject* score = System::GetInstance()->objectManager->CreateInstance(LEVELSCORE, glm::vec3(0));
    ASSERT_NE(score, nullptr);
    auto* times = dynamic_cast<LevelScore*>(score->GetComponent(CT_LEVELSCORE));
    tinyxml2::XMLDocument doc;
    doc.Parse("<C><GradeCTime>120</GradeCTime><GradeATime>45</GradeATime><GradeBTime>80</GradeBTime></C>");
    times->Read(doc.RootElement()->FirstChildElement());
    EXPECT_EQ((std::vector<unsigned>{times->gradeATime, times->gradeBTime, times->gradeCTime}),
              (std::vector<unsigned>{45, 80, 120}));
    times->gradeCTime = 0;  // as the master's
    FileManager* files = System::GetInstance()->fileManager;
    times->Write(System::GetInstance()->objectManager->FindMasterObject(LEVELSCORE)->GetComponent(CT_LEVELSCORE));
    std::string written;
    for (const auto& c : files->writeCommands) written += c.first == "return" ? "/" : c.second + " ";
    EXPECT_EQ(written, "Component Type CT_LEVELSCORE GradeATime 45 GradeBTime 80 /");
    score->InitComponents();
    EXPECT_TRUE(score->flags & OBJ_SKIP_DRAW);
}

} // namespace
