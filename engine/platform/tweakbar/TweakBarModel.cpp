#include "engine/platform/tweakbar/TweakBarModel.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <limits>

namespace QRX {
namespace TweakBar {

namespace {

// Bar serial numbers run on across TwTerminate/TwInit so that a handle of a
// deleted bar never names a later one.
int g_nextBarSerial = 1;

// Bars without a position are staggered by this much, cycling after a few.
constexpr int DEFAULT_STAGGER = 24;
constexpr int DEFAULT_STAGGER_COUNT = 8;

std::string Lower(std::string s)
{
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string Trim(const std::string& s)
{
    size_t b = 0, e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

template <typename T>
void ClampAs(unsigned char* bytes, const NumberLimits& limits)
{
    T v;
    std::memcpy(&v, bytes, sizeof v);
    const double lowest = static_cast<double>(std::numeric_limits<T>::lowest());
    const double highest = static_cast<double>(std::numeric_limits<T>::max());
    if (std::is_floating_point<T>::value && std::isnan(static_cast<double>(v)) && limits.hasMin)
        v = static_cast<T>(limits.min);
    if (limits.hasMin && static_cast<double>(v) < limits.min) {
        double lo = std::numeric_limits<T>::is_integer ? std::ceil(limits.min) : limits.min;
        if (lo >= lowest && lo <= highest) v = static_cast<T>(lo);
    }
    if (limits.hasMax && static_cast<double>(v) > limits.max) {
        double hi = std::numeric_limits<T>::is_integer ? std::floor(limits.max) : limits.max;
        if (hi >= lowest && hi <= highest) v = static_cast<T>(hi);
    }
    std::memcpy(bytes, &v, sizeof v);
}

// Reads a value through memory or the get callback; out starts as the last
// value so that a get callback that writes nothing leaves it shown.
void ReadValue(TwType type, Access access, const void* memory, TwGetVarCallback get, void* client,
               std::size_t size, Value& out)
{
    if (access == Access::Callbacks) {
        if (!get) return;
        if (type == TW_TYPE_STDSTRING) {
            get(&out.text, client);
        } else {
            out.bytes.resize(size);
            get(out.bytes.data(), client);
        }
        return;
    }
    if (!memory) return;
    if (type == TW_TYPE_STDSTRING) {
        out.text = *static_cast<const std::string*>(memory);
    } else {
        out.bytes.resize(size);
        std::memcpy(out.bytes.data(), memory, size);
    }
}

} // namespace

Model::Model()
{
    m_help.label = "Help";
    m_help.visible = false;
    m_help.x = DEFAULT_BAR_X;
    m_help.y = DEFAULT_BAR_Y;
    m_help.width = 320;
    m_help.height = 300;
}

bool Model::Fail(const std::string& reason)
{
    m_error = reason;
    return false;
}

TwType Model::FailType(const std::string& reason)
{
    m_error = reason;
    return TW_TYPE_UNDEF;
}

// ---------------------------------------------------------------- bars

TwBar* Model::HandleOf(const Bar& bar)
{
    return reinterpret_cast<TwBar*>(static_cast<std::uintptr_t>(bar.serial));
}

Bar* Model::FindBar(TwBar* bar)
{
    if (!bar) return nullptr;
    std::uintptr_t serial = reinterpret_cast<std::uintptr_t>(bar);
    for (Bar& b : m_bars)
        if (static_cast<std::uintptr_t>(b.serial) == serial) return &b;
    return nullptr;
}

Bar* Model::FindBarByName(const std::string& name)
{
    for (Bar& b : m_bars)
        if (b.name == name) return &b;
    return nullptr;
}

Bar* Model::BarOrFail(TwBar* bar)
{
    Bar* b = FindBar(bar);
    if (!b) Fail(bar ? "Unknown or deleted bar" : "Null bar");
    return b;
}

TwBar* Model::NewBar(const char* name)
{
    if (!name || !*name) {
        Fail("A bar needs a name");
        return nullptr;
    }
    std::string n = name;
    if (n.find('/') != std::string::npos || n == GLOBAL_TARGET || n == HELP_TARGET) {
        Fail("'" + n + "' cannot name a bar");
        return nullptr;
    }
    if (FindBarByName(n)) {
        Fail("A bar named '" + n + "' already exists");
        return nullptr;
    }
    Bar bar;
    bar.serial = g_nextBarSerial++;
    bar.name = n;
    bar.layout.label = n;
    int k = static_cast<int>(m_bars.size() % DEFAULT_STAGGER_COUNT);
    bar.layout.x = DEFAULT_BAR_X + DEFAULT_STAGGER * k;
    bar.layout.y = DEFAULT_BAR_Y + DEFAULT_STAGGER * k;
    m_bars.push_back(bar);
    return HandleOf(m_bars.back());
}

bool Model::DeleteBar(TwBar* bar)
{
    Bar* b = BarOrFail(bar);
    if (!b) return false;
    m_bars.erase(m_bars.begin() + (b - m_bars.data()));
    return true;
}

void Model::DeleteAllBars() { m_bars.clear(); }

// ---------------------------------------------------------------- types

const CustomType* Model::Custom(TwType type) const
{
    int index = static_cast<int>(type) - FIRST_CUSTOM_TYPE;
    if (index < 0 || index >= static_cast<int>(m_types.size())) return nullptr;
    return &m_types[static_cast<size_t>(index)];
}

bool Model::IsNumber(TwType type)
{
    return type == TW_TYPE_INT32 || type == TW_TYPE_UINT32 || type == TW_TYPE_INT64 ||
           type == TW_TYPE_FLOAT || type == TW_TYPE_DOUBLE;
}

bool Model::IsEnum(TwType type) const
{
    const CustomType* c = Custom(type);
    return c && c->isEnum;
}

bool Model::IsStruct(TwType type) const
{
    const CustomType* c = Custom(type);
    return c && !c->isEnum;
}

std::size_t Model::SizeOf(TwType type) const
{
    switch (type) {
    case TW_TYPE_BOOLCPP: return sizeof(bool);
    case TW_TYPE_CHAR: return sizeof(char);
    case TW_TYPE_INT32: return sizeof(std::int32_t);
    case TW_TYPE_UINT32: return sizeof(std::uint32_t);
    case TW_TYPE_INT64: return sizeof(std::int64_t);
    case TW_TYPE_FLOAT: return sizeof(float);
    case TW_TYPE_DOUBLE: return sizeof(double);
    case TW_TYPE_COLOR3F: return 3 * sizeof(float);
    case TW_TYPE_COLOR4F: return 4 * sizeof(float);
    case TW_TYPE_DIR3F: return 3 * sizeof(float);
    case TW_TYPE_STDSTRING: return sizeof(std::string);
    default: break;
    }
    const CustomType* c = Custom(type);
    if (!c) return 0;
    return c->isEnum ? sizeof(int) : c->size;
}

TwType Model::DefineStruct(const char* name, const TwStructMember* members, unsigned count, std::size_t size)
{
    if (!name || !*name) return FailType("A structure needs a name");
    for (const CustomType& t : m_types)
        if (t.name == name) return FailType(std::string("A type named '") + name + "' already exists");
    if (!members || count == 0) return FailType(std::string("Structure '") + name + "' has no members");
    if (size == 0) return FailType(std::string("Structure '") + name + "' has size 0");

    CustomType type;
    type.name = name;
    type.size = size;
    for (unsigned i = 0; i < count; ++i) {
        const TwStructMember& m = members[i];
        std::string where = std::string("Structure '") + name + "' member " + std::to_string(i);
        if (!m.Name || !*m.Name) return FailType(where + " has no name");
        for (const StructMember& other : type.members)
            if (other.name == m.Name) return FailType(where + " repeats the name '" + m.Name + "'");
        bool allowed = m.Type == TW_TYPE_BOOLCPP || m.Type == TW_TYPE_CHAR || IsNumber(m.Type) ||
                       m.Type == TW_TYPE_COLOR3F || m.Type == TW_TYPE_COLOR4F || m.Type == TW_TYPE_DIR3F ||
                       IsEnum(m.Type);
        if (!allowed) return FailType(where + " has a type that a structure cannot hold");
        if (m.Offset + SizeOf(m.Type) > size) return FailType(where + " lies outside the structure");
        StructMember member;
        member.name = m.Name;
        member.type = m.Type;
        member.offset = m.Offset;
        std::vector<DefineParam> params;
        if (!ParseParams(m.DefString ? m.DefString : "", params, m_error)) return TW_TYPE_UNDEF;
        for (const DefineParam& p : params) {
            if (p.key == "min" || p.key == "max" || p.key == "step") {
                if (!ApplyLimit(member.limits, member.type, p)) return TW_TYPE_UNDEF;
            } else if (p.key == "label" && p.hasValue) {
                member.label = p.value;
            } else if (p.key == "help" && p.hasValue) {
                member.help = p.value;
            } else {
                return FailType(where + ": unknown parameter '" + p.key + "'");
            }
        }
        if (member.limits.hasMin && member.limits.hasMax && member.limits.min > member.limits.max)
            return FailType(where + ": min is above max");
        type.members.push_back(member);
    }
    m_types.push_back(type);
    return static_cast<TwType>(FIRST_CUSTOM_TYPE + static_cast<int>(m_types.size()) - 1);
}

TwType Model::DefineEnum(const char* name, const std::vector<std::pair<int, std::string>>& values)
{
    if (!name || !*name) return FailType("An enumeration needs a name");
    for (size_t i = 0; i < m_types.size(); ++i) {
        if (m_types[i].name != name) continue;
        if (!m_types[i].isEnum)
            return FailType(std::string("'") + name + "' names a structure, not an enumeration");
        m_types[i].enumValues = values;
        return static_cast<TwType>(FIRST_CUSTOM_TYPE + static_cast<int>(i));
    }
    CustomType type;
    type.name = name;
    type.isEnum = true;
    type.enumValues = values;
    type.size = sizeof(int);
    m_types.push_back(type);
    return static_cast<TwType>(FIRST_CUSTOM_TYPE + static_cast<int>(m_types.size()) - 1);
}

TwType Model::DefineEnumFromString(const char* name, const char* labels)
{
    if (!labels) return FailType("Enumeration string is null");
    std::vector<std::pair<int, std::string>> values;
    std::string all = labels;
    if (!Trim(all).empty()) {
        size_t start = 0;
        while (true) {
            size_t comma = all.find(',', start);
            std::string label = Trim(all.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
            if (label.empty())
                return FailType(std::string("Empty label in enumeration string \"") + labels + "\"");
            values.emplace_back(static_cast<int>(values.size()), label);
            if (comma == std::string::npos) break;
            start = comma + 1;
        }
    }
    return DefineEnum(name, values);
}

// ---------------------------------------------------------------- items

Node* Model::FindNode(Bar& bar, const std::string& name)
{
    if (name.empty()) return nullptr;
    for (Node& n : bar.nodes)
        if (n.name == name) return &n;
    return nullptr;
}

bool Model::NameInUse(const Bar& bar, const std::string& name) const
{
    for (const Node& n : bar.nodes)
        if (!name.empty() && n.name == name) return true;
    return false;
}

bool Model::CheckNewName(const Bar& bar, const char* name, bool required)
{
    if (!name || !*name) return required ? Fail("An item of bar '" + bar.name + "' needs a name") : true;
    if (NameInUse(bar, name)) return Fail(std::string("Bar '") + bar.name + "' already has an item named '" + name + "'");
    return true;
}

Node* Model::NodeById(int id, Bar** barOut)
{
    for (Bar& b : m_bars)
        for (Node& n : b.nodes)
            if (n.id == id) {
                if (barOut) *barOut = &b;
                return &n;
            }
    return nullptr;
}

bool Model::EnsureGroup(Bar& bar, const std::string& group)
{
    if (group.empty()) return true;
    if (Node* n = FindNode(bar, group))
        return n->kind == NodeKind::Group ? true : Fail("'" + group + "' in bar '" + bar.name + "' is not a group");
    Node g;
    g.id = m_nextNodeId++;
    g.kind = NodeKind::Group;
    g.name = group;
    g.open = true;
    bar.nodes.push_back(g);
    return true;
}

bool Model::GroupInside(const Bar& bar, const std::string& group, const std::string& ancestor) const
{
    std::string current = group;
    for (size_t guard = 0; guard <= bar.nodes.size() && !current.empty(); ++guard) {
        if (current == ancestor) return true;
        const Node* parent = nullptr;
        for (const Node& n : bar.nodes)
            if (n.kind == NodeKind::Group && n.name == current) parent = &n;
        if (!parent) return false;
        current = parent->group;
    }
    return false;
}

bool Model::ApplyLimit(NumberLimits& limits, TwType type, const DefineParam& param)
{
    if (!IsNumber(type)) return Fail("Parameter '" + param.key + "' applies to numbers only");
    double v = 0.0;
    if (!param.hasValue || !ParseNumberValue(param.value, v))
        return Fail("Parameter '" + param.key + "' needs a number, not '" + param.value + "'");
    if (param.key == "min") {
        limits.hasMin = true;
        limits.min = v;
    } else if (param.key == "max") {
        limits.hasMax = true;
        limits.max = v;
    } else {
        if (v <= 0.0) return Fail("Parameter 'step' must be above 0");
        limits.hasStep = true;
        limits.step = v;
    }
    return true;
}

bool Model::ApplyNodeParams(Bar& bar, Node& node, const std::vector<DefineParam>& params)
{
    Node n = node;
    const int id = node.id;
    const std::string where = "'" + bar.name + "/" + node.name + "'";
    bool groupSet = false;
    std::string newGroup;
    for (const DefineParam& p : params) {
        if (p.key == "label" || p.key == "help" || p.key == "group" || p.key == "true" || p.key == "false") {
            if (!p.hasValue) return Fail("Parameter '" + p.key + "' of " + where + " needs a value");
        }
        if (p.key == "label") {
            n.label = p.value;
        } else if (p.key == "help") {
            n.help = p.value;
        } else if (p.key == "group") {
            groupSet = true;
            newGroup = p.value;
        } else if (p.key == "visible") {
            if (!ParseBoolValue(p, n.visible)) return Fail("Parameter 'visible' of " + where + " needs true or false");
        } else if (p.key == "open" && (n.kind == NodeKind::Group || n.kind == NodeKind::Variable)) {
            if (!ParseBoolValue(p, n.open)) return Fail("Parameter 'open' of " + where + " needs true or false");
            n.openChanged = true;
        } else if ((p.key == "min" || p.key == "max" || p.key == "step") && n.kind == NodeKind::Variable) {
            if (!ApplyLimit(n.limits, n.type, p)) {
                m_error += " (" + where + ")";
                return false;
            }
        } else if ((p.key == "true" || p.key == "false") && n.kind == NodeKind::Variable &&
                   n.type == TW_TYPE_BOOLCPP) {
            (p.key == "true" ? n.trueLabel : n.falseLabel) = p.value;
        } else {
            return Fail("Unknown parameter '" + p.key + "' for " + where);
        }
    }
    if (n.limits.hasMin && n.limits.hasMax && n.limits.min > n.limits.max)
        return Fail("min is above max for " + where);
    if (groupSet) {
        if (newGroup == n.name) return Fail(where + " cannot be its own group");
        Node* existing = FindNode(bar, newGroup);
        if (existing && existing->kind != NodeKind::Group)
            return Fail("'" + newGroup + "' in bar '" + bar.name + "' is not a group");
        if (n.kind == NodeKind::Group && GroupInside(bar, newGroup, n.name))
            return Fail("Group " + where + " cannot go inside its own group '" + newGroup + "'");
        EnsureGroup(bar, newGroup);  // may move the nodes: node is not used below
        n.group = newGroup;
    }
    for (Node& target : bar.nodes)
        if (target.id == id) target = n;
    return true;
}

bool Model::AddVariable(TwBar* bar, const char* name, TwType type, Access access, void* memory,
                        TwSetVarCallback set, TwGetVarCallback get, void* clientData, const char* def)
{
    Bar* b = BarOrFail(bar);
    if (!b || !CheckNewName(*b, name, true)) return false;
    const std::string where = std::string("'") + b->name + "/" + name + "'";
    if (type == TW_TYPE_UNDEF || SizeOf(type) == 0) return Fail("Variable " + where + " has an unknown type");
    if (access != Access::Callbacks && !memory) return Fail("Variable " + where + " is bound to null");
    if (access == Access::Callbacks && !get) return Fail("Variable " + where + " has no get callback");
    std::vector<DefineParam> params;
    if (!ParseParams(def ? def : "", params, m_error)) return false;

    Node n;
    n.id = m_nextNodeId++;
    n.kind = NodeKind::Variable;
    n.name = name;
    n.type = type;
    n.access = access;
    n.memory = memory;
    n.setCallback = set;
    n.getCallback = get;
    n.clientData = clientData;
    if (type != TW_TYPE_STDSTRING) n.cache.bytes.assign(SizeOf(type), 0);
    b->nodes.push_back(n);
    if (!ApplyNodeParams(*b, b->nodes.back(), params)) {
        b->nodes.pop_back();
        return false;
    }
    return true;
}

bool Model::AddButton(TwBar* bar, const char* name, TwButtonCallback callback, void* clientData, const char* def)
{
    Bar* b = BarOrFail(bar);
    if (!b || !CheckNewName(*b, name, true)) return false;
    std::vector<DefineParam> params;
    if (!ParseParams(def ? def : "", params, m_error)) return false;
    Node n;
    n.id = m_nextNodeId++;
    n.kind = NodeKind::Button;
    n.name = name;
    n.buttonCallback = callback;
    n.clientData = clientData;
    b->nodes.push_back(n);
    if (!ApplyNodeParams(*b, b->nodes.back(), params)) {
        b->nodes.pop_back();
        return false;
    }
    return true;
}

bool Model::AddSeparator(TwBar* bar, const char* name, const char* def)
{
    Bar* b = BarOrFail(bar);
    if (!b || !CheckNewName(*b, name, false)) return false;
    std::vector<DefineParam> params;
    if (!ParseParams(def ? def : "", params, m_error)) return false;
    Node n;
    n.id = m_nextNodeId++;
    n.kind = NodeKind::Separator;
    n.name = name ? name : "";
    b->nodes.push_back(n);
    if (!ApplyNodeParams(*b, b->nodes.back(), params)) {
        b->nodes.pop_back();
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- defines

bool Model::ApplyBarParams(BarLayout& layout, const std::vector<DefineParam>& params, bool isHelp)
{
    BarLayout l = layout;
    const std::string where = isHelp ? std::string(HELP_TARGET) : "bar '" + layout.label + "'";
    for (const DefineParam& p : params) {
        bool flagOnly = p.key == "visible" || p.key == "iconified";
        if (!p.hasValue && !flagOnly) return Fail("Parameter '" + p.key + "' of " + where + " needs a value");
        int ints[3] = {0, 0, 0};
        double number = 0.0;
        if (p.key == "label") {
            l.label = p.value;
        } else if (p.key == "help") {
            l.help = p.value;
        } else if (p.key == "visible") {
            if (!ParseBoolValue(p, l.visible)) return Fail("Parameter 'visible' of " + where + " needs true or false");
        } else if (p.key == "iconified") {
            if (!ParseBoolValue(p, l.iconified)) return Fail("Parameter 'iconified' of " + where + " needs true or false");
            l.iconifiedChanged = true;
        } else if (p.key == "position") {
            if (!ParseIntList(p.value, ints, 2)) return Fail("Parameter 'position' of " + where + " needs 'x y'");
            l.x = ints[0];
            l.y = ints[1];
            l.positionChanged = true;
        } else if (p.key == "size") {
            if (!ParseIntList(p.value, ints, 2) || ints[0] <= 0 || ints[1] <= 0)
                return Fail("Parameter 'size' of " + where + " needs 'width height' above 0");
            l.width = ints[0];
            l.height = ints[1];
            l.sizeChanged = true;
        } else if (p.key == "color") {
            if (!ParseIntList(p.value, ints, 3) || *std::min_element(ints, ints + 3) < 0 ||
                *std::max_element(ints, ints + 3) > 255)
                return Fail("Parameter 'color' of " + where + " needs 'red green blue' from 0 to 255");
            std::copy(ints, ints + 3, l.color);
        } else if (p.key == "alpha") {
            if (!ParseIntList(p.value, ints, 1) || ints[0] < 0 || ints[0] > 255)
                return Fail("Parameter 'alpha' of " + where + " needs 0 to 255");
            l.alpha = ints[0];
        } else if (p.key == "text") {
            std::string v = Lower(p.value);
            if (v != "dark" && v != "light") return Fail("Parameter 'text' of " + where + " needs dark or light");
            l.darkText = v == "dark";
        } else if (p.key == "valueswidth") {
            if (!ParseIntList(p.value, ints, 1) || ints[0] <= 0)
                return Fail("Parameter 'valueswidth' of " + where + " needs a width above 0");
            l.valuesWidth = ints[0];
        } else if (p.key == "refresh") {
            if (!ParseNumberValue(p.value, number) || number < 0.0)
                return Fail("Parameter 'refresh' of " + where + " needs seconds, 0 or more");
            l.refresh = number;
        } else {
            return Fail("Unknown parameter '" + p.key + "' for " + where);
        }
    }
    layout = l;
    return true;
}

bool Model::ApplyGlobalParams(const std::vector<DefineParam>& params)
{
    bool contained = m_contained, overlap = m_overlap;
    for (const DefineParam& p : params) {
        bool* target = p.key == "contained" ? &contained : p.key == "overlap" ? &overlap : nullptr;
        if (!target) return Fail("Unknown parameter '" + p.key + "' for GLOBAL");
        if (!ParseBoolValue(p, *target)) return Fail("Parameter '" + p.key + "' of GLOBAL needs true or false");
    }
    m_contained = contained;
    m_overlap = overlap;
    return true;
}

bool Model::Define(const char* def)
{
    if (!def) return Fail("Null definition");
    DefineStatement statement;
    if (!ParseDefine(def, statement, m_error)) return false;
    const std::string& target = statement.target;
    if (target == GLOBAL_TARGET) return ApplyGlobalParams(statement.params);
    if (target == HELP_TARGET) return ApplyBarParams(m_help, statement.params, true);
    size_t slash = target.find('/');
    Bar* bar = FindBarByName(target.substr(0, slash));
    if (!bar) return Fail("Unknown bar '" + target.substr(0, slash) + "' in \"" + def + "\"");
    if (slash == std::string::npos) return ApplyBarParams(bar->layout, statement.params, false);
    std::string item = target.substr(slash + 1);
    Node* node = FindNode(*bar, item);
    if (!node) return Fail("Bar '" + bar->name + "' has no variable or group '" + item + "'");
    return ApplyNodeParams(*bar, *node, statement.params);
}

void Model::ContainedPosition(const BarLayout& layout, int windowWidth, int windowHeight, int& x, int& y)
{
    x = std::max(0, std::min(layout.x, windowWidth - layout.width));
    y = std::max(0, std::min(layout.y, windowHeight - layout.height));
}

// ---------------------------------------------------------------- values

void Model::Refresh()
{
    std::vector<int> ids;
    for (const Bar& b : m_bars) {
        if (!b.layout.visible) continue;
        for (const Node& n : b.nodes)
            if (n.kind == NodeKind::Variable) ids.push_back(n.id);
    }
    for (int id : ids) {
        Node* n = NodeById(id);
        if (!n) continue;  // deleted by an earlier get callback
        Value value = n->cache;
        // The callback may change the model: copy what it needs first.
        const TwType type = n->type;
        const Access access = n->access;
        const void* memory = n->memory;
        TwGetVarCallback get = n->getCallback;
        void* client = n->clientData;
        const std::size_t size = SizeOf(type);
        ReadValue(type, access, memory, get, client, size, value);
        if (Node* again = NodeById(id)) again->cache = value;
    }
}

bool Model::QueueEdit(int nodeId, const Value& value)
{
    Node* n = NodeById(nodeId);
    if (!n || n->kind != NodeKind::Variable) return Fail("Unknown variable");
    if (n->ReadOnly()) return Fail("Variable '" + n->name + "' is read-only");
    if (n->type != TW_TYPE_STDSTRING && value.bytes.size() != SizeOf(n->type))
        return Fail("Value of the wrong size for '" + n->name + "'");
    m_pending.push_back({nodeId, false, value});
    return true;
}

bool Model::QueuePress(int nodeId)
{
    Node* n = NodeById(nodeId);
    if (!n || n->kind != NodeKind::Button) return Fail("Unknown button");
    if (!n->buttonCallback) return Fail("Button '" + n->name + "' has no callback");
    m_pending.push_back({nodeId, true, Value()});
    return true;
}

void Model::ClampNumber(TwType type, const NumberLimits& limits, unsigned char* bytes) const
{
    switch (type) {
    case TW_TYPE_INT32: ClampAs<std::int32_t>(bytes, limits); break;
    case TW_TYPE_UINT32: ClampAs<std::uint32_t>(bytes, limits); break;
    case TW_TYPE_INT64: ClampAs<std::int64_t>(bytes, limits); break;
    case TW_TYPE_FLOAT: ClampAs<float>(bytes, limits); break;
    case TW_TYPE_DOUBLE: ClampAs<double>(bytes, limits); break;
    case TW_TYPE_BOOLCPP: bytes[0] = bytes[0] != 0; break;
    case TW_TYPE_COLOR3F:
    case TW_TYPE_COLOR4F: {
        NumberLimits unit;
        unit.hasMin = unit.hasMax = true;
        unit.min = 0.0;
        unit.max = 1.0;
        size_t count = type == TW_TYPE_COLOR3F ? 3 : 4;
        for (size_t i = 0; i < count; ++i) ClampAs<float>(bytes + i * sizeof(float), unit);
        break;
    }
    default: break;
    }
}

void Model::ClampValue(const Node& node, Value& value) const
{
    if (node.type == TW_TYPE_STDSTRING) return;
    if (const CustomType* c = Custom(node.type)) {
        if (!c->isEnum)
            for (const StructMember& m : c->members) ClampNumber(m.type, m.limits, value.bytes.data() + m.offset);
        return;
    }
    ClampNumber(node.type, node.limits, value.bytes.data());
}

void Model::RunPending()
{
    std::vector<Pending> work;
    work.swap(m_pending);
    for (Pending& p : work) {
        Node* n = NodeById(p.nodeId);
        if (!n) continue;  // deleted by an earlier callback
        if (p.press) {
            TwButtonCallback callback = n->buttonCallback;
            void* client = n->clientData;
            if (callback) callback(client);
            continue;
        }
        if (n->ReadOnly()) continue;
        ClampValue(*n, p.value);
        n->cache = p.value;
        if (n->access == Access::Callbacks) {
            TwSetVarCallback set = n->setCallback;
            void* client = n->clientData;
            if (n->type == TW_TYPE_STDSTRING)
                set(&p.value.text, client);
            else
                set(p.value.bytes.data(), client);
        } else if (n->type == TW_TYPE_STDSTRING) {
            std::string& client = *static_cast<std::string*>(n->memory);
            if (m_copyToClient)
                m_copyToClient(client, p.value.text);
            else
                client = p.value.text;
        } else {
            std::memcpy(n->memory, p.value.bytes.data(), p.value.bytes.size());
        }
    }
}

} // namespace TweakBar
} // namespace QRX
