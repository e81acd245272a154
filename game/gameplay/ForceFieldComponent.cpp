#include "game/gameplay/ForceFieldComponent.h"

namespace QRX {

ForceFieldComponent::ForceFieldComponent() : Component(CT_FORCEFIELD) {}

} // namespace QRX
