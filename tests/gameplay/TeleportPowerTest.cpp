// The teleport power on a crate: armed only while it rests on something,
// the swap with its robot on that robot's active-power key, and nothing at
// all once the robot is gone.
#include <gtest/gtest.h>

#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/TeleportPowerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const int KEY_T = KEY_A + ('T' - 'A');
const glm::vec3 ROBOT_AT(2.5f, 0.5f, 6.5f);

class TeleportPowerTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        System::GetInstance()->audioManager->LoadSound(TeleportPowerComponent::TELEPORT_SOUND);
        GameObject* floor = Make(CUBE, glm::vec3(4.0f, -0.5f, 4.0f));
        floor->scale = glm::vec3(8.0f, 1.0f, 8.0f);
        robot = Make(PLAYER, ROBOT_AT);
        dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER))->m_IsSpawnOnCreation = false;
        robot->InitComponents();
    }
    // A crate with the teleport, placed by the robot.
    GameObject* MakeTeleportCrate(const glm::vec3& position, int trigger = ACTION_ACTIVE_POWER)
    {
        GameObject* crate = Make(CRATE, position);
        Component* power = crate->AddComponent(CT_TELEPORT);
        EXPECT_NE(power, nullptr);
        Teleport(crate)->Place(robot, trigger);
        return crate;
    }
    static TeleportPowerComponent* Teleport(GameObject* crate)
    {
        return dynamic_cast<TeleportPowerComponent*>(crate->GetComponent(CT_TELEPORT));
    }
    // One update of the crate with the keys held, no physics step.
    void UpdateCrate(GameObject* crate)
    {
        ApplyKeys();
        states.updating = true;
        crate->UpdateComponents();
        states.updating = false;
        EndInputFrame();
    }
    int TeleportSounds() const
    {
        int count = 0;
        for (const std::string& line : fakeAudio.Last()->calls)
            if (line.rfind("PlaySound", 0) == 0 && line.find(TeleportPowerComponent::TELEPORT_SOUND) != std::string::npos)
                ++count;
        return count;
    }
    // Ticks until the crate has rested on the floor for two steps in a row;
    // the ticks taken, or -1.
    int SettleOnTheFloor(GameObject* crate)
    {
        int armed = 0;
        for (int frame = 1; frame <= 32; ++frame) {
            Tick();
            armed = Teleport(crate)->m_IsArmed ? armed + 1 : 0;
            if (armed == 2) return frame;
        }
        return -1;
    }
    GameObject* EffectAt(int pattern, const glm::vec3& position)
    {
        for (GameObject* object : All(PARTICLEEMITTER)) {
            ParticleEmitter* emitter = GetParticleEmitter(object);
            if (emitter && emitter->m_pattern == pattern && object->position == position) return object;
        }
        return nullptr;
    }

    GameObject* robot = nullptr;
};

TEST_F(TeleportPowerTest, InTheAirItWaitsAndIgnoresTheKey)
{
    GameObject* crate = MakeTeleportCrate(glm::vec3(5.5f, 6.0f, 2.5f));
    ASSERT_NE(Teleport(crate)->m_Emitter, nullptr);
    GameObject* spiral = Teleport(crate)->m_Emitter;
    EXPECT_EQ(GetParticleEmitter(spiral)->m_pattern, PARTICLE_SPIRAL);
    EXPECT_EQ(GetParticleEmitter(spiral)->m_count, 2);
    EXPECT_TRUE(GetParticleEmitter(spiral)->m_active);

    Hold({KEY_T});
    for (int frame = 0; frame < 3; ++frame) {
        ReleaseAll();
        Tick();
        Hold({KEY_T});
        const glm::vec3 before = crate->position;
        UpdateCrate(crate);
        EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_teleportwait") << frame;
        EXPECT_FALSE(Teleport(crate)->m_IsArmed);
        EXPECT_EQ(crate->position, before);
        EXPECT_EQ(spiral->position, crate->position);
    }
    EXPECT_EQ(TeleportSounds(), 0);
    EXPECT_NEAR(robot->position.x, ROBOT_AT.x, 1e-4f);

    // Touching the robot or nothing arms nothing; what it can rest on arms it.
    Teleport(crate)->OnCollision(nullptr);
    Teleport(crate)->OnCollision(robot);
    EXPECT_FALSE(Teleport(crate)->m_IsTouched);
    for (ObjectType rest : {SWITCH, CUBE, CRATE, BARRIER, CRATESPAWNER, CRATESPAWNERTRIGGER, BRIDGE, BRIDGETRIGGER,
                            FALLINGPLATFORM})
        EXPECT_TRUE(TeleportPowerComponent::IsRestingPlace(rest)) << rest;
    for (ObjectType other : {PLAYER, DOOR, WALL, CONVEYORBELT, HOVERINGPLATFORM, OBJECTTYPE_ERRORVALUE})
        EXPECT_FALSE(TeleportPowerComponent::IsRestingPlace(other)) << other;

    // The spiral goes with the power.
    crate->RemoveComponent(CT_TELEPORT);
    EXPECT_TRUE(Marked(spiral));
}

TEST_F(TeleportPowerTest, RestingOnACubeTheKeySwapsCrateAndRobot)
{
    // Set down on the floor it settles within a few steps, and from then on
    // every step finds it resting.
    GameObject* crate = MakeTeleportCrate(glm::vec3(5.5f, 0.5f, 2.5f));
    Tick();
    EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_teleportwait");
    ASSERT_GT(SettleOnTheFloor(crate), 0);
    for (int frame = 0; frame < 8; ++frame) {
        Tick();
        EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate_teleportgo") << frame;
    }

    // Armed: the key goes down and the two change places.
    auto* player = dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    player->m_IsPreviewDirty = false;
    robot->flags |= OBJ_WORLD_VALID;
    crate->flags |= OBJ_WORLD_VALID;
    const glm::vec3 robotAt = robot->position;
    const glm::vec3 crateAt = crate->position;
    Hold({KEY_T});
    UpdateCrate(crate);
    EXPECT_EQ(robot->position, crateAt);
    EXPECT_EQ(crate->position, robotAt);
    EXPECT_FALSE(robot->flags & OBJ_WORLD_VALID);
    EXPECT_FALSE(crate->flags & OBJ_WORLD_VALID);
    EXPECT_TRUE(player->m_IsPreviewDirty);
    EXPECT_EQ(TeleportSounds(), 1);
    GameObject* implode = EffectAt(PARTICLE_IMPLODE, robotAt);
    GameObject* ring = EffectAt(PARTICLE_RING, crateAt);
    ASSERT_NE(implode, nullptr);
    ASSERT_NE(ring, nullptr);
    EXPECT_EQ(GetParticleEmitter(implode)->m_count, 80);
    EXPECT_FALSE(GetParticleEmitter(ring)->m_active);

    // Held down, or without a new touch, it does not go again.
    UpdateCrate(crate);
    EXPECT_EQ(robot->position, crateAt);
    EXPECT_EQ(TeleportSounds(), 1);

    // A robot that lost its player component still swaps.
    ReleaseAll();
    Tick(2);
    robot->RemoveComponent(CT_PLAYER);
    const glm::vec3 robotNow = robot->position;
    const glm::vec3 crateNow = crate->position;
    Hold({KEY_T});
    UpdateCrate(crate);
    EXPECT_EQ(robot->position, crateNow);
    EXPECT_EQ(crate->position, robotNow);
}

TEST_F(TeleportPowerTest, TheSecondPlayersCrateAnswersToItsOwnKeyAndADeadRobotToNone)
{
    // Player two's active power on the Up arrow, so the players' keys differ.
    System::GetInstance()->inputInterpreter->GetBinding(ACTIONS_PER_PLAYER + ACTION_ACTIVE_POWER).m_keyIndex = KEY_UP;
    GameObject* crate = MakeTeleportCrate(glm::vec3(5.5f, 0.5f, 2.5f), ACTIONS_PER_PLAYER + ACTION_ACTIVE_POWER);
    ASSERT_GT(SettleOnTheFloor(crate), 0);
    const glm::vec3 crateAt = crate->position;
    Teleport(crate)->m_IsTouched = true;
    Hold({KEY_T});
    UpdateCrate(crate);
    EXPECT_EQ(crate->position, crateAt);
    Teleport(crate)->m_IsTouched = true;
    Hold({KEY_UP});
    UpdateCrate(crate);
    EXPECT_NE(crate->position, crateAt);
    EXPECT_EQ(TeleportSounds(), 1);

    // An action outside the bindings never fires.
    Teleport(crate)->m_TriggerAction = 1000;
    Teleport(crate)->m_IsArmed = true;
    ReleaseAll();
    Tick();
    Hold({KEY_T, KEY_UP});
    const glm::vec3 still = crate->position;
    UpdateCrate(crate);
    EXPECT_EQ(crate->position, still);

    // The robot dies: armed or not, the key does nothing, and no sound plays.
    Teleport(crate)->m_TriggerAction = ACTION_ACTIVE_POWER;
    robot->flags |= OBJ_DESTROY;
    objects->Update();
    ReleaseAll();
    ASSERT_GT(SettleOnTheFloor(crate), 0);
    const glm::vec3 alone = crate->position;
    const size_t effects = All(PARTICLEEMITTER).size();
    Hold({KEY_T});
    UpdateCrate(crate);
    EXPECT_EQ(crate->position, alone);
    EXPECT_EQ(All(PARTICLEEMITTER).size(), effects);
    EXPECT_EQ(TeleportSounds(), 1);
    EXPECT_FALSE(Teleport(crate)->Teleport());
}

} // namespace
