// The "GameObject" panel without drawing: what it holds for an object, the
// values its variables read and write, its life across picks, deaths and the
// delete button, and the editor fields of components.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/TextComponent.h"
#include "engine/objects/Component.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/PhysicsComponent.h"
#include "tools/PanelTestKit.h"

using namespace QRX;
using namespace QRX::PanelKit;

namespace {

const char* const BAR = "GameObject";

// A component whose fields are all for the editor; registered as CT_EXIT,
// which has no block of its own in the panel.
class FieldsComponent : public Component
{
public:
    FieldsComponent() : Component(CT_EXIT)
    {
        AddEditorVar(&m_count, "m_Count", "long", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_id, "m_Id", "int", EDITORVAR_DIRECT, false);
        AddEditorVar(&m_offset, "m_Offset", "Vec3", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_skin, "m_Skin", "std::string", EDITORVAR_STRING, true);
        AddEditorVar(&m_badge, "m_Badge", "std::string", EDITORVAR_STRING, false);
        AddEditorVar(&m_name, "m_Name", "std::string", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_id, "m_NotAString", "int", EDITORVAR_STRING, true);
        AddEditorVar(&m_ratio, "m_Mystery", "Matrix", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_ratio, "m_OtherKind", "float", 1, true);
        AddEditorVar(&m_ratio, "Opacity", "float", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_ratio, "Opacity", "float", EDITORVAR_DIRECT, true);
        AddEditorVar(&m_target, "m_Target", "Components", EDITORVAR_DIRECT, true);
    }
    void Read(const tinyxml2::XMLElement*) override {}
    void Write(const Component*) override {}
    bool IsEqual(const Component*) const override { return true; }
    void CopyFrom(const Component*) override {}

    long m_count = 7;
    int m_id = 3;
    Vec3 m_offset{1.0f, 2.0f, 3.0f};
    std::string m_skin = "white";
    std::string m_badge = "nowhere";
    std::string m_name = "exit";
    float m_ratio = 0.5f;
    Components m_target = CT_DOOR;
};

class ObjectPanelTest : public PanelTest
{
protected:
    void SetUp() override
    {
        PanelTest::SetUp();
        FactoryRegister<Component>(new Factory<Component, FieldsComponent>(CT_EXIT), S().objectManager->GetFactories());
        ASSERT_TRUE(S().textureManager->LoadTexture("white"));
    }

    // A live object with exactly these components.
    GameObject* Make(std::initializer_list<Components> types, glm::vec3 position = glm::vec3(0.0f))
    {
        GameObject* o = S().objectManager->CreateInstance(SPRITE, position);
        EXPECT_NE(o, nullptr);
        if (!o) return nullptr;
        o->RemoveComponent(CT_GUI);
        for (Components t : types) EXPECT_NE(o->AddComponentHelper(t), nullptr);
        return o;
    }
    void Open(GameObject* o) { AntTweakBar::CreateObjectBar(&State(), o); }

    // The panel's items (groups left out), as "name" or "|" for a separator.
    static std::vector<std::string> Layout()
    {
        std::vector<std::string> out;
        TweakBar::Bar* bar = BarNamed(BAR);
        if (!bar) return out;
        for (const TweakBar::Node& n : bar->nodes) {
            if (n.kind == TweakBar::NodeKind::Group) continue;
            out.push_back(n.kind == TweakBar::NodeKind::Separator ? "|" : n.name);
        }
        return out;
    }
    static std::string GroupOf(const std::string& name)
    {
        TweakBar::Node* n = Item(BAR, name);
        return n ? n->group : "<missing>";
    }
    static std::string LabelOf(const std::string& name)
    {
        TweakBar::Node* n = Item(BAR, name);
        return n ? n->Shown() : "<missing>";
    }
    static int Position(const std::vector<std::string>& list, const std::string& id)
    {
        auto it = std::find(list.begin(), list.end(), id);
        return it == list.end() ? -1 : static_cast<int>(it - list.begin());
    }
};

TEST_F(ObjectPanelTest, GraphicsThenPhysicsEachFollowedByItsEditorFields)
{
    GameObject* o = Make({CT_PHYSICS, CT_GRAPHICS});
    ASSERT_NE(o, nullptr);
    auto* g = static_cast<GraphicsComponent*>(o->GetComponent(CT_GRAPHICS));
    auto* p = static_cast<PhysicsComponent*>(o->GetComponent(CT_PHYSICS));
    g->AddEditorVar(&g->m_boundingRadius, "m_Radius", "float", EDITORVAR_DIRECT, true);
    p->AddEditorVar(&p->motion, "m_Motion", "float", EDITORVAR_DIRECT, false);
    Open(o);
    ASSERT_NE(State().objectBar, nullptr);
    ASSERT_NE(BarNamed(BAR), nullptr);

    const std::vector<std::string> expected = {
        "OID", "LevelID", "LayerID", "Type", "DrawFlag", "DeleteObject", "Scale", "Rotate", "Position",
        "|", "MeshID", "TextureID", "Opacity", "BSphere", "m_Radius",
        "|", "PhyFlagActive", "PhyFlagIsAwake", "PhyFlagCanSleep", "Mass", "InvMass", "Veloc", "Accel",
        "AccumulatedForce", "Motion", "m_Motion"};
    EXPECT_EQ(Layout(), expected);
    EXPECT_EQ(GroupOf("Scale"), "GameObject");
    EXPECT_EQ(GroupOf("OID"), "");
    EXPECT_EQ(GroupOf("MeshID"), "Graphics Component");
    EXPECT_EQ(GroupOf("m_Radius"), "CT_GRAPHICS");
    EXPECT_EQ(GroupOf("Motion"), "Physics Component");
    EXPECT_EQ(GroupOf("m_Motion"), "CT_PHYSICS");
    EXPECT_EQ(LabelOf("OID"), "ObjectID");
    EXPECT_EQ(LabelOf("DeleteObject"), "Delete Object");
    // A read-only editor field cannot be edited; a writable one edits the member.
    EXPECT_FALSE(Write(BAR, "m_Motion", 2.0f));
    EXPECT_TRUE(Write(BAR, "m_Radius", 2.5f));
    EXPECT_FLOAT_EQ(g->m_boundingRadius, 2.5f);
    // No component of another type: no warning.
    EXPECT_EQ(Page().find("Unidentified component"), std::string::npos);

    // Placed at the window's right edge.
    const TweakBar::BarLayout& layout = BarNamed(BAR)->layout;
    EXPECT_EQ(layout.x, WIDTH - 300);
    EXPECT_EQ(layout.y, 20);
    EXPECT_EQ(layout.width, 280);
    EXPECT_EQ(layout.height, 700);
    EXPECT_EQ(layout.valuesWidth, 150);
}

TEST_F(ObjectPanelTest, GraphicsAndGuiShowBothTextureIdsAndBothOpacities)
{
    GameObject* o = Make({CT_GRAPHICS, CT_GUI, CT_TEXT});
    ASSERT_NE(o, nullptr);
    auto* g = static_cast<GraphicsComponent*>(o->GetComponent(CT_GRAPHICS));
    auto* gui = static_cast<GUIComponent*>(o->GetComponent(CT_GUI));
    auto* text = static_cast<TextComponent*>(o->GetComponent(CT_TEXT));
    g->m_textureId = "white";
    gui->m_textureId = "filenotfound";
    Open(o);
    ASSERT_NE(BarNamed(BAR), nullptr);

    int textureLabels = 0, opacityLabels = 0;
    for (const TweakBar::Node& n : BarNamed(BAR)->nodes) {
        textureLabels += n.Shown() == "TextureID";
        opacityLabels += n.Shown() == "Opacity";
    }
    EXPECT_EQ(textureLabels, 2);
    EXPECT_EQ(opacityLabels, 2);
    EXPECT_EQ(GroupOf("GUITextureID"), "GUI Component");
    EXPECT_EQ(GroupOf("DrawText"), "Text Component");

    // Each reads and writes its own component.
    const std::vector<std::string>& textures = AntTweakBar::TextureNames();
    ASSERT_GE(Position(textures, "white"), 0);
    ASSERT_GE(Position(textures, "filenotfound"), 0);
    EXPECT_EQ(Read<int>(BAR, "TextureID"), Position(textures, "white"));
    EXPECT_EQ(Read<int>(BAR, "GUITextureID"), Position(textures, "filenotfound"));
    EXPECT_TRUE(Write(BAR, "GUITextureID", Position(textures, "white")));
    EXPECT_EQ(gui->m_textureId, "white");
    EXPECT_EQ(g->m_textureId, "white");
    EXPECT_TRUE(Write(BAR, "GUIOpacity", 0.25f));
    EXPECT_FLOAT_EQ(gui->m_opacity, 0.25f);
    EXPECT_FLOAT_EQ(g->GetOpacity(), 1.0f);

    // Text: string, position, colour.
    text->m_text = "hello";
    EXPECT_EQ(ReadText(BAR, "DrawText"), "hello");
    EXPECT_TRUE(WriteText(BAR, "DrawText", "bye"));
    EXPECT_EQ(text->m_text, "bye");
    EXPECT_TRUE(Write(BAR, "DrawTextPosition", F2{12.0f, -4.0f}));
    EXPECT_FLOAT_EQ(text->m_posX, 12.0f);
    EXPECT_FLOAT_EQ(text->m_posY, -4.0f);
    EXPECT_TRUE(Write(BAR, "TextColor", F4{0.1f, 0.2f, 0.3f, 0.4f}));
    EXPECT_FLOAT_EQ(text->m_color.w, 0.4f);
    EXPECT_TRUE(Write(BAR, "DrawTextBool", true));
    EXPECT_TRUE(text->m_drawMe);
}

TEST_F(ObjectPanelTest, PhysicsMassAndFlags)
{
    GameObject* o = Make({CT_PHYSICS});
    ASSERT_NE(o, nullptr);
    auto* p = static_cast<PhysicsComponent*>(o->GetComponent(CT_PHYSICS));
    p->inverseMass = 0.5f;
    p->flags = BODY_ENABLED | BODY_CAN_SLEEP;
    Open(o);

    EXPECT_FLOAT_EQ(Read<float>(BAR, "Mass"), 2.0f);
    EXPECT_TRUE(Read<bool>(BAR, "PhyFlagActive"));
    EXPECT_FALSE(Read<bool>(BAR, "PhyFlagIsAwake"));
    EXPECT_TRUE(Read<bool>(BAR, "PhyFlagCanSleep"));
    EXPECT_FALSE(Write(BAR, "InvMass", 3.0f));  // shown only

    // Below the smallest mass the body becomes immovable and shows 0.
    EXPECT_TRUE(Write(BAR, "Mass", 0.0005f));
    EXPECT_EQ(p->inverseMass, 0.0f);
    EXPECT_EQ(Read<float>(BAR, "Mass"), 0.0f);
    EXPECT_TRUE(Write(BAR, "Mass", 4.0f));
    EXPECT_FLOAT_EQ(p->inverseMass, 0.25f);
    EXPECT_FLOAT_EQ(Read<float>(BAR, "Mass"), 4.0f);
    EXPECT_FLOAT_EQ(Read<float>(BAR, "InvMass"), 0.25f);
    EXPECT_TRUE(Write(BAR, "Mass", -3.0f));
    EXPECT_EQ(p->inverseMass, 0.0f);
    // A tiny inverse mass shows as immovable rather than a huge mass.
    p->inverseMass = 0.00000001f;
    EXPECT_EQ(Read<float>(BAR, "Mass"), 0.0f);

    EXPECT_TRUE(Write(BAR, "Veloc", F3{1.0f, -2.0f, 3.0f}));
    EXPECT_EQ(p->velocity, glm::vec3(1.0f, -2.0f, 3.0f));
    p->forceAccum = glm::vec3(0.0f, -20.0f, 0.0f);
    EXPECT_FLOAT_EQ(Read<F3>(BAR, "AccumulatedForce").y, -20.0f);
}

TEST_F(ObjectPanelTest, TransformIdentityAndDrawFlag)
{
    GameObject* o = Make({CT_GRAPHICS}, glm::vec3(1.0f, 2.0f, 3.0f));
    ASSERT_NE(o, nullptr);
    Open(o);
    EXPECT_EQ(Read<std::uint32_t>(BAR, "OID"), static_cast<std::uint32_t>(o->id));
    EXPECT_EQ(Read<int>(BAR, "Type"), static_cast<int>(SPRITE));
    EXPECT_FALSE(Write(BAR, "OID", std::uint32_t{99}));

    // A quarter turn about y reads back as one, not as nearly one.
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
    EXPECT_NEAR(r.z, 0.0f, 0.001f);

    o->flags |= OBJ_WORLD_VALID;
    EXPECT_TRUE(Write(BAR, "Position", F3{4.0f, 5.0f, 6.0f}));
    EXPECT_EQ(o->position, glm::vec3(4.0f, 5.0f, 6.0f));
    EXPECT_EQ(o->flags & OBJ_WORLD_VALID, 0u);
    o->flags |= OBJ_WORLD_VALID;
    EXPECT_TRUE(Write(BAR, "Scale", F3{2.0f, 2.0f, 2.0f}));
    EXPECT_EQ(o->scale, glm::vec3(2.0f));
    EXPECT_EQ(o->flags & OBJ_WORLD_VALID, 0u);

    EXPECT_TRUE(Read<bool>(BAR, "DrawFlag"));
    EXPECT_TRUE(Write(BAR, "DrawFlag", false));
    EXPECT_NE(o->flags & OBJ_SKIP_DRAW, 0u);
    EXPECT_FALSE(Read<bool>(BAR, "DrawFlag"));
    EXPECT_TRUE(Write(BAR, "DrawFlag", true));
    EXPECT_EQ(o->flags & OBJ_SKIP_DRAW, 0u);

    EXPECT_TRUE(Write(BAR, "LayerID", std::uint32_t{2}));
    EXPECT_EQ(o->layer, 2);
    EXPECT_TRUE(Write(BAR, "LevelID", std::uint32_t{7}));
    EXPECT_EQ(o->stateId, 7);

    // Graphics: opacity clamped by the component, the sphere matrix rebuilt.
    auto* g = static_cast<GraphicsComponent*>(o->GetComponent(CT_GRAPHICS));
    EXPECT_TRUE(Write(BAR, "Opacity", 1.7f));
    EXPECT_EQ(g->GetOpacity(), 1.0f);
    EXPECT_TRUE(Write(BAR, "BSphere", F4{0.5f, 1.0f, 2.0f, 3.0f}));
    EXPECT_FLOAT_EQ(g->m_boundingRadius, 0.5f);
    EXPECT_EQ(g->m_boundingCentre, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(g->m_sphereMatrix * glm::vec4(0.5f, 0.0f, 0.0f, 1.0f), glm::vec4(1.5f, 2.0f, 3.0f, 1.0f));
}

TEST_F(ObjectPanelTest, ResourceIdsGoThroughTheLoadedList)
{
    GameObject* o = Make({CT_GRAPHICS});
    ASSERT_NE(o, nullptr);
    auto* g = static_cast<GraphicsComponent*>(o->GetComponent(CT_GRAPHICS));
    g->m_textureId = "white";
    Open(o);
    // The list is the loaded textures in key order, not the catalogue.
    const std::vector<std::string>& textures = AntTweakBar::TextureNames();
    EXPECT_TRUE(std::is_sorted(textures.begin(), textures.end()));
    EXPECT_EQ(textures.size(), S().textureManager->GetTextures().size());
    EXPECT_EQ(Position(textures, "bgmaincredits"), -1);
    const int white = Position(textures, "white");
    ASSERT_GE(white, 0);
    EXPECT_EQ(Read<int>(BAR, "TextureID"), white);

    // An id missing from the list leaves the shown value alone.
    g->m_textureId = "not-loaded";
    EXPECT_EQ(Read<int>(BAR, "TextureID"), white);
    // A position outside the list changes nothing (the library passes
    // enumeration values on unchecked).
    EXPECT_TRUE(Write(BAR, "TextureID", static_cast<int>(textures.size())));
    EXPECT_TRUE(Write(BAR, "TextureID", -1));
    EXPECT_EQ(g->m_textureId, "not-loaded");
    EXPECT_TRUE(Write(BAR, "TextureID", white));
    EXPECT_EQ(g->m_textureId, "white");
    // No mesh manager: an empty mesh list, and the mesh id stays.
    g->m_meshId = "cubey";
    EXPECT_TRUE(AntTweakBar::MeshNames().empty());
    EXPECT_TRUE(Write(BAR, "MeshID", 0));
    EXPECT_EQ(g->m_meshId, "cubey");
}

TEST_F(ObjectPanelTest, EditorFieldsOfAComponentWithoutABlock)
{
    GameObject* o = Make({CT_GRAPHICS, CT_EXIT});
    ASSERT_NE(o, nullptr);
    auto* f = static_cast<FieldsComponent*>(o->GetComponent(CT_EXIT));
    ASSERT_NE(f, nullptr);
    testing::internal::CaptureStdout();
    Open(o);
    testing::internal::GetCapturedStdout();
    EXPECT_NE(Page().find("ATB: Unidentified component detected. Please identify and add it to the editor."),
              std::string::npos);

    // A long is 64 bits: -5 stays -5.
    EXPECT_TRUE(Write(BAR, "m_Count", std::int64_t{-5}));
    EXPECT_EQ(f->m_count, -5);
    EXPECT_EQ(Read<std::int64_t>(BAR, "m_Count"), -5);
    f->m_count = 5000000000L;
    EXPECT_EQ(Read<std::int64_t>(BAR, "m_Count"), 5000000000LL);

    EXPECT_EQ(Read<std::int32_t>(BAR, "m_Id"), 3);
    EXPECT_FALSE(Write(BAR, "m_Id", std::int32_t{4}));
    EXPECT_TRUE(Write(BAR, "m_Offset", F3{-1.0f, 0.0f, 1.0f}));
    EXPECT_EQ(f->m_offset, glm::vec3(-1.0f, 0.0f, 1.0f));
    EXPECT_TRUE(WriteText(BAR, "m_Name", "door"));
    EXPECT_EQ(f->m_name, "door");
    EXPECT_TRUE(Write(BAR, "m_Target", static_cast<int>(CT_SWITCH)));
    EXPECT_EQ(f->m_target, CT_SWITCH);
    EXPECT_EQ(GroupOf("m_Count"), "CT_EXIT");

    // Texture fields choose from the texture list; read-only without a setter.
    const int white = Position(AntTweakBar::TextureNames(), "white");
    const int missing = Position(AntTweakBar::TextureNames(), "filenotfound");
    EXPECT_EQ(Read<int>(BAR, "m_Skin"), white);
    EXPECT_TRUE(Write(BAR, "m_Skin", missing));
    EXPECT_EQ(f->m_skin, "filenotfound");
    EXPECT_FALSE(Write(BAR, "m_Badge", white));
    EXPECT_EQ(f->m_badge, "nowhere");

    // Left out: a texture field that is not a string, an unknown type, another kind.
    EXPECT_EQ(Item(BAR, "m_NotAString"), nullptr);
    EXPECT_EQ(Item(BAR, "m_Mystery"), nullptr);
    EXPECT_EQ(Item(BAR, "m_OtherKind"), nullptr);

    // Names already in the panel get names of their own, the field's name as label.
    EXPECT_EQ(GroupOf("Opacity"), "Graphics Component");
    ASSERT_NE(Item(BAR, "CT_EXIT.Opacity"), nullptr);
    ASSERT_NE(Item(BAR, "CT_EXIT.Opacity 2"), nullptr);
    EXPECT_EQ(LabelOf("CT_EXIT.Opacity"), "Opacity");
    EXPECT_EQ(LabelOf("CT_EXIT.Opacity 2"), "Opacity");
    EXPECT_TRUE(Write(BAR, "CT_EXIT.Opacity", 0.75f));
    EXPECT_FLOAT_EQ(f->m_ratio, 0.75f);
    EXPECT_EQ(Page().find("already has an item"), std::string::npos);
}

TEST_F(ObjectPanelTest, PanelLifeAcrossPicksDeathAndTheDeleteButton)
{
    GameObject* a = Make({CT_GRAPHICS});
    GameObject* b = Make({CT_COLLISION});
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    TweakBarState& state = State();

    Open(a);
    TwBar* first = state.objectBar;
    ASSERT_NE(first, nullptr);
    const int firstOid = Item(BAR, "OID")->id;
    // The same object again: the same panel, not rebuilt.
    Open(a);
    EXPECT_EQ(state.objectBar, first);
    EXPECT_EQ(Item(BAR, "OID")->id, firstOid);
    // Another object: a new panel showing it.
    Open(b);
    ASSERT_NE(state.objectBar, nullptr);
    EXPECT_NE(state.objectBar, first);
    EXPECT_EQ(Read<std::uint32_t>(BAR, "OID"), static_cast<std::uint32_t>(b->id));
    EXPECT_TRUE(Write(BAR, "EtherealFlag", true));
    EXPECT_TRUE(static_cast<CollisionComponent*>(b->GetComponent(CT_COLLISION))->ethereal);
    // Nothing picked: no panel, no selection left registered.
    Open(nullptr);
    EXPECT_EQ(state.objectBar, nullptr);
    EXPECT_EQ(BarNamed(BAR), nullptr);
    EXPECT_FALSE(state.selectedObject.isValid);
    for (const auto& entry : S().objectManager->GetLiveObjects())
        EXPECT_EQ(std::count(entry.second.handles.begin(), entry.second.handles.end(), &state.selectedObject), 0);

    // The shown object dies: the next toggle removes its panel.
    Open(a);
    ASSERT_NE(state.objectBar, nullptr);
    a->flags |= OBJ_DESTROY;
    S().objectManager->Update();
    AntTweakBar::ToggleHelpBar(&state);
    EXPECT_EQ(state.objectBar, nullptr);
    EXPECT_EQ(BarNamed(BAR), nullptr);
    // A dead object opens nothing.
    Open(a);
    EXPECT_EQ(state.objectBar, nullptr);

    // The delete button marks the object and asks for the panel to go.
    Open(b);
    ASSERT_TRUE(Press(BAR, "DeleteObject"));
    EXPECT_NE(b->flags & OBJ_DESTROY, 0u);
    EXPECT_TRUE(state.deleteRequested);
    EXPECT_NE(BarNamed(BAR), nullptr);  // until the next check
    AntTweakBar::DeletePendingObjectBar(&state);
    EXPECT_EQ(BarNamed(BAR), nullptr);
    EXPECT_FALSE(state.deleteRequested);
}

TEST_F(ObjectPanelTest, DeleteRequestEndsWithThePanelItWasFor)
{
    GameObject* a = Make({CT_GRAPHICS});
    GameObject* b = Make({CT_GRAPHICS});
    ASSERT_NE(b, nullptr);
    TweakBarState& state = State();
    Open(a);
    ASSERT_TRUE(Press(BAR, "DeleteObject"));
    // The state ends before any check: its Free removes the panel.
    AntTweakBar::DeleteObjectBar(&state);
    // The next object's panel is not taken by the old request.
    Open(b);
    AntTweakBar::ToggleHelpBar(&state);
    EXPECT_NE(state.objectBar, nullptr);
    EXPECT_EQ(b->flags & OBJ_DESTROY, 0u);

    // Deleting without a panel, or without a state, is harmless.
    AntTweakBar::DeleteObjectBar(&state);
    AntTweakBar::DeleteObjectBar(&state);
    AntTweakBar::DeleteObjectBar(nullptr);
    AntTweakBar::CreateObjectBar(nullptr, b);
    EXPECT_EQ(Page().find("Unknown or deleted bar"), std::string::npos);
}

} // namespace
