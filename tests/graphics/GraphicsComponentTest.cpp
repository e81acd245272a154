// The graphics component: reading, writing against the master, comparing,
// copying, the opacity clamp, and the mesh manager's component road (bounds
// with the PLAYER rule, the robot's skinning buffers) on a real GL context.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

#include <tinyxml2.h>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/ModelShapes.h"
#include "engine/graphics/ModelWriter.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/objects/TemplateFactory.h"
#include "support/EngineFixture.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(); }

class GraphicsComponentTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        Logger::SetDialogAvailableOverride(0);
    }
    void TearDown() override
    {
        TestSupport::ReleaseSystem();
    }

    const tinyxml2::XMLElement* Fields(const std::string& fields)
    {
        m_docs.push_back(std::make_unique<tinyxml2::XMLDocument>());
        const std::string text = "<Component><Type>CT_GRAPHICS</Type>" + fields + "</Component>";
        EXPECT_EQ(m_docs.back()->Parse(text.c_str()), tinyxml2::XML_SUCCESS) << text;
        return m_docs.back()->RootElement()->FirstChildElement()->NextSiblingElement();
    }

    // What a write queues inside an object element, as text.
    template <typename WriteFn>
    std::string Written(WriteFn write)
    {
        FileManager* fm = System::GetInstance()->fileManager;
        fm->BeginWrite("level");
        fm->WriteParent("Object");
        fm->WriteChild("Type");
        fm->WriteValue("CRATE");
        write();
        fm->WriteSibling("After");
        return fm->RenderCommands();
    }

    static std::string LogText()
    {
        return TestSupport::ReadFile(System::GetInstance()->logger->GetPath());
    }

    TestSupport::ScopedTempHome m_home;
    std::vector<std::unique_ptr<tinyxml2::XMLDocument>> m_docs;
};

TEST_F(GraphicsComponentTest, OpacityIsClampedOnReadAndSet)
{
    GraphicsComponent c;
    c.Read(Fields("<Opacity>1.5</Opacity>"));
    EXPECT_EQ(c.GetOpacity(), 1.0f);
    c.Read(Fields("<Opacity>-2</Opacity>"));
    EXPECT_EQ(c.GetOpacity(), 0.0f);
    c.Read(Fields("<Opacity>0.25</Opacity>"));
    EXPECT_EQ(c.GetOpacity(), 0.25f);
    c.SetOpacity(7.0f);
    EXPECT_EQ(c.GetOpacity(), 1.0f);
    c.SetOpacity(-0.1f);
    EXPECT_EQ(c.GetOpacity(), 0.0f);
    c.SetOpacity(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(c.GetOpacity(), 0.0f);
}

TEST_F(GraphicsComponentTest, ShortSpecularFillsWithZeros)
{
    GraphicsComponent c;
    c.m_specular = glm::vec4(9.0f);
    c.Read(Fields("<Specular>0.2 0.3</Specular>"));
    EXPECT_EQ(c.m_specular, glm::vec4(0.2f, 0.3f, 0.0f, 0.0f));
}

TEST_F(GraphicsComponentTest, IdsComeFromTheFirstChildWhateverItsName)
{
    GraphicsComponent c;
    c.Read(Fields("<Mesh><Anything>cubey</Anything></Mesh><Texture><TextureId>crate</TextureId></Texture>"
                  "<Unknown>1</Unknown><Mesh><MeshId>door</MeshId></Mesh>"));
    EXPECT_EQ(c.GetMeshName(), "door");  // a later element wins
    EXPECT_EQ(c.GetTextureName(), "crate");
}

TEST_F(GraphicsComponentTest, EmptySectionsWarnAndKeepTheIds)
{
    GraphicsComponent c;
    c.m_meshId = "cubey";
    c.m_textureId = "crate";
    c.Read(Fields("<Mesh/><Texture></Texture><Mesh><MeshId/></Mesh><Opacity/><Specular/>"));
    EXPECT_EQ(c.GetMeshName(), "cubey");
    EXPECT_EQ(c.GetTextureName(), "crate");
    EXPECT_EQ(c.GetOpacity(), 1.0f);
    const std::string log = LogText();
    EXPECT_NE(log.find("Mesh data section is empty!"), std::string::npos);
    EXPECT_NE(log.find("Texture data section is empty!"), std::string::npos);
}

TEST_F(GraphicsComponentTest, EqualityLooksAtMeshTextureAndOpacityOnly)
{
    GraphicsComponent a;
    GraphicsComponent b;
    a.m_meshId = b.m_meshId = "cubey";
    a.m_textureId = b.m_textureId = "crate";
    b.m_specular = glm::vec4(1.0f);
    b.m_boxMatrix = glm::mat4(2.0f);
    EXPECT_TRUE(a.IsEqual(&b));
    EXPECT_TRUE(a.IsEqual(nullptr));
    b.SetOwnOpacity(0.5f);
    EXPECT_FALSE(a.IsEqual(&b));
    b.SetOwnOpacity(1.0f);
    b.SetOwnTextureName("metal");
    EXPECT_FALSE(a.IsEqual(&b));
}

TEST_F(GraphicsComponentTest, OnlyTheDifferingFieldsAreWritten)
{
    GraphicsComponent master;
    GraphicsComponent c;
    master.m_meshId = c.m_meshId = "cubey";
    master.m_textureId = c.m_textureId = "crate";
    c.m_specular = glm::vec4(0.5f);  // not compared: equal to the master, nothing is written
    c.SetOpacity(0.5f);              // nor a fade of the running game, which is only drawn
    c.SetTextureName("crate_explosion");  // nor a look it set
    std::string text = Written([&] { c.Write(&master); });
    EXPECT_EQ(text.find("Component"), std::string::npos) << text;

    c.m_specular = glm::vec4(0.0f);
    c.SetOwnOpacity(0.5f);
    text = Written([&] { c.Write(&master); });
    EXPECT_NE(text.find("<Component>\n            <Type>CT_GRAPHICS</Type>\n            <Opacity>0.5</Opacity>\n        </Component>"),
              std::string::npos)
        << text;
    EXPECT_EQ(text.find("Mesh"), std::string::npos);
    EXPECT_EQ(text.find("Specular"), std::string::npos);

    c.m_meshId = "door";
    c.SetOwnTextureName("metal");
    c.m_specular = glm::vec4(0.25f, 0.5f, 0.0f, 1.0f);
    text = Written([&] { c.Write(&master); });
    const size_t mesh = text.find("<Mesh>");
    const size_t texture = text.find("<Texture>");
    const size_t opacity = text.find("<Opacity>");
    const size_t specular = text.find("<Specular>0.25 0.5 0 1</Specular>");
    ASSERT_NE(mesh, std::string::npos) << text;
    EXPECT_NE(text.find("<MeshId>door</MeshId>"), std::string::npos);
    EXPECT_NE(text.find("<TextureId>metal</TextureId>"), std::string::npos);
    EXPECT_LT(mesh, texture);
    EXPECT_LT(texture, opacity);
    EXPECT_LT(opacity, specular);
    EXPECT_NE(specular, std::string::npos) << text;
    // The component closes before the object's next element.
    EXPECT_LT(text.find("</Component>"), text.find("<After"));
}

TEST_F(GraphicsComponentTest, CopyFromCopiesEveryField)
{
    GraphicsComponent source;
    source.m_meshId = "door";
    source.SetOpacity(0.3f);
    source.m_boxMatrix = glm::mat4(4.0f);  // not compared, copied all the same
    source.m_reservedWord = 7;
    GraphicsComponent copy;
    copy.CopyFrom(&source);
    EXPECT_TRUE(copy.IsEqual(&source));
    EXPECT_EQ(copy.m_boxMatrix, source.m_boxMatrix);
    EXPECT_EQ(copy.m_reservedWord, 7u);
    copy.CopyFrom(nullptr);  // nothing happens
    EXPECT_EQ(copy.GetMeshName(), "door");
}

// The component road of the mesh manager, in a data folder of the test's own.
class GraphicsComponentMeshTest : public GraphicsComponentTest
{
protected:
    void SetUp() override
    {
        GraphicsComponentTest::SetUp();
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        m_oldDir = std::filesystem::current_path().string();
        m_dir = TestSupport::MakeTempDir("zendra-gc");
        std::filesystem::create_directories(m_dir + "/data/models");
        std::filesystem::current_path(m_dir);
        ASSERT_TRUE(SaveModelFile("data/models/error.bin", Model(MakeCubeMesh(1.0f))));
        // A box from (1, 0, 0) to (3, 2, 2): its centre is off the origin.
        MeshData off;
        AppendBox(off, glm::vec3(2.0f, 1.0f, 1.0f), glm::vec3(2.0f));
        ASSERT_TRUE(SaveModelFile("data/models/offbox.bin", Model(off)));
        ASSERT_TRUE(SaveModelFile("data/models/robot.bin", SkinnedModel()));
        TestSupport::WriteFile("data/meshes.xml",
                               "<Meshes><Mesh><MeshId>error</MeshId><Path>data/models/error.bin</Path></Mesh>"
                               "<Mesh><MeshId>offbox</MeshId><Path>data/models/offbox.bin</Path></Mesh>"
                               "<Mesh><MeshId>robot</MeshId><Path>data/models/robot.bin</Path></Mesh></Meshes>");
        System* s = System::GetInstance();
        s->binaryFileManager = new BinaryFileManager();
        ASSERT_TRUE(s->binaryFileManager->Initialize());
        s->meshManager = new MeshManager();
        s->meshManager->Initialize();
    }
    void TearDown() override
    {
        System* s = System::GetInstance();
        if (s->objectManager) s->objectManager->Shutdown();
        delete s->objectManager;
        s->objectManager = nullptr;
        delete s->meshManager;
        delete s->binaryFileManager;
        s->meshManager = nullptr;
        s->binaryFileManager = nullptr;
        std::filesystem::current_path(m_oldDir);
        TestSupport::RemoveTree(m_dir);
        GraphicsComponentTest::TearDown();
    }

    // An object manager in the System whose master objects are these
    // (object type name, file text) files of data/objects/.
    static ObjectManager& Objects(const std::vector<std::pair<std::string, std::string>>& masters)
    {
        System* s = System::GetInstance();
        s->objectManager = new ObjectManager();
        RegisterComponentFactories();
        std::filesystem::create_directories("data/objects");
        for (const auto& master : masters)
            TestSupport::WriteFile("data/objects/" + master.first + ".xml", master.second);
        s->objectManager->SetObjectFolder("data/objects/");
        return *s->objectManager;
    }

    static ModelSource Model(const MeshData& mesh)
    {
        ModelSource model;
        model.mesh = mesh;
        return model;
    }

    // A two-joint skinned box.
    static ModelSource SkinnedModel()
    {
        ModelSource model;
        model.mesh = MakeCubeMesh(1.0f);
        model.mesh.meshType = MESH_TYPE_SKINNED;
        for (size_t i = 0; i < model.mesh.vertices.size(); ++i) {
            const bool top = model.mesh.vertices[i].position.y > 0.0f;
            model.mesh.weights.insert(model.mesh.weights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
            model.mesh.jointIndices.insert(model.mesh.jointIndices.end(), {top ? 1.0f : 0.0f, 0.0f, 0.0f, 0.0f});
        }
        model.hasSkeleton = true;
        JointSource root;
        root.name = "root";
        JointSource child;
        child.name = "child";
        child.parent = 0;
        model.joints = {root, child};
        return model;
    }

    std::string m_oldDir;
    std::string m_dir;
};

TEST_F(GraphicsComponentMeshTest, FirstLoadFillsTheBoundsAndMatrices)
{
    GameObject owner;
    owner.type = CUBE;
    GraphicsComponent c;
    c.owner = &owner;
    c.Read(Fields("<Mesh><MeshId>offbox</MeshId></Mesh>"));
    EXPECT_NEAR(c.m_boundingCentre.x, 2.0f, 1e-4f);
    EXPECT_NEAR(c.m_boundingCentre.y, 1.0f, 1e-4f);
    EXPECT_NEAR(c.m_boundingRadius, std::sqrt(3.0f), 1e-4f);
    // Sphere matrix: diagonal 2r, centre in the fourth column.
    EXPECT_NEAR(c.m_sphereMatrix[0][0], 2.0f * std::sqrt(3.0f), 1e-4f);
    EXPECT_NEAR(c.m_sphereMatrix[3][0], 2.0f, 1e-4f);
    // Box matrix: scale 2 x half extents at the box centre.
    EXPECT_NEAR(c.m_boxMatrix[0][0], 2.0f, 1e-4f);
    EXPECT_NEAR(c.m_boxMatrix[3][2], 1.0f, 1e-4f);

    // A second component with the loaded mesh keeps its own bounds.
    GraphicsComponent second;
    second.owner = &owner;
    second.Read(Fields("<Mesh><MeshId>offbox</MeshId></Mesh>"));
    EXPECT_EQ(second.m_boundingRadius, 1.0f);
    EXPECT_EQ(second.m_sphereMatrix, glm::mat4(1.0f));
}

TEST_F(GraphicsComponentMeshTest, PlayerSphereStartsAtTheOrigin)
{
    GameObject owner;
    owner.type = PLAYER;
    GraphicsComponent c;
    c.owner = &owner;
    c.m_meshId = "offbox";
    EXPECT_TRUE(c.LoadMesh());
    // From a point at the origin the sphere grows to cover (3, 2, 2) and the
    // corners near the origin: it is larger than the box's own sphere.
    EXPECT_GT(c.m_boundingRadius, std::sqrt(3.0f) + 0.01f);
    const glm::vec3 corners[] = {{1, 0, 0}, {3, 2, 2}, {1, 2, 2}, {3, 0, 0}};
    for (const glm::vec3& p : corners) EXPECT_LE(glm::length(p - c.m_boundingCentre), c.m_boundingRadius + 1e-3f);
}

TEST_F(GraphicsComponentMeshTest, APlayerMasterReadFromItsFileTakesThePlayerSphere)
{
    ObjectManager& objects =
        Objects({{"PLAYER", "<MasterObject><Object><Type>PLAYER</Type><Component><Type>CT_GRAPHICS</Type>"
                            "<Mesh><MeshId>offbox</MeshId></Mesh></Component></Object></MasterObject>"}});
    GameObject* player = objects.CreateInstance(PLAYER, glm::vec3(0.0f));
    ASSERT_NE(player, nullptr);
    GameObject* master = objects.FindMasterObject(PLAYER);
    ASSERT_NE(master, nullptr);
    // The sphere grew from the origin: larger than the box's own sphere.
    for (GameObject* object : {master, player})
        EXPECT_GT(static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS))->m_boundingRadius,
                  std::sqrt(3.0f) + 0.01f);
}

TEST_F(GraphicsComponentMeshTest, ReloadBringsBackTheMeshesOfUserInterfaceObjects)
{
    ObjectManager& objects = Objects(
        {{"SPRITE", "<MasterObject><Object><Type>SPRITE</Type><Component><Type>CT_GUI</Type></Component></Object>"
                    "</MasterObject>"}});
    GameObject* sprite = objects.CreateInstance(SPRITE, glm::vec3(0.0f));
    ASSERT_NE(sprite, nullptr);
    auto* gui = static_cast<GUIComponent*>(sprite->GetComponent(CT_GUI));
    ASSERT_NE(gui, nullptr);
    gui->m_meshId = "offbox";

    MeshManager* meshes = System::GetInstance()->meshManager;
    meshes->ReleaseAllMeshesAndDefault();
    meshes->ReloadAllMeshes();
    Mesh* box = meshes->FindMesh("offbox");
    EXPECT_TRUE(box && box->id == "offbox");
}

TEST_F(GraphicsComponentMeshTest, TexturesAreLoadedAsTheyAreRead)
{
    System* s = System::GetInstance();
    s->textureManager = new TextureManager();
    GraphicsComponent c;
    c.Read(Fields("<Texture><TextureId>nosuchtexture</TextureId></Texture>"));
    EXPECT_TRUE(s->textureManager->IsLoaded("nosuchtexture"));
    delete s->textureManager;
    s->textureManager = nullptr;
}

TEST_F(GraphicsComponentMeshTest, ReloadBringsBackTheMeshesOfObjectsInPlay)
{
    System* s = System::GetInstance();
    ObjectManager& objects =
        Objects({{"CUBE", "<MasterObject><Object><Type>CUBE</Type><Component><Type>CT_GRAPHICS</Type>"
                          "<Mesh><MeshId>offbox</MeshId></Mesh></Component></Object></MasterObject>"},
                 {"PLAYER", "<MasterObject><Object><Type>PLAYER</Type><Component><Type>CT_GRAPHICS</Type>"
                            "<Mesh><MeshId>robot</MeshId></Mesh></Component></Object></MasterObject>"}});
    EXPECT_NE(objects.CreateInstance(CUBE, glm::vec3(0.0f)), nullptr);
    EXPECT_NE(objects.CreateInstance(PLAYER, glm::vec3(0.0f)), nullptr);

    s->meshManager->ReleaseAllMeshesAndDefault();
    EXPECT_EQ(s->meshManager->FindMesh("offbox"), nullptr);
    s->meshManager->ReloadAllMeshes();
    Mesh* box = s->meshManager->FindMesh("offbox");
    Mesh* robot = s->meshManager->FindMesh("robot");
    EXPECT_TRUE(box && box->id == "offbox");
    EXPECT_TRUE(robot && robot->animated);
}

} // namespace
