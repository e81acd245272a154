// The exit frame by frame (1/32 s): the robot's contact, the completed level
// counted once in the current profile and on disk, the wait before the next
// level, and exits or robots that lack a part. Contacts are handed in by hand.
#include <gtest/gtest.h>

#include <filesystem>

#include <tinyxml2.h>

#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "game/flow/ProfileManager.h"
#include "game/gameplay/ExitComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 EXIT_AT(4.5f, 0.5f, 1.5f);

class ExitTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        System::GetInstance()->audioManager->LoadSound(ExitComponent::VICTORY_SOUND);
    }
    // The profile manager over a file holding Ada (2, current) and Bo (5).
    void StartProfiles()
    {
        std::filesystem::create_directories(home.GameFolder());
        ASSERT_TRUE(TestSupport::WriteFile(ProfileManager::GetProfilePath(),
                                           "<Profiles><lastUsed>Ada</lastUsed>"
                                           "<Profile><Name>Bo</Name><LevelsCompleted>5</LevelsCompleted></Profile>"
                                           "<Profile><Name>Ada</Name><LevelsCompleted>2</LevelsCompleted></Profile>"
                                           "</Profiles>"));
        System::GetInstance()->profileManager = new ProfileManager();
        ASSERT_EQ(System::GetInstance()->profileManager->GetCurrentProfile()->name, "Ada");
    }
    // "LevelsCompleted" of the named profile in the saved file, or -1.
    static int Saved(const std::string& name)
    {
        tinyxml2::XMLDocument document;
        if (document.LoadFile(ProfileManager::GetProfilePath().c_str()) != tinyxml2::XML_SUCCESS) return -1;
        const tinyxml2::XMLElement* root = document.RootElement();
        for (const tinyxml2::XMLElement* e = root ? root->FirstChildElement("Profile") : nullptr; e;
             e = e->NextSiblingElement("Profile")) {
            const tinyxml2::XMLElement* n = e->FirstChildElement("Name");
            const tinyxml2::XMLElement* c = e->FirstChildElement("LevelsCompleted");
            if (n && c && n->GetText() && name == n->GetText()) return c->IntText(-1);
        }
        return -1;
    }
    GameObject* MakeExit(float timeTillNextLevel, const glm::vec3& position = EXIT_AT)
    {
        GameObject* object = Make(EXIT_MARKER, position);
        Exit(object)->m_TimeTillNextLevel = timeTillNextLevel;
        return object;
    }
    // A robot that has finished beaming in.
    GameObject* MakeRobot(bool mainPlayer = true)
    {
        GameObject* robot = Make(PLAYER, EXIT_AT + glm::vec3(0.0f, 0.0f, 1.0f));
        Player(robot)->m_IsSpawnOnCreation = false;
        Player(robot)->m_IsMainPlayer = mainPlayer;
        robot->InitComponents();
        return robot;
    }
    static ExitComponent* Exit(GameObject* object)
    {
        return dynamic_cast<ExitComponent*>(object->GetComponent(CT_EXIT));
    }
    static PlayerComponent* Player(GameObject* object)
    {
        return dynamic_cast<PlayerComponent*>(object->GetComponent(CT_PLAYER));
    }
    // The one-shot emitters of the exit's burst.
    std::vector<GameObject*> Bursts()
    {
        std::vector<GameObject*> found;
        for (GameObject* object : All(PARTICLEEMITTER)) {
            auto* emitter = dynamic_cast<ParticleEmitter*>(object->GetComponent(CT_PARTICLEEMITTER));
            if (emitter && emitter->m_pattern == PARTICLE_FLICKER) found.push_back(object);
        }
        return found;
    }
};

TEST_F(ExitTest, TheRobotsContactCountsTheLevelOnceAndStartsItsLeaving)
{
    StartProfiles();
    GameObject* exitObject = MakeExit(0.0f);
    GameObject* robot = MakeRobot();
    ExitComponent* exitPart = Exit(exitObject);

    exitObject->NotifyCollision(nullptr);
    EXPECT_FALSE(exitPart->m_IsTriggered);
    exitObject->NotifyCollision(robot);
    exitObject->NotifyCollision(robot);
    EXPECT_TRUE(exitPart->m_IsTriggered);
    EXPECT_TRUE(exitPart->m_IsVictoryPlayed);
    EXPECT_EQ(Audio()->CountPlays(ExitComponent::VICTORY_SOUND), 1);
    EXPECT_EQ(System::GetInstance()->profileManager->GetCurrentProfile()->levelsCompleted, 3);
    EXPECT_EQ(Saved("Ada"), 3);
    EXPECT_EQ(Saved("Bo"), 5);

    std::vector<GameObject*> bursts = Bursts();
    ASSERT_EQ(bursts.size(), 1u);
    EXPECT_EQ(bursts[0]->position, EXIT_AT + glm::vec3(0.0f, 1.0f, 0.0f));
    auto* burst = dynamic_cast<ParticleEmitter*>(bursts[0]->GetComponent(CT_PARTICLEEMITTER));
    EXPECT_FALSE(burst->m_active);
    EXPECT_EQ(burst->m_count, 80);
    EXPECT_EQ(burst->m_direction, glm::vec3(0.0f));

    EXPECT_TRUE(Player(robot)->IsSpawning());
    EXPECT_FALSE(Player(robot)->m_IsAppearing);
    EXPECT_TRUE(exitObject->flags & OBJ_SKIP_DRAW);
    EXPECT_FALSE(GetCollisionComponent(exitObject)->active);
    EXPECT_TRUE(exitPart->m_IsMainPlayerReached);

    // The second robot of the two-player level reaching another exit.
    GameObject* second = MakeExit(0.0f, EXIT_AT + glm::vec3(3.0f, 0.0f, 0.0f));
    second->NotifyCollision(MakeRobot(false));
    EXPECT_TRUE(Exit(second)->m_IsTriggered);
    EXPECT_FALSE(Exit(second)->m_IsMainPlayerReached);
    EXPECT_EQ(Saved("Ada"), 4);
    EXPECT_EQ(Audio()->CountPlays(ExitComponent::VICTORY_SOUND), 2);
}

TEST_F(ExitTest, NextLevelIsAskedForOnceTheTimeHasPassedAndUntilTheStateChanges)
{
    StartStates();
    ASSERT_TRUE(gsm.ChangeState(STATE_LEVEL1));
    GameObject* robot = MakeRobot();
    GameObject* now = MakeExit(0.0f);
    GameObject* later = MakeExit(0.5f, EXIT_AT + glm::vec3(3.0f, 0.0f, 0.0f));

    // Untouched, an exit waits.
    for (int update = 0; update < 5; ++update) now->UpdateComponents();
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);

    now->NotifyCollision(robot);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1);
    now->UpdateComponents();
    EXPECT_EQ(gsm.GetRequestedState(), 17);  // the level table's successor of the first level
    gsm.RequestState(STATE_LEVEL1);
    now->UpdateComponents();
    EXPECT_EQ(gsm.GetRequestedState(), 17);

    gsm.RequestState(STATE_LEVEL1);
    later->NotifyCollision(robot);
    for (int update = 1; update <= 16; ++update) {
        later->UpdateComponents();
        EXPECT_EQ(gsm.GetRequestedState(), STATE_LEVEL1) << update;
    }
    later->UpdateComponents();
    EXPECT_EQ(gsm.GetRequestedState(), 17);
}

TEST_F(ExitTest, MissingPartsSkipTheirStepsAndCubesBounceAnExitWithABody)
{
    // No profile manager, no game-state manager, a robot without a player
    // component, an exit without a collision component, a full pool.
    GameObject* exitObject = MakeExit(0.0f);
    exitObject->RemoveComponent(CT_COLLISION);
    GameObject* robot = MakeRobot();
    robot->RemoveComponent(CT_PLAYER);
    GameObject* cube = Make(CUBE, EXIT_AT - glm::vec3(0.0f, 1.0f, 0.0f));
    FillPool();
    exitObject->NotifyCollision(robot);
    EXPECT_TRUE(Exit(exitObject)->m_IsTriggered);
    EXPECT_FALSE(Exit(exitObject)->m_IsMainPlayerReached);
    EXPECT_TRUE(exitObject->flags & OBJ_SKIP_DRAW);
    EXPECT_EQ(Audio()->CountPlays(ExitComponent::VICTORY_SOUND), 1);
    exitObject->UpdateComponents();
    EXPECT_GT(Exit(exitObject)->m_Timer, 0.0f);

    // A CUBE throws an exit that has a body upwards; one without is left alone.
    exitObject->NotifyCollision(cube);
    exitObject->AddComponentHelper(CT_PHYSICS);
    exitObject->NotifyCollision(cube);
    EXPECT_EQ(Body(exitObject)->velocity, glm::vec3(0.0f, 7.0f, 0.0f));
    EXPECT_FALSE(Exit(exitObject)->m_IsMainPlayerReached);
}

} // namespace
