#include "engine/graphics/Program.h"

#include <fstream>
#include <iterator>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/platform/FilePath.h"

namespace QRX {

Program::Program()
{
    m_progObj = glCreateProgram();
    QRX_ASSERT(m_progObj != 0, 0, "Problem creating shader program");
}

void Program::AssociateShader(int type, const std::string& file)
{
    if (type < 0) return;
    if (type == VERTEX_SHADER) {
        // A second vertex shader would stay attached and break the link.
        ReleaseShader(m_vertObj);
        m_vertObj = CompileShader(file, GL_VERTEX_SHADER);
        AttachShaderToProgram(m_vertObj);
        m_vertexFile = file;
    } else if (type == FRAGMENT_SHADER) {
        ReleaseShader(m_fragObj);
        m_fragObj = CompileShader(file, GL_FRAGMENT_SHADER);
        AttachShaderToProgram(m_fragObj);
        m_fragmentFile = file;
    } else {
        QRX_LOG_WARNING("Wrong input shader type given");
    }
}

GLuint Program::CompileShader(const std::string& file, GLenum shaderType)
{
    std::unique_ptr<char[]> source = ReadShaderFile(file);
    if (!source) {
        QRX_LOG_ERROR("Unable to load shader from file: %s", file.c_str());
        // Only a program that has no vertex shader yet is beyond use.
        QRX_ASSERT(m_vertObj != 0, 2, "Problem opening shader file!");
        return 0;
    }

    GLuint refShaderObj = glCreateShader(shaderType);
    QRX_ASSERT(refShaderObj != 0, 2, "Unable to create shader object resource");
    if (refShaderObj == 0) return 0;

    const GLchar* text = source.get();
    glShaderSource(refShaderObj, 1, &text, nullptr);
    source.reset();
    glCompileShader(refShaderObj);
    return CheckCompileStatus(refShaderObj, file);
}

std::unique_ptr<char[]> Program::ReadShaderFile(const std::string& file)
{
    // Shader paths are written the Windows way (data\shaders\main.vert).
    std::ifstream in(Platform::ResolvePath(file), std::ios::in | std::ios::binary);
    if (!in.is_open()) return nullptr;
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unique_ptr<char[]> buffer(new char[bytes.size() + 1]);
    if (!bytes.empty()) std::copy(bytes.begin(), bytes.end(), buffer.get());
    buffer[bytes.size()] = '\0';
    return buffer;
}

GLuint Program::CheckCompileStatus(GLuint shader, const std::string& file)
{
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        // Kept and attached all the same: the link then fails and the shader
        // goes with its program.
        LogCompileOrLinkError(shader, file);
        return shader;
    }
    // Warnings of a good compile are not reported.
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    if (length > 1) {
        std::vector<GLchar> warnings(static_cast<size_t>(length));
        glGetShaderInfoLog(shader, length, nullptr, warnings.data());
    }
    return shader;
}

void Program::AttachShaderToProgram(GLuint shader)
{
    QRX_ASSERT(m_progObj != 0, 1, "We've got a problem here attaching shader to an empty program!");
    // A shader that could not be made is left out: the program links without it.
    if (shader == 0) return;
    glAttachShader(m_progObj, shader);
}

void Program::LinkShaders()
{
    if (m_progObj == 0) {
        QRX_LOG_ERROR("We got a badass problem over here! :@");
        return;
    }
    glLinkProgram(m_progObj);
    GLint linked = GL_FALSE;
    glGetProgramiv(m_progObj, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) LogCompileOrLinkError(m_progObj, "Link error!");
}

void Program::LogCompileOrLinkError(GLuint object, const std::string& name)
{
    GLint length = 0;
    bool isShader = glIsShader(object) == GL_TRUE;
    if (isShader)
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    else if (glIsProgram(object) == GL_TRUE)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        return;
    if (length <= 0) return;

    std::vector<GLchar> log(static_cast<size_t>(length) + 1, '\0');
    GLsizei infologLength = 0;
    if (isShader)
        glGetShaderInfoLog(object, length, &infologLength, log.data());
    else
        glGetProgramInfoLog(object, length, &infologLength, log.data());

    std::string text = "In program: " + name + "\n" + std::string(log.data(), static_cast<size_t>(infologLength));
    QRX_ASSERT(!infologLength, 2, text);
}

void Program::ReleaseShader(GLuint& shader)
{
    if (shader == 0) return;
    if (m_progObj != 0) glDetachShader(m_progObj, shader);
    glDeleteShader(shader);
    shader = 0;
}

void Program::Release()
{
    ReleaseShader(m_vertObj);
    ReleaseShader(m_fragObj);
    if (m_progObj != 0) glDeleteProgram(m_progObj);
    m_progObj = 0;
    m_inUse = false;
}

} // namespace QRX
