#include "support/EngineFixture.h"

#include <GL/glew.h>
#include <unistd.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/ShaderManager.h"

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

void EngineTest::SetUp()
{
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
    System* s = System::GetInstance();
    if (s->shaderManager) {
        s->shaderManager->DeleteAllPrograms();
        delete s->shaderManager;
        s->shaderManager = nullptr;
    }
    s->fileManager->Clear();
    delete s->fileManager;
    s->fileManager = nullptr;
    delete s->logger;
    s->logger = nullptr;
    System::DestroyInstance();
}

std::string GLServicesTest::EnterTempDir()
{
    m_dir = MakeTempDir();
    EXPECT_EQ(chdir(m_dir.c_str()), 0);
    return m_dir;
}

} // namespace TestSupport
} // namespace QRX
