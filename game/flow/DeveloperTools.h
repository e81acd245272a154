// The developer tools (the console and the tweak-bar panels) as the game's
// states use them. The tools stand above the game: the states reach them
// only through these hooks, which the program's start sets. An empty hook
// does nothing (or answers false).
#pragma once
#include <functional>

namespace QRX {

struct DeveloperTools
{
    std::function<void()> loadConsole;        // from each state's Load: the console's display objects
    std::function<void()> updateConsole;      // once a frame: the console's keys and graph
    std::function<void()> toggleHelp;         // once a frame: F1 shows or hides the panels
    std::function<bool()> panelsShown;        // the panels are shown
    std::function<void()> closeObjectPanel;   // the "GameObject" panel goes (its object is leaving)
    std::function<void(bool panelsToo)> hideHelp;  // a screen is left: the help window hidden, and the panels too
};

// The hooks, one set for the whole run.
DeveloperTools& GetDeveloperTools();

// The hooks as the states call them (each does nothing when unset): the
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
