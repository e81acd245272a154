// The turret's behaviour-tree tasks, each registered under its class name
// (AddTurretTasks, which the behaviour-tree registry runs when it is made).
//
// Rules shared by every task here:
// - Initialize caches the Turret that owns the tree (TaskOwner: one WARNING
//   and a task that always fails when the owner is not a turret) and zeroes
//   the task's own timer.
// - Timed tasks keep their own clock: each tick adds the capped frame time
//   before the test, so the clock runs only while the tree reaches the task.
//   The task fails until its clock is strictly greater than its interval,
//   then restarts the clock, does its work and succeeds.
// - Nothing is made where the pool gives no object or the main player is
//   missing.
// - BT_TurretPushBack needs no owner and only succeeds: it fills a selector
//   so that a waiting drop or shot does not stop the sequence around it.
#pragma once
#include <string>

#include "game/gameplay/BehaviorTree.h"

namespace QRX {

class Turret;

// The base of the tasks that reach the turret.
class TurretTask : public BehaviorTree::CustomBehavior
{
public:
    // Caches the turret that owns the tree (null, with a WARNING, otherwise)
    // and zeroes the clock.
    void Initialize() override;
    Turret* GetTurret() const { return m_Turret; }
    float GetTimer() const { return m_Timer; }

protected:
    // The clock's tick and the timed rule against the interval.
    bool Tick(float interval);

    Turret* m_Turret = nullptr;  // not owned
    float m_Timer = 0.0f;        // used by the timed tasks only
};

// Every m_FiringSpeed seconds: a bullet from above the turret at the robot.
class BT_FireBulletAtPlayer : public TurretTask
{
public:
    static constexpr float MUZZLE_HEIGHT = 3.0f;
    static constexpr float BULLET_SPEED = 6.0f;

    std::string GetName() const override { return "BT_FireBulletAtPlayer"; }
    // A TURRETBULLET at the turret + (0, MUZZLE_HEIGHT, 0), flying at
    // BULLET_SPEED toward the main player's position.
    BehaviorTree::Status Update() override;
};

// Whether the main player is within m_ActivationRange of the turret.
class BT_PlayerInRange : public TurretTask
{
public:
    static constexpr const char* IN_RANGE_TEXTURE = "blue";
    static constexpr const char* OUT_OF_RANGE_TEXTURE = "turq";

    std::string GetName() const override { return "BT_PlayerInRange"; }
    // In range (distance <= range): IN_RANGE_TEXTURE, success; out of range
    // or no main player: OUT_OF_RANGE_TEXTURE, failure. The texture only on
    // a turret with graphics.
    BehaviorTree::Status Update() override;
};

// Succeeds above half health.
class BT_TurretCheckAggro : public TurretTask
{
public:
    std::string GetName() const override { return "BT_TurretCheckAggro"; }
    BehaviorTree::Status Update() override;
};

// Succeeds at or below half health.
class BT_TurretCheckDefence : public TurretTask
{
public:
    std::string GetName() const override { return "BT_TurretCheckDefence"; }
    BehaviorTree::Status Update() override;
};

// Succeeds once the turret is destroyed (m_IsDestroy).
class BT_TurretDeath : public TurretTask
{
public:
    std::string GetName() const override { return "BT_TurretDeath"; }
    BehaviorTree::Status Update() override;
};

// Every m_DropExplodingBoxTime seconds: an exploding crate on each side.
class BT_TurretDropExplodingBox : public TurretTask
{
public:
    static constexpr float SIDE_OFFSET = 2.0f;

    std::string GetName() const override { return "BT_TurretDropExplodingBox"; }
    // Crates with explode components at the turret + (0, 0, -SIDE_OFFSET)
    // and + (0, 0, SIDE_OFFSET).
    BehaviorTree::Status Update() override;
};

// Always succeeds.
class BT_TurretPushBack : public BehaviorTree::CustomBehavior
{
public:
    std::string GetName() const override { return "BT_TurretPushBack"; }
    BehaviorTree::Status Update() override { return BehaviorTree::Status::Success; }
};

// Every m_SpawnBarrierTime seconds a barrier around the turret, when it has
// none; succeeds at every tick.
class BT_TurretSpawnBarrier : public TurretTask
{
public:
    static constexpr float BARRIER_MARGIN = 2.0f;

    std::string GetName() const override { return "BT_TurretSpawnBarrier"; }
    // A BARRIER at the turret, scale = turret scale + (BARRIER_MARGIN, 0,
    // BARRIER_MARGIN), taken as the turret's barrier.
    BehaviorTree::Status Update() override;
};

// The turret goes in a burst.
class BT_TurretSuicide : public TurretTask
{
public:
    static constexpr int BURST_COUNT = 400;
    static constexpr int BURST_PATTERN = 0;

    std::string GetName() const override { return "BT_TurretSuicide"; }
    // The turret marked for destruction and, the first time, a one-shot
    // burst there; succeeds.
    BehaviorTree::Status Update() override;
};

// Puts every task of this file into the registry under its class name.
void AddTurretTasks(BehaviorTree::BehaviorRegistry& registry);

} // namespace QRX
