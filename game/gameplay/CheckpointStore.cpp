#include "game/gameplay/CheckpointStore.h"

#include <algorithm>

#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"
#include "game/gameplay/BridgeComponent.h"
#include "game/gameplay/BridgeTriggerComponent.h"
#include "game/gameplay/CrateSpawnerComponent.h"
#include "game/gameplay/DoorComponent.h"
#include "game/gameplay/GameplayCommon.h"
#include "game/gameplay/PlayerComponent.h"
#include "game/gameplay/SwitchComponent.h"

namespace QRX {

namespace {

void Place(GameObject* object, const CheckpointRecord& record)
{
    object->position = record.position;
    object->scale = record.scale;
    object->rotation = record.rotation;
    object->flags &= ~(OBJ_WORLD_VALID | OBJ_LEVEL_OWN);
    // Matched by order, the object stands in for the saved one in a level save too.
    if (record.levelOwn) object->flags |= OBJ_LEVEL_OWN;
    if (PhysicsComponent* body = GetPhysicsComponent(object)) {
        body->velocity = glm::vec3(0.0f);
        body->forceAccum = glm::vec3(0.0f);
        body->flags |= BODY_AWAKE;
    }
    if (GravityForceGenerator* gravity = GetGravityGenerator(object)) gravity->gravity.y = FULL_GRAVITY_Y;
}

// The kinds of component whose objects a snapshot records as they stand.
const Components MECHANISMS[] = {CT_SWITCH, CT_DOOR, CT_BRIDGE, CT_BRIDGETRIGGER};

} // namespace

CheckpointStore::CheckpointStore() : m_SavedTypes{CRATE, BARRIER, PLAYER} {}

void CheckpointStore::Save(const CheckpointActivation& activation)
{
    m_Activations.push_back(activation);
    m_Snapshots.emplace_back();
    m_Mechanisms.emplace_back();
    Snapshot& snapshot = m_Snapshots.back();
    System* system = System::PeekInstance();
    ObjectManager* objects = system ? system->objectManager : nullptr;
    if (!objects) return;
    for (int type : m_SavedTypes) {
        for (const GameObject* object : objects->GetActiveObjectsOfType(static_cast<ObjectType>(type))) {
            CheckpointRecord record;
            record.objectType = static_cast<std::uint32_t>(type);
            record.position = object->position;
            record.scale = object->scale;
            record.rotation = object->rotation;
            record.levelOwn = (object->flags & OBJ_LEVEL_OWN) != 0;
            snapshot.push_back(record);
        }
    }
    SaveMechanisms();
}

void CheckpointStore::SaveMechanisms()
{
    std::vector<MechanismRecord>& saved = m_Mechanisms.back();
    ObjectManager* objects = Objects();
    if (!objects) return;
    GameObjectGroup found;
    for (Components kind : MECHANISMS)
        for (GameObject* object : objects->GetActiveObjectsWithComponent(kind))
            if (std::find(found.begin(), found.end(), object) == found.end()) found.push_back(object);
    for (GameObject* object : found) {
        MechanismRecord& record = saved.emplace_back();
        record.object = object;
        record.position = object->position;
        record.scale = object->scale;
        if (const auto* floorSwitch = object->GetComponent<SwitchComponent>()) {
            record.touched = floorSwitch->m_IsPressed;
            record.pressCount = floorSwitch->m_PressCount;
            record.releaseCount = floorSwitch->m_ReleaseCount;
        }
        if (const auto* door = object->GetComponent<DoorComponent>()) {
            record.doorState = door->m_State;
            record.open = door->m_IsOpen;
            record.openCount = door->m_OpenCount;
            record.closeCount = door->m_CloseCount;
            record.progress = door->m_Progress;
        }
        if (const auto* bridge = object->GetComponent<BridgeComponent>()) {
            record.active = bridge->m_IsActive;
            record.moving = bridge->m_IsExtending;
            record.delayTimer = bridge->m_DelayTimer;
        }
        if (const auto* trigger = object->GetComponent<BridgeTriggerComponent>()) record.touched = trigger->m_IsPressed;
    }
}

void CheckpointStore::RestoreMechanisms()
{
    if (m_Mechanisms.empty()) return;
    for (MechanismRecord& record : m_Mechanisms.back()) {
        if (!record.object.Refresh()) continue;
        GameObject* object = record.object.object;
        object->position = record.position;
        object->scale = record.scale;
        object->flags &= ~OBJ_WORLD_VALID;
        if (auto* floorSwitch = object->GetComponent<SwitchComponent>()) {
            floorSwitch->m_IsPressed = record.touched;
            floorSwitch->m_PressCount = record.pressCount;
            floorSwitch->m_ReleaseCount = record.releaseCount;
        }
        if (auto* door = object->GetComponent<DoorComponent>()) {
            door->m_State = record.doorState;
            door->m_IsOpen = record.open;
            door->m_OpenCount = record.openCount;
            door->m_CloseCount = record.closeCount;
            door->m_Progress = record.progress;
        }
        if (auto* bridge = object->GetComponent<BridgeComponent>()) {
            bridge->m_IsActive = record.active;
            bridge->m_IsExtending = record.moving;
            bridge->m_DelayTimer = record.delayTimer;
        }
        if (auto* trigger = object->GetComponent<BridgeTriggerComponent>()) trigger->m_IsPressed = record.touched;
    }
}

void CheckpointStore::Restore()
{
    if (m_Snapshots.empty()) return;
    // A copy: objects made below run their Init, and the walk must not
    // depend on the store staying as it is meanwhile.
    const Snapshot snapshot = m_Snapshots.back();
    RestoreMechanisms();
    for (int type : m_SavedTypes) RestoreType(type, snapshot);
    ReleaseCrates();
}

void CheckpointStore::ReleaseCrates()
{
    System* system = System::PeekInstance();
    ObjectManager* objects = system ? system->objectManager : nullptr;
    if (!objects) return;
    // A copy: each spawner's look-up of its crate refills the manager's list.
    const GameObjectGroup spawners = objects->GetObjectsWithComponent(CT_CRATESPAWNERCOMPONENT);
    for (GameObject* object : spawners)
        if (auto* spawner = object->GetComponent<CrateSpawnerComponent>())
            spawner->RelinkLastCrate();
    // A crate put back is not held: left in the robot's hands it would be
    // carried off its restored place, one checkpoint crate short.
    for (GameObject* robot : objects->GetActiveObjectsOfType(PLAYER))
        if (auto* player = robot->GetComponent<PlayerComponent>()) player->ReleaseCarriedCrate();
}

void CheckpointStore::RestoreType(int type, const Snapshot& snapshot)
{
    System* system = System::PeekInstance();
    ObjectManager* objects = system ? system->objectManager : nullptr;
    if (!objects) return;
    // A copy: the Init of an object made here may query the manager.
    const GameObjectGroup live = objects->GetActiveObjectsOfType(static_cast<ObjectType>(type));

    // From the type's first record, or from the very first record when the
    // type has none (which then ends the walk at once).
    size_t start = 0;
    for (size_t i = 0; i < snapshot.size(); ++i) {
        if (snapshot[i].objectType == static_cast<std::uint32_t>(type)) {
            start = i;
            break;
        }
    }

    size_t cursor = 0;
    for (size_t i = start; i < snapshot.size(); ++i) {
        const CheckpointRecord& record = snapshot[i];
        if (record.objectType != static_cast<std::uint32_t>(type)) {
            for (size_t k = cursor; k < live.size(); ++k) live[k]->flags |= OBJ_DESTROY;
            return;
        }
        if (cursor < live.size()) {
            Place(live[cursor], record);
            ++cursor;
            continue;
        }
        // The object is gone since the save: make it again. A full pool
        // leaves it out (the manager has reported it).
        GameObject* made = objects->CreateInstance(static_cast<ObjectType>(type), record.position);
        if (made) Place(made, record);
    }
}

void CheckpointStore::Clear()
{
    m_Snapshots.clear();
    m_Mechanisms.clear();
    m_Activations.clear();
}

} // namespace QRX
