// The mesh manager on a real OpenGL context: catalogue, loading on demand,
// the "error" fallbacks, the "robot" rule, release and reload, and bounds.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>

#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Animation.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/ModelShapes.h"
#include "engine/graphics/ModelWriter.h"
#include "support/EngineFixture.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(); }

// What follows the location of a WARNING entry on the log page.
const std::string WARNING_LABEL = "<span style=\"color: #ffff00;\"><strong>WARNING</strong></span> - ";

GLint BufferSize(unsigned int buffer)
{
    GLint size = -1;
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glGetBufferParameteriv(GL_ARRAY_BUFFER, GL_BUFFER_SIZE, &size);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return size;
}

// Each test gets a logger, a file manager and a model reader in the System.
// Tests that use their own data work in a temporary folder laid out like the
// game's (data/meshes.xml, data/models/...).
class MeshManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        m_oldDir = std::filesystem::current_path().string();
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        s->binaryFileManager = new BinaryFileManager();
        ASSERT_TRUE(s->binaryFileManager->Initialize());
    }
    void TearDown() override
    {
        m_manager.reset();
        TestSupport::ReleaseSystem();
        std::filesystem::current_path(m_oldDir);
        if (!m_dir.empty()) TestSupport::RemoveTree(m_dir);
    }

    // Works in a fresh folder with these catalogue entries (id, path) and files.
    void UseFolder(const std::vector<std::pair<std::string, std::string>>& entries)
    {
        m_dir = TestSupport::MakeTempDir("zendra-meshes");
        std::filesystem::create_directories(m_dir + "/data/models");
        std::filesystem::current_path(m_dir);
        std::string xml = "<Meshes>\n";
        for (const auto& e : entries)
            xml += "<Mesh><MeshId>" + e.first + "</MeshId><Path>" + e.second + "</Path></Mesh>\n";
        xml += "</Meshes>\n";
        ASSERT_TRUE(TestSupport::WriteFile(m_dir + "/data/meshes.xml", xml));
    }
    void WriteModel(const std::string& path, const std::string& bytes)
    {
        ASSERT_TRUE(TestSupport::WriteFile(m_dir + "/" + path, bytes));
    }
    void CopyGameModel(const std::string& name, const std::string& to)
    {
        WriteModel(to, TestSupport::ReadFile(m_oldDir + "/data/models/" + name));
    }

    MeshManager& Manager()
    {
        if (!m_manager) m_manager.reset(new MeshManager());
        return *m_manager;
    }
    std::string LogText() { return TestSupport::ReadFile(System::GetInstance()->logger->GetPath()); }

    TestSupport::ScopedTempHome m_home;
    std::unique_ptr<MeshManager> m_manager;
    std::string m_oldDir;
    std::string m_dir;
};

ModelSource CubeModel(float edge = 1.0f)
{
    ModelSource model;
    model.mesh = MakeCubeMesh(edge);
    return model;
}

} // namespace

TEST_F(MeshManagerTest, EveryGameMeshLoadsWithItsBuffers)
{
    MeshManager& meshes = Manager();
    testing::internal::CaptureStdout();
    meshes.Initialize();
    ASSERT_NE(meshes.FindMesh("error"), nullptr);
    std::vector<std::string> ids = {"error", "cubey", "sphere", "sphereinverted", "2dplane", "cube_rounded",
                                    "door", "robot"};
    for (const std::string& id : ids) {
        SCOPED_TRACE(id);
        Mesh* mesh = meshes.GetMesh(id);
        ASSERT_NE(mesh, nullptr);
        EXPECT_EQ(mesh->id, id);
        EXPECT_GT(mesh->indexCount, 0u);
        EXPECT_TRUE(glIsBuffer(mesh->GetVertexBuffer()));
        EXPECT_TRUE(glIsBuffer(mesh->GetElementBuffer()));
        GLint indexBytes = -1;
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, mesh->GetElementBuffer());
        glGetBufferParameteriv(GL_ELEMENT_ARRAY_BUFFER, GL_BUFFER_SIZE, &indexBytes);
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
        EXPECT_EQ(indexBytes, GLint(mesh->indexCount * 4));
        EXPECT_EQ(BufferSize(mesh->GetVertexBuffer()) % 40, 0);
        EXPECT_EQ(mesh->animated, id == "robot");
    }
    testing::internal::GetCapturedStdout();
    Mesh* robot = meshes.GetMesh("robot");
    EXPECT_TRUE(glIsBuffer(robot->GetWeightBuffer()));
    EXPECT_TRUE(glIsBuffer(robot->GetAnimIndexBuffer()));
    GLint vertexBytes = BufferSize(robot->GetVertexBuffer());
    EXPECT_EQ(BufferSize(robot->GetWeightBuffer()), vertexBytes / 40 * 16);
    EXPECT_EQ(BufferSize(robot->GetAnimIndexBuffer()), vertexBytes / 40 * 16);
    EXPECT_GT(robot->skeleton.jointCount, 1u);
    EXPECT_GT(robot->skeleton.lastKeyIndex, 1u);
    EXPECT_EQ(meshes.GetMesh("cubey")->GetWeightBuffer(), 0u);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    EXPECT_EQ(TestSupport::Count(LogText(), "WARNING"), 0u);
    EXPECT_EQ(meshes.GetMeshPath("cubey"), "data/models/cubey.bin");
    EXPECT_EQ(meshes.GetMeshPath("nothing"), "");
}

TEST_F(MeshManagerTest, AnIdWithoutAPathWarnsOnceAndSharesTheErrorMesh)
{
    MeshManager& meshes = Manager();
    meshes.Initialize();
    Mesh* error = meshes.FindMesh("error");
    EXPECT_EQ(meshes.GetMesh("wrongmesh"), error);
    EXPECT_EQ(meshes.GetMesh("wrongmesh"), error);
    EXPECT_EQ(meshes.FindMesh("wrongmesh"), error);
    EXPECT_EQ(TestSupport::Count(LogText(), "\"wrongmesh\" mesh cannot be loaded. Defaulting \"wrongmesh\" to point to an "
                               "\"error\" mesh."),
              1u);
    MeshBounds bounds;
    bool boundsSet = false;
    EXPECT_TRUE(meshes.LoadComponentMesh("othermesh", false, bounds, boundsSet));
    EXPECT_FALSE(boundsSet);
    EXPECT_EQ(TestSupport::Count(LogText(), "Mesh cannot be loaded. Defaulting id \"othermesh\" to point to an error mesh "
                               "instead."),
              1u);
    // Both roads report as the load operation, never as a helper.
    EXPECT_EQ(TestSupport::Count(LogText(), "|QRX::MeshManager::LoadMesh] " + WARNING_LABEL + "\"wrongmesh\" mesh"), 1u);
    EXPECT_EQ(TestSupport::Count(LogText(), "|QRX::MeshManager::LoadMesh] " + WARNING_LABEL + "Mesh cannot be loaded."),
              1u);
    EXPECT_EQ(LogText().find("QRX::MeshManager::Load]"), std::string::npos);
}

TEST_F(MeshManagerTest, AMissingFileIsReportedOnEveryRequest)
{
    UseFolder({{"error", "data/models/error.bin"}, {"ghost", "data\\models\\ghost.bin"}});
    CopyGameModel("error.bin", "data/models/error.bin");
    MeshManager& meshes = Manager();
    meshes.Initialize();
    Mesh* error = meshes.FindMesh("error");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->indexCount, 72u);  // from its file, not the stand-in
    EXPECT_FALSE(meshes.LoadMesh("ghost"));
    EXPECT_EQ(meshes.GetMesh("ghost"), error);
    EXPECT_EQ(meshes.GetMesh("ghost"), error);
    EXPECT_EQ(meshes.FindMesh("ghost"), nullptr);  // tried again next time
    EXPECT_EQ(TestSupport::Count(LogText(), "Problem opening model file!"), 3u);
    // Reported under the operation's own name, whichever road reached it.
    EXPECT_EQ(TestSupport::Count(LogText(), "|QRX::MeshManager::LoadMesh] " + WARNING_LABEL + "Problem opening model file!"),
              3u);
    // Once the file appears, the id loads.
    WriteModel("data/models/ghost.bin", EncodeModel(CubeModel()));
    EXPECT_NE(meshes.GetMesh("ghost"), error);
}

TEST_F(MeshManagerTest, WindowsStylePathsAreFound)
{
    UseFolder({{"error", "data\\Models\\ERROR.bin "}});
    CopyGameModel("error.bin", "data/models/error.bin");
    Manager().Initialize();
    EXPECT_EQ(Manager().FindMesh("error")->indexCount, 72u);
    EXPECT_EQ(TestSupport::Count(LogText(), "WARNING"), 0u);
}

TEST_F(MeshManagerTest, ErrorWithoutAPathBecomesABuiltInCube)
{
    UseFolder({{"cubey", "data/models/cubey.bin"}});
    CopyGameModel("cubey.bin", "data/models/cubey.bin");
    MeshManager& meshes = Manager();
    meshes.Initialize();
    Mesh* error = meshes.FindMesh("error");
    ASSERT_NE(error, nullptr);
    EXPECT_EQ(error->id, "error");
    EXPECT_EQ(error->indexCount, 36u);
    EXPECT_TRUE(glIsBuffer(error->GetVertexBuffer()));
    EXPECT_EQ(meshes.GetMesh("unknown"), error);
    EXPECT_EQ(meshes.GetMesh("error"), error);
    EXPECT_EQ(TestSupport::Count(LogText(), "a built-in cube stands in for it"), 1u);
}

TEST_F(MeshManagerTest, ErrorWhoseFileIsMissingBecomesABuiltInCube)
{
    UseFolder({{"error", "data/models/error.bin"}});
    MeshManager& meshes = Manager();
    meshes.Initialize();
    ASSERT_NE(meshes.FindMesh("error"), nullptr);
    EXPECT_EQ(meshes.FindMesh("error")->indexCount, 36u);
    EXPECT_EQ(meshes.GetMesh("x"), meshes.FindMesh("error"));
    std::string log = LogText();
    EXPECT_EQ(TestSupport::Count(log, "Problem opening model file!"), 1u);
    EXPECT_EQ(TestSupport::Count(log, "a built-in cube stands in for it"), 1u);
}

TEST_F(MeshManagerTest, NoCatalogueMapsEveryIdToError)
{
    m_dir = TestSupport::MakeTempDir("zendra-meshes");
    std::filesystem::current_path(m_dir);
    MeshManager& meshes = Manager();
    meshes.Initialize();
    EXPECT_EQ(TestSupport::Count(LogText(), "Unable to open meshes.xml file, aborting."), 1u);
    ASSERT_NE(meshes.FindMesh("error"), nullptr);
    EXPECT_EQ(meshes.GetMesh("cubey"), meshes.FindMesh("error"));
}

TEST_F(MeshManagerTest, CatalogueKeepsTheFirstEntryOfAnIdAndSkipsIncompleteOnes)
{
    UseFolder({{"error", "data/models/error.bin"}, {"box", "data/models/a.bin"}, {"box", "data/models/b.bin"}});
    std::string xml = TestSupport::ReadFile(m_dir + "/data/meshes.xml");
    xml.insert(xml.find("</Meshes>"), "<Mesh><MeshId>nopath</MeshId></Mesh>\n");
    TestSupport::WriteFile(m_dir + "/data/meshes.xml", xml);
    MeshManager& meshes = Manager();
    meshes.LoadMeshPaths();
    EXPECT_EQ(meshes.GetMeshPath("box"), "data/models/a.bin");
    EXPECT_EQ(meshes.GetMeshPath("nopath"), "");
    EXPECT_EQ(meshes.GetMeshPath("null"), "");
    EXPECT_EQ(TestSupport::Count(LogText(), "lacks its MeshId or Path"), 1u);
}

TEST_F(MeshManagerTest, DamagedFilesFallBackToErrorOnce)
{
    UseFolder({{"error", "data/models/error.bin"},
               {"badindex", "data/models/badindex.bin"},
               {"cut", "data/models/cut.bin"}});
    CopyGameModel("error.bin", "data/models/error.bin");
    ModelSource bad = CubeModel();
    bad.mesh.indices[5] = 24;  // one past the last vertex
    WriteModel("data/models/badindex.bin", EncodeModel(bad));
    std::string cube = EncodeModel(CubeModel());
    WriteModel("data/models/cut.bin", cube.substr(0, cube.size() - 10));
    MeshManager& meshes = Manager();
    meshes.Initialize();
    Mesh* error = meshes.FindMesh("error");
    EXPECT_EQ(meshes.GetMesh("badindex"), error);
    EXPECT_EQ(meshes.GetMesh("badindex"), error);
    EXPECT_EQ(meshes.GetMesh("cut"), error);
    std::string log = LogText();
    EXPECT_EQ(TestSupport::Count(log, "has index 24 but only 24 vertices"), 1u);
    EXPECT_EQ(TestSupport::Count(log, "cut.bin of mesh \"cut\" is damaged"), 1u);
}

TEST_F(MeshManagerTest, TheRobotRuleFollowsTheIdOnEveryRoad)
{
    UseFolder({{"error", "data/models/error.bin"},
               {"robot", "data/models/robot.bin"},
               {"walker", "data/models/robot.bin"}});
    CopyGameModel("error.bin", "data/models/error.bin");
    CopyGameModel("robot.bin", "data/models/robot.bin");
    MeshManager& meshes = Manager();
    testing::internal::CaptureStdout();
    meshes.Initialize();
    // The same skinned file under another id is drawn still.
    Mesh* walker = meshes.GetMesh("walker");
    EXPECT_FALSE(walker->animated);
    EXPECT_EQ(walker->GetWeightBuffer(), 0u);
    EXPECT_EQ(walker->GetAnimIndexBuffer(), 0u);
    // "robot" first met through GetMesh is animated all the same.
    Mesh* robot = meshes.GetMesh("robot");
    EXPECT_TRUE(robot->animated);
    EXPECT_NE(robot->GetWeightBuffer(), 0u);
    // And again after a display-mode change reloads it through a plain load.
    meshes.ReleaseAllMeshesAndDefault();
    meshes.ReloadAllMeshes();
    EXPECT_TRUE(meshes.LoadMesh("robot"));
    EXPECT_TRUE(meshes.FindMesh("robot")->animated);
    // The component road computes bounds on the first load only.
    meshes.ReleaseAllMeshes();
    MeshBounds bounds;
    bool boundsSet = false;
    EXPECT_TRUE(meshes.LoadComponentMesh("robot", true, bounds, boundsSet));
    EXPECT_TRUE(boundsSet);
    EXPECT_TRUE(meshes.FindMesh("robot")->animated);
    EXPECT_GT(meshes.FindMesh("robot")->skeleton.lastKeyIndex, 1u);
    boundsSet = false;
    EXPECT_TRUE(meshes.LoadComponentMesh("robot", true, bounds, boundsSet));
    EXPECT_FALSE(boundsSet);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Key Frame time: "), std::string::npos);
}

TEST_F(MeshManagerTest, RobotJointIndicesPastTheSkeletonAreClamped)
{
    UseFolder({{"error", "data/models/error.bin"}, {"robot", "data/models/robot.bin"}});
    CopyGameModel("error.bin", "data/models/error.bin");
    ModelSource model;
    model.mesh.meshType = MESH_TYPE_SKINNED;
    AppendBox(model.mesh, {0, 0, 0}, {1, 1, 1});
    for (std::size_t v = 0; v < model.mesh.vertices.size(); ++v) {
        float w[4] = {1, 0, 0, 0};
        float j[4] = {v == 0 ? 200.0f : 1.0f, 2, 0, 0};
        model.mesh.weights.insert(model.mesh.weights.end(), w, w + 4);
        model.mesh.jointIndices.insert(model.mesh.jointIndices.end(), j, j + 4);
    }
    model.hasSkeleton = true;
    model.joints.resize(2);
    model.joints[1].parent = 0;
    // No "anim" chunk: the robot still has its buffers and shows its bind pose.
    WriteModel("data/models/robot.bin", EncodeModel(model));
    MeshManager& meshes = Manager();
    meshes.Initialize();
    Mesh* robot = meshes.GetMesh("robot");
    ASSERT_TRUE(robot->animated);
    std::vector<float> indices(model.mesh.vertices.size() * 4, -1.0f);
    glBindBuffer(GL_ARRAY_BUFFER, robot->GetAnimIndexBuffer());
    glGetBufferSubData(GL_ARRAY_BUFFER, 0, GLsizeiptr(indices.size() * sizeof(float)), indices.data());
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    EXPECT_EQ(indices[0], 1.0f);  // 200 -> the last joint
    EXPECT_EQ(indices[1], 1.0f);  // 2 -> the last joint
    EXPECT_EQ(indices[4], 1.0f);
    EXPECT_EQ(TestSupport::Count(LogText(), "names joints past its 2"), 1u);

    Skeleton posed = robot->skeleton;
    AnimationState state;
    AnimationUpdate(state, posed, 0.016f);
    for (const Joint& j : posed.joints) EXPECT_EQ(j.skinMatrix, glm::mat4(1.0f));
}

TEST_F(MeshManagerTest, ARobotWithoutWeightsIsDrawnStill)
{
    UseFolder({{"error", "data/models/error.bin"}, {"robot", "data/models/robot.bin"}});
    CopyGameModel("error.bin", "data/models/error.bin");
    ModelSource model = CubeModel();
    model.hasSkeleton = true;
    model.joints.resize(1);
    WriteModel("data/models/robot.bin", EncodeModel(model));
    MeshManager& meshes = Manager();
    meshes.Initialize();
    Mesh* robot = meshes.GetMesh("robot");
    EXPECT_FALSE(robot->animated);
    EXPECT_EQ(robot->GetWeightBuffer(), 0u);
    EXPECT_EQ(TestSupport::Count(LogText(), "has a skeleton but its vertices carry no weights"), 1u);
}

TEST_F(MeshManagerTest, ReleaseKeepsOnlyErrorAndItsAliasesThenReloadRestores)
{
    MeshManager& meshes = Manager();
    testing::internal::CaptureStdout();
    meshes.Initialize();
    Mesh* error = meshes.FindMesh("error");
    unsigned int cubeBuffer = meshes.GetMesh("cubey")->GetVertexBuffer();
    meshes.GetMesh("sphere");
    meshes.GetMesh("robot");
    meshes.GetMesh("alias");
    ASSERT_TRUE(glIsBuffer(cubeBuffer));

    meshes.ReleaseAllMeshes();
    std::vector<std::string> left;
    for (const auto& entry : meshes.GetMeshes()) left.push_back(entry.first);
    EXPECT_EQ(left, (std::vector<std::string>{"alias", "error"}));
    EXPECT_EQ(meshes.FindMesh("alias"), error);
    EXPECT_FALSE(glIsBuffer(cubeBuffer));
    EXPECT_NE(TestSupport::Count(LogText(), "Releasing all meshes except default mesh"), 0u);

    unsigned int errorBuffer = error->GetVertexBuffer();
    meshes.ReleaseAllMeshesAndDefault();
    EXPECT_TRUE(meshes.GetMeshes().empty());
    EXPECT_FALSE(glIsBuffer(errorBuffer));

    meshes.ReloadAllMeshes();
    ASSERT_NE(meshes.FindMesh("error"), nullptr);
    EXPECT_EQ(meshes.FindMesh("error")->indexCount, 72u);
    EXPECT_EQ(meshes.GetMesh("cubey")->id, "cubey");
    EXPECT_TRUE(glIsBuffer(meshes.GetMesh("cubey")->GetVertexBuffer()));
    testing::internal::GetCapturedStdout();

    testing::internal::CaptureStdout();
    m_manager.reset();
    EXPECT_EQ(testing::internal::GetCapturedStdout().find("Releasing all meshes including default mesh\n"), 0u);
}

// ----- Bounds (no GL needed) --------------------------------------------------

TEST(MeshBoundsTest, CubeSphereAndBox)
{
    MeshData cube = MakeCubeMesh(1.0f);
    for (Vertex& v : cube.vertices) v.position += glm::vec4(2, 0, 0, 0);
    MeshBounds b = MeshManager::ComputeBounds(cube, false);
    EXPECT_NEAR(b.sphere.radius, std::sqrt(3.0f) / 2.0f, 1e-6f);
    EXPECT_NEAR(b.sphere.centre.x, 2.0f, 1e-6f);
    EXPECT_NEAR(b.box.centre.x, 2.0f, 1e-6f);
    EXPECT_NEAR(b.box.halfExtents.y, 0.5f, 1e-6f);
    // sphere matrix: diagonal 2r with the centre in the fourth column.
    EXPECT_NEAR(b.sphereMatrix[0][0], std::sqrt(3.0f), 1e-6f);
    EXPECT_NEAR(b.sphereMatrix[2][2], std::sqrt(3.0f), 1e-6f);
    EXPECT_EQ(b.sphereMatrix[3], glm::vec4(2, 0, 0, 1));
    EXPECT_EQ(b.boxMatrix, glm::translate(glm::mat4(1.0f), glm::vec3(2, 0, 0)));
}

TEST(MeshBoundsTest, PlayerSphereGrowsFromTheOriginToCoverEveryVertex)
{
    MeshData mesh = MakeCubeMesh(1.0f);
    for (Vertex& v : mesh.vertices) v.position += glm::vec4(0, 1, 0, 0);
    MeshBoundingSphere player = MeshManager::ComputeBoundingSphere(mesh, true);
    MeshBoundingSphere other = MeshManager::ComputeBoundingSphere(mesh, false);
    EXPECT_NE(player.radius, other.radius);
    for (const MeshBoundingSphere& s : {player, other})
        for (const Vertex& v : mesh.vertices) EXPECT_LE(glm::length(glm::vec3(v.position) - s.centre), s.radius + 1e-5f);
    // A single vertex: a point sphere for the player grows to half the distance.
    MeshData one;
    one.vertices.resize(1);
    one.vertices[0].position = glm::vec4(2, 0, 0, 1);
    MeshBoundingSphere s = MeshManager::ComputeBoundingSphere(one, true);
    EXPECT_NEAR(s.radius, 1.0f, 1e-6f);
    EXPECT_NEAR(s.centre.x, 1.0f, 1e-6f);
    EXPECT_EQ(MeshManager::ComputeBoundingSphere(one, false).radius, 0.0f);
}

TEST(MeshBoundsTest, AMeshWithoutVerticesHasNoExtent)
{
    MeshBounds b = MeshManager::ComputeBounds(MeshData(), false);
    EXPECT_EQ(b.sphere.radius, 0.0f);
    EXPECT_EQ(b.box.halfExtents, glm::vec3(0.0f));
    EXPECT_EQ(b.sphereMatrix[0][0], 0.0f);
}
