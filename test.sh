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

. scripts/private-xvfb.sh

cd build-asan
ctest --output-on-failure -j"$jobs" "$@"
