' The File class driven late-bound, as an authoring tool's script drives it.
' Fixtures come from make_file_fixtures.exe beside the library. The last
' line says how it went: "N passed, M failed".
Option Explicit

Const FileClsid = "{87DDD8C6-0C96-476D-A103-C8C92C540D92}"
Const ProductValue = "HKLM\Software\Tarnwick\Harbor\3.5\Install Location"
Const eftEXE = 0, eftDLL = 1, eftICO = 2, eftUnknown = 100

Dim passed, failed
passed = 0
failed = 0

Sub Check(name, actual, expected)
  If VarType(actual) = VarType(expected) Or IsNumeric(actual) And IsNumeric(expected) Then
    If actual = expected Then
      passed = passed + 1
      Exit Sub
    End If
  End If
  failed = failed + 1
  WScript.Echo "FAIL " & name & ": got [" & actual & "] (" & TypeName(actual) & "), expected [" & _
               expected & "] (" & TypeName(expected) & ")"
End Sub

Dim shell, fso, file, bin, work
Set shell = CreateObject("WScript.Shell")
Set fso = CreateObject("Scripting.FileSystemObject")
Set file = CreateObject("TWHbrTarnwick.File")
bin = fso.GetParentFolderName(shell.RegRead("HKCR\CLSID\" & FileClsid & "\InprocServer32\"))
work = fso.BuildPath(fso.GetSpecialFolder(2), "twfile_" & fso.GetBaseName(fso.GetTempName()))
fso.CreateFolder work
Check "fixtures made", shell.Run("""" & fso.BuildPath(bin, "make_file_fixtures.exe") & """ """ & _
                                 work & """", 0, True), 0

Function InWork(name)
  InWork = fso.BuildPath(work, name)
End Function

Check "exists", file.FileExists(InWork("standard.vxd")), True
Check "copy overwrite", file.FileCopy(InWork("utf16.txt"), InWork("copy.txt"), True), 0
Check "copy overwritten", fso.GetFile(InWork("copy.txt")).Size, 6
Check "type dll", file.FileType(InWork("lib.dll")), eftDLL
Check "unicode LE", file.IsFileUnicode(InWork("utf16.txt")), True
Check "cp installed", file.IsCPInstalled("1252"), True
Check "cp number", file.IsCPSupported(1252), True

' VxD version: the VARIANT out-values by reference into Dim'd variables. The
' long and BSTR out-values take expressions of their own type (a variable there
' is a type mismatch, and a small literal is too narrow for the version).
Dim size, ok, lang, cp, untouched
size = file.GetVxdVersionInfoSize(InWork("standard.vxd"))
Check "vxd size", size, 172
ok = file.GetVxdVersionInfo(InWork("twolang.vxd"), 4096, CLng(0), CLng(0), "", lang, cp)
Check "vxd two read", ok, True
Check "vxd two languages", lang(0) & "," & lang(1) & "/" & UBound(lang), "1033,1041/1"
Check "vxd two code pages", cp(0) & "," & cp(1) & "/" & UBound(cp), "1252,932/1"
untouched = "kept"
ok = file.GetVxdVersionInfo(InWork("notrans.vxd"), 4096, CLng(0), CLng(0), "", untouched, cp)
Check "vxd no translation", ok & untouched, "Falsekept"

Check "short name", file.GetShortLongFilename("A Long Script Name.txt", "1033", ""), 0

' The product log; a missing setting would put up a box that nobody closes here.
shell.RegWrite ProductValue, work, "REG_SZ"
If shell.RegRead(ProductValue) = work Then
  file.LogError "Object required", "page.htm", "12"
  file.LogMessage "hello", "ignored.txt"
  Check "log lines", fso.OpenTextFile(InWork("twide.log")).ReadAll(), _
        "page.htm 12: Object required" & vbCrLf & " 0: hello" & vbCrLf
End If
' The script host here has no RegDelete.
Check "log setting removed", shell.Run("reg delete ""HKLM\Software\Tarnwick\Harbor\3.5"" " & _
                                       "/v ""Install Location"" /f", 0, True), 0

' The demo closes itself at once.
Check "demo", file.ShowDemo(bin, "/seconds:0 Script Project.twp"), True

fso.DeleteFolder work, True
WScript.Echo passed & " passed, " & failed & " failed"
