#include "engine/graphics/ModelWriter.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "engine/core/Logger.h"
#include "engine/platform/FilePath.h"

namespace QRX {

namespace {

std::uint8_t JointIndexByte(float value)
{
    if (!(value > 0.0f)) return 0;  // also NaN
    if (value >= 255.0f) return 255;
    return std::uint8_t(std::lround(value));
}

float At(const std::vector<float>& values, std::size_t i)
{
    return i < values.size() ? values[i] : 0.0f;
}

} // namespace

void ModelWriter::PutU8(std::uint8_t value)
{
    m_bytes.push_back(char(value));
}

void ModelWriter::PutU32(std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) m_bytes.push_back(char((value >> shift) & 0xFFu));
}

void ModelWriter::PutI32(std::int32_t value)
{
    PutU32(std::uint32_t(value));
}

void ModelWriter::PutF32(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    PutU32(bits);
}

void ModelWriter::PutRaw(const std::string& bytes)
{
    m_bytes += bytes;
}

std::size_t ModelWriter::BeginChunk(std::uint32_t tag)
{
    std::size_t start = m_bytes.size();
    PutU32(tag);
    PutU32(0);
    return start;
}

void ModelWriter::EndChunk(std::size_t start)
{
    std::uint32_t size = std::uint32_t(m_bytes.size() - start);
    for (int i = 0; i < 4; ++i) m_bytes[start + 4 + std::size_t(i)] = char((size >> (8 * i)) & 0xFFu);
}

void ModelWriter::WriteMeshChunk(const MeshData& mesh)
{
    std::size_t start = BeginChunk(CHUNK_MESH);
    PutU32(mesh.meshType);
    PutU32(std::uint32_t(mesh.indices.size()));
    for (std::uint32_t index : mesh.indices) PutU32(index);
    PutU32(std::uint32_t(mesh.vertices.size()));
    for (std::size_t v = 0; v < mesh.vertices.size(); ++v) {
        const Vertex& vertex = mesh.vertices[v];
        PutF32(vertex.position.x);
        PutF32(vertex.position.y);
        PutF32(vertex.position.z);
        PutF32(vertex.normal.x);
        PutF32(vertex.normal.y);
        PutF32(vertex.normal.z);
        PutF32(vertex.texCoord.x);
        PutF32(vertex.texCoord.y);
        if (mesh.IsSkinned()) {
            for (std::size_t i = 0; i < WEIGHTS_PER_VERTEX; ++i) PutF32(At(mesh.weights, v * WEIGHTS_PER_VERTEX + i));
            for (std::size_t i = 0; i < WEIGHTS_PER_VERTEX; ++i)
                PutU8(JointIndexByte(At(mesh.jointIndices, v * WEIGHTS_PER_VERTEX + i)));
        }
    }
    EndChunk(start);
}

void ModelWriter::WriteSkeletonChunk(const std::vector<JointSource>& joints)
{
    std::size_t start = BeginChunk(CHUNK_SKELETON);
    PutU32(std::uint32_t(joints.size()));
    for (const JointSource& joint : joints) {
        PutU32(std::uint32_t(joint.name.size()));
        PutU8(0);
        PutRaw(joint.name);
        PutI32(joint.parent);
        // The bind transform, then the second transform the format carries
        // (read and unused): the same values again.
        for (int pass = 0; pass < 2; ++pass) {
            for (float t : joint.bindTranslation) PutF32(t);
            for (float r : joint.bindRotation) PutF32(r);
        }
    }
    EndChunk(start);
}

void ModelWriter::WriteAnimationChunk(const std::vector<std::vector<KeyFrame>>& tracks)
{
    std::size_t start = BeginChunk(CHUNK_ANIMATION);
    PutU32(0);
    PutU32(std::uint32_t(tracks.size()));
    for (const std::vector<KeyFrame>& track : tracks) {
        PutU32(std::uint32_t(track.size()));
        for (const KeyFrame& key : track) {
            PutF32(key.time);
            for (float t : key.T) PutF32(t);
            for (float r : key.R) PutF32(r);
        }
    }
    EndChunk(start);
}

std::string EncodeModel(const ModelSource& model)
{
    ModelWriter writer;
    std::size_t outer = writer.BeginChunk(CHUNK_MODEL);
    writer.WriteMeshChunk(model.mesh);
    if (model.hasSkeleton) {
        writer.WriteSkeletonChunk(model.joints);
        if (model.hasAnimation) writer.WriteAnimationChunk(model.tracks);
    }
    writer.EndChunk(outer);
    return writer.Bytes();
}

bool SaveBytesToFile(const std::string& path, const std::string& bytes)
{
    std::string target = Platform::ResolvePath(path);
    std::string temporary = target + ".tmp";
    {
        std::ofstream out(temporary, std::ios::out | std::ios::binary | std::ios::trunc);
        if (out) out.write(bytes.data(), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            std::remove(temporary.c_str());
            QRX_LOG_ERROR("Unable to write file %s.", path.c_str());
            return false;
        }
    }
    if (std::rename(temporary.c_str(), target.c_str()) != 0) {
        std::remove(temporary.c_str());
        QRX_LOG_ERROR("Unable to write file %s.", path.c_str());
        return false;
    }
    return true;
}

bool SaveModelFile(const std::string& path, const ModelSource& model)
{
    return SaveBytesToFile(path, EncodeModel(model));
}

} // namespace QRX
