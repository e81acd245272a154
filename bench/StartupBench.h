// Start-up: the time from process start to "All systems initialized
// correctly." and to the first frame on the screen, measured on the start-up
// probe (zendra-bench-startup: the game's own start, as Main.cpp runs it),
// against a minimal SDL2 window with one shader, one texture and one swap
// (zendra-bench-window). Both run as child processes from the repository
// root with a fresh HOME each, interleaved, one after the other; the times
// run from just before the child is spawned.
#pragma once
#include <string>

#include "bench/BenchReport.h"

namespace QRX {
namespace Bench {

// The longest a child may take before it is killed and its round lost.
constexpr int CHILD_TIMEOUT_SECONDS = 180;

// The start-up section; the probes are looked up in `programFolder`.
void RunStartupSection(const Settings& settings, Figures& figures, const std::string& programFolder);

} // namespace Bench
} // namespace QRX
