#!/usr/bin/env bash
# Builds the packages a Windows user gets, in build/windows/packages/:
#   KVR-<version>-portable.zip  the folder KVR: kvr.exe and Lng/ (string store, language files,
#                               compiled help of every language)
#   KVR-<version>-setup.exe     installer for the current user (no administrator rights), with
#                               its uninstaller
# then checks what they hold and prints their sizes.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
jobs=$(nproc 2>/dev/null || echo 2)

scripts/setup.sh
cmake --preset windows >/dev/null
cmake --build --preset windows -j "$jobs" --target packages
version=$(sed -nE 's/^project\(KVR VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
python3 tests/package/check_packages.py \
    "build/windows/packages/KVR-$version-portable.zip" \
    "build/windows/packages/KVR-$version-setup.exe"
