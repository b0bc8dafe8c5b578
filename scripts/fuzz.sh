#!/usr/bin/env bash
# Builds the fuzz targets with clang in build-fuzz/ and runs each one for
# SECONDS (default 60), starting from the seed corpora in fuzz/corpus/.
# New inputs collect in build-fuzz/corpus/; an input that breaks a target
# is kept in build-fuzz/artifacts/ and the script fails.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
bash scripts/deps.sh $(grep -v '^#' scripts/packages.txt)
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DDV2_FUZZ=ON -DDV2_BUILD_UI=OFF -DDV2_BUILD_TESTS=OFF
cmake --build build-fuzz -j "$(nproc)"
mkdir -p build-fuzz/artifacts
for target in equipment settings savegame csv; do
  mkdir -p "build-fuzz/corpus/$target"
  log="build-fuzz/$target.log"
  echo "Fuzzing $target for ${seconds}s"
  if ! "build-fuzz/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=30 \
      -artifact_prefix="build-fuzz/artifacts/$target-" \
      "build-fuzz/corpus/$target" "fuzz/corpus/$target" 2>"$log"; then
    tail -n 40 "$log"
    echo "fuzz_$target failed; the input is in build-fuzz/artifacts/" >&2
    exit 1
  fi
  grep -E '^(#[0-9]+ +DONE|Done [0-9]+ runs)' "$log" || true
done
