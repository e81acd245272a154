// The shadow map: its depth texture and frame buffer, the light's view, the
// caster pass and the shadow inputs of the lit pass, drawn for real under Xvfb.
// Stand-in shadow and lit programs from tests/graphics/shaders take the
// places of "shadowmain" and "main" with the same inputs.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cmath>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "engine/core/Logger.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/ShadowMap.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "support/EngineFixture.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

constexpr int VIEW_W = 320;
constexpr int VIEW_H = 240;

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(VIEW_W, VIEW_H); }

const glm::vec3 LIGHT(4.0f, 30.0f, 3.0f);
const glm::vec3 UNDER_CUBE(0.0f, 0.0f, 0.0f);
const glm::vec3 BESIDE_CUBE(6.0f, 0.0f, 6.0f);

// Positions only: a cube of half size 1 and a 20 x 20 ground at y = 0.
std::vector<float> CubeVertices()
{
    const float c[8][3] = {{-1, -1, -1}, {1, -1, -1}, {1, 1, -1}, {-1, 1, -1},
                           {-1, -1, 1},  {1, -1, 1},  {1, 1, 1},  {-1, 1, 1}};
    const int faces[6][4] = {{0, 1, 2, 3}, {4, 5, 6, 7}, {0, 1, 5, 4}, {3, 2, 6, 7}, {0, 3, 7, 4}, {1, 2, 6, 5}};
    std::vector<float> v;
    for (const auto& f : faces)
        for (int i : {0, 1, 2, 0, 2, 3})
            v.insert(v.end(), {c[f[i]][0], c[f[i]][1], c[f[i]][2]});
    return v;
}

std::vector<float> GroundVertices()
{
    return {-10, 0, -10, 10, 0, -10, 10, 0, 10, -10, 0, -10, 10, 0, 10, -10, 0, 10};
}

// The renderer's side of the caster pass: meshes by id, a one-joint skin.
class TestDraw
{
public:
    TestDraw()
    {
        Make("cube", CubeVertices());
        Make("sphereinverted", CubeVertices());
        Make("ground", GroundVertices());
    }
    ~TestDraw()
    {
        for (auto& m : m_meshes) glDeleteBuffers(1, &m.buffer);
    }
    ShadowCasterDraw Hooks()
    {
        ShadowCasterDraw d;
        d.look = [this](GameObject* o, std::string& mesh, std::string& texture) {
            auto it = meshOf.find(o);
            if (it == meshOf.end()) return false;
            mesh = it->second;
            texture = "white";
            return true;
        };
        d.sendAnimation = [this](Program* program, GameObject* o) {
            const GLuint prog = program->GetProgramObject();
            const bool animated = skins.count(o) != 0;
            glUniform1i(glGetUniformLocation(prog, "isAnimated"), animated ? 1 : 0);
            if (animated)
                glUniformMatrix4fv(glGetUniformLocation(prog, "skinMatrix"), 1, GL_FALSE,
                                   glm::value_ptr(skins[o]));
            animatedCalls += animated ? 1 : 0;
        };
        d.drawMesh = [this](const std::string& mesh, const std::string&) { Draw(mesh); };
        return d;
    }
    void Draw(const std::string& mesh)
    {
        drawn.push_back(mesh);
        for (auto& m : m_meshes) {
            if (m.id != mesh) continue;
            glBindBuffer(GL_ARRAY_BUFFER, m.buffer);
            glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
            glEnableVertexAttribArray(0);
            glDrawArrays(GL_TRIANGLES, 0, m.count);
            glDisableVertexAttribArray(0);
            glBindBuffer(GL_ARRAY_BUFFER, 0);
        }
    }

    std::map<GameObject*, std::string> meshOf;
    std::map<GameObject*, glm::mat4> skins;
    std::vector<std::string> drawn;
    int animatedCalls = 0;

private:
    struct MeshBuffer
    {
        std::string id;
        GLuint buffer;
        GLsizei count;
    };
    void Make(const std::string& id, const std::vector<float>& v)
    {
        MeshBuffer m{id, 0, static_cast<GLsizei>(v.size() / 3)};
        glGenBuffers(1, &m.buffer);
        glBindBuffer(GL_ARRAY_BUFFER, m.buffer);
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(v.size() * sizeof(float)), v.data(), GL_STATIC_DRAW);
        glBindBuffer(GL_ARRAY_BUFFER, 0);
        m_meshes.push_back(m);
    }
    std::vector<MeshBuffer> m_meshes;
};

Program* BuildProgram(ShaderManager& shaders, const std::string& name, const std::string& stem)
{
    Program* p = shaders.CreateProgram(name);
    p->AssociateShader(Program::VERTEX_SHADER, "tests/graphics/shaders/" + stem + ".vert");
    p->AssociateShader(Program::FRAGMENT_SHADER, "tests/graphics/shaders/" + stem + ".frag");
    glBindAttribLocation(p->GetProgramObject(), 0, "inPosition");
    p->LinkShaders();
    return p;
}

class ShadowMapTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        Logger::SetDialogAvailableOverride(0);
        m_draw.reset(new TestDraw());
        m_caster = BuildProgram(m_shaders, ShadowMap::PROGRAM_NAME, "shadowcaster");
        m_receiver = BuildProgram(m_shaders, "main", "shadowreceiver");
        GLint linked = GL_FALSE;
        glGetProgramiv(m_receiver->GetProgramObject(), GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE);
        glGetProgramiv(m_caster->GetProgramObject(), GL_LINK_STATUS, &linked);
        ASSERT_EQ(linked, GL_TRUE);

        m_view = glm::lookAt(glm::vec3(0, 20, 12), glm::vec3(0, 0, 0), glm::vec3(0, 1, 0));
        m_projection = glm::perspective(glm::radians(45.0f), float(VIEW_W) / VIEW_H, 1.0f, 500.0f);
        m_map.Init(VIEW_W, VIEW_H, m_view, &m_textures);

        // The target the lit pass draws into.
        glGenTextures(1, &m_colour);
        glBindTexture(GL_TEXTURE_2D, m_colour);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, VIEW_W, VIEW_H, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenRenderbuffers(1, &m_depth);
        glBindRenderbuffer(GL_RENDERBUFFER, m_depth);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, VIEW_W, VIEW_H);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        glGenFramebuffers(1, &m_fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_colour, 0);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_depth);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, VIEW_W, VIEW_H);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);

        m_ground.type = DEFAULT;
        m_ground.flags = OBJ_ALIVE | OBJ_ACTIVE;
        m_cube.type = CUBE;
        m_cube.flags = OBJ_ALIVE | OBJ_ACTIVE;
        m_cube.position = glm::vec3(0, 1, 0);
        m_draw->meshOf[&m_ground] = "ground";
        m_draw->meshOf[&m_cube] = "cube";
        glGetError();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        m_map.Release();
        glDeleteFramebuffers(1, &m_fbo);
        glDeleteRenderbuffers(1, &m_depth);
        glDeleteTextures(1, &m_colour);
        m_shaders.DeleteAllPrograms();
        m_draw.reset();
        glDisable(GL_DEPTH_TEST);
        Logger::SetDialogAvailableOverride(-1);
    }

    void ShadowPass(const GameObjectGroup& group, bool dump = false)
    {
        m_map.Render(group, &m_shaders, m_draw->Hooks(), LIGHT, nullptr, dump);
    }
    // The lit pass over the ground only, so that nothing hides the ground
    // under the cube; returns the grey level at two ground points.
    void LitGround(int& under, int& beside)
    {
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glViewport(0, 0, VIEW_W, VIEW_H);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glUseProgram(m_receiver->GetProgramObject());
        const GLuint prog = m_receiver->GetProgramObject();
        m_map.SendUniforms(m_receiver, m_view, VIEW_W, VIEW_H);
        glUniformMatrix4fv(glGetUniformLocation(prog, "projectionMatrix"), 1, GL_FALSE, glm::value_ptr(m_projection));
        glUniformMatrix4fv(glGetUniformLocation(prog, "viewMatrix"), 1, GL_FALSE, glm::value_ptr(m_view));
        glUniformMatrix4fv(glGetUniformLocation(prog, "modelMatrix"), 1, GL_FALSE, glm::value_ptr(glm::mat4(1.0f)));
        m_draw->Draw("ground");
        glUseProgram(0);
        under = GreyAt(UNDER_CUBE);
        beside = GreyAt(BESIDE_CUBE);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    int GreyAt(const glm::vec3& world)
    {
        const glm::vec3 w = glm::project(world, m_view, m_projection, glm::vec4(0, 0, VIEW_W, VIEW_H));
        unsigned char px[4] = {0, 0, 0, 0};
        glReadPixels(static_cast<int>(w.x), static_cast<int>(w.y), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        return px[0];
    }
    // The map's depth at the light-space image of a world point, 0..255.
    int MapDepthAt(const glm::vec3& world)
    {
        const glm::vec4 clip = m_map.GetLightProjection() * m_map.GetLightView() * glm::vec4(world, 1.0f);
        const int x = static_cast<int>((clip.x * 0.5f + 0.5f) * m_map.GetWidth());
        const int y = static_cast<int>((clip.y * 0.5f + 0.5f) * m_map.GetHeight());
        std::vector<unsigned char> depth(static_cast<size_t>(m_map.GetWidth() * m_map.GetHeight()));
        glBindTexture(GL_TEXTURE_2D, m_map.GetTexture());
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, depth.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        glBindTexture(GL_TEXTURE_2D, 0);
        return depth[static_cast<size_t>(y * m_map.GetWidth() + x)];
    }

    TestSupport::ScopedTempHome m_home;
    ShaderManager m_shaders;
    TextureManager m_textures;
    ShadowMap m_map;
    std::unique_ptr<TestDraw> m_draw;  // made once the context is current
    Program* m_caster = nullptr;
    Program* m_receiver = nullptr;
    glm::mat4 m_view{1.0f};
    glm::mat4 m_projection{1.0f};
    GLuint m_fbo = 0;
    GLuint m_colour = 0;
    GLuint m_depth = 0;
    GameObject m_ground;
    GameObject m_cube;
};

GLint UniformInt(Program* p, const char* name)
{
    GLint v = -12345;
    glGetUniformiv(p->GetProgramObject(), glGetUniformLocation(p->GetProgramObject(), name), &v);
    return v;
}

GLfloat UniformFloat(Program* p, const char* name)
{
    GLfloat v = -12345.0f;
    glGetUniformfv(p->GetProgramObject(), glGetUniformLocation(p->GetProgramObject(), name), &v);
    return v;
}

glm::mat4 UniformMatrix(Program* p, const char* name)
{
    glm::mat4 m(0.0f);
    glGetUniformfv(p->GetProgramObject(), glGetUniformLocation(p->GetProgramObject(), name), glm::value_ptr(m));
    return m;
}

bool Near(const glm::mat4& a, const glm::mat4& b)
{
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r)
            if (std::fabs(a[c][r] - b[c][r]) > 1e-4f) return false;
    return true;
}

// --- set-up ------------------------------------------------------------------------

TEST_F(ShadowMapTest, InitMakesAWindowSizedDepthMapWithACompleteFrameBuffer)
{
    ASSERT_NE(m_map.GetTexture(), 0u);
    EXPECT_TRUE(glIsTexture(m_map.GetTexture()));
    glBindTexture(GL_TEXTURE_2D, m_map.GetTexture());
    GLint w = 0, h = 0, depthBits = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_DEPTH_SIZE, &depthBits);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(w, VIEW_W);
    EXPECT_EQ(h, VIEW_H);
    EXPECT_GT(depthBits, 0);

    glBindFramebuffer(GL_FRAMEBUFFER, m_map.GetFrameBuffer());
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    EXPECT_EQ(m_textures.GetTexture(ShadowMap::TEXTURE_ID), m_map.GetTexture());
    EXPECT_TRUE(Near(m_map.GetLightView(), m_view)) << "the camera's view until the light's is built";
    EXPECT_TRUE(Near(m_map.GetLightProjection(), glm::ortho(-16.0f, 16.0f, -12.0f, 12.0f, 5.0f, 100.0f)));
}

TEST_F(ShadowMapTest, AResolutionChangeRemakesTheMapAtTheNewSize)
{
    m_map.filterX = 1.25f;
    m_map.SAMPLECOUNTY = 3;
    const GLuint oldTexture = m_map.GetTexture();
    const GLuint oldFrameBuffer = m_map.GetFrameBuffer();

    // As a display-mode change does it: release, forget textures, make again.
    m_map.Release();
    EXPECT_FALSE(glIsTexture(oldTexture));
    EXPECT_FALSE(glIsFramebuffer(oldFrameBuffer));
    m_textures.UnloadAll();
    m_map.Init(640, 480, m_view, &m_textures);

    glBindTexture(GL_TEXTURE_2D, m_map.GetTexture());
    GLint w = 0, h = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    EXPECT_EQ(m_textures.GetTexture(ShadowMap::TEXTURE_ID), m_map.GetTexture());
    EXPECT_EQ(m_map.filterX, 1.25f) << "parameters survive the change";
    EXPECT_EQ(m_map.SAMPLECOUNTY, 3);

    glUseProgram(m_receiver->GetProgramObject());
    m_map.SendUniforms(m_receiver, m_view, 640, 480);
    EXPECT_EQ(UniformInt(m_receiver, "shadowMapWidth"), 640);
    EXPECT_EQ(UniformInt(m_receiver, "shadowMapHeight"), 480);
    glUseProgram(0);

    // Init over a live map releases the old one first.
    const GLuint second = m_map.GetTexture();
    m_map.Init(VIEW_W, VIEW_H, m_view, nullptr);
    EXPECT_FALSE(glIsTexture(second));
}

// --- the light -----------------------------------------------------------------------

TEST_F(ShadowMapTest, TheLightLooksAtTheOriginWithoutAPlayerAndShortOfPlayerOne)
{
    glm::mat4 view = m_map.UpdateLightView(LIGHT, nullptr);
    EXPECT_TRUE(Near(view, m_map.GetLightView()));
    glm::vec4 target = view * glm::vec4(0, 0, 0, 1);
    EXPECT_NEAR(target.x, 0.0f, 1e-4f);
    EXPECT_NEAR(target.y, 0.0f, 1e-4f);
    EXPECT_LT(target.z, 0.0f);

    GameObject player;
    player.position = glm::vec3(7, 0, 9);
    view = m_map.UpdateLightView(LIGHT, &player);
    target = view * glm::vec4(2, 0, 4, 1);
    EXPECT_NEAR(target.x, 0.0f, 1e-4f);
    EXPECT_NEAR(target.y, 0.0f, 1e-4f);
}

TEST_F(ShadowMapTest, ALightStraightAboveItsTargetStillGivesAView)
{
    const glm::mat4 view = m_map.UpdateLightView(glm::vec3(0, 30, 0), nullptr);
    for (int c = 0; c < 4; ++c)
        for (int r = 0; r < 4; ++r) ASSERT_TRUE(std::isfinite(view[c][r]));
    const glm::vec4 target = view * glm::vec4(0, 0, 0, 1);
    EXPECT_NEAR(target.z, -30.0f, 1e-3f);
}

// --- the caster pass and the lit pass --------------------------------------------------

TEST_F(ShadowMapTest, TheGroundUnderACubeIsDarkerOnlyWithShadowsOn)
{
    ShadowPass({&m_ground, &m_cube});
    int under = 0, beside = 0;
    LitGround(under, beside);
    EXPECT_LT(under + 60, beside) << "under " << under << " beside " << beside;
    EXPECT_GT(beside, 180);

    m_map.shadowsOn = false;
    glUseProgram(m_receiver->GetProgramObject());
    m_map.SendUniforms(m_receiver, m_view, VIEW_W, VIEW_H);
    EXPECT_EQ(UniformInt(m_receiver, "enableShadows"), 0);
    glUseProgram(0);
    LitGround(under, beside);
    EXPECT_NEAR(under, beside, 2);
}

TEST_F(ShadowMapTest, WithoutAMapTheLitPassIsNotShadowed)
{
    m_map.Release();
    EXPECT_FALSE(m_map.IsComplete());
    ShadowPass({&m_ground, &m_cube}, true);
    EXPECT_TRUE(m_draw->drawn.empty());
    int under = 0, beside = 0;
    LitGround(under, beside);
    EXPECT_NEAR(under, beside, 2);
    EXPECT_GT(beside, 180);
    glUseProgram(m_receiver->GetProgramObject());
    m_map.SendUniforms(m_receiver, m_view, VIEW_W, VIEW_H);
    EXPECT_EQ(UniformInt(m_receiver, "enableShadows"), 0);
    glUseProgram(0);
}

TEST_F(ShadowMapTest, ShadowsOffDrawNothingAndDumpNothing)
{
    m_map.shadowsOn = false;
    ShadowPass({&m_ground, &m_cube}, true);
    EXPECT_TRUE(m_draw->drawn.empty());
    EXPECT_FALSE(TestSupport::ReadFile(ShadowMap::DumpPath(ShadowMap::DUMP_NAME)).size() > 0);
}

TEST_F(ShadowMapTest, ASkinnedCasterCastsWhereItsPoseIs)
{
    // Placed far outside the light's box; its skin brings it back over the origin.
    m_cube.position = glm::vec3(50, 1, 50);
    m_draw->skins[&m_cube] = glm::translate(glm::mat4(1.0f), glm::vec3(-50, 0, -50));
    ShadowPass({&m_ground, &m_cube});
    EXPECT_EQ(m_draw->animatedCalls, 1);
    int under = 0, beside = 0;
    LitGround(under, beside);
    EXPECT_LT(under + 60, beside) << "under " << under << " beside " << beside;
}

TEST_F(ShadowMapTest, TheSkyAndSkippedObjectsCastNothingButTheVisitGoesOn)
{
    GameObject sky;
    sky.type = SKYBOX;
    sky.flags = OBJ_ALIVE;
    sky.scale = glm::vec3(40.0f);
    m_draw->meshOf[&sky] = "sphereinverted";
    GameObject hidden;
    hidden.flags = OBJ_ALIVE | OBJ_SKIP_DRAW;
    m_draw->meshOf[&hidden] = "cube";
    GameObject noGraphics;

    ShadowPass({&sky, &hidden, &noGraphics, &m_ground, &m_cube});
    EXPECT_EQ(m_draw->drawn, (std::vector<std::string>{"ground", "cube"}));
    int under = 0, beside = 0;
    LitGround(under, beside);
    EXPECT_LT(under + 60, beside);
    EXPECT_GT(beside, 180) << "the sky shadowed the scene";
    EXPECT_TRUE(m_cube.flags & OBJ_WORLD_VALID) << "a stale transform is rebuilt";
}

TEST_F(ShadowMapTest, ThePassLeavesProgramFrameBufferAndViewportAsFound)
{
    glViewport(3, 4, 50, 60);
    ShadowPass({&m_ground, &m_cube});
    GLint program = -1, frameBuffer = -1, viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &frameBuffer);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(frameBuffer, 0);
    EXPECT_FALSE(m_caster->IsInUse());
    EXPECT_EQ(viewport[0], 3);
    EXPECT_EQ(viewport[3], 60);
    // The map was drawn over its whole size: the cube's top is nearer the light.
    EXPECT_LT(MapDepthAt(glm::vec3(0, 2, 0)), MapDepthAt(BESIDE_CUBE));
}

TEST_F(ShadowMapTest, ScreenOnlyTypesAreReportedAndDrawnAllTheSame)
{
    GameObject graph, wall;
    graph.type = FPSGRAPH;
    wall.type = WALL;
    graph.flags = wall.flags = OBJ_ALIVE;
    m_draw->meshOf[&graph] = m_draw->meshOf[&wall] = "cube";
    testing::internal::CaptureStdout();
    // Every frame again, also after the map is made anew: each type once.
    for (int frame = 0; frame < 3; ++frame) ShadowPass({&wall, &graph, &wall});
    m_map.Init(VIEW_W, VIEW_H, m_view, &m_textures);
    ShadowPass({&wall});
    const std::string out = testing::internal::GetCapturedStdout();
    for (const std::string type : {"FPSGRAPH", "WALL"}) {
        const std::string line = "Main Shader fn is drawing " + type + " when it shouldn't be!\n";
        EXPECT_NE(out.find(line), std::string::npos) << out;
        EXPECT_EQ(out.find(line), out.rfind(line)) << out;
    }
    EXPECT_EQ(m_draw->drawn.size(), 10u);
}

TEST_F(ShadowMapTest, MainGetsEveryShadowInput)
{
    m_map.UpdateLightView(LIGHT, nullptr);
    m_map.depthBias = 0.25f;
    m_map.SAMPLECOUNTX = 4;
    m_map.filterY = 0.75f;
    glUseProgram(m_receiver->GetProgramObject());
    const glm::mat4 inverse = m_map.SendUniforms(m_receiver, m_view, VIEW_W, VIEW_H);
    EXPECT_TRUE(Near(inverse, glm::inverse(m_view)));
    EXPECT_EQ(UniformInt(m_receiver, "shadowMap"), ShadowMap::SHADOW_TEXTURE_UNIT);
    EXPECT_EQ(UniformInt(m_receiver, "enableShadows"), 1);
    EXPECT_EQ(UniformInt(m_receiver, "SAMPLECOUNTX"), 4);
    EXPECT_EQ(UniformInt(m_receiver, "SAMPLECOUNTY"), ShadowMap::DEFAULT_SAMPLE_COUNT);
    EXPECT_FLOAT_EQ(UniformFloat(m_receiver, "depthBias"), 0.25f);
    EXPECT_FLOAT_EQ(UniformFloat(m_receiver, "filterX"), ShadowMap::DEFAULT_FILTER_X);
    EXPECT_FLOAT_EQ(UniformFloat(m_receiver, "filterY"), 0.75f);
    EXPECT_TRUE(Near(UniformMatrix(m_receiver, "viewToWorldMatrix"), glm::inverse(m_view)));
    EXPECT_TRUE(Near(UniformMatrix(m_receiver, "worldToLightMatrix"), m_map.GetLightView()));
    EXPECT_TRUE(Near(UniformMatrix(m_receiver, "lightToProjectionMatrix"), m_map.GetLightProjection()));
    glUseProgram(0);

    GLint active = 0, bound = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    EXPECT_EQ(active, GL_TEXTURE0);
    glActiveTexture(GL_TEXTURE2);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glBindTexture(GL_TEXTURE_2D, 0);
    glActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(static_cast<GLuint>(bound), m_map.GetTexture());
}

// --- the dump ----------------------------------------------------------------------------

TEST_F(ShadowMapTest, F11WritesTheMapAsAGreyTargaInTheScreenshotFolder)
{
    ShadowPass({&m_ground, &m_cube}, true);
    const std::string path = ShadowMap::DumpPath(ShadowMap::DUMP_NAME);
    EXPECT_NE(path.find("/Orvanta/Zendra/Screenshots/whatever.tga"), std::string::npos);
    const std::string file = TestSupport::ReadFile(path);
    ASSERT_GE(file.size(), 18u + VIEW_W * VIEW_H * 4u);
    EXPECT_EQ(file[2], 2) << "uncompressed true colour";
    EXPECT_EQ(static_cast<unsigned char>(file[12]) | static_cast<unsigned char>(file[13]) << 8, VIEW_W);
    EXPECT_EQ(static_cast<unsigned char>(file[14]) | static_cast<unsigned char>(file[15]) << 8, VIEW_H);
    EXPECT_EQ(file[16], 32);
    // Grey pixels: blue, green and red alike everywhere.
    for (size_t p = 18; p + 3 < 18u + VIEW_W * VIEW_H * 4u; p += 4) {
        ASSERT_EQ(file[p], file[p + 1]);
        ASSERT_EQ(file[p], file[p + 2]);
    }
}

TEST_F(ShadowMapTest, AnEmptyTextureIsNotDumped)
{
    testing::internal::CaptureStdout();
    EXPECT_FALSE(ShadowMap::SaveDebugTexture(0, true, "empty"));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(TestSupport::ReadFile(ShadowMap::DumpPath("empty")).empty());
}

} // namespace
