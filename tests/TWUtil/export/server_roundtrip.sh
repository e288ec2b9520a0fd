#!/bin/sh
# Real servers through both exports: what a server's own registration writes
# (regsvr32 or /regserver of a copy in the install folder) must be what
# importing the .reg export writes, and what installing the MSI that wixl
# builds from the .wxs export writes; the MSI's uninstall takes it away again.
# The capture runs on another copy in another folder, so every path in the
# exports has to be rewritten to get there. The registry is read through
# regedit /e only.
#   server_roundtrip.sh WINE_RUN BIN_DIR WORK_DIR
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
. "$(dirname "$0")/msi.sh"
drive_c=$("$wine_run" winepath -u 'C:\' </dev/null | tr -d '\r')
drive_c=${drive_c%/}

"$wine_run" regsvr32 /s "$(winpath "$bin/TWRegSpy.dll")" </dev/null

# The registry as sorted lines "key<TAB>" for each key and
# "key<TAB>value text" for each value, keys in lower case, continuation lines
# joined. The spy keeps a server in its own view; what Wine mirrors into the
# other view (Wow6432Node, where Windows shares type libraries) stays out, and
# so do Software\Microsoft and Software\Wine, which Wine's own services and
# the installer's bookkeeping change while the test runs.
snapshot() {
  : > "$1"
  for root in 'HKEY_LOCAL_MACHINE\Software' 'HKEY_CURRENT_USER\Software'; do
    rm -f part.reg
    "$wine_run" regedit /e "$(winpath "$work/part.reg")" "$root" </dev/null
    iconv -f UTF-16 -t UTF-8 part.reg | tr -d '\r' | awk '
      /^\[/ { key = tolower(substr($0, 2, length($0) - 2)); print key "\t"; next }
      /\\$/ { held = held substr($0, 1, length($0) - 1); next }
      /^[ ]/ && held != "" { sub(/^ +/, ""); $0 = held $0; held = "" }
      /^[@"]/ { print key "\t" $0 }' |
      grep -v -i -e '\\wow6432node[\\	]' -e '\\tarnwick\\regspyproxy' \
        -e '^hkey_[a-z_]*\\software\\\(microsoft\|wine\)[\\	]' >> "$1"
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

# A .reg file that takes the registry back to the baseline: new keys go
# (the outermost of them), new values in old keys go, replaced values return.
restore() {
  {
    printf 'Windows Registry Editor Version 5.00\n\n'
    cut -f1 base.txt | LC_ALL=C sort -u > base.keys
    grep '	$' "$1.added" | cut -f1 | LC_ALL=C sort -u > new.keys || true
    LC_ALL=C comm -13 base.keys new.keys | awk '
      { for (i = 1; i <= n; i++) if (index($0, kept[i] "\\") == 1) next; kept[++n] = $0; print "[-" $0 "]\n" }'
    grep -v '	$' "$1.added" | while IFS='	' read -r key value; do
      grep -qxF "$key" base.keys || continue
      printf '[%s]\n%s=-\n\n' "$key" "${value%%=*}"
    done
    # Keys it emptied and took away come back too.
    grep '	$' "$1.removed" | cut -f1 | while read -r key; do printf '[%s]\n\n' "$key"; done
    grep -v '	$' "$1.removed" | while IFS='	' read -r key value; do
      printf '[%s]\n%s\n\n' "$key" "$value"
    done
  } | iconv -f UTF-8 -t UTF-16 > restore.reg
  "$wine_run" regedit /s "$(winpath "$work/restore.reg")" </dev/null
  snapshot restored.txt
  if ! cmp -s base.txt restored.txt; then
    echo "cannot restore the registry after $1:" >&2
    diff base.txt restored.txt | head -20 >&2
    exit 1
  fi
}

same() {  # label expected actual: NAME.added and NAME.removed of each
  if cmp -s "$2.added" "$3.added" && cmp -s "$2.removed" "$3.removed"; then
    passes=$((passes + 1))
    return
  fi
  echo "FAIL $case: $1 differs from the server's own registration (< own, > $1):" >&2
  diff "$2.added" "$3.added" | head -30 >&2
  diff "$2.removed" "$3.removed" | head -30 >&2
  failures=$((failures + 1))
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

  # The capture, from the other folder, through the short 8.3 spelling too.
  "$wine_run" "$bin/twutil.exe" capture --format reg --install-dir "C:\\TWInstalled\\$case" \
    --output "$(winpath "$work/$case.reg")" "C:\\TW Capture Folder\\$case\\$name" </dev/null \
    2> "$case.reg.log" || { cat "$case.reg.log" >&2; failures=$((failures + 1)); return; }
  "$wine_run" "$bin/twutil.exe" capture --format wxs \
    --output "$(winpath "$work/$case.wxs")" "C:\\TW Capture Folder\\$case\\$name" </dev/null \
    2> "$case.wxs.log" || { cat "$case.wxs.log" >&2; failures=$((failures + 1)); return; }

  # (a) the .reg export imported with the regedit of the server's bitness.
  "$wine_run" regedit /s "$(winpath "$work/$case.reg")" </dev/null
  changes imported
  same ".reg import" own imported
  restore imported

  # (b) the MSI that wixl builds from the .wxs export.
  component=$(sed -n 's/.*<Component Id="\([^"]*\)".*/\1/p' "$case.wxs" | head -1)
  product_wxs "TW $case" "$component" > "$case.product.wxs"
  cp "$2" "$work/$name"  # wixl finds the file beside the .wxs
  wixl -o "$case.msi" "$case.product.wxs" "$case.wxs" 2> "$case.wixl.log" ||
    { cat "$case.wixl.log" >&2; failures=$((failures + 1)); return; }
  wixl_fixups "$case.wxs" "$case.msi" "$component" ||
    { failures=$((failures + 1)); return; }
  rm -f "$installed/$name"
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
    failures=$((failures + 1))
  else
    passes=$((passes + 1))
  fi
  restore uninstalled
}

run_case sample "$bin/samples/SampleServer.dll" SampleServer.dll dll
run_case sampleexe "$bin/samples/SampleServerExe.exe" SampleServerExe.exe exe
# Wine's own servers load as the copies only under other names.
for server in scrrun.dll msxml3.dll itss.dll wshom.ocx; do
  [ -f "$drive_c/windows/system32/$server" ] || continue
  run_case "wine-${server%.*}" "$drive_c/windows/system32/$server" "tw_$server" dll
done
echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
