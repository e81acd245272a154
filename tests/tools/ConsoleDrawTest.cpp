// The console in a started game with a real GL context: made first, echoing
// once the first state has loaded, its text queued before the frame draws its
// text, the graph drawn once a frame, the longest row inside the panel; at the
// options' other sizes panel and graph inside the window, a wide line wrapped.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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
#include "tools/ConsoleOverlay.h"
#include "support/EngineFixture.h"

using namespace QRX;

namespace {

using Items = std::vector<FontManager::TextItem>;

class ConsoleDrawTest : public TestSupport::EngineTest
{
};

TEST_F(ConsoleDrawTest, StartsFirstEchoesAndDrawsInTheFrameThatAsksOnce)
{
    System* system = System::GetInstance();
    testing::internal::CaptureStdout();
    const bool started = system->Initialize();
    const std::string startOutput = testing::internal::GetCapturedStdout();
    ASSERT_TRUE(started) << startOutput;
    Console* console = system->console;
    FontManager* fonts = system->fontManager;
    FrameRateController* frames = system->frameRateController;
    const int width = system->window->GetWidth(), height = system->window->GetHeight();
    auto queued = [fonts](const char* fontId) {
        Items items;
        std::copy_if(fonts->GetQueue().begin(), fonts->GetQueue().end(), std::back_inserter(items),
                     [fontId](const FontManager::TextItem& item) { return item.fontId == fontId; });
        return items;
    };
    auto toggle = [console]() {
        InputManager::current[KEY_OEM_3] = 1;
        console->Update();
        InputManager::current[KEY_OEM_3] = 0;
    };
    auto submit = [console](const std::string& line) {
        for (char c : line) console->TypeCharacter(c);
        console->SubmitLine();
    };

    // "Console initialized." is the entry right before "Logging system initialized.".
    const std::string page = TestSupport::ReadFile(system->logger->GetPath());
    const size_t first = page.find("Console initialized."), second = page.find("Logging system initialized.");
    ASSERT_LT(first, second);
    EXPECT_EQ(TestSupport::Count(page.substr(first, second - first), "<div class=\"hr\"></div>"), 1u);
    // The splash screen made the objects; what was logged after reached the output.
    const std::deque<std::string>& out = console->GetOutput();
    EXPECT_EQ(std::count(out.begin(), out.end(), "Logging system initialized."), 0);
    EXPECT_EQ(std::count(out.begin(), out.end(), "Frame rate controller initialized."), 1);
    GameObject* graph = console->GetGraphObject();
    EXPECT_EQ(graph->position, glm::vec3(width * 0.5f - 136.0f, 136.0f - height * 0.5f, -3.0f));  // bottom right

    // Open: the input row and the output rows where the panel is.
    toggle();
    submit("god 1");
    for (char c : std::string("typed")) console->TypeCharacter(c);
    console->Draw();
    Items items = queued(Console::CONSOLE_FONT_ID);
    ASSERT_GE(items.size(), 3u);
    EXPECT_EQ(items[0].text, " > typed");
    EXPECT_EQ(glm::vec3(items[0].x, items[0].y, items[0].mode), glm::vec3(-96.0f, -157.0f, 0.0f));
    EXPECT_EQ(items[0].color, fonts->GetColor(11, 1.0f));
    EXPECT_EQ(items.back().text, "God mode enabled.");
    EXPECT_EQ(glm::vec2(items.back().x, items.back().y), glm::vec2(-86.0f, -129.0f));
    fonts->RenderAllText(width, height);
    // A frame leaves no console text for the next one.
    system->renderer->RenderScene();
    EXPECT_TRUE(fonts->GetQueue().empty());

    // The overlay and the frame's end both ask for the graph: one rate text.
    submit("fps 1");
    toggle();  // closed: the overlay's own lines are not queued
    frames->dt = 1.0 / 64.0;
    ++frames->frameCount;
    RenderConsoleOverlay(system->renderer->m_hudLocations, system->renderer->Get2DProjection());
    console->DrawFPSGraph();
    items = queued(Console::GRAPH_FONT_ID);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "64");
    const glm::vec3 origin = console->GraphOrigin();
    EXPECT_EQ(glm::vec3(items[0].x, items[0].y, items[0].mode), glm::vec3(origin.x - 70.0f, origin.y - 30.0f, 0.0f));
    EXPECT_EQ(items[0].color, glm::vec4(1, 1, 1, 1));  // fewer than two samples
    fonts->RenderAllText(width, height);
    for (int i = 0; i < 66; ++i) console->Update();  // two samples 128 above: green
    frames->dt = 0.0;                                  // a frame time of 0 shows 0
    ++frames->frameCount;
    console->DrawFPSGraph();
    items = queued(Console::GRAPH_FONT_ID);
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].text, "0");
    EXPECT_EQ(items[0].color, glm::vec4(0, 1, 0, 1));
    fonts->RenderAllText(width, height);
    ++frames->frameCount;
    system->renderer->RenderScene();
    EXPECT_TRUE(fonts->GetQueue().empty());

    // "] " and 66 characters from the row start stay inside the panel.
    const Font* font = fonts->GetFont(Console::CONSOLE_FONT_ID);
    ASSERT_TRUE(font && font->HasAtlas());
    const float advance = font->GetGlyph('M').ax;
    EXPECT_EQ(font->GetGlyph('i').ax, advance);
    EXPECT_LE(console->LeftEdge() + Console::OUTPUT_OFFSET_X + advance * (2 + Console::WRAP_WIDTH),
              Console::PANEL_CENTRE_X + Console::PANEL_SIZE * 0.5f);
    EXPECT_LE(static_cast<float>(font->GetSize()), Console::ROW_HEIGHT);

    const std::string refusal = "Level not saved as " + std::string(300, 'a') + ": File name too long";
    toggle();
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{800, 600}, {1280, 960}}) {
        ASSERT_TRUE(system->window->ChangeResolution(w, h, true));
        console->Print(refusal);
        console->Print("newest");
        console->Update();
        for (const GameObject* o : {console->GetConsoleObject(), graph})
            EXPECT_TRUE(std::abs(o->position.x) + o->scale.x / 2 <= w / 2 &&
                        std::abs(o->position.y) + o->scale.y / 2 <= h / 2) << w;
        EXPECT_LE(console->TopEdge(), h / 2.0f - 88.0f) << w;  // the top row under a level's name and time
        std::string joined;
        for (const Console::TextLine& row : console->CollectLines()) {
            if (row.text.rfind("Level not", 0) == 0 || !joined.empty()) joined += row.text;
            EXPECT_LE(row.position.x + fonts->TextWidth(Console::CONSOLE_FONT_ID, row.text),
                      console->GetConsoleObject()->position.x + Console::OBJECT_SIZE / 2) << w;
        }
        EXPECT_EQ(joined, refusal + "newest") << w;  // the newest on a row of its own
    }
    InputManager::current[KEY_PAGEUP] = 1;  // one whole line back: the refusal's end at the bottom
    console->Update();
    InputManager::current[KEY_PAGEUP] = 0;
    const std::string bottom = console->CollectLines().back().text;
    EXPECT_EQ(bottom, refusal.substr(refusal.size() - bottom.size()));
}

} // namespace
