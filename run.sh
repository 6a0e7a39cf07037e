#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
#   ./run.sh [capture-folder]
# The main window opens; a capture folder given on the command line is opened in it.
set -euo pipefail
KY_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KY_ROOT/scripts/common.sh"

ky_install_missing
ky_build "$KY_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting without one."
  export QT_QPA_PLATFORM=offscreen
fi
exec "$KY_ROOT/build/bin/bi410analysis" "$@"
