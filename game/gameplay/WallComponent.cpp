#include "game/gameplay/WallComponent.h"

namespace QRX {

WallComponent::WallComponent() : Component(CT_WALL)
{
    AddSerializeVar("", "IsApplyDownwardForce", &m_IsApplyDownwardForce);
    AddEditorVar(&m_IsApplyDownwardForce, "isApplyDownwardForce", "bool", EDITORVAR_DIRECT, true);
}

} // namespace QRX
