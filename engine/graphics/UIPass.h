// The user-interface pass: flat quads, text components and the console overlay's text.
//
// After the world, the renderer's frame draws every object with a GUI
// component as a textured mesh placed by its world matrix in the window's
// orthographic space (origin at the centre), blended by the component's
// opacity, with the program "hud" (attribute 5 "inPosition", attribute 2
// "texcoord"; uniforms "projectionMatrix", "viewMatrix", "modelMatrix",
// "opacity"). Objects of every state are drawn, except those flagged skip-draw,
// in CompareGUIDrawOrder. Text is not drawn here: the text components and the
// console overlay queue their lines on the font manager, which draws them
// later in the frame. Every draw leaves program 0 bound.
//
// The renderer owns the "hud" program's uniform locations and the orthographic
// projection and hands them in; its frame calls RenderUI, RenderTextComponents,
// then its overlays (the console's draws its lines with QueueConsoleOverlayText
// and its background and graph with DrawGUIObject).
#pragma once
#include <GL/glew.h>

#include <string>

#include <glm/glm.hpp>

namespace QRX {

class GameObject;

// The renderer's locations of the "hud" program's uniforms.
struct HudLocations
{
    GLint projectionMatrix = -1;
    GLint viewMatrix = -1;
    GLint modelMatrix = -1;
    GLint opacity = -1;
};

constexpr const char* HUD_PROGRAM_NAME = "hud";
// The fixed attribute locations of the user-interface mesh stream.
constexpr GLuint HUD_POSITION_ATTRIBUTE = 5;
constexpr GLuint HUD_TEXCOORD_ATTRIBUTE = 2;

// Console overlay lines: font, top-left positions (pixels, y down), colours.
constexpr const char* OVERLAY_FONT_ID = "default";
constexpr float OVERLAY_LEVEL_Y = 15.0f;
constexpr float OVERLAY_FILE_Y = 35.0f;
constexpr float OVERLAY_RATE_Y = 50.0f;
constexpr int OVERLAY_TEXT_COLOR = 7;  // white
constexpr int RATE_GOOD_COLOR = 2;     // green, above RATE_GOOD
constexpr int RATE_FAIR_COLOR = 8;     // yellow, above RATE_FAIR
constexpr int RATE_POOR_COLOR = 0;     // red
constexpr int RATE_GOOD = 30;
constexpr int RATE_FAIR = 20;

// The order of user-interface objects: a before b when a's GUI opacity is
// greater, at equal opacity when a's position z is smaller. An object without
// a GUI component counts as opacity 0.
bool CompareGUIDrawOrder(const GameObject* a, const GameObject* b);

// Draws every live object with a GUI component (sorted in place in the
// object manager's result list), skipping those flagged skip-draw. Draws
// nothing without the "hud" program or the managers.
void RenderUI(const HudLocations& hud, const glm::mat4& projection2D);

// Draws one user-interface mesh through the bound "hud" program, whose
// matrices the caller has set. Unknown ids take the managers' fallbacks.
void DrawUI(const HudLocations& hud, const std::string& meshId, const std::string& textureId, float opacity);

// Binds "hud" and draws one object's GUI quad without a skip-draw test (the
// console's background and graph). Nothing for a null object or one without
// a GUI component.
void DrawGUIObject(const HudLocations& hud, const glm::mat4& projection2D, GameObject* object);

// Queues the line of every active object's text component whose draw flag is
// set (the component decides whether its owner belongs to the current state).
void RenderTextComponents();

// Frames per second shown for a frame time: ceil(1 / frame time); 0 for a
// frame time that is not positive.
int FrameRateOf(double frameTime);
// The colour index of a frame rate: green above 30, yellow above 20, else red.
int FrameRateColorIndex(int framesPerSecond);

// Queues the console overlay's three lines: "Current level: " + the state's
// name, "Loaded XML: " + the level file (an empty line when levelFile is
// null: the state has no level-table row), and the frame rate in its colour.
void QueueConsoleOverlayText(const std::string& stateName, const std::string* levelFile, double frameTime);

} // namespace QRX
