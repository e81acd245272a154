#include "tools/ConsoleOverlay.h"

#include <string>

#include "engine/core/FrameRateController.h"
#include "engine/core/System.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/UIPass.h"
#include "engine/objects/GameObject.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "tools/Console.h"

namespace QRX {

void QueueConsoleOverlayText(int stateId, double frameTime)
{
    const int row = FindLevelTableRow(stateId);
    if (row < 0) {
        QueueConsoleOverlayText(GameStateToString(stateId), nullptr, frameTime);
        return;
    }
    const std::string file = GetLevelTable()[static_cast<size_t>(row)].fileName;
    QueueConsoleOverlayText(GameStateToString(stateId), &file, frameTime);
}

void RenderConsoleOverlay(const HudLocations& hud, const glm::mat4& projection2D)
{
    System* system = System::PeekInstance();
    Console* console = system ? system->console : nullptr;
    if (!console) return;
    if (console->IsOpen()) {
        const int stateId = system->gameStateManager ? system->gameStateManager->GetCurrentState() : 0;
        const double frameTime = system->frameRateController ? system->frameRateController->dt : 0.0;
        QueueConsoleOverlayText(stateId, frameTime);
        DrawGUIObject(hud, projection2D, console->GetConsoleObject());
    }
    GameObject* graph = console->GetGraphObject();
    if (graph && !(graph->flags & OBJ_SKIP_DRAW)) {
        DrawGUIObject(hud, projection2D, graph);
        console->DrawFPSGraph();
    }
}

void DrawConsoleOverlay(Renderer& renderer)
{
    RenderConsoleOverlay(renderer.m_hudLocations, renderer.Get2DProjection());
    System* system = System::PeekInstance();
    if (!system) return;
    if (Console* console = system->console) {
        if (console->IsOpen()) console->Draw();
        if (console->GetGraphMode() != 0) console->DrawFPSGraph();
    }
    // The game's text is drawn already, under the backing: no line of a
    // screen or a HUD crosses the console's.
    if (FontManager* fonts = system->fontManager)
        fonts->RenderAllText(renderer.GetViewportWidth(), renderer.GetViewportHeight());
}

} // namespace QRX
