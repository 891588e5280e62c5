#pragma once

// Bitmaps the control draws with.
#define IDB_TOOLBOX 30000
#define IDB_CALCULATOR 101
