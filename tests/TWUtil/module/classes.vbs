' Every class of the library, created late-bound by ProgID as an authoring
' tool's script does; then unregistered and registered again with regsvr32.
Option Explicit

Dim passed, failed
passed = 0
failed = 0

Sub Check(name, ok)
  If ok Then
    passed = passed + 1
  Else
    failed = failed + 1
    WScript.Echo "FAILED: " & name
  End If
End Sub

Function TryCreate(progId)
  Dim o
  On Error Resume Next
  Set o = CreateObject(progId)
  TryCreate = (Err.Number = 0)
  Err.Clear
End Function

Dim classes
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

Dim c, o
For Each c In classes
  Set o = CreateObject(c(0))
  Check c(0) & " type", TypeName(o) = c(1)
  Set o = CreateObject(c(0) & ".1")
  Check c(0) & ".1 type", TypeName(o) = c(1)
  Set o = Nothing
Next

' ServerInfo's dispatch is an inert registry: calls fail instead of pretending.
Dim info, failedCall
Set info = CreateObject("TWHbrTarnwick.ServerInfo")
On Error Resume Next
info.RegDeleteValue 0, "Software", "x"
failedCall = (Err.Number <> 0)
Err.Clear
On Error GoTo 0
Check "inert registry call fails", failedCall

' Unregistration removes every class; registration brings them back.
Dim shell, dll, rc
Set shell = CreateObject("WScript.Shell")
dll = WScript.Arguments(0)
rc = shell.Run("regsvr32 /s /u """ & dll & """", 0, True)
Check "regsvr32 /u exit code", rc = 0
For Each c In classes
  Check c(0) & " gone after unregistration", Not TryCreate(c(0))
  Check c(0) & ".1 gone after unregistration", Not TryCreate(c(0) & ".1")
Next
rc = shell.Run("regsvr32 /s """ & dll & """", 0, True)
Check "regsvr32 exit code", rc = 0
For Each c In classes
  Check c(0) & " back after registration", TryCreate(c(0))
Next

WScript.Echo passed & " passed, " & failed & " failed"
