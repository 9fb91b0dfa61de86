#!/usr/bin/env bash
# Builds a demo game folder inside a Wine-style prefix, with no Wine needed:
#   PREFIX/dosdevices/c: -> ../drive_c, z: -> /
#   PREFIX/drive_c/UnrealTournament/{Maps,Music,Sounds,System,Textures} with sample packages
#   PREFIX/drive_c/UnrealTournament/System/ucc.exe, the stand-in tool (when given)
#   PREFIX/system.reg naming C:\UnrealTournament as the game folder
# Usage: make-demo-prefix.sh PREFIX [STAND_IN_TOOL]
#
# Or a game folder as OldUnreal's native Linux build installs it, with no Wine at all: the same
# packages, and the stand-in as the native tool of this machine (System64/ucc-bin-amd64 on x86_64)
# Usage: make-demo-prefix.sh --native GAME_FOLDER STAND_IN_TOOL
set -euo pipefail
native=""
if [ "${1:-}" = "--native" ]; then
    native=1
    shift
fi
prefix="$1"
standin="${2:-}"
game="$prefix/drive_c/UnrealTournament"
[ -z "$native" ] || game="$prefix"

mkdir -p "$game"/{Maps,Music,Sounds,System,Textures}
if [ -z "$native" ]; then
    mkdir -p "$prefix/dosdevices"
    ln -sfn ../drive_c "$prefix/dosdevices/c:"
    ln -sfn / "$prefix/dosdevices/z:"
fi

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

if [ -n "$native" ]; then
    case "$(uname -m)" in
        aarch64) tool="SystemARM64/ucc-bin-arm64" ;;
        i?86) tool="System/ucc-bin-x86" ;;
        *) tool="System64/ucc-bin-amd64" ;;
    esac
    mkdir -p "$game/$(dirname "$tool")"
    install -m 0755 "$standin" "$game/$tool"
    echo "Demo game folder (native install): $game"
    exit 0
fi
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
