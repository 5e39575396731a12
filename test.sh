#!/usr/bin/env bash
# Sets up, builds and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")"
scripts/setup.sh
PRESET="${PRESET:-release}"
cmake --preset "$PRESET" >/dev/null
cmake --build --preset "$PRESET"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$PRESET"
