// Barriers leaving the level grid, walls pulling crates down, collectables
// rising and vanishing, and the masters of the seven object types these
// components come on. Every frame 1/32 s.
#include <gtest/gtest.h>

#include <vector>

#include "engine/physics/Primitive.h"
#include "game/flow/Map.h"
#include "game/gameplay/CollectableComponent.h"
#include "game/gameplay/ControllerWaitComponent.h"
#include "game/gameplay/WallComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 SPOT(2.0f, 1.5f, 2.0f);

class BarrierWallTest : public GameplayTest
{
protected:
    static WallComponent* Wall(GameObject* object)
    {
        return dynamic_cast<WallComponent*>(object->GetComponent(CT_WALL));
    }
    // A crate at rest on a floor: faded gravity, sliding sideways.
    GameObject* RestingCrate()
    {
        GameObject* crate = Make(CRATE, SPOT);
        GetGravityGenerator(crate)->gravity.y = -0.01f;
        Body(crate)->velocity = glm::vec3(1.0f, 0.0f, 0.5f);
        return crate;
    }
};

TEST_F(BarrierWallTest, AFreedBarrierZeroesItsOwnCellsOfTheLevelGridOnly)
{
    StartStates();
    LoadLevel("barriers.xml");
    Map& map = *gsm.GetLevelManager()->GetMap();
    ASSERT_EQ(map.GetCellValue(1, 1, 1), static_cast<std::uint32_t>(BARRIER));
    ASSERT_EQ(map.GetCellValue(2, 4, 1), static_cast<std::uint32_t>(BARRIER));
    std::vector<GameObject*> barriers = All(BARRIER);
    ASSERT_EQ(barriers.size(), 2u);
    // They stand where the grid entered them.
    Frame(64);
    EXPECT_EQ(barriers[0]->position, glm::vec3(1.5f, 1.5f, 1.5f));
    EXPECT_EQ(barriers[1]->position, glm::vec3(4.5f, 1.5f, 2.5f));

    // Destroyed: its own cell empties; the floor under it and the other
    // barrier stay.
    barriers[0]->flags |= OBJ_DESTROY;
    Frame();
    EXPECT_EQ(All(BARRIER).size(), 1u);
    EXPECT_EQ(map.GetCellValue(1, 1, 1), 0u);
    EXPECT_EQ(map.GetCellValue(1, 1, 0), static_cast<std::uint32_t>(CUBE));
    EXPECT_EQ(map.GetCellValue(2, 4, 1), static_cast<std::uint32_t>(BARRIER));

    // Without a map (the level manager gave it up) a barrier goes quietly.
    gsm.GetLevelManager()->DestroyMap();
    barriers[1]->flags |= OBJ_DESTROY;
    objects->Update();
    EXPECT_TRUE(All(BARRIER).empty());
}

TEST_F(BarrierWallTest, OnlyAWallWithItsFlagPullsACrateDown)
{
    StartStates();
    LoadLevel("barriers.xml");
    std::vector<GameObject*> walls = All(WALL);
    ASSERT_EQ(walls.size(), 2u);
    ASSERT_TRUE(Wall(walls[0])->m_IsApplyDownwardForce);  // from the level file
    ASSERT_FALSE(Wall(walls[1])->m_IsApplyDownwardForce);

    GameObject* crate = RestingCrate();
    crate->NotifyCollision(walls[1]);
    crate->NotifyCollision(nullptr);
    EXPECT_EQ(GetGravityGenerator(crate)->gravity.y, -0.01f);
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(1.0f, 0.0f, 0.5f));
    crate->NotifyCollision(walls[0]);
    EXPECT_EQ(GetGravityGenerator(crate)->gravity, glm::vec3(0.0f, -20.0f, 0.0f));
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(1.0f, -5.0f, 0.5f));

    // The object type decides: a flagged wall component on a CUBE does
    // nothing, nor does a WALL that lost its component.
    GameObject* block = Make(CUBE, SPOT);
    dynamic_cast<WallComponent*>(block->AddComponentHelper(CT_WALL))->m_IsApplyDownwardForce = true;
    walls[0]->RemoveComponent(CT_WALL);
    GameObject* other = RestingCrate();
    other->NotifyCollision(block);
    other->NotifyCollision(walls[0]);
    EXPECT_EQ(GetGravityGenerator(other)->gravity.y, -0.01f);
    EXPECT_EQ(Body(other)->velocity.y, 0.0f);
}

TEST_F(BarrierWallTest, ACollectableRisesSixteenUpdatesAfterARobotsTouchAndGoesOnTheSeventeenth)
{
    GameObject* item = Make(COLLECTABLE, SPOT);
    auto* collectable = dynamic_cast<CollectableComponent*>(item->GetComponent(CT_COLLECTABLE));
    ASSERT_NE(collectable, nullptr);

    // A crate, an enemy and no object leave it.
    item->NotifyCollision(Make(CRATE, SPOT + glm::vec3(4.0f, 0.0f, 0.0f)));
    item->NotifyCollision(Make(ENEMY, SPOT + glm::vec3(8.0f, 0.0f, 0.0f)));
    item->NotifyCollision(nullptr);
    for (int update = 0; update < 40; ++update) item->UpdateComponents();
    EXPECT_FALSE(collectable->m_IsCollected);
    EXPECT_EQ(item->position, SPOT);

    // The robot's box passes through it (ethereal) and still collects it.
    GameObject* robot = Make(PLAYER, SPOT + glm::vec3(0.6f, 0.0f, 0.0f));
    GetGravityGenerator(robot)->gravity = glm::vec3(0.0f);
    physics->Update();
    EXPECT_TRUE(collectable->m_IsCollected);
    EXPECT_NEAR(robot->position.x, SPOT.x + 0.6f, 1e-4f);

    for (int update = 1; update <= 16; ++update) {
        item->UpdateComponents();
        ASSERT_FALSE(Marked(item)) << update;
        ASSERT_EQ(item->position.y, SPOT.y + 3.0f * update / 32.0f) << update;
    }
    item->UpdateComponents();
    EXPECT_TRUE(Marked(item));
    EXPECT_EQ(item->position.y, SPOT.y + 1.5f);
}

TEST_F(BarrierWallTest, EachMasterIsItsOwnTypeWithItsParts)
{
    struct Expected
    {
        ObjectType type;
        std::vector<Components> components;
        const char* texture;
        float opacity;
        bool ethereal;
    };
    const std::vector<Expected> masters = {
        {BARRIER, {CT_GRAPHICS, CT_COLLISION, CT_BARRIER}, "barrier", 1.0f, false},
        {WALL, {CT_GRAPHICS, CT_COLLISION, CT_WALL}, "wall", 1.0f, false},
        {COLLECTABLE, {CT_GRAPHICS, CT_COLLISION, CT_COLLECTABLE}, "collectable", 1.0f, true},
        {ENEMYBOX, {CT_GRAPHICS, CT_PHYSICS, CT_COLLISION, CT_ENEMYBOX}, "enemy", 1.0f, false},
        {CONTROLLERWAIT, {CT_CONTROLLERWAIT}, "", 0.0f, false},
        {FORCEFIELD, {CT_GRAPHICS, CT_COLLISION, CT_FORCEFIELD}, "forcefield", 0.5f, true},
        {CRATEFORCEFIELD, {CT_GRAPHICS, CT_COLLISION, CT_FORCEFIELD}, "forcefield", 0.5f, true},
    };
    for (const Expected& expected : masters) {
        const std::string name = ObjectTypeToString(expected.type);
        GameObject* object = Make(expected.type, SPOT);
        ASSERT_NE(object, nullptr) << name;
        EXPECT_EQ(object->type, expected.type) << name;
        std::vector<Components> types;
        for (const auto& entry : object->components) types.push_back(entry.first);
        EXPECT_EQ(types, expected.components) << name;
        if (GraphicsComponent* graphics = Graphics(object)) {
            EXPECT_EQ(graphics->GetMeshName(), expected.type == COLLECTABLE ? "sphere" : "cubey") << name;
            EXPECT_EQ(graphics->GetTextureName(), expected.texture) << name;
            EXPECT_EQ(graphics->GetOpacity(), expected.opacity) << name;
        }
        if (CollisionComponent* collision = GetCollisionComponent(object)) {
            ASSERT_NE(collision->GetPrimitive(), nullptr) << name;
            EXPECT_EQ(collision->GetPrimitive()->type, expected.type == COLLECTABLE ? PR_SPHERE : PR_BOX) << name;
            EXPECT_EQ(collision->ethereal, expected.ethereal) << name;
        }
    }
    GameObject* box = All(ENEMYBOX).at(0);
    EXPECT_EQ(Body(box)->inverseMass, 1.0f);
    EXPECT_EQ(GetGravityGenerator(box)->gravity, glm::vec3(0.0f, -20.0f, 0.0f));
    EXPECT_FALSE(Wall(All(WALL).at(0))->m_IsApplyDownwardForce);
    // The master enables the controller wait everywhere; the class alone
    // keeps it for the two-player level.
    auto* wait = dynamic_cast<ControllerWaitComponent*>(All(CONTROLLERWAIT).at(0)->GetComponent(CT_CONTROLLERWAIT));
    EXPECT_FALSE(wait->m_IsOnlyInMultiplayerLevel);
    EXPECT_TRUE(ControllerWaitComponent().m_IsOnlyInMultiplayerLevel);
}

} // namespace
