#!/bin/sh
# Installs every Debian package the build, the tests and the samples need.
# Idempotent: when everything is present it only asks dpkg and returns.
set -eu

packages="ca-certificates cmake make googletest mingw-w64 mingw-w64-tools
  g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-i686
  wine wine32:i386 wine64 libwine-dev procps"
# The WiX export is checked by building an MSI from it with msitools.
packages="$packages wixl msitools"
# The native fuzzers of the PE format readers (tools/fuzz): clang with libFuzzer.
packages="$packages clang libclang-rt-14-dev"

missing=""
for p in $packages; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed"; then
    missing="$missing $p"
  fi
done
[ -z "$missing" ] && exit 0

echo "setup: installing$missing" >&2
if [ "$(id -u)" -ne 0 ]; then SUDO=sudo; else SUDO=; fi
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
# The i386 security index is often unreachable; the main bookworm index is enough.
$SUDO apt-get update || echo "setup: apt-get update reported errors; continuing" >&2
# shellcheck disable=SC2086
$SUDO apt-get install -y -t bookworm --no-install-recommends $missing
