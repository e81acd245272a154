// Small mesh builders shared by the mesh manager and the model generator.
//
// Every builder appends to a MeshData with counter-clockwise triangles seen
// from the side the normal points to, and texture coordinates 0..1 per face.
#pragma once
#include <glm/glm.hpp>

#include "engine/graphics/ModelData.h"

namespace QRX {

// A flat quad from corner along edgeU then edgeV (normal edgeU x edgeV), with
// uv (0,0) at the corner and (1,1) opposite: 4 vertices, 6 indices.
void AppendQuad(MeshData& mesh, const glm::vec3& corner, const glm::vec3& edgeU, const glm::vec3& edgeV);

// An axis-aligned box: 24 vertices (flat normals), 36 indices.
void AppendBox(MeshData& mesh, const glm::vec3& centre, const glm::vec3& size);

// A static cube of the given edge centred on the origin.
MeshData MakeCubeMesh(float edge);

} // namespace QRX
