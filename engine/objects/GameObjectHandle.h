// A weak reference to a game object.
//
// A handle holds the object's address and a validity flag. While valid it is
// registered with the object manager in the live entry of its object, and the
// manager clears the flag when the object dies. Lookups read the object's
// current id through the address, so renumbering after a level clear keeps
// handles valid. A handle never keeps an object alive. Copies and moves
// register like assignment, so handles may live in growing containers.
// Handles to persistent instances are valid but never registered (those live
// until shut-down). Dereferencing an invalid handle is an assertion and gives
// null.
#pragma once

namespace QRX {

class GameObject;

class GameObjectHandle
{
public:
    GameObjectHandle() = default;
    // Registers under the object when it is in play (assignment from the object).
    explicit GameObjectHandle(GameObject* target);
    GameObjectHandle(const GameObjectHandle& other);
    // Takes over the other's reference; the other is left empty.
    GameObjectHandle(GameObjectHandle&& other);
    // Unregisters when valid (nothing once the object manager is gone).
    ~GameObjectHandle();

    // Self-assignment changes nothing; otherwise unregisters when valid,
    // copies the other's object and flag, and registers when valid.
    GameObjectHandle& operator=(const GameObjectHandle& other);
    GameObjectHandle& operator=(GameObjectHandle&& other);
    // Nothing when already valid for that object; otherwise unregisters,
    // stores the pointer (null empties the handle), registers and refreshes.
    GameObjectHandle& operator=(GameObject* target);

    // Whether the object is still in play (live or persistent, and the entry
    // under its id is this object); updates and returns isValid. An
    // invalidated handle stays invalid until it is assigned again.
    bool Refresh();
    // The object; an assertion and null when the handle is invalid.
    GameObject* operator->() const;
    GameObject* object = nullptr;
    bool isValid = false;

private:
    // Registers with the manager when the object is in play, and sets isValid.
    void Attach();
    void Unregister();
};

} // namespace QRX
