#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test; window and OpenGL tests run on a private Xvfb server with Mesa's
# software renderer. Exits non-zero when a test fails. ZENDRA_JOBS sets the
# number of parallel build and test jobs (default: every processor).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-packages.sh scripts/packages.txt scripts/test-packages.txt
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZENDRA_SANITIZE=ON -DZENDRA_TESTS=ON >/dev/null
jobs="${ZENDRA_JOBS:-$(nproc)}"
cmake --build build-asan -j"$jobs"

fdfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp +extension GLX 3>"$fdfile" >/dev/null 2>&1 &
xvfb_pid=$!
trap 'kill "$xvfb_pid" 2>/dev/null || true; rm -f "$fdfile"' EXIT
for _ in $(seq 1 100); do
  [ -s "$fdfile" ] && break
  sleep 0.1
done
if [ ! -s "$fdfile" ]; then echo "test.sh: Xvfb did not start" >&2; exit 1; fi
export DISPLAY=":$(head -n1 "$fdfile")"
export LIBGL_ALWAYS_SOFTWARE=1 SDL_AUDIODRIVER=dummy ZENDRA_NONINTERACTIVE=1

cd build-asan
ctest --output-on-failure -j"$jobs" "$@"
