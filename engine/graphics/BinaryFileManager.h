// The binary model reader (the engine singleton's member).
//
// It owns one input stream and reads one model file at a time, chunk by chunk,
// in the fixed order the mesh manager asks for: OpenFile; BeginChunk (the
// outer "kbx2"); ReadMeshChunk; ReadSkeletonChunk; ReadAnimationChunk;
// EndChunk; CloseFile. Chunks are read strictly in that order: tags and sizes
// are read and not compared, so a well-formed file with wrong tags or sizes
// reads the same.
//
// Model files are the program's most exposed input, so the reader trusts no
// count: every count is bounded by the bytes left in the file (a file that is
// cut short gives the records that are whole, a WARNING, and a failed stream,
// after which every count reads as 0), a joint whose parent does not come
// before it becomes a root (WARNING), and animation tracks beyond the joint
// count are read past and dropped (WARNING). Reading never allocates more than
// a small multiple of the file's size.
#pragma once
#include <cstdint>
#include <fstream>
#include <memory>
#include <string>

#include "engine/graphics/ModelData.h"

namespace QRX {

class BinaryFileManager
{
public:
    BinaryFileManager();
    ~BinaryFileManager();
    BinaryFileManager(const BinaryFileManager&) = delete;
    BinaryFileManager& operator=(const BinaryFileManager&) = delete;

    // Creates the input stream; true on success.
    bool Initialize();

    // Opens a regular file for reading (the path is resolved for the file
    // system first), closing any file still open. True when the stream is good.
    bool OpenFile(const std::string& path);
    // Closes the file.
    void CloseFile();
    // True while every read of the open file has succeeded.
    bool IsGood() const;

    // Reads a chunk header (tag and size, both discarded; the tag is not
    // compared) and returns the position of its first byte (0 on a failed stream).
    std::uint32_t BeginChunk(std::uint32_t expectedTag);
    // Finishes a chunk begun at chunkStart; leaves the stream position as it is.
    void EndChunk(std::uint32_t chunkStart);

    // Reads one "mesh" chunk, header included, appending to the record.
    void ReadMeshChunk(MeshData& mesh);
    // Reads one "skel" chunk, header included, appending joints; jointCount
    // becomes the number of joints read.
    void ReadSkeletonChunk(Skeleton& skeleton);
    // Reads one "anim" chunk, header included, into the joints' key lists and
    // sets lastKeyIndex and longestTrack. Writes each key value read to
    // standard output, eight lines per key.
    void ReadAnimationChunk(Skeleton& skeleton);

    // Stream position of the outer chunk of the file being read, kept by the
    // mesh manager between BeginChunk and EndChunk.
    std::uint32_t outerChunkStart = 0;

private:
    bool ReadBytes(void* out, std::size_t size);
    bool ReadU32(std::uint32_t& value);
    // Bytes between the read position and the end; 0 on a failed stream.
    std::uint64_t BytesLeft();
    // Reads a count of records of at least minRecordSize bytes each, bounded
    // by the bytes left; sets cutShort when the file cannot hold them all.
    std::uint32_t ReadCount(std::size_t minRecordSize, const char* what, bool& cutShort);
    // Marks the stream failed after a cut-short record list.
    void Fail();

    std::unique_ptr<std::ifstream> m_stream;
    std::uint64_t m_fileSize = 0;
    std::string m_path;  // as given to OpenFile, for messages
};

} // namespace QRX
