#pragma once

#include "toolkit/about_window.h"

#include <windows.h>

namespace quillomet::win32 {

// The about dialog as a modal window with no owner: while it is up the
// thread's other windows take no input.
class Win32AboutWindow final : public AboutWindow {
public:
    AboutClose ShowModal(const AboutTexts& texts, AboutWindowEvents& events) override;
    void Raise() override;
    static constexpr const wchar_t* ClassName = L"QuillometAbout";

private:
    HWND m_Window = nullptr; // while it is up
};

} // namespace quillomet::win32
