#include "backend/win32/on_demand_imports.h"

#include <shellapi.h>

namespace quillomet::win32::on_demand {
namespace {

// A function of a system library, looked up once per process; null when the
// library or the function is missing.
template <typename Function>
Function* Lookup(const wchar_t* library, const char* name) noexcept {
    // Only from the system directory: never a file of the same name that
    // happens to lie beside the host.
    const HMODULE module = LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!module)
        return nullptr;
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

constexpr wchar_t CommonControls[] = L"comctl32.dll";
constexpr wchar_t Shell[] = L"shell32.dll";
constexpr wchar_t Accessibility[] = L"oleacc.dll";
constexpr wchar_t VisualStyles[] = L"uxtheme.dll";
constexpr wchar_t Shaping[] = L"usp10.dll";

} // namespace

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) noexcept {
    static const auto function =
        Lookup<decltype(::InitCommonControlsEx)>(CommonControls, "InitCommonControlsEx");
    return function ? function(controls) : FALSE;
}

BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) noexcept {
    static const auto function =
        Lookup<decltype(::SetWindowSubclass)>(CommonControls, "SetWindowSubclass");
    return function ? function(window, procedure, id, data) : FALSE;
}

BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) noexcept {
    static const auto function =
        Lookup<decltype(::RemoveWindowSubclass)>(CommonControls, "RemoveWindowSubclass");
    return function ? function(window, procedure, id) : FALSE;
}

LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    static const auto function =
        Lookup<decltype(::DefSubclassProc)>(CommonControls, "DefSubclassProc");
    // Only reached from a window that was subclassed, so through a library
    // that loaded; the window's own procedure otherwise.
    return function ? function(window, message, wParam, lParam)
                    : DefWindowProcW(window, message, wParam, lParam);
}

HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                        const wchar_t* parameters, const wchar_t* directory, int show) noexcept {
    static const auto function = Lookup<decltype(::ShellExecuteW)>(Shell, "ShellExecuteW");
    // The failure ShellExecute reports when a library it needs is missing.
    return function ? function(owner, verb, file, parameters, directory, show)
                    : reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(SE_ERR_DLLNOTFOUND));
}

// A window that cannot answer leaves WM_GETOBJECT unanswered: 0.
LRESULT LresultFromObject(REFIID iid, WPARAM wParam, IUnknown* object) noexcept {
    static const auto function =
        Lookup<decltype(::LresultFromObject)>(Accessibility, "LresultFromObject");
    return function ? function(iid, wParam, object) : 0;
}

HRESULT CreateStdAccessibleObject(HWND window, LONG objectId, REFIID iid, void** object) noexcept {
    static const auto function =
        Lookup<decltype(::CreateStdAccessibleObject)>(Accessibility, "CreateStdAccessibleObject");
    if (object)
        *object = nullptr;
    return function ? function(window, objectId, iid, object)
                    : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

BOOL IsThemeActive() noexcept {
    static const auto function = Lookup<decltype(::IsThemeActive)>(VisualStyles, "IsThemeActive");
    return function ? function() : FALSE;
}

HTHEME OpenThemeData(HWND window, const wchar_t* classes) noexcept {
    static const auto function = Lookup<decltype(::OpenThemeData)>(VisualStyles, "OpenThemeData");
    return function ? function(window, classes) : nullptr;
}

HRESULT CloseThemeData(HTHEME theme) noexcept {
    static const auto function = Lookup<decltype(::CloseThemeData)>(VisualStyles, "CloseThemeData");
    return function ? function(theme) : E_FAIL;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* place,
                            const RECT* clip) noexcept {
    static const auto function =
        Lookup<decltype(::DrawThemeBackground)>(VisualStyles, "DrawThemeBackground");
    return function ? function(theme, dc, part, state, place, clip) : E_FAIL;
}

HRESULT ScriptCacheGetHeight(HDC dc, SCRIPT_CACHE* cache, long* height) noexcept {
    static const auto function =
        Lookup<decltype(::ScriptCacheGetHeight)>(Shaping, "ScriptCacheGetHeight");
    return function ? function(dc, cache, height) : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

HRESULT ScriptFreeCache(SCRIPT_CACHE* cache) noexcept {
    static const auto function = Lookup<decltype(::ScriptFreeCache)>(Shaping, "ScriptFreeCache");
    return function ? function(cache) : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

// The whole text at once, with room for its glyphs as the system advises,
// and nothing optional.
HRESULT ScriptStringAnalyse(HDC dc, const wchar_t* text, int length, DWORD flags,
                            SCRIPT_STRING_ANALYSIS* analysis) noexcept {
    static const auto function =
        Lookup<decltype(::ScriptStringAnalyse)>(Shaping, "ScriptStringAnalyse");
    return function ? function(dc, text, length, 3 * length / 2 + 16, -1, flags, -1, nullptr,
                               nullptr, nullptr, nullptr, nullptr, analysis)
                    : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

HRESULT ScriptStringFree(SCRIPT_STRING_ANALYSIS* analysis) noexcept {
    static const auto function = Lookup<decltype(::ScriptStringFree)>(Shaping, "ScriptStringFree");
    return function ? function(analysis) : HRESULT_FROM_WIN32(ERROR_MOD_NOT_FOUND);
}

} // namespace quillomet::win32::on_demand
