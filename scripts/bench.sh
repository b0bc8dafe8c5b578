#!/usr/bin/env bash
# Builds the benchmarks in release mode in build-bench/ and runs them
# headless, the repetitions of all cases interleaved, so that a case and its
# floor see the same machine. Arguments go to the benchmark program
# (e.g. --benchmark_filter=Editor).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt) libbenchmark-dev
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DDV2_BUILD_BENCH=ON -DDV2_BUILD_TESTS=OFF
cmake --build build-bench -j 2 --target dv2bench
QT_QPA_PLATFORM=offscreen build-bench/bench/dv2bench \
  --benchmark_repetitions=5 --benchmark_enable_random_interleaving=true \
  --benchmark_report_aggregates_only=true "$@"
