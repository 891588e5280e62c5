#include "common/dropped_error.h"

#include <cstdio>
#include <exception>
#include <string>

namespace quillomet {
namespace {

void WriteToStandardError(const char* text) {
    std::fputs(text, stderr);
}

void (*g_Output)(const char*) = WriteToStandardError;

} // namespace

void ReportDroppedError(const char* where) noexcept {
    try {
        try {
            throw;
        } catch (const std::exception& error) {
            g_Output((std::string("Quillomet: ") + where + ": " + error.what() + "\n").c_str());
        } catch (...) {
            g_Output((std::string("Quillomet: ") + where + ": unknown error dropped\n").c_str());
        }
    } catch (...) {
        // Out of memory for the message itself: nothing more can be said.
    }
}

void SetDroppedErrorOutput(void (*output)(const char* text)) noexcept {
    g_Output = output ? output : WriteToStandardError;
}

} // namespace quillomet
