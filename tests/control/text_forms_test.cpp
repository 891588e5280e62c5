#include "control/control_fixture.h"
#include "control/text_forms.h"

#include <gtest/gtest.h>
#include <span>
#include <vector>

namespace quillomet {
namespace {

constexpr const char* Default = "###,##0.00;(##,###.00)";

// A row of the display tables: the form without and with the focus;
// nullptr where a table lists no form.
struct TableRow {
    const char* format;
    Variant value;
    bool positiveOnly;
    const char* unfocused;
    const char* focused;
};

// The default picture, plain form to display form.
const TableRow DefaultPictureRows[] = {
    {Default, "1234.5", false, "1,234.50", "1,234.50"},
    {Default, "-1234.5", false, "(1,234.50)", "-1,234.50"},
    {Default, "0", false, "0.00", "0.00"},
    {Default, "", false, "0.00", "0.00"},
    {Default, "-", false, "0.00", "0.00"},
    {Default, "0.5", false, "0.50", "0.50"},
    {Default, ".5", false, "0.50", "0.50"},
    {Default, "-0.5", false, "(.50)", "-.50"},
    {Default, "5.", false, "5.00", "5.00"},
    {Default, "007", false, "7.00", "7.00"},
    {Default, "1.239", false, "1.23", "1.23"},
    {Default, "-1.239", false, "(1.23)", "-1.23"},
    {Default, "999999.99", false, "999,999.99", "999,999.99"},
    // Integer digits beyond the picture's places are shown, not dropped.
    {Default, "1234567.89", false, "1,234,567.89", "1,234,567.89"},
    {Default, "-999999.99", false, "(999,999.99)", "-999,999.99"},
    {Default, "-1234567.5", false, "(1,234,567.50)", "-1,234,567.50"},
    {Default, "0001234567", false, "1,234,567.00", "1,234,567.00"},
};

// Other pictures.
const TableRow OtherPictureRows[] = {
    {"0.00;-0.00", -0.5, false, "-0.50", "-0.50"},
    {"0.00;-0.00", 1234.5, false, "1234.50", nullptr},
    {"#0.00", -0.5, false, "-0.50", nullptr},
    {"#,##0", 0.5, false, "0", nullptr},
    {"#,##0", -0.5, false, "-0", nullptr},
    {"#,##0", 1234.5, false, "1,234", nullptr},
    {"0.000;(0.000)", -1.239, false, "(1.239)", "-1.239"},
    {"00000", 42.0, false, "00042", nullptr},
    {"#####", 0.0, false, "", nullptr},
    {"0.", 5.0, false, "5", nullptr},
    {"#,##0.00 kg", 1.239, false, "1.23 kg", nullptr},
    {"#,##0.00 kg", -3.0, false, "-3.00 kg", nullptr},
    {"(#,##0)", 5.0, false, "(5)", nullptr},
    {"(#,##0)", -5.0, false, "(5)", "-5"},
    {Default, "-12", true, "12.00", "12.00"},
    // Beyond the listed rows: a picture without placeholders, an empty one,
    // and characters outside ASCII standing as they are.
    {"abc", 5.0, false, "abc", nullptr},
    {"abc", -5.0, false, "-abc", nullptr},
    {"", 5.0, false, "", nullptr},
    {"", -5.0, false, "-", nullptr},
    {"\u20ac #,##0.00", 1234.5, false, "\u20ac 1,234.50", nullptr},
    {"#,##0.00;-#,##0.00", -1234.5, false, "-1,234.50", "-1,234.50"},
    // Digits that find no integer placeholder go left of the leftmost one,
    // inside the sign and the literal text; a picture that groups completes
    // its leftmost group to three digits, then groups the rest by three.
    {"###,##0.00", 1234567.89, false, "1,234,567.89", nullptr},
    {"##,##0", 1234567.0, false, "1,234,567", nullptr},
    {"(##,###.00)", -999999.99, false, "(999,999.99)", "-999,999.99"},
    {"00000", 1234567.0, false, "1234567", nullptr},
    {"$#,##0", 1234567.0, false, "$1,234,567", nullptr},
    {"#,##0", 12345678901.0, false, "12,345,678,901", nullptr},
    {"0", 41903.0, false, "41903", nullptr},
    {"x0", -12.0, false, "-x12", nullptr},
    {".00", 12.5, false, "12.50", nullptr},
    {".00", 0.5, false, ".50", nullptr},
    {"abc.", 12.0, false, "abc", nullptr},
    {"#,##0.00 kg", 1234567.0, false, "1,234,567.00 kg", nullptr},
};

struct DisplayCase {
    const char* format;
    Variant value;
    bool positiveOnly;
    bool focus;
    const char* shown;
};

std::vector<DisplayCase> Cases(std::span<const TableRow> rows) {
    std::vector<DisplayCase> cases;
    for (const TableRow& row : rows) {
        if (row.unfocused)
            cases.push_back({row.format, row.value, row.positiveOnly, false, row.unfocused});
        if (row.focused)
            cases.push_back({row.format, row.value, row.positiveOnly, true, row.focused});
    }
    return cases;
}

using ControlTextTest = testing::ControlTest;

class DisplayFormTest : public testing::ControlTest,
                        public ::testing::WithParamInterface<DisplayCase> {};

// Through the control: Format written, the field given the focus or not,
// value written, and what the field then shows.
TEST_P(DisplayFormTest, ValueWriteShowsThePicture) {
    const DisplayCase& row = GetParam();
    control.SetFormat(row.format);
    control.SetPositiveOnly(row.positiveOnly);
    if (row.focus)
        Field().ReceiveFocus();
    control.SetValue(row.value);
    EXPECT_EQ(row.shown, Shown()) << "focus " << row.focus;
}

INSTANTIATE_TEST_SUITE_P(DefaultPicture, DisplayFormTest,
                         ::testing::ValuesIn(Cases(DefaultPictureRows)));
INSTANTIATE_TEST_SUITE_P(OtherPictures, DisplayFormTest,
                         ::testing::ValuesIn(Cases(OtherPictureRows)));

// The picture's own characters are never read back as digits, nor its
// parentheses as a sign: what the control shows reads back as the number
// shown, with and without the focus, and after Format changed.
TEST_F(ControlTextTest, ShownNumberReadsBack) {
    const struct {
        const char* format;
        double value;
        const char* shown;
        double readBack;
    } rows[] = {
        {"#,##0.00 m2", 5, "5.00 m2", 5},
        {"#,##0 kg/m3", 53, "53 kg/m3", 53},
        {"(#,##0)", 5, "(5)", 5},
        {"(#,##0)", -5, "(5)", -5},
        {"Box 12: #,##0.00", 3.5, "Box 12:     3.50", 3.5},
        {"0.00 m2;(0.00 m2)", -1.5, "(1.50 m2)", -1.5},
        {"#,##0.00 m2", 1234567.5, "1,234,567.50 m2", 1234567.5},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.format << " " << row.value);
        control.SetFormat(row.format);
        control.SetValue(row.value);
        EXPECT_EQ(row.shown, Shown());
        EXPECT_EQ(row.readBack, control.Value().ToDouble());
        Field().ReceiveFocus();
        EXPECT_EQ(row.readBack, control.Value().ToDouble());
        Field().LoseFocus();
        EXPECT_EQ(row.shown, Shown());
        EXPECT_EQ(row.readBack, control.Value().ToDouble());
    }
    control.SetFormat("#,##0.00 m2");
    control.SetValue(5.0);
    control.SetFormat("0.000");
    EXPECT_EQ("5.000", Shown());
    EXPECT_EQ(5, control.Value().ToDouble());
}

TEST(StripFormatTest, KeepsDigitsOnePointAndALeadingSign) {
    const struct {
        const char* text;
        bool positiveOnly;
        const char* plain;
        bool positive;
    } rows[] = {
        {"(1,234.50)", false, "-1234.50", false},
        {"-1,234.50", false, "-1234.50", false},
        {"(1,234.00)", false, "-1234.00", false},
        {"1,234.00", false, "1234.00", true},
        {"1.2.3", false, "1.23", true},
        {"12-", false, "12", true},
        {"-", false, "-", true},
        {"--5", false, "-5", false},
        {"-0.00", false, "-0.00", true},
        {"  42 kg  ", false, "42", true},
        {"+5", false, "5", true},
        {" (5)", false, "-5", false},
        {"1E+15", false, "115", true},
        {"abc", false, "", true},
        {"", false, "", true},
        {"-12", true, "12", true},
        {"(1,234.00)", true, "1234.00", true},
        {"-", true, "-", true},
    };
    TextForms text;
    for (const auto& row : rows) {
        const PlainForm plain = text.StripFormat(row.text, row.positiveOnly);
        EXPECT_EQ(row.plain, plain.text) << '"' << row.text << '"';
        EXPECT_EQ(row.positive, plain.positive) << '"' << row.text << '"';
    }
}

TEST(ApplyFormatTest, KeepsTheAdjustedPictureAsMask) {
    TextForms text;
    EXPECT_EQ("-##,###.00",
              text.ApplyFormat(text.StripFormat("-1234.5", false), {Default, false, true}).mask);
    const DisplayForm display = text.Reformat("-1234.5", {"#,##0.00", false, false});
    EXPECT_EQ("-#,##0.00", display.mask);
    EXPECT_EQ("-1,234.50", display.text);
}

TEST(ApplyFormatTest, FollowsAChangedPicture) {
    TextForms text;
    std::string shown;
    for (const char* format : {Default, "0.000", Default})
        shown = text.Reformat("1234.5", {format, false, false}).text;
    EXPECT_EQ("1,234.50", shown);
}

TEST(SetMaxCharsTest, LengthOfTheLongerSection) {
    const struct {
        const char* format;
        std::int16_t maxChars;
    } rows[] = {
        {Default, 10},    {"0.00;-0.00", 5}, {"#,##0", 5}, {"", 0},       {"0.0;(0.000)", 6},
        {"0.000;(0)", 5}, {"0;", 1},         {";(0)", 2},  {"€#,##0", 6}, // counted in UTF-16
                                                                          // units, not bytes
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.maxChars, MaxCharsOf(row.format)) << '"' << row.format << '"';
}

TEST(SetMaxCharsTest, FormatWriteRecomputesTheLimit) {
    memory::MemoryToolkit toolkit;
    memory::MemoryContainer host;
    Quillomet control(toolkit, host);
    control.InitProperties();
    EXPECT_EQ(10, control.MaxChars());
    control.SetFormat("0.00;-0.00");
    EXPECT_EQ(5, control.MaxChars());
    control.SetFormat(std::string(32767, '#'));
    EXPECT_EQ(32767, control.MaxChars());
}

} // namespace
} // namespace quillomet
