// The tweak-bar library's bars, variables, groups and types, without any
// drawing: what TweakBar.h's calls create and define, and what the view
// reads and edits.
//
// Rules:
// - A bar is known by a handle (TwBar*) that encodes a serial number never
//   handed out twice in the process, so a stale handle only fails.
// - Names inside a bar are unique across variables, buttons, named
//   separators and groups; groups are made by the first item that names them.
// - Values are read into a per-variable cache by Refresh (get callbacks run
//   there, on a copy, walking a snapshot of ids). Edits and button presses are
//   queued and carried out by RunPending, after the view's pass: by then any
//   callback may change the model freely.
// - Every failing operation returns false (null, TW_TYPE_UNDEF) with its
//   reason in LastError() and changes nothing.
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "engine/platform/tweakbar/TweakBar.h"
#include "engine/platform/tweakbar/TweakBarDefine.h"

namespace QRX {
namespace TweakBar {

// Custom types are numbered from here.
constexpr int FIRST_CUSTOM_TYPE = 0x100;
// Bars laid out without a position or size get these.
constexpr int DEFAULT_BAR_X = 16;
constexpr int DEFAULT_BAR_Y = 16;
constexpr int DEFAULT_BAR_WIDTH = 220;
constexpr int DEFAULT_BAR_HEIGHT = 320;
constexpr int DEFAULT_VALUES_WIDTH = 100;
constexpr int DEFAULT_ALPHA = 200;
// Seconds between value reads; values are read at every draw, so this only
// records what was asked.
constexpr double DEFAULT_REFRESH = 0.2;
// The name of the help window's target in define strings.
constexpr const char* HELP_TARGET = "TW_HELP";
constexpr const char* GLOBAL_TARGET = "GLOBAL";

// Where and how a bar (or the help window) shows.
struct BarLayout
{
    std::string label;
    std::string help;
    bool visible = true;
    bool iconified = false;
    int x = DEFAULT_BAR_X;
    int y = DEFAULT_BAR_Y;
    int width = DEFAULT_BAR_WIDTH;
    int height = DEFAULT_BAR_HEIGHT;
    int color[3] = {40, 60, 90};
    int alpha = DEFAULT_ALPHA;
    bool darkText = false;
    int valuesWidth = DEFAULT_VALUES_WIDTH;
    double refresh = DEFAULT_REFRESH;
    // Set by a define, cleared by the view once it has applied them.
    bool positionChanged = true;
    bool sizeChanged = true;
    bool iconifiedChanged = true;
};

// Limits of a numeric value (variables and structure members).
struct NumberLimits
{
    bool hasMin = false;
    bool hasMax = false;
    bool hasStep = false;
    double min = 0.0;
    double max = 0.0;
    double step = 0.0;
};

enum class NodeKind { Variable, Button, Separator, Group };
enum class Access { ReadWrite, ReadOnly, Callbacks };

// A value as the library holds it: the bytes of the type (a structure's
// whole size) or, for TW_TYPE_STDSTRING, the text.
struct Value
{
    std::vector<unsigned char> bytes;
    std::string text;
};

// One line of a bar: a variable, a button, a separator or a group.
struct Node
{
    int id = 0;                 // unique in the library; edits name it
    NodeKind kind = NodeKind::Variable;
    std::string name;           // empty for an unnamed separator
    std::string label;          // shown instead of the name when not empty
    std::string help;
    std::string group;          // the group holding it; empty at the top
    bool visible = true;
    bool open = false;          // groups, structures, colours, directions
    bool openChanged = true;    // cleared by the view once applied
    // Variables.
    TwType type = TW_TYPE_UNDEF;
    Access access = Access::ReadOnly;
    void* memory = nullptr;
    TwSetVarCallback setCallback = nullptr;
    TwGetVarCallback getCallback = nullptr;
    void* clientData = nullptr;
    NumberLimits limits;
    std::string trueLabel = "true";
    std::string falseLabel = "false";
    Value cache;
    // Buttons.
    TwButtonCallback buttonCallback = nullptr;

    const std::string& Shown() const { return label.empty() ? name : label; }
    bool ReadOnly() const { return access == Access::ReadOnly || (access == Access::Callbacks && !setCallback); }
};

struct Bar
{
    int serial = 0;
    std::string name;
    BarLayout layout;
    std::vector<Node> nodes;  // in creation order
};

struct StructMember
{
    std::string name;
    TwType type = TW_TYPE_UNDEF;
    std::size_t offset = 0;
    NumberLimits limits;
    std::string label;
    std::string help;
};

struct CustomType
{
    std::string name;
    bool isEnum = false;
    std::vector<std::pair<int, std::string>> enumValues;
    std::vector<StructMember> members;
    std::size_t size = 0;
};

class Model
{
public:
    Model();

    const std::string& LastError() const { return m_error; }
    void ClearError() { m_error.clear(); }

    // Bars.
    TwBar* NewBar(const char* name);
    bool DeleteBar(TwBar* bar);
    void DeleteAllBars();
    Bar* FindBar(TwBar* bar);
    Bar* FindBarByName(const std::string& name);
    static TwBar* HandleOf(const Bar& bar);
    std::vector<Bar>& Bars() { return m_bars; }
    const std::vector<Bar>& Bars() const { return m_bars; }

    // Define strings (TwDefine).
    bool Define(const char* def);

    // Types.
    TwType DefineStruct(const char* name, const TwStructMember* members, unsigned count, std::size_t size);
    TwType DefineEnum(const char* name, const std::vector<std::pair<int, std::string>>& values);
    TwType DefineEnumFromString(const char* name, const char* labels);
    // The custom type of an id, or null for a built-in or unknown id.
    const CustomType* Custom(TwType type) const;
    // Byte size of a value of the type; 0 for an unknown type.
    std::size_t SizeOf(TwType type) const;
    static bool IsNumber(TwType type);
    bool IsEnum(TwType type) const;
    bool IsStruct(TwType type) const;

    // Items. def may be null.
    bool AddVariable(TwBar* bar, const char* name, TwType type, Access access, void* memory,
                     TwSetVarCallback set, TwGetVarCallback get, void* clientData, const char* def);
    bool AddButton(TwBar* bar, const char* name, TwButtonCallback callback, void* clientData, const char* def);
    bool AddSeparator(TwBar* bar, const char* name, const char* def);
    Node* FindNode(Bar& bar, const std::string& name);

    // The help window and global settings.
    BarLayout& Help() { return m_help; }
    bool Contained() const { return m_contained; }
    bool Overlap() const { return m_overlap; }
    // A position that keeps a bar of the layout's size inside the window.
    static void ContainedPosition(const BarLayout& layout, int windowWidth, int windowHeight,
                                  int& x, int& y);

    void SetCopyStringToClient(TwCopyStdStringToClient copy) { m_copyToClient = copy; }

    // Reads every variable of the visible bars into its cache.
    void Refresh();
    // Queues an edit of a variable (false for a read-only or unknown one) or
    // a press of a button (false for an unknown one or one without callback).
    bool QueueEdit(int nodeId, const Value& value);
    bool QueuePress(int nodeId);
    // Carries out the queued edits and presses in order; an item deleted in
    // between is skipped. Numbers are held within their limits.
    void RunPending();
    bool HasPending() const { return !m_pending.empty(); }

private:
    struct Pending
    {
        int nodeId;
        bool press;
        Value value;
    };

    bool Fail(const std::string& reason);
    TwType FailType(const std::string& reason);
    Bar* BarOrFail(TwBar* bar);
    Node* NodeById(int id, Bar** barOut = nullptr);
    bool NameInUse(const Bar& bar, const std::string& name) const;
    bool CheckNewName(const Bar& bar, const char* name, bool required);
    // Makes the group (at the top of the bar) when it does not exist.
    bool EnsureGroup(Bar& bar, const std::string& group);
    bool GroupInside(const Bar& bar, const std::string& group, const std::string& ancestor) const;
    // Checks then applies parameters to a node; nothing changes on failure.
    bool ApplyNodeParams(Bar& bar, Node& node, const std::vector<DefineParam>& params);
    bool ApplyBarParams(BarLayout& layout, const std::vector<DefineParam>& params, bool isHelp);
    bool ApplyGlobalParams(const std::vector<DefineParam>& params);
    bool ApplyLimit(NumberLimits& limits, TwType type, const DefineParam& param);
    void ClampNumber(TwType type, const NumberLimits& limits, unsigned char* bytes) const;
    void ClampValue(const Node& node, Value& value) const;

    std::vector<Bar> m_bars;
    std::vector<CustomType> m_types;
    BarLayout m_help;
    bool m_contained = false;
    bool m_overlap = true;
    TwCopyStdStringToClient m_copyToClient = nullptr;
    std::vector<Pending> m_pending;
    int m_nextNodeId = 1;
    std::string m_error;
};

// The model of the started library, or null when it is not started: for
// the tests and tools that read what the panels hold.
Model* LibraryModel();

} // namespace TweakBar
} // namespace QRX
