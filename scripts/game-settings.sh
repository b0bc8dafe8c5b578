#!/usr/bin/env bash
# game-settings.sh RUNDIR [GAMEDIR]: makes RUNDIR a directory to start the
# editor from, with a DV2Edit.ini that points at GAMEDIR, or at a fresh demo
# game in RUNDIR/demo (written by the built makedemo, with the options in
# MAKEDEMO_OPTIONS). Run from the top of the source tree after the build.
set -euo pipefail
run=$1
mkdir -p "$run"
if [ $# -ge 2 ]; then
  game=$(cd "$2" && pwd)
  game=${game%/}/
else
  # A fresh copy each time, so that the demo always starts the same.
  game=$(cd "$run" && pwd)/demo/
  rm -rf "$game"
  build/tools/makedemo/makedemo ${MAKEDEMO_OPTIONS:-} "$game"
fi
# The game may have been copied from its disc with upper-case names or not.
save=$(find "$game" -mindepth 1 -maxdepth 1 -type d -iname save -printf '%f/' -quit)
save=$game${save:-SAVE/}
printf '[Duvari 2 Directory]\r\n%s\r\n\r\n[Duvari 2 Save Game Directory]\r\n%s\r\n' \
  "$game" "$save" >"$run/DV2Edit.ini"
echo "$run/DV2Edit.ini points at $game"
