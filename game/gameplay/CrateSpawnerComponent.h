// The crate spawner (CT_CRATESPAWNERCOMPONENT): makes crates when one of its
// triggers asks, optionally shaking first and holding back until its last
// crate is gone.
//
// A spawner cycles: ready, requested (by a trigger), shaking, spawn, cooling,
// ready again. Triggers with the spawner's TriggerID are linked to it once,
// when the level's objects exist (FindTriggers); a spawner without triggers
// never spawns. Every timer advances by the capped frame time d.
//
// Rules:
// - Once AmountOfCratesToSpawn crates are made (-1: no limit) nothing more
//   happens.
// - A request while ready and not cooling: with IsShake the spawner shakes
//   (its y moves ShakeAmount x d, up and down in turn) until the shake timer
//   reaches ShakeTime, then goes home; the crate appears at position +
//   SpawnOffset moving at SpawnVelocity, and the cooldown starts. Without
//   IsShake the crate appears on the update of the request.
// - While cooling, requests are forgotten; the cooldown ends when its timer
//   exceeds SpawnCooldown (the spawn's own update counts).
// - With OneCrateAtATime the spawner is not ready while its last crate lives
//   and ready again on the update after the crate dies.
// - A crate the full pool cannot give is not counted as spawned.
// - A checkpoint restore makes the spawner take as its last crate the one
//   lying where it drops its crates, or none (RelinkLastCrate): the restore
//   moves crates back by order, so the object it pointed at may now stand
//   where another saved crate stood, and the spawner would hold back for it
//   for good; while one it made before the checkpoint lies back at its drop
//   spot, a robot restored onto the pad must not get a second on top of it.
//
// In files: "TriggerID", "SpawnCooldown", "AmountOfCratesToSpawn",
// "SpawnVelocity", "SpawnOffset", "OneCrateAtATime", "IsShake",
// "ShakeAmount", "ShakeTime".
#pragma once
#include <glm/glm.hpp>

#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"

namespace QRX {

class CrateSpawnerComponent : public Component
{
public:
    static constexpr Components TYPE = CT_CRATESPAWNERCOMPONENT;
    // AmountOfCratesToSpawn meaning no limit.
    static constexpr int UNLIMITED_CRATES = -1;
    // A crate whose centre lies within this of the drop point across, no
    // higher than this above it and no deeper than DROP_SPOT_DEPTH below
    // (where a dropped crate comes to rest) lies at the drop spot.
    static constexpr float DROP_SPOT_REACH = 0.5f;
    static constexpr float DROP_SPOT_DEPTH = 1.5f;

    CrateSpawnerComponent();

    // The home position becomes the owner's position.
    void Init() override;
    // One step of the cycle (see the rules).
    void Update() override;
    void Read(const tinyxml2::XMLElement* firstElement) override { ReadSerializeVars(firstElement); }
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    // The file fields, then the cooldown timer, requested, ready and spawned
    // of another spawner.
    void CopyFrom(const Component* other) override;

    // Links every trigger with this spawner's TriggerID to this spawner's
    // owner (a trigger keeps the last spawner linked). Nothing without an
    // owner or an object manager.
    void FindTriggers();

    // Whether the spawner has made all the crates it may make.
    bool IsExhausted() const;
    // The crate at the drop spot (the nearest across, none marked for
    // destruction) becomes the last crate; with none there the spawner has
    // no last crate, and with OneCrateAtATime is ready again on its next update.
    void RelinkLastCrate();

    int m_TriggerID = 0;
    glm::vec3 m_SpawnVelocity{0.0f};
    glm::vec3 m_SpawnOffset{0.0f};
    float m_SpawnCooldown = 0.0f;
    float m_CooldownTimer = 0.0f;
    bool m_IsTriggerable = true;  // ready: a request may be accepted
    bool m_IsRequested = false;
    bool m_IsCooling = false;
    int m_AmountOfCratesToSpawn = UNLIMITED_CRATES;
    int m_Spawned = 0;
    bool m_IsOneCrateAtATime = false;
    GameObjectHandle m_LastCrate;
    float m_ShakeTime = 0.2f;
    float m_ShakeTimer = 0.0f;
    glm::vec3 m_HomePosition{0.0f};
    bool m_ShakeUpwards = true;
    float m_ShakeAmount = 10.0f;  // units per second
    bool m_IsShake = true;

private:
    // Moves the spawner one shake step and flips the direction.
    void ShakeStep(float d);
    // Makes the crate; false when the pool gave none.
    bool SpawnCrate();
};

} // namespace QRX
