#include "control/control_fixture.h"
#include "control/key_codes.h"

namespace quillomet {
namespace {

class FocusTest : public testing::ControlTest {};

TEST_F(FocusTest, InAndOutOfTheField) {
    control.SetValue(-1234.5);
    host.ClearRecords();

    FocusIn();
    EXPECT_TRUE(control.GotFocus());
    EXPECT_EQ("-1234.50", Shown());
    EXPECT_EQ(Alignment::Left, Field().TextAlignment());
    EXPECT_EQ(0, Field().SelStart());
    EXPECT_EQ(8, Field().SelLength());
    EXPECT_TRUE(Field().CaretVisible());
    EXPECT_TRUE(Field().Redraw());
    EXPECT_EQ(0, host.Changes());

    Field().TypeText("42");
    FocusOut();
    EXPECT_FALSE(control.GotFocus());
    EXPECT_EQ("42.00", Shown());
    EXPECT_EQ(Alignment::Right, Field().TextAlignment());
    EXPECT_EQ(Variant("42"), control.StoredValue());
    EXPECT_EQ(2, host.Changes()); // for 4 and for 42; 42.00 is the same number
}

// Every message is handled and returns before the host's loop takes the
// next: entering and leaving the field, the steps' highlight and opening the
// calculator run none of the messages queued behind them.
TEST_F(FocusTest, NothingQueuedRunsInsideAHandler) {
    control.SetUpDownFunction(true);
    control.SetUpDownIncrement(1);
    control.SetCalculator(true);
    int delivered = 0;
    toolkit.Post([&] { ++delivered; });
    FocusIn();
    Field().PressKey(key::Up);
    EXPECT_TRUE(Field().Wheel(key::WheelNotch));
    control.ShowCalculator();
    control.HideCalculator();
    FocusOut();
    EXPECT_EQ(2.0, control.Value().ToDouble());
    EXPECT_EQ(0, delivered);
    toolkit.ProcessPendingMessages();
    EXPECT_EQ(1, delivered);
}

TEST_F(FocusTest, DisabledControlPassesTheFocusOnWithOneTab) {
    int tabs = 0;
    toolkit.m_OnTab = [&] { ++tabs; };
    control.SetEnabled(false);
    control.OnEnterFocus();
    EXPECT_EQ(1, toolkit.m_TabsSent);
    EXPECT_EQ(0, tabs); // queued, not waited for
    toolkit.ProcessPendingMessages();
    EXPECT_EQ(1, tabs);
    control.SetEnabled(true);
    control.OnEnterFocus();
    EXPECT_EQ(1, toolkit.m_TabsSent);
}

TEST_F(FocusTest, DropButtonPressLetsTheArrivalPass) {
    control.SetValue(5.0);
    host.ClearRecords();
    CalcButton().MouseDown(12, 34);
    EXPECT_TRUE(control.SkipFocus());
    ASSERT_EQ(1u, host.m_Events.size());
    EXPECT_EQ(EventId::MouseDown, host.m_Events[0].event);
    EXPECT_EQ(Variant(12.0f), host.m_Events[0].arguments[2]); // the button's own coordinates
    FocusIn();
    EXPECT_FALSE(control.SkipFocus());
    EXPECT_FALSE(control.GotFocus());
    EXPECT_EQ("5.00", Shown()); // not put into its plain form
    EXPECT_EQ(0, Field().SelLength());
    CalcButton().MouseUp();
    EXPECT_EQ(EventId::MouseUp, host.m_Events.back().event);
    // The next arrival works in full.
    FocusOut();
    FocusIn();
    EXPECT_TRUE(control.GotFocus());
    EXPECT_EQ("5.00", Shown());
    EXPECT_EQ(4, Field().SelLength());
}

TEST_F(FocusTest, HighlightWhileTheFieldHasNoFocus) {
    control.SetValue(1234.5);
    control.Highlight();
    EXPECT_TRUE(control.GotFocus());
    EXPECT_EQ("1234.50", Shown());
    EXPECT_EQ(7, Field().SelLength());
    control.SetSkipFocus(true);
    control.Highlight(); // only clears SkipFocus
    EXPECT_FALSE(control.SkipFocus());
}

TEST_F(FocusTest, FormatWrittenWhileFocusedShowsUntilLeaving) {
    control.SetValue(-12.5);
    FocusIn();
    control.SetFormat("#0.000;(#0.000)");
    EXPECT_EQ("-12.500", Shown()); // the focused display form
    FocusOut();
    EXPECT_EQ("(12.500)", Shown());
}

} // namespace
} // namespace quillomet
