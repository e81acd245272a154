// zendra-bench: the speed figures of the engine, each a ratio to a reference
// measured in the same run (see README, "Benchmarks"; ./bench.sh runs it).
//
//   zendra-bench [--smoke] [--rounds N] [--out FILE] [physics] [frames] [levels] [startup]
//
// With no section named every section runs. It runs from the repository
// root under an X display. The tables go to the terminal; the engine's own
// output goes to FILE with ".log" for ".json"; the figures are written to
// FILE as JSON (bench/results.json by default). The smoke run (tiny sizes,
// one round) only proves that the program runs: it fails when a figure is
// missing or not finite.
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/BenchReport.h"
#include "bench/FrameBench.h"
#include "bench/PhysicsBench.h"
#include "bench/StartupBench.h"
#include "tools/ProgramParts.h"

using namespace QRX::Bench;

namespace {

constexpr const char* DEFAULT_OUTPUT = "bench/results.json";
const std::vector<std::string> SECTIONS = {"physics", "frames", "levels", "startup"};

void Usage(std::FILE* out)
{
    std::fprintf(out,
                 "usage: zendra-bench [--smoke] [--rounds N] [--out FILE] [physics] [frames] [levels] [startup]\n"
                 "  physics  crates dropped on a plane and on a floor of CUBEs, engine against Bullet\n"
                 "  frames   splash, loading screen, a level of 500 CUBEs and the campaign's levels,\n"
                 "           against a textured quad\n"
                 "  levels   each level file through the level manager, against a bare tinyxml2 parse;\n"
                 "           the throw preview's prediction on the biggest level; the enemies' path search\n"
                 "           on a large floor, against a breadth-first flood\n"
                 "  startup  process start to the first frame, against a minimal SDL2 window\n"
                 "  --smoke  tiny sizes and one round: checks that every figure is produced\n");
}

struct Options
{
    Settings settings;
    std::string output = DEFAULT_OUTPUT;
    std::vector<std::string> sections;
};

bool Parse(int argc, char** argv, Options& options)
{
    bool roundsGiven = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--smoke") {
            options.settings.smoke = true;
        } else if (arg == "--rounds" && i + 1 < argc) {
            char* end = nullptr;
            const long rounds = std::strtol(argv[++i], &end, 10);
            if (!end || *end || rounds < 1 || rounds > 1000) return false;
            options.settings.rounds = static_cast<int>(rounds);
            roundsGiven = true;
        } else if (arg == "--out" && i + 1 < argc) {
            options.output = argv[++i];
        } else if (std::find(SECTIONS.begin(), SECTIONS.end(), arg) != SECTIONS.end()) {
            if (std::find(options.sections.begin(), options.sections.end(), arg) == options.sections.end())
                options.sections.push_back(arg);
        } else {
            return false;
        }
    }
    if (options.settings.smoke && !roundsGiven) options.settings.rounds = 1;
    if (options.sections.empty()) options.sections = SECTIONS;
    return true;
}

bool Wants(const Options& options, const char* section)
{
    return std::find(options.sections.begin(), options.sections.end(), section) != options.sections.end();
}

std::string ProgramFolder()
{
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string(".") : self.parent_path().string();
}

std::string LogPathFor(const std::string& output)
{
    const std::string suffix = ".json";
    if (output.size() > suffix.size() && output.compare(output.size() - suffix.size(), suffix.size(), suffix) == 0)
        return output.substr(0, output.size() - suffix.size()) + ".log";
    return output + ".log";
}

} // namespace

int main(int argc, char** argv)
{
    QRX::InstallProgramParts();
    Options options;
    if (!Parse(argc, argv, options)) {
        Usage(stderr);
        return 2;
    }
    if (!std::filesystem::is_directory("data/levels") || !std::filesystem::is_directory("bench/data")) {
        std::fprintf(stderr, "zendra-bench: run it from the repository root (data/ and bench/data/ not found).\n");
        return 2;
    }

    // The engine writes its log page under HOME: a private one, removed at
    // the end. Sound goes nowhere and dialogs never wait for a click.
    char homePattern[] = "/tmp/zendra-bench-XXXXXX";
    const char* home = mkdtemp(homePattern);
    if (!home) {
        std::perror("zendra-bench: temporary folder");
        return 1;
    }
    setenv("HOME", home, 1);
    unsetenv("XDG_DOCUMENTS_DIR");
    unsetenv("XDG_CONFIG_HOME");
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("ZENDRA_NONINTERACTIVE", "1", 0);

    // Tables to the terminal, the engine's chatter (and the probes') to the log.
    const std::string logPath = LogPathFor(options.output);
    std::fflush(stdout);
    const int terminal = dup(STDOUT_FILENO);
    std::FILE* report = terminal >= 0 ? fdopen(terminal, "w") : nullptr;
    const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (!report || log < 0) {
        std::fprintf(stderr, "zendra-bench: cannot write %s\n", logPath.c_str());
        return 1;
    }
    dup2(log, STDOUT_FILENO);
    close(log);
    SetReportStream(report);

    std::string names;
    for (const std::string& s : options.sections) names += (names.empty() ? "" : ", ") + s;
    std::fprintf(report, "zendra-bench: %s run, %d round(s): %s (engine output: %s)\n",
                 options.settings.smoke ? "smoke" : "full", options.settings.rounds, names.c_str(), logPath.c_str());
    std::fflush(report);

    Figures figures;
    if (Wants(options, "physics")) RunPhysicsSection(options.settings, figures);
    if (Wants(options, "frames") || Wants(options, "levels"))
        RunEngineSections(options.settings, figures, Wants(options, "frames"), Wants(options, "levels"));
    if (Wants(options, "startup")) RunStartupSection(options.settings, figures, ProgramFolder());

    int result = 0;
    if (figures.WriteJson(options.output, options.settings.smoke ? "smoke" : "full", options.settings.rounds,
                          options.sections)) {
        std::fprintf(report, "\n%zu figures written to %s\n", figures.Count(), options.output.c_str());
    } else {
        std::fprintf(report, "\nzendra-bench: cannot write %s\n", options.output.c_str());
        result = 1;
    }
    const std::vector<Figure> missing = figures.NotFinite();
    if (figures.Count() == 0 || !missing.empty()) {
        std::fprintf(report, "zendra-bench: %zu figure(s) missing or not finite:\n", missing.size());
        for (const Figure& f : missing) std::fprintf(report, "  %s: %s\n", f.section.c_str(), f.name.c_str());
        result = 1;
    }
    std::fflush(report);
    std::fclose(report);
    std::fflush(stdout);

    std::error_code ignored;
    std::filesystem::remove_all(home, ignored);
    return result;
}
