#include "engine/graphics/GraphicsFactories.h"

#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/TextComponent.h"
#include "engine/objects/Component.h"

namespace QRX {

void RegisterGraphicsComponents(FactoryMap<Component>& factories)
{
    FactoryRegister<Component>(new Factory<Component, GraphicsComponent>(CT_GRAPHICS), factories);
    FactoryRegister<Component>(new Factory<Component, GUIComponent>(CT_GUI), factories);
    FactoryRegister<Component>(new Factory<Component, TextComponent>(CT_TEXT), factories);
    FactoryRegister<Component>(new Factory<Component, ParticleEmitter>(CT_PARTICLEEMITTER), factories);
}

} // namespace QRX
