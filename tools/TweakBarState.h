// The state of the developer panels, one record owned by the System.
//
// It says whether the panels are shown (F1, see AntTweakBar::ToggleHelpBar),
// holds the five panels the tools make, the object shown in the "GameObject"
// panel and the ids of the custom tweak-bar types. A new record has the
// panels hidden, no panel, no selected object and every type undefined.
// Panel pointers are handles of the library: they are forgotten whenever the
// library is terminated or its bars deleted (AntTweakBar::Destroy, SetUp).
#pragma once
#include "engine/objects/GameObjectHandle.h"
#include "engine/platform/tweakbar/TweakBar.h"

namespace QRX {

// Positions of the custom types in TweakBarState::types.
enum TweakTypeId {
    TWEAK_POINT4 = 0,
    TWEAK_POINT3,
    TWEAK_POINT3POSITIVE,
    TWEAK_POINT2,
    TWEAK_POINT2POSITIVE,
    TWEAK_OBJECTTYPE,
    TWEAK_COMPONENTS,
    TWEAK_MESHTYPE,
    TWEAK_TEXTURETYPE,
    TWEAK_FONTTYPE,
    TWEAK_AISTATETYPE,
    TWEAK_SCBOUNDINGSPHERE,
    TWEAK_UI_LEFTCLICKSTATE,
    TWEAK_UI_RIGHTCLICKSTATE,
    TWEAK_UI_HOVERSTATE,
    TWEAK_UI_SELECTSTATE,
    TWEAK_LIGHTTYPE,
    TWEAK_WIREFRAMETYPE,
    TWEAK_TYPE_COUNT
};

struct TweakBarState
{
    // Set by the object panel's delete button; the next check deletes the panel.
    bool deleteRequested = false;
    // The panels and the help window are drawn and take the window's input.
    bool shown = false;
    TwBar* objectBar = nullptr;       // "GameObject", null when none
    TwBar* physicsBar = nullptr;      // "PhysicsManagerBar"
    TwBar* soundBar = nullptr;        // "SoundManagerBar"
    TwBar* levelEditorBar = nullptr;  // "LevelEditorBar"
    TwBar* graphicsBar = nullptr;     // "GraphicsManagerBar"
    // The object the "GameObject" panel shows.
    GameObjectHandle selectedObject;
    TwType types[TWEAK_TYPE_COUNT] = {};
};

} // namespace QRX
