#!/bin/sh
# From a bare machine: install what is missing, build, run every test suite.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
. "$here/tools/wine/env.sh"
build=${TWUTIL_BUILD:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$TWUTIL_TOOLCHAIN" >/dev/null
cmake --build "$build" -j"$(nproc)"
# Where the tests run the 64-bit build, the 32-bit product still has to build
# warning-free.
if [ "$TWUTIL_TOOLCHAIN" != toolchain-i686-mingw.cmake ]; then
  echo "test: this host runs no 32-bit programs; testing the 64-bit build," \
    "building the 32-bit product in $build-i686" >&2
  cmake -S "$here" -B "$build-i686" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/toolchain-i686-mingw.cmake" \
    >/dev/null
  cmake --build "$build-i686" -j"$(nproc)" --target TWUtil TWRegSpy twutil
fi
cd "$build"
ctest --output-on-failure "$@"
