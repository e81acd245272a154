// The base of every behaviour attached to a game object.
//
// A component belongs to one GameObject (its owner, null until the object adds
// it), has a fixed type, and describes its own fields through two lists: the
// serialised fields (read from and written to XML generically, relative to the
// master object's component of the same type) and the editor fields (shown in
// the tweak-bar object panel). A derived constructor sets the type, gives its
// members their defaults, then registers its fields in file order with
// AddSerializeVar and the members the editor shows with AddEditorVar. Two
// components of one class register the same records in the same order, so
// their records pair by index; records of another kind never pair.
// Components are made and unmade only through their factories. Each class
// names its type as a constant TYPE, for GameObject::GetComponent<T>().
//
// Read, Write, IsEqual and CopyFrom are pure: most classes implement them with
// the shared bodies below (ReadSerializeVars, WriteAgainstMaster,
// CompareSerializeVars, CopySerializeVars); classes without XML fields read
// and write nothing and compare equal.
#pragma once
#include <string>
#include <vector>

#include "engine/objects/ComponentSerialize.h"
#include "engine/objects/TypeNames.h"

namespace tinyxml2 {
class XMLElement;
}

namespace QRX {

class GameObject;

// Kinds of editor fields.
constexpr int EDITORVAR_DIRECT = 0;  // the panel binds the member
constexpr int EDITORVAR_STRING = 2;  // a string bound through get and set callbacks

// A field shown by the editor's object panel.
struct EditorVar
{
    void* member;          // address of the member inside the component
    std::string name;      // as shown, e.g. "m_HP"
    std::string typeName;  // "float", "bool", "int", "unsigned", "Vec3", "std::string", "Components"
    bool editable;         // false: shown read-only
    int kind;              // EDITORVAR_DIRECT or EDITORVAR_STRING; other kinds are not shown
};

class Component
{
public:
    explicit Component(Components componentType);
    // Deletes every editor and serialised-field record.
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    // Once, when the owner enters play.
    virtual void Init() {}
    // Every frame while the owner is active.
    virtual void Update() {}
    // Once, before the component is destroyed.
    virtual void Free() {}
    // For every contact of the owner in the current physics step; other may be null.
    virtual void OnCollision(GameObject* other) { (void)other; }
    // Applies the field elements from the first one (null: none) on.
    virtual void Read(const tinyxml2::XMLElement* firstElement) = 0;
    // Queues what differs from the master's component of the same type.
    virtual void Write(const Component* master) = 0;
    // Whether every serialised field equals the other's (true for null).
    virtual bool IsEqual(const Component* other) const = 0;
    // Copies the fields of another component of the same class.
    virtual void CopyFrom(const Component* other) = 0;
    // Turns the owner's position and scale, as the running game holds them,
    // into what its file holds (for a layout fitted to the window); the
    // object writer asks every component. Leaves them as they are by default.
    virtual void ToFilePlace(glm::vec3& position, glm::vec3& scale) const
    {
        (void)position;
        (void)scale;
    }

    // Registers an editor field.
    void AddEditorVar(void* member, const std::string& name, const std::string& typeName, int kind,
                      bool editable);
    // Registers a serialised field: plain when the parent name is empty,
    // grouped under that parent otherwise.
    void AddSerializeVar(const std::string& parentName, const std::string& name, float* member);
    void AddSerializeVar(const std::string& parentName, const std::string& name, std::string* member);
    void AddSerializeVar(const std::string& parentName, const std::string& name, bool* member);
    void AddSerializeVar(const std::string& parentName, const std::string& name, Components* member);
    void AddSerializeVar(const std::string& parentName, const std::string& name, unsigned* member);
    void AddSerializeVar(const std::string& parentName, const std::string& name, Vec3* member);
    void AddSerializeVar(const std::string& parentName, const std::string& name, int* member);
    void ClearEditorVars();
    void ClearSerializeVars();

    // Reads the element and its following siblings into the records; elements
    // that match no record are ignored, records no element matches keep their
    // values. Leaf elements fill the first unread record of their name; a
    // group element fills the grouped records whose parent is its name.
    void ReadSerializeVars(const tinyxml2::XMLElement* firstElement);
    // Queues every record that differs from the master's (a whole group when
    // one of its fields differs); nothing for a null master.
    void WriteSerializeVars(const Component* master);
    // True when other is null or every record equals the other's.
    bool CompareSerializeVars(const Component* other) const;
    // Copies every record from other; nothing for null.
    void CopySerializeVars(const Component* other);
    // The shared Write: nothing when equal to the master; otherwise a
    // "Component" sibling with its "Type" child, the differing fields, and a
    // return to the object's level.
    void WriteAgainstMaster(const Component* master);

    GameObject* owner = nullptr;
    Components type;
    // Made by the running game (AddComponent outside the editor, such as a
    // crate's power): not part of the level, so never saved.
    bool addedInPlay = false;
    std::vector<EditorVar*> editorVars;
    std::vector<ComponentSerializeBase*> serializeVars;

private:
    template <typename T>
    void AddSerializeRecord(const std::string& parentName, const std::string& name, T* member);
    void ClearDoneFlags();
};

} // namespace QRX
