#include <gtest/gtest.h>

#include <GL/glew.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "support/EngineFixture.h"
#include "support/GLReadback.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

constexpr int VIEW_W = 320;
constexpr int VIEW_H = 240;

std::string FontEntry(const std::string& file, const std::string& size, const std::string& id)
{
    return "<font><file>" + file + "</file><size>" + size + "</size><fontId>" + id + "</fontId></font>\n";
}

class FontTest : public TestSupport::GLServicesTest
{
protected:
    FontTest() : GLServicesTest(true, VIEW_W, VIEW_H) {}

    // Works in a fresh folder with the game's font files and text shaders;
    // data/fonts/fonts.xml holds the entries given (none: no catalogue).
    void UseCatalogue(const std::string& entries, bool writeCatalogue = true)
    {
        EnterTempDir();
        std::filesystem::create_directories(m_dir + "/data/fonts");
        std::filesystem::create_directories(m_dir + "/data/shaders");
        const std::string source = TestSupport::SourceDir() + "/data/";
        for (const char* file : {"DejaVuSans.ttf", "DejaVuSansMono.ttf", "DUNGEON.TTF"})
            ASSERT_TRUE(TestSupport::WriteFile(m_dir + "/data/fonts/" + file,
                                               TestSupport::ReadFile(source + "fonts/" + file)))
                << file;
        for (const char* file : {"text.vert", "text.frag"})
            TestSupport::WriteFile(m_dir + "/data/shaders/" + file, TestSupport::ReadFile(source + "shaders/" + file));
        TestSupport::WriteFile(m_dir + "/data/fonts/broken.ttf", "this is no font");
        if (writeCatalogue)
            TestSupport::WriteFile(m_dir + "/data/fonts/fonts.xml",
                                   "<?xml version=\"1.0\"?>\n<fonts>\n" + entries + "</fonts>\n");
    }
};

// --- Atlas packing -----------------------------------------------------------

TEST(FontAtlas, RowsWrapBeforeTheRowLimitWithOneEmptyColumnPerGlyph)
{
    Font::GlyphSize sizes[Font::TABLE_SIZE];
    for (int c = Font::FIRST_CHAR; c <= Font::LAST_CHAR; ++c) sizes[c] = {true, 100, 10 + c % 7};
    const Font::AtlasLayout layout = Font::PackGlyphs(sizes);

    // 20 glyphs of 100 + 1 columns fit (2020); the 21st would reach 2121.
    int rowHeight = 0;
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(layout.x[32 + i], i * 101);
        EXPECT_EQ(layout.y[32 + i], 0);
        rowHeight = std::max(rowHeight, sizes[32 + i].rows);
    }
    EXPECT_EQ(layout.x[52], 0);
    EXPECT_EQ(layout.y[52], rowHeight);
    EXPECT_EQ(layout.width, 2020);
    // 96 glyphs: four full rows and one of 16; height is the sum of row maxima.
    int height = 0;
    for (int row = 0; row < 5; ++row) {
        int h = 0;
        for (int c = 32 + row * 20; c < std::min(128, 32 + (row + 1) * 20); ++c) h = std::max(h, sizes[c].rows);
        height += h;
    }
    EXPECT_EQ(layout.height, height);
}

TEST(FontAtlas, AGlyphThatWouldReachTheLimitStartsANewRow)
{
    Font::GlyphSize sizes[Font::TABLE_SIZE];
    sizes['A'] = {true, 2046, 5};  // 2047 columns: still under 2048
    sizes['B'] = {true, 0, 3};     // 2047 + 0 + 1 reaches 2048: wraps
    sizes['C'] = {false, 50, 50};  // failed to load: takes no room
    sizes['D'] = {true, 4, 2};
    const Font::AtlasLayout layout = Font::PackGlyphs(sizes);
    EXPECT_EQ(layout.x['A'], 0);
    EXPECT_EQ(layout.x['B'], 0);
    EXPECT_EQ(layout.y['B'], 5);
    EXPECT_EQ(layout.x['D'], 1);
    EXPECT_EQ(layout.y['D'], 5);
    EXPECT_EQ(layout.width, 2047);
    EXPECT_EQ(layout.height, 8);
}

TEST(FontAtlas, NoGlyphGivesAnEmptyAtlas)
{
    Font::GlyphSize sizes[Font::TABLE_SIZE];
    const Font::AtlasLayout layout = Font::PackGlyphs(sizes);
    EXPECT_EQ(layout.width, 0);
    EXPECT_EQ(layout.height, 0);
}

// --- Fonts from files ----------------------------------------------------------

TEST_F(FontTest, GameCatalogueDefinesEveryIdTheGameAsksFor)
{
    FontManager fonts;
    for (const char* id : {"default", "medium", "big", "transition", "console", "Turret"}) {
        Font* font = fonts.GetFont(id);
        ASSERT_NE(font, nullptr) << id;
        EXPECT_TRUE(font->HasAtlas()) << id;
        EXPECT_EQ(glIsTexture(font->GetTextureObject()), GL_TRUE) << id;
        EXPECT_GT(font->GetAtlasWidth(), 0) << id;
        EXPECT_LT(font->GetAtlasWidth(), Font::MAX_ROW_WIDTH) << id;
        EXPECT_GT(font->GetAtlasHeight(), 0) << id;
    }
    EXPECT_EQ(fonts.GetFontCount(), 6u);
    EXPECT_NE(fonts.GetBufferObject(), 0u);
    EXPECT_EQ(fonts.GetColorCount(), 12u);
    std::vector<const char*> names = fonts.GetFontNames();
    ASSERT_EQ(names.size(), 6u);
    EXPECT_STREQ(names[0], "Turret");  // map order: capitals first
    EXPECT_STREQ(names[1], "big");
}

TEST_F(FontTest, GlyphTableHoldsPrintableGlyphsOnly)
{
    UseCatalogue(FontEntry("DejaVuSans.ttf", "20", "default"));
    FontManager fonts;
    const Font* font = fonts.GetFont("default");
    ASSERT_NE(font, nullptr);
    for (int c = 0; c < Font::FIRST_CHAR; ++c) {
        const Font::Glyph& g = font->GetGlyph(c);
        EXPECT_TRUE(g.ax == 0 && g.bw == 0 && g.bh == 0 && g.tx == 0) << c;
    }
    EXPECT_EQ(font->GetGlyph(200).ax, 0.0f);
    EXPECT_EQ(font->GetGlyph(-5).ax, 0.0f);
    const Font::Glyph& space = font->GetGlyph(' ');
    EXPECT_GT(space.ax, 0.0f);
    EXPECT_EQ(space.bw * space.bh, 0.0f);
    const Font::Glyph& h = font->GetGlyph('H');
    EXPECT_GT(h.bw, 0.0f);
    EXPECT_GT(h.bh, 0.0f);
    for (int c = Font::FIRST_CHAR; c <= Font::LAST_CHAR; ++c) {
        const Font::Glyph& g = font->GetGlyph(c);
        EXPECT_LE(g.tx + g.bw / font->GetAtlasWidth(), 1.0f) << c;
        EXPECT_LE(g.ty + g.bh / font->GetAtlasHeight(), 1.0f) << c;
    }
}

TEST_F(FontTest, MissingCatalogueGivesExactlyTheDefaultFontAtTwelvePixels)
{
    UseCatalogue("", false);
    testing::internal::CaptureStdout();
    FontManager fonts;
    std::string out = testing::internal::GetCapturedStdout();
    ASSERT_EQ(fonts.GetFontCount(), 1u);
    const Font* font = fonts.GetFont("default");
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->GetSize(), 12);
    EXPECT_EQ(font->GetPath(), "data\\fonts\\DUNGEON.TTF");
    EXPECT_TRUE(font->HasAtlas());
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - Unable to open data\\fonts\\fonts.xml file, defaulting to a default font"), 1u)
        << out;
    EXPECT_EQ(TestSupport::Count(out, "Font loaded: data\\fonts\\DUNGEON.TTF of size 12"), 1u) << out;
}

TEST_F(FontTest, DuplicateIdKeepsTheFirstFont)
{
    UseCatalogue(FontEntry("DejaVuSans.ttf", "20", "default") + FontEntry("DejaVuSansMono.ttf", "30", "default") +
                 FontEntry("DejaVuSansMono.ttf", "16", "console"));
    FontManager fonts;
    ASSERT_EQ(fonts.GetFontCount(), 2u);
    EXPECT_EQ(fonts.GetFont("default")->GetSize(), 20);
    EXPECT_EQ(fonts.GetFont("default")->GetPath(), "data\\fonts\\DejaVuSans.ttf");
    EXPECT_FALSE(fonts.LoadFont("console", 10, "data\\fonts\\DejaVuSans.ttf"));
    EXPECT_EQ(fonts.GetFont("console")->GetSize(), 16);
}

TEST_F(FontTest, UnreadableFontFileIsRegisteredWithoutAtlas)
{
    UseCatalogue(FontEntry("DejaVuSans.ttf", "20", "default") + FontEntry("broken.ttf", "20", "bad") +
                 FontEntry("nothere.ttf", "20", "gone"));
    testing::internal::CaptureStdout();
    FontManager fonts;
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(fonts.GetFontCount(), 3u);
    ASSERT_NE(fonts.GetFont("bad"), nullptr);
    EXPECT_FALSE(fonts.GetFont("bad")->HasAtlas());
    EXPECT_FALSE(fonts.GetFont("gone")->HasAtlas());
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - Could not open font data\\fonts\\broken.ttf"), 1u) << out;
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - Could not open font data\\fonts\\nothere.ttf"), 1u) << out;
}

TEST_F(FontTest, UnusableSizeFallsBackToTwelvePixels)
{
    UseCatalogue(FontEntry("DejaVuSans.ttf", "-40", "default") + FontEntry("DejaVuSans.ttf", "100000", "big") +
                 FontEntry("DejaVuSans.ttf", "", "empty"));
    testing::internal::CaptureStdout();
    FontManager fonts;
    std::string out = testing::internal::GetCapturedStdout();
    for (const char* id : {"default", "big", "empty"}) {
        ASSERT_NE(fonts.GetFont(id), nullptr) << id;
        EXPECT_EQ(fonts.GetFont(id)->GetSize(), 12) << id;
        EXPECT_TRUE(fonts.GetFont(id)->HasAtlas()) << id;
    }
    EXPECT_EQ(TestSupport::Count(out, "unusable size"), 3u) << out;
}

// --- Queue and colours -----------------------------------------------------------

TEST_F(FontTest, ColourIndexGivesTheTableColourWithTheAlpha)
{
    UseCatalogue(FontEntry("DejaVuSans.ttf", "20", "default"));
    FontManager fonts;
    fonts.AddText(0, "white", 1.0f, 2.0f, "default", 7, 0.5f);
    fonts.AddText(1, "light grey", 0.0f, 0.0f, "default", 99, 1.0f);
    fonts.AddText(1, "red", 0.0f, 0.0f, "default", -4, 1.0f);
    fonts.AddText(1, "grey", 0.0f, 0.0f, "medium", 10, 0.25f);
    const auto& queue = fonts.GetQueue();
    ASSERT_EQ(queue.size(), 4u);
    auto it = queue.begin();
    EXPECT_EQ(it->color, glm::vec4(1.0f, 1.0f, 1.0f, 0.5f));
    EXPECT_EQ(it->mode, 0);
    EXPECT_EQ(it->x, 1.0f);
    EXPECT_EQ(it->y, 2.0f);
    EXPECT_EQ((++it)->color, glm::vec4(0.85f, 0.85f, 0.85f, 1.0f));
    EXPECT_EQ((++it)->color, glm::vec4(1.0f, 0.0f, 0.0f, 1.0f));
    EXPECT_EQ((++it)->color, glm::vec4(0.5f, 0.5f, 0.5f, 0.25f));
    EXPECT_EQ(it->fontId, "medium");
    EXPECT_EQ(it->text, "grey");
}

// --- Layout ------------------------------------------------------------------------

class FontLayoutTest : public FontTest
{
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        UseCatalogue(FontEntry("DejaVuSans.ttf", "20", "default"));
        m_fonts.reset(new FontManager());
        m_font = m_fonts->GetFont("default");
        ASSERT_NE(m_font, nullptr);
        m_store.assign(FontManager::STORE_VERTICES * FontManager::FLOATS_PER_VERTEX, 0.0f);
    }
    void TearDown() override
    {
        m_fonts.reset();
        FontTest::TearDown();
    }
    FontManager::LineLayout Layout(int mode, const std::string& text, float x, float y)
    {
        FontManager::TextItem item;
        item.mode = mode;
        item.text = text;
        item.x = x;
        item.y = y;
        return FontManager::LayoutLine(*m_font, item, 800, 600, m_store.data());
    }
    float V(int vertex, int component) const { return m_store[vertex * 4 + component]; }

    std::unique_ptr<FontManager> m_fonts;
    Font* m_font = nullptr;
    std::vector<float> m_store;
};

TEST_F(FontLayoutTest, CentreModeAtTheOriginStartsAtTheWindowCentre)
{
    const Font::Glyph& h = m_font->GetGlyph('H');
    FontManager::LineLayout layout = Layout(0, "H", 0.0f, 0.0f);
    ASSERT_EQ(layout.vertexCount, 6);
    EXPECT_TRUE(layout.modeKnown);
    EXPECT_FLOAT_EQ(V(0, 0), h.bl * 2.0f / 800);
    EXPECT_FLOAT_EQ(V(0, 1), h.bt * 2.0f / 600);
    EXPECT_FLOAT_EQ(V(0, 2), h.tx);
    EXPECT_FLOAT_EQ(V(0, 3), h.ty);
    // Bottom-right corner: one glyph size away, texture at the glyph's far edge.
    EXPECT_FLOAT_EQ(V(5, 0), (h.bl + h.bw) * 2.0f / 800);
    EXPECT_FLOAT_EQ(V(5, 1), (h.bt - h.bh) * 2.0f / 600);
    EXPECT_FLOAT_EQ(V(5, 2), h.tx + h.bw / m_font->GetAtlasWidth());
    EXPECT_FLOAT_EQ(V(5, 3), h.ty + h.bh / m_font->GetAtlasHeight());

    // Pixels from the centre, y upwards, the start on a whole pixel.
    Layout(0, "H", -100.4f, 49.6f);
    EXPECT_FLOAT_EQ(V(0, 0), (-100.0f + h.bl) * 2.0f / 800);
    EXPECT_FLOAT_EQ(V(0, 1), (50.0f + h.bt) * 2.0f / 600);
}

TEST_F(FontLayoutTest, TopLeftModePutsTheBaselineOnTheTopEdge)
{
    const Font::Glyph& h = m_font->GetGlyph('H');
    ASSERT_EQ(h.bt, h.bh);  // H sits on the baseline
    Layout(1, "H", 0.0f, 0.0f);
    EXPECT_FLOAT_EQ(V(0, 0), -1.0f + h.bl * 2.0f / 800);
    EXPECT_FLOAT_EQ(V(1, 1), 1.0f);  // the glyph's bottom edge: entirely above the window
    // y counts downwards from the top.
    Layout(1, "H", 10.0f, 30.0f);
    EXPECT_FLOAT_EQ(V(1, 1), 1.0f - 30.0f * 2.0f / 600);
    EXPECT_FLOAT_EQ(V(0, 0), -1.0f + (10.0f + h.bl) * 2.0f / 800);
}

TEST_F(FontLayoutTest, SpaceAdvancesWithoutAQuad)
{
    const Font::Glyph& space = m_font->GetGlyph(' ');
    const Font::Glyph& h = m_font->GetGlyph('H');
    FontManager::LineLayout layout = Layout(0, "  H", 0.0f, 0.0f);
    EXPECT_EQ(layout.vertexCount, 6);
    EXPECT_EQ(layout.characterCount, 3);
    EXPECT_FLOAT_EQ(V(0, 0), (2 * space.ax + h.bl) * 2.0f / 800);

    layout = Layout(0, "", 0.0f, 0.0f);
    EXPECT_EQ(layout.vertexCount, 0);
    EXPECT_EQ(layout.characterCount, 0);
}

TEST_F(FontLayoutTest, UnknownModeKeepsTheStartValues)
{
    const Font::Glyph& h = m_font->GetGlyph('H');
    FontManager::LineLayout layout = Layout(5, "H", 300.0f, 300.0f);
    EXPECT_FALSE(layout.modeKnown);
    EXPECT_FLOAT_EQ(V(0, 0), -1.0f + h.bl * 2.0f);
    EXPECT_FLOAT_EQ(V(0, 1), 1.0f + h.bt * 2.0f);
}

TEST_F(FontLayoutTest, LongTextIsClippedAndCodesOutsideTheAtlasAreSkipped)
{
    FontManager::LineLayout layout = Layout(0, std::string(12000, 'H'), 0.0f, 0.0f);
    EXPECT_EQ(layout.characterCount, FontManager::MAX_GLYPH_QUADS);
    EXPECT_EQ(layout.vertexCount, FontManager::STORE_VERTICES);

    // UTF-8 "é" and control codes neither draw nor advance.
    const Font::Glyph& h = m_font->GetGlyph('H');
    layout = Layout(0, "H\xC3\xA9\t\nH", 0.0f, 0.0f);
    EXPECT_EQ(layout.vertexCount, 12);
    EXPECT_FLOAT_EQ(V(6, 0), (h.ax + h.bl) * 2.0f / 800);
}

// --- Drawing -----------------------------------------------------------------------

class FontDrawTest : public FontTest
{
protected:
    void SetUp() override
    {
        FontTest::SetUp();
        UseCatalogue(FontEntry("DejaVuSans.ttf", "20", "default") + FontEntry("broken.ttf", "20", "bad"));
        m_fonts.reset(new FontManager());
        m_fonts->SetupFontShader();
    }
    void TearDown() override
    {
        m_fonts.reset();
        FontTest::TearDown();
    }
    // The box a top-left-mode line occupies, in window pixels (y down).
    void Box(const std::string& text, float x, float y, int& left, int& top, int& right, int& bottom) const
    {
        const Font* font = m_fonts->GetFont("default");
        float pen = x;
        float l = 1e9f, r = -1e9f, t = 1e9f, b = -1e9f;
        for (char c : text) {
            const Font::Glyph& g = font->GetGlyph(c);
            if (g.bw > 0 && g.bh > 0) {
                l = std::min(l, pen + g.bl);
                r = std::max(r, pen + g.bl + g.bw);
                t = std::min(t, y - g.bt);
                b = std::max(b, y - g.bt + g.bh);
            }
            pen += g.ax;
        }
        left = static_cast<int>(l);
        right = static_cast<int>(r);
        top = static_cast<int>(t);
        bottom = static_cast<int>(b);
    }
    std::unique_ptr<FontManager> m_fonts;
};

TEST_F(FontDrawTest, TopLeftTextLightsPixelsOnlyInsideItsBox)
{
    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H);
    m_fonts->AddText(1, "Hello, gjy!", 40.0f, 60.0f, "default", 7, 1.0f);
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    EXPECT_TRUE(m_fonts->GetQueue().empty());
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    EXPECT_EQ(glIsEnabled(GL_DEPTH_TEST), GL_TRUE);
    EXPECT_FALSE(System::GetInstance()->shaderManager->GetProgram("font")->IsInUse());

    int left, top, right, bottom, lit, outside;
    Box("Hello, gjy!", 40.0f, 60.0f, left, top, right, bottom);
    target.Lit(15, left - 1, top - 1, right + 1, bottom + 1, lit, outside);
    EXPECT_GT(lit, 100);
    EXPECT_EQ(outside, 0);
    EXPECT_GT(bottom, 60);  // descenders reach below the baseline
}

TEST_F(FontDrawTest, TopLeftAtTheOriginShowsOnlyDescenders)
{
    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H);
    m_fonts->AddText(1, "HHH", 0.0f, 0.0f, "default", 7, 1.0f);
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    int lit, outside;
    target.Lit(15, 0, 0, VIEW_W, VIEW_H, lit, outside);
    EXPECT_EQ(lit, 0);

    m_fonts->AddText(1, "ppp", 0.0f, 0.0f, "default", 7, 1.0f);
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    target.Lit(15, 0, 0, VIEW_W, 8, lit, outside);
    EXPECT_GT(lit, 0);
    EXPECT_EQ(outside, 0);
}

TEST_F(FontDrawTest, ColourAndAlphaReachThePixels)
{
    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H);
    m_fonts->AddText(0, "MMMM", -60.0f, 0.0f, "default", 0, 0.5f);  // red at half
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    std::vector<unsigned char> rgba(VIEW_W * VIEW_H * 4);
    glReadPixels(0, 0, VIEW_W, VIEW_H, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    int maxRed = 0, maxGreen = 0;
    for (size_t i = 0; i < rgba.size(); i += 4) {
        maxRed = std::max(maxRed, static_cast<int>(rgba[i]));
        maxGreen = std::max(maxGreen, static_cast<int>(rgba[i + 1]));
    }
    EXPECT_NEAR(maxRed, 128, 3);
    EXPECT_EQ(maxGreen, 0);
}

TEST_F(FontDrawTest, UnknownModeWarnsAndUnusableFontsDrawNothing)
{
    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H);
    testing::internal::CaptureStdout();
    m_fonts->AddText(7, "x", 0.0f, 0.0f, "default", 7, 1.0f);
    m_fonts->AddText(0, "broken", 0.0f, 0.0f, "bad", 7, 1.0f);
    m_fonts->AddText(0, "", 0.0f, 0.0f, "default", 7, 1.0f);
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - Invalid argument supplied for rendering text, text may not appear in "
                         "expected position"),
              1u)
        << out;
    EXPECT_EQ(TestSupport::Count(out, "Assertion"), 0u) << out;
    int lit, outside;
    target.Lit(15, 0, 0, VIEW_W, VIEW_H, lit, outside);
    EXPECT_EQ(lit, 0);  // "x" at 2 pixels per glyph pixel lies off the window; the rest draws nothing
    EXPECT_TRUE(m_fonts->GetQueue().empty());
}

TEST_F(FontDrawTest, UnknownFontFallsBackToDefaultOrIsSkippedWithoutIt)
{
    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H);
    m_fonts->AddText(0, "Hi", 0.0f, 0.0f, "nosuchfont", 7, 1.0f);
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    int lit, outside;
    target.Lit(15, 0, 0, VIEW_W, VIEW_H, lit, outside);
    EXPECT_GT(lit, 0);

    // A catalogue without "default": lines of unknown fonts are dropped.
    m_fonts.reset();
    System::GetInstance()->shaderManager->DeleteAllPrograms();
    TestSupport::WriteFile("data/fonts/fonts.xml",
                           "<fonts>" + FontEntry("DejaVuSansMono.ttf", "14", "console") + "</fonts>");
    m_fonts.reset(new FontManager());
    m_fonts->SetupFontShader();
    ASSERT_EQ(m_fonts->GetFont("default"), nullptr);
    glClear(GL_COLOR_BUFFER_BIT);
    m_fonts->AddText(0, "Hi", 0.0f, 0.0f, "nosuchfont", 7, 1.0f);
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    target.Lit(15, 0, 0, VIEW_W, VIEW_H, lit, outside);
    EXPECT_EQ(lit, 0);
    EXPECT_TRUE(m_fonts->GetQueue().empty());
}

TEST_F(FontDrawTest, WithoutTheProgramTheQueueIsDroppedUndrawn)
{
    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H);
    System::GetInstance()->shaderManager->DeleteAllPrograms();
    m_fonts->AddText(0, "Hi", 0.0f, 0.0f, "default", 7, 1.0f);
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    EXPECT_TRUE(m_fonts->GetQueue().empty());
    int lit, outside;
    target.Lit(15, 0, 0, VIEW_W, VIEW_H, lit, outside);
    EXPECT_EQ(lit, 0);
}

TEST_F(FontDrawTest, TextStillDrawsAfterReleaseAndReload)
{
    // The display-change order: renderer programs and fonts go, then come back.
    System::GetInstance()->shaderManager->DeleteAllPrograms();
    m_fonts->ReleaseFonts();
    EXPECT_EQ(m_fonts->GetFontCount(), 0u);
    EXPECT_EQ(m_fonts->GetBufferObject(), 0u);
    m_fonts->AddText(1, "kept", 10.0f, 30.0f, "default", 7, 1.0f);
    m_fonts->ReloadFonts();
    m_fonts->SetupFontShader();
    EXPECT_EQ(m_fonts->GetFontCount(), 2u);
    EXPECT_NE(m_fonts->GetBufferObject(), 0u);
    EXPECT_EQ(m_fonts->GetColorCount(), 12u);
    ASSERT_EQ(m_fonts->GetQueue().size(), 1u);  // the queue survives

    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H);
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
    int left, top, right, bottom, lit, outside;
    Box("kept", 10.0f, 30.0f, left, top, right, bottom);
    target.Lit(15, left - 1, top - 1, right + 1, bottom + 1, lit, outside);
    EXPECT_GT(lit, 20);
    EXPECT_EQ(outside, 0);
}

} // namespace
