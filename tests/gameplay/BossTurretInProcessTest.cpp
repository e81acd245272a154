// The turret and the boss in the running engine (every frame 1/32 s), with
// their shipped trees: the turret's bullet reaches the robot and goes, the
// boss bombs the robot, and exploding crates dropped on each of them wear
// them down until the turret bursts and the boss leaves the exit behind.
#include <gtest/gtest.h>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/BossComponent.h"
#include "game/gameplay/Turret.h"
#include "support/EngineFixture.h"
#include "support/GameplayHarness.h"

using namespace QRX;
using TestSupport::GameplayHarness;

namespace {

class BossTurretInProcessTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        game.Stop();
        EngineTest::TearDown();
    }
    // An exploding crate at the position, made as the game makes them.
    GameObject* DropExplodingCrate(const glm::vec3& at)
    {
        GameObject* crate = game.GetSystem()->objectManager->CreateInstance(CRATE, at);
        if (!crate) return nullptr;
        crate->InitComponents();
        crate->AddComponent(CT_EXPLODE);
        return crate;
    }
    // Drops a crate just over the object (below the turret's muzzle: a
    // bullet would set it off) and runs frames until it has exploded.
    void Bomb(const GameObject* target, float height)
    {
        GameObject* crate = DropExplodingCrate(target->position + glm::vec3(0.0f, height, 0.0f));
        ASSERT_NE(crate, nullptr);
        const std::int32_t id = crate->id;
        ASSERT_GT(game.StepUntil([&] { return !(crate->flags & OBJ_ALIVE) || crate->id != id; }, 96), 0);
    }

    GameplayHarness game;
};

TEST_F(BossTurretInProcessTest, TheTurretShootsTheRobotHidesWhenHurtAndBurstsAtZero)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/turret.xml"));
    GameObject* robot = game.Player();
    GameObject* turretObject = game.Find(TURRET);
    ASSERT_NE(robot, nullptr);
    ASSERT_NE(turretObject, nullptr);
    auto* turret = dynamic_cast<Turret*>(turretObject->GetComponent(CT_TURRET));
    ASSERT_NE(turret, nullptr);
    ASSERT_NE(turret->GetTree(), nullptr);
    EXPECT_EQ(turret->GetTree()->GetRoot()->GetChildren().size(), 2u);

    // A bullet every two seconds, from three units above the turret.
    const int fired = game.StepUntil([&] { return game.Find(TURRETBULLET) != nullptr; }, 80);
    ASSERT_GE(fired, 60);
    GameObject* bullet = game.Find(TURRETBULLET);
    const std::int32_t bulletId = bullet->id;
    EXPECT_NEAR(bullet->position.y, 4.5f, 0.3f);
    const glm::vec3 before = robot->position;
    ASSERT_GT(game.StepUntil([&] { return game.Find(TURRETBULLET) == nullptr || bullet->id != bulletId; }, 64), 0);
    game.Step(2);
    EXPECT_LT(robot->position.z, before.z - 0.01f) << "the hit shoves the robot away from the turret";

    // Two hits: half health. It hides in a barrier and drops crates.
    Bomb(turretObject, 1.2f);
    Bomb(turretObject, 1.2f);
    EXPECT_EQ(turret->m_HP, 2.0f);
    ASSERT_GT(game.StepUntil([&] { return game.Find(BARRIER) != nullptr; }, 200), 0);
    EXPECT_EQ(game.Find(BARRIER)->scale, glm::vec3(3.0f, 1.0f, 3.0f));

    // The third: it bursts on the update after the one that sees 0.
    turret->m_HP = 0.0f;
    ASSERT_GT(game.StepUntil([&] { return game.Find(TURRET) == nullptr; }, 4), 0);
    game.Step(2);
    EXPECT_EQ(game.Find(BARRIER), nullptr);
}

TEST_F(BossTurretInProcessTest, TheBossBombsTheRobotAndDiesIntoTheExit)
{
    ASSERT_TRUE(game.Start());
    ASSERT_TRUE(game.LoadLevel("tests/data/gameplay/levels/boss.xml"));
    GameObject* robot = game.Player();
    GameObject* bossObject = game.Find(BOSS);
    ASSERT_NE(robot, nullptr);
    ASSERT_NE(bossObject, nullptr);
    auto* boss = dynamic_cast<BossComponent*>(bossObject->GetComponent(CT_BOSS));
    ASSERT_NE(boss, nullptr);
    EXPECT_EQ(boss->GetTree()->GetRoot()->GetChildren().size(), 2u);
    EXPECT_EQ(boss->m_HP, 10.0f);

    // About three seconds in, an exploding crate falls near the robot.
    const int dropped = game.StepUntil([&] { return game.Find(CRATE) != nullptr; }, 110);
    ASSERT_GE(dropped, 96);
    GameObject* crate = game.Find(CRATE);
    EXPECT_NE(crate->GetComponent(CT_EXPLODE), nullptr);
    EXPECT_LT(glm::length(glm::vec2(crate->position.x - robot->position.x, crate->position.z - robot->position.z)),
              6.0f);
    EXPECT_GT(crate->position.y, robot->position.y + 4.0f);
    EXPECT_FALSE(boss->m_IsVulnerable);

    // Five hits of 2.
    for (int hit = 0; hit < 4; ++hit) Bomb(bossObject, 2.2f);
    EXPECT_EQ(boss->m_HP, 2.0f);
    EXPECT_NE(game.Find(DOOR), nullptr);
    Bomb(bossObject, 2.2f);
    game.Step(2);
    EXPECT_EQ(game.Find(BOSS), nullptr);
    EXPECT_EQ(game.Find(DOOR), nullptr);
    EXPECT_EQ(game.Find(FORCEFIELD), nullptr);
    ASSERT_NE(game.Find(EXIT_MARKER), nullptr);
    EXPECT_EQ(game.Find(EXIT_MARKER)->position, glm::vec3(12.5f, 1.5f, 12.5f));
}

} // namespace
