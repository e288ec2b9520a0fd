#!/bin/sh
# The WiX export through wixl and Wine's msiexec: install the stress fragment,
# compare what it wrote with expected.reg (imported beside it by regedit, and
# both read back through regedit), uninstall, and check the values are gone.
#   wix_roundtrip.sh WINE_RUN MAKE_WIX_STRESS_EXE WORK_DIR
set -eu
. "$(dirname "$0")/../../../tools/wine/env.sh"
. "$(dirname "$0")/msi.sh"
wine_run=$1
generator=$2
work=$3
base='HKEY_CURRENT_USER\Software\TWExportTest'

rm -rf "$work"
mkdir -p "$work"
cd "$work"
native="$(winpath "$work")\\"

"$wine_run" "$generator" "$native" </dev/null

product_wxs TWExportTest cmp_Export_Stress_Server.dll > product.wxs
# wixl warns that RegistryKey has no ForceCreateOnInstall; that is known.
wixl -o stress.msi product.wxs stress.wxs 2>wixl.log || { cat wixl.log >&2; exit 1; }

wixl_fixups stress.wxs stress.msi

"$wine_run" regedit /s "${native}expected.reg" </dev/null
"$wine_run" msiexec /i "${native}stress.msi" /qn </dev/null

# regedit /e writes UTF-16; compare as UTF-8 with the two key names made one.
# A key that is gone exports nothing.
export_key() {
  rm -f "$1.reg"
  "$wine_run" regedit /e "$native$1.reg" "$base\\$2" </dev/null || true
  [ -f "$1.reg" ] || return 0
  iconv -f UTF-16 -t UTF-8 "$1.reg" | tr -d '\r' | sed 's/\\TWExportTest\\Expected/\\TWExportTest\\Msi/'
}
export_key expected Expected > expected.txt
export_key installed Msi > installed.txt
diff expected.txt installed.txt || { echo "FAIL: the install differs from expected.reg" >&2; exit 1; }
values=$(grep -c '^[@"]' installed.txt || true)
[ "$values" -gt 20 ] || { echo "FAIL: only $values values installed" >&2; exit 1; }

"$wine_run" msiexec /x "${native}stress.msi" /qn </dev/null
export_key removed Msi > removed.txt
if grep '^[@"]' removed.txt; then
  echo "FAIL: values left after uninstall" >&2
  exit 1
fi
"$wine_run" reg delete "$base" /f </dev/null >/dev/null 2>&1 || true
echo "PASS: $values values installed and removed"
