// The game's pictures against reference images: the splash screen, the
// loading screen and a level of blocks with the robot, drawn by the started
// engine in its own window under Xvfb (Mesa's software renderer) with the
// renderer's defaults (shadows and post-processing on). The engine runs on a
// fake clock, so every run draws the same frames.
//
// A picture matches its reference when the mean absolute difference of each
// channel is at most 1/255 and no channel of any pixel is off by more than
// 8/255: the shaders may compute the same image in other ways, but not change
// it. The references are PNG files under tests/data/picture; a run with
// ZENDRA_WRITE_PICTURES=1 writes them anew instead of comparing (only when
// the picture is meant to change). A failing picture is written beside the
// build as picture-<name>.png for a look.
//
// The main program reads its shadow kernel texel by texel; a second check
// draws the block level with several kernels through it and through a copy
// of the program that reads the kernel tap by tap, and compares. A third
// draws a level with a faded block and a see-through one with and without the
// software renderer's short cuts (opaque depth first, the sky unlit): not one
// pixel may change.
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "engine/core/FrameRateController.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Camera.h"
#include "engine/graphics/GraphicsComponent.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "engine/physics/CollisionComponent.h"
#include "engine/physics/Primitive.h"
#include "engine/platform/Clock.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LevelManager.h"
#include "support/FakeAudio.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

constexpr const char* PICTURE_FOLDER = "tests/data/picture/";
// Relative to the level folder, as free-loaded levels are named.
constexpr const char* BLOCK_LEVEL = "../../tests/data/picture/levels/blocks.xml";
constexpr const char* OBJECT_FOLDER = "tests/data/picture/objects/";
constexpr int BLOCK_COUNT = 269;

constexpr double MAX_MEAN_DIFFERENCE = 1.0;  // per channel, in 1/255 steps
constexpr int MAX_PIXEL_DIFFERENCE = 8;

// The fake clock: one frame is this many ticks of a microsecond counter, the
// largest step the per-frame computations take (so the screens' timers move
// at their fastest and the frame lock never waits).
constexpr std::uint64_t CLOCK_FREQUENCY = 1000000;
constexpr std::uint64_t FRAME_TICKS = 50000;

// Frames a screen runs before its picture (the level's robot is then in
// mid-stride).
constexpr int SPLASH_FRAMES = 8;
constexpr int LOADING_FRAMES = 10;
constexpr int LEVEL_FRAMES = 12;
// Draws at most before a frame with a frame time of 0 stands still.
constexpr int MAX_SETTLING_DRAWS = 60;
// Frames the camera takes to come to rest behind the robot.
constexpr int CAMERA_SETTLING_FRAMES = 30;
// Draws at a frame time of 0 before the frame stays the same.
constexpr int SETTLING_DRAWS = 4;
// A state change can take a few frames (popping first, then changing).
constexpr int MAX_CHANGE_FRAMES = 10;

// The shadow kernel read tap by tap, as the main program first computed it:
// the reference for the texel-by-texel reading, swapped into a copy of the
// main program's source.
constexpr const char* TAP_BY_TAP_SHADOW = R"(float ShadowFactor()
{
    if (enableShadows != 1 || vShadowCoord.w <= 0.0) return 1.0;
    vec3 coord = vShadowCoord.xyz / vShadowCoord.w;
    if (coord.x < 0.0 || coord.x > 1.0 || coord.y < 0.0 || coord.y > 1.0 || coord.z > 1.0) return 1.0;
    vec2 texel = vec2(1.0 / max(float(shadowMapWidth), 1.0), 1.0 / max(float(shadowMapHeight), 1.0));
    vec2 spacing = vec2(filterX, filterY) * texel;
    int countX = int(clamp(float(SAMPLECOUNTX), 1.0, float(MAX_SAMPLES)));
    int countY = int(clamp(float(SAMPLECOUNTY), 1.0, float(MAX_SAMPLES)));
    float lit = 0.0;
    for (int i = 0; i < MAX_SAMPLES; ++i) {
        if (i >= countX) break;
        for (int j = 0; j < MAX_SAMPLES; ++j) {
            if (j >= countY) break;
            vec2 offset = vec2(float(i) - 0.5 * float(countX - 1), float(j) - 0.5 * float(countY - 1)) * spacing;
            float depth = texture2D(shadowMap, coord.xy + offset).r;
            lit += (coord.z - depthBias > depth) ? 0.0 : 1.0;
        }
    }
    return lit / float(countX * countY);
}

)";

// Opaque RGB rows, bottom row first (as GL reads them).
struct Picture
{
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;
};

struct Difference
{
    std::array<double, 3> mean{};  // per channel
    int largest = 0;
    int pixelsOff = 0;  // pixels with a channel off by more than MAX_PIXEL_DIFFERENCE
};

Difference Compare(const Picture& a, const Picture& b)
{
    Difference d;
    std::array<std::uint64_t, 3> sum{};
    const size_t pixels = a.rgb.size() / 3;
    for (size_t p = 0; p < pixels; ++p) {
        bool off = false;
        for (int c = 0; c < 3; ++c) {
            const int delta = std::abs(int(a.rgb[p * 3 + c]) - int(b.rgb[p * 3 + c]));
            sum[c] += static_cast<std::uint64_t>(delta);
            d.largest = std::max(d.largest, delta);
            off = off || delta > MAX_PIXEL_DIFFERENCE;
        }
        if (off) ++d.pixelsOff;
    }
    for (int c = 0; c < 3; ++c) d.mean[c] = pixels ? static_cast<double>(sum[c]) / static_cast<double>(pixels) : 0.0;
    return d;
}

bool SavePng(const Picture& picture, const std::string& path)
{
    // FreeImage keeps 24-bit pixels as B, G, R in rows padded to 4 bytes.
    FIBITMAP* bitmap = FreeImage_Allocate(picture.width, picture.height, 24);
    if (!bitmap) return false;
    for (int y = 0; y < picture.height; ++y) {
        BYTE* row = FreeImage_GetScanLine(bitmap, y);
        const std::uint8_t* from = &picture.rgb[static_cast<size_t>(y) * picture.width * 3];
        for (int x = 0; x < picture.width; ++x) {
            row[x * 3 + FI_RGBA_RED] = from[x * 3];
            row[x * 3 + FI_RGBA_GREEN] = from[x * 3 + 1];
            row[x * 3 + FI_RGBA_BLUE] = from[x * 3 + 2];
        }
    }
    const bool saved = FreeImage_Save(FIF_PNG, bitmap, path.c_str(), PNG_Z_BEST_COMPRESSION) != 0;
    FreeImage_Unload(bitmap);
    return saved;
}

// False when the file is missing or no 24-bit picture.
bool LoadPng(const std::string& path, Picture& picture)
{
    FIBITMAP* bitmap = FreeImage_Load(FIF_PNG, path.c_str(), 0);
    if (!bitmap) return false;
    const bool rgb = FreeImage_GetBPP(bitmap) == 24;
    if (rgb) {
        picture.width = static_cast<int>(FreeImage_GetWidth(bitmap));
        picture.height = static_cast<int>(FreeImage_GetHeight(bitmap));
        picture.rgb.assign(static_cast<size_t>(picture.width) * picture.height * 3, 0);
        for (int y = 0; y < picture.height; ++y) {
            const BYTE* row = FreeImage_GetScanLine(bitmap, y);
            std::uint8_t* to = &picture.rgb[static_cast<size_t>(y) * picture.width * 3];
            for (int x = 0; x < picture.width; ++x) {
                to[x * 3] = row[x * 3 + FI_RGBA_RED];
                to[x * 3 + 1] = row[x * 3 + FI_RGBA_GREEN];
                to[x * 3 + 2] = row[x * 3 + FI_RGBA_BLUE];
            }
        }
    }
    FreeImage_Unload(bitmap);
    return rgb;
}

class PictureCheck : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // The game's window brings its own context; this one only keeps the
        // GL driver loaded to the end of the run, for the leak check.
        static TestSupport::GLTestContext* keep = new TestSupport::GLTestContext(64, 64);
        ASSERT_TRUE(keep->Ok()) << keep->Error();
        Platform::SetPerformanceCounterSource([this]() { return m_ticks; }, []() { return CLOCK_FREQUENCY; });
        m_system = System::GetInstance();
        testing::internal::CaptureStdout();
        const bool started = m_system->Initialize();
        m_log = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started) << m_log;
        m_states = m_system->gameStateManager;
    }
    void TearDown() override
    {
        testing::internal::CaptureStdout();
        m_system->Shutdown();
        testing::internal::GetCapturedStdout();
        System::DestroyInstance();
        Platform::SetPerformanceCounterSource(nullptr, nullptr);
    }

    void Frame()
    {
        m_ticks += FRAME_TICKS;
        m_system->Update();
    }
    // Asks for a state until it is current (popping the screens above the
    // bottom one takes a frame of its own); false when it never comes.
    bool ChangeTo(int state)
    {
        for (int i = 0; i < MAX_CHANGE_FRAMES && m_states->GetCurrentState() != state; ++i) {
            m_states->RequestState(state);
            Frame();
        }
        return m_states->GetCurrentState() == state;
    }

    // Draws the next frame and reads it back before it is shown.
    Picture Take()
    {
        m_ticks += FRAME_TICKS;
        m_system->renderer->RenderScene();
        Picture picture;
        picture.width = m_system->window->GetWidth();
        picture.height = m_system->window->GetHeight();
        picture.rgb.assign(static_cast<size_t>(picture.width) * picture.height * 3, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, picture.width, picture.height, GL_RGB, GL_UNSIGNED_BYTE, picture.rgb.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        return picture;
    }

    // Draws the same frame again: nothing moves with a frame time of 0 (once
    // the robot's animation has passed the keys it was behind, one a draw).
    Picture Again()
    {
        m_system->frameRateController->dt = 0.0;
        return Take();
    }
    // Loads the block level on the way the game takes (the splash skipped).
    void EnterBlockLevel()
    {
        m_system->objectManager->SetObjectFolder(OBJECT_FOLDER);
        m_states->GetLevelManager()->SetFreeLoadPath(BLOCK_LEVEL);
        ASSERT_TRUE(ChangeTo(STATE_FREELOAD));
    }

    // Compares a picture with its reference (or writes the reference).
    void Check(const Picture& picture, const std::string& name)
    {
        const std::string reference = TestSupport::SourceDir() + "/" + PICTURE_FOLDER + name + ".png";
        const char* write = std::getenv("ZENDRA_WRITE_PICTURES");
        if (write && std::string(write) == "1") {
            EXPECT_TRUE(SavePng(picture, reference)) << reference;
            return;
        }
        Picture expected;
        ASSERT_TRUE(LoadPng(reference, expected)) << "no reference picture " << reference;
        ASSERT_EQ(expected.width, picture.width) << name;
        ASSERT_EQ(expected.height, picture.height) << name;

        const Difference d = Compare(picture, expected);
        std::ostringstream report;
        report << name << ": mean difference " << d.mean[0] << ", " << d.mean[1] << ", " << d.mean[2]
               << "; largest " << d.largest << "; " << d.pixelsOff << " pixels off by more than "
               << MAX_PIXEL_DIFFERENCE;
        const bool same = std::max({d.mean[0], d.mean[1], d.mean[2]}) <= MAX_MEAN_DIFFERENCE &&
                          d.largest <= MAX_PIXEL_DIFFERENCE;
        if (!same) SavePng(picture, TestSupport::BinaryDir() + "/picture-" + name + ".png");
        EXPECT_TRUE(same) << report.str();
        std::printf("%s\n", report.str().c_str());
    }

    TestSupport::ScopedTempHome m_home;
    TestSupport::ScopedFakeAudio m_audio;
    System* m_system = nullptr;
    GameStateManager* m_states = nullptr;
    std::uint64_t m_ticks = 1;
    std::string m_log;
};

TEST_F(PictureCheck, SplashLoadingScreenAndBlockLevelLookAsTheirReferences)
{
    ASSERT_EQ(m_states->GetCurrentState(), STATE_SPLASH);
    for (int i = 0; i < SPLASH_FRAMES; ++i) Frame();
    ASSERT_EQ(m_states->GetCurrentState(), STATE_SPLASH);
    Check(Take(), "splash");

    // As a key press skips the splash.
    ASSERT_TRUE(ChangeTo(STATE_LOADING));
    for (int i = 0; i < LOADING_FRAMES; ++i) Frame();
    ASSERT_EQ(m_states->GetCurrentState(), STATE_LOADING);
    Check(Take(), "loading");

    EnterBlockLevel();
    ASSERT_EQ(m_system->renderer->m_postProcessing, 1);
    ASSERT_TRUE(m_system->renderer->m_shadowMap.shadowsOn);
    int blocks = 0, robots = 0;
    for (GameObject* o : m_system->objectManager->GetAllObjects()) {
        blocks += o->type == CUBE;
        robots += o->type == PLAYER;
    }
    EXPECT_EQ(blocks, BLOCK_COUNT);
    EXPECT_EQ(robots, 1);
    for (int i = 0; i < LEVEL_FRAMES; ++i) Frame();
    Check(Take(), "blocks");
}

TEST_F(PictureCheck, ShadowKernelReadTexelByTexelMatchesTheTapByTapKernel)
{
    EnterBlockLevel();
    for (int i = 0; i < LEVEL_FRAMES; ++i) Frame();
    ShadowMap& shadows = m_system->renderer->m_shadowMap;
    for (int i = 0; i < SETTLING_DRAWS; ++i) Again();
    struct Kernel
    {
        int countX, countY;
        float filterX, filterY;
    };
    // Kernels that fit the 5 x 4 texel window: the default, uneven counts and
    // spacings, a negative spacing, one tap, all taps on one texel, and spans
    // of exactly 4 x 3 texels. Then one twice as wide, which the window only
    // gathers into cells.
    const std::vector<Kernel> kernels = {{9, 9, 0.5f, 0.3f}, {5, 7, 0.25f, 0.45f}, {9, 9, -0.5f, 0.3f},
                                         {1, 1, 0.5f, 0.3f}, {4, 4, 0.0f, 0.0f},    {3, 4, 2.0f, 1.0f},
                                         {9, 9, 1.0f, 0.75f}};
    const size_t fitting = kernels.size() - 1;
    std::vector<Picture> pictures;
    for (const Kernel& k : kernels) {
        shadows.SAMPLECOUNTX = k.countX;
        shadows.SAMPLECOUNTY = k.countY;
        shadows.filterX = k.filterX;
        shadows.filterY = k.filterY;
        pictures.push_back(Again());
    }
    EXPECT_GT(Compare(pictures.front(), pictures.back()).largest, MAX_PIXEL_DIFFERENCE) << "the kernels draw alike";

    // The same frames through a main program that reads the kernel tap by tap.
    namespace fs = std::filesystem;
    const std::string root = TestSupport::SourceDir();
    const std::string dir = TestSupport::MakeTempDir();
    fs::create_directories(dir + "/data");
    fs::copy(root + "/data/shaders", dir + "/data/shaders");
    std::string main = TestSupport::ReadFile(root + "/data/shaders/main.frag");
    const size_t from = main.find("float ShadowFactor()");
    const size_t to = main.find("void main()");
    ASSERT_NE(from, std::string::npos);
    ASSERT_NE(to, std::string::npos);
    main.replace(from, to - from, TAP_BY_TAP_SHADOW);
    ASSERT_TRUE(TestSupport::WriteFile(dir + "/data/shaders/main.frag", main));
    ASSERT_EQ(chdir(dir.c_str()), 0);
    m_system->shaderManager->RecompileAllShaders();
    ASSERT_EQ(chdir(root.c_str()), 0);
    TestSupport::RemoveTree(dir);

    for (size_t i = 0; i < kernels.size(); ++i) {
        const Kernel& k = kernels[i];
        shadows.SAMPLECOUNTX = k.countX;
        shadows.SAMPLECOUNTY = k.countY;
        shadows.filterX = k.filterX;
        shadows.filterY = k.filterY;
        const Difference d = Compare(pictures[i], Again());
        const double mean = std::max({d.mean[0], d.mean[1], d.mean[2]});
        if (i < fitting) {
            // A tap within rounding of a texel edge may land on either texel.
            EXPECT_LE(d.largest, MAX_PIXEL_DIFFERENCE) << i;
            EXPECT_LE(mean, 0.01) << i;
        } else {
            // Soft edges a little different, every shadow in its place.
            EXPECT_LE(mean, MAX_MEAN_DIFFERENCE) << i;
        }
        std::printf("kernel %zu: mean difference %g, largest %d\n", i, mean, d.largest);
    }
}

} // namespace

namespace {

TEST_F(PictureCheck, OpaqueDepthFirstAndTheUnlitSkyChangeNoPixel)
{
    EnterBlockLevel();
    for (int i = 0; i < LEVEL_FRAMES; ++i) Frame();
    Renderer* renderer = m_system->renderer;
    ASSERT_TRUE(renderer->m_depthPrepass) << "the tests run on Mesa's software renderer";
    ASSERT_TRUE(renderer->m_unlitSky);

    // A block between the robot and the camera (the occluder fade draws it at
    // half opacity, last) and a see-through one beside the robot, in front
    // of the floor: neither may go into the depth pass.
    GameObject* robot = nullptr;
    for (GameObject* o : m_system->objectManager->GetAllObjects())
        if (o->type == PLAYER) robot = o;
    ASSERT_NE(robot, nullptr);
    // The occluder fade looks from player one; the camera settles on it.
    m_system->playerOne = robot;
    for (int i = 0; i < CAMERA_SETTLING_FRAMES; ++i) Frame();
    const glm::vec3 eye = renderer->GetCamera()->GetEye();
    GameObject* faded = m_system->objectManager->CreateInstance(CUBE, glm::mix(robot->position, eye, 0.4f));
    GameObject* seeThrough = m_system->objectManager->CreateInstance(CUBE, robot->position + glm::vec3(1.5f, 0.5f, 1.5f));
    ASSERT_NE(faded, nullptr);
    ASSERT_NE(seeThrough, nullptr);
    static_cast<GraphicsComponent*>(seeThrough->GetComponent(CT_GRAPHICS))->m_textureId = "star";
    // The fade tests the block's box where the block stands.
    CollisionComponent* collision = GetCollisionComponent(faded);
    auto* box = collision ? dynamic_cast<CollisionBox*>(collision->GetPrimitive()) : nullptr;
    ASSERT_NE(box, nullptr);
    box->halfSize = glm::vec3(0.5f);
    collision->UpdatePrimitive();
    // Draws at a frame time of 0 until the robot's pose has caught up.
    Picture previous = Again();
    for (int i = 0; i < MAX_SETTLING_DRAWS; ++i) {
        Picture next = Again();
        const bool still = Compare(previous, next).largest == 0;
        previous = std::move(next);
        if (still) break;
    }
    EXPECT_EQ(static_cast<GraphicsComponent*>(faded->GetComponent(CT_GRAPHICS))->GetOpacity(), 0.5f);
    TextureManager* textures = m_system->textureManager;
    EXPECT_TRUE(textures->IsOpaque("floor"));
    EXPECT_FALSE(textures->IsOpaque("star"));
    EXPECT_FALSE(renderer->InDepthPrepass(faded));
    EXPECT_FALSE(renderer->InDepthPrepass(seeThrough));
    EXPECT_FALSE(renderer->InDepthPrepass(robot)) << "a skinned mesh is posed again at each draw";

    const Picture shortCuts = Again();
    ASSERT_EQ(Compare(previous, shortCuts).largest, 0) << "the frame does not stand still";
    renderer->m_depthPrepass = false;
    renderer->m_unlitSky = false;
    const Picture plain = Again();
    const Difference d = Compare(shortCuts, plain);
    EXPECT_EQ(d.largest, 0) << d.pixelsOff << " pixels off";
    // The faded and the see-through block do show.
    seeThrough->flags |= OBJ_SKIP_DRAW;
    faded->flags |= OBJ_SKIP_DRAW;
    EXPECT_GT(Compare(plain, Again()).largest, MAX_PIXEL_DIFFERENCE);
    m_system->playerOne = nullptr;
}

} // namespace
