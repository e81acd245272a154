// The real window under Xvfb (screen 1280 x 1024): creation from the shipped
// configuration, display-mode rebuilds, their failures and the message pump.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/EngineDoor.h"
#include "engine/core/FileManager.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/Mesh.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/TextureManager.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateManager.h"
#include "game/flow/GameStateTables.h"
#include "engine/platform/CursorFile.h"
#include "engine/platform/Video.h"
#include "support/EngineFixture.h"
#include "support/TestEnv.h"
#include "support/WindowIconProperty.h"

using namespace QRX;

namespace {

constexpr int SCREEN_WIDTH = 1280;
constexpr int SCREEN_HEIGHT = 1024;

class WindowDisplayTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        System* s = System::GetInstance();
        s->logger = new Logger();
        s->fileManager = new FileManager();
        s->window = new Window();
        ASSERT_TRUE(s->window->Initialize()) << "is DISPLAY set to an Xvfb server?";
    }
    void TearDown() override
    {
        Platform::SetWindowCreationHook(nullptr);
        System* s = System::GetInstance();
        // Graphics resources go while their context exists.
        delete s->textureManager;
        s->textureManager = nullptr;
        delete s->meshManager;
        s->meshManager = nullptr;
        delete s->gameStateManager;
        s->gameStateManager = nullptr;
        if (s->window) s->window->KillWindow(true);
        delete s->window;
        s->window = nullptr;
        delete s->fileManager;
        s->fileManager = nullptr;
        delete s->logger;
        s->logger = nullptr;
        System::DestroyInstance();
    }
    Window& W() { return *System::GetInstance()->window; }
    std::string Page() const { return TestSupport::ReadFile(m_home.GameFolder() + "/SystemActivity.html"); }
    void ExpectWorkingContext()
    {
        ASSERT_TRUE(W().HasContext());
        const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
        ASSERT_NE(version, nullptr);
        int major = 0, minor = 0;
        ASSERT_EQ(std::sscanf(version, "%d.%d", &major, &minor), 2) << version;
        EXPECT_TRUE(major > 2 || (major == 2 && minor >= 1)) << version;
        // Fixed functions must work: a compatibility context, never a core one.
        if (major > 3 || (major == 3 && minor >= 2)) {
            GLint mask = 0;
            glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &mask);
            EXPECT_EQ(mask & GL_CONTEXT_CORE_PROFILE_BIT, 0) << version;
        }
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        // Entry points of the loader are there for this context.
        EXPECT_NE(glGenBuffers, nullptr);
        GLuint buffer = 0;
        glGenBuffers(1, &buffer);
        EXPECT_NE(buffer, 0u);
        glDeleteBuffers(1, &buffer);
    }

    TestSupport::ScopedTempHome m_home;
};

TEST_F(WindowDisplayTest, OpensAtTheConfiguredSizeWithACompatibilityContext)
{
    EXPECT_EQ(W().GetWidth(), 1024);
    EXPECT_EQ(W().GetHeight(), 768);
    EXPECT_FALSE(W().IsFullscreen());
    EXPECT_EQ(W().GetDesktopWidth(), SCREEN_WIDTH);
    EXPECT_EQ(W().GetDesktopHeight(), SCREEN_HEIGHT);
    EXPECT_NE(W().GetWindowId(), 0u);
    SDL_Window* sdl = SDL_GetWindowFromID(W().GetWindowId());
    ASSERT_NE(sdl, nullptr);
    int w = 0, h = 0;
    SDL_GetWindowSize(sdl, &w, &h);
    EXPECT_EQ(w, 1024);
    EXPECT_EQ(h, 768);
    EXPECT_STREQ(SDL_GetWindowTitle(sdl), "Zendra");
    ExpectWorkingContext();
    GLint depth = 0, stencil = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depth);
    glGetIntegerv(GL_STENCIL_BITS, &stencil);
    EXPECT_GE(depth, 24);
    EXPECT_GE(stencil, 8);
    GLboolean doubled = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubled);
    EXPECT_EQ(doubled, GL_TRUE);
    W().SwapBuffers();

    std::string page = Page();
    EXPECT_NE(page.find("Fullscreen? No"), std::string::npos);
    EXPECT_NE(page.find("Retrieving system information..."), std::string::npos);
    EXPECT_EQ(page.find("Unable to load cursor"), std::string::npos);
    EXPECT_EQ(page.find("Defaulting"), std::string::npos);
}

TEST_F(WindowDisplayTest, FullScreenAtTheScreenSizeRebuildsTheContext)
{
    ASSERT_TRUE(W().ChangeResolution(SCREEN_WIDTH, SCREEN_HEIGHT, true));
    const std::uint32_t windowedId = W().GetWindowId();
    ASSERT_TRUE(W().SetFullscreen(true));
    EXPECT_TRUE(W().IsFullscreen());
    EXPECT_FALSE(W().IsChangingMode());
    EXPECT_NE(W().GetWindowId(), windowedId);
    SDL_Window* sdl = SDL_GetWindowFromID(W().GetWindowId());
    ASSERT_NE(sdl, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN, 0u);
    ExpectWorkingContext();

    std::string page = Page();
    const char* steps[] = {"|QRX::Window::SetFullscreen] <span style=\"color: #004ef0;\"><strong>INFO</strong></span> - Releasing resources...",
                           "Resources released.<br />\nShutting down window...",
                           "Window shutdown.<br />\nRecreating window...",
                           "Fullscreen? Yes",
                           "Window created.<br />\nReiniting resources...",
                           "Reinit resources completed. Changing display mode process complete."};
    size_t at = page.find("|QRX::Window::SetFullscreen]");
    for (const char* step : steps) {
        size_t next = page.find(step, at);
        ASSERT_NE(next, std::string::npos) << step;
        at = next;
    }

    // And back to a window.
    ASSERT_TRUE(W().SetFullscreen(false));
    EXPECT_FALSE(W().IsFullscreen());
    ExpectWorkingContext();
}

TEST_F(WindowDisplayTest, RebuildReleasesAndReloadsGraphicsResources)
{
    System* s = System::GetInstance();
    s->meshManager = new MeshManager();
    s->meshManager->Initialize();
    s->textureManager = new TextureManager();
    s->textureManager->Init();
    ASSERT_NE(s->meshManager->FindMesh("error"), nullptr);
    ASSERT_NE(s->textureManager->GetNotFoundTexture(), 0u);

    ASSERT_TRUE(W().ChangeResolution(800, 600, true));
    // The default mesh is back, in buffers of the new context.
    Mesh* mesh = s->meshManager->FindMesh("error");
    ASSERT_NE(mesh, nullptr);
    EXPECT_NE(mesh->GetVertexBuffer(), 0u);
    EXPECT_EQ(glIsBuffer(mesh->GetVertexBuffer()), GL_TRUE);
    // Textures were all released; the loading state brings them back.
    EXPECT_EQ(s->textureManager->GetNotFoundTexture(), 0u);
    EXPECT_TRUE(s->textureManager->GetTextures().empty());
    GLuint fallback = s->textureManager->GetTexture("no-such-texture");
    EXPECT_NE(fallback, 0u);
    EXPECT_EQ(glIsTexture(fallback), GL_TRUE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(WindowDisplayTest, ResolutionLargerThanTheScreenChangesNothing)
{
    const std::uint32_t id = W().GetWindowId();
    EXPECT_FALSE(W().ChangeResolution(SCREEN_WIDTH + 1, SCREEN_HEIGHT, true));
    EXPECT_FALSE(W().ChangeResolution(1600, 1200, true));
    EXPECT_FALSE(W().ChangeResolution(0, 600, true));
    EXPECT_EQ(W().GetWindowId(), id);
    EXPECT_EQ(W().GetWidth(), 1024);
    EXPECT_EQ(W().GetHeight(), 768);
    EXPECT_FALSE(W().IsChangingMode());
    EXPECT_EQ(Page().find("Releasing resources..."), std::string::npos);
    ExpectWorkingContext();
}

TEST_F(WindowDisplayTest, ResolutionChangeKeepsTheModeAndRebuilds)
{
    const std::uint32_t id = W().GetWindowId();
    ASSERT_TRUE(W().ChangeResolution(800, 600, true));
    EXPECT_NE(W().GetWindowId(), id);
    EXPECT_EQ(W().GetWidth(), 800);
    EXPECT_EQ(W().GetHeight(), 600);
    EXPECT_FALSE(W().IsFullscreen());
    EXPECT_NE(Page().find("|QRX::Window::ChangeResolution] <span style=\"color: #004ef0;\"><strong>INFO</strong></span> - Releasing resources..."),
              std::string::npos);
    ExpectWorkingContext();
}

TEST_F(WindowDisplayTest, ARebuildGoesThroughTheDisplaySeamInOrder)
{
    const EngineDoor::Display saved = Door().display;
    std::vector<std::string> calls;
    bool contextCurrent = false;
    Door().display.releaseResources = {[&]() {
                                           // Still the old context: its resources can go.
                                           contextCurrent = W().HasContext();
                                           calls.push_back("release graphics");
                                       },
                                       [&]() { calls.push_back("release panels"); }};
    Door().display.restoreContext = {[&](const Window& window) {
                                         calls.push_back("context at " + std::to_string(window.GetWidth()));
                                     },
                                     [&](const Window&) { calls.push_back("panels"); }};
    Door().display.rescaleUI = [&](int width, int height) {
        calls.push_back("rescale to " + std::to_string(width) + "x" + std::to_string(height));
    };
    Door().display.restoreScene = {[&](const Window&) { calls.push_back("scene"); }};
    Door().display.resized = [&]() { calls.push_back("resized"); };

    ASSERT_TRUE(W().ChangeResolution(800, 600, true));
    EXPECT_TRUE(contextCurrent);
    EXPECT_EQ(calls, (std::vector<std::string>{"release graphics", "release panels", "context at 800", "panels",
                                               "rescale to 800x600", "scene"}));
    // OnResize rebuilds at the same size, then asks for the resources back.
    calls.clear();
    W().OnResize(true);
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls.back(), "resized");

    // An empty seam: the rebuild still works and touches nothing above it.
    Door().display = {};
    ASSERT_TRUE(W().ChangeResolution(640, 480, true));
    ExpectWorkingContext();
    Door().display = saved;
}

TEST_F(WindowDisplayTest, TheSeamSeesEveryMessageFirstAndKeepsWhatItUses)
{
    const EngineDoor::Display saved = Door().display;
    std::vector<std::uint32_t> seen;
    bool take = true;
    Door().display.takeMessage = [&](const Platform::WindowMessage& message) {
        seen.push_back(message.message);
        return take;
    };
    Platform::WindowMessage close;
    close.message = Platform::WM_CLOSE;
    EXPECT_EQ(Window::WindowProcedure(close), 0);
    EXPECT_TRUE(System::GetInstance()->IsRunning());
    take = false;
    Window::WindowProcedure(close);
    EXPECT_FALSE(System::GetInstance()->IsRunning());
    EXPECT_EQ(seen, (std::vector<std::uint32_t>{Platform::WM_CLOSE, Platform::WM_CLOSE}));
    Door().display = saved;
}

TEST_F(WindowDisplayTest, FullScreenAtASizeTheScreenDoesNotOfferIsRefused)
{
    ASSERT_EQ(W().GetWidth(), 1024);
    EXPECT_FALSE(W().SetFullscreen(true));
    EXPECT_FALSE(W().IsFullscreen());
    EXPECT_FALSE(W().IsChangingMode());
    EXPECT_EQ(W().GetWidth(), 1024);
    ExpectWorkingContext();
    SDL_Window* sdl = SDL_GetWindowFromID(W().GetWindowId());
    ASSERT_NE(sdl, nullptr);
    EXPECT_EQ(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN, 0u);
    std::string page = Page();
    size_t at = page.find("The requested fullscreen mode is not supported by your video card. Reverting back to windowed mode.");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(page.rfind("<strong>ERROR</strong>", at), std::string::npos);
    // A refused mode still ends the rebuild with working resources.
    EXPECT_NE(page.find("Reinit resources completed.", at), std::string::npos);
    EXPECT_TRUE(System::GetInstance()->IsRunning());
    // From full screen to a size the display has no full-screen mode of: windowed there, the button held up.
    ASSERT_TRUE(W().ChangeResolution(SCREEN_WIDTH, SCREEN_HEIGHT, true) && W().SetFullscreen(true));
    InputManager input;
    System::GetInstance()->inputManager = &input;
    InputManager::current[KEY_LBUTTON] = InputManager::previous[KEY_LBUTTON] = 1;
    EXPECT_TRUE(W().ChangeResolution(800, 600, true));
    System::GetInstance()->inputManager = nullptr;
    EXPECT_TRUE(!W().IsFullscreen() && W().GetWidth() == 800 && !InputManager::IsHeld(KEY_LBUTTON));
}

TEST_F(WindowDisplayTest, FailedRebuildReturnsToThePreviousMode)
{
    int refusals = 1;
    Platform::SetWindowCreationHook([&refusals] { return refusals-- <= 0; });
    EXPECT_FALSE(W().ChangeResolution(800, 600, true));
    EXPECT_FALSE(W().IsChangingMode());
    EXPECT_EQ(W().GetWidth(), 1024);
    EXPECT_EQ(W().GetHeight(), 768);
    EXPECT_TRUE(System::GetInstance()->IsRunning());
    ExpectWorkingContext();
    std::string page = Page();
    EXPECT_NE(page.find("Window creation error. Aborting."), std::string::npos);
    EXPECT_NE(page.find("Something went wrong while trying to recreate a new window!"), std::string::npos);
    EXPECT_EQ(page.find("exiting game"), std::string::npos);

    // The same for a switch to full screen.
    ASSERT_TRUE(W().ChangeResolution(SCREEN_WIDTH, SCREEN_HEIGHT, true));
    refusals = 1;
    EXPECT_FALSE(W().SetFullscreen(true));
    EXPECT_FALSE(W().IsFullscreen());
    EXPECT_FALSE(W().IsChangingMode());
    ExpectWorkingContext();
}

TEST_F(WindowDisplayTest, RebuildThatCannotMakeAnyWindowStopsTheGame)
{
    Platform::SetWindowCreationHook([] { return false; });
    EXPECT_FALSE(W().SetFullscreen(false));
    EXPECT_FALSE(W().IsChangingMode());
    EXPECT_FALSE(W().HasContext());
    EXPECT_FALSE(System::GetInstance()->IsRunning());
    std::string page = Page();
    size_t at = page.find("Unable to restore the previous display mode, exiting game...");
    ASSERT_NE(at, std::string::npos);
    EXPECT_NE(page.rfind("<strong>ERROR</strong>", at), std::string::npos);
    // Nothing touched OpenGL after the window was lost.
    EXPECT_EQ(page.find("Reiniting resources"), std::string::npos);
    // Swapping and pumping without a window do nothing.
    W().SwapBuffers();
    W().PumpMessages();
}

TEST_F(WindowDisplayTest, FullScreenFocusLossAndReturnRebuildTheMode)
{
    ASSERT_TRUE(W().ChangeResolution(SCREEN_WIDTH, SCREEN_HEIGHT, true));
    ASSERT_TRUE(W().SetFullscreen(true));
    System::GetInstance()->gameStateManager = new GameStateManager();
    const size_t rebuilds = TestSupport::Count(Page(), "Releasing resources...");
    const std::uint32_t id = W().GetWindowId();

    Platform::WindowMessage lost;
    lost.message = Platform::WM_KILLFOCUS;
    Window::WindowProcedure(lost);
    EXPECT_TRUE(W().IsDeactivated());
    EXPECT_EQ(System::GetInstance()->gameStateManager->GetRequestedState(), STATE_SPLASH);
    EXPECT_TRUE(W().IsFullscreen());  // the mode to come back to
    EXPECT_EQ(TestSupport::Count(Page(), "Releasing resources..."), rebuilds);

    Platform::WindowMessage back;
    back.message = Platform::WM_ACTIVATE;
    back.wParam = Platform::WA_ACTIVE;
    Window::WindowProcedure(back);
    EXPECT_FALSE(W().IsDeactivated());
    EXPECT_TRUE(W().IsFullscreen());
    EXPECT_NE(W().GetWindowId(), id);
    EXPECT_EQ(TestSupport::Count(Page(), "Releasing resources..."), rebuilds + 1);
    // The loading screen is asked for, to bring the resources back.
    EXPECT_EQ(System::GetInstance()->gameStateManager->GetRequestedState(), STATE_LOADING);
    SDL_Window* sdl = SDL_GetWindowFromID(W().GetWindowId());
    ASSERT_NE(sdl, nullptr);
    EXPECT_NE(SDL_GetWindowFlags(sdl) & SDL_WINDOW_FULLSCREEN, 0u);
    ExpectWorkingContext();

    // A second activation finds nothing to rebuild.
    Window::WindowProcedure(back);
    EXPECT_EQ(TestSupport::Count(Page(), "Releasing resources..."), rebuilds + 1);
}

TEST_F(WindowDisplayTest, PumpDropsEventsOfTheDestroyedWindow)
{
    const std::uint32_t oldId = W().GetWindowId();
    ASSERT_TRUE(W().ChangeResolution(800, 600, true));
    const std::uint32_t newId = W().GetWindowId();
    ASSERT_NE(oldId, newId);

    SDL_Event close{};
    close.type = SDL_WINDOWEVENT;
    close.window.event = SDL_WINDOWEVENT_CLOSE;
    close.window.windowID = oldId;
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    W().PumpMessages();
    EXPECT_TRUE(System::GetInstance()->IsRunning());

    close.window.windowID = newId;
    ASSERT_EQ(SDL_PushEvent(&close), 1);
    W().PumpMessages();
    EXPECT_FALSE(System::GetInstance()->IsRunning());
}

TEST_F(WindowDisplayTest, QuitEventEndsTheLoop)
{
    W().PumpMessages();
    ASSERT_TRUE(System::GetInstance()->IsRunning());
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    ASSERT_EQ(SDL_PushEvent(&quit), 1);
    W().PumpMessages();
    EXPECT_FALSE(System::GetInstance()->IsRunning());
}

std::vector<unsigned long> IconProperty(const Window& window)
{
    return TestSupport::ReadWindowIconProperty(window.GetWindowId());
}

TEST_F(WindowDisplayTest, TheWindowCarriesTheGamesIconLargeAndSmall)
{
    std::vector<Platform::CursorImage> images;
    std::string error;
    ASSERT_TRUE(Platform::ReadIconFile(TestSupport::SourceDir() + "/data/assets/zendra.ico", &images, &error))
        << error;
    ASSERT_EQ(images.size(), 2u);
    std::vector<unsigned long> expected;
    for (const Platform::CursorImage& image : images) {
        expected.push_back(static_cast<unsigned long>(image.width));
        expected.push_back(static_cast<unsigned long>(image.height));
        for (size_t i = 0; i < image.rgba.size(); i += 4)
            expected.push_back((static_cast<unsigned long>(image.rgba[i + 3]) << 24) |
                               (static_cast<unsigned long>(image.rgba[i]) << 16) |
                               (static_cast<unsigned long>(image.rgba[i + 1]) << 8) | image.rgba[i + 2]);
    }
    const std::vector<unsigned long> icon = IconProperty(W());
    ASSERT_EQ(icon.size(), 2u + 32 * 32 + 2u + 16 * 16);
    EXPECT_EQ(icon[0], 32u);
    EXPECT_EQ(icon[1], 32u);
    EXPECT_EQ(icon[2 + 32 * 32], 16u);
    EXPECT_EQ(icon[3 + 32 * 32], 16u);
    EXPECT_EQ(icon, expected);

    // A rebuilt window gets it again.
    ASSERT_TRUE(W().ChangeResolution(800, 600, true));
    EXPECT_EQ(IconProperty(W()), expected);
    EXPECT_EQ(Page().find("Unable to load icon"), std::string::npos);
}

TEST_F(WindowDisplayTest, WithoutItsIconFileTheWindowOpensWithAWarning)
{
    W().KillWindow(true);
    const std::string dir = TestSupport::MakeTempDir("zendra-noicon");
    const std::string back = std::filesystem::current_path().string();
    std::filesystem::current_path(dir);
    Window bare;
    const bool opened = bare.Initialize();
    std::filesystem::current_path(back);
    ASSERT_TRUE(opened);
    EXPECT_TRUE(bare.HasContext());
    EXPECT_TRUE(IconProperty(bare).empty());
    const std::string page = Page();
    const size_t at = page.find("Unable to load icon data\\assets\\zendra.ico (file cannot be opened). The window "
                                "keeps the system's icon.");
    ASSERT_NE(at, std::string::npos) << page;
    EXPECT_NE(page.rfind("<strong>WARNING</strong>", at), std::string::npos);
    bare.KillWindow(true);
    TestSupport::RemoveTree(dir);
}

TEST_F(WindowDisplayTest, KillWindowReleasesEverythingAndMayRunTwice)
{
    W().KillWindow(true);
    EXPECT_FALSE(W().HasContext());
    EXPECT_EQ(W().GetWindowId(), 0u);
    EXPECT_FALSE(Platform::IsVideoStarted());
    W().KillWindow(true);
    W().SwapBuffers();
}

// The whole engine started, as the game starts it.
class WindowInGameTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Logger::SetDialogAvailableOverride(0);
        testing::internal::CaptureStdout();
        const bool started = System::GetInstance()->Initialize();
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started);
    }
    void TearDown() override
    {
        testing::internal::CaptureStdout();
        System::GetInstance()->Shutdown();
        testing::internal::GetCapturedStdout();
        System::DestroyInstance();
        Logger::SetDialogAvailableOverride(-1);
    }
    static System& S() { return *System::GetInstance(); }
    static GUIComponent* Gui(GameObject* o) { return dynamic_cast<GUIComponent*>(o->GetComponent(CT_GUI)); }

    TestSupport::ScopedTempHome m_home;
};

TEST_F(WindowInGameTest, ResolutionChangeFitsTheInterfaceAndRemakesFonts)
{
    GameObject* button = S().objectManager->CreateUIObject(1, glm::vec3(100.0f, 200.0f, -5.0f), glm::quat(),
                                                          glm::vec3(40.0f, 30.0f, 1.0f));
    GameObject* unread = S().objectManager->CreateUIObject(1, glm::vec3(10.0f, 20.0f, -5.0f), glm::quat(),
                                                          glm::vec3(4.0f, 3.0f, 1.0f));
    ASSERT_NE(button, nullptr);
    ASSERT_NE(unread, nullptr);
    ASSERT_EQ(Gui(button)->m_layoutWidth, 1024.0f);
    Gui(unread)->m_layoutWidth = 0.0f;
    Gui(unread)->m_layoutHeight = 0.0f;
    button->BuildTransform();
    unread->BuildTransform();
    ASSERT_GT(S().fontManager->GetFontCount(), 0u);

    ASSERT_TRUE(S().window->ChangeResolution(1280, 960, true));
    EXPECT_EQ(button->position, glm::vec3(125.0f, 250.0f, -5.0f));
    EXPECT_EQ(button->scale, glm::vec3(50.0f, 37.5f, 1.0f));
    EXPECT_EQ(Gui(button)->m_layoutWidth, 1280.0f);
    EXPECT_EQ(Gui(button)->m_layoutHeight, 960.0f);
    EXPECT_EQ(button->flags & OBJ_WORLD_VALID, 0u);
    // An object whose layout was never read is left alone (no division by 0).
    EXPECT_EQ(unread->position, glm::vec3(10.0f, 20.0f, -5.0f));
    EXPECT_EQ(unread->scale, glm::vec3(4.0f, 3.0f, 1.0f));
    EXPECT_NE(unread->flags & OBJ_WORLD_VALID, 0u);

    // A second pass at the same size changes nothing.
    S().window->RescaleUIObjects();
    EXPECT_EQ(button->position, glm::vec3(125.0f, 250.0f, -5.0f));
    EXPECT_EQ(button->scale, glm::vec3(50.0f, 37.5f, 1.0f));

    // The fonts are back, with atlases of the new context and a new buffer.
    EXPECT_GT(S().fontManager->GetFontCount(), 0u);
    EXPECT_NE(S().fontManager->GetBufferObject(), 0u);
    Font* font = S().fontManager->GetFont("default");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(glIsTexture(font->GetTextureObject()), GL_TRUE);
}

TEST_F(WindowInGameTest, FullScreenSwitchLeavesTheInterfaceLayout)
{
    ASSERT_TRUE(S().window->ChangeResolution(1280, 1024, true));
    GameObject* button = S().objectManager->CreateUIObject(1, glm::vec3(100.0f, 200.0f, -5.0f), glm::quat(),
                                                          glm::vec3(40.0f, 30.0f, 1.0f));
    ASSERT_NE(button, nullptr);
    ASSERT_TRUE(S().window->SetFullscreen(true));
    EXPECT_EQ(button->position, glm::vec3(100.0f, 200.0f, -5.0f));
    EXPECT_EQ(Gui(button)->m_layoutWidth, 1024.0f);
}

} // namespace
