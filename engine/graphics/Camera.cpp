#include "engine/graphics/Camera.h"

#include <algorithm>
#include <cmath>

#include "engine/core/Controller.h"
#include "engine/core/EngineDoor.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/Random.h"
#include "engine/core/System.h"
#include "engine/objects/GameObject.h"
#include "engine/platform/Mouse.h"

namespace QRX {

namespace {
constexpr float RAD_TO_DEG = 180.0f / 3.14159265358979f;
constexpr float DEG_TO_RAD = 3.14159265358979f / 180.0f;
const glm::vec3 WORLD_UP(0.0f, 1.0f, 0.0f);
const glm::vec3 FREE_START_EYE(10.0f, 20.0f, 50.0f);
const glm::vec3 FREE_START_TARGET(2.0f, 2.0f, 2.0f);
// Below this length a direction has no usable orientation.
constexpr float DEGENERATE_LENGTH = 1e-6f;

bool NearlyZero(float v) { return ApproximatelyEqual(v, 0.0f); }
} // namespace

float Camera::s_orbitAngle = 0.0f;
glm::vec3 Camera::s_savedOrbitOffset(0.0f);
float Camera::s_offsetX = 0.0f;
float Camera::s_offsetZ = Camera::START_OFFSET_Z;
float Camera::s_turnProgress = 0.0f;
bool Camera::s_turnGrowing = false;
bool Camera::s_turnShrinking = false;
int Camera::s_previousStateId = 0;
bool Camera::s_inMenu = false;

void Camera::ResetStatics()
{
    s_orbitAngle = 0.0f;
    s_savedOrbitOffset = glm::vec3(0.0f);
    s_offsetX = 0.0f;
    s_offsetZ = START_OFFSET_Z;
    s_turnProgress = 0.0f;
    s_turnGrowing = false;
    s_turnShrinking = false;
    s_previousStateId = 0;
    s_inMenu = false;
}

Camera::Camera()
{
    m_orbitOffset = glm::vec3(s_offsetX, m_orbitHeight, START_OFFSET_Z);
    Reset();
}

void Camera::Reset()
{
    m_orbitDistance = ORBIT_DISTANCE;
    m_orbitHeight = ORBIT_HEIGHT;
    UpdateViewMatrix();
    const CameraInput input = ReadInput();
    m_focus = input.hasPlayerOne ? input.playerOne : glm::vec3(0.0f);

    if (m_mode == MODE_FOLLOW) {
        m_eye = m_focus;
        UpdateViewMatrix();
        m_eye = m_focus + glm::vec3(0.0f, m_followHeight, -m_followDistance);
        // The follow view aims at the focus (kept as the look-at point so the
        // per-frame LookAt aims there too).
        m_lookAt = m_focus;
        LookAt(m_eye, m_lookAt);
    } else if (m_mode == MODE_FREE) {
        m_eye = FREE_START_EYE;
        m_lookAt = FREE_START_TARGET;
        LookAt(m_eye, m_lookAt);
    } else {
        // The offset is taken before the angle goes back to 0, so the very
        // first Reset of a run sits 20 behind the focus and later ones 30.
        if (!m_orbitDirty) m_orbitOffset = glm::vec3(s_offsetX, m_orbitHeight, s_offsetZ);
        s_orbitAngle = 0.0f;
        s_offsetX = std::sin(0.0f) * m_orbitDistance;
        s_offsetZ = std::cos(0.0f) * m_orbitDistance;
        m_eye = m_focus + m_orbitOffset;
        m_lookAt = m_focus;
        LookAt(m_eye, m_lookAt);
    }
}

void Camera::LookAt(const glm::vec3& eye, const glm::vec3& target)
{
    m_eye = eye;
    glm::vec3 back = eye - target;
    float backLength = glm::length(back);
    if (!(backLength > DEGENERATE_LENGTH) || !std::isfinite(backLength)) {
        // No direction to look along: keep the orientation, move the eye.
        UpdateViewMatrix();
        return;
    }
    back /= backLength;
    glm::vec3 right = glm::cross(WORLD_UP, back);
    float rightLength = glm::length(right);
    if (rightLength > DEGENERATE_LENGTH) {
        right /= rightLength;
    } else {
        // Straight up or down: the previous right vector, made perpendicular.
        right = m_right - back * glm::dot(m_right, back);
        rightLength = glm::length(right);
        right = (rightLength > DEGENERATE_LENGTH) ? right / rightLength : glm::vec3(1.0f, 0.0f, 0.0f);
    }
    glm::vec3 up = glm::normalize(glm::cross(back, right));

    m_back = back;
    m_forward = -back;
    m_right = right;
    m_up = up;

    glm::mat4 view(1.0f);
    view[0][0] = right.x;
    view[1][0] = right.y;
    view[2][0] = right.z;
    view[0][1] = up.x;
    view[1][1] = up.y;
    view[2][1] = up.z;
    view[0][2] = back.x;
    view[1][2] = back.y;
    view[2][2] = back.z;
    view[3][0] = -glm::dot(right, eye);
    view[3][1] = -glm::dot(up, eye);
    view[3][2] = -glm::dot(back, eye);
    m_viewMatrix = view;

    m_pitch = std::asin(std::clamp(back.y, -1.0f, 1.0f)) * RAD_TO_DEG;
    m_orientation = Quaternion::FromMatrix(glm::mat3(view));
}

void Camera::UpdateViewMatrix()
{
    glm::mat3 rotation = m_orientation.ToMatrix();
    glm::mat4 view(rotation);
    m_right = glm::vec3(rotation[0][0], rotation[1][0], rotation[2][0]);
    m_up = glm::vec3(rotation[0][1], rotation[1][1], rotation[2][1]);
    m_back = glm::vec3(rotation[0][2], rotation[1][2], rotation[2][2]);
    m_forward = -m_back;
    view[3][0] = -glm::dot(m_right, m_eye);
    view[3][1] = -glm::dot(m_up, m_eye);
    view[3][2] = -glm::dot(m_back, m_eye);
    m_viewMatrix = view;
}

void Camera::SetPerspective(float fovDegrees, float aspect, float nearPlane, float farPlane)
{
    if (!(aspect > 0.0f) || !std::isfinite(aspect) || nearPlane == farPlane) {
        QRX_LOG_WARNING("Camera projection refused (aspect %f, near %f, far %f); keeping the previous one.",
                        static_cast<double>(aspect), static_cast<double>(nearPlane),
                        static_cast<double>(farPlane));
        return;
    }
    // The given field of view spans the width; the vertical one follows.
    float e = 1.0f / std::tan(0.5f * fovDegrees * DEG_TO_RAD);
    float fovy = 2.0f * std::atan(1.0f / (aspect * e));
    float f = 1.0f / std::tan(0.5f * fovy);

    glm::mat4 projection(0.0f);
    projection[0][0] = f / aspect;
    projection[1][1] = f;
    projection[2][2] = (nearPlane + farPlane) / (nearPlane - farPlane);
    projection[2][3] = -1.0f;
    projection[3][2] = 2.0f * farPlane * nearPlane / (nearPlane - farPlane);
    m_projectionMatrix = projection;

    m_fov = fovDegrees;
    m_aspect = aspect;
    m_near = nearPlane;
    m_far = farPlane;
}

glm::mat4 Camera::BuildInfiniteProjection(float aspect) const
{
    if (!(aspect > 0.0f) || !std::isfinite(aspect)) aspect = 1.0f;
    // Same frustum as SetPerspective, with the far plane pushed to infinity
    // (depth just short of 1 so the sky is not clipped).
    float e = 1.0f / std::tan(0.5f * m_fov * DEG_TO_RAD);
    float fovy = 2.0f * std::atan(1.0f / (aspect * e));
    float c = std::cos(0.5f * fovy) / std::sin(0.5f * fovy);
    glm::mat4 projection(0.0f);
    projection[0][0] = c / aspect;
    projection[1][1] = c;
    projection[2][2] = -0.999f;
    projection[2][3] = -1.0f;
    projection[3][2] = -1.999f * m_near;
    return projection;
}

glm::vec3 Camera::Unproject(float winX, float winY, float depth, int width, int height) const
{
    const float w = static_cast<float>(width > 0 ? width : 1);
    const float h = static_cast<float>(height > 0 ? height : 1);
    glm::vec4 ndc(2.0f * winX / w - 1.0f, 2.0f * winY / h - 1.0f, 2.0f * depth - 1.0f, 1.0f);
    glm::vec4 world = glm::inverse(m_projectionMatrix * m_viewMatrix) * ndc;
    return glm::vec3(world) / world.w;
}

void Camera::SetPosition(const glm::vec3& eye)
{
    m_eye = eye;
    UpdateViewMatrix();
}

void Camera::Move(float dx, float dy, float dz)
{
    m_eye += dx * m_right + dy * WORLD_UP + dz * m_forward;
    UpdateViewMatrix();
}

void Camera::Rotate(float yawDegrees, float pitchDegrees, float rollDegrees)
{
    if (m_mode == MODE_FREE || m_mode == MODE_FOLLOW) {
        RotateYawPitch(-yawDegrees, -pitchDegrees);
    } else if (m_mode == MODE_ORBIT) {
        m_orientation *= Quaternion::FromEuler(-pitchDegrees, -yawDegrees, -rollDegrees);
        m_orientation.Normalize();
    }
    UpdateViewMatrix();
}

void Camera::RotateYawPitch(float yawDegrees, float pitchDegrees)
{
    float before = m_pitch;
    m_pitch += pitchDegrees;
    if (m_pitch > 90.0f) {
        pitchDegrees = 90.0f - before;
        m_pitch = 90.0f;
    } else if (m_pitch < 0.0f) {
        pitchDegrees = -before;
        m_pitch = 0.0f;
    }

    // The view rotation is world-to-camera: a turn about the world Y axis
    // lands on its right (world) side, a turn about the camera's own X axis
    // on its left side. With *= putting its argument on the left, that is
    // rot * orientation and orientation * rot respectively.
    if (yawDegrees != 0.0f) {
        Quaternion rot = Quaternion::FromAxisAngle(WORLD_UP, yawDegrees);
        m_orientation = rot * m_orientation;
    }
    if (pitchDegrees != 0.0f) {
        Quaternion rot = Quaternion::FromAxisAngle(glm::vec3(1.0f, 0.0f, 0.0f), pitchDegrees);
        m_orientation = m_orientation * rot;
    }
    m_orientation.Normalize();
}

void Camera::UpdatePosition(float dt, const glm::vec3& direction)
{
    glm::vec3 displacement(0.0f);
    for (int axis = 0; axis < 3; ++axis) {
        if (direction[axis] != 0.0f || !NearlyZero(m_velocity[axis])) {
            displacement[axis] = m_velocity[axis] * dt + 0.5f * m_acceleration[axis] * dt * dt;
        }
    }
    Move(displacement.x, displacement.y, displacement.z);
    UpdateVelocity(direction);
}

void Camera::UpdateVelocity(const glm::vec3& direction)
{
    for (int axis = 0; axis < 3; ++axis) {
        if (direction[axis] == 0.0f) {
            m_velocity[axis] = 0.0f;
        } else {
            m_velocity[axis] += m_maxVelocity[axis] * direction[axis];
            m_velocity[axis] = std::clamp(m_velocity[axis], -m_maxVelocity[axis], m_maxVelocity[axis]);
        }
    }
}

void Camera::Update(float dt) { Update(dt, ReadInput()); }

namespace {
// A player slot counts only while it holds a live PLAYER: the slots are not
// cleared when a level ends, and the pool reuses their objects.
bool LivePlayer(const GameObject* object, glm::vec3& position)
{
    if (!object || !(object->flags & OBJ_ALIVE) || object->type != PLAYER) return false;
    position = object->position;
    return true;
}
} // namespace

CameraInput Camera::ReadInput()
{
    CameraInput input;
    System* system = System::GetInstance();
    input.hasPlayerOne = LivePlayer(system->playerOne, input.playerOne);
    input.hasPlayerTwo = LivePlayer(system->playerTwo, input.playerTwo);
    if (system->gameStateManager && Door().currentState) input.stateId = Door().currentState();
    input.consoleOpen = InputManager::IsKeyboardTaken();

    if (system->inputManager) {
        auto held = [](char letter) { return InputManager::IsHeld(KEY_A + (letter - 'A')); };
        auto triggered = [](char letter) { return InputManager::IsTriggered(KEY_A + (letter - 'A')); };
        input.keyW = held('W');
        input.keyS = held('S');
        input.keyA = held('A');
        input.keyD = held('D');
        input.keyR = held('R');
        input.keyF = held('F');
        input.triggeredW = triggered('W');
        input.triggeredS = triggered('S');
        input.triggeredA = triggered('A');
        input.triggeredD = triggered('D');
        input.triggeredR = triggered('R');
        input.triggeredF = triggered('F');
        input.keyQ = held('Q');
        input.keyE = held('E');
        input.keyO = held('O');
        input.keyUp = InputManager::IsHeld(KEY_UP);
        input.keyDown = InputManager::IsHeld(KEY_DOWN);
        input.middleButton = InputManager::IsHeld(KEY_MBUTTON);
        input.alt = InputManager::IsHeld(KEY_ALT);
    }
    if (system->pad0) {
        input.padRightStickX = system->pad0->m_state.Gamepad.sThumbRX;
        input.padLeftShoulder = system->pad0->m_leftShoulderHeld;
    }
    input.hasCursor = Platform::GetCursorClientPosition(input.cursorX, input.cursorY) &&
                      Platform::GetCursorWindowSize(input.windowWidth, input.windowHeight);
    return input;
}

void Camera::Update(float dt, const CameraInput& input)
{
    if (m_shakeFrame != 0) Shake();

    if (input.stateId >= FIRST_LEVEL_STATE && input.stateId <= LAST_LEVEL_STATE) m_mode = MODE_ORBIT;
    if (input.stateId == EDITOR_STATE || input.stateId == EDITOR_NEXT_STATE) m_mode = MODE_FREE;
    s_inMenu = input.stateId >= FIRST_MENU_STATE && input.stateId <= LAST_MENU_STATE;

    if (input.hasPlayerOne) m_focus = input.playerOne;

    if (input.consoleOpen || s_inMenu) return;

    if (m_mode == MODE_ORBIT) {
        bool sameState = input.stateId == s_previousStateId;
        s_previousStateId = input.stateId;
        if (m_orbitOffset != s_savedOrbitOffset && sameState) {
            m_orbitDirty = true;
            OffsetFromAngle();
            s_savedOrbitOffset = m_orbitOffset;
            m_orbitDirty = false;
        }
    }

    if (m_mode == MODE_FOLLOW) {
        MouseLook(dt, input);
        // The follow distance is negative: the eye sits behind the focus.
        m_eye = m_focus + m_followDistance * m_forward + glm::vec3(0.0f, m_followHeight, 0.0f);
        m_lookAt = m_focus;
    } else if (m_mode == MODE_FREE) {
        FreeFlight(dt, input);
    }

    if (m_mode == MODE_ORBIT && m_shakeFrame == 0) {
        if (input.stateId == TWO_PLAYER_STATE && input.hasPlayerOne && input.hasPlayerTwo) {
            OrbitTwoPlayers(input);
        } else {
            OrbitFocus(input);
        }
    }

    LookAt(m_eye, m_lookAt);
}

void Camera::OffsetFromAngle()
{
    s_offsetX = std::sin(s_orbitAngle) * m_orbitDistance;
    s_offsetZ = std::cos(s_orbitAngle) * m_orbitDistance;
    m_orbitOffset = glm::vec3(s_offsetX, m_orbitHeight, s_offsetZ);
}

void Camera::FreeFlight(float dt, const CameraInput& input)
{
    glm::vec3 direction(0.0f);
    if (input.keyW) {
        if (input.triggeredW) m_velocity.z = 0.0f;
        direction.z += 1.0f;
    }
    if (input.keyS) {
        if (input.triggeredS) m_velocity.z = 0.0f;
        direction.z -= 1.0f;
    }
    if (input.keyD) {
        if (input.triggeredD) m_velocity.x = 0.0f;
        direction.x += 1.0f;
    }
    if (input.keyA) {
        if (input.triggeredA) m_velocity.x = 0.0f;
        direction.x -= 1.0f;
    }
    if (input.keyR) {
        if (input.triggeredR) m_velocity.y = 0.0f;
        direction.y += 1.0f;
    }
    if (input.keyF) {
        if (input.triggeredF) m_velocity.y = 0.0f;
        direction.y -= 1.0f;
    }
    if (input.keyQ) Rotate(1.0f, 0.0f, 0.0f);
    if (input.keyE) Rotate(-1.0f, 0.0f, 0.0f);
    MouseLook(dt, input);
    UpdatePosition(dt, direction);

    // The frame ends with LookAt at the look-at point; keep that point ahead
    // of the eye along the view the keys and mouse produced, at its distance.
    float distance = glm::length(m_lookAt - m_eye);
    if (!(distance > DEGENERATE_LENGTH)) distance = 1.0f;
    m_lookAt = m_eye + m_forward * distance;
}

void Camera::MouseLook(float dt, const CameraInput& input)
{
    if (!input.hasCursor) return;
    const float s = dt;
    if (m_mode == MODE_FREE) {
        int dx = input.cursorX - m_lastMouseX;
        int dy = input.cursorY - m_lastMouseY;
        m_lastMouseX = input.cursorX;
        m_lastMouseY = input.cursorY;
        float yaw = s * static_cast<float>(dx);
        float pitch = s * static_cast<float>(dy);
        if (std::fabs(yaw) > MOUSE_LOOK_THRESHOLD && std::fabs(pitch) > MOUSE_LOOK_THRESHOLD &&
            (input.middleButton || input.alt)) {
            Rotate(-yaw, -pitch, 0.0f);
        }
    } else if (m_mode == MODE_FOLLOW) {
        int centreX = input.windowWidth / 2;
        int centreY = input.windowHeight / 2;
        float yaw = s * static_cast<float>(input.cursorX - centreX);
        float pitch = s * static_cast<float>(input.cursorY - centreY);
        if (std::fabs(yaw) > MOUSE_LOOK_THRESHOLD && std::fabs(pitch) > MOUSE_LOOK_THRESHOLD) {
            Rotate(-yaw, -pitch, 0.0f);
        }
        Platform::WarpCursor(centreX, centreY);
    }
}

void Camera::OrbitTwoPlayers(const CameraInput& input)
{
    m_focus = input.playerOne;
    float spread = std::fabs(input.playerOne.x - input.playerTwo.x);
    spread = std::clamp(spread, TWO_PLAYER_MIN_SPREAD, TWO_PLAYER_MAX_SPREAD);
    float centreX = 0.5f * (input.playerOne.x + input.playerTwo.x);
    m_orbitDistance = (ORBIT_DISTANCE / m_referenceDistance) * spread;
    m_orbitHeight = (ORBIT_HEIGHT / m_referenceDistance) * spread;
    if (input.keyUp && m_orbitDistance < ORBIT_MAX_DISTANCE) {
        m_orbitDistance *= ZOOM_OUT_FACTOR;
        m_orbitHeight *= ZOOM_OUT_FACTOR;
    }
    if (input.keyDown && m_orbitDistance > ORBIT_MIN_DISTANCE) {
        m_orbitDistance /= ZOOM_OUT_FACTOR;
        m_orbitHeight /= ZOOM_OUT_FACTOR;
    }
    OffsetFromAngle();
    glm::vec3 centre(centreX, m_focus.y, m_focus.z);
    m_eye = centre + m_orbitOffset;
    m_lookAt = centre;
}

void Camera::OrbitFocus(const CameraInput& input)
{
    PadControl(input);
    if (input.keyO || input.padLeftShoulder) {
        if (m_orbitDistance < ORBIT_MAX_DISTANCE) {
            m_orbitDistance *= ZOOM_OUT_FACTOR;
            m_orbitHeight *= ZOOM_OUT_FACTOR;
        }
    } else if (m_orbitDistance > ORBIT_DISTANCE) {
        m_orbitDistance /= ZOOM_BACK_FACTOR;
        m_orbitHeight /= ZOOM_BACK_FACTOR;
        if (m_orbitDistance < ORBIT_DISTANCE) {
            m_orbitDistance = ORBIT_DISTANCE;
            m_orbitHeight = ORBIT_HEIGHT;
        }
    }
    OffsetFromAngle();
    m_eye = m_focus + m_orbitOffset;
    m_lookAt = m_focus;
}

void Camera::PadControl(const CameraInput& input)
{
    if (std::abs(input.padRightStickX) > PAD_STICK_THRESHOLD) {
        s_orbitAngle += (input.padRightStickX < 0) ? ORBIT_TURN_STEP : -ORBIT_TURN_STEP;
    }

    if (!IsTurning()) {
        if (input.keyE) {
            s_turnGrowing = true;
        } else if (input.keyQ) {
            s_turnShrinking = true;
        }
        if (IsTurning()) s_turnProgress = 0.0f;
    }
    if (IsTurning()) {
        const float sign = s_turnGrowing ? 1.0f : -1.0f;
        s_turnProgress += ORBIT_TURN_STEP;
        if (s_turnProgress >= QUARTER_TURN) {
            // Last step: only the overshoot is taken back, so the turn adds
            // exactly a quarter and the stick's turning during it stays.
            s_orbitAngle += sign * (ORBIT_TURN_STEP - (s_turnProgress - QUARTER_TURN));
            s_turnProgress = 0.0f;
            s_turnGrowing = false;
            s_turnShrinking = false;
        } else {
            s_orbitAngle += sign * ORBIT_TURN_STEP;
        }
    }
}

void Camera::Shake()
{
    if (m_shakeFrame == 0) return;
    s_offsetX += static_cast<float>((Random() % 20) - 10) * SHAKE_SCALE * m_orbitDistance;
    s_offsetZ += static_cast<float>((Random() % 20) - 10) * SHAKE_SCALE * m_orbitDistance;
    ++m_shakeFrame;
    if (m_shakeFrame > SHAKE_FRAMES) m_shakeFrame = 0;
    m_orbitOffset = glm::vec3(s_offsetX, m_orbitHeight, s_offsetZ);
    m_eye = m_focus + m_orbitOffset;
    m_lookAt = m_focus;
    LookAt(m_eye, m_lookAt);
    UpdateViewMatrix();
}

} // namespace QRX
