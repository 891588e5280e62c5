' The control driven by a script host: every property read and written,
' the methods, and the errors a script sees. Ends with "N passed, N failed".
Option Explicit
Dim passed, failed, errorCases
passed = 0 : failed = 0 : errorCases = 0

Sub Check(what, actual, expected)
    If actual = expected Then
        passed = passed + 1
    Else
        failed = failed + 1
        WScript.Echo "FAILED: " & what & ": got " & actual & ", expected " & expected
    End If
End Sub

' The error the statement before it raised (under On Error Resume Next);
' cleared, so the next statement starts from no error.
Sub CheckError(what, number, expected)
    errorCases = errorCases + 1
    Check what, number, expected
    Err.Clear
End Sub

Dim q
Set q = CreateObject("Ordinalex.Quillomet")

' A new control's defaults.
Check "value", q.Value, 0
Check "value type", TypeName(q.Value), "Integer"
Check "Calculator", q.Calculator, True
Check "UpDownFunction", q.UpDownFunction, False
Check "UpDownIncrement", q.UpDownIncrement, 1
Check "MaxValue", q.MaxValue, 999999.99
Check "MinValue", q.MinValue, 0
Check "UseMaxMinValues", q.UseMaxMinValues, False
Check "Format", q.Format, "###,##0.00;(##,###.00)"
Check "Enabled", q.Enabled, True
Check "PositiveOnly", q.PositiveOnly, False
Check "BackColor", q.BackColor, &H80000005
Check "ForeColor", q.ForeColor, &H80000008
Check "Locked", q.Locked, False
Check "GotFocus", q.GotFocus, False
Check "SkipFocus", q.SkipFocus, False
Check "hwnd is a window", q.hwnd <> 0, True

' Every property written and read back.
q.Calculator = False : Check "Calculator written", q.Calculator, False
q.UpDownFunction = True : Check "UpDownFunction written", q.UpDownFunction, True
q.UpDownIncrement = -5 : Check "UpDownIncrement written", q.UpDownIncrement, -5
q.Format = "#,##0.000" : Check "Format written", q.Format, "#,##0.000"
q.Value = 1234.5678 : Check "value written", q.Value, 1234.567
q.VALUE = "(12)" : Check "value from a text", q.value, -12
q.MaxValue = "1,000.50" : Check "MaxValue written", q.MaxValue, 1000.5
q.MinValue = -20 : Check "MinValue written", q.MinValue, -20
q.UseMaxMinValues = True
q.Value = 5000 : Check "value clamped", q.Value, 1000.5
q.PositiveOnly = True
Check "PositiveOnly written", q.PositiveOnly, True
Check "MinValue reset by PositiveOnly", q.MinValue, 0
q.BackColor = &HFF8040 : Check "BackColor written", q.BackColor, &HFF8040
q.ForeColor = &H80000012 : Check "ForeColor written", q.ForeColor, &H80000012
q.Locked = True : Check "Locked written", q.Locked, True
q.Enabled = False : Check "Enabled written", q.Enabled, False
q.Enabled = True
q.SkipFocus = True : Check "SkipFocus written", q.SkipFocus, True
Dim handle : handle = q.hwnd
q.Refresh
q.Highlight
Check "hwnd stays the same window", q.hwnd, handle
Check "Font name", q.Font.Name <> "", True
Dim f : Set f = q.Font
f.Bold = True
Check "Font is the same object", q.Font.Bold, True
q.HideCalculator

' Errors with the numbers a script expects; nothing is stored.
Dim r : Set r = CreateObject("Ordinalex.Quillomet")
r.Value = 7
On Error Resume Next
r.Value = Null : CheckError "null value", Err.Number, 94
r.MaxValue = Null : CheckError "null MaxValue", Err.Number, 94
r.UpDownIncrement = "abc" : CheckError "text for a number", Err.Number, 13
r.UpDownIncrement = 70000 : CheckError "number too big", Err.Number, 6
r.Calculator = "maybe" : CheckError "text for a flag", Err.Number, 13
r.Value = Array(1, 2) : CheckError "array for the value", Err.Number, 13
r.Value = String(40000, "1") : CheckError "text too long", Err.Number, 6
r.Format = String(40000, "#") : CheckError "Format too long", Err.Number, 6
Set r.Font = Nothing : CheckError "no font object", Err.Number, 5
On Error GoTo 0
' Under Resume Next a failing CheckError would pass unseen: count them.
Check "every error case checked", errorCases, 9
Check "value kept", r.Value, 7
Check "Format kept", r.Format, "###,##0.00;(##,###.00)"

WScript.Echo passed & " passed, " & failed & " failed"
