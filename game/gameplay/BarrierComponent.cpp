#include "game/gameplay/BarrierComponent.h"

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/LevelManager.h"
#include "game/flow/Map.h"

namespace QRX {

BarrierComponent::BarrierComponent() : Component(CT_BARRIER) {}

void BarrierComponent::Free()
{
    if (!owner) return;
    System* system = System::PeekInstance();
    GameStateManager* states = system ? system->gameStateManager : nullptr;
    LevelManager* levels = states ? states->GetLevelManager() : nullptr;
    Map* map = levels ? levels->GetMap() : nullptr;
    if (!map) return;
    map->RemoveObjectValuesFromMap(owner->position, owner->scale, owner->rotation, BARRIER);
}

} // namespace QRX
