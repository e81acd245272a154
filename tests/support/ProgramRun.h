// The built game run as a whole program: started as its own process from a
// folder (the repository root, or a copy of its data with another display
// configuration) with a fresh HOME, its standard output and error kept in
// files, its log page and game files read back, and its exit code. It runs
// on the test's own X server (DISPLAY), which no other test shares.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace QRX {
namespace TestSupport {

// Generous: a sanitizer build on a busy machine starts slowly.
constexpr auto PROGRAM_START_DEADLINE = std::chrono::seconds(120);
constexpr auto PROGRAM_EXIT_DEADLINE = std::chrono::seconds(60);

class Program
{
public:
    // Starts zendra (from the build folder) in the working folder with HOME
    // pointing at a fresh folder and the given variables changed (an empty
    // value unsets one).
    explicit Program(const std::string& workingDir, const std::map<std::string, std::string>& env = {});
    // Kills the program when it still runs, then removes its folder.
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    std::string Stdout() const;
    std::string Stderr() const;
    // The activity log page.
    std::string Page() const;
    // A file in the game's folder under the documents folder.
    std::string GameFilePath(const std::string& name) const;
    bool HasGameFile(const std::string& name) const;

    // Waits until standard output holds the text (its `count`-th occurrence);
    // false when the program ended first or the deadline passed.
    bool WaitForOutput(const std::string& text, size_t count = 1);
    void Signal(int sig);
    // Whether the program has ended (it is then reaped).
    bool Exited() { return Poll(); }
    // The exit code, or -1000 - signal when it was killed, or -2000 when it
    // did not end in time.
    int WaitForExit() { return WaitForExitWithin(PROGRAM_EXIT_DEADLINE); }
    int WaitForExitWithin(std::chrono::steady_clock::duration limit);

private:
    bool Poll();

    std::string m_dir;
    std::string m_home;
    pid_t m_pid = -1;
    bool m_exited = false;
    int m_code = 0;
};

// A folder whose data/ mirrors the repository's, with its own configuration.
class DataCopy
{
public:
    explicit DataCopy(const std::string& configXml);
    ~DataCopy();
    DataCopy(const DataCopy&) = delete;
    DataCopy& operator=(const DataCopy&) = delete;
    const std::string& Path() const { return m_dir; }

private:
    std::string m_dir;
};

// A PNG screenshot the game wrote, as RGBA rows bottom first (as the
// pictures of GLReadback); empty while it cannot be read.
std::vector<unsigned char> ReadScreenshot(const std::string& path);

// Adds a test failure unless the lines appear in this order in the text
// (other lines may come between them).
void ExpectInOrder(const std::string& text, const std::vector<std::string>& lines);

} // namespace TestSupport
} // namespace QRX
