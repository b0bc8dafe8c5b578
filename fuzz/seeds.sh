#!/usr/bin/env bash
# Writes the seed corpora in fuzz/corpus/ from the demo game that makedemo
# writes, and its CSV from dv2tool: fuzz/seeds.sh PATH/TO/makedemo PATH/TO/dv2tool.
# Run it again when the demo changes.
# Inputs that once broke a target are kept beside them as found-*.
set -euo pipefail
makedemo=$(realpath "$1")
dv2tool=$(realpath "$2")
cd "$(dirname "$0")"
demo=$(mktemp -d)
trap 'rm -rf "$demo"' EXIT
"$makedemo" "$demo"

# An equipment input: the EQP size as 4 bytes little-endian, the EQP, the TXT.
pair() {
  local eqp=$1 txt=$2 n
  n=$(stat -c %s "$eqp")
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) $((n >> 8 & 255)) $((n >> 16 & 255)) $((n >> 24)))"
  cat "$eqp" "$txt"
}
mkdir -p corpus/equipment corpus/settings corpus/savegame corpus/csv
pair "$demo/EQUIP97.EQP" "$demo/EQUIP97.TXT" >corpus/equipment/demo
# The first three units with the demo's trailing bytes, and their names.
{ printf '\x03\x00'; tail -c +3 "$demo/EQUIP97.EQP" | head -c $((3 * 73)); printf '\x1aDEMO\x00\xff'; } >"$demo/three.eqp"
head -n 3 "$demo/EQUIP97.TXT" >"$demo/three.txt"
pair "$demo/three.eqp" "$demo/three.txt" >corpus/equipment/three

printf '[Duvari 2 Directory]\r\n/games/duvari2/\r\n\r\n[Duvari 2 Save Game Directory]\r\n/games/duvari2/SAVE/\r\n' \
  >corpus/settings/written
printf '[Duvari 2 Directory]\n/games/duvari2\n' >corpus/settings/two-lines

if [ -d "$demo/SAVE" ]; then
  for game in "$demo"/SAVE/*; do
    cp "$game" "corpus/savegame/$(basename "$game")"
  done
fi

# The demo's CSV; corpus/csv/edited is written by hand.
"$dv2tool" export "$demo" -o corpus/csv/demo
