// The component that makes particle effects (CT_PARTICLEEMITTER).
//
// Every frame it emits count particles of its pattern at its owner's
// position into the renderer's particle system. Pattern PARTICLE_SPIRAL turns
// the direction into alternating spiral arms driven by the phase; patterns
// PARTICLE_LEAVE and PARTICLE_ARRIVE grow by one particle a frame and emit a
// second round of that many; PARTICLE_BURST adds BURST_SIZE more. An
// inactive emitter fires once and then marks its owner for destruction, so
// effects are made by creating a PARTICLEEMITTER object and setting these
// fields. It keeps no fields in files: Read and Write do nothing, two
// emitters always compare equal, and copying copies nothing.
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class ParticleSystem;

class ParticleEmitter : public Component
{
public:
    static constexpr Components TYPE = CT_PARTICLEEMITTER;
    // Extra particles a PARTICLE_BURST emitter adds every frame.
    static constexpr int BURST_SIZE = 200;
    // Advance of the spiral phase per frame, and where it starts over.
    static constexpr float PHASE_STEP = 0.1f;
    static constexpr float PHASE_LIMIT = 180.0f;
    // Height of a spiral arm's direction relative to its horizontal part.
    static constexpr float SPIRAL_RISE = 0.3f;

    ParticleEmitter();
    ~ParticleEmitter() override = default;

    // One frame of emission (see above). Without a particle system nothing is
    // emitted; the phase, the growth and the destroy request still happen.
    // Nothing without an owner.
    void Update() override;
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

    int m_count = 0;  // particles per round each frame
    glm::vec3 m_direction{0.0f};
    int m_pattern = 1;
    bool m_active = false;  // false: fire once, then destroy the owner
    // The renderer's particle system (not owned); null while there is none.
    ParticleSystem* m_particleSystem = nullptr;
    float m_phase = 0.0f;  // radians, for PARTICLE_SPIRAL

private:
    void Emit(const glm::vec3& position);
};

} // namespace QRX
