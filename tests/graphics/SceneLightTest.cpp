#include <gtest/gtest.h>

#include <GL/glew.h>

#include <string>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/SceneLight.h"
#include "engine/graphics/ShaderManager.h"
#include "support/EngineFixture.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

const std::string SHADERS = "tests/graphics/shaders/";

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(); }

glm::vec4 UniformVec4(GLuint program, const char* name)
{
    glm::vec4 v(-99.0f);
    glGetUniformfv(program, glGetUniformLocation(program, name), &v[0]);
    return v;
}

glm::vec3 UniformVec3(GLuint program, const char* name)
{
    float v[3] = {-99.0f, -99.0f, -99.0f};
    glGetUniformfv(program, glGetUniformLocation(program, name), v);
    return glm::vec3(v[0], v[1], v[2]);
}

float UniformFloat(GLuint program, const char* name)
{
    float v = -99.0f;
    glGetUniformfv(program, glGetUniformLocation(program, name), &v);
    return v;
}

int UniformInt(GLuint program, const char* name)
{
    GLint v = -99;
    glGetUniformiv(program, glGetUniformLocation(program, name), &v);
    return v;
}

class SceneLightTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        glGetError();
        m_program = m_shaders.CreateProgram("main");
        ASSERT_NE(m_program, nullptr);
        m_program->AssociateShader(Program::VERTEX_SHADER, SHADERS + "light.vert");
        m_program->AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "light.frag");
        glBindAttribLocation(m_program->GetProgramObject(), 0, "inPosition");
        m_program->LinkShaders();
        GLint linked = GL_FALSE;
        glGetProgramiv(m_program->GetProgramObject(), GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE);
        glUseProgram(m_program->GetProgramObject());
    }
    void TearDown() override
    {
        glUseProgram(0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        m_shaders.DeleteAllPrograms();
        System::DestroyInstance();
    }
    GLuint Id() const { return m_program->GetProgramObject(); }

    ShaderManager m_shaders;
    Program* m_program = nullptr;
};

} // namespace

TEST(SceneLightDefaults, FollowsTheCameraHeightAndAimsAtItsTarget)
{
    SceneLight light;
    light.FollowCamera(12.5f);
    EXPECT_EQ(light.m_position, glm::vec3(-35.0f, 17.5f, 0.0f));
    EXPECT_FLOAT_EQ(light.m_range, 65.0f);

    // Through the System's camera; nothing moves without one.
    light.FollowCamera(-100.0f);
    light.FollowCamera();
    EXPECT_EQ(light.m_position.y, -95.0f);
    Camera::ResetStatics();
    Camera camera;  // eye at height 13
    System::GetInstance()->camera = &camera;
    light.FollowCamera();
    EXPECT_EQ(light.m_position, glm::vec3(-35.0f, 18.0f, 0.0f));
    camera.SetPosition(glm::vec3(4, 40, 4));
    light.FollowCamera();
    EXPECT_EQ(light.m_position, glm::vec3(-35.0f, 45.0f, 0.0f));
    System::DestroyInstance();
    Camera::ResetStatics();

    light.AimAt(glm::vec3(-35.0f, 5.0f, 40.0f));
    EXPECT_NEAR(glm::length(light.m_worldDirection - glm::normalize(glm::vec3(0, -40, 40))), 0.0f, 1e-6f);
    light.AimAt(light.m_position);  // no direction: kept
    EXPECT_NEAR(glm::length(light.m_worldDirection - glm::normalize(glm::vec3(0, -40, 40))), 0.0f, 1e-6f);
}

TEST_F(SceneLightTest, UploadBeforeTheLocationsChangesNothing)
{
    SceneLight light;
    light.Upload();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    EXPECT_EQ(UniformVec4(Id(), "diffuse"), glm::vec4(0));
    EXPECT_EQ(UniformInt(Id(), "lightType"), 0);
    EXPECT_EQ(UniformFloat(Id(), "innerAngle"), 0.0f);
}

TEST_F(SceneLightTest, LocationsThenUploadSendEveryValue)
{
    SceneLight light;
    light.GetUniformLocations(Id());
    EXPECT_FLOAT_EQ(light.m_nearPlaneDistance, 500.0f);
    EXPECT_FLOAT_EQ(light.m_farPlaneDistance, 1000.0f);
    for (GLint location : {light.m_locPositionView, light.m_locDirectionView, light.m_locGlobalAmbient,
                           light.m_locDiffuse, light.m_locEmissive, light.m_locSpecular, light.m_locInnerAngle,
                           light.m_locOuterAngle, light.m_locFalloff, light.m_locAttenuation,
                           light.m_locNearPlaneDistance, light.m_locFarPlaneDistance, light.m_locType,
                           light.m_locOn})
        EXPECT_GE(location, 0);
    EXPECT_EQ(light.m_locLightColor, -1);  // no uniform of that name
    EXPECT_EQ(light.m_locFogColor, -1);

    light.m_positionView = glm::vec3(1, 2, 3);
    light.m_directionView = glm::vec3(0, -1, 0);
    light.m_specular = glm::vec4(0.25f, 0.5f, 0.75f, 1.0f);
    light.m_on = 0;
    light.Upload();
    EXPECT_EQ(UniformInt(Id(), "lightType"), 2);
    EXPECT_EQ(UniformInt(Id(), "LON"), 0);
    EXPECT_EQ(UniformVec3(Id(), "lightPosView"), glm::vec3(1, 2, 3));
    EXPECT_EQ(UniformVec3(Id(), "lightDirView"), glm::vec3(0, -1, 0));
    EXPECT_EQ(UniformVec3(Id(), "attCoef"), glm::vec3(1.0f, 0.1f, 0.0f));
    EXPECT_FLOAT_EQ(UniformFloat(Id(), "innerAngle"), 0.2617994f);
    EXPECT_FLOAT_EQ(UniformFloat(Id(), "outerAngle"), 0.5235988f);
    EXPECT_FLOAT_EQ(UniformFloat(Id(), "Falloff"), 1.0f);
    EXPECT_FLOAT_EQ(UniformFloat(Id(), "nearPlaneDis"), 500.0f);
    EXPECT_FLOAT_EQ(UniformFloat(Id(), "farPlaneDis"), 1000.0f);
    EXPECT_EQ(UniformVec4(Id(), "global_ambientColor"), glm::vec4(0.2f, 0.2f, 0.2f, 1.0f));
    EXPECT_EQ(UniformVec4(Id(), "diffuse"), glm::vec4(0.8f, 0.8f, 0.8f, 1.0f));
    EXPECT_EQ(UniformVec4(Id(), "emissive"), glm::vec4(0.0f));
    EXPECT_EQ(UniformVec4(Id(), "specular"), glm::vec4(0.25f, 0.5f, 0.75f, 1.0f));

    // A program without the light's uniforms leaves every location at -1.
    Program* bare = m_shaders.CreateProgram("bare");
    bare->AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
    bare->AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "basic.frag");
    bare->LinkShaders();
    light.GetUniformLocations(bare->GetProgramObject());
    EXPECT_EQ(light.m_locDiffuse, -1);
    EXPECT_EQ(light.m_locOn, -1);
    EXPECT_EQ(light.m_locPositionView, -1);
}
