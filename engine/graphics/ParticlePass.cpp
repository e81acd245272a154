#include "engine/graphics/ParticlePass.h"

#include <glm/gtc/type_ptr.hpp>

#include "engine/core/Logger.h"
#include "engine/graphics/GraphicsAttributes.h"
#include "engine/graphics/ParticleSystem.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"

namespace QRX {

namespace {

// As the buffer checks of the drawing code are worded.
constexpr GLboolean TRUE = GL_TRUE;

constexpr GLsizei STREAM_STRIDE = static_cast<GLsizei>(ParticleSystem::VEC4_PER_CORNER * sizeof(glm::vec4));
const void* const COLOR_OFFSET = reinterpret_cast<const void*>(sizeof(glm::vec4));

} // namespace

void BindParticleAttributes(GLuint program)
{
    glBindAttribLocation(program, PARTICLE_ATTRIB_POSITION, "inPosition");
    glBindAttribLocation(program, PARTICLE_ATTRIB_COLOR, "inColor");
    glBindAttribLocation(program, PARTICLE_ATTRIB_TEXCOORD, "texcoord");
}

ParticleProgramLocations QueryParticleLocations(GLuint program)
{
    ParticleProgramLocations l;
    l.projectionMatrix = glGetUniformLocation(program, "projectionMatrix");
    l.viewMatrix = glGetUniformLocation(program, "viewMatrix");
    l.useTexture = glGetUniformLocation(program, "useTexture");
    l.hue = glGetUniformLocation(program, "uHue");
    return l;
}

void RenderParticles(const ParticleSystem& system, const std::string& textureName, const ParticlePassInput& input)
{
    const std::vector<glm::vec4>& stream = system.GetVertices();
    if (stream.empty())
        return;

    Program* program = input.shaders ? input.shaders->GetProgram(PARTICLE_PROGRAM) : nullptr;
    QRX_ASSERT(program != 0, 1, "No particle program: particles not drawn");
    QRX_ASSERT(input.vertexBuffers != 0, 1, "No vertex buffers: particles not drawn");
    if (!program || !input.vertexBuffers)
        return;
    const GLuint* m_vertexBufferObject = input.vertexBuffers;
    const std::size_t quads = system.GetQuadCount();
    const std::size_t corners = quads * ParticleSystem::CORNERS_PER_PARTICLE;
    const std::size_t indices = quads * ParticleSystem::INDICES_PER_PARTICLE;

    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    glUseProgram(program->GetProgramObject());
    program->SetInUse(true);
    const ParticleProgramLocations& l = input.locations;
    if (l.hue != -1)
        glUniform1f(l.hue, input.hue);
    if (l.useTexture != -1)
        glUniform1i(l.useTexture, textureName.empty() ? 0 : 1);
    if (l.viewMatrix != -1)
        glUniformMatrix4fv(l.viewMatrix, 1, GL_FALSE, glm::value_ptr(input.viewMatrix));
    if (l.projectionMatrix != -1)
        glUniformMatrix4fv(l.projectionMatrix, 1, GL_FALSE, glm::value_ptr(input.projectionMatrix));

    // Each buffer is checked once bound (a generated name becomes a buffer on
    // its first bind). A name that is no buffer is 0 here: attribute offsets
    // would then be read as client memory addresses, so nothing is drawn.
    bool buffersOk = true;
    auto checked = [&buffersOk](bool isBuffer) { buffersOk = buffersOk && isBuffer; };

    // Corner positions and colours, interleaved.
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBufferObject[GRAPHICS_ATTRIB_TRIANGLEPOS]);
    QRX_ASSERT(glIsBuffer(m_vertexBufferObject[GRAPHICS_ATTRIB_TRIANGLEPOS]) == TRUE, 1, "BO INVALID");
    checked(glIsBuffer(m_vertexBufferObject[GRAPHICS_ATTRIB_TRIANGLEPOS]) == TRUE);
    if (buffersOk) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(stream.size() * sizeof(glm::vec4)), stream.data(),
                     GL_STREAM_DRAW);
        glVertexAttribPointer(PARTICLE_ATTRIB_POSITION, 4, GL_FLOAT, GL_FALSE, STREAM_STRIDE, nullptr);
        glVertexAttribPointer(PARTICLE_ATTRIB_COLOR, 4, GL_FLOAT, GL_FALSE, STREAM_STRIDE, COLOR_OFFSET);
        glEnableVertexAttribArray(PARTICLE_ATTRIB_POSITION);
        glEnableVertexAttribArray(PARTICLE_ATTRIB_COLOR);
    }

    // One set of corner coordinates per drawn corner, so the array is never
    // shorter than the vertices the draw reads.
    glBindBuffer(GL_ARRAY_BUFFER, m_vertexBufferObject[GRAPHICS_ATTRIB_TRIANGLEUV]);
    QRX_ASSERT(glIsBuffer(m_vertexBufferObject[GRAPHICS_ATTRIB_TRIANGLEUV]) == TRUE, 1, "BO INVALID");
    checked(glIsBuffer(m_vertexBufferObject[GRAPHICS_ATTRIB_TRIANGLEUV]) == TRUE);
    if (buffersOk) {
        glBufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(corners * sizeof(glm::vec2)),
                     system.GetTexCoords().data(), GL_STREAM_DRAW);
        glVertexAttribPointer(PARTICLE_ATTRIB_TEXCOORD, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glEnableVertexAttribArray(PARTICLE_ATTRIB_TEXCOORD);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);

    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, input.textures ? input.textures->GetTexture(textureName) : 0);

    // Two triangles per quad, all particles in one draw.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, input.indexBuffer);
    QRX_ASSERT(glIsBuffer(input.indexBuffer) == TRUE, 1, "BO INVALID");
    checked(glIsBuffer(input.indexBuffer) == TRUE);
    if (buffersOk) {
        glBufferData(GL_ELEMENT_ARRAY_BUFFER, static_cast<GLsizeiptr>(indices * sizeof(std::uint32_t)),
                     system.GetIndices().data(), GL_STREAM_DRAW);
        glDrawElements(GL_TRIANGLES, static_cast<GLsizei>(indices), GL_UNSIGNED_INT, nullptr);
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);

    glBindBuffer(GL_ARRAY_BUFFER, 0);
    glDisableVertexAttribArray(PARTICLE_ATTRIB_POSITION);
    glDisableVertexAttribArray(PARTICLE_ATTRIB_COLOR);
    glDisableVertexAttribArray(PARTICLE_ATTRIB_TRIANGLEUV);
    glDisableVertexAttribArray(PARTICLE_ATTRIB_TEXCOORD);
    glUseProgram(0);
    program->SetInUse(false);

    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

} // namespace QRX
