// The enemy box: what each contact leaves, the enemy's square and its timed
// life (every update 1/32 s), one enemy for a landing on a seam, and the
// fall-backs of a full pool and of an enemy without a patrol.
#include <gtest/gtest.h>

#include <vector>

#include "game/gameplay/AIComponent.h"
#include "game/gameplay/EnemyBox.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const glm::vec3 AT(3.5f, 1.25f, 4.5f);

class EnemyBoxTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        // Objects made in a contact are initialised as in a running level.
        states.updating = true;
    }
    static AIComponent* AI(GameObject* object)
    {
        return object ? dynamic_cast<AIComponent*>(object->GetComponent(CT_AI)) : nullptr;
    }
};

TEST_F(EnemyBoxTest, ACrateOnlyMarksTheBoxAndACubeLeavesOneEnemyWithItsSquare)
{
    GameObject* crate = Make(CRATE, AT + glm::vec3(0.0f, -1.0f, 0.0f));
    GameObject* floor = Make(CUBE, AT + glm::vec3(0.0f, -1.0f, 0.0f));
    GameObject* seam = Make(CUBE, AT + glm::vec3(1.0f, -1.0f, 0.0f));

    // No other object: nothing. A crate, not a cube: marked, no enemy; the
    // cube after it is ignored.
    GameObject* box = Make(ENEMYBOX, AT);
    box->NotifyCollision(nullptr);
    EXPECT_FALSE(Marked(box));
    box->NotifyCollision(crate);
    EXPECT_TRUE(Marked(box));
    box->NotifyCollision(floor);
    EXPECT_TRUE(All(ENEMY).empty());

    // Two cubes in one step (a landing on a seam): one enemy, at the box.
    GameObject* second = Make(ENEMYBOX, AT);
    second->NotifyCollision(floor);
    second->NotifyCollision(seam);
    EXPECT_TRUE(Marked(second));
    ASSERT_EQ(All(ENEMY).size(), 1u);
    GameObject* enemy = All(ENEMY).at(0);
    EXPECT_EQ(enemy->position, AT);
    AIComponent* ai = AI(enemy);
    ASSERT_NE(ai, nullptr);
    EXPECT_EQ(ai->GetPatrol().GetWaypoints(),
              (std::vector<glm::vec3>{glm::vec3(5.5f, 1.25f, 4.5f), glm::vec3(5.5f, 1.25f, 2.5f),
                                      glm::vec3(3.5f, 1.25f, 2.5f), glm::vec3(3.5f, 1.25f, 4.5f)}));
    EXPECT_TRUE(ai->IsTimed());
    EXPECT_EQ(ai->GetLifeLimit(), 8.0f);
    // Made during a running level: already initialised, so it patrols.
    EXPECT_EQ(ai->GetPatrol().GetOwner(), ai);
    // A box found sunk into the cube (a fast fall in a long frame) leaves
    // its enemy on the top, not inside to fall through.
    Make(ENEMYBOX, AT + glm::vec3(0.0f, -0.9f, 0.0f))->NotifyCollision(floor);
    ASSERT_EQ(All(ENEMY).size(), 2u);
    EXPECT_EQ(All(ENEMY).at(1)->position, AT);
    All(ENEMY).at(1)->flags |= OBJ_DESTROY;
    objects->Update();

    // Gone once its timer passes eight seconds: marked on the 257th update.
    for (int update = 1; update <= 256; ++update) {
        ai->Update();
        ASSERT_FALSE(Marked(enemy)) << update;
    }
    ai->Update();
    EXPECT_TRUE(Marked(enemy));
    objects->Update();
    EXPECT_TRUE(All(ENEMY).empty());
    EXPECT_TRUE(All(ENEMYBOX).empty());
}

TEST_F(EnemyBoxTest, AnEnemyWithoutAPatrolOrNoEnemyAtAllGetsNoSquare)
{
    UseTestMaster("CHASER.xml");  // an ENEMY with the chase in place of the patrol
    GameObject* floor = Make(CUBE, AT + glm::vec3(0.0f, -1.0f, 0.0f));
    GameObject* box = Make(ENEMYBOX, AT);
    box->NotifyCollision(floor);
    ASSERT_EQ(All(ENEMY).size(), 1u);
    EXPECT_EQ(AI(All(ENEMY).at(0)), nullptr);
    EXPECT_NE(LogPage().find("The enemy of an enemy box has no AI component"), std::string::npos);

    // A full pool: the box still goes.
    GameObject* last = Make(ENEMYBOX, AT);
    FillPool();
    last->NotifyCollision(floor);
    EXPECT_TRUE(Marked(last));
    EXPECT_EQ(All(ENEMY).size(), 1u);
    EXPECT_NE(LogPage().find("An enemy box could not make its enemy"), std::string::npos);
}

TEST_F(EnemyBoxTest, ABoxFallingOntoASeamInThePhysicsStepMakesOneEnemy)
{
    // Two unit blocks side by side; the box lands across both.
    Make(CUBE, glm::vec3(3.0f, 0.5f, 4.5f));
    Make(CUBE, glm::vec3(4.0f, 0.5f, 4.5f));
    GameObject* box = Make(ENEMYBOX, glm::vec3(3.5f, 3.0f, 4.5f));
    int frames = 0;
    while (All(ENEMY).empty() && frames < 64) {
        Tick();
        ++frames;
    }
    ASSERT_FALSE(All(ENEMY).empty());
    EXPECT_EQ(All(ENEMY).size(), 1u);
    EXPECT_TRUE(Marked(box));
    Tick();
    EXPECT_TRUE(All(ENEMYBOX).empty());
    EXPECT_EQ(All(ENEMY).size(), 1u);
}

} // namespace
