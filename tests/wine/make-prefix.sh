#!/bin/sh
# Makes the Wine prefix that the jobs under Wine share: wineboot's own, the game folder recorded
# in the registry as the game's 32-bit installer records it, and the stand-in as the game's
# ucc.exe.   Usage: make-prefix.sh PREFIX UCC_EXE
set -eu
prefix=$1
export WINEPREFIX="$prefix"
rm -rf "$prefix"
wineboot -i
wine reg add 'HKLM\SOFTWARE\Unreal Technology\Installed Apps\UnrealTournament' /v Folder \
    /t REG_SZ /d 'C:\Program Files (x86)\Unreal Tournament' /f /reg:32
# The server writes the registry out to system.reg, where Tolvane reads it on Linux, as it ends.
wineserver -w
game="$prefix/drive_c/Program Files (x86)/Unreal Tournament"
mkdir -p "$game/System" "$game/Maps" "$game/Compressed" "$game/Decompressed"
cp "$2" "$game/System/ucc.exe"
