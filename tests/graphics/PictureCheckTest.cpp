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
#include <gtest/gtest.h>

#include <FreeImage.h>
#include <GL/glew.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Renderer.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
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

// Frames a screen runs before its picture: the splash and the loading screen
// have faded in, the level's robot is in mid-stride.
constexpr int SPLASH_FRAMES = 8;
constexpr int LOADING_FRAMES = 10;
constexpr int LEVEL_FRAMES = 12;
// A state change can take a few frames (popping first, then changing).
constexpr int MAX_CHANGE_FRAMES = 10;

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

    m_system->objectManager->SetObjectFolder(OBJECT_FOLDER);
    m_states->GetLevelManager()->SetFreeLoadPath(BLOCK_LEVEL);
    ASSERT_TRUE(ChangeTo(STATE_FREELOAD));
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

} // namespace
