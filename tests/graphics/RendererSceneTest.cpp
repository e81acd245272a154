// The renderer's scene: the infinite projection, the two draw-order rules,
// the occluder fade, and the main pass on a real context (lit and unlit
// objects, opacity, skip-draw, the sky, skinning, debug overlays, lines).
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "engine/core/FileManager.h"
#include "engine/core/FrameRateController.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/BinaryFileManager.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/ModelShapes.h"
#include "engine/graphics/ModelWriter.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/SceneLight.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/TemplateFactory.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/PhysicsFactories.h"
#include "engine/physics/PhysicsManager.h"
#include "engine/physics/Primitive.h"
#include "engine/platform/VirtualKeys.h"
#include "support/EngineFixture.h"
#include "support/GLReadback.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

constexpr int SIZE = 256;

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(SIZE, SIZE); }

// An object with a graphics component, placed at a position.
std::unique_ptr<GameObject> MakeObject(ObjectType type, const glm::vec3& position, const std::string& mesh,
                                       const std::string& texture, float opacity = 1.0f)
{
    auto object = std::make_unique<GameObject>();
    object->type = type;
    object->flags = OBJ_ALIVE | OBJ_ACTIVE;
    object->position = position;
    auto* graphics = new GraphicsComponent();
    graphics->owner = object.get();
    graphics->m_meshId = mesh;
    graphics->m_textureId = texture;
    graphics->SetOpacity(opacity);
    object->components[CT_GRAPHICS] = graphics;
    return object;
}

GraphicsComponent* Graphics(GameObject* object)
{
    return static_cast<GraphicsComponent*>(object->GetComponent(CT_GRAPHICS));
}

TEST(InfiniteProjectionTest, FieldOfViewIsTakenInDegrees)
{
    const glm::mat4 m = Renderer::InfiniteProjection(45.0f, 4.0f / 3.0f, 1.0f);
    const float c = 1.0f / std::tan(glm::radians(22.5f));
    EXPECT_NEAR(c, 2.41421f, 1e-4f);
    EXPECT_NEAR(m[1][1], c, 1e-4f);
    EXPECT_NEAR(m[0][0], c / (4.0f / 3.0f), 1e-4f);
    EXPECT_FLOAT_EQ(m[2][2], -0.999f);
    EXPECT_FLOAT_EQ(m[2][3], -1.0f);
    EXPECT_FLOAT_EQ(m[3][2], -1.999f);
    EXPECT_FLOAT_EQ(m[3][3], 0.0f);
    EXPECT_FLOAT_EQ(m[0][1], 0.0f);
    EXPECT_FLOAT_EQ(m[2][0], 0.0f);

    // A right angle gives c = 1; the near distance scales the depth offset.
    const glm::mat4 wide = Renderer::InfiniteProjection(90.0f, 1.0f, 2.0f);
    EXPECT_NEAR(wide[1][1], 1.0f, 1e-5f);
    EXPECT_NEAR(wide[3][2], -3.998f, 1e-5f);
    // Points at any distance in front stay inside the depth range.
    const glm::vec4 far = m * glm::vec4(0.0f, 0.0f, -1.0e6f, 1.0f);
    EXPECT_LT(far.z / far.w, 1.0f);
}

class DrawOrderTest : public ::testing::Test
{
protected:
    glm::mat4 m_view{1.0f};  // the camera at the origin looking down -z
};

TEST_F(DrawOrderTest, OpaqueFirstThenBackToFront)
{
    auto nearOpaque = MakeObject(CUBE, glm::vec3(0, 0, -1), "cubey", "white", 1.0f);
    auto farOpaque = MakeObject(CUBE, glm::vec3(0, 0, -9), "cubey", "white", 1.0f);
    auto nearGlass = MakeObject(CUBE, glm::vec3(0, 0, -2), "cubey", "white", 0.5f);
    auto farGlass = MakeObject(CUBE, glm::vec3(0, 0, -8), "cubey", "white", 0.5f);

    EXPECT_TRUE(Renderer::CompareDrawOrder(nearOpaque.get(), farGlass.get(), m_view));
    EXPECT_FALSE(Renderer::CompareDrawOrder(farGlass.get(), nearOpaque.get(), m_view));
    EXPECT_TRUE(Renderer::CompareDrawOrder(farOpaque.get(), nearOpaque.get(), m_view));
    EXPECT_FALSE(Renderer::CompareDrawOrder(nearOpaque.get(), farOpaque.get(), m_view));

    std::vector<GameObject*> group = {nearGlass.get(), nearOpaque.get(), farGlass.get(), farOpaque.get()};
    std::sort(group.begin(), group.end(),
              [this](const GameObject* a, const GameObject* b) { return Renderer::CompareDrawOrder(a, b, m_view); });
    EXPECT_EQ(group[0], farOpaque.get());
    EXPECT_EQ(group[1], nearOpaque.get());
    EXPECT_EQ(group[2], farGlass.get());
    EXPECT_EQ(group[3], nearGlass.get());
}

TEST_F(DrawOrderTest, EqualDepthIsNotBefore)
{
    auto a = MakeObject(CUBE, glm::vec3(1, 0, -4), "cubey", "white");
    auto b = MakeObject(CUBE, glm::vec3(-3, 2, -4), "cubey", "white");
    EXPECT_FALSE(Renderer::CompareDrawOrder(a.get(), b.get(), m_view));
    EXPECT_FALSE(Renderer::CompareDrawOrder(b.get(), a.get(), m_view));
    EXPECT_FALSE(Renderer::CompareDrawOrder(a.get(), a.get(), m_view));
}

TEST_F(DrawOrderTest, DepthIsTakenInTheCameraView)
{
    // Turned half round, the camera sees +z as far.
    m_view = glm::rotate(glm::mat4(1.0f), glm::radians(180.0f), glm::vec3(0, 1, 0));
    auto plus = MakeObject(CUBE, glm::vec3(0, 0, 5), "cubey", "white");
    auto minus = MakeObject(CUBE, glm::vec3(0, 0, -5), "cubey", "white");
    EXPECT_TRUE(Renderer::CompareDrawOrder(plus.get(), minus.get(), m_view));
}

// The fade needs the System's player one, a camera and collision boxes.
class OccluderFadeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        Logger::SetDialogAvailableOverride(0);
        s->physicsManager = new PhysicsManager();
        RegisterPrimitiveFactories();
        m_renderer = std::make_unique<Renderer>();
        m_player = MakeObject(PLAYER, glm::vec3(0.0f), "cubey", "white");
        s->playerOne = m_player.get();
        // The camera 10 behind the player along +z.
        m_renderer->GetCamera()->LookAt(glm::vec3(0.0f, 0.15f, 10.0f), glm::vec3(0.0f));
    }
    void TearDown() override
    {
        m_objects.clear();
        m_player.reset();
        m_renderer.reset();
        TestSupport::ReleaseSystem();
    }

    // A crate (or another type) with a unit collision box at the position.
    GameObject* Add(ObjectType type, const glm::vec3& position, bool withBox = true)
    {
        m_objects.push_back(MakeObject(type, position, "cubey", "crate"));
        GameObject* object = m_objects.back().get();
        if (withBox) {
            auto* collision = new CollisionComponent();
            collision->owner = object;
            object->components[CT_COLLISION] = collision;
            auto* box = static_cast<CollisionBox*>(collision->MakePrimitive(PR_BOX));
            EXPECT_NE(box, nullptr);
            if (box) box->halfSize = glm::vec3(0.5f);
            collision->UpdatePrimitive();
        }
        m_group.push_back(object);
        return object;
    }

    std::unique_ptr<Renderer> m_renderer;
    std::unique_ptr<GameObject> m_player;
    std::vector<std::unique_ptr<GameObject>> m_objects;
    GameObjectGroup m_group;
};

TEST_F(OccluderFadeTest, CrateOnTheSightLineFadesAndComesBack)
{
    GameObject* crate = Add(CRATE, glm::vec3(0.0f, 0.0f, 5.0f));
    GameObject* aside = Add(CUBE, glm::vec3(4.0f, 0.0f, 5.0f));
    Graphics(aside)->SetOwnOpacity(0.4f);  // a see-through block of the level
    m_renderer->FadeOccludingCrates(m_group, Renderer::FADED_OPACITY);
    EXPECT_EQ(Graphics(crate)->GetOpacity(), 0.5f);
    EXPECT_EQ(Graphics(crate)->GetOwnOpacity(), 1.0f);  // what a save writes
    EXPECT_EQ(Graphics(aside)->GetOpacity(), 0.4f);

    // Moved out of the line, it is opaque again in the next frame.
    crate->position = glm::vec3(0.0f, 5.0f, 5.0f);
    GetCollisionComponent(crate)->UpdatePrimitive();
    m_renderer->FadeOccludingCrates(m_group, Renderer::FADED_OPACITY);
    EXPECT_EQ(Graphics(crate)->GetOpacity(), 1.0f);
}

TEST_F(OccluderFadeTest, FadedOpacityIsClamped)
{
    GameObject* crate = Add(CUBE, glm::vec3(0.0f, 0.0f, 3.0f));
    m_renderer->FadeOccludingCrates(m_group, -3.0f);
    EXPECT_EQ(Graphics(crate)->GetOpacity(), 0.0f);
}

TEST_F(OccluderFadeTest, OtherTypesAndObjectsWithoutABoxAreLeftAlone)
{
    GameObject* door = Add(DOOR, glm::vec3(0.0f, 0.0f, 5.0f));
    GameObject* bare = Add(CRATE, glm::vec3(0.0f, 0.0f, 6.0f), false);
    Graphics(door)->SetOpacity(0.8f);
    Graphics(bare)->SetOpacity(0.7f);
    m_renderer->FadeOccludingCrates(m_group, Renderer::FADED_OPACITY);
    EXPECT_EQ(Graphics(door)->GetOpacity(), 0.8f);
    EXPECT_EQ(Graphics(bare)->GetOpacity(), 0.7f);
}

TEST_F(OccluderFadeTest, NoLivePlayerChangesNothing)
{
    GameObject* crate = Add(CRATE, glm::vec3(0.0f, 0.0f, 5.0f));
    Graphics(crate)->SetOpacity(0.9f);
    System::GetInstance()->playerOne = nullptr;
    m_renderer->FadeOccludingCrates(m_group, Renderer::FADED_OPACITY);
    EXPECT_EQ(Graphics(crate)->GetOpacity(), 0.9f);

    // A slot whose object has died (or become something else) is not used.
    System::GetInstance()->playerOne = m_player.get();
    m_player->flags = 0;
    m_renderer->FadeOccludingCrates(m_group, Renderer::FADED_OPACITY);
    EXPECT_EQ(Graphics(crate)->GetOpacity(), 0.9f);
    m_player->flags = OBJ_ALIVE;
    m_player->type = CRATE;
    m_renderer->FadeOccludingCrates(m_group, Renderer::FADED_OPACITY);
    EXPECT_EQ(Graphics(crate)->GetOpacity(), 0.9f);
}

// The main pass in a data folder of the test's own: the game's shaders,
// textures and models, with a two-joint animated "robot".
class MainPassTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        m_oldDir = std::filesystem::current_path().string();
        m_dir = TestSupport::MakeTempDir("zendra-scene");
        const std::filesystem::path source = TestSupport::SourceDir();
        const auto options = std::filesystem::copy_options::recursive;
        std::filesystem::create_directories(std::filesystem::path(m_dir) / "data");
        for (const char* part : {"data/shaders", "data/textures", "data/models"})
            std::filesystem::copy(source / part, std::filesystem::path(m_dir) / part, options);
        for (const char* file : {"data/meshes.xml", "data/textures.xml"})
            std::filesystem::copy_file(source / file, std::filesystem::path(m_dir) / file);
        std::filesystem::current_path(m_dir);
        ASSERT_TRUE(SaveModelFile("data/models/robot.bin", SkinnedModel()));

        System* s = System::GetInstance();
        s->logger = new Logger();
        Logger::SetDialogAvailableOverride(0);
        s->fileManager = new FileManager();
        s->binaryFileManager = new BinaryFileManager();
        ASSERT_TRUE(s->binaryFileManager->Initialize());
        s->frameRateController = new FrameRateController();
        s->shaderManager = new ShaderManager();
        m_renderer = new Renderer();
        s->renderer = m_renderer;
        ASSERT_TRUE(m_renderer->InitGL());
        s->meshManager = new MeshManager();
        s->meshManager->Initialize();
        s->textureManager = new TextureManager();
        s->textureManager->Init();
        m_renderer->SetupShaders();
        m_renderer->Resize(SIZE, SIZE, Renderer::DEFAULT_FIELD_OF_VIEW);
        m_renderer->GetCamera()->LookAt(glm::vec3(0.0f, 0.0f, 5.0f), glm::vec3(0.0f));
        // Light from the camera's side, white, no ambient: a lit face is its texture.
        SceneLight* light = m_renderer->GetSceneLight();
        light->m_type = SceneLight::DIRECTIONAL;
        light->m_worldDirection = glm::vec3(0.0f, 0.0f, -1.0f);
        light->m_globalAmbient = glm::vec4(0.0f);
        light->m_diffuse = glm::vec4(1.0f);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glGetError();
    }
    void TearDown() override
    {
        m_objects.clear();
        TestSupport::ReleaseSystem();  // the renderer is the System's
        std::filesystem::current_path(m_oldDir);
        TestSupport::RemoveTree(m_dir);
    }

    // A unit cube whose every vertex follows joint 1, which rises 1.5 from
    // key 0 (time 0) to key 1 (time 1).
    static ModelSource SkinnedModel()
    {
        ModelSource model;
        model.mesh = MakeCubeMesh(1.0f);
        model.mesh.meshType = MESH_TYPE_SKINNED;
        for (size_t i = 0; i < model.mesh.vertices.size(); ++i) {
            model.mesh.weights.insert(model.mesh.weights.end(), {1.0f, 0.0f, 0.0f, 0.0f});
            model.mesh.jointIndices.insert(model.mesh.jointIndices.end(), {1.0f, 0.0f, 0.0f, 0.0f});
        }
        model.hasSkeleton = true;
        JointSource root;
        root.name = "root";
        JointSource child;
        child.name = "child";
        child.parent = 0;
        model.joints = {root, child};
        model.hasAnimation = true;
        KeyFrame start;
        KeyFrame end;
        end.time = 1.0f;
        KeyFrame raised = end;
        raised.T[1] = 1.5f;
        model.tracks = {{start, end}, {start, raised}};
        return model;
    }

    GameObject* Add(const glm::vec3& position, const std::string& mesh, const std::string& texture,
                    float opacity = 1.0f)
    {
        m_objects.push_back(MakeObject(DEFAULT, position, mesh, texture, opacity));
        m_group.push_back(m_objects.back().get());
        return m_objects.back().get();
    }

    void Render()
    {
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        std::sort(m_group.begin(), m_group.end(),
                  [this](const GameObject* a, const GameObject* b) { return m_renderer->CompareDrawOrder(a, b); });
        m_renderer->RenderObjects(m_group);
    }

    TestSupport::ScopedTempHome m_home;
    Renderer* m_renderer = nullptr;
    std::vector<std::unique_ptr<GameObject>> m_objects;
    GameObjectGroup m_group;
    std::string m_oldDir;
    std::string m_dir;
};

TEST_F(MainPassTest, LitCubeAtTheCentre)
{
    Add(glm::vec3(0.0f), "cubey", "white");
    Render();
    const glm::ivec4 centre = TestSupport::ReadPixel(SIZE / 2, SIZE / 2);
    EXPECT_GT(centre.r, 230);
    EXPECT_GT(centre.g, 230);
    EXPECT_LT(TestSupport::ReadPixel(5, 5).r, 10);  // the background
    EXPECT_EQ(TestSupport::CurrentProgram(), 0);
    EXPECT_FALSE(System::GetInstance()->shaderManager->GetProgram("main")->IsInUse());
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 1.0f);

    // Lit from behind only the (zero) ambient light is left.
    m_renderer->GetSceneLight()->m_worldDirection = glm::vec3(0.0f, 0.0f, 1.0f);
    Render();
    EXPECT_LT(TestSupport::ReadPixel(SIZE / 2, SIZE / 2).r, 15);
}

TEST_F(MainPassTest, HalfOpacityBlendsOverTheBackground)
{
    Add(glm::vec3(0.0f), "cubey", "white", 0.5f);
    Render();
    const glm::ivec4 centre = TestSupport::ReadPixel(SIZE / 2, SIZE / 2);
    EXPECT_NEAR(centre.r, 128, 12);
    EXPECT_NEAR(centre.b, 128, 12);
}

TEST_F(MainPassTest, SkipDrawObjectIsAbsent)
{
    GameObject* cube = Add(glm::vec3(0.0f), "cubey", "white");
    cube->flags |= OBJ_SKIP_DRAW;
    Render();
    EXPECT_LT(TestSupport::ReadPixel(SIZE / 2, SIZE / 2).r, 10);
}

TEST_F(MainPassTest, SkyIsUnlitAndTheLightComesBackAfterIt)
{
    // Lit from behind: a lit object would be black, the sky keeps its texture.
    m_renderer->GetSceneLight()->m_worldDirection = glm::vec3(0.0f, 0.0f, 1.0f);
    Add(glm::vec3(0.0f), "sphereinverted", "white");
    Render();
    EXPECT_GT(TestSupport::ReadPixel(SIZE / 2, SIZE / 2).r, 230);
    EXPECT_EQ(m_renderer->GetSceneLight()->m_on, 1);
    EXPECT_EQ(m_renderer->GetSceneLight()->m_type, SceneLight::DIRECTIONAL);
}

TEST_F(MainPassTest, SkinnedMeshMovesWithItsKeys)
{
    GameObject* robot = Add(glm::vec3(0.0f), "robot", "white");
    Graphics(robot)->LoadMesh();
    Mesh* mesh = System::GetInstance()->meshManager->FindMesh("robot");
    ASSERT_TRUE(mesh && mesh->animated);
    const int above = SIZE / 2 + 60;  // clear of the resting cube
    const int below = SIZE / 2 - 20;  // inside the resting cube

    AnimationState& clock = m_renderer->GetAnimationState();
    clock.clock = 0.0f;
    clock.currentKey = 1;
    Render();
    EXPECT_LT(TestSupport::ReadPixel(SIZE / 2, above).r, 10);
    EXPECT_GT(TestSupport::ReadPixel(SIZE / 2, below).r, 200);

    // Half way to key 1 the cube has risen 0.75.
    clock.clock = 0.5f;
    clock.currentKey = 1;
    Render();
    EXPECT_GT(TestSupport::ReadPixel(SIZE / 2, above).r, 200);
    EXPECT_LT(TestSupport::ReadPixel(SIZE / 2, below).r, 10);
}

TEST_F(MainPassTest, AnimationClockAdvancesOncePerAnimatedDraw)
{
    System::GetInstance()->frameRateController->dt = 0.5;  // capped at 0.05
    GameObject* robot = Add(glm::vec3(0.0f), "robot", "white");
    Graphics(robot)->LoadMesh();
    Add(glm::vec3(2.0f, 0.0f, 0.0f), "cubey", "white");
    m_renderer->GetAnimationState().clock = 0.0f;
    Render();
    EXPECT_NEAR(m_renderer->GetAnimationState().clock, 0.05f, 1e-6f);
}

TEST_F(MainPassTest, OverlaysDrawWireframesAndRestoreTheState)
{
    GameObject* cube = Add(glm::vec3(0.0f), "cubey", "white");
    cube->flags |= OBJ_SKIP_DRAW;  // the bounds overlay still draws it
    Graphics(cube)->m_boxMatrix = glm::scale(glm::mat4(1.0f), glm::vec3(2.0f));
    m_renderer->GraphicsWire = WIRE_BOTH;
    m_renderer->CollisionWire = true;
    Render();
    // The box's outline is blue (0, 0, 1, 0.7); the inside stays empty.
    bool blue = false;
    for (int x = 0; x < SIZE && !blue; ++x) {
        const glm::ivec4 p = TestSupport::ReadPixel(x, SIZE / 2);
        blue = p.b > 100 && p.r < 30;
    }
    EXPECT_TRUE(blue);
    EXPECT_LT(TestSupport::ReadPixel(SIZE / 2, SIZE / 2 + 3).b, 10);
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    EXPECT_FALSE(glIsEnabled(GL_POLYGON_OFFSET_LINE));
    EXPECT_EQ(TestSupport::CurrentProgram(), 0);
}

TEST_F(MainPassTest, DebugShapeOfAnyNumberLeavesProgramZero)
{
    GameObject* cube = Add(glm::vec3(0.0f), "cubey", "white");
    m_renderer->DrawDebugShape(cube, 7, glm::vec4(1.0f));
    EXPECT_EQ(TestSupport::CurrentProgram(), 0);
    GLint mode[2] = {};
    glGetIntegerv(GL_POLYGON_MODE, mode);
    EXPECT_EQ(mode[0], GL_FILL);
    EXPECT_LT(TestSupport::ReadPixel(SIZE / 2, SIZE / 2).r, 10);

    m_renderer->DrawDebugShape(cube, DEBUG_SHAPE_BOX, glm::vec4(0.0f, 1.0f, 0.0f, 1.0f));
    bool green = false;
    for (int x = 0; x < SIZE && !green; ++x) green = TestSupport::ReadPixel(x, SIZE / 2).g > 200;
    EXPECT_TRUE(green);
    EXPECT_EQ(TestSupport::CurrentProgram(), 0);

    m_renderer->DrawDebugShape(nullptr, DEBUG_SHAPE_BOX, glm::vec4(1.0f));  // nothing
}

TEST_F(MainPassTest, QueuedLinesAreDrawnInOrderAndTheQueueEmpties)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    m_renderer->AddLine3D(glm::vec3(-1.0f, 0.0f, 0.0f), glm::vec3(1.0f, 0.0f, 0.0f), glm::vec4(1, 0, 0, 1), 5.0f);
    m_renderer->AddLine3D(glm::vec3(-1.0f, 0.0f, 0.0f), glm::vec3(1.0f, 0.0f, 0.0f), glm::vec4(0, 1, 0, 1), 2.0f);
    m_renderer->DrawQueuedLines();
    EXPECT_TRUE(m_renderer->GetLineQueue().empty());
    // The second line is drawn over the first; the first shows beyond it.
    EXPECT_GT(TestSupport::ReadPixel(SIZE / 2, SIZE / 2).g, 200);
    GLfloat width = 0.0f;
    glGetFloatv(GL_LINE_WIDTH, &width);
    EXPECT_EQ(width, 2.0f);
    EXPECT_EQ(TestSupport::CurrentProgram(), 0);
    m_renderer->DrawQueuedLines();  // empty: nothing happens
    EXPECT_TRUE(m_renderer->GetLineQueue().empty());
}

TEST_F(MainPassTest, LinesAreDepthTestedAgainstTheScene)
{
    Add(glm::vec3(0.0f), "cubey", "white");
    Render();
    m_renderer->Draw3DLine(glm::vec3(-2.0f, 0.0f, -3.0f), glm::vec3(2.0f, 0.0f, -3.0f), 5.0f, glm::vec4(1, 0, 0, 1));
    m_renderer->Draw3DLine(glm::vec3(-2.0f, 1.0f, 2.0f), glm::vec3(2.0f, 1.0f, 2.0f), 5.0f, glm::vec4(0, 1, 0, 1));
    const glm::ivec4 behind = TestSupport::ReadPixel(SIZE / 2, SIZE / 2);  // the cube hides the red line
    EXPECT_GT(behind.b, 200);
    bool green = false;
    for (int y = SIZE / 2; y < SIZE && !green; ++y) {
        const glm::ivec4 p = TestSupport::ReadPixel(SIZE / 2, y);
        green = p.g > 200 && p.r < 30 && p.b < 30;
    }
    EXPECT_TRUE(green);  // the line in front shows
}

TEST_F(MainPassTest, F12TakesOneScreenshotPerPress)
{
    System* s = System::GetInstance();
    s->inputManager = new InputManager();
    const std::string folder = m_home.GameFolder() + "/Screenshots/";
    s->inputManager->KeyDown(Platform::VK_F12);
    m_renderer->RenderScene();
    EXPECT_TRUE(std::filesystem::exists(folder + "Screenshot_0.png"));
    // Held down over the next frames: no more files.
    s->inputManager->Update();
    m_renderer->RenderScene();
    s->inputManager->Update();
    m_renderer->RenderScene();
    EXPECT_FALSE(std::filesystem::exists(folder + "Screenshot_1.png"));
    // Released and pressed again: the next number.
    s->inputManager->KeyUp(Platform::VK_F12);
    s->inputManager->Update();
    s->inputManager->KeyDown(Platform::VK_F12);
    m_renderer->RenderScene();
    EXPECT_TRUE(std::filesystem::exists(folder + "Screenshot_1.png"));
    s->inputManager->KeyUp(Platform::VK_F12);
    s->inputManager->Update();
    delete s->inputManager;
    s->inputManager = nullptr;
}

TEST_F(MainPassTest, F10RecompilesEveryProgram)
{
    System* s = System::GetInstance();
    s->inputManager = new InputManager();
    const GLuint before = s->shaderManager->GetProgram("main")->GetProgramObject();
    s->inputManager->KeyDown(Platform::VK_F10);
    m_renderer->RenderScene();
    EXPECT_NE(s->shaderManager->GetProgram("main"), nullptr);
    EXPECT_EQ(glIsProgram(before), GL_FALSE);
    EXPECT_NE(m_renderer->m_mainLocations.opacity, -1);
    s->inputManager->KeyUp(Platform::VK_F10);
    s->inputManager->Update();
    delete s->inputManager;
    s->inputManager = nullptr;
}

TEST_F(MainPassTest, SceneWithoutObjectsStillRuns)
{
    m_renderer->RenderScene();
    EXPECT_EQ(TestSupport::CurrentProgram(), 0);
}

} // namespace
