// Text and GUI components, the screen objects' master files and the
// user-interface pass, on a started System with a real GL context.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <tinyxml2.h>

#include <algorithm>
#include <climits>
#include <iterator>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "engine/core/EngineDoor.h"
#include "engine/core/FileManager.h"
#include "engine/core/Logger.h"
#include "engine/core/System.h"
#include "engine/graphics/Font.h"
#include "engine/graphics/FontManager.h"
#include "engine/graphics/GUIComponent.h"
#include "engine/graphics/MeshManager.h"
#include "engine/graphics/Program.h"
#include "engine/graphics/ShaderManager.h"
#include "engine/graphics/TextComponent.h"
#include "engine/graphics/TextureManager.h"
#include "engine/graphics/UIPass.h"
#include "engine/objects/GameObject.h"
#include "engine/objects/ObjectManager.h"
#include "game/flow/GameStateTables.h"
#include "tools/ConsoleOverlay.h"
#include "tools/ProgramParts.h"
#include "support/FakeAudio.h"
#include "support/EngineFixture.h"
#include "support/GLReadback.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;

namespace {

constexpr int VIEW_W = 320;
constexpr int VIEW_H = 240;

TestSupport::GLTestContext& Context() { return TestSupport::SharedContext(VIEW_W, VIEW_H); }

// The state the door answers while a case runs.
struct States
{
    int current = 3;
};

class UITest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Context().Ok()) << Context().Error();
        Context().MakeCurrent();
        Logger::SetDialogAvailableOverride(0);
        m_system = System::GetInstance();
        testing::internal::CaptureStdout();
        const bool started = m_system->Initialize();
        testing::internal::GetCapturedStdout();
        ASSERT_TRUE(started);
        ASSERT_NE(m_system->fontManager, nullptr);
        m_objects = m_system->objectManager;
        // The splash screen that the start opened is not part of these tests.
        m_objects->ClearLevelObjects();
        Door().currentState = [this]() { return m_states.current; };
        Door().stateUpdating = nullptr;
        m_fonts = m_system->fontManager;
        // The renderer's program set-up is not part of these tests: build the
        // two programs the pass uses the way it does.
        m_fonts->SetupFontShader();
        Program* hud = m_system->shaderManager->CreateProgram(HUD_PROGRAM_NAME);
        hud->AssociateShader(Program::VERTEX_SHADER, "data\\shaders\\hud.vert");
        hud->AssociateShader(Program::FRAGMENT_SHADER, "data\\shaders\\hud.frag");
        glBindAttribLocation(hud->GetProgramObject(), HUD_POSITION_ATTRIBUTE, "inPosition");
        glBindAttribLocation(hud->GetProgramObject(), HUD_TEXCOORD_ATTRIBUTE, "texcoord");
        hud->LinkShaders();
        m_hud.projectionMatrix = glGetUniformLocation(hud->GetProgramObject(), "projectionMatrix");
        m_hud.viewMatrix = glGetUniformLocation(hud->GetProgramObject(), "viewMatrix");
        m_hud.modelMatrix = glGetUniformLocation(hud->GetProgramObject(), "modelMatrix");
        m_hud.opacity = glGetUniformLocation(hud->GetProgramObject(), "opacity");
        m_ortho = glm::ortho(-VIEW_W / 2.0f, VIEW_W / 2.0f, -VIEW_H / 2.0f, VIEW_H / 2.0f, 1.0f, 500.0f);
        glGetError();
    }
    void TearDown() override
    {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        if (System* s = System::PeekInstance()) {
            Door().currentState = nullptr;
            testing::internal::CaptureStdout();
            s->Shutdown();
            testing::internal::GetCapturedStdout();
            System::DestroyInstance();
        }
        Logger::SetDialogAvailableOverride(-1);
        InstallProgramParts();
    }
    // A sprite of the current state with its texture, place and size.
    GameObject* Sprite(const std::string& texture, glm::vec3 position, glm::vec2 size, float opacity = 1.0f)
    {
        GameObject* o = m_objects->CreateInstance(SPRITE, position);
        if (!o) return nullptr;
        o->stateId = m_states.current;
        o->scale = glm::vec3(size, 1.0f);
        o->flags &= ~OBJ_WORLD_VALID;
        GUIComponent* gui = Gui(o);
        gui->m_textureId = texture;
        gui->m_opacity = opacity;
        return o;
    }
    static GUIComponent* Gui(GameObject* o) { return dynamic_cast<GUIComponent*>(o->GetComponent(CT_GUI)); }
    static TextComponent* Text(GameObject* o) { return dynamic_cast<TextComponent*>(o->GetComponent(CT_TEXT)); }
    // Parses a component's field elements and hands the first one to read.
    template <typename Read>
    void WithElements(const std::string& xml, Read read)
    {
        tinyxml2::XMLDocument doc;
        ASSERT_EQ(doc.Parse(("<Component>" + xml + "</Component>").c_str()), tinyxml2::XML_SUCCESS);
        read(doc.RootElement()->FirstChildElement());
    }
    // The queued write commands; a return carries no argument of interest.
    std::vector<std::pair<std::string, std::string>> Commands() const
    {
        std::vector<std::pair<std::string, std::string>> out;
        for (const auto& c : m_system->fileManager->writeCommands)
            out.emplace_back(c.first, c.first == "return" ? std::string() : c.second);
        return out;
    }

    TestSupport::ScopedTempHome m_home;
    TestSupport::ScopedFakeAudio m_audio;
    States m_states;
    System* m_system = nullptr;
    ObjectManager* m_objects = nullptr;
    FontManager* m_fonts = nullptr;
    HudLocations m_hud;
    glm::mat4 m_ortho{1.0f};
};

using Cmd = std::pair<std::string, std::string>;

// --- Master files and factories ----------------------------------------------------

TEST_F(UITest, ScreenObjectsComeFromTheirMasterFiles)
{
    GameObject* sprite = m_objects->CreateInstance(SPRITE, glm::vec3(0.0f));
    ASSERT_NE(sprite, nullptr);
    ASSERT_NE(Gui(sprite), nullptr);
    EXPECT_EQ(Gui(sprite)->m_textureId, "white");
    EXPECT_EQ(Gui(sprite)->m_meshId, "2dplane");
    EXPECT_EQ(Gui(sprite)->m_layoutWidth, 1024.0f);
    EXPECT_EQ(Gui(sprite)->m_layoutHeight, 768.0f);
    EXPECT_EQ(Text(sprite), nullptr);
    EXPECT_NE(m_system->meshManager->FindMesh("2dplane"), nullptr);
    EXPECT_TRUE(m_system->textureManager->IsLoaded("white"));

    GameObject* ui = m_objects->CreateUIObject(3, glm::vec3(0, 0, -9), glm::quat(1, 0, 0, 0), glm::vec3(256, 32, 1));
    ASSERT_NE(ui, nullptr);
    ASSERT_NE(Gui(ui), nullptr);
    ASSERT_NE(Text(ui), nullptr);
    EXPECT_FALSE(Text(ui)->m_drawMe);
    EXPECT_EQ(Text(ui)->m_fontId, "default");
    EXPECT_EQ(Text(ui)->m_color, glm::vec4(0, 0, 0, 1));
    EXPECT_EQ(ui->layer, 1);

    for (ObjectType type : {GAMECONSOLE, FPSGRAPH}) {
        GameObject* o = m_objects->CreatePersistentInstance(type);
        ASSERT_NE(o, nullptr) << type;
        ASSERT_NE(Gui(o), nullptr) << type;
        EXPECT_TRUE(o->flags & OBJ_SKIP_DRAW) << type;
        EXPECT_EQ(Gui(o)->m_opacity < 1.0f, type == FPSGRAPH) << type;  // the console's backing hides what is under it
    }
}

// --- GUI component -----------------------------------------------------------------

TEST_F(UITest, GuiReadKeepsOpacityUnclampedAndSetsTheLayoutSize)
{
    GUIComponent gui;
    WithElements("<Opacity>1.5</Opacity>", [&](const tinyxml2::XMLElement* e) { gui.Read(e); });
    EXPECT_EQ(gui.m_opacity, 1.5f);
    WithElements("<Opacity>-2</Opacity><Opacity/>", [&](const tinyxml2::XMLElement* e) { gui.Read(e); });
    EXPECT_EQ(gui.m_opacity, -2.0f);
    EXPECT_EQ(gui.m_layoutWidth, 1024.0f);
    EXPECT_EQ(gui.m_layoutHeight, 768.0f);

    GUIComponent empty;
    empty.Read(nullptr);
    EXPECT_EQ(empty.m_layoutWidth, 1024.0f);
    EXPECT_EQ(empty.m_layoutHeight, 768.0f);
    EXPECT_EQ(empty.m_opacity, 1.0f);
}

TEST_F(UITest, GuiReadTakesTheTextureChildWhateverItsName)
{
    GUIComponent gui;
    WithElements("<Texture><Id>star</Id></Texture><Other>x</Other>",
                 [&](const tinyxml2::XMLElement* e) { gui.Read(e); });
    EXPECT_EQ(gui.m_textureId, "star");
    EXPECT_TRUE(m_system->textureManager->IsLoaded("star"));

    testing::internal::CaptureStdout();
    WithElements("<Texture>crate</Texture>", [&](const tinyxml2::XMLElement* e) { gui.Read(e); });
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(gui.m_textureId, "star");
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - Texture data section is empty!"), 1u) << out;
}

TEST_F(UITest, GuiWritesOnlyWhatDiffersFromItsMaster)
{
    GUIComponent master, gui;
    master.m_textureId = gui.m_textureId = "blank";
    gui.m_layoutWidth = 1280.0f;  // never written
    gui.m_meshId = "cubey";
    EXPECT_TRUE(gui.IsEqual(&master));
    gui.Write(&master);
    EXPECT_TRUE(Commands().empty());

    gui.m_opacity = 0.5f;
    gui.Write(&master);
    EXPECT_EQ(Commands(), (std::vector<Cmd>{{"sibling", "Component"}, {"child", "Type"}, {"value", "CT_GUI"},
                                            {"sibling", "Opacity"}, {"value", "0.5"}, {"return", ""}}));
    m_system->fileManager->writeCommands.clear();

    gui.m_opacity = 1.0f;
    gui.SetOwnTextureName("blankhover");
    gui.Write(&master);
    EXPECT_EQ(Commands(),
              (std::vector<Cmd>{{"sibling", "Component"}, {"child", "Type"}, {"value", "CT_GUI"},
                                {"sibling", "Texture"}, {"child", "TextureId"}, {"value", "blankhover"},
                                {"return", ""}, {"return", ""}}));

    GUIComponent copy;
    copy.CopyFrom(&gui);
    EXPECT_TRUE(copy.IsEqual(&gui));
    EXPECT_EQ(copy.m_meshId, "cubey");
    EXPECT_EQ(copy.m_layoutWidth, 1280.0f);

    // Fitted to two windows, a place goes back to the file as read; one moved since, scaled back.
    GameObject owner;
    owner.position = glm::vec3(123.456f, -324.0f, -13.0f);
    gui.owner = &owner;
    gui.Read(nullptr);
    ASSERT_TRUE(gui.FitToWindow(800, 600) && gui.FitToWindow(1280, 960));
    glm::vec3 position = owner.position, scale = owner.scale;
    gui.ToFilePlace(position, scale);
    EXPECT_EQ(position, glm::vec3(123.456f, -324.0f, -13.0f));
    position.y = 160.0f;
    gui.ToFilePlace(position, scale);
    EXPECT_EQ(position.y, 128.0f);
    ASSERT_TRUE(gui.FitToWindow(800, 600));
    float x = 1.0f, y = 0.0f;
    gui.ToFileTextOffsets(x, y);
    EXPECT_EQ(FileManager::FloatToString(x), "1.28");  // a line's offset edited at 800 x 600 by a pixel
}

// --- Text component ----------------------------------------------------------------

TEST_F(UITest, TextReadTakesOnlyTheWordTrueAndKeepsFieldsWithoutText)
{
    TextComponent text;
    WithElements("<drawMe>true</drawMe><Text>Hello there</Text><Color>0.5 0.25 1 0.75</Color>"
                 "<FontIdentifier>medium</FontIdentifier><PosX>-12.5</PosX><PosY>40</PosY><Unknown>1</Unknown>",
                 [&](const tinyxml2::XMLElement* e) { text.Read(e); });
    EXPECT_TRUE(text.m_drawMe);
    EXPECT_EQ(text.m_text, "Hello there");
    EXPECT_EQ(text.m_color, glm::vec4(0.5f, 0.25f, 1.0f, 0.75f));
    EXPECT_EQ(text.m_fontId, "medium");
    EXPECT_EQ(text.m_posX, -12.5f);
    EXPECT_EQ(text.m_posY, 40.0f);

    for (const char* word : {"True", "1", "yes"}) {
        text.m_drawMe = true;
        WithElements(std::string("<drawMe>") + word + "</drawMe>", [&](const tinyxml2::XMLElement* e) { text.Read(e); });
        EXPECT_FALSE(text.m_drawMe) << word;
    }

    text.m_drawMe = true;
    testing::internal::CaptureStdout();
    WithElements("<drawMe/><PosX/><PosY/><Text/><FontIdentifier/>",
                 [&](const tinyxml2::XMLElement* e) { text.Read(e); });
    std::string out = testing::internal::GetCapturedStdout();
    EXPECT_TRUE(text.m_drawMe);
    EXPECT_EQ(text.m_posX, -12.5f);
    EXPECT_EQ(text.m_text, "Hello there");
    EXPECT_EQ(text.m_fontId, "medium");
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - Draw me section is empty!"), 1u) << out;
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - X-Pos section is empty!"), 1u) << out;
    EXPECT_EQ(TestSupport::Count(out, "[LOG] WARNING - Y-Pos section is empty!"), 1u) << out;

    // A short colour keeps the values it does not give; a later element wins.
    WithElements("<Color>0.1 0.2</Color><Text>first</Text><Text>second</Text>",
                 [&](const tinyxml2::XMLElement* e) { text.Read(e); });
    EXPECT_EQ(text.m_color, glm::vec4(0.1f, 0.2f, 1.0f, 0.75f));
    EXPECT_EQ(text.m_text, "second");
}

TEST_F(UITest, TextWritesNothingForEqualTextsAndDrawMeAndTextOtherwise)
{
    TextComponent master, text;
    master.m_text = text.m_text = "Same";
    text.m_posX = 5.0f;
    text.m_color = glm::vec4(0, 0, 0, 1);
    text.m_fontId = "big";
    text.Write(&master);
    EXPECT_TRUE(Commands().empty());

    TextComponent other;
    other.m_text = "Other";
    other.Write(&master);
    EXPECT_EQ(Commands(), (std::vector<Cmd>{{"sibling", "Component"}, {"child", "Type"}, {"value", "CT_TEXT"},
                                            {"sibling", "drawMe"}, {"value", "false"}, {"sibling", "Text"},
                                            {"value", "Other"}, {"return", ""}}));
    m_system->fileManager->writeCommands.clear();

    text.m_text = "Changed";
    text.m_drawMe = true;
    text.m_posY = -3.25f;
    text.Write(&master);
    EXPECT_EQ(Commands(),
              (std::vector<Cmd>{{"sibling", "Component"}, {"child", "Type"}, {"value", "CT_TEXT"},
                                {"sibling", "drawMe"}, {"value", "true"}, {"sibling", "PosX"}, {"value", "5"},
                                {"sibling", "PosY"}, {"value", "-3.25"}, {"sibling", "FontIdentifier"},
                                {"value", "big"}, {"sibling", "Text"}, {"value", "Changed"},
                                {"sibling", "Color"}, {"value", "0 0 0 1"}, {"return", ""}}));

    TextComponent copy;
    copy.CopyFrom(&text);
    EXPECT_TRUE(copy.IsEqual(&text));
    EXPECT_EQ(copy.m_posY, -3.25f);  // not compared, copied all the same
}

TEST_F(UITest, TextIsQueuedOnlyForActiveObjectsOfTheCurrentState)
{
    GameObject* o = m_objects->CreateUIObject(3, glm::vec3(0, 0, -5), glm::quat(1, 0, 0, 0), glm::vec3(1));
    ASSERT_NE(o, nullptr);
    TextComponent* text = Text(o);
    text->m_text = "Score";
    text->m_posX = -100.0f;
    text->m_posY = 50.0f;
    text->m_color = glm::vec4(1, 0, 0, 1);

    RenderTextComponents();  // draw flag clear
    EXPECT_TRUE(m_fonts->GetQueue().empty());

    text->m_drawMe = true;
    RenderTextComponents();
    ASSERT_EQ(m_fonts->GetQueue().size(), 1u);
    const FontManager::TextItem& item = m_fonts->GetQueue().front();
    EXPECT_EQ(item.mode, 0);
    EXPECT_EQ(item.text, "Score");
    EXPECT_EQ(item.x, -100.0f);
    EXPECT_EQ(item.y, 50.0f);
    EXPECT_EQ(item.fontId, "default");
    EXPECT_EQ(item.color, glm::vec4(1, 0, 0, 1));
    m_fonts->RenderAllText(VIEW_W, VIEW_H);

    // A menu pushed over the state: its objects stay active but are not current.
    m_states.current = 40;
    RenderTextComponents();
    text->Render();
    EXPECT_TRUE(m_fonts->GetQueue().empty());

    m_states.current = 3;
    o->flags &= ~OBJ_ACTIVE;
    text->Render();
    EXPECT_TRUE(m_fonts->GetQueue().empty());

    TextComponent orphan;
    orphan.m_drawMe = true;
    orphan.Render();
    EXPECT_TRUE(m_fonts->GetQueue().empty());
}

// --- User-interface pass -------------------------------------------------------------

TEST(GUIDrawOrder, HigherOpacityFirstThenSmallerZ)
{
    GameObject a, b;
    GUIComponent* ga = new GUIComponent();
    GUIComponent* gb = new GUIComponent();
    a.components.emplace(CT_GUI, ga);
    b.components.emplace(CT_GUI, gb);
    ga->m_opacity = 1.0f;
    gb->m_opacity = 0.5f;
    EXPECT_TRUE(CompareGUIDrawOrder(&a, &b));
    EXPECT_FALSE(CompareGUIDrawOrder(&b, &a));
    gb->m_opacity = 1.0f;
    a.position.z = -9.0f;
    b.position.z = -5.0f;
    EXPECT_TRUE(CompareGUIDrawOrder(&a, &b));
    EXPECT_FALSE(CompareGUIDrawOrder(&b, &a));
    b.position.z = -9.0f;
    EXPECT_FALSE(CompareGUIDrawOrder(&a, &b));
    EXPECT_FALSE(CompareGUIDrawOrder(&b, &a));
}

TEST_F(UITest, GuiQuadAppearsAtItsPlaceAndSize)
{
    ASSERT_NE(Sprite("white", glm::vec3(100, 50, -5), glm::vec2(64, 32)), nullptr);
    GameObject* hidden = Sprite("white", glm::vec3(-100, -50, -5), glm::vec2(40, 40));
    hidden->flags |= OBJ_SKIP_DRAW;
    // Another state's quad is drawn as well.
    GameObject* paused = Sprite("white", glm::vec3(-100, 60, -5), glm::vec2(20, 20));
    paused->stateId = 7;

    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H, true);
    RenderUI(m_hud, m_ortho);
    GLint program = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    EXPECT_EQ(program, 0);
    EXPECT_FALSE(m_system->shaderManager->GetProgram(HUD_PROGRAM_NAME)->IsInUse());
    target.Read();

    // Window centre (160, 120); the quad spans x 228..292, y 54..86 (y down).
    int lit, outside;
    target.Lit(128, 228, 54, 292, 86, lit, outside);
    const int pausedArea = 20 * 20;
    EXPECT_EQ(lit, 64 * 32 + pausedArea);
    EXPECT_EQ(outside, pausedArea);
    EXPECT_NEAR(target.At(260, 70, 0), 245, 3);
    EXPECT_NEAR(target.At(60, 60, 0), 245, 3);     // the paused state's quad
    EXPECT_EQ(target.At(60, 170, 0), 0);            // the hidden one is not drawn
}

TEST_F(UITest, TranslucentQuadsAreDrawnOverOpaqueOnes)
{
    // Made translucent first: without the sort it would be drawn first.
    Sprite("black", glm::vec3(0, 0, -4), glm::vec2(60, 60), 0.5f);
    Sprite("white", glm::vec3(0, 0, -6), glm::vec2(60, 60), 1.0f);
    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H, true);
    RenderUI(m_hud, m_ortho);
    target.Read();
    EXPECT_NEAR(target.At(160, 120, 0), (245 + 12) / 2, 4);
}

TEST_F(UITest, ConsoleObjectsThatDoNotExistAreSkipped)
{
    TestSupport::OffscreenTarget target(VIEW_W, VIEW_H, true);
    DrawGUIObject(m_hud, m_ortho, nullptr);
    GameObject bare;
    DrawGUIObject(m_hud, m_ortho, &bare);

    // The console's background draws whatever its skip-draw flag says.
    GameObject* console = m_objects->CreatePersistentInstance(GAMECONSOLE);
    ASSERT_NE(console, nullptr);
    Gui(console)->m_textureId = "white";
    Gui(console)->m_opacity = 1.0f;
    console->position = glm::vec3(0, 0, -2);
    console->scale = glm::vec3(10, 10, 1);
    console->flags &= ~OBJ_WORLD_VALID;
    DrawGUIObject(m_hud, m_ortho, console);
    target.Read();
    EXPECT_NEAR(target.At(160, 120, 0), 245, 3);
    int lit, outside;
    target.Lit(128, 155, 115, 165, 125, lit, outside);
    EXPECT_EQ(outside, 0);
}

TEST(ConsoleOverlay, FrameRateAndItsColour)
{
    EXPECT_EQ(FrameRateOf(0.0625), 16);
    EXPECT_EQ(FrameRateOf(0.0390625), 26);  // 25.6 frames rounds up
    EXPECT_EQ(FrameRateOf(0.0), 0);
    EXPECT_EQ(FrameRateOf(-1.0), 0);
    EXPECT_EQ(FrameRateOf(1e-300), INT_MAX);
    EXPECT_EQ(FrameRateColorIndex(31), 2);
    EXPECT_EQ(FrameRateColorIndex(30), 8);
    EXPECT_EQ(FrameRateColorIndex(21), 8);
    EXPECT_EQ(FrameRateColorIndex(20), 0);
    EXPECT_EQ(FrameRateColorIndex(0), 0);
}

TEST_F(UITest, ConsoleOverlayQueuesItsThreeLines)
{
    const std::string file = "level1.xml";
    QueueConsoleOverlayText("LEVEL1", &file, 0.0390625);
    ASSERT_EQ(m_fonts->GetQueue().size(), 3u);
    auto it = m_fonts->GetQueue().begin();
    EXPECT_EQ(it->text, "Current level: LEVEL1");
    EXPECT_EQ(it->mode, 1);
    EXPECT_EQ(it->x, 0.0f);
    EXPECT_EQ(it->y, 15.0f);
    EXPECT_EQ(it->color, glm::vec4(1, 1, 1, 1));
    EXPECT_EQ(it->fontId, "default");
    ++it;
    EXPECT_EQ(it->text, "Loaded XML: level1.xml");
    EXPECT_EQ(it->y, 35.0f);
    ++it;
    EXPECT_EQ(it->text, "26");
    EXPECT_EQ(it->y, 50.0f);
    EXPECT_EQ(it->color, glm::vec4(1, 1, 0, 1));  // yellow
    m_fonts->RenderAllText(VIEW_W, VIEW_H);

    const std::string empty;
    QueueConsoleOverlayText("LEVELEDITOR", nullptr, 0.015625);
    QueueConsoleOverlayText("LEVEL2", &empty, 0.125);
    std::vector<std::string> texts;
    for (const auto& item : m_fonts->GetQueue()) texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Current level: LEVELEDITOR", "", "64", "Current level: LEVEL2",
                                               "Loaded XML: ", "8"}));
    EXPECT_EQ(std::next(m_fonts->GetQueue().begin(), 2)->color, glm::vec4(0, 1, 0, 1));  // green
    EXPECT_EQ(m_fonts->GetQueue().back().color, glm::vec4(1, 0, 0, 1));                   // red
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
}

TEST_F(UITest, ConsoleOverlayNamesTheStateAndItsLevelFile)
{
    const int row = FindLevelTableRow(STATE_LEVEL1);
    ASSERT_GE(row, 0);
    const std::string file = GetLevelTable()[static_cast<size_t>(row)].fileName;
    QueueConsoleOverlayText(STATE_LEVEL1, 0.0625);
    QueueConsoleOverlayText(STATE_LEVELEDITOR, 0.0625);  // no level-table row
    std::vector<std::string> texts;
    for (const auto& item : m_fonts->GetQueue()) texts.push_back(item.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Current level: LEVEL1", "Loaded XML: " + file, "16",
                                               "Current level: LEVELEDITOR", "", "16"}));
    m_fonts->RenderAllText(VIEW_W, VIEW_H);
}

} // namespace
