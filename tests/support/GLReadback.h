// Reading GL state and pixels back in tests.
//
// OffscreenTarget binds a colour-only frame buffer of a given size for its
// lifetime, so the pixels a test reads are its own and not the window's;
// with rendererState it also sets the renderer's fixed state (blend, back-face
// culling, depth test), which it switches off again at the end. The helpers
// below read one value of the current context.
#pragma once
#include <GL/glew.h>

#include <cstddef>
#include <vector>

#include <glm/glm.hpp>

namespace QRX {
namespace TestSupport {

class OffscreenTarget
{
public:
    // Cleared to opaque black; alpha blending on.
    OffscreenTarget(int width, int height, bool rendererState = false);
    ~OffscreenTarget();
    OffscreenTarget(const OffscreenTarget&) = delete;
    OffscreenTarget& operator=(const OffscreenTarget&) = delete;

    // Reads the whole target back.
    void Read();
    // Channel c of the pixel at column x, row y counted from the top (as of the last Read).
    int At(int x, int y, int c) const;
    // Reads the target, then counts pixels whose red channel is above the
    // threshold and those of them outside the box (window pixels, y down,
    // edges included).
    void Lit(int threshold, int left, int top, int right, int bottom, int& lit, int& outside);

private:
    int m_width;
    int m_height;
    GLuint m_texture = 0;
    GLuint m_fbo = 0;
    std::vector<unsigned char> m_rgba;
};

// glGetIntegerv of one value.
GLint GetInteger(GLenum what);
// The program in use (0 for none).
GLint CurrentProgram();
// RGBA of one pixel of the bound frame buffer, origin bottom left.
glm::ivec4 ReadPixel(int x, int y);

// A whole picture: RGBA rows, bottom row first.
using Picture = std::vector<unsigned char>;
// Reads width x height pixels of the back buffer.
Picture ReadBackBuffer(int width, int height);
// The number of distinct colours (alpha ignored); a blank picture has one.
size_t ColourCount(const Picture& picture);
// The share of pixels (0 to 1) whose colour differs; 1 for pictures of
// different sizes or empty ones.
double PictureDifference(const Picture& a, const Picture& b);

} // namespace TestSupport
} // namespace QRX
