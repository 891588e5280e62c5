#pragma once

#include "common/function_ref.h"

#include <windows.h>

namespace quillomet::win32 {

// Every call into the control from outside, a host's COM call or a
// window's message, runs its work through one of these two, so the rules
// for entries are kept in one place: the standard floating-point
// environment for the control's own work (the caller's comes back on
// return), the object kept alive for the whole call (a host may release its
// last reference from a handler the call raises), and no exception out.

// A COM method of `object`: what `work` returns, or the HRESULT of the
// exception that ended it, with its description as the thread's error
// information.
HRESULT EnterFromHost(IUnknown* object, FunctionRef<HRESULT()> work) noexcept;

// A window procedure's message, kept alive by the caller: what `work`
// returns, or `failed` when an exception ended it, which is reported as
// dropped: Windows offers no caller to return it to.
LRESULT EnterFromWindow(const char* where, FunctionRef<LRESULT()> work,
                        LRESULT failed = 0) noexcept;

} // namespace quillomet::win32
