// The explosion power on a crate: what sets it off, what the blast destroys
// and how hard it pushes, the effects and the sound, and one burst however
// many contacts a step brings.
#include <gtest/gtest.h>

#include <cmath>

#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "game/gameplay/ExplodeComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

class ExplodeTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        UseTestMaster("BARRIER.xml");
        UseTestMaster("HOVERINGPLATFORM.xml");
        System::GetInstance()->audioManager->LoadSound(ExplodeComponent::EXPLOSION_SOUND);
    }
    void TearDown() override
    {
        System::GetInstance()->playerOne = nullptr;
        GameplayTest::TearDown();
    }
    // A crate with the explosion power, started.
    GameObject* MakeBomb(const glm::vec3& position)
    {
        GameObject* bomb = Make(CRATE, position);
        EXPECT_NE(bomb->AddComponent(CT_EXPLODE), nullptr);
        return bomb;
    }
    static ExplodeComponent* Explode(GameObject* bomb)
    {
        return dynamic_cast<ExplodeComponent*>(bomb->GetComponent(CT_EXPLODE));
    }
    // A body at rest and asleep, with a vertical velocity.
    GameObject* MakeBody(ObjectType type, const glm::vec3& position, float vy = 0.0f)
    {
        GameObject* object = Make(type, position);
        if (PhysicsComponent* body = Body(object)) {
            body->velocity = glm::vec3(0.0f, vy, 0.0f);
            body->flags &= ~BODY_AWAKE;
        }
        return object;
    }
    // The one-shot emitters of a pattern.
    std::vector<GameObject*> Effects(int pattern)
    {
        std::vector<GameObject*> found;
        for (GameObject* object : All(PARTICLEEMITTER)) {
            ParticleEmitter* emitter = GetParticleEmitter(object);
            if (emitter && emitter->m_pattern == pattern && !emitter->m_active) found.push_back(object);
        }
        return found;
    }
    int ExplosionSounds() const
    {
        int count = 0;
        for (const std::string& line : fakeAudio.Last()->calls)
            if (line.rfind("PlaySound", 0) == 0 && line.find(ExplodeComponent::EXPLOSION_SOUND) != std::string::npos)
                ++count;
        return count;
    }
    static bool Near(const glm::vec3& a, const glm::vec3& b) { return glm::length(a - b) < 1e-5f; }
};

TEST_F(ExplodeTest, TheBlastDestroysWithinTwoAndPushesWithinFive)
{
    GameObject* bomb = MakeBomb(glm::vec3(0.0f));
    GameObject* centre = MakeBody(CRATE, glm::vec3(0.0f), 0.25f);
    GameObject* at15 = MakeBody(CRATE, glm::vec3(-1.5f, 0.0f, 0.0f));
    GameObject* at20 = MakeBody(CRATE, glm::vec3(0.0f, 0.0f, 2.0f));
    GameObject* at201 = MakeBody(CRATE, glm::vec3(0.0f, 0.0f, -2.01f));
    GameObject* at3 = MakeBody(CRATE, glm::vec3(3.0f, 0.0f, 0.0f), -1.0f);
    GameObject* at5 = MakeBody(CRATE, glm::vec3(0.0f, 5.0f, 0.0f), 2.0f);
    GameObject* at501 = MakeBody(CRATE, glm::vec3(-5.01f, 0.0f, 0.0f));
    GameObject* barrier = MakeBody(BARRIER, glm::vec3(0.0f, -1.0f, 0.0f));
    GameObject* platform = MakeBody(HOVERINGPLATFORM, glm::vec3(1.0f, 1.0f, 0.0f));
    GameObject* cube = MakeBody(CUBE, glm::vec3(-1.0f, 0.0f, 0.0f));
    GameObject* resting = MakeBody(CRATE, glm::vec3(0.0f, -1.0f, -1.0f));
    resting->flags &= ~OBJ_ACTIVE;
    GameObject* player = Make(PLAYER, glm::vec3(0.0f, 0.0f, 1.0f));
    const glm::vec3 playerForce = Body(player)->forceAccum;

    Explode(bomb)->OnCollision(cube);
    EXPECT_TRUE(Explode(bomb)->m_HasExploded);
    EXPECT_TRUE(Marked(bomb));
    // Squared distance at most 4 goes; a CUBE is never destroyed.
    for (GameObject* gone : {centre, at15, at20, barrier}) EXPECT_TRUE(Marked(gone)) << gone->id;
    for (GameObject* kept : {at201, at3, at5, at501, platform, cube, resting, player})
        EXPECT_FALSE(Marked(kept)) << kept->id;

    // Pushes: the strength along the way out, the vertical part the body's own.
    EXPECT_TRUE(Near(Body(at3)->forceAccum, glm::vec3(27.5f, -1.0f, 0.0f)));
    EXPECT_TRUE(Near(Body(at201)->forceAccum, glm::vec3(0.0f, 0.0f, -27.5f)));
    EXPECT_TRUE(Near(Body(at15)->forceAccum, glm::vec3(-27.5f, 0.0f, 0.0f)));
    EXPECT_TRUE(Near(Body(at5)->forceAccum, glm::vec3(0.0f, 2.0f, 0.0f)));
    const glm::vec3 atCentre = Body(centre)->forceAccum;
    EXPECT_EQ(atCentre, glm::vec3(0.0f, 0.25f, 0.0f));
    EXPECT_FALSE(std::isnan(atCentre.x) || std::isnan(atCentre.z));
    const float diagonal = 27.5f / std::sqrt(2.0f);
    EXPECT_TRUE(Near(Body(platform)->forceAccum, glm::vec3(diagonal, 0.0f, 0.0f)));
    for (GameObject* pushed : {at3, at201, at15, at5, centre, platform})
        EXPECT_NE(Body(pushed)->flags & BODY_AWAKE, 0u) << pushed->id;
    EXPECT_EQ(Body(at501)->forceAccum, glm::vec3(0.0f));
    EXPECT_EQ(Body(at501)->flags & BODY_AWAKE, 0u);
    EXPECT_EQ(Body(resting)->forceAccum, glm::vec3(0.0f));
    EXPECT_EQ(Body(player)->forceAccum, playerForce);

    // The effects: debris from each destroyed object, away from the centre
    // (up from the centre itself), and the blast.
    const std::vector<GameObject*> debris = Effects(PARTICLE_SMOKE);
    ASSERT_EQ(debris.size(), 4u);
    for (GameObject* effect : debris) {
        EXPECT_EQ(GetParticleEmitter(effect)->m_count, ExplodeComponent::DEBRIS_COUNT);
        if (effect->position == at15->position) {
            EXPECT_TRUE(Near(GetParticleEmitter(effect)->m_direction, glm::vec3(-1.0f, 0.0f, 0.0f)));
        }
        if (effect->position == glm::vec3(0.0f)) {
            EXPECT_EQ(GetParticleEmitter(effect)->m_direction, glm::vec3(0.0f, 1.0f, 0.0f));
        }
    }
    const std::vector<GameObject*> blast = Effects(PARTICLE_BURST);
    ASSERT_EQ(blast.size(), 1u);
    EXPECT_EQ(GetParticleEmitter(blast[0])->m_count, 400);
    EXPECT_EQ(blast[0]->position, glm::vec3(0.0f));
    EXPECT_EQ(camera.GetShakeFrame(), 1);
    // No main player: no sound.
    EXPECT_EQ(ExplosionSounds(), 0);

    // Once only.
    Explode(bomb)->OnCollision(at3);
    EXPECT_TRUE(Near(Body(at3)->forceAccum, glm::vec3(27.5f, -1.0f, 0.0f)));
    EXPECT_FALSE(Marked(at3));
    EXPECT_EQ(Effects(PARTICLE_BURST).size(), 1u);
}

TEST_F(ExplodeTest, WhatSetsItOffAndWhatItTakesAlong)
{
    GameObject* bomb = MakeBomb(glm::vec3(0.0f));
    ASSERT_NE(Explode(bomb)->m_Emitter, nullptr);
    GameObject* sparks = Explode(bomb)->m_Emitter;
    EXPECT_EQ(GetParticleEmitter(sparks)->m_pattern, PARTICLE_SPARK);
    EXPECT_EQ(GetParticleEmitter(sparks)->m_count, 80);
    EXPECT_TRUE(GetParticleEmitter(sparks)->m_active);

    // The robot, belts and force fields do not set it off; nor does nothing.
    Explode(bomb)->OnCollision(nullptr);
    for (ObjectType safe : {PLAYER, CONVEYORBELT, FORCEFIELD, CRATEFORCEFIELD}) {
        GameObject other;
        other.type = safe;
        Explode(bomb)->OnCollision(&other);
    }
    EXPECT_FALSE(Explode(bomb)->m_HasExploded);
    EXPECT_FALSE(Marked(bomb));

    // Its update keeps its look and the sparks over it.
    bomb->position = glm::vec3(0.5f, 0.0f, 0.0f);
    Graphics(bomb)->SetTextureName("crate");
    bomb->UpdateComponents();
    EXPECT_EQ(Graphics(bomb)->GetTextureName(), "crate_explosion");
    EXPECT_EQ(sparks->position, bomb->position);

    // A touched crate goes however far; so does a touched barrier. Heard
    // from the main player.
    System::GetInstance()->playerOne = Make(PLAYER, glm::vec3(3.0f, 0.0f, 0.0f));
    GameObject* touched = MakeBody(CRATE, glm::vec3(4.5f, 0.0f, 0.0f));
    Explode(bomb)->OnCollision(touched);
    EXPECT_TRUE(Marked(touched));
    EXPECT_TRUE(Near(Body(touched)->forceAccum, glm::vec3(27.5f, 0.0f, 0.0f)));
    EXPECT_EQ(ExplosionSounds(), 1);

    GameObject* second = MakeBomb(glm::vec3(20.0f, 0.0f, 0.0f));
    GameObject* barrier = MakeBody(BARRIER, glm::vec3(30.0f, 0.0f, 0.0f));
    System::GetInstance()->camera = nullptr;
    System::GetInstance()->playerOne = nullptr;
    Explode(second)->OnCollision(barrier);
    EXPECT_TRUE(Marked(barrier));
    EXPECT_TRUE(Marked(second));
    EXPECT_EQ(ExplosionSounds(), 1);

    // The sparks go with the power.
    bomb->RemoveComponent(CT_EXPLODE);
    EXPECT_TRUE(Marked(sparks));
}

TEST_F(ExplodeTest, TwoContactsInOneStepMakeOneBurst)
{
    // The bomb drops onto two crates side by side and touches both in one step.
    GameObject* left = MakeBody(CRATE, glm::vec3(-0.5f, 0.5f, 0.0f));
    GameObject* right = MakeBody(CRATE, glm::vec3(0.5f, 0.5f, 0.0f));
    GameObject* floor = Make(CUBE, glm::vec3(0.0f, -0.5f, 0.0f));
    floor->scale = glm::vec3(8.0f, 1.0f, 8.0f);
    GameObject* bomb = MakeBomb(glm::vec3(0.0f, 1.45f, 0.0f));
    GameObject* far = MakeBody(CRATE, glm::vec3(3.0f, 0.5f, 0.0f));
    physics->Update();
    EXPECT_TRUE(Marked(bomb));
    EXPECT_TRUE(Marked(left));
    EXPECT_TRUE(Marked(right));
    EXPECT_FALSE(Marked(far));
    EXPECT_FALSE(Marked(floor));
    EXPECT_EQ(Effects(PARTICLE_BURST).size(), 1u);
    EXPECT_EQ(camera.GetShakeFrame(), 1);
    // Gone with the next destroy pass, sparks included.
    objects->Update();
    objects->Update();
    EXPECT_FALSE(bomb->flags & OBJ_ALIVE);
    EXPECT_TRUE(far->flags & OBJ_ALIVE);
}

TEST_F(ExplodeTest, PushDirectionIsAUnitVectorOrStraightUp)
{
    EXPECT_EQ(ExplodeComponent::PushDirection(glm::vec3(1.0f), glm::vec3(1.0f, 1.0f, 4.0f)),
              glm::vec3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(ExplodeComponent::PushDirection(glm::vec3(2.0f), glm::vec3(2.0f)), glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(ExplodeComponent::PushDirection(glm::vec3(0.0f), glm::vec3(std::nanf(""), 0.0f, 0.0f)),
              glm::vec3(0.0f, 1.0f, 0.0f));
    EXPECT_EQ(ExplodeComponent::PushDirection(glm::vec3(0.0f), glm::vec3(-INFINITY, 0.0f, 0.0f)),
              glm::vec3(0.0f, 1.0f, 0.0f));
}

} // namespace
