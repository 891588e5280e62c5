#include "backend/win32/host_entry.h"

#include "backend/win32/floating_point.h"
#include "common/dropped_error.h"
#include "win32com/com_ptr.h"
#include "win32com/error.h"

namespace quillomet::win32 {
namespace {

void WriteToDebugger(const char* text) {
    OutputDebugStringA(text);
}

// Set when the library loads: reports go where a developer of a host sees
// them, in the debugger.
const bool g_ReportsToDebugger = (SetDroppedErrorOutput(WriteToDebugger), true);

} // namespace

HRESULT EnterFromHost(IUnknown* object, FunctionRef<HRESULT()> work) noexcept try {
    const StandardFloatingPoint standardFloatingPoint;
    const com::com_ptr<IUnknown> keepAlive(object);
    return work();
} catch (...) {
    return com::ToHresult();
}

LRESULT EnterFromWindow(const char* where, FunctionRef<LRESULT()> work, LRESULT failed) noexcept {
    try {
        const StandardFloatingPoint standardFloatingPoint;
        return work();
    } catch (...) {
        ReportDroppedError(where);
        return failed;
    }
}

} // namespace quillomet::win32
