// Counts the frames a program shows in its window, from outside it: every
// buffer swap repaints the window, and the X server reports each repaint to
// a client that asked for damage reports on it. A test driving the whole
// game holds a key for a number of shown frames rather than for a time, so
// the hold fits a fast machine and a loaded one alike.
//
// The window is looked up by its title on $DISPLAY whenever a count starts,
// so a window made anew (a display-mode change) is followed; X errors about
// a window that has gone are ignored. Not thread-safe: one counter per test.
#pragma once
#include <chrono>
#include <string>

namespace QRX {
namespace TestSupport {

// How many shown frames a held key or button lasts: a key pressed while a
// frame runs is sampled at the next frame's end, and the third repaint after
// the press comes after that even when the server shows a frame late.
constexpr int HOLD_FRAMES = 3;
// How long a count of frames may take: a frame that loads a level is long.
constexpr auto FRAMES_DEADLINE = std::chrono::seconds(120);

class WindowFrames
{
public:
    // Counts the frames of the window titled `title` on $DISPLAY (without
    // one, every count fails at once).
    explicit WindowFrames(const std::string& title);
    ~WindowFrames();
    WindowFrames(const WindowFrames&) = delete;
    WindowFrames& operator=(const WindowFrames&) = delete;

    // Counting starts again from now; false when the window cannot be found.
    bool Restart();
    // Waits until `frames` repaints have come since the last Restart; false
    // (Failure says what was awaited) when the deadline passed or the window went.
    bool WaitFrames(int frames, std::chrono::steady_clock::duration deadline = FRAMES_DEADLINE);
    // Restart, then WaitFrames.
    bool WaitNewFrames(int frames) { return Restart() && WaitFrames(frames); }
    // Why the last count failed.
    const std::string& Failure() const { return m_failure; }

private:
    // Finds the window and asks for its damage reports when it changed.
    bool Watch();
    // Takes the events waiting on the connection, counting repaints.
    void TakeEvents();

    std::string m_title;
    void* m_display = nullptr;  // Display*
    unsigned long m_window = 0, m_damage = 0;
    int m_damageEventBase = 0;
    int m_counted = 0;
    std::string m_failure;
};

} // namespace TestSupport
} // namespace QRX
