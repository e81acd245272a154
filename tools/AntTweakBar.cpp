#include "tools/AntTweakBar.h"

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/TypeNames.h"
#include "tools/TweakBarState.h"

namespace QRX {
namespace AntTweakBar {

namespace {

std::vector<std::string> g_meshNames;
std::vector<std::string> g_textureNames;
std::vector<std::string> g_fontNames;

void CopyStringToClient(std::string& destinationClientString, const std::string& sourceLibraryString)
{
    destinationClientString = sourceLibraryString;
}

// The panels of a library that is gone (or whose bars were all deleted).
void ForgetBars(TweakBarState* state)
{
    if (!state) return;
    state->objectBar = nullptr;
    state->physicsBar = nullptr;
    state->soundBar = nullptr;
    state->levelEditorBar = nullptr;
    state->graphicsBar = nullptr;
    state->selectedObject = nullptr;
    state->deleteRequested = false;
}

TwType Struct(const char* name, const TwStructMember* members, unsigned count, std::size_t size)
{
    return TwDefineStruct(name, members, count, size, nullptr, nullptr);
}

// An enumeration of the values 0 to count - 1 labelled by a name table.
TwType NamedEnum(const char* name, int count, const std::string& (*label)(int))
{
    std::vector<TwEnumVal> values;
    for (int i = 0; i < count; ++i) values.push_back({i, label(i).c_str()});
    return TwDefineEnum(name, values.data(), static_cast<unsigned>(values.size()));
}

// An enumeration of a list of ids, valued by position.
TwType ListEnum(const char* name, const std::vector<std::string>& ids)
{
    std::vector<TwEnumVal> values;
    for (size_t i = 0; i < ids.size(); ++i) values.push_back({static_cast<int>(i), ids[i].c_str()});
    return TwDefineEnum(name, values.data(), static_cast<unsigned>(values.size()));
}

} // namespace

const std::vector<std::string>& MeshNames() { return g_meshNames; }
const std::vector<std::string>& TextureNames() { return g_textureNames; }
const std::vector<std::string>& FontNames() { return g_fontNames; }

bool ClientSize(int& width, int& height)
{
    System* system = System::PeekInstance();
    if (system && system->window) {
        width = system->window->GetWidth();
        height = system->window->GetHeight();
        return true;
    }
    if (system && system->renderer) {
        width = system->renderer->GetViewportWidth();
        height = system->renderer->GetViewportHeight();
        return true;
    }
    return false;
}

glm::vec2 CursorFromCentre(int x, int y, int width, int height)
{
    return glm::vec2(static_cast<float>(x - width / 2), static_cast<float>(height / 2 - y));
}

std::string PanelPlace::Define() const
{
    return " position='" + std::to_string(x) + " " + std::to_string(y) + "' size='" + std::to_string(width) + " " +
           std::to_string(height) + "'";
}

PanelPlaces PlacePanels(int width, int height)
{
    const int top = PANEL_MARGIN, belowTitle = top + FOLDED_PANEL_HEIGHT + PANEL_GAP;
    const int left = PANEL_MARGIN, middle = left + PANEL_WIDTH + PANEL_GAP;
    const int right = std::max(middle + PANEL_WIDTH + PANEL_GAP, width - PANEL_MARGIN - OBJECT_PANEL_WIDTH);
    const int soundTop = top + PHYSICS_PANEL_HEIGHT + PANEL_GAP;
    // From y down to the bottom margin, at most `most`; a title's room at least.
    const auto downFrom = [height](int y, int most) {
        return std::max(FOLDED_PANEL_HEIGHT, std::min(most, height - PANEL_MARGIN - y));
    };
    PanelPlaces places;
    places.graphics = {left, top, PANEL_WIDTH, downFrom(top, height)};
    places.levelEditor = {left, belowTitle, PANEL_WIDTH, downFrom(belowTitle, height)};
    places.physics = {middle, top, PANEL_WIDTH, downFrom(top, PHYSICS_PANEL_HEIGHT)};
    places.sound = {middle, soundTop, PANEL_WIDTH, downFrom(soundTop, SOUND_PANEL_HEIGHT)};
    places.help = {right, top, OBJECT_PANEL_WIDTH, downFrom(top, HELP_PANEL_HEIGHT)};
    places.object = {right, belowTitle, OBJECT_PANEL_WIDTH, downFrom(belowTitle, OBJECT_PANEL_HEIGHT)};
    return places;
}

PanelPlaces CurrentPanelPlaces()
{
    int width = 0, height = 0;
    // Without a size yet the panels are laid out for the interface's.
    if (!ClientSize(width, height))
        return PlacePanels(static_cast<int>(GUIComponent::LAYOUT_WIDTH), static_cast<int>(GUIComponent::LAYOUT_HEIGHT));
    return PlacePanels(width, height);
}

void SetUp(TweakBarState* state)
{
    if (!TwInit(TW_OPENGL_CORE, nullptr))
        LogPageReport(LOG_WARNING, "QRX::AntTweakBar::SetUp", "Callbacks", __LINE__, "ATB error: %s", TwGetLastError());
    // The renderer reported the size before the library started: without one
    // the library lays nothing out.
    int width = 0, height = 0;
    if (ClientSize(width, height)) TwWindowSize(width, height);
    if (!state) return;
    DefineTweakTypes(state);
    DefineTweakEnums(state);
    TwDeleteAllBars();
    ForgetBars(state);
    GraphicsManagerBar(state);
    SoundManagerBar(state);
    PhysicsManagerBar(state);
    // The help window opens folded, where no panel is; shown with the
    // panels, also when a display-mode change made them again.
    const std::string help = std::string(" TW_HELP") + CurrentPanelPlaces().help.Define() +
                             " iconified=true visible=" + (state->shown ? "true " : "false ");
    TwDefine(help.c_str());
}

void Destroy(TweakBarState* state)
{
    if (!TwTerminate())
        LogPageReport(LOG_WARNING, "QRX::AntTweakBar::Destroy", __FILE__, __LINE__,
                   "ATB termination failed: AntTweakBar has not been initialized properly before!");
    ForgetBars(state);
}

void ToggleHelpBar(TweakBarState* state)
{
    if (!state) return;
    if (InputManager::IsTriggered(KEY_F1)) {
        state->shown = !state->shown;
        if (state->shown) {
            TwDefine(" TW_HELP visible=true ");
            std::cout << "ATB Enabled\n";
        } else {
            TwDefine(" TW_HELP visible=false ");
            std::cout << "ATB OFF\n";
        }
    }
    DeletePendingObjectBar(state);
}

void DeletePendingObjectBar(TweakBarState* state)
{
    if (!state || !state->objectBar) return;
    if (state->deleteRequested || !state->selectedObject.Refresh()) DeleteObjectBar(state);
}

void LevelEditorBar(TweakBarState* state)
{
    if (!state) return;
    state->levelEditorBar = TwNewBar(LEVEL_EDITOR_BAR);
    const std::string def = std::string(LEVEL_EDITOR_BAR) + " label='Level Editor Bar'" + " color='0 0 200'" +
                            " text=light alpha=150" + " refresh=0.01" + CurrentPanelPlaces().levelEditor.Define() +
                            " valueswidth=120";
    if (state->levelEditorBar) TwDefine(def.c_str());
}

void DefineTweakTypes(TweakBarState* state)
{
    if (!state) return;
    TwCopyStdStringToClientFunc(CopyStringToClient);
    TwDefine(" GLOBAL contained=true overlap=true ");

    const TwStructMember point4[] = {{"X", TW_TYPE_FLOAT, 0, " Step=0.1 "},
                                     {"Y", TW_TYPE_FLOAT, 4, " Step=0.1 "},
                                     {"Z", TW_TYPE_FLOAT, 8, " Step=0.1 "},
                                     {"W", TW_TYPE_FLOAT, 12, " Step=0.1 "}};
    const TwStructMember point3[] = {{"X", TW_TYPE_FLOAT, 0, " Step=0.1 "},
                                     {"Y", TW_TYPE_FLOAT, 4, " Step=0.1 "},
                                     {"Z", TW_TYPE_FLOAT, 8, " Step=0.1 "}};
    const TwStructMember point3Positive[] = {{"Constant", TW_TYPE_FLOAT, 0, " Step=0.1 min=0.0"},
                                             {"Linear", TW_TYPE_FLOAT, 4, " Step=0.1 min=0.0"},
                                             {"Quadratic", TW_TYPE_FLOAT, 8, " Step=0.1 min=0.0"}};
    const TwStructMember point2[] = {{"X", TW_TYPE_FLOAT, 0, " Step=1.00 "}, {"Y", TW_TYPE_FLOAT, 4, " Step=1.00 "}};
    const TwStructMember point2Positive[] = {{"Near", TW_TYPE_FLOAT, 0, " Step=1.00 min=0.0"},
                                             {"Far", TW_TYPE_FLOAT, 4, " Step=1.00 min=0.0"}};
    const TwStructMember sphere[] = {{"Radius", TW_TYPE_FLOAT, 0, " Step=0.01 "},
                                     {"X", TW_TYPE_FLOAT, 4, " Step=0.01 "},
                                     {"Y", TW_TYPE_FLOAT, 8, " Step=0.01 "},
                                     {"Z", TW_TYPE_FLOAT, 12, " Step=0.01 "}};
    state->types[TWEAK_POINT4] = Struct("POINT4", point4, 4, 16);
    state->types[TWEAK_POINT3] = Struct("POINT3", point3, 3, 12);
    state->types[TWEAK_POINT3POSITIVE] = Struct("POINT3POSITIVE", point3Positive, 3, 12);
    state->types[TWEAK_POINT2] = Struct("POINT2", point2, 2, 8);
    state->types[TWEAK_POINT2POSITIVE] = Struct("POINT2POSITIVE", point2Positive, 2, 8);
    state->types[TWEAK_SCBOUNDINGSPHERE] = Struct("SCBOUNDINGSPHERE", sphere, 4, 16);

    state->types[TWEAK_OBJECTTYPE] = NamedEnum("ObjectType", OBJECT_TYPE_COUNT, ObjectTypeToString);
    state->types[TWEAK_COMPONENTS] = NamedEnum("Components", COMPONENT_TYPE_COUNT, ComponentsToString);
    const TwEnumVal lightTypes[] = {{0, "POINT"}, {1, "SPOT"}, {2, "DIRECTIONAL"}, {3, "OFF"}};
    state->types[TWEAK_LIGHTTYPE] = TwDefineEnum("LightType", lightTypes, 4);
    const TwEnumVal wireTypes[] = {{0, "None"}, {1, "Sphere"}, {2, "Box"}, {3, "Both"}};
    state->types[TWEAK_WIREFRAMETYPE] = TwDefineEnum("WireFrameType", wireTypes, 4);
}

void DefineTweakEnums(TweakBarState* state)
{
    if (!state) return;
    g_meshNames.clear();
    g_textureNames.clear();
    g_fontNames.clear();
    System* system = System::PeekInstance();
    if (system && system->meshManager)
        for (const auto& entry : system->meshManager->GetMeshes()) g_meshNames.push_back(entry.first);
    if (system && system->textureManager)
        for (const auto& entry : system->textureManager->GetTextures()) g_textureNames.push_back(entry.first);
    if (system && system->fontManager)
        for (const char* id : system->fontManager->GetFontNames()) g_fontNames.push_back(id);

    state->types[TWEAK_MESHTYPE] = ListEnum("MeshType", g_meshNames);
    state->types[TWEAK_TEXTURETYPE] = ListEnum("TextureType", g_textureNames);
    state->types[TWEAK_FONTTYPE] = ListEnum("FontType", g_fontNames);
    state->types[TWEAK_AISTATETYPE] = TwDefineEnumFromString("AIStateType", "START,UPDATE,EXIT,CHECKTRANSITION");
    state->types[TWEAK_UI_LEFTCLICKSTATE] =
        TwDefineEnumFromString("UI_LeftClickState", "INACTIVE,ONLEFTCLICK,LEFTCLICK,RELEASELEFTCLICK");
    state->types[TWEAK_UI_RIGHTCLICKSTATE] =
        TwDefineEnumFromString("UI_RightClickState", "INACTIVE,ONRIGHTCLICK,RIGHTCLICK,RELEASERIGHTCLICK");
    state->types[TWEAK_UI_HOVERSTATE] = TwDefineEnumFromString("UI_HoverState", "INACTIVE,ONHOVER,HOVER,EXITHOVER");
    state->types[TWEAK_UI_SELECTSTATE] =
        TwDefineEnumFromString("UI_SelectState", "INACTIVE,ONSELECT,SELECTED,EXITSELECT");
}

void SetFlagButton(void* clientData)
{
    if (clientData) *static_cast<int*>(clientData) = 1;
}

TwType AntTweakBarTypeOf(const TweakBarState* state, const std::string& typeName)
{
    if (typeName == "bool") return TW_TYPE_BOOLCPP;
    if (typeName == "char") return TW_TYPE_CHAR;
    if (typeName == "int") return TW_TYPE_INT32;
    // A long is 64 bits here; bound as 32 it would keep only half of a value.
    if (typeName == "long") return TW_TYPE_INT64;
    if (typeName == "unsigned") return TW_TYPE_UINT32;
    if (typeName == "float") return TW_TYPE_FLOAT;
    if (typeName == "double") return TW_TYPE_DOUBLE;
    if (typeName == "std::string") return TW_TYPE_STDSTRING;
    if (!state) return TW_TYPE_UNDEF;
    if (typeName == "Vec3") return state->types[TWEAK_POINT3];
    if (typeName == "Vec4") return state->types[TWEAK_POINT4];
    if (typeName == "Components") return state->types[TWEAK_COMPONENTS];
    if (typeName == "ObjectType") return state->types[TWEAK_OBJECTTYPE];
    return TW_TYPE_UNDEF;
}

} // namespace AntTweakBar
} // namespace QRX
