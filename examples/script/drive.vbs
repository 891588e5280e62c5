' Drives the Quillomet control from a script host, with no form around it:
'   regsvr32 x86\Quillomet.ocx      (once, as an administrator)
'   cscript //nologo drive.vbs
' The 32-bit script host needs the 32-bit control (on 64-bit Windows,
' %SystemRoot%\SysWOW64\cscript.exe); x64\Quillomet.ocx serves the 64-bit one.
' Prints what it does and ends with "examples/script: N checks passed, M failed".
Option Explicit

Dim passed, failed
passed = 0 : failed = 0

Sub Check(what, actual, expected)
    If actual = expected Then
        passed = passed + 1
        WScript.Echo "  ok     " & what & ": " & actual
    Else
        failed = failed + 1
        WScript.Echo "  FAILED " & what & ": got " & actual & ", expected " & expected
    End If
End Sub

Sub Finish()
    WScript.Echo "examples/script: " & passed & " checks passed, " & failed & " failed"
    WScript.Quit failed
End Sub

' A script host that cannot create the object stops without a word unless
' the error is caught, so creation is checked here.
Dim q
WScript.Echo "- CreateObject(""Ordinalex.Quillomet"")"
On Error Resume Next
Set q = CreateObject("Ordinalex.Quillomet")
Dim created : created = Err.Number
On Error GoTo 0
Check "created (error number)", created, 0
If created <> 0 Then
    WScript.Echo "  the control is not registered: regsvr32 x86\Quillomet.ocx"
    Finish
End If

WScript.Echo "- a new control"
Check "Format", q.Format, "###,##0.00;(##,###.00)"
Check "value of an empty field", q.Value, 0

WScript.Echo "- Format decides the number the field holds"
q.Format = "#,##0.00"
q.Value = 1234.5
Check "value = 1234.5 under #,##0.00", q.Value, 1234.5
' Digits that find no place in the picture are dropped, not rounded.
q.Format = "#,##0.0"
q.Value = 2.75
Check "value = 2.75 under #,##0.0", q.Value, 2.7
' The value is read from the field's text, so a text in the display form
' is taken too; the default picture shows negatives in parentheses.
q.Format = "###,##0.00;(##,###.00)"
q.Value = "(1,250.00)"
Check "value = ""(1,250.00)""", q.Value, -1250

WScript.Echo "- a range: MinValue, MaxValue and UseMaxMinValues"
q.MinValue = 10
q.MaxValue = 100
q.UseMaxMinValues = True
q.Value = 250
Check "value = 250 kept to MaxValue", q.Value, 100
q.Value = 5
Check "value = 5 kept to MinValue", q.Value, 10
q.Value = 42
Check "value = 42 inside the range", q.Value, 42
q.UseMaxMinValues = False
q.Value = 250
Check "value = 250 with the range off", q.Value, 250

WScript.Echo "- PositiveOnly"
q.Value = -7
Check "value = -7", q.Value, -7
q.PositiveOnly = True
Check "switching PositiveOnly on sets a negative value to", q.Value, 0

' Under On Error Resume Next the script goes on after an error, and Err
' tells what it was. A property that refuses a value keeps the one it had.
Dim errorsSeen : errorsSeen = 0
Sub ShowError(what, expected)
    errorsSeen = errorsSeen + 1
    Check what & " raises error", Err.Number, expected
    WScript.Echo "         (" & Err.Description & ")"
    Err.Clear
End Sub

WScript.Echo "- errors a script sees"
q.Value = 31
q.UpDownIncrement = 5
On Error Resume Next
q.Value = Null
ShowError "value = Null", 94
q.UpDownIncrement = 70000
ShowError "UpDownIncrement = 70000 (above 32767)", 6
q.Calculator = "sometimes"
ShowError "Calculator = ""sometimes""", 13
On Error GoTo 0
' Had a check itself failed under Resume Next, it would have been skipped.
Check "errors checked", errorsSeen, 3
Check "value after the refused writes", q.Value, 31
Check "UpDownIncrement after the refused write", q.UpDownIncrement, 5

Finish
