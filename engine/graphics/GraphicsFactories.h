// The graphics floor's components for the factory: CT_GRAPHICS, CT_GUI,
// CT_TEXT and CT_PARTICLEEMITTER.
#pragma once
#include "engine/objects/TemplateFactory.h"

namespace QRX {

void RegisterGraphicsComponents(FactoryMap<Component>& factories);

} // namespace QRX
