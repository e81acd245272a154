#include "game/gameplay/CometSpawnerComponent.h"

#include <cmath>

#include "engine/core/Random.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/CometComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/MotionCommon.h"

namespace QRX {

namespace {

// The whole part of a non-negative span as a divisor for the generator: 0
// for a span below 1 (or not a number); spans past the generator's range
// give the same draws as RANDOM_MAX + 1, which keeps the conversion defined.
int WholeSteps(float span)
{
    if (!(span >= 1.0f)) return 0;
    if (span > static_cast<float>(RANDOM_MAX) + 1.0f) return RANDOM_MAX + 1;
    return static_cast<int>(span);
}

} // namespace

CometSpawnerComponent::CometSpawnerComponent() : Component(CT_COMETSPAWNER)
{
    AddSerializeVar("", "CometDir", &m_CometDir);
    AddSerializeVar("", "MinCometSpeed", &m_MinCometSpeed);
    AddSerializeVar("", "MaxCometSpeed", &m_MaxCometSpeed);
    AddSerializeVar("", "SpawnCooldownTimer", &m_SpawnCooldown);
    AddSerializeVar("", "SpawnPosOffset", &m_SpawnPosOffset);
    AddSerializeVar("", "SpawnPosVariance", &m_SpawnPosVariance);
    AddSerializeVar("", "SpawnAmountMax", &m_SpawnAmountMax);
    AddSerializeVar("", "RandomDirections", &m_IsRandomDirections);

    AddEditorVar(&m_CometDir, "cometDir", "Vec3", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_MinCometSpeed, "minCometSpeed", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_MaxCometSpeed, "maxCometSpeed", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_CooldownTimer, "spawnCooldownTimeTimer", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnCooldown, "spawnCooldownTime", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnPosOffset, "spawnPosOffset", "Vec3", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnPosVariance, "spawnPosVariance", "Vec3", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnAmount, "spawnAmount", "int", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnAmountMax, "spawnAmountMax", "int", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsRandomDirections, "randomDirections", "bool", EDITORVAR_DIRECT, true);
}

bool CometSpawnerComponent::IsExhausted() const
{
    return m_SpawnAmountMax != UNLIMITED && m_SpawnAmount >= m_SpawnAmountMax;
}

float CometSpawnerComponent::DrawSpeed() const
{
    const float span = m_MaxCometSpeed - m_MinCometSpeed;
    if (span == 0.0f) return m_MinCometSpeed;
    // A maximum below the minimum counts its span from the minimum upward.
    const int steps = WholeSteps(std::fabs(span));
    if (steps == 0) return m_MinCometSpeed;
    return m_MinCometSpeed + static_cast<float>(Random() % steps);
}

void CometSpawnerComponent::DrawPlacement(glm::vec3& position, glm::vec3& direction) const
{
    const glm::vec3 base = owner->position + m_SpawnPosOffset;
    if (!m_IsRandomDirections) {
        const glm::vec3 half = m_SpawnPosVariance * 0.5f;
        for (int i = 0; i < 3; ++i) {
            const float low = base[i] - half[i];
            const int steps = WholeSteps(std::fabs((base[i] + half[i]) - low));
            position[i] = steps == 0 ? low : low + static_cast<float>(Random() % steps);
        }
        direction = CometComponent::Heading(m_CometDir);
        return;
    }
    position = base;
    float a = static_cast<float>(Random() % DIRECTION_RANGE);
    float c = static_cast<float>(Random() % DIRECTION_RANGE);
    const float b = static_cast<float>(Random() % DIRECTION_RANGE);
    if (Random() % DIRECTION_RANGE > FLIP_ABOVE) a = -a;
    if (Random() % DIRECTION_RANGE > FLIP_ABOVE) c = -c;
    direction = CometComponent::Heading(glm::vec3(a, -b, c));
}

bool CometSpawnerComponent::SpawnComet(const glm::vec3& position, const glm::vec3& direction, float speed)
{
    ObjectManager* objects = Objects();
    GameObject* comet = objects ? objects->CreateInstance(COMET, position) : nullptr;
    if (!comet) return false;
    if (auto* part = comet->GetComponent<CometComponent>()) {
        part->m_Direction = CometComponent::Heading(direction);
        part->m_Speed = speed;
    }
    return true;
}

void CometSpawnerComponent::Update()
{
    if (!owner) return;
    m_CooldownTimer += GameplayFrameStep();
    if (IsExhausted() || m_CooldownTimer <= m_SpawnCooldown) return;

    m_CooldownTimer = 0.0f;
    const float speed = DrawSpeed();
    glm::vec3 position, direction;
    DrawPlacement(position, direction);
    if (SpawnComet(position, direction, speed)) ++m_SpawnAmount;
}

} // namespace QRX
