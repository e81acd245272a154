#include "engine/graphics/ModelShapes.h"

namespace QRX {

void AppendQuad(MeshData& mesh, const glm::vec3& corner, const glm::vec3& edgeU, const glm::vec3& edgeV)
{
    std::uint32_t base = std::uint32_t(mesh.vertices.size());
    glm::vec3 normal = glm::normalize(glm::cross(edgeU, edgeV));
    const glm::vec2 uvs[4] = {{0.0f, 0.0f}, {1.0f, 0.0f}, {1.0f, 1.0f}, {0.0f, 1.0f}};
    for (const glm::vec2& uv : uvs) {
        Vertex vertex;
        vertex.position = glm::vec4(corner + edgeU * uv.x + edgeV * uv.y, 1.0f);
        vertex.normal = glm::vec4(normal, 1.0f);
        vertex.texCoord = uv;
        mesh.vertices.push_back(vertex);
    }
    const std::uint32_t order[6] = {0, 1, 2, 0, 2, 3};
    for (std::uint32_t i : order) mesh.indices.push_back(base + i);
}

void AppendBox(MeshData& mesh, const glm::vec3& centre, const glm::vec3& size)
{
    // Per face: the outward normal and the two in-face directions (u x v = normal),
    // chosen so each face's texture reads upright and unmirrored from outside.
    struct Face
    {
        glm::vec3 n, u, v;
    };
    const Face faces[6] = {
        {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}},  {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
        {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
        {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},  {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
    };
    glm::vec3 half = size * 0.5f;
    for (const Face& face : faces) {
        glm::vec3 edgeU = face.u * size;
        glm::vec3 edgeV = face.v * size;
        glm::vec3 corner = centre + face.n * half - edgeU * 0.5f - edgeV * 0.5f;
        AppendQuad(mesh, corner, edgeU, edgeV);
    }
}

MeshData MakeCubeMesh(float edge)
{
    MeshData mesh;
    AppendBox(mesh, glm::vec3(0.0f), glm::vec3(edge));
    return mesh;
}

} // namespace QRX
