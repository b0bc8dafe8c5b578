#!/usr/bin/env bash
# Sets up what is missing, builds and runs every test three ways: a plain
# build in build/, a short run of every fuzz target in build-fuzz/
# (scripts/fuzz.sh runs them longer), and the same tests under
# AddressSanitizer and UndefinedBehaviorSanitizer in build-asan/.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt)
jobs=$(nproc)

echo "== Tests"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j "$jobs"
(cd build && ctest --output-on-failure -j "$jobs")

echo "== Fuzzing, a few seconds per target"
bash scripts/fuzz.sh 5

echo "== Tests under AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DDV2_SANITIZE=ON
cmake --build build-asan -j "$jobs"
(cd build-asan && ctest --output-on-failure -j "$jobs")

