#include "engine/objects/GameObjectHandle.h"

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

namespace {

// The object manager, or null before start-up and after shut-down; never
// creates the System (handles die during static destruction too).
ObjectManager* Manager()
{
    System* system = System::PeekInstance();
    return system ? system->objectManager : nullptr;
}

} // namespace

GameObjectHandle::GameObjectHandle(GameObject* target)
{
    *this = target;
}

GameObjectHandle::GameObjectHandle(const GameObjectHandle& other) : object(other.object), isValid(other.isValid)
{
    if (isValid && object)
        if (ObjectManager* manager = Manager()) manager->RegisterHandle(object, this);
}

GameObjectHandle::GameObjectHandle(GameObjectHandle&& other) : GameObjectHandle(static_cast<const GameObjectHandle&>(other))
{
    if (other.isValid) other.Unregister();
    other.object = nullptr;
    other.isValid = false;
}

GameObjectHandle::~GameObjectHandle()
{
    if (isValid) Unregister();
}

GameObjectHandle& GameObjectHandle::operator=(const GameObjectHandle& other)
{
    if (this == &other) return *this;
    if (isValid) Unregister();
    object = other.object;
    isValid = other.isValid;
    if (isValid && object)
        if (ObjectManager* manager = Manager()) manager->RegisterHandle(object, this);
    return *this;
}

GameObjectHandle& GameObjectHandle::operator=(GameObjectHandle&& other)
{
    if (this == &other) return *this;
    *this = static_cast<const GameObjectHandle&>(other);
    if (other.isValid) other.Unregister();
    other.object = nullptr;
    other.isValid = false;
    return *this;
}

GameObjectHandle& GameObjectHandle::operator=(GameObject* target)
{
    if (isValid && object == target) return *this;
    if (isValid) Unregister();
    object = target;
    isValid = false;
    Attach();
    return *this;
}

void GameObjectHandle::Attach()
{
    if (!object) return;
    ObjectManager* manager = Manager();
    if (!manager) return;
    manager->RegisterHandle(object, this);
    isValid = manager->IsObjectInPlay(object);
}

bool GameObjectHandle::Refresh()
{
    if (!object || !isValid) return isValid;
    ObjectManager* manager = Manager();
    isValid = manager && manager->IsObjectInPlay(object);
    return isValid;
}

GameObject* GameObjectHandle::operator->() const
{
    QRX_ASSERT(isValid, 1, "Attempting to access invalid game object");
    return isValid ? object : nullptr;
}

void GameObjectHandle::Unregister()
{
    if (ObjectManager* manager = Manager()) manager->UnregisterHandle(object, this);
}

} // namespace QRX
