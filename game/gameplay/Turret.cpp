#include "game/gameplay/Turret.h"

#include <algorithm>

#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/EnemyTaskCommon.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

const glm::vec4 HP_TEXT_COLOUR(1.0f, 1.0f, 1.0f, 1.0f);

} // namespace

Turret::Turret() : Component(CT_TURRET)
{
    AddSerializeVar("", "ActivationRange", &m_ActivationRange);
    AddSerializeVar("", "FiringSpeed", &m_FiringSpeed);
    AddSerializeVar("", "MaxHP", &m_MaxHP);
    AddSerializeVar("", "DropExplodingBoxTime", &m_DropExplodingBoxTime);
    AddSerializeVar("", "SpawnBarrierTime", &m_SpawnBarrierTime);
    AddSerializeVar("", "PushbackTime", &m_PushbackTime);
    AddSerializeVar("", "BarrierAliveTime", &m_BarrierAliveTime);
    AddSerializeVar("", "DamageOnHit", &m_DamageOnHit);
    AddSerializeVar("", "OriginalColor", &m_originalColor);
    AddSerializeVar("", "DamageColor", &m_damageColor);

    AddEditorVar(&m_ActivationRange, "m_ActivationRange", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_FiringSpeed, "m_FiringSpeed", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_MaxHP, "m_MaxHP", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_DropExplodingBoxTime, "m_DropExplodingBoxTime", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnBarrierTime, "m_SpawnBarrierTime", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_PushbackTime, "m_PushbackTime", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_BarrierAliveTime, "m_BarrierAliveTime", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_BarrierAliveTimeTimer, "m_BarrierAliveTimeTimer", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_DamageOnHit, "m_DamageOnHit", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_originalColor, "m_originalColor", "std::string", EDITORVAR_STRING, true);
    AddEditorVar(&m_damageColor, "m_damageColor", "std::string", EDITORVAR_STRING, true);
    AddEditorVar(&m_IsDestroy, "m_IsDestroy", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_HP, "m_HP", "float", EDITORVAR_DIRECT, true);
}

Turret::~Turret() = default;

void Turret::Init()
{
    m_Tree.reset(new BehaviorTree::BehaviorTree(this));
    m_Tree->Load(TREE_FILE);
    BehaviorTree::BehaviorTree::InitializeBehaviors(m_Tree->GetRoot());
}

void Turret::Free()
{
    m_Tree.reset();
    if (GameObject* barrier = GetBarrier()) barrier->flags |= OBJ_DESTROY;
    SetBarrier(nullptr);
}

void Turret::Update()
{
    if (!owner) return;
    if (m_Tree) m_Tree->Tick();
    if (GameObject* barrier = GetBarrier()) {
        m_BarrierAliveTimeTimer += GameplayFrameStep();
        if (m_BarrierAliveTime < m_BarrierAliveTimeTimer) {
            barrier->flags |= OBJ_DESTROY;
            SetBarrier(nullptr);
        }
    }
    if (m_HP <= 0.0f) m_IsDestroy = true;
    if (m_IsHit) {
        m_IsHit = false;
        SetObjectTexture(owner, m_originalColor);
    }
    System* system = System::PeekInstance();
    if (!system || !system->fontManager) return;
    // The text's line: how many active turrets stand west of this one (the
    // earlier in the list at the same x); the two ends say which they are.
    int line = 0;
    int others = 0;
    if (ObjectManager* objects = Objects()) {
        const GameObjectGroup& turrets = objects->GetActiveObjectsOfType(TURRET);
        bool before = true;
        for (const GameObject* turret : turrets) {
            if (turret == owner) {
                before = false;
                continue;
            }
            ++others;
            const float x = turret->position.x;
            line += x < owner->position.x || (x == owner->position.x && before);
        }
    }
    const char* side = others == 0 ? "" : line == 0 ? HP_LEFT : line == others ? HP_RIGHT : HP_MIDDLE;
    system->fontManager->AddText(FontManager::POSITION_TOP_LEFT,
                                 side + std::string(others == 0 ? HP_TEXT : HP_SIDE_TEXT) +
                                     std::to_string(TruncateToInt(m_HP)),
                                 HP_TEXT_X, HP_TEXT_Y + HP_LINE_HEIGHT * static_cast<float>(line), HP_FONT,
                                 HP_TEXT_COLOUR);
}

void Turret::OnCollision(GameObject* other)
{
    if (!owner || !other || !other->GetComponent(CT_EXPLODE)) return;
    m_HP -= m_DamageOnHit;
    m_IsHit = true;
    SetObjectTexture(owner, m_damageColor);
}

void Turret::Read(const tinyxml2::XMLElement* firstElement)
{
    ReadSerializeVars(firstElement);
    m_HP = m_MaxHP;
}

void Turret::CopyFrom(const Component* other)
{
    CopySerializeVars(other);
    m_HP = m_MaxHP;
}

GameObject* Turret::GetBarrier()
{
    if (!m_Barrier.object) return nullptr;
    if (m_Barrier.Refresh()) return m_Barrier.object;
    SetBarrier(nullptr);
    return nullptr;
}

void Turret::SetBarrier(GameObject* barrier)
{
    m_Barrier = barrier;
    m_BarrierAliveTimeTimer = 0.0f;
}

bool Turret::IsAggressive() const
{
    return static_cast<double>(m_HP) > static_cast<double>(DEFENCE_AT_OR_BELOW) * static_cast<double>(m_MaxHP);
}

bool Turret::IsDefending() const
{
    return static_cast<double>(m_HP) <= static_cast<double>(DEFENCE_AT_OR_BELOW) * static_cast<double>(m_MaxHP);
}

} // namespace QRX
