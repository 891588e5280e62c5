#pragma once

#include "toolkit/about_window.h"

namespace quillomet::win32 {

// The about dialog as a modal window with no owner: while it is up the
// thread's other windows take no input.
class Win32AboutWindow final : public AboutWindow {
public:
    AboutClose ShowModal(const AboutTexts& texts, AboutWindowEvents& events) override;
    static constexpr const wchar_t* ClassName = L"QuillometAbout";
};

} // namespace quillomet::win32
