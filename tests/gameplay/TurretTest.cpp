// The turret and its bullets at 1/32 s a frame: the health tests at exactly
// half, the shot on the 97th tick, the barrier's life of 64 frames and a
// barrier destroyed by something else, the crates it drops, damage, its
// hit-point text, its burst, the life of its tree, and a full pool.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <cmath>

#include "game/gameplay/Turret.h"
#include "game/gameplay/TurretBullet.h"
#include "gameplay/EnemyTreeTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;
using BehaviorTree::Status;

namespace {

const glm::vec3 TURRET_AT(5.0f, 1.5f, 5.0f);
const glm::vec3 ROBOT_AT(5.0f, 1.5f, 9.0f);  // 4 away

class TurretTest : public EnemyTreeTest
{
protected:
    Turret* MakeTurret(float firingSpeed = 3.0f)
    {
        turretObject = Make(TURRET, TURRET_AT);
        auto* turret = turretObject ? dynamic_cast<Turret*>(turretObject->GetComponent(CT_TURRET)) : nullptr;
        if (turret) turret->m_FiringSpeed = firingSpeed;
        return turret;
    }
    void Update(int count = 1)
    {
        for (int i = 0; i < count; ++i) turretObject->UpdateComponents();
    }
    static TurretBullet* Bullet(GameObject* object)
    {
        return dynamic_cast<TurretBullet*>(object->GetComponent(CT_TURRETBULLET));
    }

    GameObject* turretObject = nullptr;
};

TEST_F(TurretTest, HalfHealthIsDefenceNotAggro)
{
    Turret* turret = MakeTurret();
    ASSERT_NE(turret, nullptr);
    EXPECT_EQ(turret->m_MaxHP, 6.0f);
    BehaviorTree::BehaviorTree tree(turret);
    BehaviorTree::CustomBehavior* aggro = Install(tree, "BT_TurretCheckAggro");
    BehaviorTree::CustomBehavior* defence = Install(tree, "BT_TurretCheckDefence");
    BehaviorTree::BehaviorTree::InitializeBehaviors(tree.GetRoot());
    turret->m_HP = 3.0f;
    EXPECT_EQ(aggro->Update(), Status::Failure);
    EXPECT_EQ(defence->Update(), Status::Success);
    turret->m_HP = 3.0001f;
    EXPECT_EQ(aggro->Update(), Status::Success);
    EXPECT_EQ(defence->Update(), Status::Failure);
}

TEST_F(TurretTest, InRangeItShootsOnThe97thTickAtTheRobotAndOutOfRangeItWaits)
{
    GameObject* robot = MakePlayer(ROBOT_AT);
    ASSERT_NE(MakeTurret(), nullptr);
    Update(96);
    EXPECT_EQ(Count(TURRETBULLET), 0u);
    EXPECT_EQ(Texture(turretObject), "blue");
    Update();
    ASSERT_EQ(Count(TURRETBULLET), 1u);
    GameObject* shot = All(TURRETBULLET)[0];
    const glm::vec3 muzzle = TURRET_AT + glm::vec3(0.0f, 3.0f, 0.0f);
    EXPECT_EQ(shot->position, muzzle);
    EXPECT_EQ(Bullet(shot)->m_Speed, 6.0f);
    shot->UpdateComponents();
    const glm::vec3 velocity = Body(shot)->velocity;
    EXPECT_NEAR(glm::length(velocity), 6.0f, 1e-5f);
    EXPECT_NEAR(glm::dot(glm::normalize(velocity), glm::normalize(robot->position - muzzle)), 1.0f, 1e-6f);

    // Out of range, or without a robot: turquoise, and the clock stands.
    robot->position = TURRET_AT + glm::vec3(0.0f, 0.0f, 8.01f);
    Update(200);
    EXPECT_EQ(Texture(turretObject), "turq");
    System::GetInstance()->playerOne = nullptr;
    Update(200);
    EXPECT_EQ(Count(TURRETBULLET), 1u);
    EXPECT_EQ(Texture(turretObject), "turq");
    System::GetInstance()->playerOne = robot;
    robot->position = TURRET_AT + glm::vec3(0.0f, 0.0f, 8.0f);
    Update(96);
    EXPECT_EQ(Count(TURRETBULLET), 1u);
    Update();
    EXPECT_EQ(Count(TURRETBULLET), 2u);
}

TEST_F(TurretTest, HurtItHidesInABarrierFor64FramesAndDropsExplodingCrates)
{
    MakePlayer(ROBOT_AT);
    Turret* turret = MakeTurret(100.0f);
    turret->m_HP = 3.0f;
    Update(160);
    EXPECT_EQ(Count(BARRIER) + Count(CRATE), 0u);
    Update();  // frame n
    ASSERT_EQ(Count(BARRIER), 1u);
    GameObject* barrier = All(BARRIER)[0];
    EXPECT_EQ(turret->GetBarrier(), barrier);
    EXPECT_EQ(barrier->position, TURRET_AT);
    EXPECT_EQ(barrier->scale, glm::vec3(3.0f, 1.0f, 3.0f));
    ASSERT_EQ(Count(CRATE), 2u);
    EXPECT_EQ(All(CRATE)[0]->position, TURRET_AT + glm::vec3(0.0f, 0.0f, -2.0f));
    EXPECT_EQ(All(CRATE)[1]->position, TURRET_AT + glm::vec3(0.0f, 0.0f, 2.0f));
    EXPECT_NE(All(CRATE)[1]->GetComponent(CT_EXPLODE), nullptr);

    Update(63);
    EXPECT_FALSE(Marked(barrier));
    Update();  // frame n + 64
    EXPECT_TRUE(Marked(barrier));
    EXPECT_EQ(turret->GetBarrier(), nullptr);
    EXPECT_EQ(turret->m_BarrierAliveTimeTimer, 0.0f);
    objects->Update();
    // The next one five seconds after the first.
    Update(96);
    EXPECT_EQ(Count(BARRIER), 0u);
    Update();
    EXPECT_EQ(Count(BARRIER), 1u);
}

TEST_F(TurretTest, ABarrierBlownUpIsForgottenAndWhatReusesItsSlotIsLeftAlone)
{
    MakePlayer(ROBOT_AT);
    Turret* turret = MakeTurret(100.0f);
    turret->m_HP = 3.0f;
    Update(161);
    ASSERT_EQ(Count(BARRIER), 1u);
    GameObject* barrier = All(BARRIER)[0];
    Update(10);
    barrier->flags |= OBJ_DESTROY;  // an explosion
    objects->Update();
    GameObject* reuser = Make(CRATE, glm::vec3(20.0f));
    ASSERT_EQ(reuser, barrier);
    EXPECT_EQ(turret->GetBarrier(), nullptr);
    EXPECT_EQ(turret->m_BarrierAliveTimeTimer, 0.0f);
    Update(100);
    EXPECT_FALSE(Marked(reuser));
    EXPECT_EQ(reuser->type, CRATE);
    // A new barrier when the spawn clock comes round again.
    Update(51);
    ASSERT_EQ(Count(BARRIER), 1u);
    EXPECT_NE(All(BARRIER)[0], reuser);
}

TEST_F(TurretTest, ExplosionsHurtItItsHitPointsShowEveryFrameAndAtZeroItBursts)
{
    Turret* turret = MakeTurret();
    Texts();
    GameObject* crate = Make(CRATE, TURRET_AT + glm::vec3(0.0f, 1.0f, 0.0f));
    turretObject->NotifyCollision(crate);
    turretObject->NotifyCollision(nullptr);
    EXPECT_EQ(turret->m_HP, 6.0f);
    crate->AddComponent(CT_EXPLODE);
    turretObject->NotifyCollision(crate);
    EXPECT_EQ(turret->m_HP, 4.0f);
    EXPECT_EQ(Texture(turretObject), "red");
    Update();
    EXPECT_EQ(Texture(turretObject), "turq");
    std::vector<FontManager::TextItem> texts = Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Turret HP: 4");
    EXPECT_EQ(texts[0].mode, FontManager::POSITION_TOP_LEFT);
    EXPECT_EQ(texts[0].x, 20.0f);
    EXPECT_EQ(texts[0].y, 100.0f);
    EXPECT_EQ(texts[0].fontId, "Turret");
    EXPECT_EQ(texts[0].color, glm::vec4(1.0f));
    // With more turrets the lines run west to east, a line apart, each
    // naming its turret, whatever the order they were made in.
    GameObject* second = Make(TURRET, TURRET_AT + glm::vec3(4.0f, 0.0f, 0.0f));
    GameObject* third = Make(TURRET, TURRET_AT + glm::vec3(-4.0f, 0.0f, 0.0f));
    for (GameObject* each : {second, turretObject, third}) each->UpdateComponents();
    texts = Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[0].text, "Right turret HP: 6");
    EXPECT_EQ(texts[0].y, 100.0f + 2 * Turret::HP_LINE_HEIGHT);
    EXPECT_EQ(texts[1].text, "Middle turret HP: 4");
    EXPECT_EQ(texts[1].y, 100.0f + Turret::HP_LINE_HEIGHT);
    EXPECT_EQ(texts[2].text, "Left turret HP: 6");
    EXPECT_EQ(texts[2].y, 100.0f);
    second->flags |= OBJ_DESTROY;
    third->flags |= OBJ_DESTROY;
    objects->Update();

    // It owns a barrier when it dies; the burst comes on the update after
    // the one that sees 0, once; the text stays until it goes.
    GameObject* barrier = Make(BARRIER, TURRET_AT);
    turret->SetBarrier(barrier);
    turret->m_HP = -1.5f;
    Update();
    EXPECT_TRUE(turret->m_IsDestroy);
    EXPECT_FALSE(Marked(turretObject));
    EXPECT_EQ(Texts()[0].text, "Turret HP: -1");
    Update();
    EXPECT_TRUE(Marked(turretObject));
    ASSERT_EQ(Texts().size(), 1u);
    Update();
    ASSERT_EQ(Count(PARTICLEEMITTER), 2u);  // the crate's sparks and the burst
    const ParticleEmitter* burst = Emitter(All(PARTICLEEMITTER)[1]);
    EXPECT_EQ(burst->m_count, 400);
    EXPECT_EQ(burst->m_pattern, 0);
    EXPECT_EQ(burst->m_direction, glm::vec3(0.0f));
    EXPECT_FALSE(burst->m_active);
    EXPECT_FALSE(Marked(barrier));
    objects->Update();
    EXPECT_EQ(Count(TURRET), 0u);
    EXPECT_TRUE(Marked(barrier));
}

TEST_F(TurretTest, ABulletFliesStraightStandsStillWithoutADirectionAndGoesAtItsFirstContact)
{
    GameObject* shot = Make(TURRETBULLET, glm::vec3(0.0f, 5.0f, 0.0f));
    Bullet(shot)->m_Direction = glm::vec3(2.0f, 0.0f, 0.0f);
    Tick(4);
    EXPECT_EQ(Bullet(shot)->m_Direction, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_NEAR(shot->position.x, 4.0f * 5.0f / 32.0f, 1e-4f);
    EXPECT_EQ(shot->position.y, 5.0f);
    Bullet(shot)->m_Direction = glm::vec3(0.0f);
    shot->UpdateComponents();
    EXPECT_EQ(Body(shot)->velocity, glm::vec3(0.0f));
    Bullet(shot)->m_Direction = glm::vec3(NAN, 1.0f, 0.0f);
    shot->UpdateComponents();
    EXPECT_EQ(Body(shot)->velocity, glm::vec3(0.0f));
    shot->NotifyCollision(nullptr);
    EXPECT_FALSE(Marked(shot));
    shot->NotifyCollision(Make(WALL, glm::vec3(9.0f)));
    EXPECT_TRUE(Marked(shot));
}

TEST_F(TurretTest, TheTreeLivesFromInitToFreeAndHitPointsStartFull)
{
    {
        Turret unused;
        EXPECT_EQ(unused.GetTree(), nullptr);
        unused.Init();  // never freed: the destructor deletes it
        EXPECT_EQ(unused.GetTree()->GetRoot()->GetChildren().size(), 2u);
    }
    Turret turret;
    turret.Init();
    turret.Init();
    EXPECT_EQ(turret.GetTree()->GetRoot()->GetChildren().size(), 2u);
    turret.Free();
    EXPECT_EQ(turret.GetTree(), nullptr);
    turret.Update();

    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<FiringSpeed>1</FiringSpeed>"), tinyxml2::XML_SUCCESS);
    turret.m_HP = 0.0f;
    turret.Read(doc.FirstChildElement());
    EXPECT_EQ(turret.m_HP, 10.0f);
    EXPECT_EQ(turret.m_DamageOnHit, 2.0f);
    ASSERT_EQ(doc.Parse("<MaxHP>6</MaxHP><DamageOnHit>3</DamageOnHit>"), tinyxml2::XML_SUCCESS);
    turret.Read(doc.FirstChildElement());
    Turret copy;
    copy.CopyFrom(&turret);
    EXPECT_EQ(copy.m_HP, 6.0f);
    EXPECT_EQ(copy.m_FiringSpeed, 1.0f);
    EXPECT_TRUE(copy.IsEqual(&turret));
}

TEST_F(TurretTest, AFullPoolLeavesOutWhatItCannotMake)
{
    MakePlayer(ROBOT_AT);
    Turret* turret = MakeTurret(3.0f);
    turret->m_HP = 3.0f;
    FillPool();
    const size_t live = objects->GetAllObjects().size();
    Update(200);
    EXPECT_EQ(objects->GetAllObjects().size(), live);
    EXPECT_EQ(turret->GetBarrier(), nullptr);
    EXPECT_EQ(Count(TURRETBULLET) + Count(BARRIER), 0u);
}

} // namespace
