#include "control/designer_text.h"

#include <gtest/gtest.h>

namespace quillomet {
namespace {

TEST(DesignerText, FontDescriptions) {
    struct Row {
        FontTraits font;
        const char* expected;
    };
    const Row rows[] = {
        {{"Tahoma", 80000, true}, "Tahoma, 8 pt, bold"},
        {{"MS Sans Serif", 82500}, "MS Sans Serif, 8.25 pt"},
        // Zeros inside the fraction stay; only trailing ones go.
        {{"Courier New", 100500}, "Courier New, 10.05 pt"},
        {{"Arial", 5}, "Arial, 0.0005 pt"},
        {{"Arial", 120000, false, true, true, true},
         "Arial, 12 pt, italic, underline, strikethrough"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, FontDescription(row.font));
}

TEST(DesignerText, SystemColorNames) {
    struct Row {
        OleColor color;
        const char* expected;
    };
    const Row rows[] = {
        {0x80000005, "Window Background"},
        {0x80000008, "Window Text"},
        {0x80000000, "Scroll Bars"},
        {0x80000018, "ToolTip"},
        {0x80000019, ""},
        {0x00000005, ""},
        {0x000000FF, ""},
        {0xFFFFFFFF, ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, SystemColorName(row.color)) << std::hex << row.color;
}

// The examples come from the control's own text routines.
TEST(DesignerText, PictureExamples) {
    struct Row {
        const char* picture;
        const char* expected;
    };
    const Row rows[] = {
        {"###,##0.00;(##,###.00)", "1,234.50 (###,##0.00;(##,###.00))"},
        {"#,##0", "1,234 (#,##0)"},
        {"0.000", "1234.500 (0.000)"},
        {"00000", "01234 (00000)"},
        {"$#,##0.00;($#,##0.00)", "$1,234.50 ($#,##0.00;($#,##0.00))"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(row.expected, PictureExample(row.picture));
}

} // namespace
} // namespace quillomet
