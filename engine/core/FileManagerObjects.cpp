// The file manager's object readers and component-type conversions: the part
// of the file manager that knows the object model.
#include <cstring>
#include <new>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

using tinyxml2::XMLElement;

Components FileManager::Convert(const std::string& name)
{
    Components value = COMPONENTS_ERRORVALUE;
    if (FindComponentType(name, value) && static_cast<int>(value) < COMPONENT_TYPE_COUNT) return value;
    QRX_LOG_WARNING("File manager convert components: %s was not correctly converted", name.c_str());
    return COMPONENTS_ERRORVALUE;
}

bool FileManager::FindComponentType(const std::string& name, Components& value)
{
    return StringToComponents(name, value);
}

const std::string& FileManager::ComponentsToString(int value)
{
    return QRX::ComponentsToString(value);
}

void FileManager::ReadObjects()
{
    if (!firstObjectElement) return;
    ObjectManager* manager = System::GetInstance()->objectManager;
    if (!manager) {
        QRX_LOG_ERROR("No object manager: the level's objects are not created");
        return;
    }
    for (const XMLElement* e = firstObjectElement; e; e = e->NextSiblingElement()) {
        const XMLElement* typeElement = e->FirstChildElement();
        if (!typeElement || std::strcmp(typeElement->Name(), "Type") != 0) {
            QRX_LOG_WARNING("Object element (line %d) does not start with Type: skipped", e->GetLineNum());
            continue;
        }
        const char* name = ElementText(typeElement);
        ObjectType type = OBJECTTYPE_ERRORVALUE;
        if (!name || !StringToObjectType(name, type)) {
            QRX_LOG_WARNING("Object element (line %d) has unknown type \"%s\": skipped", e->GetLineNum(),
                            name ? name : "");
            continue;
        }
        GameObject* obj = manager->CreateInstanceHelper(type, true);
        if (!obj) continue;
        obj->flags |= OBJ_LEVEL_OWN;
        obj->Read(typeElement->NextSiblingElement());
    }
}

GameObject* FileManager::ReadMasterObject()
{
    const XMLElement* root = masterObjectRoot;
    const XMLElement* firstEntry = root ? root->FirstChildElement() : nullptr;
    bool hasData = firstEntry && firstEntry->FirstChildElement();
    if (!hasData) {
        QRX_LOG_ERROR("Objects data section is empty!");
        QRX_ASSERT(hasData, 1, "Objects data section is empty!");
        return nullptr;
    }
    ObjectManager* manager = System::GetInstance()->objectManager;
    if (!manager) return nullptr;

    ObjectType current = DEFAULT;
    GameObject* pObj = nullptr;
    for (const XMLElement* entry = firstEntry; entry; entry = entry->NextSiblingElement()) {
        const XMLElement* c = entry->FirstChildElement();
        if (!c) continue;
        if (std::strcmp(c->Name(), "Type") == 0) {
            const char* name = ElementText(c);
            ObjectType found = current;
            if (name && StringToObjectType(name, found)) current = found;
            else QRX_LOG_WARNING("Master object entry (line %d) has unknown type \"%s\": it counts as %s",
                                 c->GetLineNum(), name ? name : "", ObjectTypeToString(current).c_str());
            // One file makes one master: later entries add to it.
            if (!pObj && !manager->FindMasterObject(current)) {
                QRX_LOG_INFO("Creating master object %s", name ? name : "");
                pObj = new (std::nothrow) GameObject();
                if (!pObj) {
                    QRX_LOG_ERROR("Unable to create a new GameObject");
                    QRX_ASSERT(pObj, 1, "Unable to create a new GameObject");
                    return nullptr;
                }
                // Components read below may depend on their owner's type
                // (the player's bounding sphere does).
                pObj->type = current;
            }
        }
        if (pObj) pObj->Read(c);
    }
    if (!pObj) {
        // Either the type already has its master, or no entry named a type.
        GameObject* existing = manager->FindMasterObject(current);
        if (!existing) QRX_LOG_ERROR("Master object file holds no object (no entry starts with Type)");
        return existing;
    }
    pObj->type = current;
    if (!manager->AddMasterObject(current, pObj)) {
        GameObject* existing = manager->FindMasterObject(current);
        delete pObj;
        return existing;
    }
    return pObj;
}

} // namespace QRX
