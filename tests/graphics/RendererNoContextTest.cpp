// The renderer's GL set-up without a usable context: GLEW cannot start, the
// running bit is cleared, and nothing calls into the missing entry points.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/glx.h>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

TEST(RendererWithoutContext, SetUpStopsAndTheGameEnds)
{
    TestSupport::ScopedTempHome home;
    static TestSupport::GLTestContext* gl = new TestSupport::GLTestContext();
    ASSERT_TRUE(gl->Ok()) << gl->Error();
    // No context current from here on.
    Display* display = glXGetCurrentDisplay();
    ASSERT_NE(display, nullptr);
    ASSERT_TRUE(glXMakeCurrent(display, None, nullptr));

    System* system = System::GetInstance();
    system->logger = new Logger();
    Logger::SetDialogAvailableOverride(0);
    system->shaderManager = new ShaderManager();
    {
        Renderer renderer;
        EXPECT_FALSE(renderer.InitGL());
        EXPECT_FALSE(renderer.IsGLReady());
        EXPECT_FALSE(system->IsRunning());
        EXPECT_EQ(renderer.GetVertexArray(), 0u);
        renderer.SetupShaders();  // nothing to build with
        EXPECT_EQ(system->shaderManager->GetProgramCount(), 0u);
        renderer.Resize(640, 480, 45.0f);  // projections only
        EXPECT_EQ(renderer.GetViewportWidth(), 640);
    }
    const std::string log = TestSupport::ReadFile(system->logger->GetPath());
    EXPECT_NE(log.find("Unable to start glew. You probably did not create an OpenGL context first!Exiting game.."),
              std::string::npos);
    EXPECT_NE(log.find("Retrieving required graphics information..."), std::string::npos);
    delete system->shaderManager;
    delete system->logger;
    system->shaderManager = nullptr;
    system->logger = nullptr;
    System::DestroyInstance();
    gl->MakeCurrent();
}
