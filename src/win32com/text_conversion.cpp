#include "win32com/text_conversion.h"

#include <oleauto.h>

#include <new>

namespace quillomet {

std::wstring Utf8ToWide(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

std::wstring WindowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(static_cast<std::size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

std::string WideToUtf8(std::wstring_view wide) {
    if (wide.empty())
        return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

std::string BstrToUtf8(BSTR text) {
    return text ? WideToUtf8(std::wstring_view(text, SysStringLen(text))) : std::string();
}

BSTR Utf8ToBstr(std::string_view utf8) {
    const std::wstring wide = Utf8ToWide(utf8);
    BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (!result)
        throw std::bad_alloc();
    return result;
}

LPOLESTR Utf8ToCoTaskMem(std::string_view utf8) noexcept {
    const int size = static_cast<int>(utf8.size());
    const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    auto* text = static_cast<LPOLESTR>(
        CoTaskMemAlloc((static_cast<std::size_t>(length) + 1) * sizeof(OLECHAR)));
    if (text)
        text[MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, text, length)] = L'\0';
    return text;
}

} // namespace quillomet
