// The control driven from JScript: default member, conversions and error
// numbers as a JScript host sees them. Ends with "N passed, N failed".
var passed = 0, failed = 0;

function check(what, actual, expected) {
    if (actual === expected) {
        passed++;
    } else {
        failed++;
        WScript.Echo("FAILED: " + what + ": got " + actual + ", expected " + expected);
    }
}

// The error of a failing call as JScript numbers it, 0 when it succeeds.
function errorOf(action) {
    try {
        action();
        return 0;
    } catch (e) {
        return e.number;
    }
}
// The control's own errors carry their automation number in the control
// facility; a value the dispatch layer cannot convert is DISP_E_TYPEMISMATCH.
function controlError(number) { return -2146828288 + number; }
var DISP_E_TYPEMISMATCH = -2147352571;

var q = new ActiveXObject("Ordinalex.Quillomet");
check("new value", q.value, 0);
q.value = -1234.5;
check("value", q.value, -1234.5);
q.Format = "0.0";
check("a narrow picture keeps the integer digits", q.value, -1234.5);
q.value = "1.5e+3";
check("exponent text", q.value, 1500);
check("10^15", errorOf(function () { q.value = 1e15; }), controlError(6));
check("value kept after 10^15", q.value, 1500);
q.Format = "#,##0";
q.value = "  42 kg ";
check("value from a text", q.value, 42);
q.MaxValue = 10;
q.MinValue = 20;
check("crossing MinValue reset", q.MinValue, 0);
check("null value", errorOf(function () { q.value = null; }), controlError(94));
check("value kept", q.value, 42);
check("text for a number", errorOf(function () { q.UpDownIncrement = "x"; }), DISP_E_TYPEMISMATCH);
check("huge text", errorOf(function () { q.value = new Array(40001).join("1"); }), controlError(6));
check("system colour", (q.ForeColor = 0x80000012, q.ForeColor >>> 0), 0x80000012);

WScript.Echo(passed + " passed, " + failed + " failed");
