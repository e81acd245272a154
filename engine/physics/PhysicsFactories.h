// The physics floor's factories: force generators (FG_GRAVITY, FG_DRAG),
// steering generators (SG_SEEK, SG_ARRIVE) and collision primitives
// (PR_SPHERE, PR_BOX, PR_PLANE) into the physics manager's maps, and the
// physics and collision components into a component map. Keys already
// present are asserted and kept; a physics manager that does not exist gets
// nothing.
#pragma once
#include "engine/objects/TemplateFactory.h"

namespace QRX {

class Primitive;

void RegisterForceGeneratorFactories();
void RegisterSteerGeneratorFactories();
void RegisterPrimitiveFactories();

// Puts the three primitive factories into a primitive factory map;
// RegisterPrimitiveFactories gives it the physics manager's.
void RegisterPrimitiveFactories(FactoryMap<Primitive>& factories);

// CT_PHYSICS and CT_COLLISION.
void RegisterPhysicsComponents(FactoryMap<Component>& factories);

} // namespace QRX
