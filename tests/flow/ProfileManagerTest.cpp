// The profile manager against a private documents folder: the first start,
// loading what players and older builds wrote, the changes and the file each
// one leaves, and saves that must not cost the previous file.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "game/flow/ProfileManager.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

using namespace QRX;
using Names = std::vector<std::string>;

namespace {

const char* const ISSUE_LINE = "[LOG] ERROR - Issue reading from profiles.xml! Defaulting to Guest profile.\n";

bool Exists(const std::string& path)
{
    return ::access(path.c_str(), F_OK) == 0;
}

// What a saved file holds: its "lastUsed" text and its profiles in order.
struct SavedFile
{
    bool ok = false;
    std::string lastUsed;
    std::vector<std::pair<std::string, std::string>> profiles;  // name, levels completed
};

SavedFile ReadSaved(const std::string& path)
{
    SavedFile saved;
    tinyxml2::XMLDocument document;
    if (document.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS) return saved;
    const tinyxml2::XMLElement* root = document.RootElement();
    if (!root || std::string(root->Name()) != "Profiles") return saved;
    saved.ok = true;
    for (const tinyxml2::XMLElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const std::string name = e->Name();
        if (name == "lastUsed") {
            saved.lastUsed = e->GetText() ? e->GetText() : "";
        } else if (name == "Profile") {
            const tinyxml2::XMLElement* n = e->FirstChildElement("Name");
            const tinyxml2::XMLElement* c = e->FirstChildElement("LevelsCompleted");
            saved.profiles.emplace_back(n && n->GetText() ? n->GetText() : "", c && c->GetText() ? c->GetText() : "");
        }
    }
    return saved;
}

bool CurrentIsInList(const ProfileManager& manager)
{
    for (const auto& profile : manager.GetProfiles())
        if (profile.get() == manager.GetCurrentProfile()) return true;
    return false;
}

class ProfileManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        Logger::SetDialogAvailableOverride(0);
        m_path = ProfileManager::GetProfilePath();
    }
    void TearDown() override
    {
        Logger::SetDialogAvailableOverride(-1);
        TestSupport::ReleaseSystem();
    }

    // A new manager; its start-up log lines go to `log`.
    std::unique_ptr<ProfileManager> Start(std::string* log = nullptr)
    {
        testing::internal::CaptureStdout();
        auto manager = std::make_unique<ProfileManager>();
        std::string out = testing::internal::GetCapturedStdout();
        if (log) *log = out;
        return manager;
    }
    std::unique_ptr<ProfileManager> StartWith(const std::string& text, std::string* log = nullptr)
    {
        EXPECT_TRUE(TestSupport::WriteFile(m_path, text));
        return Start(log);
    }

    TestSupport::ScopedTempHome m_home;
    std::string m_path;
};

const char* const ANN_AND_BOB = "<Profiles><lastUsed>Bob</lastUsed>"
                                "<Profile><Name>Ann</Name><LevelsCompleted>3</LevelsCompleted></Profile>"
                                "<Profile><Name>Bob</Name><LevelsCompleted>7</LevelsCompleted></Profile>"
                                "</Profiles>";

TEST_F(ProfileManagerTest, FirstStartRunsAsGuestAndWritesOnlyOnCreation)
{
    EXPECT_EQ(m_path, m_home.GameFolder() + "/profiles.xml");
    std::string log;
    auto manager = Start(&log);
    EXPECT_EQ(TestSupport::Count(log, ISSUE_LINE), 1u) << log;
    const size_t missing = log.find("xml file does not exist");
    ASSERT_NE(missing, std::string::npos) << log;
    EXPECT_LT(missing, log.find(ISSUE_LINE));
    EXPECT_EQ(manager->GetProfileNames(), Names{"Guest"});
    ASSERT_NE(manager->GetCurrentProfile(), nullptr);
    EXPECT_EQ(manager->GetCurrentProfile()->name, "Guest");
    EXPECT_FALSE(Exists(m_path));

    // Creating does not select: the file names "Guest" as last used.
    EXPECT_TRUE(manager->CreateProfile("Ann"));
    EXPECT_EQ(manager->GetCurrentProfile()->name, "Guest");
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann"}));
    SavedFile saved = ReadSaved(m_path);
    ASSERT_TRUE(saved.ok);
    EXPECT_EQ(saved.lastUsed, "Guest");
    EXPECT_EQ(saved.profiles, (std::vector<std::pair<std::string, std::string>>{{"Ann", "0"}}));
    EXPECT_FALSE(Exists(m_path + ".bak"));  // a missing file is nothing to keep

    // Names that exist are refused and nothing is written.
    const std::string before = TestSupport::ReadFile(m_path);
    EXPECT_FALSE(manager->CreateProfile("Ann"));
    EXPECT_FALSE(manager->CreateProfile("Guest"));
    EXPECT_EQ(TestSupport::ReadFile(m_path), before);
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann"}));
}

TEST_F(ProfileManagerTest, MissingGameFoldersAreMadeByTheFirstSave)
{
    const std::string docs = m_home.Path() + "/elsewhere/docs";
    ASSERT_EQ(::setenv("XDG_DOCUMENTS_DIR", docs.c_str(), 1), 0);
    auto manager = Start();
    EXPECT_FALSE(Exists(docs + "/Orvanta"));
    EXPECT_TRUE(manager->CreateProfile("Ann"));
    EXPECT_EQ(ReadSaved(docs + "/Orvanta/Zendra/profiles.xml").profiles.size(), 1u);
}

TEST_F(ProfileManagerTest, LoadingTakesWhatTheFileHolds)
{
    std::string log;
    auto manager = StartWith("<Profiles><lastUsed>Bob</lastUsed>"
                             "<Profile><Name>Ann</Name><LevelsCompleted>3</LevelsCompleted></Profile>"
                             "<Note>skipped</Note>"
                             "<Profile><LevelsCompleted>7abc</LevelsCompleted><Name>Bob</Name><Extra>1</Extra></Profile>"
                             "<Profile><Name/><LevelsCompleted>x</LevelsCompleted></Profile>"
                             "<Profile/></Profiles>",
                             &log);
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann", "Bob", "DefaultPlayer", "DefaultPlayer"}));
    const Profile* bob = manager->GetCurrentProfile();
    EXPECT_EQ(bob->name, "Bob");
    EXPECT_EQ(bob->levelsCompleted, 7);
    EXPECT_EQ(bob->grade, 'F');
    EXPECT_EQ(manager->GetProfiles()[1]->levelsCompleted, 3);
    EXPECT_EQ(manager->GetProfiles()[3]->levelsCompleted, 0);  // "x" has no leading number

    struct Case
    {
        const char* file;
        Names names;
        const char* current;
    };
    const Case cases[] = {
        // A last-used name that nobody has, or none at all.
        {"<Profiles><lastUsed>Zed</lastUsed><Profile><Name>Ann</Name></Profile></Profiles>", {"Guest", "Ann"}, "Guest"},
        {"<Profiles><lastUsed/><Profile><Name>Ann</Name></Profile></Profiles>", {"Guest", "Ann"}, "Guest"},
        {"<Profiles><lastUsed>Guest</lastUsed><Profile><Name>Ann</Name></Profile></Profiles>", {"Guest", "Ann"}, "Guest"},
        {"<Profiles/>", {"Guest"}, "Guest"},
        {"<Profiles>\n  \n</Profiles>", {"Guest"}, "Guest"},
        // Written without "lastUsed": the first profile is kept as a profile.
        {"<Profiles><Profile><Name>Ann</Name><LevelsCompleted>2</LevelsCompleted></Profile>"
         "<Profile><Name>Cy</Name></Profile></Profiles>",
         {"Guest", "Ann", "Cy"}, "Guest"},
        // Loading does not check names; the first of two is selected.
        {"<Profiles><lastUsed>Ann</lastUsed><Profile><Name>Ann</Name><LevelsCompleted>1</LevelsCompleted></Profile>"
         "<Profile><Name>Ann</Name><LevelsCompleted>9</LevelsCompleted></Profile></Profiles>",
         {"Guest", "Ann", "Ann"}, "Ann"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        auto loaded = StartWith(c.file, &log);
        EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
        EXPECT_EQ(loaded->GetProfileNames(), c.names);
        EXPECT_EQ(loaded->GetCurrentProfile()->name, c.current);
        EXPECT_TRUE(CurrentIsInList(*loaded));
    }

    // The profile of a file without "lastUsed" survives the next save.
    auto older = StartWith("<Profiles><Profile><Name>Ann</Name><LevelsCompleted>2</LevelsCompleted></Profile></Profiles>");
    EXPECT_TRUE(older->CreateProfile("Dee"));
    auto reloaded = Start();
    EXPECT_EQ(reloaded->GetProfileNames(), (Names{"Guest", "Ann", "Dee"}));
    EXPECT_EQ(reloaded->GetProfiles()[1]->levelsCompleted, 2);
}

TEST_F(ProfileManagerTest, ChangesRewriteTheFileOrNothing)
{
    auto manager = StartWith(ANN_AND_BOB);
    ASSERT_EQ(manager->GetCurrentProfile()->name, "Bob");
    const std::string original = TestSupport::ReadFile(m_path);

    // An unknown name falls back to "Guest", tells the caller and writes nothing.
    std::string name = "Zed";
    EXPECT_FALSE(manager->SelectProfile(name));
    EXPECT_EQ(name, "Guest");
    EXPECT_EQ(manager->GetCurrentProfile()->name, "Guest");
    EXPECT_EQ(TestSupport::ReadFile(m_path), original);

    name = "Bob";
    EXPECT_TRUE(manager->SelectProfile(name));
    EXPECT_EQ(name, "Bob");
    EXPECT_EQ(ReadSaved(m_path).lastUsed, "Bob");

    // Deleting the current profile falls back to "Guest" and keeps the others.
    manager->DeleteProfile("Bob");
    EXPECT_EQ(manager->GetCurrentProfile()->name, "Guest");
    EXPECT_TRUE(CurrentIsInList(*manager));
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann"}));
    SavedFile saved = ReadSaved(m_path);
    EXPECT_EQ(saved.lastUsed, "Guest");
    EXPECT_EQ(saved.profiles, (std::vector<std::pair<std::string, std::string>>{{"Ann", "3"}}));

    // Unknown names and the built-in profile are refused without a write.
    const std::string afterDelete = TestSupport::ReadFile(m_path);
    testing::internal::CaptureStdout();
    manager->DeleteProfile("Nobody");
    manager->DeleteProfile("Guest");
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(log, "[LOG] ERROR -  Problem deleting a profile\n"), 1u) << log;
    EXPECT_EQ(TestSupport::Count(log, "[LOG] ERROR - The Guest profile cannot be deleted.\n"), 1u) << log;
    EXPECT_EQ(TestSupport::ReadFile(m_path), afterDelete);
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann"}));

    // "Guest" is still a live profile that the game can record on.
    Profile* guest = manager->GetCurrentProfile();
    ASSERT_EQ(guest, manager->GetProfiles().front().get());
    guest->levelsCompleted += 1;
    EXPECT_TRUE(manager->SaveProfiles());
    EXPECT_EQ(ReadSaved(m_path).profiles.size(), 1u);

    // Progress of a player's own profile is saved by the caller's save.
    name = "Ann";
    EXPECT_TRUE(manager->SelectProfile(name));
    manager->GetCurrentProfile()->levelsCompleted += 1;
    EXPECT_TRUE(manager->SaveProfiles());
    saved = ReadSaved(m_path);
    EXPECT_EQ(saved.lastUsed, "Ann");
    EXPECT_EQ(saved.profiles, (std::vector<std::pair<std::string, std::string>>{{"Ann", "4"}}));
}

TEST_F(ProfileManagerTest, RoundTripKeepsNamesCountsAndCurrentButNeverGuest)
{
    {
        // A hand-written "Guest" profile loads, but is never written back.
        auto manager = StartWith("<Profiles><lastUsed>Guest</lastUsed>"
                                 "<Profile><Name>Guest</Name><LevelsCompleted>5</LevelsCompleted></Profile></Profiles>");
        EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Guest"}));
        for (const char* name : {"Ann", "Bob", "Zo\xc3\xab & <Co> \"x\""}) EXPECT_TRUE(manager->CreateProfile(name));
        std::string bob = "Bob";
        ASSERT_TRUE(manager->SelectProfile(bob));
        Profile* current = manager->GetCurrentProfile();
        current->levelsCompleted = -2;
        current->lastLevelTime = 42;
        current->grade = 'A';
        current->winner = 1;
        ASSERT_TRUE(manager->SaveProfiles());
    }
    for (const auto& profile : ReadSaved(m_path).profiles) EXPECT_NE(profile.first, "Guest");

    auto manager = Start();
    EXPECT_EQ(manager->GetProfileNames(), (Names{"Guest", "Ann", "Bob", "Zo\xc3\xab & <Co> \"x\""}));
    const Profile* bob = manager->GetCurrentProfile();
    EXPECT_EQ(bob->name, "Bob");
    EXPECT_EQ(bob->levelsCompleted, -2);
    // Time, grade and winner belong to the run.
    EXPECT_EQ(bob->lastLevelTime, 0);
    EXPECT_EQ(bob->grade, 'F');
    EXPECT_EQ(bob->winner, 0);

    const std::string first = TestSupport::ReadFile(m_path);
    ASSERT_TRUE(manager->SaveProfiles());
    EXPECT_EQ(TestSupport::ReadFile(m_path), first);
}

TEST_F(ProfileManagerTest, AFailedSaveKeepsThePreviousFile)
{
    auto manager = StartWith(ANN_AND_BOB);
    const std::string original = TestSupport::ReadFile(m_path);

    // A folder where the file is first written (beside the target) blocks
    // the write even for root.
    const std::string blocker = m_path + ".tmp";
    ASSERT_EQ(::mkdir(blocker.c_str(), 0755), 0);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(manager->CreateProfile("Cy"));
    std::string name = "Ann";
    EXPECT_TRUE(manager->SelectProfile(name));  // selected, though the save failed
    manager->DeleteProfile("Bob");
    EXPECT_FALSE(manager->SaveProfiles());
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("ERROR - Unable to save file"), std::string::npos) << log;
    EXPECT_EQ(TestSupport::ReadFile(m_path), original);
    EXPECT_EQ(manager->GetCurrentProfile()->name, "Ann");

    // Once the way is clear the next save writes what is in memory.
    ASSERT_EQ(::rmdir(blocker.c_str()), 0);
    EXPECT_TRUE(manager->SaveProfiles());
    SavedFile saved = ReadSaved(m_path);
    EXPECT_EQ(saved.lastUsed, "Ann");
    EXPECT_EQ(saved.profiles, (std::vector<std::pair<std::string, std::string>>{{"Ann", "3"}, {"Cy", "0"}}));
}

TEST_F(ProfileManagerTest, AnUnreadableFileIsKeptAsBackupBeforeTheFirstSave)
{
    const char* const unreadable[] = {
        "<Profiles><lastUsed>Ann</lastUsed><Profile><Name>Ann</Name>",  // cut short
        "<Profiles><lastUsed>Ann</lastUsed></Profile></Profiles>",      // mismatched
        "",                                                             // empty
        "\x01\x02 not xml at all",
        "<Settings><lastUsed>Ann</lastUsed></Settings>",                // unknown root
        "<config><display><width>1</width></display></config>",         // another kind of data file
    };
    const std::string backup = m_path + ".bak";
    for (const char* text : unreadable) {
        SCOPED_TRACE(text);
        ::unlink(backup.c_str());
        std::string log;
        auto manager = StartWith(text, &log);
        EXPECT_EQ(TestSupport::Count(log, ISSUE_LINE), 1u) << log;
        EXPECT_EQ(manager->GetProfileNames(), Names{"Guest"});
        EXPECT_EQ(manager->GetCurrentProfile()->name, "Guest");
        EXPECT_EQ(TestSupport::ReadFile(m_path), text);  // loading never writes
        EXPECT_FALSE(Exists(backup));

        testing::internal::CaptureStdout();
        EXPECT_TRUE(manager->CreateProfile("Cy"));
        log = testing::internal::GetCapturedStdout();
        EXPECT_NE(log.find("WARNING - The unreadable " + m_path + " is kept as " + backup), std::string::npos) << log;
        EXPECT_TRUE(Exists(backup));
        EXPECT_EQ(TestSupport::ReadFile(backup), text);
        EXPECT_EQ(ReadSaved(m_path).profiles.size(), 1u);

        // Only the first save moves it: the backup is not replaced by later saves.
        EXPECT_TRUE(manager->CreateProfile("Dee"));
        EXPECT_EQ(TestSupport::ReadFile(backup), text);
        EXPECT_EQ(ReadSaved(m_path).profiles.size(), 2u);
    }

    // When the old file cannot be kept aside, nothing replaces it.
    ::unlink(backup.c_str());
    const std::string broken = "<Profiles><Profile>";
    auto manager = StartWith(broken);
    ASSERT_EQ(::mkdir(backup.c_str(), 0755), 0);
    ASSERT_TRUE(TestSupport::WriteFile(backup + "/keep", "x"));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(manager->CreateProfile("Cy"));
    const std::string log = testing::internal::GetCapturedStdout();
    EXPECT_NE(log.find("ERROR - Unable to keep the unreadable"), std::string::npos) << log;
    EXPECT_EQ(TestSupport::ReadFile(m_path), broken);
    TestSupport::RemoveTree(backup);
    EXPECT_TRUE(manager->CreateProfile("Dee"));
    EXPECT_EQ(TestSupport::ReadFile(backup), broken);
}

TEST_F(ProfileManagerTest, ReaderAndWriterIgnoreNullsAndGuest)
{
    auto manager = Start();
    manager->ReadProfile(nullptr, nullptr);
    Profile profile;
    profile.name = "Kept";
    manager->ReadProfile(nullptr, &profile);
    EXPECT_EQ(profile.name, "Kept");

    FileManager* files = System::GetInstance()->fileManager;
    files->BeginWrite("Profiles");
    manager->WriteProfile(nullptr);
    manager->WriteProfile(manager->GetCurrentProfile());
    EXPECT_EQ(files->writeCommands.size(), 1u);  // the root only
    manager->WriteProfile(&profile);
    const std::string text = files->RenderCommands();
    const size_t name = text.find("<Name>Kept</Name>");
    ASSERT_NE(name, std::string::npos) << text;
    EXPECT_LT(text.find("<Profile>"), name);
    EXPECT_LT(name, text.find("<LevelsCompleted>0</LevelsCompleted>"));
    EXPECT_LT(text.find("<LevelsCompleted>0</LevelsCompleted>"), text.find("</Profile>"));
}

} // namespace
