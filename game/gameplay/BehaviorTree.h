// Behaviour trees: the scripted decisions of the boss and the turrets.
//
// A tree is a hierarchy of nodes, each holding one task. Composite tasks order
// their children: a selector runs them until one does not fail, a sequence
// until one does not succeed; both keep the index of a Running child and start
// there on their next run. Leaf tasks (CustomBehavior) are the game's own
// behaviours, made by name from the registry. The root's own task is never
// run: Tick runs the root's children as a list, from the resume index to the
// end, stopping at a Running child, which the next tick starts at.
//
// Owners (the components that run a tree): construct the tree with
// themselves, Load a file, InitializeBehaviors(GetRoot()), then Tick once per
// frame; deleting the tree deletes every node and task.
//
// Ownership: a node owns its task and its children; destroying a node deletes
// its task first, then its children in list order. Node ids come from one
// process-wide counter that is never reset: the first node ever built is 1,
// and ids keep growing across trees and reloads.
//
// Tree files (XML read with tinyxml2; names and values case-sensitive,
// element text unread):
//   top element          the document's first element, any name
//   root node element    the top element's first child; must be an element
//   "Children"           the element sibling right after a node element,
//                        holding that node's children: its first child
//                        (whatever its name, if it is an element), then each
//                        following sibling element named "Node"
//   "Type"               node attribute: "Root", "Behavior", "Selector",
//                        "Sequence"; any other word, or none, builds a selector
//   "BehaviorType"       attribute of a "Behavior" node: a registered name
// A Behavior node whose name is not registered (or missing) is left out with a
// WARNING; its siblings keep their order. A "Children" element after a
// Behavior node is ignored. A file whose elements nest deeper than
// BehaviorTree::MAX_ELEMENT_DEPTH is refused like an unreadable one: the
// parser stops going deeper by itself, and the depth is measured on the
// document it read, so no markup before or around the elements hides any;
// no file of any shape can exhaust the stack.
//
// Leaf tasks: how they reach the registry
//   The game's task files each list their classes in one function,
//       registry.insert({QRX_BEHAVIOR_ENTRY(BT_Example), ...});
//   which names each class by its own unqualified name ("BT_Example"); the
//   registry runs these lists (AddBossTasks, AddTurretTasks) when it is made,
//   on first use, so it is complete before any tree is built. A task class
//   of its own (a test's leaves) registers itself at namespace scope with
//       QRX_REGISTER_BEHAVIOR(TestLeaf);
//   from a static initialiser of a file linked into the program directly.
//   The first registration of a name wins.
//
// Single-threaded: the registry is made on first use and then only added to
// before trees are built; trees are built and ticked on the frame thread.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLElement;
}

namespace QRX {
class Component;
}

namespace BehaviorTree {

class BehaviorTree;
class Node;

// What a run of a task returns; no other value is ever returned.
enum class Status { Success = 2, Failure = 3, Running = 4 };

// What a file's "Type" names, and what a task reports about itself.
enum class NodeType { Root = 0, Behavior = 1, Selector = 2, Sequence = 3 };

// The base of every task.
class Task
{
public:
    virtual ~Task() = default;
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;

    virtual NodeType GetType() const = 0;
    // One tick of the task.
    virtual Status Run() = 0;

    // The node that holds the task; null until it is installed.
    Node* GetNode() const { return m_Node; }
    void SetNode(Node* node) { m_Node = node; }

protected:
    explicit Task(Node* node = nullptr) : m_Node(node) {}

private:
    Node* m_Node;  // not owned
};

// The root's task. Ticking never runs it; Run succeeds and does nothing.
class Root : public Task
{
public:
    explicit Root(Node* node = nullptr) : Task(node) {}
    NodeType GetType() const override { return NodeType::Root; }
    Status Run() override { return Status::Success; }
};

// Runs its children from its index until one succeeds (Success, index back to
// 0) or runs on (Running, index kept); when all fail, Failure and index 0.
// Without children: Failure.
class Selector : public Task
{
public:
    explicit Selector(Node* node = nullptr) : Task(node) {}
    NodeType GetType() const override { return NodeType::Selector; }
    Status Run() override;
    unsigned GetIndex() const { return m_Index; }

private:
    unsigned m_Index = 0;
};

// Runs its children from its index until one fails (Failure, index back to 0)
// or runs on (Running, index kept); when all succeed, Success and index 0.
// Without children: Success.
class Sequence : public Task
{
public:
    explicit Sequence(Node* node = nullptr) : Task(node) {}
    NodeType GetType() const override { return NodeType::Sequence; }
    Status Run() override;
    unsigned GetIndex() const { return m_Index; }

private:
    unsigned m_Index = 0;
};

// The base of the game's leaf tasks. Run is Update.
class CustomBehavior : public Task
{
public:
    NodeType GetType() const override { return NodeType::Behavior; }
    Status Run() override { return Update(); }

    // The name the task is registered under.
    virtual std::string GetName() const = 0;
    // Called by InitializeBehaviors, Setup first, then Initialize (where a
    // task caches its owner component and zeroes its timers).
    virtual void Setup() {}
    virtual void Initialize() {}
    // One tick of the behaviour.
    virtual Status Update() = 0;

protected:
    CustomBehavior() = default;
};

class Node
{
public:
    // A node of the tree under the parent (null for a root), with a fresh id
    // and a fresh Selector task. It is not added to the parent's children.
    explicit Node(BehaviorTree* tree, Node* parent = nullptr);
    // Deletes the task, then each child in list order.
    ~Node();
    Node(const Node&) = delete;
    Node& operator=(const Node&) = delete;

    // Appends a new node of the same tree with this node as parent; returns it.
    Node* AddChild();
    // Builds this node's task and children from a node element of a tree
    // file (see the file format above). A null element does nothing.
    void BuildFromXml(const tinyxml2::XMLElement* element);
    // Deletes the children in list order and empties the list; the task stays.
    void DestroyChildren();
    // Deletes the current task and installs the new one, pointing it at this
    // node; null is ignored (a node always has a task).
    void SetTask(Task* task);

    Task* GetTask() const { return m_Task.get(); }
    const std::vector<std::unique_ptr<Node>>& GetChildren() const { return m_Children; }
    Node* GetParent() const { return m_Parent; }
    BehaviorTree* GetTree() const { return m_Tree; }
    int GetId() const { return m_Id; }

private:
    // Builds and appends a leaf of a "Behavior" element; an unknown or missing
    // name is left out with a WARNING.
    void AddBehavior(const tinyxml2::XMLElement* element);

    std::vector<std::unique_ptr<Node>> m_Children;
    Node* m_Parent;  // not owned; null for the root
    int m_Id;
    std::unique_ptr<Task> m_Task;
    BehaviorTree* m_Tree;  // not owned
};

class BehaviorTree
{
public:
    // The deepest nesting of elements a tree file may have (the top element
    // counts 1, and each level of the tree adds one "Children"); the game's
    // trees use a handful. It lies inside the parser's own bound.
    static constexpr int MAX_ELEMENT_DEPTH = 64;

    // A root node with a Root task and no children; resume index 0. The owner
    // is the component the tasks reach the game through (may be null).
    explicit BehaviorTree(QRX::Component* owner);
    // Deletes the root, and so every node and task.
    ~BehaviorTree();
    BehaviorTree(const BehaviorTree&) = delete;
    BehaviorTree& operator=(const BehaviorTree&) = delete;

    // Reads a tree file (path as the data names it, resolved here) and
    // rebuilds the root's children from it. False, with a WARNING naming the
    // file, when it cannot be read or parsed or its elements nest deeper
    // than MAX_ELEMENT_DEPTH; the previous children stay.
    // A document without a top element, or whose top element has no element
    // as its first child, leaves the root without children (true).
    bool Load(const std::string& path);
    // One frame: runs the root's children from the resume index on, stopping
    // at the first Running one (the next tick starts there); after the last
    // child, or when the index is past the children, the index goes back to 0.
    void Tick();
    // Setup then Initialize of every leaf task at and below the node, in
    // pre-order. Null does nothing.
    static void InitializeBehaviors(Node* node);

    Node* GetRoot() const { return m_Root.get(); }
    QRX::Component* GetOwner() const { return m_Owner; }
    unsigned GetResumeIndex() const { return m_ResumeIndex; }

private:
    std::unique_ptr<Node> m_Root;
    QRX::Component* m_Owner;  // not owned
    unsigned m_ResumeIndex = 0;
};

// Makes a new leaf task; the caller owns it. Its node pointer is null.
using BehaviorCreator = Task* (*)();
// Task name (exact, case-sensitive) to creator.
using BehaviorRegistry = std::map<std::string, BehaviorCreator>;

// A new task for a node type, pointing at the node (index 0): Root for Root,
// Sequence for Sequence, a Selector for any other value. The caller owns it.
Task* CreateTask(NodeType type, Node* node);
// "Root", "Behavior", "Selector", "Sequence" exactly; anything else Selector.
NodeType ParseNodeType(const std::string& text);
// Registers a creator under a name. False, leaving the registry as it was,
// when the name is already registered (the first registration wins), or the
// name is empty or the creator null.
bool RegisterBehavior(const std::string& name, BehaviorCreator creator);
// The registry (made on first use with the game's tasks, so any static
// initialiser may register, in any order).
const BehaviorRegistry& GetBehaviorRegistry();
// The creator of a registered name, or null.
BehaviorCreator FindBehavior(const std::string& name);

template <typename TaskClass>
Task* MakeBehavior()
{
    return new TaskClass();
}

} // namespace BehaviorTree

// A registry entry of a leaf task class under its own (unqualified) name.
#define QRX_BEHAVIOR_ENTRY(TaskClass) \
    ::BehaviorTree::BehaviorRegistry::value_type(#TaskClass, &::BehaviorTree::MakeBehavior<TaskClass>)

// Registers a leaf task class under its own name from a static initialiser;
// one line at namespace scope in a .cpp linked into the program directly.
#define QRX_REGISTER_BEHAVIOR(TaskClass)                                  \
    [[maybe_unused]] static const bool s_BehaviorRegistered_##TaskClass = \
        ::BehaviorTree::RegisterBehavior(#TaskClass, &::BehaviorTree::MakeBehavior<TaskClass>)
