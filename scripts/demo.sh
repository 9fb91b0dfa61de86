#!/usr/bin/env bash
# Sets up, builds, creates the demo game folder and shows Tolvane at work on it.
# With a display, Tolvane opens on the demo game folder for you. Without one, Tolvane runs under
# a virtual X server and a driver does a user's steps: queue the demo packages, Start a Compress
# job, answer No, queue the results, Start a Decompress job, answer Yes. A screenshot of every
# stage lands in build/demo-screenshots/, and the job output and the files produced are printed.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-debian.sh"

build="$here/build"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTOLVANE_WERROR=ON >/dev/null
cmake --build "$build" -j2 --target tolvane tolvane-cmd tolvane-folder ucc-standin tolvane-demo-driver

bin="$build/bin"
prefix="$build/demo-prefix"
rm -rf "$prefix"
"$here/demo/make-demo-prefix.sh" "$prefix" "$bin/ucc-standin"
export WINEPREFIX="$prefix"
unset ComSpec
# The stand-in tool takes its time over each file, as the game's own does over a big map, so
# that a job's progress can be watched.
export UCC_STANDIN_PACE_MS="${UCC_STANDIN_PACE_MS:-150}"
game="$prefix/drive_c/UnrealTournament"

if [ -n "${DISPLAY:-}" ] && [ -z "${TOLVANE_DEMO_HEADLESS:-}" ]; then
    echo "Starting Tolvane on the demo game folder (WINEPREFIX=$prefix)."
    exec "$bin/tolvane"
fi

shots="$build/demo-screenshots"
rm -rf "$shots"
mkdir -p "$shots"
echo "No display: Tolvane runs under a virtual X server, driven through a user's steps."
cd "$game"
xvfb-run -a -s "-screen 0 1024x768x24" timeout 300 "$bin/tolvane-demo-driver" "$shots"
pkill -f "$bin/tolvane-folder" 2>/dev/null || true

echo
echo "Files produced by the Compress job ($game/Compressed):"
ls -l "$game/Compressed"
echo
echo "Files produced by the Decompress job ($game/Decompressed):"
ls -l "$game/Decompressed"
echo
echo "Screenshots of each stage: $shots"
ls "$shots"
