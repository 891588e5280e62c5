#pragma once

// The text of a fault the C++ runtime reports in the library: what kind of
// fault, and in which function. The runtime's messages name the function
// ("basic_string::substr") before a colon and a space; the formatted ones
// ("%s: __pos (which is %zu) > ...") pass that name as an argument. Only
// the name's own conversions are written out: formatting the numbers would
// take printf back in.
#include <cstdarg>
#include <string>
#include <string_view>

namespace quillomet {

inline std::string_view FaultPlace(std::string_view message) {
    return message.substr(0, message.find(": "));
}

inline std::string FaultText(std::string_view kind, std::string_view message) {
    return std::string(kind) + " in " + std::string(FaultPlace(message));
}

// The place in `format`, its "%s" arguments written in; an argument of any
// other kind ends it, since what follows it is not known.
inline std::string FormattedFaultText(std::string_view kind, std::string_view format,
                                      va_list arguments) {
    format = FaultPlace(format);
    std::string where;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            where += format[i];
        } else if (i + 1 < format.size() && format[i + 1] == '%') {
            where += '%';
            ++i;
        } else if (i + 1 < format.size() && format[i + 1] == 's') {
            const char* text = va_arg(arguments, const char*);
            where += text ? text : "";
            ++i;
        } else {
            break;
        }
    }
    return FaultText(kind, where);
}

} // namespace quillomet
