#include "engine/platform/tweakbar/TweakBarGLState.h"

#include <algorithm>

namespace QRX {
namespace TweakBar {

namespace {

void SetEnabled(GLenum cap, GLboolean on)
{
    if (on)
        glEnable(cap);
    else
        glDisable(cap);
}

} // namespace

GLStateGuard::GLStateGuard()
    : m_hasVertexArrays(glBindVertexArray != nullptr)
{
    glGetIntegerv(GL_CURRENT_PROGRAM, &m_program);
    if (m_hasVertexArrays) glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &m_vertexArray);
    glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &m_arrayBuffer);
    glGetIntegerv(GL_PIXEL_UNPACK_BUFFER_BINDING, &m_unpackBuffer);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &m_activeTexture);
    glGetIntegerv(GL_CLIENT_ACTIVE_TEXTURE, &m_clientActiveTexture);
    glGetIntegerv(GL_BLEND_SRC_RGB, &m_blendSrcRGB);
    glGetIntegerv(GL_BLEND_DST_RGB, &m_blendDstRGB);
    glGetIntegerv(GL_BLEND_SRC_ALPHA, &m_blendSrcAlpha);
    glGetIntegerv(GL_BLEND_DST_ALPHA, &m_blendDstAlpha);
    glGetIntegerv(GL_BLEND_EQUATION_RGB, &m_blendEqRGB);
    glGetIntegerv(GL_BLEND_EQUATION_ALPHA, &m_blendEqAlpha);
    m_blend = glIsEnabled(GL_BLEND);
    m_depthTest = glIsEnabled(GL_DEPTH_TEST);
    m_cullFace = glIsEnabled(GL_CULL_FACE);
    m_stencilTest = glIsEnabled(GL_STENCIL_TEST);
    m_scissorTest = glIsEnabled(GL_SCISSOR_TEST);
    m_lighting = glIsEnabled(GL_LIGHTING);
    m_colorMaterial = glIsEnabled(GL_COLOR_MATERIAL);
    glGetBooleanv(GL_DEPTH_WRITEMASK, &m_depthMask);
    glGetIntegerv(GL_VIEWPORT, m_viewport);
    glGetIntegerv(GL_SCISSOR_BOX, m_scissorBox);
    glGetIntegerv(GL_POLYGON_MODE, m_polygonMode);
    glGetIntegerv(GL_SHADE_MODEL, &m_shadeModel);
    glGetIntegerv(GL_MATRIX_MODE, &m_matrixMode);
    glGetFloatv(GL_PROJECTION_MATRIX, m_projection);
    glGetFloatv(GL_MODELVIEW_MATRIX, m_modelView);
    glGetFloatv(GL_CURRENT_COLOR, m_color);
    glGetIntegerv(GL_UNPACK_ROW_LENGTH, &m_unpackRowLength);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &m_unpackAlignment);
}

GLStateGuard::~GLStateGuard() { Restore(); }

void GLStateGuard::PrepareFixedFunction()
{
    if (m_prepared || m_restored) return;
    m_prepared = true;
    glUseProgram(0);
    if (m_hasVertexArrays) glBindVertexArray(0);
    glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &m_elementBuffer);
    glGetIntegerv(GL_MAX_VERTEX_ATTRIBS, &m_attribCount);
    m_attribCount = std::min<GLint>(m_attribCount, MAX_ATTRIBS);
    for (GLint i = 0; i < m_attribCount; ++i)
        glGetVertexAttribiv(static_cast<GLuint>(i), GL_VERTEX_ATTRIB_ARRAY_ENABLED, &m_attribEnabled[i]);
    // Conventional array pointers and enables of vertex array 0.
    glPushClientAttrib(GL_CLIENT_VERTEX_ARRAY_BIT);
    // A generic array 0 would replace the fixed-function vertex position.
    for (GLint i = 0; i < m_attribCount; ++i)
        if (m_attribEnabled[i]) glDisableVertexAttribArray(static_cast<GLuint>(i));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    glActiveTexture(GL_TEXTURE0);
    glClientActiveTexture(GL_TEXTURE0);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &m_texture0);
    m_texture2D = glIsEnabled(GL_TEXTURE_2D);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &m_texEnvMode);
    glGetFloatv(GL_CURRENT_TEXTURE_COORDS, m_texCoord);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
}

void GLStateGuard::Restore()
{
    if (m_restored) return;
    m_restored = true;
    if (m_prepared) {
        // Unit 0 and vertex array 0 first, while they are still selected.
        glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(m_texture0));
        SetEnabled(GL_TEXTURE_2D, m_texture2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, m_texEnvMode);
        glTexCoord4fv(m_texCoord);
        glPopClientAttrib();
        for (GLint i = 0; i < m_attribCount; ++i)
            if (m_attribEnabled[i]) glEnableVertexAttribArray(static_cast<GLuint>(i));
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLuint>(m_elementBuffer));
        if (m_hasVertexArrays) glBindVertexArray(static_cast<GLuint>(m_vertexArray));
    }
    glBindBuffer(GL_ARRAY_BUFFER, static_cast<GLuint>(m_arrayBuffer));
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, static_cast<GLuint>(m_unpackBuffer));
    glUseProgram(static_cast<GLuint>(m_program));
    glClientActiveTexture(static_cast<GLenum>(m_clientActiveTexture));
    glActiveTexture(static_cast<GLenum>(m_activeTexture));
    glBlendEquationSeparate(static_cast<GLenum>(m_blendEqRGB), static_cast<GLenum>(m_blendEqAlpha));
    glBlendFuncSeparate(static_cast<GLenum>(m_blendSrcRGB), static_cast<GLenum>(m_blendDstRGB),
                        static_cast<GLenum>(m_blendSrcAlpha), static_cast<GLenum>(m_blendDstAlpha));
    SetEnabled(GL_BLEND, m_blend);
    SetEnabled(GL_DEPTH_TEST, m_depthTest);
    SetEnabled(GL_CULL_FACE, m_cullFace);
    SetEnabled(GL_STENCIL_TEST, m_stencilTest);
    SetEnabled(GL_SCISSOR_TEST, m_scissorTest);
    SetEnabled(GL_LIGHTING, m_lighting);
    SetEnabled(GL_COLOR_MATERIAL, m_colorMaterial);
    glDepthMask(m_depthMask);
    glViewport(m_viewport[0], m_viewport[1], m_viewport[2], m_viewport[3]);
    glScissor(m_scissorBox[0], m_scissorBox[1], m_scissorBox[2], m_scissorBox[3]);
    glPolygonMode(GL_FRONT, static_cast<GLenum>(m_polygonMode[0]));
    glPolygonMode(GL_BACK, static_cast<GLenum>(m_polygonMode[1]));
    glShadeModel(static_cast<GLenum>(m_shadeModel));
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(m_projection);
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(m_modelView);
    glMatrixMode(static_cast<GLenum>(m_matrixMode));
    glColor4fv(m_color);
    glPixelStorei(GL_UNPACK_ROW_LENGTH, m_unpackRowLength);
    glPixelStorei(GL_UNPACK_ALIGNMENT, m_unpackAlignment);
}

} // namespace TweakBar
} // namespace QRX
