// Serialised component fields.
//
// Each component field stored in level and master-object files is one record:
// the member's address, its element name and, for grouped fields, the name of
// the parent element that holds it. Records read their member from an
// element's text, queue its text on the file manager's write list, compare it
// with the same record of another component and copy it from there. A record
// is either plain (ComponentSerializeVar, written as a sibling element) or
// grouped (ComponentSerializeVarUnderParent, written as a child of its group).
// Value types: float, std::string (first word only), bool, Components,
// unsigned, Vec3 and int. The done flag marks a record already read or written
// in the current pass; the list operations of Component clear it afterwards.
#pragma once
#include <string>

#include <glm/glm.hpp>

#include "engine/objects/TypeNames.h"

namespace tinyxml2 {
class XMLElement;
}

namespace QRX {

using Vec3 = glm::vec3;

// Which value type a record holds; records pair only with the same kind.
enum SerializeKind {
    SERIALIZE_FLOAT,
    SERIALIZE_STRING,
    SERIALIZE_BOOL,
    SERIALIZE_COMPONENTS,
    SERIALIZE_UNSIGNED,
    SERIALIZE_VEC3,
    SERIALIZE_INT
};

class ComponentSerializeBase
{
public:
    virtual ~ComponentSerializeBase() = default;

    // useParent false: the text is this record's element name. useParent
    // true: the text is this record's parent name (never for plain records).
    virtual bool Matches(const std::string& text, bool useParent) const = 0;
    // Member = the converted text of the element, and done. An element
    // without text reads as absent (nothing changes, false comes back),
    // except for a string field, where it is the empty string.
    virtual bool Read(const tinyxml2::XMLElement* element) = 0;
    // Whether the member equals the value (a pointer to the same kind; null
    // is never equal).
    virtual bool Equals(const void* value) const = 0;
    // Queues the member's element on the System's file manager, and done.
    virtual void Write() = 0;
    virtual const void* GetValuePtr() const = 0;
    // Member = the value; null is ignored.
    virtual void SetValue(const void* value) = 0;
    virtual std::string GetName() const = 0;
    // The parent name of a grouped record, the element name of a plain one.
    virtual std::string GetParentName() const = 0;
    virtual bool HasParent() const = 0;
    virtual SerializeKind Kind() const = 0;

    bool done = false;
};

template <typename T>
class ComponentSerializeVar : public ComponentSerializeBase
{
public:
    ComponentSerializeVar(const std::string& elementName, T* memberAddress);

    bool Matches(const std::string& text, bool useParent) const override;
    bool Read(const tinyxml2::XMLElement* element) override;
    bool Equals(const void* value) const override;
    void Write() override;
    const void* GetValuePtr() const override { return member; }
    void SetValue(const void* value) override;
    std::string GetName() const override { return name; }
    std::string GetParentName() const override { return name; }
    bool HasParent() const override { return false; }
    SerializeKind Kind() const override;

    T* member;  // inside the component; not owned
    std::string name;
};

template <typename T>
class ComponentSerializeVarUnderParent : public ComponentSerializeVar<T>
{
public:
    ComponentSerializeVarUnderParent(const std::string& parent, const std::string& elementName,
                                     T* memberAddress);

    bool Matches(const std::string& text, bool useParent) const override;
    void Write() override;
    std::string GetParentName() const override { return parentName; }
    bool HasParent() const override { return true; }

    std::string parentName;
};

// The text forms of the value types (what Write produces and Read takes).
std::string SerializeText(float value);
std::string SerializeText(const std::string& value);
std::string SerializeText(bool value);
std::string SerializeText(Components value);
std::string SerializeText(unsigned value);
std::string SerializeText(const Vec3& value);
std::string SerializeText(int value);

extern template class ComponentSerializeVar<float>;
extern template class ComponentSerializeVar<std::string>;
extern template class ComponentSerializeVar<bool>;
extern template class ComponentSerializeVar<Components>;
extern template class ComponentSerializeVar<unsigned>;
extern template class ComponentSerializeVar<Vec3>;
extern template class ComponentSerializeVar<int>;
extern template class ComponentSerializeVarUnderParent<float>;
extern template class ComponentSerializeVarUnderParent<std::string>;
extern template class ComponentSerializeVarUnderParent<bool>;
extern template class ComponentSerializeVarUnderParent<Components>;
extern template class ComponentSerializeVarUnderParent<unsigned>;
extern template class ComponentSerializeVarUnderParent<Vec3>;
extern template class ComponentSerializeVarUnderParent<int>;

} // namespace QRX
