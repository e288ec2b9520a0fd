# Sourced by every script that runs Windows programs: the one Wine
# environment of the project. Sets TWUTIL_WINE to the loader to run them with
# and TWUTIL_TOOLCHAIN to the toolchain whose programs this host can run.
export WINEDEBUG="${WINEDEBUG:--all}"
# Wine spells Unix file names in the locale's charset: UTF-8 whatever the
# caller's environment says, so every name a test makes can exist.
export LANG=C.UTF-8
unset LC_ALL
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
# The product is 32-bit. A host whose kernel runs no 32-bit programs has no
# 32-bit Wine loader: there the same sources are built and tested for 64 bits.
if /usr/lib/wine/wine --version >/dev/null 2>&1; then
  TWUTIL_WINE=wine
  TWUTIL_TOOLCHAIN=toolchain-i686-mingw.cmake
else
  TWUTIL_WINE=/usr/lib/wine/wine64
  TWUTIL_TOOLCHAIN=toolchain-x86_64-mingw.cmake
fi
export TWUTIL_WINE TWUTIL_TOOLCHAIN

# A Unix path as Windows programs under Wine name it (the Z: drive).
winpath() { printf 'Z:%s\n' "$1" | tr / '\\'; }
