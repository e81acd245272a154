#include "engine/objects/TemplateFactory.h"

#include "engine/core/System.h"
#include "engine/objects/Component.h"
#include "engine/objects/ObjectManager.h"

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

void RegisterPrimitiveFactories() {}

} // namespace QRX
