' SearchReplace as an installer script drives it: late bound, files made and
' read back through Scripting.FileSystemObject.
Option Explicit
Const INVALID_ARGUMENT = 5  ' how VBScript reports E_INVALIDARG
Dim passed, failed, fso, sr, dir, source
passed = 0
failed = 0

Sub Expect(label, actual, expected)
  If CStr(actual) = CStr(expected) Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAIL " & label & ": got [" & actual & "], expected [" & expected & "]"
  End If
End Sub

Function Contents(name)
  Contents = "(missing)"
  If fso.FileExists(dir & name) Then
    Contents = ""
    If fso.GetFile(dir & name).Size > 0 Then Contents = fso.OpenTextFile(dir & name).ReadAll
  End If
End Function

Function Outcome(source, dest, search, replacement)
  On Error Resume Next
  sr.SearchAndReplace source, dest, search, replacement
  Outcome = Err.Number
End Function

Set fso = CreateObject("Scripting.FileSystemObject")
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
WScript.Echo passed & " passed, " & failed & " failed"
