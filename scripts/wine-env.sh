# Sourced (bash): prepares Wine to run the i686 build.
#   source scripts/wine-env.sh BUILD_DIR
# Gives a Wine prefix in BUILD_DIR/wineprefix on one 1280x800 virtual desktop, an X display
# (a private Xvfb when DISPLAY is unset) and a PulseAudio daemon with a null sink so the
# mixer has a speakers line. What it starts is stopped at exit of the sourcing shell
# (kvr_env_stop; it installs an EXIT trap).

kvr_env_build=$(mkdir -p "${1:?usage: source wine-env.sh BUILD_DIR}" && cd "$1" && pwd)

export WINEPREFIX="$kvr_env_build/wineprefix"
export WINEDEBUG=-all
# A 32-bit prefix boots faster and is half the size of a WoW64 one; the product is i686 only.
export WINEARCH=win32
kvr_env_started_xvfb=
kvr_env_started_pulse=
kvr_env_log="$kvr_env_build/wine-env.log"

kvr_env_fail() {
    echo "wine-env: $*" >&2
    [ -s "$kvr_env_log" ] && tail -n 40 "$kvr_env_log" >&2
    return 1
}

kvr_env_stop() {
    # The prefix's processes hold the display: end them before the display goes away.
    if [ -n "$kvr_env_started_xvfb" ]; then
        wineserver -k >/dev/null 2>&1 || true
        kill "$kvr_env_started_xvfb" 2>/dev/null || true
        wait "$kvr_env_started_xvfb" 2>/dev/null || true
        kvr_env_started_xvfb=
    fi
    if [ -n "$kvr_env_started_pulse" ]; then
        pulseaudio --kill >/dev/null 2>&1 || true
        kvr_env_started_pulse=
    fi
}

kvr_env_start_xvfb() {
    [ -n "${DISPLAY:-}" ] && return 0
    local fdfile="$kvr_env_build/xvfb.display" i
    rm -f "$fdfile"
    # -displayfd lets the server pick a free display number itself, with no race.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fdfile" >>"$kvr_env_log" 2>&1 &
    kvr_env_started_xvfb=$!
    for i in $(seq 1 100); do
        if [ -s "$fdfile" ]; then
            export DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
            return 0
        fi
        kill -0 "$kvr_env_started_xvfb" 2>/dev/null || break
        sleep 0.1
    done
    kvr_env_started_xvfb=
    kvr_env_fail "Xvfb did not start"
}

kvr_env_start_pulse() {
    # As root PulseAudio wants --system unless its runtime path is given; a fixed path per
    # user also lets every run share one daemon.
    export PULSE_RUNTIME_PATH="${PULSE_RUNTIME_PATH:-/tmp/kvr-pulse-$(id -u)}"
    mkdir -p "$PULSE_RUNTIME_PATH" && chmod 700 "$PULSE_RUNTIME_PATH"
    export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
    pulseaudio --check >/dev/null 2>&1 && return 0
    pulseaudio -n --daemonize=yes --exit-idle-time=-1 --load=module-null-sink \
        --load=module-native-protocol-unix >>"$kvr_env_log" 2>&1 ||
        kvr_env_fail "pulseaudio did not start" || return 1
    kvr_env_started_pulse=1
}

kvr_env_boot_prefix() {
    local stamp="$WINEPREFIX/.kvr-ready"
    [ -f "$stamp" ] && return 0
    # Wine Mono and Gecko are not needed and cannot be downloaded here: skip their installers.
    WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >>"$kvr_env_log" 2>&1 ||
        kvr_env_fail "wineboot failed" || return 1
    wineserver -w
    # Without a window manager on Xvfb, hiding another program's window stalls for 2 s
    # waiting for a withdrawn state; one virtual desktop avoids that.
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >>"$kvr_env_log" 2>&1 &&
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 /f \
            >>"$kvr_env_log" 2>&1 ||
        kvr_env_fail "setting the virtual desktop failed" || return 1
    wineserver -w
    touch "$stamp"
}

# Takes a picture of the whole X screen (PNG).
kvr_env_screenshot() {
    import -display "$DISPLAY" -window root "$1" >>"$kvr_env_log" 2>&1 ||
        { xwd -root -silent -display "$DISPLAY" | convert xwd:- "$1"; } >>"$kvr_env_log" 2>&1
}

trap kvr_env_stop EXIT
{ kvr_env_start_xvfb && kvr_env_start_pulse && kvr_env_boot_prefix; } || return 1
