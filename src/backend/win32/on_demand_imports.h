#pragma once

#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>
#include <usp10.h>
#include <uxtheme.h>

// The functions of system libraries that only some controls ever need: the
// common controls (the spinner, the calculator's keys), the shell (the
// about box's links), active accessibility (a screen reader's first
// question) and text shaping (see PrepareTextShaping). Importing them would load those libraries,
// and the libraries they bring, into every process that loads the control, which is most of the
// time it takes to load; they are loaded from the system directory when first called instead, and
// then stay for the process, as an import would. Each has the signature and the failure value of
// the system function it stands for.
namespace quillomet::win32::on_demand {

BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX* controls) noexcept;
BOOL SetWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, DWORD_PTR data) noexcept;
BOOL RemoveWindowSubclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id) noexcept;
LRESULT DefSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
HINSTANCE ShellExecuteW(HWND owner, const wchar_t* verb, const wchar_t* file,
                        const wchar_t* parameters, const wchar_t* directory, int show) noexcept;
LRESULT LresultFromObject(REFIID iid, WPARAM wParam, IUnknown* object) noexcept;
HRESULT CreateStdAccessibleObject(HWND window, LONG objectId, REFIID iid, void** object) noexcept;
// The visual styles, for a picture of a part drawn as the system draws it.
BOOL IsThemeActive() noexcept;
HTHEME OpenThemeData(HWND window, const wchar_t* classes) noexcept;
HRESULT CloseThemeData(HTHEME theme) noexcept;
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* place,
                            const RECT* clip) noexcept;
HRESULT ScriptCacheGetHeight(HDC dc, SCRIPT_CACHE* cache, long* height) noexcept;
HRESULT ScriptFreeCache(SCRIPT_CACHE* cache) noexcept;
HRESULT ScriptStringAnalyse(HDC dc, const wchar_t* text, int length, DWORD flags,
                            SCRIPT_STRING_ANALYSIS* analysis) noexcept;
HRESULT ScriptStringFree(SCRIPT_STRING_ANALYSIS* analysis) noexcept;

} // namespace quillomet::win32::on_demand
