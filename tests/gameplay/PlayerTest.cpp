// The player component frame by frame (1/32 s): movement against the camera,
// facing, picking up, carrying, putting down and throwing crates, the throw
// preview, the appear effect, the second player and the reset. Updates run
// without a physics step unless a case says otherwise.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include <tinyxml2.h>

#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/ParticleSystem.h"
#include "game/gameplay/CrateComponent.h"
#include "game/gameplay/ExplodeComponent.h"
#include "game/gameplay/PlayerComponent.h"
#include "gameplay/GameplayTestKit.h"

using namespace QRX;
using namespace QRX::GameplayKit;

namespace {

const int KEY_W = KEY_A + ('W' - 'A');
const int KEY_S = KEY_A + ('S' - 'A');
const int KEY_D = KEY_A + ('D' - 'A');
const int KEY_LEFT_STRAFE = KEY_A;  // "A"
const int KEY_RESET = KEY_A + ('P' - 'A');
const glm::vec3 AT(4.5f, 0.5f, 8.5f);

bool Near(const glm::vec3& a, const glm::vec3& b, float tolerance = 1e-5f)
{
    return glm::length(a - b) <= tolerance;
}

class PlayerTest : public GameplayTest
{
protected:
    void SetUp() override
    {
        GameplayTest::SetUp();
        LookAlong(glm::vec3(0.0f, -1.0f, -1.0f));  // right axis (1, 0, 0)
    }
    // Points the camera from above the robot's spot along a direction.
    void LookAlong(const glm::vec3& direction) { camera.LookAt(AT - 10.0f * direction, AT); }
    glm::vec3 RightAxis() const
    {
        const glm::mat4& view = camera.GetViewMatrix();
        return glm::vec3(view[0][0], view[1][0], view[2][0]);
    }
    // A robot with the game's master, initialised (without the appear effect
    // unless asked).
    GameObject* MakeRobot(const glm::vec3& position = AT, bool appear = false)
    {
        GameObject* robot = Make(PLAYER, position);
        Player(robot)->m_IsSpawnOnCreation = appear;
        robot->InitComponents();
        return robot;
    }
    static PlayerComponent* Player(GameObject* robot)
    {
        return dynamic_cast<PlayerComponent*>(robot->GetComponent(CT_PLAYER));
    }
    // One robot update with the held keys, without a physics step.
    void UpdateRobot(GameObject* robot, int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            ApplyKeys();
            states.updating = true;
            robot->UpdateComponents();
            states.updating = false;
            EndInputFrame();
        }
    }
    // An update in which the keys go down; then every key is up again (a
    // sample without an update), so the next press is a new one.
    void Press(GameObject* robot, std::initializer_list<int> keys)
    {
        Hold(keys);
        UpdateRobot(robot);
        ReleaseAll();
        ApplyKeys();
        EndInputFrame();
    }
    std::vector<GameObject*> Markers() { return All(THROWINDICATOR); }
    static bool Shown(const GameObject* marker)
    {
        return (marker->flags & OBJ_ACTIVE) && !(marker->flags & OBJ_SKIP_DRAW);
    }
};

TEST_F(PlayerTest, UpAcceleratesToWalkingSpeedAndReleaseStopsAtOnce)
{
    ASSERT_TRUE(Near(RightAxis(), glm::vec3(1.0f, 0.0f, 0.0f)));
    GameObject* robot = MakeRobot();
    PhysicsComponent* body = Body(robot);
    Hold({KEY_W});
    for (float z : {-2.0f, -4.0f, -6.0f}) {
        UpdateRobot(robot);
        EXPECT_EQ(body->velocity, glm::vec3(0.0f, -5.0f, z));
    }
    // At walking speed: 5 along the axis, still pressing down.
    UpdateRobot(robot);
    EXPECT_EQ(body->velocity, glm::vec3(0.0f, -5.0f, -5.0f));
    body->velocity.y = 0.0f;
    UpdateRobot(robot);
    EXPECT_EQ(body->velocity, glm::vec3(0.0f, -5.0f, -5.0f));
    EXPECT_EQ(Player(robot)->m_FacingIndex, FACING_MINUS_Z);
    EXPECT_TRUE(Near(Player(robot)->m_Facing, glm::vec3(0.0f, 0.0f, -1.0f)));
    EXPECT_TRUE(Player(robot)->m_IsMoving);

    body->forceAccum = glm::vec3(3.0f);
    ReleaseAll();
    UpdateRobot(robot);
    EXPECT_EQ(body->velocity, glm::vec3(0.0f, -5.0f, 0.0f));
    EXPECT_EQ(body->forceAccum, glm::vec3(0.0f));
    EXPECT_FALSE(Player(robot)->m_IsMoving);

    // Up and right together: only up counts.
    Hold({KEY_W, KEY_D});
    UpdateRobot(robot, 2);
    EXPECT_EQ(body->velocity, glm::vec3(0.0f, -5.0f, -4.0f));
}

TEST_F(PlayerTest, TurnedCameraSnapsKeysToTheNearestWorldAxis)
{
    // Right axis (0.6, 0, -0.8): forward keys go along x, side keys along z.
    LookAlong(glm::vec3(-0.8f, -0.5f, -0.6f));
    ASSERT_TRUE(Near(RightAxis(), glm::vec3(0.6f, 0.0f, -0.8f)));
    GameObject* robot = MakeRobot();
    Hold({KEY_W});
    UpdateRobot(robot);
    EXPECT_EQ(Body(robot)->velocity, glm::vec3(-2.0f, -5.0f, 0.0f));
    EXPECT_EQ(Player(robot)->m_FacingIndex, FACING_MINUS_X);

    Hold({KEY_LEFT_STRAFE});
    Body(robot)->velocity = glm::vec3(0.0f);
    UpdateRobot(robot);
    EXPECT_EQ(Body(robot)->velocity, glm::vec3(0.0f, -5.0f, 2.0f));
    EXPECT_EQ(Player(robot)->m_FacingIndex, FACING_PLUS_Z);
    EXPECT_TRUE(Near(Player(robot)->m_Facing, glm::vec3(0.0f, 0.0f, 1.0f)));

    Hold({KEY_S});
    UpdateRobot(robot);
    EXPECT_EQ(Player(robot)->m_FacingIndex, FACING_PLUS_X);
}

TEST_F(PlayerTest, AxisChoiceTiesAndDirectionsWithoutAnAxis)
{
    glm::vec3 axis(9.0f);
    ASSERT_TRUE(SnapToWorldAxis(glm::vec3(-0.70710677f, 0.0f, -0.70710677f), MOVE_RULE_FORWARD, axis));
    EXPECT_EQ(axis, glm::vec3(-1.0f, 0.0f, 0.0f));
    ASSERT_TRUE(SnapToWorldAxis(glm::vec3(-0.70710677f, 0.0f, 0.70710677f), MOVE_RULE_SIDE, axis));
    EXPECT_EQ(axis, glm::vec3(0.0f, 0.0f, 1.0f));
    ASSERT_TRUE(SnapToWorldAxis(glm::vec3(0.1f, 0.0f, -0.995f), MOVE_RULE_FORWARD, axis));
    EXPECT_EQ(axis, glm::vec3(0.0f, 0.0f, -1.0f));
    ASSERT_TRUE(SnapToWorldAxis(glm::vec3(0.995f, 0.0f, 0.1f), MOVE_RULE_SIDE, axis));
    EXPECT_EQ(axis, glm::vec3(1.0f, 0.0f, 0.0f));
    // The deciding component is 0: no axis.
    EXPECT_FALSE(SnapToWorldAxis(glm::vec3(0.0f, 1.0f, 0.0f), MOVE_RULE_FORWARD, axis));
    EXPECT_FALSE(SnapToWorldAxis(glm::vec3(0.0f, -1.0f, 0.0f), MOVE_RULE_SIDE, axis));
    EXPECT_EQ(FacingIndexOf(glm::vec3(0.6f, 0.0f, 0.8f)), -1);
}

TEST_F(PlayerTest, FacingFollowsTheYawOfEachIndex)
{
    const glm::vec3 expected[] = {{0.0f, 0.0f, -1.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {-1.0f, 0.0f, 0.0f}};
    for (int index = 0; index < 4; ++index) {
        const glm::quat turn = glm::angleAxis(glm::radians(FacingYawDegrees(index)), glm::vec3(0.0f, 1.0f, 0.0f));
        EXPECT_TRUE(Near(FacingFromRotation(turn), expected[index])) << index;
        EXPECT_EQ(FacingIndexOf(expected[index]), index);
    }
    // Init reads the facing from the placed rotation.
    GameObject* robot = Make(PLAYER, AT);
    robot->rotation = GameObject::EulerDegreesToQuat(glm::vec3(0.0f, 180.0f, 0.0f));
    Player(robot)->m_IsSpawnOnCreation = false;
    robot->InitComponents();
    EXPECT_TRUE(Near(Player(robot)->m_Facing, glm::vec3(1.0f, 0.0f, 0.0f)));
}

TEST_F(PlayerTest, NoDirectionNoCameraAndNoBodyMoveNothing)
{
    // A wanted direction without length (a zero right axis, or a vertical
    // one for the forward keys) or not finite moves nothing; a vertical one
    // for the side keys has no world axis and is used as it is.
    glm::vec3 move(7.0f);
    bool isAxis = true;
    EXPECT_FALSE(MoveDirectionFor(glm::vec3(0.0f), MOVE_RULE_FORWARD, move, isAxis));
    EXPECT_FALSE(MoveDirectionFor(glm::vec3(std::nanf(""), 0.0f, 1.0f), MOVE_RULE_SIDE, move, isAxis));
    EXPECT_EQ(move, glm::vec3(7.0f));
    ASSERT_TRUE(MoveDirectionFor(glm::vec3(0.0f, -3.0f, 0.0f), MOVE_RULE_SIDE, move, isAxis));
    EXPECT_FALSE(isAxis);
    EXPECT_EQ(move, glm::vec3(0.0f, -3.0f, 0.0f));
    ASSERT_TRUE(MoveDirectionFor(glm::vec3(0.5f, 0.0f, -2.0f), MOVE_RULE_FORWARD, move, isAxis));
    EXPECT_TRUE(isAxis);
    EXPECT_EQ(move, glm::vec3(0.0f, 0.0f, -1.0f));

    GameObject* robot = MakeRobot();
    // No camera: the assertion, and no movement.
    System::GetInstance()->camera = nullptr;
    Body(robot)->velocity = glm::vec3(0.0f);
    Hold({KEY_W});
    UpdateRobot(robot);
    EXPECT_EQ(Body(robot)->velocity, glm::vec3(0.0f));
    EXPECT_NE(LogPage().find("PlayerComponent is unable to obtain camera!"), std::string::npos);
    System::GetInstance()->camera = &camera;

    // No body: the robot still turns.
    LookAlong(glm::vec3(0.0f, -1.0f, -1.0f));
    robot->RemoveComponent(CT_PHYSICS);
    Hold({KEY_S});
    UpdateRobot(robot);
    EXPECT_EQ(Player(robot)->m_FacingIndex, FACING_PLUS_Z);
    ReleaseAll();
    UpdateRobot(robot);
}

TEST_F(PlayerTest, PickUpReachesTheNextCellOnly)
{
    // Anywhere in its cell, touching or not, a crate beside it or diagonal, facing 30 degrees off it or away, the
    // physics at 20 and 60 frames a second: a click lifts it, the robot turned towards it. Two cells off, nothing.
    Make(CUBE, AT + glm::vec3(0.0f, -1.0f, 0.0f))->scale = glm::vec3(5.0f, 1.0f, 7.0f);
    GameObject* robot = MakeRobot();
    const auto in = [](float t, float c) { return t * (t * c > 0.0f && std::fabs(c) < 2.0f ? 0.08f : 0.45f); };
    for (float rate : {20.0f, 60.0f})
    for (glm::vec3 off : {glm::vec3(0, 0, -1), glm::vec3(1, 0, -1), glm::vec3(-1, 0, 1),
                          glm::vec3(0, 0, -2), glm::vec3(2, 0, -2), glm::vec3(-1, 0, 2)})
    for (float x : {-1.0f, 0.0f, 1.0f})
    for (float z : {-1.0f, 0.0f, 1.0f})
    for (float turn : {-30.0f, 30.0f, 180.0f}) {
        System::GetInstance()->frameRateController->dt = 1.0 / rate;
        GameObject* crate = Make(CRATE, AT + off);
        robot->position = AT + glm::vec3(in(x, off.x), 0.0f, in(z, off.z));
        turn += glm::degrees(std::atan2(crate->position.z - robot->position.z, robot->position.x - crate->position.x));
        robot->rotation = glm::angleAxis(glm::radians(turn), glm::vec3(0.0f, 1.0f, 0.0f));
        Player(robot)->UpdateFacing();
        Hold({KEY_LBUTTON});
        Tick();
        ReleaseAll();
        Tick();
        EXPECT_EQ(Player(robot)->GetCarriedCrate(), glm::length(off) < 2 ? crate : nullptr) << rate << ' ' << x << z << ' ' << turn;
        EXPECT_TRUE(glm::length(off) >= 2 || glm::dot(glm::round(Player(robot)->m_Facing), off) >= 1.0f);
        Player(robot)->ReleaseCarriedCrate();
        crate->flags |= OBJ_DESTROY;
        objects->Update();
    }
    // Not through a block or either field; of two, the one straight ahead before a nearer one aside.
    robot->rotation = glm::angleAxis(glm::radians(-90.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    Player(robot)->UpdateFacing();
    const auto lifted = [&](const glm::vec3& from) {
        robot->position = from;
        Press(robot, {KEY_LBUTTON});
        GameObject* carried = Player(robot)->GetCarriedCrate();
        Player(robot)->ReleaseCarriedCrate();
        return carried;
    };
    GameObject* near = Make(CRATE, AT);
    for (ObjectType between : {CUBE, CRATEFORCEFIELD, FORCEFIELD}) {
        GameObject* wall = Make(between, AT + glm::vec3(0.0f, 0.0f, 0.75f));
        wall->scale = glm::vec3(1.0f, 1.0f, 0.2f);
        EXPECT_EQ(lifted(AT + glm::vec3(0.0f, 0.0f, 1.45f)), nullptr) << ObjectTypeToString(between);
        near->position = AT;
        wall->flags |= OBJ_DESTROY;
        objects->Update();
    }
    near->position = AT + glm::vec3(0.0f, 0.0f, -0.3f);
    Make(CRATE, AT + glm::vec3(1.0f, 0.0f, 0.0f));
    EXPECT_EQ(lifted(AT + glm::vec3(0.45f, 0.0f, 1.0f)), near);
    for (GameObject* crate : All(CRATE)) crate->flags |= OBJ_DESTROY;
    objects->Update();
    // Facing -z: none on a ledge above or below; off to a corner, the side faced, else the other where a block
    // overhead would hold the crate, the held one where that is walled; none round two walls' corner (blocks stay).
    std::vector<GameObject*> placed{near = Make(CRATE, AT)};
    const glm::vec3 sides[][3] = {{{0, 1, -1}, {}, {}}, {{0, -1, -1}, {}, {}}, {{1, 0, -1}, {}, {0, 0, -1}},
        {{1, 0, -1}, {0, 1, -1}, {1, 0, 0}}, {{1, 0, -1}, {1, 0, 0}, {0, 0, -1}}, {{1, 0, -1}, {0, 0, -1}, {}}};
    for (const auto& [at, block, side] : sides) {
        if (block != glm::vec3(0.0f)) placed.push_back(Make(CUBE, AT + block));
        near->position = AT + at;
        EXPECT_EQ(lifted(AT), side == glm::vec3(0.0f) ? nullptr : near) << at.y << ' ' << block.x << block.y << block.z;
        EXPECT_EQ(glm::round(Player(robot)->m_Facing), side == glm::vec3(0.0f) ? glm::vec3(0.0f, 0.0f, -1.0f) : side);
    }
    for (GameObject* gone : placed) gone->flags |= OBJ_DESTROY;
    objects->Update();
    robot->position = AT;

    // With throwing off nothing is picked up.
    GameObject* crate = Make(CRATE, AT + glm::vec3(0.0f, 0.0f, -1.0f));
    Player(robot)->m_IsThrowingEnabled = false;
    Press(robot, {KEY_LBUTTON});
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), nullptr);

    // Carried: one unit ahead and one above, without vertical velocity.
    Player(robot)->m_IsThrowingEnabled = true;
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(Player(robot)->GetCarriedCrate(), crate);
    EXPECT_EQ(crate->position.y, AT.y + 1.0f);
    EXPECT_TRUE(Player(robot)->m_AreMarkersShown);
    EXPECT_EQ(Markers().size(), static_cast<size_t>(PlayerComponent::THROW_MARKER_COUNT));
    Body(crate)->velocity = glm::vec3(1.0f, -3.0f, 1.0f);
    GetGravityGenerator(crate)->gravity.y = -0.01f;
    robot->position = AT + glm::vec3(0.0f, 0.25f, -0.5f);
    UpdateRobot(robot);
    EXPECT_TRUE(Near(crate->position, robot->position + glm::vec3(0.0f, 1.0f, -1.0f)));
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(0.0f));
    EXPECT_EQ(GetGravityGenerator(crate)->gravity.y, FULL_GRAVITY_Y);

    // Neither button lets it go with its centre in a block, a crate field or another crate; less far in, it is put down.
    const glm::vec3 held = crate->position;
    const std::pair<ObjectType, float> ins[] = {{CUBE, 0.4f}, {CRATEFORCEFIELD, 0.4f}, {CRATE, 0.4f}, {CUBE, 0.6f}};
    for (const auto& [type, gap] : ins) {
        GameObject* in = Make(type, held + glm::vec3(0.0f, 0.0f, -gap));
        Press(robot, {KEY_RBUTTON});
        Press(robot, {KEY_LBUTTON});
        EXPECT_EQ(Player(robot)->GetCarriedCrate(), gap < 0.5f ? crate : nullptr) << ObjectTypeToString(type) << gap;
        in->flags |= OBJ_DESTROY;
        objects->Update();
    }
    // Over a block or a crate field at its height it would rest out of the robot's reach: kept, with the throw
    // pressed too, the crate red a moment and a beep. Through a field for robots it falls: put down, not thrown.
    System::GetInstance()->audioManager->LoadSound("switch_deactivate_new.mp3");
    crate->position = robot->position + glm::vec3(0.0f, 0.0f, -1.0f);
    Press(robot, {KEY_LBUTTON});
    for (ObjectType under : {CUBE, CRATEFORCEFIELD, FORCEFIELD}) {
        GameObject* ledge = Make(under, held + glm::vec3(0.0f, -0.5f, -0.4f));
        ledge->scale.y = 2.0f;
        Press(robot, {KEY_LBUTTON, KEY_RBUTTON});
        EXPECT_EQ(Player(robot)->GetCarriedCrate(), under == FORCEFIELD ? nullptr : crate) << ObjectTypeToString(under);
        EXPECT_EQ(Graphics(crate)->GetTextureName(), under == FORCEFIELD ? "crate" : "red");
        for (int frame = 0; frame < 64 && Graphics(crate)->GetTextureName() == "red"; ++frame) UpdateRobot(robot);
        EXPECT_EQ(Graphics(crate)->GetTextureName(), "crate");
        ledge->flags |= OBJ_DESTROY;
        objects->Update();
    }
    EXPECT_EQ(Audio()->CountPlays("switch_deactivate_new.mp3"), 2);
    crate->position = robot->position + glm::vec3(0.0f, 0.0f, -1.0f);
    Press(robot, {KEY_LBUTTON});
    Make(CUBE, held + glm::vec3(0.0f, -1.0f, -0.9f));  // set down a tenth over its top, it falls off that rim
    Press(robot, {KEY_RBUTTON});
    EXPECT_NEAR(crate->position.z, held.z + 0.11f, 1e-4f);
}

TEST_F(PlayerTest, ThrowLaunchesAlongTheAimAndDropWinsInOneFrame)
{
    GameObject* robot = MakeRobot();
    Hold({KEY_W});
    UpdateRobot(robot);
    ReleaseAll();
    GameObject* crate = Make(CRATE, AT + glm::vec3(0.0f, 0.0f, -1.0f));
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(Player(robot)->GetCarriedCrate(), crate);
    UpdateRobot(robot);
    Body(crate)->flags &= ~BODY_AWAKE;
    Press(robot, {KEY_LBUTTON});
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), nullptr);
    const glm::vec3 launch = Body(crate)->velocity;
    EXPECT_NEAR(launch.x, 0.0f, 1e-4f);
    EXPECT_NEAR(launch.y, 23.09f, 0.01f);
    EXPECT_NEAR(launch.z, -32.66f, 0.01f);
    EXPECT_TRUE(Near(launch, 40.0f * glm::normalize(glm::vec3(0.0f, 0.707f, -1.0f)), 1e-4f));
    EXPECT_NE(Body(crate)->flags & BODY_AWAKE, 0u);
    for (GameObject* marker : Markers()) EXPECT_FALSE(Shown(marker));

    // Drop and throw in one frame: put down, not launched.
    crate->position = AT + glm::vec3(0.0f, 0.0f, -1.0f);
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(Player(robot)->GetCarriedCrate(), crate);
    Body(crate)->velocity = glm::vec3(0.0f, 0.0f, 0.5f);
    Press(robot, {KEY_LBUTTON, KEY_RBUTTON});
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), nullptr);
    EXPECT_EQ(Body(crate)->velocity, glm::vec3(0.0f));
}

TEST_F(PlayerTest, OnePressThrowsTheCarriedCrateAndPicksUpTheNextInReach)
{
    // Pick-up and throw share the left button: the press that throws the
    // carried crate goes on to pick up one standing within reach.
    GameObject* robot = MakeRobot();
    Hold({KEY_W});
    UpdateRobot(robot);
    ReleaseAll();
    GameObject* first = Make(CRATE, AT + glm::vec3(0.0f, 0.0f, -1.0f));
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(Player(robot)->GetCarriedCrate(), first);
    robot->position = AT;
    GameObject* second = Make(CRATE, AT + glm::vec3(0.0f, 0.0f, -1.0f));
    Press(robot, {KEY_LBUTTON});
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), second);
    EXPECT_TRUE(Near(Body(first)->velocity, 40.0f * glm::normalize(glm::vec3(0.0f, 0.707f, -1.0f)), 1e-4f));
    EXPECT_EQ(second->position.y, AT.y + 1.0f);
    EXPECT_TRUE(Player(robot)->m_AreMarkersShown);
    first->position.y += 3.0f;  // on its way

    // Putting down with the right button picks nothing up: that takes a
    // press of the left one, which then finds the crate put back in reach.
    Press(robot, {KEY_RBUTTON});
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), nullptr);
    second->position = AT + glm::vec3(0.0f, 0.0f, -1.0f);
    UpdateRobot(robot);
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), nullptr);
    Press(robot, {KEY_LBUTTON});
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), second);
    Make(CRATE, AT + glm::vec3(0.9f, 0.0f, 0.0f));  // beside it: the press that throws does not turn away for it
    Press(robot, {KEY_LBUTTON});
    EXPECT_TRUE(!Player(robot)->GetCarriedCrate() && Player(robot)->m_FacingIndex == FACING_MINUS_Z);
}

TEST_F(PlayerTest, PreviewShowsThePathWithARedEnd)
{
    Make(CUBE, AT + glm::vec3(0.0f, -1.0f, -12.0f))->scale = glm::vec3(3.0f, 1.0f, 30.0f);
    GameObject* robot = MakeRobot();
    Hold({KEY_W});
    UpdateRobot(robot);
    ReleaseAll();
    robot->position = AT;
    GameObject* crate = Make(CRATE, AT + glm::vec3(0.0f, 0.0f, -1.0f));
    Press(robot, {KEY_LBUTTON});
    ASSERT_EQ(Player(robot)->GetCarriedCrate(), crate);
    UpdateRobot(robot);  // the first carrying update draws the preview

    const std::vector<glm::vec3> points = physics->PredictTrajectory(
        crate, PlayerComponent::PREVIEW_TIME, static_cast<float>(FRAME) * 5.0f, Player(robot)->m_Aim * 40.0f);
    const int n = static_cast<int>(points.size());
    ASSERT_GE(n, 4);
    ASSERT_LT(n, PlayerComponent::THROW_MARKER_COUNT);
    std::vector<GameObject*> markers = Markers();
    for (int i = 0; i < PlayerComponent::THROW_MARKER_COUNT; ++i) {
        if (i <= n - 3) {
            EXPECT_TRUE(Shown(markers[i])) << i;
            EXPECT_EQ(Graphics(markers[i])->GetTextureName(), "turq") << i;
            EXPECT_EQ(markers[i]->position, points[i]) << i;
        } else if (i == n - 1) {
            EXPECT_TRUE(Shown(markers[i]));
            EXPECT_EQ(Graphics(markers[i])->GetTextureName(), "red");
            // Lowered from the crate's centre to where its underside lands.
            const float drop = 0.5f - 0.5f * markers[i]->scale.y;
            EXPECT_LT(glm::length(markers[i]->position - (points[i] - glm::vec3(0.0f, drop, 0.0f))), 1e-5f);
        } else {
            EXPECT_FALSE(Shown(markers[i])) << i;
        }
    }

    // Selecting the explosion redraws it, ending where the crate first touches the floor.
    Player(robot)->m_PowerManager.AddUnlimitedPower(CT_EXPLODE);
    Player(robot)->m_PowerManager.SetSelectedPower(CT_EXPLODE);
    Player(robot)->m_IsPreviewDirty = false;
    UpdateRobot(robot);
    const std::size_t touch = physics->PredictTrajectory(crate, PlayerComponent::PREVIEW_TIME, static_cast<float>(FRAME) * 5.0f,
                                                         Player(robot)->m_Aim * 40.0f, &ExplodeComponent::IsSetOffBy).size();
    ASSERT_LT(touch, points.size());
    EXPECT_EQ(Graphics(markers[touch - 1])->GetTextureName(), "red");
    Player(robot)->m_PowerManager.ClearSelection();

    // Without the floor the crate falls out of the level: the red end lies just under the robot's floor, in sight.
    All(CUBE).front()->flags |= OBJ_DESTROY;
    objects->Update();
    UpdateRobot(robot);
    const auto last = std::find_if(markers.rbegin(), markers.rend(), Shown);
    ASSERT_TRUE(last != markers.rend() && Graphics(*last)->GetTextureName() == "red");
    EXPECT_NEAR((*last)->position.y, robot->position.y - 0.5f - PlayerComponent::FALL_MARK_DEPTH - 1.0f, 1.0f);
    // A crate the prediction cannot follow gives one point: nothing shown.
    crate->RemoveComponent(CT_COLLISION);
    Player(robot)->m_IsPreviewDirty = true;
    UpdateRobot(robot);
    for (GameObject* marker : markers) EXPECT_FALSE(Shown(marker));

    // The carried crate dies: nothing is carried and the markers stay hidden.
    crate->flags |= OBJ_DESTROY;
    objects->Update();
    UpdateRobot(robot);
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), nullptr);
    EXPECT_FALSE(Player(robot)->m_AreMarkersShown);
}

TEST_F(PlayerTest, AppearEffectFadesInOverSpawnTimeAndIgnoresKeys)
{
    GameObject* robot = Make(PLAYER, AT);
    Player(robot)->m_SpawnTime = 0.5f;
    robot->InitComponents();  // the master appears on creation
    ASSERT_TRUE(Player(robot)->IsSpawning());
    std::vector<GameObject*> effects = All(PARTICLEEMITTER);
    ASSERT_EQ(effects.size(), 1u);
    EXPECT_EQ(GetParticleEmitter(effects[0])->m_pattern, PARTICLE_ARRIVE);
    EXPECT_EQ(Graphics(robot)->GetOpacity(), 0.0f);

    Hold({KEY_W});
    for (int update = 1; update <= 16; ++update) {
        UpdateRobot(robot);
        EXPECT_FLOAT_EQ(Graphics(robot)->GetOpacity(), update / 16.0f) << update;
        EXPECT_EQ(Body(robot)->velocity, glm::vec3(0.0f, -5.0f, 0.0f));
        EXPECT_TRUE(Player(robot)->IsSpawning());
    }
    UpdateRobot(robot);
    EXPECT_FALSE(Player(robot)->IsSpawning());
    EXPECT_EQ(Graphics(robot)->GetOpacity(), 1.0f);
    EXPECT_TRUE(Marked(effects[0]));
    EXPECT_EQ(Body(robot)->velocity, glm::vec3(0.0f, -5.0f, 0.0f));
    UpdateRobot(robot);
    EXPECT_EQ(Body(robot)->velocity, glm::vec3(0.0f, -5.0f, -2.0f));

    // SpawnTime 0: over on the first update, at the target, with no NaN;
    // leaving fades to 0 the same way. A full pool leaves the particles out.
    Graphics(robot)->SetOpacity(0.75f);
    Player(robot)->m_SpawnTime = 0.0f;
    FillPool();
    Player(robot)->StartSpawnEffect(true);
    UpdateRobot(robot);
    EXPECT_FALSE(Player(robot)->IsSpawning());
    EXPECT_EQ(Graphics(robot)->GetOpacity(), 0.75f);
    Player(robot)->StartSpawnEffect(false);
    UpdateRobot(robot);
    EXPECT_EQ(Graphics(robot)->GetOpacity(), 0.0f);
}

TEST_F(PlayerTest, SecondPlayerAnswersOnlyToItsOwnActions)
{
    System::GetInstance()->audioManager->LoadSound("move0.wav");
    System::GetInstance()->audioManager->LoadSound("move1.wav");
    // Player two's up on the Up arrow, so the players' keys differ.
    System::GetInstance()->inputInterpreter->GetBinding(ACTIONS_PER_PLAYER + ACTION_UP).m_keyIndex = KEY_UP;

    GameObject* second = Make(PLAYER, AT);
    tinyxml2::XMLDocument doc;
    ASSERT_EQ(doc.Parse("<MainPlayer>false</MainPlayer><SpawnOnCreation>false</SpawnOnCreation>"),
              tinyxml2::XML_SUCCESS);
    Player(second)->Read(doc.FirstChildElement());
    EXPECT_EQ(Player(second)->m_KeyOffset, PlayerComponent::SECOND_PLAYER_KEY_OFFSET);
    second->InitComponents();
    EXPECT_FALSE(Player(second)->IsSpawning());
    GameObject* first = MakeRobot(AT + glm::vec3(3.0f, 0.0f, 0.0f));

    Hold({KEY_W});
    UpdateRobot(second);
    UpdateRobot(first);
    EXPECT_EQ(Body(second)->velocity.z, 0.0f);
    EXPECT_EQ(Body(first)->velocity.z, -2.0f);
    Hold({KEY_UP});
    UpdateRobot(second);
    UpdateRobot(first);
    EXPECT_EQ(Body(second)->velocity.z, -2.0f);
    EXPECT_EQ(Body(first)->velocity.z, 0.0f);
    EXPECT_EQ(Audio()->CountCalls("PlaySound"), 2);
    EXPECT_TRUE(System::GetInstance()->audioManager->IsPlaying("move1.wav"));

    // A copy of the second robot stays the second player.
    PlayerComponent copy;
    Player(second)->m_ThrowForce = 12.0f;
    copy.CopyFrom(Player(second));
    EXPECT_FALSE(copy.m_IsMainPlayer);
    EXPECT_EQ(copy.m_KeyOffset, PlayerComponent::SECOND_PLAYER_KEY_OFFSET);
    EXPECT_EQ(copy.m_ThrowForce, 12.0f);
}

TEST_F(PlayerTest, ResetRestoresTheCheckpointOrAsksForAReload)
{
    System::GetInstance()->gameStateManager = &gsm;
    GameObject* robot = MakeRobot();
    Press(robot, {KEY_RESET});
    EXPECT_TRUE(gsm.IsReloadRequested());
    EXPECT_NE(LogPage().find("Reloading since reset pressed"), std::string::npos);

    GameObject* crate = Make(CRATE, AT + glm::vec3(3.0f, 0.0f, 0.0f));
    store->Save(CheckpointActivation{});
    Player(robot)->PickUpCrate(crate);
    robot->position = glm::vec3(0.0f, -3.0f, 0.0f);
    Press(robot, {KEY_RESET});
    EXPECT_EQ(robot->position, AT);
    EXPECT_EQ(Player(robot)->GetCarriedCrate(), nullptr);  // the crate put back is not held
    EXPECT_EQ(crate->position, AT + glm::vec3(3.0f, 0.0f, 0.0f));
    EXPECT_NE(LogPage().find("Using checkpoint since reset pressed"), std::string::npos);
    // Held down: only the frame it went down restores.
    robot->position = glm::vec3(0.0f, -3.0f, 0.0f);
    Hold({KEY_RESET});
    UpdateRobot(robot);
    EXPECT_EQ(robot->position, AT);
    robot->position = glm::vec3(0.0f, -3.0f, 0.0f);
    UpdateRobot(robot);
    EXPECT_EQ(robot->position, glm::vec3(0.0f, -3.0f, 0.0f));
    EXPECT_EQ(TestSupport::Count(LogPage(), "Using checkpoint since reset pressed"), 2u);
}

TEST_F(PlayerTest, TheLevelFindsItsMainAndOtherPlayer)
{
    StartStates();
    LoadLevel("twoplayers.xml");
    System* system = System::GetInstance();
    ASSERT_NE(system->playerOne, nullptr);
    ASSERT_NE(system->playerTwo, nullptr);
    EXPECT_TRUE(Player(system->playerOne)->m_IsMainPlayer);
    EXPECT_FALSE(Player(system->playerTwo)->m_IsMainPlayer);
    EXPECT_EQ(Player(system->playerTwo)->m_KeyOffset, PlayerComponent::SECOND_PLAYER_KEY_OFFSET);
    // Both beam in as the master asks.
    EXPECT_TRUE(Player(system->playerOne)->IsSpawning());
}

} // namespace
