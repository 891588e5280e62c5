#pragma once

#include <windows.h>

#include <unknwn.h>

// The class of the server that does nothing.
inline constexpr CLSID CLSID_NullObject = {
    0x3d2f872a, 0xd376, 0x4a7e, {0xa3, 0x86, 0x41, 0xe7, 0xe7, 0x44, 0x11, 0x13}};
