#!/bin/sh
# Compress jobs through tolvane.exe as a player gets it: the zip unpacked into a folder with
# blanks in its name, the program on Wine's own display driver under a virtual X server, the game
# folder found in the registry and the job run by Wine's cmd.exe, once with the stand-in as the
# game's tool and once with Tolvane's own tool from the zip. A Qt plugin that the program loads
# does the user's clicks (jobdriver/).
#   Usage: zip-job.sh PREFIX ZIP PLUGIN_FOLDER   (the prefix made by tests/wine/make-prefix.sh)
set -eu
prefix=$1 zip=$2 plugins=$3
export WINEPREFIX="$prefix"
unpacked="$prefix/drive_c/My Games"
game="$prefix/drive_c/Program Files (x86)/Unreal Tournament"
report="$prefix/job-report.txt"

rm -rf "$unpacked" "$game/Maps"/*
mkdir -p "$unpacked"
unzip -q "$zip" -d "$unpacked"
for map in DM-Alpha CTF-Beta; do
    { printf '\301\203\052\236'; for i in $(seq 200); do echo "$map object $i"; done; } \
        >"$game/Maps/$map.unr"
done
cd "$unpacked/Tolvane" # as Explorer starts it

fail() { echo "FAILED: $*"; exit 1; }
# Runs one job with the tool named, and checks what it did.
job() {
    rm -f "$report" "$game/Compressed"/*
    printf "== job with %s ==\n" "$1"
    status=0
    # Wine passes WINEQT_X on to the program as QT_X.
    ComSpec='C:\windows\system32\cmd.exe' WINEQT_PLUGIN_PATH="Z:$plugins" \
        WINEQT_QPA_GENERIC_PLUGINS="tolvanejobdriver:Z:$report" \
        timeout 200 xvfb-run -a -s "-screen 0 1024x768x24" wine tolvane.exe || status=$?
    wineserver -k 2>/dev/null || true # the results' folder window is still open
    cat "$report" 2>/dev/null || true
    [ "$status" -eq 0 ] || fail "tolvane.exe ended with status $status"
    grep -q '^Compiling Completed!' "$report" || fail "no success question"
    grep -qF "$1" "$report" || fail "the output does not show $1 at work"
    for map in DM-Alpha CTF-Beta; do
        [ -s "$game/Compressed/$map.unr.uz" ] || fail "no $map.unr.uz in Compressed"
        [ -s "$game/Maps/$map.unr" ] || fail "$map.unr is gone from Maps"
    done
}
job 'C:\Program Files (x86)\Unreal Tournament\System\ucc.exe'
TOLVANE_DRIVER_OWN_TOOL=1 job 'C:\My Games\Tolvane\tolvane-ucc.exe'
echo "Both jobs ran through tolvane.exe from the zip."
