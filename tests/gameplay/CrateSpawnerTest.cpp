// Crates, crate spawners and spawner triggers: each alone frame by frame
// (1/32 s), then together in a level with the physics step.
#include <gtest/gtest.h>

#include "game/gameplay/CrateComponent.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "game/gameplay/CrateSpawnerTriggerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 HOME(5.5f, 0.5f, 2.5f);

class CrateSpawnerTest : public GameplayTest
{
protected:
    GameObject* MakeSpawner(int triggerId, const glm::vec3& position = HOME)
    {
        GameObject* object = Make(CRATESPAWNER, position);
        object->InitComponents();
        Spawner(object)->m_TriggerID = triggerId;
        return object;
    }
    GameObject* MakeTrigger(int triggerId, const glm::vec3& position)
    {
        GameObject* object = Make(CRATESPAWNERTRIGGER, position);
        object->InitComponents();
        Trigger(object)->m_TriggerID = triggerId;
        return object;
    }
    static CrateSpawnerComponent* Spawner(GameObject* object)
    {
        return dynamic_cast<CrateSpawnerComponent*>(object->GetComponent(CT_CRATESPAWNERCOMPONENT));
    }
    static CrateSpawnerTriggerComponent* Trigger(GameObject* object)
    {
        return dynamic_cast<CrateSpawnerTriggerComponent*>(object->GetComponent(CT_CRATESPAWNERTRIGGERCOMPONENT));
    }
    static std::string Texture(GameObject* object) { return Graphics(object)->GetTextureName(); }
    static bool Hidden(const GameObject* object)
    {
        return !(object->flags & OBJ_ACTIVE) && (object->flags & OBJ_SKIP_DRAW);
    }
    // Updates the spawner n times (a crate it makes is not updated).
    static void Run(GameObject* spawner, int n)
    {
        for (int i = 0; i < n; ++i) spawner->UpdateComponents();
    }
};

TEST_F(CrateSpawnerTest, CrateKeepsItsMassAndGoesAtTheFallBoundary)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, -4.99f, 0.0f));
    Body(crate)->inverseMass = 0.25f;
    crate->UpdateComponents();
    EXPECT_EQ(Body(crate)->inverseMass, CrateComponent::CRATE_INVERSE_MASS);
    EXPECT_FALSE(Marked(crate));
    crate->position.y = -5.0f;
    crate->UpdateComponents();
    EXPECT_TRUE(Marked(crate));

    // Without a body only the fall step runs.
    GameObject* bare = Make(CRATE, glm::vec3(0.0f, -6.0f, 0.0f));
    bare->RemoveComponent(CT_PHYSICS);
    bare->UpdateComponents();
    EXPECT_TRUE(Marked(bare));
}

TEST_F(CrateSpawnerTest, ARequestShakesSixUpdatesThenTheSeventhSpawnsAtHome)
{
    GameObject* object = MakeSpawner(1);
    CrateSpawnerComponent* spawner = Spawner(object);
    spawner->m_SpawnOffset = glm::vec3(0.0f, 1.0f, 0.0f);
    spawner->m_SpawnVelocity = glm::vec3(1.0f, 2.0f, 3.0f);
    spawner->m_IsRequested = true;
    for (int update = 1; update <= 6; ++update) {
        object->UpdateComponents();
        const float expected = update % 2 == 1 ? HOME.y + 0.3125f : HOME.y;
        EXPECT_FLOAT_EQ(object->position.y, expected) << update;
        EXPECT_TRUE(All(CRATE).empty());
    }
    object->UpdateComponents();
    EXPECT_EQ(object->position, HOME);
    EXPECT_TRUE(spawner->m_ShakeUpwards);
    EXPECT_EQ(spawner->m_ShakeTimer, 0.0f);
    std::vector<GameObject*> crates = All(CRATE);
    ASSERT_EQ(crates.size(), 1u);
    EXPECT_EQ(crates[0]->position, HOME + glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(Body(crates[0])->velocity, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(spawner->m_Spawned, 1);
}

TEST_F(CrateSpawnerTest, CooldownEndsOnThe33rdUpdateAndForgetsPressesMeanwhile)
{
    GameObject* object = MakeSpawner(4);
    CrateSpawnerComponent* spawner = Spawner(object);
    spawner->m_IsShake = false;
    spawner->m_SpawnCooldown = 1.0f;
    GameObject* pad = MakeTrigger(4, glm::vec3(1.5f, -0.5f, 1.5f));
    spawner->FindTriggers();

    // Without shaking the request spawns on its own update.
    spawner->m_IsRequested = true;
    Run(object, 1);
    EXPECT_EQ(All(CRATE).size(), 1u);
    for (int update = 2; update <= 32; ++update) {
        if (update == 10) {
            pad->NotifyCollision(All(CRATE)[0]);
            pad->UpdateComponents();
            EXPECT_TRUE(spawner->m_IsRequested);
        }
        Run(object, 1);
        EXPECT_TRUE(spawner->m_IsCooling) << update;
    }
    Run(object, 1);
    EXPECT_FALSE(spawner->m_IsCooling);
    EXPECT_EQ(spawner->m_CooldownTimer, 0.0f);
    Run(object, 10);
    EXPECT_EQ(All(CRATE).size(), 1u);
}

TEST_F(CrateSpawnerTest, TheAmountLimitsTheCratesMade)
{
    GameObject* none = MakeSpawner(1);
    Spawner(none)->m_AmountOfCratesToSpawn = 0;
    Spawner(none)->m_IsShake = false;
    Spawner(none)->m_IsRequested = true;
    Run(none, 3);
    EXPECT_TRUE(All(CRATE).empty());

    GameObject* two = MakeSpawner(2, HOME + glm::vec3(3.0f, 0.0f, 0.0f));
    CrateSpawnerComponent* spawner = Spawner(two);
    spawner->m_AmountOfCratesToSpawn = 2;
    spawner->m_IsShake = false;
    for (int round = 0; round < 4; ++round) {
        spawner->m_IsRequested = true;
        Run(two, 2);
    }
    EXPECT_EQ(All(CRATE).size(), 2u);
    EXPECT_EQ(spawner->m_Spawned, 2);
    EXPECT_TRUE(spawner->IsExhausted());
    store->Save(CheckpointActivation{});
    spawner->m_LastCrate = nullptr;  // a restore relinks every pad, also one walked after another pad's look-up
    store->Restore();
    EXPECT_TRUE(spawner->m_LastCrate.Refresh());
}

TEST_F(CrateSpawnerTest, OneCrateAtATimeWaitsUntilTheLastCrateIsGone)
{
    GameObject* object = MakeSpawner(1);
    CrateSpawnerComponent* spawner = Spawner(object);
    spawner->m_IsShake = false;
    spawner->m_IsOneCrateAtATime = true;
    spawner->m_IsRequested = true;
    Run(object, 1);
    ASSERT_EQ(All(CRATE).size(), 1u);
    EXPECT_FALSE(spawner->m_IsTriggerable);
    Run(object, 40);
    EXPECT_FALSE(spawner->m_IsTriggerable);
    EXPECT_EQ(spawner->m_CooldownTimer, 0.0f);

    All(CRATE)[0]->flags |= OBJ_DESTROY;
    Run(object, 1);
    EXPECT_FALSE(spawner->m_IsTriggerable);  // the crate is still in play until the destroy pass
    objects->Update();
    Run(object, 1);
    EXPECT_TRUE(spawner->m_IsTriggerable);
}

TEST_F(CrateSpawnerTest, ACrateTheFullPoolCannotGiveIsNotCounted)
{
    GameObject* object = MakeSpawner(1);
    CrateSpawnerComponent* spawner = Spawner(object);
    spawner->m_IsShake = false;
    spawner->m_AmountOfCratesToSpawn = 1;
    FillPool();
    spawner->m_IsRequested = true;
    Run(object, 1);
    EXPECT_EQ(spawner->m_Spawned, 0);
    EXPECT_FALSE(spawner->IsExhausted());
}

TEST_F(CrateSpawnerTest, TriggersOfTheIdRequestAndTheLastSpawnerLinkedWins)
{
    GameObject* first = MakeSpawner(3);
    GameObject* second = MakeSpawner(3, HOME + glm::vec3(0.0f, 0.0f, 3.0f));
    GameObject* other = MakeSpawner(8, HOME + glm::vec3(0.0f, 0.0f, 6.0f));
    GameObject* padA = MakeTrigger(3, glm::vec3(1.5f, -0.5f, 1.5f));
    GameObject* padB = MakeTrigger(3, glm::vec3(2.5f, -0.5f, 1.5f));
    for (GameObject* s : {first, second, other}) Spawner(s)->FindTriggers();
    EXPECT_EQ(Trigger(padA)->m_TriggerID, 3);
    EXPECT_EQ(Trigger(padA)->m_Spawner, second);
    EXPECT_EQ(Trigger(padB)->m_Spawner, second);

    GameObject* crate = Make(CRATE, glm::vec3(0.0f));
    GameObject* cube = Make(CUBE, glm::vec3(0.0f));
    for (GameObject* pad : {padA, padB}) {
        Spawner(second)->m_IsRequested = false;
        pad->NotifyCollision(nullptr);
        pad->NotifyCollision(cube);
        pad->UpdateComponents();
        EXPECT_FALSE(Spawner(second)->m_IsRequested);
        pad->NotifyCollision(crate);
        pad->UpdateComponents();
        EXPECT_TRUE(Spawner(second)->m_IsRequested);
        EXPECT_FALSE(Trigger(pad)->m_IsTriggered);
    }
    EXPECT_FALSE(Spawner(first)->m_IsRequested);
}

TEST_F(CrateSpawnerTest, HologramAndTextureFollowTheSpawner)
{
    GameObject* spawnerObject = MakeSpawner(5);
    CrateSpawnerComponent* spawner = Spawner(spawnerObject);
    GameObject* pad = MakeTrigger(5, glm::vec3(1.5f, -0.5f, 1.5f));
    std::vector<GameObject*> holograms = All(CRATEHOLOGRAM);
    ASSERT_EQ(holograms.size(), 1u);
    GameObject* hologram = holograms[0];
    EXPECT_TRUE(Hidden(hologram));
    EXPECT_EQ(hologram->scale, glm::vec3(0.8f));
    spawner->FindTriggers();

    pad->UpdateComponents();
    EXPECT_FALSE(Hidden(hologram));
    EXPECT_EQ(hologram->position, pad->position + glm::vec3(0.0f, 1.5f, 0.0f));
    const glm::vec3 angles = GameObject::QuatToEulerDegrees(hologram->rotation);
    EXPECT_NEAR(angles.x, 15.0f / 32.0f, 1e-3f);
    EXPECT_NEAR(angles.z, 15.0f / 32.0f, 1e-3f);

    spawner->m_IsCooling = true;
    pad->UpdateComponents();
    EXPECT_TRUE(Hidden(hologram));
    spawner->m_IsCooling = false;
    spawner->m_IsTriggerable = false;
    Trigger(pad)->m_Frame = 2;
    pad->UpdateComponents();
    EXPECT_TRUE(Hidden(hologram));
    EXPECT_EQ(Trigger(pad)->m_FrameTimer, 0.0f);
    EXPECT_EQ(Texture(pad), "crate_spawnertrigger1");

    // Ready again: the second texture after 33 updates (33/32 s > 1 s).
    spawner->m_IsTriggerable = true;
    GameObject* crate = Make(CRATE, glm::vec3(0.0f));
    for (int update = 1; update <= 32; ++update) {
        if (update == 16) pad->NotifyCollision(crate);  // pressed: that look for the update only
        pad->UpdateComponents();
        EXPECT_EQ(Texture(pad), update == 16 ? "crate_spawnertrigger_pressed" : "crate_spawnertrigger1") << update;
    }
    pad->UpdateComponents();
    EXPECT_EQ(Texture(pad), "crate_spawnertrigger2");
    EXPECT_EQ(Trigger(pad)->m_FrameTimer, 0.0f);
    Trigger(pad)->m_Frame = 3;
    Trigger(pad)->m_FrameTimer = 1.0f;
    pad->UpdateComponents();
    EXPECT_EQ(Texture(pad), "crate_spawnertrigger1");

    pad->FreeComponents();
    EXPECT_TRUE(Marked(hologram));
}

TEST_F(CrateSpawnerTest, CopiesKeepTheCycleAndTheLink)
{
    GameObject* object = MakeSpawner(12);
    CrateSpawnerComponent* spawner = Spawner(object);
    spawner->m_Spawned = 2;
    spawner->m_CooldownTimer = 0.75f;
    spawner->m_IsRequested = true;
    spawner->m_IsTriggerable = false;
    CrateSpawnerComponent copy;
    copy.CopyFrom(spawner);
    EXPECT_EQ(copy.m_TriggerID, 12);
    EXPECT_EQ(copy.m_Spawned, 2);
    EXPECT_EQ(copy.m_CooldownTimer, 0.75f);
    EXPECT_TRUE(copy.m_IsRequested);
    EXPECT_FALSE(copy.m_IsTriggerable);

    GameObject* pad = MakeTrigger(12, glm::vec3(0.0f));
    Trigger(pad)->m_Spawner = object;
    Trigger(pad)->m_IsTriggered = true;
    CrateSpawnerTriggerComponent padCopy;
    padCopy.CopyFrom(Trigger(pad));
    EXPECT_EQ(padCopy.m_TriggerID, 12);
    EXPECT_EQ(padCopy.m_Spawner, object);
    EXPECT_TRUE(padCopy.m_IsTriggered);
    EXPECT_EQ(padCopy.m_Hologram, nullptr);
}

TEST_F(CrateSpawnerTest, AFullPoolLeavesTheHologramOut)
{
    GameObject* spawnerObject = MakeSpawner(5);
    GameObject* pad = Make(CRATESPAWNERTRIGGER, glm::vec3(1.5f, -0.5f, 1.5f));
    Trigger(pad)->m_TriggerID = 5;
    FillPool();
    pad->InitComponents();
    Spawner(spawnerObject)->FindTriggers();
    EXPECT_EQ(Trigger(pad)->m_Hologram, nullptr);
    pad->NotifyCollision(All(CRATEHOLOGRAM)[0]);
    pad->UpdateComponents();
    pad->FreeComponents();
}

// In a level with the physics step: a crate dropped on the pad makes the
// spawner shake and then put a crate over itself.
TEST_F(CrateSpawnerTest, ACrateDroppedOnThePadMakesTheSpawnerShakeAndSpawn)
{
    StartStates();
    LoadLevel("spawner.xml");
    std::vector<GameObject*> spawners = All(CRATESPAWNER);
    ASSERT_EQ(spawners.size(), 1u);
    GameObject* spawnerObject = spawners[0];
    CrateSpawnerComponent* spawner = Spawner(spawnerObject);
    ASSERT_EQ(Trigger(All(CRATESPAWNERTRIGGER)[0])->m_Spawner, spawnerObject);
    const glm::vec3 home = spawnerObject->position;

    // Frames until the spawner starts shaking (the crate lands on the pad).
    int frames = 0;
    while (spawnerObject->position == home && frames < 64) {
        Frame();
        ++frames;
    }
    ASSERT_LT(frames, 64);
    EXPECT_EQ(All(CRATE).size(), 1u);

    // The crate comes on the seventh update of the request, before that
    // frame's physics step moves it.
    GameObject* made = nullptr;
    for (int update = 2; update <= 7 && !made; ++update) {
        gsm.Update();
        std::vector<GameObject*> crates = All(CRATE);
        if (crates.size() == 2u) {
            EXPECT_EQ(update, 7);
            made = crates[1];
        }
        objects->Update();
        if (!made) physics->Update();
    }
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(spawnerObject->position, home);
    EXPECT_EQ(made->position, home + glm::vec3(0.0f, 1.5f, 0.0f));
    EXPECT_EQ(Body(made)->velocity, glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(spawner->m_Spawned, 1);
}

} // namespace
