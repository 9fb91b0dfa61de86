#!/usr/bin/env bash
# Configures and builds one tree. Usage: build.sh BUILD_DIR [extra cmake arguments]
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="$1"; shift
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON "$@" >/dev/null
cmake --build "$build" -j2
