#include "engine/graphics/PostProcessing.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include <glm/gtc/type_ptr.hpp>

#include "engine/core/Logger.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

namespace {

RenderTarget* g_currentRenderTarget = nullptr;

// Two triangles as a strip over the whole of clip space.
const GLfloat QUAD_VERTICES[] = {-1.0f, -1.0f, 1.0f, -1.0f, -1.0f, 1.0f, 1.0f, 1.0f};
constexpr GLsizei QUAD_VERTEX_COUNT = 4;

constexpr const char* QUAD_VERT = "data\\shaders\\quad.vert";
constexpr const char* QUAD_FRAG = "data\\shaders\\quad.frag";
constexpr const char* ANTI_ALIAS_H_FRAG = "data\\shaders\\AntiAliasHorizontal.frag";
constexpr const char* ANTI_ALIAS_V_FRAG = "data\\shaders\\AntiAliasVertical.frag";
constexpr const char* BLUR_H_FRAG = "data\\shaders\\BlurHorizontal.frag";
constexpr const char* BLUR_V_FRAG = "data\\shaders\\BlurVertical.frag";
constexpr const char* BLOOM_PASS_VERT = "data\\shaders\\bloom_pass.vert";
constexpr const char* BLOOM_BLIT_FRAG = "data\\shaders\\bloom_blit.frag";
constexpr const char* BLOOM_COMBINE_FRAG = "data\\shaders\\bloom_combine.frag";

const PostProcessing::Locations NO_LOCATIONS;

void BeginProgram(Program* program)
{
    glUseProgram(program->GetProgramObject());
    program->SetInUse(true);
}

void EndProgram(Program* program)
{
    glUseProgram(0);
    program->SetInUse(false);
}

// "GL_TEXTURE_CUBE_MAP_?_?" for a cube-map face.
const char* CubeFaceName(GLint face)
{
    switch (face) {
    case GL_TEXTURE_CUBE_MAP_POSITIVE_X: return "GL_TEXTURE_CUBE_MAP_POSITIVE_X";
    case GL_TEXTURE_CUBE_MAP_NEGATIVE_X: return "GL_TEXTURE_CUBE_MAP_NEGATIVE_X";
    case GL_TEXTURE_CUBE_MAP_POSITIVE_Y: return "GL_TEXTURE_CUBE_MAP_POSITIVE_Y";
    case GL_TEXTURE_CUBE_MAP_NEGATIVE_Y: return "GL_TEXTURE_CUBE_MAP_NEGATIVE_Y";
    case GL_TEXTURE_CUBE_MAP_POSITIVE_Z: return "GL_TEXTURE_CUBE_MAP_POSITIVE_Z";
    case GL_TEXTURE_CUBE_MAP_NEGATIVE_Z: return "GL_TEXTURE_CUBE_MAP_NEGATIVE_Z";
    default: return "not cube-map texture";
    }
}

} // namespace

// ---- render targets ----

RenderTarget* GetCurrentRenderTarget()
{
    return g_currentRenderTarget;
}

void RenderTarget::SetSize(int w, int h)
{
    width = w;
    height = h;
    viewportX = 0;
    viewportY = 0;
    viewportWidth = w;
    viewportHeight = h;
}

void RenderTarget::Init()
{
    glGenFramebuffers(1, &frameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);

    glGenRenderbuffers(1, &depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, depthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, width, height);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, depthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    // Clamping to the border would blend black into every edge the blur reaches.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    glBindTexture(GL_TEXTURE_2D, 0);

    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        std::fprintf(stderr, "glCheckFramebufferStatus: error %u\n", static_cast<unsigned>(status));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
}

void RenderTarget::Bind()
{
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    glViewport(viewportX, viewportY, viewportWidth, viewportHeight);
    g_currentRenderTarget = this;
    glClearColor(clearColor.r, clearColor.g, clearColor.b, clearColor.a);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glEnable(GL_CULL_FACE);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
}

void RenderTarget::Release()
{
    if (depthBuffer) glDeleteRenderbuffers(1, &depthBuffer);
    if (texture) glDeleteTextures(1, &texture);
    if (frameBuffer) glDeleteFramebuffers(1, &frameBuffer);
    depthBuffer = texture = frameBuffer = 0;
    if (g_currentRenderTarget == this) g_currentRenderTarget = nullptr;
}

// ---- set-up ----

void PostProcessing::BuildProgram(ShaderManager* shaders, const char* name, const char* vertexFile,
                                  const char* fragmentFile, const char* textureUniform, Locations& locations)
{
    locations = Locations();
    Program* program = shaders->CreateProgram(name);
    if (!program) return;
    program->AssociateShader(Program::VERTEX_SHADER, vertexFile);
    program->AssociateShader(Program::FRAGMENT_SHADER, fragmentFile);
    program->LinkShaders();
    const GLuint prog = program->GetProgramObject();
    locations.inPosition = glGetAttribLocation(prog, "inPosition");
    if (textureUniform) locations.texture = glGetUniformLocation(prog, textureUniform);
}

void PostProcessing::Setup(ShaderManager* shaders, int windowWidth, int windowHeight)
{
    // A recompile runs this again in the same context: what the last run made
    // would otherwise be lost, still allocated.
    Release();

    glGenBuffers(1, &m_quadBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, m_quadBuffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof(QUAD_VERTICES), QUAD_VERTICES, GL_STATIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    bloomColor = glm::vec4(0.0f, 0.0f, 0.0f, DEFAULT_BLOOM_ALPHA);
    firstCoefficient = DEFAULT_FIRST_COEFFICIENT;
    secondCoefficient = DEFAULT_SECOND_COEFFICIENT;
    hue = DEFAULT_HUE;
    saturation = DEFAULT_SATURATION;
    value = DEFAULT_VALUE;

    if (shaders) {
        BuildProgram(shaders, QUAD_PROGRAM, QUAD_VERT, QUAD_FRAG, "fbo_texture", m_quad);
        BuildProgram(shaders, ANTI_ALIAS_H_PROGRAM, QUAD_VERT, ANTI_ALIAS_H_FRAG, "uColorMap", m_antiAliasH);
        BuildProgram(shaders, ANTI_ALIAS_V_PROGRAM, QUAD_VERT, ANTI_ALIAS_V_FRAG, "uColorMap", m_antiAliasV);
        BuildProgram(shaders, BLUR_H_PROGRAM, QUAD_VERT, BLUR_H_FRAG, "uColorMap", m_blurH);
        BuildProgram(shaders, BLUR_V_PROGRAM, QUAD_VERT, BLUR_V_FRAG, "uColorMap", m_blurV);
        BuildProgram(shaders, BLIT_PROGRAM, BLOOM_PASS_VERT, BLOOM_BLIT_FRAG, nullptr, m_blit);
        BuildProgram(shaders, COMBINE_PROGRAM, QUAD_VERT, BLOOM_COMBINE_FRAG, nullptr, m_combine);
        if (Program* combine = shaders->GetProgram(COMBINE_PROGRAM)) {
            m_combine.saturation = glGetUniformLocation(combine->GetProgramObject(), "uSaturation");
            m_combine.value = glGetUniformLocation(combine->GetProgramObject(), "uValue");
        }
    }

    const int w = windowWidth > 0 ? windowWidth : 1;
    const int h = windowHeight > 0 ? windowHeight : 1;
    for (int k = 0; k < LEVELS; ++k) {
        // Integer halving; a level never shrinks below one pixel.
        m_chainA[k].SetSize(std::max(w >> k, 1), std::max(h >> k, 1));
        m_chainA[k].clearColor = glm::vec4(0.0f);
        m_chainA[k].Init();
    }
    for (int k = 0; k < LEVELS; ++k) {
        m_chainB[k].SetSize(m_chainA[k].width, m_chainA[k].height);
        m_chainB[k].Init();
    }
    m_sceneCapture.SetSize(w, h);
    m_sceneCapture.clearColor = glm::vec4(0.0f);
    m_sceneCapture.Init();
}

void PostProcessing::Release()
{
    for (int k = 0; k < LEVELS; ++k) {
        m_chainA[k].Release();
        m_chainB[k].Release();
    }
    m_sceneCapture.Release();
    if (m_quadBuffer) glDeleteBuffers(1, &m_quadBuffer);
    m_quadBuffer = 0;
}

const PostProcessing::Locations& PostProcessing::GetLocations(const std::string& program) const
{
    if (program == QUAD_PROGRAM) return m_quad;
    if (program == ANTI_ALIAS_H_PROGRAM) return m_antiAliasH;
    if (program == ANTI_ALIAS_V_PROGRAM) return m_antiAliasV;
    if (program == BLUR_H_PROGRAM) return m_blurH;
    if (program == BLUR_V_PROGRAM) return m_blurV;
    if (program == BLIT_PROGRAM) return m_blit;
    if (program == COMBINE_PROGRAM) return m_combine;
    return NO_LOCATIONS;
}

// ---- the chain ----

void PostProcessing::BindSceneCapture()
{
    m_sceneCapture.Bind();
}

void PostProcessing::DrawFullScreenQuad(GLint attribute)
{
    glClearColor(0.0f, 0.0f, 0.0f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (attribute < 0) return;
    const GLuint at = static_cast<GLuint>(attribute);
    glEnableVertexAttribArray(at);
    glBindBuffer(GL_ARRAY_BUFFER, m_quadBuffer);
    glVertexAttribPointer(at, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, QUAD_VERTEX_COUNT);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(at);
}

void PostProcessing::BindLevel(RenderTarget& target)
{
    glBindFramebuffer(GL_FRAMEBUFFER, target.frameBuffer);
    glViewport(0, 0, target.width, target.height);
    g_currentRenderTarget = &target;
}

void PostProcessing::SeparablePass(ShaderManager* shaders, const char* programName, Direction direction, bool blur,
                                   RenderTarget* source, RenderTarget* destination)
{
    Program* program = shaders ? shaders->GetProgram(programName) : nullptr;
    if (!program || !source || !destination) return;
    const Locations& l = GetLocations(programName);
    BeginProgram(program);
    const GLuint prog = program->GetProgramObject();
    const GLint mapSize = glGetUniformLocation(prog, "uMapSize");
    if (blur) {
        const GLint halfSize = glGetUniformLocation(prog, "uHalfSize");
        if (halfSize != -1) glUniform1i(halfSize, BLUR_HALF_SIZE);
    }
    for (int k = 0; k < LEVELS; ++k) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, source[k].texture);
        if (l.texture != -1) glUniform1i(l.texture, 0);
        BindLevel(destination[k]);
        const int extent = direction == HORIZONTAL ? source[k].width : source[k].height;
        if (mapSize != -1) glUniform1f(mapSize, 1.0f / static_cast<float>(extent));
        DrawFullScreenQuad(l.inPosition);
    }
    EndProgram(program);
}

void PostProcessing::AntiAliasHorizontalPass(ShaderManager* shaders, RenderTarget* source, RenderTarget* destination)
{
    SeparablePass(shaders, ANTI_ALIAS_H_PROGRAM, HORIZONTAL, false, source, destination);
}

void PostProcessing::AntiAliasVerticalPass(ShaderManager* shaders, RenderTarget* source, RenderTarget* destination)
{
    SeparablePass(shaders, ANTI_ALIAS_V_PROGRAM, VERTICAL, false, source, destination);
}

void PostProcessing::BlurHorizontalPass(ShaderManager* shaders, RenderTarget* source, RenderTarget* destination)
{
    SeparablePass(shaders, BLUR_H_PROGRAM, HORIZONTAL, true, source, destination);
}

void PostProcessing::BlurVerticalPass(ShaderManager* shaders, RenderTarget* source, RenderTarget* destination)
{
    SeparablePass(shaders, BLUR_V_PROGRAM, VERTICAL, true, source, destination);
}

void PostProcessing::Process(ShaderManager* shaders, int windowWidth, int windowHeight, GLuint destination)
{
    if (!shaders) return;
    glDisable(GL_DEPTH_TEST);
    glDepthMask(GL_FALSE);
    glEnable(GL_TEXTURE_2D);
    // Every pass writes opaque pixels over the whole target, so blending
    // would only read each destination pixel back to keep none of it.
    const GLboolean blending = glIsEnabled(GL_BLEND);
    glDisable(GL_BLEND);

    // Scene capture into every level of chain A.
    if (Program* quad = shaders->GetProgram(QUAD_PROGRAM)) {
        BeginProgram(quad);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, m_sceneCapture.texture);
        if (m_quad.texture != -1) glUniform1i(m_quad.texture, 0);
        for (int k = 0; k < LEVELS; ++k) {
            BindLevel(m_chainA[k]);
            DrawFullScreenQuad(m_quad.inPosition);
        }
        EndProgram(quad);
    }

    BlurHorizontalPass(shaders, m_chainA, m_chainB);
    BlurVerticalPass(shaders, m_chainB, m_chainA);
    AntiAliasHorizontalPass(shaders, m_chainA, m_chainB);
    AntiAliasVerticalPass(shaders, m_chainB, m_chainA);

    glBindFramebuffer(GL_FRAMEBUFFER, destination);
    glViewport(0, 0, windowWidth, windowHeight);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    if (Program* combine = shaders->GetProgram(COMBINE_PROGRAM)) {
        BeginProgram(combine);
        const GLuint prog = combine->GetProgramObject();
        const GLint bloomAt = glGetUniformLocation(prog, "uBloomColor");
        if (bloomAt != -1) glUniform4fv(bloomAt, 1, glm::value_ptr(bloomColor));
        if (m_combine.saturation != -1) glUniform1f(m_combine.saturation, saturation);
        if (m_combine.value != -1) glUniform1f(m_combine.value, value);
        char name[16];
        for (int i = 0; i < COMBINED_LEVELS; ++i) {
            glActiveTexture(GL_TEXTURE0 + i);
            glBindTexture(GL_TEXTURE_2D, m_chainA[i].texture);
            glEnable(GL_TEXTURE_2D);
            std::snprintf(name, sizeof(name), "Pass%d", i);
            const GLint passAt = glGetUniformLocation(prog, name);
            if (passAt != -1) glUniform1i(passAt, i);
        }
        glActiveTexture(GL_TEXTURE0 + COMBINED_LEVELS);
        glBindTexture(GL_TEXTURE_2D, m_sceneCapture.texture);
        glEnable(GL_TEXTURE_2D);
        const GLint sourceAt = glGetUniformLocation(prog, "sourceImage");
        if (sourceAt != -1) glUniform1i(sourceAt, COMBINED_LEVELS);

        glBindFramebuffer(GL_FRAMEBUFFER, destination);
        DrawFullScreenQuad(m_combine.inPosition);
        EndProgram(combine);
    }

    for (int i = 0; i <= COMBINED_LEVELS; ++i) {
        glActiveTexture(GL_TEXTURE0 + i);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
    }
    glActiveTexture(GL_TEXTURE0);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    if (blending) glEnable(GL_BLEND);
}

// ---- debug frame buffer ----

void PostProcessing::CreateFrameBuffers(int windowWidth, int windowHeight, ObjectManager* objects,
                                        TextureManager* textures)
{
    ReleaseFrameBuffers();
    const int w = windowWidth > 0 ? windowWidth : 1;
    const int h = windowHeight > 0 ? windowHeight : 1;

    glGenFramebuffers(1, &m_debugFrameBuffer);
    glGenRenderbuffers(1, &m_debugDepthBuffer);
    glGenTextures(DEBUG_TEXTURE_COUNT, m_debugTextures);
    glBindFramebuffer(GL_FRAMEBUFFER, m_debugFrameBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, m_debugDepthBuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH_COMPONENT, w, h);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_RENDERBUFFER, m_debugDepthBuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    GLint maxAttachments = 0;
    glGetIntegerv(GL_MAX_COLOR_ATTACHMENTS, &maxAttachments);
    for (int i = 0; i < DEBUG_TEXTURE_COUNT; ++i) {
        glBindTexture(GL_TEXTURE_2D, m_debugTextures[i]);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, w, h, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
        // An attachment point the driver lacks would only raise a GL error.
        if (i < maxAttachments)
            glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + i, GL_TEXTURE_2D, m_debugTextures[i], 0);
        const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
        QRX_ASSERT(status == GL_FRAMEBUFFER_COMPLETE, 0, "");
        CheckFramebufferStatus();
    }
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    PrintFramebufferInfo(m_debugFrameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    const float sw = DEBUG_SPRITE_WIDTH * static_cast<float>(w);
    const float sh = DEBUG_SPRITE_ASPECT * sw;
    const float halfW = static_cast<float>(w) / 2.0f;
    const float halfH = static_cast<float>(h) / 2.0f;
    for (int i = 0; i < DEBUG_TEXTURE_COUNT; ++i) {
        const std::string id = DEBUG_TEXTURE_PREFIX + std::to_string(i);
        if (textures) textures->CreateRawTexture(id, m_debugTextures[i]);
        // The sprites are persistent: made once, they outlive a second call.
        if (!objects || m_debugSprites[i]) continue;
        GameObject* sprite = objects->CreatePersistentInstance(SPRITE);
        if (!sprite) continue;
        sprite->scale = glm::vec3(sw, sh, 1.0f);
        sprite->position = glm::vec3(sw * static_cast<float>(i) - (halfW - sw / 2.0f), -(halfH - sh / 2.0f),
                                     DEBUG_SPRITE_DEPTH);
        sprite->flags &= ~OBJ_WORLD_VALID;
        // Skip-draw: after a display change their textures are gone and the
        // ids would fall back to the "NO FILE" picture.
        sprite->flags |= OBJ_PERSISTENT | OBJ_SKIP_DRAW;
        if (GUIComponent* gui = sprite->GetComponent<GUIComponent>()) gui->m_textureId = id;
        m_debugSprites[i] = sprite;
    }
}

void PostProcessing::ReleaseFrameBuffers()
{
    if (m_debugDepthBuffer) glDeleteRenderbuffers(1, &m_debugDepthBuffer);
    for (GLuint& texture : m_debugTextures)
        if (texture) glDeleteTextures(1, &texture);
    if (m_debugFrameBuffer) glDeleteFramebuffers(1, &m_debugFrameBuffer);
    m_debugDepthBuffer = 0;
    m_debugFrameBuffer = 0;
    for (GLuint& texture : m_debugTextures) texture = 0;
}

bool PostProcessing::CheckFramebufferStatus()
{
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status == GL_FRAMEBUFFER_COMPLETE) return true;
    switch (status) {
    case GL_FRAMEBUFFER_INCOMPLETE_MISSING_ATTACHMENT:
        std::printf("Framebuffer incomplete, missing attachment\n");
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_DRAW_BUFFER:
        std::printf("Framebuffer incomplete, missing draw buffer\n");
        break;
    case GL_FRAMEBUFFER_INCOMPLETE_READ_BUFFER:
        std::printf("Framebuffer incomplete, missing read buffer\n");
        break;
    case GL_FRAMEBUFFER_UNSUPPORTED:
        std::printf("Unsupported framebuffer format\n");
        break;
    default:
        break;
    }
    QRX_LOG_ERROR("If a crash happened, please refer to the log file located in "
                  "<b>UserName/Documents/Orvanta/Zendra/SystemActivity.html</b> located in <i>My Documents</i> folder.");
    QRX_LOG_ERROR("IF YOU CRASHED HERE, LET ME KNOW WHICH CASE IT CRASHED AT! - KM");
    return false;
}

void PostProcessing::PrintFramebufferInfo(GLuint frameBuffer)
{
    glBindFramebuffer(GL_FRAMEBUFFER, frameBuffer);
    GLint maxDrawBuffers = 0;
    glGetIntegerv(GL_MAX_DRAW_BUFFERS, &maxDrawBuffers);
    GLint maxAttachments = 0;
    glGetIntegerv(GL_MAX_COLOR_ATTACHMENTS, &maxAttachments);
    for (GLint i = 0; i < maxDrawBuffers; ++i) {
        GLint drawBuffer = GL_NONE;
        glGetIntegerv(GL_DRAW_BUFFER0 + i, &drawBuffer);
        if (drawBuffer == GL_NONE) break;
        const GLint attachment = drawBuffer - GL_COLOR_ATTACHMENT0;
        std::printf("Shader Output Location %d - color attachment %d\n", static_cast<int>(i),
                    static_cast<int>(attachment));
        // The window's own buffers (GL_BACK...) have no attachment to describe.
        if (attachment < 0 || attachment >= maxAttachments) continue;
        GLint type = GL_NONE;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, static_cast<GLenum>(drawBuffer),
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_TYPE, &type);
        if (type == GL_NONE) continue;
        std::printf("\tAttachment Type: %s\n", type == GL_TEXTURE ? "Texture" : "Render Buffer");
        GLint name = 0;
        glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, static_cast<GLenum>(drawBuffer),
                                              GL_FRAMEBUFFER_ATTACHMENT_OBJECT_NAME, &name);
        std::printf("\tAttachment object name: %d\n", static_cast<int>(name));
        if (type == GL_TEXTURE) {
            GLint level = 0;
            GLint face = 0;
            glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, static_cast<GLenum>(drawBuffer),
                                                  GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_LEVEL, &level);
            glGetFramebufferAttachmentParameteriv(GL_FRAMEBUFFER, static_cast<GLenum>(drawBuffer),
                                                  GL_FRAMEBUFFER_ATTACHMENT_TEXTURE_CUBE_MAP_FACE, &face);
            std::printf("\tAttachment texture mipmap level: %d\n", static_cast<int>(level));
            std::printf("\tAttachment texture cube map face: %d (%s)\n", static_cast<int>(face), CubeFaceName(face));
        }
    }
}

} // namespace QRX
