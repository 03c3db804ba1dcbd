#!/usr/bin/env bash
# Builds everything and runs every test tier:
#   native   ASan/UBSan build, ctest (unit, contract_fake, help_files)
#   windows  MinGW build with the packages, ctest under Wine (contract_win32, e2e, packages)
#   fuzz     clang libFuzzer targets, each for KVR_FUZZ_SECONDS (default 30)
# Ends with one line "summary: N passed, N failed" counting test cases (GoogleTest's own
# totals of every test executable, one per fuzz run), plus one failure for each executable that
# ended without its totals or failed after them and for each failed build; exits non-zero when
# anything failed.
set -uo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root" || exit 1
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${KVR_FUZZ_SECONDS:-30}
passed=0
failed=0
failures=()

pass() { passed=$((passed + 1)); }
fail() {
    failed=$((failed + 1))
    failures+=("$1")
}

# Runs a build step quietly into a log; on failure shows the end of it and counts a failure.
step() {
    local name=$1 log=$2
    shift 2
    mkdir -p "$(dirname "$log")"
    if "$@" >>"$log" 2>&1; then return 0; fi
    echo "!! $name failed; end of $log:"
    grep -E 'error|Error|undefined reference' "$log" | head -n 30
    tail -n 20 "$log"
    fail "$name"
    return 1
}

# Per test in ctest's full log of its last run: name, cases passed, cases failed, then the
# names of the failed cases. GoogleTest's closing totals are taken when the executable printed
# them; otherwise (a crash, a timeout) the cases it finished count and the one it was in, or the
# executable itself, counts as one more failure. So does an executable that fails after its
# totals with every case passed, e.g. on a leak report at exit. ctest's own verdicts (the
# names of its failed tests, space-separated and -padded) overrule its log, which calls a test
# whose executable is missing "Passed".
ctest_cases() {
    awk -v verdicts="$2" '
        function flush() {
            if (name == "") return
            if (index(verdicts, " " name " ")) passed = 0
            if (totals) { p = tp; f = tf } else { p = ok; f = bad + !passed }
            if (!passed && f == 0) f = 1
            if (!passed && !totals) cases = cases " (no totals: crashed, timed out or not started)"
            else if (!passed && tf == 0) cases = cases " (failed after its totals)"
            if (passed && !totals && ok == 0) p = 1  # not a GoogleTest executable
            print name, p, f cases
            name = ""
        }
        { sub(/\r$/, "") }  # the Windows executables print CR LF
        /^[0-9]+\/[0-9]+ Testing: / {
            flush()
            name = $3; totals = tp = tf = ok = bad = passed = output = 0; cases = ""
            next
        }
        name == "" { next }
        /^Output:$/ { output = 1; next }
        /^<end of output>$/ { output = 0; next }
        output && /^\[  PASSED  \] [0-9]+ tests?\./ { totals = 1; tp = $4 }
        output && /^\[  FAILED  \] [0-9]+ tests?, listed below:/ { tf = $4 }
        output && /^\[       OK \] / { ok++ }
        output && /^\[  FAILED  \] [^ ]+.* \([0-9]+ ms\)$/ {
            bad++; c = $4; sub(/,$/, "", c); cases = cases " " c
        }
        !output && /^Test Passed/ { passed = 1; flush() }
        !output && /^Test [A-Z]/ { flush() }
        END { flush() }
    ' "$1"
}

# Runs ctest in a build folder; what it ran is counted afterwards by count_ctest.
run_ctest() {
    local tier=$1 dir=$2
    echo "== $tier: ctest"
    rm -f "$dir/Testing/Temporary/LastTest.log" "$dir/Testing/Temporary/LastTestsFailed.log"
    ctest --test-dir "$dir" --output-on-failure --timeout 600 2>&1 | tee "$dir/ctest.log"
}

# Counts the test cases of the tier's last ctest run; a registered test that did not run at all
# counts as one failure.
count_ctest() {
    local tier=$1 dir=$2 log="$2/Testing/Temporary/LastTest.log"
    local name p f cases line results=() registered=() seen=() verdicts=" "
    [ -f "$dir/Testing/Temporary/LastTestsFailed.log" ] &&
        verdicts=" $(cut -d: -f2- "$dir/Testing/Temporary/LastTestsFailed.log" | tr '\n' ' ')"
    # First: listing the tests below writes a new log over this one.
    [ -f "$log" ] && mapfile -t results < <(ctest_cases "$log" "$verdicts")
    mapfile -t registered < <(ctest --test-dir "$dir" -N 2>/dev/null |
        sed -nE 's/^[[:space:]]*Test +#[0-9]+: (.+)$/\1/p')
    if [ ${#registered[@]} -eq 0 ]; then
        echo "== $tier: no tests registered"
        return
    fi
    for line in "${results[@]}"; do
        read -r name p f cases <<<"$line"
        seen+=("$name")
        passed=$((passed + p))
        failed=$((failed + f))
        echo "== $tier: $name: $p passed, $f failed"
        if [ "$f" -gt 0 ]; then
            failures+=("$tier/$name")
            if [ -n "$cases" ]; then echo "!! $tier/$name: $cases"; fi
        fi
    done
    for name in "${registered[@]}"; do
        if [[ " ${seen[*]} " != *" $name "* ]]; then
            echo "!! $tier/$name did not run"
            fail "$tier/$name"
        fi
    done
}

if ! scripts/setup.sh; then
    echo "summary: 0 passed, 1 failed"
    exit 1
fi

# ---- native ----
echo "== native: build (ASan/UBSan)"
rm -f build/native/build.log
if step "native build" build/native/build.log cmake --preset native &&
    step "native build" build/native/build.log cmake --build --preset native -j "$jobs"; then
    run_ctest native build/native
    count_ctest native build/native
fi

# ---- windows, under Wine ----
echo "== windows: build (MinGW i686)"
rm -f build/windows/build.log
if step "windows configure" build/windows/build.log cmake --preset windows; then
    # Keep going past a broken target: the tiers that did build still run, and the broken
    # one counts as a failure.
    step "windows build" build/windows/build.log cmake --build --preset windows -j "$jobs" -- -k
    rm -f build/windows/Testing/Temporary/LastTest.log
    (
        unset DISPLAY  # always a private screen: tests press keys and move the mouse
        # shellcheck source=scripts/wine-env.sh
        source scripts/wine-env.sh build/windows || exit 3
        run_ctest windows build/windows
    )
    if [ $? -eq 3 ]; then
        fail "wine environment"
    else
        count_ctest windows build/windows
    fi
    # What a Windows user gets, built with the tier (the test "packages" checks what they hold).
    for package in build/windows/packages/*; do
        [ -f "$package" ] && echo "== windows: package $(basename "$package"): $(stat -c %s "$package") bytes"
    done
fi

# ---- fuzz ----
shopt -s nullglob
fuzz_sources=(fuzz/*.cpp)
if [ ${#fuzz_sources[@]} -eq 0 ]; then
    echo "== fuzz: no fuzz targets yet"
else
    echo "== fuzz: build (clang, libFuzzer)"
    targets=()
    for src in "${fuzz_sources[@]}"; do targets+=("$(basename "$src" .cpp)"); done
    rm -f build/fuzz/build.log
    # The library code is instrumented too, so the fuzzers see its coverage.
    if step "fuzz build" build/fuzz/build.log cmake -S . -B build/fuzz -DKVR_FUZZ=ON \
        -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined" &&
        step "fuzz build" build/fuzz/build.log cmake --build build/fuzz -j "$jobs" \
            --target "${targets[@]}"; then
        for t in "${targets[@]}"; do
            corpus=build/fuzz/corpus/$t
            mkdir -p "$corpus"
            seeds=()
            [ -d "fuzz/corpus/$t" ] && seeds=("fuzz/corpus/$t")
            log=build/fuzz/$t.log
            echo "== fuzz: $t for ${fuzz_seconds}s"
            if (cd build/fuzz && "./$t" -max_total_time="$fuzz_seconds" -print_final_stats=1 \
                "corpus/$t" "${seeds[@]/#/$root/}") >"$log" 2>&1; then
                pass
                grep -E '^stat::number_of_executed_units' "$log" | sed "s/^/   $t /"
            else
                echo "!! fuzz $t found a problem; end of $log:"
                tail -n 40 "$log"
                fail "fuzz/$t"
            fi
        done
    fi
fi

if [ ${#failures[@]} -gt 0 ]; then echo "failed: ${failures[*]}"; fi
echo "summary: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
