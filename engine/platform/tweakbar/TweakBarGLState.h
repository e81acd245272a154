// Saves the OpenGL state that the bars' drawing touches and puts it back.
//
// The bars draw with the fixed-function pipeline and client-side arrays, in
// the middle of the renderer's frame. The guard records, on construction,
// the program, vertex-array object, buffer bindings, enabled vertex-attribute
// arrays, active and client-active texture units, the texture of unit 0,
// blending, depth, culling, stencil, scissor, lighting, viewport, polygon
// mode, shade model, texture environment, matrices, current colour and the
// pixel-unpack state; PrepareFixedFunction() then clears the bindings that
// would divert fixed-function drawing, and the destructor (or Restore())
// puts everything back. Needs a current context with GLEW initialised.
#pragma once
#include <GL/glew.h>

namespace QRX {
namespace TweakBar {

class GLStateGuard
{
public:
    // Vertex-attribute arrays looked at (the engine uses 0 to 10).
    static constexpr int MAX_ATTRIBS = 16;

    GLStateGuard();
    ~GLStateGuard();
    GLStateGuard(const GLStateGuard&) = delete;
    GLStateGuard& operator=(const GLStateGuard&) = delete;

    // Program 0, vertex array 0, no buffers, no attribute arrays, unit 0.
    void PrepareFixedFunction();
    // Puts the saved state back (once; the destructor does it otherwise).
    void Restore();

private:
    bool m_restored = false;
    bool m_prepared = false;
    bool m_hasVertexArrays;
    GLint m_program = 0;
    GLint m_vertexArray = 0;
    GLint m_arrayBuffer = 0;
    GLint m_elementBuffer = 0;   // of the bound vertex array
    GLint m_unpackBuffer = 0;
    GLint m_attribCount = 0;
    GLint m_attribEnabled[MAX_ATTRIBS] = {};  // of vertex array 0
    GLint m_activeTexture = GL_TEXTURE0;
    GLint m_clientActiveTexture = GL_TEXTURE0;
    GLint m_texture0 = 0;        // GL_TEXTURE_2D of unit 0
    GLint m_blendSrcRGB = GL_ONE, m_blendDstRGB = GL_ZERO, m_blendSrcAlpha = GL_ONE, m_blendDstAlpha = GL_ZERO;
    GLint m_blendEqRGB = GL_FUNC_ADD, m_blendEqAlpha = GL_FUNC_ADD;
    GLboolean m_blend = GL_FALSE, m_depthTest = GL_FALSE, m_cullFace = GL_FALSE, m_stencilTest = GL_FALSE;
    GLboolean m_scissorTest = GL_FALSE, m_lighting = GL_FALSE, m_colorMaterial = GL_FALSE;
    GLboolean m_texture2D = GL_FALSE;  // enable of unit 0
    GLboolean m_depthMask = GL_TRUE;
    GLint m_viewport[4] = {};
    GLint m_scissorBox[4] = {};
    GLint m_polygonMode[2] = {GL_FILL, GL_FILL};
    GLint m_shadeModel = GL_SMOOTH;
    GLint m_texEnvMode = GL_MODULATE;
    GLint m_matrixMode = GL_MODELVIEW;
    GLfloat m_projection[16] = {};
    GLfloat m_modelView[16] = {};
    GLfloat m_color[4] = {};
    GLfloat m_texCoord[4] = {};
    GLint m_unpackRowLength = 0;
    GLint m_unpackAlignment = 4;
};

} // namespace TweakBar
} // namespace QRX
