#pragma once

#include <unknwn.h>

// What a test asks of a control about its own cost: not part of the type
// library and of no use to hosts.
MIDL_INTERFACE("8c0330ae-885c-41d9-b746-9970cbf017e8")
IQuillometDiagnostics : public IUnknown {
public:
    // The GDI objects all controls of the process hold now.
    virtual HRESULT STDMETHODCALLTYPE LiveGdiObjects(LONG * count) = 0;
};
__CRT_UUID_DECL(IQuillometDiagnostics, 0x8c0330ae, 0x885c, 0x41d9, 0xb7, 0x46, 0x99, 0x70, 0xcb,
                0xf0, 0x17, 0xe8)
