// Drives a running game's window with xdotool as a person would, on the
// display the test runs on (each test has an X server of its own). The game
// samples its input once a frame, so a press must last at least a frame:
// how long a frame takes is not known (a sanitizer build drawing in software
// on a busy machine may take a second), so a press is held until the game
// shows that it saw it (a line in its output, a file, a state change), with
// a deadline, rather than for a fixed time.
#pragma once
#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace QRX {
namespace TestSupport {

class Program;

// How long a press is held at most while waiting for the game's answer.
constexpr auto PRESS_DEADLINE = std::chrono::seconds(60);
// How long a press with nothing to wait for is held at least: several frames
// of a slow build. On a loaded machine it is held longer (HoldSeconds).
constexpr double PLAIN_HOLD_SECONDS = 0.3;
// A press with nothing to wait for is held this many times the longest the
// game has taken to answer a press so far (about one or two frames).
constexpr double ANSWERS_PER_HOLD = 2.0;
// xdotool's pause between two typed characters, in milliseconds: faster
// than the frames of a sanitizer build on the software renderer.
constexpr int FAST_TYPING_DELAY_MS = 30;
// How long PressAgainUntil and ClickUntil hold each press: many frames of a
// loaded machine.
constexpr auto REPRESS_INTERVAL = std::chrono::seconds(4);

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
    // Presses the key again every REPRESS_INTERVAL until `seen` holds, for a
    // press that the screen before the awaited one may take for itself (a
    // screen that goes back by itself, with no line to wait for).
    bool PressAgainUntil(const std::string& key, const std::function<bool()>& seen);
    // Points at window pixel (x, y) and holds the left button until `seen`
    // holds, clicking again every REPRESS_INTERVAL, until the deadline;
    // whether `seen` held. The answer to a click must come within the
    // interval, or a second click lands on the screen it opened.
    bool ClickUntil(int x, int y, const std::function<bool()>& seen);
    // A key held for HoldSeconds, for presses the game gives no sign of.
    bool Press(const std::string& key);
    // xdotool actions that point at window pixel (x, y), then press and
    // release the left button, each step held for HoldSeconds; for clicks
    // the game gives no sign of.
    std::string HeldClick(int x, int y) const;
    // How long a press with nothing to wait for is held: PLAIN_HOLD_SECONDS,
    // or longer when the game's answers so far came slowly.
    double HoldSeconds() const;
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

private:
    void Release(const std::string& action);
    // Waits for `seen` up to `deadline`, keeping the longest answer time.
    bool AwaitAnswer(const std::function<bool()>& seen, std::chrono::steady_clock::duration deadline);
    std::string Hold() const;

    Program& m_program;
    double m_longestAnswerSeconds = 0.0;
};

} // namespace TestSupport
} // namespace QRX
