#!/bin/sh
# The exports against the truth, the registry read through regedit /e only.
# servers: what a real server's own registration writes (regsvr32 or
# /regserver of a copy in the install folder) must be what importing the .reg
# export writes, and what installing the MSI that wixl builds from the .wxs
# export writes; the MSI's uninstall takes it away again. The capture runs on
# another copy in another folder, so every path in the exports has to be
# rewritten to get there. stress: the same MSI round trip for the stress
# entries of export_tests, against their .reg export.
#   server_roundtrip.sh WINE_RUN BIN_DIR WORK_DIR servers|stress
set -eu
wine_run=$1
bin=$2
work=$3
failures=0
passes=0

rm -rf "$work"
mkdir -p "$work"
cd "$work"
. "$(dirname "$0")/../../../tools/wine/env.sh"
drive_c=$("$wine_run" winepath -u 'C:\' </dev/null | tr -d '\r')
drive_c=${drive_c%/}

# wixl_fixups FRAGMENT_WXS MSI COMPONENT_ID: wixl 0.101 writes expandable
# and binary values without the "#%" and "#x" that WiX puts before them, and
# drops RegistryKey/@ForceCreateOnInstall (empty keys); both are fixed in
# later msitools. Put into the Registry table what WiX would.
wixl_fixups() {
  sed -n 's/.*<RegistryValue Id="\([^"]*\)".* Type="\(expandable\|binary\)" Value="\([^"]*\)".*/\1 \2 \3/p' \
    "$1" | sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&amp;/\&/g' > "$2.prefixes"
  while read -r id type value; do
    case $value in *"'"*) echo "cannot quote the value of $id for msibuild" >&2; return 1 ;; esac
    if [ "$type" = expandable ]; then prefix='#%'; else prefix='#x'; fi
    msibuild "$2" -q "UPDATE \`Registry\` SET \`Value\`='$prefix$value' WHERE \`Registry\`='$id'"
  done < "$2.prefixes"
  n=0
  sed -n 's/.*<RegistryKey [^>]*Root="\([^"]*\)" Key="\([^"]*\)" ForceCreateOnInstall="yes".*/\1 \2/p' \
    "$1" | sed 's/&amp;/\&/g' | while read -r root key; do
    n=$((n + 1))
    case $root in HKCR) r=0 ;; HKCU) r=1 ;; HKLM) r=2 ;; *) r=3 ;; esac
    msibuild "$2" -q "INSERT INTO \`Registry\` (\`Registry\`,\`Root\`,\`Key\`,\`Name\`,\`Component_\`) VALUES ('empty$n',$r,'$key','+','$3')"
  done
}

# The registry as sorted lines "key<TAB>" for each key and
# "key<TAB>value text" for each value, keys in lower case, continuation lines
# joined. The spy keeps a server in its own view; what Wine mirrors into the
# other view (Wow6432Node, where Windows shares type libraries) stays out, and
# so do Software\Microsoft and Software\Wine, which Wine's own services and
# the installer's bookkeeping change while the test runs.
snapshot() {
  : > "$1"
  for root in $roots; do
    rm -f part.reg
    "$wine_run" regedit /e "$(winpath "$work/part.reg")" "$root" </dev/null
    iconv -f UTF-16 -t UTF-8 part.reg | tr -d '\r' | awk '
      /^\[/ { key = tolower(substr($0, 2, length($0) - 2)); print key "\t"; next }
      /\\$/ { held = held substr($0, 1, length($0) - 1); next }
      /^[ ]/ && held != "" { sub(/^ +/, ""); $0 = held $0; held = "" }
      /^[@"]/ { print key "\t" $0 }' |
      grep -v -i -e '\\wow6432node[\\	]' -e '\\tarnwick\\regspyproxy' \
        -e '^hkey_[a-z_]*\\software\\\(microsoft\|wine\)[\\	]' >> "$1" || true
  done
  LC_ALL=C sort -o "$1" "$1"
}

# changes NAME [FILTER]: the snapshot NAME.txt, and what changed against the
# baseline: NAME.added (keys and values that are new or changed) and
# NAME.removed (values replaced), each through FILTER.
changes() {
  snapshot "$1.txt"
  LC_ALL=C comm -13 base.txt "$1.txt" | ${2:-cat} > "$1.added"
  LC_ALL=C comm -23 base.txt "$1.txt" | ${2:-cat} > "$1.removed"
}

# A .reg file that takes the registry back to the baseline: new keys go,
# new values in old keys go, replaced values and emptied keys return.
restore() {
  LC_ALL=C awk -F '\t' 'BEGIN { print "Windows Registry Editor Version 5.00\n" }
    FILENAME == "base.txt" { old[$1] = 1; next }
    FILENAME ~ /added$/ && !($1 in old) {
      for (key in gone) if (index($1, key "\\") == 1) next
      if ($2 == "") { gone[$1] = 1; print "[-" $1 "]\n" }
      next
    }
    FILENAME ~ /added$/ { print "[" $1 "]\n" substr($2, 1, index($2, "=") - 1) "=-\n"; next }
    { print "[" $1 "]"; if ($2 != "") print substr($0, length($1) + 2); print "" }' \
    base.txt "$1.added" "$1.removed" | iconv -f UTF-8 -t UTF-16 > restore.reg
  "$wine_run" regedit /s "$(winpath "$work/restore.reg")" </dev/null
  snapshot restored.txt
  if ! cmp -s base.txt restored.txt; then
    echo "cannot restore the registry after $1:" >&2
    diff base.txt restored.txt | head -20 >&2
    exit 1
  fi
}

failed() {  # [LOG]: counts a failure, showing LOG
  [ $# -eq 0 ] || cat "$1" >&2
  failures=$((failures + 1))
}

same() {  # label expected actual: NAME.added and NAME.removed of each
  if cmp -s "$2.added" "$3.added" && cmp -s "$2.removed" "$3.removed"; then
    passes=$((passes + 1))
    return
  fi
  echo "FAIL $case: $1 differs from the truth (< own, > $1):" >&2
  diff "$2.added" "$3.added" | head -30 >&2
  diff "$2.removed" "$3.removed" | head -30 >&2
  failed
}

# MSI bookkeeping is not the server's.
without_installer() {
  grep -v -i -e '\\installer[\\	]' -e '\\uninstall[\\	]' -e '\\shareddlls	' || true
}

run_case() {  # case source_file name dll|exe
  case=$1
  name=$3
  built="$drive_c/TW Capture Folder/$case"
  installed="$drive_c/TWInstalled/$case"
  mkdir -p "$built" "$installed"
  cp "$2" "$built/$name"
  cp "$2" "$installed/$name"
  snapshot base.txt

  # The truth: the server registers itself where it will be installed.
  if [ "$4" = exe ]; then
    "$wine_run" "C:\\TWInstalled\\$case\\$name" /regserver </dev/null
  else
    "$wine_run" regsvr32 /s "C:\\TWInstalled\\$case\\$name" </dev/null
  fi
  changes own
  restore own

  # The capture, from the other folder, through the short 8.3 spelling too
  # (the .wxs names INSTALLDIR itself).
  for format in reg wxs; do
    "$wine_run" "$bin/twutil.exe" capture --format $format --install-dir "C:\\TWInstalled\\$case" \
      --output "$(winpath "$work/$case.$format")" "C:\\TW Capture Folder\\$case\\$name" \
      </dev/null 2> "$case.$format.log" || { failed "$case.$format.log"; return; }
  done

  # (a) the .reg export imported with the regedit of the server's bitness.
  "$wine_run" regedit /s "$(winpath "$work/$case.reg")" </dev/null
  changes imported
  same ".reg import" own imported
  restore imported

  # (b) the MSI that wixl builds from the .wxs export.
  cp "$2" "$work/$name"  # wixl finds the file beside the .wxs
  rm -f "$installed/$name"
  msi_case "$case.wxs"
}

# msi_case WXS: the MSI that wixl builds from WXS installs into
# C:\TWInstalled\CASE what own.added holds; its uninstall takes it away again.
msi_case() {
  component=$(sed -n 's/.*<Component Id="\([^"]*\)".*/\1/p' "$1" | head -1)
  # A package installing the component into ProgramFilesFolder\TW CASE (INSTALLDIR).
  cat > "$case.product.wxs" <<WXS
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="TW $case" Language="1033" Codepage="1252" Version="1.0.0"
           Manufacturer="TWUtil tests" UpgradeCode="6d1f3a52-8c47-4e0b-9a1d-2f5e7c3b8a14">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="product.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="TW $case"/>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="$component"/></Feature>
  </Product>
</Wix>
WXS
  wixl -o "$case.msi" "$case.product.wxs" "$1" 2> "$case.wixl.log" ||
    { failed "$case.wixl.log"; return; }
  wixl_fixups "$1" "$case.msi" "$component" || { failed; return; }
  "$wine_run" msiexec /i "$(winpath "$work/$case.msi")" /qn "INSTALLDIR=C:\\TWInstalled\\$case\\" \
    </dev/null
  changes installed without_installer
  # An MSI folder property ends with a backslash: a value that names the
  # folder itself gets one (the export says so in its notes).
  folder=$(printf 'C:\\\\\\\\TWInstalled\\\\\\\\%s' "$case")
  sed "s/=\"$folder\"\$/=\"$folder\\\\\\\\\"/" own.added | LC_ALL=C sort > own.msi.added
  cp own.removed own.msi.removed
  same "MSI install" own.msi installed
  "$wine_run" msiexec /x "$(winpath "$work/$case.msi")" /qn </dev/null
  changes uninstalled
  # Every value the install wrote is gone again.
  if grep -v '	$' own.added | LC_ALL=C comm -12 - uninstalled.txt | grep . >&2; then
    echo "FAIL $case: values left after msiexec /x" >&2
    failed
  else
    passes=$((passes + 1))
  fi
  restore uninstalled
}

# The stress entries' .reg export, imported, is the truth for their MSI.
stress_case() {
  case=stress
  roots='HKEY_CURRENT_USER\Software'
  TW_STRESS_DIR="$(winpath "$work")\\" TW_STRESS_INSTALL_DIR='C:\TWInstalled\stress\' \
    "$wine_run" "$bin/export_tests.exe" --gtest_filter=WixFragmentTest.RoundTripInput </dev/null
  snapshot base.txt
  "$wine_run" regedit /s "$(winpath "$work/expected.reg")" </dev/null
  changes own
  restore own
  values=$(grep -c -v '	$' own.added || true)
  [ "$values" -gt 20 ] || { echo "FAIL stress: only $values values in the .reg export" >&2; failed; }
  msi_case stress.wxs
}

roots='HKEY_LOCAL_MACHINE\Software HKEY_CURRENT_USER\Software'
if [ "$4" = stress ]; then
  stress_case
else
  "$wine_run" regsvr32 /s "$(winpath "$bin/TWRegSpy.dll")" </dev/null
  run_case sample "$bin/samples/SampleServer.dll" SampleServer.dll dll
  run_case sampleexe "$bin/samples/SampleServerExe.exe" SampleServerExe.exe exe
  # Wine's own servers load as the copies only under other names.
  for server in scrrun.dll msxml3.dll itss.dll wshom.ocx; do
    [ -f "$drive_c/windows/system32/$server" ] || continue
    run_case "wine-${server%.*}" "$drive_c/windows/system32/$server" "tw_$server" dll
  done
fi
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
