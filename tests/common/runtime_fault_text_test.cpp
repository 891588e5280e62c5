#include "server/runtime_fault_text.h"

#include <gtest/gtest.h>

namespace quillomet {
namespace {

std::string Formatted(const char* format, ...) {
    va_list arguments;
    va_start(arguments, format);
    std::string text = FormattedFaultText("a position out of range", format, arguments);
    va_end(arguments);
    return text;
}

// The C++ library's own formats: the function's name comes in as the first
// argument, or stands in the format itself; never the format's "%s".
TEST(RuntimeFaultTextTest, NamesTheFunctionThatFailed) {
    const std::size_t five = 5, three = 3;
    const struct {
        std::string text, expected;
    } rows[] = {
        {Formatted("%s: __pos (which is %zu) > this->size() (which is %zu)", "basic_string::substr",
                   five, three),
         "a position out of range in basic_string::substr"},
        {Formatted("vector::_M_range_check: __n (which is %zu) >= this->size() (which is %zu)",
                   five, three),
         "a position out of range in vector::_M_range_check"},
        {Formatted("%s (%zu%%): %s", "at", five, "rest"), "a position out of range in at ("},
        {FaultText("a position out of range", "basic_string::at: __n (which is 5)"),
         "a position out of range in basic_string::at"},
        {Formatted("100%% %s", "sure"), "a position out of range in 100% sure"},
        {FaultText("a length beyond the limit", "basic_string::_M_create"),
         "a length beyond the limit in basic_string::_M_create"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, row.text);
}

} // namespace
} // namespace quillomet
