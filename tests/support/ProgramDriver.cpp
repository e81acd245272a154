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

ProgramDriver::ProgramDriver(Program& program) : m_program(program) {}

bool ProgramDriver::Run(const std::string& actions)
{
    const std::string command = ON_WINDOW + actions;
    const int status = std::system(command.c_str());
    return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool ProgramDriver::PressUntil(const std::string& key, const std::function<bool()>& seen)
{
    if (!Run("keydown " + key)) return false;
    const bool ok = AwaitAnswer(seen, PRESS_DEADLINE);
    Release("keyup " + key);
    return ok;
}

bool ProgramDriver::PressAgainUntil(const std::string& key, const std::function<bool()>& seen)
{
    const auto end = std::chrono::steady_clock::now() + PRESS_DEADLINE;
    while (std::chrono::steady_clock::now() < end) {
        if (!Run("keydown " + key)) return false;
        const bool ok = AwaitAnswer(seen, REPRESS_INTERVAL);
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
}

bool ProgramDriver::ClickUntil(int x, int y, const std::function<bool()>& seen)
{
    // A click the screen was not ready for (or that came while the pointer
    // was still elsewhere) is clicked again, as a person would.
    const auto end = std::chrono::steady_clock::now() + PRESS_DEADLINE;
    while (std::chrono::steady_clock::now() < end) {
        // The pointer is moved a frame ahead of the press, as a hand does.
        if (!Run("mousemove --window %1 " + std::to_string(x) + " " + std::to_string(y) + Hold() + "mousedown 1"))
            return false;
        const bool ok = AwaitAnswer(seen, REPRESS_INTERVAL);
        Release("mouseup 1");
        if (ok) return true;
    }
    return false;
}

bool ProgramDriver::Press(const std::string& key)
{
    return Run("keydown " + key + Hold() + "keyup " + key + Hold());
}

std::string ProgramDriver::HeldClick(int x, int y) const
{
    return "mousemove --window %1 " + std::to_string(x) + " " + std::to_string(y) + Hold() + "mousedown 1" + Hold() +
           "mouseup 1" + Hold();
}

double ProgramDriver::HoldSeconds() const
{
    return std::max(PLAIN_HOLD_SECONDS, ANSWERS_PER_HOLD * m_longestAnswerSeconds);
}

std::string ProgramDriver::Hold() const { return " sleep " + std::to_string(HoldSeconds()) + " "; }

bool ProgramDriver::AwaitAnswer(const std::function<bool()>& seen, std::chrono::steady_clock::duration deadline)
{
    const auto start = std::chrono::steady_clock::now();
    if (!WaitUntil(seen, deadline)) return false;
    const double took = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    m_longestAnswerSeconds = std::max(m_longestAnswerSeconds, took);
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
