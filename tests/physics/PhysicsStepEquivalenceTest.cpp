// The real physics step against the plain reference step: random scenes are
// built twice, in two object managers, one stepped by PhysicsManager::Update
// and one by the reference; after every step every position, velocity, flag,
// timer, gravity, primitive and collision notice must agree bit for bit.
//
// The scenes mix crates, spheres, robots and enemies, planes, block floors,
// big and turned blocks, force fields, sleeping, disabled and immovable
// bodies, objects that do not auto-resolve or are ethereal, hooks that change
// bodies while the step tells them of contacts, changing frame times, pools
// filled to the brim, bodies far away or lost to a non-finite position, and
// robots driven over block floors across the seams of their blocks.
#include "physics/ReferenceStep.h"
#include "physics/StepTestKit.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace QRX;
using namespace QRX::StepKit;

namespace {

// One copy of a scene: its objects in creation order and what its hooks heard.
struct World
{
    ObjectManager* manager = nullptr;
    std::vector<GameObject*> objects;
    std::vector<std::array<int, 2>> notices;
    int step = 0;
};

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t c)
{
    std::uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 0x165667B1u) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    return h;
}

// What a hook does to the bodies it is told about: the same in both copies,
// since it depends only on the step and the two ids.
void HookAction(World& world, GameObject* self, GameObject* other)
{
    world.notices.push_back({self->id, other ? other->id : 0});
    const std::uint32_t roll = Mix(static_cast<std::uint32_t>(world.step), static_cast<std::uint32_t>(self->id),
                                   static_cast<std::uint32_t>(other ? other->id : 0)) % 200;
    PhysicsComponent* body = GetPhysicsComponent(self);
    if (!body) return;
    if (roll < 6) body->inverseMass = body->inverseMass == 0.0f ? 1.0f : 0.0f;
    else if (roll < 12) body->velocity += glm::vec3(0.0f, 2.0f, 0.5f);
    else if (roll < 18) body->flags ^= BODY_AWAKE;
    else if (roll < 24) {
        if (auto* gravity = dynamic_cast<GravityForceGenerator*>(body->GetForceGenerator(FG_GRAVITY)))
            gravity->gravity.y = -20.0f;
    } else if (roll < 28) {
        if (PhysicsComponent* theirs = GetPhysicsComponent(other)) theirs->velocity.x = -theirs->velocity.x;
    } else if (roll == 199) {
        self->RemoveComponent(CT_PHYSICS);  // the body is gone for the rest of the step
    }
}

std::uint32_t Bits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class PhysicsStepEquivalenceTest : public StepFixture
{
protected:
    void SetUp() override
    {
        StepFixture::SetUp();
        System* system = System::GetInstance();
        m_second = new ObjectManager();
        m_second->SetObjectFolder(StepFolder());
        system->objectManager = m_second;
        RegisterComponentFactories();
        // The hook goes under the same type as in the kit's own manager.
        const Components hookType = HookComponent().type;
        FactoryRegister<Component>(new Factory<Component, HookComponent>(hookType), m_second->GetFactories());
        system->objectManager = objects;
        m_real.manager = objects;
        m_copy.manager = m_second;
    }
    void TearDown() override
    {
        System::GetInstance()->objectManager = objects;
        Clear();
        m_second->Shutdown();
        delete m_second;
        StepFixture::TearDown();
    }

    void Clear()
    {
        for (World* world : {&m_real, &m_copy}) {
            System::GetInstance()->objectManager = world->manager;
            world->manager->ClearLevelObjects();
            world->objects.clear();
            world->notices.clear();
            world->step = 0;
        }
        System::GetInstance()->objectManager = objects;
    }

    // Kinds of scene: a random mix, or a pool filled to the brim by a pile
    // of crates inside each other (it never settles) or by a crowd of crates
    // resting on blocks.
    enum Kind { MIX, PILE, CROWD };

    // Builds the scene of the seed into both worlds.
    void Build(std::uint32_t seed, Kind kind = MIX)
    {
        Clear();
        for (World* world : {&m_real, &m_copy}) {
            System::GetInstance()->objectManager = world->manager;
            BuildInto(*world, seed, kind);
        }
        System::GetInstance()->objectManager = objects;
    }

    GameObject* Add(World& world, ObjectType type, const glm::vec3& position)
    {
        GameObject* object = world.manager->CreateInstance(type, position);
        EXPECT_NE(object, nullptr);
        if (object) world.objects.push_back(object);
        return object;
    }

    void BuildInto(World& world, std::uint32_t seed, Kind kind)
    {
        std::mt19937 rng(seed);
        auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(rng); };
        auto chance = [&](float p) { return uniform(0.0f, 1.0f) < p; };
        auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<std::uint32_t>(n)); };

        m_sleepTime = chance(0.2f) ? uniform(0.05f, 1.0f) : PhysicsManager::DEFAULT_SLEEP_TIME;
        if (kind == CROWD) {
            for (int x = 0; x < 12; ++x)
                for (int z = 0; z < 12; ++z) Add(world, CUBE, glm::vec3(x, 0.0f, z));
            for (int x = 0; x < 11; ++x)
                for (int z = 0; z < 12; ++z)
                    if (GameObject* crate = Add(world, CRATE, glm::vec3(x + 0.5f, uniform(0.98f, 1.0f), z + 0.5f)))
                        Body(crate)->flags = chance(0.5f) ? BODY_DEFAULT_FLAGS : BODY_ENABLED | BODY_CAN_SLEEP;
        }
        const bool brim = kind == PILE;
        const int floorKind = kind == CROWD ? 0 : pick(4);
        if (floorKind == 1) {
            GameObject* plane = Add(world, DEFAULT, glm::vec3(0.0f, uniform(-0.5f, 0.0f), 0.0f));
            if (plane && chance(0.3f)) {
                auto* primitive = static_cast<CollisionPlane*>(Collision(plane)->GetPrimitive());
                primitive->normal = glm::normalize(glm::vec3(uniform(-0.5f, 0.5f), 1.0f, uniform(-0.5f, 0.5f)));
            }
        } else if (floorKind == 2) {
            const int columns = 2 + pick(7), rows = 2 + pick(7);
            const float step = chance(0.5f) ? 1.0f : uniform(0.9f, 1.1f);
            for (int x = 0; x < columns; ++x)
                for (int z = 0; z < rows; ++z) Add(world, CUBE, glm::vec3(x * step, 0.0f, z * step));
        } else if (floorKind == 3) {
            GameObject* slab = Add(world, CUBE, glm::vec3(4.0f, -0.5f, 4.0f));
            if (slab) slab->scale = glm::vec3(uniform(8.0f, 20.0f), 1.0f, uniform(8.0f, 20.0f));
        }
        for (int i = pick(4); i > 0; --i) {
            GameObject* wall = Add(world, CUBE, glm::vec3(uniform(0.0f, 8.0f), uniform(0.0f, 2.0f), uniform(0.0f, 8.0f)));
            if (!wall) continue;
            if (chance(0.5f)) wall->rotation = glm::angleAxis(uniform(0.0f, 3.0f), glm::vec3(0.0f, 1.0f, 0.0f));
            if (chance(0.3f)) wall->scale = glm::vec3(uniform(0.5f, 4.0f), uniform(0.5f, 3.0f), uniform(0.5f, 2.0f));
            if (chance(0.2f)) Collision(wall)->autoResolve = false;
        }
        if (chance(0.3f)) Add(world, FORCEFIELD, glm::vec3(uniform(0.0f, 8.0f), 0.8f, uniform(0.0f, 8.0f)));
        if (chance(0.3f)) Add(world, CRATEFORCEFIELD, glm::vec3(uniform(0.0f, 8.0f), 0.8f, uniform(0.0f, 8.0f)));

        const int count = brim ? 40 : 3 + pick(28);
        for (int i = 0; i < count; ++i) {
            const int kind = pick(10);
            const ObjectType type = kind == 8 ? PLAYER : kind == 9 ? ENEMY : CRATE;
            const glm::vec3 position = brim ? glm::vec3(uniform(0.0f, 1.0f), uniform(0.5f, 1.5f), uniform(0.0f, 1.0f))
                                            : glm::vec3(uniform(0.0f, 8.0f), uniform(0.2f, 4.0f), uniform(0.0f, 8.0f));
            GameObject* object = Add(world, type, position);
            if (!object) continue;
            if (chance(0.15f))
                object->rotation = glm::normalize(glm::quat(uniform(-1.0f, 1.0f), uniform(-1.0f, 1.0f),
                                                            uniform(-1.0f, 1.0f), uniform(-1.0f, 1.0f)));
            if (chance(0.15f)) object->scale = glm::vec3(uniform(0.5f, 2.0f), uniform(0.5f, 2.0f), uniform(0.5f, 2.0f));
            CollisionComponent* collision = Collision(object);
            if (kind >= 6 && kind < 8) {
                auto* sphere = static_cast<CollisionSphere*>(collision->MakePrimitive(PR_SPHERE));
                sphere->radius = uniform(0.3f, 0.7f);
            }
            collision->active = !chance(0.05f);
            collision->autoResolve = !chance(0.1f);
            collision->ethereal = chance(0.05f);
            collision->staticFriction = uniform(0.0f, 1.0f);
            collision->dynamicFriction = uniform(0.0f, 1.0f);
            collision->UpdatePrimitive();

            PhysicsComponent* body = Body(object);
            const int mass = pick(10);
            body->inverseMass = mass == 0 ? 0.0f : mass < 3 ? 5.0f : mass < 5 ? 0.5f : 1.0f;
            std::uint32_t flags = BODY_ENABLED | BODY_AWAKE | BODY_CAN_SLEEP;
            if (chance(0.2f)) flags &= ~BODY_AWAKE;
            if (chance(0.2f)) flags &= ~BODY_CAN_SLEEP;
            if (chance(0.08f)) flags &= ~BODY_ENABLED;
            body->flags = flags;
            body->velocity = chance(0.2f) ? glm::vec3(uniform(-8.0f, 8.0f), uniform(-8.0f, 8.0f), uniform(-8.0f, 8.0f))
                                          : glm::vec3(uniform(-1.0f, 1.0f), uniform(-1.0f, 0.5f), uniform(-1.0f, 1.0f));
            body->motion = uniform(0.0f, 3.0f);
            body->wakeTimer = uniform(0.0f, 0.02f);
            if (auto* gravity = dynamic_cast<GravityForceGenerator*>(body->GetForceGenerator(FG_GRAVITY))) {
                const int g = pick(4);
                gravity->gravity.y = g == 0 ? -0.01f : g == 1 ? -2.0f : -20.0f;
            }
            if (chance(0.3f)) {
                World* self = &world;
                Hook(object)->action = [self](GameObject* owner, GameObject* other) { HookAction(*self, owner, other); };
            }
        }
        // Now and then a body far away, or one whose position is already lost.
        if (chance(0.04f)) Add(world, CRATE, glm::vec3(3.0e9f, 1.0e30f, -2.0e12f));
        if (chance(0.04f)) Add(world, CRATE, glm::vec3(std::numeric_limits<float>::quiet_NaN(), 1.0f, 2.0f));
        if (chance(0.03f)) Add(world, CRATE, glm::vec3(std::numeric_limits<float>::infinity(), 1.0f, 2.0f));
    }

    // One step of both copies with the same frame time.
    void StepBoth(double frame)
    {
        System* system = System::GetInstance();
        SetFrame(frame);
        physics->SleepTime = m_sleepTime;
        m_reference.sleepTime = m_sleepTime;
        Notices().clear();

        ++m_real.step;
        system->objectManager = objects;
        physics->Update();

        ++m_copy.step;
        system->objectManager = m_second;
        const std::vector<GameObject*> active = m_second->GetActiveObjects();
        m_reference.Update(active, static_cast<float>(std::min(frame, static_cast<double>(PhysicsManager::MAX_STEP))));
        system->objectManager = objects;
        m_contacts += physics->contactPool.lastCount;
        m_fullPools += physics->contactPool.lastCount == ContactPool::CAPACITY;
    }

    // The first difference between the two copies, or "".
    std::string Difference() const
    {
        std::ostringstream out;
        auto vec = [&](const char* what, int id, const glm::vec3& a, const glm::vec3& b) {
            for (int i = 0; i < 3; ++i)
                if (Bits(a[i]) != Bits(b[i])) {
                    out << what << "[" << i << "] of object " << id << ": " << a[i] << " vs " << b[i];
                    return false;
                }
            return true;
        };
        auto scalar = [&](const char* what, int id, float a, float b) {
            if (Bits(a) == Bits(b)) return true;
            out << what << " of object " << id << ": " << a << " vs " << b;
            return false;
        };
        if (physics->contactPool.lastCount != m_reference.pool.lastCount) {
            out << "contacts: " << physics->contactPool.lastCount << " vs " << m_reference.pool.lastCount;
            return out.str();
        }
        if (m_real.notices != m_copy.notices) {
            out << "notices differ (" << m_real.notices.size() << " vs " << m_copy.notices.size() << ")";
            return out.str();
        }
        if (m_real.objects.size() != m_copy.objects.size()) return "object counts differ";
        for (size_t i = 0; i < m_real.objects.size(); ++i) {
            const GameObject* a = m_real.objects[i];
            const GameObject* b = m_copy.objects[i];
            const int id = a->id;
            if (a->id != b->id || a->flags != b->flags) {
                out << "id or flags of object " << id;
                return out.str();
            }
            if (!vec("position", id, a->position, b->position)) return out.str();
            const PhysicsComponent* pa = GetPhysicsComponent(a);
            const PhysicsComponent* pb = GetPhysicsComponent(b);
            if (!pa != !pb) return "body presence of object " + std::to_string(id);
            if (pa) {
                if (pa->flags != pb->flags) {
                    out << "body flags of object " << id << ": " << pa->flags << " vs " << pb->flags;
                    return out.str();
                }
                if (!vec("velocity", id, pa->velocity, pb->velocity) ||
                    !vec("acceleration", id, pa->acceleration, pb->acceleration) ||
                    !vec("force", id, pa->forceAccum, pb->forceAccum) ||
                    !scalar("inverse mass", id, pa->inverseMass, pb->inverseMass) ||
                    !scalar("motion", id, pa->motion, pb->motion) ||
                    !scalar("wake timer", id, pa->wakeTimer, pb->wakeTimer))
                    return out.str();
                const auto* ga = dynamic_cast<const GravityForceGenerator*>(pa->GetForceGenerator(FG_GRAVITY));
                const auto* gb = dynamic_cast<const GravityForceGenerator*>(pb->GetForceGenerator(FG_GRAVITY));
                if (!ga != !gb) return "gravity presence of object " + std::to_string(id);
                if (ga && !vec("gravity", id, ga->gravity, gb->gravity)) return out.str();
            }
            const CollisionComponent* ca = GetCollisionComponent(a);
            const CollisionComponent* cb = GetCollisionComponent(b);
            if (ca->collided != cb->collided) return "collided of object " + std::to_string(id);
            if (!vec("primitive centre", id, ca->GetPrimitive()->GetCentre(), cb->GetPrimitive()->GetCentre()))
                return out.str();
        }
        return "";
    }

    // Steps the current scene, comparing after every step; false on the first
    // difference (reported).
    bool Run(std::uint32_t seed, int steps)
    {
        std::mt19937 frames(seed ^ 0x5bd1e995u);
        const double choices[] = {1.0 / 60.0, 1.0 / 60.0, 1.0 / 60.0, 1.0 / 30.0, 1.0 / 144.0, 0.2};
        double frame = 1.0 / 60.0;
        for (int s = 1; s <= steps; ++s) {
            if (frames() % 8 == 0) frame = choices[frames() % 6];
            StepBoth(frame);
            const std::string difference = Difference();
            if (!difference.empty()) {
                ADD_FAILURE() << "scene " << seed << ", step " << s << ": " << difference;
                return false;
            }
        }
        return true;
    }

    ObjectManager* m_second = nullptr;
    World m_real;
    World m_copy;
    ReferenceStep m_reference;
    float m_sleepTime = PhysicsManager::DEFAULT_SLEEP_TIME;
    int m_contacts = 0;   // over every step of the test
    int m_fullPools = 0;  // steps that filled the pool
};

TEST_F(PhysicsStepEquivalenceTest, RandomScenesMatchThePlainStepBitForBit)
{
    int notices = 0;
    for (std::uint32_t seed = 1; seed <= 200; ++seed) {
        Build(seed);
        if (!Run(seed, 20)) return;
        notices += static_cast<int>(m_real.notices.size());
    }
    // The scenes did exercise the step: contacts and hooks.
    EXPECT_GT(m_contacts, 15000);
    EXPECT_GT(notices, 2000);
}

TEST_F(PhysicsStepEquivalenceTest, PoolsFilledToTheBrimMatchThePlainStep)
{
    Build(1, PILE);
    if (!Run(1, 1)) return;
    Build(1, CROWD);
    if (!Run(1, 2)) return;
    EXPECT_EQ(m_fullPools, 3);
}

TEST_F(PhysicsStepEquivalenceTest, CratesOnABlockFloorMatchThePlainStep)
{
    Clear();
    for (World* world : {&m_real, &m_copy}) {
        System::GetInstance()->objectManager = world->manager;
        for (int x = 0; x < 25; ++x)
            for (int z = 0; z < 20; ++z) Add(*world, CUBE, glm::vec3(x, 0.0f, z));
        for (int i = 0; i < 50; ++i)
            Add(*world, CRATE, glm::vec3(1.0f + 2.2f * (i % 10) + 0.3f * (i % 3), 2.0f + 1.1f * (i % 3),
                                         1.0f + 3.0f * (i / 10) + 0.5f * (i % 2)));
    }
    System::GetInstance()->objectManager = objects;
    Run(7, 40);
}

TEST_F(PhysicsStepEquivalenceTest, RobotsWalkingOverABlockFloorMatchThePlainStep)
{
    // Robots and enemies driven over a floor of unit blocks (tops at y 1)
    // with a few walls, a raised step and gaps, crossing seams on both axes,
    // turned as the movement turns them; crates thrown among them.
    Clear();
    for (World* world : {&m_real, &m_copy}) {
        System::GetInstance()->objectManager = world->manager;
        for (int x = 0; x < 16; ++x)
            for (int z = 0; z < 16; ++z)
                if ((x * 7 + z * 3) % 23 != 0) Add(*world, CUBE, glm::vec3(x + 0.5f, 0.5f, z + 0.5f));
        for (int i = 0; i < 6; ++i) Add(*world, CUBE, glm::vec3(3.5f + 2.0f * i, 1.5f, 12.5f - i));
        for (int i = 0; i < 12; ++i) {
            GameObject* walker = Add(*world, i % 3 == 2 ? ENEMY : PLAYER, glm::vec3(1.5f + i, 1.5f, 1.5f + (i % 4)));
            auto* box = static_cast<CollisionBox*>(Collision(walker)->GetPrimitive());
            box->halfSize = glm::vec3(0.4f, 0.5f, 0.4f);
            Collision(walker)->UpdatePrimitive();
            Body(walker)->flags = BODY_DEFAULT_FLAGS;
        }
        for (int i = 0; i < 6; ++i) {
            GameObject* crate = Add(*world, CRATE, glm::vec3(2.0f + 2.0f * i, 3.0f, 8.0f));
            Body(crate)->velocity = glm::vec3(i % 2 ? 4.0f : -4.0f, 6.0f, 3.0f);
        }
    }
    System::GetInstance()->objectManager = objects;

    const glm::vec3 ways[4] = {{1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {-1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, -1.0f}};
    const float yaws[4] = {180.0f, 90.0f, 0.0f, -90.0f};
    std::vector<glm::vec3> starts;
    for (GameObject* object : m_real.objects) starts.push_back(object->position);
    int longWalks = 0;
    for (int s = 1; s <= 160; ++s) {
        for (World* world : {&m_real, &m_copy}) {
            for (GameObject* object : world->objects) {
                if (object->type != PLAYER && object->type != ENEMY) continue;
                const int way = (object->id + s / 40) % 4;
                object->rotation = glm::angleAxis(glm::radians(yaws[way]), glm::vec3(0.0f, 1.0f, 0.0f));
                PhysicsComponent* body = Body(object);
                body->velocity = 5.0f * ways[way] + glm::vec3(0.0f, object->type == PLAYER ? -5.0f : body->velocity.y, 0.0f);
            }
        }
        StepBoth(1.0 / 32.0);
        const std::string difference = Difference();
        if (!difference.empty()) {
            ADD_FAILURE() << "step " << s << ": " << difference;
            return;
        }
        if (s % 40 != 39) continue;
        // Legs walked on the floor (from and to floor height) across
        // several seams.
        for (size_t i = 0; i < m_real.objects.size(); ++i) {
            const glm::vec3 now = m_real.objects[i]->position;
            const glm::vec3 d = now - starts[i];
            const bool onFloor = std::fabs(now.y - 1.5f) < 0.05f && std::fabs(starts[i].y - 1.5f) < 0.05f;
            if (m_real.objects[i]->type == PLAYER && onFloor && std::max(std::fabs(d.x), std::fabs(d.z)) > 4.5f)
                ++longWalks;
            starts[i] = now;
        }
    }
    EXPECT_GE(longWalks, 5);
}

} // namespace
