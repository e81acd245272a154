// A game object: a plain record from the object manager's pool.
//
// Every thing in a level, a menu or a tool is a GameObject: an id, a type, a
// flag word, a transform and an ordered set of owned components that carry
// all of its behaviour. Objects are taken from the object manager's pool (a
// copy of the type's master object) and returned to it; game code never
// allocates them. The broadcasts (Init, Update, Free, collisions) visit the
// components in ascending component type. The world matrix is T x R x S and
// is rebuilt, with its inverse, by BuildTransform whenever OBJ_WORLD_VALID is
// clear; whoever moves an object clears that flag.
//
// In files an object is an element whose children give "Type", "SkipDraw",
// "Position", "Rotation" (Euler degrees x y z), "Scale" and "Component"
// elements; Read applies them, Write queues them relative to the master.
#pragma once
#include <cstdint>
#include <map>
#include <string>

#include <glm/glm.hpp>
#include <glm/gtc/quaternion.hpp>

#include "engine/objects/TypeNames.h"

namespace tinyxml2 {
class XMLElement;
}

namespace QRX {

class Component;

// Bits of GameObject::flags.
constexpr std::uint32_t OBJ_ALIVE = 0x01;        // the pool slot is in use
constexpr std::uint32_t OBJ_WORLD_VALID = 0x02;  // world and inverseWorld match the transform
constexpr std::uint32_t OBJ_SKIP_DRAW = 0x04;    // the renderer does not draw it
constexpr std::uint32_t OBJ_PERSISTENT = 0x08;   // survives the destroy pass and level clears
constexpr std::uint32_t OBJ_ACTIVE = 0x10;       // returned by the active queries
constexpr std::uint32_t OBJ_DESTROY = 0x20;      // removed by the object manager's next update
// Part of the level itself: read from the level file or made in the level
// editor. Only such objects are saved; what components make while the level
// runs (emitters, pictures, markers, spawned crates) is not.
constexpr std::uint32_t OBJ_LEVEL_OWN = 0x40;

// Degrees to radians and back, as the object element converts its angles.
constexpr float DEGREES_TO_RADIANS = 0.017453293f;
constexpr float RADIANS_TO_DEGREES = 57.2957779f;
// A written rotation's angles are whole multiples of 1 / this many degrees.
constexpr int ROTATION_TEXT_STEPS_PER_DEGREE = 1000;
// Read-and-write rounds a written rotation is checked through (see RotationText).
constexpr int ROTATION_TEXT_ROUNDS = 32;

class GameObject
{
public:
    using ComponentMap = std::map<Components, Component*>;

    // A free slot: id 0, no flags, at the origin, unrotated, scale 1, no components.
    GameObject();
    // Destroys any component left (through its factory when there is one).
    ~GameObject();
    GameObject(const GameObject&) = delete;
    GameObject& operator=(const GameObject&) = delete;

    // The component of the type, created through its factory when missing
    // (owner set, no Init). Null, with an assertion, when no factory makes it.
    Component* AddComponentHelper(Components componentType);
    // AddComponentHelper, then Init of the component (new or not) unless a
    // level-editor state is current; a component it makes outside the
    // editor is marked added in play (never written).
    Component* AddComponent(Components componentType);
    // Free (skipped in the editor states) and destroy the component of the
    // type; an absent type is ignored.
    void RemoveComponent(Components componentType);
    // Destroys one component through its factory and erases its entry.
    void DestroyComponent(ComponentMap::iterator position);
    // Destroys every component, in ascending type, without Free.
    void DestroyComponents();
    // The component of the type, or null.
    Component* GetComponent(Components componentType) const;
    // The component of class T (every component class names its type as
    // T::TYPE), or null when the object has none or one of another class.
    template <typename T>
    T* GetComponent() const
    {
        return dynamic_cast<T*>(GetComponent(T::TYPE));
    }

    // Broadcasts in ascending component type. A component removed by an
    // earlier one during the walk is not called.
    void InitComponents();
    void UpdateComponents();
    void FreeComponents();
    // OnCollision(other) on every component; other may be null.
    void NotifyCollision(GameObject* other);

    // Makes this slot a copy of the master: flags, type, owning state,
    // transform (previous ones too) and a copy of every component.
    void CopyFrom(const GameObject* master);
    // Rebuilds world (T x R x S) and inverseWorld; sets OBJ_WORLD_VALID.
    void BuildTransform();

    // Applies the element and its following siblings (an object element's
    // content): a later element overrides an earlier one of the same name.
    // Elements without text are absent.
    void Read(const tinyxml2::XMLElement* firstElement);
    // Queues this object's "Object" element on the System's file manager:
    // Type, Position, Rotation and Scale where they differ from the master's
    // (position and scale as the components give them back for the file),
    // and the components that differ from the master's, except those added
    // in play; a component the master lacks is written against a default one
    // of its type, and by its type alone when it equals that default.
    void Write() const;

    // Euler angles in degrees (x, y, z) to a quaternion and back, as the
    // object element stores rotations. The way back never yields NaN for a
    // finite quaternion: it is normalised and the asin argument clamped; at a
    // pitch of +-90 degrees the whole roll-yaw turn is given as x.
    static glm::quat EulerDegreesToQuat(const glm::vec3& degrees);
    static glm::vec3 QuatToEulerDegrees(const glm::quat& rotation);
    // The "Rotation" text Write gives a rotation: Euler degrees rounded to
    // whole steps (ROTATION_TEXT_STEPS_PER_DEGREE), each in (-180, 180], of
    // the two angle triples that make the turn the one with the smaller sum
    // of magnitudes; and a fixed point: read back and written again it is the
    // same text, so a level loaded and saved unchanged keeps its bytes.
    static std::string RotationText(const glm::quat& rotation);

    std::int32_t id = 0;
    ObjectType type = OBJECTTYPE_ERRORVALUE;
    std::uint32_t flags = 0;
    std::int32_t layer = 0;    // 0 ordinary, 1 user interface, 2 and up editor use
    std::int32_t stateId = 0;  // the game state that owns the object
    glm::vec3 position;
    glm::vec3 previousPosition;
    glm::quat rotation;  // unit quaternion
    glm::quat previousRotation;
    glm::vec3 scale;
    glm::mat4 world;
    glm::mat4 inverseWorld;
    ComponentMap components;
};

} // namespace QRX
