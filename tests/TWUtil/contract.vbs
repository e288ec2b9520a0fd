' Every class of the library as an installer or authoring tool's script
' drives it: late bound, numeric constants, Dim'd variables passed where the
' object fills a VARIANT. What each call does is the early-bound suites'
' business; here the calls must get through and fill what a script holds. The
' one argument is the library's path; the last line says how it went:
' "N passed, M failed".
Option Explicit
Dim passed, failed, shell, fso, bin
passed = 0
failed = 0

' Literals are Integers and results Longs: both count as whole numbers.
Sub Expect(label, actual, expected)
  If Replace(TypeName(actual), "Integer", "Long") = Replace(TypeName(expected), "Integer", "Long") Then
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
Dim reg, v, names, num, s

Set reg = CreateObject("TWHbrTarnwick.Registry")
shell.Run "reg delete HKCU\" & K & " /f", 0, True

Expect "number from text", reg.RegAddValue(HKCU, K, "text", regNUMERIC, "  -12abc"), 0
v = CInt(-1)
Expect "Integer variable by reference", reg.RegAddValue(HKCU, K, "int", regNUMERIC, v), 0
Expect "a Double is refused", reg.RegAddValue(HKCU, K & "\Double", "d", regNUMERIC, 1.5), -1
Expect "numeric read", reg.RegReadValue(HKCU, K, "int", regNUMERIC, num), 0
Expect "fills the variable", num, -1
s = 17
Expect "string read of nothing", reg.RegReadValue(HKCU, K, "missing", regSTRING, s), -1
Expect "still fills the empty string", s, ""
Expect "variant read", reg.RegReadValue(HKCU, K, "text", regVARIANT, num), 0
' The type code goes to a long*, which a script variable cannot fill.
Expect "type of a value", reg.RegReadType(HKCU, K, "int", 0), 0
Expect "list subkeys", reg.RegQueryKey(HKCU, K, regKEYS, names), 0
Expect "as an array of one", IsArray(names) & UBound(names) & names(0), "True0Double"
Expect "soft delete", reg.RegSoftDeleteRegValue(HKCU, K, "int"), 0
Expect "delete", reg.RegDeleteValue(HKCU, K, "int"), 0
shell.Run "reg delete HKCU\" & K & " /f", 0, True

' --- File (fixtures from make_file_fixtures.exe beside the library) ----------
Dim file, work, ok, lang, cp, untouched

Function InWork(name)
  InWork = fso.BuildPath(work, name)
End Function

Set file = CreateObject("TWHbrTarnwick.File")
work = fso.BuildPath(fso.GetSpecialFolder(2), "twfile_" & fso.GetBaseName(fso.GetTempName()))
fso.CreateFolder work
Expect "fixtures made", shell.Run("""" & fso.BuildPath(bin, "make_file_fixtures.exe") & """ """ & _
                                  work & """", 0, True), 0

Expect "copy overwrite", file.FileCopy(InWork("utf16.txt"), InWork("copy.txt"), True), 0
Expect "cp installed", file.IsCPInstalled("1252"), True

' VxD version: the VARIANT out-values by reference into Dim'd variables. The
' long and BSTR out-values take expressions of their own type (a variable there
' is a type mismatch, and a small literal is too narrow for the version).
Expect "vxd size", file.GetVxdVersionInfoSize(InWork("standard.vxd")), 172
ok = file.GetVxdVersionInfo(InWork("twolang.vxd"), 4096, CLng(0), CLng(0), "", lang, cp)
Expect "vxd two read", ok, True
Expect "vxd two languages", lang(0) & "," & lang(1) & "/" & UBound(lang), "1033,1041/1"
Expect "vxd two code pages", cp(0) & "," & cp(1) & "/" & UBound(cp), "1252,932/1"
untouched = "kept"
ok = file.GetVxdVersionInfo(InWork("notrans.vxd"), 4096, CLng(0), CLng(0), "", untouched, cp)
Expect "vxd no translation", ok & untouched, "Falsekept"

' --- SearchReplace ------------------------------------------------------------
Const INVALID_ARGUMENT = 5  ' how VBScript reports E_INVALIDARG
Dim sr

Function Outcome(source, dest, search, replacement)
  On Error Resume Next
  sr.SearchAndReplace source, dest, search, replacement
  Outcome = Err.Number
End Function

Set sr = CreateObject("TWHbrTarnwick.Utility")
Expect "replace", Outcome(InWork("utf16.txt"), InWork("dst.txt"), "a", "b"), 0
Expect "missing folder", Outcome(InWork("nowhere\src.txt"), InWork("new.txt"), "a", "b"), INVALID_ARGUMENT
sr.DefaultPath = InWork("anything.txt")
Expect "a file path leaves its folder", sr.DefaultPath, work & "\"
fso.DeleteFolder work, True

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
