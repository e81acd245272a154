// The turret (CT_TURRET): a gun block run by a behaviour tree. Healthy, it
// shoots at the robot in range; hurt, it hides in a barrier, drops
// exploding crates beside itself and keeps shooting; at 0 hit points it
// bursts. Explosions are the only thing that hurt it.
//
// Rules:
// - Init loads TREE_FILE into a fresh tree (an older one goes) and
//   initialises its tasks; Free deletes it, and so does the destructor when
//   Free never ran. A missing file leaves an empty tree.
// - Update, in order: one tick of the tree; the barrier ages by the capped
//   frame time and, once strictly older than m_BarrierAliveTime, is marked
//   for destruction and forgotten (age back to 0); m_HP <= 0 sets
//   m_IsDestroy for good; the damage colour of a hit goes back to
//   m_originalColor; "Turret HP: " and m_HP truncated to a whole number are
//   queued at HP_TEXT_X, HP_TEXT_Y pixels from the top left in HP_FONT.
//   With several active turrets the lines go from smaller x to larger (the
//   manager's order at the same x), one HP_LINE_HEIGHT apart, so that no
//   text covers another, and each names its turret as a level's starting
//   camera shows it (looking along -z, x grows to the right; nothing on
//   screen shows a compass point): "Left turret HP: ", "Right turret HP: "
//   for the two ends, "Middle turret HP: " between.
// - The turret holds its barrier by handle: a barrier destroyed by anything
//   else (an explosion, a checkpoint restore) is forgotten the next time the
//   turret looks at it, and the age goes back to 0; the turret never marks
//   an object it no longer owns. Free marks a barrier it still owns.
// - A contact with an object that carries an explode component costs
//   m_DamageOnHit and shows m_damageColor until the next update.
// - Read and CopyFrom set m_HP to m_MaxHP after the fields.
//
// In files: "ActivationRange", "FiringSpeed", "MaxHP",
// "DropExplodingBoxTime", "SpawnBarrierTime", "PushbackTime",
// "BarrierAliveTime", "DamageOnHit", "OriginalColor", "DamageColor".
#pragma once
#include <memory>
#include <string>

#include "engine/objects/Component.h"
#include "engine/objects/GameObjectHandle.h"
#include "game/gameplay/BehaviorTree.h"

namespace QRX {

class Turret : public Component
{
public:
    static constexpr Components TYPE = CT_TURRET;
    static constexpr const char* TREE_FILE = "data\\behaviorTrees\\TurretBehaviorTree.xml";
    static constexpr float DEFAULT_MAX_HP = 10.0f;
    static constexpr float DEFAULT_DAMAGE_ON_HIT = 2.0f;
    static constexpr float DEFAULT_ACTIVATION_RANGE = 3.0f;
    static constexpr float DEFAULT_FIRING_SPEED = 3.0f;
    static constexpr float DEFAULT_DROP_EXPLODING_BOX_TIME = 5.0f;
    static constexpr float DEFAULT_SPAWN_BARRIER_TIME = 5.0f;
    static constexpr float DEFAULT_PUSHBACK_TIME = 3.0f;
    static constexpr float DEFAULT_BARRIER_ALIVE_TIME = 2.0f;
    // Aggro above this fraction of m_MaxHP, defence at or below it.
    static constexpr float DEFENCE_AT_OR_BELOW = 0.5f;
    static constexpr const char* HP_TEXT = "Turret HP: ";
    // The text of one of several turrets: a side word, then this.
    static constexpr const char* HP_SIDE_TEXT = "turret HP: ";
    static constexpr const char* HP_LEFT = "Left ";
    static constexpr const char* HP_RIGHT = "Right ";
    static constexpr const char* HP_MIDDLE = "Middle ";
    static constexpr float HP_TEXT_X = 20.0f;
    static constexpr float HP_TEXT_Y = 100.0f;
    static constexpr float HP_LINE_HEIGHT = 24.0f;
    static constexpr const char* HP_FONT = "Turret";

    Turret();
    ~Turret() override;

    // A fresh tree from TREE_FILE with its tasks initialised.
    void Init() override;
    // One frame of the turret (see the rules).
    void Update() override;
    // Deletes the tree and lets an owned barrier go.
    void Free() override;
    // Damage from an object with an explode component.
    void OnCollision(GameObject* other) override;
    // The fields, then m_HP := m_MaxHP.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    // The fields, then m_HP := m_MaxHP.
    void CopyFrom(const Component* other) override;

    // The barrier the turret owns, or null; a barrier that has left play is
    // forgotten here (age back to 0).
    GameObject* GetBarrier();
    // Takes the object as the turret's barrier, aged 0 (null: none).
    void SetBarrier(GameObject* barrier);

    // The health tests (half of m_MaxHP in double precision).
    bool IsAggressive() const;
    bool IsDefending() const;

    // The tree (null before Init and after Free).
    BehaviorTree::BehaviorTree* GetTree() const { return m_Tree.get(); }

    float m_ActivationRange = DEFAULT_ACTIVATION_RANGE;  // reach to the robot
    float m_FiringSpeed = DEFAULT_FIRING_SPEED;          // seconds between bullets
    float m_DropExplodingBoxTime = DEFAULT_DROP_EXPLODING_BOX_TIME;
    float m_SpawnBarrierTime = DEFAULT_SPAWN_BARRIER_TIME;
    float m_PushbackTime = DEFAULT_PUSHBACK_TIME;  // read and written, unused
    bool m_IsDestroy = false;                      // set at m_HP <= 0, never cleared
    float m_BarrierAliveTime = DEFAULT_BARRIER_ALIVE_TIME;
    float m_BarrierAliveTimeTimer = 0.0f;  // age of the current barrier
    bool m_IsHit = false;                  // set by a damaging contact, cleared by Update
    float m_HP = DEFAULT_MAX_HP;
    float m_DamageOnHit = DEFAULT_DAMAGE_ON_HIT;
    float m_MaxHP = DEFAULT_MAX_HP;
    std::string m_originalColor;
    std::string m_damageColor;

private:
    std::unique_ptr<BehaviorTree::BehaviorTree> m_Tree;
    GameObjectHandle m_Barrier;
};

} // namespace QRX
