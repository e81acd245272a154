#include "engine/physics/SteerGenerators.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsComponent.h"

namespace QRX {

namespace {

// Half of the seek's turn step, in radians, for the clockwise turn.
constexpr float HALF_TURN_RADIANS = 0.0436332f;

// The force that takes the body from its velocity to the desired one in dt.
glm::vec3 SteeringForce(const PhysicsComponent& body, const glm::vec3& desired, float dt)
{
    return (desired - body.velocity) * MassFromInverse(body.inverseMass) / dt;
}

// The same parameter element names for seek and arrive.
void ReadTarget(const tinyxml2::XMLElement* e, const char* text, float& maxSpeed, glm::vec3& target)
{
    if (std::strcmp(e->Name(), "MaxSpeed") == 0) maxSpeed = FileManager::ConvertToFloat(text);
    else if (std::strcmp(e->Name(), "Target") == 0) target = FileManager::ConvertToVec3(text);
}

// ...and written in the same order.
void WriteTargetAndSpeed(FileManager& fm, const glm::vec3& target, float maxSpeed)
{
    fm.WriteSibling("Target");
    fm.WriteValue(FileManager::Vec3ToString(target));
    fm.WriteSibling("MaxSpeed");
    fm.WriteValue(FileManager::FloatToString(maxSpeed));
}

bool SameVec3(const glm::vec3& a, const glm::vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

} // namespace

EnumStringTable& SteerTypeNames::Get() { return GetSteerGeneratorTypeNameTable(); }

void SteerTypeNames::Add(const std::string& name, int value) { AddSteerGeneratorTypeName(name, value); }

const std::string& SteerTypeNames::NameOf(int value) { return SteerGeneratorTypeToString(value); }

void SteerGenerator::WriteHeader(FileManager& fm) const
{
    fm.WriteSibling("Steer");
    fm.WriteChild("Type");
    fm.WriteValue(SteerTypeNames::NameOf(type));
}

// ---- seek ----

SeekSteerGenerator::SeekSteerGenerator() : SteerGenerator(SG_SEEK) {}

void SeekSteerGenerator::CopyFrom(const SteerGenerator* other)
{
    if (const auto* source = dynamic_cast<const SeekSteerGenerator*>(other)) {
        MaxSpeed = source->MaxSpeed;
        Target = source->Target;
    }
}

void SeekSteerGenerator::UpdateForce(PhysicsComponent* body, float dt)
{
    // The force divides by dt: a step without time asks for nothing.
    if (!body || !body->owner || !(dt > 0.0f)) return;
    GameObject* object = body->owner;

    const glm::vec3 d = Target - object->position;
    const float distance = glm::length(d);
    glm::vec3 desired(0.0f);
    if (distance > MIN_TARGET_DISTANCE) desired = d / distance * MaxSpeed;
    body->flags |= BODY_AWAKE;
    body->forceAccum += SteeringForce(*body, desired, dt);

    // Face the target: which side of the x axis it lies on, from the
    // horizontal offset only, picks the turn.
    const glm::vec3 forward = object->rotation * glm::vec3(1.0f, 0.0f, 0.0f);
    const float side = glm::dot(glm::vec3(-d.z, 0.0f, d.x), forward);
    glm::quat turn;
    if (side < -TURN_DEAD_BAND) {
        turn = glm::quat(std::cos(-HALF_TURN_RADIANS), 0.0f, std::sin(-HALF_TURN_RADIANS), 0.0f);
    } else if (side > TURN_DEAD_BAND) {
        turn = glm::angleAxis(TURN_STEP_DEGREES * DEGREES_TO_RADIANS, glm::vec3(0.0f, 1.0f, 0.0f));
    } else {
        return;
    }
    object->rotation = turn * object->rotation;
    object->flags &= ~OBJ_WORLD_VALID;
}

void SeekSteerGenerator::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* text = ElementText(e);
        if (text) ReadTarget(e, text, MaxSpeed, Target);
    }
}

void SeekSteerGenerator::Write(const SteerGenerator* other) const
{
    if (IsEqual(other)) return;
    FileManager* fm = System::GetInstance()->fileManager;
    if (!fm) return;
    WriteHeader(*fm);
    WriteTargetAndSpeed(*fm, Target, MaxSpeed);
    fm->WriteReturn();
}

bool SeekSteerGenerator::IsEqual(const SteerGenerator* other) const
{
    const auto* o = dynamic_cast<const SeekSteerGenerator*>(other);
    return o && SameVec3(Target, o->Target) && MaxSpeed == o->MaxSpeed;
}

// ---- arrive ----

ArriveSteerGenerator::ArriveSteerGenerator() : SteerGenerator(SG_ARRIVE) {}

void ArriveSteerGenerator::CopyFrom(const SteerGenerator* other)
{
    if (const auto* source = dynamic_cast<const ArriveSteerGenerator*>(other)) {
        Deceleration = source->Deceleration;
        MaxSpeed = source->MaxSpeed;
        Target = source->Target;
    }
}

void ArriveSteerGenerator::UpdateForce(PhysicsComponent* body, float dt)
{
    if (!body || !body->owner || !(dt > 0.0f)) return;
    const glm::vec3 d = Target - body->owner->position;
    const float distance = glm::length(d);
    body->flags |= BODY_AWAKE;
    if (distance <= 0.0f) return;

    // A deceleration of 0 or less has no slowing zone: full speed.
    const float slowing = Deceleration * DECELERATION_TWEAK;
    const float speed = slowing > 0.0f ? std::min(distance / slowing, MaxSpeed) : MaxSpeed;
    const glm::vec3 desired = d * speed / distance;
    body->forceAccum += SteeringForce(*body, desired, dt);
}

void ArriveSteerGenerator::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* text = ElementText(e);
        if (!text) continue;
        if (std::strcmp(e->Name(), "Deceleration") == 0) Deceleration = FileManager::ConvertToFloat(text);
        else ReadTarget(e, text, MaxSpeed, Target);
    }
}

void ArriveSteerGenerator::Write(const SteerGenerator* other) const
{
    if (IsEqual(other)) return;
    FileManager* fm = System::GetInstance()->fileManager;
    if (!fm) return;
    WriteHeader(*fm);
    WriteTargetAndSpeed(*fm, Target, MaxSpeed);
    fm->WriteSibling("Deceleration");
    fm->WriteValue(FileManager::FloatToString(Deceleration));
    fm->WriteReturn();
}

bool ArriveSteerGenerator::IsEqual(const SteerGenerator* other) const
{
    const auto* o = dynamic_cast<const ArriveSteerGenerator*>(other);
    return o && SameVec3(Target, o->Target) && MaxSpeed == o->MaxSpeed && Deceleration == o->Deceleration;
}

} // namespace QRX
