#include "engine/physics/PhysicsComponent.h"

#include <cstring>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/ForceGenerators.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/SteerGenerators.h"

namespace QRX {

namespace {

PhysicsManager* Physics()
{
    System* system = System::PeekInstance();
    return system ? system->physicsManager : nullptr;
}

// The generator type named by a "Force"/"Steer" element and where its data
// start: a first child "Type" names it (an unknown or empty name gives 0) and
// the data follow; without "Type" the type is 0 and the data are the children.
int GeneratorTypeOf(const tinyxml2::XMLElement* first, const EnumStringTable& names,
                    const tinyxml2::XMLElement*& data)
{
    if (std::strcmp(first->Name(), "Type") != 0) {
        data = first;
        return 0;
    }
    data = first->NextSiblingElement();
    const char* text = ElementText(first);
    if (!text) return 0;
    auto it = names.find(text);
    return it != names.end() ? it->second : 0;
}

} // namespace

PhysicsComponent* GetPhysicsComponent(const GameObject* object)
{
    return object ? object->GetComponent<PhysicsComponent>() : nullptr;
}

PhysicsComponent::PhysicsComponent() : Component(CT_PHYSICS) {}

PhysicsComponent::~PhysicsComponent() { ReleaseGenerators(); }

void PhysicsComponent::ReleaseGenerators()
{
    PhysicsManager* physics = Physics();
    // Without a physics manager there is no factory to hand them to; they
    // are deleted directly rather than leaked.
    for (auto& entry : forceGenerators) {
        if (physics) physics->DeleteForceGenerator(entry.second);
        else delete entry.second;
    }
    for (auto& entry : steerGenerators) {
        if (physics) physics->DeleteSteerGenerator(entry.second);
        else delete entry.second;
    }
    forceGenerators.clear();
    steerGenerators.clear();
}

ForceGenerator* PhysicsComponent::AddForceGenerator(int type)
{
    auto it = forceGenerators.find(type);
    if (it != forceGenerators.end()) return it->second;
    PhysicsManager* physics = Physics();
    ForceGenerator* generator = physics ? physics->MakeForceGenerator(type) : nullptr;
    if (generator) forceGenerators.emplace(type, generator);
    return generator;
}

SteerGenerator* PhysicsComponent::AddSteerGenerator(int type)
{
    auto it = steerGenerators.find(type);
    if (it != steerGenerators.end()) return it->second;
    PhysicsManager* physics = Physics();
    SteerGenerator* generator = physics ? physics->MakeSteerGenerator(type) : nullptr;
    if (generator) steerGenerators.emplace(type, generator);
    return generator;
}

ForceGenerator* PhysicsComponent::GetForceGenerator(int type) const
{
    auto it = forceGenerators.find(type);
    return it != forceGenerators.end() ? it->second : nullptr;
}

void PhysicsComponent::AddVelocity(const glm::vec3& v) { velocity += v; }

void PhysicsComponent::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* name = e->Name();
        if (std::strcmp(name, "InverseMass") == 0) {
            if (const char* text = ElementText(e)) inverseMass = FileManager::ConvertToFloat(text);
        } else if (std::strcmp(name, "Force") == 0) {
            const tinyxml2::XMLElement* first = e->FirstChildElement();
            if (!first) {
                QRX_LOG_WARNING("Force data section is empty!");
                continue;
            }
            const tinyxml2::XMLElement* data = nullptr;
            const int type = GeneratorTypeOf(first, GetForceGeneratorTypeNameTable(), data);
            ForceGenerator* pForce = AddForceGenerator(type);
            QRX_ASSERT(pForce, 1, "AddForceGenerator failed!");
            if (pForce) pForce->Read(data);
        } else if (std::strcmp(name, "Steer") == 0) {
            const tinyxml2::XMLElement* first = e->FirstChildElement();
            if (!first) {
                QRX_LOG_WARNING("Steer data section is empty!");
                continue;
            }
            const tinyxml2::XMLElement* data = nullptr;
            const int type = GeneratorTypeOf(first, SteerTypeNames::Get(), data);
            SteerGenerator* pSteer = AddSteerGenerator(type);
            QRX_ASSERT(pSteer, 1, "AddSteerGenerator failed!");
            if (pSteer) pSteer->Read(data);
        }
    }
}

void PhysicsComponent::Write(const Component* master)
{
    // Generators are never written: one that differs (gravity faded while a
    // body rests) leaves nothing to write, and an empty element would only
    // make a saved level differ from its file.
    const auto* theirs = dynamic_cast<const PhysicsComponent*>(master);
    if (IsEqual(master) || (theirs && inverseMass == theirs->inverseMass)) return;
    FileManager* fm = System::GetInstance()->fileManager;
    if (!fm) return;
    fm->WriteSibling("Component");
    fm->WriteChild("Type");
    fm->WriteValue(FileManager::ComponentsToString(type));
    fm->WriteSibling("InverseMass");
    fm->WriteValue(FileManager::FloatToString(inverseMass));
    fm->WriteReturn();
}

bool PhysicsComponent::IsEqual(const Component* other) const
{
    if (!other) return true;
    const auto* o = dynamic_cast<const PhysicsComponent*>(other);
    if (!o) return false;
    for (const auto& entry : o->forceGenerators) {
        auto mine = forceGenerators.find(entry.first);
        if (mine == forceGenerators.end() || !mine->second->IsEqual(entry.second)) return false;
    }
    for (const auto& entry : o->steerGenerators) {
        auto mine = steerGenerators.find(entry.first);
        if (mine == steerGenerators.end() || !mine->second->IsEqual(entry.second)) return false;
    }
    return inverseMass == o->inverseMass;
}

void PhysicsComponent::CopyFrom(const Component* other)
{
    const auto* source = dynamic_cast<const PhysicsComponent*>(other);
    if (!source || source == this) return;
    flags = source->flags;
    inverseMass = source->inverseMass;
    wakeTimer = source->wakeTimer;
    velocity = source->velocity;
    motion = source->motion;
    forceAccum = source->forceAccum;
    acceleration = source->acceleration;

    // Generators held before would otherwise be overwritten and lost.
    ReleaseGenerators();
    PhysicsManager* physics = Physics();
    if (!physics) return;
    for (const auto& entry : source->forceGenerators) {
        ForceGenerator* copy = physics->MakeForceGenerator(entry.first);
        if (!copy) continue;
        copy->CopyFrom(entry.second);
        forceGenerators.emplace(entry.first, copy);
    }
    for (const auto& entry : source->steerGenerators) {
        SteerGenerator* copy = physics->MakeSteerGenerator(entry.first);
        if (!copy) continue;
        copy->CopyFrom(entry.second);
        steerGenerators.emplace(entry.first, copy);
    }
}

} // namespace QRX
