#!/usr/bin/env bash
# Builds, then draws docs/*.png, the README's pictures of the windows,
# from the real windows with the demo game loaded in both editors.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)" --target dv2screenshots makedemo
bash scripts/game-settings.sh build/shots
mkdir -p docs
docs=$(pwd)/docs
cd build/shots
QT_QPA_PLATFORM=offscreen ../tools/screenshots/dv2screenshots "$docs"
