' Every class of the library as an installer or authoring tool's script
' drives it: late bound, numeric constants, Dim'd variables passed where the
' object fills a VARIANT. WScript.Shell, Scripting.FileSystemObject and
' reg.exe look at the results independently. The one argument is the
' library's path; the last line says how it went: "N passed, M failed".
Option Explicit
Dim passed, failed, shell, fso, bin
passed = 0
failed = 0

' Literals are Integers and results Longs: both count as whole numbers.
Function Kind(value)
  Kind = TypeName(value)
  If Kind = "Integer" Then Kind = "Long"
End Function

Sub Expect(label, actual, expected)
  If Kind(actual) = Kind(expected) Then
    If actual = expected Then
      passed = passed + 1
      Exit Sub
    End If
  End If
  failed = failed + 1
  WScript.Echo "FAIL " & label & ": got " & TypeName(actual) & " [" & actual & "], expected " & _
               TypeName(expected) & " [" & expected & "]"
End Sub

Set shell = CreateObject("WScript.Shell")
Set fso = CreateObject("Scripting.FileSystemObject")
bin = fso.GetParentFolderName(WScript.Arguments(0))

' --- Registry ---------------------------------------------------------------
Const HKCU = 1, regNUMERIC = 0, regSTRING = 1, regVARIANT = 2, regKEYS = 0
Const K = "Software\TWTest\RegistryScript"
Dim reg, v, names, num, s, x

Function ShellRead(name)
  On Error Resume Next
  ShellRead = shell.RegRead("HKCU\" & K & "\" & name)
  If Err.Number <> 0 Then ShellRead = "(absent)"
End Function

Set reg = CreateObject("TWHbrTarnwick.Registry")
shell.Run "reg delete HKCU\" & K & " /f", 0, True

Expect "number from text", reg.RegAddValue(HKCU, K, "text", regNUMERIC, "  -12abc"), 0
Expect "number from text stored", ShellRead("text"), -12
v = CInt(-1)
Expect "Integer variable by reference", reg.RegAddValue(HKCU, K, "int", regNUMERIC, v), 0
Expect "a Double is refused", reg.RegAddValue(HKCU, K & "\Double", "d", regNUMERIC, 1.5), -1

shell.Run "reg add HKCU\" & K & " /v bin /t REG_BINARY /d 01ab00ff /f", 0, True
Expect "numeric read", reg.RegReadValue(HKCU, K, "int", regNUMERIC, num), 0
Expect "fills the variable", num, -1
s = 17
Expect "string read of nothing", reg.RegReadValue(HKCU, K, "missing", regSTRING, s), -1
Expect "still fills the empty string", s, ""
Expect "variant read of binary", reg.RegReadValue(HKCU, K, "bin", regVARIANT, x), 0
Expect "as lowercase hex", x, "01ab00ff"
' The type code goes to a long*, which a script variable cannot fill.
Expect "type of a value", reg.RegReadType(HKCU, K, "bin", 0), 0
Expect "list subkeys", reg.RegQueryKey(HKCU, K, regKEYS, names), 0
Expect "as an array of one", IsArray(names) & UBound(names) & names(0), "True0Double"
Expect "delete", reg.RegDeleteValue(HKCU, K, "bin"), 0
Expect "deleted", ShellRead("bin"), "(absent)"
Expect "soft delete changes nothing", reg.RegSoftDeleteRegValue(HKCU, K, "int") & ShellRead("int"), "0-1"
shell.Run "reg delete HKCU\" & K & " /f", 0, True

' --- File (fixtures from make_file_fixtures.exe beside the library) ----------
Const ProductValue = "HKLM\Software\Tarnwick\Harbor\3.5\Install Location"
Const eftDLL = 1
Dim file, work, size, ok, lang, cp, untouched

Function InWork(name)
  InWork = fso.BuildPath(work, name)
End Function

Set file = CreateObject("TWHbrTarnwick.File")
work = fso.BuildPath(fso.GetSpecialFolder(2), "twfile_" & fso.GetBaseName(fso.GetTempName()))
fso.CreateFolder work
Expect "fixtures made", shell.Run("""" & fso.BuildPath(bin, "make_file_fixtures.exe") & """ """ & _
                                  work & """", 0, True), 0

Expect "exists", file.FileExists(InWork("standard.vxd")), True
Expect "copy overwrite", file.FileCopy(InWork("utf16.txt"), InWork("copy.txt"), True), 0
Expect "copy overwritten", fso.GetFile(InWork("copy.txt")).Size, 6
Expect "type dll", file.FileType(InWork("lib.dll")), eftDLL
Expect "unicode LE", file.IsFileUnicode(InWork("utf16.txt")), True
Expect "cp installed", file.IsCPInstalled("1252"), True
Expect "cp number", file.IsCPSupported(1252), True

' VxD version: the VARIANT out-values by reference into Dim'd variables. The
' long and BSTR out-values take expressions of their own type (a variable there
' is a type mismatch, and a small literal is too narrow for the version).
size = file.GetVxdVersionInfoSize(InWork("standard.vxd"))
Expect "vxd size", size, 172
ok = file.GetVxdVersionInfo(InWork("twolang.vxd"), 4096, CLng(0), CLng(0), "", lang, cp)
Expect "vxd two read", ok, True
Expect "vxd two languages", lang(0) & "," & lang(1) & "/" & UBound(lang), "1033,1041/1"
Expect "vxd two code pages", cp(0) & "," & cp(1) & "/" & UBound(cp), "1252,932/1"
untouched = "kept"
ok = file.GetVxdVersionInfo(InWork("notrans.vxd"), 4096, CLng(0), CLng(0), "", untouched, cp)
Expect "vxd no translation", ok & untouched, "Falsekept"

Expect "short name", file.GetShortLongFilename("A Long Script Name.txt", "1033", ""), 0

' The product log; a missing setting would put up a box that nobody closes here.
shell.RegWrite ProductValue, work, "REG_SZ"
If shell.RegRead(ProductValue) = work Then
  file.LogError "Object required", "page.htm", "12"
  file.LogMessage "hello", "ignored.txt"
  Expect "log lines", fso.OpenTextFile(InWork("twide.log")).ReadAll(), _
         "page.htm 12: Object required" & vbCrLf & " 0: hello" & vbCrLf
End If
' The script host here has no RegDelete.
Expect "log setting removed", shell.Run("reg delete ""HKLM\Software\Tarnwick\Harbor\3.5"" " & _
                                        "/v ""Install Location"" /f", 0, True), 0

' The demo closes itself at once.
Expect "demo", file.ShowDemo(bin, "/seconds:0 Script Project.twp"), True
fso.DeleteFolder work, True

' --- SearchReplace ------------------------------------------------------------
Const INVALID_ARGUMENT = 5  ' how VBScript reports E_INVALIDARG
Dim sr, dir, source

' A missing or empty file stops the script here: no "passed" line.
Function Contents(name)
  Contents = fso.OpenTextFile(dir & name).ReadAll
End Function

Function Outcome(source, dest, search, replacement)
  On Error Resume Next
  sr.SearchAndReplace source, dest, search, replacement
  Outcome = Err.Number
End Function

Set sr = CreateObject("TWHbrTarnwick.Utility")
dir = fso.BuildPath(fso.GetSpecialFolder(2), "twsr_script")
If fso.FolderExists(dir) Then fso.DeleteFolder dir, True
fso.CreateFolder dir
dir = dir & "\"
source = dir & "src.txt"
fso.CreateTextFile(source, True).Write "Setup.ini setup.ini setup.ini"

Expect "replace", Outcome(source, dir & "dst.txt", "setup", "install"), 0
Expect "every exact occurrence", Contents("dst.txt"), "Setup.ini install.ini install.ini"
Expect "missing folder", Outcome(dir & "nowhere\src.txt", dir & "new.txt", "a", "b"), INVALID_ARGUMENT

sr.DefaultPath = dir & "anything.txt"
Expect "a file path leaves its folder", sr.DefaultPath, dir
Expect "bare names", Outcome("src.txt", "bare.txt", "ini", "inf"), 0
Expect "go below the default path", Contents("bare.txt"), "Setup.inf setup.inf setup.inf"
fso.DeleteFolder Left(dir, Len(dir) - 1), True

' --- PropertyHeader: texts set before a container shows the control ----------
Dim header, other
Set header = CreateObject("TWHbrUtil.PropertyHeader")
Expect "name before any is set", header.PropertyName, ""
header.PropertyName = "Form1"
header.PropertyClass = 42
Expect "name", header.PropertyName, "Form1"
Expect "number turned into text", header.PropertyClass, "42"
header.PropertyName = Empty
Expect "empty name", header.PropertyName, ""
Set other = CreateObject("TWHbrUtil.PropertyHeader.1")
Expect "each control has its own texts", other.PropertyClass, ""

' --- Every class by ProgID ---------------------------------------------------
Dim classes, c
' ProgID prefix, interface that the default dispatch names
classes = Array( _
  Array("TWHbrTarnwick.Utility", "ISearchReplace"), _
  Array("TWHbrTarnwick.Guid", "IGuid"), _
  Array("TWHbrTarnwick.Registry", "IRegistry"), _
  Array("TWHbrTarnwick.File", "IFileSys"), _
  Array("TWHbrTarnwick.ResourceCopier", "ITWXferIconResource"), _
  Array("TWHbrTarnwick.ServerInfo", "IRegistry"), _
  Array("TWHbrUtil.PropertyHeader", "IPropertyHeader"), _
  Array("TWHbrTarnwick.Encryptor", "IEncryptor"), _
  Array("TWHbrTarnwick.SignCode", "ISignCode"), _
  Array("TWHbrTarnwick.StampVersion", "IStampVersion"))

For Each c In classes
  Expect c(0) & " type", TypeName(CreateObject(c(0))), c(1)
  Expect c(0) & ".1 type", TypeName(CreateObject(c(0) & ".1")), c(1)
Next

WScript.Echo passed & " passed, " & failed & " failed"
