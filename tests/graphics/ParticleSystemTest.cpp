#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include <glm/glm.hpp>

#include "engine/core/Random.h"
#include "engine/graphics/ParticleSystem.h"

using namespace QRX;

namespace {

const glm::vec3 ORIGIN(0.0f);
const glm::vec3 FAR_EYE(0.0f, 0.0f, 100.0f);

class ParticleSystemTest : public ::testing::Test
{
protected:
    void SetUp() override { ResetRandom(); }
    void Steps(int n, float frameTime = 0.05f)
    {
        for (int i = 0; i < n; ++i)
            m_system.Update(frameTime, FAR_EYE);
    }
    const Particle& At(size_t i) const { return m_system.GetParticles().at(i); }

    ParticleSystem m_system;
};

bool SameParticle(const Particle& a, const Particle& b)
{
    return a.dead == b.dead && a.word == b.word && a.age == b.age && a.pattern == b.pattern &&
           a.life == b.life && std::memcmp(a.params, b.params, sizeof a.params) == 0 && a.spin == b.spin &&
           a.position == b.position && a.acceleration == b.acceleration && a.velocity == b.velocity &&
           a.colorChange == b.colorChange && a.color == b.color;
}

bool Finite(const glm::vec4& v)
{
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z) && std::isfinite(v.w);
}

} // namespace

TEST(ParticleTest, DiesOnlyOnceAgePassesLife)
{
    Particle p;
    p.life = 0.5f;
    p.Update(0.25f);
    p.Update(0.25f);
    EXPECT_EQ(p.age, p.life);
    EXPECT_FALSE(p.dead) << "a particle whose life equals its age still lives";
    p.Update(0.25f);
    EXPECT_TRUE(p.dead);
}

TEST(ParticleTest, StepMovesThenAcceleratesOncePerStep)
{
    Particle p;
    p.life = 10.0f;
    p.velocity = glm::vec3(1.0f, 0.0f, 0.0f);
    p.acceleration = glm::vec3(0.0f, 2.0f, 0.0f);
    p.colorChange = glm::vec3(-1.0f, 2.0f, 4.0f);
    p.Update(0.5f);
    EXPECT_EQ(p.position, glm::vec3(0.5f, 0.0f, 0.0f)) << "position moves by the old velocity";
    EXPECT_EQ(p.velocity, glm::vec3(1.0f, 2.0f, 0.0f)) << "acceleration is not scaled by dt";
    EXPECT_EQ(p.color, glm::vec3(0.5f, 1.0f, 2.0f));
    EXPECT_EQ(p.spin, 0.0f) << "only the star pattern turns";
}

TEST_F(ParticleSystemTest, LongFramesAdvanceByTheCapOnly)
{
    m_system.Emit(PARTICLE_SPIRAL, ORIGIN, glm::vec3(2.0f, 0.0f, 0.0f));
    m_system.Update(1.0f, FAR_EYE);
    EXPECT_FLOAT_EQ(At(0).age, ParticleSystem::MAX_STEP);
    EXPECT_FLOAT_EQ(At(0).position.x, 2.0f * ParticleSystem::MAX_STEP);
    EXPECT_DOUBLE_EQ(m_system.GetTotalTime(), double(ParticleSystem::MAX_STEP));
    m_system.Update(-1.0f, FAR_EYE);
    EXPECT_FLOAT_EQ(At(0).age, ParticleSystem::MAX_STEP) << "a negative frame time does not age";
}

TEST_F(ParticleSystemTest, PoolGrowsByOneAndReusesTheEarliestDeadRecord)
{
    for (int i = 0; i < 3; ++i) {
        m_system.Emit(PARTICLE_BURST, ORIGIN, ORIGIN);
        EXPECT_EQ(m_system.GetParticles().size(), size_t(i + 1));
        EXPECT_EQ(m_system.GetCursor(), size_t(i));
    }
    Steps(11);  // 0.55 s: past the longest life of 0.5 s
    for (const Particle& p : m_system.GetParticles())
        EXPECT_TRUE(p.dead);
    EXPECT_EQ(m_system.GetQuadCount(), 0u);

    m_system.Emit(PARTICLE_SPIRAL, ORIGIN, ORIGIN);
    EXPECT_EQ(m_system.GetCursor(), 0u);
    m_system.Emit(PARTICLE_ARRIVE, ORIGIN, ORIGIN);
    EXPECT_EQ(m_system.GetCursor(), 1u);
    m_system.Emit(PARTICLE_SPIRAL, ORIGIN, ORIGIN);
    EXPECT_EQ(m_system.GetCursor(), 2u);
    EXPECT_EQ(m_system.GetParticles().size(), 3u) << "dead records are reused before the pool grows";
    EXPECT_EQ(At(1).pattern, PARTICLE_ARRIVE);
    EXPECT_EQ(At(1).age, 0.0f) << "a reused record takes every value of the new particle";

    Steps(9);  // 0.45 s: the arrival particle (life 0.4) is gone, the spirals (1.0) live
    ASSERT_TRUE(At(1).dead);
    ASSERT_FALSE(At(0).dead);
    ASSERT_FALSE(At(2).dead);
    EXPECT_EQ(m_system.GetQuadCount(), 2u);
    m_system.Emit(PARTICLE_BURST, ORIGIN, ORIGIN);
    EXPECT_EQ(m_system.GetCursor(), 1u);
    m_system.Emit(PARTICLE_BURST, ORIGIN, ORIGIN);
    EXPECT_EQ(m_system.GetCursor(), 3u);
    EXPECT_EQ(m_system.GetParticles().size(), 4u);
}

TEST_F(ParticleSystemTest, StaticStreamsCoverThePool)
{
    for (int i = 0; i < 5; ++i)
        m_system.Emit(PARTICLE_SPIRAL, ORIGIN, ORIGIN);
    ASSERT_EQ(m_system.GetTexCoords().size(), 20u);
    ASSERT_EQ(m_system.GetIndices().size(), 30u);
    const std::vector<std::uint32_t> second = {4, 5, 6, 6, 5, 7};
    EXPECT_EQ(std::vector<std::uint32_t>(m_system.GetIndices().begin() + 6, m_system.GetIndices().begin() + 12),
              second);
    EXPECT_EQ(m_system.GetTexCoords()[5], glm::vec2(1.0f, 0.0f));
    EXPECT_EQ(m_system.GetTexCoords()[7], glm::vec2(1.0f, 1.0f));
}

TEST_F(ParticleSystemTest, ImplosionReachesThePositionWhenItsLifeEnds)
{
    const glm::vec3 at(3.0f, 1.0f, -2.0f);
    m_system.Emit(PARTICLE_IMPLODE, at, ORIGIN);
    const float life = At(0).life;
    EXPECT_GT(glm::length(At(0).position - at), 1.0f) << "it starts away from the position";
    Steps(10, life / 10.0f);
    EXPECT_NEAR(glm::length(At(0).position - at), 0.0f, 1e-4f);
}

TEST_F(ParticleSystemTest, SparkSlowsAndTurnsBackAfterTenSteps)
{
    for (int pattern : {PARTICLE_SPARK, PARTICLE_SPARK_B}) {
        m_system.KillAll();
        m_system.Emit(pattern, ORIGIN, ORIGIN);
        size_t i = m_system.GetCursor();
        const glm::vec3 start = At(i).velocity;
        ASSERT_GT(glm::length(start), 0.0f);
        Steps(9, 0.01f);
        EXPECT_GT(glm::dot(At(i).velocity, start), 0.0f);
        Steps(1, 0.01f);
        EXPECT_NEAR(glm::length(At(i).velocity), 0.0f, 1e-4f);
        Steps(1, 0.01f);
        EXPECT_LT(glm::dot(At(i).velocity, start), 0.0f) << "pattern " << pattern;
    }
}

TEST_F(ParticleSystemTest, StarParticleOutlivesAgeingUntilKilled)
{
    const glm::vec3 at(1.0f, 2.0f, 3.0f);
    m_system.Emit(PARTICLE_STAR, at, ORIGIN);
    EXPECT_NEAR(glm::length(At(0).position - at), ParticleSystem::STAR_RADIUS, 1e-5f);
    EXPECT_EQ(At(0).params[0], 1.0f);
    EXPECT_GE(At(0).params[1], 0.35f);
    EXPECT_LE(At(0).params[1], 0.55f);
    EXPECT_EQ(At(0).color, glm::vec3(10.0f));
    EXPECT_EQ(At(0).velocity, glm::vec3(0.0f));

    Steps(2000);  // 100 s
    EXPECT_FALSE(At(0).dead);
    EXPECT_EQ(m_system.GetQuadCount(), 1u);
    EXPECT_NEAR(At(0).spin, 45.0f * 100.0f, 0.5f);
    EXPECT_EQ(At(0).color, glm::vec3(10.0f)) << "no colour change";

    m_system.KillAll();
    EXPECT_TRUE(At(0).dead);
    EXPECT_TRUE(m_system.GetVertices().empty()) << "killed particles are not drawn";
    Steps(1);
    EXPECT_EQ(m_system.GetQuadCount(), 0u);
    m_system.Emit(PARTICLE_BURST, ORIGIN, ORIGIN);
    EXPECT_EQ(m_system.GetParticles().size(), 1u);
}

TEST_F(ParticleSystemTest, PatternsStartWhereAndHowTheyShould)
{
    const glm::vec3 at(1.0f, 2.0f, 3.0f);
    for (int n = 0; n < 50; ++n) {
        m_system.KillAll();
        m_system.Emit(PARTICLE_BURST, at, ORIGIN);
        const Particle burst = At(0);
        EXPECT_EQ(burst.position, at);
        EXPECT_EQ(burst.color, glm::vec3(1.5f, 1.0f, 1.0f));
        EXPECT_EQ(burst.colorChange, glm::vec3(-0.1f, -0.8f, -5.0f));
        EXPECT_EQ(burst.acceleration, glm::vec3(0.0f));
        EXPECT_GE(glm::length(burst.velocity), 2.5f - 1e-4f);
        EXPECT_LT(glm::length(burst.velocity), 5.0f + 1e-4f);
        EXPECT_GE(burst.life, 0.2f);
        EXPECT_LE(burst.life, 0.5f);

        m_system.KillAll();
        m_system.Emit(PARTICLE_RING, at, ORIGIN);
        EXPECT_EQ(At(0).position, at + glm::vec3(0.0f, 0.3f, 0.0f));
        EXPECT_EQ(At(0).velocity.y, 0.0f);
        EXPECT_NEAR(glm::length(At(0).velocity), 8.0f, 1e-4f);

        m_system.KillAll();
        m_system.Emit(PARTICLE_FOUNTAIN, at, ORIGIN);
        EXPECT_GE(At(0).velocity.y, 0.0f);
        EXPECT_LT(At(0).velocity.y, 3.0f);
        EXPECT_LT(glm::length(glm::vec2(At(0).velocity.x, At(0).velocity.z)), 0.5f);

        m_system.KillAll();
        m_system.Emit(PARTICLE_RAIN, at, ORIGIN);
        EXPECT_EQ(At(0).position.y, at.y);
        EXPECT_LE(At(0).velocity.y, 0.0f);

        m_system.KillAll();
        m_system.Emit(PARTICLE_LEAVE, at, glm::vec3(0.0f, 1.0f, 0.0f));
        const Particle leave = At(0);
        for (int axis = 0; axis < 3; ++axis) {
            EXPECT_GE(leave.position[axis] - at[axis], -0.5f - 1e-5f);
            EXPECT_LT(leave.position[axis] - at[axis], 0.5f);
        }
        EXPECT_GE(leave.velocity.y, 0.5f - 1e-5f) << "the direction's y lifts it";
        EXPECT_FLOAT_EQ(leave.acceleration.y, leave.velocity.y * 0.5f);

        m_system.KillAll();
        m_system.Emit(PARTICLE_ARRIVE, at, ORIGIN);
        const Particle arrive = At(0);
        EXPECT_GE(arrive.position.y - at.y, 4.5f - 1e-5f);
        EXPECT_LT(arrive.position.y - at.y, 5.5f);
        EXPECT_LE(arrive.velocity.y, 0.0f);
        EXPECT_GT(arrive.velocity.y, -19.0f);
        EXPECT_FLOAT_EQ(arrive.acceleration.y, -0.05f * arrive.velocity.y);
        EXPECT_EQ(arrive.life, 0.4f);
    }

    m_system.KillAll();
    m_system.Emit(PARTICLE_SPIRAL, at, glm::vec3(0.5f, 0.1f, -0.5f));
    EXPECT_EQ(At(0).velocity, glm::vec3(0.5f, 0.1f, -0.5f));
    EXPECT_EQ(At(0).life, 1.0f);

    for (int other : {1, 16, -3}) {
        m_system.KillAll();
        m_system.Emit(other, at, glm::vec3(1.0f));
        EXPECT_EQ(At(0).position, glm::vec3(0.0f)) << other;
        EXPECT_EQ(At(0).velocity, glm::vec3(0.0f));
        EXPECT_EQ(At(0).color, glm::vec3(1.0f, 0.0f, 0.0f));
        EXPECT_EQ(At(0).pattern, other);
    }
}

TEST_F(ParticleSystemTest, SameSequenceAfterGeneratorReset)
{
    auto emitAll = [](ParticleSystem& system) {
        for (int pattern = -1; pattern <= 16; ++pattern)
            system.Emit(pattern, glm::vec3(1.0f, 2.0f, 3.0f), glm::vec3(0.0f, 1.0f, 0.0f));
        system.Update(0.02f, FAR_EYE);
    };
    ResetRandom();
    ParticleSystem a;
    emitAll(a);
    ResetRandom();
    ParticleSystem b;
    emitAll(b);
    ASSERT_EQ(a.GetParticles().size(), b.GetParticles().size());
    for (size_t i = 0; i < a.GetParticles().size(); ++i)
        EXPECT_TRUE(SameParticle(a.GetParticles()[i], b.GetParticles()[i])) << "record " << i;
    EXPECT_EQ(a.GetVertices(), b.GetVertices());
    EXPECT_FALSE(SameParticle(a.GetParticles()[1], a.GetParticles()[2])) << "successive bursts differ";
}

TEST_F(ParticleSystemTest, QuadsFaceTheEye)
{
    const glm::vec3 at(2.0f, 1.0f, 0.0f);
    m_system.Emit(PARTICLE_SPIRAL, at, ORIGIN);
    m_system.Update(0.0f, at + glm::vec3(0.0f, 0.0f, 10.0f));
    const std::vector<glm::vec4>& v = m_system.GetVertices();
    ASSERT_EQ(v.size(), 8u);
    const float h = Particle::DEFAULT_SIZE * 0.5f;
    EXPECT_EQ(v[0], glm::vec4(at + glm::vec3(-h, -h, 0.0f), 1.0f));
    EXPECT_EQ(v[2], glm::vec4(at + glm::vec3(h, -h, 0.0f), 1.0f));
    EXPECT_EQ(v[4], glm::vec4(at + glm::vec3(-h, h, 0.0f), 1.0f));
    EXPECT_EQ(v[6], glm::vec4(at + glm::vec3(h, h, 0.0f), 1.0f));
    EXPECT_EQ(v[1], glm::vec4(0.6f, 1.0f, 0.1f, Particle::DEFAULT_ALPHA));

    // Seen from the side, the square turns to face the eye.
    m_system.Update(0.0f, at + glm::vec3(10.0f, 0.0f, 0.0f));
    for (size_t c = 0; c < 4; ++c)
        EXPECT_FLOAT_EQ(v[c * 2].x, at.x);
}

TEST_F(ParticleSystemTest, DegenerateEyeGivesFiniteCorners)
{
    const glm::vec3 at(0.0f, 1.0f, 0.0f);
    m_system.Emit(PARTICLE_SPIRAL, at, ORIGIN);
    for (const glm::vec3& eye : {at + glm::vec3(0.0f, 20.0f, 0.0f), at - glm::vec3(0.0f, 5.0f, 0.0f), at}) {
        m_system.Update(0.0f, eye);
        ASSERT_EQ(m_system.GetVertices().size(), 8u);
        for (const glm::vec4& corner : m_system.GetVertices())
            EXPECT_TRUE(Finite(corner));
        EXPECT_NEAR(glm::length(glm::vec3(m_system.GetVertices()[6] - m_system.GetVertices()[0])),
                    Particle::DEFAULT_SIZE * std::sqrt(2.0f), 1e-5f);
    }
}

TEST_F(ParticleSystemTest, StarQuadTurnsAboutItsCentre)
{
    m_system.Emit(PARTICLE_STAR, ORIGIN, ORIGIN);
    const glm::vec3 centre = At(0).position;
    const glm::vec3 eye = centre + glm::vec3(0.0f, 0.0f, 10.0f);
    m_system.Update(0.0f, eye);
    const std::vector<glm::vec4> straight = m_system.GetVertices();
    m_system.Update(1.0f, eye);  // turns 45 x 0.05 degrees
    m_system.Update(1.0f, eye);
    const std::vector<glm::vec4>& turned = m_system.GetVertices();
    ASSERT_EQ(turned.size(), 8u);
    glm::vec3 mean(0.0f);
    for (size_t c = 0; c < 4; ++c) {
        mean += glm::vec3(turned[c * 2]) / 4.0f;
        EXPECT_NEAR(turned[c * 2].z, centre.z, 1e-5f) << "stays in the plane facing the eye";
        EXPECT_NEAR(glm::length(glm::vec3(turned[c * 2]) - centre),
                    glm::length(glm::vec3(straight[c * 2]) - centre), 1e-5f);
    }
    EXPECT_NEAR(glm::length(mean - centre), 0.0f, 1e-5f);
    EXPECT_GT(glm::length(glm::vec3(turned[0] - straight[0])), 1e-4f) << "the corners moved";
}

TEST(ParticleMathTest, RotationMatrixTakesDegreesAndNormalisesTheAxis)
{
    glm::vec4 x = RotationMatrix(90.0f, glm::vec3(0.0f, 0.0f, 5.0f)) * glm::vec4(1.0f, 0.0f, 0.0f, 1.0f);
    EXPECT_NEAR(x.x, 0.0f, 1e-6f);
    EXPECT_NEAR(x.y, 1.0f, 1e-6f);
    glm::vec3 v(1.0f, -2.0f, 3.0f);
    ScaleVector(v, 0.5f);
    EXPECT_EQ(v, glm::vec3(0.5f, -1.0f, 1.5f));
}
