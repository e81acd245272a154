#include "engine/objects/GameObject.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/objects/Component.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

namespace {

ObjectManager* Manager()
{
    System* system = System::PeekInstance();
    return system ? system->objectManager : nullptr;
}

FactoryPlant<Component>* FactoryFor(int componentType)
{
    ObjectManager* manager = Manager();
    if (!manager) return nullptr;
    FactoryMap<Component>& factories = manager->GetFactories();
    auto it = factories.find(componentType);
    return it == factories.end() ? nullptr : it->second;
}

bool EditorStateCurrent()
{
    ObjectManager* manager = Manager();
    return manager && manager->IsEditorStateCurrent();
}

// Through the factory of the component's own type; a component whose factory
// is gone is deleted directly rather than leaked.
void DestroyThroughFactory(Component* component)
{
    if (!component) return;
    if (FactoryPlant<Component>* factory = FactoryFor(component->type)) factory->Destroy(component);
    else delete component;
}

// Beyond this sine of the pitch the x and z angles cannot be told apart.
constexpr float GIMBAL_LOCK_SINE = 0.999999f;
constexpr float HALF_PI = 1.57079633f;

bool SameQuat(const glm::quat& a, const glm::quat& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z && a.w == b.w;
}

bool SameVec3(const glm::vec3& a, const glm::vec3& b)
{
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

} // namespace

GameObject::GameObject()
    : position(0.0f),
      previousPosition(0.0f),
      rotation(1.0f, 0.0f, 0.0f, 0.0f),
      previousRotation(1.0f, 0.0f, 0.0f, 0.0f),
      scale(1.0f),
      world(1.0f),
      inverseWorld(1.0f)
{
}

GameObject::~GameObject()
{
    DestroyComponents();
}

// ---- components ----

Component* GameObject::AddComponentHelper(Components componentType)
{
    auto it = components.find(componentType);
    if (it != components.end()) return it->second;
    FactoryPlant<Component>* factory = FactoryFor(componentType);
    Component* comp = factory ? factory->Create() : nullptr;
    QRX_ASSERT(comp, 1, "Unable to create a new component type");
    if (!comp) return nullptr;
    comp->owner = this;
    components[componentType] = comp;
    return comp;
}

Component* GameObject::AddComponent(Components componentType)
{
    const bool made = components.find(componentType) == components.end();
    Component* comp = AddComponentHelper(componentType);
    if (comp && !EditorStateCurrent()) {
        if (made) comp->addedInPlay = true;
        comp->Init();
    }
    return comp;
}

void GameObject::RemoveComponent(Components componentType)
{
    auto it = components.find(componentType);
    if (it == components.end()) return;
    if (!EditorStateCurrent()) it->second->Free();
    // Free may have changed the map.
    it = components.find(componentType);
    if (it != components.end()) DestroyComponent(it);
}

void GameObject::DestroyComponent(ComponentMap::iterator position)
{
    Component* comp = position->second;
    components.erase(position);
    DestroyThroughFactory(comp);
}

void GameObject::DestroyComponents()
{
    ComponentMap doomed;
    doomed.swap(components);
    for (auto& entry : doomed) DestroyThroughFactory(entry.second);
}

Component* GameObject::GetComponent(Components componentType) const
{
    auto it = components.find(componentType);
    return it == components.end() ? nullptr : it->second;
}

namespace {

// Visits the components in ascending type; the walk resumes after the last
// visited type, so components added or removed on the way never break it.
template <typename Visit>
void ForEachComponent(GameObject::ComponentMap& components, Visit visit)
{
    for (auto it = components.begin(); it != components.end();) {
        Components visited = it->first;
        visit(it->second);
        it = components.upper_bound(visited);
    }
}

} // namespace

void GameObject::InitComponents()
{
    ForEachComponent(components, [](Component* c) { c->Init(); });
}

void GameObject::UpdateComponents()
{
    ForEachComponent(components, [](Component* c) { c->Update(); });
}

void GameObject::FreeComponents()
{
    ForEachComponent(components, [](Component* c) { c->Free(); });
}

void GameObject::NotifyCollision(GameObject* other)
{
    ForEachComponent(components, [other](Component* c) { c->OnCollision(other); });
}

void GameObject::CopyFrom(const GameObject* master)
{
    if (!master) return;
    flags = master->flags;
    type = master->type;
    stateId = master->stateId;
    position = previousPosition = master->position;
    rotation = previousRotation = master->rotation;
    scale = master->scale;
    for (const auto& entry : master->components) {
        FactoryPlant<Component>* factory = FactoryFor(entry.first);
        if (!factory) continue;
        Component* comp = factory->Create();
        if (!comp) continue;
        comp->owner = this;
        comp->CopyFrom(entry.second);
        auto it = components.find(entry.first);
        if (it != components.end()) {
            DestroyThroughFactory(it->second);
            it->second = comp;
        } else {
            components.emplace(entry.first, comp);
        }
    }
}

void GameObject::BuildTransform()
{
    glm::mat4 s(1.0f);
    s[0] *= scale.x;
    s[1] *= scale.y;
    s[2] *= scale.z;
    glm::quat q = rotation;
    float length = std::sqrt(q.x * q.x + q.y * q.y + q.z * q.z + q.w * q.w);
    if (length > 0.0f) q = glm::quat(q.w / length, q.x / length, q.y / length, q.z / length);
    else q = glm::quat(1.0f, 0.0f, 0.0f, 0.0f);
    world = glm::mat4_cast(q) * s;
    world[3] = glm::vec4(position, 1.0f);
    flags |= OBJ_WORLD_VALID;
    inverseWorld = glm::inverse(world);
}

// ---- Euler angles ----

glm::quat GameObject::EulerDegreesToQuat(const glm::vec3& degrees)
{
    const float ax = degrees.x * DEGREES_TO_RADIANS;
    const float ay = degrees.y * DEGREES_TO_RADIANS;
    const float az = degrees.z * DEGREES_TO_RADIANS;
    const float cx = std::cos(ax * 0.5f), sx = std::sin(ax * 0.5f);
    const float cy = std::cos(ay * 0.5f), sy = std::sin(ay * 0.5f);
    const float cz = std::cos(az * 0.5f), sz = std::sin(az * 0.5f);
    glm::quat q;
    q.w = cx * cy * cz + sx * sy * sz;
    q.x = sx * cy * cz - cx * sy * sz;
    q.y = cx * sy * cz + sx * cy * sz;
    q.z = cx * cy * sz - sx * sy * cz;
    return q;
}

namespace {

// Scales a quaternion's parts to unit length; a zero quaternion stays zero.
template <typename T>
void NormaliseQuatParts(T& x, T& y, T& z, T& w)
{
    const T length = std::sqrt(x * x + y * y + z * z + w * w);
    if (length > T(0)) {
        x /= length;
        y /= length;
        z /= length;
        w /= length;
    }
}

} // namespace

glm::vec3 GameObject::QuatToEulerDegrees(const glm::quat& rotation)
{
    // Normalised first, and the asin argument clamped: a quarter turn about y
    // rounds to slightly above 1 and would give NaN.
    float x = rotation.x, y = rotation.y, z = rotation.z, w = rotation.w;
    NormaliseQuatParts(x, y, z, w);
    const float sinY = -2.0f * (x * z - w * y);
    float ex, ey, ez;
    if (std::fabs(sinY) >= GIMBAL_LOCK_SINE) {
        // Pitched a quarter turn: only x - z (or x + z) is defined and both
        // atan2 arguments vanish into rounding. All of it goes to x.
        ey = std::copysign(HALF_PI, sinY);
        ex = 2.0f * std::atan2(x, w);
        ez = 0.0f;
    } else {
        ex = std::atan2(2.0f * (y * z + w * x), w * w - x * x - y * y + z * z);
        ey = std::asin(std::max(-1.0f, std::min(1.0f, sinY)));
        ez = std::atan2(2.0f * (x * y + w * z), w * w + x * x - y * y - z * z);
    }
    return glm::vec3(ex * RADIANS_TO_DEGREES, ey * RADIANS_TO_DEGREES, ez * RADIANS_TO_DEGREES);
}

namespace {

// An angle in (-180, 180] on the written step; never -0. In double, so
// that a whole number of steps is exact (180 stays 180).
float WrittenDegrees(double degrees)
{
    const double steps = ROTATION_TEXT_STEPS_PER_DEGREE;
    double a = std::round(std::fmod(degrees, 360.0) * steps) / steps;
    if (a > 180.0) a -= 360.0;
    else if (a <= -180.0) a += 360.0;
    return static_cast<float>(a) + 0.0f;
}

// Of the two angle triples of a turn, (x, y, z) and (x + 180, 180 - y,
// z + 180), the one with the smaller sum of magnitudes (the first on a tie).
// The angles of QuatToEulerDegrees worked out in double, the pitch from
// both its sine and its cosine: near a quarter pitch the float road loses
// a hundredth of a degree and more, which rounding would write.
glm::dvec3 PreciseEulerDegrees(const glm::quat& rotation)
{
    double x = rotation.x, y = rotation.y, z = rotation.z, w = rotation.w;
    NormaliseQuatParts(x, y, z, w);
    const double sinY = -2.0 * (x * z - w * y);
    const double m00 = w * w + x * x - y * y - z * z, m10 = 2.0 * (x * y + w * z);
    const double cosY = std::sqrt(m00 * m00 + m10 * m10);
    const double toDegrees = 180.0 / 3.14159265358979323846;
    if (cosY < 1e-9) return glm::dvec3(2.0 * std::atan2(x, w) * toDegrees, std::copysign(90.0, sinY), 0.0);
    return glm::dvec3(std::atan2(2.0 * (y * z + w * x), w * w - x * x - y * y + z * z) * toDegrees,
                      std::atan2(sinY, cosY) * toDegrees, std::atan2(m10, m00) * toDegrees);
}

std::string CanonicalAngleText(const glm::quat& rotation)
{
    const glm::dvec3 e = PreciseEulerDegrees(rotation);
    const glm::vec3 a(WrittenDegrees(e.x), WrittenDegrees(e.y), WrittenDegrees(e.z));
    const glm::vec3 b(WrittenDegrees(e.x + 180.0), WrittenDegrees(180.0 - e.y), WrittenDegrees(e.z + 180.0));
    auto size = [](const glm::vec3& v) { return std::fabs(v.x) + std::fabs(v.y) + std::fabs(v.z); };
    return FileManager::Vec3ToString(size(b) < size(a) ? b : a);
}

} // namespace

std::string GameObject::RotationText(const glm::quat& rotation)
{
    const glm::vec3 plain = QuatToEulerDegrees(rotation);
    if (!std::isfinite(plain.x) || !std::isfinite(plain.y) || !std::isfinite(plain.z))
        return FileManager::Vec3ToString(plain);
    // Rounding can move a turn near a pole to a neighbouring text: follow the
    // read-and-write road until a text comes back, and take the least text of
    // that loop, which every text on it leads to.
    std::vector<std::string> seen;
    glm::quat current = rotation;
    for (int round = 0; round < ROTATION_TEXT_ROUNDS; ++round) {
        std::string text = CanonicalAngleText(current);
        const auto again = std::find(seen.begin(), seen.end(), text);
        if (again != seen.end()) return *std::min_element(again, seen.end());
        seen.push_back(std::move(text));
        current = EulerDegreesToQuat(FileManager::ConvertToVec3(seen.back()));
    }
    return seen.back();
}

// ---- the object element ----

namespace {

void ReadComponentElement(GameObject& object, const tinyxml2::XMLElement* element)
{
    const tinyxml2::XMLElement* first = element->FirstChildElement();
    if (!first) return;
    Components componentType = CT_GRAPHICS;
    const tinyxml2::XMLElement* data = first;
    if (std::strcmp(first->Name(), "Type") == 0) {
        const char* name = first->GetText();
        if (name && !FileManager::FindComponentType(name, componentType))
            QRX_LOG_WARNING("Unknown component type %s: its fields go to CT_GRAPHICS", name);
        data = first->NextSiblingElement();
    }
    Component* pComp = object.GetComponent(componentType);
    if (!pComp) pComp = object.AddComponentHelper(componentType);
    QRX_ASSERT(pComp, 1, "AddComponent failed!");
    if (!pComp) return;
    pComp->Read(data);
}

} // namespace

void GameObject::Read(const tinyxml2::XMLElement* firstElement)
{
    for (const tinyxml2::XMLElement* e = firstElement; e; e = e->NextSiblingElement()) {
        const char* name = e->Name();
        if (std::strcmp(name, "Component") == 0) {
            ReadComponentElement(*this, e);
            continue;
        }
        // Every other element is a value; without text it is absent.
        const char* text = e->GetText();
        if (!text) continue;
        if (std::strcmp(name, "SkipDraw") == 0) {
            if (std::strcmp(text, "true") == 0) flags |= OBJ_SKIP_DRAW;
            else flags &= ~OBJ_SKIP_DRAW;
        } else if (std::strcmp(name, "Position") == 0) {
            position = FileManager::ConvertToVec3(text);
            flags &= ~OBJ_WORLD_VALID;
        } else if (std::strcmp(name, "Rotation") == 0) {
            rotation = EulerDegreesToQuat(FileManager::ConvertToVec3(text));
            flags &= ~OBJ_WORLD_VALID;
        } else if (std::strcmp(name, "Scale") == 0) {
            scale = FileManager::ConvertToVec3(text);
            flags &= ~OBJ_WORLD_VALID;
        }
        // "Type" (read by the file manager), "Path" and unknown names are passed over.
    }
}

void GameObject::Write() const
{
    System* system = System::PeekInstance();
    FileManager* fm = system ? system->fileManager : nullptr;
    if (!fm) return;
    ObjectManager* manager = system->objectManager;
    const GameObject* master = manager ? manager->GetMasterObject(type) : nullptr;

    // The place in the file's terms (an interface laid out for another window size).
    glm::vec3 writtenPosition = position, writtenScale = scale;
    for (const auto& entry : components) entry.second->ToFilePlace(writtenPosition, writtenScale);

    fm->WriteParent("Object");
    fm->WriteChild("Type");
    fm->WriteValue(ObjectTypeToString(type));
    fm->WriteSibling("Position");
    fm->WriteValue(FileManager::Vec3ToString(writtenPosition));
    // Without a master nothing can be left out.
    if (!master || !SameQuat(rotation, master->rotation)) {
        fm->WriteSibling("Rotation");
        fm->WriteValue(RotationText(rotation));
    }
    if (!master || !SameVec3(writtenScale, master->scale)) {
        fm->WriteSibling("Scale");
        fm->WriteValue(FileManager::Vec3ToString(writtenScale));
    }
    if (!master) return;
    for (const auto& entry : components) {
        if (entry.second->addedInPlay) continue;
        const Component* masterComponent = master->GetComponent(entry.first);
        if (masterComponent) {
            entry.second->Write(masterComponent);
            continue;
        }
        // A component the master lacks (added in the level file or by the
        // editor) would be lost on the next load if left out: it is written
        // against a fresh one of its type, and always at least by its type.
        FactoryPlant<Component>* factory = FactoryFor(entry.first);
        Component* fresh = factory ? factory->Create() : nullptr;
        if (fresh && !entry.second->IsEqual(fresh)) {
            entry.second->Write(fresh);
        } else {
            fm->WriteSibling("Component");
            fm->WriteChild("Type");
            fm->WriteValue(FileManager::ComponentsToString(entry.first));
            fm->WriteReturn();
        }
        if (fresh) factory->Destroy(fresh);
    }
}

} // namespace QRX
