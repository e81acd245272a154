// The program as a whole: what the game and the tools hand to the engine.
//
// The engine's floors reach the floors above them only through the engine's
// door (engine/core/EngineDoor.h); InstallProgramParts fills every slot of
// it, here and nowhere else: the start-up and shut-down steps (the engine's
// floors write their own, CoreSteps, PhysicsSteps and GraphicsSteps; the
// game's and the tools' are here; all in the order the game depends on), the
// frame's phases, the questions about the states, the display and picking
// callbacks, the overlays, the held resources, the shader rebuild, the log
// echo, the component registrations, and the developer tools and level
// editor that the game's states use. The game's main and every test program
// call it before anything else; calling it again installs the same again.
#pragma once

namespace QRX {

void InstallProgramParts();

} // namespace QRX
