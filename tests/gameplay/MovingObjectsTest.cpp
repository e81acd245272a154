// Belts, platforms, path followers, comets and comet spawners, each alone
// and frame by frame (1/32 s), without the physics step: contacts are
// delivered by hand.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include <tinyxml2.h>

#include "engine/core/Random.h"
#include "engine/graphics/ParticleEmitter.h"
#include "game/flow/Map.h"
#include "game/gameplay/CometComponent.h"
#include "game/gameplay/CometSpawnerComponent.h"
#include "game/gameplay/ConveyorBeltComponent.h"
#include "game/gameplay/FallingPlatformComponent.h"
#include "game/gameplay/FollowPath.h"
#include "game/gameplay/HoveringPlatform.h"
#include "game/gameplay/JetstreamComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

template <typename T>
T* Part(const GameObject* object, Components type)
{
    return object ? dynamic_cast<T*>(object->GetComponent(type)) : nullptr;
}
ParticleEmitter* Emitter(const GameObject* object) { return Part<ParticleEmitter>(object, CT_PARTICLEEMITTER); }
bool Finite(const glm::vec3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

using MovingMastersTest = GameplayTest;

TEST_F(MovingMastersTest, SixMastersCarryTheirParts)
{
    GameObject* belt = Make(CONVEYORBELT, glm::vec3(0.0f));
    auto* conveyor = Part<ConveyorBeltComponent>(belt, CT_CONVEYORBELT);
    ASSERT_TRUE(conveyor && GetCollisionComponent(belt) && !Body(belt));
    EXPECT_EQ(conveyor->m_BeltMovementDirection, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_GT(conveyor->m_BeltSpeed, 0.0f);

    GameObject* hover = Make(HOVERINGPLATFORM, glm::vec3(0.0f));
    ASSERT_TRUE(Part<HoveringPlatform>(hover, CT_HOVERINGPLATFORM) && Body(hover));
    EXPECT_TRUE(!GetGravityGenerator(hover) && Body(hover)->GetForceGenerator(FG_DRAG));
    EXPECT_TRUE(Body(hover)->inverseMass > 0.0f && Body(hover)->inverseMass < 0.01f);

    GameObject* jet = Make(JETSTREAM, glm::vec3(0.0f));
    EXPECT_TRUE(Part<JetstreamComponent>(jet, CT_JETSTREAM) && !GetCollisionComponent(jet));
    GameObject* falling = Make(FALLINGPLATFORM, glm::vec3(0.0f));
    EXPECT_TRUE(Part<FallingPlatformComponent>(falling, CT_FALLINGPLATFORM) && !Body(falling));

    GameObject* cometObject = Make(COMET, glm::vec3(0.0f));
    auto* comet = Part<CometComponent>(cometObject, CT_COMET);
    ASSERT_TRUE(comet && Body(cometObject) && !GetGravityGenerator(cometObject));
    EXPECT_GT(comet->m_LifeTime, 0.0f);

    GameObject* spawnerObject = Make(COMETSPAWNER, glm::vec3(0.0f));
    auto* spawner = Part<CometSpawnerComponent>(spawnerObject, CT_COMETSPAWNER);
    ASSERT_TRUE(spawner && !GetCollisionComponent(spawnerObject));
    EXPECT_EQ(spawner->m_SpawnAmountMax, CometSpawnerComponent::UNLIMITED);
}

class ConveyorBeltTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        System::GetInstance()->audioManager->LoadSound(ConveyorBeltComponent::CONVEYOR_SOUND);
        belt = Make(CONVEYORBELT, glm::vec3(0.0f));
        conveyor = Part<ConveyorBeltComponent>(belt, CT_CONVEYORBELT);
        ASSERT_NE(conveyor, nullptr);
    }
    int Plays() { return Audio()->CountPlays(ConveyorBeltComponent::CONVEYOR_SOUND); }
    GameObject* belt = nullptr;
    ConveyorBeltComponent* conveyor = nullptr;
};

TEST_F(ConveyorBeltTest, EveryContactPushesAlongTheUnitDirection)
{
    conveyor->m_BeltSpeed = 2.0f;
    conveyor->m_BeltMovementDirection = glm::vec3(2.0f, 0.0f, 0.0f);
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 1.0f, 0.0f));
    belt->NotifyCollision(crate);
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(2.0f, 0.0f, 0.0f));
    EXPECT_EQ(conveyor->m_BeltMovementDirection, glm::vec3(1.0f, 0.0f, 0.0f));
    belt->NotifyCollision(crate);
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(4.0f, 0.0f, 0.0f));
    // Nothing to push: no other, or one without a body.
    belt->NotifyCollision(nullptr);
    belt->NotifyCollision(Make(CUBE, glm::vec3(3.0f)));

    // A zero or broken direction stays zero and pushes nothing, centring on.
    conveyor->m_IsMoveToCenter = true;
    for (const glm::vec3& bad : {glm::vec3(0.0f), glm::vec3(NAN, 1.0f, 0.0f), glm::vec3(INFINITY, 0.0f, 0.0f)}) {
        conveyor->m_BeltMovementDirection = bad;
        belt->NotifyCollision(crate);
        EXPECT_EQ(conveyor->m_BeltMovementDirection, glm::vec3(0.0f));
        EXPECT_EQ(Body(crate)->velocity, glm::vec3(4.0f, 0.0f, 0.0f));
    }
    EXPECT_EQ(Plays(), 0);
}

TEST_F(ConveyorBeltTest, CentringPullsTowardTheCentreLineAndPlaysOnlyOffIt)
{
    conveyor->m_BeltSpeed = 2.0f;
    conveyor->m_IsMoveToCenter = true;
    GameObject* off = Make(CRATE, glm::vec3(1.0f, 0.5f, 0.5f));
    belt->NotifyCollision(off);
    const glm::vec3 v = Body(off)->velocity;
    EXPECT_FLOAT_EQ(v.x, 2.0f);
    EXPECT_FLOAT_EQ(v.y, -0.05f);
    EXPECT_FLOAT_EQ(v.z, -0.05f);
    EXPECT_EQ(Plays(), 1);

    // On the line across the belt (along 0): the push only, silently.
    GameObject* across = Make(CRATE, glm::vec3(0.0f, 0.5f, 0.5f));
    belt->NotifyCollision(across);
    EXPECT_EQ(Body(across)->velocity, glm::vec3(2.0f, 0.0f, 0.0f));
    EXPECT_EQ(Plays(), 1);
}

class FallingPlatformTest : public GameplayTest
{
protected:
    GameObject* MakePlatform(bool consecutive)
    {
        GameObject* object = Make(FALLINGPLATFORM, glm::vec3(2.5f, 1.5f, 2.5f));
        object->InitComponents();
        Part<FallingPlatformComponent>(object, CT_FALLINGPLATFORM)->m_consecutive = consecutive;
        return object;
    }
    static void Touch(GameObject* platform, GameObject* by, int frames)
    {
        for (int i = 0; i < frames; ++i) {
            if (by) platform->NotifyCollision(by);
            platform->UpdateComponents();
        }
    }
};

TEST_F(FallingPlatformTest, OnlyARobotsTouchCountsAndConsecutiveTouchesMustBeUnbroken)
{
    GameObject* robot = Make(PLAYER, glm::vec3(0.0f));
    GameObject* steady = MakePlatform(true);
    auto* steadyPart = Part<FallingPlatformComponent>(steady, CT_FALLINGPLATFORM);
    Touch(steady, Make(CRATE, glm::vec3(0.0f)), 64);
    EXPECT_EQ(steadyPart->m_ContactTime, 0.0f);
    Touch(steady, robot, 19);
    Touch(steady, nullptr, 1);
    Touch(steady, robot, 19);
    EXPECT_FALSE(steadyPart->m_IsTriggered);

    GameObject* patient = MakePlatform(false);
    auto* patientPart = Part<FallingPlatformComponent>(patient, CT_FALLINGPLATFORM);
    Touch(patient, robot, 19);
    Touch(patient, nullptr, 1);
    for (int frame = 1; frame <= 13; ++frame) {
        Touch(patient, robot, 1);
        ASSERT_FALSE(patientPart->m_IsTriggered) << frame;
    }
    Touch(patient, robot, 1);
    EXPECT_TRUE(patientPart->m_IsTriggered && patientPart->m_IsSinking);

    // It shakes about home for a second (the triggering update counts)
    // without sinking, then fades and sinks, and turns ethereal once invisible.
    for (int frame = 0; frame < 31; ++frame) {
        Touch(patient, nullptr, 1);
        const float dx = patient->position.x - 2.5f, dz = patient->position.z - 2.5f;
        EXPECT_TRUE(dx == 0.0f || (dx >= 4.4f / 32 && dx <= 8.6f / 32)) << dx;
        EXPECT_TRUE(dz == 0.0f || (dz >= 4.4f / 32 && dz <= 8.6f / 32)) << dz;
        EXPECT_EQ(patient->position.y, 1.5f);
    }
    EXPECT_NE(patient->position.x, 2.5f);
    Touch(patient, nullptr, 10);
    EXPECT_GT(Graphics(patient)->GetOpacity(), 0.0f);
    EXPECT_FALSE(GetCollisionComponent(patient)->ethereal);
    patient->flags |= OBJ_LEVEL_OWN;
    Touch(patient, nullptr, 1);
    EXPECT_EQ(Graphics(patient)->GetOpacity(), 0.0f);
    EXPECT_TRUE(GetCollisionComponent(patient)->ethereal);
    EXPECT_EQ(patient->flags & OBJ_LEVEL_OWN, 0u) << "gone from the level, a save leaves it out";
    EXPECT_NEAR(patient->position.y, 1.5f - 11 * 3.0f / 32, 1e-4f);
}

TEST_F(FallingPlatformTest, AFadedPlatformLeavesTheGridOnceWhereItWasEntered)
{
    StartStates();
    LoadLevel("platforms.xml");
    Map* map = gsm.GetLevelManager()->GetMap();
    ASSERT_NE(map, nullptr);
    const std::uint32_t platform = FALLINGPLATFORM;
    ASSERT_EQ(map->GetCellValue(2, 2, 1), platform);
    ASSERT_EQ(map->GetCellValue(2, 3, 1), platform);

    GameObject* object = All(FALLINGPLATFORM)[0];
    auto* part = Part<FallingPlatformComponent>(object, CT_FALLINGPLATFORM);
    Touch(object, Make(PLAYER, glm::vec3(1.7f, 2.5f, 2.5f)), 64);  // on the block beside it, over its edge
    EXPECT_FALSE(part->m_IsTriggered);
    Touch(object, Make(PLAYER, glm::vec3(2.1f, 2.5f, 2.5f)), 33);  // its centre over the platform
    EXPECT_TRUE(part->m_IsTriggered);
    object->rotation = GameObject::EulerDegreesToQuat(glm::vec3(0.0f, 90.0f, 0.0f));  // logs on every removal
    part->m_IsTriggered = part->m_IsSinking = true;
    for (int i = 0; i < 43 && !GetCollisionComponent(object)->ethereal; ++i) object->UpdateComponents();
    ASSERT_TRUE(GetCollisionComponent(object)->ethereal);
    EXPECT_LT(object->position.y, 0.5f);
    EXPECT_EQ(map->GetCellValue(2, 2, 1), 0u);
    EXPECT_EQ(map->GetCellValue(2, 3, 1), platform);

    // Later updates leave the grid alone.
    map->SetCellValue(2, 2, 1, platform, false);
    for (int i = 0; i < 5; ++i) object->UpdateComponents();
    EXPECT_EQ(map->GetCellValue(2, 2, 1), platform);
    const std::string log = LogPage();
    const std::string warning = "has been rotated before";
    EXPECT_EQ(log.find(warning), log.rfind(warning));
}

using HoveringPlatformTest = GameplayTest;

TEST_F(HoveringPlatformTest, JetstreamAndPlumeFollowAndGoWithThePlatform)
{
    GameObject* object = Make(HOVERINGPLATFORM, glm::vec3(3.0f, 2.0f, 3.0f));
    states.updating = true;  // the companions are initialised as they are made
    object->InitComponents();
    object->InitComponents();  // no second companion
    states.updating = false;
    auto* hover = Part<HoveringPlatform>(object, CT_HOVERINGPLATFORM);
    ASSERT_EQ(All(JETSTREAM).size(), 1u);
    GameObject* jet = hover->m_Jetstream;
    ASSERT_EQ(jet, All(JETSTREAM)[0]);
    EXPECT_EQ(jet->position, glm::vec3(3.0f, 1.0f, 3.0f));
    EXPECT_FALSE(Body(object)->flags & BODY_CAN_SLEEP);
    GameObject* plume = Part<JetstreamComponent>(jet, CT_JETSTREAM)->m_Emitter;
    ASSERT_TRUE(plume && Emitter(plume)->m_active);
    EXPECT_EQ(Emitter(plume)->m_pattern, 10);
    EXPECT_EQ(Emitter(plume)->m_count, 20);
    EXPECT_EQ(plume->position, jet->position);

    // Pushed sideways and pressed down (a robot standing on it is pushed
    // out of it every step, and the platform a hair with it): it keeps the
    // sideways move and goes back to its own height.
    object->position = glm::vec3(4.0f, 1.99f, 3.0f);
    object->flags |= OBJ_WORLD_VALID;
    Body(object)->velocity = glm::vec3(1.0f, -3.0f, 2.0f);
    UpdateObjects();
    EXPECT_EQ(Body(object)->velocity, glm::vec3(1.0f, 0.0f, 2.0f));
    EXPECT_EQ(object->position, glm::vec3(4.0f, 2.0f, 3.0f));
    EXPECT_FALSE(object->flags & OBJ_WORLD_VALID);
    EXPECT_EQ(jet->position, glm::vec3(4.0f, 1.0f, 3.0f));
    EXPECT_FALSE(jet->flags & OBJ_WORLD_VALID);
    EXPECT_EQ(plume->position, jet->position);

    // The platform goes: its jet stream next, then the plume.
    object->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_TRUE(Marked(jet) && !Marked(plume));
    objects->Update();
    EXPECT_TRUE(Marked(plume));
    objects->Update();
    EXPECT_TRUE(All(JETSTREAM).empty());
    EXPECT_TRUE(All(PARTICLEEMITTER).empty());

    // A full pool leaves the companion out.
    GameObject* lonely = Make(HOVERINGPLATFORM, glm::vec3(0.0f));
    FillPool();
    lonely->InitComponents();
    lonely->UpdateComponents();
    EXPECT_EQ(Part<HoveringPlatform>(lonely, CT_HOVERINGPLATFORM)->m_Jetstream, nullptr);
}

class FollowPathTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        object = Make(CRATE, glm::vec3(0.0f));
        path = dynamic_cast<FollowPath*>(object->AddComponentHelper(CT_FOLLOWPATH));
        ASSERT_NE(path, nullptr);
        GetGravityGenerator(object)->gravity.y = 0.0f;
    }
    bool Dropping() const
    {
        return GetGravityGenerator(object)->gravity.y == FULL_GRAVITY_Y && !(Body(object)->flags & BODY_CAN_SLEEP);
    }
    GameObject* object = nullptr;
    FollowPath* path = nullptr;
};

TEST_F(FollowPathTest, FollowsEachSegmentThenStopsAndDrops)
{
    path->SetPath({glm::vec3(0.0f), glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(1.0f, 0.0f, 1.0f)}, 5.0f);
    for (int update = 1; update <= 16; ++update) {
        path->Update();
        const std::size_t index = update >= 14 ? 2 : update >= 7 ? 1 : 0;
        EXPECT_EQ(path->m_CurrentIndex, index) << update;
        EXPECT_EQ(path->m_IsFollowing, update < 15) << update;
        EXPECT_EQ(Dropping(), update == 16) << update;
    }
    EXPECT_FLOAT_EQ(object->position.x, 7 * 5.0f / 32);
    EXPECT_FLOAT_EQ(object->position.z, 7 * 5.0f / 32);

    object->position.y = -4.99f;
    path->Update();
    EXPECT_FALSE(Marked(object));
    object->position.y = -5.0f;
    path->Update();
    EXPECT_TRUE(Marked(object));
}

TEST_F(FollowPathTest, RepeatedPointsAreSkippedAndAnyContactDrops)
{
    // Never given a path: it drops at once.
    path->Update();
    EXPECT_TRUE(Dropping());

    GetGravityGenerator(object)->gravity.y = 0.0f;
    path->SetPath({glm::vec3(0.0f), glm::vec3(0.0f), glm::vec3(2.0f, 0.0f, 0.0f)}, 4.0f);
    path->Update();
    EXPECT_FLOAT_EQ(object->position.x, 0.125f);
    EXPECT_EQ(path->m_Direction, glm::vec3(1.0f, 0.0f, 0.0f));
    // A broken point has no segment to either side: the path ends there.
    path->SetPath({object->position, glm::vec3(NAN), glm::vec3(2.0f, 0.0f, 0.0f)}, 4.0f);
    path->Update();
    EXPECT_TRUE(Finite(object->position));
    EXPECT_FALSE(path->m_IsFollowing);
    GetGravityGenerator(object)->gravity.y = 0.0f;
    path->SetPath({object->position, glm::vec3(3.0f, 0.0f, 0.0f)}, 4.0f);

    object->NotifyCollision(nullptr);
    EXPECT_TRUE(path->m_IsFollowing);
    object->NotifyCollision(Make(CUBE, glm::vec3(5.0f)));
    EXPECT_FALSE(path->m_IsFollowing);
    EXPECT_TRUE(Dropping());
}

class CometTest : public GameplayTest
{
protected:
    GameObject* MakeComet(const glm::vec3& position)
    {
        GameObject* object = Make(COMET, position);
        states.updating = true;
        object->InitComponents();
        states.updating = false;
        return object;
    }
};

TEST_F(CometTest, FliesWithItsPlumeAndEndsAfterItsLifetime)
{
    GameObject* object = MakeComet(glm::vec3(1.0f, 5.0f, 1.0f));
    auto* comet = Part<CometComponent>(object, CT_COMET);
    ASSERT_TRUE(comet->m_Plume);
    EXPECT_EQ(Emitter(comet->m_Plume)->m_pattern, CometComponent::PLUME_PATTERN);
    EXPECT_TRUE(Emitter(comet->m_Plume)->m_active);
    comet->m_Direction = glm::vec3(0.0f, 0.6f, 0.8f);
    comet->m_Speed = 5.0f;
    comet->m_LifeTime = 1.0f;
    for (int update = 1; update <= 32; ++update) {
        object->position.x += 1.0f;
        object->UpdateComponents();
        ASSERT_FALSE(Marked(object)) << update;
    }
    EXPECT_EQ(comet->m_Plume->position, object->position);
    EXPECT_EQ(Body(object)->velocity, glm::vec3(0.0f, 3.0f, 4.0f));
    object->UpdateComponents();
    EXPECT_TRUE(Marked(object));

    // Lifetime 0 ends on the first update; Free lets the plume go.
    GameObject* brief = MakeComet(glm::vec3(0.0f));
    Part<CometComponent>(brief, CT_COMET)->m_LifeTime = 0.0f;
    brief->UpdateComponents();
    EXPECT_TRUE(Marked(brief));
    GameObject* plume = Part<CometComponent>(brief, CT_COMET)->m_Plume;
    brief->FreeComponents();
    EXPECT_TRUE(Marked(plume));

    // A direction without one, from a file or not, falls straight down.
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<Dir>0 0 0</Dir><Speed>7</Speed>"), tinyxml2::XML_SUCCESS);
    comet->Read(doc.FirstChildElement());
    EXPECT_EQ(comet->m_Speed, 7.0f);
    object->InitComponents();
    EXPECT_EQ(comet->m_Direction, CometComponent::DEFAULT_DIRECTION);
    comet->m_Direction = glm::vec3(NAN, 0.0f, 1.0f);
    object->InitComponents();
    EXPECT_EQ(comet->m_Direction, CometComponent::DEFAULT_DIRECTION);
}

TEST_F(CometTest, OneStepsSeveralContactsMakeOneBurst)
{
    GameObject* object = MakeComet(glm::vec3(2.0f, 0.3f, 2.0f));
    GameObject* floor = Make(CUBE, glm::vec3(2.0f, -0.5f, 2.0f));
    object->NotifyCollision(nullptr);
    EXPECT_FALSE(Marked(object));
    object->NotifyCollision(floor);
    object->NotifyCollision(floor);
    EXPECT_TRUE(Marked(object));
    std::vector<GameObject*> bursts;
    for (GameObject* effect : All(PARTICLEEMITTER))
        if (effect != Part<CometComponent>(object, CT_COMET)->m_Plume) bursts.push_back(effect);
    ASSERT_EQ(bursts.size(), 1u);
    ParticleEmitter* burst = Emitter(bursts[0]);
    EXPECT_FALSE(burst->m_active);
    EXPECT_EQ(burst->m_pattern, 0);
    EXPECT_EQ(burst->m_count, 400);
    EXPECT_EQ(bursts[0]->position, object->position);

    // With the pool full the comet still goes, without a burst.
    GameObject* late = MakeComet(glm::vec3(0.0f));
    FillPool();
    late->NotifyCollision(floor);
    EXPECT_TRUE(Marked(late));
}

class CometSpawnerTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        ResetRandom();
        object = Make(COMETSPAWNER, BASE);
        spawner = Part<CometSpawnerComponent>(object, CT_COMETSPAWNER);
        ASSERT_NE(spawner, nullptr);
        spawner->m_SpawnCooldown = 0.0f;
    }
    std::vector<CometComponent*> Run(int updates)
    {
        for (int i = 0; i < updates; ++i) object->UpdateComponents();
        std::vector<CometComponent*> comets;
        for (GameObject* comet : All(COMET)) comets.push_back(Part<CometComponent>(comet, CT_COMET));
        return comets;
    }
    const glm::vec3 BASE{8.0f, 6.0f, 8.0f};
    GameObject* object = nullptr;
    CometSpawnerComponent* spawner = nullptr;
};

TEST_F(CometSpawnerTest, CooldownAndMaximumCountComets)
{
    spawner->m_SpawnAmountMax = 3;
    EXPECT_EQ(Run(1).size(), 1u);
    EXPECT_EQ(Run(9).size(), 3u);
    EXPECT_EQ(spawner->m_SpawnAmount, 3);
    EXPECT_FLOAT_EQ(spawner->m_CooldownTimer, 7.0f / 32);  // still running

    // A cooldown of one second spawns on the 33rd update.
    spawner->m_SpawnAmountMax = CometSpawnerComponent::UNLIMITED;
    spawner->m_SpawnCooldown = 1.0f;
    spawner->m_CooldownTimer = 0.0f;
    EXPECT_EQ(Run(32).size(), 3u);
    EXPECT_EQ(Run(1).size(), 4u);

    // The file names the cooldown "SpawnCooldownTimer"; the running timer has no element.
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<SpawnCooldownTimer>1.5</SpawnCooldownTimer>"), tinyxml2::XML_SUCCESS);
    spawner->Read(doc.FirstChildElement());
    EXPECT_EQ(spawner->m_SpawnCooldown, 1.5f);
    EXPECT_EQ(spawner->m_CooldownTimer, 0.0f);

    // A comet the full pool cannot give is not counted.
    spawner->m_SpawnCooldown = 0.0f;
    FillPool();
    Run(2);
    EXPECT_EQ(spawner->m_SpawnAmount, 4);
}

TEST_F(CometSpawnerTest, SpeedsAndPlacesComeInWholeStepsFromTheLowEnd)
{
    spawner->m_MinCometSpeed = 2.0f;
    spawner->m_MaxCometSpeed = 5.0f;
    spawner->m_SpawnPosVariance = glm::vec3(4.0f, 0.0f, 0.0f);
    spawner->m_CometDir = glm::vec3(0.0f);
    std::set<float> speeds, offsets;
    for (CometComponent* comet : Run(120)) {
        speeds.insert(comet->m_Speed);
        offsets.insert(comet->owner->position.x - BASE.x);
        EXPECT_EQ(comet->owner->position.y, BASE.y);
        EXPECT_EQ(comet->m_Direction, CometComponent::DEFAULT_DIRECTION);
    }
    EXPECT_EQ(speeds, (std::set<float>{2.0f, 3.0f, 4.0f}));
    EXPECT_EQ(offsets, (std::set<float>{-2.0f, -1.0f, 0.0f, 1.0f}));

    // A span below one unit is the minimum.
    spawner->m_MaxCometSpeed = 2.5f;
    const std::vector<CometComponent*> comets = Run(5);
    ASSERT_EQ(comets.size(), 125u);
    for (std::size_t i = 120; i < comets.size(); ++i) EXPECT_EQ(comets[i]->m_Speed, 2.0f);
}

TEST_F(CometSpawnerTest, RandomDirectionsNeverPointUp)
{
    spawner->m_IsRandomDirections = true;
    spawner->m_SpawnPosOffset = glm::vec3(0.0f, 1.0f, 0.0f);
    spawner->m_SpawnPosVariance = glm::vec3(4.0f);  // not used with random directions
    bool sideways = false;
    for (CometComponent* comet : Run(300)) {
        const glm::vec3 d = comet->m_Direction;
        ASSERT_TRUE(Finite(d));
        EXPECT_LE(d.y, 0.0f);
        EXPECT_NEAR(glm::length(d), 1.0f, 1e-5f);
        sideways = sideways || (d.x < 0.0f && d.z > 0.0f);
        EXPECT_EQ(comet->owner->position, BASE + glm::vec3(0.0f, 1.0f, 0.0f));
    }
    EXPECT_TRUE(sideways);
}

} // namespace
