#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer and runs every
# test; each test runs on a private Xvfb server of its own with Mesa's
# software renderer. Exits non-zero when a test fails, and says at the end how
# long the build and the tests took. ZENDRA_JOBS sets the number of parallel
# build and test jobs (default: every processor).
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-packages.sh scripts/packages.txt scripts/test-packages.txt
jobs="${ZENDRA_JOBS:-$(nproc)}"
# The test launcher gives each test its share of the processors.
export ZENDRA_JOBS="$jobs"
build_start=$SECONDS
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DZENDRA_SANITIZE=ON -DZENDRA_TESTS=ON >/dev/null
cmake --build build-asan -j"$jobs"
build_time=$((SECONDS - build_start))

test_start=$SECONDS
status=0
(cd build-asan && ctest --output-on-failure -j"$jobs" "$@") || status=$?
test_time=$((SECONDS - test_start))
printf 'test.sh: build %dm%02ds, tests %dm%02ds (%d jobs)\n' \
  $((build_time / 60)) $((build_time % 60)) $((test_time / 60)) $((test_time % 60)) "$jobs"
exit "$status"
