#!/usr/bin/env bash
# Builds the game (release) and starts it from the repository root.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-packages.sh scripts/packages.txt
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DZENDRA_TESTS=OFF >/dev/null
cmake --build build -j"$(nproc)"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are unset); start the game from a desktop session." >&2
  exit 1
fi
exec ./build/zendra "$@"
