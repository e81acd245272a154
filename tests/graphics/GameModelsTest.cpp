// The game's models under data/models: each reads cleanly, has the size and
// facing its users expect, and the committed files are what the generator makes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>

#include <tinyxml2.h>

#include "engine/graphics/Animation.h"
#include "engine/graphics/BinaryFileManager.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

struct Model
{
    MeshData mesh;
    Skeleton skeleton;
    bool good = false;
};

Model ReadModel(const std::string& path)
{
    Model m;
    BinaryFileManager reader;
    reader.Initialize();
    EXPECT_TRUE(reader.OpenFile(path)) << path;
    testing::internal::CaptureStdout();
    std::uint32_t outer = reader.BeginChunk(CHUNK_MODEL);
    reader.ReadMeshChunk(m.mesh);
    bool afterMesh = reader.IsGood();
    reader.ReadSkeletonChunk(m.skeleton);
    reader.ReadAnimationChunk(m.skeleton);
    reader.EndChunk(outer);
    testing::internal::GetCapturedStdout();
    m.good = afterMesh;
    reader.CloseFile();
    return m;
}

// Mesh id -> path, from the catalogue.
std::map<std::string, std::string> Catalogue(const std::string& root)
{
    std::map<std::string, std::string> result;
    tinyxml2::XMLDocument doc;
    EXPECT_EQ(doc.LoadFile((root + "/data/meshes.xml").c_str()), tinyxml2::XML_SUCCESS);
    const tinyxml2::XMLElement* meshes = doc.FirstChildElement("Meshes");
    if (!meshes) return result;
    for (const tinyxml2::XMLElement* e = meshes->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const tinyxml2::XMLElement* id = e->FirstChildElement("MeshId");
        const tinyxml2::XMLElement* path = e->FirstChildElement("Path");
        if (id && path && id->GetText() && path->GetText()) result[id->GetText()] = path->GetText();
    }
    return result;
}

std::string Root() { return TestSupport::SourceDir(); }

Model Load(const std::string& id)
{
    return ReadModel(Root() + "/" + Catalogue(Root())[id]);
}

void Bounds(const MeshData& mesh, glm::vec3& lo, glm::vec3& hi)
{
    lo = glm::vec3(1e9f);
    hi = glm::vec3(-1e9f);
    for (const Vertex& v : mesh.vertices) {
        lo = glm::min(lo, glm::vec3(v.position));
        hi = glm::max(hi, glm::vec3(v.position));
    }
}

void ExpectVec(const glm::vec3& a, const glm::vec3& b, float eps = 1e-5f)
{
    EXPECT_NEAR(a.x, b.x, eps);
    EXPECT_NEAR(a.y, b.y, eps);
    EXPECT_NEAR(a.z, b.z, eps);
}

const char* const GAME_MESH_IDS[] = {"error", "cubey", "sphere", "sphereinverted", "2dplane",
                                     "cube_rounded", "door", "robot"};

} // namespace

TEST(GameModels, CatalogueNamesEveryGameMesh)
{
    std::map<std::string, std::string> catalogue = Catalogue(Root());
    for (const char* id : GAME_MESH_IDS) EXPECT_EQ(catalogue.count(id), 1u) << id;
}

TEST(GameModels, EveryModelIsWellFormedAndWindsOutward)
{
    for (const auto& entry : Catalogue(Root())) {
        SCOPED_TRACE(entry.first);
        Model m = ReadModel(Root() + "/" + entry.second);
        ASSERT_TRUE(m.good);
        ASSERT_FALSE(m.mesh.indices.empty());
        ASSERT_EQ(m.mesh.indices.size() % 3, 0u);
        for (std::uint32_t index : m.mesh.indices) ASSERT_LT(index, m.mesh.vertices.size());
        glm::vec3 lo, hi;
        Bounds(m.mesh, lo, hi);
        EXPECT_GE(lo.x, -0.5f - 1e-5f);
        EXPECT_GE(lo.y, -0.5f - 1e-5f);
        EXPECT_GE(lo.z, -0.5f - 1e-5f);
        EXPECT_LE(hi.x, 0.5f + 1e-5f);
        EXPECT_LE(hi.y, 0.5f + 1e-5f);
        EXPECT_LE(hi.z, 0.5f + 1e-5f);
        // Counter-clockwise seen from the side the normals face.
        for (std::size_t t = 0; t < m.mesh.indices.size(); t += 3) {
            const Vertex& a = m.mesh.vertices[m.mesh.indices[t]];
            const Vertex& b = m.mesh.vertices[m.mesh.indices[t + 1]];
            const Vertex& c = m.mesh.vertices[m.mesh.indices[t + 2]];
            glm::vec3 face = glm::cross(glm::vec3(b.position - a.position), glm::vec3(c.position - a.position));
            ASSERT_GT(glm::length(face), 0.0f) << "degenerate triangle " << t / 3;
            glm::vec3 normals = glm::vec3(a.normal) + glm::vec3(b.normal) + glm::vec3(c.normal);
            ASSERT_GT(glm::dot(face, normals), 0.0f) << "triangle " << t / 3;
        }
        for (const Vertex& v : m.mesh.vertices) {
            EXPECT_NEAR(glm::length(glm::vec3(v.normal)), 1.0f, 1e-4f);
            EXPECT_GE(v.texCoord.x, -1e-6f);
            EXPECT_LE(v.texCoord.x, 1.0f + 1e-6f);
            EXPECT_GE(v.texCoord.y, -1e-6f);
            EXPECT_LE(v.texCoord.y, 1.0f + 1e-6f);
        }
        if (entry.first != "robot") {
            EXPECT_EQ(m.mesh.meshType, MESH_TYPE_STATIC);
            EXPECT_TRUE(m.skeleton.joints.empty());
        }
    }
}

TEST(GameModels, UnitShapes)
{
    glm::vec3 lo, hi;
    for (const char* id : {"cubey", "cube_rounded", "door"}) {
        SCOPED_TRACE(id);
        Bounds(Load(id).mesh, lo, hi);
        ExpectVec(lo, glm::vec3(-0.5f));
        ExpectVec(hi, glm::vec3(0.5f));
    }
    Model cube = Load("cubey");
    EXPECT_EQ(cube.mesh.vertices.size(), 24u);
    EXPECT_EQ(cube.mesh.indices.size(), 36u);

    Model sphere = Load("sphere");
    for (const Vertex& v : sphere.mesh.vertices) {
        EXPECT_NEAR(glm::length(glm::vec3(v.position)), 0.5f, 1e-5f);
        EXPECT_GT(glm::dot(glm::vec3(v.position), glm::vec3(v.normal)), 0.0f);
    }
    Model sky = Load("sphereinverted");
    for (const Vertex& v : sky.mesh.vertices) {
        EXPECT_NEAR(glm::length(glm::vec3(v.position)), 0.5f, 1e-5f);
        EXPECT_LT(glm::dot(glm::vec3(v.position), glm::vec3(v.normal)), 0.0f);  // faces inward
    }

    // The rounded cube's faces are flat in the middle and curve onto the edges.
    Model rounded = Load("cube_rounded");
    bool flatCentre = false, curvedEdge = false;
    for (const Vertex& v : rounded.mesh.vertices) {
        if (std::fabs(v.normal.y - 1.0f) < 1e-6f && std::fabs(v.position.y - 0.5f) < 1e-6f) flatCentre = true;
        if (std::fabs(v.normal.x - v.normal.y) < 1e-5f && v.normal.x > 0.5f) curvedEdge = true;
    }
    EXPECT_TRUE(flatCentre);
    EXPECT_TRUE(curvedEdge);
}

TEST(GameModels, PlaneReadsTheRightWayRoundFromBothSides)
{
    Model plane = Load("2dplane");
    glm::vec3 lo, hi;
    Bounds(plane.mesh, lo, hi);
    ExpectVec(lo, glm::vec3(-0.5f, -0.5f, 0.0f));
    ExpectVec(hi, glm::vec3(0.5f, 0.5f, 0.0f));
    bool front = false, back = false;
    for (std::size_t t = 0; t < plane.mesh.indices.size(); t += 3) {
        const Vertex& v = plane.mesh.vertices[plane.mesh.indices[t]];
        // Seen from its own side, u grows to the viewer's right and v upward.
        float right = v.normal.z > 0 ? v.position.x : -v.position.x;
        EXPECT_NEAR(v.texCoord.x, right + 0.5f, 1e-6f);
        EXPECT_NEAR(v.texCoord.y, v.position.y + 0.5f, 1e-6f);
        (v.normal.z > 0 ? front : back) = true;
    }
    EXPECT_TRUE(front);
    EXPECT_TRUE(back);
}

TEST(GameModels, RobotIsOneSkinnedSkeletonWithALoopingWalk)
{
    Model robot = Load("robot");
    const MeshData& mesh = robot.mesh;
    const Skeleton& s = robot.skeleton;
    ASSERT_EQ(mesh.meshType, MESH_TYPE_SKINNED);
    ASSERT_EQ(mesh.weights.size(), mesh.vertices.size() * 4);
    ASSERT_EQ(mesh.jointIndices.size(), mesh.vertices.size() * 4);
    ASSERT_GE(s.joints.size(), 2u);
    ASSERT_LE(s.joints.size(), MAX_SKIN_JOINTS);
    EXPECT_EQ(s.jointCount, s.joints.size());
    for (std::size_t v = 0; v < mesh.vertices.size(); ++v) {
        float sum = 0.0f;
        for (int i = 0; i < 4; ++i) {
            sum += mesh.weights[v * 4 + std::size_t(i)];
            EXPECT_LT(mesh.jointIndices[v * 4 + std::size_t(i)], float(s.joints.size()));
        }
        EXPECT_NEAR(sum, 1.0f, 1e-6f);
    }
    EXPECT_EQ(s.joints[0].parent, -1);
    for (std::size_t j = 1; j < s.joints.size(); ++j) {
        EXPECT_GE(s.joints[j].parent, 0) << "joint 0 is the only root";
        EXPECT_LT(std::size_t(s.joints[j].parent), j);
    }

    // Every track has the same key times, at least three keys, and the loop
    // closes: the last key is the pose of key 0.
    const std::vector<KeyFrame>& timeline = s.joints[s.longestTrack].keys;
    ASSERT_GE(timeline.size(), 3u);
    EXPECT_EQ(s.lastKeyIndex, timeline.size() - 1);
    for (const Joint& j : s.joints) {
        ASSERT_EQ(j.keys.size(), timeline.size()) << j.name;
        for (std::size_t k = 0; k < timeline.size(); ++k) EXPECT_EQ(j.keys[k].time, timeline[k].time);
        for (std::size_t k = 1; k < timeline.size(); ++k) EXPECT_GT(timeline[k].time, timeline[k - 1].time);
        const KeyFrame& first = j.keys.front();
        const KeyFrame& last = j.keys.back();
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(first.T[i], last.T[i], 1e-6f);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(first.R[i], last.R[i], 1e-6f);
    }

    // Posed at key 0, every joint sits near its bind place (bind transforms
    // are in model space and key translations carry x times 6.2), and the
    // skinned robot still stands in its cell.
    Skeleton posed = s;
    AnimationState state;
    AnimationUpdate(state, posed, 0.0f);
    for (std::size_t j = 0; j < posed.joints.size(); ++j)
        ExpectVec(glm::vec3(posed.joints[j].globalMatrix[3]), glm::vec3(s.joints[j].bindMatrix[3]), 0.02f);
    // Through a whole cycle, skinned vertices stay near the unit cell.
    for (int frame = 0; frame < 120; ++frame) {
        AnimationUpdate(state, posed, 1.0f / 60.0f);
        for (std::size_t v = 0; v < mesh.vertices.size(); v += 7) {
            glm::vec4 p(0.0f);
            for (int i = 0; i < 4; ++i) {
                std::size_t joint = std::size_t(mesh.jointIndices[v * 4 + std::size_t(i)]);
                p += mesh.weights[v * 4 + std::size_t(i)] * (posed.joints[joint].skinMatrix * mesh.vertices[v].position);
            }
            EXPECT_LT(std::fabs(p.x), 0.6f);
            EXPECT_LT(std::fabs(p.y), 0.6f);
            EXPECT_LT(std::fabs(p.z), 0.6f);
        }
    }
}

TEST(GameModels, CommittedModelsAreWhatTheGeneratorMakes)
{
    std::string generator = TestSupport::BinaryDir() + "/modelgen";
    if (TestSupport::BinaryDir().empty() || !std::ifstream(generator).good()) GTEST_SKIP() << "no generator built";
    std::string out = TestSupport::MakeTempDir("zendra-modelgen");
    ASSERT_EQ(std::system(("\"" + generator + "\" \"" + out + "\" >/dev/null").c_str()), 0);
    EXPECT_EQ(TestSupport::ReadFile(out + "/data/meshes.xml"), TestSupport::ReadFile(Root() + "/data/meshes.xml"));
    for (const auto& entry : Catalogue(out)) {
        SCOPED_TRACE(entry.first);
        std::string made = TestSupport::ReadFile(out + "/" + entry.second);
        std::string committed = TestSupport::ReadFile(Root() + "/" + entry.second);
        ASSERT_EQ(made.size(), committed.size());
        // Allow last-place float differences between builds, nothing more.
        Model a = ReadModel(out + "/" + entry.second);
        Model b = ReadModel(Root() + "/" + entry.second);
        ASSERT_EQ(a.mesh.indices, b.mesh.indices);
        ASSERT_EQ(a.mesh.vertices.size(), b.mesh.vertices.size());
        for (std::size_t v = 0; v < a.mesh.vertices.size(); ++v) {
            ExpectVec(glm::vec3(a.mesh.vertices[v].position), glm::vec3(b.mesh.vertices[v].position), 1e-6f);
            ExpectVec(glm::vec3(a.mesh.vertices[v].normal), glm::vec3(b.mesh.vertices[v].normal), 1e-6f);
        }
        EXPECT_EQ(a.mesh.jointIndices, b.mesh.jointIndices);
        ASSERT_EQ(a.skeleton.joints.size(), b.skeleton.joints.size());
        for (std::size_t j = 0; j < a.skeleton.joints.size(); ++j) {
            ASSERT_EQ(a.skeleton.joints[j].keys.size(), b.skeleton.joints[j].keys.size());
            for (std::size_t k = 0; k < a.skeleton.joints[j].keys.size(); ++k)
                for (int i = 0; i < 4; ++i)
                    EXPECT_NEAR(a.skeleton.joints[j].keys[k].R[i], b.skeleton.joints[j].keys[k].R[i], 1e-6f);
        }
    }
    TestSupport::RemoveTree(out);
}
