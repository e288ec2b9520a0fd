# Shared by the MSI round trips (sourced).

# product_wxs NAME COMPONENT_ID: a package installing the component into
# ProgramFilesFolder\NAME (INSTALLDIR).
product_wxs() {
  cat <<WXS
<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="*" Name="$1" Language="1033" Codepage="1252" Version="1.0.0"
           Manufacturer="TWUtil tests" UpgradeCode="6d1f3a52-8c47-4e0b-9a1d-2f5e7c3b8a14">
    <Package InstallerVersion="200" Compressed="yes" InstallScope="perMachine"/>
    <Media Id="1" Cabinet="product.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFilesFolder">
        <Directory Id="INSTALLDIR" Name="$1"/>
      </Directory>
    </Directory>
    <Feature Id="Main" Level="1"><ComponentRef Id="$2"/></Feature>
  </Product>
</Wix>
WXS
}

# wixl_fixups FRAGMENT_WXS MSI [COMPONENT_ID]: wixl 0.101 writes expandable
# and binary values without the "#%" and "#x" that WiX puts before them, and
# drops RegistryKey/@ForceCreateOnInstall (empty keys); both are fixed in
# later msitools. Put into the Registry table what WiX would (the empty keys
# only when the component is named).
wixl_fixups() {
  sed -n 's/.*<RegistryValue Id="\([^"]*\)".* Type="\(expandable\|binary\)" Value="\([^"]*\)".*/\1 \2 \3/p' \
    "$1" | sed 's/&lt;/</g; s/&gt;/>/g; s/&quot;/"/g; s/&amp;/\&/g' > "$2.prefixes"
  while read -r id type value; do
    case $value in *"'"*) echo "cannot quote the value of $id for msibuild" >&2; return 1 ;; esac
    if [ "$type" = expandable ]; then prefix='#%'; else prefix='#x'; fi
    msibuild "$2" -q "UPDATE \`Registry\` SET \`Value\`='$prefix$value' WHERE \`Registry\`='$id'"
  done < "$2.prefixes"
  [ $# -ge 3 ] || return 0
  n=0
  sed -n 's/.*<RegistryKey [^>]*Root="\([^"]*\)" Key="\([^"]*\)" ForceCreateOnInstall="yes".*/\1 \2/p' \
    "$1" | sed 's/&amp;/\&/g' | while read -r root key; do
    n=$((n + 1))
    case $root in HKCR) r=0 ;; HKCU) r=1 ;; HKLM) r=2 ;; *) r=3 ;; esac
    msibuild "$2" -q "INSERT INTO \`Registry\` (\`Registry\`,\`Root\`,\`Key\`,\`Name\`,\`Component_\`) VALUES ('empty$n',$r,'$key','+','$3')"
  done
}
