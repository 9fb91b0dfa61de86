#!/usr/bin/env bash
# Builds a demo game folder inside a Wine-style prefix, with no Wine needed:
#   PREFIX/dosdevices/c: -> ../drive_c, z: -> /
#   PREFIX/drive_c/UnrealTournament/{Maps,Music,Sounds,System,Textures} with sample packages
#   PREFIX/drive_c/UnrealTournament/System/ucc.exe, the stand-in tool (when given)
#   PREFIX/system.reg naming C:\UnrealTournament as the game folder
# Usage: make-demo-prefix.sh PREFIX [STAND_IN_TOOL]
set -euo pipefail
prefix="$1"
standin="${2:-}"
game="$prefix/drive_c/UnrealTournament"

mkdir -p "$prefix/dosdevices" "$game"/{Maps,Music,Sounds,System,Textures}
ln -sfn ../drive_c "$prefix/dosdevices/c:"
ln -sfn / "$prefix/dosdevices/z:"

# A sample package: the package tag, then text that compresses well, then some varied bytes.
make_package() {
    local file="$1" title="$2" lines="$3"
    {
        printf '\xc1\x83\x2a\x9e'
        for ((i = 0; i < lines; i++)); do
            printf '%s object %05d: texture=%s.Skin%d sound=%s.Ambient%d\n' "$title" "$i" "$title" $((i % 7)) "$title" $((i % 5))
        done
        head -c 2048 /dev/zero | tr '\0' '\125'
    } >"$file"
}
make_package "$game/Maps/DM-Demo.unr" DMDemo 900
make_package "$game/Maps/CTF-Demo.unr" CTFDemo 1400
for arena in Arena Bridge Canyon Depot Foundry Harbor; do
    make_package "$game/Maps/DM-$arena.unr" "DM$arena" 1500
done
make_package "$game/Music/Demo.umx" DemoMusic 400
make_package "$game/Sounds/DemoSounds.uax" DemoSounds 600
make_package "$game/Textures/DemoTextures.utx" DemoTextures 1200
# Too small to shrink: its .uz comes out larger, which Tolvane warns about.
printf 'T' >"$game/Textures/Tiny.utx"
make_package "$game/System/DemoMod.u" DemoMod 300

if [ -n "$standin" ]; then
    install -m 0755 "$standin" "$game/System/ucc.exe"
fi

cat >"$prefix/system.reg" <<'REG'
WINE REGISTRY Version 2
;; All keys relative to \\Machine

#arch=win32

[Software\\Unreal Technology\\Installed Apps\\UnrealTournament] 1700000000
#time=1d9a0b0c0d0e0f0
"Folder"="C:\\UnrealTournament"
"Version"="436"

REG
echo "Demo game folder: $game"
