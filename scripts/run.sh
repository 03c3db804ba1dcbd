#!/usr/bin/env bash
# Builds kvr.exe with its Lng folder and runs it under Wine.
# With a DISPLAY: prints the default hotkeys and runs it there until it exits.
# Without one: shows it at work on a private Xvfb screen, starting as on a first start (no
# settings yet, so nothing is visible and only the default hotkeys reach it). It opens three
# ordinary windows, hides each with Shift+F9 over it, brings up the main window with Alt+W,
# reads the main window's list, saves build/windows/screenshot.png and ends the program
# through its own exit command, which shows the windows again.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=build/windows
log=$build/run-build.log

hotkeys() {
    cat <<'EOF'
On a first start KVR shows nothing: no window, no tray icon. It waits for its hotkeys:
  Shift+F9   hide the window under the mouse
  Shift+F10  hide every window of the class of the window under the mouse
  Shift+F11  hide every window whose title contains the stored title text
  Ctrl+F9    show the last hidden window
  Ctrl+F10   show the windows hidden by class
  Ctrl+F11   show the windows hidden by title
  Ctrl+F12   show every hidden window
  Alt+W      show or hide the main window (its list holds the hidden windows)
  Alt+F2     sound off / on
  Alt+F3     hide / show the notification area's icons
  Shift+F4   keep hiding every window of the listed programs (lsv.dat)
  Ctrl+F4    stop that and show their windows again
EOF
}

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
    hotkeys
    wine ./kvr.exe "$@"
    exit $?
fi

probe() { wine ./probe.exe "$@"; }
# The value of key in probe's first output line that has it.
field() { sed -nE "/(^| )$1=/{s/^(.* )?$1=(\"([^\"]*)\"|([^ ]*)).*/\\3\\4/p;q}"; }
# Polls `probe visible` until the window shows want (0 or 1), for up to 15 s.
becomes() {
    local hwnd=$1 want=$2
    for _ in $(seq 1 30); do
        [ "$(probe visible "$hwnd" | field visible)" = "$want" ] && return 0
        sleep 0.5
    done
    return 1
}
status=0
problem() {
    echo "run: $*" >&2
    status=1
}

hotkeys
echo
# The demo's settings are a first start's; a copy left running would refuse the new one.
probe kill-all kvr.exe >/dev/null || true
probe reg-del-tree 'HKCU\Software\ORQ' >/dev/null || true
probe reg-del-value 'HKLM\Software\Microsoft\Windows\CurrentVersion\Run' KVR >/dev/null || true

wine ./kvr.exe "$@" &
kvr=$!
demo_pids=()
cleanup_demo() {
    for pid in "${demo_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${demo_pids[@]}"; do wait "$pid" 2>/dev/null || true; done
}

# Hotkeys are registered once the main window (hidden on a first start) has loaded.
if ! probe settled --timeout 60000 >/dev/null; then
    problem "kvr.exe showed no main window"
    probe windows >&2 || true
fi

titles=("Quarterly report.txt - Editor" "Budget 2024.xls - Sheets" "Chat with Ana")
classes=(DemoEditor DemoSheets DemoChat)
hwnds=()
for i in "${!titles[@]}"; do
    out=$PWD/demo-window-$i.out
    : >"$out"
    probe create "${classes[$i]}" "${titles[$i]}" --child "EDIT:${titles[$i]}" --seconds 300 \
        >"$out" 2>&1 &
    demo_pids+=($!)
    for _ in $(seq 1 60); do
        grep -q '^ready' "$out" && break
        sleep 0.5
    done
    hwnd=$(field hwnd <"$out")
    [ -n "$hwnd" ] || problem "demo window \"${titles[$i]}\" did not open: $(cat "$out")"
    hwnds+=("$hwnd")
done
printf -v listed '"%s", ' "${titles[@]}"
echo "demo: opened ${#titles[@]} windows: ${listed%, }"

# Windows cascade, so the newest lies on top: hiding newest first leaves the mouse over
# exactly the one meant.
for ((i = ${#hwnds[@]} - 1; i >= 0; i--)); do
    hwnd=${hwnds[$i]}
    [ -n "$hwnd" ] || continue
    probe mouse "$hwnd" >/dev/null || problem "the mouse did not move"
    probe press 16 120 >/dev/null || problem "Shift+F9 was not sent"
    if becomes "$hwnd" 0; then
        echo "demo: Shift+F9 over \"${titles[$i]}\": hidden"
    else
        problem "Shift+F9 over \"${titles[$i]}\" left it visible"
    fi
done

probe press 18 87 >/dev/null || problem "Alt+W was not sent"
main=$(probe find KVR_frmPpal | field hwnd || true)
if [ -n "$main" ] && becomes "$main" 1; then
    echo "demo: Alt+W: the main window is shown; its list:"
    sleep 1  # let it paint before the picture
    rows=$(probe rows "$main" --columns 3 || true)
    sed -nE 's/^row=[0-9]+ column0=("[^"]*") column1=("[^"]*") column2=("[^"]*").*/  \1  \2  \3/p' \
        <<<"$rows"
    for title in "${titles[@]}"; do
        grep -qF "column0=\"$title\"" <<<"$rows" || problem "the main window does not list \"$title\""
    done
else
    problem "Alt+W did not show the main window"
fi

shot=$PWD/screenshot.png
kvr_env_screenshot "$shot"
echo "screenshot: $shot"

if probe exit --timeout 10000 --wait 15000 >/dev/null; then
    wait "$kvr" || true
    back=0
    for hwnd in "${hwnds[@]}"; do
        [ -n "$hwnd" ] && becomes "$hwnd" 1 && back=$((back + 1))
    done
    echo "demo: Exit: kvr.exe ended and showed $back of ${#hwnds[@]} windows again"
    [ "$back" -eq "${#hwnds[@]}" ] || problem "the exit left windows hidden"
else
    problem "the exit command did not end kvr.exe; stopping it"
    probe kill-all kvr.exe >/dev/null || true
    wait "$kvr" || true
fi
cleanup_demo
exit $status
