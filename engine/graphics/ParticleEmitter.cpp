#include "engine/graphics/ParticleEmitter.h"

#include <cmath>

#include "engine/core/System.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"

namespace QRX {

ParticleEmitter::ParticleEmitter() : Component(CT_PARTICLEEMITTER)
{
    // Effects go into the renderer's pool, when there is a renderer.
    System* system = System::PeekInstance();
    if (system && system->renderer) m_particleSystem = system->renderer->GetParticleSystem();
}

void ParticleEmitter::Emit(const glm::vec3& position)
{
    if (m_particleSystem)
        m_particleSystem->Emit(m_pattern, position, m_direction);
}

void ParticleEmitter::Update()
{
    if (!owner)
        return;
    const glm::vec3 position = owner->position;

    for (int i = 0; i < m_count; ++i) {
        if (m_pattern == PARTICLE_SPIRAL) {
            // Two arms half a turn apart (180 read as radians, as tuned).
            float angle = 180.0f * static_cast<float>(i % 2) + m_phase;
            float rise = i == 0 ? std::cos(m_phase) : std::sin(60.0f * static_cast<float>(i) + m_phase);
            m_direction = glm::vec3(std::cos(angle), SPIRAL_RISE * rise, std::sin(angle));
        }
        Emit(position);
    }

    m_phase += PHASE_STEP;
    if (m_phase > PHASE_LIMIT)
        m_phase = 0.0f;

    if (m_pattern == PARTICLE_LEAVE || m_pattern == PARTICLE_ARRIVE) {
        ++m_count;
        for (int i = 0; i < m_count; ++i)
            Emit(position);
    }

    if (m_pattern == PARTICLE_BURST) {
        for (int i = 0; i < BURST_SIZE; ++i)
            Emit(position);
    }

    if (!m_active)
        owner->flags |= OBJ_DESTROY;
}

} // namespace QRX
