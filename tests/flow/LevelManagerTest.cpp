#include <gtest/gtest.h>

#include <sys/stat.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/platform/FileSearch.h"
#include "game/flow/LevelManager.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

const char* const LEVEL_TEXT =
    "<level><Map><Height>2</Height><Row>10</Row><Column>8</Column></Map>"
    "<Object><Type>CUBE</Type></Object></level>";

class LevelManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = TestSupport::MakeTempDir("zendra-levels");
        System* system = System::GetInstance();
        system->logger = new Logger();
        system->fileManager = new FileManager();
    }
    void TearDown() override
    {
        System* system = System::GetInstance();
        delete system->fileManager;
        system->fileManager = nullptr;
        delete system->logger;
        system->logger = nullptr;
        System::DestroyInstance();
        TestSupport::RemoveTree(m_dir);
    }
    void Write(const std::string& name, const std::string& text = LEVEL_TEXT)
    {
        ASSERT_TRUE(TestSupport::WriteFile(m_dir + "/" + name, text)) << name;
    }
    void Folder(const std::string& name) { ::mkdir((m_dir + "/" + name).c_str(), 0755); }

    TestSupport::ScopedTempHome m_home;
    std::string m_dir;
};

TEST_F(LevelManagerTest, ScanListsLevelsAndSubFolderFilesInCaseInsensitiveOrder)
{
    Write("Zeta.xml");
    Write("one.xml");
    Write("notes.txt", "text");
    Folder("menus");
    Write("menus/b.xml");
    Write("menus/A.xml");
    Write("menus/readme.txt", "text");
    Folder("empty");  // sorts before the levels that follow it
    LevelManager levels;
    testing::internal::CaptureStdout();
    levels.LoadLevelPaths(m_dir);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(levels.GetLevelFiles(),
              (std::vector<std::string>{"menus\\A.xml", "menus\\b.xml", "one.xml", "Zeta.xml"}));
    EXPECT_NE(out.find("WARNING - LevelManager - No files found in level directory"), std::string::npos);
    EXPECT_TRUE(levels.IsLevelFileFound("menus\\A.xml"));
    EXPECT_FALSE(levels.IsLevelFileFound("menus/A.xml"));
    EXPECT_FALSE(levels.IsLevelFileFound("ONE.xml"));
}

TEST_F(LevelManagerTest, NamesEndingInBlanksAreFoundAsTheFileSystemOpensThem)
{
    Write("Twister.xml");
    LevelManager levels;
    levels.LoadLevelPaths(m_dir);
    EXPECT_TRUE(levels.IsLevelFileFound("Twister.xml "));  // as the level table writes it
    EXPECT_FALSE(levels.IsLevelFileFound(" Twister.xml"));
    EXPECT_FALSE(levels.IsLevelFileFound("   "));
}

TEST_F(LevelManagerTest, MissingFolderKeepsTheEarlierList)
{
    Write("a.xml");
    LevelManager levels;
    EXPECT_FALSE(levels.IsLevelFileFound("a.xml"));  // empty list
    levels.LoadLevelPaths(m_dir);
    ASSERT_EQ(levels.GetLevelFiles().size(), 1u);
    testing::internal::CaptureStdout();
    levels.LoadLevelPaths(m_dir + "/nowhere");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("LevelManager - No files found in level directory"), std::string::npos);
    EXPECT_EQ(levels.GetLevelFiles(), (std::vector<std::string>{"a.xml"}));
}

TEST_F(LevelManagerTest, ScanTakesWindowsStyleFolderPaths)
{
    Folder("levels");
    Write("levels/x.xml");
    LevelManager levels;
    levels.LoadLevelPaths(m_dir + "\\LEVELS");
    EXPECT_EQ(levels.GetLevelFiles(), (std::vector<std::string>{"x.xml"}));
}

TEST_F(LevelManagerTest, FileOfARowWithATrailingBlankOpensButNamesCompareExactly)
{
    Write("Twister.xml");
    LevelManager levels;
    EXPECT_TRUE(levels.CanOpenLevelFile(m_dir + "/" + levels.GetLevelFileName(7)));
    EXPECT_TRUE(levels.CanOpenLevelFile(m_dir + "/Twister.xml"));
    unsigned rows = 0, columns = 0, height = 0;
    System::GetInstance()->fileManager->ReadMap(rows, columns, height);
    EXPECT_EQ(rows, 10u);
    EXPECT_EQ(columns, 8u);
    EXPECT_EQ(height, 2u);
    EXPECT_EQ(levels.GetLevelFileName(7), "Twister.xml ");
    EXPECT_EQ(levels.GetLevelStateId("Twister.xml"), 0);
    EXPECT_EQ(levels.GetLevelStateId("Twister.xml "), 7);
    EXPECT_EQ(levels.GetLevelStateId("twister.xml "), 0);
    EXPECT_EQ(levels.GetLevelFileName(35), "");
}

TEST_F(LevelManagerTest, FilesThatAreNotLevelsDoNotOpen)
{
    Write("config.xml", "<config><display><width>800</width></display></config>");
    LevelManager levels;
    testing::internal::CaptureStdout();
    EXPECT_FALSE(levels.CanOpenLevelFile(m_dir + "/missing.xml"));
    EXPECT_FALSE(levels.CanOpenLevelFile(m_dir + "/config.xml"));
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("config.xml, it is not a level file"), std::string::npos);
}

TEST_F(LevelManagerTest, InitializeMakesAnEmptyMap)
{
    LevelManager levels;
    ASSERT_TRUE(levels.Initialize());
    ASSERT_NE(levels.GetMap(), nullptr);
    levels.SetCurrentLevelIndex(99);
    EXPECT_EQ(levels.GetCurrentLevelIndex(), 0);
    levels.GoToNextLevel();  // no owner: nothing to request
}

TEST(FileSearch, PatternsMatchLikeTheWindowsSearch)
{
    EXPECT_TRUE(Platform::MatchesPattern("menus", "*.*"));
    EXPECT_TRUE(Platform::MatchesPattern("a.XML", "*.xml"));
    EXPECT_FALSE(Platform::MatchesPattern("a.xml.bak", "*.xml"));
    EXPECT_TRUE(Platform::MatchesPattern("a.b.xml", "*.xml"));
    EXPECT_TRUE(Platform::MatchesPattern("level7.xml", "level?.xml"));
    EXPECT_FALSE(Platform::MatchesPattern("xml", "*.xml"));
}

TEST(FileSearch, AMissingFolderAndAnEmptySearchAreToldApart)
{
    const std::string dir = TestSupport::MakeTempDir("zendra-search");
    std::vector<std::string> names{"stale"};
    EXPECT_EQ(Platform::SearchFolder(dir + "/absent", "*.png", names), Platform::SearchResult::NoFolder);
    EXPECT_TRUE(names.empty());
    ASSERT_TRUE(TestSupport::WriteFile(dir + "/notes.txt", "x"));
    EXPECT_EQ(Platform::SearchFolder(dir + "/notes.txt/inner", "*.png", names), Platform::SearchResult::NoFolder);
    EXPECT_EQ(Platform::SearchFolder(dir, "*.png", names), Platform::SearchResult::NoMatch);
    ASSERT_TRUE(TestSupport::WriteFile(dir + "/Shot_1.PNG", "x"));
    EXPECT_EQ(Platform::SearchFolder(dir, "*.png", names), Platform::SearchResult::Found);
    EXPECT_EQ(names, std::vector<std::string>{"Shot_1.PNG"});
    TestSupport::RemoveTree(dir);
}

} // namespace
