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

' --- FileExists and FileCopy
Check "exists file", file.FileExists(InWork("standard.vxd")), True
Check "exists folder", file.FileExists(work), True
Check "exists missing", file.FileExists(InWork("missing.txt")), False
Check "exists empty", file.FileExists(""), False
Check "exists Empty", file.FileExists(Empty), False
Check "copy new", file.FileCopy(InWork("plain.txt"), InWork("copy.txt"), False), 0
Check "copy onto existing", file.FileCopy(InWork("utf16.txt"), InWork("copy.txt"), False), -1
Check "copy kept old", fso.GetFile(InWork("copy.txt")).Size, 2
Check "copy overwrite", file.FileCopy(InWork("utf16.txt"), InWork("copy.txt"), True), 0
Check "copy overwritten", fso.GetFile(InWork("copy.txt")).Size, 6
Check "copy missing", file.FileCopy(InWork("missing.txt"), InWork("copy2.txt"), True), -1

' --- FileType and IsFileUnicode
Check "type dll", file.FileType(InWork("lib.dll")), eftDLL
Check "type exe", file.FileType(InWork("app.exe")), eftEXE
Check "type library itself", file.FileType(fso.BuildPath(bin, "TWUtil.dll")), eftDLL
Check "type icon", file.FileType(InWork("icon.ico")), eftICO
Check "type cursor", file.FileType(InWork("cursor.cur")), eftUnknown
Check "type NE", file.FileType(InWork("old.exe")), eftUnknown
Check "type VxD", file.FileType(InWork("standard.vxd")), eftUnknown
Check "type missing", file.FileType(InWork("missing.dll")), eftUnknown
Check "type Empty", file.FileType(Empty), eftUnknown
Check "unicode LE", file.IsFileUnicode(InWork("utf16.txt")), True
Check "unicode BE", file.IsFileUnicode(InWork("utf16be.txt")), False
Check "unicode plain", file.IsFileUnicode(InWork("plain.txt")), False
Check "unicode missing", file.IsFileUnicode(InWork("missing.txt")), False

' --- Code pages
Check "cp supported", file.IsCPSupported("1252"), True
Check "cp installed", file.IsCPInstalled("1252"), True
Check "cp leading blank", file.IsCPSupported(" 1252"), False
Check "cp leading zero", file.IsCPInstalled("01252"), False
Check "cp number", file.IsCPSupported(1252), True

' --- VxD version: the VARIANT out-values by reference into Dim'd variables. The
' long and BSTR out-values take expressions of their own type (a variable there
' is a type mismatch, and a small literal is too narrow for the version).
Dim size, ok, lang, cp
size = file.GetVxdVersionInfoSize(InWork("standard.vxd"))
Check "vxd size", size, 172
ok = file.GetVxdVersionInfo(InWork("standard.vxd"), size, CLng(0), CLng(0), "", lang, cp)
Check "vxd read", ok, True
Check "vxd languages", UBound(lang), 0
Check "vxd language", lang(0), 1033
Check "vxd code page", cp(0), 1252
ok = file.GetVxdVersionInfo(InWork("twolang.vxd"), 4096, CLng(0), CLng(0), "", lang, cp)
Check "vxd two read", ok, True
Check "vxd two count", UBound(lang) & "/" & UBound(cp), "1/1"
Check "vxd two languages", lang(0) & "," & lang(1), "1033,1041"
Check "vxd two code pages", cp(0) & "," & cp(1), "1252,932"
ok = file.GetVxdVersionInfo(InWork("standard.vxd"), size - 1, CLng(0), CLng(0), "", lang, cp)
Check "vxd buffer too small", ok, False
Dim untouched
untouched = "kept"
ok = file.GetVxdVersionInfo(InWork("notrans.vxd"), 4096, CLng(0), CLng(0), "", untouched, cp)
Check "vxd no translation", ok, False
Check "vxd no translation keeps variable", untouched, "kept"
Check "vxd no resource", file.GetVxdVersionInfoSize(InWork("noresource.vxd")), 0
Check "vxd resource past end", file.GetVxdVersionInfoSize(InWork("pastend.vxd")), 0
Check "vxd header past end", file.GetVxdVersionInfoSize(InWork("badheader.vxd")), 0
Check "vxd of a PE", file.GetVxdVersionInfoSize(InWork("lib.dll")), 0
Check "vxd missing", file.GetVxdVersionInfoSize(InWork("missing.vxd")), 0
Check "vxd missing read", file.GetVxdVersionInfo(InWork("missing.vxd"), 4096, CLng(0), CLng(0), "", lang, cp), _
      False
Check "vxd zero length", file.GetVxdVersionInfo(InWork("standard.vxd"), 0, CLng(0), CLng(0), "", lang, cp), _
      False
Check "vxd negative length", _
      file.GetVxdVersionInfo(InWork("standard.vxd"), -1, CLng(0), CLng(0), "", lang, cp), False

' --- Short names
Check "short name", file.GetShortLongFilename("A Long Script Name.txt", "1033", ""), 0
Check "short name bad folder", _
      file.GetShortLongFilename("no such folder\Long Name.txt", "1033", ""), -1

' --- The product log
Dim logged
shell.RegWrite ProductValue, work, "REG_SZ"
' A missing setting would put up a box that nobody closes here.
If shell.RegRead(ProductValue) = work Then
  file.LogError "Object required", "page.htm", "12"
  file.LogMessage "hello", "ignored.txt"
  file.LogError "ends" & vbLf, "", "-3"
  logged = fso.OpenTextFile(InWork("twide.log")).ReadAll()
  Check "log lines", logged, "page.htm 12: Object required" & vbCrLf & " 0: hello" & vbCrLf & _
                             " -3: ends" & vbCrLf
Else
  Check "log setting written", shell.RegRead(ProductValue), work
End If
' The script host here has no RegDelete.
Check "log setting removed", shell.Run("reg delete ""HKLM\Software\Tarnwick\Harbor\3.5"" " & _
                                       "/v ""Install Location"" /f", 0, True), 0

' --- The demo closes itself at once
Check "demo", file.ShowDemo(bin, "/seconds:0 Script Project.twp"), True

fso.DeleteFolder work, True
WScript.Echo passed & " passed, " & failed & " failed"
