#include "engine/graphics/ShadowMap.h"

#include <FreeImage.h>

#include <cstdio>
#include <vector>

#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "engine/core/Logger.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/TypeNames.h"
#include "engine/platform/Documents.h"

namespace QRX {

namespace {

const glm::vec3 LIGHT_UP(0.0f, 1.0f, 0.0f);
// Used instead when the light looks straight along LIGHT_UP, where a look-at
// with that up vector has no defined sideways axis.
const glm::vec3 LIGHT_UP_VERTICAL(0.0f, 0.0f, -1.0f);
constexpr float PARALLEL_EPSILON = 1e-6f;

constexpr int BYTES_PER_PIXEL = 4;

void SetInt(GLuint program, const char* name, GLint value)
{
    const GLint at = glGetUniformLocation(program, name);
    if (at != -1) glUniform1i(at, value);
}

void SetFloat(GLuint program, const char* name, GLfloat value)
{
    const GLint at = glGetUniformLocation(program, name);
    if (at != -1) glUniform1f(at, value);
}

void SetMatrix(GLuint program, const char* name, const glm::mat4& value)
{
    const GLint at = glGetUniformLocation(program, name);
    if (at != -1) glUniformMatrix4fv(at, 1, GL_FALSE, glm::value_ptr(value));
}

// Types that never belong in a 3-D pass; drawn all the same.
bool IsScreenOnlyType(ObjectType type)
{
    return type == FPSGRAPH || type == GAMECONSOLE || type == WALL;
}

} // namespace

void ShadowMap::Init(int width, int height, const glm::mat4& cameraView, TextureManager* textures)
{
    Release();
    m_width = width > 0 ? width : 1;
    m_height = height > 0 ? height : 1;

    glGenTextures(1, &m_shadowMap);
    glBindTexture(GL_TEXTURE_2D, m_shadowMap);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, m_width, m_height, 0, GL_DEPTH_COMPONENT,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    // Samples outside the map are discarded by "main"; clamping keeps the
    // kernel's outer taps on the map's own edge texels.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_COMPARE_MODE, GL_NONE);
    glTexParameteri(GL_TEXTURE_2D, GL_DEPTH_TEXTURE_MODE, GL_LUMINANCE);
    glBindTexture(GL_TEXTURE_2D, 0);

    if (textures) textures->CreateRawTexture(TEXTURE_ID, m_shadowMap);

    glGenFramebuffers(1, &m_shadowFrameBuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, m_shadowFrameBuffer);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_DEPTH_ATTACHMENT, GL_TEXTURE_2D, m_shadowMap, 0);
    // Depth only: without these an OpenGL 2.1/3.0 driver calls the frame
    // buffer incomplete for want of a colour attachment.
    glDrawBuffer(GL_NONE);
    glReadBuffer(GL_NONE);
    QRX_LOG_INFO("Generating shadow fbo %i", static_cast<int>(m_shadowFrameBuffer));

    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    m_complete = status == GL_FRAMEBUFFER_COMPLETE;
    if (!m_complete) {
        QRX_LOG_ERROR("Framebuffer error code: %d", static_cast<int>(status));
        if (status == 0)
            QRX_LOG_ERROR("Integrated graphics card is not support. Please use or switch to a dedicated graphics card");
    }
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);

    m_lightNear = LIGHT_NEAR;
    m_lightFar = LIGHT_FAR;
    m_lightProjection = glm::ortho(LIGHT_LEFT, LIGHT_RIGHT, LIGHT_BOTTOM, LIGHT_TOP, m_lightNear, m_lightFar);
    m_lightView = cameraView;
}

void ShadowMap::Release()
{
    if (m_shadowFrameBuffer) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &m_shadowFrameBuffer);
        m_shadowFrameBuffer = 0;
    }
    if (m_shadowMap) {
        glDeleteTextures(1, &m_shadowMap);
        m_shadowMap = 0;
    }
    m_complete = false;
}

glm::mat4 ShadowMap::UpdateLightView(const glm::vec3& lightPosition, const GameObject* playerOne)
{
    glm::vec3 target(0.0f);
    if (playerOne) target = playerOne->position - glm::vec3(TARGET_OFFSET, 0.0f, TARGET_OFFSET);
    glm::vec3 up = LIGHT_UP;
    const glm::vec3 direction = target - lightPosition;
    if (glm::length(glm::cross(direction, up)) <= PARALLEL_EPSILON * glm::max(glm::length(direction), 1.0f))
        up = LIGHT_UP_VERTICAL;
    m_lightView = glm::lookAt(lightPosition, target, up);
    return m_lightView;
}

void ShadowMap::Render(const GameObjectGroup& group, ShaderManager* shaders, const ShadowCasterDraw& draw,
                       const glm::vec3& lightPosition, const GameObject* playerOne, bool dumpRequested)
{
    if (!shadowsOn) return;
    Program* program = shaders ? shaders->GetProgram(PROGRAM_NAME) : nullptr;
    if (!program || !m_complete) return;

    GLint viewport[4] = {0, 0, 0, 0};
    glGetIntegerv(GL_VIEWPORT, viewport);

    glUseProgram(program->GetProgramObject());
    program->SetInUse(true);
    glBindFramebuffer(GL_FRAMEBUFFER, m_shadowFrameBuffer);
    // The map is the window's size; drawn at its own size all the same, in
    // case a pass left a smaller viewport behind.
    glViewport(0, 0, m_width, m_height);
    glDepthMask(GL_TRUE);
    glClearDepth(1.0);
    glClear(GL_DEPTH_BUFFER_BIT);

    UpdateLightView(lightPosition, playerOne);
    DrawCasters(group, program, draw);

    glUseProgram(0);
    program->SetInUse(false);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);

    if (dumpRequested) SaveDebugTexture(m_shadowMap, false, DUMP_NAME);
}

void ShadowMap::DrawCasters(const GameObjectGroup& group, Program* program, const ShadowCasterDraw& draw)
{
    if (!program) return;
    const GLuint prog = program->GetProgramObject();
    SetMatrix(prog, "projectionMatrix", m_lightProjection);
    SetMatrix(prog, "viewMatrix", m_lightView);
    const GLint modelAt = glGetUniformLocation(prog, "modelMatrix");

    std::string meshId;
    std::string textureId;
    for (GameObject* object : group) {
        if (!object || (object->flags & OBJ_SKIP_DRAW)) continue;
        if (!draw.look || !draw.look(object, meshId, textureId)) continue;
        // The sky dome surrounds everything: it would shadow the whole scene.
        if (meshId == SKY_MESH_ID) continue;

        if (!(object->flags & OBJ_WORLD_VALID)) object->BuildTransform();
        if (modelAt != -1) glUniformMatrix4fv(modelAt, 1, GL_FALSE, glm::value_ptr(object->world));

        // Once per type: every wall of every frame would flood the output.
        if (IsScreenOnlyType(object->type) && m_reportedTypes.insert(object->type).second)
            std::printf("Main Shader fn is drawing %s when it shouldn't be!\n",
                        ObjectTypeToString(object->type).c_str());

        if (draw.sendAnimation) draw.sendAnimation(program, object);
        if (draw.drawMesh) draw.drawMesh(meshId, textureId);
    }
}

glm::mat4 ShadowMap::SendUniforms(Program* program, const glm::mat4& cameraView, int windowWidth, int windowHeight)
{
    const glm::mat4 viewToWorld = glm::inverse(cameraView);
    if (!program) return viewToWorld;
    const GLuint prog = program->GetProgramObject();

    glActiveTexture(GL_TEXTURE0 + SHADOW_TEXTURE_UNIT);
    glBindTexture(GL_TEXTURE_2D, m_shadowMap);
    SetInt(prog, "shadowMap", SHADOW_TEXTURE_UNIT);
    glActiveTexture(GL_TEXTURE0);

    // A map that was never made (or cannot be drawn into) holds no depth:
    // sampling it would put the whole scene in shadow.
    SetInt(prog, "enableShadows", shadowsOn && m_complete ? 1 : 0);
    SetFloat(prog, "depthBias", depthBias);
    SetInt(prog, "SAMPLECOUNTX", SAMPLECOUNTX);
    SetInt(prog, "SAMPLECOUNTY", SAMPLECOUNTY);
    SetFloat(prog, "filterX", filterX);
    SetFloat(prog, "filterY", filterY);
    SetInt(prog, "shadowMapWidth", windowWidth);
    SetInt(prog, "shadowMapHeight", windowHeight);
    SetMatrix(prog, "viewToWorldMatrix", viewToWorld);
    SetMatrix(prog, "worldToLightMatrix", m_lightView);
    SetMatrix(prog, "lightToProjectionMatrix", m_lightProjection);
    return viewToWorld;
}

std::string ShadowMap::DumpPath(const std::string& name)
{
    return Platform::GetDocumentsFolder() + "/" + DUMP_FOLDER + "/" + name + ".tga";
}

bool ShadowMap::SaveDebugTexture(GLuint texture, bool colour, const std::string& name)
{
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, texture);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    if (active == GL_TEXTURE0) QRX_LOG_INFO("Good to go!");

    GLint width = 0;
    GLint height = 0;
    if (texture) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    }
    if (width < 1 || height < 1) {
        glBindTexture(GL_TEXTURE_2D, 0);
        QRX_LOG_WARNING("Texture %u has no image to save as %s.", texture, name.c_str());
        return false;
    }

    const size_t pixels = static_cast<size_t>(width) * static_cast<size_t>(height);
    std::vector<unsigned char> image(pixels * BYTES_PER_PIXEL);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (colour) {
        glGetTexImage(GL_TEXTURE_2D, 0, GL_BGRA, GL_UNSIGNED_BYTE, image.data());
    } else {
        // One depth byte per pixel, spread to an opaque grey.
        std::vector<unsigned char> depth(pixels);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_DEPTH_COMPONENT, GL_UNSIGNED_BYTE, depth.data());
        for (size_t i = 0; i < pixels; ++i) {
            unsigned char* p = &image[i * BYTES_PER_PIXEL];
            p[0] = p[1] = p[2] = depth[i];
            p[3] = 0xFF;
        }
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glBindTexture(GL_TEXTURE_2D, 0);

    // documents/Orvanta/Zendra/Screenshots, one level at a time.
    std::string folder = Platform::GetDocumentsFolder();
    for (const char* part : {"Orvanta", "Zendra", "Screenshots"}) {
        folder += "/";
        folder += part;
        Platform::MakeDirectory(folder);
    }

    FIBITMAP* bitmap = FreeImage_ConvertFromRawBits(image.data(), width, height, width * BYTES_PER_PIXEL,
                                                    32, 0xFF0000, 0x00FF00, 0x0000FF, FALSE);
    const std::string path = DumpPath(name);
    const bool saved = bitmap && FreeImage_Save(FIF_TARGA, bitmap, path.c_str(), 0);
    if (bitmap) FreeImage_Unload(bitmap);
    if (!saved) QRX_LOG_WARNING("Could not write %s.", path.c_str());
    return saved;
}

} // namespace QRX
