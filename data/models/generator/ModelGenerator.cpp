// Makes the game's models: data/models/<id>.bin for every mesh id the game
// names, and the mesh catalogue data/meshes.xml that maps the ids to them.
//
// Usage: modelgen [root]   (root defaults to the working directory; the files
// go to root/data/models and root/data/meshes.xml). The output is committed;
// run this again from the repository root after changing a model.
//
// Conventions: y is up, one level grid cell is one unit, every model is
// centred on the origin, triangles wind counter-clockwise seen from outside.
// The robot faces -x (its left is +z), stands from y -0.5 to 0.5 and is the
// one skinned model: a skeleton of rigid parts and a looping walk.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <glm/glm.hpp>

#include "engine/graphics/ModelShapes.h"
#include "engine/graphics/ModelWriter.h"

using namespace QRX;

namespace {

constexpr float PI = 3.14159265358979f;
constexpr int SPHERE_SLICES = 32;
constexpr int SPHERE_STACKS = 16;
constexpr float ROUNDED_RADIUS = 0.1f;   // corner radius of "cube_rounded"
constexpr int ROUNDED_SEGMENTS = 3;      // steps across each half of a rounded edge
constexpr float WALK_PERIOD = 0.8f;      // seconds per walk cycle
constexpr int WALK_SEGMENTS = 32;        // keys per cycle (rotations step from key to key)

void AppendTriangle(MeshData& mesh, const glm::vec3& a, const glm::vec3& b, const glm::vec3& c,
                    const glm::vec2& ua, const glm::vec2& ub, const glm::vec2& uc)
{
    glm::vec3 normal = glm::normalize(glm::cross(b - a, c - a));
    const glm::vec3 points[3] = {a, b, c};
    const glm::vec2 uvs[3] = {ua, ub, uc};
    for (int i = 0; i < 3; ++i) {
        Vertex vertex;
        vertex.position = glm::vec4(points[i], 1.0f);
        vertex.normal = glm::vec4(normal, 1.0f);
        vertex.texCoord = uvs[i];
        mesh.indices.push_back(std::uint32_t(mesh.vertices.size()));
        mesh.vertices.push_back(vertex);
    }
}

// The six faces of a cube: outward normal and in-face directions (u x v = n).
struct Face
{
    glm::vec3 n, u, v;
};
const Face CUBE_FACES[6] = {
    {{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}, {{-1, 0, 0}, {0, 0, 1}, {0, 1, 0}},
    {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},  {{0, 0, -1}, {-1, 0, 0}, {0, 1, 0}},
    {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}}, {{0, -1, 0}, {1, 0, 0}, {0, 0, 1}},
};

// "error": a small cube with a pyramid spike on every face, hard to mistake
// for anything the game means to show. Fits the unit cube.
ModelSource MakeErrorModel()
{
    ModelSource model;
    const float half = 0.17f;  // well inside the tips, so each spike stands out
    for (const Face& face : CUBE_FACES) {
        glm::vec3 centre = face.n * half;
        glm::vec3 tip = face.n * 0.5f;
        glm::vec3 corners[4] = {centre + (-face.u - face.v) * half, centre + (face.u - face.v) * half,
                                centre + (face.u + face.v) * half, centre + (-face.u + face.v) * half};
        const glm::vec2 uvs[4] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int i = 0; i < 4; ++i) {
            int j = (i + 1) % 4;
            AppendTriangle(model.mesh, corners[i], corners[j], tip, uvs[i], uvs[j], {0.5f, 0.5f});
        }
    }
    return model;
}

ModelSource MakeCubeModel()
{
    ModelSource model;
    model.mesh = MakeCubeMesh(1.0f);
    return model;
}

// A sphere of diameter 1. Inverted: normals inward, triangles wound to face
// the inside and the texture mirrored so it reads right from within (the sky).
ModelSource MakeSphereModel(bool inverted)
{
    ModelSource model;
    MeshData& mesh = model.mesh;
    const float radius = 0.5f;
    for (int i = 0; i <= SPHERE_STACKS; ++i) {
        float phi = PI * float(i) / float(SPHERE_STACKS);
        for (int j = 0; j <= SPHERE_SLICES; ++j) {
            float theta = 2.0f * PI * float(j) / float(SPHERE_SLICES);
            glm::vec3 direction(std::sin(phi) * std::sin(theta), std::cos(phi), std::sin(phi) * std::cos(theta));
            if (j == SPHERE_SLICES) direction = glm::vec3(0.0f, std::cos(phi), std::sin(phi));  // exact seam
            Vertex vertex;
            vertex.position = glm::vec4(direction * radius, 1.0f);
            vertex.normal = glm::vec4(inverted ? -direction : direction, 1.0f);
            float u = float(j) / float(SPHERE_SLICES);
            vertex.texCoord = glm::vec2(inverted ? 1.0f - u : u, 1.0f - float(i) / float(SPHERE_STACKS));
            mesh.vertices.push_back(vertex);
        }
    }
    const std::uint32_t row = SPHERE_SLICES + 1;
    for (int i = 0; i < SPHERE_STACKS; ++i) {
        for (int j = 0; j < SPHERE_SLICES; ++j) {
            std::uint32_t a = std::uint32_t(i) * row + std::uint32_t(j);
            std::uint32_t b = a + row, c = b + 1, d = a + 1;
            // Outward: (a, b, c) and (a, c, d); the pole rows drop the triangle
            // that collapses to a point.
            if (i != SPHERE_STACKS - 1) {
                for (std::uint32_t index : inverted ? std::vector<std::uint32_t>{a, c, b}
                                                    : std::vector<std::uint32_t>{a, b, c})
                    mesh.indices.push_back(index);
            }
            if (i != 0) {
                for (std::uint32_t index : inverted ? std::vector<std::uint32_t>{a, d, c}
                                                    : std::vector<std::uint32_t>{a, c, d})
                    mesh.indices.push_back(index);
            }
        }
    }
    return model;
}

// "2dplane": an edge-1 quad in XY at z 0, uv 0..1. Both sides are built (the
// back one mirrored) because back faces are culled and some user-interface
// quads are turned half a turn about y: from either side the texture reads
// the right way round.
ModelSource MakePlaneModel()
{
    ModelSource model;
    AppendQuad(model.mesh, {-0.5f, -0.5f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    AppendQuad(model.mesh, {0.5f, -0.5f, 0.0f}, {-1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f});
    return model;
}

// "cube_rounded": an edge-1 cube whose edges and corners are rounded. Each
// face is a grid whose outer rows bend onto a quarter circle; the points are
// spaced by equal angles so the rounding is even.
ModelSource MakeRoundedCubeModel()
{
    ModelSource model;
    MeshData& mesh = model.mesh;
    const float inner = 0.5f - ROUNDED_RADIUS;
    std::vector<float> coords;
    for (int k = ROUNDED_SEGMENTS; k >= 1; --k)
        coords.push_back(-inner - ROUNDED_RADIUS * std::tan(0.25f * PI * float(k) / float(ROUNDED_SEGMENTS)));
    coords.push_back(-inner);
    coords.push_back(inner);
    for (int k = 1; k <= ROUNDED_SEGMENTS; ++k)
        coords.push_back(inner + ROUNDED_RADIUS * std::tan(0.25f * PI * float(k) / float(ROUNDED_SEGMENTS)));
    coords.front() = -0.5f;
    coords.back() = 0.5f;

    const std::uint32_t count = std::uint32_t(coords.size());
    for (const Face& face : CUBE_FACES) {
        std::uint32_t base = std::uint32_t(mesh.vertices.size());
        for (std::uint32_t j = 0; j < count; ++j) {
            for (std::uint32_t i = 0; i < count; ++i) {
                glm::vec3 onCube = face.n * 0.5f + face.u * coords[i] + face.v * coords[j];
                glm::vec3 core = glm::clamp(onCube, glm::vec3(-inner), glm::vec3(inner));
                glm::vec3 normal = glm::normalize(onCube - core);
                Vertex vertex;
                vertex.position = glm::vec4(core + normal * ROUNDED_RADIUS, 1.0f);
                vertex.normal = glm::vec4(normal, 1.0f);
                vertex.texCoord = glm::vec2(coords[i] + 0.5f, coords[j] + 0.5f);
                mesh.vertices.push_back(vertex);
            }
        }
        for (std::uint32_t j = 0; j + 1 < count; ++j) {
            for (std::uint32_t i = 0; i + 1 < count; ++i) {
                std::uint32_t a = base + j * count + i;
                std::uint32_t b = a + 1, c = a + count + 1, d = a + count;
                const std::uint32_t quad[6] = {a, b, c, a, c, d};
                for (std::uint32_t index : quad) mesh.indices.push_back(index);
            }
        }
    }
    return model;
}

// "door": a block that fills one grid cell (a door slides one cell to open),
// a slab with a raised panel on its front and back.
ModelSource MakeDoorModel()
{
    ModelSource model;
    AppendBox(model.mesh, {0.0f, 0.0f, 0.0f}, {1.0f, 1.0f, 0.8f});
    AppendBox(model.mesh, {0.0f, 0.0f, 0.45f}, {0.8f, 0.8f, 0.1f});
    AppendBox(model.mesh, {0.0f, 0.0f, -0.45f}, {0.8f, 0.8f, 0.1f});
    return model;
}

// The robot's joints, bind positions in model space (no bind rotation).
enum RobotJoint {
    PELVIS, TORSO, HEAD, UPPERARM_L, FOREARM_L, UPPERARM_R, FOREARM_R, THIGH_L, SHIN_L, THIGH_R, SHIN_R,
    ROBOT_JOINT_COUNT
};

struct RobotJointSpec
{
    const char* name;
    int parent;
    glm::vec3 position;
};

const RobotJointSpec ROBOT_JOINTS[ROBOT_JOINT_COUNT] = {
    {"pelvis", -1, {0.0f, -0.14f, 0.0f}},          {"torso", PELVIS, {0.0f, -0.06f, 0.0f}},
    {"head", TORSO, {0.0f, 0.26f, 0.0f}},          {"upperarm_l", TORSO, {0.0f, 0.2f, 0.22f}},
    {"forearm_l", UPPERARM_L, {0.0f, 0.04f, 0.22f}}, {"upperarm_r", TORSO, {0.0f, 0.2f, -0.22f}},
    {"forearm_r", UPPERARM_R, {0.0f, 0.04f, -0.22f}}, {"thigh_l", PELVIS, {0.0f, -0.16f, 0.09f}},
    {"shin_l", THIGH_L, {0.0f, -0.32f, 0.09f}},    {"thigh_r", PELVIS, {0.0f, -0.16f, -0.09f}},
    {"shin_r", THIGH_R, {0.0f, -0.32f, -0.09f}},
};

struct RobotPart
{
    glm::vec3 centre, size;
    int joint;
};

const RobotPart ROBOT_PARTS[] = {
    {{0.0f, -0.14f, 0.0f}, {0.18f, 0.08f, 0.26f}, PELVIS},
    {{0.0f, 0.09f, 0.0f}, {0.28f, 0.3f, 0.34f}, TORSO},
    {{-0.145f, 0.12f, 0.0f}, {0.01f, 0.1f, 0.14f}, TORSO},      // chest panel
    {{0.0f, 0.255f, 0.0f}, {0.08f, 0.03f, 0.08f}, HEAD},        // neck
    {{0.0f, 0.36f, 0.0f}, {0.24f, 0.18f, 0.24f}, HEAD},
    {{-0.125f, 0.37f, 0.0f}, {0.02f, 0.05f, 0.18f}, HEAD},      // visor
    {{0.0f, 0.475f, 0.0f}, {0.02f, 0.05f, 0.02f}, HEAD},        // antenna
    {{0.0f, 0.12f, 0.22f}, {0.09f, 0.18f, 0.09f}, UPPERARM_L},
    {{0.0f, -0.04f, 0.22f}, {0.08f, 0.14f, 0.08f}, FOREARM_L},
    {{-0.02f, -0.13f, 0.22f}, {0.1f, 0.05f, 0.09f}, FOREARM_L}, // hand
    {{0.0f, 0.12f, -0.22f}, {0.09f, 0.18f, 0.09f}, UPPERARM_R},
    {{0.0f, -0.04f, -0.22f}, {0.08f, 0.14f, 0.08f}, FOREARM_R},
    {{-0.02f, -0.13f, -0.22f}, {0.1f, 0.05f, 0.09f}, FOREARM_R},
    {{0.0f, -0.24f, 0.09f}, {0.1f, 0.16f, 0.1f}, THIGH_L},
    {{0.0f, -0.39f, 0.09f}, {0.09f, 0.14f, 0.09f}, SHIN_L},
    {{-0.03f, -0.48f, 0.09f}, {0.18f, 0.04f, 0.11f}, SHIN_L},   // foot
    {{0.0f, -0.24f, -0.09f}, {0.1f, 0.16f, 0.1f}, THIGH_R},
    {{0.0f, -0.39f, -0.09f}, {0.09f, 0.14f, 0.09f}, SHIN_R},
    {{-0.03f, -0.48f, -0.09f}, {0.18f, 0.04f, 0.11f}, SHIN_R},
};

KeyFrame MakeKey(float time, const glm::vec3& translation, const glm::vec3& axis, float angle)
{
    KeyFrame key;
    key.time = time;
    key.T[0] = translation.x * KEY_TRANSLATION_X_SCALE;  // playback divides x by the same
    key.T[1] = translation.y;
    key.T[2] = translation.z;
    float s = std::sin(0.5f * angle);
    key.R[0] = axis.x * s;
    key.R[1] = axis.y * s;
    key.R[2] = axis.z * s;
    key.R[3] = std::cos(0.5f * angle);
    return key;
}

ModelSource MakeRobotModel()
{
    ModelSource model;
    MeshData& mesh = model.mesh;
    mesh.meshType = MESH_TYPE_SKINNED;
    for (const RobotPart& part : ROBOT_PARTS) {
        std::size_t first = mesh.vertices.size();
        AppendBox(mesh, part.centre, part.size);
        for (std::size_t v = first; v < mesh.vertices.size(); ++v) {
            const float weights[4] = {1.0f, 0.0f, 0.0f, 0.0f};
            const float joints[4] = {float(part.joint), 0.0f, 0.0f, 0.0f};
            mesh.weights.insert(mesh.weights.end(), weights, weights + 4);
            mesh.jointIndices.insert(mesh.jointIndices.end(), joints, joints + 4);
        }
    }

    model.hasSkeleton = true;
    for (const RobotJointSpec& spec : ROBOT_JOINTS) {
        JointSource joint;
        joint.name = spec.name;
        joint.parent = spec.parent;
        joint.bindTranslation[0] = spec.position.x;
        joint.bindTranslation[1] = spec.position.y;
        joint.bindTranslation[2] = spec.position.z;
        model.joints.push_back(joint);
    }

    // The walk: legs swing about the lateral axis (z), knees bend as a leg
    // comes forward, arms swing against the legs, the torso turns a little
    // and the pelvis bobs and sways twice a cycle. Key 0 and the last key are
    // the same pose, so the loop joins up.
    model.hasAnimation = true;
    model.tracks.resize(ROBOT_JOINT_COUNT);
    const glm::vec3 lateral(0.0f, 0.0f, 1.0f), vertical(0.0f, 1.0f, 0.0f);
    for (int i = 0; i <= WALK_SEGMENTS; ++i) {
        float time = WALK_PERIOD * float(i) / float(WALK_SEGMENTS);
        float phase = 2.0f * PI * float(i % WALK_SEGMENTS) / float(WALK_SEGMENTS);
        float swing = std::sin(phase);
        float bob = 0.5f * (1.0f - std::cos(2.0f * phase));
        for (int j = 0; j < ROBOT_JOINT_COUNT; ++j) {
            const RobotJointSpec& spec = ROBOT_JOINTS[j];
            glm::vec3 offset = spec.parent < 0 ? spec.position : spec.position - ROBOT_JOINTS[spec.parent].position;
            glm::vec3 axis = lateral;
            float angle = 0.0f;
            switch (j) {
            case PELVIS: offset += glm::vec3(-0.008f * std::sin(2.0f * phase), 0.015f * bob, 0.0f); break;
            case TORSO: axis = vertical; angle = 0.08f * swing; break;
            case UPPERARM_L: angle = -0.4f * swing; break;
            case UPPERARM_R: angle = 0.4f * swing; break;
            case FOREARM_L:
            case FOREARM_R: angle = -0.3f; break;
            case THIGH_L: angle = 0.5f * swing; break;
            case THIGH_R: angle = -0.5f * swing; break;
            case SHIN_L: angle = 0.6f * std::max(0.0f, -swing); break;
            case SHIN_R: angle = 0.6f * std::max(0.0f, swing); break;
            default: break;
            }
            model.tracks[std::size_t(j)].push_back(MakeKey(time, offset, axis, angle));
        }
    }
    return model;
}

struct Entry
{
    const char* id;
    ModelSource (*make)();
};

ModelSource MakeSphere() { return MakeSphereModel(false); }
ModelSource MakeSphereInverted() { return MakeSphereModel(true); }

const Entry MODELS[] = {
    {"error", MakeErrorModel},         {"cubey", MakeCubeModel},     {"sphere", MakeSphere},
    {"sphereinverted", MakeSphereInverted}, {"2dplane", MakePlaneModel}, {"cube_rounded", MakeRoundedCubeModel},
    {"door", MakeDoorModel},           {"robot", MakeRobotModel},
};

} // namespace

int main(int argc, char** argv)
{
    std::string root = argc > 1 ? argv[1] : ".";
    std::error_code error;
    std::filesystem::create_directories(root + "/data/models", error);
    if (error) {
        std::fprintf(stderr, "modelgen: cannot make %s/data/models: %s\n", root.c_str(), error.message().c_str());
        return 1;
    }

    std::string catalogue = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Meshes>\n";
    for (const Entry& entry : MODELS) {
        std::string path = std::string("data/models/") + entry.id + ".bin";
        ModelSource model = entry.make();
        if (!SaveModelFile(root + "/" + path, model)) {
            std::fprintf(stderr, "modelgen: cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%-16s %6zu vertices %6zu indices %3zu joints\n", entry.id, model.mesh.vertices.size(),
                    model.mesh.indices.size(), model.joints.size());
        catalogue += "    <Mesh>\n        <MeshId>" + std::string(entry.id) + "</MeshId>\n        <Path>" + path +
                     "</Path>\n    </Mesh>\n";
    }
    catalogue += "</Meshes>\n";
    if (!SaveBytesToFile(root + "/data/meshes.xml", catalogue)) {
        std::fprintf(stderr, "modelgen: cannot write data/meshes.xml\n");
        return 1;
    }
    return 0;
}
