#include "calculator/calculator_state.h"
#include "control/control_fixture.h"

#include <string>

// What assistive technology reaches in the control: the host's name for it,
// the spinner's halves and the drop button pressed as clicks press them, and
// the announcement of a changed number.

namespace quillomet {
namespace {

using AssistiveTest = testing::ControlTest;

// The host's DisplayName first; its extender's Name when it gives none.
TEST_F(AssistiveTest, HostNameComesFromTheDisplayNameThenTheExtender) {
    EXPECT_EQ("", control.HostName());
    host.m_Extender->m_Properties["Name"] = std::string("Quillomet1");
    EXPECT_EQ("Quillomet1", control.HostName());
    host.m_DisplayName = "Amount due";
    EXPECT_EQ("Amount due", control.HostName());
    host.m_DisplayName.clear();
    host.m_Extender->m_Properties["Name"] = 7.0; // no text: no name
    EXPECT_EQ("", control.HostName());
}

// Each press raises what a click raises, and steps or opens as it does.
TEST_F(AssistiveTest, PressesGoThroughTheClickHandlers) {
    control.SetUpDownFunction(true);
    control.SetCalculator(true);
    control.SetUpDownIncrement(5);
    control.SetValue(7.0);
    host.ClearRecords();
    control.ClickSpinner(true);
    EXPECT_EQ(Variant(10.0), control.Value());
    EXPECT_EQ((std::vector<EventId>{EventId::Change, EventId::Change, EventId::MouseDown,
                                    EventId::MouseUp, EventId::Click}),
              Events());
    EXPECT_FALSE(Repeating()); // released at once: no repeat follows
    control.ClickSpinner(false);
    EXPECT_EQ(Variant(5.0), control.Value());

    host.ClearRecords();
    control.ClickCalcButton();
    EXPECT_TRUE(CalculatorState::ForThisThread().IsShowing());
    EXPECT_EQ((std::vector<EventId>{EventId::MouseDown, EventId::MouseUp, EventId::Click}),
              Events());
    control.HideCalculator();

    // A disabled control's spinner does not step, as for the mouse.
    control.SetEnabled(false);
    control.ClickSpinner(true);
    EXPECT_EQ(Variant(5.0), control.Value());
}

// Every Change is announced, before the host hears of it; a write of the
// same number is neither.
TEST_F(AssistiveTest, ChangedNumbersAreAnnounced) {
    int announcedBeforeChange = -1;
    host.m_OnEvent = [&](EventId event, std::span<Variant>) {
        if (event == EventId::Change)
            announcedBeforeChange = toolkit.m_ValueAnnouncements;
    };
    const int before = toolkit.m_ValueAnnouncements;
    control.SetValue(3.0);
    EXPECT_EQ(before + 1, toolkit.m_ValueAnnouncements);
    EXPECT_EQ(before + 1, announcedBeforeChange);
    control.SetValue(3.0);
    EXPECT_EQ(before + 1, toolkit.m_ValueAnnouncements);
    FocusIn();
    Field().TypeText("4");
    EXPECT_EQ(before + 2, toolkit.m_ValueAnnouncements);
}

} // namespace
} // namespace quillomet
