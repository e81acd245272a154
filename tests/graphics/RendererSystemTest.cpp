// The renderer inside the engine: made at start-up after the binary model
// reader, with its report, the program table built once the textures are
// loaded, a frame of a small scene drawn by the frame loop, and the
// shut-down.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <string>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/Logger.h"
#include "engine/core/Window.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ParticleEmitter.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateTables.h"
#include "support/EngineFixture.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

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

TEST(RendererSystem, StartsAfterTheModelReaderDrawsAFrameAndShutsDown)
{
    TestSupport::ScopedTempHome home;
    // The game's window brings its own context; this one only keeps the GL
    // driver loaded to the end of the run, for the leak check.
    static TestSupport::GLTestContext* gl = new TestSupport::GLTestContext(64, 64);
    ASSERT_TRUE(gl->Ok()) << gl->Error();
    QuietState state;
    BindStateObject(StateObjectKind::BaseLevel, &state);

    System* system = System::GetInstance();
    testing::internal::CaptureStdout();
    const bool started = system->Initialize();
    const std::string out = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(started);
    ASSERT_NE(system->renderer, nullptr);
    EXPECT_EQ(system->camera, system->renderer->GetCamera());
    const size_t reader = out.find("Binary file manager initialized.");
    const size_t graphics = out.find("Graphics system initialized.");
    const size_t shaders = out.find("Shaders setup completed.");
    const size_t physics = out.find("Physics manager initialized.");
    ASSERT_NE(graphics, std::string::npos);
    EXPECT_LT(reader, graphics);
    EXPECT_LT(out.find("Retrieving required graphics information..."), graphics);
    EXPECT_LT(graphics, shaders);
    EXPECT_LT(shaders, physics);
    EXPECT_NE(system->shaderManager->GetProgram("main"), nullptr);
    EXPECT_NE(system->shaderManager->GetProgram("font"), nullptr);

    // Start-up sized the projections and the viewport to the window.
    ASSERT_NE(system->window, nullptr);
    const int width = system->window->GetWidth();
    const int height = system->window->GetHeight();
    EXPECT_EQ(system->renderer->GetViewportWidth(), width);
    EXPECT_EQ(system->renderer->GetViewportHeight(), height);

    // A small scene: a block under the sky, seen by the orbiting camera.
    system->objectManager->SetObjectFolder("tests/data/renderer/objects/");
    GameObject* block = system->objectManager->CreateInstance(CUBE, glm::vec3(0.0f));
    GameObject* sky = system->objectManager->CreateInstance(SKYBOX, glm::vec3(0.0f));
    ASSERT_NE(block, nullptr);
    ASSERT_NE(sky, nullptr);
    auto* skyGraphics = static_cast<GraphicsComponent*>(sky->GetComponent(CT_GRAPHICS));
    ASSERT_NE(skyGraphics, nullptr);
    EXPECT_EQ(skyGraphics->GetMeshName(), "sphereinverted");
    system->camera->LookAt(glm::vec3(0.0f, 13.0f, 30.0f), glm::vec3(0.0f));

    // The frame's drawing, as System::Update draws it. The whole Update is
    // left out here: with the pads' frame step and a drawn frame in one run,
    // the leak checker fails on a library's thread storage at exit.
    system->renderer->RenderScene();
    // The frame is read before any swap: the block covers the centre.
    unsigned char rgba[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(width / 2, height / 2, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    EXPECT_GT(rgba[0] + rgba[1] + rgba[2], 60) << "a blank frame";
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);

    // A change of resolution rebuilds the context: the renderer's objects and
    // programs come back and the projections follow the new size.
    ASSERT_TRUE(system->window->ChangeResolution(400, 300, false));
    EXPECT_TRUE(system->renderer->IsGLReady());
    EXPECT_NE(system->shaderManager->GetProgram("main"), nullptr);
    EXPECT_NE(system->renderer->m_mainLocations.opacity, -1);
    EXPECT_EQ(system->renderer->GetViewportWidth(), 400);
    EXPECT_EQ(system->renderer->GetViewportHeight(), 300);
    system->textureManager->Init();
    system->renderer->RenderScene();
    glReadPixels(200, 150, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    EXPECT_GT(rgba[0] + rgba[1] + rgba[2], 60) << "a blank frame after the rebuild";

    // Effects made now go into the renderer's particle pool.
    ParticleEmitter emitter;
    EXPECT_EQ(emitter.m_particleSystem, system->renderer->GetParticleSystem());

    system->Shutdown();
    EXPECT_EQ(system->renderer, nullptr);
    EXPECT_EQ(system->camera, nullptr);
    System::DestroyInstance();
    BindStateObject(StateObjectKind::BaseLevel, nullptr);
}

// The whole engine with the test's quiet state in place of the first one.
class RendererOverlaysTest : public TestSupport::EngineTest
{
protected:
    void TearDown() override
    {
        Door().overlays = m_saved;
        TestSupport::EngineTest::TearDown();
        BindStateObject(StateObjectKind::BaseLevel, nullptr);
    }
    QuietState m_state;
    const EngineDoor::Overlays m_saved = Door().overlays;
};

TEST_F(RendererOverlaysTest, OverlaysDrawUnderThenOverTheTextOncePerDrawnFrame)
{
    BindStateObject(StateObjectKind::BaseLevel, &m_state);
    System* system = System::GetInstance();
    ASSERT_TRUE(system->Initialize());
    std::vector<std::string> calls;
    Door().overlays.underText = {[&](Renderer& renderer) {
                                     EXPECT_EQ(&renderer, system->renderer);
                                     calls.push_back("under 1");
                                 },
                                 [&](Renderer&) { calls.push_back("under 2"); }};
    Door().overlays.overText = {[&](Renderer&) { calls.push_back("over"); }};
    system->renderer->RenderScene();
    EXPECT_EQ(calls, (std::vector<std::string>{"under 1", "under 2", "over"}));
    // A frame that is not drawn draws no overlay.
    system->renderer->SkipScene();
    EXPECT_EQ(calls.size(), 3u);
    // Without overlays the frame is drawn all the same.
    Door().overlays = {};
    system->renderer->RenderScene();
}

} // namespace
