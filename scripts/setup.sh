#!/usr/bin/env bash
# Installs what building and testing need on a Debian 12 machine (run as root).
# Quiet and idempotent: apt runs only when a package is missing; its output goes to a log
# that is shown only when something fails.
set -euo pipefail

log=${KVR_SETUP_LOG:-/tmp/kvr-setup.log}
: >"$log"

fail() {
    echo "setup: $*" >&2
    echo "---- $log ----" >&2
    tail -n 60 "$log" >&2
    exit 1
}

packages=(
    cmake g++ make python3
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev
    wine wine32:i386 wine64 fonts-wine
    gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix
    xvfb xauth x11-apps imagemagick
    pulseaudio nsis
    fp-utils
)

installed() {
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" = installed ]
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    fail "missing packages (${missing[*]}) and not root: install them first"
fi

# Another apt run (an unattended one, or a colleague's) holds the lock: wait for it.
wait_for_dpkg() {
    command -v fuser >/dev/null || return 0
    for _ in $(seq 1 600); do
        if ! fuser /var/lib/dpkg/lock-frontend /var/lib/dpkg/lock /var/lib/apt/lists/lock \
            >/dev/null 2>&1; then
            return 0
        fi
        sleep 1
    done
    fail "dpkg stayed locked for 10 minutes"
}

export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386 >>"$log" 2>&1 || fail "dpkg --add-architecture i386"
fi
wait_for_dpkg
apt=(apt-get -q -o DPkg::Lock::Timeout=600)
"${apt[@]}" update >>"$log" 2>&1 || fail "apt-get update"
wait_for_dpkg
"${apt[@]}" install -y "${missing[@]}" >>"$log" 2>&1 ||
    fail "apt-get install ${missing[*]}"

for p in "${missing[@]}"; do
    installed "$p" || fail "$p is still not installed"
done
