#pragma once

#include <windows.h>

namespace quillomet::win32 {

// The system shapes text through data it keeps per font and shares among
// the process's threads, made on a font's first use, filled in as text is
// shaped, and dropped with its last user. Wine 8 does both without
// guarding against threads: two threads shaping a font for the first time
// at once can leave freed data in the shared list (a later lookup faults or
// loops), and two filling it in at once can free what the other uses. The
// control's fonts are shaped here first, one thread at a time, with every
// character the control shows, and their data kept while the library is
// loaded: no field, key or label of the control is ever the first to shape
// its font, or to fill in its data. Harmless where the system is safe.
void PrepareTextShaping(HFONT font) noexcept;

// Lets go of what PrepareTextShaping kept; from the library's entry point
// as it is unloaded.
void ReleaseTextShaping() noexcept;

} // namespace quillomet::win32
