#pragma once

#include <string>

namespace quillomet {

// The texts the dialog shows.
struct AboutTexts {
    std::string caption;
    std::string title;
    std::string version;
    std::string description;
    std::string disclaimer;
    std::string email;
    std::string webLabel;
    std::string web;
};

// What the about window reports while it is up.
class AboutWindowEvents {
public:
    virtual void OnEmail() = 0;
    virtual void OnWeb() = 0;
    virtual void OnSysInfo() = 0;

protected:
    ~AboutWindowEvents() = default;
};

enum class AboutClose { Ok, CloseBox };

// The about dialog's window, shown modally with no owner.
class AboutWindow {
public:
    virtual ~AboutWindow() = default;
    // Returns when the dialog closes, saying how.
    virtual AboutClose ShowModal(const AboutTexts& texts, AboutWindowEvents& events) = 0;
    // Brings the dialog, while it is up, in front of the user.
    virtual void Raise() = 0;
};

} // namespace quillomet
