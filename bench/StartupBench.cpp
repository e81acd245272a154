#include "bench/StartupBench.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>

extern char** environ;

namespace QRX {
namespace Bench {

namespace {

constexpr const char* ENGINE_PROBE = "zendra-bench-startup";
constexpr const char* WINDOW_PROBE = "zendra-bench-window";

// The milestones a probe wrote, in ms from its spawn; empty when it failed.
using Milestones = std::map<std::string, double>;

// The environment of a probe: this one's, with HOME at a fresh folder and no
// folder overrides, so each start writes its own log page.
std::vector<std::string> ProbeEnvironment(const std::string& home)
{
    std::vector<std::string> variables;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        if (entry.rfind("HOME=", 0) == 0 || entry.rfind("XDG_DOCUMENTS_DIR=", 0) == 0 ||
            entry.rfind("XDG_CONFIG_HOME=", 0) == 0)
            continue;
        variables.push_back(entry);
    }
    variables.push_back("HOME=" + home);
    return variables;
}

Milestones RunProbe(const std::string& program)
{
    Milestones milestones;
    char pattern[] = "/tmp/zendra-bench-probe-XXXXXX";
    const char* home = mkdtemp(pattern);
    if (!home) return milestones;
    const std::string timesFile = std::string(home) + "/times.txt";

    std::vector<std::string> environment = ProbeEnvironment(home);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    std::string programCopy = program;
    std::string timesCopy = timesFile;
    char* argv[] = {programCopy.data(), timesCopy.data(), nullptr};

    pid_t child = 0;
    const std::int64_t spawned = MonotonicNanoseconds();
    if (posix_spawn(&child, program.c_str(), nullptr, nullptr, argv, envp.data()) != 0) {
        std::filesystem::remove_all(home);
        return milestones;
    }
    int status = 0;
    bool exited = false;
    const double deadline = Now() + CHILD_TIMEOUT_SECONDS;
    while (Now() < deadline) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child) {
            exited = true;
            break;
        }
        usleep(2000);
    }
    if (!exited) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
    }
    if (exited && WIFEXITED(status) && WEXITSTATUS(status) == 0) {
        std::ifstream times(timesFile);
        std::string name;
        long long nanoseconds = 0;
        while (times >> name >> nanoseconds)
            milestones[name] = static_cast<double>(nanoseconds - spawned) / 1e6;
    }
    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return milestones;
}

double Milestone(const Milestones& milestones, const char* name)
{
    auto it = milestones.find(name);
    return it == milestones.end() ? std::nan("") : it->second;
}

} // namespace

void RunStartupSection(const Settings& settings, Figures& figures, const std::string& programFolder)
{
    const std::string engineProbe = programFolder + "/" + ENGINE_PROBE;
    const std::string windowProbe = programFolder + "/" + WINDOW_PROBE;
    Series initialized, firstFrame, reference;
    for (int round = 0; round < settings.rounds; ++round) {
        Progress("start-up round %d of %d", round + 1, settings.rounds);
        const Milestones engine = RunProbe(engineProbe);
        const Milestones window = RunProbe(windowProbe);
        initialized.Add(Milestone(engine, "initialized"));
        firstFrame.Add(Milestone(engine, "frame"));
        reference.Add(Milestone(window, "frame"));
    }

    Table table("Start-up: ms from process start (each from a fresh HOME); median [min-max] of " +
                std::to_string(settings.rounds) + " round(s)");
    table.Header({"milestone", "engine ms", "minimal SDL2 window ms", "x minimal window"});
    const Series initRatio = Ratios(initialized, reference);
    const Series frameRatio = Ratios(firstFrame, reference);
    table.Row({"\"All systems initialized correctly.\"", Spread(initialized, 1), Spread(reference, 1),
               Spread(initRatio, 1)});
    table.Row({"first frame on the screen", Spread(firstFrame, 1), Spread(reference, 1), Spread(frameRatio, 1)});
    table.Note("Minimal window: SDL2 window and OpenGL 2.1 context, one shader, one texture, one quad, one swap.");
    table.Print(ReportStream());
    figures.AddSeries("startup", "initialized/engine", initialized, "ms");
    figures.AddSeries("startup", "first_frame/engine", firstFrame, "ms");
    figures.AddSeries("startup", "minimal_window", reference, "ms");
    figures.AddSeries("startup", "initialized/ratio", initRatio, "x");
    figures.AddSeries("startup", "first_frame/ratio", frameRatio, "x");
}

} // namespace Bench
} // namespace QRX
