#!/bin/sh
# From a bare machine: install what is missing, build, and run the main job
# on a sample the project ships.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
build=${TWUTIL_BUILD:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-i686-mingw.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)" --target TWUtil

# A prefix of its own, so the demo never disturbs a test run.
prefix=$build/demo-prefix
"$here/tools/wine/prefix.sh" create "$prefix" >/dev/null
export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' LANG=C.UTF-8
unset LC_ALL
winpath() { echo "Z:$1" | sed 's|/|\\|g'; }
wine regsvr32 /s "$(winpath "$build/bin/TWUtil.dll")"
wine cscript //nologo "$(winpath "$here/tools/demo/classes.vbs")"
"$here/tools/wine/prefix.sh" stop "$prefix"
