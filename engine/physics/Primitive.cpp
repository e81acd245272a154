#include "engine/physics/Primitive.h"

#include <algorithm>
#include <cstring>

#include <glm/gtc/quaternion.hpp>
#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"

namespace QRX {

namespace {

FileManager* Writer()
{
    System* system = System::PeekInstance();
    return system ? system->fileManager : nullptr;
}

bool SameVec3(const glm::vec3& a, const glm::vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

// The element's text when it has the name, else null; named but empty gives
// "" so that the caller can report it.
const char* FieldText(const tinyxml2::XMLElement* element, const char* name)
{
    if (std::strcmp(element->Name(), name) != 0) return nullptr;
    const char* text = element->GetText();
    return text ? text : "";
}

void WriteField(FileManager* fm, const char* name, const std::string& text)
{
    fm->WriteSibling(name);
    fm->WriteValue(text);
}

// The other primitive as the same concrete class, or null for null or
// another kind.
template <typename T>
const T* SameKind(const Primitive* self, const Primitive* other)
{
    if (!other || other->type != self->type) return nullptr;
    return static_cast<const T*>(other);
}

void ReportKindMismatch(const Primitive* self, const Primitive* other)
{
    QRX_LOG_WARNING("Cannot copy a %s primitive from %s; nothing copied",
                    PrimitiveTypeToString(self->type).c_str(),
                    other ? PrimitiveTypeToString(other->type).c_str() : "no primitive");
}

} // namespace

// ---------------------------------------------------------------------------
// Primitive

Primitive::Primitive(PrimitiveType primitiveType) : type(primitiveType) {}

void Primitive::BuildTransform(const glm::vec3& extent)
{
    orientation = glm::mat3_cast(owner->rotation);
    glm::mat4 shape(1.0f);
    for (int i = 0; i < 3; ++i) shape[i] = glm::vec4(orientation[i] * extent[i], 0.0f);
    shape[3] = glm::vec4(owner->position, 1.0f);
    // Every step rebuilds every primitive; the offset is seldom anything but
    // the identity, whose product changes no finite shape.
    static const glm::mat4 identity(1.0f);
    transform = offsetTransform == identity ? shape : shape * offsetTransform;
}

bool Primitive::BeginWrite() const
{
    FileManager* fm = Writer();
    if (!fm) return false;
    fm->WriteSibling("Primitive");
    fm->WriteChild("Type");
    fm->WriteValue(PrimitiveTypeToString(type));
    return true;
}

// ---------------------------------------------------------------------------
// CollisionSphere

CollisionSphere::CollisionSphere() : Primitive(PR_SPHERE) {}

void CollisionSphere::CopyFrom(const Primitive* other)
{
    const CollisionSphere* from = SameKind<CollisionSphere>(this, other);
    if (!from) {
        ReportKindMismatch(this, other);
        return;
    }
    radius = from->radius;
    scaledRadius = from->scaledRadius;
    offsetTransform = from->offsetTransform;
}

void CollisionSphere::ApplyScale(const glm::vec3& s) { scaledRadius = radius * s.x; }
void CollisionSphere::ScaleX(float f) { radius *= f; }
void CollisionSphere::ScaleY(float f) { radius *= f; }
void CollisionSphere::ScaleZ(float f) { radius *= f; }

void CollisionSphere::UpdateTransform()
{
    if (!owner) return;
    // Only the x scale counts for a sphere.
    scaledRadius = owner->scale.x * radius;
    BuildTransform(glm::vec3(2.0f * scaledRadius));
}

glm::vec3 CollisionSphere::GetSize() const { return glm::vec3(2.0f * radius); }

void CollisionSphere::FitToOwner()
{
    if (!owner) return;
    scaledRadius = 0.5f * std::max(owner->scale.x, std::max(owner->scale.y, owner->scale.z));
}

glm::vec3 CollisionSphere::GetHalfSize() const { return glm::vec3(radius); }

void CollisionSphere::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        if (const char* text = FieldText(e, "Radius")) {
            if (*text) radius = FileManager::ConvertToFloat(text);
            else QRX_LOG_WARNING("Radius data section is empty!");
        }
    }
}

void CollisionSphere::Write(const Primitive* master) const
{
    if (IsEqual(master)) return;
    if (!BeginWrite()) return;
    FileManager* fm = Writer();
    const CollisionSphere* theirs = SameKind<CollisionSphere>(this, master);
    if (!theirs || theirs->radius != radius) WriteField(fm, "Radius", FileManager::FloatToString(radius));
    fm->WriteReturn();
}

bool CollisionSphere::IsEqual(const Primitive* other) const
{
    const CollisionSphere* theirs = SameKind<CollisionSphere>(this, other);
    return theirs && theirs->radius == radius;
}

// ---------------------------------------------------------------------------
// CollisionBox

CollisionBox::CollisionBox() : Primitive(PR_BOX) {}

void CollisionBox::CopyFrom(const Primitive* other)
{
    const CollisionBox* from = SameKind<CollisionBox>(this, other);
    if (!from) {
        ReportKindMismatch(this, other);
        return;
    }
    halfSize = from->halfSize;
    scaledHalfSize = from->scaledHalfSize;
    offsetTransform = from->offsetTransform;
}

void CollisionBox::ApplyScale(const glm::vec3& s) { scaledHalfSize = halfSize * s; }
void CollisionBox::ScaleX(float f) { halfSize.x *= f; }
void CollisionBox::ScaleY(float f) { halfSize.y *= f; }
void CollisionBox::ScaleZ(float f) { halfSize.z *= f; }

void CollisionBox::UpdateTransform()
{
    if (!owner) return;
    scaledHalfSize = halfSize * owner->scale;
    BuildTransform(2.0f * scaledHalfSize);
}

glm::vec3 CollisionBox::GetSize() const { return 2.0f * scaledHalfSize; }

void CollisionBox::FitToOwner()
{
    if (!owner) return;
    scaledHalfSize = 0.5f * owner->scale;
}

glm::vec3 CollisionBox::GetHalfSize() const { return halfSize; }

void CollisionBox::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        if (const char* text = FieldText(e, "HalfSize")) {
            if (*text) halfSize = FileManager::ConvertToVec3(text);
            else QRX_LOG_WARNING("HalfSize data section is empty!");
        }
    }
}

void CollisionBox::Write(const Primitive* master) const
{
    if (IsEqual(master)) return;
    if (!BeginWrite()) return;
    FileManager* fm = Writer();
    if (!master || master->type != type || !SameVec3(master->GetHalfSize(), halfSize))
        WriteField(fm, "HalfSize", FileManager::Vec3ToString(halfSize));
    fm->WriteReturn();
}

bool CollisionBox::IsEqual(const Primitive* other) const
{
    const CollisionBox* theirs = SameKind<CollisionBox>(this, other);
    return theirs && SameVec3(theirs->GetHalfSize(), halfSize);
}

// ---------------------------------------------------------------------------
// CollisionPlane

CollisionPlane::CollisionPlane() : Primitive(PR_PLANE) {}

CollisionPlane::CollisionPlane(const glm::vec3& planeNormal, const glm::vec3& plateHalfSize, float planeOffset)
    : Primitive(PR_PLANE), normal(planeNormal), halfSize(plateHalfSize), scaledHalfSize(plateHalfSize),
      offset(planeOffset)
{
}

void CollisionPlane::CopyFrom(const Primitive* other)
{
    const CollisionPlane* from = SameKind<CollisionPlane>(this, other);
    if (!from) {
        ReportKindMismatch(this, other);
        return;
    }
    normal = from->normal;
    halfSize = from->halfSize;
    scaledHalfSize = from->scaledHalfSize;
    offsetTransform = from->offsetTransform;
}

// A plane has no size in the tests: scaling leaves it as it is.
void CollisionPlane::ApplyScale(const glm::vec3&) {}
void CollisionPlane::ScaleX(float) {}
void CollisionPlane::ScaleY(float) {}
void CollisionPlane::ScaleZ(float) {}

void CollisionPlane::UpdateTransform()
{
    if (!owner) return;
    scaledHalfSize = halfSize * owner->scale;
    BuildTransform(2.0f * scaledHalfSize);
    // The plane always passes through its owner, whatever offset was read.
    offset = glm::dot(normal, GetCentre());
}

glm::vec3 CollisionPlane::GetSize() const { return 2.0f * scaledHalfSize; }

void CollisionPlane::FitToOwner() {}

glm::vec3 CollisionPlane::GetHalfSize() const { return halfSize; }

void CollisionPlane::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        if (const char* normalText = FieldText(e, "Normal")) {
            if (*normalText) normal = FileManager::ConvertToVec3(normalText);
            else QRX_LOG_WARNING("Normal data section is empty!");
        } else if (const char* sizeText = FieldText(e, "HalfSize")) {
            if (*sizeText) halfSize = FileManager::ConvertToVec3(sizeText);
            else QRX_LOG_WARNING("HalfSize data section is empty!");
        } else if (const char* offsetText = FieldText(e, "Offset")) {
            if (*offsetText) offset = FileManager::ConvertToFloat(offsetText);
            else QRX_LOG_WARNING("Offset data section is empty!");
        }
    }
}

void CollisionPlane::Write(const Primitive* master) const
{
    if (IsEqual(master)) return;
    if (!BeginWrite()) return;
    FileManager* fm = Writer();
    const CollisionPlane* theirs = SameKind<CollisionPlane>(this, master);
    if (!theirs || !SameVec3(theirs->normal, normal)) WriteField(fm, "Normal", FileManager::Vec3ToString(normal));
    if (!theirs || !SameVec3(theirs->halfSize, halfSize))
        WriteField(fm, "HalfSize", FileManager::Vec3ToString(halfSize));
    if (!theirs || theirs->offset != offset) WriteField(fm, "Offset", FileManager::FloatToString(offset));
    fm->WriteReturn();
}

bool CollisionPlane::IsEqual(const Primitive* other) const
{
    const CollisionPlane* theirs = SameKind<CollisionPlane>(this, other);
    return theirs && SameVec3(theirs->normal, normal) && SameVec3(theirs->GetHalfSize(), halfSize) &&
           theirs->offset == offset;
}

} // namespace QRX
