// One loaded model: its OpenGL buffers and, for the animated mesh, its
// skeleton and skinning buffers. Owned by the MeshManager.
//
// Buffers hold the vertices as 40-byte Vertex records, 32-bit indices, and
// for an animated mesh four weights and four joint indices (as floats) per
// vertex. Buffer names are 0 when absent. Release deletes them; the record is
// then empty.
#pragma once
#include <cstdint>
#include <string>

#include "engine/graphics/ModelData.h"

namespace QRX {

struct Mesh
{
    std::string id;                 // the id it was loaded under ("error" for the default mesh)
    std::uint32_t indexCount = 0;
    unsigned int vertexBuffer = 0;  // GL buffer names
    unsigned int indexBuffer = 0;
    Skeleton skeleton;              // empty unless a skeleton was read
    unsigned int weightBuffer = 0;
    unsigned int jointIndexBuffer = 0;
    bool animated = false;          // loaded with its skeleton and skinning buffers

    unsigned int GetVertexBuffer() const { return vertexBuffer; }
    unsigned int GetElementBuffer() const { return indexBuffer; }
    unsigned int GetWeightBuffer() const { return weightBuffer; }
    unsigned int GetAnimIndexBuffer() const { return jointIndexBuffer; }

    // Deletes the four buffers (each name becomes 0), the joints and the id.
    // Needs the context the buffers were made in.
    void Release();
};

} // namespace QRX
