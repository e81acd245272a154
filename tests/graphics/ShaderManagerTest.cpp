#include <gtest/gtest.h>

#include <GL/glew.h>

#include <string>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/platform/Debugger.h"
#include "engine/platform/MessageBox.h"
#include "support/EngineFixture.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"
#include "tools/ProgramParts.h"

using namespace QRX;

namespace {

const std::string SHADERS = "tests/graphics/shaders/";

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(); }

GLint AttachedShaders(GLuint program)
{
    GLint count = -1;
    glGetProgramiv(program, GL_ATTACHED_SHADERS, &count);
    return count;
}

GLint LinkStatus(GLuint program)
{
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    return linked;
}

class ShaderTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        System::GetInstance()->logger = new Logger();
        Logger::SetDialogAvailableOverride(0);
        glGetError();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        Logger::SetDialogAvailableOverride(-1);
        Platform::SetDebuggerPresentOverride(-1);
        Platform::SetMessageBoxHook(nullptr);
        TestSupport::ReleaseSystem();
        InstallProgramParts();
    }
    // Lets the assertion dialog be "shown" with a debugger attached, so a fatal
    // assertion is recorded instead of ending the test program.
    void RecordDialogs()
    {
        Logger::SetDialogAvailableOverride(1);
        Platform::SetDebuggerPresentOverride(1);
        Platform::SetMessageBoxHook([this](const Platform::MessageBoxRequest& r) {
            m_dialogs.push_back(r);
            return Platform::IDOK;
        });
    }
    TestSupport::ScopedTempHome m_home;
    std::vector<Platform::MessageBoxRequest> m_dialogs;
};

bool IsFatal(const Platform::MessageBoxRequest& r)
{
    return r.type == (Platform::MB_OK | Platform::MB_ICONERROR) &&
           r.text.find("Fatal Error! Click OK to start debugging") != std::string::npos;
}

TEST_F(ShaderTest, ProgramFromTwoFilesLinksWithBoundLocations)
{
    ShaderManager manager;
    testing::internal::CaptureStdout();
    Program* program = manager.CreateProgram("hud");
    ASSERT_NE(program, nullptr);
    program->AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
    program->AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "basic.frag");
    glBindAttribLocation(program->GetProgramObject(), 5, "inPosition");
    glBindAttribLocation(program->GetProgramObject(), 2, "texcoord");
    program->LinkShaders();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "");  // a clean build says nothing

    GLuint id = program->GetProgramObject();
    EXPECT_EQ(LinkStatus(id), GL_TRUE);
    EXPECT_EQ(AttachedShaders(id), 2);
    EXPECT_EQ(glGetAttribLocation(id, "inPosition"), 5);
    EXPECT_EQ(glGetAttribLocation(id, "texcoord"), 2);
    EXPECT_GE(glGetUniformLocation(id, "opacity"), 0);
    EXPECT_EQ(manager.GetProgram("hud"), program);
    manager.DeleteAllPrograms();
}

TEST_F(ShaderTest, CompileErrorIsAFatalAssertionAndTheShaderStaysAttached)
{
    RecordDialogs();
    ShaderManager manager;
    Program* program = manager.CreateProgram("main");
    testing::internal::CaptureStdout();
    program->AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
    program->AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "broken.frag");
    std::string out = testing::internal::GetCapturedStdout();

    EXPECT_NE(out.find("[LOG] ERROR - Assertion failure occurred!"), std::string::npos) << out;
    EXPECT_NE(out.find("Failed Condition: !infologLength\nAdditional Info: In program: " + SHADERS +
                       "broken.frag\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find(" in QRX::Program::LogCompileOrLinkError function"), std::string::npos) << out;
    ASSERT_EQ(m_dialogs.size(), 1u);
    EXPECT_TRUE(IsFatal(m_dialogs[0])) << m_dialogs[0].text;
    EXPECT_EQ(m_dialogs[0].caption, "Assertion error!");

    // Kept like a good shader: attached, so the link fails in turn.
    EXPECT_NE(program->GetFragmentShader(), 0u);
    EXPECT_EQ(AttachedShaders(program->GetProgramObject()), 2);
    testing::internal::CaptureStdout();
    program->LinkShaders();
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(LinkStatus(program->GetProgramObject()), GL_FALSE);
    EXPECT_NE(out.find("Additional Info: In program: Link error!\n"), std::string::npos) << out;
    ASSERT_EQ(m_dialogs.size(), 2u);
    EXPECT_TRUE(IsFatal(m_dialogs[1]));
    manager.DeleteAllPrograms();
}

TEST_F(ShaderTest, LinkErrorWithoutWindowIsLoggedAndExecutionGoesOn)
{
    Program program;
    testing::internal::CaptureStdout();
    program.AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
    program.AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "unlinked.frag");
    program.LinkShaders();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "Assertion failure occurred!"), 1u) << out;
    EXPECT_NE(out.find("In program: Link error!\n"), std::string::npos) << out;
    EXPECT_EQ(LinkStatus(program.GetProgramObject()), GL_FALSE);
    program.Release();
    EXPECT_EQ(program.GetProgramObject(), 0u);
}

TEST_F(ShaderTest, MissingFiles)
{
    RecordDialogs();
    // No vertex shader yet: the error line and a fatal assertion.
    Program noVertex;
    testing::internal::CaptureStdout();
    noVertex.AssociateShader(Program::VERTEX_SHADER, SHADERS + "absent.vert");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("[LOG] ERROR - Unable to load shader from file: " + SHADERS + "absent.vert\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("Failed Condition: m_vertObj != 0\nAdditional Info: Problem opening shader file!"),
              std::string::npos)
        << out;
    ASSERT_EQ(m_dialogs.size(), 1u);
    EXPECT_TRUE(IsFatal(m_dialogs[0]));
    EXPECT_EQ(noVertex.GetVertexShader(), 0u);
    EXPECT_EQ(noVertex.GetVertexFile(), SHADERS + "absent.vert");
    EXPECT_EQ(AttachedShaders(noVertex.GetProgramObject()), 0);

    // A missing fragment file after a good vertex shader: only the error line.
    Program noFragment;
    m_dialogs.clear();
    testing::internal::CaptureStdout();
    noFragment.AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
    noFragment.AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "absent.frag");
    out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[LOG] ERROR - Unable to load shader from file: " + SHADERS + "absent.frag\n");
    EXPECT_TRUE(m_dialogs.empty());
    EXPECT_EQ(noFragment.GetFragmentShader(), 0u);
    EXPECT_EQ(AttachedShaders(noFragment.GetProgramObject()), 1);
    noVertex.Release();
    noFragment.Release();
}

TEST_F(ShaderTest, ShaderTypesOutsideTheTwoKinds)
{
    Program program;
    testing::internal::CaptureStdout();
    program.AssociateShader(5, SHADERS + "basic.vert");
    program.AssociateShader(2, SHADERS + "basic.vert");
    program.AssociateShader(-1, SHADERS + "basic.vert");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[LOG] WARNING - Wrong input shader type given\n[LOG] WARNING - Wrong input shader type given\n");
    EXPECT_EQ(program.GetVertexShader(), 0u);
    EXPECT_EQ(program.GetFragmentShader(), 0u);
    EXPECT_TRUE(program.GetVertexFile().empty());
    EXPECT_EQ(AttachedShaders(program.GetProgramObject()), 0);
    program.Release();
}

TEST_F(ShaderTest, AssociatingAKindAgainReplacesItsShader)
{
    Program program;
    program.AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
    GLuint first = program.GetVertexShader();
    program.AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "basic.frag");
    program.AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
    EXPECT_NE(program.GetVertexShader(), first);
    EXPECT_EQ(glIsShader(first), GL_FALSE);
    EXPECT_EQ(AttachedShaders(program.GetProgramObject()), 2);
    program.LinkShaders();
    EXPECT_EQ(LinkStatus(program.GetProgramObject()), GL_TRUE);
    program.Release();
}

TEST_F(ShaderTest, ManagerLookups)
{
    ShaderManager manager;
    EXPECT_EQ(manager.GetProgram("main"), nullptr);  // empty manager

    testing::internal::CaptureStdout();
    Program* first = manager.CreateProgram("main");
    Program* again = manager.CreateProgram("main");
    Program* third = manager.CreateProgram("main");
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(first, again);
    EXPECT_EQ(first, third);
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - ProgramId main already exists. Returning handle to the already existing "
                         "program instead.\n"),
              2u);
    EXPECT_EQ(manager.GetProgramCount(), 1u);
    EXPECT_EQ(manager.GetProgram("line"), nullptr);
    EXPECT_EQ(manager.GetProgram(""), nullptr);
    EXPECT_NE(manager.CreateProgram("line"), first);
    EXPECT_EQ(manager.GetProgramCount(), 2u);
    manager.DeleteAllPrograms();
}

TEST_F(ShaderTest, DeleteAllProgramsReleasesEveryObject)
{
    ShaderManager manager;
    Program* program = manager.CreateProgram("hud");
    program->AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
    program->AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "basic.frag");
    program->LinkShaders();
    manager.CreateProgram("empty");  // no shaders at all
    GLuint id = program->GetProgramObject();
    GLuint vs = program->GetVertexShader();
    GLuint fs = program->GetFragmentShader();
    glUseProgram(id);

    manager.DeleteAllPrograms();
    EXPECT_EQ(manager.GetProgramCount(), 0u);
    EXPECT_EQ(manager.GetProgram("hud"), nullptr);
    EXPECT_EQ(glIsProgram(id), GL_FALSE);
    EXPECT_EQ(glIsShader(vs), GL_FALSE);
    EXPECT_EQ(glIsShader(fs), GL_FALSE);
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
    manager.DeleteAllPrograms();  // nothing left: no GL call, no error
}

TEST_F(ShaderTest, RecompileBuildsTheSameNamesUnderNewObjects)
{
    ShaderManager manager;
    int setups = 0;
    auto setup = [&manager, &setups] {
        ++setups;
        for (const char* name : {"hud", "line"}) {
            Program* p = manager.CreateProgram(name);
            p->AssociateShader(Program::VERTEX_SHADER, SHADERS + "basic.vert");
            p->AssociateShader(Program::FRAGMENT_SHADER, SHADERS + "basic.frag");
            glBindAttribLocation(p->GetProgramObject(), 5, "inPosition");
            p->LinkShaders();
        }
    };
    setup();
    manager.CreateProgram("stale");  // not made by the set-up: gone after a recompile
    GLuint oldHud = manager.GetProgram("hud")->GetProgramObject();
    GLuint oldLine = manager.GetProgram("line")->GetProgramObject();

    Door().rebuildShaders = setup;
    testing::internal::CaptureStdout();
    manager.RecompileAllShaders();
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out, "[LOG] INFO - Recompiling all shaders processes initiated.\n");
    EXPECT_EQ(setups, 2);
    EXPECT_EQ(manager.GetProgramCount(), 2u);
    EXPECT_EQ(manager.GetProgram("stale"), nullptr);
    ASSERT_NE(manager.GetProgram("hud"), nullptr);
    ASSERT_NE(manager.GetProgram("line"), nullptr);
    GLuint newHud = manager.GetProgram("hud")->GetProgramObject();
    GLuint newLine = manager.GetProgram("line")->GetProgramObject();
    EXPECT_NE(newHud, oldHud);
    EXPECT_NE(newLine, oldLine);
    EXPECT_EQ(glIsProgram(oldHud), GL_FALSE);
    EXPECT_EQ(LinkStatus(newHud), GL_TRUE);
    EXPECT_EQ(glGetAttribLocation(newLine, "inPosition"), 5);
    manager.DeleteAllPrograms();
}

TEST_F(ShaderTest, ReadShaderFileIsWholeAndTerminated)
{
    std::string dir = TestSupport::MakeTempDir();
    std::string path = dir + "/shader.txt";
    std::string text("line one\r\nline two\0tail", 23);
    ASSERT_TRUE(TestSupport::WriteFile(path, text));
    std::unique_ptr<char[]> buffer = Program::ReadShaderFile(path);
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(std::string(buffer.get(), text.size() + 1), text + std::string(1, '\0'));
    EXPECT_EQ(Program::ReadShaderFile(dir + "/none.txt"), nullptr);
    TestSupport::RemoveTree(dir);
}

} // namespace
