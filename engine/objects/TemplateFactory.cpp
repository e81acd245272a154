#include "engine/objects/TemplateFactory.h"

#include "engine/core/System.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

namespace {

std::vector<ComponentRegistration>& Registrations()
{
    static std::vector<ComponentRegistration> registrations;
    return registrations;
}

} // namespace

void SetComponentRegistrations(std::vector<ComponentRegistration> registrations)
{
    Registrations() = std::move(registrations);
}

void RegisterComponentFactories()
{
    ObjectManager* manager = System::GetInstance()->objectManager;
    if (!manager) return;
    for (ComponentRegistration registration : Registrations())
        if (registration) registration(manager->GetFactories());
}

} // namespace QRX
