#include "engine/graphics/ParticleSystem.h"

#include <algorithm>
#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/Conversions.h"
#include "engine/core/Random.h"

namespace QRX {

namespace {

constexpr float DEGREES_TO_RADIANS = 0.017453292f;
const glm::vec3 WORLD_UP(0.0f, 1.0f, 0.0f);
// Below this length a direction is taken as degenerate.
constexpr float DEGENERATE_LENGTH = 1e-6f;

// Colours (start, change per second) shared by several patterns.
const glm::vec3 HOT_WHITE(1.5f, 1.0f, 1.0f);
const glm::vec3 HOT_WHITE_FADE(-0.1f, -0.8f, -5.0f);
const glm::vec3 PALE_GREEN(0.5f, 1.0f, 0.8f);
const glm::vec3 PALE_GREEN_FLASH(5.0f, 0.8f, 5.0f);
const glm::vec3 LIME(0.6f, 1.0f, 0.1f);

// (rand() mod 1000) / 1000: a fraction in [0, 1) in steps of 0.001.
float Fraction()
{
    return static_cast<float>(Random() % 1000) / 1000.0f;
}

// (rand() mod 180) / 180 x 3: an upward or downward speed in [0, 3).
float VerticalSpeed()
{
    return static_cast<float>(Random() % 180) / 180.0f * 3.0f;
}

// The common random direction: two whole-number angles used as radians.
struct RandomDirection
{
    float a = 0.0f;
    glm::vec3 direction{0.0f};
    glm::vec3 Horizontal() const { return glm::vec3(std::sin(a), 0.0f, std::cos(a)); }
};

RandomDirection DrawDirection()
{
    RandomDirection r;
    r.a = static_cast<float>(Random() % 360);
    float b = static_cast<float>(Random() % 180);
    // sin^2 a + cos^2 a = 1, so the vector is never zero.
    r.direction = glm::normalize(glm::vec3(std::sin(r.a), std::sin(b), std::cos(r.a)));
    return r;
}

float DrawAccelMagnitude()
{
    return ParticleSystem::ACCEL_MIN + Fraction() * ParticleSystem::ACCEL_RANGE;
}

// An offset in [-0.5, 0.5) on each axis, drawn x, y, z.
glm::vec3 DrawCubeOffset()
{
    float x = static_cast<float>(Random() % 1000) * 0.001f - 0.5f;
    float y = static_cast<float>(Random() % 1000) * 0.001f - 0.5f;
    float z = static_cast<float>(Random() % 1000) * 0.001f - 0.5f;
    return glm::vec3(x, y, z);
}

} // namespace

glm::mat4 RotationMatrix(float degrees, const glm::vec3& axis)
{
    return glm::rotate(glm::mat4(1.0f), degrees * DEGREES_TO_RADIANS, glm::normalize(axis));
}

void ScaleVector(glm::vec3& v, float s)
{
    v *= s;
}

void Particle::Update(float dt)
{
    position += velocity * dt;
    velocity += acceleration;
    age += dt;
    color += colorChange * dt;
    if (pattern == PARTICLE_STAR)
        spin += ParticleSystem::STAR_SPIN_RATE * dt;
    if (life < age)
        dead = true;
}

Particle ParticleSystem::MakeParticle(int pattern, const glm::vec3& position, const glm::vec3& direction)
{
    Particle p;
    p.pattern = pattern;
    p.life = LIFE_MIN + Fraction() * LIFE_RANGE;
    RandomDirection random = DrawDirection();
    float speed = SPEED_MIN + Fraction() * SPEED_RANGE;

    switch (pattern) {
    case PARTICLE_BURST:
        p.position = position;
        p.velocity = random.direction * speed * 0.5f;
        p.acceleration = random.direction * DrawAccelMagnitude();
        p.color = HOT_WHITE;
        p.colorChange = HOT_WHITE_FADE;
        break;
    case PARTICLE_IMPLODE: {
        glm::vec3 offset = random.direction * speed * p.life;
        p.position = position + offset;
        p.velocity = -offset / p.life;
        p.color = PALE_GREEN;
        p.colorChange = PALE_GREEN_FLASH;
        break;
    }
    case PARTICLE_SMOKE:
    case PARTICLE_FLICKER: {
        p.position = position;
        p.velocity = random.direction * speed * 0.5f;
        glm::vec3 second = DrawDirection().direction;
        p.acceleration = second * DrawAccelMagnitude();
        if (pattern == PARTICLE_SMOKE) {
            p.color = glm::vec3(0.6f, 0.3f, 0.3f);
            p.colorChange = glm::vec3(-0.5f, -0.5f, -0.5f);
        } else {
            p.color = glm::vec3(0.1f, 0.1f, 0.1f);
            float r = RandomFloat(0.0f, 2.0f);
            float g = RandomFloat(0.0f, 2.0f);
            float b = RandomFloat(0.0f, 2.0f);
            p.colorChange = glm::vec3(r, g, b);
        }
        break;
    }
    case PARTICLE_RING:
        p.position = position + glm::vec3(0.0f, 0.3f, 0.0f);
        p.velocity = random.Horizontal() * 8.0f;
        p.color = PALE_GREEN;
        p.colorChange = PALE_GREEN_FLASH;
        break;
    case PARTICLE_FOUNTAIN:
    case PARTICLE_FOUNTAIN_GREEN: {
        p.position = position;
        float spread = static_cast<float>(Random() % 1000) / 2000.0f;
        float up = VerticalSpeed();
        p.velocity = random.Horizontal() * spread + glm::vec3(0.0f, up, 0.0f);
        if (pattern == PARTICLE_FOUNTAIN) {
            p.color = glm::vec3(1.0f, 0.0f, 0.0f);
            p.colorChange = glm::vec3(0.2f, 3.0f, 3.0f);
        } else {
            p.color = LIME;
            p.colorChange = glm::vec3(0.2f, -0.5f, 0.3f);
        }
        break;
    }
    case PARTICLE_RING_FAST:
        p.position = position + glm::vec3(0.0f, 0.3f, 0.0f);
        p.velocity = random.Horizontal() * speed;
        p.color = PALE_GREEN;
        p.colorChange = PALE_GREEN_FLASH;
        break;
    case PARTICLE_SPARK:
    case PARTICLE_SPARK_B:
        p.position = position;
        p.velocity = random.direction * speed;
        ScaleVector(p.velocity, 0.8f);
        // A tenth of the start velocity taken off every step: it stops after
        // ten steps and then flies back.
        p.acceleration = -0.1f * p.velocity;
        p.color = HOT_WHITE;
        p.colorChange = HOT_WHITE_FADE;
        break;
    case PARTICLE_SPIRAL:
        p.position = position;
        p.velocity = direction;
        p.color = LIME;
        p.colorChange = PALE_GREEN_FLASH;
        p.life = 1.0f;
        break;
    case PARTICLE_RAIN: {
        glm::vec3 offset = random.Horizontal() * (static_cast<float>(Random() % 1000) / 2000.0f);
        p.position = position + offset;
        p.velocity = -0.3f * offset + glm::vec3(0.0f, -VerticalSpeed(), 0.0f);
        p.color = HOT_WHITE;
        p.colorChange = HOT_WHITE_FADE;
        break;
    }
    case PARTICLE_STAR: {
        float theta = RandomFloat(0.0f, 3.142f);
        float phi = RandomFloat(0.0f, 6.284f);
        p.position = position + STAR_RADIUS * glm::vec3(std::sin(theta) * std::cos(phi), std::cos(theta),
                                                         std::sin(theta) * std::sin(phi));
        // The spin rate is drawn to keep the sequence of draws; the turn
        // itself is the fixed STAR_SPIN_RATE.
        (void)RandomFloat(-10.0f, 10.0f);
        p.params[0] = 1.0f;
        p.params[1] = RandomFloat(0.35f, 0.55f);
        p.color = glm::vec3(10.0f, 10.0f, 10.0f);
        p.life = STAR_LIFE;
        break;
    }
    case PARTICLE_LEAVE: {
        p.position = position + DrawCubeOffset();
        float vy = static_cast<float>(Random() % 1000) * 0.001f + direction.y - 0.5f;
        p.velocity = glm::vec3(0.0f, vy, 0.0f);
        p.acceleration = glm::vec3(0.0f, vy * 0.5f, 0.0f);
        p.color = LIME;
        p.colorChange = PALE_GREEN_FLASH;
        break;
    }
    case PARTICLE_ARRIVE: {
        p.position = position + DrawCubeOffset() + glm::vec3(0.0f, 5.0f, 0.0f);
        float vy = -19.0f * Fraction();
        p.velocity = glm::vec3(0.0f, vy, 0.0f);
        p.acceleration = glm::vec3(0.0f, -0.05f * vy, 0.0f);
        p.color = LIME;
        p.colorChange = PALE_GREEN_FLASH;
        p.life = 0.4f;
        break;
    }
    default:
        break;
    }
    return p;
}

void ParticleSystem::Emit(int pattern, const glm::vec3& position, const glm::vec3& direction)
{
    Particle particle = MakeParticle(pattern, position, direction);
    std::size_t i = m_searchFrom;
    while (i < m_particles.size() && !m_particles[i].dead)
        ++i;
    if (i == m_particles.size()) {
        m_particles.push_back(particle);
        GrowStaticStreams();
    } else {
        m_particles[i] = particle;
    }
    m_cursor = i;
    m_searchFrom = i + 1;
}

void ParticleSystem::Update(float frameTime, const glm::vec3& eye, bool buildQuads)
{
    float dt = std::min(std::max(frameTime, 0.0f), MAX_STEP);
    m_totalTime += dt;
    m_vertices.clear();
    for (std::size_t i = 0; i < m_particles.size(); ++i) {
        Particle& p = m_particles[i];
        if (p.dead)
            continue;
        m_cursor = i;
        p.Update(dt);
        if (!p.dead && buildQuads)
            AppendQuad(p, eye);
    }
    m_searchFrom = 0;
}

void ParticleSystem::KillAll()
{
    for (Particle& p : m_particles)
        p.Kill();
    m_vertices.clear();
    m_searchFrom = 0;
}

void ParticleSystem::AppendQuad(const Particle& particle, const glm::vec3& eye)
{
    // The square lies across the line to the eye. A particle at the eye, or
    // straight above or below it, has no such line or no sideways direction:
    // fall back to fixed axes rather than corners of NaN.
    glm::vec3 toEye = eye - particle.position;
    float distance = glm::length(toEye);
    toEye = distance > DEGENERATE_LENGTH ? toEye / distance : glm::vec3(0.0f, 0.0f, 1.0f);
    glm::vec3 right = glm::cross(WORLD_UP, toEye);
    float rightLength = glm::length(right);
    right = rightLength > DEGENERATE_LENGTH ? right / rightLength : glm::vec3(1.0f, 0.0f, 0.0f);
    glm::vec3 up = glm::cross(toEye, right);

    float half = particle.params[1] * 0.5f;
    glm::vec3 r = right * half;
    glm::vec3 u = up * half;
    glm::vec3 corners[CORNERS_PER_PARTICLE] = {-r - u, r - u, -r + u, r + u};
    if (particle.pattern == PARTICLE_STAR) {
        // Turned about its centre (the particle's position) within its plane.
        glm::mat3 turn(RotationMatrix(particle.spin, toEye));
        for (glm::vec3& c : corners)
            c = turn * c;
    }
    glm::vec4 color(particle.color, particle.params[0]);
    for (const glm::vec3& c : corners) {
        m_vertices.push_back(glm::vec4(particle.position + c, 1.0f));
        m_vertices.push_back(color);
    }
}

void ParticleSystem::GrowStaticStreams()
{
    static const glm::vec2 CORNER_UV[CORNERS_PER_PARTICLE] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}};
    static const std::uint32_t QUAD_INDICES[INDICES_PER_PARTICLE] = {0, 1, 2, 2, 1, 3};
    while (m_texCoords.size() < m_particles.size() * CORNERS_PER_PARTICLE) {
        std::uint32_t first = static_cast<std::uint32_t>(m_texCoords.size());
        for (const glm::vec2& uv : CORNER_UV)
            m_texCoords.push_back(uv);
        for (std::uint32_t index : QUAD_INDICES)
            m_indices.push_back(first + index);
    }
}

} // namespace QRX
