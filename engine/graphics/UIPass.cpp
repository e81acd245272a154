#include "engine/graphics/UIPass.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <string>

#include <glm/gtc/type_ptr.hpp>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Mesh.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/ModelData.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextComponent.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/core/FrameRateController.h"

namespace QRX {

namespace {

// The draw-time checks are reported with these texts.
#ifndef TRUE
constexpr GLboolean TRUE = GL_TRUE;
#endif

const GUIComponent* GuiOf(const GameObject* object)
{
    return object ? object->GetComponent<const GUIComponent>() : nullptr;
}

float GuiOpacity(const GameObject* object)
{
    const GUIComponent* gui = GuiOf(object);
    return gui ? gui->m_opacity : 0.0f;
}

Program* HudProgram()
{
    System* system = System::PeekInstance();
    ShaderManager* shaders = system ? system->shaderManager : nullptr;
    Program* program = shaders ? shaders->GetProgram(HUD_PROGRAM_NAME) : nullptr;
    return program && program->GetProgramObject() != 0 ? program : nullptr;
}

void BindHud(Program* program)
{
    glUseProgram(program->GetProgramObject());
    program->SetInUse(true);
}

void UnbindHud(Program* program)
{
    glUseProgram(0);
    program->SetInUse(false);
}

// Sets the matrices of one object and draws its GUI quad.
void DrawObjectQuad(const HudLocations& hud, const glm::mat4& projection2D, GameObject* object,
                    const GUIComponent& gui)
{
    if (!(object->flags & OBJ_WORLD_VALID)) object->BuildTransform();
    const glm::mat4 identity(1.0f);
    glUniformMatrix4fv(hud.modelMatrix, 1, GL_FALSE, glm::value_ptr(object->world));
    glUniformMatrix4fv(hud.viewMatrix, 1, GL_FALSE, glm::value_ptr(identity));
    glUniformMatrix4fv(hud.projectionMatrix, 1, GL_FALSE, glm::value_ptr(projection2D));
    DrawUI(hud, gui.m_meshId, gui.m_textureId, gui.m_opacity);
}

} // namespace

bool CompareGUIDrawOrder(const GameObject* a, const GameObject* b)
{
    const float oa = GuiOpacity(a);
    const float ob = GuiOpacity(b);
    if (oa != ob) return oa > ob;
    return a->position.z < b->position.z;
}

void RenderUI(const HudLocations& hud, const glm::mat4& projection2D)
{
    System* system = System::PeekInstance();
    Program* program = HudProgram();
    if (!program || !system->objectManager) return;
    BindHud(program);

    GameObjectGroup& list = system->objectManager->GetObjectsWithComponent(CT_GUI);
    std::sort(list.begin(), list.end(), CompareGUIDrawOrder);
    for (GameObject* object : list) {
        if (object->flags & OBJ_SKIP_DRAW) continue;
        const GUIComponent* gui = GuiOf(object);
        if (gui) DrawObjectQuad(hud, projection2D, object, *gui);
    }
    UnbindHud(program);
}

void DrawUI(const HudLocations& hud, const std::string& meshId, const std::string& textureId, float opacity)
{
    System* system = System::PeekInstance();
    if (!system || !system->meshManager || !system->textureManager) return;
    const Mesh* mesh = system->meshManager->GetMesh(meshId);
    if (!mesh) return;
    const GLuint tId = system->textureManager->GetTexture(textureId);

    glUniform1f(hud.opacity, opacity);
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, tId);
    QRX_ASSERT(glIsTexture(tId) == TRUE, 1, "BO INVALID");

    glBindBuffer(GL_ARRAY_BUFFER, mesh->GetVertexBuffer());
    QRX_ASSERT(glIsBuffer(mesh->GetVertexBuffer()) == TRUE, 1, "BO INVALID");
    const GLsizei stride = static_cast<GLsizei>(sizeof(Vertex));
    glVertexAttribPointer(HUD_POSITION_ATTRIBUTE, 4, GL_FLOAT, GL_FALSE, stride, nullptr);
    glVertexAttribPointer(HUD_TEXCOORD_ATTRIBUTE, 2, GL_FLOAT, GL_FALSE, stride,
                          reinterpret_cast<const void*>(VERTEX_TEXCOORD_OFFSET));
    glEnableVertexAttribArray(HUD_POSITION_ATTRIBUTE);
    glEnableVertexAttribArray(HUD_TEXCOORD_ATTRIBUTE);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->GetElementBuffer());
    QRX_ASSERT(glIsBuffer(mesh->GetElementBuffer()) == TRUE, 1, "BO INVALID");
    // A mesh without buffers (no context when it was made) has nothing to draw.
    if (mesh->GetVertexBuffer() != 0 && mesh->GetElementBuffer() != 0)
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(mesh->indexCount), GL_UNSIGNED_INT, nullptr);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(HUD_POSITION_ATTRIBUTE);
    glDisableVertexAttribArray(HUD_TEXCOORD_ATTRIBUTE);
}

void DrawGUIObject(const HudLocations& hud, const glm::mat4& projection2D, GameObject* object)
{
    // The console's objects may not exist (yet, or after a failed creation).
    const GUIComponent* gui = GuiOf(object);
    Program* program = HudProgram();
    if (!gui || !program) return;
    BindHud(program);
    DrawObjectQuad(hud, projection2D, object, *gui);
    UnbindHud(program);
}

void RenderTextComponents()
{
    System* system = System::PeekInstance();
    if (!system || !system->objectManager) return;
    for (GameObject* object : system->objectManager->GetActiveObjectsWithComponent(CT_TEXT)) {
        const TextComponent* text = object->GetComponent<const TextComponent>();
        if (text && text->m_drawMe) text->Render();
    }
}

int FrameRateOf(double frameTime)
{
    if (!(frameTime > 0.0)) return 0;
    const double rate = std::ceil(1.0 / frameTime);
    return rate >= static_cast<double>(INT_MAX) ? INT_MAX : static_cast<int>(rate);
}

int FrameRateColorIndex(int framesPerSecond)
{
    if (framesPerSecond > RATE_GOOD) return RATE_GOOD_COLOR;
    if (framesPerSecond > RATE_FAIR) return RATE_FAIR_COLOR;
    return RATE_POOR_COLOR;
}

void QueueConsoleOverlayText(const std::string& stateName, const std::string* levelFile, double frameTime)
{
    System* system = System::PeekInstance();
    FontManager* fonts = system ? system->fontManager : nullptr;
    if (!fonts) return;
    const int mode = FontManager::POSITION_TOP_LEFT;
    fonts->AddText(mode, "Current level: " + stateName, 0.0f, OVERLAY_LEVEL_Y, OVERLAY_FONT_ID, OVERLAY_TEXT_COLOR,
                   1.0f);
    fonts->AddText(mode, levelFile ? "Loaded XML: " + *levelFile : std::string(), 0.0f, OVERLAY_FILE_Y,
                   OVERLAY_FONT_ID, OVERLAY_TEXT_COLOR, 1.0f);
    const int fps = FrameRateOf(frameTime);
    fonts->AddText(mode, std::to_string(fps), 0.0f, OVERLAY_RATE_Y, OVERLAY_FONT_ID, FrameRateColorIndex(fps), 1.0f);
}

} // namespace QRX
