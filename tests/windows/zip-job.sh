#!/bin/sh
# One Compress job through tolvane.exe as a player gets it: the zip unpacked into a folder with
# blanks in its name, the program on Wine's own display driver under a virtual X server, the game
# folder found in the registry and the job run by Wine's cmd.exe with the stand-in as the game's
# tool. A Qt plugin that the program loads does the user's clicks (jobdriver/).
#   Usage: zip-job.sh PREFIX ZIP PLUGIN_FOLDER   (the prefix made by tests/wine/make-prefix.sh)
set -eu
prefix=$1 zip=$2 plugins=$3
export WINEPREFIX="$prefix"
unpacked="$prefix/drive_c/My Games"
game="$prefix/drive_c/Program Files (x86)/Unreal Tournament"
report="$prefix/job-report.txt"

rm -rf "$unpacked" "$report" "$game/Compressed"/* "$game/Maps"/*
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
for map in DM-Alpha CTF-Beta; do
    { printf '\301\203\052\236'; for i in $(seq 200); do echo "$map object $i"; done; } \
        >"$game/Maps/$map.unr"
done

status=0
cd "$unpacked/Tolvane" # as Explorer starts it
# Wine passes WINEQT_X on to the program as QT_X.
ComSpec='C:\windows\system32\cmd.exe' WINEQT_PLUGIN_PATH="Z:$plugins" \
    WINEQT_QPA_GENERIC_PLUGINS="tolvanejobdriver:Z:$report" \
    timeout 200 xvfb-run -a -s "-screen 0 1024x768x24" wine "$unpacked/Tolvane/tolvane.exe" ||
    status=$?
wineserver -k 2>/dev/null || true # the results' folder window is still open
cat "$report" 2>/dev/null || true

fail() { echo "FAILED: $*"; exit 1; }
[ "$status" -eq 0 ] || fail "tolvane.exe ended with status $status"
grep -q '^Compiling Completed!' "$report" || fail "no success question"
grep -qF 'C:\Program Files (x86)\Unreal Tournament\System\ucc.exe' "$report" ||
    fail "the output does not show the tool's commands"
for map in DM-Alpha CTF-Beta; do
    [ -s "$game/Compressed/$map.unr.uz" ] || fail "no $map.unr.uz in Compressed"
    [ -s "$game/Maps/$map.unr" ] || fail "$map.unr is gone from Maps"
done
echo "The job ran through tolvane.exe from the zip."
