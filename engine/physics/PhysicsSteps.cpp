#include "engine/physics/PhysicsSteps.h"

#include "engine/core/System.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"

namespace QRX {

PhysicsSteps MakePhysicsSteps()
{
    PhysicsSteps steps;
    steps.start.physicsManager = {"physics manager", [](System& s) { return CreateInto(s.physicsManager); },
                                  {"Physics manager initialized."}};
    steps.start.factories = {"factories",
                             [](System&) {
                                 RegisterForceGeneratorFactories();
                                 RegisterSteerGeneratorFactories();
                                 RegisterComponentFactories();
                                 RegisterPrimitiveFactories();
                                 return StepOutcome::Done;
                             },
                             {}};
    steps.stop.physicsManager = {"physics manager", [](System& s) { DestroySlot(s.physicsManager); }};
    return steps;
}

} // namespace QRX
