// The boss at 1/32 s a frame: its phases and captions, its drop and reset
// timers (the tree runs before the timers grow), the two switch tests, each
// drop and what it does with nothing to drop on, damage, death, and the life
// of its tree.
#include <gtest/gtest.h>

#include <tinyxml2.h>

#include <cmath>

#include "engine/core/Random.h"
#include "game/gameplay/BossComponent.h"
#include "game/gameplay/DoorComponent.h"
#include "gameplay/EnemyTreeTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;
using BehaviorTree::Status;

namespace {

const glm::vec3 BOSS_AT(8.0f, 2.5f, 8.0f);
const glm::vec3 ROBOT_AT(2.0f, 1.5f, 3.0f);

class BossTest : public EnemyTreeTest
{
protected:
    BossComponent* MakeBoss(const glm::vec3& at = BOSS_AT)
    {
        bossObject = Make(BOSS, at);
        return bossObject ? dynamic_cast<BossComponent*>(bossObject->GetComponent(CT_BOSS)) : nullptr;
    }
    // The offset a fresh draw gives (sign first, then the magnitude).
    static float ExpectedOffset(int below)
    {
        const int sign = Random() % 10 < 5 ? 1 : -1;
        return static_cast<float>(Random() % below * sign);
    }
    static bool Whole(float value) { return std::floor(value) == value; }

    GameObject* bossObject = nullptr;
};

TEST_F(BossTest, PhasesCompareInDoublePrecisionAndCaptionTheFrame)
{
    BossComponent* boss = MakeBoss();
    ASSERT_NE(boss, nullptr);
    BehaviorTree::BehaviorTree tree(boss);
    BehaviorTree::CustomBehavior* stages[3] = {Install(tree, "BT_BossStage1Check"),
                                               Install(tree, "BT_BossStage2Check"),
                                               Install(tree, "BT_BossStage3Check")};
    BehaviorTree::BehaviorTree::InitializeBehaviors(tree.GetRoot());
    Texts();
    auto statuses = [&](float hp) {
        boss->m_HP = hp;
        std::string result;
        for (BehaviorTree::CustomBehavior* stage : stages) result += stage->Update() == Status::Success ? '+' : '-';
        return result;
    };

    // 0.7f x 10 in single precision is exactly 7: the double product keeps
    // 7 in phase 1. 4 is not above 4.00000006, so 4 is phase 3.
    EXPECT_EQ(statuses(7.0f), "+--");
    std::vector<FontManager::TextItem> texts = Texts();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, "Phase 1");
    EXPECT_EQ(texts[0].mode, FontManager::POSITION_TOP_LEFT);
    EXPECT_EQ(texts[0].x, 600.0f);
    EXPECT_EQ(texts[0].y, 70.0f);
    EXPECT_EQ(texts[0].fontId, "big");
    EXPECT_EQ(texts[0].color, glm::vec4(1.0f));
    EXPECT_EQ(statuses(6.9f), "-+-");
    EXPECT_EQ(statuses(4.0001f), "-+-");
    texts = Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[1].text, "Phase 2");
    EXPECT_EQ(statuses(4.0f), "--+");
    EXPECT_EQ(statuses(0.0f), "--+");
    texts = Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].text, "Phase 3");
    EXPECT_EQ(texts[1].text, "Phase 3");
    EXPECT_EQ(statuses(-0.5f), "---");
    EXPECT_TRUE(Texts().empty());

    // Three hits of 2, then the shipped tree: phase 3 shows "Phase 3" every
    // frame and turns the boss blue, after the frame that ends the red.
    boss->m_HP = 10.0f;
    GameObject* crate = Make(CRATE, BOSS_AT + glm::vec3(0.0f, 3.0f, 0.0f));
    crate->AddComponent(CT_EXPLODE);
    for (int i = 0; i < 3; ++i) bossObject->NotifyCollision(crate);
    EXPECT_EQ(boss->m_HP, 4.0f);
    EXPECT_EQ(Texture(bossObject), "red");
    for (int frame = 0; frame < 2; ++frame) {
        bossObject->UpdateComponents();
        texts = Texts();
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].text, "Phase 3");
        EXPECT_EQ(Texture(bossObject), frame == 0 ? "boss" : "blue");
    }
}

TEST_F(BossTest, TheFirstCrateOnTheRobotFallsOnThe98thUpdateAndTheNextThreeSecondsLater)
{
    GameObject* robot = MakePlayer(ROBOT_AT);
    ASSERT_NE(MakeBoss(), nullptr);
    for (int update = 1; update <= 97; ++update) {
        bossObject->UpdateComponents();
        ASSERT_EQ(Count(CRATE), 0u) << update;
    }
    ResetRandom();
    bossObject->UpdateComponents();
    ASSERT_EQ(Count(CRATE), 1u);
    GameObject* crate = All(CRATE)[0];
    EXPECT_NE(crate->GetComponent(CT_EXPLODE), nullptr);
    ResetRandom();
    const float x = ExpectedOffset(5);
    const float z = ExpectedOffset(5);
    EXPECT_EQ(crate->position, robot->position + glm::vec3(x, 5.0f, z));

    for (int update = 99; update <= 194; ++update) bossObject->UpdateComponents();
    EXPECT_EQ(Count(CRATE), 1u);
    bossObject->UpdateComponents();
    EXPECT_EQ(Count(CRATE), 2u);
}

TEST_F(BossTest, OpenDoorsMakeItVulnerableAndTheResetComesOnThe161stFrameOfAnOpening)
{
    MakePlayer(ROBOT_AT);
    GameObject* door = Make(DOOR, glm::vec3(0.5f, 1.5f, 6.5f));  // no switch: it opens at once
    BossComponent* boss = MakeBoss();
    ASSERT_NE(boss, nullptr);

    // Vulnerable from the first frame on; the attacks wait.
    for (int frame = 1; frame <= 100; ++frame) {
        UpdateObjects();
        ASSERT_TRUE(boss->m_IsVulnerable) << frame;
        ASSERT_FALSE(boss->m_IsResetRequested) << frame;
    }
    EXPECT_EQ(Count(CRATE), 0u);
    // A shut door (gone from the active objects) winds the reset timer
    // back: the next opening lasts the whole interval. The attacks resume.
    door->flags &= ~OBJ_ACTIVE;
    for (int frame = 1; frame <= 50; ++frame) {
        UpdateObjects();
        ASSERT_FALSE(boss->m_IsVulnerable) << frame;
    }
    EXPECT_EQ(boss->m_ResetTimer, 0.0f);
    EXPECT_EQ(Count(CRATE), 1u);
    door->flags |= OBJ_ACTIVE;
    for (int frame = 1; frame <= 160; ++frame) {
        UpdateObjects();
        ASSERT_FALSE(boss->m_IsResetRequested) << frame;
    }
    UpdateObjects();
    EXPECT_TRUE(boss->m_IsResetRequested);
    EXPECT_EQ(boss->m_ResetTimer, 0.0f);
    // Without a switch the request stays.
    for (int frame = 0; frame < 3; ++frame) UpdateObjects();
    EXPECT_TRUE(boss->m_IsResetRequested);
}

TEST_F(BossTest, TheTwoSwitchTestsReadDifferentFlags)
{
    BossComponent* boss = MakeBoss();
    BehaviorTree::BehaviorTree tree(boss);
    BehaviorTree::CustomBehavior* isNot = Install(tree, "BT_BossIsNotResetSwitches");
    BehaviorTree::CustomBehavior* is = Install(tree, "BT_BossIsResetSwitches");
    BehaviorTree::BehaviorTree::InitializeBehaviors(tree.GetRoot());

    boss->m_IsVulnerable = false;
    boss->m_IsResetRequested = true;
    EXPECT_EQ(isNot->Update(), Status::Success);
    EXPECT_EQ(is->Update(), Status::Success);
    boss->m_IsVulnerable = true;
    boss->m_IsResetRequested = false;
    EXPECT_EQ(isNot->Update(), Status::Failure);
    EXPECT_EQ(is->Update(), Status::Failure);
}

TEST_F(BossTest, DropsOnSwitchesAndTheFloorAndWhatTheyDoWithNothingThere)
{
    BossComponent* boss = MakeBoss();
    BehaviorTree::BehaviorTree tree(boss);
    BehaviorTree::CustomBehavior* onSwitch = Install(tree, "BT_BossDropBoxOnSwitch");
    BehaviorTree::CustomBehavior* reset = Install(tree, "BT_BossResetSwitches");
    BehaviorTree::CustomBehavior* enemies = Install(tree, "BT_BossDropAIInLine");
    BehaviorTree::CustomBehavior* onPlayer = Install(tree, "BT_BossDropBoxOnPlayer");
    BehaviorTree::BehaviorTree::InitializeBehaviors(tree.GetRoot());

    // Nothing to drop on: nothing falls, the timers still restart, the
    // request stays.
    boss->m_BoxOnSwitchTimer = boss->m_EnemyDropTimer = boss->m_BoxOnPlayerTimer = 6.0f;
    boss->m_IsResetRequested = true;
    EXPECT_EQ(onSwitch->Update(), Status::Success);
    EXPECT_EQ(reset->Update(), Status::Success);
    EXPECT_EQ(enemies->Update(), Status::Success);
    EXPECT_EQ(onPlayer->Update(), Status::Success);
    EXPECT_EQ(boss->m_BoxOnSwitchTimer + boss->m_EnemyDropTimer + boss->m_BoxOnPlayerTimer, 0.0f);
    EXPECT_TRUE(boss->m_IsResetRequested);
    EXPECT_EQ(Count(CRATE) + Count(ENEMYBOX), 0u);

    // The floor is the block larger on every axis than each kept before it;
    // inactive blocks and switches are not seen.
    const glm::vec3 floorAt(10.0f, 0.0f, 10.0f);
    Make(CUBE, glm::vec3(0.0f))->scale = glm::vec3(10.0f, 1.0f, 10.0f);
    Make(CUBE, glm::vec3(1.0f))->scale = glm::vec3(12.0f, 1.0f, 3.0f);
    Make(CUBE, floorAt)->scale = glm::vec3(20.0f, 2.0f, 20.0f);
    Make(CUBE, glm::vec3(2.0f))->scale = glm::vec3(30.0f, 2.0f, 25.0f);
    GameObject* hidden = Make(CUBE, glm::vec3(3.0f));
    hidden->scale = glm::vec3(40.0f);
    hidden->flags &= ~OBJ_ACTIVE;
    const glm::vec3 switches[2] = {glm::vec3(3.5f, 1.0f, 2.5f), glm::vec3(6.5f, 1.0f, 2.5f)};
    for (const glm::vec3& at : switches) Make(SWITCH, at);
    Make(SWITCH, glm::vec3(9.0f))->flags &= ~OBJ_ACTIVE;
    BehaviorTree::BehaviorTree::InitializeBehaviors(tree.GetRoot());

    // Exactly at the interval nothing falls; just past it, one.
    boss->m_BoxOnSwitchTimer = 4.0f;
    EXPECT_EQ(onSwitch->Update(), Status::Failure);
    boss->m_BoxOnSwitchTimer = 4.0f + 1.0f / 32.0f;
    ResetRandom();
    EXPECT_EQ(onSwitch->Update(), Status::Success);
    ResetRandom();
    const float x = ExpectedOffset(5);
    const float z = ExpectedOffset(5);
    const glm::vec3 target = switches[Random() % 2];
    ASSERT_EQ(Count(CRATE), 1u);
    EXPECT_EQ(All(CRATE)[0]->position, target + glm::vec3(x, 5.0f, z));
    EXPECT_NE(All(CRATE)[0]->GetComponent(CT_EXPLODE), nullptr);

    EXPECT_EQ(reset->Update(), Status::Success);
    EXPECT_FALSE(boss->m_IsResetRequested);
    ASSERT_EQ(Count(CRATE), 3u);
    EXPECT_EQ(All(CRATE)[1]->position, switches[0] + glm::vec3(0.0f, 8.0f, 0.0f));
    EXPECT_EQ(All(CRATE)[2]->position, switches[1] + glm::vec3(0.0f, 8.0f, 0.0f));
    EXPECT_NE(All(CRATE)[2]->GetComponent(CT_EXPLODE), nullptr);

    boss->m_EnemyDropTimer = 5.5f;
    EXPECT_EQ(enemies->Update(), Status::Success);
    ASSERT_EQ(Count(ENEMYBOX), 1u);
    const glm::vec3 offset = All(ENEMYBOX)[0]->position - floorAt;
    EXPECT_EQ(offset.y, 5.0f);
    EXPECT_TRUE(Whole(offset.x) && std::fabs(offset.x) < 10.0f) << offset.x;
    EXPECT_TRUE(Whole(offset.z) && std::fabs(offset.z) < 10.0f) << offset.z;

    // A floor narrower than 2 has an empty range: the box falls on its centre.
    for (GameObject* cube : All(CUBE)) cube->flags |= OBJ_DESTROY;
    objects->Update();
    Make(CUBE, floorAt)->scale = glm::vec3(1.9f, 1.0f, 1.5f);
    BehaviorTree::BehaviorTree::InitializeBehaviors(tree.GetRoot());
    boss->m_EnemyDropTimer = 5.5f;
    EXPECT_EQ(enemies->Update(), Status::Success);
    ASSERT_EQ(Count(ENEMYBOX), 2u);
    EXPECT_EQ(All(ENEMYBOX)[1]->position, floorAt + glm::vec3(0.0f, 5.0f, 0.0f));
}

TEST_F(BossTest, OnlyExplodingContactsHurtAndTheDamageColourLastsOneFrame)
{
    BossComponent* boss = MakeBoss();
    GameObject* crate = Make(CRATE, BOSS_AT + glm::vec3(0.0f, 3.0f, 0.0f));
    bossObject->NotifyCollision(crate);
    bossObject->NotifyCollision(nullptr);
    EXPECT_EQ(boss->m_HP, 10.0f);
    EXPECT_EQ(Texture(bossObject), "boss");

    // An exploding crate dropped onto the boss: one contact, one hit.
    crate->AddComponent(CT_EXPLODE);
    Tick(20);
    EXPECT_EQ(boss->m_HP, 8.0f);
    EXPECT_EQ(Texture(bossObject), "boss");
    GameObject* other = Make(CRATE, BOSS_AT);
    other->AddComponent(CT_EXPLODE);
    bossObject->NotifyCollision(other);
    EXPECT_EQ(boss->m_HP, 6.0f);
    EXPECT_EQ(Texture(bossObject), "red");
    bossObject->UpdateComponents();
    EXPECT_EQ(Texture(bossObject), "boss");
}

TEST_F(BossTest, DeathLeavesOneBurstAndTheExitAndTakesEveryDoorAndForceField)
{
    BossComponent* boss = MakeBoss();
    GameObject* doors[2] = {Make(DOOR, glm::vec3(1.0f)), Make(DOOR, glm::vec3(2.0f))};
    doors[1]->flags &= ~OBJ_ACTIVE;
    GameObject* fields[2] = {Make(FORCEFIELD, glm::vec3(3.0f)), Make(CRATEFORCEFIELD, glm::vec3(4.0f))};
    fields[0]->flags &= ~OBJ_ACTIVE;
    GameObject* bystander = Make(SWITCH, glm::vec3(5.0f));

    boss->m_HP = 0.0f;
    bossObject->UpdateComponents();
    EXPECT_TRUE(Marked(bossObject));
    for (GameObject* object : {doors[0], doors[1], fields[0], fields[1]})
        EXPECT_TRUE(Marked(object)) << ObjectTypeToString(object->type);
    EXPECT_FALSE(Marked(bystander));
    ASSERT_EQ(Count(PARTICLEEMITTER), 1u);
    const ParticleEmitter* burst = Emitter(All(PARTICLEEMITTER)[0]);
    ASSERT_NE(burst, nullptr);
    EXPECT_EQ(burst->m_count, 80);
    EXPECT_EQ(burst->m_pattern, 3);
    EXPECT_EQ(burst->m_direction, glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_FALSE(burst->m_active);
    EXPECT_EQ(All(PARTICLEEMITTER)[0]->position, BOSS_AT);
    ASSERT_EQ(Count(EXIT_MARKER), 1u);
    EXPECT_EQ(All(EXIT_MARKER)[0]->position, glm::vec3(BOSS_AT.x, 1.5f, BOSS_AT.z));

    // Until it goes, it does not die again.
    bossObject->UpdateComponents();
    EXPECT_EQ(Count(EXIT_MARKER), 1u);
    objects->Update();
    EXPECT_EQ(Count(BOSS) + Count(DOOR) + Count(FORCEFIELD) + Count(CRATEFORCEFIELD), 0u);
}

TEST_F(BossTest, TheTreeLivesFromConstructionToFreeAndInitMakesAFreshOne)
{
    {
        // A master's or an editor's copy never gets Free.
        BossComponent unused;
        ASSERT_NE(unused.GetTree(), nullptr);
        EXPECT_TRUE(unused.GetTree()->GetRoot()->GetChildren().empty());
    }
    BossComponent boss;
    boss.Init();
    boss.Init();
    ASSERT_NE(boss.GetTree(), nullptr);
    EXPECT_EQ(boss.GetTree()->GetRoot()->GetChildren().size(), 2u);
    EXPECT_EQ(boss.GetTree()->GetOwner(), &boss);
    boss.Update();  // no owner object: nothing
    boss.Free();
    EXPECT_EQ(boss.GetTree(), nullptr);
    boss.Free();
    boss.Init();
    ASSERT_NE(boss.GetTree(), nullptr);
    EXPECT_EQ(boss.GetTree()->GetRoot()->GetChildren().size(), 2u);

    // Hit points start full, from the file or the copy; without a MaxHP
    // the default 10 holds.
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<DamageOnHit>3</DamageOnHit><OriginalColor>boss</OriginalColor>"), tinyxml2::XML_SUCCESS);
    boss.m_HP = 1.0f;
    boss.Read(doc.FirstChildElement());
    EXPECT_EQ(boss.m_MaxHP, 10.0f);
    EXPECT_EQ(boss.m_HP, 10.0f);
    ASSERT_EQ(doc.Parse("<MaxHP>6</MaxHP>"), tinyxml2::XML_SUCCESS);
    boss.Read(doc.FirstChildElement());
    EXPECT_EQ(boss.m_HP, 6.0f);
    BossComponent copy;
    copy.m_HP = 2.0f;
    copy.CopyFrom(&boss);
    EXPECT_EQ(copy.m_HP, 6.0f);
    EXPECT_EQ(copy.m_DamageOnHit, 3.0f);
    EXPECT_TRUE(copy.IsEqual(&boss));
}

} // namespace
