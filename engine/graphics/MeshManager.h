// The owner of every mesh the game draws.
//
// The catalogue "data\meshes.xml" (root "Meshes"; each entry a "MeshId" and a
// "Path") maps mesh ids to model files. Meshes load on demand through the
// System's binary model reader into Mesh records with their GL buffers, and
// stay until released. Rules:
// - "error" is the default mesh. An id without a catalogue path, or whose file
//   is damaged, maps to the "error" record (one WARNING). When "error" itself
//   cannot be loaded from its file, a built-in cube stands in for it (WARNING),
//   so GetMesh always has a record to give.
// - A file that cannot be opened logs "Problem opening model file!" and is
//   tried again at the next request.
// - "robot" is the one animated mesh: every load of that id, by any road,
//   reads its skeleton and animation and makes its skinning buffers.
// - Buffers need a current GL context with its entry points loaded; without
//   one, records are made without buffers (ERROR, once).
#pragma once
#include <map>
#include <string>

#include <glm/glm.hpp>

#include "engine/graphics/Mesh.h"
#include "engine/graphics/ModelData.h"

namespace QRX {

struct MeshBoundingSphere
{
    float radius = 0.0f;
    glm::vec3 centre{0.0f};
};

struct MeshBoundingBox
{
    glm::vec3 centre{0.0f};
    glm::vec3 halfExtents{0.0f};
};

// What the graphics component keeps of its mesh: the sphere, and the matrices
// that place the unit debug meshes "sphere" and "cubey" over sphere and box.
struct MeshBounds
{
    MeshBoundingSphere sphere;
    MeshBoundingBox box;
    glm::mat4 sphereMatrix{1.0f};  // translate(centre) x scale(2r)
    glm::mat4 boxMatrix{1.0f};     // translate(box centre) x scale(2 x half extents)
};

class MeshManager
{
public:
    static constexpr const char* CATALOGUE_PATH = "data\\meshes.xml";
    static constexpr const char* DEFAULT_MESH_ID = "error";
    static constexpr const char* ANIMATED_MESH_ID = "robot";
    static constexpr float BUILT_IN_DEFAULT_EDGE = 1.0f;  // the cube standing in for "error"

    MeshManager();
    // Writes "Releasing all meshes including default mesh" to stdout, then
    // releases everything (needs the GL context still current).
    ~MeshManager();
    MeshManager(const MeshManager&) = delete;
    MeshManager& operator=(const MeshManager&) = delete;

    // Reads the catalogue and loads "error".
    void Initialize();
    // (Re)reads the catalogue; a missing catalogue leaves no paths (WARNING).
    void LoadMeshPaths();

    // Loads one mesh by id. True when the id is loaded now or already was
    // (possibly mapped to "error"); false when its file cannot be opened or
    // the record cannot be made.
    bool LoadMesh(const std::string& id);
    // The graphics component's load: as LoadMesh, with the component's message
    // for an id without a path and only the "mesh" chunk read for ids other
    // than "robot". When the mesh is read from its file by this call, its
    // bounds are computed into bounds and boundsSet becomes true; otherwise
    // both are left alone. ownerIsPlayer applies the PLAYER sphere rule.
    bool LoadComponentMesh(const std::string& id, bool ownerIsPlayer, MeshBounds& bounds, bool& boundsSet);

    // The record of an id, loading it on demand; the "error" record for an id
    // that cannot be loaded. Null only when memory is exhausted.
    Mesh* GetMesh(const std::string& id);
    // The record of an id when it is in the map, else null. Never loads.
    Mesh* FindMesh(const std::string& id) const;
    // The catalogue path of an id, or "".
    std::string GetMeshPath(const std::string& id) const;

    // Smallest-sphere approximation: starts from the sphere through the
    // corners of the vertices' box (from a point at the origin for a PLAYER
    // object) and grows it over each vertex in order. Radius 0 at the origin
    // for a mesh without vertices.
    static MeshBoundingSphere ComputeBoundingSphere(const MeshData& mesh, bool ownerIsPlayer);
    // The vertices' axis-aligned box; zero for a mesh without vertices.
    static MeshBoundingBox ComputeBoundingBox(const MeshData& mesh);
    // Both, with the matrices the component keeps.
    static MeshBounds ComputeBounds(const MeshData& mesh, bool ownerIsPlayer);

    // Releases every mesh except "error" and the ids mapped to it.
    void ReleaseAllMeshes();
    // Releases everything and empties the map.
    void ReleaseAllMeshesAndDefault();
    // After the GL context was re-created: rereads the catalogue and loads "error".
    void ReloadAllMeshes();

    // Every id in the map, in key order (several may share the "error" record).
    const std::map<std::string, Mesh*>& GetMeshes() const { return m_meshes; }

private:
    bool Load(const std::string& id, bool componentRoad, bool ownerIsPlayer, MeshBounds* bounds, bool* boundsSet);
    // Loads "error" from its file, or builds the stand-in cube. False only
    // when the record cannot be allocated.
    bool LoadDefaultMesh();
    // The "error" record, loaded when missing.
    Mesh* DefaultMesh();
    // Maps an id to the "error" record; false when there is none.
    bool MapToDefault(const std::string& id);
    // Makes a record with its buffers; null when it cannot be allocated.
    Mesh* CreateRecord(const std::string& id, const MeshData& mesh, Skeleton&& skeleton, bool animated);

    // Several ids may share the "error" record; every other record is owned
    // by its own entry.
    std::map<std::string, Mesh*> m_meshes;
    std::map<std::string, std::string> m_paths;
    bool m_reportedNoGL = false;
};

} // namespace QRX
