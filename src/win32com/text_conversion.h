#pragma once

#include <windows.h>

#include <oleauto.h>

#include <string>
#include <string_view>

namespace quillomet {

// The core holds texts as UTF-8; Windows and automation as UTF-16.
std::wstring Utf8ToWide(std::string_view utf8);
std::string WideToUtf8(std::wstring_view wide);
std::string BstrToUtf8(BSTR text);
// A new BSTR the caller owns; throws std::bad_alloc when none can be had.
BSTR Utf8ToBstr(std::string_view utf8);
// A new text for a caller that frees it with CoTaskMemFree; null when none
// can be had.
LPOLESTR Utf8ToCoTaskMem(std::string_view utf8) noexcept;
// A window's text as it holds it now; empty for none.
std::wstring WindowText(HWND window);

} // namespace quillomet
