// The single view of the scene.
//
// The renderer owns the camera, steps it once a frame (Update, then
// UpdateViewMatrix) and sets its projection on resize; the System keeps a
// second pointer to it. Three modes:
//   0 free: flown with W/S/A/D/R/F, turned with Q/E and the mouse (level editor);
//   1 follow: behind the focus along the view direction, turned by the mouse;
//   2 orbit (default): circles the focus at a distance and height, turned by
//     pad 0's right stick or by quarter turns (Q/E), zoomed by O or pad 0's
//     left shoulder, shaken on request, and in the two-player level framed
//     around both robots.
// The mode follows the current game state every frame. The view matrix keeps
// right, up and back as its rotation rows (as gluLookAt builds it); the
// orientation quaternion holds that rotation. Angles handed to Rotate and
// RotateYawPitch are degrees; the orbit angle is radians.
//
// The orbit angle, the orbit offset's x and z, the quarter-turn state, the
// previous state id and the in-menu flag are statics shared by every camera
// and kept across state changes; Reset returns the angle to 0.
#pragma once
#include <glm/glm.hpp>

#include "engine/graphics/Quaternion.h"

namespace QRX {

// What one frame of the camera reads from the rest of the program.
struct CameraInput
{
    int stateId = 0;           // the game-state manager's current state id
    bool consoleOpen = false;
    bool hasPlayerOne = false;  // a live PLAYER object in the System's player-one slot
    glm::vec3 playerOne{0.0f};
    bool hasPlayerTwo = false;
    glm::vec3 playerTwo{0.0f};

    // Keys: held now, and triggered (down now, up last frame) where it matters.
    bool keyW = false, keyS = false, keyA = false, keyD = false, keyR = false, keyF = false;
    bool triggeredW = false, triggeredS = false, triggeredA = false;
    bool triggeredD = false, triggeredR = false, triggeredF = false;
    bool keyQ = false, keyE = false, keyO = false;
    bool keyUp = false, keyDown = false;
    bool middleButton = false, alt = false;

    int padRightStickX = 0;  // pad 0, after its dead zone
    bool padLeftShoulder = false;

    bool hasCursor = false;  // cursor and window size known
    int cursorX = 0, cursorY = 0;  // client pixels, y down
    int windowWidth = 0, windowHeight = 0;
};

class Camera
{
public:
    enum Mode { MODE_FREE = 0, MODE_FOLLOW = 1, MODE_ORBIT = 2 };

    static constexpr float FOLLOW_DISTANCE = -12.0f;
    static constexpr float FOLLOW_HEIGHT = 1.5f;
    static constexpr float ORBIT_DISTANCE = 30.0f;
    static constexpr float ORBIT_HEIGHT = 13.0f;
    static constexpr float ORBIT_MAX_DISTANCE = 75.0f;
    static constexpr float ORBIT_MIN_DISTANCE = 5.0f;  // two-player zoom-in limit
    static constexpr float ZOOM_OUT_FACTOR = 1.1f;
    static constexpr float ZOOM_BACK_FACTOR = 1.05f;
    static constexpr float REFERENCE_DISTANCE = 8.0f;
    static constexpr float TWO_PLAYER_MIN_SPREAD = 4.5f;
    static constexpr float TWO_PLAYER_MAX_SPREAD = 13.6f;
    static constexpr float ORBIT_TURN_STEP = 0.04f;       // radians a frame
    static constexpr float QUARTER_TURN = 1.5707964f;     // radians
    static constexpr int PAD_STICK_THRESHOLD = 8689;
    static constexpr int SHAKE_FRAMES = 10;
    static constexpr float SHAKE_SCALE = 1.0f / 300.0f;   // of the orbit distance per step unit
    static constexpr float MOUSE_LOOK_THRESHOLD = 0.0015f;
    static constexpr float START_OFFSET_Z = 20.0f;        // the orbit offset's z at program start

    static constexpr int TWO_PLAYER_STATE = 15;
    static constexpr int FIRST_LEVEL_STATE = 3;
    static constexpr int LAST_LEVEL_STATE = 34;
    static constexpr int EDITOR_STATE = 30;
    static constexpr int EDITOR_NEXT_STATE = 31;
    static constexpr int FIRST_MENU_STATE = 35;
    static constexpr int LAST_MENU_STATE = 52;

    // Defaults (orbit mode, identity orientation), then Reset.
    Camera();

    // Orbit distance and height back to 30 and 13, focus on player one (or
    // the origin), then by mode: follow, eye 12 behind and 1.5 above the
    // focus; free, eye (10, 20, 50) looking at (2, 2, 2); orbit, eye at focus
    // + (offset x, 13, offset z) as the statics held them (0, 20 at program
    // start), after which the angle returns to 0 and the offset to (0, 30).
    // The game states call it when a level starts.
    void Reset();

    // Points the camera from eye at target and rebuilds view, basis, pitch
    // and orientation. A target on the eye, or straight above or below it,
    // keeps the previous right vector so the view stays finite.
    void LookAt(const glm::vec3& eye, const glm::vec3& target);
    // Rebuilds the view matrix and basis from the orientation and the eye.
    void UpdateViewMatrix();

    // Perspective projection. fovDegrees is the horizontal field of view; the
    // vertical one follows from the aspect ratio. A non-positive or
    // non-finite aspect, or near == far, keeps the previous projection (warning).
    void SetPerspective(float fovDegrees, float aspect, float nearPlane, float farPlane);
    // The projection with its far plane at infinity that the main pass uses,
    // for the current field of view (treated as degrees) and near plane.
    glm::mat4 BuildInfiniteProjection(float aspect) const;

    // The world point under window pixel (winX, winY) (origin bottom left) at
    // depth 0 (near plane) to 1 (far plane), for a width x height viewport at
    // the origin. A zero-sized viewport is taken as 1 x 1.
    glm::vec3 Unproject(float winX, float winY, float depth, int width, int height) const;

    // Moves the eye and rebuilds the view.
    void SetPosition(const glm::vec3& eye);
    // eye += dx·right + dy·world up + dz·forward; rebuilds.
    void Move(float dx, float dy, float dz);
    // Modes 0 and 1: RotateYawPitch(-yaw, -pitch). Mode 2: the orientation
    // takes the Euler rotation (-pitch, -yaw, -roll). Rebuilds.
    void Rotate(float yawDegrees, float pitchDegrees, float rollDegrees);
    // Positive yaw turns right about the world Y axis, positive pitch looks
    // further down about the camera's X axis; the pitch stays in [0, 90].
    void RotateYawPitch(float yawDegrees, float pitchDegrees);
    // Mode 0 flight: moves by velocity·dt + ½·acceleration·dt² per axis
    // (axes at rest with no direction stay), then updates the velocity.
    void UpdatePosition(float dt, const glm::vec3& direction);
    // Per axis: no direction stops; otherwise velocity += max·direction, clamped.
    void UpdateVelocity(const glm::vec3& direction);

    // One frame with the input read from the System (console, state, players,
    // keys, pad 0, cursor). dt is already capped by the caller.
    void Update(float dt);
    // One frame with the given input.
    void Update(float dt, const CameraInput& input);

    // Starts a shake (frame 1); an explosion calls it.
    void StartShake() { m_shakeFrame = 1; }
    // One shake step: the orbit offset jitters, the view follows; the shake
    // ends after SHAKE_FRAMES steps.
    void Shake();
    // Mode 2 pad and key turning: right stick, and quarter turns on E / Q.
    void PadControl(const CameraInput& input);

    // The input of this frame as the System's managers give it.
    static CameraInput ReadInput();

    // Back to the program-start statics (angle 0, offset (0, 20), no turn).
    static void ResetStatics();
    static float GetOrbitAngle() { return s_orbitAngle; }
    static void SetOrbitAngle(float radians) { s_orbitAngle = radians; }
    static glm::vec2 GetStaticOffset() { return glm::vec2(s_offsetX, s_offsetZ); }
    static bool IsTurning() { return s_turnGrowing || s_turnShrinking; }
    static bool IsInMenu() { return s_inMenu; }

    const glm::vec3& GetFocus() const { return m_focus; }
    void SetFocus(const glm::vec3& focus) { m_focus = focus; }
    const glm::vec3& GetEye() const { return m_eye; }
    const glm::vec3& GetLookAtPoint() const { return m_lookAt; }
    void SetLookAtPoint(const glm::vec3& point) { m_lookAt = point; }
    const glm::vec3& GetOrbitOffset() const { return m_orbitOffset; }
    int GetMode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }
    float GetFieldOfView() const { return m_fov; }
    void SetFieldOfView(float degrees) { m_fov = degrees; }
    float GetNearPlane() const { return m_near; }
    float GetFarPlane() const { return m_far; }
    float GetAspectRatio() const { return m_aspect; }
    float GetPitch() const { return m_pitch; }
    const glm::vec3& GetRight() const { return m_right; }
    const glm::vec3& GetUp() const { return m_up; }
    const glm::vec3& GetBack() const { return m_back; }
    const glm::vec3& GetForward() const { return m_forward; }
    const glm::vec3& GetVelocity() const { return m_velocity; }
    const Quaternion& GetOrientation() const { return m_orientation; }
    const glm::mat4& GetViewMatrix() const { return m_viewMatrix; }
    const glm::mat4& GetProjectionMatrix() const { return m_projectionMatrix; }
    // Kept by the main pass: the inverse of the view it uploaded.
    const glm::mat4& GetInverseViewMatrix() const { return m_inverseViewMatrix; }
    void SetInverseViewMatrix(const glm::mat4& inverse) { m_inverseViewMatrix = inverse; }
    float GetOrbitDistance() const { return m_orbitDistance; }
    float GetOrbitHeight() const { return m_orbitHeight; }
    void SetOrbit(float distance, float height) { m_orbitDistance = distance; m_orbitHeight = height; }
    int GetShakeFrame() const { return m_shakeFrame; }
    // Mode 1's offsets (the graphics settings panel edits them).
    float GetFollowDistance() const { return m_followDistance; }
    void SetFollowDistance(float distance) { m_followDistance = distance; }
    float GetFollowHeight() const { return m_followHeight; }
    void SetFollowHeight(float height) { m_followHeight = height; }

private:
    void OffsetFromAngle();
    void MouseLook(float dt, const CameraInput& input);
    void FreeFlight(float dt, const CameraInput& input);
    void OrbitTwoPlayers(const CameraInput& input);
    void OrbitFocus(const CameraInput& input);

    glm::vec3 m_focus{0.0f};
    float m_followDistance = FOLLOW_DISTANCE;
    float m_followHeight = FOLLOW_HEIGHT;  // of the eye above the focus in mode 1
    glm::vec3 m_orbitOffset{0.0f};  // focus to eye in mode 2
    int m_lastMouseX = 0;  // mode 0 mouse look
    int m_lastMouseY = 0;
    glm::vec3 m_lookAt{0.0f};
    int m_mode = MODE_ORBIT;
    float m_fov = 0.0f;  // degrees, horizontal
    float m_near = 0.0f;
    float m_far = 0.0f;
    float m_aspect = 0.0f;
    float m_pitch = 0.0f;  // degrees, positive looking down
    glm::vec3 m_eye{0.0f};
    glm::vec3 m_right{1.0f, 0.0f, 0.0f};
    glm::vec3 m_up{0.0f, 1.0f, 0.0f};
    glm::vec3 m_back{0.0f, 0.0f, 1.0f};
    glm::vec3 m_forward{0.0f, 0.0f, -1.0f};
    glm::vec3 m_acceleration{8.0f};
    glm::vec3 m_velocity{0.0f};
    glm::vec3 m_maxVelocity{25.0f};
    Quaternion m_orientation;
    glm::mat4 m_viewMatrix{1.0f};
    glm::mat4 m_projectionMatrix{1.0f};  // identity until SetPerspective
    glm::mat4 m_inverseViewMatrix{1.0f};
    float m_orbitDistance = ORBIT_DISTANCE;
    float m_orbitHeight = ORBIT_HEIGHT;
    float m_referenceDistance = REFERENCE_DISTANCE;
    bool m_orbitDirty = false;
    int m_shakeFrame = 0;  // 0 when no shake runs

    static float s_orbitAngle;
    static glm::vec3 s_savedOrbitOffset;
    static float s_offsetX;
    static float s_offsetZ;
    static float s_turnProgress;
    static bool s_turnGrowing;
    static bool s_turnShrinking;
    static int s_previousStateId;
    static bool s_inMenu;
};

} // namespace QRX
