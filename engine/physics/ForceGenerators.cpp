#include "engine/physics/ForceGenerators.h"

#include <cstring>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/System.h"
#include "engine/objects/TypeNames.h"
#include "engine/physics/PhysicsComponent.h"

namespace QRX {

float MassFromInverse(float inverseMass) { return inverseMass > MIN_INVERSE_MASS ? 1.0f / inverseMass : 0.0f; }

const std::string& ForceGeneratorTypeName(int value) { return ForceGeneratorTypeToString(value); }

void ForceGenerator::WriteHeader(FileManager& fm) const
{
    fm.WriteSibling("Force");
    fm.WriteChild("Type");
    fm.WriteValue(ForceGeneratorTypeName(type));
}

// ---- gravity ----

GravityForceGenerator::GravityForceGenerator() : ForceGenerator(FG_GRAVITY) {}

void GravityForceGenerator::CopyFrom(const ForceGenerator* other)
{
    if (const auto* source = dynamic_cast<const GravityForceGenerator*>(other)) gravity = source->gravity;
}

void GravityForceGenerator::UpdateForce(PhysicsComponent* body, float)
{
    if (!body) return;
    const float mass = MassFromInverse(body->inverseMass);
    if (mass == 0.0f) return;
    body->forceAccum += gravity * mass;
}

void GravityForceGenerator::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* text = ElementText(e);
        if (!text) continue;
        if (std::strcmp(e->Name(), "Gravity") == 0) gravity = FileManager::ConvertToVec3(text);
    }
}

void GravityForceGenerator::Write(const ForceGenerator* other) const
{
    if (IsEqual(other)) return;
    FileManager* fm = System::GetInstance()->fileManager;
    if (!fm) return;
    WriteHeader(*fm);
    fm->WriteSibling("Gravity");
    fm->WriteValue(FileManager::Vec3ToString(gravity));
    fm->WriteReturn();
}

bool GravityForceGenerator::IsEqual(const ForceGenerator* other) const
{
    const auto* o = dynamic_cast<const GravityForceGenerator*>(other);
    return o && gravity.x == o->gravity.x && gravity.y == o->gravity.y && gravity.z == o->gravity.z;
}

// ---- drag ----

DragForceGenerator::DragForceGenerator() : ForceGenerator(FG_DRAG) {}

void DragForceGenerator::CopyFrom(const ForceGenerator* other)
{
    if (const auto* source = dynamic_cast<const DragForceGenerator*>(other)) {
        K1 = source->K1;
        K2 = source->K2;
    }
}

void DragForceGenerator::UpdateForce(PhysicsComponent* body, float)
{
    if (!body) return;
    const glm::vec3 v = body->velocity;
    const float speed = glm::length(v);
    // Near rest the velocity itself stands for the direction, so the drag
    // fades out instead of dividing by almost nothing.
    const glm::vec3 direction = speed > MIN_DIRECTION_SPEED ? v / speed : v;
    body->forceAccum += direction * -(K1 * speed + K2 * speed * speed);
}

void DragForceGenerator::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* text = ElementText(e);
        if (!text) continue;
        if (std::strcmp(e->Name(), "K1") == 0) K1 = FileManager::ConvertToFloat(text);
        else if (std::strcmp(e->Name(), "K2") == 0) K2 = FileManager::ConvertToFloat(text);
    }
}

void DragForceGenerator::Write(const ForceGenerator* other) const
{
    if (IsEqual(other)) return;
    FileManager* fm = System::GetInstance()->fileManager;
    if (!fm) return;
    WriteHeader(*fm);
    fm->WriteSibling("K1");
    fm->WriteValue(FileManager::FloatToString(K1));
    fm->WriteSibling("K2");
    fm->WriteValue(FileManager::FloatToString(K2));
    fm->WriteReturn();
}

bool DragForceGenerator::IsEqual(const ForceGenerator* other) const
{
    const auto* o = dynamic_cast<const DragForceGenerator*>(other);
    return o && K1 == o->K1 && K2 == o->K2;
}

} // namespace QRX
