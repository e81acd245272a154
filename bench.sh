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

fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp +extension GLX 3>"$fdfile" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -f "$fdfile"' EXIT
for _ in $(seq 1 100); do
  [ -s "$fdfile" ] && break
  sleep 0.1
done
if [ ! -s "$fdfile" ]; then echo "bench.sh: Xvfb did not start" >&2; exit 1; fi
export DISPLAY=":$(head -n1 "$fdfile")"
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy ZENDRA_NONINTERACTIVE=1

./build/zendra-bench "$@"
