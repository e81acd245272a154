// The tweak-bar library without drawing: define strings, bars, groups,
// types, edits and callbacks, and the calls' error handling.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/platform/tweakbar/TweakBar.h"
#include "engine/platform/tweakbar/TweakBarDefine.h"
#include "engine/platform/tweakbar/TweakBarModel.h"
#include "support/TestEnv.h"
#include "tools/ProgramParts.h"

using namespace QRX;
using namespace QRX::TweakBar;

namespace {

Value Bytes(const void* data, size_t size)
{
    Value v;
    v.bytes.assign(static_cast<const unsigned char*>(data), static_cast<const unsigned char*>(data) + size);
    return v;
}

template <typename T>
Value ValueOf(T v) { return Bytes(&v, sizeof v); }

Value Text(const std::string& s)
{
    Value v;
    v.text = s;
    return v;
}

Node& NodeNamed(Model& model, const char* bar, const char* name)
{
    Bar* b = model.FindBarByName(bar);
    EXPECT_NE(b, nullptr);
    Node* n = model.FindNode(*b, name);
    EXPECT_NE(n, nullptr) << name;
    return *n;
}

// The library is one per process: every API test starts and stops it.
class TweakBarApi : public ::testing::Test
{
protected:
    void SetUp() override { ASSERT_EQ(TwInit(TW_OPENGL_CORE, nullptr), 1) << TwGetLastError(); }
    void TearDown() override { TwTerminate(); }
};

} // namespace

// ---------------------------------------------------------------- parsing

TEST(TweakBarDefine, BlanksQuotesAndCase)
{
    DefineStatement s;
    std::string error;
    ASSERT_TRUE(ParseDefine(" GameObject  Color = '128 224 160' TEXT=dark alpha =196 label=\"A b\" help=`x 'y'` open ",
                            s, error)) << error;
    EXPECT_EQ(s.target, "GameObject");
    ASSERT_EQ(s.params.size(), 6u);
    EXPECT_EQ(s.params[0].key, "color");
    EXPECT_EQ(s.params[0].value, "128 224 160");
    EXPECT_EQ(s.params[1].key, "text");
    EXPECT_EQ(s.params[1].value, "dark");
    EXPECT_EQ(s.params[2].key, "alpha");
    EXPECT_EQ(s.params[2].value, "196");
    EXPECT_EQ(s.params[3].value, "A b");
    EXPECT_EQ(s.params[4].value, "x 'y'");
    EXPECT_EQ(s.params[5].key, "open");
    EXPECT_FALSE(s.params[5].hasValue);

    std::vector<DefineParam> params;
    ASSERT_TRUE(ParseParams("group = 'CT_PHYSICS'", params, error));
    ASSERT_EQ(params.size(), 1u);
    EXPECT_EQ(params[0].value, "CT_PHYSICS");
    ASSERT_TRUE(ParseParams("", params, error));
    EXPECT_TRUE(params.empty());
}

TEST(TweakBarDefine, SyntaxErrors)
{
    DefineStatement s;
    std::string error;
    EXPECT_FALSE(ParseDefine("Bar label='unterminated", s, error));
    EXPECT_NE(error.find("Unterminated"), std::string::npos);
    EXPECT_FALSE(ParseDefine("Bar label=", s, error));
    EXPECT_FALSE(ParseDefine("Bar = 3", s, error));
    EXPECT_FALSE(ParseDefine("   ", s, error));
    EXPECT_FALSE(ParseDefine("=x", s, error));

    int v[3];
    EXPECT_TRUE(ParseIntList(" 128 124 060 ", v, 3));
    EXPECT_EQ(v[2], 60);  // decimal, not octal
    EXPECT_FALSE(ParseIntList("1 2", v, 3));
    EXPECT_FALSE(ParseIntList("1 2 3 4", v, 3));
    EXPECT_FALSE(ParseIntList("1 2x 3", v, 3));
    double d;
    EXPECT_TRUE(ParseNumberValue("-0.005", d));
    EXPECT_DOUBLE_EQ(d, -0.005);
    EXPECT_FALSE(ParseNumberValue("1.0f", d));
    EXPECT_FALSE(ParseNumberValue("nan", d));
}

// ---------------------------------------------------------------- bars and groups

TEST(TweakBarModel, BarLayoutFromDefine)
{
    Model m;
    ASSERT_NE(m.NewBar("SoundManagerBar"), nullptr);
    ASSERT_TRUE(m.Define("SoundManagerBar label='Sound settings' color='128 124 060' text=dark alpha=196 "
                         "refresh=0.01 position='16 498' valueswidth=120 size='240 250'")) << m.LastError();
    const BarLayout& l = m.FindBarByName("SoundManagerBar")->layout;
    EXPECT_EQ(l.label, "Sound settings");
    EXPECT_EQ(l.color[0], 128);
    EXPECT_EQ(l.color[2], 60);
    EXPECT_TRUE(l.darkText);
    EXPECT_EQ(l.alpha, 196);
    EXPECT_DOUBLE_EQ(l.refresh, 0.01);
    EXPECT_EQ(l.x, 16);
    EXPECT_EQ(l.y, 498);
    EXPECT_EQ(l.valuesWidth, 120);
    EXPECT_EQ(l.width, 240);
    EXPECT_EQ(l.height, 250);

    ASSERT_TRUE(m.Define(" SoundManagerBar iconified=true "));
    EXPECT_TRUE(l.iconified);
    ASSERT_TRUE(m.Define(" SoundManagerBar ICONIFIED = false visible=0"));
    EXPECT_FALSE(l.iconified);
    EXPECT_FALSE(l.visible);
}

TEST(TweakBarModel, BadDefineChangesNothing)
{
    Model m;
    m.NewBar("B");
    const BarLayout before = m.FindBarByName("B")->layout;
    for (const char* def : {"B label='New' color='300 0 0'", "B label='New' size='0 10'", "B label='New' text=grey",
                            "B label='New' alpha=-1", "B label='New' position='1'", "B label='New' refresh=-1",
                            "B label='New' shiny=true", "Missing label='x'", "B/Nothing label='x'"}) {
        EXPECT_FALSE(m.Define(def)) << def;
        EXPECT_FALSE(m.LastError().empty()) << def;
        EXPECT_EQ(m.FindBarByName("B")->layout.label, before.label) << def;
    }
    EXPECT_NE(m.LastError().find("Nothing"), std::string::npos);
}

TEST(TweakBarModel, HelpAndGlobalTargets)
{
    Model m;
    EXPECT_FALSE(m.Help().visible);
    ASSERT_TRUE(m.Define(" TW_HELP visible=true "));
    EXPECT_TRUE(m.Help().visible);
    ASSERT_TRUE(m.Define(" TW_HELP visible=false "));
    EXPECT_FALSE(m.Help().visible);

    ASSERT_TRUE(m.Define(" GLOBAL contained=true overlap=true "));
    EXPECT_TRUE(m.Contained());
    EXPECT_TRUE(m.Overlap());
    EXPECT_FALSE(m.Define(" GLOBAL contained=perhaps "));
    EXPECT_FALSE(m.Define(" GLOBAL label=x "));

    // A bar placed for a taller window is pulled back inside a small one.
    BarLayout l;
    l.x = 16;
    l.y = 600 - 270;
    l.width = 240;
    l.height = 250;
    int x = 0, y = 0;
    Model::ContainedPosition(l, 1024, 768, x, y);
    EXPECT_EQ(x, 16);
    EXPECT_EQ(y, 330);
    Model::ContainedPosition(l, 200, 400, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 150);
}

TEST(TweakBarModel, GroupsAndNestedGroups)
{
    Model m;
    TwBar* bar = m.NewBar("GraphicsManagerBar");
    int w = 0, h = 0;
    float fov = 45, len = 1;
    ASSERT_TRUE(m.AddVariable(bar, "Width", TW_TYPE_INT32, Access::ReadOnly, &w, nullptr, nullptr, nullptr,
                              "group=Display label='Width' "));
    ASSERT_TRUE(m.AddVariable(bar, "Height", TW_TYPE_INT32, Access::ReadOnly, &h, nullptr, nullptr, nullptr,
                              "group=Display"));
    ASSERT_TRUE(m.AddVariable(bar, "FOV", TW_TYPE_FLOAT, Access::ReadWrite, &fov, nullptr, nullptr, nullptr,
                              "group=Camera min=1 max=90 step=1 "));
    ASSERT_TRUE(m.AddVariable(bar, "ViewLength", TW_TYPE_FLOAT, Access::ReadWrite, &len, nullptr, nullptr, nullptr,
                              "group = 'Camera'"));
    ASSERT_TRUE(m.Define(" GraphicsManagerBar/Camera group='Display' ")) << m.LastError();

    EXPECT_EQ(NodeNamed(m, "GraphicsManagerBar", "Display").kind, NodeKind::Group);
    EXPECT_EQ(NodeNamed(m, "GraphicsManagerBar", "Camera").group, "Display");
    EXPECT_EQ(NodeNamed(m, "GraphicsManagerBar", "FOV").group, "Camera");
    EXPECT_EQ(NodeNamed(m, "GraphicsManagerBar", "Width").Shown(), "Width");

    // A group cannot go inside itself or its own subgroup; nothing changes.
    EXPECT_FALSE(m.Define("GraphicsManagerBar/Display group=Camera"));
    EXPECT_FALSE(m.Define("GraphicsManagerBar/Display group=Display"));
    EXPECT_EQ(NodeNamed(m, "GraphicsManagerBar", "Display").group, "");
    // A variable is no group.
    EXPECT_FALSE(m.Define("GraphicsManagerBar/Width group=FOV"));
    EXPECT_NE(m.LastError().find("not a group"), std::string::npos);
    EXPECT_FALSE(m.AddVariable(bar, "Other", TW_TYPE_INT32, Access::ReadOnly, &w, nullptr, nullptr, nullptr,
                               "group=Height"));
    // Moving a variable into a new group makes the group.
    ASSERT_TRUE(m.Define("GraphicsManagerBar/Width group='Sizes'"));
    EXPECT_EQ(NodeNamed(m, "GraphicsManagerBar", "Sizes").kind, NodeKind::Group);
}

TEST(TweakBarModel, DuplicateNamesAndStaleBars)
{
    Model m;
    TwBar* a = m.NewBar("A");
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(m.NewBar("A"), nullptr);
    EXPECT_NE(m.LastError().find("already exists"), std::string::npos);
    EXPECT_EQ(m.NewBar(""), nullptr);
    EXPECT_EQ(m.NewBar("A/B"), nullptr);
    EXPECT_EQ(m.NewBar("TW_HELP"), nullptr);

    int x = 0;
    ASSERT_TRUE(m.AddVariable(a, "X", TW_TYPE_INT32, Access::ReadWrite, &x, nullptr, nullptr, nullptr, nullptr));
    EXPECT_FALSE(m.AddVariable(a, "X", TW_TYPE_INT32, Access::ReadWrite, &x, nullptr, nullptr, nullptr, nullptr));
    EXPECT_NE(m.LastError().find("already has an item named 'X'"), std::string::npos);
    EXPECT_FALSE(m.AddButton(a, "X", nullptr, nullptr, nullptr));
    // Unnamed separators may repeat.
    EXPECT_TRUE(m.AddSeparator(a, nullptr, ""));
    EXPECT_TRUE(m.AddSeparator(a, nullptr, " group='G'"));
    EXPECT_EQ(m.FindBarByName("A")->nodes.size(), 4u);  // X, two separators, group G

    ASSERT_TRUE(m.DeleteBar(a));
    EXPECT_FALSE(m.DeleteBar(a));
    EXPECT_FALSE(m.AddVariable(a, "Y", TW_TYPE_INT32, Access::ReadWrite, &x, nullptr, nullptr, nullptr, nullptr));
    // A new bar of the same name is not reached through the old handle.
    TwBar* again = m.NewBar("A");
    EXPECT_NE(again, a);
    EXPECT_EQ(m.FindBar(a), nullptr);
    EXPECT_FALSE(m.DeleteBar(nullptr));
}

TEST(TweakBarModel, VariableDefinitionErrorsAddNothing)
{
    Model m;
    TwBar* bar = m.NewBar("B");
    float f = 0;
    bool b = false;
    std::string s;
    EXPECT_FALSE(m.AddVariable(bar, "F", TW_TYPE_FLOAT, Access::ReadWrite, &f, nullptr, nullptr, nullptr, "min=abc"));
    EXPECT_FALSE(m.AddVariable(bar, "F", TW_TYPE_FLOAT, Access::ReadWrite, &f, nullptr, nullptr, nullptr, "min=5 max=1"));
    EXPECT_FALSE(m.AddVariable(bar, "F", TW_TYPE_FLOAT, Access::ReadWrite, &f, nullptr, nullptr, nullptr, "step=0"));
    EXPECT_FALSE(m.AddVariable(bar, "F", TW_TYPE_FLOAT, Access::ReadWrite, &f, nullptr, nullptr, nullptr, "colour=red"));
    EXPECT_FALSE(m.AddVariable(bar, "B", TW_TYPE_BOOLCPP, Access::ReadWrite, &b, nullptr, nullptr, nullptr, "min=0"));
    EXPECT_FALSE(m.AddVariable(bar, "S", TW_TYPE_STDSTRING, Access::ReadWrite, &s, nullptr, nullptr, nullptr, "true='ON'"));
    EXPECT_FALSE(m.AddVariable(bar, "N", TW_TYPE_FLOAT, Access::ReadWrite, nullptr, nullptr, nullptr, nullptr, ""));
    EXPECT_FALSE(m.AddVariable(bar, "C", TW_TYPE_FLOAT, Access::Callbacks, nullptr, nullptr, nullptr, nullptr, ""));
    EXPECT_FALSE(m.AddVariable(bar, "U", TW_TYPE_UNDEF, Access::ReadWrite, &f, nullptr, nullptr, nullptr, ""));
    EXPECT_FALSE(m.AddVariable(bar, "U", static_cast<TwType>(0x1234), Access::ReadWrite, &f, nullptr, nullptr, nullptr, ""));
    EXPECT_TRUE(m.FindBarByName("B")->nodes.empty());
    // The name is still free.
    EXPECT_TRUE(m.AddVariable(bar, "F", TW_TYPE_FLOAT, Access::ReadWrite, &f, nullptr, nullptr, nullptr,
                              " min=0.0 max=10 step=0.005 "));
    EXPECT_TRUE(m.AddVariable(bar, "B", TW_TYPE_BOOLCPP, Access::ReadWrite, &b, nullptr, nullptr, nullptr,
                              "help='Collided.' false='All Clear!' true='Colliding'"));
    EXPECT_EQ(NodeNamed(m, "B", "B").trueLabel, "Colliding");
    EXPECT_EQ(NodeNamed(m, "B", "B").falseLabel, "All Clear!");
}

// ---------------------------------------------------------------- types

TEST(TweakBarModel, EnumerationsAndRedefinition)
{
    Model m;
    TwType a = m.DefineEnum("MeshType", {{0, "cube"}, {1, "sphere"}});
    ASSERT_NE(a, TW_TYPE_UNDEF);
    EXPECT_TRUE(m.IsEnum(a));
    TwType b = m.DefineEnum("MeshType", {{0, "crate"}, {1, "door"}, {2, "robot"}});
    EXPECT_EQ(a, b);
    ASSERT_EQ(m.Custom(a)->enumValues.size(), 3u);
    EXPECT_EQ(m.Custom(a)->enumValues[2].second, "robot");
    EXPECT_EQ(m.DefineEnum("MeshType", {}), a);  // an empty catalogue
    EXPECT_TRUE(m.Custom(a)->enumValues.empty());

    TwType s = m.DefineEnumFromString("UI_HoverState", " INACTIVE, ONHOVER,HOVER ,EXITHOVER");
    ASSERT_NE(s, TW_TYPE_UNDEF);
    const auto& v = m.Custom(s)->enumValues;
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[1].first, 1);
    EXPECT_EQ(v[1].second, "ONHOVER");
    EXPECT_EQ(v[2].second, "HOVER");
    EXPECT_EQ(m.DefineEnumFromString("Bad", "A,,B"), TW_TYPE_UNDEF);
    EXPECT_EQ(m.DefineEnumFromString("Bad", nullptr), TW_TYPE_UNDEF);
    EXPECT_EQ(m.SizeOf(s), sizeof(int));
}

TEST(TweakBarModel, StructuresAndMemberLimits)
{
    struct Attenuation { float constant, linear, quadratic; };
    const TwStructMember members[] = {
        {"Constant", TW_TYPE_FLOAT, offsetof(Attenuation, constant), " Step=0.1 min=0.0"},
        {"Linear", TW_TYPE_FLOAT, offsetof(Attenuation, linear), " Step=0.1 min=0.0"},
        {"Quadratic", TW_TYPE_FLOAT, offsetof(Attenuation, quadratic), " Step=0.1 min=0.0"},
    };
    Model m;
    TwType t = m.DefineStruct("POINT3POSITIVE", members, 3, sizeof(Attenuation));
    ASSERT_NE(t, TW_TYPE_UNDEF) << m.LastError();
    EXPECT_TRUE(m.IsStruct(t));
    EXPECT_EQ(m.SizeOf(t), sizeof(Attenuation));
    EXPECT_TRUE(m.Custom(t)->members[0].limits.hasMin);
    EXPECT_DOUBLE_EQ(m.Custom(t)->members[0].limits.step, 0.1);

    EXPECT_EQ(m.DefineStruct("POINT3POSITIVE", members, 3, sizeof(Attenuation)), TW_TYPE_UNDEF);
    EXPECT_EQ(m.DefineEnum("POINT3POSITIVE", {}), TW_TYPE_UNDEF);  // a structure is no enumeration
    EXPECT_EQ(m.DefineStruct("Short", members, 3, 8), TW_TYPE_UNDEF);
    EXPECT_NE(m.LastError().find("outside"), std::string::npos);
    const TwStructMember text[] = {{"Name", TW_TYPE_STDSTRING, 0, ""}};
    EXPECT_EQ(m.DefineStruct("WithText", text, 1, sizeof(std::string)), TW_TYPE_UNDEF);
    const TwStructMember twice[] = {{"X", TW_TYPE_FLOAT, 0, ""}, {"X", TW_TYPE_FLOAT, 4, ""}};
    EXPECT_EQ(m.DefineStruct("Twice", twice, 2, 8), TW_TYPE_UNDEF);

    // Each member is held within its own limits when edited.
    Attenuation att = {1, 2, 3};
    TwBar* bar = m.NewBar("B");
    ASSERT_TRUE(m.AddVariable(bar, "DistAttn", t, Access::ReadWrite, &att, nullptr, nullptr, nullptr, "open"));
    Attenuation edit = {-4, 0.5f, 7};
    ASSERT_TRUE(m.QueueEdit(NodeNamed(m, "B", "DistAttn").id, ValueOf(edit)));
    m.RunPending();
    EXPECT_FLOAT_EQ(att.constant, 0.0f);
    EXPECT_FLOAT_EQ(att.linear, 0.5f);
    EXPECT_FLOAT_EQ(att.quadratic, 7.0f);
    EXPECT_TRUE(NodeNamed(m, "B", "DistAttn").open);
}

// ---------------------------------------------------------------- values and callbacks

TEST(TweakBarModel, ReadOnlyVariablesIgnoreEdits)
{
    Model m;
    TwBar* bar = m.NewBar("B");
    int value = 7;
    ASSERT_TRUE(m.AddVariable(bar, "RO", TW_TYPE_INT32, Access::ReadOnly, &value, nullptr, nullptr, nullptr, ""));
    auto get = [](void* v, void*) { *static_cast<int*>(v) = 3; };
    ASSERT_TRUE(m.AddVariable(bar, "GetOnly", TW_TYPE_INT32, Access::Callbacks, nullptr, nullptr, get, nullptr, ""));
    EXPECT_FALSE(m.QueueEdit(NodeNamed(m, "B", "RO").id, ValueOf(99)));
    EXPECT_NE(m.LastError().find("read-only"), std::string::npos);
    EXPECT_FALSE(m.QueueEdit(NodeNamed(m, "B", "GetOnly").id, ValueOf(99)));
    m.RunPending();
    EXPECT_EQ(value, 7);
    m.Refresh();
    int shown = 0;
    std::memcpy(&shown, NodeNamed(m, "B", "GetOnly").cache.bytes.data(), sizeof shown);
    EXPECT_EQ(shown, 3);
}

namespace {
struct SetLog
{
    std::vector<float> values;
};
} // namespace

TEST(TweakBarModel, SetCallbackRunsAfterThePassWithTheEditedValue)
{
    Model m;
    TwBar* bar = m.NewBar("GraphicsManagerBar");
    SetLog log;
    float fov = 45.0f;
    struct Client { SetLog* log; float* fov; } client = {&log, &fov};
    auto set = [](const void* v, void* c) {
        auto* cl = static_cast<Client*>(c);
        cl->log->values.push_back(*static_cast<const float*>(v));
        *cl->fov = *static_cast<const float*>(v);
    };
    auto get = [](void* v, void* c) { *static_cast<float*>(v) = *static_cast<Client*>(c)->fov; };
    ASSERT_TRUE(m.AddVariable(bar, "FOV", TW_TYPE_FLOAT, Access::Callbacks, nullptr, set, get, &client,
                              "group=Camera label='Field of View' min=1 max=90 step=1 "));
    const int id = NodeNamed(m, "GraphicsManagerBar", "FOV").id;
    ASSERT_TRUE(m.QueueEdit(id, ValueOf(60.0f)));
    ASSERT_TRUE(m.QueueEdit(id, ValueOf(200.0f)));  // past max
    EXPECT_TRUE(log.values.empty());  // nothing runs while the view walks the bars
    m.RunPending();
    ASSERT_EQ(log.values.size(), 2u);
    EXPECT_FLOAT_EQ(log.values[0], 60.0f);
    EXPECT_FLOAT_EQ(log.values[1], 90.0f);
    m.Refresh();
    float shown = 0;
    std::memcpy(&shown, NodeNamed(m, "GraphicsManagerBar", "FOV").cache.bytes.data(), sizeof shown);
    EXPECT_FLOAT_EQ(shown, 90.0f);
}

TEST(TweakBarModel, CallbacksMayDeleteTheirOwnBar)
{
    struct Ctx { Model* model; TwBar* bar; int presses; int sets; } ctx = {nullptr, nullptr, 0, 0};
    Model m;
    ctx.model = &m;
    ctx.bar = m.NewBar("GameObject");
    auto press = [](void* c) {
        auto* x = static_cast<Ctx*>(c);
        ++x->presses;
        x->model->DeleteBar(x->bar);  // the delete button's own bar
    };
    auto set = [](const void*, void* c) { ++static_cast<Ctx*>(c)->sets; };
    auto get = [](void* v, void*) { *static_cast<int*>(v) = 1; };
    ASSERT_TRUE(m.AddButton(ctx.bar, "DeleteObject", press, &ctx, "label='Delete Object'"));
    ASSERT_TRUE(m.AddVariable(ctx.bar, "LayerID", TW_TYPE_UINT32, Access::Callbacks, nullptr, set, get, &ctx, ""));
    ASSERT_TRUE(m.QueuePress(NodeNamed(m, "GameObject", "DeleteObject").id));
    ASSERT_TRUE(m.QueueEdit(NodeNamed(m, "GameObject", "LayerID").id, ValueOf(2u)));
    m.RunPending();
    EXPECT_EQ(ctx.presses, 1);
    EXPECT_EQ(ctx.sets, 0);  // its variable went with the bar
    EXPECT_EQ(m.FindBarByName("GameObject"), nullptr);
    EXPECT_FALSE(m.HasPending());
}

TEST(TweakBarModel, GetCallbackThatWritesNothingKeepsTheLastValue)
{
    Model m;
    TwBar* bar = m.NewBar("B");
    struct Source { bool known; int index; } src = {true, 2};
    auto get = [](void* v, void* c) {
        auto* s = static_cast<Source*>(c);
        if (s->known) *static_cast<int*>(v) = s->index;  // an id missing from its list writes nothing
    };
    TwType meshes = m.DefineEnum("MeshType", {{0, "a"}, {1, "b"}, {2, "c"}});
    ASSERT_TRUE(m.AddVariable(bar, "MeshID", meshes, Access::Callbacks, nullptr, nullptr, get, &src, ""));
    m.Refresh();
    src.known = false;
    m.Refresh();
    int shown = -1;
    std::memcpy(&shown, NodeNamed(m, "B", "MeshID").cache.bytes.data(), sizeof shown);
    EXPECT_EQ(shown, 2);
}

TEST(TweakBarModel, LongMemberIsWrittenWhole)
{
    static_assert(sizeof(long) == sizeof(std::int64_t), "long is 64-bit on this platform");
    struct Component { long counter; int after; } c = {0, 77};
    Model m;
    TwBar* bar = m.NewBar("GameObject");
    ASSERT_TRUE(m.AddVariable(bar, "Counter", TW_TYPE_INT64, Access::ReadWrite, &c.counter, nullptr, nullptr,
                              nullptr, "group = 'CT_PLAYER'"));
    const std::int64_t big = 5000000000LL;  // needs the upper half
    ASSERT_TRUE(m.QueueEdit(NodeNamed(m, "GameObject", "Counter").id, ValueOf(big)));
    m.RunPending();
    EXPECT_EQ(c.counter, 5000000000L);
    EXPECT_EQ(c.after, 77);
    c.counter = -3;
    m.Refresh();
    std::int64_t shown = 0;
    std::memcpy(&shown, NodeNamed(m, "GameObject", "Counter").cache.bytes.data(), sizeof shown);
    EXPECT_EQ(shown, -3);
}

TEST(TweakBarModel, NumbersAndColoursHeldWithinLimits)
{
    Model m;
    TwBar* bar = m.NewBar("B");
    std::uint32_t count = 5;
    double depth = 0.5;
    float colour[3] = {0, 0, 0};
    ASSERT_TRUE(m.AddVariable(bar, "Samples", TW_TYPE_UINT32, Access::ReadWrite, &count, nullptr, nullptr, nullptr,
                              "min=-5 max=20 step=1"));
    ASSERT_TRUE(m.AddVariable(bar, "Bias", TW_TYPE_DOUBLE, Access::ReadWrite, &depth, nullptr, nullptr, nullptr,
                              "min=0.0 max=10 step=0.0001"));
    ASSERT_TRUE(m.AddVariable(bar, "Fog", TW_TYPE_COLOR3F, Access::ReadWrite, colour, nullptr, nullptr, nullptr,
                              "open"));
    m.QueueEdit(NodeNamed(m, "B", "Samples").id, ValueOf(std::uint32_t(400)));
    m.QueueEdit(NodeNamed(m, "B", "Bias").id, ValueOf(-2.0));
    float edited[3] = {1.5f, 0.25f, -1.0f};
    m.QueueEdit(NodeNamed(m, "B", "Fog").id, Bytes(edited, sizeof edited));
    m.RunPending();
    EXPECT_EQ(count, 20u);
    EXPECT_DOUBLE_EQ(depth, 0.0);
    EXPECT_FLOAT_EQ(colour[0], 1.0f);
    EXPECT_FLOAT_EQ(colour[1], 0.25f);
    EXPECT_FLOAT_EQ(colour[2], 0.0f);
    EXPECT_FALSE(m.QueueEdit(NodeNamed(m, "B", "Bias").id, ValueOf(1.0f)));  // wrong size
}

// ---------------------------------------------------------------- the calls

namespace {
int g_copies = 0;
void CopyToClient(std::string& client, const std::string& library)
{
    ++g_copies;
    client = library;
}
} // namespace

TEST_F(TweakBarApi, ErrorsAreReportedAndClearedBySuccess)
{
    EXPECT_EQ(TwInit(TW_OPENGL, nullptr), 0);
    EXPECT_NE(std::string(TwGetLastError()).find("already started"), std::string::npos);
    TwBar* bar = TwNewBar("PhysicsManagerBar");
    ASSERT_NE(bar, nullptr);
    EXPECT_STREQ(TwGetLastError(), "");
    EXPECT_EQ(TwNewBar("PhysicsManagerBar"), nullptr);
    EXPECT_NE(std::string(TwGetLastError()).find("'PhysicsManagerBar' already exists"), std::string::npos);

    float sleep = 0.5f;
    EXPECT_EQ(TwAddVarRW(bar, "SleepTime", TW_TYPE_FLOAT, &sleep, ""), 1);
    EXPECT_EQ(TwAddVarRW(bar, "SleepTime", TW_TYPE_FLOAT, &sleep, ""), 0);
    EXPECT_NE(std::string(TwGetLastError()).find("SleepTime"), std::string::npos);
    EXPECT_EQ(TwDefine(" PhysicsManagerBar label='Physics Manager' color='0 0 200' text=light alpha=150 "), 1);
    EXPECT_EQ(TwDefine(" PhysicsManagerBar/SleepTime bogus=1 "), 0);
    EXPECT_EQ(TwDefine(nullptr), 0);
    EXPECT_EQ(TwWindowSize(-1, 10), 0);
    EXPECT_EQ(TwWindowSize(1024, 768), 1);
    EXPECT_EQ(TwDefineEnum("E", nullptr, 2), TW_TYPE_UNDEF);
    const TwEnumVal unlabelled[] = {{0, nullptr}};
    EXPECT_EQ(TwDefineEnum("E", unlabelled, 1), TW_TYPE_UNDEF);
    const TwEnumVal light[] = {{0, "POINT"}, {1, "SPOT"}, {2, "DIRECTIONAL"}, {3, "OFF"}};
    EXPECT_NE(TwDefineEnum("LightType", light, 4), TW_TYPE_UNDEF);

    EXPECT_EQ(TwDeleteBar(bar), 1);
    EXPECT_EQ(TwDeleteBar(bar), 0);  // stale
    EXPECT_EQ(TwAddVarRO(bar, "X", TW_TYPE_FLOAT, &sleep, ""), 0);
    EXPECT_EQ(TwAddButton(bar, "B", nullptr, nullptr, ""), 0);
    EXPECT_EQ(TwAddSeparator(bar, nullptr, ""), 0);
}

TEST_F(TweakBarApi, StaleHandlesAfterRestartAndCallsWhenStopped)
{
    TwBar* old = TwNewBar("GameObject");
    ASSERT_NE(old, nullptr);
    ASSERT_EQ(TwTerminate(), 1);
    // Stopped: every call fails harmlessly.
    EXPECT_EQ(TwTerminate(), 0);
    EXPECT_NE(std::string(TwGetLastError()).find("not started"), std::string::npos);
    EXPECT_EQ(TwNewBar("X"), nullptr);
    EXPECT_EQ(TwDraw(), 0);
    EXPECT_EQ(TwDefine(" TW_HELP visible=true "), 0);
    EXPECT_EQ(TwEventWin(Platform::WindowMessage{Platform::WM_LBUTTONDOWN, 0, 0}), 0);
    EXPECT_EQ(TwDeleteAllBars(), 0);

    // Started again (a display-mode change): the old panel pointer names nothing.
    ASSERT_EQ(TwInit(TW_OPENGL_CORE, nullptr), 1);
    TwBar* fresh = TwNewBar("GameObject");
    ASSERT_NE(fresh, nullptr);
    EXPECT_EQ(TwDeleteBar(old), 0);
    EXPECT_EQ(TwDeleteBar(fresh), 1);
    EXPECT_EQ(TwInit(static_cast<TwGraphAPI>(9), nullptr), 0);
}

TEST(TweakBarLog, QuietBeforeTheStartAndOnThePageAloneAfterIt)
{
    TestSupport::ScopedTempHome home;
    System::GetInstance()->logger = new Logger();
    const std::string page = home.GameFolder() + "/" + Logger::LOG_FILE_NAME;
    testing::internal::CaptureStdout();
    // The renderer sizes the bars at start-up, long before the library runs.
    EXPECT_EQ(TwWindowSize(1024, 768), 0);
    EXPECT_EQ(TwDraw(), 0);
    EXPECT_EQ(TwNewBar("Early"), nullptr);
    EXPECT_NE(std::string(TwGetLastError()).find("not started"), std::string::npos);
    std::string pageText = TestSupport::ReadFile(page);
    EXPECT_EQ(pageText.find("Tweak bar"), std::string::npos) << pageText;

    // Started, its failures reach the page only.
    ASSERT_EQ(TwInit(TW_OPENGL_CORE, nullptr), 1);
    EXPECT_EQ(TwWindowSize(-4, 10), 0);
    EXPECT_EQ(TwNewBar(""), nullptr);
    EXPECT_EQ(TwInit(TW_OPENGL, nullptr), 0);
    ASSERT_EQ(TwTerminate(), 1);
    EXPECT_EQ(TwTerminate(), 0);  // stopped again: quiet
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "");
    pageText = TestSupport::ReadFile(page);
    EXPECT_NE(pageText.find("Tweak bar: Window size -4 x 10 is negative"), std::string::npos) << pageText;
    EXPECT_NE(pageText.find("Tweak bar: The tweak-bar library is already started"), std::string::npos);
    EXPECT_NE(pageText.find("TwWindowSize"), std::string::npos);  // the location of the failing call
    EXPECT_EQ(pageText.find("not started"), std::string::npos);
    delete System::GetInstance()->logger;
    System::GetInstance()->logger = nullptr;
    System::DestroyInstance();
}

std::vector<std::string> g_reports;

void RecordReport(const char* call, const char* file, int, const std::string& reason)
{
    g_reports.push_back(std::string(call) + " @ " + file + ": " + reason);
}

TEST_F(TweakBarApi, FailuresGoToTheInstalledReportAndNowhereWithoutOne)
{
    g_reports.clear();
    TwSetFailureReport(RecordReport);
    EXPECT_EQ(TwWindowSize(-4, 10), 0);
    ASSERT_EQ(g_reports.size(), 1u);
    EXPECT_NE(g_reports[0].find("TwWindowSize @ "), std::string::npos) << g_reports[0];
    EXPECT_NE(g_reports[0].find("TweakBar.cpp: Window size -4 x 10 is negative"), std::string::npos) << g_reports[0];

    TwSetFailureReport(nullptr);
    EXPECT_EQ(TwWindowSize(-5, 10), 0);
    EXPECT_NE(std::string(TwGetLastError()).find("-5"), std::string::npos);
    EXPECT_EQ(g_reports.size(), 1u);
    InstallProgramParts();
}

TEST_F(TweakBarApi, StringsGoThroughTheCopyFunctions)
{
    g_copies = 0;
    TwCopyStdStringToClientFunc(CopyToClient);
    std::string name = "button";
    std::string library;
    TwCopyStdStringToLibrary(library, name);
    EXPECT_EQ(library, "button");
    TwBar* bar = TwNewBar("GameObject");
    EXPECT_EQ(TwAddVarRW(bar, "UIName", TW_TYPE_STDSTRING, &name, "group='UI Component' label='Name'"), 1);

    // The model behind the calls is exercised directly for the edit.
    Model m;
    m.SetCopyStringToClient(CopyToClient);
    TwBar* b = m.NewBar("B");
    ASSERT_TRUE(m.AddVariable(b, "UIName", TW_TYPE_STDSTRING, Access::ReadWrite, &name, nullptr, nullptr, nullptr, ""));
    ASSERT_TRUE(m.QueueEdit(NodeNamed(m, "B", "UIName").id, Text("start")));
    m.RunPending();
    EXPECT_EQ(name, "start");
    EXPECT_EQ(g_copies, 1);

    std::string text = "hello";
    auto get = [](void* v, void* c) { TwCopyStdStringToLibrary(*static_cast<std::string*>(v), *static_cast<std::string*>(c)); };
    auto set = [](const void* v, void* c) { *static_cast<std::string*>(c) = *static_cast<const std::string*>(v) + "!"; };
    ASSERT_TRUE(m.AddVariable(b, "DrawText", TW_TYPE_STDSTRING, Access::Callbacks, nullptr, set, get, &text, ""));
    m.Refresh();
    EXPECT_EQ(NodeNamed(m, "B", "DrawText").cache.text, "hello");
    ASSERT_TRUE(m.QueueEdit(NodeNamed(m, "B", "DrawText").id, Text("bye")));
    m.RunPending();
    EXPECT_EQ(text, "bye!");
    TwCopyStdStringToClientFunc(nullptr);
}
