#!/usr/bin/env bash
# Builds the game and its benchmark (release) and runs the benchmark on a
# private Xvfb server with Mesa's software renderer; prints the tables and
# writes bench/results.json (the engine's output goes to bench/results.log).
# Arguments go to zendra-bench: sections (physics, frames, levels, startup),
# --rounds N, --smoke, --out FILE. ZENDRA_JOBS sets the build's parallel jobs.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-packages.sh scripts/packages.txt scripts/test-packages.txt
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZENDRA_TESTS=OFF >/dev/null
cmake --build build -j"${ZENDRA_JOBS:-$(nproc)}"

. scripts/private-xvfb.sh

./build/zendra-bench "$@"
