// The boss (CT_BOSS): a giant robot run by a behaviour tree that drops
// exploding crates on the robot and on the switches, and enemy boxes onto
// the floor, harder as its hit points fall; it is hurt only by explosions.
//
// Rules:
// - The tree is made by the constructor and again by every Init, which
//   loads TREE_FILE into a fresh tree (the old one goes) and initialises its
//   tasks; Free deletes it, and the destructor deletes any tree left (a
//   master or an editor copy never gets Free). A missing file leaves an
//   empty tree: the boss does nothing.
// - Update, in order: the death (the first update with m_HP <= 0, see Die);
//   one tick of the tree; the damage colour of a hit goes back to
//   m_originalColor; the three drop timers grow by the capped frame time;
//   the boss is vulnerable while any active door is open, and each
//   vulnerable update adds the frame time to the reset timer, which, past
//   m_ResetInterval, raises the reset request and restarts. A shut door
//   restarts it too: every opening lasts the whole interval, however short
//   the one before was cut (a crate knocked off a switch). The tree
//   therefore sees last frame's vulnerability.
// - A contact with an object that carries an explode component costs
//   m_DamageOnHit and shows m_damageColor until the next update; any other
//   contact, or none, does nothing.
// - Read and CopyFrom set m_HP to m_MaxHP after the fields.
// - Phases by hit points (factors widened from single precision, products
//   in double): phase 1 above 0.7 x m_MaxHP, phase 2 above 0.4 x m_MaxHP,
//   phase 3 from 0 up.
//
// In files: "DamageOnHit", "MaxHP", "OriginalColor", "DamageColor".
#pragma once
#include <memory>
#include <string>

#include <glm/glm.hpp>

#include "engine/objects/Component.h"
#include "game/gameplay/BehaviorTree.h"

namespace QRX {

class BossComponent : public Component
{
public:
    static constexpr Components TYPE = CT_BOSS;
    static constexpr const char* TREE_FILE = "data\\behaviorTrees\\BossBehaviorTree.xml";
    static constexpr float DEFAULT_MAX_HP = 10.0f;
    static constexpr float DEFAULT_DAMAGE_ON_HIT = 2.0f;
    static constexpr float BOX_ON_PLAYER_INTERVAL = 3.0f;
    static constexpr float BOX_ON_SWITCH_INTERVAL = 4.0f;
    static constexpr float ENEMY_DROP_INTERVAL = 5.0f;
    static constexpr float RESET_INTERVAL = 5.0f;
    static constexpr int DROP_SPREAD = 5;
    // Phase limits as fractions of m_MaxHP (single-precision values).
    static constexpr float PHASE_ONE_ABOVE = 0.7f;
    static constexpr float PHASE_TWO_ABOVE = 0.4f;
    // The death: a one-shot burst and the level's exit where the boss stood.
    static constexpr int DEATH_BURST_COUNT = 80;
    static constexpr int DEATH_BURST_PATTERN = 3;
    static constexpr float EXIT_MARKER_Y = 1.5f;
    // The phase caption: at CAPTION_X_FRACTION x window width, CAPTION_Y
    // pixels from the top, in CAPTION_FONT.
    static constexpr float CAPTION_X_FRACTION = 0.75f;
    static constexpr float CAPTION_Y = 70.0f;
    static constexpr const char* CAPTION_FONT = "big";

    BossComponent();
    ~BossComponent() override;

    // A fresh tree from TREE_FILE with its tasks initialised.
    void Init() override;
    // One frame of the boss (see the rules).
    void Update() override;
    // Deletes the tree.
    void Free() override;
    // Damage from an object with an explode component.
    void OnCollision(GameObject* other) override;
    // The fields, then m_HP := m_MaxHP.
    void Read(const tinyxml2::XMLElement* firstElement) override;
    void Write(const Component* master) override { WriteAgainstMaster(master); }
    bool IsEqual(const Component* other) const override { return CompareSerializeVars(other); }
    // The fields, then m_HP := m_MaxHP.
    void CopyFrom(const Component* other) override;

    // The death: the boss marked for destruction, a burst and an EXIT_MARKER
    // at (x, EXIT_MARKER_Y, z), and every live door and force field object
    // (active or not) marked. What the pool cannot give is left out.
    void Die();
    // Whether any active door is open.
    static bool AnyDoorOpen();
    // Queues a phase caption for this frame; nothing without a window or a
    // font manager.
    static void ShowCaption(const std::string& text);

    // The phase tests.
    bool InPhaseOne() const;
    bool InPhaseTwo() const;
    bool InPhaseThree() const;

    // The tree (null after Free).
    BehaviorTree::BehaviorTree* GetTree() const { return m_Tree.get(); }

    float m_BoxOnPlayerTimer = 0.0f;
    float m_BoxOnPlayerInterval = BOX_ON_PLAYER_INTERVAL;
    int m_BoxOnPlayerSpread = DROP_SPREAD;
    float m_BoxOnSwitchTimer = 0.0f;
    float m_BoxOnSwitchInterval = BOX_ON_SWITCH_INTERVAL;
    int m_BoxOnSwitchSpread = DROP_SPREAD;
    float m_EnemyDropTimer = 0.0f;
    float m_EnemyDropInterval = ENEMY_DROP_INTERVAL;
    float m_ResetInterval = RESET_INTERVAL;  // vulnerable seconds before a reset
    float m_ResetTimer = 0.0f;
    bool m_IsResetRequested = false;
    bool m_IsVulnerable = false;  // recomputed every update
    bool m_IsHit = false;         // set by a damaging contact, cleared by Update
    float m_HP = DEFAULT_MAX_HP;
    float m_DamageOnHit = DEFAULT_DAMAGE_ON_HIT;
    float m_MaxHP = DEFAULT_MAX_HP;
    std::string m_originalColor;  // texture shown normally
    std::string m_damageColor;    // texture shown on the frame of a hit

private:
    std::unique_ptr<BehaviorTree::BehaviorTree> m_Tree;
};

} // namespace QRX
