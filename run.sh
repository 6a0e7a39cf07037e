#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program.
#   ./run.sh                  opens the gel sample capture (written into build/samples once)
#   ./run.sh CAPTURE-FOLDER   opens that folder
#   ./run.sh --empty          starts without a capture
set -euo pipefail
KY_ROOT=$(cd "$(dirname "$0")" && pwd)
. "$KY_ROOT/scripts/common.sh"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found (DISPLAY and WAYLAND_DISPLAY are unset)." >&2
  echo "The program is a desktop window: start it from a desktop session, or under a virtual" >&2
  echo "display with: xvfb-run -a ./run.sh" >&2
  exit 1
fi

ky_install_missing
# Only what the first window needs: the program (with the files it ships beside it) and the
# sample writer. ./test.sh builds the rest in the same folder; the options match its own, so
# neither run reconfigures the other's build.
ky_build "$KY_ROOT/build" "${KY_PLAIN_BUILD_OPTIONS[@]}" \
  --target bi410analysis --target samplecapture

args=()
if [ $# -eq 0 ]; then
  samples="$KY_ROOT/build/samples"
  sample=""
  # Under pipefail a find over a folder that is not there yet would end the script unseen.
  if [ -d "$samples" ]; then
    sample=$(find "$samples" -maxdepth 1 -mindepth 1 -type d -name 'Chemi *' | sort | head -n 1)
  fi
  # A sample written by an older tool is written again: the tool may draw it otherwise now.
  if [ -z "$sample" ] || [ "$KY_ROOT/build/bin/samplecapture" -nt "$sample" ]; then
    "$KY_ROOT/build/bin/samplecapture" "$samples" --kinds gel >/dev/null
    sample=$(find "$samples" -maxdepth 1 -mindepth 1 -type d -name 'Chemi *' | sort | head -n 1)
  fi
  echo "Opening the sample capture $sample"
  args=("$sample")
elif [ "$1" = "--empty" ]; then
  args=()
else
  args=("$@")
fi
exec "$KY_ROOT/build/bin/bi410analysis" "${args[@]+"${args[@]}"}"
