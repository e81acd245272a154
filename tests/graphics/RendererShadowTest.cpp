// Shadows and post-processing through the started engine: the renderer's own
// programs, meshes and passes in the game's window under Xvfb.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include <glm/glm.hpp>
#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/Mesh.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/SceneLight.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameState.h"
#include "game/flow/GameStateTables.h"
#include "support/FakeAudio.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

// Stands in for the first state so that the test controls the scene.
class QuietState : public GameState
{
public:
    void Load() override {}
    void Init() override {}
    void Update(GameStateManager&) override {}
    void Free() override {}
    void Unload() override {}
};

const glm::vec3 LIGHT(-20.0f, 25.0f, 0.0f);
const glm::vec3 CASTER(0.0f, 6.0f, 0.0f);
// Where the caster's shadow falls on the ground (y = 0) from LIGHT, and a
// point of the ground far from it.
const glm::vec3 SHADOWED = CASTER + (CASTER - LIGHT) * (CASTER.y / (LIGHT.y - CASTER.y));
const glm::vec3 LIT(-4.0f, 0.0f, 5.0f);

class RendererShadowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The game's window brings its own context; this one only keeps the
        // GL driver loaded to the end of the run.
        static TestSupport::GLTestContext* keep = new TestSupport::GLTestContext(64, 64);
        ASSERT_TRUE(keep->Ok()) << keep->Error();
        Logger::SetDialogAvailableOverride(0);
        BindStateObject(StateObjectKind::BaseLevel, &m_state);
        m_system = System::GetInstance();
        testing::internal::CaptureStdout();
        const bool started = m_system->Initialize();
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started);
        m_renderer = m_system->renderer;
        ASSERT_NE(m_renderer, nullptr);
        m_width = m_system->window->GetWidth();
        m_height = m_system->window->GetHeight();
        m_system->objectManager->SetObjectFolder("tests/data/renderer/objects/");

        // A flat ground with its top at y = 0 and a block floating above it.
        m_ground = Block(glm::vec3(0.0f, -0.1f, 0.0f), glm::vec3(30.0f, 0.2f, 30.0f));
        m_caster = Block(CASTER, glm::vec3(2.0f));
        ASSERT_NE(m_ground, nullptr);
        ASSERT_NE(m_caster, nullptr);

        m_system->camera->LookAt(glm::vec3(0.0f, 20.0f, 12.0f), glm::vec3(0.0f));
        m_system->camera->UpdateViewMatrix();
        SceneLight* light = m_renderer->GetSceneLight();
        light->m_type = SceneLight::DIRECTIONAL;
        light->m_position = LIGHT;
        light->AimAt(glm::vec3(0.0f));
        glGetError();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        testing::internal::CaptureStdout();
        m_system->Shutdown();
        testing::internal::GetCapturedStdout();
        System::DestroyInstance();
        BindStateObject(StateObjectKind::BaseLevel, nullptr);
        Logger::SetDialogAvailableOverride(-1);
    }

    GameObject* Block(const glm::vec3& position, const glm::vec3& scale)
    {
        GameObject* o = m_system->objectManager->CreateInstance(CUBE, position);
        if (!o) return nullptr;
        o->scale = scale;
        o->flags &= ~OBJ_WORLD_VALID;
        return o;
    }
    static GraphicsComponent* Graphics(GameObject* o)
    {
        return static_cast<GraphicsComponent*>(o->GetComponent(CT_GRAPHICS));
    }

    // The shadow pass over both blocks, then the main pass over the ground
    // alone, into the window; the brightness at a ground point.
    void DrawGround()
    {
        GameObjectGroup casters = {m_ground, m_caster};
        m_renderer->RenderShadowMap(casters);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(0, 0, m_width, m_height);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        GameObjectGroup ground = {m_ground};
        m_renderer->RenderObjects(ground);
    }
    int Brightness(const glm::vec3& world)
    {
        const glm::vec3 w = glm::project(world, m_system->camera->GetViewMatrix(), m_renderer->GetProjection(),
                                         glm::vec4(0, 0, m_width, m_height));
        unsigned char px[4] = {0, 0, 0, 0};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(static_cast<int>(w.x), static_cast<int>(w.y), 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, px);
        return px[0] + px[1] + px[2];
    }
    std::vector<unsigned char> Frame()
    {
        std::vector<unsigned char> rgba(static_cast<size_t>(m_width * m_height * 4));
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, m_width, m_height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        return rgba;
    }

    TestSupport::ScopedTempHome m_home;
    TestSupport::ScopedFakeAudio m_audio;
    QuietState m_state;
    System* m_system = nullptr;
    Renderer* m_renderer = nullptr;
    GameObject* m_ground = nullptr;
    GameObject* m_caster = nullptr;
    int m_width = 0;
    int m_height = 0;
};

TEST_F(RendererShadowTest, TheGroundUnderABlockIsDarkerOnlyWithShadowsOn)
{
    DrawGround();
    const int shadowed = Brightness(SHADOWED);
    const int lit = Brightness(LIT);
    EXPECT_GT(lit, 150) << "the ground is lit";
    EXPECT_LT(shadowed + 100, lit) << "shadowed " << shadowed << ", lit " << lit;

    m_renderer->m_shadowMap.shadowsOn = false;
    DrawGround();
    EXPECT_NEAR(Brightness(SHADOWED), Brightness(LIT), 24);
    EXPECT_GT(Brightness(SHADOWED), 150);
}

TEST_F(RendererShadowTest, ASkinnedCasterCasts)
{
    Mesh* robot = m_system->meshManager->GetMesh("robot");
    ASSERT_NE(robot, nullptr);
    ASSERT_TRUE(robot->animated) << "the robot model is skinned";
    Graphics(m_caster)->SetMeshName("robot");
    m_caster->scale = glm::vec3(4.0f);
    m_caster->position = CASTER - glm::vec3(0.0f, 2.0f, 0.0f);
    m_caster->flags &= ~OBJ_WORLD_VALID;
    // The robot's shadow falls somewhere on the light's line through it.
    auto darkest = [this] {
        int d = 1000;
        for (float t = 0.0f; t <= 1.5f; t += 0.1f) d = std::min(d, Brightness(SHADOWED * t));
        return d;
    };
    DrawGround();
    EXPECT_LT(darkest() + 100, Brightness(LIT));
    m_renderer->m_shadowMap.shadowsOn = false;
    DrawGround();
    EXPECT_GT(darkest() + 24, Brightness(LIT));
}

TEST_F(RendererShadowTest, APostProcessedFrameIsLikeThePlainOne)
{
    m_renderer->m_postProcessing = 0;
    m_renderer->RenderScene();
    const std::vector<unsigned char> plain = Frame();
    m_renderer->m_postProcessing = 1;
    m_renderer->RenderScene();
    const std::vector<unsigned char> post = Frame();

    long long total = 0;
    for (size_t i = 0; i < post.size(); ++i)
        if (i % 4 != 3) total += std::abs(int(post[i]) - int(plain[i]));
    const double mean = double(total) / (double(m_width) * m_height * 3);
    EXPECT_LT(mean, 20.0);
    // No dark frame around the picture: the edge rows and columns are as
    // bright as the plain frame's, give or take the bloom.
    auto edgeMean = [&](const std::vector<unsigned char>& f) {
        long long sum = 0;
        int n = 0;
        for (int x = 0; x < m_width; ++x)
            for (int y : {0, m_height - 1}) {
                sum += f[(y * m_width + x) * 4] + f[(y * m_width + x) * 4 + 1] + f[(y * m_width + x) * 4 + 2];
                ++n;
            }
        for (int y = 0; y < m_height; ++y)
            for (int x : {0, m_width - 1}) {
                sum += f[(y * m_width + x) * 4] + f[(y * m_width + x) * 4 + 1] + f[(y * m_width + x) * 4 + 2];
                ++n;
            }
        return double(sum) / n;
    };
    EXPECT_GT(edgeMean(plain), 30.0) << "the scene reaches the edges";
    EXPECT_GE(edgeMean(post), edgeMean(plain) - 6.0);
}

TEST_F(RendererShadowTest, F10KeepsTheFrameAndLeaksNoGLObject)
{
    auto count = [] {
        int n = 0;
        for (GLuint name = 1; name < 4096; ++name)
            n += (glIsTexture(name) ? 1 : 0) + (glIsFramebuffer(name) ? 1 : 0) + (glIsRenderbuffer(name) ? 1 : 0) +
                 (glIsBuffer(name) ? 1 : 0) + (glIsProgram(name) ? 1 : 0) + (glIsShader(name) ? 1 : 0);
        return n;
    };
    m_renderer->RenderScene();
    const std::vector<unsigned char> before = Frame();
    const int objects = count();
    m_system->shaderManager->RecompileAllShaders();
    m_system->shaderManager->RecompileAllShaders();
    EXPECT_EQ(count(), objects);
    m_renderer->RenderScene();
    EXPECT_EQ(Frame(), before);
}

} // namespace
