// The exit frame by frame (1/32 s), contacts handed in by hand: the level
// counted once in the current profile and on disk, the wait before the next
// level, and exits or robots that lack a part.
#include <gtest/gtest.h>

#include <filesystem>

#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "game/flow/ProfileManager.h"
#include "game/gameplay/ExitComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 AT(4.5f, 0.5f, 1.5f);

// "LevelsCompleted" of a profile as the profile file holds it, or -1.
int SavedLevels(const std::string& name)
{
    ProfileManager reread;
    for (const auto& profile : reread.GetProfiles())
        if (profile->name == name) return profile->levelsCompleted;
    return -1;
}

class ExitTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        System::GetInstance()->audioManager->LoadSound(ExitComponent::VICTORY_SOUND);
    }
    GameObject* MakeExit(float timeTillNextLevel, float x = AT.x)
    {
        GameObject* object = Make(EXIT_MARKER, glm::vec3(x, AT.y, AT.z));
        Exit(object)->m_TimeTillNextLevel = timeTillNextLevel;
        return object;
    }
    // A robot that has finished beaming in.
    GameObject* MakeRobot(bool mainPlayer = true)
    {
        GameObject* robot = Make(PLAYER, AT + glm::vec3(0.0f, 0.0f, 1.0f));
        Player(robot)->m_IsSpawnOnCreation = false;
        Player(robot)->m_IsMainPlayer = mainPlayer;
        robot->InitComponents();
        return robot;
    }
    static ExitComponent* Exit(GameObject* o) { return dynamic_cast<ExitComponent*>(o->GetComponent(CT_EXIT)); }
    static PlayerComponent* Player(GameObject* o) { return dynamic_cast<PlayerComponent*>(o->GetComponent(CT_PLAYER)); }
    int Victories() { return Audio()->CountPlays(ExitComponent::VICTORY_SOUND); }
};

TEST_F(ExitTest, TheRobotsContactCountsTheLevelOnceAndStartsItsLeaving)
{
    std::filesystem::create_directories(home.GameFolder());
    ASSERT_TRUE(TestSupport::WriteFile(ProfileManager::GetProfilePath(),
                                       "<Profiles><lastUsed>Ada</lastUsed>"
                                       "<Profile><Name>Bo</Name><LevelsCompleted>5</LevelsCompleted></Profile>"
                                       "<Profile><Name>Ada</Name><LevelsCompleted>2</LevelsCompleted></Profile>"
                                       "</Profiles>"));
    System::GetInstance()->profileManager = new ProfileManager();
    GameObject* exitObject = MakeExit(0.0f);
    GameObject* robot = MakeRobot();

    exitObject->NotifyCollision(nullptr);
    EXPECT_FALSE(Exit(exitObject)->m_IsTriggered);
    exitObject->NotifyCollision(robot);
    exitObject->NotifyCollision(robot);
    EXPECT_TRUE(Exit(exitObject)->m_IsTriggered);
    EXPECT_EQ(Victories(), 1);
    EXPECT_EQ(System::GetInstance()->profileManager->GetCurrentProfile()->levelsCompleted, 3);
    EXPECT_EQ(SavedLevels("Ada"), 3);
    EXPECT_EQ(SavedLevels("Bo"), 5);

    int bursts = 0;
    for (GameObject* object : All(PARTICLEEMITTER)) {
        auto* emitter = dynamic_cast<ParticleEmitter*>(object->GetComponent(CT_PARTICLEEMITTER));
        if (emitter->m_pattern != PARTICLE_FLICKER) continue;  // the robot's own effect
        ++bursts;
        EXPECT_EQ(object->position, AT + glm::vec3(0.0f, 1.0f, 0.0f));
        EXPECT_FALSE(emitter->m_active);
        EXPECT_EQ(emitter->m_count, 80);
    }
    EXPECT_EQ(bursts, 1);
    EXPECT_TRUE(Player(robot)->IsSpawning());
    EXPECT_FALSE(Player(robot)->m_IsAppearing);
    EXPECT_TRUE(exitObject->flags & OBJ_SKIP_DRAW);
    EXPECT_FALSE(GetCollisionComponent(exitObject)->active);
    EXPECT_TRUE(Exit(exitObject)->m_IsMainPlayerReached);

    // The second robot of the two-player level at another exit.
    GameObject* second = MakeExit(0.0f, 8.5f);
    second->NotifyCollision(MakeRobot(false));
    EXPECT_FALSE(Exit(second)->m_IsMainPlayerReached);
    EXPECT_EQ(SavedLevels("Ada"), 4);
    EXPECT_EQ(Victories(), 2);
}

TEST_F(ExitTest, NextLevelIsAskedForOnceTheTimeHasPassedAndUntilTheStateChanges)
{
    StartStates();
    ASSERT_TRUE(gsm.ChangeState(STATE_LEVEL1));
    GameObject* robot = MakeRobot();
    GameObject* now = MakeExit(0.0f);
    GameObject* later = MakeExit(0.5f, 8.5f);
    for (int update = 0; update < 5; ++update) now->UpdateComponents();
    now->NotifyCollision(robot);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    now->UpdateComponents();
    EXPECT_EQ(gsm.GetRequestedState(), 17);  // the level table's successor of the first level
    gsm.RequestState(STATE_LEVEL1);
    now->UpdateComponents();
    EXPECT_EQ(gsm.GetRequestedState(), 17);

    gsm.RequestState(STATE_LEVEL1);
    later->NotifyCollision(robot);
    for (int update = 1; update <= 16; ++update) later->UpdateComponents();
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    later->UpdateComponents();
    EXPECT_EQ(gsm.GetRequestedState(), 17);
}

TEST_F(ExitTest, ARobotThatLeftTakesNoActionsWhileTheExitWaits)
{
    // The game's masters: the robot fades out in 1 s, the exit waits 1.5 s.
    // Reset (P) and a walking key are held through the whole wait: the level
    // counted once is neither reloaded nor counted again, and the invisible
    // robot does not walk (off an edge, into the fall handling).
    std::filesystem::create_directories(home.GameFolder());
    ASSERT_TRUE(TestSupport::WriteFile(ProfileManager::GetProfilePath(),
                                       "<Profiles><lastUsed>Ada</lastUsed>"
                                       "<Profile><Name>Ada</Name><LevelsCompleted>2</LevelsCompleted></Profile>"
                                       "</Profiles>"));
    System::GetInstance()->profileManager = new ProfileManager();
    StartStates();
    ASSERT_TRUE(gsm.ChangeState(STATE_LEVEL1));
    GameObject* exitObject = Make(EXIT_MARKER, AT);
    GameObject* robot = MakeRobot();
    ASSERT_EQ(Exit(exitObject)->m_TimeTillNextLevel, 1.5f);
    ASSERT_EQ(Player(robot)->m_SpawnTime, 1.0f);
    exitObject->NotifyCollision(robot);

    const int keyReset = KEY_A + ('P' - 'A'), keyUp = KEY_A + ('W' - 'A');
    int frames = 0;
    auto frame = [&] {
        ApplyKeys();
        robot->UpdateComponents();
        exitObject->UpdateComponents();
        EndInputFrame();
        ++frames;
    };
    // Every update presses P anew.
    while (gsm.GetRequestedState() == STATE_LEVEL1 && frames < 64) {
        Hold({keyReset, keyUp});
        frame();
        ReleaseAll();
        ApplyKeys();
        EndInputFrame();
        ASSERT_FALSE(gsm.IsReloadRequested()) << frames;
        ASSERT_EQ(Body(robot)->velocity.z, 0.0f) << frames;
    }
    EXPECT_EQ(frames, 49);  // the first update past 1.5 s asks for the next level
    EXPECT_EQ(gsm.GetRequestedState(), 17);
    EXPECT_TRUE(Player(robot)->HasLeft());
    EXPECT_EQ(Graphics(robot)->GetOpacity(), 0.0f);
    EXPECT_EQ(SavedLevels("Ada"), 3);

    // A robot made to appear again (the two-player level's respawn) acts
    // once that effect has ended.
    Player(robot)->StartSpawnEffect(true);
    EXPECT_FALSE(Player(robot)->HasLeft());
    for (int update = 0; update < 33; ++update) frame();
    EXPECT_FALSE(Player(robot)->IsSpawning());
    Hold({keyReset});
    frame();
    EXPECT_TRUE(gsm.IsReloadRequested());
}

TEST_F(ExitTest, MissingPartsSkipTheirStepsAndCubesBounceAnExitWithABody)
{
    // No profile or game-state manager, a robot without a player component,
    // an exit without a collision component, a full pool.
    GameObject* exitObject = MakeExit(0.0f);
    exitObject->RemoveComponent(CT_COLLISION);
    GameObject* robot = MakeRobot();
    robot->RemoveComponent(CT_PLAYER);
    GameObject* cube = Make(CUBE, AT - glm::vec3(0.0f, 1.0f, 0.0f));
    FillPool();
    exitObject->NotifyCollision(robot);
    EXPECT_TRUE(Exit(exitObject)->m_IsTriggered);
    EXPECT_TRUE(exitObject->flags & OBJ_SKIP_DRAW);
    EXPECT_EQ(Victories(), 1);
    exitObject->UpdateComponents();

    exitObject->NotifyCollision(cube);  // no body: nothing
    exitObject->AddComponentHelper(CT_PHYSICS);
    exitObject->NotifyCollision(cube);
    EXPECT_EQ(Body(exitObject)->velocity, glm::vec3(0.0f, 7.0f, 0.0f));
}

} // namespace
