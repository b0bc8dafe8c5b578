#!/usr/bin/env bash
# The CSV of the demo game and of the large demo game through a real
# spreadsheet: opened, saved as xlsx, saved as CSV again. It must import
# with no change, and with exactly one after one cell is edited in the
# xlsx (with openpyxl, as a modder's script would). One record is all
# decimal digits in hexadecimal, which a spreadsheet reads as a number
# unless raw is marked as text; where the spreadsheet is told to read the
# names as text (LibreOffice), names that look like numbers, dates or
# formulas must survive too.
#
#   spreadsheet_roundtrip.sh gnumeric|libreoffice DV2TOOL MAKEDEMO
#
# Exits 77 (skipped) when that spreadsheet is not installed.
set -euo pipefail
spreadsheet=$1 dv2tool=$2 makedemo=$3
# The Debian python3-openpyxl belongs to Debian's Python.
python=/usr/bin/python3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

case $spreadsheet in
gnumeric)
    # ssconvert takes no column formats: names stay as the demo has them.
    names_as_text=no
    command -v ssconvert >/dev/null || { echo "ssconvert (gnumeric) is not installed: skipped"; exit 77; }
    to_xlsx() { ssconvert "$1" "$2" 2>/dev/null; }
    to_csv() { ssconvert "$1" "$2" 2>/dev/null; }
    ;;
libreoffice)
    names_as_text=yes
    command -v soffice >/dev/null || { echo "soffice (LibreOffice) is not installed: skipped"; exit 77; }
    # A profile of its own, so that a running LibreOffice or a root home does not get in the way.
    office() { soffice -env:UserInstallation="file://$work/profile" --headless "$@" >/dev/null; }
    # The CSV as docs/csv-format.md tells: UTF-8, comma, double quote,
    # columns 2 (name) and 22 (raw) as text.
    to_xlsx() { office --infilter="CSV:44,34,76,1,2/2/22/2" --convert-to xlsx --outdir "$(dirname "$2")" "$1"; }
    to_csv() { office --convert-to "csv:Text - txt - csv (StarCalc):44,34,76,1" --outdir "$(dirname "$2")" "$1"; }
    ;;
*)
    echo "usage: $0 gnumeric|libreoffice DV2TOOL MAKEDEMO" >&2
    exit 2
    ;;
esac

# Record 3 as bytes whose hexadecimal digits are all decimal ones, and the
# names of units 1 to 5 as texts a spreadsheet takes for numbers, a date
# and a formula.
bait() {
    "$python" - "$1" "$names_as_text" <<'PYTHON'
import sys
game, names = sys.argv[1], sys.argv[2] == "yes"
with open(game + "/EQUIP97.EQP", "r+b") as eqp:
    eqp.seek(2 + 3 * 73 + 2)
    eqp.write(bytes((0x18, 0x00, 0x80, 0x80, 0x07) * 14 + (0x42,)))
if names:
    with open(game + "/EQUIP97.TXT", "rb") as txt:
        lines = txt.read().split(b"\r\n")
    lines[1:6] = [b"007", b"1E5", b"3.50", b"=1+1", b"1/2"]
    with open(game + "/EQUIP97.TXT", "wb") as txt:
        txt.write(b"\r\n".join(lines))
PYTHON
}

# Unit 30's cost one step of 12 away from what it is.
edit_cost_of_30() {
    "$python" -W ignore - "$1" <<'PYTHON'
import sys
import openpyxl
book = openpyxl.load_workbook(sys.argv[1])
sheet = book.active
cost = [cell.value for cell in sheet[1]].index("cost")
row = next(row for row in sheet.iter_rows(min_row=2) if str(row[0].value) == "30")
value = int(row[cost].value)
row[cost].value = value - 12 if value >= 12 else value + 12
book.save(sys.argv[1])
PYTHON
}

# The lines of the change list of a dry run of csv over game.
changes() {
    "$dv2tool" import "$1" "$2" --dry-run 2>"$work/err" || { cat "$work/err" >&2; return 1; }
}

failed=0
for size in demo large; do
    game=$work/$size
    mkdir -p "$game" "$work/$size-xlsx" "$work/$size-back"
    if [ $size = large ]; then "$makedemo" --large "$game" >/dev/null; else "$makedemo" "$game" >/dev/null; fi
    bait "$game"
    "$dv2tool" export "$game" -o "$work/$size.csv"
    to_xlsx "$work/$size.csv" "$work/$size-xlsx/$size.xlsx"
    to_csv "$work/$size-xlsx/$size.xlsx" "$work/$size-back/$size.csv"
    unchanged=$(changes "$game" "$work/$size-back/$size.csv")
    edit_cost_of_30 "$work/$size-xlsx/$size.xlsx"
    to_csv "$work/$size-xlsx/$size.xlsx" "$work/$size-back/$size.csv"
    edited=$(changes "$game" "$work/$size-back/$size.csv")
    if [ -n "$unchanged" ]; then
        echo "FAIL $spreadsheet $size: changes without an edit:"; echo "$unchanged" | head -20
        failed=1
    elif [ "$(echo "$edited" | wc -l)" != 1 ] || [[ $edited != 30\ *\":\ cost\ * ]]; then
        echo "FAIL $spreadsheet $size: one edited cost gave:"; echo "$edited" | head -20
        failed=1
    else
        echo "ok $spreadsheet $size: no change without an edit; one edit gives: $edited"
    fi
done
exit $failed
