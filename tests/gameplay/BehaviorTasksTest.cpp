// The game's behaviour-tree tasks as the library delivers them: this program
// names no task class and includes no task header, so it sees only what the
// linked library registered before main. Every task is there under its own
// name, both shipped tree files load every leaf they name, and a task in the
// tree of the wrong enemy warns once and does nothing.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "game/gameplay/BossComponent.h"
#include "game/gameplay/Turret.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const std::set<std::string> TASK_NAMES = {
    "BT_BossDropAIInLine",    "BT_BossDropBoxOnFloor",     "BT_BossDropBoxOnPlayer",    "BT_BossDropBoxOnSwitch",
    "BT_BossIsNotResetSwitches", "BT_BossIsResetSwitches", "BT_BossResetSwitches",      "BT_BossSpawnTurret",
    "BT_BossStage1Check",     "BT_BossStage2Check",        "BT_BossStage3Check",        "BT_FireBulletAtPlayer",
    "BT_PlayerInRange",       "BT_TurretCheckAggro",       "BT_TurretCheckDefence",     "BT_TurretDeath",
    "BT_TurretDropExplodingBox", "BT_TurretPushBack",      "BT_TurretSpawnBarrier",     "BT_TurretSuicide"};

// The leaves of the tree under the node, in pre-order, by name.
void Leaves(const BehaviorTree::Node* node, std::vector<std::string>& names)
{
    if (auto* leaf = dynamic_cast<const BehaviorTree::CustomBehavior*>(node->GetTask())) names.push_back(leaf->GetName());
    for (const auto& child : node->GetChildren()) Leaves(child.get(), names);
}

std::vector<std::string> Leaves(const BehaviorTree::BehaviorTree& tree)
{
    std::vector<std::string> names;
    Leaves(tree.GetRoot(), names);
    return names;
}

// The "BehaviorType" values of a tree file, in document order.
std::vector<std::string> NamedInFile(const std::string& path)
{
    const std::string text = TestSupport::ReadFile(path);
    std::vector<std::string> names;
    const std::string key = "BehaviorType=\"";
    for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at)) {
        at += key.size();
        names.push_back(text.substr(at, text.find('"', at) - at));
    }
    return names;
}

class BehaviorTasksTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        states.updating = true;
    }
};

TEST_F(BehaviorTasksTest, EveryTaskIsRegisteredUnderItsOwnName)
{
    // The behaviour-tree core's own cases, linked into this program too,
    // register leaves named TestLeaf...; every other name is the game's.
    std::set<std::string> found;
    for (const auto& entry : BehaviorTree::GetBehaviorRegistry())
        if (entry.first.rfind("TestLeaf", 0) != 0) found.insert(entry.first);
    EXPECT_EQ(found, TASK_NAMES);
    for (const std::string& name : TASK_NAMES) {
        BehaviorTree::BehaviorCreator creator = BehaviorTree::FindBehavior(name);
        ASSERT_NE(creator, nullptr) << name;
        std::unique_ptr<BehaviorTree::Task> task(creator());
        auto* leaf = dynamic_cast<BehaviorTree::CustomBehavior*>(task.get());
        ASSERT_NE(leaf, nullptr) << name;
        EXPECT_EQ(leaf->GetName(), name);
        EXPECT_EQ(leaf->GetType(), BehaviorTree::NodeType::Behavior);
        EXPECT_EQ(leaf->GetNode(), nullptr);
        // Outside any tree a task has no owner and fails (or, for the two
        // fillers, succeeds) without touching anything.
        leaf->Setup();
        leaf->Update();
    }
    EXPECT_TRUE(objects->GetAllObjects().empty());
}

TEST_F(BehaviorTasksTest, BothShippedTreesLoadEveryLeafTheyName)
{
    const std::string folder = TestSupport::SourceDir() + "/data/behaviorTrees/";
    struct Shipped
    {
        const char* file;
        size_t leaves;
    };
    for (const Shipped& shipped : {Shipped{"BossBehaviorTree.xml", 19}, Shipped{"TurretBehaviorTree.xml", 11}}) {
        const std::vector<std::string> named = NamedInFile(folder + shipped.file);
        EXPECT_EQ(named.size(), shipped.leaves) << shipped.file;
        BehaviorTree::BehaviorTree tree(nullptr);
        ASSERT_TRUE(tree.Load(std::string("data\\behaviorTrees\\") + shipped.file));
        EXPECT_EQ(Leaves(tree), named) << shipped.file;
        EXPECT_EQ(tree.GetRoot()->GetChildren().size(), 2u) << shipped.file;
    }
    EXPECT_EQ(TestSupport::Count(LogPage(), "WARNING"), 0u);
}

TEST_F(BehaviorTasksTest, ATaskInTheOtherEnemysTreeWarnsOnceAndDoesNothing)
{
    GameObject* player = Make(PLAYER, glm::vec3(1.0f, 1.5f, 1.0f));
    player->flags &= ~OBJ_ACTIVE;
    System::GetInstance()->playerOne = player;
    GameObject* turretObject = Make(TURRET, glm::vec3(2.0f, 1.5f, 1.0f));
    GameObject* bossObject = Make(BOSS, glm::vec3(8.0f, 2.5f, 8.0f));
    Make(SWITCH, glm::vec3(4.0f, 1.0f, 4.0f));
    auto* turret = dynamic_cast<Turret*>(turretObject->GetComponent(CT_TURRET));
    auto* boss = dynamic_cast<BossComponent*>(bossObject->GetComponent(CT_BOSS));
    ASSERT_NE(turret, nullptr);
    ASSERT_NE(boss, nullptr);
    ASSERT_EQ(TestSupport::Count(LogPage(), "WARNING"), 0u);
    const size_t before = objects->GetAllObjects().size();

    // Every boss task that needs its boss warns once (the three floor
    // fillers need none); ticks then make nothing.
    BehaviorTree::BehaviorTree bossTreeOnTurret(turret);
    ASSERT_TRUE(bossTreeOnTurret.Load(BossComponent::TREE_FILE));
    BehaviorTree::BehaviorTree::InitializeBehaviors(bossTreeOnTurret.GetRoot());
    EXPECT_EQ(TestSupport::Count(LogPage(), "WARNING"), 19u - 3u);
    EXPECT_EQ(TestSupport::Count(LogPage(), "is not run by a boss"), 16u);
    BehaviorTree::BehaviorTree turretTreeOnBoss(boss);
    ASSERT_TRUE(turretTreeOnBoss.Load(Turret::TREE_FILE));
    BehaviorTree::BehaviorTree::InitializeBehaviors(turretTreeOnBoss.GetRoot());
    EXPECT_EQ(TestSupport::Count(LogPage(), "is not run by a turret"), 11u - 2u);
    turret->m_HP = 0.0f;
    turret->m_IsDestroy = true;
    boss->m_IsResetRequested = true;
    for (int tick = 0; tick < 400; ++tick) {
        bossTreeOnTurret.Tick();
        turretTreeOnBoss.Tick();
    }
    EXPECT_EQ(objects->GetAllObjects().size(), before);
    EXPECT_FALSE(Marked(turretObject) || Marked(bossObject));
    EXPECT_EQ(TestSupport::Count(LogPage(), "WARNING"), 16u + 9u);
}

} // namespace
