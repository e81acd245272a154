#include "game/gameplay/BossComponent.h"

#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/EnemyTaskCommon.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

const glm::vec4 CAPTION_COLOUR(1.0f, 1.0f, 1.0f, 1.0f);

// Marks every live object with the component, active or not.
void MarkAllWith(ObjectManager& objects, Components componentType)
{
    const GameObjectGroup found = objects.GetObjectsWithComponent(componentType);
    for (GameObject* object : found) object->flags |= OBJ_DESTROY;
}

} // namespace

BossComponent::BossComponent() : Component(CT_BOSS), m_Tree(new BehaviorTree::BehaviorTree(this))
{
    AddSerializeVar("", "DamageOnHit", &m_DamageOnHit);
    AddSerializeVar("", "MaxHP", &m_MaxHP);
    AddSerializeVar("", "OriginalColor", &m_originalColor);
    AddSerializeVar("", "DamageColor", &m_damageColor);

    AddEditorVar(&m_HP, "m_HP", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_DamageOnHit, "m_DamageOnHit", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_MaxHP, "m_MaxHP", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_originalColor, "m_originalColor", "std::string", EDITORVAR_STRING, true);
    AddEditorVar(&m_damageColor, "m_damageColor", "std::string", EDITORVAR_STRING, true);
    AddEditorVar(&m_IsVulnerable, "isVulnerable", "bool", EDITORVAR_DIRECT, true);
}

BossComponent::~BossComponent() = default;

void BossComponent::Init()
{
    m_Tree.reset(new BehaviorTree::BehaviorTree(this));
    m_Tree->Load(TREE_FILE);
    BehaviorTree::BehaviorTree::InitializeBehaviors(m_Tree->GetRoot());
}

void BossComponent::Free() { m_Tree.reset(); }

void BossComponent::Update()
{
    if (!owner) return;
    if (m_HP <= 0.0f && !(owner->flags & OBJ_DESTROY)) Die();
    if (m_Tree) m_Tree->Tick();
    if (m_IsHit) {
        m_IsHit = false;
        SetObjectTexture(owner, m_originalColor);
    }
    const float dt = GameplayFrameStep();
    m_BoxOnPlayerTimer += dt;
    m_BoxOnSwitchTimer += dt;
    m_EnemyDropTimer += dt;
    m_IsVulnerable = AnyDoorOpen();
    if (m_IsVulnerable) {
        m_ResetTimer += dt;
        if (m_ResetTimer > m_ResetInterval) {
            m_IsResetRequested = true;
            m_ResetTimer = 0.0f;
        }
    } else {
        m_ResetTimer = 0.0f;
    }
}

void BossComponent::OnCollision(GameObject* other)
{
    if (!owner || !other || !other->GetComponent(CT_EXPLODE)) return;
    m_HP -= m_DamageOnHit;
    m_IsHit = true;
    SetObjectTexture(owner, m_damageColor);
}

void BossComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    ReadSerializeVars(firstElement);
    m_HP = m_MaxHP;
}

void BossComponent::CopyFrom(const Component* other)
{
    CopySerializeVars(other);
    m_HP = m_MaxHP;
}

void BossComponent::Die()
{
    if (!owner) return;
    owner->flags |= OBJ_DESTROY;
    const glm::vec3 at = owner->position;
    CreateEmitter(at, DEATH_BURST_PATTERN, DEATH_BURST_COUNT, glm::vec3(1.0f, 0.0f, 0.0f), false);
    ObjectManager* objects = Objects();
    if (!objects) return;
    objects->CreateInstance(EXIT_MARKER, glm::vec3(at.x, EXIT_MARKER_Y, at.z));
    MarkAllWith(*objects, CT_FORCEFIELD);
    MarkAllWith(*objects, CT_DOOR);
}

bool BossComponent::AnyDoorOpen()
{
    ObjectManager* objects = Objects();
    if (!objects) return false;
    for (GameObject* object : objects->GetActiveObjectsWithComponent(CT_DOOR)) {
        auto* door = object->GetComponent<DoorComponent>();
        if (door && door->m_IsOpen) return true;
    }
    return false;
}

void BossComponent::ShowCaption(const std::string& text)
{
    System* system = System::PeekInstance();
    if (!system || !system->window || !system->fontManager) return;
    const float x = CAPTION_X_FRACTION * static_cast<float>(system->window->GetWidth());
    system->fontManager->AddText(FontManager::POSITION_TOP_LEFT, text, x, CAPTION_Y, CAPTION_FONT, CAPTION_COLOUR);
}

bool BossComponent::InPhaseOne() const
{
    return static_cast<double>(m_HP) > static_cast<double>(PHASE_ONE_ABOVE) * static_cast<double>(m_MaxHP);
}

bool BossComponent::InPhaseTwo() const
{
    const double hp = m_HP;
    return static_cast<double>(PHASE_TWO_ABOVE) * static_cast<double>(m_MaxHP) < hp &&
           hp <= static_cast<double>(PHASE_ONE_ABOVE) * static_cast<double>(m_MaxHP);
}

bool BossComponent::InPhaseThree() const
{
    const double hp = m_HP;
    return 0.0 <= hp && hp <= static_cast<double>(PHASE_TWO_ABOVE) * static_cast<double>(m_MaxHP);
}

} // namespace QRX
