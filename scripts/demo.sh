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
# A game folder chosen in Tolvane before is not the demo's.
export XDG_CONFIG_HOME="$build/demo-config"
# The stand-in tool takes its time over each file, as the game's own does over a big map, so
# that a job's progress can be watched.
export UCC_STANDIN_PACE_MS="${UCC_STANDIN_PACE_MS:-150}"
game="$prefix/drive_c/UnrealTournament"

if [ -n "${DISPLAY:-}" ] && [ -z "${TOLVANE_DEMO_HEADLESS:-}" ]; then
    echo "Starting Tolvane on the demo game folder (WINEPREFIX=$prefix)."
    exec "$bin/tolvane" "$game"
fi

shots="$build/demo-screenshots"
rm -rf "$shots"
mkdir -p "$shots"
echo "No display: Tolvane runs under a virtual X server, driven through a user's steps."
cd "$game"
xvfb-run -a -s "-screen 0 1024x768x24" timeout 300 "$bin/tolvane-demo-driver" "$shots"
pkill -f "$bin/tolvane-folder" 2>/dev/null || true

# The same steps on a game installed as OldUnreal's native Linux build: no Wine prefix, the
# game's own Linux tool (here the stand-in under its name), named on the command line.
native="$build/demo-native/UnrealTournament"
rm -rf "$build/demo-native"
"$here/demo/make-demo-prefix.sh" --native "$native" "$bin/ucc-standin"
echo "The same steps on the native install:"
(cd "$native" && env -u WINEPREFIX xvfb-run -a -s "-screen 0 1024x768x24" timeout 300 \
    "$bin/tolvane-demo-driver" "$shots/native" "$native")
pkill -f "$bin/tolvane-folder" 2>/dev/null || true

echo
echo "Files produced by the Compress job ($game/Compressed):"
ls -l "$game/Compressed"
echo
echo "Files produced by the Decompress job ($game/Decompressed):"
ls -l "$game/Decompressed"
echo
echo "Files produced on the native install:"
ls -l "$native/Compressed" "$native/Decompressed"
echo
echo "Screenshots of each stage: $shots (the native install's in $shots/native)"
ls "$shots" "$shots/native"
