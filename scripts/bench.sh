#!/usr/bin/env bash
# Benchmarks (not part of the tests). Under Wine an absolute time mostly measures Wine: each
# figure is given beside the same figure of the least program that does the job
# (kvr_bench_floor), run in the same Wine world in the same run, as a ratio. Medians of RUNS
# (at least 5) runs.
#   win32   size of kvr.exe; start-up to hotkeys registered and resident memory 4 s after the
#           start, beside a RegisterHotKey + GetMessage program (kvr_bench_win32 --runs N);
#           processor time while hiding by program is on, 200 and 2,000 other windows
#           (kvr_bench_procs SECONDS WINDOWS);
#           hotkey to hidden beside a ShowWindow program, and hide by title over 200 and 2,000
#           windows in 20 programs beside a ShowWindow and a ShowWindowAsync program
#           (kvr_bench_hiding ROUNDS; --latency-only after ROUNDS times the presses alone);
#           after a kill: start-up with a journal of 100 hidden windows to all of them visible
#           and to hotkeys registered; memory once idle (kvr_bench_journal RUNS);
#           start to the notification-area icon and to the hotkeys, in the same runs
#           (kvr_bench_tray --runs N)
#           the mouse hook's procedure per event with the real input port, and the time it
#           adds to each mouse event the session delivers (kvr_bench_triggers [EVENTS])
#   native  Google Benchmark targets, in an optimised build (build/bench-native): the
#           test build in build/native carries sanitizers and would distort the numbers
# Usage: scripts/bench.sh [RUNS]
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
runs=${1:-5}
[ "$runs" -ge 5 ] || runs=5
jobs=$(nproc 2>/dev/null || echo 2)

scripts/setup.sh

quiet() {
    local log=$1
    shift
    if ! "$@" >>"$log" 2>&1; then
        tail -n 30 "$log" >&2
        echo "bench: '$*' failed, see $log" >&2
        return 1
    fi
}

status=0
shopt -s nullglob

if [ -n "$(echo bench/win32/*.cpp)" ]; then
    log=build/windows/bench-build.log
    mkdir -p build/windows
    : >"$log"
    if quiet "$log" cmake --preset windows &&
        quiet "$log" cmake --build --preset windows -j "$jobs" --target kvr kvr_bench_floor \
            kvr_bench_win32 kvr_bench_procs &&
        quiet "$log" cmake --build --preset windows -j "$jobs" --target kvr_bench_hiding \
            kvr_bench_journal kvr_bench_tray kvr_bench_triggers; then
        (
            unset DISPLAY
            # shellcheck source=scripts/wine-env.sh
            source scripts/wine-env.sh build/windows
            cd build/windows
            echo "== win32 size, start-up and memory beside the floor ($runs runs)"
            wine ./kvr_bench_win32.exe --runs "$runs"
            for windows in 200 2000; do
                echo "== win32 hiding by program, $windows other windows"
                wine ./kvr_bench_procs.exe 5 "$windows"
            done
            echo "== win32 hotkey to hidden and hide by title beside the floors ($runs rounds)"
            wine ./kvr_bench_hiding.exe "$runs"
            echo "== win32 start-up after a kill, journal of 100 windows ($runs runs); idle memory"
            wine ./kvr_bench_journal.exe "$runs"
            echo "== win32 start to the notification-area icon and to the hotkeys ($runs runs)"
            wine ./kvr_bench_tray.exe --runs "$runs"
            echo "== win32 mouse hook: the procedure per event, and what it adds to a sent move"
            wine ./kvr_bench_triggers.exe
        ) || status=1
    else
        status=1
    fi
fi

if [ -n "$(echo bench/*.cpp)" ]; then
    log=build/bench-native/build.log
    mkdir -p build/bench-native
    : >"$log"
    if quiet "$log" cmake -S . -B build/bench-native -DCMAKE_BUILD_TYPE=Release &&
        quiet "$log" cmake --build build/bench-native -j "$jobs" --target kvr_bench; then
        echo "== native benchmarks"
        build/bench-native/kvr_bench || status=1
    else
        status=1
    fi
fi

exit $status
