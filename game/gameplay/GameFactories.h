// The game's components for the factory: every flow and gameplay component
// class, each under its component type.
#pragma once
#include "engine/objects/TemplateFactory.h"

namespace QRX {

void RegisterGameComponents(FactoryMap<Component>& factories);

} // namespace QRX
