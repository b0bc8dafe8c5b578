#!/usr/bin/env bash
# Sets up what is missing, builds everything in build/ and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$(nproc)"
cd build
ctest --output-on-failure -j "$(nproc)"
