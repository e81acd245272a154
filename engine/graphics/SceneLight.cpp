#include "engine/graphics/SceneLight.h"

#include <cmath>

#include "engine/core/System.h"
#include "engine/graphics/Camera.h"

namespace QRX {

void SceneLight::GetUniformLocations(GLuint program)
{
    m_locGlobalAmbient = glGetUniformLocation(program, "global_ambientColor");
    m_locDiffuse = glGetUniformLocation(program, "diffuse");
    m_locEmissive = glGetUniformLocation(program, "emissive");
    m_locSpecular = glGetUniformLocation(program, "specular");
    m_nearPlaneDistance = NEAR_PLANE_DISTANCE;
    m_farPlaneDistance = FAR_PLANE_DISTANCE;
    m_locAttenuation = glGetUniformLocation(program, "attCoef");
    m_locInnerAngle = glGetUniformLocation(program, "innerAngle");
    m_locOuterAngle = glGetUniformLocation(program, "outerAngle");
    m_locFalloff = glGetUniformLocation(program, "Falloff");
    m_locNearPlaneDistance = glGetUniformLocation(program, "nearPlaneDis");
    m_locFarPlaneDistance = glGetUniformLocation(program, "farPlaneDis");
    m_locType = glGetUniformLocation(program, "lightType");
    m_locOn = glGetUniformLocation(program, "LON");
    m_locPositionView = glGetUniformLocation(program, "lightPosView");
    m_locDirectionView = glGetUniformLocation(program, "lightDirView");
}

void SceneLight::Upload() const
{
    glUniform1i(m_locType, m_type);
    glUniform1i(m_locOn, m_on);
    glUniform3f(m_locDirectionView, m_directionView.x, m_directionView.y, m_directionView.z);
    glUniform3f(m_locPositionView, m_positionView.x, m_positionView.y, m_positionView.z);
    glUniform3f(m_locAttenuation, m_attenuation.x, m_attenuation.y, m_attenuation.z);
    glUniform1f(m_locInnerAngle, m_innerAngle);
    glUniform1f(m_locOuterAngle, m_outerAngle);
    glUniform1f(m_locFalloff, m_falloff);
    glUniform1f(m_locNearPlaneDistance, m_nearPlaneDistance);
    glUniform1f(m_locFarPlaneDistance, m_farPlaneDistance);
    glUniform4f(m_locGlobalAmbient, m_globalAmbient.r, m_globalAmbient.g, m_globalAmbient.b, m_globalAmbient.a);
    glUniform4f(m_locLightColor, m_lightColor.r, m_lightColor.g, m_lightColor.b, m_lightColor.a);
    glUniform4f(m_locDiffuse, m_diffuse.r, m_diffuse.g, m_diffuse.b, m_diffuse.a);
    glUniform4f(m_locEmissive, m_emissive.r, m_emissive.g, m_emissive.b, m_emissive.a);
    glUniform4f(m_locSpecular, m_specular.r, m_specular.g, m_specular.b, m_specular.a);
    glUniform4f(m_locFogColor, m_fogColor.r, m_fogColor.g, m_fogColor.b, m_fogColor.a);
}

void SceneLight::FollowCamera(float eyeHeight)
{
    m_position = glm::vec3(FOLLOW_X, eyeHeight + FOLLOW_HEIGHT_ABOVE_EYE, FOLLOW_Z);
    m_range = FOLLOW_RANGE;
}

void SceneLight::FollowCamera()
{
    const Camera* camera = System::GetInstance()->camera;
    if (camera) FollowCamera(camera->GetEye().y);
}

void SceneLight::AimAt(const glm::vec3& target)
{
    glm::vec3 direction = target - m_position;
    float length = glm::length(direction);
    if (length > 1e-6f && std::isfinite(length)) m_worldDirection = direction / length;
}

} // namespace QRX
