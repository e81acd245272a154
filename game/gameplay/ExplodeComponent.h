// The explosion power (CT_EXPLODE) on a crate: at its first contact the
// crate blows up, destroying crates and barriers close by and pushing the
// bodies around it away.
//
// Rules:
// - Touching nothing (a null contact), a PLAYER, CONVEYORBELT, FORCEFIELD or
//   CRATEFORCEFIELD does not set it off; anything else does, once: further
//   contacts, even in the same physics step, do nothing.
// - The blast is centred on the crate. Every other active object with a
//   collision component whose squared distance from the centre is at most
//   the destroy radius squared goes when it is a CRATE or a BARRIER; within
//   the push radius (squared, the same way) a CRATE, BARRIER or
//   HOVERINGPLATFORM body is woken and gets push strength along the unit
//   vector from the centre added to its force, with the vertical part
//   replaced by its own vertical velocity. An object at the centre is
//   pushed straight up (before that replacement).
// - The crate goes, and so does a CRATE or BARRIER it touched, however far.
// - The blast plays its sound relative to the main player and shakes the
//   camera; without the one or the other that step is left out, as is any
//   effect the full pool cannot give, or a push on an object without a body.
// No fields in files: Read, Write and CopyFrom do nothing, two compare equal.
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"
#include "engine/objects/TypeNames.h"

namespace QRX {

class ExplodeComponent : public Component
{
public:
    static constexpr Components TYPE = CT_EXPLODE;
    static constexpr float DEFAULT_DESTROY_RADIUS = 2.0f;
    static constexpr float DEFAULT_PUSH_RADIUS = 5.0f;
    static constexpr float DEFAULT_PUSH_STRENGTH = 27.5f;
    // Particles a frame of the sparks over the crate.
    static constexpr int SPARK_COUNT = 80;
    // Particles of the debris of each destroyed object.
    static constexpr int DEBRIS_COUNT = 80;
    // Particles of the blast, besides the emitter's own burst.
    static constexpr int BLAST_COUNT = 400;
    static constexpr const char* CRATE_TEXTURE = "crate_explosion";
    static constexpr const char* EXPLOSION_SOUND = "explosion_new.mp3";

    ExplodeComponent();

    // Starts the sparks over the crate.
    void Init() override;
    // The sparks follow the crate, which shows CRATE_TEXTURE.
    void Update() override;
    // Lets the sparks go.
    void Free() override;
    // The blast (see the rules).
    void OnCollision(GameObject* other) override;
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

    // Whether touching an object of the type sets the crate off.
    static bool IsSetOffBy(ObjectType type);
    // The unit vector from the centre to the position; straight up when they
    // coincide (or the difference has no finite length).
    static glm::vec3 PushDirection(const glm::vec3& centre, const glm::vec3& position);

    bool m_HasExploded = false;
    float m_DestroyRadius = DEFAULT_DESTROY_RADIUS;
    float m_PushRadius = DEFAULT_PUSH_RADIUS;
    float m_PushStrength = DEFAULT_PUSH_STRENGTH;
    GameObject* m_Emitter = nullptr;  // the sparks (not owned)

private:
    // Destroys and pushes what lies around the centre.
    void Blast(const glm::vec3& centre);
};

} // namespace QRX
