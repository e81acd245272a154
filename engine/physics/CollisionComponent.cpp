#include "engine/physics/CollisionComponent.h"

#include <cstring>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/AccurateCollision.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/Primitive.h"

namespace QRX {

namespace {

PhysicsManager* Physics()
{
    System* system = System::PeekInstance();
    return system ? system->physicsManager : nullptr;
}

const char* BoolText(bool value) { return value ? "true" : "false"; }

// The primitive kind a "Primitive" element names and where its fields start.
PrimitiveType PrimitiveTypeOf(const tinyxml2::XMLElement* primitiveElement, const tinyxml2::XMLElement*& data)
{
    const tinyxml2::XMLElement* first = primitiveElement->FirstChildElement();
    data = first;
    if (!first || std::strcmp(first->Name(), "Type") != 0) return PR_SPHERE;
    data = first->NextSiblingElement();
    const char* text = ElementText(first);
    PrimitiveType kind = PR_SPHERE;
    if (text && *text && !StringToPrimitiveType(text, kind)) {
        QRX_LOG_WARNING("Unknown primitive type \"%s\"; using PR_SPHERE", text);
        kind = PR_SPHERE;
    }
    return kind;
}

} // namespace

CollisionComponent* GetCollisionComponent(const GameObject* object)
{
    return object ? object->GetComponent<CollisionComponent>() : nullptr;
}

bool SegmentEntersPickBox(const glm::vec3& start, const glm::vec3& end, GameObject& object, float& t)
{
    LineSegment segment;
    segment.start = start;
    segment.end = end;
    segment.length = glm::length(end - start);
    segment.UpdateDirection();
    CollisionBox box;
    box.owner = &object;
    box.halfSize = glm::vec3(0.5f);
    const CollisionComponent* collision = GetCollisionComponent(&object);
    if (collision && collision->GetPrimitive()) box.offsetTransform = collision->GetPrimitive()->offsetTransform;
    box.UpdateTransform();
    glm::vec3 point(0.0f);
    return CollisionDetector::SegmentAndBox(segment, box, t, point);
}

CollisionComponent::CollisionComponent() : Component(CT_COLLISION) {}

CollisionComponent::~CollisionComponent() { ReleasePrimitive(); }

void CollisionComponent::ReleasePrimitive()
{
    if (!m_primitive) return;
    // Without a physics manager there is no factory to hand it to; it is
    // deleted directly rather than leaked.
    if (PhysicsManager* physics = Physics()) physics->DeletePrimitive(m_primitive);
    else delete m_primitive;
    m_primitive = nullptr;
}

Primitive* CollisionComponent::MakePrimitive(PrimitiveType primitiveType)
{
    ReleasePrimitive();
    PhysicsManager* physics = Physics();
    if (!physics) {
        QRX_LOG_WARNING("No physics manager to make a %s primitive", PrimitiveTypeToString(primitiveType).c_str());
        return nullptr;
    }
    m_primitive = physics->MakePrimitive(primitiveType);
    if (m_primitive) m_primitive->owner = owner;
    return m_primitive;
}

Primitive* CollisionComponent::RemakePrimitive(PrimitiveType primitiveType) { return MakePrimitive(primitiveType); }

void CollisionComponent::UpdatePrimitive()
{
    if (!m_primitive) {
        QRX_LOG_WARNING("Updating a primitive that is null");
        return;
    }
    m_primitive->owner = owner;
    m_primitive->UpdateTransform();
}

void CollisionComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* name = e->Name();
        if (std::strcmp(name, "Primitive") == 0) {
            const tinyxml2::XMLElement* data = nullptr;
            const PrimitiveType kind = PrimitiveTypeOf(e, data);
            // A primitive of the same kind is kept, so a level file's fields
            // refine the copy made from the master.
            if (!m_primitive) MakePrimitive(kind);
            else if (m_primitive->type != kind) RemakePrimitive(kind);
            if (m_primitive) m_primitive->Read(data);
            continue;
        }
        const char* text = ElementText(e);
        if (!text) continue;
        if (std::strcmp(name, "Active") == 0) active = std::strcmp(text, "true") == 0;
        else if (std::strcmp(name, "Collided") == 0) collided = std::strcmp(text, "true") == 0;
        else if (std::strcmp(name, "AutoResolve") == 0) autoResolve = std::strcmp(text, "true") == 0;
        else if (std::strcmp(name, "Ethereal") == 0) ethereal = std::strcmp(text, "true") == 0;
        else if (std::strcmp(name, "StaticFriction") == 0) staticFriction = FileManager::ConvertToFloat(text);
        else if (std::strcmp(name, "DynamicFriction") == 0) dynamicFriction = FileManager::ConvertToFloat(text);
    }
    if (owner && m_primitive) UpdatePrimitive();
}

void CollisionComponent::Write(const Component* master)
{
    if (IsEqual(master)) return;
    FileManager* fm = System::GetInstance()->fileManager;
    if (!fm) return;
    const auto* theirs = dynamic_cast<const CollisionComponent*>(master);
    fm->WriteSibling("Component");
    fm->WriteChild("Type");
    fm->WriteValue(FileManager::ComponentsToString(type));
    if (!theirs || active != theirs->active) {
        fm->WriteSibling("Active");
        fm->WriteValue(BoolText(active));
    }
    if (!theirs || autoResolve != theirs->autoResolve) {
        fm->WriteSibling("AutoResolve");
        fm->WriteValue(BoolText(autoResolve));
    }
    if (!theirs || ethereal != theirs->ethereal) {
        fm->WriteSibling("Ethereal");
        fm->WriteValue(BoolText(ethereal));
    }
    if (!theirs || staticFriction != theirs->staticFriction) {
        fm->WriteSibling("StaticFriction");
        fm->WriteValue(FileManager::FloatToString(staticFriction));
    }
    if (!theirs || dynamicFriction != theirs->dynamicFriction) {
        fm->WriteSibling("DynamicFriction");
        fm->WriteValue(FileManager::FloatToString(dynamicFriction));
    }
    if (m_primitive) m_primitive->Write(theirs ? theirs->m_primitive : nullptr);
    fm->WriteReturn();
}

bool CollisionComponent::IsEqual(const Component* other) const
{
    if (!other) return true;
    const auto* o = dynamic_cast<const CollisionComponent*>(other);
    if (!o) return false;
    // Collided is the state of the running step, not data: it is left out.
    if (active != o->active || autoResolve != o->autoResolve || ethereal != o->ethereal) return false;
    if (staticFriction != o->staticFriction || dynamicFriction != o->dynamicFriction) return false;
    if (!m_primitive || !o->m_primitive) return true;
    // Sizes count too: otherwise a changed size alone would never be saved.
    return m_primitive->type == o->m_primitive->type && m_primitive->IsEqual(o->m_primitive);
}

void CollisionComponent::CopyFrom(const Component* other)
{
    const auto* source = dynamic_cast<const CollisionComponent*>(other);
    if (!source || source == this) return;
    active = source->active;
    collided = source->collided;
    autoResolve = source->autoResolve;
    ethereal = source->ethereal;
    staticFriction = source->staticFriction;
    dynamicFriction = source->dynamicFriction;
    if (source->m_primitive && MakePrimitive(source->m_primitive->type)) m_primitive->CopyFrom(source->m_primitive);
    if (owner && m_primitive) UpdatePrimitive();
}

} // namespace QRX
