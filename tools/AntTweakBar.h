// The developer panels, built on the tweak-bar library
// (engine/platform/tweakbar).
//
// SetUp starts the library with the custom types and enumerations and builds
// the three engine panels: "GraphicsManagerBar" (renderer, camera, light,
// shadows, bloom), "SoundManagerBar" (effects mute, music volume) and
// "PhysicsManagerBar" (sleep time, wake interval). Every game state calls
// ToggleHelpBar once a frame: F1 shows and hides the panels. A pick with the
// panels shown opens the picked object in the "GameObject" panel
// (CreateObjectBar): identity, transform, fixed blocks for the graphics, GUI,
// physics, collision and text components, then every editor field of every
// component; its button "Delete Object" destroys the object.
//
// Rules:
// - Everything runs on the frame thread; the library runs the variable and
//   button callbacks from TwDraw, which the renderer calls only while the
//   panels are shown, after deleting a panel whose object died or was deleted.
// - Every function taking the state does nothing for a null state.
// - The engine panels reach the managers through the System at every call and
//   change nothing where a manager is missing.
// - Object-panel variables carry the shown object; a component variable looks
//   the component up at every call and does nothing when it is gone.
// - An enumerated resource id (mesh, texture, font) is shown as its position
//   in the id list of its manager; an id missing from the list leaves the
//   shown value alone, and a position outside the list changes nothing.
// - Terminating the library forgets every panel pointer and the selected
//   object, so no later call reaches a panel of the old library.
// - The library's start and stop failures are written to the log page only.
#pragma once
#include <string>
#include <vector>

#include <glm/vec2.hpp>

#include "engine/platform/tweakbar/TweakBar.h"

namespace QRX {

class GameObject;
struct TweakBarState;

namespace AntTweakBar {

constexpr const char* OBJECT_BAR = "GameObject";
constexpr const char* GRAPHICS_BAR = "GraphicsManagerBar";
constexpr const char* SOUND_BAR = "SoundManagerBar";
constexpr const char* PHYSICS_BAR = "PhysicsManagerBar";
constexpr const char* LEVEL_EDITOR_BAR = "LevelEditorBar";

// Where the panels open, in pixels from the window's top left: three columns
// that never meet in a window of 800 x 600 or more. Left, the graphics panel
// the window's height (folded in the level editor, with the editor's panel
// under its title); in the middle the physics panel over the sound panel;
// right, the help window (folded at first, its title alone) over the object
// panel. Each panel keeps inside the window.
constexpr int PANEL_MARGIN = 16;       // from the window's edges
constexpr int PANEL_GAP = 8;           // between two panels
constexpr int PANEL_WIDTH = 240;
constexpr int OBJECT_PANEL_WIDTH = 280;
constexpr int FOLDED_PANEL_HEIGHT = 24;  // room for a folded panel's title
constexpr int PHYSICS_PANEL_HEIGHT = 300;
constexpr int SOUND_PANEL_HEIGHT = 250;
constexpr int HELP_PANEL_HEIGHT = 300;
constexpr int OBJECT_PANEL_HEIGHT = 700;  // at most

// One panel's place and size.
struct PanelPlace
{
    int x, y, width, height;
    // The place as a define's " position='x y' size='w h'".
    std::string Define() const;
};
struct PanelPlaces
{
    PanelPlace graphics, physics, sound, help, levelEditor, object;
};
PanelPlaces PlacePanels(int width, int height);
// The places for the window's client size now (without one, for the
// interface's layout size).
PanelPlaces CurrentPanelPlaces();

// Mass shown for an inverse mass at or below this (an immovable body).
constexpr float MIN_INVERSE_MASS = 0.0000001f;
// A mass set at or below this makes the body immovable.
constexpr float MIN_MASS = 0.001f;

// Starts the library (a failure is reported and set-up goes on), gives it the
// window's size, defines the types and enumerations, deletes every bar and
// builds the graphics, sound and physics panels.
void SetUp(TweakBarState* state);
// Terminates the library (a failure is reported) and forgets every panel and
// the selected object. The state may be null.
void Destroy(TweakBarState* state);
// Once a frame: F1 going down shows or hides the panels and the help window
// (printing "ATB Enabled\n" or "ATB OFF\n"); then DeletePendingObjectBar.
void ToggleHelpBar(TweakBarState* state);
// Deletes the object panel when its delete button was pressed or its object
// is no longer in play; nothing without a panel.
void DeletePendingObjectBar(TweakBarState* state);
// Makes the level editor's panel "LevelEditorBar" (the editor fills it).
void LevelEditorBar(TweakBarState* state);
// Registers the string copy function, sets the global options and defines
// the six structures and the ObjectType, Components, LightType and
// WireFrameType enumerations; their ids go into the state.
void DefineTweakTypes(TweakBarState* state);
// Rebuilds the mesh, texture and font lists from the loaded resources (in
// key order) and defines MeshType, TextureType, FontType and the five
// enumerations made from strings.
void DefineTweakEnums(TweakBarState* state);
void GraphicsManagerBar(TweakBarState* state);
void SoundManagerBar(TweakBarState* state);
void PhysicsManagerBar(TweakBarState* state);
// A button callback that stores 1 in the int the client data points to
// (nothing for null).
void SetFlagButton(void* clientData);
// The tweak-bar type of an editor field's type name; TW_TYPE_UNDEF for a name
// without one (or a custom type not defined yet). A `long` is 64 bits here.
TwType AntTweakBarTypeOf(const TweakBarState* state, const std::string& typeName);

// Shows the object in the "GameObject" panel. The object already shown keeps
// its panel as it is; another object gets a new one; a null or dead object
// only removes the current panel.
void CreateObjectBar(TweakBarState* state, GameObject* object);
// Deletes the "GameObject" panel when there is one, forgets the selected
// object and clears the delete request.
void DeleteObjectBar(TweakBarState* state);

// The id lists behind MeshType, TextureType and FontType: a value is a
// position in its list.
const std::vector<std::string>& MeshNames();
const std::vector<std::string>& TextureNames();
const std::vector<std::string>& FontNames();

// The cursor at client pixel (x, y) in a width x height window, with the
// origin at the centre and y up (integer halves of the size).
glm::vec2 CursorFromCentre(int x, int y, int width, int height);
// The window's client size (the renderer's viewport without a window);
// false when neither exists.
bool ClientSize(int& width, int& height);

} // namespace AntTweakBar
} // namespace QRX
