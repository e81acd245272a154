// The profile manager against a private documents folder: the first start,
// what players and older builds wrote, the changes and the file each leaves,
// and saves that must not cost the previous file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "game/flow/ProfileManager.h"
#include "support/EngineFixture.h"

using namespace QRX;
using Names = std::vector<std::string>;

namespace {

const char* const ISSUE_LINE = "[LOG] ERROR - Issue reading from profiles.xml! Defaulting to Guest profile.\n";
const char* const ANN_AND_BOB = "<Profiles><lastUsed>Bob</lastUsed>"
                                "<Profile><Name>Ann</Name><LevelsCompleted>3</LevelsCompleted></Profile>"
                                "<Profile><Name>Bob</Name><LevelsCompleted>7</LevelsCompleted></Profile></Profiles>";

bool Exists(const std::string& path) { return ::access(path.c_str(), F_OK) == 0; }

// A saved file as "lastUsed|Name=LevelsCompleted|...", or "unreadable".
std::string Saved(const std::string& path)
{
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLElement* root = nullptr;
    if (document.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS || !(root = document.RootElement()) ||
        std::string(root->Name()) != "Profiles")
        return "unreadable";
    std::string text;
    for (const tinyxml2::XMLElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const char* name = e->FirstChildElement("Name") ? e->FirstChildElement("Name")->GetText() : nullptr;
        const char* count = e->FirstChildElement("LevelsCompleted") ? e->FirstChildElement("LevelsCompleted")->GetText() : nullptr;
        if (std::string(e->Name()) == "lastUsed") text += e->GetText() ? e->GetText() : "";
        else text += std::string("|") + (name ? name : "?") + "=" + (count ? count : "?");
    }
    return text;
}

class ProfileManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System::GetInstance()->logger = new Logger();
        System::GetInstance()->fileManager = new FileManager();
        Logger::SetDialogAvailableOverride(0);
        m_path = ProfileManager::GetProfilePath();
    }
    void TearDown() override
    {
        Logger::SetDialogAvailableOverride(-1);
        TestSupport::ReleaseSystem();
    }
    // A new manager over the file (none when null); its log goes to `log`.
    std::unique_ptr<ProfileManager> Start(const char* file, std::string* log = nullptr)
    {
        if (file) {
            EXPECT_TRUE(TestSupport::WriteFile(m_path, file));
        }
        testing::internal::CaptureStdout();
        auto manager = std::make_unique<ProfileManager>();
        std::string out = testing::internal::GetCapturedStdout();
        if (log) *log = out;
        return manager;
    }
    std::string Current(const ProfileManager& m) { return m.GetCurrentProfile()->name; }

    TestSupport::ScopedTempHome m_home;
    std::string m_path;
};

TEST_F(ProfileManagerTest, FirstStartRunsAsGuestAndWritesOnlyOnCreation)
{
    EXPECT_EQ(m_path, m_home.GameFolder() + "/profiles.xml");
    std::string log;
    auto manager = Start(nullptr, &log);
    EXPECT_EQ(TestSupport::Count(log, ISSUE_LINE), 1u) << log;
    EXPECT_LT(log.find("xml file does not exist"), log.find(ISSUE_LINE));
    EXPECT_EQ(manager->GetProfileNames(), Names{"Guest"});
    EXPECT_EQ(Current(*manager), "Guest");
    EXPECT_FALSE(Exists(m_path));

    // Creating does not select.
    EXPECT_TRUE(manager->CreateProfile("Ann"));
    EXPECT_EQ(Current(*manager), "Guest");
    EXPECT_EQ(Saved(m_path), "Guest|Ann=0");
    EXPECT_FALSE(Exists(m_path + ".bak"));  // a missing file is nothing to keep

    const std::string before = TestSupport::ReadFile(m_path);
    EXPECT_FALSE(manager->CreateProfile("Ann"));
    EXPECT_FALSE(manager->CreateProfile("Guest"));
    EXPECT_EQ(TestSupport::ReadFile(m_path), before);
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann"}));

    // The game folders are made when missing.
    const std::string docs = m_home.Path() + "/elsewhere";
    ASSERT_EQ(::setenv("XDG_DOCUMENTS_DIR", docs.c_str(), 1), 0);
    EXPECT_TRUE(Start(nullptr)->CreateProfile("Cy"));
    EXPECT_EQ(Saved(docs + "/Orvanta/Zendra/profiles.xml"), "Guest|Cy=0");
}

TEST_F(ProfileManagerTest, LoadingTakesWhatTheFileHolds)
{
    std::string log;
    auto manager = Start("<Profiles><lastUsed>Bob</lastUsed>"
                         "<Profile><Name>Ann</Name><LevelsCompleted>3</LevelsCompleted></Profile><Note>x</Note>"
                         "<Profile><LevelsCompleted>7abc</LevelsCompleted><Name>Bob</Name><Extra/></Profile>"
                         "<Profile><Name/><LevelsCompleted>x</LevelsCompleted></Profile><Profile/></Profiles>",
                         &log);
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann", "Bob", "DefaultPlayer", "DefaultPlayer"}));
    EXPECT_EQ(manager->GetCurrentProfile(), manager->GetProfiles()[2].get());
    EXPECT_EQ(manager->GetCurrentProfile()->levelsCompleted, 7);
    EXPECT_EQ(manager->GetProfiles()[3]->levelsCompleted, 0);

    struct Case
    {
        const char* file;
        Names names;
    };
    const Case cases[] = {
        {"<Profiles><lastUsed>Zed</lastUsed><Profile><Name>Ann</Name></Profile></Profiles>", {"Guest", "Ann"}},
        {"<Profiles><lastUsed/><Profile><Name>Ann</Name></Profile></Profiles>", {"Guest", "Ann"}},
        {"<Profiles>\n</Profiles>", {"Guest"}},
        // Written without "lastUsed": the first entry is a profile, not a name.
        {"<Profiles><Profile><Name>Ann</Name><LevelsCompleted>2</LevelsCompleted></Profile>"
         "<Profile><Name>Cy</Name></Profile></Profiles>",
         {"Guest", "Ann", "Cy"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto loaded = Start(c.file, &log);
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        EXPECT_EQ(loaded->GetProfileNames(), c.names);
        EXPECT_EQ(loaded->GetCurrentProfile(), loaded->GetProfiles()[0].get());
    }
    // ... and it survives the next save.
    EXPECT_TRUE(Start(cases[3].file)->CreateProfile("Dee"));
    EXPECT_EQ(Saved(m_path), "Guest|Ann=2|Cy=0|Dee=0");
}

TEST_F(ProfileManagerTest, ChangesRewriteTheFileOrNothing)
{
    auto manager = Start(ANN_AND_BOB);
    const std::string original = TestSupport::ReadFile(m_path);

    std::string name = "Zed";
    EXPECT_FALSE(manager->SelectProfile(name));
    EXPECT_EQ(name, "Guest");
    EXPECT_EQ(Current(*manager), "Guest");
    EXPECT_EQ(TestSupport::ReadFile(m_path), original);

    name = "Bob";
    EXPECT_TRUE(manager->SelectProfile(name));
    manager->DeleteProfile("Bob");
    EXPECT_EQ(manager->GetCurrentProfile(), manager->GetProfiles()[0].get());
    EXPECT_EQ(Saved(m_path), "Guest|Ann=3");

    const std::string afterDelete = TestSupport::ReadFile(m_path);
    testing::internal::CaptureStdout();
    manager->DeleteProfile("Nobody");
    manager->DeleteProfile("Guest");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(log, "[LOG] ERROR -  Problem deleting a profile\n"), 1u) << log;
    EXPECT_EQ(TestSupport::Count(log, "[LOG] ERROR - The Guest profile cannot be deleted.\n"), 1u) << log;
    EXPECT_EQ(TestSupport::ReadFile(m_path), afterDelete);
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann"}));

    // A blank name would come back as "DefaultPlayer", away from its
    // "lastUsed": it is no profile.
    testing::internal::CaptureStdout();
    EXPECT_FALSE(manager->CreateProfile(""));
    EXPECT_FALSE(manager->CreateProfile("   "));
    EXPECT_EQ(TestSupport::Count(testing::internal::GetCapturedStdout(),
                                 "[LOG] WARNING - A profile needs a name that is not blank; none created.\n"),
              2u);
    EXPECT_EQ(TestSupport::ReadFile(m_path), afterDelete);
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann"}));

    // "Guest" is still live; progress is saved by the caller's save.
    manager->GetCurrentProfile()->levelsCompleted += 1;
    name = "Ann";
    EXPECT_TRUE(manager->SelectProfile(name));
    manager->GetCurrentProfile()->levelsCompleted += 1;
    EXPECT_TRUE(manager->SaveProfiles());
    EXPECT_EQ(Saved(m_path), "Ann|Ann=4");
}

TEST_F(ProfileManagerTest, RoundTripKeepsNamesCountsAndCurrentButNeverGuest)
{
    const std::string odd = "Zo\xc3\xab & <Co> \"x\"";
    {
        // A hand-written "Guest" profile loads, but is never written back.
        auto manager = Start("<Profiles><Profile><Name>Guest</Name><LevelsCompleted>5</LevelsCompleted></Profile>"
                             "</Profiles>");
        EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Guest"}));
        for (const std::string& name : {std::string("Ann"), odd}) EXPECT_TRUE(manager->CreateProfile(name));
        std::string name = odd;
        ASSERT_TRUE(manager->SelectProfile(name));
        Profile* current = manager->GetCurrentProfile();
        current->levelsCompleted = -2;
        current->lastLevelTime = 42;
        current->grade = 'A';
        current->winner = 1;
        ASSERT_TRUE(manager->SaveProfiles());
    }
    EXPECT_EQ(Saved(m_path), odd + "|Ann=0|" + odd + "=-2");

    auto manager = Start(nullptr);
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann", odd}));
    const Profile* current = manager->GetCurrentProfile();
    EXPECT_EQ(current->name, odd);
    EXPECT_EQ(current->levelsCompleted, -2);
    // Time, grade and winner belong to the run.
    EXPECT_EQ(current->lastLevelTime, 0);
    EXPECT_EQ(current->grade, 'F');
    EXPECT_EQ(current->winner, 0);
}

TEST_F(ProfileManagerTest, AFailedSaveKeepsThePreviousFile)
{
    auto manager = Start(ANN_AND_BOB);
    const std::string original = TestSupport::ReadFile(m_path);
    // A folder where the new text is first written blocks the save, even for root.
    const std::string blocker = m_path + ".tmp";
    ASSERT_EQ(::mkdir(blocker.c_str(), 0755), 0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(manager->CreateProfile("Cy"));
    manager->DeleteProfile("Bob");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(log, "ERROR - Unable to save file"), 2u) << log;
    EXPECT_EQ(TestSupport::ReadFile(m_path), original);

    ASSERT_EQ(::rmdir(blocker.c_str()), 0);
    EXPECT_TRUE(manager->SaveProfiles());
    EXPECT_EQ(Saved(m_path), "Guest|Ann=3|Cy=0");
}

TEST_F(ProfileManagerTest, AnUnreadableFileIsKeptAsBackupBeforeTheFirstSave)
{
    const std::string backup = m_path + ".bak";
    for (const char* text : {"<Profiles><lastUsed>Ann</lastUsed><Profile><Name>Ann</Name>", "",
                             "<Settings><lastUsed>Ann</lastUsed></Settings>", "<config><display/></config>"}) {
        SCOPED_TRACE(text);
        ::unlink(backup.c_str());
        std::string log;
        auto manager = Start(text, &log);
        EXPECT_EQ(TestSupport::Count(log, ISSUE_LINE), 1u) << log;
        EXPECT_EQ(manager->GetProfileNames(), Names{"Guest"});
        EXPECT_EQ(TestSupport::ReadFile(m_path), text);  // loading never writes
        EXPECT_FALSE(Exists(backup));

        testing::internal::CaptureStdout();
        EXPECT_TRUE(manager->CreateProfile("Cy"));
        log = testing::internal::GetCapturedStdout();
        EXPECT_NE(log.find("WARNING - The unreadable " + m_path + " is kept as " + backup), std::string::npos) << log;
        EXPECT_TRUE(Exists(backup));
        EXPECT_EQ(TestSupport::ReadFile(backup), text);
        // Only the first save moves it.
        EXPECT_TRUE(manager->CreateProfile("Dee"));
        EXPECT_EQ(TestSupport::ReadFile(backup), text);
        EXPECT_EQ(Saved(m_path), "Guest|Cy=0|Dee=0");
    }

    // When the old file cannot be kept aside, nothing replaces it.
    auto manager = Start("<Profiles><Profile>");
    TestSupport::RemoveTree(backup);
    ASSERT_EQ(::mkdir(backup.c_str(), 0755), 0);
    ASSERT_TRUE(TestSupport::WriteFile(backup + "/busy", "x"));
    EXPECT_FALSE(manager->CreateProfile("Cy"));
    EXPECT_EQ(TestSupport::ReadFile(m_path), "<Profiles><Profile>");
    TestSupport::RemoveTree(backup);
    EXPECT_TRUE(manager->CreateProfile("Dee"));
    EXPECT_EQ(TestSupport::ReadFile(backup), "<Profiles><Profile>");
}

} // namespace
