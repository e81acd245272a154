// The checkpoint store and the checkpoint component, alone and in a level
// whose robot falls after reaching a checkpoint.
#include <gtest/gtest.h>

#include <glm/gtc/epsilon.hpp>

#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "game/gameplay/CheckPointComponent.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "game/gameplay/SwitchComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 A(1.0f, 0.5f, 1.0f);
const glm::vec3 B(3.0f, 0.5f, 1.0f);
const glm::vec3 ROBOT(2.0f, 0.5f, 4.0f);

class CheckpointTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        UseTestMaster("PLAYER.xml");
        UseTestMaster("BARRIER.xml");
        CheckPointComponent::SetLook(CheckPointComponent::LOOK_IDLE);
    }
    static CheckPointComponent* Checkpoint(GameObject* object)
    {
        return dynamic_cast<CheckPointComponent*>(object->GetComponent(CT_CHECKPOINT));
    }
    static ParticleEmitter* Emitter(GameObject* object) { return GetParticleEmitter(object); }
};

TEST_F(CheckpointTest, RestoreMovesBackRemakesAndRemovesCratesByOrder)
{
    GameObject* a = Make(CRATE, A);
    GameObject* b = Make(CRATE, B);
    b->scale = glm::vec3(1.0f, 2.0f, 1.0f);
    b->rotation = GameObject::EulerDegreesToQuat(glm::vec3(0.0f, 90.0f, 0.0f));
    GameObject* barrier = Make(BARRIER, glm::vec3(5.0f, 0.5f, 5.0f));
    GameObject* robot = Make(PLAYER, ROBOT);
    GameObject* bridge = Make(BRIDGE, glm::vec3(8.0f, 0.5f, 1.0f));
    GameObject* pad = Make(SWITCH, glm::vec3(6.0f, 0.5f, 1.0f));
    store->Save(CheckpointActivation{});
    ASSERT_TRUE(store->HasCheckpoint());
    ASSERT_EQ(store->GetSnapshots().back().size(), 4u);

    // A crate made later is the only object marked; the moved ones go back.
    a->position = glm::vec3(9.0f);
    robot->position = glm::vec3(0.0f, -20.0f, 0.0f);
    a->flags |= OBJ_WORLD_VALID;
    GameObject* later = Make(CRATE, glm::vec3(7.0f, 0.5f, 7.0f));
    // A crate in flight, a grown bridge and a pressed switch come back as they stood.
    Body(b)->velocity = glm::vec3(0.0f, 9.0f, 40.0f);
    GetGravityGenerator(b)->gravity.y = -0.01f;
    bridge->position.x += 1.0f;
    bridge->scale.x = 3.0f;
    pad->GetComponent<SwitchComponent>()->m_PressCount = 5;
    store->Restore();
    EXPECT_EQ(Body(b)->velocity, glm::vec3(0.0f));
    EXPECT_EQ(GetGravityGenerator(b)->gravity.y, FULL_GRAVITY_Y);
    EXPECT_EQ(bridge->position, glm::vec3(8.0f, 0.5f, 1.0f));
    EXPECT_EQ(bridge->scale, glm::vec3(1.0f));
    EXPECT_FALSE(pad->GetComponent<SwitchComponent>()->IsShownPressed());
    EXPECT_TRUE(Marked(later));
    EXPECT_FALSE(Marked(a) || Marked(b) || Marked(barrier) || Marked(robot));
    EXPECT_EQ(a->position, A);
    EXPECT_EQ(a->flags & OBJ_WORLD_VALID, 0u);
    EXPECT_EQ(robot->position, ROBOT);
    objects->Update();

    // B's crate gone: the restore makes one with its position, scale and rotation.
    b->flags |= OBJ_DESTROY;
    objects->Update();
    ASSERT_EQ(All(CRATE).size(), 1u);
    store->Restore();
    std::vector<GameObject*> crates = All(CRATE);
    ASSERT_EQ(crates.size(), 2u);
    EXPECT_EQ(crates[1]->position, B);
    EXPECT_EQ(crates[1]->scale, glm::vec3(1.0f, 2.0f, 1.0f));
    EXPECT_TRUE(glm::all(glm::epsilonEqual(glm::vec4(crates[1]->rotation.x, crates[1]->rotation.y,
                                                     crates[1]->rotation.z, crates[1]->rotation.w),
                                           glm::vec4(0.0f, 0.70710677f, 0.0f, 0.70710677f), 1e-6f)));

    // Swapped crates are matched by order, not by identity.
    crates[0]->position = B;
    crates[1]->position = A;
    store->Restore();
    EXPECT_EQ(crates[0]->position, A);
    EXPECT_EQ(crates[1]->position, B);
    EXPECT_EQ(All(CRATE).size(), 2u);
}

TEST_F(CheckpointTest, SaveWithoutCratesButABarrierRemovesEveryCrate)
{
    Make(BARRIER, glm::vec3(5.0f, 0.5f, 5.0f));
    Make(PLAYER, ROBOT);
    store->Save(CheckpointActivation{});
    GameObject* first = Make(CRATE, A);
    GameObject* second = Make(CRATE, B);
    store->Restore();
    EXPECT_TRUE(Marked(first));
    EXPECT_TRUE(Marked(second));
}

TEST_F(CheckpointTest, NewestSnapshotIsRestoredAndClearForgetsThemAll)
{
    GameObject* robot = Make(PLAYER, ROBOT);
    // A restore of an empty store changes nothing.
    robot->position = glm::vec3(1.0f, 2.0f, 3.0f);
    store->Restore();
    EXPECT_EQ(robot->position, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_FALSE(store->HasCheckpoint());

    store->Save(CheckpointActivation{});
    robot->position = ROBOT + glm::vec3(0.0f, 0.0f, -3.0f);
    store->Save(CheckpointActivation{});
    EXPECT_EQ(store->GetActivations().size(), 2u);
    robot->position = glm::vec3(0.0f, -9.0f, 0.0f);
    store->Restore();
    EXPECT_EQ(robot->position, ROBOT + glm::vec3(0.0f, 0.0f, -3.0f));

    store->Clear();
    EXPECT_FALSE(store->HasCheckpoint());
    EXPECT_TRUE(store->GetSnapshots().empty());
    robot->position = glm::vec3(0.0f, -9.0f, 0.0f);
    store->Restore();
    EXPECT_EQ(robot->position, glm::vec3(0.0f, -9.0f, 0.0f));
}

// One crate at a time: a crate lay on the island when the checkpoint
// saved, the pad's spawner made another later, and the first was lost. The
// restore, matching by order, puts the spawner's crate where the lost one
// stood; the spawner must not wait for that crate to be lost too.
TEST_F(CheckpointTest, ASpawnerWhoseCrateTheRestoreMovedMakesANewOne)
{
    GameObject* saved = Make(CRATE, A);
    store->Save(CheckpointActivation{});
    GameObject* spawnerObject = Make(CRATESPAWNER, B);
    spawnerObject->InitComponents();
    auto* spawner = spawnerObject->GetComponent<CrateSpawnerComponent>();
    ASSERT_NE(spawner, nullptr);
    spawner->m_IsShake = false;
    spawner->m_IsOneCrateAtATime = true;
    spawner->m_IsRequested = true;
    spawnerObject->UpdateComponents();
    ASSERT_EQ(All(CRATE).size(), 2u);
    saved->flags |= OBJ_DESTROY;
    objects->Update();
    GameObject* made = All(CRATE)[0];
    spawnerObject->UpdateComponents();
    ASSERT_FALSE(spawner->m_IsTriggerable);

    store->Restore();
    EXPECT_EQ(made->position, A);
    EXPECT_FALSE(Marked(made));
    spawnerObject->UpdateComponents();
    EXPECT_TRUE(spawner->m_IsTriggerable);
    spawner->m_IsRequested = true;
    spawnerObject->UpdateComponents();
    EXPECT_EQ(All(CRATE).size(), 2u);
    // Put back at its drop spot, that one stays the spawner's: no second on top.
    store->Save(CheckpointActivation{});
    store->Restore();
    spawnerObject->UpdateComponents();
    EXPECT_FALSE(spawner->m_IsTriggerable);

    // A restore with nothing to restore leaves the spawner as it is.
    store->Clear();
    spawnerObject->UpdateComponents();
    ASSERT_FALSE(spawner->m_IsTriggerable);
    store->Restore();
    spawnerObject->UpdateComponents();
    EXPECT_FALSE(spawner->m_IsTriggerable);
}

TEST_F(CheckpointTest, RestoreWithAFullPoolSkipsTheObjectsItCannotMake)
{
    Make(CRATE, A);
    GameObject* b = Make(CRATE, B);
    Make(PLAYER, ROBOT);
    store->Save(CheckpointActivation{});
    b->flags |= OBJ_DESTROY;
    objects->Update();
    FillPool();
    store->Restore();
    EXPECT_EQ(All(CRATE).size(), 1u);
}

TEST_F(CheckpointTest, OnlyTheFirstRobotContactSavesAndTheCheckpointIsNeverDrawn)
{
    GameObject* checkpoint = Make(CHECKPOINT, glm::vec3(2.5f, 0.5f, 2.5f));
    checkpoint->InitComponents();
    std::vector<GameObject*> effects = All(PARTICLEEMITTER);
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(effects[0]->position, checkpoint->position);
    EXPECT_EQ(Emitter(effects[0])->m_pattern, PARTICLE_FOUNTAIN);
    EXPECT_TRUE(Emitter(effects[0])->m_active);

    GameObject* crate = Make(CRATE, A);
    GameObject* robot = Make(PLAYER, ROBOT);
    checkpoint->NotifyCollision(nullptr);
    checkpoint->NotifyCollision(crate);
    EXPECT_FALSE(store->HasCheckpoint());
    checkpoint->NotifyCollision(robot);
    ASSERT_EQ(store->GetActivations().size(), 1u);
    EXPECT_EQ(store->GetActivations()[0].playerPosition, ROBOT);
    EXPECT_EQ(CheckPointComponent::GetLook(), CheckPointComponent::LOOK_ACTIVATED);
    EXPECT_EQ(Emitter(effects[0])->m_pattern, PARTICLE_FOUNTAIN_GREEN);
    robot->position = glm::vec3(0.0f);
    checkpoint->NotifyCollision(robot);
    EXPECT_EQ(store->GetActivations().size(), 1u);

    for (int i = 0; i < 2; ++i) {
        checkpoint->flags &= ~OBJ_SKIP_DRAW;
        checkpoint->UpdateComponents();
        EXPECT_NE(checkpoint->flags & OBJ_SKIP_DRAW, 0u);
    }
    // Without an emitter of its own the look stays "activated".
    EXPECT_EQ(CheckPointComponent::GetLook(), CheckPointComponent::LOOK_ACTIVATED);

    checkpoint->FreeComponents();
    EXPECT_TRUE(Marked(effects[0]));
}

TEST_F(CheckpointTest, AFullPoolLeavesTheEffectOutButTheCheckpointStillSaves)
{
    GameObject* checkpoint = Make(CHECKPOINT, glm::vec3(2.5f, 0.5f, 2.5f));
    GameObject* robot = Make(PLAYER, ROBOT);
    FillPool();
    checkpoint->InitComponents();
    EXPECT_EQ(Checkpoint(checkpoint)->m_Emitter, nullptr);
    checkpoint->NotifyCollision(robot);
    EXPECT_TRUE(store->HasCheckpoint());
    checkpoint->UpdateComponents();
    checkpoint->FreeComponents();
}

TEST_F(CheckpointTest, AnEmitterOfItsOwnShowsTheLookAndRestoresOnAFall)
{
    GameObject* checkpoint = Make(CHECKPOINT, glm::vec3(2.5f, 0.5f, 2.5f));
    checkpoint->AddComponentHelper(CT_PARTICLEEMITTER);
    GameObject* robot = Make(PLAYER, ROBOT);
    System::GetInstance()->playerOne = robot;

    checkpoint->UpdateComponents();
    EXPECT_EQ(CheckPointComponent::GetLook(), CheckPointComponent::LOOK_IDLE_SHOWN);
    EXPECT_EQ(Emitter(checkpoint)->m_pattern, PARTICLE_FOUNTAIN);
    EXPECT_FALSE(Emitter(checkpoint)->m_active);

    checkpoint->NotifyCollision(robot);
    checkpoint->UpdateComponents();
    EXPECT_EQ(CheckPointComponent::GetLook(), CheckPointComponent::LOOK_ACTIVATED_SHOWN);
    EXPECT_EQ(Emitter(checkpoint)->m_pattern, PARTICLE_FOUNTAIN_GREEN);

    robot->position.y = -4.5f;
    checkpoint->UpdateComponents();
    EXPECT_EQ(robot->position, glm::vec3(ROBOT.x, -4.5f, ROBOT.z));
    robot->position.y = -4.51f;
    checkpoint->UpdateComponents();
    EXPECT_EQ(robot->position, ROBOT);
    EXPECT_EQ(CheckPointComponent::GetLook(), CheckPointComponent::LOOK_IDLE);
    System::GetInstance()->playerOne = nullptr;
}

// The level: the robot reaches the checkpoint, falls and is put back.
TEST_F(CheckpointTest, ARobotFallingAfterACheckpointIsPutBackWhereItTouchedIt)
{
    StartStates();
    LoadLevel("checkpoint.xml");
    std::vector<GameObject*> robots = All(PLAYER);
    ASSERT_EQ(robots.size(), 1u);
    GameObject* robot = robots[0];
    System::GetInstance()->playerOne = robot;
    Frame(3);
    ASSERT_TRUE(store->HasCheckpoint());
    const glm::vec3 touched = store->GetActivations()[0].playerPosition;

    // Off the floor and falling at full gravity.
    robot->position = glm::vec3(6.5f, 0.5f, 6.5f);
    GetGravityGenerator(robot)->gravity.y = FULL_GRAVITY_Y;
    int frames = 0;
    while (robot->position.x > 5.0f && frames < 64) {
        Frame();
        ++frames;
    }
    EXPECT_LT(frames, 64);
    EXPECT_NEAR(robot->position.x, touched.x, 0.2f);
    EXPECT_NEAR(robot->position.z, touched.z, 0.2f);
    EXPECT_EQ(gsm.GetRequestedState(), STATE_FREELOAD);
    EXPECT_EQ(TestSupport::Count(LogPage(), "Using checkpoint since player position less than -5.f"), 1u);
    EXPECT_EQ(LogPage().find("Restarting since player position"), std::string::npos);

    // Once the level ends the store is empty, and a fall asks for the retry menu.
    gsm.RequestState(STATE_RESTART);
    gsm.Update();
    EXPECT_FALSE(store->HasCheckpoint());
    robots = All(PLAYER);
    ASSERT_EQ(robots.size(), 1u);
    System::GetInstance()->playerOne = robots[0];
    robots[0]->position = glm::vec3(6.5f, -5.01f, 6.5f);
    Frame();
    EXPECT_EQ(gsm.GetRequestedState(), STATE_GAMERETRYMENU);
}

} // namespace
