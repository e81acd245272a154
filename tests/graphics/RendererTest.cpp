// The renderer on a real OpenGL context (Xvfb, Mesa): fixed state, the
// capability report, the program table, lines, screenshots and release.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <FreeImage.h>
#include <dirent.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "support/EngineFixture.h"
#include "support/GLReadback.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(256, 256); }

class RendererTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        System* s = System::GetInstance();
        s->logger = new Logger();
        Logger::SetDialogAvailableOverride(0);
        s->shaderManager = new ShaderManager();
        m_renderer = new Renderer();
        s->renderer = m_renderer;
        ASSERT_TRUE(m_renderer->InitGL());
        m_renderer->Resize(Context().Width(), Context().Height(), Renderer::DEFAULT_FIELD_OF_VIEW);
        m_renderer->SetupShaders();
        glGetError();
    }
    void TearDown() override
    {
        TestSupport::ReleaseSystem();  // the renderer is the System's
    }

    static std::string LogText() { return TestSupport::ReadFile(System::GetInstance()->logger->GetPath()); }
    static Program* ProgramNamed(const char* name) { return System::GetInstance()->shaderManager->GetProgram(name); }

    TestSupport::ScopedTempHome m_home;
    Renderer* m_renderer = nullptr;
};

TEST_F(RendererTest, InitGLSetsTheFixedState)
{
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_TRUE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_CULL_FACE));
    GLint value = 0;
    glGetIntegerv(GL_DEPTH_FUNC, &value);
    EXPECT_EQ(value, GL_LEQUAL);
    glGetIntegerv(GL_BLEND_SRC_RGB, &value);
    EXPECT_EQ(value, GL_SRC_ALPHA);
    glGetIntegerv(GL_BLEND_DST_RGB, &value);
    EXPECT_EQ(value, GL_ONE_MINUS_SRC_ALPHA);
    glGetIntegerv(GL_CULL_FACE_MODE, &value);
    EXPECT_EQ(value, GL_BACK);
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(value, GL_CCW);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &value);
    EXPECT_EQ(static_cast<GLuint>(value), m_renderer->GetVertexArray());
    EXPECT_NE(m_renderer->GetVertexArray(), 0u);
    for (GLuint buffer : m_renderer->m_vertexBufferObject) EXPECT_NE(buffer, 0u);
}

TEST_F(RendererTest, CapabilityReportHasItsLines)
{
    const std::string log = LogText();
    for (const char* line : {"Retrieving required graphics information...", "Status: Using GLEW",
                             "OpenGL 2.1 supported, proceeding.", "Great, we have vbo support.", "MSAA support.",
                             "Retrieving more detailed information...", "GPU Vendor: ", "Renderer: ",
                             "GL Version Supported: ", "GLSL Version: ", "GLU Version: ", "FreeImage Version: ",
                             "Max number of supported vertex attributes: ", "Max supported texture size: ",
                             "Max framebuffer layers: ", "Getting list of supported extensions..."})
        EXPECT_NE(log.find(line), std::string::npos) << line;
    // Extensions are listed one a line.
    EXPECT_NE(log.find("GL_ARB_vertex_buffer_object"), std::string::npos);
    EXPECT_TRUE(System::GetInstance()->IsRunning());
}

TEST_F(RendererTest, EveryProgramLinksWithItsAttributesAtTheirLocations)
{
    struct Expected
    {
        const char* program;
        std::vector<std::pair<const char*, GLint>> attributes;
    };
    const Expected table[] = {
        {"main", {{"inPosition", 0}, {"inNormal", 1}, {"texcoord", 2}, {"weight", 6}, {"jointIndex", 7}}},
        {"hud", {{"inPosition", 5}, {"texcoord", 2}}},
        {"line", {{"inPosition", 3}, {"inColor", 4}}},
        {"shadowmain", {{"inPosition", 0}, {"inNormal", 1}, {"weight", 6}, {"jointIndex", 7}}},
        {"particle", {{"inPosition", 8}, {"inColor", 9}, {"texcoord", 2}}},
    };
    for (const Expected& e : table) {
        Program* program = ProgramNamed(e.program);
        ASSERT_NE(program, nullptr) << e.program;
        GLint linked = GL_FALSE;
        glGetProgramiv(program->GetProgramObject(), GL_LINK_STATUS, &linked);
        EXPECT_EQ(linked, GL_TRUE) << e.program;
        for (const auto& attribute : e.attributes)
            EXPECT_EQ(glGetAttribLocation(program->GetProgramObject(), attribute.first), attribute.second)
                << e.program << " " << attribute.first;
    }
}

TEST_F(RendererTest, EveryListedUniformIsActive)
{
    const MainProgramLocations& main = m_renderer->m_mainLocations;
    for (GLint location : {main.projectionMatrix, main.viewMatrix, main.modelMatrix, main.normalMatrix, main.wireFrame,
                           main.wireFrameColor, main.opacity, main.isB})
        EXPECT_NE(location, -1);
    const HudLocations& hud = m_renderer->m_hudLocations;
    for (GLint location : {hud.projectionMatrix, hud.viewMatrix, hud.modelMatrix, hud.opacity}) EXPECT_NE(location, -1);
    const LineProgramLocations& line = m_renderer->m_lineLocations;
    for (GLint location : {line.projectionMatrix, line.viewMatrix, line.modelMatrix}) EXPECT_NE(location, -1);
    const ParticleProgramLocations& particle = m_renderer->m_particleLocations;
    for (GLint location : {particle.projectionMatrix, particle.viewMatrix, particle.useTexture, particle.hue})
        EXPECT_NE(location, -1);

    // What the light, the skinning and the shadow pass look up by name.
    const GLuint mainProgram = ProgramNamed("main")->GetProgramObject();
    for (const char* name :
         {"global_ambientColor", "diffuse", "emissive", "specular", "attCoef", "innerAngle", "outerAngle", "Falloff",
          "nearPlaneDis", "farPlaneDis", "lightType", "LON", "lightPosView", "lightDirView", "isAnimated",
          "skinMatrix", "shadowMap", "enableShadows", "depthBias", "SAMPLECOUNTX", "SAMPLECOUNTY", "filterX",
          "filterY", "shadowMapWidth", "shadowMapHeight", "viewToWorldMatrix", "worldToLightMatrix",
          "lightToProjectionMatrix"})
        EXPECT_NE(glGetUniformLocation(mainProgram, name), -1) << name;
    const GLuint shadowProgram = ProgramNamed("shadowmain")->GetProgramObject();
    for (const char* name : {"projectionMatrix", "viewMatrix", "modelMatrix", "isAnimated", "skinMatrix"})
        EXPECT_NE(glGetUniformLocation(shadowProgram, name), -1) << name;
}

TEST_F(RendererTest, RecompileRebuildsEveryProgramUnderTheSameNames)
{
    const GLuint before = ProgramNamed("main")->GetProgramObject();
    m_renderer->m_mainLocations.opacity = -7;
    System::GetInstance()->shaderManager->RecompileAllShaders();
    ASSERT_NE(ProgramNamed("main"), nullptr);
    EXPECT_NE(m_renderer->m_mainLocations.opacity, -7);
    EXPECT_NE(m_renderer->m_mainLocations.opacity, -1);
    // main, its unlit build, hud, line, shadowmain, particle and the seven
    // post-processing programs.
    EXPECT_EQ(System::GetInstance()->shaderManager->GetProgramCount(), 13u);
    EXPECT_NE(ProgramNamed(UNLIT_PROGRAM), nullptr);
    EXPECT_EQ(glIsProgram(before), GL_FALSE);
    const std::string log = LogText();
    EXPECT_NE(log.find("Setting up shaders.."), std::string::npos);
    EXPECT_NE(log.find("Shaders setup completed."), std::string::npos);
}

TEST_F(RendererTest, TwoDimensionalLineIsDrawnAtItsDepthAndLeavesProgramZero)
{
    glDisable(GL_DEPTH_TEST);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    // Screen coordinates have their origin at the centre of the window.
    m_renderer->Draw2DLine(-2.0f, 3.0f, glm::vec2(-100.0f, 0.0f), glm::vec2(100.0f, 0.0f),
                           glm::vec4(1.0f, 0.0f, 0.0f, 1.0f));
    const glm::ivec4 centre = TestSupport::ReadPixel(128, 128);
    EXPECT_GT(centre.r, 200);
    EXPECT_LT(centre.g, 30);
    EXPECT_LT(TestSupport::ReadPixel(128, 200).r, 30);  // off the line
    // A depth outside the orthographic near and far planes is clipped away.
    glClear(GL_COLOR_BUFFER_BIT);
    m_renderer->Draw2DLine(-600.0f, 3.0f, glm::vec2(-100.0f, 0.0f), glm::vec2(100.0f, 0.0f), glm::vec4(1.0f));
    EXPECT_LT(TestSupport::ReadPixel(128, 128).r, 30);
    EXPECT_EQ(TestSupport::CurrentProgram(), 0);
    EXPECT_FALSE(ProgramNamed("line")->IsInUse());
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 3.0f);
    glEnable(GL_DEPTH_TEST);
}

TEST_F(RendererTest, ResizeBuildsTheCentredOrthographicProjection)
{
    m_renderer->Resize(800, 600, 45.0f);
    const glm::vec4 corner = m_renderer->Get2DProjection() * glm::vec4(400.0f, 300.0f, -2.0f, 1.0f);
    EXPECT_NEAR(corner.x / corner.w, 1.0f, 1e-5f);
    EXPECT_NEAR(corner.y / corner.w, 1.0f, 1e-5f);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 800);
    EXPECT_EQ(viewport[3], 600);
    // A height of 0 is taken as 1.
    m_renderer->Resize(640, 0, 45.0f);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    EXPECT_EQ(m_renderer->GetViewportHeight(), 1);
    m_renderer->Resize(Context().Width(), Context().Height(), 45.0f);
}

TEST_F(RendererTest, ReleaseDeletesEveryObjectAndProgram)
{
    const GLuint vao = m_renderer->GetVertexArray();
    m_renderer->ReleaseResources();
    EXPECT_EQ(m_renderer->GetVertexArray(), 0u);
    EXPECT_EQ(glIsVertexArray(vao), GL_FALSE);
    for (GLuint buffer : m_renderer->m_vertexBufferObject) EXPECT_EQ(buffer, 0u);
    EXPECT_EQ(System::GetInstance()->shaderManager->GetProgramCount(), 0u);
    // The set-up comes back as after a display-mode change.
    ASSERT_TRUE(m_renderer->InitGL());
    m_renderer->SetupShaders();
    EXPECT_NE(ProgramNamed("main"), nullptr);
}

TEST(ScreenshotNumberTest, NextNumberFollowsTheLargestPresent)
{
    EXPECT_EQ(Renderer::NextScreenshotNumber({}), 0);
    EXPECT_EQ(Renderer::NextScreenshotNumber({"Screenshot_3.png", "Screenshot_10.png"}), 11);
    EXPECT_EQ(Renderer::NextScreenshotNumber({"Screenshot_a.png"}), 1);
    EXPECT_EQ(Renderer::NextScreenshotNumber({"Screenshot_.png", "Screenshot_2x.png", "Screenshot_0.png"}), 1);
    EXPECT_EQ(Renderer::NextScreenshotNumber({"Screenshot_99999999999999.png", "Screenshot_4.png"}), 5);
}

// Screenshots of an odd-sized window: rows are not a multiple of 4 bytes.
class ScreenshotTest : public ::testing::Test
{
protected:
    static TestSupport::GLTestContext& OddContext()
    {
        static TestSupport::GLTestContext* context = new TestSupport::GLTestContext(1023, 767);
        return *context;
    }
    void SetUp() override
    {
        ASSERT_TRUE(OddContext().Ok()) << OddContext().Error();
        OddContext().MakeCurrent();
        m_folder = m_home.GameFolder() + "/Screenshots";
    }
    static glm::ivec2 ImageSize(const std::string& path)
    {
        FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, path.c_str(), 0);
        if (!bitmap) return glm::ivec2(-1);
        glm::ivec2 size(FreeImage_GetWidth(bitmap), FreeImage_GetHeight(bitmap));
        FreeImage_Unload(bitmap);
        return size;
    }

    TestSupport::ScopedTempHome m_home;
    std::string m_folder;
};

TEST_F(ScreenshotTest, OddWindowGivesAWholeImageInANewFolder)
{
    glClearColor(0.0f, 1.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    Renderer renderer;
    ASSERT_FALSE(std::filesystem::exists(m_folder));
    renderer.TakeScreenshot(1023, 767);
    const std::string first = m_folder + "/Screenshot_0.png";
    ASSERT_TRUE(std::filesystem::exists(first));
    EXPECT_EQ(ImageSize(first), glm::ivec2(1023, 767));
    FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, first.c_str(), 0);
    ASSERT_NE(bitmap, nullptr);
    RGBQUAD colour;
    ASSERT_TRUE(FreeImage_GetPixelColor(bitmap, 1022, 766, &colour));
    EXPECT_EQ(colour.rgbGreen, 255);
    EXPECT_EQ(colour.rgbRed, 0);
    FreeImage_Unload(bitmap);

    renderer.TakeScreenshot(1023, 767);
    EXPECT_TRUE(std::filesystem::exists(m_folder + "/Screenshot_1.png"));
}

TEST_F(ScreenshotTest, NumbersContinueAboveTheHighestAndGapsStay)
{
    std::filesystem::create_directories(m_folder);
    TestSupport::WriteFile(m_folder + "/Screenshot_3.png", "x");
    TestSupport::WriteFile(m_folder + "/Screenshot_10.png", "x");
    Renderer renderer;
    renderer.TakeScreenshot(64, 48);
    EXPECT_TRUE(std::filesystem::exists(m_folder + "/Screenshot_11.png"));
    EXPECT_FALSE(std::filesystem::exists(m_folder + "/Screenshot_4.png"));
    EXPECT_EQ(ImageSize(m_folder + "/Screenshot_11.png"), glm::ivec2(64, 48));
}

// Switches on or off, for this thread, the capabilities that let root read
// and write past file permissions, so that a folder's mode holds for the test
// as it does for a player. False when the kernel refuses.
bool SetPermissionOverrides(bool on)
{
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[_LINUX_CAPABILITY_U32S_3] = {};
    if (syscall(SYS_capget, &header, data) != 0) return false;
    for (unsigned cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        const unsigned bit = 1u << (cap % 32);
        if (on) data[cap / 32].effective |= data[cap / 32].permitted & bit;
        else data[cap / 32].effective &= ~bit;
    }
    return syscall(SYS_capset, &header, data) == 0;
}

TEST_F(ScreenshotTest, AFolderThatCannotBeListedGetsNothingWritten)
{
    std::filesystem::create_directories(m_folder);
    const std::string earlier = m_folder + "/Screenshot_0.png";
    ASSERT_TRUE(TestSupport::WriteFile(earlier, "earlier"));
    // Enterable and writable, but not readable: its names cannot be listed.
    ASSERT_EQ(::chmod(m_folder.c_str(), 0300), 0);
    ASSERT_TRUE(SetPermissionOverrides(false));
    DIR* probe = ::opendir(m_folder.c_str());
    if (probe) ::closedir(probe);

    Renderer renderer;
    if (!probe) renderer.TakeScreenshot(16, 16);

    SetPermissionOverrides(true);
    ::chmod(m_folder.c_str(), 0755);
    if (probe) GTEST_SKIP() << "this process lists folders whatever their mode";
    EXPECT_EQ(TestSupport::ReadFile(earlier), "earlier");
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_folder))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Screenshot_0.png"});
}

TEST_F(ScreenshotTest, EmptyFolderStartsAtZeroAndEmptySizesWriteNothing)
{
    std::filesystem::create_directories(m_folder);
    Renderer renderer;
    renderer.TakeScreenshot(0, 10);
    EXPECT_TRUE(std::filesystem::is_empty(m_folder));
    renderer.TakeScreenshot(10, 10);
    EXPECT_TRUE(std::filesystem::exists(m_folder + "/Screenshot_0.png"));
}

} // namespace
