#include "support/ProgramDriver.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "support/EngineFixture.h"
#include "support/ProgramRun.h"

namespace QRX {
namespace TestSupport {

namespace {

const char* const WINDOW_TITLE = "Zendra";
// Every xdotool call first finds the game's window and focuses it.
const std::string ON_WINDOW = "timeout 120 xdotool search --sync --name '^Zendra$' windowfocus --sync ";
// The console's line for every screen set up after the first.
const char* const SCREEN_SET_UP = "Skipping console object creation.";

} // namespace

bool WaitUntil(const std::function<bool()>& done, std::chrono::steady_clock::duration deadline)
{
    const auto end = std::chrono::steady_clock::now() + deadline;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

ProgramDriver::ProgramDriver(Program& program) : m_program(program), m_frames(WINDOW_TITLE) {}

bool ProgramDriver::Run(const std::string& actions)
{
    const std::string command = ON_WINDOW + actions;
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ProgramDriver::RunAndHold(const std::string& actions)
{
    return Run(actions) && m_frames.WaitNewFrames(HOLD_FRAMES);
}

bool ProgramDriver::PressUntil(const std::string& key, const std::function<bool()>& seen)
{
    if (!Run("keydown " + key)) return false;
    const bool ok = AwaitAnswer(seen, std::chrono::steady_clock::now() + PRESS_DEADLINE);
    Release("keyup " + key);
    return ok;
}

bool ProgramDriver::PressAgainUntil(const std::string& key, const std::function<bool()>& seen)
{
    const auto end = std::chrono::steady_clock::now() + PRESS_DEADLINE;
    while (std::chrono::steady_clock::now() < end) {
        if (!Run("keydown " + key)) return false;
        const bool ok = AwaitAnswer(seen, end, REPRESS_FRAMES);
        Release("keyup " + key);
        if (ok) return true;
    }
    return false;
}

void ProgramDriver::Release(const std::string& action)
{
    // Straight to the server: the window may be gone once the game has answered.
    const std::string command = "timeout 10 xdotool " + action;
    const int status = std::system(command.c_str());
    (void)status;
    // A press that follows at once could come in the same frame as this
    // release, which the game would then never see.
    m_frames.WaitNewFrames(HOLD_FRAMES);
}

bool ProgramDriver::ClickUntil(int x, int y, const std::function<bool()>& seen)
{
    // A click the screen was not ready for is clicked again, as a person
    // would; the pointer is moved some frames ahead of the press, as a hand
    // does, so that the screen knows what lies under it.
    const auto end = std::chrono::steady_clock::now() + PRESS_DEADLINE;
    if (!MoveTo(x, y)) return false;
    while (std::chrono::steady_clock::now() < end) {
        const size_t screens = ScreensSetUp();
        if (!Run("mousemove --window %1 " + std::to_string(x) + " " + std::to_string(y) + " mousedown 1"))
            return false;
        bool ok = AwaitAnswer(seen, end, REPRESS_FRAMES);
        Release("mouseup 1");
        // Answered, though not yet as awaited: the screen it opened is not clicked.
        if (!ok && ScreensSetUp() > screens) ok = AwaitAnswer(seen, end);
        if (ok) return true;
    }
    return false;
}

bool ProgramDriver::Press(const std::string& key)
{
    return RunAndHold("keydown " + key) && RunAndHold("keyup " + key);
}

bool ProgramDriver::MoveTo(int x, int y)
{
    return RunAndHold("mousemove --window %1 " + std::to_string(x) + " " + std::to_string(y));
}

bool ProgramDriver::Click(int x, int y)
{
    return MoveTo(x, y) && RunAndHold("mousedown 1") && RunAndHold("mouseup 1");
}

bool ProgramDriver::AwaitAnswer(const std::function<bool()>& seen, std::chrono::steady_clock::time_point deadline,
                                int frames)
{
    if (frames > 0 && !m_frames.Restart()) frames = 0;
    while (!seen()) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        if (frames > 0) {
            // A short wait for a frame, so that `seen` is looked at often.
            if (m_frames.WaitFrames(frames, std::chrono::milliseconds(50))) return seen();
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    return true;
}

bool ProgramDriver::Type(const std::string& text)
{
    size_t start = 0;
    while (start <= text.size()) {
        const size_t end = std::min(text.find('\n', start), text.size());
        std::string part = text.substr(start, end - start);
        // "type" takes every word after it as text: one call a line, quoted
        // for the shell.
        std::string quoted;
        for (char c : part) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
        if (!part.empty() && !Run("type --delay " + std::to_string(FAST_TYPING_DELAY_MS) + " '" + quoted + "'"))
            return false;
        if (end < text.size() && !Key("Return")) return false;
        start = end + 1;
    }
    return true;
}

size_t ProgramDriver::ScreensSetUp() const { return Count(m_program.Stdout(), SCREEN_SET_UP); }

std::vector<unsigned char> ProgramDriver::Screenshot(int number)
{
    const std::string path = m_program.GameFilePath("Screenshots/Screenshot_" + std::to_string(number) + ".png");
    std::vector<unsigned char> picture;
    // The file is written during a frame: it is read until it decodes whole.
    PressUntil("F12", [&]() { return m_program.HasGameFile("Screenshots/Screenshot_" + std::to_string(number) + ".png"); });
    WaitUntil([&]() {
        picture = ReadScreenshot(path);
        return !picture.empty();
    });
    return picture;
}

} // namespace TestSupport
} // namespace QRX
