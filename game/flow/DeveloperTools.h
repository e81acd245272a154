// The developer tools (the console and the tweak-bar panels) as the game's
// states use them. The tools stand above the game: the states reach them
// only through the engine's door (EngineDoor::DeveloperTools and
// panelsShown), which the program's start fills. An empty slot does nothing
// (or answers false).
#pragma once

namespace QRX {

// The door's tools as the states call them (each does nothing when unset): the
// console's Load, the "GameObject" panel closed, the help window hidden when
// a screen is left (and the panels marked hidden too when panelsToo).
void LoadDeveloperConsole();
void CloseObjectPanel();
void HideDeveloperHelp(bool panelsToo);

// Where a click of the developer's pick looks: the active objects with a
// graphics component, through the camera; or the user-interface sprites.
enum class PickTarget { WorldObjects, ScreenObjects };

// The states' per-frame developer step: the cursor shown or hidden for the
// state, the console's frame, the help key, then, while the panels are shown,
// a click of `button` (a key index) opens the object under the cursor in the
// object panel. True when the console had the keyboard as the frame began
// (so the Escape that closes it counts too): the state's own keys then wait.
bool RunDeveloperFrame(PickTarget target, int button);

} // namespace QRX
