// The "GameObject" panel without drawing: its layout, the values its
// variables read and write, editor fields, and its life across picks,
// deaths and the delete button.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/Component.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/flow/UILogicComponent.h"
#include "tools/PanelTestKit.h"

using namespace QRX;
using namespace QRX::PanelKit;

namespace {

const char* const BAR = "GameObject";

// Editor fields only; registered as CT_BLACKHOLE, which no class uses.
class FieldsComponent : public Component
{
public:
    FieldsComponent() : Component(CT_BLACKHOLE)
    {
        AddEditorVar(&m_count, "m_Count", "long", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_skin, "m_Skin", "std::string", EDITORVAR_STRING, true);
        AddEditorVar(&m_badge, "m_Badge", "std::string", EDITORVAR_STRING, false);
        AddEditorVar(&m_id, "m_NotAString", "int", EDITORVAR_STRING, true);
        AddEditorVar(&m_ratio, "m_Mystery", "Matrix", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_ratio, "m_OtherKind", "float", 1, true);
        AddEditorVar(&m_ratio, "Opacity", "float", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_ratio, "Opacity", "float", EDITORVAR_DIRECT, true);
    }
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

    long m_count = 7;
    int m_id = 3;
    std::string m_skin = "white";
    std::string m_badge = "nowhere";
    float m_ratio = 0.5f;
};

class ObjectPanelTest : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        FactoryRegister<Component>(new Factory<Component, FieldsComponent>(CT_BLACKHOLE),
                                   S().objectManager->GetFactories());
        ASSERT_TRUE(S().textureManager->LoadTexture("white"));
    }
    // A live object with exactly these components.
    GameObject* Make(std::initializer_list<Components> types)
    {
        GameObject* o = S().objectManager->CreateInstance(SPRITE, glm::vec3(0.0f));
        if (!o) return nullptr;
        o->RemoveComponent(CT_GUI);
        for (Components t : types) EXPECT_NE(o->AddComponentHelper(t), nullptr);
        return o;
    }
    void Open(GameObject* o) { AntTweakBar::CreateObjectBar(&State(), o); }
    // The panel's items without groups; "|" for a separator.
    static std::vector<std::string> Layout()
    {
        std::vector<std::string> out;
        if (TweakBar::Bar* bar = BarNamed(BAR))
            for (const TweakBar::Node& n : bar->nodes)
                if (n.kind != TweakBar::NodeKind::Group)
                    out.push_back(n.kind == TweakBar::NodeKind::Separator ? "|" : n.name);
        return out;
    }
    static int TexturePosition(const std::string& id)
    {
        const std::vector<std::string>& list = AntTweakBar::TextureNames();
        auto it = std::find(list.begin(), list.end(), id);
        return it == list.end() ? -1 : static_cast<int>(it - list.begin());
    }
};

TEST_F(ObjectPanelTest, BlocksInComponentOrderEachFollowedByItsEditorFields)
{
    GameObject* o = Make({CT_PHYSICS, CT_GRAPHICS});
    ASSERT_NE(o, nullptr);
    auto* g = static_cast<GraphicsComponent*>(o->GetComponent(CT_GRAPHICS));
    auto* p = static_cast<PhysicsComponent*>(o->GetComponent(CT_PHYSICS));
    g->AddEditorVar(&g->m_boundingRadius, "m_Radius", "float", EDITORVAR_DIRECT, true);
    p->AddEditorVar(&p->motion, "m_Motion", "float", EDITORVAR_DIRECT, false);
    Open(o);
    const std::vector<std::string> expected = {
        "OID", "LevelID", "LayerID", "Type", "DrawFlag", "DeleteObject", "Scale", "Rotate", "Position",
        "|", "MeshID", "TextureID", "Opacity", "BSphere", "m_Radius",
        "|", "PhyFlagActive", "PhyFlagIsAwake", "PhyFlagCanSleep", "Mass", "InvMass", "Veloc", "Accel",
        "AccumulatedForce", "Motion", "m_Motion"};
    EXPECT_EQ(Layout(), expected);
    EXPECT_EQ(Item(BAR, "m_Radius")->group, "CT_GRAPHICS");
    EXPECT_EQ(Item(BAR, "Motion")->group, "Physics Component");
    EXPECT_FALSE(Write(BAR, "m_Motion", 2.0f));  // read-only field
    EXPECT_EQ(BarNamed(BAR)->layout.x, WIDTH - 296);

    // Graphics and GUI together: both texture ids and both opacities, each
    // bound to its own component.
    GameObject* both = Make({CT_GRAPHICS, CT_GUI});
    ASSERT_NE(both, nullptr);
    static_cast<GraphicsComponent*>(both->GetComponent(CT_GRAPHICS))->SetOwnTextureName("white");
    auto* gui = static_cast<GUIComponent*>(both->GetComponent(CT_GUI));
    gui->SetOwnTextureName("filenotfound");
    Open(both);
    int textures = 0, opacities = 0;
    for (const TweakBar::Node& n : BarNamed(BAR)->nodes) {
        textures += n.Shown() == "TextureID";
        opacities += n.Shown() == "Opacity";
    }
    EXPECT_EQ(textures, 2);
    EXPECT_EQ(opacities, 2);
    EXPECT_EQ(Read<int>(BAR, "TextureID"), TexturePosition("white"));
    EXPECT_EQ(Read<int>(BAR, "GUITextureID"), TexturePosition("filenotfound"));
    EXPECT_TRUE(Write(BAR, "GUIOpacity", 0.25f));
    EXPECT_FLOAT_EQ(gui->m_opacity, 0.25f);
    EXPECT_EQ(Page().find("Unidentified component"), std::string::npos);
}

TEST_F(ObjectPanelTest, UILogicBlockEditsTheElement)
{
    GameObject* o = Make({CT_GUI, CT_UILOGIC});
    ASSERT_NE(o, nullptr);
    auto* ui = static_cast<UILogicComponent*>(o->GetComponent(CT_UILOGIC));
    ui->m_UIName = "btnStart";
    ui->m_SelectState = UI_STATE_HOLDING;
    Open(o);
    const std::vector<std::string> expected = {
        "OID", "LevelID", "LayerID", "Type", "DrawFlag", "DeleteObject", "Scale", "Rotate", "Position",
        "|", "GUITextureID", "GUIOpacity",
        "|", "UIName", "UILEFTCLICKSTATE", "UIRIGHTCLICKSTATE", "UISELECTSTATE", "UIHOVERSTATE", "|",
        "UIISBUTTON", "UITEXTUREDEFAULT", "UITEXTUREHOVER", "UITEXTURECLICKED"};
    EXPECT_EQ(Layout(), expected);
    EXPECT_EQ(Page().find("Unidentified component"), std::string::npos);

    TweakBar::LibraryModel()->Refresh();
    EXPECT_EQ(Item(BAR, "UIName")->cache.text, "btnStart");
    EXPECT_TRUE(WriteText(BAR, "UIName", "btnBack"));
    EXPECT_EQ(ui->m_UIName, "btnBack");
    EXPECT_EQ(Read<int>(BAR, "UISELECTSTATE"), UI_STATE_HOLDING);
    EXPECT_FALSE(Write(BAR, "UISELECTSTATE", 0));  // states are shown, never set
    EXPECT_TRUE(Write(BAR, "UIISBUTTON", 1u));
    EXPECT_EQ(ui->m_IsButton, 1);
    EXPECT_TRUE(Write(BAR, "UITEXTUREHOVER", TexturePosition("white")));
    EXPECT_EQ(ui->m_TextureHover, "white");
}

TEST_F(ObjectPanelTest, MassRotationOpacityAndResourceIds)
{
    GameObject* o = Make({CT_GRAPHICS, CT_PHYSICS});
    ASSERT_NE(o, nullptr);
    auto* g = static_cast<GraphicsComponent*>(o->GetComponent(CT_GRAPHICS));
    auto* p = static_cast<PhysicsComponent*>(o->GetComponent(CT_PHYSICS));
    Open(o);

    // Below the smallest mass the body becomes immovable and shows 0.
    EXPECT_TRUE(Write(BAR, "Mass", 0.0005f));
    EXPECT_EQ(p->inverseMass, 0.0f);
    EXPECT_EQ(Read<float>(BAR, "Mass"), 0.0f);
    EXPECT_TRUE(Write(BAR, "Mass", 4.0f));
    EXPECT_FLOAT_EQ(p->inverseMass, 0.25f);
    EXPECT_FLOAT_EQ(Read<float>(BAR, "Mass"), 4.0f);
    EXPECT_TRUE(Write(BAR, "Mass", -3.0f));
    EXPECT_EQ(p->inverseMass, 0.0f);

    // A quarter turn about y reads back as one; the world matrix is stale.
    o->flags |= OBJ_WORLD_VALID;
    EXPECT_TRUE(Write(BAR, "Rotate", F3{0.0f, 90.0f, 0.0f}));
    EXPECT_EQ(o->flags & OBJ_WORLD_VALID, 0u);
    F3 r = Read<F3>(BAR, "Rotate");
    EXPECT_NEAR(r.x, 0.0f, 0.05f);
    EXPECT_NEAR(r.y, 90.0f, 0.05f);
    EXPECT_NEAR(r.z, 0.0f, 0.05f);
    EXPECT_TRUE(Write(BAR, "Rotate", F3{30.0f, 0.0f, 0.0f}));
    r = Read<F3>(BAR, "Rotate");
    EXPECT_NEAR(r.x, 30.0f, 0.001f);
    EXPECT_NEAR(r.y, 0.0f, 0.001f);

    EXPECT_TRUE(Write(BAR, "Opacity", 1.7f));
    EXPECT_EQ(g->GetOpacity(), 1.0f);
    EXPECT_TRUE(Write(BAR, "DrawFlag", false));
    EXPECT_NE(o->flags & OBJ_SKIP_DRAW, 0u);
    EXPECT_TRUE(Write(BAR, "BSphere", F4{0.5f, 1.0f, 2.0f, 3.0f}));
    EXPECT_EQ(g->m_sphereMatrix * glm::vec4(0.5f, 0.0f, 0.0f, 1.0f), glm::vec4(1.5f, 2.0f, 3.0f, 1.0f));

    // Textures are the loaded ones in key order, not the catalogue's.
    const std::vector<std::string>& list = AntTweakBar::TextureNames();
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end()));
    EXPECT_EQ(list.size(), S().textureManager->GetTextures().size());
    const int white = TexturePosition("white");
    g->SetOwnTextureName("white");
    EXPECT_EQ(Read<int>(BAR, "TextureID"), white);
    // An id missing from the list leaves the shown value; a position outside
    // the list (the library passes enumeration values on unchecked) changes nothing.
    g->SetOwnTextureName("not-loaded");
    EXPECT_EQ(Read<int>(BAR, "TextureID"), white);
    EXPECT_TRUE(Write(BAR, "TextureID", static_cast<int>(list.size())));
    EXPECT_TRUE(Write(BAR, "TextureID", -1));
    EXPECT_EQ(g->m_textureId, "not-loaded");
    EXPECT_TRUE(Write(BAR, "TextureID", white));
    EXPECT_EQ(g->GetOwnTextureName() + g->m_textureId, "whitewhite");
}

TEST_F(ObjectPanelTest, EditorFieldsOfAComponentWithoutABlock)
{
    GameObject* o = Make({CT_GRAPHICS, CT_BLACKHOLE});
    ASSERT_NE(o, nullptr);
    auto* f = static_cast<FieldsComponent*>(o->GetComponent(CT_BLACKHOLE));
    testing::internal::CaptureStdout();
    Open(o);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(Page().find("ATB: Unidentified component detected. Please identify and add it to the editor."),
              std::string::npos);

    // A long is 64 bits: -5 stays -5.
    EXPECT_TRUE(Write(BAR, "m_Count", std::int64_t{-5}));
    EXPECT_EQ(f->m_count, -5);
    EXPECT_EQ(Read<std::int64_t>(BAR, "m_Count"), -5);
    EXPECT_EQ(Item(BAR, "m_Count")->group, "CT_BLACKHOLE");

    // Texture fields choose from the texture list; read-only without a setter.
    EXPECT_EQ(Read<int>(BAR, "m_Skin"), TexturePosition("white"));
    EXPECT_TRUE(Write(BAR, "m_Skin", TexturePosition("filenotfound")));
    EXPECT_EQ(f->m_skin, "filenotfound");
    EXPECT_FALSE(Write(BAR, "m_Badge", 0));
    // Left out: a texture field that is not a string, an unknown type, another kind.
    EXPECT_EQ(Item(BAR, "m_NotAString"), nullptr);
    EXPECT_EQ(Item(BAR, "m_Mystery"), nullptr);
    EXPECT_EQ(Item(BAR, "m_OtherKind"), nullptr);

    // Names already in the panel get names of their own, labelled as the field.
    EXPECT_EQ(Item(BAR, "Opacity")->group, "Graphics Component");
    ASSERT_NE(Item(BAR, "CT_BLACKHOLE.Opacity"), nullptr);
    ASSERT_NE(Item(BAR, "CT_BLACKHOLE.Opacity 2"), nullptr);
    EXPECT_EQ(Item(BAR, "CT_BLACKHOLE.Opacity 2")->Shown(), "Opacity");
    EXPECT_TRUE(Write(BAR, "CT_BLACKHOLE.Opacity", 0.75f));
    EXPECT_FLOAT_EQ(f->m_ratio, 0.75f);
    EXPECT_EQ(Page().find("already has an item"), std::string::npos);
}

TEST_F(ObjectPanelTest, PanelLifeAcrossPicksDeathAndTheDeleteButton)
{
    GameObject* a = Make({CT_GRAPHICS});
    GameObject* b = Make({CT_COLLISION});
    ASSERT_NE(b, nullptr);
    TweakBarState& state = State();

    Open(a);
    TwBar* first = state.objectBar;
    ASSERT_NE(first, nullptr);
    Open(a);  // the same object: the panel stays as it is
    EXPECT_EQ(state.objectBar, first);
    Open(b);  // another: a new panel showing it
    EXPECT_NE(state.objectBar, first);
    EXPECT_EQ(Read<std::uint32_t>(BAR, "OID"), static_cast<std::uint32_t>(b->id));
    Open(nullptr);  // nothing picked: no panel, no selection left registered
    EXPECT_EQ(BarNamed(BAR), nullptr);
    EXPECT_EQ(state.objectBar, nullptr);
    for (const auto& entry : S().objectManager->GetLiveObjects())
        EXPECT_EQ(std::count(entry.second.handles.begin(), entry.second.handles.end(), &state.selectedObject), 0);

    // The shown object dies: the next toggle removes its panel; dead objects open nothing.
    Open(a);
    a->flags |= OBJ_DESTROY;
    S().objectManager->Update();
    AntTweakBar::ToggleHelpBar(&state);
    EXPECT_EQ(BarNamed(BAR), nullptr);
    Open(a);
    EXPECT_EQ(state.objectBar, nullptr);

    // The delete button marks the object; the panel goes at the next check.
    Open(b);
    ASSERT_TRUE(Press(BAR, "DeleteObject"));
    EXPECT_NE(b->flags & OBJ_DESTROY, 0u);
    EXPECT_TRUE(state.deleteRequested);
    EXPECT_NE(BarNamed(BAR), nullptr);
    AntTweakBar::DeletePendingObjectBar(&state);
    EXPECT_EQ(BarNamed(BAR), nullptr);

    // A request whose panel went another way (a state's Free) does not take
    // the next object's panel.
    b->flags &= ~OBJ_DESTROY;
    Open(b);
    ASSERT_TRUE(Press(BAR, "DeleteObject"));
    AntTweakBar::DeleteObjectBar(&state);
    b->flags &= ~OBJ_DESTROY;
    Open(b);
    AntTweakBar::ToggleHelpBar(&state);
    EXPECT_NE(state.objectBar, nullptr);
    AntTweakBar::CreateObjectBar(nullptr, b);
    AntTweakBar::DeleteObjectBar(nullptr);
    EXPECT_EQ(Page().find("Unknown or deleted bar"), std::string::npos);
}

} // namespace
