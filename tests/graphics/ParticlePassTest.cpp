#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/Random.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsAttributes.h"
#include "engine/graphics/ParticlePass.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "support/EngineFixture.h"
#include "support/GLReadback.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(); }

const glm::vec3 EYE(0.0f, 0.0f, 5.0f);
const glm::vec4 GREY(0.25f, 0.25f, 0.25f, 0.0f);

using Pixel = std::array<int, 3>;

GLint AttribEnabled(GLuint location)
{
    GLint enabled = -1;
    glGetVertexAttribiv(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    return enabled;
}

class ParticlePassTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        ResetRandom();
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        Logger::SetDialogAvailableOverride(0);
        m_shaders = new ShaderManager();
        m_textures = new TextureManager();
        m_textures->Init();

        Program* program = m_shaders->CreateProgram(PARTICLE_PROGRAM);
        ASSERT_NE(program, nullptr);
        program->AssociateShader(Program::VERTEX_SHADER, "data/shaders/particle.vert");
        program->AssociateShader(Program::FRAGMENT_SHADER, "data/shaders/particle.frag");
        BindParticleAttributes(program->GetProgramObject());
        program->LinkShaders();
        GLint linked = GL_FALSE;
        glGetProgramiv(program->GetProgramObject(), GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE);
        m_program = program;

        glGenBuffers(static_cast<GLsizei>(GRAPHICS_ATTRIB_COUNT), m_buffers);
        glGenBuffers(1, &m_indexBuffer);
        m_input.shaders = m_shaders;
        m_input.textures = m_textures;
        m_input.vertexBuffers = m_buffers;
        m_input.indexBuffer = m_indexBuffer;
        m_input.locations = QueryParticleLocations(program->GetProgramObject());
        SetEye(EYE);
        m_input.projectionMatrix = glm::perspective(glm::radians(45.0f), 1.0f, 1.0f, 500.0f);
        m_input.hue = 0.0f;

        // The renderer's ordinary state.
        glViewport(0, 0, Context().Width(), Context().Height());
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        Clear(GREY);
        glGetError();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        glDeleteBuffers(static_cast<GLsizei>(GRAPHICS_ATTRIB_COUNT), m_buffers);
        glDeleteBuffers(1, &m_indexBuffer);
        glUseProgram(0);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        m_shaders->DeleteAllPrograms();
        delete m_shaders;
        m_textures->UnloadAll();
        delete m_textures;
        for (GLuint t : m_rawTextures)
            glDeleteTextures(1, &t);
        Logger::SetDialogAvailableOverride(-1);
        TestSupport::ReleaseSystem();
    }

    static void Clear(const glm::vec4& colour)
    {
        glClearColor(colour.r, colour.g, colour.b, colour.a);
        glClearDepth(1.0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    }
    // The window pixel a world point lands on.
    glm::ivec2 ToPixel(const glm::vec3& world) const
    {
        glm::vec4 clip = m_input.projectionMatrix * m_input.viewMatrix * glm::vec4(world, 1.0f);
        glm::vec2 ndc = glm::vec2(clip) / clip.w;
        return glm::ivec2(int((ndc.x * 0.5f + 0.5f) * Context().Width()),
                          int((ndc.y * 0.5f + 0.5f) * Context().Height()));
    }
    static Pixel Read(glm::ivec2 at)
    {
        unsigned char rgba[4] = {0, 0, 0, 0};
        glReadPixels(at.x, at.y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
        return {rgba[0], rgba[1], rgba[2]};
    }
    // Looks along -z from the eye.
    void SetEye(const glm::vec3& eye)
    {
        m_eye = eye;
        m_input.viewMatrix = glm::lookAt(eye, eye - glm::vec3(0.0f, 0.0f, 1.0f), glm::vec3(0.0f, 1.0f, 0.0f));
    }
    void Draw(const std::string& textureName = "")
    {
        m_system.Update(0.0f, m_eye);
        RenderParticles(m_system, textureName, m_input);
        glFinish();
    }
    // A still particle of the pattern at the position; returns its record.
    const Particle& Place(int pattern, const glm::vec3& at)
    {
        m_system.Emit(pattern, at, glm::vec3(0.0f));
        return m_system.GetParticles()[m_system.GetCursor()];
    }
    // A 2 x 2 texture: red, green (bottom row), blue, white (top row).
    GLuint MakeQuadrantTexture()
    {
        const unsigned char texels[] = {255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 255, 255, 255};
        GLuint texture = 0;
        glGenTextures(1, &texture);
        glBindTexture(GL_TEXTURE_2D, texture);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 2, 2, 0, GL_RGBA, GL_UNSIGNED_BYTE, texels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindTexture(GL_TEXTURE_2D, 0);
        m_rawTextures.push_back(texture);
        return texture;
    }

    TestSupport::ScopedTempHome m_home;
    ShaderManager* m_shaders = nullptr;
    TextureManager* m_textures = nullptr;
    Program* m_program = nullptr;
    GLuint m_buffers[GRAPHICS_ATTRIB_COUNT] = {};
    GLuint m_indexBuffer = 0;
    std::vector<GLuint> m_rawTextures;
    ParticlePassInput m_input;
    glm::vec3 m_eye = EYE;
    ParticleSystem m_system;
};

void ExpectNear(const Pixel& actual, const Pixel& expected, const std::string& what)
{
    for (int c = 0; c < 3; ++c)
        EXPECT_NEAR(actual[c], expected[c], 3) << what << " channel " << c;
}

} // namespace

TEST_F(ParticlePassTest, LightsPixelsAroundTheEmitterAdditively)
{
    const glm::vec3 at(0.5f, -0.25f, 0.0f);
    Place(PARTICLE_SPIRAL, at);  // colour (0.6, 1.0, 0.1), alpha 1
    Draw();
    const glm::ivec2 centre = ToPixel(at);
    // Grey (64) plus the colour: an ordinary blend would give the colour alone.
    const Pixel lit = {64 + 153, 255, 64 + 26};
    ExpectNear(Read(centre), lit, "centre");
    for (glm::ivec2 d : {glm::ivec2(-2, -2), glm::ivec2(2, -2), glm::ivec2(-2, 2), glm::ivec2(2, 2)})
        ExpectNear(Read(centre + d), lit, "the whole square is drawn");
    ExpectNear(Read(centre + glm::ivec2(12, 0)), {64, 64, 64}, "beside the particle");
    ExpectNear(Read(ToPixel(glm::vec3(0.0f))), {64, 64, 64}, "the origin");

    Draw();
    ExpectNear(Read(centre), {255, 255, 64 + 52}, "a second pass adds again");
}

TEST_F(ParticlePassTest, QuadsFollowParticleBoundaries)
{
    const glm::vec3 left(-1.0f, 0.0f, 0.0f), right(1.0f, 0.5f, 0.0f);
    Clear(glm::vec4(0.0f));
    Place(PARTICLE_SPIRAL, left);
    Place(PARTICLE_SPIRAL, right);
    Place(PARTICLE_SPIRAL, glm::vec3(0.0f, -1.0f, 0.0f));
    Draw();
    for (const glm::vec3& at : {left, right}) {
        const glm::ivec2 centre = ToPixel(at);
        for (glm::ivec2 d : {glm::ivec2(-2, -2), glm::ivec2(2, -2), glm::ivec2(-2, 2), glm::ivec2(2, 2)})
            ExpectNear(Read(centre + d), {153, 255, 26}, "corner region");
    }
    // No triangle spans two particles.
    for (float t : {0.25f, 0.5f, 0.75f})
        ExpectNear(Read(ToPixel(left + t * (right - left))), {0, 0, 0}, "between particles");
    ExpectNear(Read(ToPixel(glm::vec3(-0.5f, -0.5f, 0.0f))), {0, 0, 0}, "between particles");
}

TEST_F(ParticlePassTest, EachCornerHasItsTextureCoordinates)
{
    m_textures->CreateRawTexture("quadrants", MakeQuadrantTexture());
    Clear(glm::vec4(0.0f));
    // The star particle is large and over-bright: each texel shows as its own colour.
    const Particle& p = Place(PARTICLE_STAR, glm::vec3(0.0f, 0.0f, 0.0f));
    const glm::vec3 at = p.position;
    const float quarter = p.params[1] * 0.25f;
    SetEye(at + glm::vec3(0.0f, 0.0f, 5.0f));  // straight in front: right is +x, up +y
    Draw("quadrants");
    auto sample = [&](float x, float y) { return Read(ToPixel(at + glm::vec3(x, y, 0.0f) * quarter)); };
    ExpectNear(sample(-1, -1), {255, 0, 0}, "bottom left");
    ExpectNear(sample(1, -1), {0, 255, 0}, "bottom right");
    ExpectNear(sample(-1, 1), {0, 0, 255}, "top left");
    ExpectNear(sample(1, 1), {255, 255, 255}, "top right");
}

TEST_F(ParticlePassTest, HueTurnsTheColour)
{
    Clear(glm::vec4(0.0f));
    const glm::vec3 at(0.0f, 0.0f, 0.0f);
    Place(PARTICLE_FOUNTAIN, at);  // pure red
    m_input.hue = 1.0f / 3.0f;     // a third of a turn: red becomes green
    Draw();
    ExpectNear(Read(ToPixel(at)), {0, 255, 0}, "turned");
    Clear(glm::vec4(0.0f));
    m_input.hue = 0.0f;
    Draw();
    ExpectNear(Read(ToPixel(at)), {255, 0, 0}, "unturned");
}

TEST_F(ParticlePassTest, GrayscaleTextureFadesTowardsTheEdges)
{
    Clear(glm::vec4(0.0f));
    const Particle& p = Place(PARTICLE_STAR, glm::vec3(0.0f));
    const glm::vec3 at = p.position;
    const float half = p.params[1] * 0.5f;
    SetEye(at + glm::vec3(0.0f, 0.0f, 5.0f));
    Draw("grayscale");
    EXPECT_EQ(TestSupport::GetInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_textures->GetTexture("grayscale")));
    const Pixel centre = Read(ToPixel(at));
    const Pixel edge = Read(ToPixel(at + glm::vec3(half * 0.9f, half * 0.9f, 0.0f)));
    EXPECT_GT(centre[0], 200);
    EXPECT_LT(edge[0], centre[0] / 4);
}

TEST_F(ParticlePassTest, RestoresBlendingProgramAndAttributes)
{
    Place(PARTICLE_SPIRAL, glm::vec3(0.0f));
    Draw();
    EXPECT_EQ(TestSupport::GetInteger(GL_BLEND_SRC_RGB), GL_SRC_ALPHA);
    EXPECT_EQ(TestSupport::GetInteger(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(TestSupport::GetInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_FALSE(m_program->IsInUse());
    for (GLuint location : {PARTICLE_ATTRIB_TEXCOORD, PARTICLE_ATTRIB_POSITION, PARTICLE_ATTRIB_COLOR,
                            PARTICLE_ATTRIB_TRIANGLEUV})
        EXPECT_EQ(AttribEnabled(location), GL_FALSE) << location;
    EXPECT_EQ(TestSupport::GetInteger(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(TestSupport::GetInteger(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    // An empty name still binds the texture of the name: the fallback.
    EXPECT_EQ(TestSupport::GetInteger(GL_TEXTURE_BINDING_2D), static_cast<GLint>(m_textures->GetTexture("")));
}

TEST_F(ParticlePassTest, NoLiveParticleTouchesNothing)
{
    glBlendFunc(GL_ONE, GL_ZERO);
    Draw();  // an empty pool
    Place(PARTICLE_ARRIVE, glm::vec3(0.0f));
    for (int i = 0; i < 10; ++i)
        m_system.Update(0.05f, m_eye);  // 0.5 s: past its life of 0.4 s
    ASSERT_TRUE(m_system.GetParticles()[0].dead);
    RenderParticles(m_system, "grayscale", m_input);
    EXPECT_EQ(TestSupport::GetInteger(GL_BLEND_SRC_RGB), GL_ONE);
    EXPECT_EQ(TestSupport::GetInteger(GL_BLEND_DST_RGB), GL_ZERO);
    EXPECT_EQ(TestSupport::GetInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(TestSupport::GetInteger(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_FALSE(m_textures->IsLoaded("grayscale")) << "no texture lookup";
    ExpectNear(Read(ToPixel(glm::vec3(0.0f))), {64, 64, 64}, "nothing drawn");
}

TEST_F(ParticlePassTest, MissingProgramOrBufferDrawsNothing)
{
    Place(PARTICLE_SPIRAL, glm::vec3(0.0f));
    m_system.Update(0.0f, EYE);

    ShaderManager empty;
    ParticlePassInput noProgram = m_input;
    noProgram.shaders = &empty;
    glBlendFunc(GL_ONE, GL_ZERO);
    RenderParticles(m_system, "", noProgram);
    EXPECT_EQ(TestSupport::GetInteger(GL_BLEND_SRC_RGB), GL_ONE) << "state untouched";
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);

    ParticlePassInput noIndices = m_input;
    noIndices.indexBuffer = 0;
    RenderParticles(m_system, "", noIndices);
    glFinish();
    EXPECT_EQ(TestSupport::GetInteger(GL_BLEND_DST_RGB), GL_ONE_MINUS_SRC_ALPHA);
    EXPECT_EQ(TestSupport::GetInteger(GL_CURRENT_PROGRAM), 0);
    EXPECT_EQ(AttribEnabled(PARTICLE_ATTRIB_POSITION), GL_FALSE);
    ExpectNear(Read(ToPixel(glm::vec3(0.0f))), {64, 64, 64}, "nothing drawn");

    GLuint noBuffers[GRAPHICS_ATTRIB_COUNT] = {};
    ParticlePassInput zeroBuffers = m_input;
    zeroBuffers.vertexBuffers = noBuffers;
    RenderParticles(m_system, "", zeroBuffers);
    glFinish();
    ExpectNear(Read(ToPixel(glm::vec3(0.0f))), {64, 64, 64}, "nothing drawn");
    glGetError();  // the skipped uploads leave no error to check; binding 0 is legal

    const std::string log = TestSupport::ReadFile(System::GetInstance()->logger->GetPath());
    EXPECT_NE(log.find("glIsBuffer(m_vertexBufferObject[GRAPHICS_ATTRIB_TRIANGLEPOS]) == TRUE"), std::string::npos);
    EXPECT_NE(log.find("BO INVALID"), std::string::npos);
}
