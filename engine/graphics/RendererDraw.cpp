// The renderer's low-level draws: one mesh, the skinning upload, lines.
#include <vector>

#include <glm/gtc/type_ptr.hpp>

#include "engine/core/FrameRateController.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"

namespace QRX {

namespace {

constexpr GLsizei VERTEX_STRIDE = 40;  // position vec4, normal vec4, texcoord vec2
constexpr GLsizei SKIN_STRIDE = 16;    // four floats per vertex

Program* FindProgram(const char* name)
{
    System* system = System::PeekInstance();
    return system && system->shaderManager ? system->shaderManager->GetProgram(name) : nullptr;
}

float CappedFrameTime()
{
    System* system = System::PeekInstance();
    if (!system || !system->frameRateController) return 0.0f;
    const double dt = system->frameRateController->dt;
    return static_cast<float>(dt > Renderer::MAX_FRAME_TIME ? Renderer::MAX_FRAME_TIME : dt);
}

} // namespace

void Renderer::DrawMesh(std::string meshId, std::string textureId)
{
    System* system = System::PeekInstance();
    MeshManager* meshes = system ? system->meshManager : nullptr;
    TextureManager* textures = system ? system->textureManager : nullptr;
    Mesh* mesh = meshes ? meshes->GetMesh(meshId) : nullptr;
    if (!mesh) return;
    const GLuint tId = textures ? textures->GetTexture(textureId) : 0;

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, tId);
    QRX_ASSERT(glIsBuffer(mesh->GetElementBuffer()) == GL_TRUE, 1, "BO INVALID");
    QRX_ASSERT(glIsBuffer(mesh->GetVertexBuffer()) == GL_TRUE, 1, "BO INVALID");
    QRX_ASSERT(glIsTexture(tId) == GL_TRUE, 1, "BO INVALID");

    glBindBuffer(GL_ARRAY_BUFFER, mesh->GetVertexBuffer());
    QRX_ASSERT(glIsBuffer(mesh->GetVertexBuffer()) == GL_TRUE, 1, "BO INVALID");
    glVertexAttribPointer(GRAPHICS_ATTRIB_POSITION, 4, GL_FLOAT, GL_FALSE, VERTEX_STRIDE, reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(GRAPHICS_ATTRIB_POSITION);
    glVertexAttribPointer(GRAPHICS_ATTRIB_NORMAL, 4, GL_FLOAT, GL_FALSE, VERTEX_STRIDE, reinterpret_cast<void*>(16));
    glEnableVertexAttribArray(GRAPHICS_ATTRIB_NORMAL);
    glVertexAttribPointer(GRAPHICS_ATTRIB_TEXCOORD, 2, GL_FLOAT, GL_FALSE, VERTEX_STRIDE, reinterpret_cast<void*>(32));
    glEnableVertexAttribArray(GRAPHICS_ATTRIB_TEXCOORD);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->GetElementBuffer());
    QRX_ASSERT(glIsBuffer(mesh->GetElementBuffer()) == GL_TRUE, 1, "BO INVALID");
    // A mesh without buffers (no context when it was loaded) draws nothing.
    if (mesh->GetVertexBuffer() != 0 && mesh->GetElementBuffer() != 0)
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh->indexCount), GL_UNSIGNED_INT, nullptr);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(GRAPHICS_ATTRIB_POSITION);
    glDisableVertexAttribArray(GRAPHICS_ATTRIB_NORMAL);
    glDisableVertexAttribArray(GRAPHICS_ATTRIB_WEIGHT);
    glDisableVertexAttribArray(GRAPHICS_ATTRIB_JOINTINDEX);
    glDisableVertexAttribArray(GRAPHICS_ATTRIB_TEXCOORD);
}

void Renderer::SendAnimationDataPerObject(Program* program, GameObject* object)
{
    if (!program || !object) return;
    const auto* graphics = static_cast<const GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
    System* system = System::PeekInstance();
    MeshManager* meshes = system ? system->meshManager : nullptr;
    if (!graphics || !meshes) return;
    Mesh* mesh = meshes->GetMesh(graphics->m_meshId);
    if (!mesh) return;

    const GLuint programObject = program->GetProgramObject();
    glUniform1i(glGetUniformLocation(programObject, "isAnimated"), mesh->animated ? 1 : 0);
    if (!mesh->animated) return;

    Skeleton pose = mesh->skeleton;
    AnimationUpdate(m_animationState, pose, CappedFrameTime());

    const size_t jointCount = pose.joints.size();
    QRX_ASSERT(jointCount <= static_cast<size_t>(JOINT_SIZE), 1, "too many joints");
    // The shaders hold JOINT_SIZE matrices; more would write past the array.
    const size_t uploaded = jointCount < static_cast<size_t>(JOINT_SIZE) ? jointCount : JOINT_SIZE;
    std::vector<glm::mat4> palette(uploaded, glm::mat4(1.0f));
    for (size_t i = 0; i < uploaded; ++i) palette[i] = pose.joints[i].skinMatrix;
    if (uploaded > 0)
        glUniformMatrix4fv(glGetUniformLocation(programObject, "skinMatrix"), static_cast<GLsizei>(uploaded), GL_FALSE,
                           glm::value_ptr(palette[0]));

    glBindBuffer(GL_ARRAY_BUFFER, mesh->GetWeightBuffer());
    QRX_ASSERT(glIsBuffer(mesh->GetWeightBuffer()) == GL_TRUE, 1, "BO INVALID");
    glVertexAttribPointer(GRAPHICS_ATTRIB_WEIGHT, 4, GL_FLOAT, GL_FALSE, SKIN_STRIDE, nullptr);
    glEnableVertexAttribArray(GRAPHICS_ATTRIB_WEIGHT);
    glBindBuffer(GL_ARRAY_BUFFER, mesh->GetAnimIndexBuffer());
    QRX_ASSERT(glIsBuffer(mesh->GetAnimIndexBuffer()) == GL_TRUE, 1, "BO INVALID");
    glVertexAttribPointer(GRAPHICS_ATTRIB_JOINTINDEX, 4, GL_FLOAT, GL_FALSE, SKIN_STRIDE, nullptr);
    glEnableVertexAttribArray(GRAPHICS_ATTRIB_JOINTINDEX);
}

void Renderer::AddLine3D(const glm::vec3& from, const glm::vec3& to, const glm::vec4& colour, float width)
{
    QueuedLine line;
    line.from = from;
    line.to = to;
    line.colour = colour;
    line.width = width;
    m_lineQueue.push_back(line);
}

void Renderer::DrawLine(const glm::vec3& from, const glm::vec3& to, float width, const glm::vec4& colour,
                        const glm::mat4& view, const glm::mat4& projection, GLenum mode)
{
    Program* program = FindProgram("line");
    if (!program) return;
    glUseProgram(program->GetProgramObject());
    program->SetInUse(true);

    const glm::mat4 identity(1.0f);
    glUniformMatrix4fv(m_lineLocations.modelMatrix, 1, GL_FALSE, glm::value_ptr(identity));
    glUniformMatrix4fv(m_lineLocations.viewMatrix, 1, GL_FALSE, glm::value_ptr(view));
    glUniformMatrix4fv(m_lineLocations.projectionMatrix, 1, GL_FALSE, glm::value_ptr(projection));

    const float positions[6] = {from.x, from.y, from.z, to.x, to.y, to.z};
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBufferObject[GRAPHICS_ATTRIB_LINEPOS]);
    QRX_ASSERT(glIsBuffer(m_vertexBufferObject[GRAPHICS_ATTRIB_LINEPOS]) == GL_TRUE, 1, "BO INVALID");
    glBufferData(GL_ARRAY_BUFFER, sizeof(positions), positions, GL_STREAM_DRAW);
    glVertexAttribPointer(GRAPHICS_ATTRIB_LINEPOS, 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(GRAPHICS_ATTRIB_LINEPOS);
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    const float colours[8] = {colour.r, colour.g, colour.b, colour.a, colour.r, colour.g, colour.b, colour.a};
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBufferObject[GRAPHICS_ATTRIB_LINECOLOR]);
    QRX_ASSERT(glIsBuffer(m_vertexBufferObject[GRAPHICS_ATTRIB_LINECOLOR]) == GL_TRUE, 1, "BO INVALID");
    glBufferData(GL_ARRAY_BUFFER, sizeof(colours), colours, GL_STREAM_DRAW);
    glVertexAttribPointer(GRAPHICS_ATTRIB_LINECOLOR, 4, GL_FLOAT, GL_FALSE, 0, nullptr);
    glEnableVertexAttribArray(GRAPHICS_ATTRIB_LINECOLOR);

    glLineWidth(width);
    glDrawArrays(mode, 0, 2);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(GRAPHICS_ATTRIB_LINEPOS);
    glDisableVertexAttribArray(GRAPHICS_ATTRIB_LINECOLOR);
    glUseProgram(0);
    program->SetInUse(false);
}

void Renderer::Draw2DLine(float depth, float width, const glm::vec2& from, const glm::vec2& to, const glm::vec4& colour)
{
    DrawLine(glm::vec3(from, depth), glm::vec3(to, depth), width, colour, glm::mat4(1.0f), m_projection2D,
             GL_LINE_STRIP);
}

} // namespace QRX
