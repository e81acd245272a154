// The whole game from start-up to the menu request, on the real window under
// the test X server: the splash screen, the splash controller and the loading
// screen each draw a picture of their own, advance by themselves, load every
// listed resource without a missing-resource report, and ask for the main
// menu (36). The run waits for the screens' own timers (about five seconds).
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "engine/core/AudioManager.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/TextureManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "game/flow/LoadingLevel.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

// How many frames a screen is shown before its picture is taken.
constexpr int FRAMES_BEFORE_PICTURE = 10;
// Far more frames than the road takes at 60 a second.
constexpr int MAX_FRAMES = 60 * 30;

using Picture = std::vector<std::uint8_t>;

// Draws the frame again and reads it back before it is shown.
Picture TakePicture(System* system)
{
    const int width = system->window->GetWidth();
    const int height = system->window->GetHeight();
    system->renderer->RenderScene();
    Picture pixels(static_cast<size_t>(width) * height * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// The number of distinct colours (a blank screen has one).
size_t ColourCount(const Picture& picture)
{
    std::map<std::uint32_t, int> colours;
    for (size_t i = 0; i + 3 < picture.size(); i += 4)
        colours[picture[i] | picture[i + 1] << 8 | picture[i + 2] << 16]++;
    return colours.size();
}

// The share of pixels (0 to 1) that differ between two pictures.
double Difference(const Picture& a, const Picture& b)
{
    if (a.size() != b.size() || a.empty()) return 1.0;
    size_t differing = 0;
    for (size_t i = 0; i + 3 < a.size(); i += 4)
        if (a[i] != b[i] || a[i + 1] != b[i + 1] || a[i + 2] != b[i + 2]) ++differing;
    return static_cast<double>(differing) / static_cast<double>(a.size() / 4);
}

TEST(StartupRoad, SplashScreensAdvanceToTheLoadingScreenWhichAsksForTheMenu)
{
    TestSupport::ScopedTempHome home;
    // Keeps the GL driver loaded to the end of the run, for the leak check.
    static TestSupport::GLTestContext* gl = new TestSupport::GLTestContext(64, 64);
    ASSERT_TRUE(gl->Ok()) << gl->Error();

    System* system = System::GetInstance();
    testing::internal::CaptureStdout();
    const bool started = system->Initialize();
    ASSERT_TRUE(started) << testing::internal::GetCapturedStdout();
    GameStateManager* states = system->gameStateManager;

    std::map<int, Picture> pictures;  // by state id
    std::map<int, int> framesIn;
    std::vector<int> road{states->GetCurrentState()};
    bool menuRequested = false;
    for (int frame = 0; frame < MAX_FRAMES && system->IsRunning() && !menuRequested; ++frame) {
        system->Update();
        const int id = states->GetCurrentState();
        if (road.back() != id) road.push_back(id);
        if (++framesIn[id] == FRAMES_BEFORE_PICTURE) pictures[id] = TakePicture(system);
        menuRequested = id == STATE_LOADING && states->GetRequestedState() == STATE_MAINMENU;
    }
    const std::string out = testing::internal::GetCapturedStdout();

    EXPECT_TRUE(menuRequested);
    EXPECT_EQ(road, (std::vector<int>{STATE_SPLASH, STATE_SPLASH_CONTROLLER, STATE_LOADING}));
    EXPECT_NE(out.find("Automatic skip splash after"), std::string::npos);

    // Every screen drew a picture, and each differs from the one before.
    ASSERT_EQ(pictures.size(), 3u);
    for (const auto& entry : pictures) EXPECT_GT(ColourCount(entry.second), 16u) << entry.first;
    EXPECT_GT(Difference(pictures[STATE_SPLASH], pictures[STATE_SPLASH_CONTROLLER]), 0.05);
    EXPECT_GT(Difference(pictures[STATE_SPLASH_CONTROLLER], pictures[STATE_LOADING]), 0.05);

    // Everything the loading screen lists was found.
    for (const char* report : {"Unable to find given texture id", "SOIL is unable to load", "Mesh cannot be loaded",
                               "Problem opening model file", "Unable to load music stream", "Unable to load sound"})
        EXPECT_EQ(out.find(report), std::string::npos) << report;
    for (const std::string& id : LoadingLevel::TextureList()) EXPECT_TRUE(system->textureManager->IsLoaded(id)) << id;
    for (const std::string& name : LoadingLevel::SoundList()) EXPECT_EQ(system->audioManager->m_Sounds.count(name), 1u);
    for (const std::string& name : LoadingLevel::StreamList())
        EXPECT_EQ(system->audioManager->m_Sounds.count(name), 1u);

    testing::internal::CaptureStdout();
    system->Shutdown();
    testing::internal::GetCapturedStdout();
    System::DestroyInstance();

    // A clean start has nothing to warn about: the tweak-bar library, sized
    // by the renderer before it starts, stays quiet on the page and console.
    const std::string page = TestSupport::ReadFile(home.GameFolder() + "/SystemActivity.html");
    ASSERT_NE(page.find("Graphics system initialized."), std::string::npos);
    EXPECT_EQ(page.find("Tweak bar"), std::string::npos);
    EXPECT_EQ(out.find("Tweak bar"), std::string::npos);
}

} // namespace
