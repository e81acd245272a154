// The particle pass: every live particle in one additive draw.
//
// The frame calls RenderParticles right after the main pass, into the same
// target, so particles are depth-tested against the scene. Each particle is a
// quad of four corners from the particle system's vertex stream (position and
// colour per corner), drawn as two triangles through an index buffer, with
// its own texture coordinates on location 2. Rules: with no live particle
// nothing is touched; otherwise the blend function is additive for the draw
// and back to source alpha, one minus source alpha afterwards, and program 0
// is left bound. Needs a current GL context.
#pragma once
#include <GL/glew.h>

#include <string>

#include <glm/glm.hpp>

namespace QRX {

class ParticleSystem;
class ShaderManager;
class TextureManager;

constexpr const char* PARTICLE_PROGRAM = "particle";
// Attribute locations of the "particle" program.
constexpr GLuint PARTICLE_ATTRIB_TEXCOORD = 2;  // "texcoord"
constexpr GLuint PARTICLE_ATTRIB_POSITION = 8;  // "inPosition"
constexpr GLuint PARTICLE_ATTRIB_COLOR = 9;     // "inColor"
// Also disabled after the draw: the location the renderer's triangle
// texture-coordinate buffer is numbered after, which no pass leaves enabled.
constexpr GLuint PARTICLE_ATTRIB_TRIANGLEUV = 10;

// Uniform locations of the linked "particle" program (-1: absent, not set).
struct ParticleProgramLocations
{
    GLint projectionMatrix = -1;
    GLint viewMatrix = -1;
    GLint useTexture = -1;
    GLint hue = -1;  // "uHue"
};

// Binds the program's attribute locations; call before linking.
void BindParticleAttributes(GLuint program);
// The uniform locations of a linked program.
ParticleProgramLocations QueryParticleLocations(GLuint program);

// What the pass needs from the renderer for one frame.
struct ParticlePassInput
{
    ShaderManager* shaders = nullptr;
    TextureManager* textures = nullptr;
    // The renderer's GRAPHICS_ATTRIB_COUNT buffers; the pass fills
    // GRAPHICS_ATTRIB_TRIANGLEPOS and GRAPHICS_ATTRIB_TRIANGLEUV.
    const GLuint* vertexBuffers = nullptr;
    GLuint indexBuffer = 0;  // the quads' triangles
    ParticleProgramLocations locations;
    glm::mat4 viewMatrix{1.0f};        // the camera's
    glm::mat4 projectionMatrix{1.0f};  // the renderer's perspective projection
    float hue = 0.0f;
};

// Draws the system's vertex stream. An empty texture name draws without the
// texture ("useTexture" 0), though the texture of the name is still bound.
// A missing program or buffer array is an assertion and changes nothing; a
// buffer name that is not a buffer is an assertion ("BO INVALID"), and the
// pass then restores its state without drawing.
void RenderParticles(const ParticleSystem& system, const std::string& textureName, const ParticlePassInput& input);

} // namespace QRX
