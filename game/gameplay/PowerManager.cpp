#include "game/gameplay/PowerManager.h"

#include <algorithm>

#include "engine/core/InputInterpreter.h"
#include "engine/core/Logger.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "game/flow/UILogicComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/TeleportPowerComponent.h"

namespace QRX {

void PowerManager::AddUnlimitedPower(int power)
{
    if (!HasPower(power)) m_UnlimitedPowers.push_back(power);
}

void PowerManager::AddSingleInstancePower(int power)
{
    if (HasPower(power)) return;
    SingleInstancePower entry;
    entry.power = power;
    m_SingleInstancePowers.push_back(entry);
}

void PowerManager::SetSelectedPower(int power)
{
    if (!HasPower(power)) {
        QRX_LOG_WARNING("PowerManager: In SetSelectedPower, Power %d has not been added to the power manager",
                        power);
        return;
    }
    m_Selected = power;
}

void PowerManager::TogglePower(int power)
{
    if (m_Selected != NO_POWER && m_Selected == power) m_Selected = NO_POWER;
    else SetSelectedPower(power);
    PlayEffect(UI_CLICK_SOUND);
}

bool PowerManager::HasPower(int power) const
{
    if (std::find(m_UnlimitedPowers.begin(), m_UnlimitedPowers.end(), power) != m_UnlimitedPowers.end())
        return true;
    for (const SingleInstancePower& entry : m_SingleInstancePowers)
        if (entry.power == power) return true;
    return false;
}

bool PowerManager::HasAnyPower(const GameObject* crate) const
{
    if (!crate) return false;
    for (int power : m_UnlimitedPowers)
        if (crate->GetComponent(static_cast<Components>(power))) return true;
    for (const SingleInstancePower& entry : m_SingleInstancePowers)
        if (crate->GetComponent(static_cast<Components>(entry.power))) return true;
    return false;
}

PowerManager::SingleInstancePower* PowerManager::FindSingleInstance(int power)
{
    for (SingleInstancePower& entry : m_SingleInstancePowers)
        if (entry.power == power) return &entry;
    return nullptr;
}

GameObject* PowerManager::GetHolder(int power)
{
    SingleInstancePower* entry = FindSingleInstance(power);
    return entry && entry->holder.Refresh() ? entry->holder.object : nullptr;
}

void PowerManager::TakeFromHolder(SingleInstancePower& entry)
{
    // A holder that died is forgotten: its slot may hold another object now.
    if (!entry.holder.Refresh()) {
        entry.holder = nullptr;
        return;
    }
    GameObject* holder = entry.holder.object;
    const auto power = static_cast<Components>(entry.power);
    if (auto* teleport = dynamic_cast<TeleportPowerComponent*>(holder->GetComponent(power)))
        if (GraphicsComponent* graphics = GetGraphicsComponent(holder))
            graphics->SetTextureName(teleport->m_PlainTexture);
    holder->RemoveComponent(power);
    entry.holder = nullptr;
}

void PowerManager::ApplySelectedPower(GameObject* crate, GameObject* robot)
{
    if (!crate || m_Selected == NO_POWER || HasAnyPower(crate)) return;
    const auto power = static_cast<Components>(m_Selected);
    SingleInstancePower* single = FindSingleInstance(m_Selected);
    if (single) TakeFromHolder(*single);

    // Null (with the object's own assertion) when no class makes the power.
    Component* added = crate->AddComponent(power);
    if (!added) return;
    if (single) single->holder = crate;

    if (power != CT_TELEPORT) return;
    auto* teleport = dynamic_cast<TeleportPowerComponent*>(added);
    if (!teleport) return;
    const auto* placer = robot ? robot->GetComponent<const PlayerComponent>() : nullptr;
    const int keyOffset = placer ? placer->m_KeyOffset : 0;
    teleport->Place(robot, keyOffset + ACTION_ACTIVE_POWER);
}

} // namespace QRX
