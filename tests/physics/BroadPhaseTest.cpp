// The broad phase: the pairs it yields are in the step's all-pairs order,
// follow the step's rules, never leave out a pair the narrow phase would
// make a contact for (touching blocks, turned and scaled boxes, spheres,
// planes, objects far away or lost), and leave out what cannot touch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <set>
#include <vector>

#include <glm/gtc/quaternion.hpp>

#include "engine/objects/GameObject.h"
#include "engine/physics/AccurateCollision.h"
#include "engine/physics/BroadPhase.h"
#include "engine/physics/Contact.h"
#include "engine/physics/Primitive.h"

using namespace QRX;

namespace {

using Pair = BroadPhase::Pair;

class BroadPhaseTest : public ::testing::Test
{
protected:
    // A primitive on its own owner, brought up to date, as an item.
    template <typename T>
    T& Add(std::unique_ptr<T> primitive, const glm::vec3& position, bool body,
           const glm::quat& rotation = glm::quat(1, 0, 0, 0), const glm::vec3& scale = glm::vec3(1.0f))
    {
        m_owners.push_back(std::make_unique<GameObject>());
        GameObject* owner = m_owners.back().get();
        owner->position = position;
        owner->rotation = rotation;
        owner->scale = scale;
        primitive->owner = owner;
        primitive->UpdateTransform();
        T& result = *primitive;
        items.push_back({primitive.get(), body, false});
        m_primitives.push_back(std::move(primitive));
        return result;
    }
    CollisionBox& Box(const glm::vec3& position, bool body, const glm::vec3& half = glm::vec3(0.5f),
                      const glm::quat& rotation = glm::quat(1, 0, 0, 0), const glm::vec3& scale = glm::vec3(1.0f))
    {
        auto box = std::make_unique<CollisionBox>();
        box->halfSize = half;
        return Add(std::move(box), position, body, rotation, scale);
    }
    CollisionSphere& Sphere(const glm::vec3& position, bool body, float radius, float scale = 1.0f)
    {
        auto sphere = std::make_unique<CollisionSphere>();
        sphere->radius = radius;
        return Add(std::move(sphere), position, body, glm::quat(1, 0, 0, 0), glm::vec3(scale));
    }
    CollisionPlane& Plane(const glm::vec3& normal, const glm::vec3& position, bool body)
    {
        return Add(std::make_unique<CollisionPlane>(normal, glm::vec3(5.0f), 0.0f), position, body);
    }
    void Clear()
    {
        items.clear();
        m_primitives.clear();
        m_owners.clear();
    }
    std::vector<Pair> Find()
    {
        std::vector<Pair> pairs;
        broadPhase.FindPairs(items, pairs);
        return pairs;
    }
    // Whether the step's rules let the pair be tested at all.
    bool Allowed(std::uint32_t a, std::uint32_t b) const
    {
        const BroadPhase::Item& first = items[a];
        const BroadPhase::Item& second = items[b];
        if (!first.primitive || !second.primitive) return false;
        if (!first.body && !second.body) return false;
        if (first.enemy && second.enemy) return false;
        return !(first.primitive->type == PR_PLANE && second.primitive->type == PR_PLANE);
    }
    // Whether the narrow phase makes a contact for the pair.
    bool Touch(std::uint32_t a, std::uint32_t b)
    {
        CollisionDetector::CollidePair(*items[a].primitive, *items[b].primitive, m_pool);
        const bool made = !m_pool.activeContacts.empty();
        m_pool.ReleaseAll();
        return made;
    }
    // Checks order and rules, and that no touching pair is missing; returns
    // the number of allowed pairs.
    size_t Check(const std::vector<Pair>& pairs, const char* scene)
    {
        for (size_t i = 0; i < pairs.size(); ++i) {
            EXPECT_LT(pairs[i].first, pairs[i].second) << scene;
            if (i > 0) {
                EXPECT_LT(pairs[i - 1], pairs[i]) << scene << ": out of order or twice";
            }
            EXPECT_TRUE(Allowed(pairs[i].first, pairs[i].second)) << scene;
        }
        const std::set<Pair> found(pairs.begin(), pairs.end());
        size_t allowed = 0;
        for (std::uint32_t a = 0; a < items.size(); ++a) {
            for (std::uint32_t b = a + 1; b < items.size(); ++b) {
                if (!Allowed(a, b)) continue;
                ++allowed;
                if (Touch(a, b)) {
                    EXPECT_TRUE(found.count({a, b})) << scene << ": pair " << a << ", " << b << " missed";
                }
            }
        }
        return allowed;
    }

    BroadPhase broadPhase;
    std::vector<BroadPhase::Item> items;

private:
    std::vector<std::unique_ptr<GameObject>> m_owners;
    std::vector<std::unique_ptr<Primitive>> m_primitives;
    ContactPool m_pool;
};

TEST_F(BroadPhaseTest, NeverLeavesOutAPairTheNarrowPhaseWouldTouch)
{
    std::mt19937 rng(2024);
    auto uniform = [&](float low, float high) { return std::uniform_real_distribution<float>(low, high)(rng); };
    auto chance = [&](float p) { return uniform(0.0f, 1.0f) < p; };
    size_t allowed = 0, yielded = 0;
    for (int scene = 0; scene < 300; ++scene) {
        Clear();
        // Half the scenes on a unit lattice, where boxes touch face to face,
        // edge to edge and corner to corner.
        const bool lattice = scene % 2 == 0;
        const int count = 2 + static_cast<int>(rng() % 40);
        for (int i = 0; i < count; ++i) {
            const glm::vec3 position =
                lattice ? glm::vec3(static_cast<float>(rng() % 5), static_cast<float>(rng() % 3),
                                    static_cast<float>(rng() % 5)) * (chance(0.8f) ? 1.0f : 0.5f)
                        : glm::vec3(uniform(-3.0f, 3.0f), uniform(-3.0f, 3.0f), uniform(-3.0f, 3.0f));
            const bool body = chance(0.5f);
            const int kind = static_cast<int>(rng() % 10);
            if (kind < 5) {
                glm::quat rotation(1, 0, 0, 0);
                if (chance(0.3f))
                    rotation = glm::normalize(glm::quat(uniform(-1, 1), uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)));
                else if (chance(0.2f))
                    rotation = glm::angleAxis(uniform(0.0f, 0.02f), glm::vec3(0.0f, 1.0f, 0.0f));
                glm::vec3 scale(1.0f);
                if (chance(0.2f)) scale = glm::vec3(uniform(-2.0f, 2.0f), uniform(0.2f, 2.0f), uniform(-2.0f, 2.0f));
                const glm::vec3 half = lattice ? glm::vec3(0.5f) : glm::vec3(uniform(0.1f, 1.5f), uniform(0.1f, 1.5f),
                                                                            uniform(0.1f, 1.5f));
                Box(position, body, half, rotation, scale);
            } else if (kind < 8) {
                Sphere(position, body, lattice ? 0.5f : uniform(0.1f, 1.5f), chance(0.1f) ? -1.0f : 1.0f);
            } else if (kind < 9) {
                Plane(glm::normalize(glm::vec3(uniform(-1, 1), uniform(0.1f, 1), uniform(-1, 1))), position, body);
            } else {
                items.push_back({nullptr, body, false});
            }
            items.back().enemy = chance(0.2f);
        }
        if (chance(0.1f)) Box(glm::vec3(std::numeric_limits<float>::quiet_NaN(), 0.0f, 0.0f), true);
        if (chance(0.1f)) Box(glm::vec3(1.0e30f, 0.0f, 0.0f), true);
        if (chance(0.1f)) Box(glm::vec3(0.0f), false, glm::vec3(0.5f), glm::quat(1, 0, 0, 0), glm::vec3(300.0f, 1.0f, 1.0f));

        const std::vector<Pair> pairs = Find();
        allowed += Check(pairs, lattice ? "lattice scene" : "random scene");
        yielded += pairs.size();
        if (HasFailure()) {
            ADD_FAILURE() << "scene " << scene;
            return;
        }
    }
    // And it does leave pairs out.
    EXPECT_LT(yielded * 2, allowed);
}

TEST_F(BroadPhaseTest, AFloorOfBlocksMeetsOnlyTheCrateAboveIt)
{
    for (int x = 0; x < 10; ++x)
        for (int z = 0; z < 10; ++z) Box(glm::vec3(x, 0.0f, z), false);
    EXPECT_TRUE(Find().empty());

    // Resting on the floor over four blocks: those four, touching, only.
    Box(glm::vec3(4.3f, 1.0f, 5.6f), true);
    const std::uint32_t crate = static_cast<std::uint32_t>(items.size() - 1);
    const std::vector<Pair> expected = {{45, crate}, {46, crate}, {55, crate}, {56, crate}};
    EXPECT_EQ(Find(), expected);
    Check(Find(), "floor");

    // Two enemies never meet; an enemy and any other body do.
    Box(glm::vec3(20.0f, 0.0f, 0.0f), true);
    items.back().enemy = true;
    Box(glm::vec3(20.5f, 0.0f, 0.0f), true);
    items.back().enemy = true;
    EXPECT_EQ(Find().size(), 4u);
    items.back().enemy = false;
    EXPECT_EQ(Find().size(), 5u);
}

TEST_F(BroadPhaseTest, BigFarAndLostObjectsAreComparedWithEverything)
{
    // A slab far larger than the cells, without a body, under two crates.
    Box(glm::vec3(0.0f), false, glm::vec3(0.5f), glm::quat(1, 0, 0, 0), glm::vec3(400.0f, 1.0f, 400.0f));
    Box(glm::vec3(-150.0f, 0.9f, 100.0f), true);
    Box(glm::vec3(150.0f, 0.9f, -100.0f), true);
    Box(glm::vec3(150.0f, 5.0f, -100.0f), true);  // above it, touching nothing
    EXPECT_EQ(Find(), (std::vector<Pair>{{0, 1}, {0, 2}}));

    // Far out: in no cell, yet still compared by its bounds.
    Box(glm::vec3(3.0e12f, 0.0f, 0.0f), true);
    Box(glm::vec3(3.0e12f, 0.5f, 0.0f), true);
    EXPECT_EQ(Find(), (std::vector<Pair>{{0, 1}, {0, 2}, {4, 5}}));

    // Lost to a non-finite position: met by everything, the narrow phase decides.
    Box(glm::vec3(std::numeric_limits<float>::infinity(), 0.0f, 0.0f), true);
    std::vector<Pair> pairs = Find();
    EXPECT_EQ(pairs.size(), 3u + 6u);
    Check(pairs, "far and lost");

    // A plane meets every primitive but another plane.
    Plane(glm::vec3(0.0f, 1.0f, 0.0f), glm::vec3(0.0f), false);
    Plane(glm::vec3(1.0f, 0.0f, 0.0f), glm::vec3(0.0f), true);
    pairs = Find();
    EXPECT_EQ(pairs.size(), 3u + 6u + 6u + 7u);
    Check(pairs, "planes");
}

TEST_F(BroadPhaseTest, ItemsWithoutAPrimitiveTakePartInNothing)
{
    items.push_back({nullptr, true, false});
    Box(glm::vec3(0.0f), true);
    items.push_back({nullptr, true, false});
    Box(glm::vec3(0.5f, 0.0f, 0.0f), true);
    EXPECT_EQ(Find(), (std::vector<Pair>{{1, 3}}));
    items.clear();
    EXPECT_TRUE(Find().empty());
}

} // namespace
