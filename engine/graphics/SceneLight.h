// The one light of every scene.
//
// A directional light (type 2) kept above the camera: the renderer moves it
// with FollowCamera once a frame before the shadow pass, aims it at the shadow
// pass's target (AimAt), fetches the main program's light uniform locations
// once the shaders are built (GetUniformLocations, again after a display
// change) and uploads the values before the main pass draws (Upload, with the
// main program bound). Colours, angles, fall-off and attenuation go to the
// shaders whatever the type. The tweak bar's light group edits the fields
// directly ("LightDir" the world direction, "FogColor", "DistAttn" the
// attenuation coefficients, "NearFar" the plane distances).
//
// Until GetUniformLocations every location is -1, so Upload changes nothing.
// The view-space position and direction are written by the renderer's
// light-view step; until then they keep their defaults.
#pragma once
#include <GL/glew.h>

#include <glm/glm.hpp>

namespace QRX {

class SceneLight
{
public:
    enum LightType { POINT = 0, SPOT = 1, DIRECTIONAL = 2, OFF = 3 };

    // Where FollowCamera puts the light: x and z fixed, y this far above the eye.
    static constexpr float FOLLOW_X = -35.0f;
    static constexpr float FOLLOW_Z = 0.0f;
    static constexpr float FOLLOW_HEIGHT_ABOVE_EYE = 5.0f;
    static constexpr float FOLLOW_RANGE = 65.0f;
    // Plane distances set when the locations are fetched.
    static constexpr float NEAR_PLANE_DISTANCE = 500.0f;
    static constexpr float FAR_PLANE_DISTANCE = 1000.0f;

    SceneLight() = default;

    // Looks up the light's uniforms on program (a linked GL program); names
    // the program lacks stay -1. Sets the plane distances to 500 and 1000.
    void GetUniformLocations(GLuint program);
    // Sends every value to its location in the program that is bound now.
    void Upload() const;
    // Puts the light at (-35, eyeHeight + 5, 0) with range 65.
    void FollowCamera(float eyeHeight);
    // The camera the System holds; nothing happens without one.
    void FollowCamera();
    // World direction := unit vector from the world position to target; a
    // target on the light keeps the previous direction.
    void AimAt(const glm::vec3& target);

    // View space, written by the renderer per frame or per object.
    glm::vec3 m_positionView{0.0f, 0.0f, 0.0f};
    glm::vec3 m_directionView{1.0f, 0.0f, 0.0f};
    glm::vec3 m_position{-1.0f, -1.0f, -1.0f};  // world space
    float m_range = 0.0f;  // for the renderer's light and shadow code

    GLint m_locPositionView = -1;
    GLint m_locDirectionView = -1;
    GLint m_locGlobalAmbient = -1;
    GLint m_locLightColor = -1;  // no uniform has this name; stays -1
    GLint m_locDiffuse = -1;
    GLint m_locEmissive = -1;
    GLint m_locSpecular = -1;
    GLint m_locInnerAngle = -1;
    GLint m_locOuterAngle = -1;
    GLint m_locFalloff = -1;
    GLint m_locAttenuation = -1;
    GLint m_locFogColor = -1;  // no uniform has this name; stays -1

    float m_nearPlaneDistance = 1.0f;
    float m_farPlaneDistance = 1.0f;
    GLint m_locNearPlaneDistance = -1;
    GLint m_locFarPlaneDistance = -1;

    int m_type = DIRECTIONAL;
    GLint m_locType = -1;
    GLint m_locOn = -1;

    glm::vec4 m_globalAmbient{0.2f, 0.2f, 0.2f, 1.0f};
    glm::vec4 m_lightColor{0.8f, 0.8f, 0.8f, 0.8f};  // no shader reads it
    glm::vec4 m_diffuse{0.8f, 0.8f, 0.8f, 1.0f};
    glm::vec4 m_emissive{0.0f, 0.0f, 0.0f, 0.0f};
    glm::vec4 m_specular{1.0f, 1.0f, 1.0f, 1.0f};
    float m_innerAngle = 0.2617994f;  // radians (15 degrees)
    float m_outerAngle = 0.5235988f;  // radians (30 degrees)
    float m_falloff = 1.0f;
    glm::vec3 m_attenuation{1.0f, 0.1f, 0.0f};  // constant, linear, quadratic
    glm::vec4 m_fogColor{0.53f, 0.8f, 0.98f, 1.0f};  // no shader reads it
    int m_on = 1;

    // From the world position towards the light's view target: from the
    // default position towards the origin until the first AimAt.
    glm::vec3 m_worldDirection{0.57735026f, 0.57735026f, 0.57735026f};
};

} // namespace QRX
