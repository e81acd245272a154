#include "engine/objects/Component.h"

#include <algorithm>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/System.h"

namespace QRX {

namespace {

// Whether two records pair: both exist, hold the same kind, and are equal.
bool RecordsEqual(const ComponentSerializeBase* mine, const ComponentSerializeBase* theirs)
{
    return mine && theirs && mine->Kind() == theirs->Kind() && mine->Equals(theirs->GetValuePtr());
}

} // namespace

Component::Component(Components componentType) : type(componentType) {}

Component::~Component()
{
    ClearEditorVars();
    ClearSerializeVars();
}

void Component::AddEditorVar(void* member, const std::string& name, const std::string& typeName, int kind,
                             bool editable)
{
    editorVars.push_back(new EditorVar{member, name, typeName, editable, kind});
}

template <typename T>
void Component::AddSerializeRecord(const std::string& parentName, const std::string& name, T* member)
{
    if (parentName.empty())
        serializeVars.push_back(new ComponentSerializeVar<T>(name, member));
    else
        serializeVars.push_back(new ComponentSerializeVarUnderParent<T>(parentName, name, member));
}

void Component::AddSerializeVar(const std::string& parentName, const std::string& name, float* member)
{
    AddSerializeRecord(parentName, name, member);
}
void Component::AddSerializeVar(const std::string& parentName, const std::string& name, std::string* member)
{
    AddSerializeRecord(parentName, name, member);
}
void Component::AddSerializeVar(const std::string& parentName, const std::string& name, bool* member)
{
    AddSerializeRecord(parentName, name, member);
}
void Component::AddSerializeVar(const std::string& parentName, const std::string& name, Components* member)
{
    AddSerializeRecord(parentName, name, member);
}
void Component::AddSerializeVar(const std::string& parentName, const std::string& name, unsigned* member)
{
    AddSerializeRecord(parentName, name, member);
}
void Component::AddSerializeVar(const std::string& parentName, const std::string& name, Vec3* member)
{
    AddSerializeRecord(parentName, name, member);
}
void Component::AddSerializeVar(const std::string& parentName, const std::string& name, int* member)
{
    AddSerializeRecord(parentName, name, member);
}

void Component::ClearEditorVars()
{
    for (EditorVar* var : editorVars) delete var;
    editorVars.clear();
}

void Component::ClearSerializeVars()
{
    for (ComponentSerializeBase* var : serializeVars) delete var;
    serializeVars.clear();
}

void Component::ClearDoneFlags()
{
    for (ComponentSerializeBase* var : serializeVars) var->done = false;
}

void Component::ReadSerializeVars(const tinyxml2::XMLElement* firstElement)
{
    const size_t count = serializeVars.size();
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const std::string elementName = e->Name();
        if (!e->FirstChildElement()) {
            // A leaf fills the first unread record of its name.
            for (ComponentSerializeBase* var : serializeVars) {
                if (!var->done && var->Matches(elementName, false)) {
                    var->Read(e);
                    break;
                }
            }
            continue;
        }
        // A group fills the grouped records whose parent is its name; repeated
        // scans let one child fill several records of the same name.
        for (size_t k = 0; k < count; ++k) {
            for (const tinyxml2::XMLElement* child = e->FirstChildElement(); child;
                 child = child->NextSiblingElement()) {
                const std::string childName = child->Name();
                for (size_t j = k; j < count; ++j) {
                    ComponentSerializeBase* var = serializeVars[j];
                    if (!var->done && var->Matches(elementName, true) && var->Matches(childName, false)) {
                        var->Read(child);
                        break;
                    }
                }
            }
        }
    }
    ClearDoneFlags();
}

void Component::WriteSerializeVars(const Component* master)
{
    if (!master) return;
    FileManager* fm = System::GetInstance()->fileManager;
    const size_t count = serializeVars.size();
    for (size_t i = 0; i < count; ++i) {
        ComponentSerializeBase* var = serializeVars[i];
        const ComponentSerializeBase* theirs = i < master->serializeVars.size() ? master->serializeVars[i] : nullptr;
        if (RecordsEqual(var, theirs)) continue;
        if (var->done) continue;
        if (var->HasParent()) {
            // The whole group goes out, from this record on, under one element.
            const std::string parent = var->GetParentName();
            if (fm) fm->WriteSibling(parent);
            for (size_t j = i; j < count; ++j) {
                ComponentSerializeBase* member = serializeVars[j];
                if (!member->done && member->Matches(parent, true)) member->Write();
            }
        } else {
            var->Write();
        }
    }
    ClearDoneFlags();
}

bool Component::CompareSerializeVars(const Component* other) const
{
    if (!other) return true;
    if (other->serializeVars.size() != serializeVars.size()) return false;
    for (size_t i = 0; i < serializeVars.size(); ++i)
        if (!RecordsEqual(serializeVars[i], other->serializeVars[i])) return false;
    return true;
}

void Component::CopySerializeVars(const Component* other)
{
    if (!other) return;
    const size_t count = std::min(serializeVars.size(), other->serializeVars.size());
    for (size_t i = 0; i < count; ++i) {
        const ComponentSerializeBase* theirs = other->serializeVars[i];
        if (serializeVars[i]->Kind() == theirs->Kind()) serializeVars[i]->SetValue(theirs->GetValuePtr());
    }
}

void Component::WriteAgainstMaster(const Component* master)
{
    if (IsEqual(master)) return;
    FileManager* fm = System::GetInstance()->fileManager;
    if (!fm) return;
    fm->WriteSibling("Component");
    fm->WriteChild("Type");
    fm->WriteValue(FileManager::ComponentsToString(type));
    WriteSerializeVars(master);
    fm->WriteReturn();
}

} // namespace QRX
