// The boss's behaviour-tree tasks, each registered under its class name
// (AddBossTasks, which the behaviour-tree registry runs when it is made).
//
// Rules shared by every task here:
// - Initialize caches the BossComponent that owns the tree (TaskOwner: one
//   WARNING and a task that always fails when the owner is not a boss).
// - Timed tasks use the boss's own timers, which the boss's Update advances
//   every frame; a task fails until its timer is strictly greater than its
//   interval, then restarts the timer, does its work and succeeds.
// - Drops: every crate is a CRATE with an explode component; a drop draws
//   the x offset (sign, magnitude), then the z offset. Nothing is dropped
//   where the pool gives no object or the main player, a switch or a floor
//   is missing; the timer still restarts and the task still succeeds.
// - BT_BossDropBoxOnFloor needs no owner and only succeeds: it fills a
//   selector so that a waiting drop does not stop the sequence around it.
#pragma once
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "game/gameplay/BehaviorTree.h"

namespace QRX {

class BossComponent;

// The base of the tasks that reach the boss.
class BossTask : public BehaviorTree::CustomBehavior
{
public:
    // Caches the boss that owns the tree (null, with a WARNING, otherwise).
    void Initialize() override;
    BossComponent* GetBoss() const { return m_Boss; }

protected:
    BossComponent* m_Boss = nullptr;  // not owned
};

// The base of the two tasks that know the switches.
class BossSwitchTask : public BossTask
{
public:
    // The boss, then the position of every active switch object (the list
    // is made anew at each call).
    void Initialize() override;
    const std::vector<glm::vec3>& GetSwitchPositions() const { return m_SwitchPositions; }

protected:
    std::vector<glm::vec3> m_SwitchPositions;
};

// Every enemy-drop interval: an ENEMYBOX falls onto the largest floor block.
class BT_BossDropAIInLine : public BossTask
{
public:
    static constexpr float DROP_HEIGHT = 5.0f;

    std::string GetName() const override { return "BT_BossDropAIInLine"; }
    // The boss, then the floor: among the active CUBE objects, each one whose
    // scale is strictly larger on all three axes than the one kept so far
    // (from zero) is kept.
    void Initialize() override;
    // The box at floor position + (offset below nx, DROP_HEIGHT, offset below
    // nz), n being the floor's scale truncated and halved (whole numbers).
    BehaviorTree::Status Update() override;

    bool HasFloor() const { return m_HasFloor; }
    const glm::vec3& GetFloorPosition() const { return m_FloorPosition; }
    const glm::vec3& GetFloorScale() const { return m_FloorScale; }

private:
    bool m_HasFloor = false;
    glm::vec3 m_FloorPosition{0.0f};
    glm::vec3 m_FloorScale{0.0f};
};

// Always succeeds.
class BT_BossDropBoxOnFloor : public BehaviorTree::CustomBehavior
{
public:
    std::string GetName() const override { return "BT_BossDropBoxOnFloor"; }
    BehaviorTree::Status Update() override { return BehaviorTree::Status::Success; }
};

// Every box-on-player interval: a crate falls near the main player.
class BT_BossDropBoxOnPlayer : public BossTask
{
public:
    static constexpr float DROP_HEIGHT = 5.0f;

    std::string GetName() const override { return "BT_BossDropBoxOnPlayer"; }
    // The crate at the player + (offset below spread, DROP_HEIGHT, offset
    // below spread).
    BehaviorTree::Status Update() override;
};

// Every box-on-switch interval: a crate falls near a random switch.
class BT_BossDropBoxOnSwitch : public BossSwitchTask
{
public:
    static constexpr float DROP_HEIGHT = 5.0f;

    std::string GetName() const override { return "BT_BossDropBoxOnSwitch"; }
    // Draws the two offsets, then the switch (Random() % count).
    BehaviorTree::Status Update() override;
};

// Succeeds while the boss is not vulnerable.
class BT_BossIsNotResetSwitches : public BossTask
{
public:
    std::string GetName() const override { return "BT_BossIsNotResetSwitches"; }
    BehaviorTree::Status Update() override;
};

// Succeeds while the boss has a switch reset requested.
class BT_BossIsResetSwitches : public BossTask
{
public:
    std::string GetName() const override { return "BT_BossIsResetSwitches"; }
    BehaviorTree::Status Update() override;
};

// A crate over every switch; the request is answered when there was one.
class BT_BossResetSwitches : public BossSwitchTask
{
public:
    static constexpr float DROP_HEIGHT = 8.0f;

    std::string GetName() const override { return "BT_BossResetSwitches"; }
    // A crate at each switch + (0, DROP_HEIGHT, 0); the reset request is
    // cleared unless there is no switch. Succeeds.
    BehaviorTree::Status Update() override;
};

// The boss turns SPAWN_TEXTURE; succeeds.
class BT_BossSpawnTurret : public BossTask
{
public:
    static constexpr const char* SPAWN_TEXTURE = "blue";

    std::string GetName() const override { return "BT_BossSpawnTurret"; }
    BehaviorTree::Status Update() override;
};

// Phase 1: captions "Phase 1" and succeeds.
class BT_BossStage1Check : public BossTask
{
public:
    std::string GetName() const override { return "BT_BossStage1Check"; }
    BehaviorTree::Status Update() override;
};

// Phase 2: captions "Phase 2" and succeeds.
class BT_BossStage2Check : public BossTask
{
public:
    std::string GetName() const override { return "BT_BossStage2Check"; }
    BehaviorTree::Status Update() override;
};

// Phase 3: captions "Phase 3" and succeeds.
class BT_BossStage3Check : public BossTask
{
public:
    std::string GetName() const override { return "BT_BossStage3Check"; }
    BehaviorTree::Status Update() override;
};

// Puts every task of this file into the registry under its class name.
void AddBossTasks(BehaviorTree::BehaviorRegistry& registry);

} // namespace QRX
