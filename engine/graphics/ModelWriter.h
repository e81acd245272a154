// Writes binary model files (the format BinaryFileManager reads).
//
// Used by the model generator that makes the game's models under data/models
// and by the tests. ModelWriter appends little-endian values to a byte string
// and brackets chunks (BeginChunk writes the tag and a size placeholder,
// EndChunk fills in the whole chunk's length); EncodeModel lays out a complete
// file: the "kbx2" chunk with the "mesh" chunk, then "skel" and "anim" when
// the model has them. The primitives also let tests build malformed files.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine/graphics/ModelData.h"

namespace QRX {

// A joint as the file stores it: bind transform in model space.
struct JointSource
{
    std::string name;
    std::int32_t parent = -1;
    float bindTranslation[3] = {0.0f, 0.0f, 0.0f};
    float bindRotation[4] = {0.0f, 0.0f, 0.0f, 1.0f};  // x, y, z, w
};

// A whole model: the mesh, and the skeleton and animation when present.
// Track i animates joint i; keys hold T.x already multiplied by
// KEY_TRANSLATION_X_SCALE.
struct ModelSource
{
    MeshData mesh;
    bool hasSkeleton = false;
    std::vector<JointSource> joints;
    bool hasAnimation = false;  // requires hasSkeleton
    std::vector<std::vector<KeyFrame>> tracks;
};

class ModelWriter
{
public:
    void PutU8(std::uint8_t value);
    void PutU32(std::uint32_t value);
    void PutI32(std::int32_t value);
    void PutF32(float value);
    void PutRaw(const std::string& bytes);

    // Writes the tag and a size placeholder; returns the chunk's start.
    std::size_t BeginChunk(std::uint32_t tag);
    // Writes the length of the chunk begun at start, up to the current end.
    void EndChunk(std::size_t start);

    // One chunk each, header included. Joint indices are stored as bytes
    // (rounded, clamped to 0..255); a skinned mesh whose weight or joint
    // lists are short is padded with zeros.
    void WriteMeshChunk(const MeshData& mesh);
    void WriteSkeletonChunk(const std::vector<JointSource>& joints);
    void WriteAnimationChunk(const std::vector<std::vector<KeyFrame>>& tracks);

    const std::string& Bytes() const { return m_bytes; }

private:
    std::string m_bytes;
};

// The bytes of a complete model file.
std::string EncodeModel(const ModelSource& model);

// Writes bytes to a file through a temporary beside it, so a failed write
// keeps the previous file. True on success; an ERROR line otherwise.
bool SaveBytesToFile(const std::string& path, const std::string& bytes);

// EncodeModel then SaveBytesToFile.
bool SaveModelFile(const std::string& path, const ModelSource& model);

} // namespace QRX
