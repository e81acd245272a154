// The graphics floor in the start-up and the shut-down: the model reader,
// the renderer with the shader manager, the font, mesh and texture managers,
// and the renderer's shadow map and frame buffers. Every step but the model
// reader's needs the OpenGL context. The program places the steps in the
// door's tables (EngineDoor::startSteps and stopSteps) in the order the game
// depends on.
#pragma once
#include "engine/core/EngineDoor.h"

namespace QRX {

struct GraphicsSteps
{
    struct Start
    {
        StartStep modelReader;      // its failure ends the start without a line
        StartStep renderer;         // with the shader manager: GL set-up and projection
        StartStep fontManager;      // FreeType and the catalogue's fonts
        StartStep meshManager;      // a missing "error" mesh is replaced by a built-in cube
        StartStep textureManager;   // the catalogue and the defaults, then the shader programs
        StartStep shadowMap;        // the shadow map, then the frame buffers
    } start;
    struct Stop
    {
        StopStep modelReader;
        StopStep fontManager;
        StopStep textureManager;
        StopStep meshManager;
        StopStep renderer;          // and the System's camera pointer
        StopStep shaderManager;     // every program, while the context exists
    } stop;
};

// The graphics floor's steps.
GraphicsSteps MakeGraphicsSteps();

} // namespace QRX
