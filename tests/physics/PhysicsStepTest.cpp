// The physics step: integration and the frame-time cap, sleeping and waking,
// resting on a floor, pair detection and the collision notices before
// resolution, the contact pool's limit, the trajectory prediction, and the
// small helpers that come with the manager.
#include "physics/StepTestKit.h"

#include <algorithm>
#include <map>

#include "engine/physics/SteerGenerators.h"

using namespace QRX;
using namespace QRX::StepKit;

namespace {

class PhysicsStepTest : public StepFixture
{
protected:
    // A crate that never sleeps, so that its motion is the integration alone.
    GameObject* AwakeCrate(const glm::vec3& position)
    {
        GameObject* crate = Make(CRATE, position);
        Body(crate)->flags = BODY_ENABLED | BODY_AWAKE;
        return crate;
    }
};

TEST_F(PhysicsStepTest, FreeFallFollowsGravityExactly)
{
    SetFrame(0.05);
    GameObject* crate = AwakeCrate(glm::vec3(0.0f, 100.0f, 0.0f));
    for (int n = 1; n <= 10; ++n) {
        Step();
        const float t = 0.05f * n;
        EXPECT_NEAR(crate->position.y, 100.0f - 10.0f * t * t, 1e-4f) << "step " << n;
        EXPECT_NEAR(Body(crate)->velocity.y, -static_cast<float>(n), 1e-5f) << "step " << n;
        EXPECT_NEAR(Body(crate)->acceleration.y, -1.0f, 1e-6f);
        EXPECT_EQ(Body(crate)->forceAccum, glm::vec3(0.0f));
    }
    EXPECT_EQ(crate->flags & OBJ_WORLD_VALID, 0u);
}

TEST_F(PhysicsStepTest, LongFramesAdvanceByTheCapAndShortOnesByThemselves)
{
    SetFrame(0.2);
    GameObject* crate = AwakeCrate(glm::vec3(0.0f, 10.0f, 0.0f));
    Step();
    EXPECT_NEAR(Body(crate)->velocity.y, -1.0f, 1e-6f);
    EXPECT_NEAR(crate->position.y, 10.0f - 10.0f * 0.05f * 0.05f, 1e-5f);

    SetFrame(0.015625);
    Step();
    EXPECT_NEAR(Body(crate)->velocity.y, -1.3125f, 1e-6f);
}

TEST_F(PhysicsStepTest, DisabledBodyIsNotTouched)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 10.0f, 0.0f));
    Body(crate)->flags = BODY_AWAKE | BODY_CAN_SLEEP;
    Body(crate)->velocity = glm::vec3(1.0f, 0.0f, 0.0f);
    Step(3);
    EXPECT_EQ(crate->position, glm::vec3(0.0f, 10.0f, 0.0f));
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(1.0f, 0.0f, 0.0f));
}

TEST_F(PhysicsStepTest, ImmovableBodyKeepsItsVelocityUnderGravity)
{
    SetFrame(0.03125);
    GameObject* crate = AwakeCrate(glm::vec3(0.0f));
    Body(crate)->inverseMass = 0.0f;
    Body(crate)->velocity = glm::vec3(2.0f, 0.0f, 0.0f);
    Step(4);
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(2.0f, 0.0f, 0.0f));
    EXPECT_FLOAT_EQ(crate->position.x, 0.25f);
}

TEST_F(PhysicsStepTest, FreshBodySleepsThenWakesWithTheKick)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 50.0f, 0.0f));
    Gravity(crate)->gravity.y = -3.0f;
    Step();
    // Slow enough to fall asleep at once, then woken in the same step: no
    // contact and a wake timer of 1/60 > 0.01.
    EXPECT_TRUE(Awake(crate));
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(0.0f, -5.0f, 0.0f));
    EXPECT_EQ(Gravity(crate)->gravity.y, -20.0f);
    Step();
    EXPECT_TRUE(Awake(crate));
    EXPECT_NEAR(Body(crate)->velocity.y, -5.0f - 20.0f / 60.0f, 1e-5f);
}

TEST_F(PhysicsStepTest, RobotNeverFallsAsleep)
{
    GameObject* robot = Make(PLAYER, glm::vec3(0.0f, 5.0f, 0.0f));
    Step(10);
    EXPECT_TRUE(Awake(robot));
    EXPECT_EQ(Body(robot)->velocity, glm::vec3(0.0f));
    EXPECT_LT(Body(robot)->motion, physics->SleepTime);
}

TEST_F(PhysicsStepTest, BodyWithoutCollisionComponentStillSleepsAndWakes)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 50.0f, 0.0f));
    crate->RemoveComponent(CT_COLLISION);
    Gravity(crate)->gravity.y = 0.0f;
    Step();
    EXPECT_TRUE(Awake(crate));
    EXPECT_EQ(Body(crate)->velocity.y, -5.0f);
}

TEST_F(PhysicsStepTest, CrateComesToRestOnTheFloorAndWakesWhenItGoes)
{
    GameObject* floor = Make(DEFAULT, glm::vec3(0.0f));
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 0.5f, 0.0f));
    Step(32);
    EXPECT_TRUE(Awake(crate));
    Step();
    EXPECT_FALSE(Awake(crate));
    EXPECT_NEAR(Gravity(crate)->gravity.y, -1.97f, 0.005f);

    // Asleep for good: still integrated, yet its stored velocity does not
    // grow, so nothing launches it when it wakes.
    for (int i = 0; i < 600; ++i) {
        Step();
        ASSERT_FALSE(Awake(crate)) << "step " << 34 + i;
    }
    EXPECT_NEAR(crate->position.y, 0.5f, 1e-4f);
    EXPECT_NEAR(Body(crate)->velocity.y, 0.0f, 1e-4f);
    EXPECT_TRUE(Collision(crate)->collided);

    Collision(floor)->active = false;
    Step();  // the previous step's contact still holds it
    EXPECT_FALSE(Awake(crate));
    EXPECT_GT(Body(crate)->velocity.y, -0.05f);
    Step();
    EXPECT_TRUE(Awake(crate));
    EXPECT_EQ(Body(crate)->velocity.y, -5.0f);
    EXPECT_EQ(Gravity(crate)->gravity.y, -20.0f);
    EXPECT_FALSE(Collision(crate)->collided);
}

TEST_F(PhysicsStepTest, PlaneListedAfterTheBoxHoldsItAllTheSame)
{
    GameObject* crate = AwakeCrate(glm::vec3(0.0f, 0.4f, 0.0f));
    Gravity(crate)->gravity.y = 0.0f;
    Make(DEFAULT, glm::vec3(0.0f));
    Step();
    EXPECT_NEAR(crate->position.y, 0.5f, 1e-5f);
    // The primitive followed the resolved position.
    EXPECT_NEAR(Collision(crate)->GetPrimitive()->GetCentre().y, 0.5f, 1e-5f);
}

TEST_F(PhysicsStepTest, EnemiesPassEachOtherButMeetTheRobot)
{
    GameObject* first = Make(ENEMY, glm::vec3(0.0f));
    GameObject* second = Make(ENEMY, glm::vec3(0.0f, 0.9f, 0.0f));
    Hook(first);
    Hook(second);
    Step();
    EXPECT_TRUE(Notices().empty());
    EXPECT_EQ(physics->contactPool.lastCount, 0);
    EXPECT_FALSE(Collision(first)->collided);

    second->flags |= OBJ_DESTROY;
    objects->Update();
    GameObject* robot = Make(PLAYER, glm::vec3(0.0f, 0.9f, 0.0f));
    GameObject* firstBody = nullptr;
    Hook(robot);
    Hook(first)->action = [&](GameObject*, GameObject*) {
        if (!firstBody) firstBody = physics->contactPool.activeContacts.at(0)->bodies[0];
    };
    Hook(robot)->action = Hook(first)->action;
    Step();
    ASSERT_EQ(Notices().size(), 2u);
    EXPECT_EQ(physics->contactPool.lastCount, 1);
    ASSERT_NE(firstBody, nullptr);
    GameObject* secondBody = firstBody == robot ? first : robot;
    EXPECT_EQ(Notices()[0], std::make_pair(firstBody, secondBody));
    EXPECT_EQ(Notices()[1], std::make_pair(secondBody, firstBody));
    EXPECT_TRUE(Collision(first)->collided);
    EXPECT_TRUE(Collision(robot)->collided);
}

TEST_F(PhysicsStepTest, HooksRunBeforeResolutionAndItUsesWhatTheyChange)
{
    // Without a hook the crate is pushed out of the static cube.
    Make(CUBE, glm::vec3(0.0f));
    GameObject* pushed = AwakeCrate(glm::vec3(0.0f, 0.9f, 0.0f));
    Gravity(pushed)->gravity.y = 0.0f;
    Step();
    EXPECT_NEAR(pushed->position.y, 1.0f, 1e-5f);

    GameObject* held = AwakeCrate(glm::vec3(5.0f, 0.9f, 0.0f));
    Make(CUBE, glm::vec3(5.0f, 0.0f, 0.0f));
    Gravity(held)->gravity.y = 0.0f;
    Body(held)->velocity = glm::vec3(0.0f, -1.0f, 0.0f);
    Hook(held)->action = [](GameObject* self, GameObject*) { GetPhysicsComponent(self)->inverseMass = 0.0f; };
    const glm::vec3 before = held->position;
    Step();
    // Only the integration moved it; resolution left it where the hook froze it.
    EXPECT_NEAR(held->position.y, before.y - 1.0f / 60.0f, 1e-5f);
    EXPECT_EQ(Body(held)->velocity.y, -1.0f);
    EXPECT_FALSE(Notices().empty());
}

TEST_F(PhysicsStepTest, ObjectsWithoutAutoResolvePassThroughButAreNotified)
{
    GameObject* cube = Make(CUBE, glm::vec3(0.0f));
    GameObject* crate = AwakeCrate(glm::vec3(0.0f, 0.9f, 0.0f));
    Gravity(crate)->gravity.y = 0.0f;
    Collision(cube)->autoResolve = false;
    Collision(crate)->autoResolve = false;
    Hook(cube);
    Hook(crate);
    Step();
    EXPECT_EQ(crate->position.y, 0.9f);
    EXPECT_EQ(Notices().size(), 2u);
}

TEST_F(PhysicsStepTest, InactiveOrShapelessCollisionTakesNoPart)
{
    GameObject* cube = Make(CUBE, glm::vec3(0.0f));
    GameObject* crate = AwakeCrate(glm::vec3(0.0f, 0.9f, 0.0f));
    Gravity(crate)->gravity.y = 0.0f;
    Collision(cube)->active = false;
    Step();
    EXPECT_EQ(crate->position.y, 0.9f);

    // A collision component that lost its primitive: the object is skipped.
    Collision(cube)->active = true;
    GameObject* bare = Make(CUBE, glm::vec3(0.0f, 0.9f, 0.0f));
    bare->RemoveComponent(CT_COLLISION);
    bare->AddComponentHelper(CT_COLLISION);
    Collision(bare)->active = true;
    Step();
    EXPECT_EQ(bare->position.y, 0.9f);
    EXPECT_EQ(physics->contactPool.lastCount, 1);  // the crate and the cube
}

TEST_F(PhysicsStepTest, ThePoolDropsContactsBeyondItsCapacityAndGetsThemAllBack)
{
    // 33 overlapping crates make 528 pairs.
    std::vector<GameObject*> cubes;
    for (int i = 0; i < 33; ++i) {
        cubes.push_back(Make(CRATE, glm::vec3(0.01f * i, 0.0f, 0.0f)));
        Hook(cubes.back());
    }
    Step();
    EXPECT_EQ(Notices().size(), 2u * ContactPool::CAPACITY);
    EXPECT_EQ(physics->contactPool.lastCount, ContactPool::CAPACITY);
    EXPECT_TRUE(physics->contactPool.activeContacts.empty());
    ASSERT_EQ(physics->contactPool.freeContacts.size(), static_cast<size_t>(ContactPool::CAPACITY));
    for (const Contact* contact : physics->contactPool.freeContacts) {
        EXPECT_EQ(contact->bodies[0], nullptr);
        EXPECT_EQ(contact->bodies[1], nullptr);
        EXPECT_EQ(contact->penetration, 0.0f);
        EXPECT_EQ(contact->resolutionFlags, 0);
    }
    // The last box meets only the boxes whose pairs came before the pool ran dry.
    size_t lastBoxNotices = 0;
    for (const auto& notice : Notices()) lastBoxNotices += notice.first == cubes.back();
    EXPECT_LT(lastBoxNotices, 32u);
}

TEST_F(PhysicsStepTest, ObjectsWithoutBodiesNeverMakeAContactWithEachOther)
{
    // Overlapping and touching blocks: nothing to resolve, nothing told.
    GameObject* first = Make(CUBE, glm::vec3(0.0f));
    GameObject* second = Make(CUBE, glm::vec3(0.5f, 0.0f, 0.0f));
    GameObject* third = Make(CUBE, glm::vec3(1.5f, 0.0f, 0.0f));
    GameObject* field = Make(FORCEFIELD, glm::vec3(1.0f, 0.0f, 0.0f));
    for (GameObject* object : {first, second, third, field}) Hook(object);
    Step();
    EXPECT_TRUE(Notices().empty());
    EXPECT_EQ(physics->contactPool.lastCount, 0);
    EXPECT_FALSE(Collision(second)->collided);

    // A body among them still meets each block it touches, in pair order.
    GameObject* crate = AwakeCrate(glm::vec3(0.25f, 0.9f, 0.0f));
    Gravity(crate)->gravity.y = 0.0f;
    Step();
    EXPECT_EQ(physics->contactPool.lastCount, 3);
    std::vector<GameObject*> told;
    for (const auto& notice : Notices())
        if (notice.second == crate) told.push_back(notice.first);
    EXPECT_EQ(told, (std::vector<GameObject*>{first, second, field}));
    EXPECT_TRUE(Collision(second)->collided);
    EXPECT_FALSE(Collision(third)->collided);

    // A disabled body is still a body: its pairs are kept.
    Body(crate)->flags &= ~BODY_ENABLED;
    Notices().clear();
    Step();
    EXPECT_EQ(physics->contactPool.lastCount, 3);
}

TEST_F(PhysicsStepTest, AFloorOfFiveHundredBlocksHoldsFiftyDroppedCratesAndARobot)
{
    // Unit blocks laid edge to edge, 25 by 20, tops at y = 0.5.
    for (int x = 0; x < 25; ++x)
        for (int z = 0; z < 20; ++z) Make(CUBE, glm::vec3(x, 0.0f, z));
    // Crates over block centres, seams and corners, from several heights.
    std::vector<GameObject*> crates;
    for (int i = 0; i < 50; ++i) {
        const float x = 1.0f + 2.2f * (i % 10) + 0.25f * (i % 3);
        const float z = 1.0f + 3.5f * (i / 10) + 0.5f * (i % 2);
        crates.push_back(Make(CRATE, glm::vec3(x, 2.0f + 0.5f * (i % 4), z)));
    }
    // And a robot, turned, which never falls asleep.
    GameObject* robot = Make(PLAYER, glm::vec3(12.3f, 2.5f, 17.5f));
    robot->rotation = glm::angleAxis(glm::radians(30.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    auto* pull = dynamic_cast<GravityForceGenerator*>(Body(robot)->AddForceGenerator(FG_GRAVITY));
    ASSERT_NE(pull, nullptr);
    pull->gravity.y = -20.0f;
    int fullestStep = 0;
    for (int i = 0; i < 300; ++i) {
        Step();
        fullestStep = std::max(fullestStep, physics->contactPool.lastCount);
    }
    EXPECT_LT(fullestStep, ContactPool::CAPACITY);
    for (size_t i = 0; i < crates.size(); ++i) {
        EXPECT_NEAR(crates[i]->position.y, 1.0f, 0.02f) << "crate " << i;
        EXPECT_FALSE(Awake(crates[i])) << "crate " << i;
    }
    EXPECT_NEAR(robot->position.y, 1.0f, 0.02f);
    EXPECT_TRUE(Awake(robot));
}

TEST_F(PhysicsStepTest, ARobotPressedIntoAFloorOfBlocksWalksOverEverySeam)
{
    // A row of twenty unit blocks as a level lays them (tops at y 1), a
    // block of a wall standing on the last, and a robot's box driven as the
    // movement drives it: 5 units a second along the row, pressing down at 5.
    SetFrame(1.0 / 32.0);
    for (int x = 0; x < 20; ++x) Make(CUBE, glm::vec3(x + 0.5f, 0.5f, 0.5f));
    Make(CUBE, glm::vec3(19.5f, 1.5f, 0.5f));
    GameObject* robot = Make(PLAYER, glm::vec3(0.5f, 1.5f, 0.5f));
    static_cast<CollisionBox*>(Collision(robot)->GetPrimitive())->halfSize = glm::vec3(0.4f, 0.5f, 0.4f);
    Collision(robot)->UpdatePrimitive();
    auto walk = [&](float direction, float yawDegrees, float until) {
        robot->rotation = glm::angleAxis(glm::radians(yawDegrees), glm::vec3(0.0f, 1.0f, 0.0f));
        int steps = 0;
        float lowest = robot->position.y, highest = robot->position.y;
        for (; steps < 200 && direction * (until - robot->position.x) > 0.0f; ++steps) {
            Body(robot)->velocity = glm::vec3(5.0f * direction, -5.0f, 0.0f);
            Step();
            lowest = std::min(lowest, robot->position.y);
            highest = std::max(highest, robot->position.y);
        }
        // Held up on the floor all the way, never thrown sideways.
        EXPECT_NEAR(lowest, 1.5f, 0.01f);
        EXPECT_NEAR(highest, 1.5f, 0.01f);
        EXPECT_NEAR(robot->position.z, 0.5f, 1e-4f);
        return steps;
    };
    // Up to the wall (its near side at x 19), at the full speed: 18.1 units
    // at 5/32 a step.
    EXPECT_LE(walk(1.0f, 180.0f, 18.6f), 117);
    for (int i = 0; i < 10; ++i) {
        Body(robot)->velocity = glm::vec3(5.0f, -5.0f, 0.0f);
        Step();
    }
    EXPECT_NEAR(robot->position.x, 18.6f, 0.01f);
    // And all the way back, turned the other way.
    EXPECT_LE(walk(-1.0f, 0.0f, 0.5f), 120);
}

TEST_F(PhysicsStepTest, ARobotWalksFromBlocksOntoHeavyBodiesLevelWithThemAndBack)
{
    // Five blocks, five hovering platforms (bodies a thousand times heavier
    // than the robot) and five blocks in a row, tops at y 1: the platforms'
    // faces flush with each other and with the blocks never stop the robot.
    SetFrame(1.0 / 32.0);
    std::vector<GameObject*> platforms;
    for (int x = 0; x < 15; ++x) {
        GameObject* block = Make(x >= 5 && x < 10 ? HOVERINGPLATFORM : CUBE, glm::vec3(x + 0.5f, 0.5f, 0.5f));
        if (block && Body(block)) {
            Body(block)->flags &= ~BODY_CAN_SLEEP;
            platforms.push_back(block);
        }
    }
    // What the platform component does every frame: no vertical speed, its
    // own height.
    auto hover = [&] {
        for (GameObject* platform : platforms) {
            Body(platform)->velocity.y = 0.0f;
            platform->position.y = 0.5f;
        }
    };
    GameObject* robot = Make(PLAYER, glm::vec3(0.5f, 1.5f, 0.5f));
    static_cast<CollisionBox*>(Collision(robot)->GetPrimitive())->halfSize = glm::vec3(0.4f, 0.5f, 0.4f);
    Collision(robot)->UpdatePrimitive();
    for (float direction : {1.0f, -1.0f}) {
        const float until = direction > 0.0f ? 14.0f : 1.0f;
        int steps = 0;
        float lowest = robot->position.y;
        for (; steps < 120 && direction * (until - robot->position.x) > 0.0f; ++steps) {
            hover();
            Body(robot)->velocity = glm::vec3(5.0f * direction, -5.0f, 0.0f);
            Step();
            lowest = std::min(lowest, robot->position.y);
        }
        // 13 units at 5/32 a step: never held back at a seam, never sunk.
        EXPECT_LE(steps, 88) << direction;
        EXPECT_GT(lowest, 1.45f) << direction;
        EXPECT_NEAR(robot->position.z, 0.5f, 1e-3f) << direction;
    }
}

TEST_F(PhysicsStepTest, HooksMayRemoveComponentsWhileTheStepTellsThem)
{
    // The crate's hook takes away its own collision component and the
    // crate's partner's body; the step goes on with what is left.
    GameObject* lower = AwakeCrate(glm::vec3(0.0f, 0.0f, 0.0f));
    GameObject* upper = AwakeCrate(glm::vec3(0.0f, 0.9f, 0.0f));
    GameObject* beside = AwakeCrate(glm::vec3(0.9f, 0.9f, 0.0f));
    for (GameObject* crate : {lower, upper, beside}) Gravity(crate)->gravity.y = 0.0f;
    Hook(upper)->action = [&](GameObject* self, GameObject* other) {
        self->RemoveComponent(CT_COLLISION);
        if (other == lower) other->RemoveComponent(CT_PHYSICS);
    };
    Step();
    EXPECT_EQ(Collision(upper), nullptr);
    EXPECT_EQ(Body(lower), nullptr);
    // The two that kept their parts are still pushed apart.
    EXPECT_GT(beside->position.x, 0.9f);
    EXPECT_EQ(Collision(beside)->GetPrimitive()->GetCentre(), beside->position);
    Step();
    EXPECT_EQ(physics->contactPool.lastCount, 1);  // the lower crate and the one beside
}

TEST_F(PhysicsStepTest, AContactAlreadyInThePoolIsResolvedWithTheStepsOwn)
{
    // An inactive crate is not in the step's list, yet a contact made for it
    // before the step moves it, and its primitive follows.
    GameObject* cube = Make(CUBE, glm::vec3(0.0f));
    GameObject* crate = AwakeCrate(glm::vec3(5.0f, 0.9f, 0.0f));
    crate->flags &= ~OBJ_ACTIVE;
    Contact* contact = physics->contactPool.Acquire();
    contact->contactNormal = glm::vec3(0.0f, 1.0f, 0.0f);
    contact->penetration = 0.1f;
    contact->SetBodyData(crate, cube, physics->contactPool.restitution);
    Step();
    EXPECT_NEAR(crate->position.y, 1.0f, 1e-5f);
    EXPECT_EQ(Collision(crate)->GetPrimitive()->GetCentre(), crate->position);
    EXPECT_TRUE(Collision(crate)->collided);
    EXPECT_EQ(physics->contactPool.lastCount, 1);
}

TEST_F(PhysicsStepTest, AStepWithoutContactsStillReleasesThePool)
{
    AwakeCrate(glm::vec3(0.0f, 10.0f, 0.0f));
    Step();
    EXPECT_EQ(physics->contactPool.lastCount, 0);
    EXPECT_EQ(physics->contactPool.freeContacts.size(), static_cast<size_t>(ContactPool::CAPACITY));
}

TEST_F(PhysicsStepTest, WithoutAFrameClockOrObjectsTheStepDoesNothing)
{
    GameObject* crate = AwakeCrate(glm::vec3(0.0f, 10.0f, 0.0f));
    System* system = System::GetInstance();
    FrameRateController* clock = system->frameRateController;
    system->frameRateController = nullptr;
    Step();
    system->frameRateController = clock;
    EXPECT_EQ(crate->position.y, 10.0f);
    EXPECT_TRUE(physics->PredictTrajectory(nullptr, 1.0f, 0.1f, glm::vec3(0.0f)).empty());
}

// Trajectory prediction.

class TrajectoryTest : public PhysicsStepTest
{
protected:
    void SetUp() override
    {
        PhysicsStepTest::SetUp();
        SetFrame(1.0 / 32.0);
    }
};

TEST_F(TrajectoryTest, SamplesTheFlightAndLeavesTheObjectAlone)
{
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    Body(crate)->AddSteerGenerator(SG_SEEK)->enabled = true;
    const std::vector<glm::vec3> path =
        physics->PredictTrajectory(crate, 1.0f, 5.0f / 32.0f, glm::vec3(4.0f, 4.0f, 0.0f));
    ASSERT_EQ(path.size(), 7u);
    EXPECT_EQ(path[0], glm::vec3(0.0f, 5.0f, 0.0f));
    EXPECT_FLOAT_EQ(path[1].x, 0.625f);
    EXPECT_FLOAT_EQ(path[1].y, 5.380859375f);
    EXPECT_EQ(path[1].z, 0.0f);
    EXPECT_FLOAT_EQ(path[6].x, 4.0f * 30.0f / 32.0f);

    EXPECT_EQ(crate->position, glm::vec3(0.0f, 5.0f, 0.0f));
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(0.0f));
    EXPECT_EQ(Body(crate)->forceGenerators.size(), 1u);
    EXPECT_EQ(Gravity(crate)->gravity.y, -20.0f);
}

TEST_F(TrajectoryTest, NoTimeGivesOnlyTheStart)
{
    GameObject* crate = Make(CRATE, glm::vec3(1.0f, 2.0f, 3.0f));
    EXPECT_EQ(physics->PredictTrajectory(crate, 0.0f, 0.1f, glm::vec3(1.0f)),
              std::vector<glm::vec3>{glm::vec3(1.0f, 2.0f, 3.0f)});
    SetFrame(0.0);
    EXPECT_EQ(physics->PredictTrajectory(crate, 10.0f, 0.1f, glm::vec3(1.0f)).size(), 1u);
}

TEST_F(TrajectoryTest, ObjectsMissingAComponentGiveOnlyTheStart)
{
    GameObject* cube = Make(CUBE, glm::vec3(0.0f, 3.0f, 0.0f));
    EXPECT_EQ(physics->PredictTrajectory(cube, 1.0f, 0.1f, glm::vec3(1.0f)).size(), 1u);
    GameObject* crate = Make(CRATE, glm::vec3(5.0f, 3.0f, 0.0f));
    crate->RemoveComponent(CT_COLLISION);
    EXPECT_EQ(physics->PredictTrajectory(crate, 1.0f, 0.1f, glm::vec3(1.0f)).size(), 1u);
}

TEST_F(TrajectoryTest, EndsWhereTheBodyRestsOnWhatStopsItARobotToo)
{
    // Falling from 5 through a block whose collision is off and an ethereal
    // tile (as a checkpoint's), past a block 1.9 to the side (apart, though
    // whole units would take them as overlapping): the path ends where the
    // crate rests on the block below, or on a robot standing there.
    GameObject* crate = Make(CRATE, glm::vec3(0.0f, 5.0f, 0.0f));
    Collision(Make(CUBE, glm::vec3(0.0f, 4.0f, 0.0f)))->active = false;
    Collision(Make(CUBE, glm::vec3(0.0f, 3.0f, 0.0f)))->ethereal = true;
    Make(CUBE, glm::vec3(1.9f, 2.0f, 0.0f));
    Make(CUBE, glm::vec3(0.0f, 0.0f, 0.0f));
    std::vector<glm::vec3> path = physics->PredictTrajectory(crate, 10.0f, 5.0f / 32.0f, glm::vec3(0.0f));
    ASSERT_GE(path.size(), 3u);
    EXPECT_NEAR(path.back().y, 1.0f, 0.01f);
    GameObject* robot = Make(PLAYER, glm::vec3(0.0f, 1.0f, 0.0f));
    path = physics->PredictTrajectory(crate, 10.0f, 5.0f / 32.0f, glm::vec3(0.0f));
    EXPECT_NEAR(path.back().y, 2.0f, 0.01f);
    EXPECT_EQ(robot->position, glm::vec3(0.0f, 1.0f, 0.0f));  // held still

    // Thrown onto a ledge over a floor of blocks, it slides off and rests on
    // the floor beyond, exactly where the step leaves it.
    for (int x = -1; x <= 20; ++x) Make(CUBE, glm::vec3(x, 0.0f, 10.0f));
    Make(CUBE, glm::vec3(3.0f, 1.0f, 10.0f));
    crate->position = glm::vec3(0.0f, 1.5f, 10.0f);
    path = physics->PredictTrajectory(crate, 10.0f, 5.0f / 32.0f, glm::vec3(5.0f, 7.0f, 0.0f));
    Body(crate)->velocity = glm::vec3(5.0f, 7.0f, 0.0f);
    for (int step = 0; step < 320 && (Awake(crate) || !Collision(crate)->collided); ++step) Step();
    EXPECT_EQ(path.back(), crate->position);
    EXPECT_GT(path.back().x, 4.0f);
}

// Helpers.

TEST(PhysicsHelpersTest, QuatConjugateNegatesTheVectorPart)
{
    EXPECT_EQ(QuatConjugate(glm::vec4(1.0f, 0.0f, 0.0f, 0.0f)), glm::vec4(1.0f, 0.0f, 0.0f, 0.0f));
    EXPECT_EQ(QuatConjugate(glm::vec4(0.5f, 0.5f, 0.5f, 0.5f)), glm::vec4(0.5f, -0.5f, -0.5f, -0.5f));
}

struct Counted
{
    explicit Counted(int& counter) : count(counter) {}
    ~Counted() { ++count; }
    int& count;
};

TEST(PhysicsHelpersTest, DeleteMapValuesKeepsTheKeys)
{
    int deleted = 0;
    std::map<int, Counted*> values{{1, new Counted(deleted)}, {2, nullptr}, {5, new Counted(deleted)}};
    DeleteMapValues(values);
    EXPECT_EQ(deleted, 2);
    ASSERT_EQ(values.size(), 3u);
    for (const auto& entry : values) EXPECT_EQ(entry.second, nullptr);
}

} // namespace
