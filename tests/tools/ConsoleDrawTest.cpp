// The console in a started game with a real GL context: it is made first at
// start-up and takes the logger's echo once the first state has loaded; its
// text is queued before the frame draws its text queue; the graph draws once
// a frame; its font keeps the longest row inside the panel.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <algorithm>
#include <deque>
#include <string>
#include <vector>

#include "engine/core/FrameRateController.h"
#include "engine/core/InputManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/core/Window.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Renderer.h"
#include "engine/graphics/UIPass.h"
#include "engine/objects/GameObject.h"
#include "tools/Console.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

class ConsoleDrawTest : public TestSupport::EngineTest
{
protected:
    void SetUp() override
    {
        EngineTest::SetUp();
        Logger::SetDialogAvailableOverride(0);
        system = System::GetInstance();
        testing::internal::CaptureStdout();
        const bool started = system->Initialize();
        startOutput = testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started) << startOutput;
        console = system->console;
        ASSERT_NE(console, nullptr);
        fonts = system->fontManager;
        ASSERT_NE(fonts, nullptr);
        frames = system->frameRateController;
        ReleaseKeys();
        glGetError();
    }
    void TearDown() override
    {
        ReleaseKeys();
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        testing::internal::CaptureStdout();
        EngineTest::TearDown();
        testing::internal::GetCapturedStdout();
        Logger::SetDialogAvailableOverride(-1);
    }
    static void ReleaseKeys()
    {
        for (int k = 0; k < InputManager::KEY_COUNT; ++k) InputManager::current[k] = InputManager::previous[k] = 0;
    }
    void Toggle()
    {
        InputManager::current[KEY_OEM_3] = 1;
        console->Update();
        ReleaseKeys();
    }
    void Submit(const std::string& line)
    {
        for (char c : line) console->TypeCharacter(c);
        console->SubmitLine();
    }
    // The texts of the font manager's queue in one font.
    std::vector<FontManager::TextItem> Queued(const std::string& fontId) const
    {
        std::vector<FontManager::TextItem> items;
        for (const FontManager::TextItem& item : fonts->GetQueue())
            if (item.fontId == fontId) items.push_back(item);
        return items;
    }
    // Draws one frame the way the loop does (its own frame number).
    void RenderFrame()
    {
        ++frames->frameCount;
        testing::internal::CaptureStdout();
        system->renderer->RenderScene();
        testing::internal::GetCapturedStdout();
    }

    System* system = nullptr;
    Console* console = nullptr;
    FontManager* fonts = nullptr;
    FrameRateController* frames = nullptr;
    std::string startOutput;
};

TEST_F(ConsoleDrawTest, StartsFirstAndEchoesOnceTheFirstStateHasLoaded)
{
    // "Console initialized." is the entry right before "Logging system initialized.".
    const std::string page = TestSupport::ReadFile(system->logger->GetPath());
    const size_t first = page.find("Console initialized.");
    const size_t second = page.find("Logging system initialized.");
    ASSERT_NE(first, std::string::npos);
    ASSERT_NE(second, std::string::npos);
    ASSERT_LT(first, second);
    const std::string between = page.substr(first, second - first);
    EXPECT_EQ(TestSupport::Count(between, "<div class=\"hr\"></div>"), 1u) << between;

    // The splash screen made the objects; what was logged after reached the output.
    ASSERT_NE(console->GetConsoleObject(), nullptr);
    const std::deque<std::string>& out = console->GetOutput();
    auto has = [&out](const std::string& line) { return std::find(out.begin(), out.end(), line) != out.end(); };
    EXPECT_FALSE(has("Logging system initialized."));
    EXPECT_TRUE(has("Game state manager initialized."));
    EXPECT_TRUE(has("Frame rate controller initialized."));

    // The graph sits 50 pixels above the window's bottom edge.
    EXPECT_EQ(console->GetGraphObject()->position.y, 50.0f - system->window->GetHeight() * 0.5f);
}

TEST_F(ConsoleDrawTest, TextIsQueuedWhereThePanelIsAndDrawnInTheSameFrame)
{
    Toggle();
    ASSERT_TRUE(console->IsOpen());
    Submit("god 1");
    for (char c : std::string("typed")) console->TypeCharacter(c);

    console->Draw();
    std::vector<FontManager::TextItem> items = Queued(Console::CONSOLE_FONT_ID);
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[0].text, " > typed");
    EXPECT_EQ(items[0].mode, FontManager::POSITION_CENTRE);
    EXPECT_EQ(glm::vec2(items[0].x, items[0].y), glm::vec2(-96.0f, -157.0f));
    EXPECT_EQ(items[0].color, fonts->GetColor(11, 1.0f));
    EXPECT_EQ(items.back().text, "God mode enabled.");
    EXPECT_EQ(glm::vec2(items.back().x, items.back().y), glm::vec2(-86.0f, -129.0f));
    EXPECT_EQ(items.back().color, fonts->GetColor(7, 1.0f));
    fonts->RenderAllText(system->window->GetWidth(), system->window->GetHeight());

    // A frame with the console open leaves nothing for the next frame: the
    // console's text and the overlay went out with this frame's text.
    RenderFrame();
    EXPECT_TRUE(fonts->GetQueue().empty());
    Toggle();
    RenderFrame();
    EXPECT_TRUE(fonts->GetQueue().empty());
}

TEST_F(ConsoleDrawTest, GraphDrawsOnceAFrameWithItsRate)
{
    GameObject* graph = console->GetGraphObject();
    ASSERT_NE(graph, nullptr);
    Submit("fps 1");
    frames->dt = 1.0 / 64.0;

    // Both the overlay and the end of the frame ask for it: one rate text.
    ++frames->frameCount;
    RenderConsoleOverlay(system->renderer->m_hudLocations, system->renderer->Get2DProjection());
    console->DrawFPSGraph();
    std::vector<FontManager::TextItem> rates = Queued(Console::GRAPH_FONT_ID);
    ASSERT_EQ(rates.size(), 1u);
    EXPECT_EQ(rates[0].text, "64");
    EXPECT_EQ(rates[0].mode, FontManager::POSITION_CENTRE);
    EXPECT_EQ(glm::vec2(rates[0].x, rates[0].y), glm::vec2(graph->position.x - 70.0f, graph->position.y - 30.0f));
    EXPECT_EQ(rates[0].color, glm::vec4(1, 1, 1, 1));  // fewer than two samples
    fonts->RenderAllText(system->window->GetWidth(), system->window->GetHeight());

    // Two samples 128 above the graph: the rate takes the segment's green.
    for (int i = 0; i < 66; ++i) console->Update();
    ASSERT_EQ(console->GetGraphSamples().size(), 2u);
    frames->dt = 0.0;  // a frame time of 0 shows 0
    ++frames->frameCount;
    console->DrawFPSGraph();
    rates = Queued(Console::GRAPH_FONT_ID);
    ASSERT_EQ(rates.size(), 1u);
    EXPECT_EQ(rates[0].text, "0");
    EXPECT_EQ(rates[0].color, glm::vec4(0, 1, 0, 1));
    fonts->RenderAllText(system->window->GetWidth(), system->window->GetHeight());

    // Off: the overlay leaves the hidden graph alone.
    Submit("fps 0");
    ++frames->frameCount;
    RenderConsoleOverlay(system->renderer->m_hudLocations, system->renderer->Get2DProjection());
    EXPECT_TRUE(Queued(Console::GRAPH_FONT_ID).empty());
    RenderFrame();
}

TEST_F(ConsoleDrawTest, LongestRowFitsInsideThePanel)
{
    const Font* font = fonts->GetFont(Console::CONSOLE_FONT_ID);
    ASSERT_NE(font, nullptr);
    ASSERT_TRUE(font->HasAtlas());
    // A monospaced font: every printable character advances alike.
    const float advance = font->GetGlyph('M').ax;
    EXPECT_EQ(font->GetGlyph('i').ax, advance);
    EXPECT_LE(advance, 6.0f);
    const float rightEdge = Console::PANEL_CENTRE_X + Console::PANEL_SIZE * 0.5f;
    const float rowStart = console->LeftEdge() + Console::OUTPUT_OFFSET_X;
    EXPECT_LE(rowStart + advance * (2 + Console::WRAP_WIDTH), rightEdge);
    // Rows 17 pixels apart do not overlap.
    EXPECT_LE(static_cast<float>(font->GetSize()), Console::ROW_HEIGHT);
}

} // namespace
