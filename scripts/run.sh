#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the editor.
#   scripts/run.sh        on a fresh demo game made in build/run/demo
#   scripts/run.sh DIR    on the game installed in DIR
# The editor keeps its settings file, DV2Edit.ini, in the directory it starts
# from; this writes one in build/run pointing at the game, so "Load File"
# loads it at once in both editors.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display to show the editor on (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  exit 1
fi
if [ $# -gt 1 ] || { [ $# -eq 1 ] && [ ! -d "$1" ]; }; then
  echo "usage: scripts/run.sh [GAME_DIRECTORY]" >&2
  exit 2
fi

bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target dv2edit makedemo

run=build/run
mkdir -p "$run"
if [ $# -eq 1 ]; then
  game=$(cd "$1" && pwd)
  game=${game%/}/
else
  # A fresh copy each time, so that the demo always starts the same.
  game=$(pwd)/$run/demo/
  rm -rf "$game"
  build/tools/makedemo/makedemo "$game"
fi
# The game may have been copied from its disc with upper-case names or not.
save=$(find "$game" -mindepth 1 -maxdepth 1 -type d -iname save -printf '%f/' -quit)
save=$game${save:-SAVE/}
printf '[Duvari 2 Directory]\r\n%s\r\n\r\n[Duvari 2 Save Game Directory]\r\n%s\r\n' \
  "$game" "$save" >"$run/DV2Edit.ini"

echo "Starting the editor on $game"
cd "$run"
exec ../app/dv2edit
