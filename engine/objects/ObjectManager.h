// The owner of every game object.
//
// The object manager keeps a fixed pool of 2048 GameObject slots, one master
// object per object type (loaded on first use from the object folder,
// "data\objects\" + type name + ".xml", root "MasterObject"), the live objects
// by id with the handles registered for each, a separate map of persistent
// instances, the component factories, and one result list shared by every
// query. Every creation copies the type's master into the first free slot;
// ids are lastId + 1. Passes and queries visit objects in ascending id.
//
// Rules:
// - A creation with no free slot or no master for the type asserts and
//   returns null without taking a slot; every wrapper then returns null.
// - Objects made while a state updates get Init at once; objects made while a
//   state loads get it from InitLevelObjects; in the level-editor states
//   components are never initialised nor freed. Which state is current, and
//   whether one updates, the engine's door answers (EngineDoor.h).
// - A new object is the level's own (OBJ_LEVEL_OWN) only when made while a
//   level-editor state is current; the level file's reader marks its objects.
// - Destruction: set OBJ_DESTROY; Update frees every marked object's
//   components first, then invalidates their handles and returns the slots.
//   Persistent objects ignore the flag.
// - Queries return the shared result list, which the next query overwrites:
//   a caller that queries again while walking a result walks a copy.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "engine/objects/TemplateFactory.h"
#include "engine/objects/TypeNames.h"

namespace QRX {

class Component;
class GameObject;
class GameObjectHandle;

constexpr std::size_t OBJECT_POOL_SIZE = 2048;
// The ids of the two level-editor states, in which components are neither
// initialised nor freed.
constexpr int LEVEL_EDITOR_STATE_ID = 30;
constexpr int LEVEL_EDITOR_NEXT_STATE_ID = 31;
// Where master object files live, relative to the working directory.
constexpr const char* DEFAULT_OBJECT_FOLDER = "data\\objects\\";

// A live or persistent object with the handles registered for it.
struct ObjectEntry
{
    GameObject* object = nullptr;
    std::vector<GameObjectHandle*> handles;
};

// The list every query fills and returns.
using GameObjectGroup = std::vector<GameObject*>;

class ObjectManager
{
public:
    using EntryMap = std::map<std::int32_t, ObjectEntry>;

    // Allocates the 2048 slots.
    ObjectManager();
    // Releases whatever Shutdown has not, then deletes every factory.
    ~ObjectManager();
    ObjectManager(const ObjectManager&) = delete;
    ObjectManager& operator=(const ObjectManager&) = delete;

    // Creation. Each returns the new object, or null (no free slot, no master).
    // A master file describing another type gives an object of that type,
    // with a WARNING.
    // The helper copies the master into the first free slot, gives it layer 0,
    // the current state, OBJ_ALIVE | OBJ_ACTIVE and the next id, and enters
    // it in the live map when asked. The wrappers set their fields before the
    // components get Init, so Init sees the object where it was placed.
    GameObject* CreateInstanceHelper(ObjectType type, bool enterLive);
    // Layer 0 at the position.
    GameObject* CreateInstance(ObjectType type, const glm::vec3& position);
    // At the position, with the layer and owning state given.
    GameObject* CreatePlacedInstance(ObjectType type, const glm::vec3& position, int layer, int stateId);
    // As CreatePlacedInstance, then OBJ_ACTIVE set or cleared.
    GameObject* CreateGizmoInstance(ObjectType type, const glm::vec3& position, int layer, int stateId,
                                    bool active);
    // A UIOBJECT on layer 1 with the transform given (the previous rotation
    // stays the master's).
    GameObject* CreateUIObject(int stateId, const glm::vec3& position, const glm::quat& rotation,
                               const glm::vec3& scale);
    // An object kept in the persistent map instead of the live one.
    GameObject* CreatePersistentInstance(ObjectType type);

    // Opens a master file, builds its master and closes it; null when the
    // file cannot be opened (assertion) or holds no object.
    GameObject* LoadObject(const std::string& path);
    // The loaded master of the type; null with an INFO line when absent.
    // Never loads.
    GameObject* GetMasterObject(ObjectType type);
    // The loaded master of the type or null, without a report.
    GameObject* FindMasterObject(ObjectType type) const;
    // Stores a master built by the file manager; false (nothing stored) when
    // the type already has one.
    bool AddMasterObject(ObjectType type, GameObject* master);
    // The master file of a type: object folder + type name + ".xml".
    std::string MasterObjectPath(ObjectType type) const;
    // Where master files are looked up (tests point it elsewhere).
    void SetObjectFolder(const std::string& folder) { m_objectFolder = folder; }
    const std::string& GetObjectFolder() const { return m_objectFolder; }

    // Allocates the 2048 slots when the pool is empty; otherwise nothing.
    void RefillPool();
    // Init of every live object of the current state, in ascending id.
    void InitLevelObjects();
    // The per-frame destroy pass (two passes, see the rules above).
    void Update();
    // Removes the current state's non-persistent objects and renumbers the
    // rest 1..n; the next id is n + 1.
    void ClearLevelObjects();
    // Renumbers the live objects 1, 2, 3 ... keeping order and handles.
    void RenumberObjects();
    // Frees every live object's components, invalidates every handle, empties
    // the live and persistent maps, then destroys every slot and master; then
    // the door's held resources are released in order (the mesh and texture
    // managers keep only their defaults).
    void Shutdown();

    // Handle bookkeeping: a handle is registered in the live entry under its
    // object's id when that entry holds that object (once).
    void RegisterHandle(GameObject* object, GameObjectHandle* handle);
    // Removes the handle from its object's live entry; null arguments, an
    // object not in play or a released pool change nothing.
    void UnregisterHandle(GameObject* object, GameObjectHandle* handle);
    // Whether the live entry, or else the persistent one, under the object's
    // id holds that object.
    bool IsObjectInPlay(const GameObject* object) const;

    // Queries; each overwrites and returns the shared result list.
    GameObjectGroup& GetObjectsWithComponent(Components componentType);
    GameObjectGroup& GetActiveObjectsWithComponent(Components componentType);
    GameObjectGroup& GetActiveObjectsOfType(ObjectType type);
    GameObjectGroup& GetAllObjects();
    GameObjectGroup& GetActiveObjects();
    // Live objects, then persistent instances, each in ascending id.
    GameObjectGroup& GetAllObjectsAndPersistent();

    // The current state's id, as the engine's door answers it (0: none).
    int CurrentStateId() const;
    // Whether a state's Update is running, as the door answers it.
    bool IsStateUpdating() const;
    // Whether LEVELEDITOR or LEVELEDITORNEXT is the current state.
    bool IsEditorStateCurrent() const;

    FactoryMap<Component>& GetFactories() { return m_factories; }
    std::int32_t GetLastId() const { return m_lastId; }
    const EntryMap& GetLiveObjects() const { return m_live; }
    const EntryMap& GetPersistentObjects() const { return m_persistent; }
    const std::vector<GameObject*>& GetPool() const { return m_pool; }

private:
    GameObject* FindFreeSlot() const;
    // Steps of every creation: copy the master into a free slot (null when
    // there is none or no master), then, once the caller has placed it, Init
    // of its components when a state is updating outside the editor.
    GameObject* TakeSlot(ObjectType type, bool enterLive);
    void InitIfInPlay(GameObject* obj);
    // Sets the transform a creation wrapper gives and clears OBJ_WORLD_VALID.
    static void Place(GameObject* object, const glm::vec3& position);
    // Invalidates the entry's handles and returns the object's slot.
    void ReleaseEntry(ObjectEntry& entry);
    void ReleaseAllObjects();
    void ReleaseMasterObjects();

    std::int32_t m_lastId = 0;  // the last id handed out
    FactoryMap<Component> m_factories;
    std::map<ObjectType, GameObject*> m_masters;  // separate allocations, never pool slots
    EntryMap m_live;
    EntryMap m_persistent;
    std::vector<GameObject*> m_pool;
    GameObjectGroup m_result;
    std::string m_objectFolder = DEFAULT_OBJECT_FOLDER;
};

} // namespace QRX
