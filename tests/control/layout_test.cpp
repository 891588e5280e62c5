#include "control/control_fixture.h"
#include "control/key_codes.h"

namespace quillomet {
namespace {

class LayoutTest : public testing::ControlTest {
protected:
    void Arrange(bool calculator, bool upDown) {
        control.SetCalculator(calculator);
        control.SetUpDownFunction(upDown);
    }
};

// The four arrangements of a 1740 x 300 composite.
TEST_F(LayoutTest, FourArrangements) {
    host.m_Border = 30; // the inner area is smaller than the outer size
    const struct {
        bool calculator, upDown;
        Geometry text;
        bool spinnerShown;
        std::int32_t spinnerLeft;
        bool buttonShown;
        std::int32_t buttonLeft;
    } rows[] = {
        {true, true, {0, 0, 1200, 300}, true, 1200, true, 1440},
        {true, false, {0, 0, 1455, 300}, false, -1, true, 1440},
        {false, true, {0, 0, 1500, 300}, true, 1500, false, -1},
        {false, false, {0, 0, 1680, 240}, false, -1, false, -1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.calculator << row.upDown);
        Arrange(row.calculator, row.upDown);
        const Geometry& text = Field().GetGeometry();
        EXPECT_EQ(row.text.width, text.width);
        EXPECT_EQ(row.text.height, text.height);
        EXPECT_EQ(0, text.left);
        EXPECT_EQ(row.spinnerShown, Spinner().IsVisible());
        EXPECT_EQ(row.spinnerShown, Spinner().IsEnabled());
        if (row.spinnerShown) {
            EXPECT_EQ(row.spinnerLeft, Spinner().Left());
            EXPECT_EQ(300, Spinner().Height());
            EXPECT_EQ(240, Spinner().Width()); // never changed by the layout
        }
        EXPECT_EQ(row.buttonShown, CalcButton().IsVisible());
        if (row.buttonShown) {
            EXPECT_EQ(row.buttonLeft, CalcButton().Left());
            EXPECT_EQ(300, CalcButton().Width());
        }
        // A host that draws the control itself draws the parts where they
        // stand, and only those shown.
        const Appearance drawn = control.CurrentAppearance();
        const auto same = [](const Geometry& a, const Geometry& b) {
            return a.left == b.left && a.top == b.top && a.width == b.width &&
                   a.height == b.height;
        };
        EXPECT_TRUE(same(text, drawn.field.place));
        ASSERT_EQ(row.spinnerShown, drawn.spinner.has_value());
        if (row.spinnerShown) {
            EXPECT_TRUE(same(Spinner().GetGeometry(), *drawn.spinner));
        }
        ASSERT_EQ(row.buttonShown, drawn.dropButton.has_value());
        if (row.buttonShown) {
            EXPECT_TRUE(same(CalcButton().GetGeometry(), *drawn.dropButton));
        }
    }
}

// What a drawing shows: the field's text and alignment as the field has
// them, focused or not, and whether the control is enabled.
TEST_F(LayoutTest, AppearanceShowsWhatTheFieldShows) {
    control.SetValue(-1234.5);
    Appearance drawn = control.CurrentAppearance();
    EXPECT_EQ("(1,234.50)", drawn.field.text);
    EXPECT_EQ(Alignment::Right, drawn.field.alignment);
    Field().ReceiveFocus();
    drawn = control.CurrentAppearance();
    EXPECT_EQ("-1234.50", drawn.field.text);
    EXPECT_EQ(Alignment::Left, drawn.field.alignment);
    control.SetEnabled(false);
    control.SetForeColor(0x0000FF);
    drawn = control.CurrentAppearance();
    EXPECT_FALSE(drawn.enabled);
    EXPECT_EQ(0x0000FFu, drawn.field.foreColor);
}

// The same size comes out the same whatever size came before it: a tall
// one before had a wide drop button, which the minimum does not remember.
TEST_F(LayoutTest, MinimumSizes) {
    const struct {
        bool calculator, upDown;
        std::int32_t width, height;
        std::int32_t keptWidth, keptHeight;
    } rows[] = {
        {true, true, 200, 300, 780, 300},   // 240 + 240 + the button's 300
        {true, false, 200, 300, 540, 300},  // 240 + 300
        {false, true, 200, 300, 480, 300},  // 240 + 240
        {false, false, 100, 100, 240, 255}, // the text box's own minimum
        {false, false, 1740, 200, 1740, 255},
    };
    for (const auto& row : rows)
        for (const std::int32_t heightBefore : {300, 3000}) {
            SCOPED_TRACE(::testing::Message()
                         << row.width << " x " << row.height << " after " << heightBefore);
            Arrange(row.calculator, row.upDown);
            host.m_Width = 4500;
            host.m_Height = heightBefore;
            control.OnResize();
            host.m_Width = row.width;
            host.m_Height = row.height;
            control.OnResize();
            EXPECT_EQ(row.keptWidth, host.m_Width);
            EXPECT_EQ(row.keptHeight, host.m_Height);
        }
}

// A host that reports its own size write at once runs the resize handling
// inside it; the nested run finds the size corrected and lays out once more.
TEST_F(LayoutTest, HostReenteringTheResizeHandling) {
    Arrange(true, true);
    int runs = 0;
    host.m_OnResize = [&] {
        ++runs;
        control.OnResize();
    };
    host.m_Width = 200;
    host.m_Height = 100;
    control.OnResize();
    EXPECT_EQ(240 + 240 + 255, host.m_Width); // the button as wide as the final height
    EXPECT_EQ(255, host.m_Height);
    EXPECT_EQ(2, host.m_SizeWrites);
    EXPECT_LE(runs, 3);
    EXPECT_EQ(255, CalcButton().Width()); // laid out for the final height
    EXPECT_EQ(240, Field().GetGeometry().width);
}

TEST_F(LayoutTest, FlagWritersRearrangeAtOnceAndNotify) {
    Arrange(true, true);
    host.ClearRecords();
    control.SetCalculator(false);
    EXPECT_FALSE(CalcButton().IsVisible());
    EXPECT_EQ(1500, Field().GetGeometry().width);
    control.SetUpDownFunction(false);
    EXPECT_EQ(1740, Field().GetGeometry().width);
    // The same value again still lays out and notifies.
    host.m_Width = 2000;
    control.SetUpDownFunction(false);
    EXPECT_EQ(2000, Field().GetGeometry().width);
    EXPECT_EQ((std::vector<std::string>{"Calculator", "UpDownFunction", "UpDownFunction"}),
              host.m_ChangedKeys);
}

TEST_F(LayoutTest, UpDownIncrementCausesNoLayout) {
    Arrange(true, true);
    host.m_Width = 3000;
    control.SetUpDownIncrement(-3);
    EXPECT_EQ(1200, Field().GetGeometry().width);
}

// A control makes its spinner when it first shows one, its repeat timer when
// the spinner is first pressed and each holder of the drop button's pictures
// when the button first takes its picture; all are kept from then on.
TEST_F(LayoutTest, ChildrenAreMadeWhenFirstNeeded) {
    EXPECT_FALSE(toolkit.HasSpinner());
    EXPECT_FALSE(toolkit.HasTimer());
    EXPECT_EQ(1u, toolkit.ImageCount()); // the drop button alone
    control.SetEnabled(false);
    EXPECT_EQ(2u, toolkit.ImageCount());
    EXPECT_EQ(CalcPic2().Picture(), CalcButton().Picture());
    control.SetEnabled(true);
    EXPECT_EQ(3u, toolkit.ImageCount());
    EXPECT_EQ(CalcPic1().Picture(), CalcButton().Picture());
    control.SetEnabled(false);
    control.SetEnabled(true);
    EXPECT_EQ(3u, toolkit.ImageCount());
    Arrange(true, false);
    EXPECT_FALSE(toolkit.HasSpinner());

    Arrange(true, true);
    ASSERT_TRUE(toolkit.HasSpinner());
    EXPECT_TRUE(Spinner().IsVisible());
    EXPECT_FALSE(toolkit.HasTimer());
    Field().PressKey(key::Up); // the keys step without it
    EXPECT_FALSE(toolkit.HasTimer());
    Spinner().MouseDown(10);
    ASSERT_TRUE(toolkit.HasTimer());
    EXPECT_TRUE(toolkit.Timer().Enabled());
    Spinner().MouseUp(10);
    EXPECT_FALSE(toolkit.Timer().Enabled());

    Arrange(true, false);
    ASSERT_TRUE(toolkit.HasSpinner());
    EXPECT_FALSE(Spinner().IsVisible());
    EXPECT_FALSE(Spinner().IsEnabled());
    control.SetEnabled(false);
    control.SetEnabled(true);
    EXPECT_FALSE(Spinner().IsEnabled());
}

TEST_F(LayoutTest, DisabledControlGreysItsButtonAndLeavesTheTabOrder) {
    Arrange(true, true);
    control.SetEnabled(false);
    EXPECT_FALSE(Spinner().IsEnabled());
    EXPECT_FALSE(CalcButton().IsEnabled());
    EXPECT_EQ(CalcPic2().Picture(), CalcButton().Picture()); // shared, not copied
    EXPECT_FALSE(Field().IsTabStop());
    EXPECT_FALSE(Field().IsEnabled());
    EXPECT_FALSE(host.m_Enabled);
    control.OnResize(); // a layout keeps them disabled
    EXPECT_FALSE(Spinner().IsEnabled());

    control.SetEnabled(true);
    EXPECT_TRUE(Spinner().IsEnabled());
    EXPECT_TRUE(CalcButton().IsEnabled());
    EXPECT_EQ(CalcPic1().Picture(), CalcButton().Picture());
    EXPECT_TRUE(Field().IsTabStop());
    EXPECT_FALSE(CalcPic1().IsVisible());
    EXPECT_FALSE(CalcPic2().IsVisible());
}

} // namespace
} // namespace quillomet
