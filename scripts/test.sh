#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: in the normal build and in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer. The core library is also cross-compiled for
# Windows with a Qt-free test program, which the normal build's tests run under Wine (label
# "wine", with jobs under Wine; left out of the sanitizer build).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-debian.sh" --tests

echo "== core library cross-compiled for Windows =="
"$here/scripts/build.sh" "$here/build-windows" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
    -DTOLVANE_BUILD_GUI=OFF -DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_BUILD_WINDOWS_TESTS=ON

echo "== normal build =="
"$here/scripts/build.sh" "$here/build" -DTOLVANE_WINDOWS_BIN="$here/build-windows/bin"
(cd "$here/build" && ctest -j2 --output-on-failure)
# The fuzz targets and the reliability tests end with lines of figures; CTest keeps them in its log.
echo "== figures =="
grep -h -E '^(fuzz_[a-z_]+: [0-9]+ inputs|reliability: )' "$here/build/Testing/Temporary/LastTest.log" || true

echo "== sanitizer build =="
"$here/scripts/build.sh" "$here/build-sanitize" -DTOLVANE_SANITIZE=ON -DTOLVANE_BUILD_BENCH=OFF
(cd "$here/build-sanitize" && \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest -j2 --output-on-failure -LE wine)
