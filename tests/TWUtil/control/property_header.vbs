' The header control's texts set and read from a script, late bound, as an
' installer page script would do before a container shows the control.
Option Explicit
Dim passed, failed, header, other
passed = 0
failed = 0

Sub Expect(label, actual, expected)
  If TypeName(actual) = TypeName(expected) Then
    If actual = expected Then
      passed = passed + 1
      Exit Sub
    End If
  End If
  failed = failed + 1
  WScript.Echo "FAIL " & label & ": got " & TypeName(actual) & " [" & actual & "], expected " & _
               TypeName(expected) & " [" & expected & "]"
End Sub

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

WScript.Echo passed & " passed, " & failed & " failed"
