#pragma once

// The bitmap a designer shows for the control in its toolbox.
#define IDB_TOOLBOX 30000
