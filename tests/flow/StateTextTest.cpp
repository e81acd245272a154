// The lines the level and loading states queue on the font manager (which
// needs an OpenGL context to exist).
#include <gtest/gtest.h>

#include <memory>

#include "engine/core/Window.h"
#include "engine/graphics/FontManager.h"
#include "game/flow/BaseLevel.h"
#include "game/flow/LoadingLevel.h"
#include "flow/StateTestKit.h"
#include "support/GLTestContext.h"

using namespace QRX;

namespace {

class StateTextTest : public TestSupport::StateTest
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_gl.Ok()) << m_gl.Error();
        m_gl.MakeCurrent();
        StateTest::SetUp();
        System::GetInstance()->fontManager = new FontManager();
        // Never opened: an 800 x 600 window for the layout.
        System::GetInstance()->window = new Window();
        BindStateObject(StateObjectKind::BaseLevel, &level);
        BindStateObject(StateObjectKind::LoadingLevel, &loading);
        ASSERT_TRUE(gsm.Initialize());
    }
    void TearDown() override
    {
        delete System::GetInstance()->fontManager;
        System::GetInstance()->fontManager = nullptr;
        delete System::GetInstance()->window;
        System::GetInstance()->window = nullptr;
        StateTest::TearDown();
    }
    FontManager& Fonts() { return *System::GetInstance()->fontManager; }
    // The queued lines, then an empty queue (as after the renderer's text pass).
    std::vector<FontManager::TextItem> TakeLines()
    {
        std::vector<FontManager::TextItem> lines(Fonts().GetQueue().begin(), Fonts().GetQueue().end());
        Fonts().RenderAllText(1024, 768);
        return lines;
    }

    TestSupport::GLTestContext m_gl;
    BaseLevel level;
    LoadingLevel loading;
};

TEST_F(StateTextTest, LevelShowsItsNameAndWholeSecondsButTheSplashDoesNot)
{
    Frame();
    EXPECT_TRUE(TakeLines().empty());

    gsm.PopStatesTo(0);
    ASSERT_TRUE(gsm.ChangeState(STATE_LEVEL1));
    TakeLines();
    Frame();
    std::vector<FontManager::TextItem> lines = TakeLines();
    ASSERT_GE(lines.size(), 1u);
    EXPECT_EQ(lines[0].text, "The Throw");
    EXPECT_EQ(lines[0].mode, FontManager::POSITION_TOP_LEFT);
    EXPECT_FLOAT_EQ(lines[0].x, 50.0f);
    EXPECT_FLOAT_EQ(lines[0].y, 70.0f);
    EXPECT_EQ(lines[0].fontId, "big");
    EXPECT_EQ(lines[0].color, glm::vec4(1.0f));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "0");
    EXPECT_FLOAT_EQ(lines[1].x, 400.0f);  // half the window's width
    EXPECT_FLOAT_EQ(lines[1].y, 70.0f);
    EXPECT_EQ(lines[1].fontId, "big");

    for (int i = 0; i < 40; ++i) Frame(0.05);
    TakeLines();
    Frame(0.05);
    lines = TakeLines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].text, "2");  // 2.05 s before this frame's step
}

TEST_F(StateTextTest, LoadingScreenCaptionsFollowItsStages)
{
    Go(STATE_LOADING);
    TakeLines();
    std::vector<std::string> captions;
    for (int update = 1; update <= 50; ++update) {
        Frame();
        std::string joined;
        for (const FontManager::TextItem& line : TakeLines()) {
            EXPECT_EQ(line.fontId, "medium");
            EXPECT_FLOAT_EQ(line.x, 50.0f);
            joined += (joined.empty() ? "" : "+") + line.text;
        }
        captions.push_back(joined);
    }
    EXPECT_EQ(captions[0], "Loading Textures");
    EXPECT_EQ(captions[24], "Loading Textures+Loading Meshes");  // update 25
    EXPECT_EQ(captions[25], "Loading Meshes+Loading Sounds");     // update 26
    EXPECT_EQ(captions[27], "Loading Sounds+Loading Sounds");     // update 28
    EXPECT_EQ(captions[49], "Loading Sounds");
}

} // namespace
