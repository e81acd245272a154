// The engine owns the profile manager: a full start makes it before the
// first state loads, shut-down and the test support's release delete it.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <string>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/ProfileManager.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

// Records the current profile that the first state finds when it loads.
class ProfileProbeState : public GameState
{
public:
    void Load() override
    {
        System* system = System::PeekInstance();
        if (system && system->profileManager) seen = system->profileManager->GetCurrentProfile()->name;
        else seen = "(no profile manager)";
    }
    void Init() override {}
    void Update(GameStateManager&) override {}
    void Free() override {}
    void Unload() override {}

    std::string seen;
};

class ProfileManagerSystemTest : public TestSupport::EngineTest
{
};

TEST_F(ProfileManagerSystemTest, MadeBeforeTheFirstStateAndDeletedAtShutDown)
{
    const std::string folder = m_home.GameFolder();
    ASSERT_EQ(::mkdir((m_home.Path() + "/Documents").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir((m_home.Path() + "/Documents/Orvanta").c_str(), 0755), 0);
    ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
    ASSERT_TRUE(TestSupport::WriteFile(folder + "/profiles.xml",
                                       "<Profiles><lastUsed>Ann</lastUsed>"
                                       "<Profile><Name>Ann</Name><LevelsCompleted>4</LevelsCompleted></Profile>"
                                       "</Profiles>"));
    ProfileProbeState probe;
    BindStateObject(StateObjectKind::BaseLevel, &probe);

    System* system = System::GetInstance();
    testing::internal::CaptureStdout();
    const bool started = system->Initialize();
    const std::string out = testing::internal::GetCapturedStdout();
    BindStateObject(StateObjectKind::BaseLevel, nullptr);
    ASSERT_TRUE(started) << out;
    EXPECT_EQ(probe.seen, "Ann");
    ASSERT_NE(system->profileManager, nullptr);
    EXPECT_EQ(system->profileManager->GetCurrentProfile()->levelsCompleted, 4);

    const size_t objects = out.find("[LOG] INFO - Object manager initialized.");
    const size_t profiles = out.find("[LOG] INFO - Profile manager initialized.");
    const size_t states = out.find("[LOG] INFO - Game state manager initialized.");
    ASSERT_NE(profiles, std::string::npos) << out;
    EXPECT_LT(objects, profiles);
    EXPECT_LT(profiles, states);
    EXPECT_EQ(out.find("Issue reading from profiles.xml"), std::string::npos);

    system->Shutdown();
    EXPECT_EQ(system->profileManager, nullptr);
    EXPECT_EQ(system->fileManager, nullptr);
}

TEST(ProfileManagerRelease, TestSupportReleasesTheProfileManager)
{
    TestSupport::ScopedTempHome home;
    System* system = System::GetInstance();
    system->logger = new Logger();
    system->fileManager = new FileManager();
    system->profileManager = new ProfileManager();
    EXPECT_TRUE(system->profileManager->CreateProfile("Ann"));
    TestSupport::ReleaseSystem();
    EXPECT_EQ(System::PeekInstance(), nullptr);
    // The leak check at exit fails the program if the profiles were kept.
}

} // namespace
