// The console's part of the frame's picture, drawn through the renderer's
// overlays over the text, as a layer above everything of the game (the
// developer panels alone come after it): the background while the console is
// open, which hides the game's picture and text under it, the frame-time
// graph while shown, then the overlay lines and the console's own text.
#pragma once
#include <glm/glm.hpp>

namespace QRX {

class Renderer;
struct HudLocations;

// The console overlay's three lines for a game-state id: its name from the
// state-name table and the file of its first level-table row.
void QueueConsoleOverlayText(int stateId, double frameTime);

// The console overlay: while the console is open, its three lines (current
// state, raw frame time) and its background quad; whenever the frame-time
// graph object is shown, the graph's quad and the console's graph. Nothing
// without a console; a display object the console could not make is skipped.
void RenderConsoleOverlay(const HudLocations& hud, const glm::mat4& projection2D);

// The renderer's overlay: RenderConsoleOverlay, then the console's text while
// it is open and its graph while a graph mode is set, and draws the text so
// queued at once, over the backing.
void DrawConsoleOverlay(Renderer& renderer);

} // namespace QRX
