#include "win32com/error.h"

#include "common/automation_error.h"
#include "win32com/com_ptr.h"
#include "win32com/text_conversion.h"

#include <oleauto.h>

#include <new>
#include <string>

namespace quillomet::com {
namespace {

constexpr wchar_t Source[] = L"Quillomet";

void SetErrorInfo(const std::wstring& description) noexcept {
    com_ptr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(create.put())))
        return;
    create->SetSource(const_cast<LPOLESTR>(Source));
    create->SetDescription(const_cast<LPOLESTR>(description.c_str()));
    if (auto info = create.try_as<IErrorInfo>())
        ::SetErrorInfo(0, info.get());
}

} // namespace

HRESULT HresultOfErrorNumber(int number) noexcept {
    // The control facility carries the number itself, as scripts show it.
    return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
}

HRESULT ToHresult() noexcept {
    try {
        throw;
    } catch (const AutomationError& error) {
        SetErrorInfo(Utf8ToWide(error.what()));
        return HresultOfErrorNumber(static_cast<int>(error.Number()));
    } catch (const HresultError& error) {
        if (error.Described())
            SetErrorInfo(Utf8ToWide(error.what()));
        return error.Hr();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (const std::exception& error) {
        SetErrorInfo(Utf8ToWide(error.what()));
        return E_FAIL;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

} // namespace quillomet::com
