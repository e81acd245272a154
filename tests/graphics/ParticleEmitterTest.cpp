// The particle emitter component on a System with a logger, a file manager
// and an object manager holding the real component factories and the game's
// master objects.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <cmath>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/Random.h"
#include "engine/core/System.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

class ParticleEmitterTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ResetRandom();
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        s->objectManager = new ObjectManager();
        Logger::SetDialogAvailableOverride(0);
        RegisterComponentFactories();
        m_objects = s->objectManager;
    }
    void TearDown() override
    {
        Logger::SetDialogAvailableOverride(-1);
        TestSupport::ReleaseSystem();
    }
    // A live emitter object at the position, feeding m_particles.
    ParticleEmitter* MakeEmitter(int pattern, int count, bool active, const glm::vec3& at = glm::vec3(1, 2, 3))
    {
        m_object = m_objects->CreateInstance(PARTICLEEMITTER, at);
        if (!m_object) return nullptr;
        auto* emitter = dynamic_cast<ParticleEmitter*>(m_object->GetComponent(CT_PARTICLEEMITTER));
        if (!emitter) return nullptr;
        emitter->m_pattern = pattern;
        emitter->m_count = count;
        emitter->m_active = active;
        emitter->m_particleSystem = &m_particles;
        return emitter;
    }
    size_t Emitted() const { return m_particles.GetParticles().size(); }

    TestSupport::ScopedTempHome m_home;
    ObjectManager* m_objects = nullptr;
    GameObject* m_object = nullptr;
    ParticleSystem m_particles;
};

} // namespace

TEST_F(ParticleEmitterTest, MasterObjectCarriesADefaultEmitter)
{
    GameObject* o = m_objects->CreateInstance(PARTICLEEMITTER, glm::vec3(0.0f));
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(o->components.size(), 1u);
    auto* emitter = dynamic_cast<ParticleEmitter*>(o->GetComponent(CT_PARTICLEEMITTER));
    ASSERT_NE(emitter, nullptr);
    EXPECT_EQ(emitter->owner, o);
    EXPECT_FALSE(emitter->m_active);
    EXPECT_EQ(emitter->m_particleSystem, nullptr) << "no renderer, no particle system";
}

TEST_F(ParticleEmitterTest, InactiveEmitterFiresOnceAndRemovesItsObject)
{
    ParticleEmitter* e = MakeEmitter(PARTICLE_RING, 5, false);
    ASSERT_NE(e, nullptr);
    const std::int32_t id = m_object->id;
    m_object->UpdateComponents();
    EXPECT_EQ(Emitted(), 5u);
    for (const Particle& p : m_particles.GetParticles())
        EXPECT_EQ(p.position, glm::vec3(1.0f, 2.3f, 3.0f)) << "at the owner's position";
    EXPECT_NE(m_object->flags & OBJ_DESTROY, 0u);
    EXPECT_EQ(OBJ_DESTROY, 0x20u);
    m_objects->Update();
    EXPECT_EQ(m_objects->GetLiveObjects().count(id), 0u);
}

TEST_F(ParticleEmitterTest, ActiveEmitterKeepsEmittingAndTurnsItsPhase)
{
    ParticleEmitter* e = MakeEmitter(PARTICLE_SMOKE, 3, true);
    ASSERT_NE(e, nullptr);
    for (int frame = 1; frame <= 4; ++frame) {
        e->Update();
        EXPECT_EQ(Emitted(), size_t(3 * frame));
    }
    EXPECT_EQ(m_object->flags & OBJ_DESTROY, 0u);
    EXPECT_NEAR(e->m_phase, 0.4f, 1e-6f);
    e->m_phase = 179.95f;
    e->Update();
    EXPECT_NEAR(e->m_phase, 0.0f, 1e-6f) << "past 180 it starts over";
    e->m_phase = 179.85f;
    e->Update();
    EXPECT_NEAR(e->m_phase, 179.95f, 1e-3f);
}

TEST_F(ParticleEmitterTest, BurstAddsTwoHundredToTheCount)
{
    ParticleEmitter* e = MakeEmitter(PARTICLE_BURST, 7, true);
    ASSERT_NE(e, nullptr);
    e->Update();
    EXPECT_EQ(Emitted(), 207u);
    e->m_count = 0;
    e->Update();
    EXPECT_EQ(Emitted(), 407u);
}

TEST_F(ParticleEmitterTest, LeaveAndArriveGrowEveryFrame)
{
    // Each frame: count particles, then the count grows by one and that many
    // more follow.
    for (int pattern : {PARTICLE_LEAVE, PARTICLE_ARRIVE}) {
        m_particles = ParticleSystem();
        ParticleEmitter* e = MakeEmitter(pattern, 2, true);
        ASSERT_NE(e, nullptr);
        e->Update();
        EXPECT_EQ(Emitted(), 2u + 3u) << pattern;
        EXPECT_EQ(e->m_count, 3);
        e->Update();
        EXPECT_EQ(Emitted(), 5u + 3u + 4u) << pattern;
        EXPECT_EQ(e->m_count, 4);
        for (const Particle& p : m_particles.GetParticles())
            EXPECT_EQ(p.pattern, pattern);
    }
}

TEST_F(ParticleEmitterTest, SpiralArmsAlternateAndRise)
{
    ParticleEmitter* e = MakeEmitter(PARTICLE_SPIRAL, 3, true);
    ASSERT_NE(e, nullptr);
    e->m_phase = 0.5f;
    e->Update();
    ASSERT_EQ(Emitted(), 3u);
    const float phase = 0.5f;
    const glm::vec3 expected[3] = {
        {std::cos(phase), 0.3f * std::cos(phase), std::sin(phase)},
        {std::cos(180.0f + phase), 0.3f * std::sin(60.0f + phase), std::sin(180.0f + phase)},
        {std::cos(phase), 0.3f * std::sin(120.0f + phase), std::sin(phase)},
    };
    for (size_t i = 0; i < 3; ++i) {
        const glm::vec3 v = m_particles.GetParticles()[i].velocity;
        for (int axis = 0; axis < 3; ++axis)
            EXPECT_NEAR(v[axis], expected[i][axis], 1e-4f) << "particle " << i << " axis " << axis;
    }
}

TEST_F(ParticleEmitterTest, NoParticleSystemOrOwnerIsHarmless)
{
    ParticleEmitter* e = MakeEmitter(PARTICLE_ARRIVE, 2, false);
    ASSERT_NE(e, nullptr);
    e->m_particleSystem = nullptr;
    e->Update();
    EXPECT_EQ(e->m_count, 3);
    EXPECT_NE(m_object->flags & OBJ_DESTROY, 0u) << "still fires its one frame and goes";

    ParticleEmitter loose;
    loose.m_particleSystem = &m_particles;
    loose.m_count = 4;
    loose.Update();
    EXPECT_EQ(Emitted(), 0u);
}

TEST_F(ParticleEmitterTest, KeepsNoFieldsInFiles)
{
    ParticleEmitter* e = MakeEmitter(PARTICLE_SPIRAL, 12, true);
    ASSERT_NE(e, nullptr);
    e->m_direction = glm::vec3(1.0f, 0.0f, 0.0f);
    ParticleEmitter plain;
    EXPECT_TRUE(e->IsEqual(&plain));
    EXPECT_TRUE(plain.IsEqual(e));
    EXPECT_TRUE(e->IsEqual(nullptr));

    plain.CopyFrom(e);
    EXPECT_EQ(plain.m_count, 0) << "copying copies nothing";
    EXPECT_EQ(plain.m_pattern, 1);

    FileManager* files = System::GetInstance()->fileManager;
    files->writeCommands.clear();
    e->Write(&plain);
    e->Write(nullptr);
    EXPECT_TRUE(files->writeCommands.empty());

    // An object element naming fields for it leaves the emitter as it was.
    const std::string xml = "<Object><Type>PARTICLEEMITTER</Type><Component><Type>CT_PARTICLEEMITTER</Type>"
                            "<Count>9</Count><Pattern>3</Pattern></Component></Object>";
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse(xml.c_str()), tinyxml2::XML_SUCCESS);
    m_object->Read(doc.RootElement()->FirstChildElement());
    EXPECT_EQ(e->m_count, 12);
    EXPECT_EQ(e->m_pattern, PARTICLE_SPIRAL);
    EXPECT_TRUE(e->serializeVars.empty());
    EXPECT_TRUE(e->editorVars.empty());
}
