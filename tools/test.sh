#!/bin/sh
# From a bare machine: install what is missing, build, run every test suite.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
build=${TWUTIL_BUILD:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-i686-mingw.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure "$@"
