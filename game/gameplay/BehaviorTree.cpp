#include "game/gameplay/BehaviorTree.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include <tinyxml2.h>

#include "engine/core/Logger.h"
#include "engine/platform/FilePath.h"
#include "game/gameplay/BossTasks.h"
#include "game/gameplay/TurretTasks.h"

namespace BehaviorTree {

namespace {

// The last id handed out; never reset, so ids never repeat within a run.
int s_LastNodeId = 0;

BehaviorRegistry GameTasks()
{
    BehaviorRegistry tasks;
    QRX::AddBossTasks(tasks);
    QRX::AddTurretTasks(tasks);
    return tasks;
}

BehaviorRegistry& Registry()
{
    static BehaviorRegistry registry = GameTasks();
    return registry;
}

// tinyxml2 refuses a document nested TINYXML2_MAX_ELEMENT_DEPTH deep while it
// parses (a chain ending in an element with content reaches its bound two
// levels earlier), so its recursion, and this loader's, stay bounded; the
// tree files' own limit lies inside that bound.
static_assert(BehaviorTree::MAX_ELEMENT_DEPTH <= TINYXML2_MAX_ELEMENT_DEPTH - 2,
              "the parser must read every file the limit allows");

// The file the tree is being built from, for the builder's log lines.
std::string s_LoadingPath;

std::string AttributeOf(const tinyxml2::XMLElement* element, const char* name)
{
    const char* value = element->Attribute(name);
    return value ? value : "";
}

// How deep the document's elements nest (the top element is 1), walked
// without recursion so that no shape of document can exhaust the stack.
int ElementDepth(const tinyxml2::XMLDocument& document)
{
    int depth = 0, deepest = 0;
    const tinyxml2::XMLElement* element = document.FirstChildElement();
    if (element) depth = deepest = 1;
    while (element) {
        if (const tinyxml2::XMLElement* child = element->FirstChildElement()) {
            element = child;
            deepest = std::max(deepest, ++depth);
            continue;
        }
        // Up until an element with a following sibling, or out of the document.
        while (element && !element->NextSiblingElement()) {
            const tinyxml2::XMLNode* parent = element->Parent();
            element = parent ? parent->ToElement() : nullptr;
            --depth;
        }
        if (element) element = element->NextSiblingElement();
    }
    return deepest;
}

} // namespace

Status Selector::Run()
{
    Node* node = GetNode();
    const size_t count = node ? node->GetChildren().size() : 0;
    while (m_Index < count) {
        Status status = node->GetChildren()[m_Index]->GetTask()->Run();
        if (status == Status::Success) {
            m_Index = 0;
            return Status::Success;
        }
        if (status == Status::Running) return Status::Running;
        ++m_Index;
    }
    m_Index = 0;
    return Status::Failure;
}

Status Sequence::Run()
{
    Node* node = GetNode();
    const size_t count = node ? node->GetChildren().size() : 0;
    while (m_Index < count) {
        Status status = node->GetChildren()[m_Index]->GetTask()->Run();
        if (status == Status::Failure) {
            m_Index = 0;
            return Status::Failure;
        }
        if (status == Status::Running) return Status::Running;
        ++m_Index;
    }
    m_Index = 0;
    return Status::Success;
}

Node::Node(BehaviorTree* tree, Node* parent)
    : m_Parent(parent), m_Id(++s_LastNodeId), m_Task(new Selector(this)), m_Tree(tree)
{
}

Node::~Node()
{
    m_Task.reset();
    DestroyChildren();
}

Node* Node::AddChild()
{
    m_Children.emplace_back(new Node(m_Tree, this));
    return m_Children.back().get();
}

void Node::DestroyChildren()
{
    for (std::unique_ptr<Node>& child : m_Children) child.reset();
    m_Children.clear();
}

void Node::SetTask(Task* task)
{
    if (!task || task == m_Task.get()) return;
    m_Task.reset();
    m_Task.reset(task);
    task->SetNode(this);
}

void Node::BuildFromXml(const tinyxml2::XMLElement* element)
{
    if (!element) return;
    NodeType type = ParseNodeType(AttributeOf(element, "Type"));
    // Only the root node element can be a Behavior here; it keeps its task.
    if (type != NodeType::Behavior) SetTask(CreateTask(type, this));

    const tinyxml2::XMLElement* list = element->NextSiblingElement();
    if (!list || std::string(list->Name()) != "Children") return;
    // A comment or text first in the list means no children at all.
    const tinyxml2::XMLNode* first = list->FirstChild();
    const tinyxml2::XMLElement* child = first ? first->ToElement() : nullptr;
    for (; child; child = child->NextSiblingElement("Node")) {
        if (ParseNodeType(AttributeOf(child, "Type")) == NodeType::Behavior) AddBehavior(child);
        else AddChild()->BuildFromXml(child);
    }
}

void Node::AddBehavior(const tinyxml2::XMLElement* element)
{
    std::unique_ptr<Node> node(new Node(m_Tree, this));
    const char* name = element->Attribute("BehaviorType");
    BehaviorCreator creator = name ? FindBehavior(name) : nullptr;
    Task* task = creator ? creator() : nullptr;
    if (!task) {
        if (!name)
            QRX_LOG_WARNING("Behavior tree %s, line %d: a Behavior node has no BehaviorType; it is left out.",
                            s_LoadingPath.c_str(), element->GetLineNum());
        else
            QRX_LOG_WARNING("Behavior tree %s, line %d: no task is registered as \"%s\"; the node is left out.",
                            s_LoadingPath.c_str(), element->GetLineNum(), name);
        return;
    }
    node->SetTask(task);
    m_Children.push_back(std::move(node));
}

BehaviorTree::BehaviorTree(QRX::Component* owner) : m_Root(new Node(this)), m_Owner(owner)
{
    m_Root->SetTask(new Root());
}

BehaviorTree::~BehaviorTree() = default;

bool BehaviorTree::Load(const std::string& path)
{
    const std::string resolved = QRX::Platform::ResolvePath(path);
    // A folder opens like a file here: say plainly what is wrong.
    std::error_code fileError;
    if (!std::filesystem::is_regular_file(resolved, fileError)) {
        QRX_LOG_WARNING("Unable to load behavior tree file %s: not found, or not a file.", path.c_str());
        return false;
    }
    // The parser bounds how deep it goes itself; the depth is then measured
    // on what it read, so no markup around the elements can hide any.
    tinyxml2::XMLDocument document;
    const tinyxml2::XMLError error = document.LoadFile(resolved.c_str());
    if (error == tinyxml2::XML_ELEMENT_DEPTH_EXCEEDED ||
        (error == tinyxml2::XML_SUCCESS && ElementDepth(document) > MAX_ELEMENT_DEPTH)) {
        QRX_LOG_WARNING("Unable to load behavior tree file %s: its elements nest deeper than %d.", path.c_str(),
                        MAX_ELEMENT_DEPTH);
        return false;
    }
    if (error != tinyxml2::XML_SUCCESS) {
        QRX_LOG_WARNING("Unable to load behavior tree file %s: %s (line %d).", path.c_str(), document.ErrorName(),
                        document.ErrorLineNum());
        return false;
    }
    m_Root->DestroyChildren();
    const tinyxml2::XMLElement* top = document.FirstChildElement();
    const tinyxml2::XMLNode* first = top ? top->FirstChild() : nullptr;
    s_LoadingPath = path;
    m_Root->BuildFromXml(first ? first->ToElement() : nullptr);
    s_LoadingPath.clear();
    return true;
}

void BehaviorTree::Tick()
{
    for (;;) {
        const std::vector<std::unique_ptr<Node>>& children = m_Root->GetChildren();
        if (m_ResumeIndex >= children.size()) {
            m_ResumeIndex = 0;
            return;
        }
        Status status = children[m_ResumeIndex++]->GetTask()->Run();
        if (status == Status::Running) {
            --m_ResumeIndex;
            return;
        }
    }
}

void BehaviorTree::InitializeBehaviors(Node* node)
{
    if (!node) return;
    Task* task = node->GetTask();
    CustomBehavior* behavior = nullptr;
    if (task && task->GetType() == NodeType::Behavior) behavior = dynamic_cast<CustomBehavior*>(task);
    if (behavior) {
        behavior->Setup();
        behavior->Initialize();
    }
    for (const std::unique_ptr<Node>& child : node->GetChildren()) InitializeBehaviors(child.get());
}

Task* CreateTask(NodeType type, Node* node)
{
    switch (type) {
    case NodeType::Root:
        return new Root(node);
    case NodeType::Sequence:
        return new Sequence(node);
    default:
        return new Selector(node);
    }
}

NodeType ParseNodeType(const std::string& text)
{
    if (text == "Root") return NodeType::Root;
    if (text == "Behavior") return NodeType::Behavior;
    if (text == "Sequence") return NodeType::Sequence;
    return NodeType::Selector;
}

bool RegisterBehavior(const std::string& name, BehaviorCreator creator)
{
    if (name.empty() || !creator) return false;
    return Registry().emplace(name, creator).second;
}

const BehaviorRegistry& GetBehaviorRegistry()
{
    return Registry();
}

BehaviorCreator FindBehavior(const std::string& name)
{
    const BehaviorRegistry& registry = Registry();
    auto it = registry.find(name);
    return it == registry.end() ? nullptr : it->second;
}

} // namespace BehaviorTree
