// Drives a running game's window with xdotool as a person would, on the
// display the test runs on (each test has an X server of its own). The game
// samples its input once a frame, so a press must last at least a frame:
// how long a frame takes is not known (a sanitizer build drawing in software
// on a busy machine may take a second), so a press is held until the game
// shows that it saw it (a line in its output, a file, a state change), and a
// press with nothing to wait for is held for a number of frames the window
// shows (WindowFrames), never for a time.
#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "support/WindowFrames.h"

namespace QRX {
namespace TestSupport {

class Program;

// How long a press is held at most while waiting for the game's answer.
constexpr auto PRESS_DEADLINE = std::chrono::seconds(90);
// xdotool's pause between two typed characters, in milliseconds: faster
// than the frames of a sanitizer build on the software renderer.
constexpr int FAST_TYPING_DELAY_MS = 30;
// How many frames PressAgainUntil and ClickUntil hold a press that the game
// has not answered before pressing again: an answer (a screen set up) comes
// within a few frames of the press, and 60 frames are a second of game time
// at the least.
constexpr int REPRESS_FRAMES = 60;

// Waits until `done` holds, checking every 50 ms; false when the deadline passed first.
bool WaitUntil(const std::function<bool()>& done,
               std::chrono::steady_clock::duration deadline = PRESS_DEADLINE);

class ProgramDriver
{
public:
    // Drives the window titled "Zendra" of `program` on $DISPLAY.
    explicit ProgramDriver(Program& program);

    // Runs xdotool actions on the focused game window; true when xdotool succeeded.
    bool Run(const std::string& actions);
    // Holds the key (an xdotool name) until `seen` holds or the deadline
    // passes, then lets it go; whether `seen` held.
    bool PressUntil(const std::string& key, const std::function<bool()>& seen);
    // Presses the key again after REPRESS_FRAMES frames without an answer
    // until `seen` holds, for a press that the screen before the awaited one
    // may take for itself (a screen that goes back by itself, with no line to
    // wait for).
    bool PressAgainUntil(const std::string& key, const std::function<bool()>& seen);
    // Points at window pixel (x, y) and holds the left button until `seen`
    // holds, clicking again after REPRESS_FRAMES frames without an answer,
    // until the deadline; whether `seen` held. A click after which a screen
    // was set up is not clicked again (it would land on the new screen).
    bool ClickUntil(int x, int y, const std::function<bool()>& seen);
    // A key held for HOLD_FRAMES frames, then let go for as many, for
    // presses the game gives no sign of.
    bool Press(const std::string& key);
    // Points at window pixel (x, y) and waits HOLD_FRAMES frames.
    bool MoveTo(int x, int y);
    // MoveTo, then the left button pressed and let go, each held for
    // HOLD_FRAMES frames; for clicks the game gives no sign of.
    bool Click(int x, int y);
    // Types the text as fast as a quick typist ('\n' is Return): the game
    // keeps every key and character of a frame, in order.
    bool Type(const std::string& text);
    // Sends one key press and release at once (an xdotool key name).
    bool Key(const std::string& key) { return Run("key " + key); }
    // How often the game has set up a screen (a state's objects made): a
    // screen change shows as this count going up.
    size_t ScreensSetUp() const;
    // Presses F12 until the screenshot `number` exists and can be read; its
    // pixels (rows bottom first, RGBA), empty when none came.
    std::vector<unsigned char> Screenshot(int number);

    // Why the last frame count failed.
    const std::string& FramesFailure() const { return m_frames.Failure(); }

private:
    void Release(const std::string& action);
    // Waits for `seen` until the deadline or, with `frames` above 0, until
    // the window has shown that many frames; whether `seen` held.
    bool AwaitAnswer(const std::function<bool()>& seen, std::chrono::steady_clock::time_point deadline,
                     int frames = 0);
    // Runs xdotool actions, then waits HOLD_FRAMES frames.
    bool RunAndHold(const std::string& actions);

    Program& m_program;
    WindowFrames m_frames;
};

} // namespace TestSupport
} // namespace QRX
