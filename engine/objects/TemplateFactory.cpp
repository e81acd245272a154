#include "engine/objects/TemplateFactory.h"

#include "engine/core/System.h"
#include "engine/objects/Component.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/Primitive.h"

namespace QRX {

// Generators and primitives go into the physics manager's maps; they are
// registered here as their classes are added.
void RegisterForceGeneratorFactories() {}

void RegisterSteerGeneratorFactories() {}

void RegisterComponentFactories()
{
    ObjectManager* manager = System::GetInstance()->objectManager;
    if (!manager) return;
    // One line per component class, in key order, as the classes are added:
    // FactoryRegister<Component>(new Factory<Component, XComponent>(CT_X), manager->GetFactories());
}

// The physics manager owns the primitive map; until it exists there is no
// map to fill.
void RegisterPrimitiveFactories() {}

void RegisterPrimitiveFactories(FactoryMap<Primitive>& factories)
{
    FactoryRegister<Primitive>(new Factory<Primitive, CollisionSphere>(PR_SPHERE), factories);
    FactoryRegister<Primitive>(new Factory<Primitive, CollisionBox>(PR_BOX), factories);
    FactoryRegister<Primitive>(new Factory<Primitive, CollisionPlane>(PR_PLANE), factories);
}

} // namespace QRX
