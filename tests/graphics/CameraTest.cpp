#include <gtest/gtest.h>

#include <cmath>

#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/Controller.h"
#include "engine/core/InputManager.h"
#include "engine/core/Random.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/Quaternion.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"

using namespace QRX;

namespace {

constexpr float PI = 3.14159265358979f;
constexpr int LEVEL = 5;  // any ordinary level state

void ExpectVec(const glm::vec3& actual, const glm::vec3& expected, float tolerance = 1e-4f)
{
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
    EXPECT_NEAR(actual.z, expected.z, tolerance);
}

void ExpectMat(const glm::mat4& actual, const glm::mat4& expected, float tolerance = 1e-4f)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) EXPECT_NEAR(actual[c][r], expected[c][r], tolerance) << "[" << c << "][" << r << "]";
}

bool Finite(const glm::mat4& m)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            if (!std::isfinite(m[c][r])) return false;
    return true;
}

CameraInput InState(int stateId)
{
    CameraInput input;
    input.stateId = stateId;
    return input;
}

class CameraTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Camera::ResetStatics();
        ResetRandom();
    }
    void TearDown() override
    {
        Camera::ResetStatics();
        System::DestroyInstance();
    }
};

} // namespace

// ---- Quaternion ------------------------------------------------------------

TEST(QuaternionTest, ProductPutsTheArgumentOnTheLeft)
{
    Quaternion i(0, 1, 0, 0), j(0, 0, 1, 0), k(0, 0, 0, 1);
    Quaternion a = i;
    a *= j;  // j·i = -k
    EXPECT_FLOAT_EQ(a.w, 0.0f);
    EXPECT_FLOAT_EQ(a.x, 0.0f);
    EXPECT_FLOAT_EQ(a.y, 0.0f);
    EXPECT_FLOAT_EQ(a.z, -1.0f);

    Quaternion b = j * i;  // i·j = k, j unchanged
    EXPECT_FLOAT_EQ(b.z, 1.0f);
    EXPECT_FLOAT_EQ(j.y, 1.0f);

    // Rotations compose left to right: a quarter turn about X then one about
    // Y, as matrices Ry·Rx.
    Quaternion rx = Quaternion::FromAxisAngle(glm::vec3(1, 0, 0), 90.0f);
    Quaternion ry = Quaternion::FromAxisAngle(glm::vec3(0, 1, 0), 90.0f);
    glm::mat3 composed = (rx * ry).ToMatrix();
    glm::mat3 expected = ry.ToMatrix() * rx.ToMatrix();
    for (int c = 0; c < 3; ++c)
        for (int r = 0; r < 3; ++r) EXPECT_NEAR(composed[c][r], expected[c][r], 1e-6f);
    (void)k;
}

TEST(QuaternionTest, ApproximatelyEqualIsRelativeAndTreatsZeroAsOne)
{
    EXPECT_TRUE(ApproximatelyEqual(1000000.0f, 1000000.5f));
    EXPECT_FALSE(ApproximatelyEqual(1.0f, 1.00001f));
    EXPECT_TRUE(ApproximatelyEqual(0.0000001f, 0.0f));
    EXPECT_FALSE(ApproximatelyEqual(0.00001f, 0.0f));
}

TEST(QuaternionTest, MatrixRoundTripOnEveryBranch)
{
    // Small angles take the trace branch; half turns about each axis take
    // the other three.
    const glm::vec3 axes[] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}, {1, 2, -3}};
    for (const glm::vec3& axis : axes) {
        for (float angle : {10.0f, 179.0f, 180.0f, -120.0f}) {
            Quaternion q = Quaternion::FromAxisAngle(axis, angle);
            glm::mat3 expected = glm::mat3(glm::rotate(glm::mat4(1.0f), glm::radians(angle), axis));
            glm::mat3 m = q.ToMatrix();
            glm::mat3 back = Quaternion::FromMatrix(m).ToMatrix();
            for (int c = 0; c < 3; ++c)
                for (int r = 0; r < 3; ++r) {
                    EXPECT_NEAR(m[c][r], expected[c][r], 1e-5f);
                    EXPECT_NEAR(back[c][r], expected[c][r], 1e-5f);
                }
        }
    }
    EXPECT_FLOAT_EQ(Quaternion(0, 0, 0, 0).Normalize().w, 1.0f);
}

// ---- View and projection -------------------------------------------------

TEST_F(CameraTest, LookAtThenRebuildGivesTheLibraryLookAt)
{
    Camera camera;
    const glm::vec3 cases[][2] = {
        {{0, 13, 30}, {0, 0, 0}},   {{10, 20, 50}, {2, 2, 2}},  {{-5, 3, -40}, {1, 0, 2}},
        {{3, 40, 0.5f}, {3, 0, 0}}, {{0, 1, -1}, {0, 1.5f, 5}}, {{7, -2, 3}, {-8, 4, 1}},
    };
    for (const auto& c : cases) {
        glm::mat4 expected = glm::lookAt(c[0], c[1], glm::vec3(0, 1, 0));
        camera.LookAt(c[0], c[1]);
        ExpectMat(camera.GetViewMatrix(), expected);
        camera.UpdateViewMatrix();
        ExpectMat(camera.GetViewMatrix(), expected);
        ExpectVec(camera.GetEye(), c[0]);
        ExpectVec(camera.GetForward(), glm::normalize(c[1] - c[0]));
        ExpectVec(camera.GetBack(), -camera.GetForward());
        glm::vec3 back = glm::normalize(c[0] - c[1]);
        EXPECT_NEAR(camera.GetPitch(), glm::degrees(std::asin(back.y)), 1e-3f);
    }
}

TEST_F(CameraTest, LookAtWithoutADirectionStaysFinite)
{
    Camera camera;
    camera.LookAt(glm::vec3(0, 10, 10), glm::vec3(0, 0, 0));
    glm::vec3 right = camera.GetRight();

    // Straight down: the previous right vector is kept.
    camera.LookAt(glm::vec3(4, 10, 0), glm::vec3(4, 0, 0));
    EXPECT_TRUE(Finite(camera.GetViewMatrix()));
    ExpectVec(camera.GetRight(), right);
    ExpectVec(camera.GetForward(), glm::vec3(0, -1, 0));
    EXPECT_NEAR(camera.GetPitch(), 90.0f, 1e-3f);

    // Target on the eye: orientation kept, the eye moves.
    Quaternion before = camera.GetOrientation();
    camera.LookAt(glm::vec3(1, 2, 3), glm::vec3(1, 2, 3));
    EXPECT_TRUE(Finite(camera.GetViewMatrix()));
    ExpectVec(camera.GetEye(), glm::vec3(1, 2, 3));
    EXPECT_FLOAT_EQ(camera.GetOrientation().w, before.w);
    glm::vec4 eyeInView = camera.GetViewMatrix() * glm::vec4(1, 2, 3, 1);
    ExpectVec(glm::vec3(eyeInView), glm::vec3(0.0f));
}

TEST_F(CameraTest, PerspectiveDerivesTheVerticalFieldOfView)
{
    Camera camera;
    const float aspect = 1280.0f / 1024.0f;
    camera.SetPerspective(45.0f, aspect, 1.0f, 500.0f);
    float fovy = 2.0f * std::atan(std::tan(glm::radians(22.5f)) / aspect);
    ExpectMat(camera.GetProjectionMatrix(), glm::perspective(fovy, aspect, 1.0f, 500.0f), 1e-5f);
    EXPECT_FLOAT_EQ(camera.GetProjectionMatrix()[3][3], 0.0f);
    EXPECT_FLOAT_EQ(camera.GetProjectionMatrix()[2][3], -1.0f);
    // The horizontal extent is the given field of view.
    EXPECT_NEAR(camera.GetProjectionMatrix()[0][0], 1.0f / std::tan(glm::radians(22.5f)), 1e-5f);

    // A zero-width window would give a non-finite projection: kept as it was.
    glm::mat4 kept = camera.GetProjectionMatrix();
    camera.SetPerspective(45.0f, 0.0f, 1.0f, 500.0f);
    camera.SetPerspective(45.0f, aspect, 10.0f, 10.0f);
    ExpectMat(camera.GetProjectionMatrix(), kept, 0.0f);
    EXPECT_FLOAT_EQ(camera.GetAspectRatio(), aspect);

    // The infinite projection frames the same view with no far plane.
    glm::mat4 infinite = camera.BuildInfiniteProjection(aspect);
    EXPECT_NEAR(infinite[0][0], camera.GetProjectionMatrix()[0][0], 1e-5f);
    EXPECT_NEAR(infinite[1][1], camera.GetProjectionMatrix()[1][1], 1e-5f);
    EXPECT_FLOAT_EQ(infinite[2][2], -0.999f);
    EXPECT_FLOAT_EQ(infinite[2][3], -1.0f);
    EXPECT_FLOAT_EQ(infinite[3][2], -1.999f);
    EXPECT_FLOAT_EQ(infinite[3][3], 0.0f);
    glm::vec4 far = infinite * glm::vec4(0, 0, -1e6f, 1);
    EXPECT_LT(far.z / far.w, 1.0f);
}

TEST_F(CameraTest, YawTurnsRightAndPitchStaysBetweenLevelAndStraightDown)
{
    Camera camera;
    camera.SetMode(Camera::MODE_FREE);
    camera.LookAt(glm::vec3(0, 0, 0), glm::vec3(0, 0, -1));
    EXPECT_FLOAT_EQ(camera.GetPitch(), 0.0f);

    camera.RotateYawPitch(90.0f, 0.0f);
    camera.UpdateViewMatrix();
    ExpectVec(camera.GetForward(), glm::vec3(1, 0, 0));

    camera.RotateYawPitch(0.0f, 30.0f);
    camera.UpdateViewMatrix();
    EXPECT_FLOAT_EQ(camera.GetPitch(), 30.0f);
    ExpectVec(camera.GetForward(), glm::vec3(std::cos(glm::radians(30.0f)), -0.5f, 0));
    ExpectVec(camera.GetRight(), glm::vec3(0, 0, 1));  // no roll

    camera.RotateYawPitch(0.0f, 80.0f);  // only 60 more fit
    camera.UpdateViewMatrix();
    EXPECT_FLOAT_EQ(camera.GetPitch(), 90.0f);
    ExpectVec(camera.GetForward(), glm::vec3(0, -1, 0));

    camera.RotateYawPitch(0.0f, -200.0f);  // back to level, not beyond
    camera.UpdateViewMatrix();
    EXPECT_FLOAT_EQ(camera.GetPitch(), 0.0f);
    ExpectVec(camera.GetForward(), glm::vec3(1, 0, 0));

    // Rotate negates for the free and follow modes: Q (+1) turns left.
    camera.Rotate(90.0f, 0.0f, 0.0f);
    ExpectVec(camera.GetForward(), glm::vec3(0, 0, -1));
}

TEST_F(CameraTest, MoveAndFlightFollowTheBasis)
{
    Camera camera;
    camera.LookAt(glm::vec3(0, 0, 0), glm::vec3(0, 0, -1));
    camera.Move(1.0f, 2.0f, 3.0f);
    ExpectVec(camera.GetEye(), glm::vec3(1, 2, -3));
    camera.SetPosition(glm::vec3(0, 0, 0));

    const float dt = 0.02f;
    const float half = 0.5f * 8.0f * dt * dt;
    camera.UpdatePosition(dt, glm::vec3(0, 0, 1));  // at rest: only the acceleration term
    ExpectVec(camera.GetEye(), glm::vec3(0, 0, -half), 1e-6f);
    ExpectVec(camera.GetVelocity(), glm::vec3(0, 0, 25));
    camera.UpdatePosition(dt, glm::vec3(0, 0, 1));
    ExpectVec(camera.GetEye(), glm::vec3(0, 0, -(2 * half + 25 * dt)), 1e-5f);
    ExpectVec(camera.GetVelocity(), glm::vec3(0, 0, 25));  // clamped
    camera.UpdatePosition(dt, glm::vec3(0, 0, 0));  // released: this frame still coasts
    glm::vec3 stopped = camera.GetEye();
    ExpectVec(camera.GetVelocity(), glm::vec3(0));
    camera.UpdatePosition(dt, glm::vec3(0, 0, 0));
    ExpectVec(camera.GetEye(), stopped, 0.0f);

    camera.UpdateVelocity(glm::vec3(-1, 0, 0));
    camera.UpdateVelocity(glm::vec3(-1, 0, 0));
    EXPECT_FLOAT_EQ(camera.GetVelocity().x, -25.0f);
    camera.UpdateVelocity(glm::vec3(1, 0, 0));  // reversing passes through 0
    EXPECT_FLOAT_EQ(camera.GetVelocity().x, 0.0f);
}

// ---- Reset and modes ------------------------------------------------------

TEST_F(CameraTest, FirstResetOfTheRunSits20BehindLaterOnes30)
{
    Camera camera;  // the constructor's Reset is the first of the run
    EXPECT_EQ(camera.GetMode(), Camera::MODE_ORBIT);
    ExpectVec(camera.GetEye(), glm::vec3(0, 13, 20));
    ExpectVec(camera.GetLookAtPoint(), glm::vec3(0));
    ExpectMat(camera.GetViewMatrix(), glm::lookAt(glm::vec3(0, 13, 20), glm::vec3(0), glm::vec3(0, 1, 0)));
    EXPECT_FLOAT_EQ(Camera::GetOrbitAngle(), 0.0f);
    EXPECT_EQ(Camera::GetStaticOffset(), glm::vec2(0, 30));

    camera.Reset();
    ExpectVec(camera.GetEye(), glm::vec3(0, 13, 30));
    Camera second;  // the statics are shared: a new camera is not "first"
    ExpectVec(second.GetEye(), glm::vec3(0, 13, 30));
    EXPECT_FLOAT_EQ(camera.GetOrbitDistance(), 30.0f);
    EXPECT_FLOAT_EQ(camera.GetOrbitHeight(), 13.0f);
}

TEST_F(CameraTest, ResetPlacesTheFreeAndFollowCameras)
{
    Camera camera;
    camera.SetMode(Camera::MODE_FREE);
    camera.Reset();
    ExpectVec(camera.GetEye(), glm::vec3(10, 20, 50));
    ExpectVec(camera.GetLookAtPoint(), glm::vec3(2, 2, 2));
    ExpectMat(camera.GetViewMatrix(), glm::lookAt(glm::vec3(10, 20, 50), glm::vec3(2), glm::vec3(0, 1, 0)));

    camera.SetMode(Camera::MODE_FOLLOW);
    camera.Reset();
    ExpectVec(camera.GetEye(), glm::vec3(0, 1.5f, 12));
    ExpectVec(camera.GetForward(), glm::normalize(glm::vec3(0, -1.5f, -12)));
}

TEST_F(CameraTest, ModeFollowsTheStateAndMenusFreezeTheCamera)
{
    Camera camera;
    camera.Update(0.016f, InState(30));
    EXPECT_EQ(camera.GetMode(), Camera::MODE_FREE);
    camera.Update(0.016f, InState(LEVEL));
    EXPECT_EQ(camera.GetMode(), Camera::MODE_ORBIT);
    camera.Update(0.016f, InState(31));
    EXPECT_EQ(camera.GetMode(), Camera::MODE_FREE);
    camera.Update(0.016f, InState(1));  // splash: mode kept
    EXPECT_EQ(camera.GetMode(), Camera::MODE_FREE);
    camera.Update(0.016f, InState(34));
    EXPECT_EQ(camera.GetMode(), Camera::MODE_ORBIT);
    EXPECT_FALSE(Camera::IsInMenu());

    // A menu (or the console) leaves the camera where it is.
    camera.Reset();
    glm::vec3 eye = camera.GetEye();
    CameraInput menu = InState(40);
    menu.keyO = true;
    menu.hasPlayerOne = true;
    menu.playerOne = glm::vec3(100, 0, 0);
    camera.Update(0.016f, menu);
    EXPECT_TRUE(Camera::IsInMenu());
    ExpectVec(camera.GetEye(), eye);
    ExpectVec(camera.GetFocus(), glm::vec3(100, 0, 0));  // the focus still follows

    CameraInput console = InState(LEVEL);
    console.consoleOpen = true;
    console.keyO = true;
    camera.Update(0.016f, console);
    EXPECT_FALSE(Camera::IsInMenu());
    EXPECT_FLOAT_EQ(camera.GetOrbitDistance(), 30.0f);
    ExpectVec(camera.GetEye(), eye);
}

// ---- Orbit ------------------------------------------------------------------

TEST_F(CameraTest, ZoomGrowsWhileHeldAndEasesBack)
{
    Camera camera;
    CameraInput held = InState(LEVEL);
    held.hasPlayerOne = true;
    held.playerOne = glm::vec3(2, 1, 3);
    held.keyO = true;

    float expected = 30.0f;
    int frames = 0;
    while (expected < 75.0f) {
        camera.Update(0.016f, held);
        expected *= 1.1f;
        ++frames;
        EXPECT_NEAR(camera.GetOrbitDistance(), expected, 1e-3f);
        EXPECT_NEAR(camera.GetOrbitHeight() / camera.GetOrbitDistance(), 13.0f / 30.0f, 1e-5f);
    }
    EXPECT_EQ(frames, 10);
    EXPECT_GT(camera.GetOrbitDistance(), 75.0f);  // the last step passes 75
    camera.Update(0.016f, held);
    EXPECT_NEAR(camera.GetOrbitDistance(), expected, 1e-3f);  // no further

    // The pad's left shoulder zooms as well.
    CameraInput released = held;
    released.keyO = false;
    camera.Update(0.016f, released);
    EXPECT_NEAR(camera.GetOrbitDistance(), expected / 1.05f, 1e-3f);

    for (int i = 0; i < 40; ++i) camera.Update(0.016f, released);
    EXPECT_EQ(camera.GetOrbitDistance(), 30.0f);
    EXPECT_EQ(camera.GetOrbitHeight(), 13.0f);
    ExpectVec(camera.GetEye(), glm::vec3(2, 14, 33));
    ExpectVec(camera.GetLookAtPoint(), glm::vec3(2, 1, 3));

    CameraInput shoulder = released;
    shoulder.padLeftShoulder = true;
    camera.Update(0.016f, shoulder);
    EXPECT_NEAR(camera.GetOrbitDistance(), 33.0f, 1e-4f);
}

TEST_F(CameraTest, TwoRobotsAreFramedTogether)
{
    Camera camera;
    CameraInput input = InState(Camera::TWO_PLAYER_STATE);
    input.hasPlayerOne = input.hasPlayerTwo = true;
    input.playerOne = glm::vec3(-10, 2, 4);
    input.playerTwo = glm::vec3(10, 7, -9);
    camera.Update(0.016f, input);
    // 20 apart is framed as 13.6 apart.
    EXPECT_NEAR(camera.GetOrbitDistance(), 51.0f, 1e-4f);
    EXPECT_NEAR(camera.GetOrbitHeight(), 22.1f, 1e-4f);
    ExpectVec(camera.GetLookAtPoint(), glm::vec3(0, 2, 4));
    ExpectVec(camera.GetEye(), glm::vec3(0, 2 + 22.1f, 4 + 51.0f));
    ExpectVec(camera.GetFocus(), glm::vec3(-10, 2, 4));

    input.playerTwo.x = -9.0f;  // too close: 4.5
    camera.Update(0.016f, input);
    EXPECT_NEAR(camera.GetOrbitDistance(), 30.0f / 8.0f * 4.5f, 1e-4f);

    input.keyUp = true;  // zoom out for the frame
    camera.Update(0.016f, input);
    EXPECT_NEAR(camera.GetOrbitDistance(), 30.0f / 8.0f * 4.5f * 1.1f, 1e-4f);
    input.keyUp = false;
    input.keyDown = true;
    camera.Update(0.016f, input);
    EXPECT_NEAR(camera.GetOrbitDistance(), 30.0f / 8.0f * 4.5f / 1.1f, 1e-4f);

    // Outside the two-player level, or with one robot missing, the focus orbit runs.
    input.keyDown = false;
    input.hasPlayerTwo = false;
    camera.Update(0.016f, input);
    ExpectVec(camera.GetLookAtPoint(), glm::vec3(-10, 2, 4));
}

TEST_F(CameraTest, QuarterTurnsEndExactlyAQuarterAway)
{
    Camera camera;
    CameraInput press = InState(LEVEL);
    press.keyE = true;
    CameraInput idle = InState(LEVEL);

    camera.Update(0.016f, press);
    EXPECT_TRUE(Camera::IsTurning());
    EXPECT_NEAR(Camera::GetOrbitAngle(), 0.04f, 1e-6f);
    int frames = 1;
    while (Camera::IsTurning() && frames < 100) {
        // Holding E (or pressing Q) during the turn starts nothing new.
        camera.Update(0.016f, frames % 2 ? press : idle);
        ++frames;
    }
    EXPECT_EQ(frames, 40);  // 39 full steps and a shortened last one
    EXPECT_NEAR(Camera::GetOrbitAngle(), Camera::QUARTER_TURN, 1e-5f);
    ExpectVec(camera.GetEye(), glm::vec3(30, 13, 0), 1e-3f);

    CameraInput back = InState(LEVEL);
    back.keyQ = true;
    camera.Update(0.016f, back);
    for (int i = 0; i < 60; ++i) camera.Update(0.016f, idle);
    EXPECT_FALSE(Camera::IsTurning());
    EXPECT_NEAR(Camera::GetOrbitAngle(), 0.0f, 1e-5f);
    ExpectVec(camera.GetEye(), glm::vec3(0, 13, 30), 1e-3f);
}

TEST_F(CameraTest, QuarterTurnKeepsTheStickTurningMadeDuringIt)
{
    Camera camera;
    CameraInput input = InState(LEVEL);
    input.keyE = true;
    input.padRightStickX = -20000;  // grows the angle as the turn does
    int frames = 0;
    do {
        camera.Update(0.016f, input);
        input.keyE = false;
        ++frames;
    } while (Camera::IsTurning() && frames < 100);
    ASSERT_EQ(frames, 40);
    // Forty stick steps plus exactly a quarter: no snap back at the end.
    const float expected = 40 * Camera::ORBIT_TURN_STEP + Camera::QUARTER_TURN;
    EXPECT_NEAR(Camera::GetOrbitAngle(), expected, 1e-4f);
    ExpectVec(camera.GetEye(), glm::vec3(30 * std::sin(expected), 13, 30 * std::cos(expected)), 1e-2f);

    // The stick against a Q turn: the two cancel but for the last step's rest.
    const float before = Camera::GetOrbitAngle();
    input.keyQ = true;
    frames = 0;
    do {
        camera.Update(0.016f, input);
        input.keyQ = false;
        ++frames;
    } while (Camera::IsTurning() && frames < 100);
    EXPECT_NEAR(Camera::GetOrbitAngle(), before + frames * Camera::ORBIT_TURN_STEP - Camera::QUARTER_TURN, 1e-4f);
}

TEST_F(CameraTest, RightStickTurnsBeyondItsDeadZone)
{
    Camera camera;
    CameraInput input = InState(LEVEL);
    input.padRightStickX = -8690;
    camera.Update(0.016f, input);
    EXPECT_NEAR(Camera::GetOrbitAngle(), 0.04f, 1e-6f);
    input.padRightStickX = 32767;
    camera.Update(0.016f, input);
    camera.Update(0.016f, input);
    EXPECT_NEAR(Camera::GetOrbitAngle(), -0.04f, 1e-6f);
    input.padRightStickX = -8689;
    camera.Update(0.016f, input);
    EXPECT_NEAR(Camera::GetOrbitAngle(), -0.04f, 1e-6f);
    ExpectVec(camera.GetEye(), glm::vec3(30 * std::sin(-0.04f), 13, 30 * std::cos(-0.04f)));
}

TEST_F(CameraTest, ShakeJittersWithTheGameGeneratorAndComesToRest)
{
    Camera camera;
    CameraInput input = InState(LEVEL);
    camera.Update(0.016f, input);
    camera.Update(0.016f, input);  // settled orbit
    ExpectVec(camera.GetEye(), glm::vec3(0, 13, 30));

    ResetRandom();
    int first = Random(), second = Random();
    ResetRandom();
    camera.StartShake();
    camera.Update(0.016f, input);
    EXPECT_EQ(camera.GetShakeFrame(), 2);
    ExpectVec(camera.GetEye(),
              glm::vec3((first % 20 - 10) / 300.0f * 30.0f, 13, 30 + (second % 20 - 10) / 300.0f * 30.0f));

    int steps = 1;
    while (camera.GetShakeFrame() != 0 && steps < 50) {
        camera.Update(0.016f, input);
        ++steps;
    }
    EXPECT_EQ(steps, Camera::SHAKE_FRAMES);
    camera.Update(0.016f, input);
    ExpectVec(camera.GetEye(), glm::vec3(0, 13, 30));
    ExpectMat(camera.GetViewMatrix(), glm::lookAt(glm::vec3(0, 13, 30), glm::vec3(0), glm::vec3(0, 1, 0)));
}

// ---- Free and follow cameras ---------------------------------------------

TEST_F(CameraTest, FreeCameraFliesAndTurns)
{
    Camera camera;
    CameraInput input = InState(30);
    camera.Update(0.016f, input);
    camera.Reset();
    glm::vec3 start = camera.GetEye();
    glm::vec3 forward = camera.GetForward();

    input.keyW = input.triggeredW = true;
    camera.Update(0.02f, input);
    input.triggeredW = false;
    camera.Update(0.02f, input);
    glm::vec3 moved = camera.GetEye() - start;
    EXPECT_NEAR(glm::length(moved), 25 * 0.02f + 2 * 0.5f * 8 * 0.02f * 0.02f, 1e-4f);
    ExpectVec(glm::normalize(moved), forward);
    ExpectVec(camera.GetForward(), forward);  // flying does not turn the view

    // E turns right by a degree a frame, and the turn lasts.
    input.keyW = false;
    input.keyE = true;
    camera.Update(0.016f, input);
    input.keyE = false;
    camera.Update(0.016f, input);
    glm::vec3 flat(forward.x, 0, forward.z);
    glm::vec3 now(camera.GetForward().x, 0, camera.GetForward().z);
    float turned = glm::degrees(std::atan2(glm::cross(flat, now).y, glm::dot(flat, now)));
    EXPECT_NEAR(turned, -1.0f, 1e-3f);  // clockwise seen from above
}

TEST_F(CameraTest, MouseLookNeedsBothAxesAndAButton)
{
    Camera camera;
    CameraInput input = InState(30);
    input.hasCursor = true;
    input.windowWidth = 800;
    input.windowHeight = 600;
    input.cursorX = 400;
    input.cursorY = 300;
    camera.Update(0.016f, input);
    camera.Reset();
    camera.Update(0.016f, input);
    const glm::vec3 forward = camera.GetForward();
    const float pitch = camera.GetPitch();

    input.middleButton = true;
    input.cursorX += 50;  // horizontal only
    camera.Update(0.016f, input);
    ExpectVec(camera.GetForward(), forward);

    input.middleButton = false;
    input.cursorX += 50;
    input.cursorY += 50;  // both axes, no button
    camera.Update(0.016f, input);
    ExpectVec(camera.GetForward(), forward);

    input.alt = true;
    input.cursorX += 20;
    input.cursorY += 20;  // both axes with Alt: 0.32 degrees each
    camera.Update(0.016f, input);
    EXPECT_NEAR(camera.GetPitch(), pitch + 0.32f, 1e-3f);
    EXPECT_GT(glm::length(camera.GetForward() - forward), 1e-3f);
}

TEST_F(CameraTest, FollowCameraSitsBehindTheFocus)
{
    Camera camera;
    camera.SetMode(Camera::MODE_FOLLOW);
    CameraInput input = InState(1);  // a state that leaves the mode alone
    input.hasPlayerOne = true;
    input.playerOne = glm::vec3(5, 0, -5);
    camera.Update(0.016f, input);
    glm::vec3 forwardBefore = camera.GetForward();
    camera.Update(0.016f, input);
    ExpectVec(camera.GetLookAtPoint(), glm::vec3(5, 0, -5));
    // The eye sits 12 behind the focus along the previous view, 1.5 up.
    glm::vec3 offset = camera.GetEye() - glm::vec3(5, 0, -5);
    EXPECT_NEAR(offset.y, 1.5f - 12.0f * forwardBefore.y, 1e-3f);
    EXPECT_NEAR(glm::length(glm::vec3(offset.x, 0, offset.z)), 12.0f * glm::length(glm::vec2(forwardBefore.x, forwardBefore.z)),
                1e-3f);
}

// ---- What the camera reads from the System --------------------------------

TEST_F(CameraTest, FollowsOnlyALivePlayerInTheSystemSlots)
{
    GameObject one, two;
    one.type = PLAYER;
    one.flags = OBJ_ALIVE | OBJ_ACTIVE;
    one.position = glm::vec3(3, 1, 2);
    two.type = PLAYER;
    two.flags = OBJ_ALIVE;
    two.position = glm::vec3(-3, 1, 2);
    System* system = System::GetInstance();
    system->playerOne = &one;
    system->playerTwo = &two;

    CameraInput input = Camera::ReadInput();
    EXPECT_TRUE(input.hasPlayerOne);
    EXPECT_TRUE(input.hasPlayerTwo);
    EXPECT_EQ(input.playerOne, glm::vec3(3, 1, 2));
    EXPECT_EQ(input.playerTwo, glm::vec3(-3, 1, 2));

    Camera camera;
    ExpectVec(camera.GetFocus(), glm::vec3(3, 1, 2));
    ExpectVec(camera.GetEye(), glm::vec3(3, 14, 22));

    // The level is gone and the pool slot now holds a crate, or nothing.
    one.type = CRATE;
    two.flags = 0;
    input = Camera::ReadInput();
    EXPECT_FALSE(input.hasPlayerOne);
    EXPECT_FALSE(input.hasPlayerTwo);
    camera.Update(0.016f);
    ExpectVec(camera.GetFocus(), glm::vec3(3, 1, 2));  // kept, not the crate's
    camera.Reset();
    ExpectVec(camera.GetFocus(), glm::vec3(0));
    system->playerOne = system->playerTwo = nullptr;
}

TEST_F(CameraTest, UnprojectMapsTheWindowCornersOntoTheFrustum)
{
    Camera camera;
    const int w = 800, h = 600;
    camera.SetPerspective(45.0f, static_cast<float>(w) / h, 1.0f, 500.0f);
    camera.LookAt(glm::vec3(0, 0, 0), glm::vec3(0, 0, -1));
    const glm::vec4 viewport(0, 0, w, h);
    const float halfW = std::tan(glm::radians(22.5f));  // the given field of view spans the width
    const float halfH = halfW * h / w;

    ExpectVec(camera.Unproject(0, 0, 0, w, h), glm::vec3(-halfW, -halfH, -1));
    ExpectVec(camera.Unproject(w, h, 0, w, h), glm::vec3(halfW, halfH, -1));
    ExpectVec(camera.Unproject(w / 2.0f, h / 2.0f, 0, w, h), glm::vec3(0, 0, -1));
    ExpectVec(camera.Unproject(w, 0, 1, w, h), glm::vec3(500 * halfW, -500 * halfH, -500), 0.05f);

    // From any viewpoint it agrees with the library's unprojection.
    camera.LookAt(glm::vec3(3, 13, 30), glm::vec3(1, 0, -2));
    for (glm::vec3 win : {glm::vec3(0, 0, 0), glm::vec3(w, h, 1), glm::vec3(17, 590, 0.5f), glm::vec3(w, 0, 0.9f)}) {
        glm::vec3 expected =
            glm::unProject(win, camera.GetViewMatrix(), camera.GetProjectionMatrix(), viewport);
        ExpectVec(camera.Unproject(win.x, win.y, win.z, w, h), expected, 1e-3f * (1 + glm::length(expected)));
    }
    // A zero-sized window does not divide by zero.
    glm::vec3 p = camera.Unproject(0, 0, 0, 0, 0);
    EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
}

namespace {
class IdleState : public GameState
{
public:
    void Load() override {}
    void Init() override {}
    void Update(GameStateManager&) override {}
    void Free() override {}
    void Unload() override {}
};
} // namespace

TEST_F(CameraTest, TheModeComesFromTheGameStateManager)
{
    IdleState editor;
    BindStateObject(StateObjectKind::LevelEditor, &editor);
    GameStateManager states;
    System::GetInstance()->gameStateManager = &states;
    EXPECT_EQ(Camera::ReadInput().stateId, 1);

    Camera camera;
    ASSERT_TRUE(states.ChangeState(30));
    EXPECT_EQ(Camera::ReadInput().stateId, 30);
    camera.Update(0.016f);
    EXPECT_EQ(camera.GetMode(), Camera::MODE_FREE);

    states.Shutdown();
    System::GetInstance()->gameStateManager = nullptr;
    BindStateObject(StateObjectKind::LevelEditor, nullptr);
}

TEST_F(CameraTest, KeysAndPadComeFromTheInputManagerAndPadZero)
{
    System* system = System::GetInstance();
    InputManager keys;  // clears both key arrays
    Controller pad(0);
    system->inputManager = &keys;
    system->pad0 = &pad;

    InputManager::current[KEY_A + ('W' - 'A')] = 1;  // W pressed this frame
    InputManager::current[KEY_A + ('S' - 'A')] = 1;
    InputManager::previous[KEY_A + ('S' - 'A')] = 1;  // S held from before
    InputManager::current[KEY_A + ('O' - 'A')] = 1;
    InputManager::current[KEY_MBUTTON] = 1;
    InputManager::current[KEY_DOWN] = 1;
    pad.m_state.Gamepad.sThumbRX = -20000;
    pad.m_leftShoulderHeld = true;

    CameraInput input = Camera::ReadInput();
    EXPECT_TRUE(input.keyW && input.triggeredW);
    EXPECT_TRUE(input.keyS && !input.triggeredS);
    EXPECT_TRUE(input.keyO);
    EXPECT_TRUE(input.middleButton);
    EXPECT_TRUE(input.keyDown);
    EXPECT_FALSE(input.keyQ || input.keyE || input.keyA || input.keyUp || input.alt);
    EXPECT_EQ(input.padRightStickX, -20000);
    EXPECT_TRUE(input.padLeftShoulder);

    InputManager cleared;  // leaves no key down for later tests
    system->inputManager = nullptr;
    system->pad0 = nullptr;
}
