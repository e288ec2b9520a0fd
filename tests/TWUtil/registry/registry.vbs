' The registry object as an installer script drives it: late bound, numeric
' constants, Dim'd variables passed where the object fills a VARIANT.
' WScript.Shell and reg.exe look at the registry independently.
Option Explicit
Const HKCU = 1, regNUMERIC = 0, regSTRING = 1, regVARIANT = 2, regKEYS = 0
Const K = "Software\TWTest\RegistryScript"
Dim passed, failed, reg, shell, v, names, num, s, x
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

Function ShellRead(name)
  On Error Resume Next
  ShellRead = shell.RegRead("HKCU\" & K & "\" & name)
  If Err.Number <> 0 Then ShellRead = "(absent)"
End Function

Set reg = CreateObject("TWHbrTarnwick.Registry")
Set shell = CreateObject("WScript.Shell")
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
WScript.Echo passed & " passed, " & failed & " failed"
