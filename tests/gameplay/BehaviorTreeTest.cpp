#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "game/gameplay/BehaviorTree.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"

using namespace BehaviorTree;
using QRX::TestSupport::Count;

namespace {

// What the scripted leaves did, in order: "Name" for a run, "Name.Setup" and
// "Name.Initialize" for the two initialisation calls.
std::vector<std::string> g_Journal;
// Statuses by leaf name, one per run; the last repeats; none means Success.
std::map<std::string, std::vector<Status>> g_Scripts;

class ScriptedLeaf : public CustomBehavior
{
public:
    explicit ScriptedLeaf(std::string name) : m_Name(std::move(name)) {}
    std::string GetName() const override { return m_Name; }
    void Setup() override { g_Journal.push_back(m_Name + ".Setup"); }
    void Initialize() override { g_Journal.push_back(m_Name + ".Initialize"); }
    Status Update() override
    {
        g_Journal.push_back(m_Name);
        const std::vector<Status>& script = g_Scripts[m_Name];
        if (script.empty()) return Status::Success;
        return script[std::min<size_t>(m_Runs++, script.size() - 1)];
    }

private:
    std::string m_Name;
    size_t m_Runs = 0;
};

// Leaves the tree files name, registered as the game's tasks are.
#define TEST_LEAF(Name)                              \
    class Name : public ScriptedLeaf                 \
    {                                                \
    public:                                          \
        Name() : ScriptedLeaf(#Name) {}              \
    };                                               \
    QRX_REGISTER_BEHAVIOR(Name)

TEST_LEAF(TestLeafA);
TEST_LEAF(TestLeafB);
TEST_LEAF(TestLeafC);
TEST_LEAF(TestLeafD);

const std::string TREES = "tests/data/behaviorTrees/";

class BehaviorTreeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_Journal.clear();
        g_Scripts.clear();
        QRX::System::GetInstance()->logger = new QRX::Logger();
    }
    void TearDown() override
    {
        QRX::System* system = QRX::System::GetInstance();
        delete system->logger;
        system->logger = nullptr;
        QRX::System::DestroyInstance();
    }

    // Appends a scripted leaf under the parent.
    static Node* Leaf(Node* parent, const std::string& name, std::vector<Status> script = {})
    {
        Node* node = parent->AddChild();
        node->SetTask(new ScriptedLeaf(name));
        g_Scripts[name] = std::move(script);
        return node;
    }
    static Node* Composite(Node* parent, NodeType type)
    {
        Node* node = parent->AddChild();
        node->SetTask(CreateTask(type, node));
        return node;
    }
    static size_t Runs(const std::string& name) { return std::count(g_Journal.begin(), g_Journal.end(), name); }
    // Loads and returns what the logger echoed meanwhile.
    static std::string LoadLogged(BehaviorTree::BehaviorTree& tree, const std::string& path, bool* result)
    {
        testing::internal::CaptureStdout();
        *result = tree.Load(path);
        return testing::internal::GetCapturedStdout();
    }
    // "Name" of a leaf, "Selector"/"Sequence"/"Root" of a composite, with the
    // children in brackets.
    static std::string Shape(const Node* node)
    {
        std::string text;
        switch (node->GetTask()->GetType()) {
        case NodeType::Root: text = "Root"; break;
        case NodeType::Selector: text = "Selector"; break;
        case NodeType::Sequence: text = "Sequence"; break;
        case NodeType::Behavior: text = static_cast<CustomBehavior*>(node->GetTask())->GetName(); break;
        }
        if (node->GetChildren().empty()) return text;
        text += "[";
        for (size_t i = 0; i < node->GetChildren().size(); ++i)
            text += (i ? " " : "") + Shape(node->GetChildren()[i].get());
        return text + "]";
    }
    // Every node below and including this one: parent, tree and task's node
    // are consistent, and ids grow in pre-order. Returns the ids.
    static void Walk(const Node* node, BehaviorTree::BehaviorTree* tree, std::vector<int>& ids)
    {
        EXPECT_EQ(node->GetTree(), tree);
        EXPECT_EQ(node->GetTask()->GetNode(), node);
        ids.push_back(node->GetId());
        for (const auto& child : node->GetChildren()) {
            EXPECT_EQ(child->GetParent(), node);
            Walk(child.get(), tree, ids);
        }
    }
};

TEST_F(BehaviorTreeTest, TickResumesAtTheRunningChildAndWrapsAfterTheLast)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    Node* root = tree.GetRoot();
    Leaf(root, "A");
    Leaf(root, "B", {Status::Running, Status::Running, Status::Success});
    Leaf(root, "C");
    tree.Tick();
    EXPECT_EQ(g_Journal, (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(tree.GetResumeIndex(), 1u);
    tree.Tick();
    EXPECT_EQ(tree.GetResumeIndex(), 1u);
    tree.Tick();  // B finishes, C runs, and the tick ends without starting over
    EXPECT_EQ(tree.GetResumeIndex(), 0u);
    tree.Tick();
    EXPECT_EQ(Runs("A"), 2u);
    EXPECT_EQ(Runs("B"), 4u);
    EXPECT_EQ(Runs("C"), 2u);
    EXPECT_EQ(g_Journal, (std::vector<std::string>{"A", "B", "B", "B", "C", "A", "B", "C"}));

    // The root's own task never runs, and an empty tree does nothing.
    BehaviorTree::BehaviorTree empty(nullptr);
    empty.Tick();
    EXPECT_EQ(empty.GetResumeIndex(), 0u);
    EXPECT_EQ(empty.GetRoot()->GetTask()->GetType(), NodeType::Root);
    EXPECT_EQ(empty.GetRoot()->GetParent(), nullptr);
}

TEST_F(BehaviorTreeTest, SelectorStartsAgainAtItsRunningChild)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    Node* selector = Composite(tree.GetRoot(), NodeType::Selector);
    Leaf(selector, "Fail", {Status::Failure});
    Leaf(selector, "Run", {Status::Running, Status::Success});
    Leaf(selector, "Succeed");
    Selector* task = static_cast<Selector*>(selector->GetTask());
    EXPECT_EQ(task->Run(), Status::Running);
    EXPECT_EQ(task->GetIndex(), 1u);
    EXPECT_EQ(task->Run(), Status::Success);  // starts at "Run", which now succeeds
    EXPECT_EQ(Runs("Fail"), 1u);
    EXPECT_EQ(Runs("Run"), 2u);
    EXPECT_EQ(Runs("Succeed"), 0u);
    EXPECT_EQ(task->GetIndex(), 0u);

    // All failing: Failure, and the next run starts at the first again.
    g_Journal.clear();
    g_Scripts["Run"] = {Status::Failure};
    g_Scripts["Succeed"] = {Status::Failure};
    EXPECT_EQ(task->Run(), Status::Failure);
    EXPECT_EQ(task->GetIndex(), 0u);
    EXPECT_EQ(g_Journal, (std::vector<std::string>{"Fail", "Run", "Succeed"}));
}

TEST_F(BehaviorTreeTest, SequenceStopsAtAFailureAndStartsAgainAtTheFirst)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    Node* sequence = Composite(tree.GetRoot(), NodeType::Sequence);
    Leaf(sequence, "Fail", {Status::Failure});
    Leaf(sequence, "Second");
    tree.Tick();
    tree.Tick();
    EXPECT_EQ(Runs("Fail"), 2u);
    EXPECT_EQ(Runs("Second"), 0u);
    EXPECT_EQ(static_cast<Sequence*>(sequence->GetTask())->GetIndex(), 0u);

    // A Running child is resumed; a later failure sends the index back to 0.
    g_Journal.clear();
    g_Scripts["Fail"] = {Status::Success};
    g_Scripts["Second"] = {Status::Running, Status::Failure};
    Task* task = sequence->GetTask();
    EXPECT_EQ(task->Run(), Status::Running);
    EXPECT_EQ(task->Run(), Status::Failure);
    EXPECT_EQ(g_Journal, (std::vector<std::string>{"Fail", "Second", "Second"}));
    g_Scripts["Second"] = {Status::Success};
    EXPECT_EQ(task->Run(), Status::Success);
    EXPECT_EQ(static_cast<Sequence*>(task)->GetIndex(), 0u);
}

TEST_F(BehaviorTreeTest, EmptyCompositesFailOrSucceed)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    EXPECT_EQ(Composite(tree.GetRoot(), NodeType::Selector)->GetTask()->Run(), Status::Failure);
    EXPECT_EQ(Composite(tree.GetRoot(), NodeType::Sequence)->GetTask()->Run(), Status::Success);
    // Not yet installed in a node: no children either.
    Selector loose;
    Sequence looseSequence;
    EXPECT_EQ(loose.Run(), Status::Failure);
    EXPECT_EQ(looseSequence.Run(), Status::Success);
}

TEST_F(BehaviorTreeTest, TaskMakersAndTypeNames)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    Node* node = tree.GetRoot();
    const std::pair<NodeType, NodeType> made[] = {{NodeType::Root, NodeType::Root},
                                                   {NodeType::Behavior, NodeType::Selector},
                                                   {NodeType::Selector, NodeType::Selector},
                                                   {NodeType::Sequence, NodeType::Sequence},
                                                   {static_cast<NodeType>(7), NodeType::Selector}};
    for (const auto& [asked, got] : made) {
        Task* task = CreateTask(asked, node);
        EXPECT_EQ(task->GetType(), got);
        EXPECT_EQ(task->GetNode(), node);
        delete task;
    }
    EXPECT_EQ(ParseNodeType("Root"), NodeType::Root);
    EXPECT_EQ(ParseNodeType("Behavior"), NodeType::Behavior);
    EXPECT_EQ(ParseNodeType("Sequence"), NodeType::Sequence);
    for (const char* other : {"Selector", "sequence", "Behaviour", " Root", "", "Foo"})
        EXPECT_EQ(ParseNodeType(other), NodeType::Selector) << other;
}

TEST_F(BehaviorTreeTest, RegistryIsFilledBeforeMainAndTheFirstNameWins)
{
    const BehaviorRegistry& registry = GetBehaviorRegistry();
    for (const char* name : {"TestLeafA", "TestLeafB", "TestLeafC", "TestLeafD"})
        EXPECT_EQ(registry.count(name), 1u) << name;

    EXPECT_FALSE(RegisterBehavior("TestLeafA", &MakeBehavior<TestLeafB>));
    Task* made = FindBehavior("TestLeafA")();
    EXPECT_EQ(static_cast<CustomBehavior*>(made)->GetName(), "TestLeafA");
    EXPECT_EQ(made->GetNode(), nullptr);
    delete made;

    EXPECT_TRUE(RegisterBehavior("TestLeafLate", &MakeBehavior<TestLeafD>));
    EXPECT_NE(FindBehavior("TestLeafLate"), nullptr);
    EXPECT_FALSE(RegisterBehavior("", &MakeBehavior<TestLeafD>));
    EXPECT_FALSE(RegisterBehavior("TestLeafNull", nullptr));
    EXPECT_EQ(FindBehavior("TestLeafNull"), nullptr);
    EXPECT_EQ(FindBehavior("testleafa"), nullptr);  // names are case-sensitive
}

TEST_F(BehaviorTreeTest, InitializeBehaviorsVisitsLeavesInPreOrder)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    Node* selector = Composite(tree.GetRoot(), NodeType::Selector);
    Leaf(selector, "A");
    Node* sequence = Composite(selector, NodeType::Sequence);
    Leaf(sequence, "B");
    Leaf(tree.GetRoot(), "C");
    BehaviorTree::BehaviorTree::InitializeBehaviors(tree.GetRoot());
    EXPECT_EQ(g_Journal, (std::vector<std::string>{"A.Setup", "A.Initialize", "B.Setup", "B.Initialize", "C.Setup",
                                                   "C.Initialize"}));
    g_Journal.clear();
    BehaviorTree::BehaviorTree::InitializeBehaviors(sequence);
    BehaviorTree::BehaviorTree::InitializeBehaviors(nullptr);
    EXPECT_EQ(g_Journal, (std::vector<std::string>{"B.Setup", "B.Initialize"}));
}

TEST_F(BehaviorTreeTest, ExampleFileLoadsTwoCompositesOfTwoLeavesAndRuns)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    bool loaded = false;
    // Paths come the way the data names them: backslashes, case as written.
    std::string log = LoadLogged(tree, "tests\\data\\behaviorTrees\\Example.xml", &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Count(log, "WARNING"), 0u) << log;
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[Selector[TestLeafA TestLeafB] Sequence[TestLeafC TestLeafD]]");
    std::vector<int> ids;
    Walk(tree.GetRoot(), &tree, ids);
    EXPECT_TRUE(std::is_sorted(ids.begin(), ids.end()));
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end());

    BehaviorTree::BehaviorTree::InitializeBehaviors(tree.GetRoot());
    g_Journal.clear();
    tree.Tick();
    // The selector stops at its first success; the sequence runs both.
    EXPECT_EQ(g_Journal, (std::vector<std::string>{"TestLeafA", "TestLeafC", "TestLeafD"}));
}

TEST_F(BehaviorTreeTest, UnregisteredNameIsLeftOutWithOneWarning)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    bool loaded = false;
    std::string log = LoadLogged(tree, TREES + "unregistered.xml", &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[TestLeafA TestLeafC]");
    EXPECT_EQ(Count(log, "WARNING"), 1u) << log;
    EXPECT_EQ(Count(log, "TestNoSuchLeaf"), 1u) << log;
    EXPECT_EQ(Count(log, "unregistered.xml"), 1u) << log;
}

TEST_F(BehaviorTreeTest, LoaderWalksOnlyTheListsTheFormatNames)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    bool loaded = false;
    std::string log = LoadLogged(tree, TREES + "comment_first.xml", &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[Sequence TestLeafC]");
    EXPECT_EQ(Count(log, "WARNING"), 0u) << log;

    // Any first child name; a word other than the four, or none, builds a
    // selector; non-"Node" siblings and a leaf's "Children" are skipped; a
    // Behavior without a name is left out (logged); an empty list is no list.
    log = LoadLogged(tree, TREES + "odd_shapes.xml", &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[TestLeafA Selector[TestLeafB] Selector TestLeafD Selector Sequence]");
    EXPECT_EQ(Count(log, "WARNING"), 1u) << log;
    EXPECT_EQ(Count(log, "no BehaviorType"), 1u) << log;

    // No element at all, or text before the root node element: no children.
    log = LoadLogged(tree, TREES + "no_top.xml", &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root");
    log = LoadLogged(tree, TREES + "text_first.xml", &loaded);
    EXPECT_TRUE(loaded);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root");
    EXPECT_EQ(Count(log, "WARNING"), 0u) << log;
}

TEST_F(BehaviorTreeTest, FailedLoadKeepsTheChildrenAndNamesTheFile)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    bool loaded = false;
    LoadLogged(tree, TREES + "unregistered.xml", &loaded);
    ASSERT_TRUE(loaded);
    const std::string before = Shape(tree.GetRoot());
    for (const std::string& bad : {TREES + "missing.xml", TREES + "truncated.xml", TREES, std::string()}) {
        std::string log = LoadLogged(tree, bad, &loaded);
        EXPECT_FALSE(loaded) << bad;
        EXPECT_EQ(Shape(tree.GetRoot()), before) << bad;
        EXPECT_EQ(Count(log, "WARNING"), 1u) << log;
        EXPECT_EQ(Count(log, "Unable to load behavior tree file " + bad), 1u) << log;
    }
    // A tree that never loaded keeps running nothing.
    BehaviorTree::BehaviorTree fresh(nullptr);
    LoadLogged(fresh, TREES + "missing.xml", &loaded);
    EXPECT_FALSE(loaded);
    fresh.Tick();
    EXPECT_EQ(Shape(fresh.GetRoot()), "Root");
}

TEST_F(BehaviorTreeTest, ReloadReplacesTheChildrenWithNewerIds)
{
    BehaviorTree::BehaviorTree tree(nullptr);
    bool loaded = false;
    LoadLogged(tree, TREES + "example.xml", &loaded);
    ASSERT_TRUE(loaded);
    std::vector<int> first;
    Walk(tree.GetRoot(), &tree, first);
    const int rootId = first.front();
    const int highest = *std::max_element(first.begin(), first.end());

    // Park the resume index on the second child, then reload a shorter tree.
    g_Scripts["TestLeafC"] = {Status::Running};
    tree.Tick();
    ASSERT_EQ(tree.GetResumeIndex(), 1u);
    LoadLogged(tree, TREES + "unregistered.xml", &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[TestLeafA TestLeafC]");
    std::vector<int> second;
    Walk(tree.GetRoot(), &tree, second);
    EXPECT_EQ(second.front(), rootId);
    for (size_t i = 1; i < second.size(); ++i) EXPECT_GT(second[i], highest);
    // The index survives the reload and names the new second child.
    EXPECT_EQ(tree.GetResumeIndex(), 1u);
    g_Journal.clear();
    tree.Tick();
    EXPECT_EQ(g_Journal, (std::vector<std::string>{"TestLeafC"}));

    // A reload with fewer children leaves the index past the end: the next
    // tick only sends it back to 0.
    LoadLogged(tree, TREES + "text_first.xml", &loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(tree.GetResumeIndex(), 1u);
    tree.Tick();
    EXPECT_EQ(tree.GetResumeIndex(), 0u);
    EXPECT_EQ(g_Journal.size(), 1u);
}

} // namespace
