#!/bin/sh
# From a bare machine: install what is missing, build, and run the main job —
# a registration capture of the sample COM server the project ships. The
# captured model is printed as JSON; progress goes to stderr.
set -eu
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/tools/setup.sh"
. "$here/tools/wine/env.sh"
build=${TWUTIL_BUILD:-$here/build}
cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/$TWUTIL_TOOLCHAIN" >/dev/null
cmake --build "$build" -j"$(nproc)" --target TWUtil TWRegSpy twutil SampleServer >/dev/null

# A prefix of its own, so the demo never disturbs a test run.
export WINEPREFIX="$build/demo-prefix" TWUTIL_BUILD="$build"
"$here/tools/wine/prefix.sh" create "$WINEPREFIX" >/dev/null
status=0
"$here/tools/twutil/twutil" capture "$build/bin/samples/SampleServer.dll" || status=$?
"$here/tools/wine/prefix.sh" stop "$WINEPREFIX"
exit $status
