#!/usr/bin/env bash
# Sets up, builds and runs the whole test suite twice: in the normal build and in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-debian.sh"

echo "== normal build =="
"$here/scripts/build.sh" "$here/build"
(cd "$here/build" && ctest -j2 --output-on-failure)

echo "== sanitizer build =="
"$here/scripts/build.sh" "$here/build-sanitize" -DTOLVANE_SANITIZE=ON
(cd "$here/build-sanitize" && \
    ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    ctest -j2 --output-on-failure)
# The fuzz targets end with a line of figures; CTest keeps it in its log.
grep -h -E '^fuzz_[a-z_]+: [0-9]+ inputs' "$here/build-sanitize/Testing/Temporary/LastTest.log" || true
