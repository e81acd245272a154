#include "game/gameplay/PlayerComponent.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/AccurateCollision.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/Contact.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/Primitive.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/UILogicComponent.h"
#include "game/gameplay/CheckpointStore.h"
#include "game/gameplay/CrateComponent.h"
#include "game/gameplay/ExplodeComponent.h"
#include "game/gameplay/GameplayCommon.h"

namespace QRX {

namespace {

const glm::vec3 WORLD_UP(0.0f, 1.0f, 0.0f);
// The model looks along its local -x.
const glm::vec3 MODEL_FRONT(-1.0f, 0.0f, 0.0f);
const glm::vec3 SPAWN_EFFECT_DIRECTION(0.0f, 0.8f, 0.0f);
// Rounding room for "on the line" and "at the robot's height".
constexpr float ON_LINE = 1e-4f;

constexpr const char* CRATE_TEXTURE = "crate";
constexpr const char* MAIN_MOVE_SOUND = "move0.wav";
constexpr const char* SECOND_MOVE_SOUND = "move1.wav";
constexpr const char* PICKUP_SOUND = "crate_pickup_new.mp3";
constexpr const char* PUTDOWN_SOUND = "crate_putdown_new.mp3";
constexpr const char* THROW_SOUND = "crate_swish.mp3";
constexpr const char* REFUSED_SOUND = "switch_deactivate_new.mp3";
constexpr const char* REFUSAL_TEXTURE = "red";
constexpr const char* PATH_TEXTURE = "turq";
constexpr const char* LANDING_TEXTURE = "red";
constexpr const char* EXPLOSION_PREVIEW_TEXTURE = "crate_explosion";
constexpr const char* TELEPORT_PREVIEW_TEXTURE = "crate_teleportwait";

AudioManager* Audio()
{
    System* system = System::PeekInstance();
    return system ? system->audioManager : nullptr;
}

float Sign(float value) { return value < 0.0f ? -1.0f : 1.0f; }

void ShowMarker(GameObject* marker, const glm::vec3& position, const char* texture)
{
    marker->position = position;
    marker->flags &= ~(OBJ_WORLD_VALID | OBJ_SKIP_DRAW);
    marker->flags |= OBJ_ACTIVE;
    if (GraphicsComponent* graphics = GetGraphicsComponent(marker)) graphics->SetTextureName(texture);
}

// From an object's centre down to the underside of its collision primitive;
// 0 without one.
float HalfHeight(const GameObject& object)
{
    const CollisionComponent* collision = GetCollisionComponent(&object);
    if (!collision || !collision->GetPrimitive()) return 0.0f;
    return PhysicsManager::WorldReach(object, *collision->GetPrimitive()).y;
}

// How far below a crate's centre the landing marker sits: down to the
// crate's underside, less the marker's own half height, so it rests on the
// surface (none for a crate without a collision box).
float LandingDrop(const GameObject& crate, const GameObject& marker)
{
    return std::max(0.0f, HalfHeight(crate) - std::fabs(marker.scale.y) * 0.5f);
}

PhysicsManager* Physics()
{
    System* system = System::PeekInstance();
    return system ? system->physicsManager : nullptr;
}

void HideMarker(GameObject* marker)
{
    marker->flags &= ~OBJ_ACTIVE;
    marker->flags |= OBJ_SKIP_DRAW;
}

void SetCrateTexture(GameObject* crate, const std::string& texture)
{
    if (GraphicsComponent* graphics = GetGraphicsComponent(crate)) graphics->SetTextureName(texture);
}

void SetDepth(GameObject* object, float z)
{
    object->position.z = z;
    object->flags &= ~OBJ_WORLD_VALID;
}

UILogicComponent* IconOf(GameObjectHandle& icon)
{
    return icon.Refresh() ? icon.object->GetComponent<UILogicComponent>() : nullptr;
}

// An icon asked to show its clicked texture (1) or to let it go (3 when
// shown, else straight back to idle).
void ShowIcon(UILogicComponent* icon)
{
    if (icon) icon->m_SelectState = icon->m_SelectState == UI_STATE_HOLDING ? UI_STATE_ENDED : UI_STATE_BEGUN;
}

void ReleaseShownIcon(UILogicComponent* icon)
{
    if (icon && icon->m_SelectState == UI_STATE_HOLDING) icon->m_SelectState = UI_STATE_ENDED;
}

} // namespace

bool SnapToWorldAxis(const glm::vec3& n, MoveRule rule, glm::vec3& axis)
{
    const float threshold = PlayerComponent::AXIS_THRESHOLD;
    if (rule == MOVE_RULE_FORWARD) {
        if (std::fabs(n.z) > threshold) {
            axis = glm::vec3(0.0f, 0.0f, Sign(n.z));
            return true;
        }
        if (n.x == 0.0f) return false;
        axis = glm::vec3(Sign(n.x), 0.0f, 0.0f);
        return true;
    }
    if (std::fabs(n.x) > threshold) {
        axis = glm::vec3(Sign(n.x), 0.0f, 0.0f);
        return true;
    }
    if (n.z == 0.0f) return false;
    axis = glm::vec3(0.0f, 0.0f, Sign(n.z));
    return true;
}

bool MoveDirectionFor(const glm::vec3& wanted, MoveRule rule, glm::vec3& move, bool& isAxis)
{
    // A camera looking straight along the wanted axis leaves no direction.
    const float length = glm::length(wanted);
    if (!(length > 0.0f) || !std::isfinite(length)) return false;
    isAxis = SnapToWorldAxis(glm::normalize(wanted), rule, move);
    if (!isAxis) move = wanted;
    return true;
}

int FacingIndexOf(const glm::vec3& axis)
{
    if (axis == glm::vec3(0.0f, 0.0f, -1.0f)) return FACING_MINUS_Z;
    if (axis == glm::vec3(0.0f, 0.0f, 1.0f)) return FACING_PLUS_Z;
    if (axis == glm::vec3(1.0f, 0.0f, 0.0f)) return FACING_PLUS_X;
    if (axis == glm::vec3(-1.0f, 0.0f, 0.0f)) return FACING_MINUS_X;
    return -1;
}

float FacingYawDegrees(int index)
{
    switch (index) {
    case FACING_MINUS_Z: return -90.0f;
    case FACING_PLUS_Z: return 90.0f;
    case FACING_PLUS_X: return 180.0f;
    default: return 0.0f;
    }
}

glm::vec3 FacingFromRotation(const glm::quat& rotation) { return glm::normalize(rotation * MODEL_FRONT); }

PlayerComponent::PlayerComponent() : Component(CT_PLAYER)
{
    AddSerializeVar("", "MainPlayer", &m_IsMainPlayer);
    AddSerializeVar("", "Power1", &m_Power1);
    AddSerializeVar("", "Power2", &m_Power2);
    AddSerializeVar("", "ThrowingEnabled", &m_IsThrowingEnabled);
    AddSerializeVar("", "SpawnOnCreation", &m_IsSpawnOnCreation);
    AddSerializeVar("", "SpawnTime", &m_SpawnTime);

    AddEditorVar(&m_ThrowForce, "m_ThrowForce", "float", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsMainPlayer, "m_IsMainPlayer", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_KeyOffset, "keyOffset", "int", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_Power1, "m_Power1", "Components", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_Power2, "m_Power2", "Components", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsThrowingEnabled, "m_IsThrowingEnabled", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_IsSpawnOnCreation, "m_IsSpawnOnCreation", "bool", EDITORVAR_DIRECT, true);
    AddEditorVar(&m_SpawnTime, "m_SpawnTime", "float", EDITORVAR_DIRECT, true);
}

void PlayerComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    ReadSerializeVars(firstElement);
    m_KeyOffset = m_IsMainPlayer ? 0 : SECOND_PLAYER_KEY_OFFSET;
}

void PlayerComponent::CopyFrom(const Component* other)
{
    CopySerializeVars(other);
    const auto* source = dynamic_cast<const PlayerComponent*>(other);
    if (!source) return;
    m_ThrowForce = source->m_ThrowForce;
    // A copy of a second player's robot must answer to the second player.
    m_KeyOffset = source->m_KeyOffset;
}

// ---- life ----

void PlayerComponent::Init()
{
    if (!owner) return;
    for (Components power : {m_Power1, m_Power2}) {
        if (power <= COMPONENTS_ERRORVALUE || power >= COMPONENT_TYPE_COUNT) continue;
        if (power == CT_TELEPORT) m_PowerManager.AddSingleInstancePower(power);
        else m_PowerManager.AddUnlimitedPower(power);
    }
    if (m_IsSpawnOnCreation) StartSpawnEffect(true);
    m_CrateTexture = CRATE_TEXTURE;
    UpdateFacing();
    m_MoveSound = m_IsMainPlayer ? MAIN_MOVE_SOUND : SECOND_MOVE_SOUND;
}

void PlayerComponent::Update()
{
    // A robot that left through the exit is done: a reset would reload a
    // level already counted as completed, a step could walk it off an edge.
    if (!owner || m_HasLeft) return;
    if (m_IsSpawning) {
        UpdateSpawnEffect();
        return;
    }
    UpdateMovement();
    UpdateCrateActions();
    UpdatePowerSelection();
    UpdateRefusal();
    // In the air (nothing touched the robot) the path ahead changes every frame.
    if (!m_IsTouched) m_IsPreviewDirty = true;
    m_IsTouched = false;
    if (IsPressed(ACTION_RESET)) ResetToCheckpoint();
}

void PlayerComponent::Free()
{
    // The markers themselves go with the state.
    m_ThrowMarkers.fill(nullptr);
    m_AreMarkersShown = false;
}

void PlayerComponent::OnCollision(GameObject* other)
{
    (void)other;
    m_IsTouched = true;
}

// ---- input ----

bool PlayerComponent::IsHeld(int action) const
{
    System* system = System::PeekInstance();
    InputInterpreter* input = system ? system->inputInterpreter : nullptr;
    const int position = m_KeyOffset + action;
    if (!input || position < 0 || position >= input->GetBindingCount()) return false;
    return input->GetBinding(position).IsHeld(position);
}

bool PlayerComponent::IsPressed(int action) const
{
    System* system = System::PeekInstance();
    InputInterpreter* input = system ? system->inputInterpreter : nullptr;
    const int position = m_KeyOffset + action;
    if (!input || position < 0 || position >= input->GetBindingCount()) return false;
    return input->GetBinding(position).IsTriggered(position);
}

// ---- movement ----

void PlayerComponent::UpdateMovement()
{
    if (!owner) return;
    System* system = System::PeekInstance();
    Camera* camera = system ? system->camera : nullptr;
    QRX_ASSERT(camera != 0, 1, "PlayerComponent is unable to obtain camera!");
    if (!camera) return;

    const glm::mat4& view = camera->GetViewMatrix();
    const glm::vec3 right(view[0][0], view[1][0], view[2][0]);
    const glm::vec3 forward = glm::cross(right, WORLD_UP);
    PhysicsComponent* body = GetPhysicsComponent(owner);
    m_MeasuredSpeed = body ? glm::length(glm::vec2(body->velocity.x, body->velocity.z)) : 0.0f;

    glm::vec3 wanted(0.0f);
    MoveRule rule = MOVE_RULE_FORWARD;
    if (IsHeld(ACTION_UP)) {
        wanted = -forward;
    } else if (IsHeld(ACTION_DOWN)) {
        wanted = forward;
    } else if (IsHeld(ACTION_LEFT)) {
        wanted = -right;
        rule = MOVE_RULE_SIDE;
    } else if (IsHeld(ACTION_RIGHT)) {
        wanted = right;
        rule = MOVE_RULE_SIDE;
    } else {
        if (m_IsMoving) StopPushedCrate();
        StopMoving();
        return;
    }
    glm::vec3 move(0.0f);
    bool isAxis = false;
    if (!MoveDirectionFor(wanted, rule, move, isAxis)) return;
    if (isAxis) m_FacingIndex = FacingIndexOf(move);

    if (body) {
        if (m_MeasuredSpeed >= MOVE_SPEED) body->velocity = MOVE_SPEED * move;
        else body->AddVelocity(MOVE_ACCELERATION * move);
        // The robot always presses down: on the floor the contact takes it
        // back, off a ledge it falls (a resting body's gravity has faded).
        body->velocity.y = GROUND_VELOCITY_Y;
    }
    AudioManager* audio = Audio();
    if (audio && !audio->IsPlaying(m_MoveSound)) audio->PlaySound(m_MoveSound);
    m_IsMoving = true;
    TurnTo(m_FacingIndex);
}

void PlayerComponent::TurnTo(int facingIndex)
{
    m_FacingIndex = facingIndex;
    owner->rotation = glm::angleAxis(glm::radians(FacingYawDegrees(facingIndex)), WORLD_UP);
    owner->flags &= ~OBJ_WORLD_VALID;
    UpdateFacing();
    m_IsPreviewDirty = true;
}

void PlayerComponent::StopMoving()
{
    m_IsMoving = false;
    if (AudioManager* audio = Audio())
        if (Platform::AudioChannel* channel = audio->GetChannel(m_MoveSound)) channel->Stop();
    if (PhysicsComponent* body = GetPhysicsComponent(owner)) {
        body->forceAccum = glm::vec3(0.0f);
        body->velocity = glm::vec3(0.0f, GROUND_VELOCITY_Y, 0.0f);
    }
}

void PlayerComponent::UpdateFacing()
{
    if (owner) m_Facing = FacingFromRotation(owner->rotation);
}

// ---- crates ----

GameObject* PlayerComponent::GetCarriedCrate()
{
    return m_CarriedCrate.Refresh() ? m_CarriedCrate.object : nullptr;
}

void PlayerComponent::UpdateCrateActions()
{
    if (!owner) return;
    m_Aim = glm::normalize(glm::vec3(m_Facing.x, AIM_RISE, m_Facing.z));
    if (!m_IsThrowingEnabled) return;

    GameObject* const carried = GetCarriedCrate();
    const bool carrying = carried != nullptr;
    if (m_AreMarkersShown && !carrying) {
        // The crate died while carried.
        m_AreMarkersShown = false;
        HideThrowMarkers();
    }
    if (carrying) {
        UpdateCarriedCrate();
        // Let go inside a wall, a crate field or another crate, the crate
        // would be pushed out anywhere: it stays carried.
        const bool fits = CrateFitsAt(carried, carried->position);
        // Put-down wins over a throw in its frame, refused or not: a person
        // who asked to set the crate down never sees it fly.
        if (IsPressed(ACTION_DROP)) {
            if (fits && !LandsOnLedge(carried)) {
                MoveOffRim(carried);
                PutDownCrate();
                PlayEffect(PUTDOWN_SOUND);
            } else {
                RefuseLetGo(carried);
            }
        } else if (IsPressed(ACTION_THROW)) {
            if (fits) {
                ThrowCrate();
                PlayEffect(THROW_SOUND);
            } else {
                RefuseLetGo(carried);
            }
        }
        if (GetCarriedCrate()) return;
    }
    // Pick-up and throw share a button: the press that threw a crate also
    // picks up one within reach in front, without turning away from the
    // throw. Not the crate let go in this frame: it still floats where it
    // was carried.
    if (!IsPressed(ACTION_PICKUP)) return;
    int side = -1;
    GameObject* crate = FindCrateToLift(carried, carrying, side);
    if (side >= 0) TurnTo(side);
    PickUpCrate(crate);
}

GameObject* PlayerComponent::FindCrateToLift(const GameObject* except, bool facedOnly, int& side) const
{
    side = -1;
    ObjectManager* objects = Objects();
    if (!objects) return nullptr;
    // A copy: the manager's result list is overwritten by the next query.
    const GameObjectGroup crates = objects->GetActiveObjectsOfType(CRATE);
    struct Reached
    {
        GameObject* crate;
        CrateReach reach;
    };
    std::vector<Reached> reached;
    for (GameObject* crate : crates) {
        CrateReach reach;
        if (crate != except && CrateInReach(crate, reach) && (reach.faced != FACED_NOT || !facedOnly))
            reached.push_back({crate, reach});
    }
    // The one straight ahead, then one faced, then one beside; the nearer first.
    std::sort(reached.begin(), reached.end(), [](const Reached& a, const Reached& b) {
        if (a.reach.faced != b.reach.faced) return a.reach.faced < b.reach.faced;
        return a.reach.distance < b.reach.distance;
    });
    for (const Reached& entry : reached) {
        if (IsReachBlocked(entry.crate, entry.reach.nearest)) continue;
        if (facedOnly) return entry.crate;
        side = SideToLift(entry.crate, entry.reach);
        if (side >= 0) return entry.crate;
    }
    return nullptr;
}

bool PlayerComponent::CrateInReach(GameObject* crate, CrateReach& reach) const
{
    CollisionComponent* collision = GetCollisionComponent(crate);
    auto* box = collision ? dynamic_cast<CollisionBox*>(collision->GetPrimitive()) : nullptr;
    if (!box) return false;
    // Gameplay may have moved the crate since the last physics step.
    collision->UpdatePrimitive();
    // The point of the crate's box nearest to the robot's centre.
    const glm::vec3 centre = box->GetCentre();
    const glm::vec3 apart = owner->position - centre;
    reach.nearest = centre;
    for (int i = 0; i < 3; ++i) {
        const glm::vec3 axis = box->GetAxis(i);
        const float half = box->scaledHalfSize[i];
        reach.nearest += axis * glm::clamp(glm::dot(apart, axis), -half, half);
    }
    // At the robot's height only: not a crate on a ledge above or below it.
    if (std::fabs(reach.nearest.y - owner->position.y) > ON_LINE) return false;
    glm::vec3 across = reach.nearest - owner->position;
    across.y = 0.0f;
    // A square about the robot: the cells around its own, diagonals too.
    if (std::fabs(across.x) > PICKUP_REACH || std::fabs(across.z) > PICKUP_REACH) return false;
    reach.distance = glm::length(across);
    reach.faced = FacedBy(across, m_Facing);
    return true;
}

int PlayerComponent::SideToLift(const GameObject* crate, const CrateReach& reach) const
{
    glm::vec3 to = crate->position - owner->position;
    to.y = 0.0f;
    glm::vec3 across = reach.nearest - owner->position;
    across.y = 0.0f;
    // The two world axes towards the crate, the nearer first: in front of
    // the robot turned that way, it alone. Off to a corner, the one the
    // robot turns less for first.
    glm::vec3 sides[2] = {glm::vec3(Sign(to.x), 0.0f, 0.0f), glm::vec3(0.0f, 0.0f, Sign(to.z))};
    if (std::fabs(to.z) > std::fabs(to.x)) std::swap(sides[0], sides[1]);
    const int count = FacedBy(across, sides[0]) == FACED_NOT ? 2 : 1;
    const bool diagonal = std::fabs(std::fabs(to.x) - std::fabs(to.z)) <= DIAGONAL_SLACK;
    if (count == 2 && diagonal && glm::dot(sides[1], m_Facing) > glm::dot(sides[0], m_Facing))
        std::swap(sides[0], sides[1]);
    PhysicsManager* physics = Physics();
    int taking = -1;
    for (int i = 0; i < count; ++i) {
        // Off to the corner it comes by the cell beside the robot: round
        // the corner of a wall there, it would pass through it.
        const glm::vec3 beside = owner->position + sides[i] * CELL_SIZE;
        if (FacedBy(across, sides[i]) == FACED_NOT && physics &&
            physics->FindStopper(crate, beside, LET_GO_OVERLAP, true, {ENEMY, BOSS, CRATE}))
            continue;
        const int index = FacingIndexOf(sides[i]);
        if (CrateFitsAt(crate, beside + glm::vec3(0.0f, CARRY_HEIGHT, 0.0f))) return index;
        if (taking < 0) taking = index;
    }
    return taking;
}

PlayerComponent::CrateFaced PlayerComponent::FacedBy(const glm::vec3& across, const glm::vec3& facing) const
{
    const glm::vec3 front(facing.x, 0.0f, facing.z);
    if (glm::length(front) < 1e-6f) return FACED_NOT;
    const glm::vec3 unit = glm::normalize(front);
    const float along = glm::dot(across, unit);
    const float aside = glm::length(across - along * unit);
    if (along <= ON_LINE || aside > FrontHalfWidth(unit)) return FACED_NOT;
    return aside <= ON_LINE ? FACED_STRAIGHT : FACED_FRONT;
}

bool PlayerComponent::IsReachBlocked(const GameObject* crate, const glm::vec3& to) const
{
    ObjectManager* objects = Objects();
    if (!objects) return false;
    LineSegment segment;
    segment.start = owner->position;
    segment.end = to;
    segment.length = glm::length(to - owner->position);
    segment.UpdateDirection();
    // Blocks flush with the line (beside the crate, beside the robot) leave it free.
    segment.radius = -REACH_GRAZE;
    const GameObjectGroup others = objects->GetActiveObjects();
    for (GameObject* other : others) {
        if (other == owner || other == crate) continue;
        // Movers aside: another crate on the way is the nearer one.
        if (other->type == CRATE || other->type == PLAYER || other->type == ENEMY || other->type == BOSS) continue;
        CollisionComponent* collision = GetCollisionComponent(other);
        auto* box = collision ? dynamic_cast<CollisionBox*>(collision->GetPrimitive()) : nullptr;
        if (!box || !collision->active) continue;
        // A field of either kind looks like glass: not reached through.
        // What the crate passes otherwise (a switch's tile) does not stand
        // between: the crate comes to the robot's hands.
        Contact contact(glm::vec3(0.0f), 0.0f, 0.0f);
        contact.SetBodyData(const_cast<GameObject*>(crate), other, 0.0f);
        if (other->type != FORCEFIELD && other->type != CRATEFORCEFIELD && !contact.IsResolvable()) continue;
        collision->UpdatePrimitive();
        float t = 0.0f;
        glm::vec3 point(0.0f);
        if (CollisionDetector::SegmentAndBox(segment, *box, t, point)) return true;
    }
    return false;
}

float PlayerComponent::FrontHalfWidth(const glm::vec3& facing) const
{
    const CollisionComponent* collision = GetCollisionComponent(owner);
    const auto* box = collision ? dynamic_cast<const CollisionBox*>(collision->GetPrimitive()) : nullptr;
    if (!box) return 0.0f;
    // The robot turns only about y: across its facing lies its x or z extent.
    const glm::vec3 half = box->halfSize * owner->scale;
    return std::fabs(facing.x) > std::fabs(facing.z) ? half.z : half.x;
}

void PlayerComponent::StopPushedCrate()
{
    // A crate the robot walked into took its speed and more (the contact's
    // bounce), and on a floor almost nothing slows it but drag: it would
    // slide on for a cell or more, out of reach of the pick-up.
    int side = -1;
    GameObject* crate = FindCrateToLift(GetCarriedCrate(), true, side);
    PhysicsComponent* body = crate ? GetPhysicsComponent(crate) : nullptr;
    if (!body || glm::dot(body->velocity, m_Facing) <= 0.0f) return;
    body->velocity.x = 0.0f;
    body->velocity.z = 0.0f;
}

bool PlayerComponent::CrateFitsAt(const GameObject* crate, const glm::vec3& position) const
{
    PhysicsManager* physics = Physics();
    // Enemies and the boss are what a crate (with the explosion) is set down
    // against, into their reach. A field the crate passes holds nothing.
    return !physics || !physics->FindStopper(crate, position, LET_GO_OVERLAP, false, {ENEMY, BOSS});
}

bool PlayerComponent::LandsOnLedge(const GameObject* crate) const
{
    PhysicsManager* physics = Physics();
    // Under the crate's centre, at the robot's height: something it would
    // rest on at the carry height (a field for robots it falls through, to
    // the floor). Crates aside: a stack is taken apart from the bottom; and
    // barriers, which a crate with the explosion is set on.
    const glm::vec3 low = crate->position - glm::vec3(0.0f, CARRY_HEIGHT, 0.0f);
    return physics && physics->FindStopper(crate, low, LET_GO_OVERLAP, false, {ENEMY, BOSS, CRATE, BARRIER});
}

void PlayerComponent::RefuseLetGo(GameObject* crate)
{
    // Silent, a refusal had a person click again and again. (Not the
    // opacity: the renderer sets every crate's each frame.)
    PlayEffect(REFUSED_SOUND);
    GraphicsComponent* graphics = GetGraphicsComponent(crate);
    if (!graphics) return;
    if (m_RefusalTimer <= 0.0f) m_TextureBeforeRefusal = graphics->GetTextureName();
    // Turned red by UpdateRefusal, later in the frame.
    m_RefusalTimer = REFUSAL_TIME;
}

void PlayerComponent::UpdateRefusal()
{
    if (m_RefusalTimer <= 0.0f) return;
    m_RefusalTimer -= GameplayFrameStep();
    if (m_RefusalTimer <= 0.0f) EndRefusal();
    // Over the power preview's texture, which is set every frame.
    else SetCrateTexture(GetCarriedCrate(), REFUSAL_TEXTURE);
}

void PlayerComponent::EndRefusal()
{
    SetCrateTexture(GetCarriedCrate(), m_TextureBeforeRefusal);
    m_RefusalTimer = 0.0f;
}

void PlayerComponent::MoveOffRim(GameObject* crate)
{
    PhysicsManager* physics = Physics();
    const CollisionComponent* own = GetCollisionComponent(crate);
    if (!physics || !own || !own->GetPrimitive()) return;
    const glm::vec3 reach = PhysicsManager::WorldReach(*crate, *own->GetPrimitive());
    // A corner may hang over two tops.
    for (int pass = 0; pass < 2; ++pass) {
        const glm::vec3 below = crate->position - glm::vec3(0.0f, RIM_PROBE_DEPTH, 0.0f);
        const GameObject* top = physics->FindStopper(crate, below, 0.0f, true, {ENEMY, BOSS});
        const CollisionComponent* collision = top ? GetCollisionComponent(top) : nullptr;
        if (!collision || !dynamic_cast<const CollisionBox*>(collision->GetPrimitive())) return;
        const glm::vec3 topReach = PhysicsManager::WorldReach(*top, *collision->GetPrimitive());
        const glm::vec3 apart = crate->position - top->position;
        bool moved = false;
        for (int k : {0, 2}) {
            // Its centre over the top on this axis: it stands there.
            if (std::fabs(apart[k]) <= topReach[k]) continue;
            crate->position[k] += Sign(apart[k]) * (reach[k] + topReach[k] - std::fabs(apart[k]) + RIM_CLEARANCE);
            moved = true;
        }
        if (!moved) return;
        crate->flags &= ~OBJ_WORLD_VALID;
    }
}

void PlayerComponent::PickUpCrate(GameObject* crate)
{
    if (!owner || !crate || GetCarriedCrate()) return;
    m_CarriedCrate = crate;
    crate->position.y = owner->position.y + CARRY_HEIGHT;
    crate->flags &= ~OBJ_WORLD_VALID;
    CreateThrowMarkers();
    m_IsPreviewDirty = true;
    PlayEffect(PICKUP_SOUND);
    m_AreMarkersShown = true;
}

void PlayerComponent::UpdateCarriedCrate()
{
    GameObject* crate = GetCarriedCrate();
    if (!owner || !crate) return;
    crate->position = owner->position + m_Facing;
    // Held, it has no motion of its own (the preview and the throw start from rest).
    if (PhysicsComponent* body = GetPhysicsComponent(crate)) body->velocity = glm::vec3(0.0f);
    if (GravityForceGenerator* gravity = GetGravityGenerator(crate)) gravity->gravity.y = FULL_GRAVITY_Y;
    crate->position.y = owner->position.y + CARRY_HEIGHT;
    crate->flags &= ~OBJ_WORLD_VALID;
    if (m_PowerPreviewEmitter) {
        m_PowerPreviewEmitter->position = crate->position;
        m_PowerPreviewEmitter->flags &= ~OBJ_WORLD_VALID;
    }
    UpdateThrowPreview();
}

void PlayerComponent::PutDownCrate()
{
    GameObject* crate = GetCarriedCrate();
    if (!crate) return;
    m_PowerManager.ApplySelectedPower(crate, owner);
    ReleaseCarriedCrate();
}

void PlayerComponent::ReleaseCarriedCrate()
{
    GameObject* crate = GetCarriedCrate();
    if (!crate) return;
    if (m_RefusalTimer > 0.0f) EndRefusal();
    if (PhysicsComponent* body = GetPhysicsComponent(crate)) body->flags |= BODY_AWAKE;
    if (GravityForceGenerator* gravity = GetGravityGenerator(crate)) gravity->gravity.y = FULL_GRAVITY_Y;
    ClearPowerSelection();
    m_CarriedCrate = nullptr;
    HideThrowMarkers();
    m_AreMarkersShown = false;
}

void PlayerComponent::ThrowCrate()
{
    GameObject* crate = GetCarriedCrate();
    if (!crate) return;
    if (PhysicsComponent* body = GetPhysicsComponent(crate)) body->velocity = m_Aim * m_ThrowForce;
    m_PowerManager.ApplySelectedPower(crate, owner);
    PutDownCrate();
}

// ---- powers ----

UILogicComponent* PlayerComponent::GetExplosionIcon() { return IconOf(m_ExplosionIconObject); }

UILogicComponent* PlayerComponent::GetTeleportIcon() { return IconOf(m_TeleportIconObject); }

void PlayerComponent::LinkPowerIcons()
{
    ObjectManager* objects = Objects();
    if (!objects) return;
    const GameObjectGroup elements = objects->GetObjectsWithComponent(CT_UILOGIC);
    for (GameObject* object : elements) {
        auto* logic = object->GetComponent<UILogicComponent>();
        if (!logic) continue;
        const std::string texture = logic->GetTextureDefault();
        if (texture == EXPLOSION_ICON_TEXTURE) m_ExplosionIconObject = object;
        else if (texture == TELEPORT_ICON_TEXTURE) m_TeleportIconObject = object;
        else continue;
        SetDepth(object, POWER_ICON_Z);
    }
    for (GameObject* object : objects->GetObjectsWithComponent(CT_GUI)) {
        auto* gui = object->GetComponent<GUIComponent>();
        if (gui && gui->m_textureId == POWERS_BACKING_TEXTURE) SetDepth(object, POWERS_BACKING_Z);
    }
}

void PlayerComponent::UpdatePowerSelection()
{
    GameObject* crate = GetCarriedCrate();
    // Only a plain carried crate takes a power.
    if (!crate || crate->GetComponent(CT_EXPLODE) || crate->GetComponent(CT_TELEPORT)) {
        ClearPowerSelection();
        m_PowerManager.ClearSelection();
        return;
    }
    if (m_PowerManager.HasPower(m_Power1) && IsPressed(ACTION_POWER1))
        TogglePowerKey(m_Power1, crate, GetExplosionIcon(), GetTeleportIcon());
    if (m_PowerManager.HasPower(m_Power2) && IsPressed(ACTION_POWER2))
        TogglePowerKey(m_Power2, crate, GetTeleportIcon(), GetExplosionIcon());
    UpdatePowerPreview(crate);
}

void PlayerComponent::TogglePowerKey(int power, GameObject* crate, UILogicComponent* chosen, UILogicComponent* other)
{
    m_PowerManager.TogglePower(power);
    SetCrateTexture(crate, m_CrateTexture);
    m_TextureBeforeRefusal = m_CrateTexture;
    ReleaseShownIcon(other);
    ShowIcon(chosen);
}

void PlayerComponent::UpdatePowerPreview(GameObject* crate)
{
    switch (m_PowerManager.GetSelectedPower()) {
    case CT_EXPLODE:
        ShowPowerPreview(crate, PARTICLE_SPARK, EXPLOSION_PREVIEW_COUNT, EXPLOSION_PREVIEW_TEXTURE);
        break;
    case CT_TELEPORT:
        ShowPowerPreview(crate, PARTICLE_SPIRAL, TELEPORT_PREVIEW_COUNT, TELEPORT_PREVIEW_TEXTURE);
        break;
    case PowerManager::NO_POWER: ReleaseCompanion(m_PowerPreviewEmitter); break;
    default: break;
    }
}

void PlayerComponent::ShowPowerPreview(GameObject* crate, int pattern, int count, const char* texture)
{
    const ParticleEmitter* shown = GetParticleEmitter(m_PowerPreviewEmitter);
    if (m_PowerPreviewEmitter && (!shown || shown->m_pattern != pattern)) ReleaseCompanion(m_PowerPreviewEmitter);
    if (!m_PowerPreviewEmitter) {
        m_PowerPreviewEmitter = CreateEmitter(crate->position, pattern, count, glm::vec3(0.0f), true);
        if (ParticleEmitter* emitter = GetParticleEmitter(m_PowerPreviewEmitter)) emitter->m_phase = 0.0f;
    }
    SetCrateTexture(crate, texture);
}

void PlayerComponent::ClearPowerSelection()
{
    const int selected = m_PowerManager.GetSelectedPower();
    if (selected != PowerManager::NO_POWER) {
        UILogicComponent* icon = nullptr;
        if (selected == CT_EXPLODE) icon = GetExplosionIcon();
        else if (selected == CT_TELEPORT) icon = GetTeleportIcon();
        if (icon) icon->m_SelectState = icon->m_SelectState == UI_STATE_HOLDING ? UI_STATE_ENDED : UI_STATE_IDLE;
        m_PowerManager.TogglePower(selected);
    }
    ReleaseCompanion(m_PowerPreviewEmitter);
}

// ---- throw preview ----

void PlayerComponent::UpdateThrowPreview()
{
    const int power = m_PowerManager.GetSelectedPower();
    if (!m_IsPreviewDirty && power == m_PreviewPower) return;
    GameObject* crate = GetCarriedCrate();
    if (!crate) return;
    m_IsPreviewDirty = false;
    m_PreviewPower = power;
    PhysicsManager* physics = Physics();
    std::vector<glm::vec3> points;
    // A crate given the explosion goes off where it first touches something.
    if (physics)
        points = physics->PredictTrajectory(crate, PREVIEW_TIME, GameplayFrameStep() * PREVIEW_SAMPLE_FRAMES,
                                            m_Aim * m_ThrowForce,
                                            power == CT_EXPLODE ? &ExplodeComponent::IsSetOffBy : nullptr);
    // A crate falling out of the level is removed at CRATE_FALL_Y, far below
    // the camera's view: its flight ends where it last sank a little below
    // the robot's floor, in the gap it falls through.
    const auto gone = std::find_if(points.begin(), points.end(),
                                   [](const glm::vec3& p) { return p.y <= CrateComponent::CRATE_FALL_Y; });
    if (gone != points.end()) {
        const float sunk = owner->position.y - HalfHeight(*owner) - FALL_MARK_DEPTH;
        auto end = gone;
        while (end != points.begin() && (end - 1)->y <= sunk) --end;
        points.erase(end + 1, points.end());
    }
    // A longer flight than the markers cover (a long fall, a slide, or short
    // frames): they spread over all of it, so that the red one still marks
    // where the crate comes to rest.
    if (points.size() > static_cast<std::size_t>(THROW_MARKER_COUNT)) {
        std::vector<glm::vec3> spread(THROW_MARKER_COUNT);
        const std::size_t last = points.size() - 1;
        for (std::size_t i = 0; i < spread.size(); ++i) spread[i] = points[i * last / (spread.size() - 1)];
        points.swap(spread);
    }
    const int n = static_cast<int>(points.size());
    for (int i = 0; i < THROW_MARKER_COUNT; ++i) {
        GameObject* marker = m_ThrowMarkers[i];
        if (!marker) continue;
        if (n >= 2 && i < n - 2) {
            ShowMarker(marker, points[i], PATH_TEXTURE);
        } else if (n >= 2 && i == n - 1) {
            // The red marker lies where the crate's underside rests, on the
            // surface it rests on: at the crate's centre, half a cell up,
            // the camera's downward view showed it a whole cell farther, and
            // a person aiming it at a pad threw a cell short.
            const glm::vec3 below(0.0f, LandingDrop(*crate, *marker), 0.0f);
            ShowMarker(marker, points[i] - below, LANDING_TEXTURE);
        } else {
            HideMarker(marker);
        }
    }
}

void PlayerComponent::CreateThrowMarkers()
{
    ObjectManager* objects = Objects();
    if (!owner || !objects) return;
    for (GameObject*& marker : m_ThrowMarkers) {
        if (marker) continue;
        marker = objects->CreateInstance(THROWINDICATOR, owner->position);
        // The pool is full: the rest would fail alike.
        if (!marker) return;
        HideMarker(marker);
    }
}

void PlayerComponent::HideThrowMarkers()
{
    for (GameObject* marker : m_ThrowMarkers)
        if (marker) HideMarker(marker);
}

// ---- appear and leave ----

void PlayerComponent::StartSpawnEffect(bool appearing)
{
    if (!owner) return;
    if (!m_SpawnEmitter)
        m_SpawnEmitter = CreateEmitter(owner->position, appearing ? PARTICLE_ARRIVE : PARTICLE_LEAVE,
                                       SPAWN_EFFECT_COUNT, SPAWN_EFFECT_DIRECTION, true);
    m_IsSpawning = true;
    m_IsAppearing = appearing;
    m_HasLeft = false;
    GraphicsComponent* graphics = GetGraphicsComponent(owner);
    if (!graphics) return;
    if (appearing) {
        m_StartOpacity = 0.0f;
        m_TargetOpacity = graphics->GetOpacity();
        graphics->SetOpacity(0.0f);
    } else {
        m_StartOpacity = graphics->GetOpacity();
        m_TargetOpacity = 0.0f;
    }
}

void PlayerComponent::UpdateSpawnEffect()
{
    const float d = GameplayFrameStep();
    m_SpawnTimer += d;
    GraphicsComponent* graphics = GetGraphicsComponent(owner);
    // Without a duration there is nothing to fade: the end step sets the target.
    if (graphics && m_SpawnTime > 0.0f) {
        if (m_IsAppearing) graphics->SetOpacity(graphics->GetOpacity() + m_TargetOpacity * d / m_SpawnTime);
        else graphics->SetOpacity(graphics->GetOpacity() - m_StartOpacity * d / m_SpawnTime);
    }
    if (PhysicsComponent* body = GetPhysicsComponent(owner))
        body->velocity = glm::vec3(0.0f, GROUND_VELOCITY_Y, 0.0f);
    if (m_SpawnTimer > m_SpawnTime || m_SpawnTime <= 0.0f) {
        m_SpawnTimer = 0.0f;
        m_IsSpawning = false;
        m_HasLeft = !m_IsAppearing;
        EndSpawnEffect();
    }
}

void PlayerComponent::EndSpawnEffect()
{
    ReleaseCompanion(m_SpawnEmitter);
    if (GraphicsComponent* graphics = GetGraphicsComponent(owner)) graphics->SetOpacity(m_TargetOpacity);
}

// ---- reset ----

void PlayerComponent::ResetToCheckpoint()
{
    System* system = System::PeekInstance();
    CheckpointStore* checkpoints = system ? system->checkpointStore : nullptr;
    if (checkpoints && checkpoints->HasCheckpoint()) {
        checkpoints->Restore();
        QRX_LOG_INFO("Using checkpoint since reset pressed");
        return;
    }
    QRX_LOG_INFO("Reloading since reset pressed");
    if (system && system->gameStateManager) system->gameStateManager->RequestReload();
}

} // namespace QRX
