#include "engine/graphics/MeshManager.h"

#include <GL/glew.h>

#include <algorithm>
#include <iostream>
#include <new>
#include <utility>

#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/ModelShapes.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"

namespace QRX {

namespace {

// The file manager's answer for a missing element.
const char* const MISSING_TEXT = "null";

// Every report of the loading road names the operation its callers use,
// whichever helper writes it.
const char* const LOAD_MESH = "QRX::MeshManager::LoadMesh";
#define QRX_LOAD_REPORT(level, ...) ::QRX::LogReport((level), LOAD_MESH, __FILE__, __LINE__, __VA_ARGS__)
#define QRX_LOAD_WARNING(...) QRX_LOAD_REPORT(::QRX::LOG_WARNING, __VA_ARGS__)

enum class ReadOutcome { Read, CannotOpen, Damaged };

// Reads a model file in the reader's fixed order. Damaged: the mesh chunk
// could not be read whole, or an index reaches past the vertices.
ReadOutcome ReadModelFile(const std::string& id, const std::string& path, bool withSkeleton, bool withAnimation,
                          MeshData& mesh, Skeleton& skeleton)
{
    System* system = System::GetInstance();
    BinaryFileManager* reader = system->binaryFileManager;
    if (!reader || !reader->OpenFile(path)) return ReadOutcome::CannotOpen;

    reader->outerChunkStart = reader->BeginChunk(CHUNK_MODEL);
    reader->ReadMeshChunk(mesh);
    bool meshWhole = reader->IsGood();
    if (withSkeleton) reader->ReadSkeletonChunk(skeleton);
    if (withAnimation) reader->ReadAnimationChunk(skeleton);
    reader->EndChunk(reader->outerChunkStart);
    reader->CloseFile();

    if (!meshWhole) {
        QRX_LOAD_WARNING("Model file %s of mesh \"%s\" is damaged; the \"error\" mesh stands in for it.",
                         path.c_str(), id.c_str());
        return ReadOutcome::Damaged;
    }
    for (std::uint32_t index : mesh.indices) {
        if (index >= mesh.vertices.size()) {
            QRX_LOAD_WARNING("Model file %s of mesh \"%s\" has index %u but only %u vertices; the \"error\" mesh "
                             "stands in for it.",
                             path.c_str(), id.c_str(), index, unsigned(mesh.vertices.size()));
            return ReadOutcome::Damaged;
        }
    }
    return ReadOutcome::Read;
}

// Joint indices past the skeleton (or the skinning shader's matrix array)
// would read matrices that do not exist: clamp them to the last joint.
void ClampJointIndices(const std::string& id, MeshData& mesh, std::uint32_t jointCount)
{
    float last = float(std::min<std::size_t>(jointCount, MAX_SKIN_JOINTS) - 1);
    bool clamped = false;
    for (float& index : mesh.jointIndices) {
        if (!(index <= last)) {
            index = last;
            clamped = true;
        }
    }
    if (clamped)
        QRX_LOAD_WARNING("Mesh \"%s\" names joints past its %u; they are moved to joint %d.", id.c_str(),
                         unsigned(std::min<std::size_t>(jointCount, MAX_SKIN_JOINTS)), int(last));
}

bool GLBuffersAvailable()
{
    return glGenBuffers && glBindBuffer && glBufferData && glDeleteBuffers;
}

unsigned int MakeBuffer(GLenum target, const void* data, std::size_t size)
{
    GLuint name = 0;
    glGenBuffers(1, &name);
    glBindBuffer(target, name);
    glBufferData(target, GLsizeiptr(size), size ? data : nullptr, GL_STATIC_DRAW);
    glBindBuffer(target, 0);
    return name;
}

} // namespace

MeshManager::MeshManager() = default;

MeshManager::~MeshManager()
{
    std::cout << "Releasing all meshes including default mesh\n";
    std::cout.flush();
    ReleaseAllMeshesAndDefault();
}

void MeshManager::Initialize()
{
    LoadMeshPaths();
    LoadMesh(DEFAULT_MESH_ID);
}

void MeshManager::LoadMeshPaths()
{
    m_paths.clear();
    FileManager* files = System::GetInstance()->fileManager;
    if (!files || !files->OpenFile(CATALOGUE_PATH)) {
        QRX_LOG_WARNING("Unable to open meshes.xml file, aborting.");
        return;
    }
    files->ReadGenericData(CATALOGUE_PATH);
    int count = files->GetEntryCount(CATALOGUE_PATH);
    for (int i = 0; i < count; ++i) {
        std::string id = files->ReadData<std::string>(CATALOGUE_PATH, "MeshId", unsigned(i));
        std::string path = files->ReadData<std::string>(CATALOGUE_PATH, "Path", unsigned(i));
        if (id == MISSING_TEXT || path == MISSING_TEXT) {
            QRX_LOG_WARNING("Entry %d of meshes.xml lacks its MeshId or Path and is skipped.", i);
            continue;
        }
        m_paths.insert(std::make_pair(id, path));  // the first entry of an id wins
    }
    files->CloseFile(CATALOGUE_PATH);
}

std::string MeshManager::GetMeshPath(const std::string& id) const
{
    auto it = m_paths.find(id);
    return it == m_paths.end() ? std::string() : it->second;
}

Mesh* MeshManager::FindMesh(const std::string& id) const
{
    auto it = m_meshes.find(id);
    return it == m_meshes.end() ? nullptr : it->second;
}

bool MeshManager::LoadMesh(const std::string& id)
{
    return Load(id, false, false, nullptr, nullptr);
}

bool MeshManager::LoadComponentMesh(const std::string& id, bool ownerIsPlayer, MeshBounds& bounds, bool& boundsSet)
{
    return Load(id, true, ownerIsPlayer, &bounds, &boundsSet);
}

bool MeshManager::Load(const std::string& id, bool componentRoad, bool ownerIsPlayer, MeshBounds* bounds,
                       bool* boundsSet)
{
    if (FindMesh(id)) return true;
    // "error" never maps to itself: it comes from its file or is built.
    if (id == DEFAULT_MESH_ID) return LoadDefaultMesh();

    std::string path = GetMeshPath(id);
    if (path.empty()) {
        if (componentRoad)
            QRX_LOAD_WARNING("Mesh cannot be loaded. Defaulting id \"%s\" to point to an error mesh instead.", id.c_str());
        else
            QRX_LOAD_WARNING("\"%s\" mesh cannot be loaded. Defaulting \"%s\" to point to an \"error\" mesh.",
                             id.c_str(), id.c_str());
        return MapToDefault(id);
    }

    bool animatedId = id == ANIMATED_MESH_ID;
    MeshData mesh;
    Skeleton skeleton;
    ReadOutcome outcome = ReadModelFile(id, path, !componentRoad || animatedId, animatedId, mesh, skeleton);
    if (outcome == ReadOutcome::CannotOpen) {
        QRX_LOAD_WARNING("Problem opening model file!");
        return false;
    }
    if (outcome == ReadOutcome::Damaged) return MapToDefault(id);

    if (componentRoad && bounds && boundsSet) {
        *bounds = ComputeBounds(mesh, ownerIsPlayer);
        *boundsSet = true;
    }

    bool animated = false;
    if (animatedId && skeleton.jointCount > 0) {
        bool weighted = mesh.IsSkinned() && mesh.weights.size() == mesh.vertices.size() * WEIGHTS_PER_VERTEX &&
                        mesh.jointIndices.size() == mesh.weights.size();
        if (weighted) {
            ClampJointIndices(id, mesh, skeleton.jointCount);
            animated = true;
        } else {
            QRX_LOAD_WARNING("Mesh \"%s\" has a skeleton but its vertices carry no weights; it is drawn still.",
                             id.c_str());
        }
    }

    Mesh* record = CreateRecord(id, mesh, std::move(skeleton), animated);
    if (!record) {
        QRX_LOAD_WARNING("Probably ran out of memory :(");
        return false;
    }
    if (!m_meshes.insert(std::make_pair(id, record)).second) {
        QRX_LOAD_WARNING("Mesh already loaded before. Duplicate meshId found - %s.", id.c_str());
        record->Release();
        delete record;
        return false;
    }
    return true;
}

bool MeshManager::LoadDefaultMesh()
{
    if (FindMesh(DEFAULT_MESH_ID)) return true;
    std::string path = GetMeshPath(DEFAULT_MESH_ID);
    MeshData mesh;
    Skeleton skeleton;
    ReadOutcome outcome = ReadOutcome::CannotOpen;
    if (!path.empty()) {
        outcome = ReadModelFile(DEFAULT_MESH_ID, path, true, false, mesh, skeleton);
        if (outcome == ReadOutcome::CannotOpen) QRX_LOAD_WARNING("Problem opening model file!");
    }
    if (outcome != ReadOutcome::Read) {
        QRX_LOAD_WARNING("The \"error\" mesh cannot be loaded from the catalogue; a built-in cube stands in for it.");
        mesh = MakeCubeMesh(BUILT_IN_DEFAULT_EDGE);
        skeleton = Skeleton();
    }
    Mesh* record = CreateRecord(DEFAULT_MESH_ID, mesh, std::move(skeleton), false);
    if (!record) {
        QRX_LOAD_WARNING("Probably ran out of memory :(");
        return false;
    }
    m_meshes[DEFAULT_MESH_ID] = record;
    return true;
}

Mesh* MeshManager::DefaultMesh()
{
    if (!FindMesh(DEFAULT_MESH_ID)) LoadDefaultMesh();
    return FindMesh(DEFAULT_MESH_ID);
}

bool MeshManager::MapToDefault(const std::string& id)
{
    Mesh* fallback = DefaultMesh();
    if (!fallback) return false;
    if (!m_meshes.insert(std::make_pair(id, fallback)).second) {
        QRX_LOAD_WARNING("Mesh already loaded before. Duplicate meshId found - %s.", id.c_str());
        return false;
    }
    return true;
}

Mesh* MeshManager::CreateRecord(const std::string& id, const MeshData& mesh, Skeleton&& skeleton, bool animated)
{
    Mesh* record = new (std::nothrow) Mesh();
    if (!record) return nullptr;
    record->id = id;
    record->indexCount = std::uint32_t(mesh.indices.size());
    record->skeleton = std::move(skeleton);
    if (!GLBuffersAvailable()) {
        if (!m_reportedNoGL)
            QRX_LOAD_REPORT(::QRX::LOG_ERROR, "No OpenGL context is ready: meshes are kept without their buffers.");
        m_reportedNoGL = true;
        return record;
    }
    record->vertexBuffer = MakeBuffer(GL_ARRAY_BUFFER, mesh.vertices.data(), mesh.vertices.size() * sizeof(Vertex));
    record->indexBuffer =
        MakeBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh.indices.data(), mesh.indices.size() * sizeof(std::uint32_t));
    if (animated) {
        record->weightBuffer = MakeBuffer(GL_ARRAY_BUFFER, mesh.weights.data(), mesh.weights.size() * sizeof(float));
        record->jointIndexBuffer =
            MakeBuffer(GL_ARRAY_BUFFER, mesh.jointIndices.data(), mesh.jointIndices.size() * sizeof(float));
        record->animated = true;
    }
    return record;
}

Mesh* MeshManager::GetMesh(const std::string& id)
{
    if (Mesh* mesh = FindMesh(id)) return mesh;
    if (LoadMesh(id)) {
        if (Mesh* mesh = FindMesh(id)) return mesh;
    }
    return DefaultMesh();
}

MeshBoundingSphere MeshManager::ComputeBoundingSphere(const MeshData& mesh, bool ownerIsPlayer)
{
    MeshBoundingSphere sphere;
    if (mesh.vertices.empty()) return sphere;
    glm::vec3 lo(mesh.vertices.front().position), hi(lo);
    for (const Vertex& v : mesh.vertices) {
        lo = glm::min(lo, glm::vec3(v.position));
        hi = glm::max(hi, glm::vec3(v.position));
    }
    if (ownerIsPlayer) lo = hi = glm::vec3(0.0f);
    sphere.radius = glm::length(hi - lo) * 0.5f;
    sphere.centre = (lo + hi) * 0.5f;
    for (const Vertex& v : mesh.vertices) {
        glm::vec3 p(v.position);
        float d = glm::length(sphere.centre - p);
        if (d > sphere.radius) {
            // The new sphere spans from p to the point of the old one opposite p.
            glm::vec3 far = sphere.centre + (sphere.centre - p) * (sphere.radius / d);
            glm::vec3 half = (far - p) * 0.5f;
            sphere.radius = glm::length(half);
            sphere.centre = p + half;
        }
    }
    return sphere;
}

MeshBoundingBox MeshManager::ComputeBoundingBox(const MeshData& mesh)
{
    MeshBoundingBox box;
    if (mesh.vertices.empty()) return box;
    glm::vec3 lo(mesh.vertices.front().position), hi(lo);
    for (const Vertex& v : mesh.vertices) {
        lo = glm::min(lo, glm::vec3(v.position));
        hi = glm::max(hi, glm::vec3(v.position));
    }
    box.centre = (lo + hi) * 0.5f;
    box.halfExtents = hi - box.centre;
    return box;
}

MeshBounds MeshManager::ComputeBounds(const MeshData& mesh, bool ownerIsPlayer)
{
    MeshBounds bounds;
    bounds.sphere = ComputeBoundingSphere(mesh, ownerIsPlayer);
    bounds.box = ComputeBoundingBox(mesh);
    bounds.sphereMatrix = glm::scale(glm::translate(glm::mat4(1.0f), bounds.sphere.centre),
                                     glm::vec3(2.0f * bounds.sphere.radius));
    bounds.boxMatrix =
        glm::scale(glm::translate(glm::mat4(1.0f), bounds.box.centre), bounds.box.halfExtents * 2.0f);
    return bounds;
}

void MeshManager::ReleaseAllMeshes()
{
    QRX_LOG_INFO("Releasing all meshes except default mesh");
    for (auto it = m_meshes.begin(); it != m_meshes.end();) {
        Mesh* record = it->second;
        if (record->id == DEFAULT_MESH_ID) {
            ++it;
            continue;
        }
        record->Release();
        delete record;
        it = m_meshes.erase(it);
    }
}

void MeshManager::ReleaseAllMeshesAndDefault()
{
    ReleaseAllMeshes();
    auto it = m_meshes.find(DEFAULT_MESH_ID);
    if (it != m_meshes.end()) {
        it->second->Release();
        delete it->second;
    }
    m_meshes.clear();
}

void MeshManager::ReloadAllMeshes()
{
    LoadMeshPaths();
    LoadMesh(DEFAULT_MESH_ID);

    // The meshes of the objects in play come back at once; only "robot" needs
    // the component road (its skinning buffers).
    System* system = System::PeekInstance();
    if (!system || !system->objectManager) return;
    const GameObjectGroup objects = system->objectManager->GetAllObjectsAndPersistent();
    for (GameObject* object : objects) {
        if (auto* graphics = static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS))) {
            if (graphics->m_meshId == ANIMATED_MESH_ID) graphics->LoadMesh();
            else LoadMesh(graphics->m_meshId);
        }
        if (auto* gui = static_cast<GUIComponent*>(object->GetComponent(CT_GUI))) LoadMesh(gui->m_meshId);
    }
}

} // namespace QRX
