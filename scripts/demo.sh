#!/usr/bin/env bash
# Sets up, builds, creates the demo game folder and starts Tolvane on it. Without a display it
# runs Tolvane under a virtual X server, saves a screenshot and ends by itself.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
"$here/scripts/setup-debian.sh"
"$here/scripts/build.sh" "$here/build"

bin="$here/build/bin"
prefix="$here/build/demo-prefix"
rm -rf "$prefix"
standin=""
[ -x "$bin/ucc-standin" ] && standin="$bin/ucc-standin"
"$here/demo/make-demo-prefix.sh" "$prefix" $standin
export WINEPREFIX="$prefix"

if [ -n "${DISPLAY:-}" ]; then
    exec "$bin/tolvane"
fi

shots="$here/build/demo-screenshots"
mkdir -p "$shots"
echo "No display: running Tolvane under a virtual X server."
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    "$1/tolvane" &
    pid=$!
    sleep 4
    import -window root "$2/main-window.png"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' _ "$bin" "$shots"
echo "Screenshot of the main window: $shots/main-window.png"
