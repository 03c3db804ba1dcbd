# shellcheck shell=bash
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
kvr_env_started_xvfb=${kvr_env_started_xvfb:-}  # kept when sourced twice
kvr_env_started_pulse=${kvr_env_started_pulse:-}
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
    local fdfile="$kvr_env_build/xvfb.display"
    rm -f "$fdfile"
    # -displayfd lets the server pick a free display number itself, with no race.
    Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$fdfile" >>"$kvr_env_log" 2>&1 &
    kvr_env_started_xvfb=$!
    for _ in $(seq 1 100); do
        if [ -s "$fdfile" ]; then
            DISPLAY=":$(tr -d '[:space:]' <"$fdfile")"
            export DISPLAY
            return 0
        fi
        kill -0 "$kvr_env_started_xvfb" 2>/dev/null || break
        sleep 0.1
    done
    kvr_env_started_xvfb=
    kvr_env_fail "Xvfb did not start"
}

kvr_env_start_pulse() {
    # As root PulseAudio wants --system unless its runtime path is given. One daemon per
    # build folder: runs in other folders neither share it nor stop it. Under /tmp because
    # a socket path must stay short.
    local tag
    tag=$(printf '%s' "$kvr_env_build" | md5sum | cut -c1-8)
    PULSE_RUNTIME_PATH="/tmp/kvr-pulse-$(id -u)-$tag"
    export PULSE_RUNTIME_PATH
    mkdir -p "$PULSE_RUNTIME_PATH" && chmod 700 "$PULSE_RUNTIME_PATH"
    export PULSE_SERVER="unix:$PULSE_RUNTIME_PATH/native"
    # Its state and cookie go there too, out of the user's home.
    export PULSE_STATE_PATH="$PULSE_RUNTIME_PATH/state"
    export PULSE_COOKIE="$PULSE_RUNTIME_PATH/.config/pulse/cookie"
    pulseaudio --check >/dev/null 2>&1 && return 0
    HOME="$PULSE_RUNTIME_PATH" pulseaudio -n --daemonize=yes --exit-idle-time=-1 --load=module-null-sink \
        --load=module-native-protocol-unix >>"$kvr_env_log" 2>&1 ||
        kvr_env_fail "pulseaudio did not start" || return 1
    kvr_env_started_pulse=1
}

kvr_env_reg() {
    wine reg add "$@" /f >>"$kvr_env_log" 2>&1 || kvr_env_fail "wine reg add $*"
}

kvr_env_boot_prefix() {
    # Bump the stamp's version when the settings below change: existing prefixes catch up.
    local stamp="$WINEPREFIX/.kvr-ready-3"
    [ -f "$stamp" ] && return 0
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        # Wine Mono and Gecko are not needed and cannot be downloaded here: skip them.
        WINEDLLOVERRIDES="mscoree,mshtml=" wineboot -i >>"$kvr_env_log" 2>&1 ||
            kvr_env_fail "wineboot failed" || return 1
        wineserver -w
    fi
    # Without a window manager on Xvfb, hiding another program's window stalls for 2 s
    # waiting for a withdrawn state; one virtual desktop avoids that.
    kvr_env_reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default &&
        kvr_env_reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x800 &&
        # A crash prints a backtrace and ends the process instead of waiting for a click
        # on a dialog nobody will see.
        kvr_env_reg 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 ||
        return 1
    # Wine draws the title bars' buttons with Marlett. Debian's fonts-wine ships it where this
    # Wine does not look, and without it the buttons show as the letters "0 1 r": the prefix's
    # own fonts folder is read by every Wine.
    cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/" ||
        kvr_env_fail "no Marlett font (Debian package fonts-wine)" || return 1
    wineserver -w
    touch "$stamp"
}

# Takes a picture of the whole X screen (PNG).
kvr_env_screenshot() {
    import -display "$DISPLAY" -window root "$1" >>"$kvr_env_log" 2>&1 ||
        { xwd -root -silent -display "$DISPLAY" | convert xwd:- "$1"; } >>"$kvr_env_log" 2>&1
}

trap kvr_env_stop EXIT
# A signal ends the shell through exit, so the EXIT trap still cleans up.
trap 'exit 130' INT
trap 'exit 143' TERM
{ kvr_env_start_xvfb && kvr_env_start_pulse && kvr_env_boot_prefix; } || return 1
