// The in-memory records of a binary model file and the file's fixed numbers.
//
// A model file is one "kbx2" chunk holding a "mesh" chunk, then optionally a
// "skel" chunk and an "anim" chunk. Every number is little-endian; a chunk is
// a tag (four characters, the first in the most significant byte, so "kbx2"
// is stored as the bytes "2xbk"), the size of the whole chunk, then its
// payload. BinaryFileManager reads these records, ModelWriter writes them.
//
// Bind transforms are in model space: a joint's bind matrix places it in the
// model, and skin = posed global matrix x inverse bind matrix.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/glm.hpp>

namespace QRX {

// A chunk tag from its four characters, the first in the most significant byte.
constexpr std::uint32_t MakeChunkTag(char a, char b, char c, char d)
{
    return (std::uint32_t(std::uint8_t(a)) << 24) | (std::uint32_t(std::uint8_t(b)) << 16) |
           (std::uint32_t(std::uint8_t(c)) << 8) | std::uint32_t(std::uint8_t(d));
}

constexpr std::uint32_t CHUNK_MODEL = MakeChunkTag('k', 'b', 'x', '2');     // 0x6B627832
constexpr std::uint32_t CHUNK_MESH = MakeChunkTag('m', 'e', 's', 'h');      // 0x6D657368
constexpr std::uint32_t CHUNK_SKELETON = MakeChunkTag('s', 'k', 'e', 'l');  // 0x736B656C
constexpr std::uint32_t CHUNK_ANIMATION = MakeChunkTag('a', 'n', 'i', 'm'); // 0x616E696D

constexpr std::size_t CHUNK_HEADER_SIZE = 8;          // tag + size
constexpr std::uint32_t MESH_TYPE_STATIC = 0;
constexpr std::uint32_t MESH_TYPE_SKINNED = 1;        // any other value is static
constexpr std::size_t STATIC_VERTEX_FILE_SIZE = 32;   // position, normal, uv
constexpr std::size_t SKINNED_VERTEX_FILE_SIZE = 52;  // + 4 weights + 4 joint-index bytes
constexpr std::size_t WEIGHTS_PER_VERTEX = 4;
constexpr std::size_t JOINT_RECORD_FIXED_SIZE = 65;   // a joint record without its name
constexpr std::size_t JOINT_NAME_MAX = 127;           // longest name a well-formed file has
constexpr std::size_t KEY_FILE_SIZE = 32;             // time, translation, rotation
// The skinning shader holds this many joint matrices; joint indices above it
// would read past its array.
constexpr std::size_t MAX_SKIN_JOINTS = 65;
// Key translations are stored with x multiplied by this; playback divides it out.
constexpr float KEY_TRANSLATION_X_SCALE = 6.2f;

// One vertex as uploaded: 40 bytes, position at 0, normal at 16, uv at 32.
struct Vertex
{
    glm::vec4 position{0.0f, 0.0f, 0.0f, 1.0f};
    glm::vec4 normal{0.0f, 0.0f, 0.0f, 1.0f};  // w is 1 as read, not 0
    glm::vec2 texCoord{0.0f, 0.0f};
};
static_assert(sizeof(Vertex) == 40, "the vertex buffer layout needs 40-byte vertices");

constexpr std::size_t VERTEX_NORMAL_OFFSET = 16;
constexpr std::size_t VERTEX_TEXCOORD_OFFSET = 32;

// One mesh chunk. A skinned mesh has four weights and four joint indices (as
// floats) per vertex, in vertex order; a static mesh has neither.
struct MeshData
{
    std::uint32_t meshType = MESH_TYPE_STATIC;
    std::vector<Vertex> vertices;
    std::vector<std::uint32_t> indices;
    std::vector<float> weights;
    std::vector<float> jointIndices;

    bool IsSkinned() const { return meshType == MESH_TYPE_SKINNED; }
};

// One key of a joint's track; T and R are in the parent's space, T.x scaled
// by KEY_TRANSLATION_X_SCALE, R a quaternion stored x, y, z, w.
struct KeyFrame
{
    float time = 0.0f;
    float T[3] = {0.0f, 0.0f, 0.0f};
    float R[4] = {0.0f, 0.0f, 0.0f, 1.0f};
};

struct Joint
{
    std::string name;
    std::int32_t parent = -1;  // -1 for a root; always a lower index than the joint
    glm::mat4 globalMatrix{1.0f};
    glm::mat4 skinMatrix{1.0f};
    glm::mat4 bindMatrix{1.0f};
    glm::mat4 inverseBindMatrix{1.0f};
    std::vector<KeyFrame> keys;
    std::vector<std::int32_t> children;  // in file order
};

struct Skeleton
{
    std::vector<Joint> joints;
    std::uint32_t lastKeyIndex = 0;  // key count - 1 of the track with the most keys
    std::uint32_t longestTrack = 0;  // index of that track (the later one on a tie)
    std::uint32_t jointCount = 0;    // joints read from the file
};

// The rotation matrix of a quaternion (x, y, z, w), unnormalised as given.
glm::mat4 QuaternionMatrix(float x, float y, float z, float w);

// translate(t) x rotate(q): a joint's bind matrix from its file record.
glm::mat4 BindMatrix(const float translation[3], const float rotation[4]);

} // namespace QRX
