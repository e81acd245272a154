#include "engine/graphics/BinaryFileManager.h"

#include <cstring>
#include <filesystem>
#include <iostream>
#include <new>
#include <vector>

#include "engine/core/Logger.h"
#include "engine/platform/FilePath.h"

namespace QRX {

namespace {

// Bytes of a joint record after its name length and reserved byte:
// parent (4) and 14 floats.
constexpr std::size_t JOINT_RECORD_TAIL_SIZE = 4 + 14 * 4;
constexpr std::size_t FLOATS_PER_STATIC_VERTEX = 8;

std::uint32_t DecodeU32(const unsigned char* p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

float DecodeF32(const unsigned char* p)
{
    std::uint32_t bits = DecodeU32(p);
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

} // namespace

BinaryFileManager::BinaryFileManager() = default;

BinaryFileManager::~BinaryFileManager() = default;

bool BinaryFileManager::Initialize()
{
    m_stream.reset(new (std::nothrow) std::ifstream());
    return m_stream != nullptr;
}

bool BinaryFileManager::OpenFile(const std::string& path)
{
    if (!m_stream) return false;
    CloseFile();
    m_path = path;
    m_fileSize = 0;

    std::string resolved = Platform::ResolvePath(path);
    std::error_code error;
    if (!std::filesystem::is_regular_file(resolved, error)) {
        m_stream->setstate(std::ios::failbit);
        return false;
    }
    m_stream->open(resolved, std::ios::in | std::ios::binary);
    if (!m_stream->is_open()) {
        m_stream->setstate(std::ios::failbit);
        return false;
    }
    m_stream->clear();
    m_stream->seekg(0, std::ios::end);
    std::streamoff size = m_stream->tellg();
    m_stream->seekg(0, std::ios::beg);
    if (size < 0 || !m_stream->good()) {
        m_stream->setstate(std::ios::failbit);
        return false;
    }
    m_fileSize = std::uint64_t(size);
    return true;
}

void BinaryFileManager::CloseFile()
{
    if (!m_stream) return;
    if (m_stream->is_open()) m_stream->close();
    m_stream->clear();
    m_fileSize = 0;
}

bool BinaryFileManager::IsGood() const
{
    return m_stream && m_stream->is_open() && m_stream->good();
}

bool BinaryFileManager::ReadBytes(void* out, std::size_t size)
{
    if (!IsGood()) return false;
    m_stream->read(static_cast<char*>(out), std::streamsize(size));
    return m_stream->good() && std::size_t(m_stream->gcount()) == size;
}

bool BinaryFileManager::ReadU32(std::uint32_t& value)
{
    unsigned char bytes[4];
    if (!ReadBytes(bytes, sizeof(bytes))) return false;
    value = DecodeU32(bytes);
    return true;
}

std::uint64_t BinaryFileManager::BytesLeft()
{
    if (!IsGood()) return 0;
    std::streamoff position = m_stream->tellg();
    if (position < 0 || std::uint64_t(position) > m_fileSize) return 0;
    return m_fileSize - std::uint64_t(position);
}

void BinaryFileManager::Fail()
{
    if (m_stream) m_stream->setstate(std::ios::failbit);
}

std::uint32_t BinaryFileManager::ReadCount(std::size_t minRecordSize, const char* what, bool& cutShort)
{
    cutShort = false;
    std::uint32_t count = 0;
    if (!ReadU32(count)) return 0;
    std::uint64_t room = BytesLeft() / minRecordSize;
    if (count > room) {
        QRX_LOG_WARNING("Model file %s is cut short: it names %u %s but holds at most %llu.",
                        m_path.c_str(), count, what, static_cast<unsigned long long>(room));
        count = std::uint32_t(room);
        cutShort = true;
    }
    return count;
}

std::uint32_t BinaryFileManager::BeginChunk(std::uint32_t /*expectedTag*/)
{
    if (!IsGood()) return 0;
    std::streamoff start = m_stream->tellg();
    unsigned char header[CHUNK_HEADER_SIZE];
    ReadBytes(header, sizeof(header));
    return start < 0 ? 0 : std::uint32_t(start);
}

void BinaryFileManager::EndChunk(std::uint32_t chunkStart)
{
    // Rereads the chunk's size and returns to where reading stopped: the size
    // is not used, so the position is all that matters.
    if (!IsGood()) return;
    std::streamoff position = m_stream->tellg();
    m_stream->seekg(std::streamoff(chunkStart) + 4, std::ios::beg);
    std::uint32_t size = 0;
    ReadU32(size);
    m_stream->seekg(position, std::ios::beg);
}

void BinaryFileManager::ReadMeshChunk(MeshData& mesh)
{
    std::uint32_t start = BeginChunk(CHUNK_MESH);

    std::uint32_t meshType = 0;
    if (ReadU32(meshType)) mesh.meshType = meshType;

    bool cutShort = false;
    std::uint32_t indexCount = ReadCount(4, "indices", cutShort);
    if (indexCount > 0) {
        std::vector<unsigned char> bytes(std::size_t(indexCount) * 4);
        ReadBytes(bytes.data(), bytes.size());
        mesh.indices.reserve(mesh.indices.size() + indexCount);
        for (std::uint32_t i = 0; i < indexCount; ++i) mesh.indices.push_back(DecodeU32(&bytes[i * 4]));
    }
    if (cutShort) Fail();

    bool skinned = mesh.IsSkinned();
    std::size_t recordSize = skinned ? SKINNED_VERTEX_FILE_SIZE : STATIC_VERTEX_FILE_SIZE;
    std::uint32_t vertexCount = ReadCount(recordSize, "vertices", cutShort);
    if (vertexCount > 0) {
        std::vector<unsigned char> bytes(std::size_t(vertexCount) * recordSize);
        ReadBytes(bytes.data(), bytes.size());
        mesh.vertices.reserve(mesh.vertices.size() + vertexCount);
        if (skinned) {
            mesh.weights.reserve(mesh.weights.size() + vertexCount * WEIGHTS_PER_VERTEX);
            mesh.jointIndices.reserve(mesh.jointIndices.size() + vertexCount * WEIGHTS_PER_VERTEX);
        }
        for (std::uint32_t v = 0; v < vertexCount; ++v) {
            const unsigned char* p = &bytes[v * recordSize];
            float f[FLOATS_PER_STATIC_VERTEX];
            for (std::size_t i = 0; i < FLOATS_PER_STATIC_VERTEX; ++i) f[i] = DecodeF32(p + i * 4);
            Vertex vertex;
            vertex.position = glm::vec4(f[0], f[1], f[2], 1.0f);
            vertex.normal = glm::vec4(f[3], f[4], f[5], 1.0f);
            vertex.texCoord = glm::vec2(f[6], f[7]);
            mesh.vertices.push_back(vertex);
            if (skinned) {
                const unsigned char* w = p + STATIC_VERTEX_FILE_SIZE;
                for (std::size_t i = 0; i < WEIGHTS_PER_VERTEX; ++i) mesh.weights.push_back(DecodeF32(w + i * 4));
                const unsigned char* j = w + WEIGHTS_PER_VERTEX * 4;
                for (std::size_t i = 0; i < WEIGHTS_PER_VERTEX; ++i) mesh.jointIndices.push_back(float(j[i]));
            }
        }
    }
    if (cutShort) Fail();

    EndChunk(start);
}

void BinaryFileManager::ReadSkeletonChunk(Skeleton& skeleton)
{
    std::uint32_t start = BeginChunk(CHUNK_SKELETON);

    bool cutShort = false;
    std::uint32_t jointCount = ReadCount(JOINT_RECORD_FIXED_SIZE, "joints", cutShort);
    std::uint32_t jointsRead = 0;
    for (std::uint32_t n = 0; n < jointCount; ++n) {
        std::uint32_t nameLength = 0;
        unsigned char reserved = 0;
        if (!ReadU32(nameLength) || !ReadBytes(&reserved, 1)) break;
        if (std::uint64_t(nameLength) + JOINT_RECORD_TAIL_SIZE > BytesLeft()) {
            QRX_LOG_WARNING("Model file %s is cut short inside joint %u.", m_path.c_str(), n);
            cutShort = true;
            break;
        }
        std::string nameBytes(nameLength, '\0');
        if (nameLength > 0) ReadBytes(&nameBytes[0], nameLength);
        unsigned char tail[JOINT_RECORD_TAIL_SIZE];
        if (!ReadBytes(tail, sizeof(tail))) break;

        Joint joint;
        joint.name = nameBytes.substr(0, nameBytes.find('\0'));
        joint.parent = std::int32_t(DecodeU32(tail));
        float values[14];
        for (std::size_t i = 0; i < 14; ++i) values[i] = DecodeF32(tail + 4 + i * 4);
        // values: bind translation (3), bind rotation (4), then a second
        // translation and rotation that nothing uses.
        joint.bindMatrix = BindMatrix(&values[0], &values[3]);
        joint.inverseBindMatrix = glm::inverse(joint.bindMatrix);

        std::int32_t index = std::int32_t(skeleton.joints.size());
        if (joint.parent != -1 && (joint.parent < 0 || joint.parent >= index)) {
            QRX_LOG_WARNING("Model file %s: joint %d \"%s\" names parent %d, which does not come before it; "
                            "it becomes a root.",
                            m_path.c_str(), index, joint.name.c_str(), joint.parent);
            joint.parent = -1;
        }
        if (joint.parent != -1) skeleton.joints[std::size_t(joint.parent)].children.push_back(index);
        skeleton.joints.push_back(std::move(joint));
        ++jointsRead;
    }
    skeleton.jointCount = jointsRead;
    if (cutShort) Fail();

    EndChunk(start);
}

void BinaryFileManager::ReadAnimationChunk(Skeleton& skeleton)
{
    skeleton.lastKeyIndex = 0;
    skeleton.longestTrack = 0;
    std::uint32_t start = BeginChunk(CHUNK_ANIMATION);

    std::uint32_t reserved = 0;
    ReadU32(reserved);
    bool tracksCutShort = false;
    std::uint32_t trackCount = ReadCount(4, "tracks", tracksCutShort);
    if (trackCount > skeleton.joints.size()) {
        QRX_LOG_WARNING("Model file %s has %u animation tracks for %u joints; the extra tracks are dropped.",
                        m_path.c_str(), trackCount, unsigned(skeleton.joints.size()));
    }
    static const char* const LABELS[8] = {"Key Frame time: ", "keyFrame.T[0]: ", "keyFrame.T[1]: ",
                                          "keyFrame.T[2]: ",  "keyFrame.R[0]: ", "keyFrame.R[1]: ",
                                          "keyFrame.R[2]: ",  "keyFrame.R[3]: "};
    bool cutShort = false;
    for (std::uint32_t t = 0; t < trackCount && !cutShort; ++t) {
        std::uint32_t keyCount = ReadCount(KEY_FILE_SIZE, "keys", cutShort);
        bool kept = t < skeleton.joints.size();
        if (kept && skeleton.lastKeyIndex < keyCount) {
            skeleton.lastKeyIndex = keyCount - 1;
            skeleton.longestTrack = t;
        }
        if (keyCount == 0) continue;
        std::vector<unsigned char> bytes(std::size_t(keyCount) * KEY_FILE_SIZE);
        ReadBytes(bytes.data(), bytes.size());
        if (!kept) continue;
        std::vector<KeyFrame>& keys = skeleton.joints[t].keys;
        keys.reserve(keys.size() + keyCount);
        for (std::uint32_t k = 0; k < keyCount; ++k) {
            float values[8];
            for (std::size_t i = 0; i < 8; ++i) {
                values[i] = DecodeF32(&bytes[k * KEY_FILE_SIZE + i * 4]);
                std::cout << LABELS[i] << values[i] << '\n';
            }
            KeyFrame key;
            key.time = values[0];
            for (std::size_t i = 0; i < 3; ++i) key.T[i] = values[1 + i];
            for (std::size_t i = 0; i < 4; ++i) key.R[i] = values[4 + i];
            keys.push_back(key);
        }
    }
    std::cout.flush();
    if (cutShort || tracksCutShort) Fail();

    EndChunk(start);
}

} // namespace QRX
