#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the editor.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
echo "Built. The windows are not there yet; nothing to start."
