// The comet spawner (CT_COMETSPAWNER): drops COMET objects into the level at
// a steady rate.
//
// Every update the cooldown timer grows by the capped frame time; when it
// is above the cooldown (and the spawner is not exhausted) one comet is
// made and the timer restarts. Its speed is MinCometSpeed plus a whole
// number of units below MaxCometSpeed - MinCometSpeed (just the minimum
// when that difference is below 1). Without RandomDirections it appears at
// the spawner + SpawnPosOffset, shifted on each axis by whole steps from
// the low end of SpawnPosVariance (variance 4 gives -2, -1, 0 or +1, never
// +2), and flies along CometDir. With RandomDirections it appears at the
// spawner + offset and flies along a random direction that never points
// up. Directions without one (zero, not finite) become the comet's default
// (straight down). Lifetime, look and body come from the COMET master.
//
// Random draws, from the program's generator, in this order: the speed,
// then x, y, z of the position (only axes whose variance has a whole part)
// or the five direction draws.
//
// Rules:
// - SpawnAmountMax UNLIMITED never stops; otherwise the spawner stops for
//   good once it has made that many (its timer keeps running).
// - A comet the full pool cannot give is not counted; the next try waits
//   for the cooldown again.
//
// In files: "CometDir", "MinCometSpeed", "MaxCometSpeed",
// "SpawnCooldownTimer" (the cooldown), "SpawnPosOffset",
// "SpawnPosVariance", "SpawnAmountMax", "RandomDirections".
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"

namespace QRX {

class CometSpawnerComponent : public Component
{
public:
    static constexpr Components TYPE = CT_COMETSPAWNER;
    // SpawnAmountMax meaning no limit.
    static constexpr int UNLIMITED = -1;
    // A random direction draw: each part is rand() mod this.
    static constexpr int DIRECTION_RANGE = 10;
    // A sign draw above this flips a horizontal part.
    static constexpr int FLIP_ABOVE = 5;

    CometSpawnerComponent();

    void Update() override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    void CopyFrom(const Component* other) override { CopySerializeVars(other); }

    // Whether the spawner has made all the comets it may make.
    bool IsExhausted() const;
    // The speed of the next comet (one draw when the range has a whole part).
    float DrawSpeed() const;
    // Where the next comet appears and where it flies (the draws above).
    void DrawPlacement(glm::vec3& position, glm::vec3& direction) const;

    glm::vec3 m_CometDir{0.0f};
    float m_MinCometSpeed = 0.0f;
    float m_MaxCometSpeed = 0.0f;
    float m_CooldownTimer = 0.0f;
    float m_SpawnCooldown = 0.0f;
    glm::vec3 m_SpawnPosOffset{0.0f};
    glm::vec3 m_SpawnPosVariance{0.0f};
    int m_SpawnAmount = 0;  // comets made so far
    int m_SpawnAmountMax = UNLIMITED;
    bool m_IsRandomDirections = false;

private:
    // Makes the comet; false when the pool gave none.
    bool SpawnComet(const glm::vec3& position, const glm::vec3& direction, float speed);
};

} // namespace QRX
