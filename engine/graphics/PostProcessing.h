// Post-processing: blur, anti-aliasing and bloom over the captured scene.
//
// The renderer owns one PostProcessing. While post-processing is on, the
// frame draws the main pass and the particles into the scene-capture target
// (BindSceneCapture) and then runs Process: the capture is copied into chain
// A (four levels, each half the size of the one before), blurred and
// anti-aliased level by level in separate horizontal (A -> B) and vertical
// (B -> A) passes, and levels 0 to 2 of chain A are combined with the sharp
// capture into the destination frame buffer (the window) by "comineProg":
// the source plus the bloom of the blurred levels, then the saturation and
// value shifts.
//
// Rules:
// - Setup (from the renderer's shader set-up, so after every display-mode
//   change and every recompile) first deletes whatever targets and quad it
//   made before, then builds the seven post programs, the quad and the
//   targets at the given window size; level sizes halve by integer division.
// - A missing program or an absent uniform sets nothing; the quad is still
//   drawn. Every post shader writes opaque pixels (alpha 1), so Process draws
//   with blending off and turns it back on when it was; the separate passes
//   leave blending as they find it.
// - Textures clamp to their edge, so the blur never pulls in a dark border.
// - The debug frame buffer (five window-sized colour textures "debugDeferred0"
//   to "debugDeferred4" and one persistent SPRITE object showing each) is made
//   once at start-up by CreateFrameBuffers; ReleaseFrameBuffers deletes its GL
//   objects, the sprites stay.
// - Every GL operation needs a current context; Release and
//   ReleaseFrameBuffers zero the names they delete, so running them twice or
//   before any set-up is harmless.
#pragma once
#include <GL/glew.h>

#include <string>

#include <glm/glm.hpp>

namespace QRX {

class GameObject;
class ObjectManager;
class ShaderManager;
class TextureManager;

// One off-screen target: a colour texture and a depth render buffer.
struct RenderTarget
{
    int width = 0;
    int height = 0;
    // Viewport set when the target is bound: (0, 0, width, height) here.
    int viewportX = 0;
    int viewportY = 0;
    int viewportWidth = 0;
    int viewportHeight = 0;
    glm::vec4 clearColor{0.0f};
    GLuint texture = 0;      // GL_RGBA8
    GLuint depthBuffer = 0;  // render buffer, GL_DEPTH_COMPONENT
    GLuint frameBuffer = 0;

    // Sets the size and the matching viewport.
    void SetSize(int w, int h);
    // Makes the GL objects at the size filled in; an incomplete frame buffer
    // is written to standard error and the target is kept.
    void Init();
    // Makes it the drawing destination: its frame buffer and viewport, cleared
    // to its clear colour (colour and depth), culling and depth test on, depth
    // writes on; remembered as the current render target.
    void Bind();
    // Deletes its GL objects (names become 0).
    void Release();
};

// The target the last pass bound (null before any); one for the program.
RenderTarget* GetCurrentRenderTarget();

class PostProcessing
{
public:
    static constexpr int LEVELS = 4;
    // Levels of chain A that the combine reads (level 3 is computed, unused).
    static constexpr int COMBINED_LEVELS = 3;
    static constexpr GLint BLUR_HALF_SIZE = 5;
    static constexpr int DEBUG_TEXTURE_COUNT = 5;
    static constexpr const char* DEBUG_TEXTURE_PREFIX = "debugDeferred";
    // Debug sprites: width a fifth of the window, height three quarters of
    // that, along the bottom edge from the left, in front of the camera.
    static constexpr float DEBUG_SPRITE_WIDTH = 0.2f;
    static constexpr float DEBUG_SPRITE_ASPECT = 0.75f;
    static constexpr float DEBUG_SPRITE_DEPTH = -1.5f;
    // Default tuning.
    static constexpr float DEFAULT_BLOOM_ALPHA = 40.0f / 255.0f;
    static constexpr float DEFAULT_FIRST_COEFFICIENT = 0.7f;
    static constexpr float DEFAULT_SECOND_COEFFICIENT = 1.0f;
    static constexpr float DEFAULT_HUE = 0.04f;
    static constexpr float DEFAULT_SATURATION = 0.1f;
    static constexpr float DEFAULT_VALUE = 0.01f;

    // Program names and their shader files.
    static constexpr const char* QUAD_PROGRAM = "quadProg";
    static constexpr const char* ANTI_ALIAS_H_PROGRAM = "antiAliasH";
    static constexpr const char* ANTI_ALIAS_V_PROGRAM = "antiAliasV";
    static constexpr const char* BLUR_H_PROGRAM = "blurH";
    static constexpr const char* BLUR_V_PROGRAM = "blurV";
    static constexpr const char* BLIT_PROGRAM = "blitProg";
    static constexpr const char* COMBINE_PROGRAM = "comineProg";

    // Locations the linker chose in one post program (-1: absent).
    struct Locations
    {
        GLint inPosition = -1;
        GLint texture = -1;  // "fbo_texture" of quadProg, "uColorMap" of the passes
        GLint saturation = -1;  // comineProg only
        GLint value = -1;       // comineProg only
    };

    PostProcessing() = default;
    PostProcessing(const PostProcessing&) = delete;
    PostProcessing& operator=(const PostProcessing&) = delete;

    // See the rules; with null shaders only the quad and targets are made.
    void Setup(ShaderManager* shaders, int windowWidth, int windowHeight);
    // Deletes the targets and the quad (names become 0).
    void Release();

    // Binds the scene-capture target (cleared).
    void BindSceneCapture();
    // The chain; the final image goes to the destination frame buffer (0:
    // the window) over the whole window. Leaves program 0 bound, unit 0
    // active, depth test and depth writes on, blending as it was.
    void Process(ShaderManager* shaders, int windowWidth, int windowHeight, GLuint destination = 0);
    // One separable pass over the four levels, source chain into destination
    // chain (each the first of LEVELS targets).
    void AntiAliasHorizontalPass(ShaderManager* shaders, RenderTarget* source, RenderTarget* destination);
    void AntiAliasVerticalPass(ShaderManager* shaders, RenderTarget* source, RenderTarget* destination);
    void BlurHorizontalPass(ShaderManager* shaders, RenderTarget* source, RenderTarget* destination);
    void BlurVerticalPass(ShaderManager* shaders, RenderTarget* source, RenderTarget* destination);
    // Clears the bound frame buffer to opaque black and draws the quad through
    // the attribute location (nothing is fed for -1).
    void DrawFullScreenQuad(GLint attribute);

    // The debug frame buffer and its five sprites (objects may be null: no
    // sprites; textures may be null: nothing registered). A debug frame
    // buffer made before is released first.
    void CreateFrameBuffers(int windowWidth, int windowHeight, ObjectManager* objects, TextureManager* textures);
    void ReleaseFrameBuffers();

    // Reports the status of the bound frame buffer: a line on standard output
    // for the named incomplete statuses, two ERROR lines for any incomplete
    // one. True when complete.
    static bool CheckFramebufferStatus();
    // Writes the draw buffers of a frame buffer and their attachments to
    // standard output (at most GL_MAX_DRAW_BUFFERS of them); leaves it bound.
    static void PrintFramebufferInfo(GLuint frameBuffer);

    RenderTarget* GetChainA() { return m_chainA; }
    const RenderTarget* GetChainA() const { return m_chainA; }
    RenderTarget* GetChainB() { return m_chainB; }
    const RenderTarget* GetChainB() const { return m_chainB; }
    RenderTarget& GetSceneCapture() { return m_sceneCapture; }
    const RenderTarget& GetSceneCapture() const { return m_sceneCapture; }
    GLuint GetQuadBuffer() const { return m_quadBuffer; }
    const Locations& GetLocations(const std::string& program) const;
    GLuint GetDebugFrameBuffer() const { return m_debugFrameBuffer; }
    GLuint GetDebugTexture(int i) const { return m_debugTextures[i]; }
    GameObject* GetDebugSprite(int i) const { return m_debugSprites[i]; }

    // Tuning shown on the graphics settings panel; Setup resets it. Hue feeds
    // the particle program; the two coefficients are shown only.
    glm::vec4 bloomColor{0.0f};
    float firstCoefficient = DEFAULT_FIRST_COEFFICIENT;
    float secondCoefficient = DEFAULT_SECOND_COEFFICIENT;
    float hue = DEFAULT_HUE;
    float saturation = DEFAULT_SATURATION;
    float value = DEFAULT_VALUE;

private:
    enum Direction { HORIZONTAL, VERTICAL };
    void SeparablePass(ShaderManager* shaders, const char* programName, Direction direction, bool blur,
                       RenderTarget* source, RenderTarget* destination);
    void BuildProgram(ShaderManager* shaders, const char* name, const char* vertexFile, const char* fragmentFile,
                      const char* textureUniform, Locations& locations);
    static void BindLevel(RenderTarget& target);

    RenderTarget m_chainA[LEVELS];
    RenderTarget m_chainB[LEVELS];
    RenderTarget m_sceneCapture;
    GLuint m_quadBuffer = 0;
    Locations m_quad;
    Locations m_antiAliasH;
    Locations m_antiAliasV;
    Locations m_blurH;
    Locations m_blurV;
    Locations m_blit;
    Locations m_combine;

    GLuint m_debugTextures[DEBUG_TEXTURE_COUNT] = {};
    GLuint m_debugFrameBuffer = 0;
    GLuint m_debugDepthBuffer = 0;
    GameObject* m_debugSprites[DEBUG_TEXTURE_COUNT] = {};
};

} // namespace QRX
