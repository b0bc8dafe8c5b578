#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the editor.
#   scripts/run.sh        on a fresh demo game made in build/run/demo
#   scripts/run.sh --large  the same with a large demo game: 1024 unit types,
#                           four-digit codes in its save games
#   scripts/run.sh DIR    on the game installed in DIR
# The editor keeps its settings file, DV2Edit.ini, in the directory it starts
# from; this writes one in build/run pointing at the game, so "Load File"
# loads it at once in both editors.
set -euo pipefail

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display to show the editor on (DISPLAY and WAYLAND_DISPLAY are empty)." >&2
  exit 1
fi
export MAKEDEMO_OPTIONS=
if [ "${1:-}" = --large ]; then
  MAKEDEMO_OPTIONS=--large
  shift
fi
if [ $# -gt 1 ] || { [ $# -eq 1 ] && [ ! -d "$1" ]; }; then
  echo "usage: scripts/run.sh [--large | GAME_DIRECTORY]" >&2
  exit 2
fi
# The game directory as given from where run.sh was called.
game=()
[ $# -eq 1 ] && game=("$(cd "$1" && pwd)")
cd "$(dirname "$0")/.."

bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target dv2edit makedemo

bash scripts/game-settings.sh build/run "${game[@]}"
cd build/run
exec ../app/dv2edit
