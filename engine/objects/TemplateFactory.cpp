#include "engine/objects/TemplateFactory.h"

#include "engine/core/EngineDoor.h"
#include "engine/core/System.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

void RegisterComponentFactories()
{
    ObjectManager* manager = System::GetInstance()->objectManager;
    if (!manager) return;
    for (ComponentRegistration registration : Door().componentRegistrations)
        if (registration) registration(manager->GetFactories());
}

} // namespace QRX
