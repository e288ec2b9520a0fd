' What an authoring tool's script sees of TWUtil: every class created by its
' ProgID, and a few calls made late-bound.
Option Explicit

Dim progIds, p, o
progIds = Array("TWHbrTarnwick.Utility", "TWHbrTarnwick.Guid", "TWHbrTarnwick.Registry", _
  "TWHbrTarnwick.File", "TWHbrTarnwick.ResourceCopier", "TWHbrTarnwick.ServerInfo", _
  "TWHbrUtil.PropertyHeader", "TWHbrTarnwick.Encryptor", "TWHbrTarnwick.SignCode", _
  "TWHbrTarnwick.StampVersion")
For Each p In progIds
  Set o = CreateObject(p)
  WScript.Echo "created " & p & " (" & TypeName(o) & ")"
Next

Dim guid, registry, file, value, result
Set guid = CreateObject("TWHbrTarnwick.Guid")
WScript.Echo "new GUID: " & guid.CreateGuid()

Set registry = CreateObject("TWHbrTarnwick.Registry")
result = registry.RegAddValue(1, "Software\Tarnwick\Demo", "Greeting", 1, "hello from TWUtil")
result = registry.RegReadValue(1, "Software\Tarnwick\Demo", "Greeting", 1, value)
WScript.Echo "registry round trip: " & value & " (result " & result & ")"

Set file = CreateObject("TWHbrTarnwick.File")
WScript.Echo "C:\windows\notepad.exe exists: " & file.FileExists("C:\windows\notepad.exe")
