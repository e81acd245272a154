// The "GameObject" panel: one picked object, its components' fixed blocks and
// editor fields, and its delete button.
#include <algorithm>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/Logger.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/TextComponent.h"
#include "engine/objects/Component.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/flow/UILogicComponent.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/StateCommon.h"
#include "tools/AntTweakBar.h"
#include "tools/LevelEditor.h"
#include "tools/TweakBarState.h"

namespace QRX {
namespace AntTweakBar {

namespace {

// Enumerations are read and written as ints by the library.
static_assert(sizeof(Components) == sizeof(int), "Components is bound as an enumeration");
static_assert(sizeof(ObjectType) == sizeof(int), "ObjectType is bound as an enumeration");

// The delete button's client data, rewritten whenever a panel is built.
struct DeleteButtonData
{
    GameObject* object = nullptr;
    TweakBarState* state = nullptr;
};
DeleteButtonData g_deleteButton;

GameObject* ObjectOf(void* clientData) { return static_cast<GameObject*>(clientData); }

// The object's component of the class, looked up now (it may have gone).
template <typename C>
C* ComponentOf(void* clientData)
{
    GameObject* object = ObjectOf(clientData);
    return object ? object->GetComponent<C>() : nullptr;
}

// A member shown as it is stored (the library's value has the member's bytes).
template <typename C, typename T, T C::*Member>
void GetMember(void* value, void* clientData)
{
    if (C* c = ComponentOf<C>(clientData)) std::memcpy(value, &(c->*Member), sizeof(T));
}

template <typename C, typename T, T C::*Member>
void SetMember(const void* value, void* clientData)
{
    if (C* c = ComponentOf<C>(clientData)) std::memcpy(static_cast<void*>(&(c->*Member)), value, sizeof(T));
}

// The position of an id in its list; the value is left alone when absent.
void GetListPosition(const std::vector<std::string>& list, const std::string& id, void* value)
{
    auto found = std::find(list.begin(), list.end(), id);
    if (found == list.end()) return;
    const int position = static_cast<int>(found - list.begin());
    std::memcpy(value, &position, sizeof position);
}

// The list entry at a position; a position outside the list changes nothing.
void SetFromList(const std::vector<std::string>& list, const void* value, std::string& id)
{
    int position = 0;
    std::memcpy(&position, value, sizeof position);
    if (position < 0 || static_cast<size_t>(position) >= list.size()) return;
    id = list[static_cast<size_t>(position)];
}

template <typename C, std::string C::*Member, const std::vector<std::string>& (*List)()>
void GetListed(void* value, void* clientData)
{
    if (C* c = ComponentOf<C>(clientData)) GetListPosition(List(), c->*Member, value);
}

template <typename C, std::string C::*Member, const std::vector<std::string>& (*List)()>
void SetListed(const void* value, void* clientData)
{
    if (C* c = ComponentOf<C>(clientData)) SetFromList(List(), value, c->*Member);
}

// A component's own texture (the one saved), chosen from the texture list.
template <typename C>
void GetOwnTexture(void* value, void* clientData)
{
    if (C* c = ComponentOf<C>(clientData)) GetListPosition(TextureNames(), c->GetOwnTextureName(), value);
}

template <typename C>
void SetOwnTexture(const void* value, void* clientData)
{
    C* c = ComponentOf<C>(clientData);
    if (!c) return;
    std::string id = c->GetOwnTextureName();
    SetFromList(TextureNames(), value, id);
    c->SetOwnTextureName(id);
}

// ---------------------------------------------------------------- the object

void GetId(void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData)) *static_cast<std::uint32_t*>(value) = static_cast<std::uint32_t>(o->id);
}

void GetStateId(void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData))
        *static_cast<std::uint32_t*>(value) = static_cast<std::uint32_t>(o->stateId);
}

void SetStateId(const void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData))
        o->stateId = static_cast<std::int32_t>(*static_cast<const std::uint32_t*>(value));
}

void GetLayer(void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData)) *static_cast<std::uint32_t*>(value) = static_cast<std::uint32_t>(o->layer);
}

void SetLayer(const void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData))
        o->layer = static_cast<std::int32_t>(*static_cast<const std::uint32_t*>(value));
}

void GetType(void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData)) *static_cast<int*>(value) = static_cast<int>(o->type);
}

void GetDrawFlag(void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData)) *static_cast<bool*>(value) = (o->flags & OBJ_SKIP_DRAW) == 0;
}

void SetDrawFlag(const void* value, void* clientData)
{
    GameObject* o = ObjectOf(clientData);
    if (!o) return;
    if (*static_cast<const bool*>(value)) o->flags &= ~OBJ_SKIP_DRAW;
    else o->flags |= OBJ_SKIP_DRAW;
}

void GetScale(void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData)) std::memcpy(value, &o->scale[0], sizeof(float) * 3);
}

void SetScale(const void* value, void* clientData)
{
    GameObject* o = ObjectOf(clientData);
    if (!o) return;
    std::memcpy(&o->scale[0], value, sizeof(float) * 3);
    o->flags &= ~OBJ_WORLD_VALID;
}

void GetRotation(void* value, void* clientData)
{
    GameObject* o = ObjectOf(clientData);
    if (!o) return;
    const glm::vec3 degrees = GameObject::QuatToEulerDegrees(o->rotation);
    std::memcpy(value, &degrees[0], sizeof(float) * 3);
}

void SetRotation(const void* value, void* clientData)
{
    GameObject* o = ObjectOf(clientData);
    if (!o) return;
    glm::vec3 degrees;
    std::memcpy(&degrees[0], value, sizeof(float) * 3);
    o->rotation = GameObject::EulerDegreesToQuat(degrees);
    o->flags &= ~OBJ_WORLD_VALID;
}

void GetPosition(void* value, void* clientData)
{
    if (GameObject* o = ObjectOf(clientData)) std::memcpy(value, &o->position[0], sizeof(float) * 3);
}

void SetPosition(const void* value, void* clientData)
{
    GameObject* o = ObjectOf(clientData);
    if (!o) return;
    std::memcpy(&o->position[0], value, sizeof(float) * 3);
    o->flags &= ~OBJ_WORLD_VALID;
}

void PressDelete(void* clientData)
{
    auto* data = static_cast<DeleteButtonData*>(clientData);
    if (!data || !data->state || !data->object || !(data->object->flags & OBJ_ALIVE)) return;
    data->object->flags |= OBJ_DESTROY;
    data->state->deleteRequested = true;
    // The editor forgets what it kept of the object (an enemy's markers).
    const int current = CurrentStateId();
    if (current == STATE_LEVELEDITOR || current == STATE_LEVELEDITORNEXT) {
        if (LevelEditor* editor = FindLevelEditor()) editor->UnlinkRemovedObject(data->object);
    }
}

// ---------------------------------------------------------------- graphics

void GetGraphicsOpacity(void* value, void* clientData)
{
    if (auto* g = ComponentOf<GraphicsComponent>(clientData)) *static_cast<float*>(value) = g->GetOwnOpacity();
}

void SetGraphicsOpacity(const void* value, void* clientData)
{
    if (auto* g = ComponentOf<GraphicsComponent>(clientData)) g->SetOwnOpacity(*static_cast<const float*>(value));
}

void GetBoundingSphere(void* value, void* clientData)
{
    auto* g = ComponentOf<GraphicsComponent>(clientData);
    if (!g) return;
    const float sphere[4] = {g->m_boundingRadius, g->m_boundingCentre.x, g->m_boundingCentre.y, g->m_boundingCentre.z};
    std::memcpy(value, sphere, sizeof sphere);
}

void SetBoundingSphere(const void* value, void* clientData)
{
    auto* g = ComponentOf<GraphicsComponent>(clientData);
    if (!g) return;
    float sphere[4];
    std::memcpy(sphere, value, sizeof sphere);
    g->m_boundingRadius = sphere[0];
    g->m_boundingCentre = glm::vec3(sphere[1], sphere[2], sphere[3]);
    g->m_sphereMatrix = glm::scale(glm::translate(glm::mat4(1.0f), g->m_boundingCentre),
                                   glm::vec3(2.0f * g->m_boundingRadius));
}

// ---------------------------------------------------------------- physics

template <std::uint32_t Bit>
void GetBodyFlag(void* value, void* clientData)
{
    if (auto* p = ComponentOf<PhysicsComponent>(clientData)) *static_cast<bool*>(value) = (p->flags & Bit) != 0;
}

void GetMass(void* value, void* clientData)
{
    auto* p = ComponentOf<PhysicsComponent>(clientData);
    if (!p) return;
    *static_cast<float*>(value) = p->inverseMass > MIN_INVERSE_MASS ? 1.0f / p->inverseMass : 0.0f;
}

void SetMass(const void* value, void* clientData)
{
    auto* p = ComponentOf<PhysicsComponent>(clientData);
    if (!p) return;
    const float mass = *static_cast<const float*>(value);
    p->inverseMass = mass > MIN_MASS ? 1.0f / mass : 0.0f;
}

// ---------------------------------------------------------------- text

void GetText(void* value, void* clientData)
{
    if (auto* t = ComponentOf<TextComponent>(clientData))
        TwCopyStdStringToLibrary(*static_cast<std::string*>(value), t->m_text);
}

void SetText(const void* value, void* clientData)
{
    if (auto* t = ComponentOf<TextComponent>(clientData)) t->m_text = *static_cast<const std::string*>(value);
}

// ---------------------------------------------------------------- UI logic

void GetUIName(void* value, void* clientData)
{
    if (auto* u = ComponentOf<UILogicComponent>(clientData))
        TwCopyStdStringToLibrary(*static_cast<std::string*>(value), u->m_UIName);
}

void SetUIName(const void* value, void* clientData)
{
    if (auto* u = ComponentOf<UILogicComponent>(clientData)) u->m_UIName = *static_cast<const std::string*>(value);
}

// The library shows IsButton as an unsigned value; the member is an int.
void GetUIIsButton(void* value, void* clientData)
{
    if (auto* u = ComponentOf<UILogicComponent>(clientData)) {
        const unsigned shown = static_cast<unsigned>(u->m_IsButton);
        std::memcpy(value, &shown, sizeof shown);
    }
}

void SetUIIsButton(const void* value, void* clientData)
{
    if (auto* u = ComponentOf<UILogicComponent>(clientData)) {
        unsigned given = 0;
        std::memcpy(&given, value, sizeof given);
        u->m_IsButton = static_cast<int>(given);
    }
}

void GetTextPosition(void* value, void* clientData)
{
    auto* t = ComponentOf<TextComponent>(clientData);
    if (!t) return;
    const float position[2] = {t->m_posX, t->m_posY};
    std::memcpy(value, position, sizeof position);
}

void SetTextPosition(const void* value, void* clientData)
{
    auto* t = ComponentOf<TextComponent>(clientData);
    if (!t) return;
    float position[2];
    std::memcpy(position, value, sizeof position);
    t->m_posX = position[0];
    t->m_posY = position[1];
}

// ---------------------------------------------------------------- editor fields

// Client data: the field's std::string member.
void GetTextureField(void* value, void* clientData)
{
    if (clientData) GetListPosition(TextureNames(), *static_cast<std::string*>(clientData), value);
}

void SetTextureField(const void* value, void* clientData)
{
    if (clientData) SetFromList(TextureNames(), value, *static_cast<std::string*>(clientData));
}

// A text in quotes that it does not contain (quotes it holds in every form
// are dropped).
std::string Quoted(std::string text)
{
    for (char quote : {'\'', '"', '`'})
        if (text.find(quote) == std::string::npos) return quote + text + quote;
    text.erase(std::remove(text.begin(), text.end(), '\''), text.end());
    return "'" + text + "'";
}

// Adds the panel's items and keeps their names (and the group names, which
// share the panel's names) unique.
class PanelBuilder
{
public:
    PanelBuilder(TwBar* bar, GameObject* object) : m_bar(bar), m_object(object) {}

    void UseGroup(const std::string& group) { m_used.insert(group); }

    void Callbacks(const char* name, TwType type, TwSetVarCallback set, TwGetVarCallback get, const char* def)
    {
        m_used.insert(name);
        TwAddVarCB(m_bar, name, type, set, get, m_object, def);
    }

    void Button(const char* name, TwButtonCallback callback, void* clientData, const char* def)
    {
        m_used.insert(name);
        TwAddButton(m_bar, name, callback, clientData, def);
    }

    void Separator() { TwAddSeparator(m_bar, nullptr, ""); }

    // A name for an editor field: its own when free, else qualified by its
    // group, else numbered.
    std::string UniqueName(const std::string& wanted, const std::string& group)
    {
        const std::string base = wanted.empty() ? "field" : wanted;
        std::string name = base;
        if (m_used.count(name)) name = group + "." + base;
        for (int n = 2; m_used.count(name); ++n) name = group + "." + base + " " + std::to_string(n);
        m_used.insert(name);
        return name;
    }

    void EditorFields(const TweakBarState* state, const Component& component)
    {
        const std::string group = ComponentsToString(component.type);
        UseGroup(group);
        for (const EditorVar* field : component.editorVars) {
            if (!field || !field->member) continue;
            const TwType type = AntTweakBarTypeOf(state, field->typeName);
            if (type == TW_TYPE_UNDEF) continue;
            if (field->kind != EDITORVAR_DIRECT && field->kind != EDITORVAR_STRING) continue;
            // A texture field is a string chosen from the texture list; any
            // other member read as a string would be misread.
            if (field->kind == EDITORVAR_STRING && type != TW_TYPE_STDSTRING) continue;
            const std::string name = UniqueName(field->name, group);
            std::string def = "group = '" + group + "'";
            if (name != field->name) def += " label=" + Quoted(field->name);
            if (field->kind == EDITORVAR_DIRECT) {
                if (field->editable) TwAddVarRW(m_bar, name.c_str(), type, field->member, def.c_str());
                else TwAddVarRO(m_bar, name.c_str(), type, field->member, def.c_str());
            } else {
                TwAddVarCB(m_bar, name.c_str(), state->types[TWEAK_TEXTURETYPE],
                           field->editable ? SetTextureField : nullptr, GetTextureField, field->member,
                           def.c_str());
            }
        }
    }

private:
    TwBar* m_bar;
    GameObject* m_object;
    std::set<std::string> m_used;
};

void AddObjectBlock(PanelBuilder& panel, const TweakBarState* state)
{
    const TwType* types = state->types;
    panel.UseGroup("GameObject");
    panel.Callbacks("OID", TW_TYPE_UINT32, nullptr, GetId, " label='ObjectID' help='Unique ID of a game object.' ");
    panel.Callbacks("LevelID", TW_TYPE_UINT32, SetStateId, GetStateId, " help='Level(?) of a game object.' ");
    panel.Callbacks("LayerID", TW_TYPE_UINT32, SetLayer, GetLayer, " help='Layer(?) of a game object.' ");
    panel.Callbacks("Type", types[TWEAK_OBJECTTYPE], nullptr, GetType,
                    " label='Type' help='Type of the game object.' ");
    panel.Callbacks("DrawFlag", TW_TYPE_BOOLCPP, SetDrawFlag, GetDrawFlag,
                    " label='Draw Flag' help='Toggles drawing for this object.' ");
}

void AddTransformBlock(PanelBuilder& panel, const TweakBarState* state)
{
    const TwType point3 = state->types[TWEAK_POINT3];
    panel.Callbacks("Scale", point3, SetScale, GetScale,
                    "group=GameObject label='Scale' help='Current object scale.' open");
    panel.Callbacks("Rotate", point3, SetRotation, GetRotation,
                    "group=GameObject label='Rotation' help='Current object rotation.' open");
    panel.Callbacks("Position", point3, SetPosition, GetPosition,
                    "group=GameObject label='Position' help='Current object position.' open");
}

void AddGraphicsBlock(PanelBuilder& panel, const TweakBarState* state)
{
    const TwType* types = state->types;
    panel.UseGroup("Graphics Component");
    panel.Callbacks("MeshID", types[TWEAK_MESHTYPE],
                    SetListed<GraphicsComponent, &GraphicsComponent::m_meshId, MeshNames>,
                    GetListed<GraphicsComponent, &GraphicsComponent::m_meshId, MeshNames>,
                    "group='Graphics Component' label='MeshID' help='Mesh ID of a game object.' ");
    panel.Callbacks("TextureID", types[TWEAK_TEXTURETYPE],
                    SetOwnTexture<GraphicsComponent>, GetOwnTexture<GraphicsComponent>,
                    "group='Graphics Component' label='TextureID' help='Texture ID of a game object.' ");
    panel.Callbacks("Opacity", TW_TYPE_FLOAT, SetGraphicsOpacity, GetGraphicsOpacity,
                    "group='Graphics Component' label='Opacity' help='Opacity of a game object.' min=0.0 max=1.0 "
                    "step=0.01 ");
    panel.Callbacks("BSphere", types[TWEAK_SCBOUNDINGSPHERE], SetBoundingSphere, GetBoundingSphere,
                    "group='Graphics Component' label='Bounding sphere' help='Information on bounding sphere in "
                    "model space.' open");
}

void AddGUIBlock(PanelBuilder& panel, const TweakBarState* state)
{
    // Named apart from the graphics block's variables: one panel holds both.
    panel.UseGroup("GUI Component");
    panel.Callbacks("GUITextureID", state->types[TWEAK_TEXTURETYPE],
                    SetOwnTexture<GUIComponent>, GetOwnTexture<GUIComponent>,
                    "group='GUI Component' label='TextureID' help='Texture ID of a game object.' ");
    panel.Callbacks("GUIOpacity", TW_TYPE_FLOAT, SetMember<GUIComponent, float, &GUIComponent::m_opacity>,
                    GetMember<GUIComponent, float, &GUIComponent::m_opacity>,
                    "group='GUI Component' label='Opacity' help='Opacity of a game object.' min=0.0 max=1.0 "
                    "step=0.01 ");
}

void AddPhysicsBlock(PanelBuilder& panel)
{
    using P = PhysicsComponent;
    panel.UseGroup("Physics Component");
    panel.Callbacks("PhyFlagActive", TW_TYPE_BOOLCPP, nullptr, GetBodyFlag<BODY_ENABLED>,
                    "group='Physics Component' label='Active Flag'");
    panel.Callbacks("PhyFlagIsAwake", TW_TYPE_BOOLCPP, nullptr, GetBodyFlag<BODY_AWAKE>,
                    "group='Physics Component' label='IsAwake Flag'");
    panel.Callbacks("PhyFlagCanSleep", TW_TYPE_BOOLCPP, nullptr, GetBodyFlag<BODY_CAN_SLEEP>,
                    "group='Physics Component' label='CanSleep Flag'");
    panel.Callbacks("Mass", TW_TYPE_FLOAT, SetMass, GetMass, "group='Physics Component' label='Mass'");
    panel.Callbacks("InvMass", TW_TYPE_FLOAT, nullptr, GetMember<P, float, &P::inverseMass>,
                    "group='Physics Component' label='InvMass'");
    panel.Callbacks("Veloc", TW_TYPE_DIR3F, SetMember<P, glm::vec3, &P::velocity>,
                    GetMember<P, glm::vec3, &P::velocity>,
                    "group='Physics Component' label='Velocity' help='Current velocity of a game object.' open");
    panel.Callbacks("Accel", TW_TYPE_DIR3F, SetMember<P, glm::vec3, &P::acceleration>,
                    GetMember<P, glm::vec3, &P::acceleration>,
                    "group='Physics Component' label='Acceleration' help='Current acceleration of a game object.' "
                    "open");
    panel.Callbacks("AccumulatedForce", TW_TYPE_DIR3F, nullptr, GetMember<P, glm::vec3, &P::forceAccum>,
                    "group='Physics Component' label='AccumulatedForce'");
    panel.Callbacks("Motion", TW_TYPE_FLOAT, nullptr, GetMember<P, float, &P::motion>,
                    "group='Physics Component' label='Motion'");
}

void AddCollisionBlock(PanelBuilder& panel)
{
    using C = CollisionComponent;
    panel.UseGroup("Collision Component");
    panel.Callbacks("ActiveFlag", TW_TYPE_BOOLCPP, SetMember<C, bool, &C::active>, GetMember<C, bool, &C::active>,
                    "group='Collision Component' label='Active Flag' help='True if collision is activated for the "
                    "object, else false.' ");
    panel.Callbacks("CollidedFlag", TW_TYPE_BOOLCPP, SetMember<C, bool, &C::collided>,
                    GetMember<C, bool, &C::collided>,
                    "group='Collision Component' label='Collided Flag' help='True if object is currently in "
                    "collision with other active objects.' false='All Clear!' true='Colliding'");
    panel.Callbacks("AutoResolveFlag", TW_TYPE_BOOLCPP, SetMember<C, bool, &C::autoResolve>,
                    GetMember<C, bool, &C::autoResolve>, "group='Collision Component' label='AutoResolve Flag'");
    panel.Callbacks("EtherealFlag", TW_TYPE_BOOLCPP, SetMember<C, bool, &C::ethereal>,
                    GetMember<C, bool, &C::ethereal>, "group='Collision Component' label='Ethereal Flag'");
    panel.Callbacks("DynamicFriction", TW_TYPE_FLOAT, SetMember<C, float, &C::dynamicFriction>,
                    GetMember<C, float, &C::dynamicFriction>,
                    "group='Collision Component' label='Dynamic Friction'");
    panel.Callbacks("StaticFriction", TW_TYPE_FLOAT, SetMember<C, float, &C::staticFriction>,
                    GetMember<C, float, &C::staticFriction>, "group='Collision Component' label='Static Friction'");
}

void AddUILogicBlock(PanelBuilder& panel, TwBar* bar, const TweakBarState* state)
{
    using U = UILogicComponent;
    const TwType* types = state->types;
    panel.UseGroup("UI Component");
    panel.Callbacks("UIName", TW_TYPE_STDSTRING, SetUIName, GetUIName,
                    "group='UI Component' label='Name' help='Unique name that identify a UI.' ");
    panel.Callbacks("UILEFTCLICKSTATE", types[TWEAK_UI_LEFTCLICKSTATE], nullptr,
                    GetMember<U, int, &U::m_LeftClickState>,
                    "group='UI Component' label='LeftClickState' help='Unique name that identify a UI.' ");
    panel.Callbacks("UIRIGHTCLICKSTATE", types[TWEAK_UI_RIGHTCLICKSTATE], nullptr,
                    GetMember<U, int, &U::m_RightClickState>,
                    "group='UI Component' label='RightClickState' help='Unique name that identify a UI.' ");
    panel.Callbacks("UISELECTSTATE", types[TWEAK_UI_SELECTSTATE], nullptr, GetMember<U, int, &U::m_SelectState>,
                    "group='UI Component' label='SelectState' help='Unique name that identify a UI.' ");
    panel.Callbacks("UIHOVERSTATE", types[TWEAK_UI_HOVERSTATE], nullptr, GetMember<U, int, &U::m_HoverState>,
                    "group='UI Component' label='HoverState' help='Unique name that identify a UI.' ");
    TwAddSeparator(bar, nullptr, " group='UI Component'");
    panel.Callbacks("UIISBUTTON", TW_TYPE_UINT32, SetUIIsButton, GetUIIsButton,
                    "group='UI Component' label='IsButton' help='Zero if it is not a button, else non-zero for "
                    "button' ");
    panel.Callbacks("UITEXTUREDEFAULT", types[TWEAK_TEXTURETYPE], SetListed<U, &U::m_TextureDefault, TextureNames>,
                    GetListed<U, &U::m_TextureDefault, TextureNames>,
                    "group='UI Component' label='TextureDefault' help='Texture name of button' ");
    panel.Callbacks("UITEXTUREHOVER", types[TWEAK_TEXTURETYPE], SetListed<U, &U::m_TextureHover, TextureNames>,
                    GetListed<U, &U::m_TextureHover, TextureNames>,
                    "group='UI Component' label='TextureHover' help='Texture name of button' ");
    panel.Callbacks("UITEXTURECLICKED", types[TWEAK_TEXTURETYPE], SetListed<U, &U::m_TextureClicked, TextureNames>,
                    GetListed<U, &U::m_TextureClicked, TextureNames>,
                    "group='UI Component' label='TextureClicked' help='Texture name of button' ");
}

void AddTextBlock(PanelBuilder& panel, const TweakBarState* state)
{
    using T = TextComponent;
    panel.UseGroup("Text Component");
    panel.Callbacks("DrawTextBool", TW_TYPE_BOOLCPP, SetMember<T, bool, &T::m_drawMe>, GetMember<T, bool, &T::m_drawMe>,
                    "group='Text Component' label='DrawText' help='Knob to draw the text or not' ");
    panel.Callbacks("DrawText", TW_TYPE_STDSTRING, SetText, GetText,
                    "group='Text Component' label='Text' help='Text to draw on screen' ");
    panel.Callbacks("DrawTextPosition", state->types[TWEAK_POINT2], SetTextPosition, GetTextPosition,
                    "group='Text Component' label='Position' help='Text position in world space' ");
    panel.Callbacks("TextColor", TW_TYPE_COLOR4F, SetMember<T, glm::vec4, &T::m_color>,
                    GetMember<T, glm::vec4, &T::m_color>,
                    "group='Text Component' label='Color' help='Text color' ");
    panel.Callbacks("TextFontID", state->types[TWEAK_FONTTYPE], SetListed<T, &T::m_fontId, FontNames>,
                    GetListed<T, &T::m_fontId, FontNames>, "group='Text Component' label='Font' help='Text font' ");
}

} // namespace

void CreateObjectBar(TweakBarState* state, GameObject* object)
{
    if (!state) return;
    {
        GameObjectHandle picked(object);
        if (state->objectBar && state->selectedObject.Refresh() && picked.isValid &&
            state->selectedObject.object == picked.object)
            return;  // already shown: values being edited stay as they are
    }
    DeleteObjectBar(state);
    state->selectedObject = object;
    if (!state->selectedObject.isValid) return;

    DefineTweakEnums(state);
    TwBar* bar = TwNewBar(OBJECT_BAR);
    state->objectBar = bar;
    if (!bar) return;
    const std::string def = std::string(OBJECT_BAR) + " color='128 224 160'" + " text=dark alpha=196" +
                            " refresh=0.01" + CurrentPanelPlaces().object.Define() + " valueswidth=150";
    TwDefine(def.c_str());

    PanelBuilder panel(bar, object);
    AddObjectBlock(panel, state);
    g_deleteButton = {object, state};
    panel.Button("DeleteObject", PressDelete, &g_deleteButton, "label='Delete Object'");
    AddTransformBlock(panel, state);

    for (const auto& entry : object->components) {
        const Component* component = entry.second;
        if (!component) continue;
        panel.Separator();
        switch (entry.first) {
        case CT_GRAPHICS:
            AddGraphicsBlock(panel, state);
            break;
        case CT_PHYSICS:
            AddPhysicsBlock(panel);
            break;
        case CT_COLLISION:
            AddCollisionBlock(panel);
            break;
        case CT_GUI:
            AddGUIBlock(panel, state);
            break;
        case CT_TEXT:
            AddTextBlock(panel, state);
            break;
        case CT_UILOGIC:
            AddUILogicBlock(panel, bar, state);
            break;
        default:
            QRX_LOG_WARNING("ATB: Unidentified component detected. Please identify and add it to the editor.");
            break;
        }
        panel.EditorFields(state, *component);
    }
}

void DeleteObjectBar(TweakBarState* state)
{
    if (!state) return;
    if (state->objectBar) {
        TwDeleteBar(state->objectBar);
        state->objectBar = nullptr;
    }
    state->selectedObject = nullptr;
    // The request was for the panel that has just gone.
    state->deleteRequested = false;
}

} // namespace AntTweakBar
} // namespace QRX
