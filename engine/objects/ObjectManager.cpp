#include "engine/objects/ObjectManager.h"

#include <algorithm>

#include "engine/core/EngineDoor.h"
#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/Component.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/GameObjectHandle.h"

namespace QRX {

ObjectManager::ObjectManager()
{
    RefillPool();
}

ObjectManager::~ObjectManager()
{
    // Normally Shutdown has run; a manager deleted without it still returns
    // every object and master.
    if (!m_pool.empty() || !m_masters.empty() || !m_live.empty() || !m_persistent.empty()) {
        for (auto& entry : m_live)
            for (GameObjectHandle* handle : entry.second.handles) handle->isValid = false;
        m_live.clear();
        m_persistent.clear();
        for (GameObject* object : m_pool) {
            object->DestroyComponents();
            delete object;
        }
        m_pool.clear();
        ReleaseMasterObjects();
    }
    DeleteFactories(m_factories);
}

// ---- creation ----

GameObject* ObjectManager::FindFreeSlot() const
{
    for (GameObject* slot : m_pool)
        if (!(slot->flags & OBJ_ALIVE)) return slot;
    return nullptr;
}

GameObject* ObjectManager::TakeSlot(ObjectType type, bool enterLive)
{
    GameObject* obj = FindFreeSlot();
    QRX_ASSERT(obj, 1, "No dead/available objects found!");
    if (!obj) return nullptr;

    GameObject* master = FindMasterObject(type);
    if (!master) {
        const std::string path = MasterObjectPath(type);
        master = LoadObject(path);
        // A file naming another type made (or found) that type's master: the
        // object comes out of that type, which must not go unnoticed.
        if (master && master->type != type)
            QRX_LOG_WARNING("Master object file %s describes %s, not %s: the object is a %s", path.c_str(),
                            ObjectTypeToString(master->type).c_str(), ObjectTypeToString(type).c_str(),
                            ObjectTypeToString(master->type).c_str());
    }
    if (!master) return nullptr;  // the slot stays free

    obj->CopyFrom(master);
    obj->layer = 0;
    obj->stateId = CurrentStateId();
    obj->flags = (obj->flags & ~OBJ_LEVEL_OWN) | OBJ_ALIVE | OBJ_ACTIVE;
    // Nothing runs in the editor: whatever is made there is placed by hand.
    if (IsEditorStateCurrent()) obj->flags |= OBJ_LEVEL_OWN;
    obj->id = ++m_lastId;
    if (enterLive) m_live[obj->id] = ObjectEntry{obj, {}};
    return obj;
}

void ObjectManager::InitIfInPlay(GameObject* obj)
{
    if (IsStateUpdating() && !IsEditorStateCurrent()) obj->InitComponents();
}

GameObject* ObjectManager::CreateInstanceHelper(ObjectType type, bool enterLive)
{
    GameObject* obj = TakeSlot(type, enterLive);
    if (obj) InitIfInPlay(obj);
    return obj;
}

void ObjectManager::Place(GameObject* object, const glm::vec3& position)
{
    object->position = position;
    object->previousPosition = position;
    object->flags &= ~OBJ_WORLD_VALID;
}

GameObject* ObjectManager::CreateInstance(ObjectType type, const glm::vec3& position)
{
    GameObject* obj = TakeSlot(type, true);
    if (!obj) return nullptr;
    obj->layer = 0;
    Place(obj, position);
    InitIfInPlay(obj);
    return obj;
}

GameObject* ObjectManager::CreatePlacedInstance(ObjectType type, const glm::vec3& position, int layer, int stateId)
{
    GameObject* obj = TakeSlot(type, true);
    if (!obj) return nullptr;
    obj->layer = layer;
    obj->stateId = stateId;
    Place(obj, position);
    InitIfInPlay(obj);
    return obj;
}

GameObject* ObjectManager::CreateGizmoInstance(ObjectType type, const glm::vec3& position, int layer, int stateId,
                                               bool active)
{
    GameObject* obj = TakeSlot(type, true);
    if (!obj) return nullptr;
    obj->layer = layer;
    obj->stateId = stateId;
    Place(obj, position);
    if (active) obj->flags |= OBJ_ACTIVE;
    else obj->flags &= ~OBJ_ACTIVE;
    InitIfInPlay(obj);
    return obj;
}

GameObject* ObjectManager::CreateUIObject(int stateId, const glm::vec3& position, const glm::quat& rotation,
                                          const glm::vec3& scale)
{
    GameObject* obj = TakeSlot(UIOBJECT, true);
    if (!obj) return nullptr;
    obj->stateId = stateId;
    obj->layer = 1;
    Place(obj, position);
    obj->scale = scale;
    obj->rotation = rotation;
    InitIfInPlay(obj);
    return obj;
}

GameObject* ObjectManager::CreatePersistentInstance(ObjectType type)
{
    GameObject* obj = TakeSlot(type, false);
    if (!obj) return nullptr;
    // Ids restart after a level clear; an id still held by another persistent
    // instance is skipped rather than overwriting its entry.
    while (m_persistent.count(obj->id)) obj->id = ++m_lastId;
    m_persistent[obj->id] = ObjectEntry{obj, {}};
    InitIfInPlay(obj);
    return obj;
}

// ---- masters ----

std::string ObjectManager::MasterObjectPath(ObjectType type) const
{
    return m_objectFolder + ObjectTypeToString(type) + ".xml";
}

GameObject* ObjectManager::LoadObject(const std::string& path)
{
    FileManager* fm = System::GetInstance()->fileManager;
    bool isFileOpened = fm && fm->OpenFile(path);
    QRX_ASSERT(isFileOpened, 1, path + " file cannot be opened!");
    if (!isFileOpened) {
        if (fm) fm->CloseFile(path);  // an unrecognised document stays registered otherwise
        return nullptr;
    }
    GameObject* master = fm->ReadMasterObject();
    fm->CloseFile(path);
    return master;
}

GameObject* ObjectManager::GetMasterObject(ObjectType type)
{
    GameObject* master = FindMasterObject(type);
    if (!master) QRX_LOG_INFO("Master Object of type %d not found!", static_cast<int>(type));
    return master;
}

GameObject* ObjectManager::FindMasterObject(ObjectType type) const
{
    auto it = m_masters.find(type);
    return it == m_masters.end() ? nullptr : it->second;
}

bool ObjectManager::AddMasterObject(ObjectType type, GameObject* master)
{
    if (!master) return false;
    return m_masters.emplace(type, master).second;
}

// ---- per-frame and state hooks ----

void ObjectManager::RefillPool()
{
    if (!m_pool.empty()) return;
    m_pool.reserve(OBJECT_POOL_SIZE);
    for (std::size_t i = 0; i < OBJECT_POOL_SIZE; ++i) m_pool.push_back(new GameObject());
}

void ObjectManager::InitLevelObjects()
{
    const int current = CurrentStateId();
    for (auto& entry : m_live)
        if (entry.second.object->stateId == current) entry.second.object->InitComponents();
}

void ObjectManager::ReleaseEntry(ObjectEntry& entry)
{
    for (GameObjectHandle* handle : entry.handles) handle->isValid = false;
    entry.handles.clear();
    GameObject* object = entry.object;
    object->flags &= ~(OBJ_ALIVE | OBJ_ACTIVE);
    object->DestroyComponents();
}

void ObjectManager::Update()
{
    // The objects marked when the pass starts; one marked by a Free below
    // waits for the next frame, so it too is freed before it goes.
    std::vector<std::int32_t> dying;
    for (auto& entry : m_live) {
        const GameObject* o = entry.second.object;
        if ((o->flags & OBJ_DESTROY) && !(o->flags & OBJ_PERSISTENT)) dying.push_back(entry.first);
    }
    if (dying.empty()) return;
    // Every Free of the frame runs before any object of the frame goes, so a
    // Free may still look at other dying objects.
    if (!IsEditorStateCurrent())
        for (std::int32_t id : dying) {
            auto it = m_live.find(id);
            if (it != m_live.end()) it->second.object->FreeComponents();
        }
    for (std::int32_t id : dying) {
        auto it = m_live.find(id);
        if (it == m_live.end()) continue;
        ReleaseEntry(it->second);
        m_live.erase(it);
    }
}

void ObjectManager::ClearLevelObjects()
{
    const int current = CurrentStateId();
    auto leaving = [current](const GameObject* o) { return !(o->flags & OBJ_PERSISTENT) && o->stateId == current; };
    if (!IsEditorStateCurrent())
        for (auto& entry : m_live)
            if (leaving(entry.second.object)) entry.second.object->FreeComponents();
    for (auto it = m_live.begin(); it != m_live.end();) {
        if (leaving(it->second.object)) {
            ReleaseEntry(it->second);
            it = m_live.erase(it);
        } else {
            ++it;
        }
    }
    RenumberObjects();
    m_lastId = static_cast<std::int32_t>(m_live.size());
}

void ObjectManager::RenumberObjects()
{
    std::uint32_t n = 1;
    for (auto it = m_live.begin(); it != m_live.end(); ++n) {
        GameObject* object = it->second.object;
        if (static_cast<std::uint32_t>(object->id) > n) {
            object->id = static_cast<std::int32_t>(n);
            // Every smaller id is taken by an earlier object, so n is free.
            m_live[object->id] = std::move(it->second);
            it = m_live.erase(it);
        } else {
            ++it;
        }
    }
}

void ObjectManager::ReleaseAllObjects()
{
    if (!IsEditorStateCurrent())
        for (auto& entry : m_live) entry.second.object->FreeComponents();
    // Components of later slots may hold handles to earlier ones: every handle
    // goes invalid, and the maps empty, before any component is destroyed.
    for (auto& entry : m_live)
        for (GameObjectHandle* handle : entry.second.handles) handle->isValid = false;
    m_live.clear();
    m_persistent.clear();
    for (GameObject* object : m_pool) {
        object->DestroyComponents();
        delete object;
    }
    m_pool.clear();
}

void ObjectManager::ReleaseMasterObjects()
{
    for (auto& entry : m_masters) {
        entry.second->DestroyComponents();
        delete entry.second;
    }
    m_masters.clear();
}

void ObjectManager::Shutdown()
{
    ReleaseAllObjects();
    ReleaseMasterObjects();
    for (const EngineDoor::HeldResources& resources : Door().heldResources) {
        if (!resources.held || !resources.held()) continue;
        QRX_LOG_INFO("%s", resources.releaseLine);
        if (resources.release) resources.release();
    }
}

// ---- handles ----

void ObjectManager::RegisterHandle(GameObject* object, GameObjectHandle* handle)
{
    if (!object || !handle || m_live.empty()) return;
    auto it = m_live.find(object->id);
    if (it == m_live.end() || it->second.object != object) return;
    std::vector<GameObjectHandle*>& handles = it->second.handles;
    if (std::find(handles.begin(), handles.end(), handle) == handles.end()) handles.push_back(handle);
}

void ObjectManager::UnregisterHandle(GameObject* object, GameObjectHandle* handle)
{
    // An empty live map also means the slots may be gone: never read the object then.
    if (!object || !handle || m_live.empty()) return;
    auto it = m_live.find(object->id);
    if (it == m_live.end()) return;
    std::vector<GameObjectHandle*>& handles = it->second.handles;
    auto found = std::find(handles.begin(), handles.end(), handle);
    if (found != handles.end()) handles.erase(found);
}

bool ObjectManager::IsObjectInPlay(const GameObject* object) const
{
    if (!object || (m_live.empty() && m_persistent.empty())) return false;
    auto it = m_live.find(object->id);
    if (it != m_live.end() && it->second.object == object) return true;
    it = m_persistent.find(object->id);
    return it != m_persistent.end() && it->second.object == object;
}

// ---- queries ----

GameObjectGroup& ObjectManager::GetObjectsWithComponent(Components componentType)
{
    m_result.clear();
    for (auto& entry : m_live)
        if (entry.second.object->GetComponent(componentType)) m_result.push_back(entry.second.object);
    return m_result;
}

GameObjectGroup& ObjectManager::GetActiveObjectsWithComponent(Components componentType)
{
    m_result.clear();
    for (auto& entry : m_live) {
        GameObject* o = entry.second.object;
        if ((o->flags & OBJ_ACTIVE) && o->GetComponent(componentType)) m_result.push_back(o);
    }
    return m_result;
}

GameObjectGroup& ObjectManager::GetActiveObjectsOfType(ObjectType type)
{
    m_result.clear();
    for (auto& entry : m_live) {
        GameObject* o = entry.second.object;
        if ((o->flags & OBJ_ACTIVE) && o->type == type) m_result.push_back(o);
    }
    return m_result;
}

GameObjectGroup& ObjectManager::GetAllObjects()
{
    m_result.clear();
    for (auto& entry : m_live) m_result.push_back(entry.second.object);
    return m_result;
}

GameObjectGroup& ObjectManager::GetActiveObjects()
{
    m_result.clear();
    for (auto& entry : m_live)
        if (entry.second.object->flags & OBJ_ACTIVE) m_result.push_back(entry.second.object);
    return m_result;
}

GameObjectGroup& ObjectManager::GetAllObjectsAndPersistent()
{
    m_result.clear();
    for (auto& entry : m_live) m_result.push_back(entry.second.object);
    for (auto& entry : m_persistent) m_result.push_back(entry.second.object);
    return m_result;
}

// ---- game states ----

int ObjectManager::CurrentStateId() const
{
    const std::function<int()>& current = Door().currentState;
    return current ? current() : 0;
}

bool ObjectManager::IsStateUpdating() const
{
    const std::function<bool()>& updating = Door().stateUpdating;
    return updating && updating();
}

bool ObjectManager::IsEditorStateCurrent() const
{
    int id = CurrentStateId();
    return id == LEVEL_EDITOR_STATE_ID || id == LEVEL_EDITOR_NEXT_STATE_ID;
}

} // namespace QRX
