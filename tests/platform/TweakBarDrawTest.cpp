// The tweak bars drawn into a real OpenGL context under Xvfb: they show over
// a rendered frame, leave the renderer's GL state as it was, and take a
// mouse click pushed through SDL's event queue.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <SDL.h>
#include <imgui.h>
#include <imgui_internal.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/platform/Clock.h"
#include "engine/platform/VirtualKeys.h"
#include "engine/platform/WindowMessages.h"
#include "engine/platform/tweakbar/TweakBar.h"
#include "support/GLTestContext.h"
#include "support/TestEnv.h"

using namespace QRX;
using namespace QRX::Platform;

namespace {

constexpr int WIDTH = 640;
constexpr int HEIGHT = 480;

TestSupport::GLTestContext* g_gl = nullptr;

class TweakBarDraw : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { g_gl = new TestSupport::GLTestContext(WIDTH, HEIGHT); }
    static void TearDownTestSuite()
    {
        delete g_gl;
        g_gl = nullptr;
    }
    void SetUp() override
    {
        ASSERT_TRUE(g_gl->Ok()) << g_gl->Error();
        g_gl->MakeCurrent();
        glViewport(0, 0, WIDTH, HEIGHT);
        ASSERT_EQ(TwInit(TW_OPENGL_CORE, nullptr), 1);
        ASSERT_EQ(TwWindowSize(WIDTH, HEIGHT), 1);
    }
    void TearDown() override { TwTerminate(); }
};

std::vector<unsigned char> ReadFrame()
{
    std::vector<unsigned char> pixels(static_cast<size_t>(WIDTH) * HEIGHT * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

// The pixel at window coordinates (x right, y down).
const unsigned char* PixelAt(const std::vector<unsigned char>& frame, int x, int y)
{
    return &frame[(static_cast<size_t>(HEIGHT - 1 - y) * WIDTH + static_cast<size_t>(x)) * 4];
}

// Where ImGui laid out the bar named name in the last frame.
ImGuiWindow* BarWindow(const std::string& name)
{
    return ImGui::FindWindowByName(("###bar:" + name).c_str());
}

// The middle of the check box of the bar's first row.
void FirstRowCheckBox(const std::string& bar, int valuesWidth, int& x, int& y)
{
    ImGuiWindow* w = BarWindow(bar);
    ASSERT_NE(w, nullptr);
    float box = ImGui::GetFrameHeight();
    x = static_cast<int>(w->ContentRegionRect.Max.x - static_cast<float>(valuesWidth) + box * 0.5f);
    y = static_cast<int>(w->DC.CursorStartPos.y + box * 0.5f);
}

// Turns SDL's mouse events into window messages, as the message pump does,
// and offers each to the bars; returns what TwEventWin answered, in order.
std::vector<int> PumpIntoBars()
{
    std::vector<int> answers;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        WindowMessage m;
        switch (e.type) {
        case SDL_MOUSEMOTION:
            m.message = WM_MOUSEMOVE;
            m.lParam = MakeMouseLParam(e.motion.x, e.motion.y);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (e.button.button != SDL_BUTTON_LEFT) continue;
            m.message = e.type == SDL_MOUSEBUTTONDOWN ? WM_LBUTTONDOWN : WM_LBUTTONUP;
            m.wParam = e.type == SDL_MOUSEBUTTONDOWN ? VK_LBUTTON : 0;
            m.lParam = MakeMouseLParam(e.button.x, e.button.y);
            break;
        default:
            continue;
        }
        answers.push_back(TwEventWin(m));
    }
    return answers;
}

void PushClick(int x, int y)
{
    SDL_Event e{};
    e.type = SDL_MOUSEMOTION;
    e.motion.x = x;
    e.motion.y = y;
    SDL_PushEvent(&e);
    for (Uint32 type : {SDL_MOUSEBUTTONDOWN, SDL_MOUSEBUTTONUP}) {
        SDL_Event b{};
        b.type = type;
        b.button.button = SDL_BUTTON_LEFT;
        b.button.state = type == SDL_MOUSEBUTTONDOWN ? SDL_PRESSED : SDL_RELEASED;
        b.button.clicks = 1;
        b.button.x = x;
        b.button.y = y;
        SDL_PushEvent(&b);
    }
}

// ---------------------------------------------------------------- a small scene

struct Scene
{
    GLuint program = 0;
    GLuint vao = 0;
    GLuint vbo = 0;
    GLuint texture = 0;

    bool Build()
    {
        const char* vs = "#version 120\nattribute vec2 pos;\nvoid main() { gl_Position = vec4(pos, 0.0, 1.0); }\n";
        const char* fs = "#version 120\nuniform vec4 colour;\nvoid main() { gl_FragColor = colour; }\n";
        GLuint v = glCreateShader(GL_VERTEX_SHADER), f = glCreateShader(GL_FRAGMENT_SHADER);
        glShaderSource(v, 1, &vs, nullptr);
        glShaderSource(f, 1, &fs, nullptr);
        glCompileShader(v);
        glCompileShader(f);
        program = glCreateProgram();
        glAttachShader(program, v);
        glAttachShader(program, f);
        glBindAttribLocation(program, 0, "pos");
        glLinkProgram(program);
        glDeleteShader(v);
        glDeleteShader(f);
        GLint linked = 0;
        glGetProgramiv(program, GL_LINK_STATUS, &linked);
        if (!linked || !glGenVertexArrays) return false;
        // A front-facing triangle on the left, a back-facing one on the right.
        const float points[] = {-0.9f, -0.9f, -0.1f, -0.9f, -0.5f, 0.9f,
                                0.1f, -0.9f, 0.5f, 0.9f, 0.9f, -0.9f};
        glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        glGenBuffers(1, &vbo);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glBufferData(GL_ARRAY_BUFFER, sizeof points, points, GL_STATIC_DRAW);
        glEnableVertexAttribArray(0);
        glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);
        glGenTextures(1, &texture);
        return true;
    }

    // The renderer's state in the middle of its frame.
    void SetState()
    {
        glUseProgram(program);
        glUniform4f(glGetUniformLocation(program, "colour"), 0.5f, 0.25f, 0.0f, 0.5f);
        glBindVertexArray(vao);
        glBindBuffer(GL_ARRAY_BUFFER, vbo);
        glEnable(GL_BLEND);
        glBlendFuncSeparate(GL_ONE, GL_ONE, GL_ZERO, GL_ONE);
        glBlendEquation(GL_FUNC_ADD);
        glEnable(GL_DEPTH_TEST);
        glDepthFunc(GL_LESS);
        glEnable(GL_CULL_FACE);
        glCullFace(GL_BACK);
        glViewport(40, 30, 400, 300);
        glPolygonMode(GL_FRONT_AND_BACK, GL_FILL);
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture);
        glActiveTexture(GL_TEXTURE2);
    }

    // Draws with whatever state is current.
    void Draw()
    {
        glClearColor(0.1f, 0.1f, 0.1f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        glDrawArrays(GL_TRIANGLES, 0, 6);
        glFinish();
    }

    ~Scene()
    {
        glUseProgram(0);
        if (glBindVertexArray) glBindVertexArray(0);
        if (vbo) glDeleteBuffers(1, &vbo);
        if (vao) glDeleteVertexArrays(1, &vao);
        if (texture) glDeleteTextures(1, &texture);
        if (program) glDeleteProgram(program);
        glActiveTexture(GL_TEXTURE0);
        glDisable(GL_BLEND);
        glDisable(GL_DEPTH_TEST);
        glDisable(GL_CULL_FACE);
        glViewport(0, 0, WIDTH, HEIGHT);
    }
};

std::vector<GLint> StateSnapshot()
{
    std::vector<GLint> s;
    auto add = [&](GLenum name, int count) {
        GLint v[4] = {};
        glGetIntegerv(name, v);
        s.insert(s.end(), v, v + count);
    };
    add(GL_CURRENT_PROGRAM, 1);
    add(GL_VERTEX_ARRAY_BINDING, 1);
    add(GL_ARRAY_BUFFER_BINDING, 1);
    add(GL_ELEMENT_ARRAY_BUFFER_BINDING, 1);
    add(GL_BLEND_SRC_RGB, 1);
    add(GL_BLEND_DST_RGB, 1);
    add(GL_BLEND_SRC_ALPHA, 1);
    add(GL_BLEND_DST_ALPHA, 1);
    add(GL_BLEND_EQUATION_RGB, 1);
    add(GL_VIEWPORT, 4);
    add(GL_POLYGON_MODE, 2);
    add(GL_ACTIVE_TEXTURE, 1);
    add(GL_CLIENT_ACTIVE_TEXTURE, 1);
    add(GL_MATRIX_MODE, 1);
    add(GL_SCISSOR_BOX, 4);
    for (GLenum cap : {GL_BLEND, GL_DEPTH_TEST, GL_CULL_FACE, GL_SCISSOR_TEST, GL_TEXTURE_2D, GL_LIGHTING})
        s.push_back(glIsEnabled(cap));
    GLint enabled = 0;
    glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED, &enabled);
    s.push_back(enabled);
    GLint active = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &active);
    glActiveTexture(GL_TEXTURE0);
    add(GL_TEXTURE_BINDING_2D, 1);
    glActiveTexture(static_cast<GLenum>(active));
    return s;
}

} // namespace

TEST_F(TweakBarDraw, BarsShowOverARenderedFrame)
{
    TwBar* bar = TwNewBar("GraphicsManagerBar");
    ASSERT_NE(bar, nullptr);
    ASSERT_EQ(TwDefine("GraphicsManagerBar label='Graphics Settings' color='200 40 40' alpha=255 text=light "
                       "position='40 40' size='260 300' valueswidth=120"), 1);
    float fov = 45.0f, hue = 0.04f, fog[3] = {0.2f, 0.4f, 0.6f}, light[3] = {0, -1, 0};
    bool shadows = true;
    int width = WIDTH;
    std::string name = "crate";
    const TwStructMember point[] = {{"X", TW_TYPE_FLOAT, 0, " Step=0.1 "}, {"Y", TW_TYPE_FLOAT, 4, " Step=0.1 "},
                                    {"Z", TW_TYPE_FLOAT, 8, " Step=0.1 "}};
    TwType point3 = TwDefineStruct("POINT3", point, 3, 12, nullptr, nullptr);
    float camera[3] = {0, 5, -10};
    const TwEnumVal wires[] = {{0, "None"}, {1, "Sphere"}, {2, "Box"}, {3, "Both"}};
    TwType wireType = TwDefineEnum("WireFrameType", wires, 4);
    int wire = 2;
    EXPECT_EQ(TwAddVarRW(bar, "GraphicsWire", wireType, &wire, "group=Display"), 1);
    EXPECT_EQ(TwAddVarRO(bar, "Width", TW_TYPE_INT32, &width, "group=Display label='Width'"), 1);
    EXPECT_EQ(TwAddVarRW(bar, "CamPos", point3, camera, "group=Camera label='Position' open"), 1);
    EXPECT_EQ(TwAddVarRW(bar, "FOV", TW_TYPE_FLOAT, &fov, "group=Camera min=1 max=90 step=1"), 1);
    EXPECT_EQ(TwDefine(" GraphicsManagerBar/Camera group='Display' "), 1);
    EXPECT_EQ(TwAddVarRW(bar, "LightDir", TW_TYPE_DIR3F, light, "group=Light"), 1);
    EXPECT_EQ(TwAddVarRW(bar, "FogColor", TW_TYPE_COLOR3F, fog, "group=Light"), 1);
    EXPECT_EQ(TwAddVarRW(bar, "ShadowMode", TW_TYPE_BOOLCPP, &shadows, "group=Shadow false='OFF' true='ON'"), 1);
    EXPECT_EQ(TwAddVarRW(bar, "Hue", TW_TYPE_FLOAT, &hue, "group=Bloom min=-1 max=1 step=0.01"), 1);
    EXPECT_EQ(TwAddVarRW(bar, "Name", TW_TYPE_STDSTRING, &name, ""), 1);
    EXPECT_EQ(TwAddButton(bar, "Apply", [](void*) {}, nullptr, ""), 1);
    EXPECT_EQ(TwDefine(" TW_HELP visible=true position='360 40' size='240 200' "), 1);

    glClearColor(0.0f, 0.0f, 0.5f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(TwDraw(), 1);
    // Windows settle on their first frame; the second is what a player sees.
    glClear(GL_COLOR_BUFFER_BIT);
    ASSERT_EQ(TwDraw(), 1);
    glFinish();
    std::vector<unsigned char> frame = ReadFrame();
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    // Inside the bar (below its rows, where only its background shows).
    const unsigned char* inside = PixelAt(frame, 60, 320);
    EXPECT_GT(inside[0], 150);
    EXPECT_LT(inside[2], 100);
    // The help window and, outside both, the frame as it was.
    const unsigned char* help = PixelAt(frame, 480, 220);
    EXPECT_FALSE(help[0] == 0 && help[1] == 0 && help[2] == 128);
    const unsigned char* outside = PixelAt(frame, 600, 400);
    EXPECT_EQ(outside[0], 0);
    EXPECT_EQ(outside[1], 0);
    EXPECT_EQ(outside[2], 128);
    // Some of the bar's text (light) is drawn in its rows.
    int light_pixels = 0;
    for (int y = 60; y < 300; ++y)
        for (int x = 45; x < 295; ++x)
            if (PixelAt(frame, x, y)[0] > 230 && PixelAt(frame, x, y)[1] > 230) ++light_pixels;
    EXPECT_GT(light_pixels, 100);

    // A screenshot of the frame beside the build, for a person to look at.
    SDL_Surface* shot = SDL_CreateRGBSurfaceWithFormat(0, WIDTH, HEIGHT, 32, SDL_PIXELFORMAT_ABGR8888);
    ASSERT_NE(shot, nullptr);
    for (int y = 0; y < HEIGHT; ++y)
        std::memcpy(static_cast<unsigned char*>(shot->pixels) + static_cast<size_t>(y) * shot->pitch,
                    PixelAt(frame, 0, y), WIDTH * 4);
    EXPECT_EQ(SDL_SaveBMP(shot, (TestSupport::BinaryDir() + "/tweakbar-screenshot.bmp").c_str()), 0);
    SDL_FreeSurface(shot);
}

TEST_F(TweakBarDraw, FrameAfterDrawRendersAsBefore)
{
    Scene scene;
    ASSERT_TRUE(scene.Build());
    TwBar* bar = TwNewBar("Over");
    float value = 1.0f;
    TwAddVarRW(bar, "Value", TW_TYPE_FLOAT, &value, "");
    TwDefine("Over position='200 150' size='200 150'");

    scene.SetState();
    std::vector<GLint> stateBefore = StateSnapshot();
    scene.Draw();
    std::vector<unsigned char> before = ReadFrame();

    ASSERT_EQ(TwDraw(), 1);  // first frame: also makes the font texture
    EXPECT_EQ(StateSnapshot(), stateBefore);
    ASSERT_EQ(TwDraw(), 1);
    EXPECT_EQ(StateSnapshot(), stateBefore);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    scene.Draw();
    std::vector<unsigned char> after = ReadFrame();
    ASSERT_EQ(before.size(), after.size());
    size_t differing = 0;
    for (size_t i = 0; i < before.size(); ++i)
        if (before[i] != after[i]) ++differing;
    EXPECT_EQ(differing, 0u);
    // The scene did draw: blended orange in the left triangle, the culled one absent.
    const unsigned char* left = PixelAt(before, 40 + 100, 30 + 250);
    EXPECT_GT(left[0], 140);
    const unsigned char* right = PixelAt(before, 40 + 300, 30 + 250);
    EXPECT_LT(right[0], 40);
}

TEST_F(TweakBarDraw, ClickThroughSDLTogglesACheckBox)
{
    bool shadows = false;
    TwBar* bar = TwNewBar("Clicks");
    ASSERT_EQ(TwAddVarRW(bar, "ShadowMode", TW_TYPE_BOOLCPP, &shadows, "false='OFF' true='ON'"), 1);
    ASSERT_EQ(TwDefine("Clicks position='100 80' size='300 120' valueswidth=120"), 1);
    ASSERT_EQ(TwDraw(), 1);  // lays the bar out
    int x = 0, y = 0;
    FirstRowCheckBox("Clicks", 120, x, y);

    // Move, press and release arrive together, before the next frame.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    PushClick(x, y);
    std::vector<int> answers = PumpIntoBars();
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[0], 1);  // a move over a bar
    EXPECT_EQ(answers[1], 1);  // the press is the bar's
    EXPECT_EQ(answers[2], 0);  // the release still reaches the game
    ASSERT_EQ(TwDraw(), 1);
    ASSERT_EQ(TwDraw(), 1);
    EXPECT_TRUE(shadows);

    // Again: back off.
    PushClick(x, y);
    PumpIntoBars();
    TwDraw();
    TwDraw();
    EXPECT_FALSE(shadows);

    // A click beside the bar is the game's and changes nothing.
    PushClick(560, 420);
    answers = PumpIntoBars();
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[0], 0);
    EXPECT_EQ(answers[1], 0);
    EXPECT_EQ(answers[2], 0);
    TwDraw();
    TwDraw();
    EXPECT_FALSE(shadows);
}

TEST_F(TweakBarDraw, PressOnABarOwnsTheDragButNotTheRelease)
{
    TwBar* bar = TwNewBar("Drag");
    float value = 0.0f;
    TwAddVarRW(bar, "Value", TW_TYPE_FLOAT, &value, "");
    TwDefine("Drag position='20 20' size='200 100' iconified=true");
    ASSERT_EQ(TwDraw(), 1);
    ImGuiWindow* w = BarWindow("Drag");
    ASSERT_NE(w, nullptr);
    int titleX = static_cast<int>(w->Pos.x) + 60;
    int titleY = static_cast<int>(w->Pos.y + w->TitleBarHeight() * 0.5f);
    // Iconified: the title bar still belongs to the bar, the space below not.
    EXPECT_EQ(TwEventWin({WM_MOUSEMOVE, 0, MakeMouseLParam(titleX, titleY + 40)}), 0);
    EXPECT_EQ(TwEventWin({WM_LBUTTONDOWN, VK_LBUTTON, MakeMouseLParam(titleX, titleY)}), 1);
    // Dragging away from the bar stays with the bar until the release.
    EXPECT_EQ(TwEventWin({WM_MOUSEMOVE, VK_LBUTTON, MakeMouseLParam(400, 400)}), 1);
    EXPECT_EQ(TwEventWin({WM_LBUTTONUP, 0, MakeMouseLParam(400, 400)}), 0);
    EXPECT_EQ(TwEventWin({WM_MOUSEMOVE, 0, MakeMouseLParam(400, 400)}), 0);
    // The right button and the wheel over the bar.
    EXPECT_EQ(TwEventWin({WM_MOUSEMOVE, 0, MakeMouseLParam(titleX, titleY)}), 1);
    EXPECT_EQ(TwEventWin({WM_MOUSEWHEEL, static_cast<std::uint64_t>(120) << 16, 0}), 1);
    EXPECT_EQ(TwEventWin({WM_RBUTTONDOWN, VK_RBUTTON, MakeMouseLParam(titleX, titleY)}), 1);
    EXPECT_EQ(TwEventWin({WM_RBUTTONUP, 0, MakeMouseLParam(titleX, titleY)}), 0);
    // Keys go to the game while no text is being edited; releases always.
    EXPECT_EQ(TwEventWin({WM_KEYDOWN, VK_F1, 0}), 0);
    EXPECT_EQ(TwEventWin({WM_KEYUP, VK_F1, 0}), 0);
    EXPECT_EQ(TwEventWin({WM_KILLFOCUS, 0, 0}), 0);
    TwDraw();
    TwDraw();
    TwDraw();
}

TEST_F(TweakBarDraw, ButtonMayDeleteItsOwnBar)
{
    struct Ctx { TwBar* bar; int presses; } ctx = {TwNewBar("GameObject"), 0};
    auto press = [](void* c) {
        auto* x = static_cast<Ctx*>(c);
        ++x->presses;
        TwDeleteBar(x->bar);
        TwNewBar("GameObject");  // and make another in its place
    };
    ASSERT_EQ(TwAddButton(ctx.bar, "DeleteObject", press, &ctx, "label='Delete Object'"), 1);
    ASSERT_EQ(TwDefine("GameObject position='300 20' size='280 200'"), 1);
    ASSERT_EQ(TwDraw(), 1);
    ImGuiWindow* w = BarWindow("GameObject");
    ASSERT_NE(w, nullptr);
    int x = static_cast<int>(w->DC.CursorStartPos.x + 20);
    int y = static_cast<int>(w->DC.CursorStartPos.y + ImGui::GetFrameHeight() * 0.5f);
    PushClick(x, y);
    PumpIntoBars();
    TwDraw();
    TwDraw();
    EXPECT_EQ(ctx.presses, 1);
    EXPECT_EQ(TwDeleteBar(ctx.bar), 0);  // the old handle is gone
    EXPECT_EQ(TwDraw(), 1);
}

TEST_F(TweakBarDraw, TypedTextReachesTheStringWhenTheFieldIsLeft)
{
    std::string name;
    TwBar* bar = TwNewBar("Text");
    ASSERT_EQ(TwAddVarRW(bar, "UIName", TW_TYPE_STDSTRING, &name, "label='Name'"), 1);
    ASSERT_EQ(TwDefine("Text position='100 100' size='300 100' valueswidth=150"), 1);
    ASSERT_EQ(TwDraw(), 1);
    ImGuiWindow* w = BarWindow("Text");
    ASSERT_NE(w, nullptr);
    int x = static_cast<int>(w->ContentRegionRect.Max.x - 75);
    int y = static_cast<int>(w->DC.CursorStartPos.y + ImGui::GetFrameHeight() * 0.5f);

    EXPECT_EQ(TwEventWin({WM_CHAR, 'q', 0}), 0);  // no field is being edited yet
    TwDraw();
    PushClick(x, y);
    PumpIntoBars();
    TwDraw();
    TwDraw();
    // The field now takes keys and characters from the game.
    EXPECT_EQ(TwEventWin({WM_KEYDOWN, 'A', 0}), 1);
    EXPECT_EQ(TwEventWin({WM_CHAR, 'a', 0}), 1);
    EXPECT_EQ(TwEventWin({WM_KEYUP, 'A', 0}), 0);
    EXPECT_EQ(TwEventWin({WM_CHAR, 'b', 0}), 1);
    TwDraw();
    TwDraw();
    EXPECT_EQ(name, "");  // nothing is written while typing
    EXPECT_EQ(TwEventWin({WM_KEYDOWN, VK_RETURN, 0}), 1);
    TwDraw();
    EXPECT_EQ(TwEventWin({WM_KEYUP, VK_RETURN, 0}), 0);
    TwDraw();
    EXPECT_EQ(name, "ab");
    // Left: keys are the game's again, and the shown text follows the variable.
    EXPECT_EQ(TwEventWin({WM_KEYDOWN, 'W', 0}), 0);
    EXPECT_EQ(TwEventWin({WM_KEYUP, 'W', 0}), 0);
    name = "crate";
    TwDraw();
}

TEST_F(TweakBarDraw, ContainedBarsStayInsideTheWindow)
{
    ASSERT_EQ(TwDefine(" GLOBAL contained=true overlap=true "), 1);
    TwBar* bar = TwNewBar("SoundManagerBar");
    float volume = 1.0f;
    TwAddVarRW(bar, "Volume", TW_TYPE_FLOAT, &volume, "min=0.0 max=1.0 step=0.01");
    // Placed for a 1024 x 768 window (y = H - 270) but shown in 640 x 480.
    ASSERT_EQ(TwDefine("SoundManagerBar position='16 498' valueswidth=120 size='240 250'"), 1);
    TwDraw();
    TwDraw();
    ImGuiWindow* w = BarWindow("SoundManagerBar");
    ASSERT_NE(w, nullptr);
    EXPECT_FLOAT_EQ(w->Pos.x, 16.0f);
    EXPECT_FLOAT_EQ(w->Pos.y, static_cast<float>(HEIGHT - 250));
    // The window grows: the bar stays where it was put.
    TwWindowSize(1024, 768);
    TwDefine("SoundManagerBar position='16 498'");
    TwDraw();
    EXPECT_FLOAT_EQ(w->Pos.y, 498.0f);
}

TEST_F(TweakBarDraw, InputHeldWhileTheBarsWereHiddenIsForgotten)
{
    static std::uint64_t ticks = 1000;
    SetPerformanceCounterSource([] { return ticks; }, [] { return std::uint64_t(1000); });
    TwBar* bar = TwNewBar("Hidden");
    float value = 0.0f;
    TwAddVarRW(bar, "Value", TW_TYPE_FLOAT, &value, "");
    TwDefine("Hidden position='20 20' size='200 100'");
    TwDraw();
    ticks += 16;
    TwDraw();
    EXPECT_EQ(TwEventWin({WM_LBUTTONDOWN, VK_LBUTTON, MakeMouseLParam(100, 60)}), 1);
    EXPECT_EQ(TwEventWin({WM_MOUSEMOVE, VK_LBUTTON, MakeMouseLParam(400, 400)}), 1);
    // F1 hides the bars: neither draws nor messages reach them, and the
    // release goes to the game alone. Shown again two seconds later, the
    // old press no longer claims the mouse.
    ticks += 2000;
    EXPECT_EQ(TwEventWin({WM_MOUSEMOVE, 0, MakeMouseLParam(410, 400)}), 0);
    TwDraw();
    TwDraw();
    EXPECT_EQ(TwEventWin({WM_MOUSEMOVE, 0, MakeMouseLParam(100, 60)}), 1);
    SetPerformanceCounterSource(nullptr, nullptr);
}
