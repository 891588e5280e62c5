#pragma once

namespace quillomet {

// What an exception means when there is nobody to return it to: a window
// procedure's message, a calculator step that must not stop the ones after
// it. Call it from inside a catch; it reports the exception being handled,
// with `where` it was dropped, and never throws.
void ReportDroppedError(const char* where) noexcept;

// Where the reports go: the standard error stream unless the platform names
// its own (the Windows backend: the debugger's output).
void SetDroppedErrorOutput(void (*output)(const char* text)) noexcept;

} // namespace quillomet
