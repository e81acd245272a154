#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
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

// What the scripted leaves did, in order: "Name" per run, "Name.Setup" and
// "Name.Initialize" per initialisation.
std::vector<std::string> g_Journal;
// Statuses by leaf name, one per run, the last repeating; none means Success.
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
        return script.empty() ? Status::Success : script[std::min<size_t>(m_Runs++, script.size() - 1)];
    }

private:
    std::string m_Name;
    size_t m_Runs = 0;
};

// Leaves the tree files name, registered as the game's tasks are.
#define TEST_LEAF(Name)                 \
    class Name : public ScriptedLeaf    \
    {                                   \
    public:                             \
        Name() : ScriptedLeaf(#Name) {} \
    };                                  \
    QRX_REGISTER_BEHAVIOR(Name)

TEST_LEAF(TestLeafA);
TEST_LEAF(TestLeafB);
TEST_LEAF(TestLeafC);
TEST_LEAF(TestLeafD);

using Tree = BehaviorTree::BehaviorTree;
using Journal = std::vector<std::string>;
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
        delete QRX::System::GetInstance()->logger;
        QRX::System::GetInstance()->logger = nullptr;
        QRX::System::DestroyInstance();
    }
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
    // Loads; returns what the logger echoed meanwhile.
    static std::string Load(Tree& tree, const std::string& path, bool expected = true)
    {
        testing::internal::CaptureStdout();
        EXPECT_EQ(tree.Load(path), expected) << path;
        return testing::internal::GetCapturedStdout();
    }
    // A leaf's name or the composite's kind, children in brackets.
    static std::string Shape(const Node* node)
    {
        const Task* task = node->GetTask();
        const char* kinds[] = {"Root", "", "Selector", "Sequence"};
        std::string text = task->GetType() == NodeType::Behavior
                               ? static_cast<const CustomBehavior*>(task)->GetName()
                               : kinds[static_cast<int>(task->GetType())];
        for (size_t i = 0; i < node->GetChildren().size(); ++i)
            text += (i ? " " : "[") + Shape(node->GetChildren()[i].get());
        return node->GetChildren().empty() ? text : text + "]";
    }
    // Ids in pre-order; checks that parents, trees and tasks point right.
    static void Ids(const Node* node, std::vector<int>& ids)
    {
        EXPECT_EQ(node->GetTask()->GetNode(), node);
        ids.push_back(node->GetId());
        for (const auto& child : node->GetChildren()) {
            EXPECT_EQ(child->GetParent(), node);
            EXPECT_EQ(child->GetTree(), node->GetTree());
            Ids(child.get(), ids);
        }
    }
};

TEST_F(BehaviorTreeTest, TickResumesAtTheRunningChildAndWrapsAfterTheLast)
{
    Tree tree(nullptr);
    Leaf(tree.GetRoot(), "A");
    Leaf(tree.GetRoot(), "B", {Status::Running, Status::Running, Status::Success});
    Leaf(tree.GetRoot(), "C");
    for (int i = 0; i < 4; ++i) tree.Tick();
    EXPECT_EQ(Runs("A"), 2u);
    EXPECT_EQ(Runs("B"), 4u);
    EXPECT_EQ(Runs("C"), 2u);
    // The third tick ends after C without starting over.
    EXPECT_EQ(g_Journal, (Journal{"A", "B", "B", "B", "C", "A", "B", "C"}));
    EXPECT_EQ(tree.GetResumeIndex(), 0u);
}

TEST_F(BehaviorTreeTest, CompositesResumeAtARunningChild)
{
    Tree tree(nullptr);
    Node* selector = Composite(tree.GetRoot(), NodeType::Selector);
    Leaf(selector, "Fail", {Status::Failure});
    Leaf(selector, "Run", {Status::Running, Status::Success});
    Leaf(selector, "Succeed");
    tree.Tick();
    tree.Tick();  // starts at "Run", which now succeeds
    EXPECT_EQ(g_Journal, (Journal{"Fail", "Run", "Run"}));
    g_Journal.clear();
    g_Scripts["Run"] = g_Scripts["Succeed"] = {Status::Failure};
    EXPECT_EQ(selector->GetTask()->Run(), Status::Failure);
    EXPECT_EQ(g_Journal, (Journal{"Fail", "Run", "Succeed"}));

    Node* sequence = Composite(tree.GetRoot(), NodeType::Sequence);
    Leaf(sequence, "First", {Status::Failure, Status::Success});
    Leaf(sequence, "Second", {Status::Running, Status::Failure, Status::Success});
    g_Journal.clear();
    EXPECT_EQ(sequence->GetTask()->Run(), Status::Failure);
    EXPECT_EQ(sequence->GetTask()->Run(), Status::Running);
    EXPECT_EQ(sequence->GetTask()->Run(), Status::Failure);  // resumed at Second
    EXPECT_EQ(sequence->GetTask()->Run(), Status::Success);  // from First again
    EXPECT_EQ(g_Journal, (Journal{"First", "First", "Second", "Second", "First", "Second"}));

    EXPECT_EQ(Composite(tree.GetRoot(), NodeType::Selector)->GetTask()->Run(), Status::Failure);
    EXPECT_EQ(Composite(tree.GetRoot(), NodeType::Sequence)->GetTask()->Run(), Status::Success);
    EXPECT_EQ(Selector().Run(), Status::Failure);  // in no node at all
}

TEST_F(BehaviorTreeTest, RegistryIsFilledBeforeMainAndTheFirstNameWins)
{
    EXPECT_EQ(GetBehaviorRegistry().count("TestLeafD"), 1u);
    EXPECT_FALSE(RegisterBehavior("TestLeafA", &MakeBehavior<TestLeafB>));
    std::unique_ptr<Task> made(FindBehavior("TestLeafA")());
    EXPECT_EQ(static_cast<CustomBehavior*>(made.get())->GetName(), "TestLeafA");
    EXPECT_TRUE(RegisterBehavior("TestLeafLate", &MakeBehavior<TestLeafD>));
    EXPECT_FALSE(RegisterBehavior("", &MakeBehavior<TestLeafD>));
    EXPECT_FALSE(RegisterBehavior("TestLeafNull", nullptr));
    EXPECT_EQ(FindBehavior("TestLeafNull"), nullptr);
    EXPECT_EQ(FindBehavior("testleafa"), nullptr);
}

TEST_F(BehaviorTreeTest, ExampleFileLoadsAndInitialisesInPreOrder)
{
    Tree tree(nullptr);
    // Paths come as the data writes them: backslashes, case as written.
    EXPECT_EQ(Count(Load(tree, "tests\\data\\behaviorTrees\\Example.xml"), "WARNING"), 0u);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[Selector[TestLeafA TestLeafB] Sequence[TestLeafC TestLeafD]]");
    std::vector<int> ids;
    Ids(tree.GetRoot(), ids);
    EXPECT_TRUE(std::adjacent_find(ids.begin(), ids.end(), std::greater_equal<int>()) == ids.end());

    Tree::InitializeBehaviors(tree.GetRoot());
    tree.Tick();
    EXPECT_EQ(g_Journal, (Journal{"TestLeafA.Setup", "TestLeafA.Initialize", "TestLeafB.Setup", "TestLeafB.Initialize",
                                  "TestLeafC.Setup", "TestLeafC.Initialize", "TestLeafD.Setup", "TestLeafD.Initialize",
                                  "TestLeafA", "TestLeafC", "TestLeafD"}));
}

TEST_F(BehaviorTreeTest, LoaderWalksOnlyTheListsTheFormatNames)
{
    Tree tree(nullptr);
    std::string log = Load(tree, TREES + "unregistered.xml");
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[TestLeafA TestLeafC]");
    EXPECT_EQ(Count(log, "WARNING"), 1u) << log;
    EXPECT_EQ(Count(log, "\"TestNoSuchLeaf\""), 1u) << log;

    EXPECT_EQ(Count(Load(tree, TREES + "comment_first.xml"), "WARNING"), 0u);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[Sequence TestLeafC]");

    // Any first child's name; an unknown word, or none, builds a selector;
    // non-"Node" siblings and a leaf's "Children" are skipped; a Behavior
    // without a name is left out (logged); an empty list is no list.
    log = Load(tree, TREES + "odd_shapes.xml");
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[TestLeafA Selector[TestLeafB] Selector TestLeafD Selector Sequence]");
    EXPECT_EQ(Count(log, "WARNING"), 1u) << log;
    EXPECT_EQ(Count(log, "no BehaviorType"), 1u) << log;

    // No element at all, or text before the root node element: no children.
    Load(tree, TREES + "no_top.xml");
    EXPECT_EQ(Shape(tree.GetRoot()), "Root");
    Load(tree, TREES + "example.xml");
    Load(tree, TREES + "text_first.xml");
    EXPECT_EQ(Shape(tree.GetRoot()), "Root");
}

TEST_F(BehaviorTreeTest, FailedLoadKeepsTheChildrenAndNamesTheFile)
{
    Tree tree(nullptr);
    Load(tree, TREES + "unregistered.xml");
    for (const std::string& bad : {TREES + "missing.xml", TREES + "truncated.xml", TREES, std::string()}) {
        std::string log = Load(tree, bad, false);
        EXPECT_EQ(Shape(tree.GetRoot()), "Root[TestLeafA TestLeafC]") << bad;
        EXPECT_EQ(Count(log, "WARNING"), 1u) << log;
        EXPECT_EQ(Count(log, "Unable to load behavior tree file " + bad), 1u) << log;
    }
}

// A tree file whose elements nest `depth` deep: a chain of selectors, each
// under the "Children" of the one before, ending in the leaf TestLeafB
// (followed by `extra`); `head` opens the file and its top element.
std::string ChainFile(int depth, const std::string& extra = "",
                      const std::string& head = "<?xml version=\"1.0\" ?>\n<BehaviorTree>")
{
    std::string text = head + "<Node Type=\"Root\" />";
    const int lists = depth - 2;  // the top element and the leaf take two levels
    for (int i = 0; i < lists; ++i) text += i ? "<Node Type=\"Selector\" /><Children>" : "<Children>";
    text += "<Node Type=\"Behavior\" BehaviorType=\"TestLeafB\" />" + extra;
    for (int i = 0; i < lists; ++i) text += "</Children>";
    return text + "</BehaviorTree>\n";
}

TEST_F(BehaviorTreeTest, FilesNestedBeyondTheLimitAreRefused)
{
    const std::string folder = QRX::TestSupport::MakeTempDir();
    auto write = [&](const std::string& name, const std::string& text) {
        EXPECT_TRUE(QRX::TestSupport::WriteFile(folder + "/" + name, text));
        return folder + "/" + name;
    };
    const int limit = Tree::MAX_ELEMENT_DEPTH;
    // At the limit the whole chain loads; markup inside a comment, a CDATA
    // section or a quoted value does not count.
    const std::string deepest =
        write("deepest.xml", ChainFile(limit, "<!-- " + std::string(300, '<') + " --><![CDATA[<a><b>]]>"));
    Tree tree(nullptr);
    EXPECT_EQ(Count(Load(tree, deepest), "WARNING"), 0u);
    const Node* node = tree.GetRoot();
    int levels = 0;
    while (!node->GetChildren().empty()) {
        node = node->GetChildren().front().get();
        ++levels;
    }
    EXPECT_EQ(levels, limit - 2);
    EXPECT_EQ(static_cast<const CustomBehavior*>(node->GetTask())->GetName(), "TestLeafB");

    // One more level, and files nested far deeper (which would take the
    // parser seconds, or its stack), are refused at once with one WARNING
    // naming the file, whatever markup is around; the tree keeps what it had.
    Load(tree, TREES + "unregistered.xml");
    std::vector<std::pair<int, std::string>> cases;
    for (int depth : {limit + 1, 101, 100000})
        for (const char* head : {"<?xml version=\"1.0\" note=\"> <!--\" ?><BehaviorTree>",
                                 "<!-- <? -- > --><BehaviorTree><![CDATA[ <!-- ]]>", "<BehaviorTree note='<!--'>"})
            cases.emplace_back(depth, head);
    for (const auto& [depth, head] : cases) {
        const std::string path = write("nested" + std::to_string(depth) + ".xml", ChainFile(depth, "", head));
        const std::string log = Load(tree, path, false);
        EXPECT_EQ(Count(log, "WARNING"), 1u) << log;
        EXPECT_EQ(Count(log, "Unable to load behavior tree file " + path), 1u) << log;
        EXPECT_EQ(Shape(tree.GetRoot()), "Root[TestLeafA TestLeafC]") << depth;
    }
    // Quoted values may hold '>' and "/>" without ending a tag early.
    const std::string quoted =
        write("quoted.xml", "<T a='/>'><Node Type=\"Root\" x=\"a>b\" /><Children>"
                            "<Node Type=\"Behavior\" BehaviorType=\"TestLeafA\" /></Children></T>");
    EXPECT_EQ(Count(Load(tree, quoted), "WARNING"), 0u);
    EXPECT_EQ(Shape(tree.GetRoot()), "Root[TestLeafA]");
    QRX::TestSupport::RemoveTree(folder);
}

TEST_F(BehaviorTreeTest, ReloadReplacesTheChildrenWithNewerIds)
{
    Tree tree(nullptr);
    Load(tree, TREES + "example.xml");
    std::vector<int> first, second;
    Ids(tree.GetRoot(), first);
    g_Scripts["TestLeafC"] = {Status::Running};
    tree.Tick();  // parks the resume index on the sequence
    Load(tree, TREES + "unregistered.xml");
    Ids(tree.GetRoot(), second);
    EXPECT_EQ(second.front(), first.front());
    for (size_t i = 1; i < second.size(); ++i) EXPECT_GT(second[i], first.back());
    // The index survives the reload and names the new second child.
    g_Journal.clear();
    tree.Tick();
    EXPECT_EQ(g_Journal, (Journal{"TestLeafC"}));
    // With fewer children it is past the end: the next tick only resets it.
    Load(tree, TREES + "text_first.xml");
    tree.Tick();
    EXPECT_EQ(tree.GetResumeIndex(), 0u);
    EXPECT_EQ(g_Journal.size(), 1u);
}

} // namespace
