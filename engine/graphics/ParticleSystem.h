// The one pool of particles behind every particle effect of the game.
//
// Particles are plain records in a growable array. Emit builds one particle
// with one of the emission patterns and stores it in the first dead record
// (searched from the start), or appends a record when none is dead: the pool
// never shrinks, so its size is the most particles ever alive at once. Update,
// once a frame, steps every live particle by the frame time capped at
// MAX_STEP and rebuilds the vertex stream the particle pass draws: four
// corners per live particle of a square facing the camera's eye. Every random
// draw goes through the program's one generator, so a run (or a test after
// ResetRandom) always makes the same particles.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

// Emission patterns (the argument of Emit). Any other value makes a red
// particle at the origin that does not move.
constexpr int PARTICLE_BURST = 0;        // the emitter's burst
constexpr int PARTICLE_IMPLODE = 2;      // converges on the position at the end of its life
constexpr int PARTICLE_SMOKE = 3;
constexpr int PARTICLE_RING = 4;         // flat ring at fixed speed
constexpr int PARTICLE_FOUNTAIN = 5;
constexpr int PARTICLE_FOUNTAIN_GREEN = 6;
constexpr int PARTICLE_RING_FAST = 7;    // flat ring at random speed
constexpr int PARTICLE_SPARK = 8;        // slows down and turns back after ten steps
constexpr int PARTICLE_SPIRAL = 9;       // moves along the direction given (a spiral arm)
constexpr int PARTICLE_RAIN = 10;
constexpr int PARTICLE_STAR = 11;       // never dies by age, turns on the spot
constexpr int PARTICLE_SPARK_B = 12;     // as PARTICLE_SPARK
constexpr int PARTICLE_FLICKER = 13;     // dark, drifting to a random colour
constexpr int PARTICLE_LEAVE = 14;       // the robot leaving
constexpr int PARTICLE_ARRIVE = 15;      // the robot appearing

// The rotation of the normalised axis by angle degrees (4x4).
glm::mat4 RotationMatrix(float degrees, const glm::vec3& axis);
// Multiplies the vector by s in place.
void ScaleVector(glm::vec3& v, float s);

struct Particle
{
    // Values every new particle starts from.
    static constexpr float DEFAULT_ALPHA = 1.0f;
    static constexpr float DEFAULT_SIZE = 0.1f;

    // Advances a live particle by dt seconds (already capped): position by the
    // velocity, the velocity by the acceleration (once per step, not scaled),
    // age and colour. Dies on the first step where life < age. A
    // PARTICLE_STAR particle also turns by STAR_SPIN_RATE x dt degrees.
    void Update(float dt);
    void Kill() { dead = true; }

    bool dead = false;
    std::uint32_t word = 0;  // carried with the record, read by nothing
    float age = 0.0f;        // seconds
    int pattern = 1;
    float life = 0.0f;       // seconds
    // [0] alpha of the colour, [1] width of the quad; [2] and [3] are carried.
    float params[4] = {DEFAULT_ALPHA, DEFAULT_SIZE, 1.0f, 1.0f};
    float spin = 0.0f;       // degrees
    glm::vec3 position{0.0f};
    glm::vec3 acceleration{0.0f};  // added to the velocity every step
    glm::vec3 velocity{0.0f};      // units per second
    glm::vec3 colorChange{0.0f};   // per second
    glm::vec3 color{1.0f, 0.0f, 0.0f};
};

class ParticleSystem
{
public:
    // The longest step a particle takes in one frame.
    static constexpr float MAX_STEP = 0.05f;
    static constexpr std::size_t CORNERS_PER_PARTICLE = 4;
    static constexpr std::size_t INDICES_PER_PARTICLE = 6;
    // vec4 entries per corner in the vertex stream: position, then colour.
    static constexpr std::size_t VEC4_PER_CORNER = 2;
    // Emission settings.
    static constexpr float LIFE_MIN = 0.2f;
    static constexpr float LIFE_RANGE = 0.3f;
    static constexpr float SPEED_MIN = 5.0f;
    static constexpr float SPEED_RANGE = 5.0f;
    // The random acceleration magnitude (zero: patterns 0, 3 and 13 do not accelerate).
    static constexpr float ACCEL_MIN = 0.0f;
    static constexpr float ACCEL_RANGE = 0.0f;
    // PARTICLE_STAR: distance from the position, turn rate, life.
    static constexpr float STAR_RADIUS = 100.0f;  // the level's star field
    static constexpr float STAR_SPIN_RATE = 45.0f;  // degrees per second
    static constexpr float STAR_LIFE = 12321312210944.0f;

    ParticleSystem() = default;

    // Builds one particle of the pattern at the position (direction is used by
    // PARTICLE_SPIRAL, PARTICLE_LEAVE) and stores it in the first dead record,
    // or appends one. The cursor is left on the record used.
    void Emit(int pattern, const glm::vec3& position, const glm::vec3& direction);
    // Once a frame: steps every live particle by frameTime capped at MAX_STEP
    // (a negative time counts as 0) and rebuilds the vertex stream with the
    // quads facing eye (the camera's position). A frame that will not be
    // drawn (buildQuads false) steps the particles and leaves the stream
    // empty: only the particle pass reads it.
    void Update(float frameTime, const glm::vec3& eye, bool buildQuads = true);
    // Kills every particle and empties the vertex stream (the level states
    // clear all effects when they start and end). The pool keeps its size.
    void KillAll();

    const std::vector<Particle>& GetParticles() const { return m_particles; }
    // Position (x, y, z, 1) then colour (r, g, b, alpha) for each corner; four
    // corners per live particle, in the order bottom-left, bottom-right,
    // top-left, top-right as seen from the eye.
    const std::vector<glm::vec4>& GetVertices() const { return m_vertices; }
    // The corners' texture coordinates (0,0), (1,0), (0,1), (1,1), repeated
    // for every record of the pool (at least as many as the stream needs).
    const std::vector<glm::vec2>& GetTexCoords() const { return m_texCoords; }
    // Two triangles per quad, (0, 1, 2) and (2, 1, 3) of its corners, for
    // every record of the pool.
    const std::vector<std::uint32_t>& GetIndices() const { return m_indices; }
    // Quads in the vertex stream.
    std::size_t GetQuadCount() const { return m_vertices.size() / (CORNERS_PER_PARTICLE * VEC4_PER_CORNER); }
    std::size_t GetCursor() const { return m_cursor; }
    double GetTotalTime() const { return m_totalTime; }

private:
    static Particle MakeParticle(int pattern, const glm::vec3& position, const glm::vec3& direction);
    void AppendQuad(const Particle& particle, const glm::vec3& eye);
    void GrowStaticStreams();

    std::vector<Particle> m_particles;
    std::size_t m_cursor = 0;
    // Records before this index are alive: dead records only appear in Update
    // and KillAll, and Emit fills the first one, so the next search may start
    // after it.
    std::size_t m_searchFrom = 0;
    double m_totalTime = 0.0;
    std::vector<glm::vec4> m_vertices;
    std::vector<glm::vec2> m_texCoords;
    std::vector<std::uint32_t> m_indices;
};

} // namespace QRX
