#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: in the normal build and in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer. The core library is also cross-compiled for
# Windows with a Qt-free test program, which the normal build's tests run under Wine (label
# "wine", with jobs under Wine; left out of the sanitizer build). And Tolvane is built for
# Windows with its window, the zip written, and tested under Wine (label "windows"); the first
# run builds the Windows Qt for that (scripts/package-windows.sh).
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-debian.sh" --tests

echo "== core library cross-compiled for Windows =="
"$here/scripts/build.sh" "$here/build-windows" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
    -DTOLVANE_BUILD_GUI=OFF -DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_BUILD_WINDOWS_TESTS=ON

echo "== Tolvane for Windows, tested under Wine =="
"$here/scripts/package-windows.sh" --tests
(cd "$here/build-windows-gui" && ctest --output-on-failure -L windows)

echo "== normal build =="
"$here/scripts/build.sh" "$here/build" -DTOLVANE_WINDOWS_BIN="$here/build-windows/bin"
(cd "$here/build" && ctest -j2 --output-on-failure)
# The reliability tests end with lines of figures; CTest keeps them in its log.
echo "== figures =="
grep -h -E '^reliability: ' "$here/build/Testing/Temporary/LastTest.log" || true

echo "== fuzzing with libFuzzer =="
CC=clang CXX=clang++ "$here/scripts/build.sh" "$here/build-fuzz" -DTOLVANE_LIBFUZZER=ON \
    -DTOLVANE_BUILD_GUI=OFF
for target in "$here"/build-fuzz/bin/fuzz_*; do
    name="$(basename "$target")"
    found="$(mktemp -d)" # libFuzzer adds what it finds to the first folder, not to the seeds
    options=(-runs=20000)
    case "$name" in
        fuzz_regfile) options+=(-dict="$here/fuzz/dict/fuzz_regfile.dict") ;;
        fuzz_winpath | fuzz_wineprefix) options+=(-dict="$here/fuzz/dict/paths.dict") ;;
        fuzz_uzfile) options=(-runs=1000) ;; # each input is compressed and decompressed, slowly
    esac
    "$target" "${options[@]}" -seed=1 -artifact_prefix="$here/build-fuzz/$name-" \
        "$found" "$here/fuzz/corpus/$name" 2>"$found.log" || { tail -30 "$found.log"; exit 1; }
    sed -n "s/^Done \([0-9]* runs in [0-9]*\) second.*/$name: \1 s, no failure/p" "$found.log"
    rm -rf "$found" "$found.log"
done

echo "== sanitizer build =="
"$here/scripts/build.sh" "$here/build-sanitize" -DTOLVANE_SANITIZE=ON -DTOLVANE_BUILD_BENCH=OFF
(cd "$here/build-sanitize" && \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest -j2 --output-on-failure -LE wine)
