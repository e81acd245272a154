// Counts the frames a program shows in its window, from outside the program:
// every buffer swap repaints the window, and the X server reports each
// repaint to a client that asked for damage reports on that window. A test
// that drives the whole game holds a key or a button for a number of shown
// frames rather than for a time, so the hold is as long as it must be on a
// fast machine and on a loaded one alike.
//
// The window is looked up by its title on $DISPLAY whenever a count starts,
// so a window made anew (a display-mode change) is followed; X errors about
// a window that has gone are ignored. Not thread-safe: one counter per test.
#pragma once
#include <chrono>
#include <string>

namespace QRX {
namespace TestSupport {

// How many shown frames a held key or button lasts. A key pressed while a
// frame runs is taken by the next frame's message pump and sampled at that
// frame's end; the third repaint after the press comes after that sampling
// even when the server handles the program's repaint a frame late.
constexpr int HOLD_FRAMES = 3;
// How long a count of frames may take: a frame that loads a level is long.
constexpr auto FRAMES_DEADLINE = std::chrono::seconds(120);

class WindowFrames
{
public:
    // Counts the frames of the window titled `title`; connects to $DISPLAY
    // (without one, every wait fails at once).
    explicit WindowFrames(const std::string& title);
    ~WindowFrames();
    WindowFrames(const WindowFrames&) = delete;
    WindowFrames& operator=(const WindowFrames&) = delete;

    // Counting starts again from now: repaints the server made before this
    // call do not count. False when the window cannot be found.
    bool Restart();
    // Waits until `frames` repaints have come since the last Restart; false
    // (with Failure saying what was awaited) when the deadline passed or the
    // window went first.
    bool WaitFrames(int frames, std::chrono::steady_clock::duration deadline = FRAMES_DEADLINE);
    // Restart, then WaitFrames.
    bool WaitNewFrames(int frames, std::chrono::steady_clock::duration deadline = FRAMES_DEADLINE);
    // Repaints counted since the last Restart.
    int Counted() const { return m_counted; }
    // Why the last wait failed.
    const std::string& Failure() const { return m_failure; }

private:
    // Finds the window and asks for its damage reports when it changed.
    bool Watch();
    // Takes the events waiting on the connection, counting repaints.
    void TakeEvents();

    std::string m_title;
    void* m_display = nullptr;  // Display*
    unsigned long m_window = 0;
    unsigned long m_damage = 0;
    int m_damageEventBase = 0;
    int m_counted = 0;
    std::string m_failure;
};

} // namespace TestSupport
} // namespace QRX
