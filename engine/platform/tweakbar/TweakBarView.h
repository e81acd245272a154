// Draws the tweak-bar model with Dear ImGui and feeds it the window's input.
//
// One ImGui window per visible bar at the bar's position and size (a define
// moves it, the user's dragging is written back), groups as collapsible
// sections, one widget per value type, and the help window of TW_HELP.
// Drawing uses ImGui's OpenGL 2 renderer inside a GLStateGuard, so the
// renderer's state is the same afterwards. Edits and button presses are
// queued in the model and carried out after the pass.
//
// Input: window messages are queued and handed to ImGui one frame at a time,
// so a press and its release that arrive between two draws are seen as a
// click on two frames rather than lost. Whether a message is used by the
// bars is decided when it arrives, from the windows of the last frame.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/platform/WindowMessages.h"
#include "engine/platform/tweakbar/TweakBarModel.h"

struct ImGuiContext;

namespace QRX {
namespace TweakBar {

class View
{
public:
    // Input waiting for the next frames; past this it is applied at once.
    static constexpr size_t MAX_QUEUED_EVENTS = 1024;
    // Keys ImGui tracks (virtual-key codes below this).
    static constexpr int KEY_COUNT = 512;
    static constexpr int MOUSE_BUTTONS = 3;
    // Without a draw for this long the bars were hidden and their messages
    // went elsewhere: held buttons and keys are forgotten.
    static constexpr double STALE_INPUT_SECONDS = 0.5;

    // Creates the ImGui context; no GL yet.
    View();
    // Releases the GL objects (the drawing context must be current) and the
    // ImGui context.
    ~View();
    View(const View&) = delete;
    View& operator=(const View&) = delete;

    void SetWindowSize(int width, int height);
    int WindowWidth() const { return m_width; }
    int WindowHeight() const { return m_height; }

    // Queues the message for ImGui; true when the bars use it: a press,
    // move or wheel over a bar window (or while a press on a bar is held),
    // a key or character while a bar edits text. Releases: always false.
    bool HandleMessage(const Platform::WindowMessage& message);

    // Draws every visible bar into the current frame buffer, then carries out
    // the model's queued edits. Nothing is drawn without a window size.
    void Draw(Model& model);

    // True when the point (client pixels) lies on a bar window of the last
    // frame.
    bool IsOverBar(int x, int y) const;

private:
    struct InputEvent
    {
        enum Kind { MousePos, MouseButton, Wheel, Key, Char, ReleaseAll } kind;
        int a;
        int b;
    };

    void Queue(InputEvent event);
    void ForgetInputIfStale();
    void ApplyQueuedInput();
    void ApplyEvent(const InputEvent& event);
    void BuildBar(Model& model, Bar& bar);
    void BuildHelp(Model& model);
    void BuildItems(Model& model, Bar& bar, const std::string& group, int depth);
    void BuildVariable(Model& model, Bar& bar, Node& node);
    // One value's widget editing bytes in place; true when it changed.
    bool BuildValueWidget(Model& model, TwType type, const NumberLimits& limits, const Node& node,
                          unsigned char* bytes);
    void ApplyLayoutBefore(BarLayout& layout);
    void ReadLayoutAfter(BarLayout& layout);
    void PushBarStyle(const BarLayout& layout);
    void PopBarStyle();

    ImGuiContext* m_context = nullptr;
    bool m_glReady = false;
    int m_width = 0;
    int m_height = 0;
    std::vector<InputEvent> m_queue;
    // The press of each button was used by a bar (moves then are too).
    bool m_pressOwned[MOUSE_BUTTONS] = {};
    int m_lastMouseX = -1;
    int m_lastMouseY = -1;
    std::uint64_t m_lastFrameTicks = 0;  // of the last frame drawn
    std::uint64_t m_lastDrawTicks = 0;   // of the last Draw call
    bool m_drawn = false;
    bool m_firstFrame = true;
    bool m_inputForgotten = false;       // since the last Draw
    bool m_contained = false;
    // The string being typed into (one text field is active at a time).
    int m_textNode = 0;
    std::string m_textBuffer;
    int m_styleColors = 0;
};

} // namespace TweakBar
} // namespace QRX
