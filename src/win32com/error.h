#pragma once

#include "common/described_error.h"

#include <windows.h>

namespace quillomet::com {

// Translates the exception being handled into an HRESULT and sets the
// thread's error information (source "Quillomet", a description). The one
// place where core errors become COM errors; call it only from a catch.
HRESULT ToHresult() noexcept;

// An automation error number as the HRESULT a script reports it by.
HRESULT HresultOfErrorNumber(int number) noexcept;

// Throws for a failed HRESULT from a call into the system or a host, or,
// with a description for the caller, for a call the control refuses.
class HresultError : public DescribedError {
public:
    explicit HresultError(HRESULT hr) : DescribedError("a system call failed"), m_Hr(hr) {}
    HresultError(HRESULT hr, const char* description)
        : DescribedError(description), m_Hr(hr), m_Described(true) {}
    HRESULT Hr() const noexcept { return m_Hr; }
    bool Described() const noexcept { return m_Described; }

private:
    HRESULT m_Hr;
    bool m_Described = false;
};

inline void ThrowIfFailed(HRESULT hr) {
    if (FAILED(hr))
        throw HresultError(hr);
}
// Refuses a BOOL or DWORD by type: only an HRESULT is checked this way.
template <typename T>
void ThrowIfFailed(T) = delete;

} // namespace quillomet::com
