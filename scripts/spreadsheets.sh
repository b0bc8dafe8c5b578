#!/usr/bin/env bash
# The CSV of both demo games through LibreOffice Calc (headless) and back,
# as the gnumeric test of the test run does: no change without an edit,
# exactly one after one edited cell, names like 007 or 1/2 kept. Not part
# of scripts/test.sh: LibreOffice is large and slow to start.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt) libreoffice-calc-nogui
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target dv2tool makedemo
bash tests/cli/spreadsheet_roundtrip.sh libreoffice build/cli/dv2tool build/tools/makedemo/makedemo
