#include "game/gameplay/DoorComponent.h"

#include <algorithm>
#include <limits>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"

namespace QRX {

namespace {

SwitchComponent* SwitchOf(GameObjectHandle& handle)
{
    if (!handle.Refresh()) return nullptr;
    return handle.object->GetComponent<SwitchComponent>();
}

} // namespace

void DropCarriedCrate(GameObject* other)
{
    if (!other || other->type != CRATE) return;
    System* system = System::PeekInstance();
    GameObject* robot = system ? system->playerOne : nullptr;
    // A slot whose object went back to the pool holds no robot.
    if (!robot || !(robot->flags & OBJ_ALIVE)) return;
    auto* player = robot->GetComponent<PlayerComponent>();
    if (player && player->GetCarriedCrate() == other) player->PutDownCrate();
}

DoorComponent::DoorComponent() : Component(CT_DOOR)
{
    AddSerializeVar("", "Id", &m_Id);
    AddSerializeVar("", "MoveDirection", &m_MoveDirection);
    AddEditorVar(&m_Id, "m_setId", "unsigned", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_MoveDirection, "mMovDir", "Vec3", EDITORVAR_DIRECT, true);
}

void DoorComponent::OnCollision(GameObject* other)
{
    DropCarriedCrate(other);
    if (owner && other && other->type == CRATE && other->position.y > owner->position.y)
        PlayerComponent::MoveOffRim(other);
}

void DoorComponent::FindSwitches()
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    for (GameObject* object : objects->GetObjectsWithComponent(CT_SWITCH)) {
        auto* candidate = object->GetComponent<SwitchComponent>();
        if (candidate && candidate->m_Id == m_Id) m_Switches.emplace_back(object);
    }
}

std::vector<SwitchComponent*> DoorComponent::GetSwitches()
{
    std::vector<SwitchComponent*> found;
    for (GameObjectHandle& handle : m_Switches)
        if (SwitchComponent* linked = SwitchOf(handle)) found.push_back(linked);
    return found;
}

bool DoorComponent::AllSwitchesPressed()
{
    for (GameObjectHandle& handle : m_Switches) {
        SwitchComponent* linked = SwitchOf(handle);
        if (!linked || !linked->IsShownPressed()) return false;
    }
    return true;
}

void DoorComponent::Update()
{
    if (!owner) return;
    const float d = GameplayFrameStep();

    if (AllSwitchesPressed()) {
        if (m_OpenCount < std::numeric_limits<int>::max()) ++m_OpenCount;
        m_State = STATE_OPENING;
        m_IsOpen = true;
    } else {
        m_State = STATE_CLOSING;
        m_IsOpen = false;
    }

    if (m_State == STATE_OPENING && m_Progress < FULL_TRAVEL) {
        // The last step stops exactly at full travel.
        const float step = std::min(d, FULL_TRAVEL - m_Progress);
        m_Progress += step;
        owner->position += m_MoveDirection * step;
        owner->flags &= ~OBJ_WORLD_VALID;
        if (m_OpenCount == 1) {
            m_CloseCount = 0;
            PlayEffect(OPEN_SOUND);
        }
    }
    if (m_State == STATE_CLOSING && m_Progress > 0.0f) {
        if (m_CloseCount < std::numeric_limits<int>::max()) ++m_CloseCount;
        const float step = std::min(d, m_Progress);
        m_Progress -= step;
        owner->position -= m_MoveDirection * step;
        owner->flags &= ~OBJ_WORLD_VALID;
        if (m_CloseCount == 1) {
            m_OpenCount = 0;
            PlayEffect(CLOSE_SOUND);
        }
    }
    if (m_State == STATE_CLOSING && m_Progress <= 0.0f) m_State = STATE_RESTING;
}

} // namespace QRX
