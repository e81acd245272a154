// The core's own managers in the start-up and the shut-down.
//
// Each step makes or ends one manager of the core (or the pads with their
// layer) with its log lines, and copes with a manager that was never made.
// The program places them in the door's tables (EngineDoor::startSteps and
// stopSteps), among the other floors' steps, in the order the game depends
// on.
#pragma once
#include "engine/core/EngineDoor.h"

namespace QRX {

struct CoreSteps
{
    struct Start
    {
        StartStep logger;               // "Logging system initialized."
        StartStep fileManager;
        StartStep inputManager;         // keys up, no deltas, wheel or character
        StartStep pad0;
        StartStep pad1;
        StartStep audioManager;         // its failure stops the start
        StartStep window;               // the window and its OpenGL context; its failure stops the start
        StartStep inputInterpreter;     // an unreadable mappings file leaves the defaults
        StartStep objectManager;
        StartStep frameRateController;
        StartStep cursorCount;
    } start;
    struct Stop
    {
        StopStep frameRateController;
        StopStep objectManager;         // every object and master, then the held resources
        StopStep audioManager;          // all sound stops before the sound system goes
        StopStep inputManager;
        StopStep fileManager;
        StopStep cursorCount;
        StopStep pads;                  // both pads, then the pad layer
        StopStep inputInterpreter;
        StopStep window;                // the window and its OpenGL context
        StopStep logger;                // its last line
    } stop;
};

// The core's steps.
CoreSteps MakeCoreSteps();

} // namespace QRX
