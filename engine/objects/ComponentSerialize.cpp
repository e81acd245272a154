#include "engine/objects/ComponentSerialize.h"

#include <tinyxml2.h>

#include "engine/core/Conversions.h"
#include "engine/core/FileManager.h"
#include "engine/core/System.h"

namespace QRX {

namespace {

FileManager* Writer() { return System::GetInstance()->fileManager; }

void ParseText(const char* text, float& out) { out = FileManager::ConvertToFloat(text); }
void ParseText(const char* text, std::string& out) { out = FileManager::ConvertToString(text); }
void ParseText(const char* text, bool& out) { out = StringToBool(text); }
void ParseText(const char* text, Components& out) { out = FileManager::Convert(text); }
void ParseText(const char* text, unsigned& out) { out = FileManager::ConvertToUnsigned(text); }
void ParseText(const char* text, Vec3& out) { out = FileManager::ConvertToVec3(text); }
void ParseText(const char* text, int& out) { out = FileManager::ConvertToInt(text); }

template <typename T>
bool SameValue(const T& a, const T& b)
{
    return a == b;
}

template <>
bool SameValue<Vec3>(const Vec3& a, const Vec3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

template <typename T>
SerializeKind KindOf();
template <>
SerializeKind KindOf<float>() { return SERIALIZE_FLOAT; }
template <>
SerializeKind KindOf<std::string>() { return SERIALIZE_STRING; }
template <>
SerializeKind KindOf<bool>() { return SERIALIZE_BOOL; }
template <>
SerializeKind KindOf<Components>() { return SERIALIZE_COMPONENTS; }
template <>
SerializeKind KindOf<unsigned>() { return SERIALIZE_UNSIGNED; }
template <>
SerializeKind KindOf<Vec3>() { return SERIALIZE_VEC3; }
template <>
SerializeKind KindOf<int>() { return SERIALIZE_INT; }

} // namespace

std::string SerializeText(float value) { return FileManager::FloatToString(value); }
std::string SerializeText(const std::string& value) { return FileManager::ConvertToString(value); }
std::string SerializeText(bool value) { return BoolToString(value); }
std::string SerializeText(Components value) { return FileManager::ComponentsToString(value); }
std::string SerializeText(unsigned value) { return UIntToString(value); }
std::string SerializeText(const Vec3& value) { return FileManager::Vec3ToString(value); }
std::string SerializeText(int value) { return IntToString(value); }

template <typename T>
ComponentSerializeVar<T>::ComponentSerializeVar(const std::string& elementName, T* memberAddress)
    : member(memberAddress), name(elementName)
{
}

template <typename T>
bool ComponentSerializeVar<T>::Matches(const std::string& text, bool useParent) const
{
    return !useParent && text == name;
}

template <typename T>
bool ComponentSerializeVar<T>::Read(const tinyxml2::XMLElement* element)
{
    const char* text = element ? element->GetText() : nullptr;
    // An empty string is written as an element without text: for a string
    // field that is the value, not an absent one, or a cleared field would
    // come back from the master on the next load.
    if (!text && element && KindOf<T>() == SERIALIZE_STRING) text = "";
    if (!text || !member) return false;
    ParseText(text, *member);
    done = true;
    return true;
}

template <typename T>
bool ComponentSerializeVar<T>::Equals(const void* value) const
{
    if (!value || !member) return false;
    return SameValue(*member, *static_cast<const T*>(value));
}

template <typename T>
void ComponentSerializeVar<T>::Write()
{
    if (FileManager* fm = Writer()) {
        fm->WriteSibling(name);
        fm->WriteValue(member ? SerializeText(*member) : std::string());
    }
    done = true;
}

template <typename T>
void ComponentSerializeVar<T>::SetValue(const void* value)
{
    if (value && member) *member = *static_cast<const T*>(value);
}

template <typename T>
SerializeKind ComponentSerializeVar<T>::Kind() const
{
    return KindOf<T>();
}

template <typename T>
ComponentSerializeVarUnderParent<T>::ComponentSerializeVarUnderParent(const std::string& parent,
                                                                      const std::string& elementName,
                                                                      T* memberAddress)
    : ComponentSerializeVar<T>(elementName, memberAddress), parentName(parent)
{
}

template <typename T>
bool ComponentSerializeVarUnderParent<T>::Matches(const std::string& text, bool useParent) const
{
    return useParent ? text == parentName : text == this->name;
}

template <typename T>
void ComponentSerializeVarUnderParent<T>::Write()
{
    if (FileManager* fm = Writer()) {
        fm->WriteChild(this->name);
        fm->WriteValue(this->member ? SerializeText(*this->member) : std::string());
        fm->WriteReturn();
    }
    this->done = true;
}

template class ComponentSerializeVar<float>;
template class ComponentSerializeVar<std::string>;
template class ComponentSerializeVar<bool>;
template class ComponentSerializeVar<Components>;
template class ComponentSerializeVar<unsigned>;
template class ComponentSerializeVar<Vec3>;
template class ComponentSerializeVar<int>;
template class ComponentSerializeVarUnderParent<float>;
template class ComponentSerializeVarUnderParent<std::string>;
template class ComponentSerializeVarUnderParent<bool>;
template class ComponentSerializeVarUnderParent<Components>;
template class ComponentSerializeVarUnderParent<unsigned>;
template class ComponentSerializeVarUnderParent<Vec3>;
template class ComponentSerializeVarUnderParent<int>;

} // namespace QRX
