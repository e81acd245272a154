// Post-processing under Xvfb: the post programs, the render targets and their
// chains, the combined image against the plain one, a recompile's GL objects,
// the debug frame buffer with its sprites and the frame-buffer reports.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/PostProcessing.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateTables.h"
#include "support/FakeAudio.h"
#include "support/EngineFixture.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"
#include "tools/ProgramParts.h"

using namespace QRX;

namespace {

constexpr int VIEW_W = 320;
constexpr int VIEW_H = 240;

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(VIEW_W, VIEW_H); }

// Live GL objects of every kind the post-processing makes, by probing names.
struct GLObjectCount
{
    int textures = 0, frameBuffers = 0, renderBuffers = 0, buffers = 0, programs = 0, shaders = 0;
    bool operator==(const GLObjectCount& o) const
    {
        return textures == o.textures && frameBuffers == o.frameBuffers && renderBuffers == o.renderBuffers &&
               buffers == o.buffers && programs == o.programs && shaders == o.shaders;
    }
};

GLObjectCount CountGLObjects()
{
    constexpr GLuint PROBED_NAMES = 4096;
    GLObjectCount c;
    for (GLuint n = 1; n < PROBED_NAMES; ++n) {
        c.textures += glIsTexture(n) ? 1 : 0;
        c.frameBuffers += glIsFramebuffer(n) ? 1 : 0;
        c.renderBuffers += glIsRenderbuffer(n) ? 1 : 0;
        c.buffers += glIsBuffer(n) ? 1 : 0;
        c.programs += glIsProgram(n) ? 1 : 0;
        c.shaders += glIsShader(n) ? 1 : 0;
    }
    return c;
}

std::ostream& operator<<(std::ostream& os, const GLObjectCount& c)
{
    return os << "textures " << c.textures << ", frame buffers " << c.frameBuffers << ", render buffers "
              << c.renderBuffers << ", buffers " << c.buffers << ", programs " << c.programs << ", shaders "
              << c.shaders;
}

// An off-screen window stand-in; pixels read back bottom row first.
class Output
{
public:
    Output()
    {
        glGenTextures(1, &m_texture);
        glBindTexture(GL_TEXTURE_2D, m_texture);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, VIEW_W, VIEW_H, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        glBindTexture(GL_TEXTURE_2D, 0);
        glGenFramebuffers(1, &m_fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_texture, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    ~Output()
    {
        glDeleteFramebuffers(1, &m_fbo);
        glDeleteTextures(1, &m_texture);
    }
    GLuint FrameBuffer() const { return m_fbo; }
    std::vector<unsigned char> Read() const
    {
        std::vector<unsigned char> rgba(VIEW_W * VIEW_H * 4);
        glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
        glReadPixels(0, 0, VIEW_W, VIEW_H, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return rgba;
    }

private:
    GLuint m_texture = 0;
    GLuint m_fbo = 0;
};

int At(const std::vector<unsigned char>& rgba, int x, int y, int c)
{
    return rgba[(y * VIEW_W + x) * 4 + c];
}

// The test scene: mid grey with a red square, into whatever is bound.
void DrawScene()
{
    glClearColor(0.5f, 0.5f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_SCISSOR_TEST);
    glScissor(100, 80, 60, 60);
    glClearColor(0.9f, 0.1f, 0.1f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    glDisable(GL_SCISSOR_TEST);
}

class PostProcessingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        Logger::SetDialogAvailableOverride(0);
        // The renderer's fixed state.
        glEnable(GL_BLEND);
        glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        glEnable(GL_CULL_FACE);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
        Door().rebuildShaders = [this] { m_post.Setup(&m_shaders, VIEW_W, VIEW_H); };
        m_post.Setup(&m_shaders, VIEW_W, VIEW_H);
        m_output.reset(new Output());
        glGetError();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        m_output.reset();
        m_post.Release();
        m_shaders.DeleteAllPrograms();
        glDisable(GL_BLEND);
        glDisable(GL_CULL_FACE);
        glDisable(GL_DEPTH_TEST);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        Logger::SetDialogAvailableOverride(-1);
        InstallProgramParts();
    }
    // The frame with post-processing on: scene into the capture, then the chain.
    std::vector<unsigned char> Processed()
    {
        m_post.BindSceneCapture();
        DrawScene();
        m_post.Process(&m_shaders, VIEW_W, VIEW_H, m_output->FrameBuffer());
        return m_output->Read();
    }
    // The frame with post-processing off: the scene straight into the output.
    std::vector<unsigned char> Plain()
    {
        glBindFramebuffer(GL_FRAMEBUFFER, m_output->FrameBuffer());
        glViewport(0, 0, VIEW_W, VIEW_H);
        DrawScene();
        return m_output->Read();
    }

    ShaderManager m_shaders;
    PostProcessing m_post;
    std::unique_ptr<Output> m_output;
};

GLint TextureWidth(GLuint texture)
{
    GLint w = 0;
    glBindTexture(GL_TEXTURE_2D, texture);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glBindTexture(GL_TEXTURE_2D, 0);
    return w;
}

// --- programs and targets -------------------------------------------------------------

TEST_F(PostProcessingTest, EveryPostProgramLinksWithItsInputsActive)
{
    struct Expect
    {
        const char* program;
        std::vector<const char*> uniforms;
    };
    const std::vector<Expect> table = {
        {PostProcessing::QUAD_PROGRAM, {"fbo_texture"}},
        {PostProcessing::ANTI_ALIAS_H_PROGRAM, {"uColorMap", "uMapSize"}},
        {PostProcessing::ANTI_ALIAS_V_PROGRAM, {"uColorMap", "uMapSize"}},
        {PostProcessing::BLUR_H_PROGRAM, {"uColorMap", "uMapSize", "uHalfSize"}},
        {PostProcessing::BLUR_V_PROGRAM, {"uColorMap", "uMapSize", "uHalfSize"}},
        {PostProcessing::BLIT_PROGRAM, {"uColorMap"}},
        {PostProcessing::COMBINE_PROGRAM,
         {"Pass0", "Pass1", "Pass2", "sourceImage", "uBloomColor", "uSaturation", "uValue"}},
    };
    for (const Expect& e : table) {
        Program* p = m_shaders.GetProgram(e.program);
        ASSERT_NE(p, nullptr) << e.program;
        GLint linked = GL_FALSE;
        glGetProgramiv(p->GetProgramObject(), GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << e.program;
        EXPECT_NE(glGetAttribLocation(p->GetProgramObject(), "inPosition"), -1) << e.program;
        for (const char* u : e.uniforms)
            EXPECT_NE(glGetUniformLocation(p->GetProgramObject(), u), -1) << e.program << " " << u;
        const PostProcessing::Locations& l = m_post.GetLocations(e.program);
        EXPECT_EQ(l.inPosition, glGetAttribLocation(p->GetProgramObject(), "inPosition")) << e.program;
    }
    EXPECT_NE(m_post.GetLocations(PostProcessing::QUAD_PROGRAM).texture, -1);
    EXPECT_NE(m_post.GetLocations(PostProcessing::BLUR_V_PROGRAM).texture, -1);
    EXPECT_NE(m_post.GetLocations(PostProcessing::COMBINE_PROGRAM).saturation, -1);
    EXPECT_NE(m_post.GetLocations(PostProcessing::COMBINE_PROGRAM).value, -1);
}

TEST_F(PostProcessingTest, LevelsHalveByIntegerDivisionAndEveryTargetIsComplete)
{
    m_post.Setup(&m_shaders, 1023, 767);
    const int widths[] = {1023, 511, 255, 127};
    const int heights[] = {767, 383, 191, 95};
    for (int k = 0; k < PostProcessing::LEVELS; ++k) {
        for (RenderTarget* chain : {m_post.GetChainA(), m_post.GetChainB()}) {
            const RenderTarget& t = chain[k];
            EXPECT_EQ(t.width, widths[k]);
            EXPECT_EQ(t.height, heights[k]);
            EXPECT_EQ(t.viewportWidth, widths[k]);
            EXPECT_EQ(t.viewportHeight, heights[k]);
            EXPECT_EQ(TextureWidth(t.texture), widths[k]);
            glBindFramebuffer(GL_FRAMEBUFFER, t.frameBuffer);
            EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        }
    }
    EXPECT_EQ(m_post.GetSceneCapture().width, 1023);
    EXPECT_EQ(TextureWidth(m_post.GetSceneCapture().texture), 1023);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    GLint wrap = 0;
    glBindTexture(GL_TEXTURE_2D, m_post.GetChainA()[2].texture);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
    glBindTexture(GL_TEXTURE_2D, 0);
    EXPECT_EQ(wrap, GL_CLAMP_TO_EDGE);
}

TEST_F(PostProcessingTest, BindingATargetClearsItAndMakesItCurrent)
{
    RenderTarget& capture = m_post.GetSceneCapture();
    glViewport(0, 0, 10, 10);
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    m_post.BindSceneCapture();
    EXPECT_EQ(GetCurrentRenderTarget(), &capture);
    GLint fbo = 0, viewport[4] = {0, 0, 0, 0}, depthMask = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &fbo);
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(static_cast<GLuint>(fbo), capture.frameBuffer);
    EXPECT_EQ(viewport[2], VIEW_W);
    EXPECT_EQ(viewport[3], VIEW_H);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    EXPECT_EQ(depthMask, GL_TRUE);
    unsigned char px[4] = {9, 9, 9, 9};
    glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0] + px[1] + px[2] + px[3], 0) << "cleared to (0, 0, 0, 0)";
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// --- the chain ----------------------------------------------------------------------------

TEST_F(PostProcessingTest, TheProcessedFrameIsLikeThePlainOneWithoutADarkBorder)
{
    const std::vector<unsigned char> plain = Plain();
    const std::vector<unsigned char> post = Processed();
    int worst = 0;
    for (size_t i = 0; i < post.size(); ++i)
        if (i % 4 != 3) worst = std::max(worst, std::abs(int(post[i]) - int(plain[i])));
    EXPECT_LE(worst, 48);

    // Away from the square the grey is one grey, edges and corners included.
    const int centre = At(post, 250, 200, 0);
    EXPECT_GE(centre, At(plain, 250, 200, 0)) << "the bloom only adds";
    for (int x : {0, 1, VIEW_W / 2, VIEW_W - 2, VIEW_W - 1})
        for (int y : {0, 1, VIEW_H - 2, VIEW_H - 1}) {
            EXPECT_NEAR(At(post, x, y, 0), centre, 3) << x << "," << y;
            EXPECT_NEAR(At(post, x, y, 2), At(post, 250, 200, 2), 3) << x << "," << y;
            EXPECT_EQ(At(post, x, y, 3), 255);
        }
    for (int y : {VIEW_H / 2, 30}) {
        EXPECT_NEAR(At(post, 0, y, 0), centre, 3);
        EXPECT_NEAR(At(post, VIEW_W - 1, y, 0), centre, 3);
    }
    // The square stays red.
    EXPECT_GT(At(post, 130, 110, 0), 200);
    EXPECT_LT(At(post, 130, 110, 1), 60);
}

TEST_F(PostProcessingTest, TheChainLeavesTheStateTheFrameExpects)
{
    Processed();
    GLint program = -1, active = 0, fbo = -1, depthMask = 0, viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glGetIntegerv(GL_DEPTH_WRITEMASK, &depthMask);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(active, GL_TEXTURE0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(depthMask, GL_TRUE);
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    for (const char* name : {PostProcessing::QUAD_PROGRAM, PostProcessing::BLUR_H_PROGRAM,
                             PostProcessing::ANTI_ALIAS_V_PROGRAM, PostProcessing::COMBINE_PROGRAM})
        EXPECT_FALSE(m_shaders.GetProgram(name)->IsInUse()) << name;
    // The last level pass wrote chain A's smallest level.
    EXPECT_EQ(GetCurrentRenderTarget(), &m_post.GetChainA()[PostProcessing::LEVELS - 1]);

    m_post.Process(&m_shaders, VIEW_W, VIEW_H);
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &fbo);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(fbo, 0) << "the window by default";
    EXPECT_EQ(viewport[2], VIEW_W);
    EXPECT_EQ(viewport[3], VIEW_H);
}

TEST_F(PostProcessingTest, TheBlurredLevelsHoldTheSceneSoftened)
{
    Processed();
    // Level 1 of chain A: half size; the square's edge is spread, its middle kept.
    const RenderTarget& level = m_post.GetChainA()[1];
    std::vector<unsigned char> rgba(static_cast<size_t>(level.width * level.height * 4));
    glBindTexture(GL_TEXTURE_2D, level.texture);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    glBindTexture(GL_TEXTURE_2D, 0);
    auto red = [&](int x, int y) { return int(rgba[(y * level.width + x) * 4]); };
    EXPECT_GT(red(65, 55), 200) << "inside the square";
    EXPECT_NEAR(red(10, 10), 128, 3) << "grey far away";
    const int edge = red(48, 55);  // just outside the square's left edge (x 50)
    EXPECT_GT(edge, 135);
    EXPECT_LT(edge, 225);
}

TEST_F(PostProcessingTest, ARecompileKeepsTheFrameAndLeaksNoGLObject)
{
    const std::vector<unsigned char> before = Processed();
    const GLObjectCount count = CountGLObjects();
    for (int i = 0; i < 3; ++i) m_shaders.RecompileAllShaders();
    EXPECT_EQ(CountGLObjects(), count);
    EXPECT_EQ(Processed(), before);
}

TEST_F(PostProcessingTest, ReleaseDeletesEveryTargetAndTheQuad)
{
    const GLObjectCount withTargets = CountGLObjects();
    m_post.Release();
    const GLObjectCount released = CountGLObjects();
    EXPECT_EQ(withTargets.textures - released.textures, 2 * PostProcessing::LEVELS + 1);
    EXPECT_EQ(withTargets.frameBuffers - released.frameBuffers, 2 * PostProcessing::LEVELS + 1);
    EXPECT_EQ(withTargets.renderBuffers - released.renderBuffers, 2 * PostProcessing::LEVELS + 1);
    EXPECT_EQ(withTargets.buffers - released.buffers, 1);
    EXPECT_EQ(m_post.GetQuadBuffer(), 0u);
    EXPECT_EQ(m_post.GetSceneCapture().frameBuffer, 0u);
    m_post.Release();  // twice is harmless
}

TEST_F(PostProcessingTest, AQuadWithoutAnAttributeOnlyClears)
{
    m_post.BindSceneCapture();
    DrawScene();
    m_post.DrawFullScreenQuad(-1);
    unsigned char px[4] = {9, 9, 9, 9};
    glReadPixels(130, 110, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
    EXPECT_EQ(px[0], 0);
    EXPECT_EQ(px[3], 255);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

// --- reports ----------------------------------------------------------------------------

TEST_F(PostProcessingTest, AnIncompleteFrameBufferIsReported)
{
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(PostProcessing::CheckFramebufferStatus());
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Framebuffer incomplete, missing attachment\n"), std::string::npos);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(PostProcessing::CheckFramebufferStatus()) << "the window";
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(PostProcessingTest, AnIncompleteTargetPrintsItsStatusAsANumber)
{
    RenderTarget empty;
    empty.SetSize(0, 0);
    testing::internal::CaptureStderr();
    empty.Init();
    const std::string err = testing::internal::GetCapturedStderr();
    glGetError();  // a zero-sized image may be refused by the driver
    const std::string prefix = "glCheckFramebufferStatus: error ";
    const size_t at = err.find(prefix);
    ASSERT_NE(at, std::string::npos) << err;
    const std::string number = err.substr(at + prefix.size(), err.find('\n', at) - at - prefix.size());
    EXPECT_FALSE(number.empty());
    EXPECT_EQ(number.find_first_not_of("0123456789"), std::string::npos) << number;
    EXPECT_NE(std::stoul(number), static_cast<unsigned long>(GL_FRAMEBUFFER_COMPLETE));
    empty.Release();
}

// --- inside the engine: the start-up's shadow map and frame buffers, and a display change ---

// Stands in for the first state so that the test controls the scene.
class QuietState : public GameState
{
public:
    void Load() override {}
    void Init() override {}
    void Update(GameStateManager&) override {}
    void Free() override {}
    void Unload() override {}
};

class EngineTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The game's window brings its own context; the test context only
        // keeps the GL driver loaded to the end of the run.
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Logger::SetDialogAvailableOverride(0);
        BindStateObject(StateObjectKind::BaseLevel, &m_state);
        m_system = System::GetInstance();
        testing::internal::CaptureStdout();
        const bool started = m_system->Initialize();
        m_startOutput = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started);
        ASSERT_NE(m_system->renderer, nullptr);
        ASSERT_NE(m_system->window, nullptr);
        m_renderer = m_system->renderer;
    }
    void TearDown() override
    {
        testing::internal::CaptureStdout();
        m_system->Shutdown();
        testing::internal::GetCapturedStdout();
        System::DestroyInstance();
        BindStateObject(StateObjectKind::BaseLevel, nullptr);
        Logger::SetDialogAvailableOverride(-1);
    }
    TestSupport::ScopedTempHome m_home;
    TestSupport::ScopedFakeAudio m_audio;
    QuietState m_state;
    System* m_system = nullptr;
    Renderer* m_renderer = nullptr;
    std::string m_startOutput;
};

TEST_F(EngineTest, StartUpMakesTheDebugFrameBufferWithFivePersistentSpritesAlongTheBottom)
{
    const PostProcessing& post = m_renderer->m_postProcess;
    const int W = m_system->window->GetWidth();
    const int H = m_system->window->GetHeight();
    EXPECT_NE(m_startOutput.find("Shader Output Location 0 - color attachment 0\n\tAttachment Type: Texture\n"),
              std::string::npos);
    EXPECT_NE(m_startOutput.find("\tAttachment texture cube map face: 0 (not cube-map texture)\n"),
              std::string::npos);
    EXPECT_EQ(m_startOutput.find("Framebuffer incomplete"), std::string::npos);

    glBindFramebuffer(GL_FRAMEBUFFER, post.GetDebugFrameBuffer());
    EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    const float w = 0.2f * W;
    const float h = 0.75f * w;
    EXPECT_EQ(m_system->objectManager->GetPersistentObjects().size(), 5u);
    for (int i = 0; i < PostProcessing::DEBUG_TEXTURE_COUNT; ++i) {
        const std::string id = "debugDeferred" + std::to_string(i);
        EXPECT_TRUE(glIsTexture(post.GetDebugTexture(i)));
        EXPECT_EQ(TextureWidth(post.GetDebugTexture(i)), W);
        EXPECT_EQ(m_system->textureManager->GetTexture(id), post.GetDebugTexture(i)) << id;
        GameObject* sprite = post.GetDebugSprite(i);
        ASSERT_NE(sprite, nullptr);
        EXPECT_EQ(sprite->type, SPRITE);
        EXPECT_TRUE(sprite->flags & OBJ_PERSISTENT);
        EXPECT_TRUE(sprite->flags & OBJ_SKIP_DRAW);  // never drawn, even once its texture is gone
        EXPECT_FLOAT_EQ(sprite->scale.x, w);
        EXPECT_FLOAT_EQ(sprite->scale.y, h);
        EXPECT_FLOAT_EQ(sprite->position.x, w * i - (W / 2.0f - w / 2.0f));
        EXPECT_FLOAT_EQ(sprite->position.y, -(H / 2.0f - h / 2.0f));
        EXPECT_FLOAT_EQ(sprite->position.z, -1.5f);
        GUIComponent* gui = dynamic_cast<GUIComponent*>(sprite->GetComponent(CT_GUI));
        ASSERT_NE(gui, nullptr);
        EXPECT_EQ(gui->m_textureId, id);
    }
    // Side by side from the left edge to the right one.
    EXPECT_FLOAT_EQ(post.GetDebugSprite(0)->position.x - w / 2.0f, -W / 2.0f);
    EXPECT_FLOAT_EQ(post.GetDebugSprite(4)->position.x + w / 2.0f, W / 2.0f);
}

TEST_F(EngineTest, TheAttachmentReportStopsAtTheDriversDrawBuffers)
{
    const GLuint fbo = m_renderer->m_postProcess.GetDebugFrameBuffer();
    GLint maxDrawBuffers = 0;
    glGetIntegerv(GL_MAX_DRAW_BUFFERS, &maxDrawBuffers);
    const GLenum all[] = {GL_COLOR_ATTACHMENT0, GL_COLOR_ATTACHMENT1, GL_COLOR_ATTACHMENT2, GL_COLOR_ATTACHMENT3,
                          GL_COLOR_ATTACHMENT4};
    const GLsizei used = std::min<GLsizei>(5, maxDrawBuffers);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glDrawBuffers(used, all);
    testing::internal::CaptureStdout();
    PostProcessing::PrintFramebufferInfo(fbo);
    const std::string out = testing::internal::GetCapturedStdout();
    int lines = 0;
    for (size_t at = out.find("Shader Output Location"); at != std::string::npos;
         at = out.find("Shader Output Location", at + 1))
        ++lines;
    EXPECT_EQ(lines, used);
    EXPECT_NE(out.find("Shader Output Location " + std::to_string(used - 1) + " - color attachment " +
                       std::to_string(used - 1)),
              std::string::npos);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

TEST_F(EngineTest, StartUpAndADisplayChangeSizeTheShadowMapAndTargetsToTheWindow)
{
    const ShadowMap& shadow = m_renderer->m_shadowMap;
    EXPECT_TRUE(shadow.IsComplete());
    EXPECT_EQ(shadow.GetWidth(), m_system->window->GetWidth());
    EXPECT_EQ(shadow.GetHeight(), m_system->window->GetHeight());
    EXPECT_EQ(m_system->textureManager->GetTexture(ShadowMap::TEXTURE_ID), shadow.GetTexture());
    EXPECT_EQ(m_renderer->m_postProcess.GetSceneCapture().width, m_system->window->GetWidth());

    testing::internal::CaptureStdout();
    ASSERT_TRUE(m_system->window->ChangeResolution(640, 480, false));
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(shadow.IsComplete());
    EXPECT_EQ(shadow.GetWidth(), 640);
    EXPECT_EQ(shadow.GetHeight(), 480);
    EXPECT_EQ(TextureWidth(shadow.GetTexture()), 640);
    EXPECT_EQ(m_system->textureManager->GetTexture(ShadowMap::TEXTURE_ID), shadow.GetTexture());
    const PostProcessing& post = m_renderer->m_postProcess;
    EXPECT_EQ(post.GetSceneCapture().width, 640);
    EXPECT_EQ(post.GetSceneCapture().height, 480);
    EXPECT_EQ(TextureWidth(post.GetSceneCapture().texture), 640);
    EXPECT_EQ(post.GetChainA()[3].width, 80);
    // The debug frame buffer is not made again; its sprites stay.
    EXPECT_EQ(post.GetDebugFrameBuffer(), 0u);
    EXPECT_EQ(m_system->objectManager->GetPersistentObjects().size(), 5u);
}

} // namespace
