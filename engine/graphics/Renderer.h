// The engine's one OpenGL renderer.
//
// The System creates it at start-up, calls InitGL and Resize on it (with the
// window size and a 45 degree field of view), later SetupShaders, and calls
// RenderScene once a frame before the buffers are swapped. A display-mode
// change calls ReleaseResources, rebuilds the context, then InitGL,
// SetupShaders and Resize again. The renderer owns the scene's camera (the
// System keeps a second pointer), its one light, the particle pool and the
// animation clock that every skinned mesh shares.
//
// Rules:
// - No GL call before InitGL. When GLEW cannot start, OpenGL 2.1 is missing or
//   the vertex-array and frame-buffer entry points are absent, InitGL stops
//   (the System's running bit is cleared) and sets no GL state.
// - Every draw binds its program on entry and leaves program 0 bound on exit
//   with the program record's in-use flag cleared. Textures bind on unit 0,
//   the blend function is source alpha, one minus source alpha.
// - GL object checks in draw code are severity-1 assertions ("BO INVALID");
//   drawing goes on after them.
// - The frame draws objects with a graphics component, opaque first, then
//   back to front; an empty scene still runs the 2-D steps. On a software
//   renderer (m_depthPrepass) the main pass first lays down the depth of the
//   objects that cover what lies behind them (DrawDepthPrepass), so hidden
//   fragments are never shaded, and draws the sky, which the light leaves
//   unlit, with "mainUnlit" (main.vert with the main program's unlit colour)
//   instead of paying the light and shadow work for it; the picture stays
//   the same.
// - The player-one slot of the System is used (occluder fade, light) only
//   while it holds a live PLAYER.
// - Shadows come from one depth map of the scene light (ShadowMap); while
//   post-processing is on (1) the main pass and the particles go into the
//   scene capture and the post-processing chain draws the window's image.
// - F12 writes a screenshot, F11 dumps the shadow map, F10 rebuilds every
//   program, on the frame the key goes down.
#pragma once
#include <GL/glew.h>

#include <functional>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "engine/graphics/Animation.h"
#include "engine/graphics/GraphicsAttributes.h"
#include "engine/graphics/ParticlePass.h"
#include "engine/graphics/PostProcessing.h"
#include "engine/graphics/ShadowMap.h"
#include "engine/graphics/UIPass.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

class Camera;
class GameObject;
class ParticleSystem;
class Program;
class SceneLight;

// The main program's unlit build (main.vert, main_unlit.frag) for the sky on
// a software renderer.
constexpr const char* UNLIT_PROGRAM = "mainUnlit";

// Attribute locations of the mesh programs ("main", "mainUnlit", "shadowmain").
constexpr GLuint GRAPHICS_ATTRIB_POSITION = 0;    // "inPosition"
constexpr GLuint GRAPHICS_ATTRIB_NORMAL = 1;      // "inNormal"
constexpr GLuint GRAPHICS_ATTRIB_TEXCOORD = 2;    // "texcoord" (also hud and particle)
constexpr GLuint GRAPHICS_ATTRIB_HUDPOS = 5;      // "inPosition" of hud
constexpr GLuint GRAPHICS_ATTRIB_WEIGHT = 6;      // "weight" (skinning)
constexpr GLuint GRAPHICS_ATTRIB_JOINTINDEX = 7;  // "jointIndex" (skinning)

// What the bounds overlay of the main pass draws.
enum WireFrameType { WIRE_NONE = 0, WIRE_SPHERE = 1, WIRE_BOX = 2, WIRE_BOTH = 3 };

// Debug shape numbers of DrawDebugShape.
constexpr int DEBUG_SHAPE_SPHERE = 1;
constexpr int DEBUG_SHAPE_BOX = 2;

// One line queued for the end of the frame's 3-D passes.
struct QueuedLine
{
    glm::vec3 from{0.0f};  // world space
    glm::vec3 to{0.0f};
    glm::vec4 colour{1.0f};
    float width = 1.0f;    // pixels, as glLineWidth takes it
};

// Uniform locations of one program, kept by SetupShaders (-1: not active).
struct MainProgramLocations
{
    GLint projectionMatrix = -1;
    GLint viewMatrix = -1;
    GLint modelMatrix = -1;
    GLint normalMatrix = -1;
    GLint wireFrame = -1;
    GLint wireFrameColor = -1;
    GLint opacity = -1;
    GLint isB = -1;
};

struct LineProgramLocations
{
    GLint projectionMatrix = -1;
    GLint viewMatrix = -1;
    GLint modelMatrix = -1;
};

class Renderer
{
public:
    static constexpr float DEFAULT_FIELD_OF_VIEW = 45.0f;  // degrees
    static constexpr float NEAR_PLANE = 1.0f;
    static constexpr float FAR_PLANE = 500.0f;
    static constexpr int JOINT_SIZE = 65;          // joints the shaders' skinMatrix holds
    static constexpr float FADED_OPACITY = 0.5f;   // of a crate between player and camera
    static constexpr float MAX_FRAME_TIME = 0.05f; // seconds; cap of every per-frame step
    static constexpr float PLAYER_EYE_HEIGHT = 0.15f;  // the occluder segment starts this far above the player
    // The infinite projection's depth row.
    static constexpr float INFINITE_DEPTH_SCALE = -0.999f;
    static constexpr float INFINITE_DEPTH_OFFSET = -1.999f;  // times the near distance
    // Below the documents folder.
    static constexpr const char* SCREENSHOT_FOLDER = "Orvanta/Zendra/Screenshots";
    static constexpr const char* SCREENSHOT_PREFIX = "Screenshot_";

    // No GL call: matrices identity, GL names 0, the animation clock at its
    // start; makes the camera, the scene light and the particle system.
    Renderer();
    // ReleaseResources when InitGL ran (needs the context still current),
    // then deletes the camera, the light and the particle system.
    ~Renderer();
    Renderer(const Renderer&) = delete;
    Renderer& operator=(const Renderer&) = delete;

    // Starts GLEW and reports the capabilities, then sets the fixed GL state
    // and makes the vertex-array object and the 11 buffers. False (nothing
    // set) when GetGLInformation finds the context unusable.
    bool InitGL();
    // Writes the capability report. False when GLEW cannot start, OpenGL 2.1
    // is missing (both clear the running bit) or the vertex-array and
    // frame-buffer entry points are absent.
    bool GetGLInformation();
    // Projections and viewport for a width x height window (a height of 0 is
    // taken as 1); fieldOfView in degrees. The camera builds the perspective
    // projection (near 1, far 500), the renderer copies it; the 2-D projection
    // is orthographic with its origin at the window centre.
    void Resize(int width, int height, float fieldOfView);
    // The perspective projection with its far plane at infinity (the sky),
    // from the camera's field of view (degrees) and near plane and the
    // viewport's aspect.
    glm::mat4 BuildInfiniteProjection() const;

    // One frame: particles, camera and light steps, the objects with a
    // graphics component (occluder fade, sort, main pass), particles, queued
    // lines, the user interface, the text queue and, while shown, the
    // developer panels. An empty scene still draws the 2-D steps.
    // StepScene, then DrawScene.
    void RenderScene();
    // The frame's motion: the particles, the camera and the light move.
    // This is all a frame changes besides its picture; the particles' quads
    // are built only for a frame that is drawn.
    void StepScene(bool drawn = true);
    // The frame's picture of the objects as they stand, from the shadow
    // pass to the developer keys; the line and text queues are emptied.
    void DrawScene();
    // A frame that is not drawn: StepScene, then the frame's queued lines
    // and text are dropped, as drawing would have used them up.
    void SkipScene();
    // The camera's step with the capped frame time, then its view rebuild.
    void UpdateCamera();
    // The main pass over the frame's sorted group, then the debug overlays.
    // Leaves program 0 bound, polygon mode fill and line width 1.
    void RenderObjects(GameObjectGroup& group);
    // Depth only, nearest first, through the bound "main" program (its GL
    // name given): every object of the sorted group that the main pass draws
    // fully opaque and in the same place (opacity 1, an opaque texture, a mesh
    // that is not skinned and not the sky). Its fragments then pass the depth
    // test in the colour pass exactly where they are the nearest. Colour
    // writes are on again on return.
    void DrawDepthPrepass(const GameObjectGroup& group, GLuint mainProgram, const glm::mat4& view,
                          const glm::mat4& projection);
    // Whether the main pass draws an object in the depth pre-pass.
    bool InDepthPrepass(const GameObject* object) const;
    // Draws every CUBE and CRATE whose collision box the segment from the
    // live player one (0.15 above its position) to the camera crosses at the
    // faded opacity (clamped to [0, 1]) or its own when that is lower, and
    // those it misses at their own opacity; the own opacity is never changed.
    // Objects without a collision box are left alone; nothing without a
    // player one.
    void FadeOccludingCrates(GameObjectGroup& group, float fadedOpacity);
    // Builds every program of the table and keeps the uniform locations, then
    // the post-processing programs and targets (SetupPostProcessing).
    // Installed as the shader manager's set-up function by the System.
    void SetupShaders();
    // The post-processing programs, quad and targets at the window's size.
    void SetupPostProcessing();
    // The shadow map at the window's size (start-up and display changes).
    void ShadowMapInit();
    // The debug frame buffer and its five sprites; once, at start-up.
    void CreateFrameBuffers();
    // The shadow pass over the frame's group; F11 dumps the map.
    void RenderShadowMap(GameObjectGroup& group);
    // The shadow inputs of the bound "main" program; the camera keeps the
    // inverse of its view.
    void SendShadowUniforms(Program* program);
    // The post-processing chain from the scene capture into the window.
    void PostProcess();

    // Draws and empties the line queue: each line as Draw3DLine draws it, in
    // queue order. The queue keeps its capacity.
    void DrawQueuedLines();
    // Queues a line for this frame's DrawQueuedLines.
    void AddLine3D(const glm::vec3& from, const glm::vec3& to, const glm::vec4& colour, float width);
    // A line in the world, drawn at once with the camera's view.
    void Draw3DLine(const glm::vec3& from, const glm::vec3& to, float width, const glm::vec4& colour);
    // A wireframe of the object's bounding sphere (DEBUG_SHAPE_SPHERE) or box
    // (DEBUG_SHAPE_BOX) through the main program; other shapes draw nothing
    // but still switch the wireframe state on and off. Nothing for an object
    // without a graphics component.
    void DrawDebugShape(GameObject* object, int shape, const glm::vec4& colour);
    // A line in screen space (origin at the window centre, y up) at a depth.
    void Draw2DLine(float depth, float width, const glm::vec2& from, const glm::vec2& to, const glm::vec4& colour);

    // Draws one mesh with one texture through the bound program (attributes
    // 0, 1, 2 from the vertex buffer); leaves attributes 0, 1, 2, 6, 7
    // disabled. Unknown ids draw the managers' fallbacks.
    void DrawMesh(std::string meshId, std::string textureId);
    // Sets "isAnimated" for the object's mesh and, for an animated mesh,
    // poses a copy of its skeleton with the shared animation clock, uploads
    // "skinMatrix" and enables attributes 6 and 7.
    void SendAnimationDataPerObject(Program* program, GameObject* object);

    // Reads the window's colour buffer and writes the next
    // "Screenshot_N.png" into the screenshot folder (made when missing).
    // Nothing is written for a size below 1, or a folder that cannot be made
    // or cannot be listed (the numbers in use would be unknown).
    void TakeScreenshot(int width, int height);
    // The number of the next screenshot for the names found in the folder:
    // one above the largest "Screenshot_<digits>..." number, else 1 when any
    // name matched, 0 for none.
    static int NextScreenshotNumber(const std::vector<std::string>& names);

    // Deletes every GL object the renderer owns and all shader programs.
    void ReleaseResources();

    // Whether a is drawn before b: higher opacity first, then farther from
    // the camera (smaller view-space z) first; equal depth is not before.
    // Both objects carry a graphics component.
    static bool CompareDrawOrder(const GameObject* a, const GameObject* b, const glm::mat4& view);
    // The same with the camera's view.
    bool CompareDrawOrder(const GameObject* a, const GameObject* b) const;
    // The infinite projection for a field of view (degrees), aspect and near plane.
    static glm::mat4 InfiniteProjection(float fieldOfViewDegrees, float aspect, float nearPlane);

    // The System's player-one object while it is a live PLAYER, else null.
    static GameObject* LivePlayerOne();

    Camera* GetCamera() const { return m_camera; }
    SceneLight* GetSceneLight() const { return m_sceneLight; }
    ParticleSystem* GetParticleSystem() const { return m_particleSystem; }
    const glm::mat4& GetProjection() const { return m_projection; }
    const glm::mat4& Get2DProjection() const { return m_projection2D; }
    int GetViewportWidth() const { return m_viewportWidth; }
    int GetViewportHeight() const { return m_viewportHeight; }
    GLuint GetVertexArray() const { return m_vertexArray; }
    const std::vector<QueuedLine>& GetLineQueue() const { return m_lineQueue; }
    AnimationState& GetAnimationState() { return m_animationState; }
    bool IsGLReady() const { return m_glReady; }

    GLuint m_vertexBufferObject[GRAPHICS_ATTRIB_COUNT] = {};
    MainProgramLocations m_mainLocations;
    MainProgramLocations m_unlitLocations;  // "mainUnlit"
    HudLocations m_hudLocations;
    LineProgramLocations m_lineLocations;
    ParticleProgramLocations m_particleLocations;
    int GraphicsWire = WIRE_NONE;  // bounds overlay of the main pass
    bool CollisionWire = false;    // collision-primitive overlay of the main pass
    int m_isB = 0;                 // the "isB" value of the last object drawn
    int m_postProcessing = 1;      // 1 sends the main pass through post-processing
    bool m_depthPrepass = false;   // depth of opaque objects first (InitGL: on for a software renderer)
    bool m_unlitSky = false;       // the sky through "mainUnlit" (InitGL: on for a software renderer)
    ShadowMap m_shadowMap;         // the shadow map and its parameters
    PostProcessing m_postProcess;  // targets, chain and bloom tuning ("uHue" of the particles too)

private:
    // One line through the "line" program with the given view and projection.
    void DrawLine(const glm::vec3& from, const glm::vec3& to, float width, const glm::vec4& colour,
                  const glm::mat4& view, const glm::mat4& projection, GLenum mode);

    // The view matrix used for drawing: the camera's, identity without one.
    glm::mat4 ViewMatrix() const;
    // The window's size (the viewport's when there is no window).
    int WindowWidth() const;
    int WindowHeight() const;

    Camera* m_camera = nullptr;  // owned; the System keeps a second pointer
    SceneLight* m_sceneLight = nullptr;
    ParticleSystem* m_particleSystem = nullptr;
    AnimationState m_animationState;
    glm::mat4 m_projection{1.0f};
    glm::mat4 m_projection2D{1.0f};
    GLuint m_vertexArray = 0;
    std::vector<QueuedLine> m_lineQueue;
    GameObjectGroup m_frameGroup;  // this frame's objects with a graphics component
    GLuint m_particleIndexBuffer = 0;  // the particle quads' triangles
    int m_viewportWidth = 0;
    int m_viewportHeight = 0;
    bool m_glReady = false;  // InitGL made the GL objects
};

} // namespace QRX
