#!/usr/bin/env bash
# Sets up, builds (Release) if needed and starts the editor.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
"$here/scripts/setup.sh"
cmake --preset release -S "$here" >/dev/null
cmake --build --preset release --target frameloom
exec "$here/build/release/src/shell/frameloom" "$@"
