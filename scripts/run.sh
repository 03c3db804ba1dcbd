#!/usr/bin/env bash
# Builds kvr.exe with its Lng folder and runs it under Wine.
# With a DISPLAY: runs it there until it exits. Without one: runs it on a private Xvfb screen,
# saves a screenshot a few seconds after start-up into build/windows, prints its path and
# ends the program through its own exit command.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=build/windows
log=$build/run-build.log

scripts/setup.sh
mkdir -p "$build"
if ! { cmake --preset windows && cmake --build --preset windows -j "$(nproc)" --target kvr probe; } \
    >"$log" 2>&1; then
    grep -E 'error|undefined reference' "$log" | head -n 30 >&2
    tail -n 20 "$log" >&2
    echo "run: build failed, see $log" >&2
    exit 1
fi

own_display=${DISPLAY:-}
# shellcheck source=scripts/wine-env.sh
source scripts/wine-env.sh "$build"
cd "$build"

if [ -n "$own_display" ]; then
    wine ./kvr.exe "$@"
    exit $?
fi

wine ./kvr.exe "$@" &
kvr=$!
# The main window exists once the hand-over is done; give the screen a moment to settle.
if ! wine ./probe.exe find KVR_frmPpal --timeout 60000 >/dev/null; then
    echo "run: kvr.exe showed no main window" >&2
    wine ./probe.exe windows >&2 || true
fi
sleep "${KVR_SHOT_DELAY:-3}"
shot=$PWD/screenshot.png
kvr_env_screenshot "$shot"
echo "screenshot: $shot"

if wine ./probe.exe exit --timeout 10000 --wait 15000; then
    wait "$kvr" || true
    exit 0
fi
echo "run: the exit command did not end kvr.exe; stopping it" >&2
wine ./probe.exe kill-all kvr.exe >/dev/null || true
wait "$kvr" || true
exit 1
