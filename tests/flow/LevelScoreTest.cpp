// The level score: its three grade times by name, its master and its hiding
// in play.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <algorithm>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "game/flow/LevelScore.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

class LevelScoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        s->objectManager = new ObjectManager();
        RegisterComponentFactories();
        master = s->objectManager->LoadObject(TestSupport::SourceDir() + "/data/objects/LEVELSCORE.xml");
        ASSERT_NE(master, nullptr);
    }
    void TearDown() override { TestSupport::ReleaseSystem(); }
    static LevelScore* Score(GameObject* o) { return dynamic_cast<LevelScore*>(o->GetComponent(CT_LEVELSCORE)); }
    static std::vector<std::string> Written()
    {
        std::vector<std::string> out;
        for (const auto& c : System::GetInstance()->fileManager->writeCommands)
            if (c.first != "return") out.push_back(c.second);
        return out;
    }

    GameObject* master = nullptr;
};

TEST_F(LevelScoreTest, TimesAreReadAndWrittenByName)
{
    GameObject* score = System::GetInstance()->objectManager->CreateInstance(LEVELSCORE, glm::vec3(0.0f));
    ASSERT_NE(score, nullptr);
    LevelScore* times = Score(score);
    ASSERT_NE(times, nullptr);
    EXPECT_EQ(times->gradeATime + times->gradeBTime + times->gradeCTime, 0u);

    // Any order; an element of another name, or without text, changes nothing.
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<Component><GradeCTime>120</GradeCTime><GradeATime>45</GradeATime><Grade>9</Grade>"
                        "<GradeBTime/><GradeBTime>80</GradeBTime></Component>"),
              tinyxml2::XML_SUCCESS);
    times->Read(doc.RootElement()->FirstChildElement());
    EXPECT_EQ(times->gradeATime, 45u);
    EXPECT_EQ(times->gradeBTime, 80u);
    EXPECT_EQ(times->gradeCTime, 120u);

    FileManager* fm = System::GetInstance()->fileManager;
    fm->writeCommands.clear();
    score->Write();
    const std::vector<std::string> written = Written();
    const std::vector<std::string> component{"Component", "Type",       "CT_LEVELSCORE", "GradeATime", "45",
                                             "GradeBTime", "80",        "GradeCTime",    "120"};
    EXPECT_NE(std::search(written.begin(), written.end(), component.begin(), component.end()), written.end());

    // Only what differs from the master is written.
    fm->writeCommands.clear();
    times->gradeATime = 0;
    times->gradeCTime = 0;
    times->Write(Score(master));
    EXPECT_EQ(Written(), (std::vector<std::string>{"Component", "Type", "CT_LEVELSCORE", "GradeBTime", "80"}));
    times->CopyFrom(Score(master));
    EXPECT_TRUE(times->IsEqual(Score(master)));
    fm->writeCommands.clear();
    times->Write(Score(master));
    EXPECT_TRUE(fm->writeCommands.empty());
}

TEST_F(LevelScoreTest, MarkerIsHiddenInPlay)
{
    EXPECT_NE(master->GetComponent(CT_GRAPHICS), nullptr);
    EXPECT_FALSE(master->flags & OBJ_SKIP_DRAW);
    GameObject* score = System::GetInstance()->objectManager->CreateInstance(LEVELSCORE, glm::vec3(1.0f));
    ASSERT_NE(score, nullptr);
    const std::uint32_t before = score->flags;
    score->InitComponents();
    EXPECT_EQ(score->flags, before | OBJ_SKIP_DRAW);
    LevelScore loose;
    loose.Init();  // no owner: nothing to hide
}

} // namespace
