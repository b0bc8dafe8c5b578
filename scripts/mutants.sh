#!/usr/bin/env bash
# Mutation testing: how many small faults the tests catch. Each mutant of
# scripts/mutants.txt is put into a copy of the sources, one at a time; the
# copy is rebuilt (only what the mutant touches, through ccache) and the
# tests that cover the file are run. A mutant that no test fails on
# survives and is printed; one marked equivalent in the list is counted
# apart. Takes minutes: run on demand, never from .ci/run.
#
#   scripts/mutants.sh [FILE...]   only the mutants of these files, e.g.
#                                  scripts/mutants.sh data/*.cpp sgeditor/SaveGame.cpp
#
# Environment: DV2_MUTANTS_DIR (scratch copy and build, default
# /tmp/dv2-mutants), DV2_MUTANT_TIMEOUT (seconds for one test binary, 300).
set -uo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
work=${DV2_MUTANTS_DIR:-/tmp/dv2-mutants}
timeout_s=${DV2_MUTANT_TIMEOUT:-300}
src=$work/src
build=$work/build
log=$work/log
export QT_QPA_PLATFORM=offscreen

# Tests of the data layer run first; the window tests only for mutants that
# survive them, or at once for the windows' own files.
data_tests=(EquipmentTest SettingsTest UnitCodesTest FileErrorTest BackupsTest EquipCsvTest DataFaultsTest SaveGameFaultsTest
    FileLayerFaultsTest SaveGameTest)
window_tests=(equipment_test uieditor_test sgeditor_windows_test WindowFaultsTest widgets_test table_kit_test)

binary() { find "$build/tests" -type f -name "$1" -perm -u+x | head -n 1; }

# Builds the given tests and runs them; fails (status 1) at the first
# failing test, 2 when the build fails.
build_and_run() {
    nice -n 10 cmake --build "$build" -j2 --target "$@" >>"$log" 2>&1 || return 2
    local test
    for test in "$@"; do
        (cd "$build" && nice -n 10 timeout "$timeout_s" "$(binary "$test")" --gtest_brief=1 --gtest_fail_fast \
            >>"$log" 2>&1) || return 1
    done
}

# Replaces the one occurrence of $2 in file $1 by $3 (⏎ is a line break).
mutate() {
    python3 - "$@" <<'EOF'
import sys
path, text, replacement = (a.replace("⏎", "\n") for a in sys.argv[1:4])
source = open(path, encoding="utf-8").read()
if source.count(text) != 1:
    sys.exit(f"{source.count(text)} occurrences")
open(path, "w", encoding="utf-8").write(source.replace(text, replacement))
EOF
}

mkdir -p "$work"
: >"$log"
# The copy is brought up to date file by file, so that a second run only
# rebuilds what changed since the first.
mkdir -p "$src"
(cd "$root" && git ls-files --cached --others --exclude-standard) | while IFS= read -r file; do
    cmp -s "$root/$file" "$src/$file" || { mkdir -p "$src/$(dirname "$file")" && cp "$root/$file" "$src/$file"; }
done
echo "Building the unmutated copy in $work (log: $log)"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >>"$log" 2>&1 || { echo "configure failed"; exit 2; }
if ! build_and_run "${data_tests[@]}" "${window_tests[@]}"; then
    echo "The tests fail without any mutant; see $log"
    exit 2
fi

tried=0 killed=0 survived=0 equivalent=0 broken=0
survivors=()
note=""
# Read whole first, so that editing the list during a run changes nothing.
mapfile -t mutants <"$root/scripts/mutants.txt"
for line in "${mutants[@]}"; do
    case $line in
    "# equivalent:"*) note=${line#"# equivalent: "}; continue ;;
    "#"* | "") note=""; continue ;;
    esac
    file=${line%%: *}
    rest=${line#*: }
    text=${rest%% ==>*}
    replacement=${rest#*==>}
    replacement=${replacement# }
    if [ $# -gt 0 ] && ! printf '%s\n' "$@" | grep -qxF "$file"; then
        note=""
        continue
    fi
    tried=$((tried + 1))
    cp "$src/$file" "$work/original"
    if ! error=$(mutate "$src/$file" "$text" "$replacement" 2>&1); then
        echo "BROKEN   $file: $text ($error)"
        broken=$((broken + 1))
        note=""
        continue
    fi
    echo "--- mutant $tried: $file: $text" >>"$log"
    case $file in
    equipment/* | uieditor/* | sgeditor/SGEditor.cpp | sgeditor/FindUnit.cpp | sgeditor/SaveUnitLimits.cpp | widgets/*) tiers=(window) ;;
    *) tiers=(data window) ;;
    esac
    outcome=survived
    for tier in "${tiers[@]}"; do
        if [ "$tier" = data ]; then build_and_run "${data_tests[@]}"; else build_and_run "${window_tests[@]}"; fi
        case $? in
        1) outcome=killed; break ;;
        2) outcome=stillborn; break ;;
        esac
    done
    cp "$work/original" "$src/$file"
    case $outcome in
    killed) killed=$((killed + 1)); echo "killed   $file: $text" ;;
    stillborn) broken=$((broken + 1)); echo "BROKEN   $file: $text (does not build)" ;;
    survived)
        if [ -n "$note" ]; then
            equivalent=$((equivalent + 1))
            echo "equiv.   $file: $text ($note)"
        else
            survived=$((survived + 1))
            survivors+=("$file: $text ==> $replacement")
            echo "SURVIVED $file: $text"
        fi
        ;;
    esac
    note=""
done

echo
echo "Mutants tried: $tried, killed: $killed, survived: $survived, equivalent: $equivalent, broken: $broken"
for s in "${survivors[@]}"; do
    echo "  survivor: $s"
done
[ "$survived" -eq 0 ] && [ "$broken" -eq 0 ]
