#!/usr/bin/env bash
# Installs what Tolvane needs on Debian 12. Run as root (or with sudo available). Packages
# already present are not fetched again.
#   setup-debian.sh          what the program and its demo need
#   setup-debian.sh --tests  also what the tests and benchmarks need
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libgl-dev
    libdivsufsort-dev # the .uz codec's suffix sort
    xvfb xauth fonts-liberation
)
if [ "${1:-}" = "--tests" ]; then
    packages+=(
        g++-mingw-w64-x86-64-posix # the Windows cross-build of the core
        desktop-file-utils         # checks the installed desktop entry
        bzip2                      # the .uz benchmark's yardstick
        wine wine64                # jobs under real Wine, and the Windows build's tests
        doctest-dev                # the test framework of the Qt-free tests run under Wine
        clang libclang-rt-14-dev   # fuzzing with libFuzzer
        dpkg-dev icoutils zip unzip # the Windows zip: Qt's source, the program's icon, the zip
    )
fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
