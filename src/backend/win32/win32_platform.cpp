#include "backend/win32/win32_platform.h"

#include "backend/win32/on_demand_imports.h"
#include "backend/win32/variant_conversion.h"
#include "common/automation_error.h"
#include "win32com/com_ptr.h"
#include "win32com/dispatch_arguments.h"
#include "win32com/error.h"
#include "win32com/registry_key.h"
#include "win32com/text_conversion.h"

#include <shellapi.h>

#include <vector>

namespace quillomet::win32 {
namespace {

// An automation object driven by dispatch identifier.
class ComDispatchObject final : public DispatchTarget {
public:
    explicit ComDispatchObject(com::com_ptr<IDispatch> object) : m_Object(std::move(object)) {}

    Variant Get(std::int32_t dispid) override {
        DISPPARAMS none{};
        com::unique_variant result;
        com::ThrowIfFailed(m_Object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT,
                                            DISPATCH_PROPERTYGET, &none, result.put(), nullptr,
                                            nullptr));
        return FromVariant(*result);
    }
    void Put(std::int32_t dispid, const Variant& value) override {
        PutProperty(m_Object.get(), dispid, value);
    }
    void Call(std::int32_t dispid, std::span<const Variant> arguments) override {
        com::DispatchArguments converted(arguments.size());
        for (std::size_t i = 0; i < arguments.size(); ++i)
            ToVariant(arguments[i], converted.At(i));
        DISPPARAMS params = converted.Params();
        com::ThrowIfFailed(m_Object->Invoke(dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                            &params, nullptr, nullptr, nullptr));
    }

private:
    com::com_ptr<IDispatch> m_Object;
};

} // namespace

// The key's path and the value in the system's ANSI code page, as the
// about dialog names and reads them.
RegistryQuery Win32Platform::QueryValue(std::uint32_t root, std::string_view key,
                                        std::string_view valueName, std::size_t capacity) {
    RegistryQuery query;
    // The predefined keys are 32-bit values sign-extended on 64-bit systems
    // (HKEY_LOCAL_MACHINE is 0xFFFFFFFF80000002 there).
    const HKEY hive = reinterpret_cast<HKEY>(static_cast<LONG_PTR>(static_cast<LONG>(root)));
    const com::RegistryKey opened = com::RegistryKey::OpenForReading(hive, std::string(key));
    if (!opened)
        return query;
    query.opened = true;
    std::vector<std::uint8_t> buffer(capacity, 0);
    DWORD size = static_cast<DWORD>(capacity);
    DWORD type = 0;
    const std::string name(valueName);
    if (RegQueryValueExA(opened.get(), name.c_str(), nullptr, &type, buffer.data(), &size) ==
        ERROR_SUCCESS) {
        query.read = true;
        query.type = type;
        buffer.resize(size);
        query.data = std::move(buffer);
    }
    return query;
}

bool Win32Platform::FileExists(std::string_view path) {
    const DWORD attributes = GetFileAttributesW(Utf8ToWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A normal, focused window; the dialog does not wait for it.
void Win32Platform::StartProcess(std::string_view path) {
    std::wstring commandLine = L"\"" + Utf8ToWide(path) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        throw AutomationError(ErrorNumber::InvalidProcedureCall,
                              "the program could not be started");
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void Win32Platform::ShellOpen(std::string_view document) {
    on_demand::ShellExecuteW(nullptr, L"open", Utf8ToWide(document).c_str(), L"", L"",
                             SW_SHOWNORMAL);
}

void Win32Platform::ShowMessage(std::string_view text, std::string_view title) {
    MessageBoxW(nullptr, Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(), MB_OK);
}

std::shared_ptr<DispatchTarget> Win32Platform::CreateObject(std::string_view progId) {
    CLSID clsid{};
    com::ThrowIfFailed(CLSIDFromProgID(Utf8ToWide(progId).c_str(), &clsid));
    com::com_ptr<IDispatch> object;
    com::ThrowIfFailed(
        CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IDispatch, object.put_void()));
    return std::make_shared<ComDispatchObject>(std::move(object));
}

} // namespace quillomet::win32
