#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
#   ./run.sh [capture-folder]
# There is no window yet: the program says so and exits, and opens no capture folder.
set -euo pipefail
KY_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KY_ROOT/scripts/common.sh"

ky_install_missing
ky_build "$KY_ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting without one."
  export QT_QPA_PLATFORM=offscreen
fi
echo "There is no analysis window yet: the program starts, says so and exits."
if [ $# -gt 0 ]; then
  echo "The capture folder is not opened: nothing can show it yet."
fi
exec "$KY_ROOT/build/bin/bi410analysis" "$@"
