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

' The type name of a new object of progId, or "none" when there is none.
Function Created(progId)
  On Error Resume Next
  Created = "none"
  Created = TypeName(CreateObject(progId))
  Err.Clear
End Function

Dim classes, c, shell, dll
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
  Check c(0) & " type", Created(c(0)) = c(1)
  Check c(0) & ".1 type", Created(c(0) & ".1") = c(1)
Next

' Unregistration removes every class; registration brings them back.
Set shell = CreateObject("WScript.Shell")
dll = """" & WScript.Arguments(0) & """"
Check "regsvr32 /u exit code", shell.Run("regsvr32 /s /u " & dll, 0, True) = 0
For Each c In classes
  Check c(0) & " gone after unregistration", Created(c(0)) = "none" And Created(c(0) & ".1") = "none"
Next
Check "regsvr32 exit code", shell.Run("regsvr32 /s " & dll, 0, True) = 0
For Each c In classes
  Check c(0) & " back after registration", Created(c(0)) = c(1)
Next

WScript.Echo passed & " passed, " & failed & " failed"
