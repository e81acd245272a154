#include "support/EngineFixture.h"

#include <GL/glew.h>
#include <unistd.h>

#include "engine/core/AudioManager.h"
#include "engine/core/Controller.h"
#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputInterpreter.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/PhysicsManager.h"
#include "game/flow/ProfileManager.h"
#include "tools/AntTweakBar.h"
#include "tools/Console.h"
#include "tools/ProgramParts.h"
#include "tools/TweakBarState.h"
#include "game/gameplay/CheckpointStore.h"

namespace QRX {
namespace TestSupport {

GLTestContext& SharedContext(int width, int height)
{
    static GLTestContext* context = new GLTestContext(width, height);
    return *context;
}

std::size_t Count(const std::string& text, const std::string& part)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++n;
    return n;
}

namespace {

template <typename T>
void Release(T*& member)
{
    delete member;
    member = nullptr;
}

} // namespace

void ReleaseSystem()
{
    System* s = System::PeekInstance();
    if (!s) return;
    if (s->tweakBarState) AntTweakBar::Destroy(s->tweakBarState);
    Release(s->tweakBarState);
    Release(s->profileManager);
    // The console hands its display objects back while the pool exists.
    Release(s->console);
    if (s->objectManager) s->objectManager->Shutdown();
    Release(s->objectManager);
    Release(s->physicsManager);
    Release(s->renderer);
    Release(s->fontManager);
    Release(s->meshManager);
    Release(s->textureManager);
    if (s->shaderManager) s->shaderManager->DeleteAllPrograms();
    Release(s->shaderManager);
    Release(s->binaryFileManager);
    Release(s->frameRateController);
    Release(s->window);
    Release(s->inputInterpreter);
    Release(s->audioManager);
    Release(s->pad1);
    Release(s->pad0);
    Release(s->inputManager);
    if (s->fileManager) s->fileManager->Clear();
    Release(s->fileManager);
    Release(s->logger);
    Release(s->checkpointStore);
    System::DestroyInstance();
}

void EngineTest::SetUp()
{
    InstallProgramParts();
    ASSERT_TRUE(SharedContext().Ok()) << SharedContext().Error();
    SharedContext().MakeCurrent();
}

void EngineTest::TearDown()
{
    if (System* s = System::PeekInstance()) {
        s->Shutdown();
        System::DestroyInstance();
    }
}

GLServicesTest::GLServicesTest(bool withShaders, int width, int height)
    : m_withShaders(withShaders), m_width(width), m_height(height)
{
}

void GLServicesTest::SetUp()
{
    GLTestContext& context = SharedContext(m_width, m_height);
    ASSERT_TRUE(context.Ok()) << context.Error();
    context.MakeCurrent();
    System* s = System::GetInstance();
    s->logger = new Logger();
    s->fileManager = new FileManager();
    if (m_withShaders) s->shaderManager = new ShaderManager();
    Logger::SetDialogAvailableOverride(0);
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    m_oldCwd = cwd;
    glGetError();
}

void GLServicesTest::TearDown()
{
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    if (!m_dir.empty()) {
        EXPECT_EQ(chdir(m_oldCwd.c_str()), 0);
        RemoveTree(m_dir);
    }
    Logger::SetDialogAvailableOverride(-1);
    ReleaseSystem();
}

std::string GLServicesTest::EnterTempDir()
{
    m_dir = MakeTempDir();
    EXPECT_EQ(chdir(m_dir.c_str()), 0);
    return m_dir;
}

} // namespace TestSupport
} // namespace QRX
