#include "calculator/calculator_state.h"
#include "control/control_fixture.h"
#include "control/key_codes.h"

#include <functional>

namespace quillomet {
namespace {

class DesignModeTest : public testing::ControlTest {
protected:
    DesignModeTest() {
        control.SetUpDownFunction(true);
        control.SetValue(5.0);
        toolkit.m_Clipboard = "42";
    }
    bool CalculatorShowing() {
        const CalculatorState* calculator = CalculatorState::Existing();
        return calculator && calculator->IsShowing();
    }
};

// Every road by which a user works the control does nothing to a designed
// one, and raises nothing; the same road works once it runs again.
TEST_F(DesignModeTest, InputRoadsAreInertWhileDesigning) {
    const struct {
        const char* road;
        std::function<void()> use;
    } rows[] = {
        {"typing", [this] { Field().TypeChar('7'); }},
        {"backspace", [this] { Field().TypeChar('\b'); }},
        {"arrow key", [this] { Field().PressKey(key::Up); }},
        {"page key", [this] { Field().PressKey(key::PageDown); }},
        {"F4", [this] { Field().PressKey(key::F4); }},
        {"Alt+Down", [this] { Field().PressKey(key::Down, shift::Alt); }},
        {"Ctrl+V", [this] { Field().PressKey(key::V, shift::Ctrl); }},
        {"Ctrl+X", [this] { Field().PressKey(key::X, shift::Ctrl); }},
        {"paste command", [this] { Field().Clipboard(ClipboardCommand::Paste); }},
        {"wheel", [this] { Field().Wheel(key::WheelNotch); }},
        {"field click", [this] { Field().Click(); }},
        {"field double-click", [this] { Field().DblClick(); }},
        {"spinner held",
         [this] {
             Spinner().MouseDown(10);
             toolkit.m_Clock.Advance(1000);
         }},
        {"spinner released", [this] { Spinner().MouseUp(10); }},
        {"spinner hover", [this] { Spinner().MouseMove(10); }},
        {"drop button", [this] { CalcButton().Click(); }},
        {"screen reader's presses",
         [this] {
             control.ClickSpinner(false);
             control.ClickCalcButton();
         }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.road);
        control.SetFormat("0.00"); // full: a digit typed at the end beeps
        control.SetValue(5.0);
        FocusIn();
        control.SetDesignMode(true);
        host.ClearRecords();
        row.use();
        EXPECT_EQ(Variant(5.0), control.Value());
        EXPECT_EQ("5.00", Shown());
        EXPECT_EQ(std::vector<EventId>{}, Events());
        EXPECT_FALSE(CalculatorShowing());
        EXPECT_FALSE(Repeating());
        EXPECT_FALSE(control.SkipFocus());
        EXPECT_EQ("42", toolkit.m_Clipboard);
        EXPECT_EQ(0, toolkit.m_Beeps);

        control.SetDesignMode(false);
        host.ClearRecords();
        row.use();
        EXPECT_TRUE(!Events().empty() || CalculatorShowing() || control.Value() != Variant(5.0))
            << "the road does nothing at run time either";
        control.HideCalculator();
        FocusOut();
        toolkit.m_Clipboard = "42";
        toolkit.m_Beeps = 0;
        control.SetSkipFocus(false);
    }
}

// Entering design mode leaves the field as at run time without the focus
// (display form, no caret, the calculator closed, the spinner stopped);
// leaving it gives a focused field its plain form and caret back at once.
TEST_F(DesignModeTest, SwitchingModes) {
    control.ShowCalculator();
    ASSERT_TRUE(CalculatorShowing());
    control.SetDesignMode(true);
    EXPECT_FALSE(CalculatorShowing());
    control.SetDesignMode(false);

    control.SetValue(-1234.5);
    FocusIn();
    Spinner().MouseDown(10);
    ASSERT_TRUE(Repeating());
    host.ClearRecords();
    control.SetDesignMode(true);
    EXPECT_FALSE(Repeating());
    EXPECT_EQ("(1,233.50)", Shown());
    EXPECT_FALSE(Field().CaretVisible());
    EXPECT_TRUE(Field().IsLocked());
    EXPECT_FALSE(control.GotFocus());
    Spinner().MouseUp(10);
    FocusOut();
    FocusIn();
    EXPECT_EQ("(1,233.50)", Shown());
    EXPECT_FALSE(Field().CaretVisible());

    control.SetDesignMode(false);
    EXPECT_EQ("-1233.50", Shown());
    EXPECT_EQ(8, Field().SelLength());
    EXPECT_TRUE(Field().CaretVisible());
    EXPECT_FALSE(Field().IsLocked());
    EXPECT_TRUE(control.GotFocus());
    EXPECT_EQ(std::vector<EventId>{}, Events());

    // A locked control stays locked on both sides of design mode.
    control.SetLocked(true);
    control.SetDesignMode(true);
    control.SetLocked(false);
    EXPECT_TRUE(Field().IsLocked());
    control.SetDesignMode(false);
    EXPECT_FALSE(Field().IsLocked());
}

// The designer's property writes work and are reported, without events;
// of the methods, only the about box is for the designer.
TEST_F(DesignModeTest, PropertyWritesAndMethodsWhileDesigning) {
    control.SetCalculator(true);
    control.SetDesignMode(true);
    host.ClearRecords();
    control.SetValue(12);
    control.SetFormat("0.0");
    EXPECT_EQ("12.0", Shown());
    ASSERT_FALSE(host.m_ChangedKeys.empty());
    EXPECT_EQ("Value", host.m_ChangedKeys.front());
    EXPECT_EQ("Format", host.m_ChangedKeys.back());

    FocusIn();
    control.Highlight();
    EXPECT_EQ("12.0", Shown());
    EXPECT_FALSE(Field().CaretVisible());
    control.ShowCalculator();
    EXPECT_FALSE(CalculatorShowing());
    control.DisplayAboutBox();
    EXPECT_EQ(1, toolkit.m_AboutWindowsShown);
    EXPECT_EQ(std::vector<EventId>{}, Events());
}

} // namespace
} // namespace quillomet
