#include "game/gameplay/BridgeComponent.h"

#include <algorithm>
#include <cmath>

#include "engine/core/AudioManager.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/BridgeTriggerComponent.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

// The vector with its components along the axis replaced by the target's.
glm::vec3 WithAxisPart(const glm::vec3& value, const glm::vec3& target, const glm::vec3& axis)
{
    glm::vec3 result = value;
    for (int i = 0; i < 3; ++i)
        if (axis[i] != 0.0f) result[i] = target[i];
    return result;
}

} // namespace

BridgeComponent::BridgeComponent() : Component(CT_BRIDGE)
{
    AddSerializeVar("", "ExtendSpeed", &m_ExtendSpeed);
    AddSerializeVar("", "ExtendAxis", &m_ExtendAxis);
    AddSerializeVar("", "ExtensionAmount", &m_ExtensionAmount);
    AddSerializeVar("", "PositiveDirection", &m_IsPositiveDirection);
    AddSerializeVar("", "ReverseGrowShrink", &m_IsReverseGrowShrink);
    AddSerializeVar("", "DelayTime", &m_DelayTime);
    AddSerializeVar("", "TriggerID", &m_TriggerID);

    AddEditorVar(&m_ExtendSpeed, "extendSpeed", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_ExtendAxis, "extendAxis", "Vec3", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_ExtensionAmount, "extensionAmount", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsPositiveDirection, "positiveDirection", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsReverseGrowShrink, "reverseGrowShrink", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_DelayTime, "bridgeDelayTime", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_DelayTimer, "bridgeDelayTimeTimer", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsActive, "isActive", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsExtending, "isExtending", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_TriggerID, "id", "unsigned", EDITORVAR_DIRECT, true);
}

bool BridgeComponent::GetAxis(glm::vec3& axis) const
{
    axis = glm::vec3(0.0f);
    const float length = glm::length(m_ExtendAxis);
    if (!std::isfinite(length) || length <= 0.0f) return false;
    axis = glm::abs(m_ExtendAxis / length);
    return true;
}

void BridgeComponent::Init()
{
    if (!owner) return;
    glm::vec3 axis;
    GetAxis(axis);  // a zero axis leaves the shape as it is
    if (!m_IsReverseGrowShrink) {
        m_BaseScale = owner->scale;
        m_Anchor = owner->position;
        return;
    }
    const glm::vec3 extension = m_ExtensionAmount * axis;
    m_BaseScale = owner->scale - extension;
    m_Anchor = m_IsPositiveDirection ? owner->position - extension * 0.5f : owner->position + extension * 0.5f;
}

void BridgeComponent::OnCollision(GameObject* other) { DropCarriedCrate(other); }

bool BridgeComponent::Move(const glm::vec3& axis, float d, bool grow)
{
    const glm::vec3& S = owner->scale;
    const glm::vec3& P = owner->position;
    const float sign = m_IsPositiveDirection ? 1.0f : -1.0f;
    const float length = glm::dot(S, axis);
    const float baseLength = glm::dot(m_BaseScale, axis);
    const float anchor = glm::dot(m_Anchor, axis);
    // Signed positions of the moving end: now, extended and retracted.
    const float end = glm::dot(P, axis) + sign * length * 0.5f;
    const float retractedEnd = anchor + sign * baseLength * 0.5f;
    const float extendedEnd = retractedEnd + sign * m_ExtensionAmount;

    const float remaining = sign * (grow ? extendedEnd - end : end - retractedEnd);
    if (!(remaining > LIMIT_TOLERANCE)) return false;

    // A negative speed would turn the bridge inside out: it does not move.
    const float step = std::max(0.0f, m_ExtendSpeed * d);
    glm::vec3 scale;
    if (grow) {
        const glm::vec3 extended = m_BaseScale + m_ExtensionAmount * axis;
        scale = length + step > baseLength + m_ExtensionAmount ? WithAxisPart(S, extended, axis) : S + step * axis;
    } else {
        scale = length - step < baseLength ? WithAxisPart(S, m_BaseScale, axis) : S - step * axis;
    }
    const glm::vec3 change = scale - S;
    owner->position += sign * change * 0.5f;
    owner->scale = scale;
    owner->flags &= ~OBJ_WORLD_VALID;
    return true;
}

void BridgeComponent::Update()
{
    if (!owner) return;
    glm::vec3 axis;
    if (!GetAxis(axis)) return;
    const float d = GameplayFrameStep();

    bool starting = false;
    if (!m_IsExtending) {
        m_DelayTimer += d;
        if (m_DelayTimer < m_DelayTime) return;
        m_IsExtending = true;
        m_DelayTimer = 0.0f;
        starting = true;
    }

    const bool grow = m_IsActive != m_IsReverseGrowShrink;
    if (!Move(axis, d, grow)) {
        m_IsExtending = false;
        return;
    }
    if (starting) {
        System* system = System::PeekInstance();
        AudioManager* audio = system ? system->audioManager : nullptr;
        if (audio && !audio->IsPlaying(MOVE_SOUND)) audio->PlaySound(MOVE_SOUND);
    }
}

void BridgeComponent::FindTriggers()
{
    ObjectManager* objects = Objects();
    if (!owner || !objects) return;
    for (GameObject* object : objects->GetObjectsWithComponent(CT_BRIDGETRIGGER)) {
        auto* trigger = object->GetComponent<BridgeTriggerComponent>();
        if (trigger && trigger->m_TriggerID == m_TriggerID) trigger->m_Bridges.emplace_back(owner);
    }
}

} // namespace QRX
