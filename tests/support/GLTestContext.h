// A hidden window with an OpenGL 2.1 compatibility context for GL tests.
//
// Tests run under Xvfb with Mesa's software renderer. Create one context per
// test program (a global fixture or a static) and make it current before any
// GL call; GLEW is initialised on it.
#pragma once
#include <string>

namespace QRX {
namespace TestSupport {

class GLTestContext
{
public:
    // Opens a hidden width x height window and a context; Ok() tells.
    GLTestContext(int width = 256, int height = 256);
    ~GLTestContext();
    GLTestContext(const GLTestContext&) = delete;
    GLTestContext& operator=(const GLTestContext&) = delete;

    bool Ok() const { return m_ok; }
    const std::string& Error() const { return m_error; }
    void MakeCurrent();
    void Swap();
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    void* m_window = nullptr;
    void* m_context = nullptr;
    bool m_ok = false;
    std::string m_error;
    int m_width;
    int m_height;
};

} // namespace TestSupport
} // namespace QRX
