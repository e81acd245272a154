#include "game/gameplay/BehaviorTree.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <tinyxml.h>

#include "engine/core/Logger.h"
#include "engine/platform/FilePath.h"

namespace BehaviorTree {

namespace {

// The last id handed out; never reset, so ids never repeat within a run.
int s_LastNodeId = 0;

BehaviorRegistry& Registry()
{
    static BehaviorRegistry registry;
    return registry;
}

std::string AttributeOf(const TiXmlElement* element, const char* name)
{
    const char* value = element->Attribute(name);
    return value ? value : "";
}

// The file an element came from, for log lines.
const char* FileOf(const TiXmlElement* element)
{
    const TiXmlDocument* document = element->GetDocument();
    return document ? document->Value() : "";
}

// How deep the elements of an XML text nest (the top element is 1), found
// without building anything: comments, CDATA, declarations and quoted
// attribute values are passed over. The walk stops once past `limit`.
int ElementDepth(const std::string& text, int limit)
{
    const size_t n = text.size();
    size_t i = 0;
    int depth = 0, deepest = 0;
    auto skipPast = [&](const char* end) {
        const size_t at = text.find(end, i);
        i = at == std::string::npos ? n : at + std::strlen(end);
    };
    while (deepest <= limit) {
        i = text.find('<', i);
        if (i == std::string::npos) break;
        if (text.compare(i, 4, "<!--") == 0) {
            i += 4;
            skipPast("-->");
        } else if (text.compare(i, 9, "<![CDATA[") == 0) {
            i += 9;
            skipPast("]]>");
        } else if (text.compare(i, 2, "<?") == 0 || text.compare(i, 2, "<!") == 0) {
            i += 2;
            skipPast(">");
        } else if (text.compare(i, 2, "</") == 0) {
            i += 2;
            skipPast(">");
            if (depth > 0) --depth;
        } else {
            // A start tag, up to its '>' outside quoted values; "/>" closes it.
            char quote = 0;
            bool empty = false;
            for (++i; i < n; ++i) {
                const char c = text[i];
                if (quote) {
                    if (c == quote) quote = 0;
                } else if (c == '"' || c == '\'') {
                    quote = c;
                } else if (c == '>') {
                    empty = text[i - 1] == '/';
                    ++i;
                    break;
                }
            }
            // An empty element is as deep as one with content.
            deepest = std::max(deepest, depth + 1);
            if (!empty) ++depth;
        }
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

void Node::BuildFromXml(const TiXmlElement* element)
{
    if (!element) return;
    NodeType type = ParseNodeType(AttributeOf(element, "Type"));
    // Only the root node element can be a Behavior here; it keeps its task.
    if (type != NodeType::Behavior) SetTask(CreateTask(type, this));

    const TiXmlElement* list = element->NextSiblingElement();
    if (!list || list->ValueStr() != "Children") return;
    // A comment or text first in the list means no children at all.
    const TiXmlNode* first = list->FirstChild();
    const TiXmlElement* child = first ? first->ToElement() : nullptr;
    for (; child; child = child->NextSiblingElement("Node")) {
        if (ParseNodeType(AttributeOf(child, "Type")) == NodeType::Behavior) AddBehavior(child);
        else AddChild()->BuildFromXml(child);
    }
}

void Node::AddBehavior(const TiXmlElement* element)
{
    std::unique_ptr<Node> node(new Node(m_Tree, this));
    const char* name = element->Attribute("BehaviorType");
    BehaviorCreator creator = name ? FindBehavior(name) : nullptr;
    Task* task = creator ? creator() : nullptr;
    if (!task) {
        if (!name)
            QRX_LOG_WARNING("Behavior tree %s, line %d: a Behavior node has no BehaviorType; it is left out.",
                            FileOf(element), element->Row());
        else
            QRX_LOG_WARNING("Behavior tree %s, line %d: no task is registered as \"%s\"; the node is left out.",
                            FileOf(element), element->Row(), name);
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
    // TinyXML cannot tell a folder from a file (it tries to read a folder whole).
    std::error_code error;
    if (!std::filesystem::is_regular_file(resolved, error)) {
        QRX_LOG_WARNING("Unable to load behavior tree file %s: not found, or not a file.", path.c_str());
        return false;
    }
    // The parser, and the tree built from it, recurse once per level: a file
    // nested deeper than any tree needs is refused before either runs.
    std::ifstream file(resolved, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (ElementDepth(text, MAX_ELEMENT_DEPTH) > MAX_ELEMENT_DEPTH) {
        QRX_LOG_WARNING("Unable to load behavior tree file %s: its elements nest deeper than %d.", path.c_str(),
                        MAX_ELEMENT_DEPTH);
        return false;
    }
    TiXmlDocument document;
    if (!document.LoadFile(resolved.c_str())) {
        QRX_LOG_WARNING("Unable to load behavior tree file %s: %s (line %d).", path.c_str(), document.ErrorDesc(),
                        document.ErrorRow());
        return false;
    }
    m_Root->DestroyChildren();
    const TiXmlElement* top = document.FirstChildElement();
    const TiXmlNode* first = top ? top->FirstChild() : nullptr;
    m_Root->BuildFromXml(first ? first->ToElement() : nullptr);
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
