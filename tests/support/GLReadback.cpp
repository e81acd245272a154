#include "support/GLReadback.h"

#include <cstdint>
#include <set>

namespace QRX {
namespace TestSupport {

OffscreenTarget::OffscreenTarget(int width, int height, bool rendererState) : m_width(width), m_height(height)
{
    glGenTextures(1, &m_texture);
    glBindTexture(GL_TEXTURE_2D, m_texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glBindTexture(GL_TEXTURE_2D, 0);
    glGenFramebuffers(1, &m_fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, m_fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, m_texture, 0);
    glViewport(0, 0, width, height);
    glClearColor(0, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (rendererState) {
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glFrontFace(GL_CCW);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LEQUAL);
    }
}

OffscreenTarget::~OffscreenTarget()
{
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &m_fbo);
    glDeleteTextures(1, &m_texture);
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDisable(GL_DEPTH_TEST);
}

void OffscreenTarget::Read()
{
    m_rgba.resize(static_cast<size_t>(m_width) * m_height * 4);
    glReadPixels(0, 0, m_width, m_height, GL_RGBA, GL_UNSIGNED_BYTE, m_rgba.data());
}

int OffscreenTarget::At(int x, int y, int c) const
{
    return m_rgba[((static_cast<size_t>(m_height) - 1 - y) * m_width + x) * 4 + c];
}

void OffscreenTarget::Lit(int threshold, int left, int top, int right, int bottom, int& lit, int& outside)
{
    Read();
    lit = outside = 0;
    for (int y = 0; y < m_height; ++y)
        for (int x = 0; x < m_width; ++x) {
            if (At(x, y, 0) <= threshold) continue;
            ++lit;
            if (x < left || x > right || y < top || y > bottom) ++outside;
        }
}

GLint GetInteger(GLenum what)
{
    GLint value = -1;
    glGetIntegerv(what, &value);
    return value;
}

GLint CurrentProgram()
{
    return GetInteger(GL_CURRENT_PROGRAM);
}

glm::ivec4 ReadPixel(int x, int y)
{
    unsigned char rgba[4] = {0, 0, 0, 0};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    return glm::ivec4(rgba[0], rgba[1], rgba[2], rgba[3]);
}

Picture ReadBackBuffer(int width, int height)
{
    Picture pixels(static_cast<size_t>(width) * static_cast<size_t>(height) * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

size_t ColourCount(const Picture& picture)
{
    std::set<std::uint32_t> colours;
    for (size_t i = 0; i + 3 < picture.size(); i += 4)
        colours.insert(picture[i] | picture[i + 1] << 8 | picture[i + 2] << 16);
    return colours.size();
}

double PictureDifference(const Picture& a, const Picture& b)
{
    if (a.size() != b.size() || a.empty()) return 1.0;
    size_t differing = 0;
    for (size_t i = 0; i + 3 < a.size(); i += 4)
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2]) ++differing;
    return static_cast<double>(differing) / static_cast<double>(a.size() / 4);
}

} // namespace TestSupport
} // namespace QRX
