// The physics floor in the start-up and the shut-down: the physics manager,
// and the factory registrations, which fill its maps and the object
// manager's. The program places the steps in the door's tables
// (EngineDoor::startSteps and stopSteps) in the order the game depends on.
#pragma once
#include "engine/core/EngineDoor.h"

namespace QRX {

struct PhysicsSteps
{
    struct Start
    {
        StartStep physicsManager;  // before the object manager
        // After the object manager: force generators, steering generators,
        // components (the door's registrations), collision primitives.
        StartStep factories;
    } start;
    struct Stop
    {
        StopStep physicsManager;  // after the objects, which hand their generators back
    } stop;
};

// The physics floor's steps.
PhysicsSteps MakePhysicsSteps();

} // namespace QRX
