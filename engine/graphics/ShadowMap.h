// Shadows of the one scene light, from a single depth map.
//
// The renderer owns one ShadowMap. Init makes the depth texture ("shadowmap"
// in the texture manager) and its frame buffer at the window size, at
// start-up and after every display-mode change (Release first). Each frame the
// shadow pass (Render) draws the depth of every caster of the frame's object
// group as the light sees it with the "shadowmain" program; the main pass
// then hands the map and the parameters to "main" with SendUniforms. F11
// dumps the map as a Targa file into the screenshot folder.
//
// Rules:
// - The light looks from its position at player one's position minus
//   (5, 0, 5), or at the origin without a player, through a fixed
//   orthographic box (-16..16 x -12..12, near 5, far 100).
// - Casters: objects flagged skip-draw and the sky ("sphereinverted") are left
//   out; every other object of the group casts, skinned ones included.
// - A caster of a type the pass should not see (the frame-rate graph, the
//   console panel, a wall) is drawn all the same and reported on standard
//   output once per type for the map's life (the run), not every frame.
// - With shadows off the pass draws nothing and dumps nothing; "main" still
//   gets every shadow uniform, with "enableShadows" 0. So does a map that
//   was not made or whose frame buffer is incomplete: it holds no depth.
// - The parameters (filters, sample counts, bias, on/off) keep their values
//   across Release and Init; Init resets the light's box and view.
// - Every operation but the parameter fields needs a current GL context.
#pragma once
#include <GL/glew.h>

#include <functional>
#include <set>
#include <string>

#include <glm/glm.hpp>

#include "engine/objects/ObjectManager.h"

namespace QRX {

class GameObject;
class Program;
class ShaderManager;
class TextureManager;

// What the caster pass needs from the renderer's drawing code.
struct ShadowCasterDraw
{
    // The mesh and texture ids of an object's graphics component; false when
    // it has none (the object is passed over).
    std::function<bool(GameObject* object, std::string& meshId, std::string& textureId)> look;
    // The skinning upload for the bound program (sets "isAnimated").
    std::function<void(Program* program, GameObject* object)> sendAnimation;
    // Draws one mesh with its texture through the bound program.
    std::function<void(const std::string& meshId, const std::string& textureId)> drawMesh;
};

class ShadowMap
{
public:
    static constexpr const char* PROGRAM_NAME = "shadowmain";
    static constexpr const char* TEXTURE_ID = "shadowmap";
    static constexpr const char* SKY_MESH_ID = "sphereinverted";
    // Name of the F11 dump, written into DUMP_FOLDER below the documents folder.
    static constexpr const char* DUMP_NAME = "whatever";
    static constexpr const char* DUMP_FOLDER = "Orvanta/Zendra/Screenshots";
    static constexpr GLint SHADOW_TEXTURE_UNIT = 2;
    // The light's orthographic box.
    static constexpr float LIGHT_NEAR = 5.0f;
    static constexpr float LIGHT_FAR = 100.0f;
    static constexpr float LIGHT_LEFT = -16.0f;
    static constexpr float LIGHT_RIGHT = 16.0f;
    static constexpr float LIGHT_BOTTOM = -12.0f;
    static constexpr float LIGHT_TOP = 12.0f;
    // The light looks this far short of player one (subtracted on x and z).
    static constexpr float TARGET_OFFSET = 5.0f;
    // Defaults of the tunable parameters.
    static constexpr float DEFAULT_FILTER_X = 0.5f;
    static constexpr float DEFAULT_FILTER_Y = 0.3f;
    static constexpr int DEFAULT_SAMPLE_COUNT = 9;
    static constexpr float DEFAULT_DEPTH_BIAS = 0.0015f;

    ShadowMap() = default;
    ShadowMap(const ShadowMap&) = delete;
    ShadowMap& operator=(const ShadowMap&) = delete;

    // Makes the width x height depth texture and its frame buffer, registers
    // the texture as "shadowmap" (textures may be null), sets the light's box
    // and takes the camera's view as the light view until the first
    // UpdateLightView. A map made before is released first. An incomplete
    // frame buffer is logged and the set-up goes on. Sizes below 1 become 1.
    void Init(int width, int height, const glm::mat4& cameraView, TextureManager* textures);
    // Deletes the frame buffer and the texture (names become 0).
    void Release();

    // Rebuilds, stores and returns the light view (see the rules); player one
    // may be null.
    glm::mat4 UpdateLightView(const glm::vec3& lightPosition, const GameObject* playerOne);
    // The shadow pass over the frame's group: nothing while shadows are off or
    // without the program or the map; otherwise clears the map, updates the
    // light view, draws the casters, leaves program 0 and frame buffer 0
    // bound and the viewport as it was. dumpRequested (F11 went down this
    // frame) then writes the map with SaveDebugTexture.
    void Render(const GameObjectGroup& group, ShaderManager* shaders, const ShadowCasterDraw& draw,
                const glm::vec3& lightPosition, const GameObject* playerOne, bool dumpRequested);
    // Uploads the light matrices and draws every caster of the group through
    // the bound program; reports such a type the first time it casts.
    void DrawCasters(const GameObjectGroup& group, Program* program, const ShadowCasterDraw& draw);
    // Sets the shadow uniforms of the bound "main" program (map on unit 2,
    // unit 0 active afterwards; absent uniforms are skipped) and returns the
    // inverse of the camera's view, which the camera keeps as its
    // inverse-view matrix. A null program sets nothing.
    glm::mat4 SendUniforms(Program* program, const glm::mat4& cameraView, int windowWidth, int windowHeight);

    // Writes a texture as name + ".tga" into DUMP_FOLDER below the documents
    // folder (made when missing): colour textures as they are, depth textures
    // as grey. False, with a warning, when the texture is empty or the file
    // cannot be written.
    static bool SaveDebugTexture(GLuint texture, bool colour, const std::string& name);
    // The full path SaveDebugTexture writes for a name.
    static std::string DumpPath(const std::string& name);

    GLuint GetTexture() const { return m_shadowMap; }
    GLuint GetFrameBuffer() const { return m_shadowFrameBuffer; }
    bool IsComplete() const { return m_complete; }
    int GetWidth() const { return m_width; }
    int GetHeight() const { return m_height; }
    const glm::mat4& GetLightProjection() const { return m_lightProjection; }
    const glm::mat4& GetLightView() const { return m_lightView; }

    // Parameters edited on the graphics settings panel.
    float filterX = DEFAULT_FILTER_X;
    float filterY = DEFAULT_FILTER_Y;
    int SAMPLECOUNTX = DEFAULT_SAMPLE_COUNT;
    int SAMPLECOUNTY = DEFAULT_SAMPLE_COUNT;
    float depthBias = DEFAULT_DEPTH_BIAS;
    bool shadowsOn = true;

private:
    GLuint m_shadowMap = 0;
    GLuint m_shadowFrameBuffer = 0;
    glm::mat4 m_lightProjection{1.0f};
    float m_lightNear = 0.0f;
    float m_lightFar = 0.0f;
    glm::mat4 m_lightView{1.0f};
    int m_width = 0;
    int m_height = 0;
    bool m_complete = false;  // the frame buffer can be drawn into
    std::set<ObjectType> m_reportedTypes;  // such types already reported
};

} // namespace QRX
