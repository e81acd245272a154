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
    FactoryMap<Component>& factories = manager->GetFactories();
    (void)factories;  // each component class registers here as it is added
}

void RegisterPrimitiveFactories() {}

} // namespace QRX
