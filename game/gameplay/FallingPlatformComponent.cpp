#include "game/gameplay/FallingPlatformComponent.h"

#include "engine/core/Conversions.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/CollisionComponent.h"
#include "game/flow/Map.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/MotionCommon.h"

namespace QRX {

FallingPlatformComponent::FallingPlatformComponent() : Component(CT_FALLINGPLATFORM)
{
    AddSerializeVar("", "vibrateSpeed", &m_vibrateSpeed);
    AddSerializeVar("", "vibrateTimer", &m_vibrateTimer);
    AddSerializeVar("", "consecutive", &m_consecutive);
    AddSerializeVar("", "contactTimer", &m_contactTimer);

    AddEditorVar(&m_vibrateSpeed, "m_vibrateSpeed", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_vibrateTimer, "m_vibrateTimer", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_consecutive, "m_consecutive", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_contactTimer, "m_contactTimer", "float", EDITORVAR_DIRECT, true);
}

void FallingPlatformComponent::Init()
{
    if (!owner) return;
    m_HomeX = owner->position.x;
    m_HomeZ = owner->position.z;
    m_GridPosition = owner->position;
}

void FallingPlatformComponent::OnCollision(GameObject* other)
{
    if (other && other->GetComponent(CT_PLAYER) && !StandsBeside(*other)) m_IsTouched = true;
}

bool FallingPlatformComponent::StandsBeside(const GameObject& robot) const
{
    const Map* map = CurrentLevelMap();
    if (!map) return false;
    // The grid answers past its far sides; a negative place has no cell.
    auto cellOf = [map](const glm::vec3& at) {
        if (at.x < 0.0f || at.z < 0.0f) return Map::Cell();
        return map->GetCell(static_cast<std::uint32_t>(at.z), static_cast<std::uint32_t>(at.x));
    };
    const Map::Cell own = cellOf(m_GridPosition);
    const Map::Cell under = cellOf(robot.position);
    const std::uint32_t platform = FALLINGPLATFORM;
    for (std::size_t layer = 0; layer < own.size() && layer < under.size(); ++layer)
        if (own[layer] == platform && under[layer] != 0 && under[layer] != platform) return true;
    return false;
}

void FallingPlatformComponent::Update()
{
    if (!owner) return;
    const float d = GameplayFrameStep();

    if (m_IsTouched) m_ContactTime += d;
    else if (m_consecutive) m_ContactTime = 0.0f;

    if (m_ContactTime > m_contactTimer) {
        m_IsTriggered = true;
        m_IsSinking = true;
    }

    if (m_IsSinking) {
        m_ShakeTime += d;
        if (m_ShakeTime <= m_vibrateTimer) {
            m_ShakeStepTimer += d;
            if (m_ShakeStepTimer > m_vibrateSpeed) {
                const float rx = RandomFloat(SHAKE_RANDOM_LOW, SHAKE_RANDOM_HIGH);
                const float rz = RandomFloat(SHAKE_RANDOM_LOW, SHAKE_RANDOM_HIGH);
                MoveObject(owner, glm::vec3(m_HomeX + rx * d, owner->position.y, m_HomeZ + rz * d));
                m_ShakeStepTimer = 0.0f;
            }
        } else {
            GraphicsComponent* look = GetGraphicsComponent(owner);
            if (look) look->SetOpacity(look->GetOpacity() - FADE_RATE * d);
            MoveObject(owner, owner->position - glm::vec3(0.0f, FADE_RATE * d, 0.0f));
            if (!look || look->GetOpacity() <= 0.0f) Vanish();
        }
    }

    m_IsTouched = false;
}

void FallingPlatformComponent::Vanish()
{
    if (CollisionComponent* collision = GetCollisionComponent(owner)) collision->ethereal = true;
    // Gone from the level: a save leaves it out, as it does a broken crate.
    owner->flags &= ~OBJ_LEVEL_OWN;
    if (m_IsOffGrid) return;
    m_IsOffGrid = true;
    // The grid entered the platform where it stood when the level was
    // built; by now it has sunk and would be looked for a layer too low.
    if (Map* map = CurrentLevelMap())
        map->RemoveObjectValuesFromMap(m_GridPosition, owner->scale, owner->rotation,
                                       static_cast<std::uint32_t>(owner->type));
}

} // namespace QRX
