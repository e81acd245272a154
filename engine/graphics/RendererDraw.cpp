// The renderer's low-level draws: one mesh, the skinning upload, lines.
#include <vector>

#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "engine/core/FrameRateController.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/SceneLight.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/Primitive.h"

namespace QRX {

namespace {

constexpr GLsizei VERTEX_STRIDE = 40;  // position vec4, normal vec4, texcoord vec2
constexpr GLsizei SKIN_STRIDE = 16;    // four floats per vertex
constexpr GLint SHADOW_MAP_UNIT = ShadowMap::SHADOW_TEXTURE_UNIT;
// The debug overlays: wireframes pulled towards the eye over the solid faces.
constexpr float WIRE_OFFSET_FACTOR = -1.0f;
constexpr float WIRE_OFFSET_UNITS = 10.0f;
const glm::vec4 WIRE_COLOUR(0.0f, 0.0f, 1.0f, 0.7f);
const glm::vec4 PICKED_WIRE_COLOUR(1.0f, 1.0f, 0.0f, 0.7f);
const glm::vec4 COLLISION_WIRE_COLOUR(1.0f, 0.0f, 1.0f, 0.7f);
// Meshes the main pass treats specially.
constexpr const char* SKY_MESH = "sphereinverted";
constexpr const char* SPHERE_MESH = "sphere";
constexpr const char* BOX_MESH = "cubey";
constexpr const char* PLANE_MESH = "2dplane";

// Whether an object glows ("isB"): the rounded cubes, the doors and whatever
// wears the orange texture.
bool IsBoosted(const GraphicsComponent& graphics)
{
    return graphics.m_meshId == "cube_rounded" || graphics.m_textureId == "orange" || graphics.m_meshId == "door";
}

void SetMatrix(GLint location, const glm::mat4& matrix)
{
    glUniformMatrix4fv(location, 1, GL_FALSE, glm::value_ptr(matrix));
}

void BeginWireframe()
{
    glPolygonMode(GL_FRONT_AND_BACK, GL_LINE);
    glEnable(GL_POLYGON_OFFSET_LINE);
    glPolygonOffset(WIRE_OFFSET_FACTOR, WIRE_OFFSET_UNITS);
}

void EndWireframe()
{
    glPolygonOffset(0.0f, 0.0f);
    glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
    glDisable(GL_POLYGON_OFFSET_LINE);
}

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

void Renderer::RenderObjects(GameObjectGroup& group)
{
    Program* program = FindProgram("main");
    if (!program) return;
    const GLuint programObject = program->GetProgramObject();
    glUseProgram(programObject);
    program->SetInUse(true);
    SendShadowUniforms(program);

    const glm::mat4 view = ViewMatrix();
    const glm::mat4 cameraProjection = m_camera ? m_camera->GetProjectionMatrix() : m_projection;
    GameObject* player = LivePlayerOne();
    const glm::vec3 playerPosition = player ? player->position : glm::vec3(0.0f);
    const glm::vec3 playerView = glm::vec3(view * glm::vec4(playerPosition, 1.0f));
    const int lightType = m_sceneLight ? m_sceneLight->m_type : SceneLight::OFF;
    const int lightOn = m_sceneLight && m_sceneLight->m_on > 0 ? 1 : 0;

    if (m_depthPrepass) DrawDepthPrepass(group, programObject, view, cameraProjection);

    // The sky's colour is the main program's unlit one: "mainUnlit" gives it
    // without the light and shadow work.
    Program* unlit = m_unlitSky && m_sceneLight ? FindProgram(UNLIT_PROGRAM) : nullptr;
    Program* bound = program;
    for (GameObject* object : group) {
        auto* graphics = static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
        if (!graphics || (object->flags & OBJ_SKIP_DRAW)) continue;

        m_isB = IsBoosted(*graphics) ? 1 : 0;
        const bool sky = graphics->m_meshId == SKY_MESH;
        Program* drawProgram = sky && unlit ? unlit : program;
        const MainProgramLocations& at = drawProgram == program ? m_mainLocations : m_unlitLocations;
        if (drawProgram != bound) {
            bound->SetInUse(false);
            glUseProgram(drawProgram->GetProgramObject());
            drawProgram->SetInUse(true);
            bound = drawProgram;
        }
        glUniform1i(at.isB, m_isB);

        if (m_sceneLight) {
            if (sky) {
                m_sceneLight->m_on = 0;
            } else {
                m_sceneLight->m_on = lightOn;
                m_sceneLight->m_type = lightType;
            }
            glm::vec3 toLight(0.0f);
            switch (m_sceneLight->m_type) {
            case SceneLight::DIRECTIONAL:
                toLight = glm::vec3(view * glm::vec4(-m_sceneLight->m_worldDirection, 0.0f));
                break;
            case SceneLight::POINT:
                toLight = glm::vec3(view * glm::vec4(object->position, 1.0f)) - playerView;
                break;
            case SceneLight::SPOT:
                toLight = glm::vec3(view * glm::vec4(0.0f, 0.0f, -1.0f, 0.0f));
                break;
            default:
                break;
            }
            m_sceneLight->m_specular = graphics->m_specular;
            m_sceneLight->m_positionView = playerView;
            m_sceneLight->m_directionView = toLight;
            if (drawProgram == program) m_sceneLight->Upload();
        }

        if (!(object->flags & OBJ_WORLD_VALID)) object->BuildTransform();
        SetMatrix(at.modelMatrix, object->world);
        const glm::mat3 normalMatrix = glm::inverseTranspose(glm::mat3(view * object->world));
        glUniformMatrix3fv(at.normalMatrix, 1, GL_FALSE, glm::value_ptr(normalMatrix));
        SetMatrix(at.projectionMatrix, sky ? BuildInfiniteProjection() : cameraProjection);
        SetMatrix(at.viewMatrix, view);

        SendAnimationDataPerObject(drawProgram, object);
        glUniform1f(at.opacity, graphics->GetOpacity());
        if (drawProgram == program) glUniform1i(glGetUniformLocation(programObject, "shadowMap"), SHADOW_MAP_UNIT);
        DrawMesh(graphics->m_meshId, graphics->m_textureId);
    }
    if (bound != program) {
        bound->SetInUse(false);
        glUseProgram(programObject);
        program->SetInUse(true);
    }

    if (m_sceneLight) {
        m_sceneLight->m_on = lightOn;
        m_sceneLight->m_type = lightType;
    }
    glLineWidth(1.0f);
    glUniform1f(m_mainLocations.opacity, 1.0f);

    const GLint isAnimated = glGetUniformLocation(programObject, "isAnimated");
    if (GraphicsWire != WIRE_NONE) {
        glUniform1i(isAnimated, 0);
        glUniform1i(m_mainLocations.wireFrame, 1);
        BeginWireframe();
        InputManager* input = System::GetInstance()->inputManager;
        GameObject* picked = input ? input->GetPickedObject() : nullptr;
        for (GameObject* object : group) {
            auto* graphics = static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
            if (!graphics) continue;
            if (!(object->flags & OBJ_WORLD_VALID)) object->BuildTransform();
            SetMatrix(m_mainLocations.viewMatrix, view);
            const glm::vec4& colour = object == picked ? PICKED_WIRE_COLOUR : WIRE_COLOUR;
            glUniform4fv(m_mainLocations.wireFrameColor, 1, glm::value_ptr(colour));
            SetMatrix(m_mainLocations.projectionMatrix, m_projection);
            if (GraphicsWire == WIRE_BOX || GraphicsWire == WIRE_BOTH) {
                SetMatrix(m_mainLocations.modelMatrix, object->world * graphics->m_boxMatrix);
                DrawMesh(BOX_MESH, graphics->m_textureId);
            }
            if (GraphicsWire == WIRE_SPHERE || GraphicsWire == WIRE_BOTH) {
                SetMatrix(m_mainLocations.modelMatrix, object->world * graphics->m_sphereMatrix);
                DrawMesh(SPHERE_MESH, graphics->m_textureId);
            }
        }
    }

    if (CollisionWire) {
        glUniform1i(isAnimated, 0);
        glUniform1i(m_mainLocations.wireFrame, 1);
        BeginWireframe();
        for (GameObject* object : group) {
            auto* graphics = static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
            CollisionComponent* collision = GetCollisionComponent(object);
            const Primitive* primitive = collision ? collision->GetPrimitive() : nullptr;
            if (!graphics || !primitive) continue;
            SetMatrix(m_mainLocations.viewMatrix, view);
            glUniform4fv(m_mainLocations.wireFrameColor, 1, glm::value_ptr(COLLISION_WIRE_COLOUR));
            SetMatrix(m_mainLocations.projectionMatrix, m_projection);
            if (graphics->m_meshId == PLANE_MESH) continue;
            SetMatrix(m_mainLocations.modelMatrix, primitive->transform);
            if (primitive->type == PR_SPHERE) DrawMesh(SPHERE_MESH, graphics->m_textureId);
            else if (primitive->type == PR_BOX) DrawMesh(BOX_MESH, graphics->m_textureId);
        }
    }

    glUniform1i(m_mainLocations.wireFrame, 0);
    EndWireframe();
    glUseProgram(0);
    program->SetInUse(false);
}

bool Renderer::InDepthPrepass(const GameObject* object) const
{
    if (!object || (object->flags & OBJ_SKIP_DRAW)) return false;
    const auto* graphics = static_cast<const GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
    if (!graphics || graphics->GetOpacity() < 1.0f || graphics->m_meshId == SKY_MESH) return false;
    System* system = System::PeekInstance();
    MeshManager* meshes = system ? system->meshManager : nullptr;
    TextureManager* textures = system ? system->textureManager : nullptr;
    if (!meshes || !textures) return false;
    // A skinned mesh is posed by the shared animation clock at each draw, so
    // a second draw would not land in the same place.
    const Mesh* mesh = meshes->GetMesh(graphics->m_meshId);
    if (!mesh || mesh->animated) return false;
    textures->GetTexture(graphics->m_textureId);  // loads it, so its opacity is known
    return textures->IsOpaque(graphics->m_textureId);
}

void Renderer::DrawDepthPrepass(const GameObjectGroup& group, GLuint mainProgram, const glm::mat4& view,
                                const glm::mat4& projection)
{
    glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_FALSE);
    SetMatrix(m_mainLocations.viewMatrix, view);
    SetMatrix(m_mainLocations.projectionMatrix, projection);
    glUniform1i(glGetUniformLocation(mainProgram, "isAnimated"), 0);
    // The group runs far to near; near to far lets the depth test drop more.
    for (auto it = group.rbegin(); it != group.rend(); ++it) {
        GameObject* object = *it;
        if (!InDepthPrepass(object)) continue;
        const auto* graphics = static_cast<const GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
        if (!(object->flags & OBJ_WORLD_VALID)) object->BuildTransform();
        SetMatrix(m_mainLocations.modelMatrix, object->world);
        DrawMesh(graphics->m_meshId, graphics->m_textureId);
    }
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void Renderer::DrawDebugShape(GameObject* object, int shape, const glm::vec4& colour)
{
    auto* graphics = object ? static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS)) : nullptr;
    if (!graphics) return;
    Program* program = FindProgram("main");
    if (!program) return;
    const GLuint programObject = program->GetProgramObject();
    glUseProgram(programObject);
    program->SetInUse(true);
    glUniform1i(glGetUniformLocation(programObject, "isAnimated"), 0);
    glUniform1i(m_mainLocations.wireFrame, 1);
    BeginWireframe();

    SetMatrix(m_mainLocations.viewMatrix, ViewMatrix());
    glUniform4fv(m_mainLocations.wireFrameColor, 1, glm::value_ptr(colour));
    SetMatrix(m_mainLocations.projectionMatrix, m_projection);
    if (shape == DEBUG_SHAPE_SPHERE || shape == DEBUG_SHAPE_BOX) {
        if (!(object->flags & OBJ_WORLD_VALID)) object->BuildTransform();
        const bool sphere = shape == DEBUG_SHAPE_SPHERE;
        SetMatrix(m_mainLocations.modelMatrix, object->world * (sphere ? graphics->m_sphereMatrix : graphics->m_boxMatrix));
        DrawMesh(sphere ? SPHERE_MESH : BOX_MESH, graphics->m_textureId);
    }

    glUniform1i(m_mainLocations.wireFrame, 0);
    EndWireframe();
    glUseProgram(0);
    program->SetInUse(false);
}

void Renderer::DrawQueuedLines()
{
    // Index walk: a line drawn here never adds to the queue, but the size is
    // read every round all the same.
    for (size_t i = 0; i < m_lineQueue.size(); ++i) {
        const QueuedLine line = m_lineQueue[i];
        Draw3DLine(line.from, line.to, line.width, line.colour);
    }
    m_lineQueue.clear();
}

void Renderer::Draw3DLine(const glm::vec3& from, const glm::vec3& to, float width, const glm::vec4& colour)
{
    DrawLine(from, to, width, colour, ViewMatrix(), m_projection, GL_LINES);
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
