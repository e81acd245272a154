// One GLSL program: a vertex and a fragment shader read from source files.
//
// The constructor creates the GL program object; AssociateShader compiles a
// file as one kind of shader and attaches it; the caller then binds its
// attribute locations on GetProgramObject() and calls LinkShaders. Compile and
// link failures are logged and raised as fatal (severity 2) assertions; when
// the assertion lets execution go on, the failed shader stays attached and the
// program simply does not link. Every GL call needs a current context. The GL
// objects are released by Release (the shader manager calls it), never by the
// destructor, so a record can outlive its context without touching GL.
#pragma once
#include <GL/glew.h>

#include <memory>
#include <string>

namespace QRX {

class Program
{
public:
    // Kinds of shader accepted by AssociateShader.
    static constexpr int VERTEX_SHADER = 0;
    static constexpr int FRAGMENT_SHADER = 1;

    // Creates the program object (assertion of severity 0 when GL gives none).
    Program();
    ~Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // Compiles the file as a vertex (0) or fragment (1) shader, attaches it and
    // records the path. A shader of that kind compiled before is detached and
    // deleted first. Types 2 and above log "Wrong input shader type given";
    // negative types do nothing.
    void AssociateShader(int type, const std::string& file);
    // Reads, creates and compiles one shader; 0 when the file cannot be read or
    // GL gives no shader object. A shader that fails to compile is reported and
    // still returned.
    GLuint CompileShader(const std::string& file, GLenum shaderType);
    // The whole file as a zero-terminated buffer; null when it cannot be opened.
    static std::unique_ptr<char[]> ReadShaderFile(const std::string& file);
    // Reports a failed compile of the shader; returns the shader unchanged.
    GLuint CheckCompileStatus(GLuint shader, const std::string& file);
    // Attaches a shader to the program (assertion of severity 1 without a
    // program object). A zero shader is not attached.
    void AttachShaderToProgram(GLuint shader);
    // Links and reports a failed link ("Link error!").
    void LinkShaders();
    // Raises the info log of a shader or program object as a fatal assertion
    // titled "In program: " + name; objects of neither kind are ignored.
    void LogCompileOrLinkError(GLuint object, const std::string& name);

    // Detaches and deletes both shaders and the program object (GL names
    // become 0). Needs the context the program was made in.
    void Release();

    GLuint GetProgramObject() const { return m_progObj; }
    GLuint GetVertexShader() const { return m_vertObj; }
    GLuint GetFragmentShader() const { return m_fragObj; }
    const std::string& GetVertexFile() const { return m_vertexFile; }
    const std::string& GetFragmentFile() const { return m_fragmentFile; }
    // Set by the drawing code while the program is bound; never read here.
    bool IsInUse() const { return m_inUse; }
    void SetInUse(bool inUse) { m_inUse = inUse; }

private:
    void ReleaseShader(GLuint& shader);

    GLuint m_vertObj = 0;
    GLuint m_fragObj = 0;
    GLuint m_progObj = 0;
    bool m_inUse = false;
    std::string m_fragmentFile;
    std::string m_vertexFile;
};

} // namespace QRX
