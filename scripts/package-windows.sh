#!/usr/bin/env bash
# Builds Tolvane for 64-bit Windows and writes dist/tolvane-windows-x86_64.zip: one folder
# Tolvane/ with tolvane.exe, its helper programs and everything they need beside them.
#
#   package-windows.sh            build (Qt too, the first time) and write the zip
#   package-windows.sh --tests    also build the tests run under Wine (ctest -L windows in
#                                 build-windows-gui; scripts/test.sh runs them)
#   package-windows.sh --qt-only  only make sure the Windows Qt is built
#
# Debian ships no Qt for MinGW, so the first run cross-builds Debian's own Qt source with the
# host tools Debian ships (about 20 minutes on two cores) into
# ${XDG_CACHE_HOME:-~/.cache}/tolvane/qt-<version>-mingw64, and later runs reuse it. A failed
# step stops the script with its name; the next run does that step again, and a Qt that was
# not completely built and installed is never used.
set -Eeuo pipefail # -E: the ERR trap below names the step also when a function fails
here="$(cd "$(dirname "$0")/.." && pwd)"
jobs="${TOLVANE_JOBS:-2}"

step="start"
trap '[ "$BASH_SUBSHELL" -gt 0 ] || echo "package-windows.sh: step \"$step\" failed" >&2' ERR

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

# --- The Windows Qt ------------------------------------------------------------------------

step="installing the build tools"
"$here/scripts/setup-debian.sh" --tests

# Qt's tools (moc, uic, rcc) run here, so they come from Debian's own package; the Windows
# libraries must be built from the very same version.
debian_version="$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
qt_version="${debian_version%%+*}"
qt_version="${qt_version%%-*}"

qt_options=(
    -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
    -DFEATURE_sql=OFF -DFEATURE_network=OFF -DFEATURE_dbus=OFF -DFEATURE_printsupport=OFF
    -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
    # Debian's source leaves out the tablet headers (wintab.h).
    -DFEATURE_tabletevent=OFF
    # The Windows platform plugin of Qt 6.4 does not compile without OpenGL; dynamic picks the
    # driver's or the software one at run time.
    -DFEATURE_opengl=ON -DFEATURE_opengl_dynamic=ON
    # Windows has none of these, so they go into Qt's own DLLs.
    -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_harfbuzz=OFF
    -DFEATURE_system_freetype=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
)
cache="${XDG_CACHE_HOME:-$HOME/.cache}/tolvane"
qt="$cache/qt-$qt_version-mingw64"
work="$qt.work" # source and build tree, kept after a failure so that the next run goes on
stamp_text="Qt $debian_version for x86_64-w64-mingw32
toolchain: $(md5sum <"$here/cmake/mingw-w64.cmake" | cut -d' ' -f1)
compiler: $(x86_64-w64-mingw32-g++-posix -dumpfullversion)
options: ${qt_options[*]}"

# Runs a long command with its output in a log, and shows the end of the log if it fails.
logged() {
    local log="$work/$1.log"; shift
    if ! "$@" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "(whole output: $log)" >&2
        return 1
    fi
}

# Adds deb-src entries for the distribution's archive, copied from its deb entries, when there
# are none yet: apt-get source needs them.
enable_deb_src() {
    local codename list=/etc/apt/sources.list lists=/etc/apt/sources.list.d
    if grep -qsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*\bdeb-src\b)' "$list" "$lists"/*.list "$lists"/*.sources; then
        return 0
    fi
    codename="$(. /etc/os-release && echo "$VERSION_CODENAME")"
    local f stanzas="" lines=""
    for f in "$lists"/*.sources; do
        [ -e "$f" ] || continue
        stanzas+="$(awk -v suite="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
            $0 ~ ("(^|\n)Suites:[^\n]*[: \t]" suite "([- \t\n]|$)") && !/(^|\n)Enabled: *no/ {
                sub(/(^|\n)Types:[^\n]*/, "\nTypes: deb-src"); sub(/^\n/, ""); print }' "$f")"$'\n\n'
    done
    for f in "$list" "$lists"/*.list; do
        [ -e "$f" ] || continue
        lines+="$(awk -v suite="$codename" '$1 == "deb" && index($0, " " suite) {
            $1 = "deb-src"; print }' "$f")"$'\n'
    done
    [ -n "${stanzas//[[:space:]]/}" ] && printf '%s' "$stanzas" | $SUDO tee "$lists/tolvane-deb-src.sources" >/dev/null
    [ -n "${lines//[[:space:]]/}" ] && printf '%s' "$lines" | $SUDO tee "$lists/tolvane-deb-src.list" >/dev/null
    if [ -z "${stanzas//[[:space:]]/}${lines//[[:space:]]/}" ]; then
        echo "No package source for $codename found to add a deb-src entry from." >&2
        return 1
    fi
    $SUDO apt-get update -qq
}

build_qt() {
    mkdir -p "$work"
    if [ ! -e "$work/fetched" ]; then
        step="fetching Debian's Qt source (qt6-base $debian_version)"
        echo "== $step =="
        enable_deb_src
        rm -rf "$work/src" && mkdir -p "$work/src"
        (cd "$work/src" && logged fetch apt-get source -qq "qt6-base=$debian_version")
        touch "$work/fetched"
    fi
    local source
    source="$(find "$work/src" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*' | head -n 1)"

    if [ "$(cat "$work/configured" 2>/dev/null)" != "$stamp_text" ]; then
        step="configuring Qt for Windows"
        echo "== $step =="
        rm -rf "$work/build" "$work/configured"
        logged configure cmake -S "$source" -B "$work/build" -G Ninja \
            -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
            -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
            -DCMAKE_INSTALL_PREFIX="$qt" "${qt_options[@]}"
        printf '%s' "$stamp_text" >"$work/configured"
    fi

    step="building Qt for Windows (log: $work/build.log)"
    echo "== $step =="
    local started=$SECONDS
    logged build cmake --build "$work/build" -j "$jobs"
    echo "Qt built in $(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s"

    # Installed into a staging folder and renamed into place, so that the cache never holds
    # half a Qt; the stamp, written last, says which Qt it is.
    step="installing Qt into $qt"
    echo "== $step =="
    rm -rf "$work/stage" "$qt"
    DESTDIR="$work/stage" logged install cmake --install "$work/build"
    mv "$work/stage$qt" "$qt"
    printf '%s' "$stamp_text" >"$qt/tolvane-stamp"
    rm -rf "$work"
}

mkdir -p "$cache"
exec 9>"$cache/qt-mingw64.lock"
flock 9 # one Qt build at a time, even when two builds start together
if [ "$(cat "$qt/tolvane-stamp" 2>/dev/null)" = "$stamp_text" ]; then
    echo "== Windows Qt: $qt =="
else
    build_qt
fi
flock -u 9
[ "${1:-}" = "--qt-only" ] && exit 0

# --- Tolvane for Windows -------------------------------------------------------------------

build="$here/build-windows-gui"
options=()
[ "${1:-}" = "--tests" ] && options+=(-DTOLVANE_BUILD_WINDOWS_TESTS=ON)
step="configuring Tolvane for Windows"
echo "== $step =="
# Qt's toolchain file finds the Windows Qt and then loads the project's own one.
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVANE_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$qt/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DQT_CHAINLOAD_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
    -DTOLVANE_BUILD_TESTS=OFF -DTOLVANE_BUILD_BENCH=OFF "${options[@]}" >/dev/null

step="building Tolvane for Windows"
echo "== $step =="
cmake --build "$build" -j "$jobs"

step="putting the Tolvane folder together"
echo "== $step =="
stage="$build/package"
folder="$stage/Tolvane"
rm -rf "$stage"
# Every program the project installs (the window, its helpers, tools added later) ...
cmake --install "$build" --prefix "$stage/install" >/dev/null
mv "$stage/install/bin" "$folder"
# ... but the stand-in for the game's tool, which is for the demo and the tests.
rm -f "$folder/ucc-standin.exe"
# Qt finds its plugins in these folders beside the program.
cp "$qt"/bin/Qt6{Core,Gui,Widgets}.dll "$folder/"
mkdir -p "$folder/platforms" "$folder/styles"
cp "$qt/plugins/platforms/qwindows.dll" "$folder/platforms/"
cp "$qt"/plugins/styles/*.dll "$folder/styles/"
# Qt's DLLs need the compiler's runtime; the programs carry their own.
for dll in libstdc++-6.dll libgcc_s_seh-1.dll libwinpthread-1.dll; do
    cp "$(x86_64-w64-mingw32-g++-posix -print-file-name="$dll")" "$folder/"
done

# Without their symbols: the whole folder shrinks from 65 to 28 MB.
x86_64-w64-mingw32-strip --strip-unneeded "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll

# Every DLL that a program or DLL of the folder loads must be in the folder or be part of
# Windows (as Wine has it, or an API set that Windows maps onto its own DLLs); otherwise the
# player's Windows would refuse to start it.
step="checking that the Tolvane folder holds every DLL it needs"
windows_dlls="$(ls /usr/lib/x86_64-linux-gnu/wine/x86_64-windows/ | tr '[:upper:]' '[:lower:]')"
missing=""
for file in "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll; do
    for dll in $(x86_64-w64-mingw32-objdump -p "$file" | sed -n 's/^\tDLL Name: //p'); do
        lower="$(echo "$dll" | tr '[:upper:]' '[:lower:]')"
        [ -e "$folder/$dll" ] || grep -qxF "$lower" <<<"$windows_dlls" ||
            [[ "$lower" == api-ms-win-* || "$lower" == ext-ms-win-* ]] ||
            missing+="  ${file#"$folder"/} needs $dll"$'\n'
    done
done
if [ -n "$missing" ]; then
    printf 'Not in the Tolvane folder:\n%s' "$missing" >&2
    false
fi

step="writing the zip"
echo "== $step =="
zip="$here/dist/tolvane-windows-x86_64.zip"
mkdir -p "$here/dist"
rm -f "$zip.part"
(cd "$stage" && zip -q -r -X "$zip.part" Tolvane)
mv "$zip.part" "$zip"
echo "Tolvane for Windows: $zip"
