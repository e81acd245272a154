// The program as a whole: what the game and the tools hand to the engine.
//
// The engine's floors reach the floors above them only through seams they
// declare themselves; InstallProgramParts fills every one of them: the
// engine singleton's start-up and shut-down steps (in the order the game
// depends on, the game's and the tools' managers among them) and its frame
// hooks, the component registrations, the log echo, the window's display
// seam, the picking seam, the renderer's overlays, the resources the objects
// hold, the tweak-bar library's failure report, the editor's state objects
// and the states' developer frame. The game's main and every test program
// call it before anything else; calling it again installs the same again.
#pragma once

namespace QRX {

void InstallProgramParts();

} // namespace QRX
