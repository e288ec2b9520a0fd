#!/bin/sh
# The WiX export through wixl and Wine's msiexec: install the stress fragment,
# compare what it wrote with expected.reg (imported beside it by regedit, and
# both read back through regedit), uninstall, and check the values are gone.
#   wix_roundtrip.sh WINE_RUN MAKE_WIX_STRESS_EXE WORK_DIR
set -eu
. "$(dirname "$0")/../../../tools/wine/env.sh"
wine_run=$1
generator=$2
work=$3
base='HKEY_CURRENT_USER\Software\TWExportTest'

rm -rf "$work"
mkdir -p "$work"
cd "$work"
native="$(winpath "$work")\\"

"$wine_run" "$generator" "$native" </dev/null

cat > product.wxs <<'WXS'
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="TWExportTest" Language="1033" Codepage="1252" Version="1.0.0"
           Manufacturer="TWUtil tests" UpgradeCode="6d1f3a52-8c47-4e0b-9a1d-2f5e7c3b8a14">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="stress.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="TWExportTest"/>
      </Directory>
    </Directory>
    <Feature Id="Stress" Level="1">
      <ComponentRef Id="cmp_Export_Stress_Server.dll"/>
    </Feature>
  </Product>
</Wix>
WXS
# wixl warns that RegistryKey has no ForceCreateOnInstall; that is known.
wixl -o stress.msi product.wxs stress.wxs 2>wixl.log || { cat wixl.log >&2; exit 1; }

# wixl 0.101 writes expandable and binary values without the "#%" and "#x"
# that WiX puts before them (fixed in later msitools): put them in the table.
sed -n 's/.*<RegistryValue Id="\([^"]*\)".* Type="\(expandable\|binary\)" Value="\([^"]*\)".*/\1 \2 \3/p' \
  stress.wxs | sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&amp;/\&/g' > prefixes.txt
while read -r id type value; do
  case $value in *"'"*) echo "cannot quote the value of $id for msibuild" >&2; exit 1 ;; esac
  if [ "$type" = expandable ]; then prefix='#%'; else prefix='#x'; fi
  msibuild stress.msi -q "UPDATE \`Registry\` SET \`Value\`='$prefix$value' WHERE \`Registry\`='$id'"
done < prefixes.txt

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
if ! diff expected.txt installed.txt; then
  echo "FAIL: the install wrote other values than expected.reg" >&2
  exit 1
fi
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
