#include "control/control_fixture.h"
#include "control/key_codes.h"

namespace quillomet {
namespace {

class SteppingTest : public testing::ControlTest {
protected:
    SteppingTest() {
        control.SetUpDownFunction(true);
        control.SetFormat("#,###,###,###,###,##0.00;-#,###,###,###,###,##0.00");
    }
    void Start(double value, std::int16_t increment) {
        control.SetUpDownIncrement(increment);
        control.SetValue(value);
        host.ClearRecords();
    }
    double Number() { return control.Value().ToDouble(); }
    // The field's upper and lower half, in the spinner's own units.
    float Upper() { return 10; }
    float Lower() { return static_cast<float>(Spinner().Height()) - 10; }
};

// Snapping to multiples of the increment, by the arrow keys.
TEST_F(SteppingTest, StepsSnapToMultiples) {
    const struct {
        std::int16_t increment;
        double start;
        std::int16_t key;
        double result;
        int changes;
    } rows[] = {
        {1, 2.5, key::Up, 3.5, 1},                            // 2.5 rounds to 2: remainder 0
        {1, 7.5, key::Down, 6.5, 1},                          // 7.5 rounds to 8: remainder 0
        {10, 25, key::Up, 30, 2},                             // by way of 20
        {5, 7, key::Up, 10, 2},                               // by way of 5
        {5, 10, key::Up, 15, 1},     {5, -7, key::Up, -2, 1}, // negatives do not snap
        {5, 7, key::Down, 5, 1},     {5, 5, key::Down, 0, 1}, {5, -7, key::Down, -12, 1},
        {-5, 7, key::Up, 0, 2}, // a negative increment steps the other way
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.start << " by " << row.increment);
        Start(row.start, row.increment);
        Field().PressKey(row.key);
        EXPECT_EQ(row.result, Number());
        EXPECT_EQ(row.changes, host.Changes());
    }
}

// Page Up and Page Down: from the number snapped as the arrows snap it, ten
// increments in one write.
TEST_F(SteppingTest, PageKeysStepTenIncrementsInOneWrite) {
    const struct {
        std::int16_t increment;
        double start;
        std::int16_t key;
        double result;
    } rows[] = {
        {5, 7, key::PageUp, 55},     {5, 7, key::PageDown, -45},
        {5, 10, key::PageUp, 60},    {1, 2.5, key::PageUp, 12.5}, // 2.5 rounds to 2: remainder 0
        {5, -7, key::PageDown, -57},                              // negatives do not snap
        {5, 0, key::PageDown, -50},  {-5, 10, key::PageUp, -40},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.start << " by " << row.increment);
        Start(row.start, row.increment);
        FocusIn();
        host.ClearRecords();
        Field().KeyDown(row.key);
        EXPECT_EQ(row.result, Number());
        EXPECT_EQ(1, host.Changes());
        Field().KeyUp(row.key);
        EXPECT_EQ(static_cast<std::int32_t>(Shown().size()), Field().SelLength()); // re-selected
        FocusOut();
    }
}

TEST_F(SteppingTest, PageKeysKeepTheArrowsRangeRules) {
    const struct {
        bool useRange, positiveOnly;
        double start;
        std::int16_t key;
        double result;
        int changes;
    } rows[] = {
        {true, false, 95, key::PageUp, 100, 1},      // held at the maximum: one write
        {true, false, 100, key::PageUp, 100, 0},     // at the maximum
        {true, false, 20, key::PageDown, 10.5, 1},   // held at the minimum
        {true, false, 10.4, key::PageDown, 10.5, 0}, // held at 10.5 already: no Change
        {false, true, 5, key::PageDown, 0, 1},       // not below 0, where the sign would go
        {false, true, 0, key::PageDown, 0, 0},
        {false, false, 95, key::PageUp, 105, 1}, // no range: no limit
    };
    control.SetMaxValue(100);
    control.SetMinValue(10.5);
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.start << " range " << row.useRange);
        control.SetUseMaxMinValues(row.useRange);
        control.SetPositiveOnly(row.positiveOnly);
        Start(row.start, 1);
        Field().PressKey(row.key);
        EXPECT_EQ(row.result, Number());
        EXPECT_EQ(row.changes, host.Changes());
    }
    // A negative increment steps a positive-only control down with Page Up.
    control.SetUseMaxMinValues(false);
    control.SetPositiveOnly(true);
    Start(5, -1);
    Field().PressKey(key::PageUp);
    EXPECT_EQ(0, Number());
}

TEST_F(SteppingTest, PageKeysNeedTheSpinnerAndNoAlt) {
    Start(50, 1);
    Field().PressKey(key::PageUp, shift::Alt);
    EXPECT_EQ(50, Number());
    control.SetUpDownFunction(false);
    Field().PressKey(key::PageUp);
    EXPECT_EQ(50, Number());
    EXPECT_EQ(0, host.Changes());
}

// The wheel steps the focused field a step a notch, raising no key events;
// a field without the focus leaves the wheel to the form.
TEST_F(SteppingTest, WheelStepsOnlyTheFocusedField) {
    Start(10, 1);
    EXPECT_FALSE(Field().Wheel(120));
    EXPECT_EQ(10, Number());

    FocusIn();
    host.ClearRecords();
    const struct {
        std::vector<std::int32_t> turns;
        double result;
    } rows[] = {
        {{120}, 11},     {{-240}, 8},         {{60, 60}, 11}, {{40, 40, 40}, 11},
        {{60, -60}, 10}, {{90, -90, -60}, 9}, // turned back: what was left the other way goes
        {{360}, 13},     {{-60, -120}, 9},    // one step, half a notch left over
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.result);
        Start(10, 1);
        FocusIn();
        host.ClearRecords();
        for (const std::int32_t turn : row.turns)
            EXPECT_TRUE(Field().Wheel(turn));
        EXPECT_EQ(row.result, Number());
        for (const EventId event : Events())
            EXPECT_EQ(EventId::Change, event);
        if (row.result != 10) { // re-selected in its plain form
            EXPECT_EQ(static_cast<std::int32_t>(Shown().size()), Field().SelLength());
        }
        FocusOut();
    }

    Start(10, 1);
    control.SetUpDownFunction(false);
    FocusIn();
    EXPECT_FALSE(Field().Wheel(120));
    EXPECT_EQ(10, Number());
}

TEST_F(SteppingTest, RangeStopsTheSteps) {
    control.SetMaxValue(100);
    control.SetMinValue(10.5);
    control.SetUseMaxMinValues(true);
    const struct {
        double start;
        std::int16_t key;
        double result;
        int changes;
    } rows[] = {
        {100, key::Up, 100, 0},     // at the maximum: nothing written
        {10.4, key::Down, 10.5, 2}, // the floor is 10, so it steps, then clamps
        {98, key::Up, 99, 1},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.start);
        Start(row.start, 1);
        Field().PressKey(row.key);
        EXPECT_EQ(row.result, Number());
        EXPECT_EQ(row.changes, host.Changes());
    }
}

// A step that would reach 10^15 stops as one at a limit does, whether or not
// the range is used.
TEST_F(SteppingTest, StepsStopBeforeTenToTheFifteen) {
    const struct {
        double start;
        std::int16_t increment;
        std::int16_t key;
        double result;
    } rows[] = {
        {999999999999999, 1, key::Up, 999999999999999},
        {999999999999990, 10, key::Up, 999999999999990},
        {999999999999980, 10, key::Up, 999999999999990},
        {-999999999999999, 1, key::Down, -999999999999999},
        {-999999999999998, 1, key::Down, -999999999999999},
        {999999999999990, -10, key::Down, 999999999999990},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.start);
        Start(row.start, row.increment);
        Field().PressKey(row.key);
        EXPECT_EQ(row.result, Number());
    }
}

TEST_F(SteppingTest, OvershootIsClampedThenTheNextStepStops) {
    control.SetMaxValue(102);
    control.SetUseMaxMinValues(true);
    Start(100, 5);
    Spinner().MouseDown(Upper());
    EXPECT_EQ(102, Number());
    EXPECT_EQ(2, host.Changes()); // 105, then 102
    EXPECT_TRUE(Repeating());
    toolkit.m_Clock.Advance(700);
    EXPECT_FALSE(Repeating());       // found the limit
    EXPECT_TRUE(control.Spinning()); // until the button is released
    Spinner().MouseUp(Upper());
    EXPECT_FALSE(control.Spinning());
}

TEST_F(SteppingTest, PositiveOnlyStopsAtZero) {
    control.SetPositiveOnly(true);
    Start(0, 5);
    Field().PressKey(key::Down);
    EXPECT_EQ(0, Number());
    EXPECT_EQ(0, host.Changes());
    Start(3, 5);
    Field().PressKey(key::Down);
    EXPECT_EQ(0, Number());
}

TEST_F(SteppingTest, SpinnerPressStepsOnceThenRepeats) {
    Start(10, 1);
    Spinner().MouseDown(Lower());
    EXPECT_EQ(9, Number()); // at once
    toolkit.m_Clock.Advance(699);
    EXPECT_EQ(9, Number());
    toolkit.m_Clock.Advance(1);
    EXPECT_EQ(8, Number()); // after 700 ms
    toolkit.m_Clock.Advance(49);
    EXPECT_EQ(8, Number());
    toolkit.m_Clock.Advance(1);
    EXPECT_EQ(7, Number()); // then every 50 ms
    toolkit.m_Clock.Advance(200);
    EXPECT_EQ(3, Number());
    Spinner().MouseUp(Lower());
    toolkit.m_Clock.Advance(1000);
    EXPECT_EQ(3, Number());
    // No KeyDown while the spinner is held; MouseUp, then Click.
    std::vector<EventId> expected(1, EventId::Change);
    expected.push_back(EventId::MouseDown);
    expected.insert(expected.end(), 6, EventId::Change);
    expected.push_back(EventId::MouseUp);
    expected.push_back(EventId::Click);
    EXPECT_EQ(expected, Events());
}

TEST_F(SteppingTest, ShortPressStepsOnce) {
    Start(10, 1);
    Spinner().MouseDown(Upper());
    toolkit.m_Clock.Advance(300);
    Spinner().MouseUp(Upper());
    toolkit.m_Clock.Advance(1000);
    EXPECT_EQ(11, Number());
    EXPECT_FALSE(Repeating());
}

TEST_F(SteppingTest, HoldingStopsAtTheFloor) {
    control.SetMinValue(5);
    control.SetUseMaxMinValues(true);
    Start(8, 1);
    Spinner().MouseDown(Lower());
    toolkit.m_Clock.Advance(2000);
    EXPECT_EQ(5, Number());
    EXPECT_FALSE(Repeating());
}

TEST_F(SteppingTest, ReleaseReselectsTheNumberWhileFocused) {
    Start(10, 1);
    FocusIn();
    Spinner().MouseDown(Upper());
    Spinner().MouseUp(Upper());
    EXPECT_EQ("11.00", Shown());
    EXPECT_EQ(5, Field().SelLength());
    EXPECT_EQ(Alignment::Left, Field().TextAlignment());
}

TEST_F(SteppingTest, PressOnADisabledOrHiddenSpinnerDoesNothing) {
    for (const bool disable : {true, false}) {
        if (disable)
            control.SetEnabled(false);
        else
            control.SetUpDownFunction(false);
        Start(10, 1);
        Spinner().MouseDown(Upper());
        EXPECT_EQ(10, Number());
        EXPECT_FALSE(control.Spinning());
        Spinner().MouseUp(Upper());
        EXPECT_EQ((std::vector<EventId>{EventId::MouseUp, EventId::Click}), Events());
        control.SetEnabled(true);
        control.SetUpDownFunction(true);
    }
}

// Limits the design leaves open: none of them fails with an arithmetic error.
TEST_F(SteppingTest, UnusualIncrementsValuesAndFloors) {
    Start(7, 0);
    Field().PressKey(key::Up);
    Field().PressKey(key::Down);
    EXPECT_EQ(7, Number()); // an increment of 0 is no step
    EXPECT_EQ(0, host.Changes());

    Start(5e12, 1); // beyond 32 bits
    Field().PressKey(key::Up);
    EXPECT_EQ(5e12 + 1, Number());
    Field().PressKey(key::Down);
    EXPECT_EQ(5e12, Number());

    control.SetMaxValue(1e9);
    control.SetMinValue(100000); // beyond 16 bits: still the floor
    control.SetUseMaxMinValues(true);
    Start(100001, 1);
    Field().PressKey(key::Down);
    EXPECT_EQ(100000, Number());
    Field().PressKey(key::Down);
    EXPECT_EQ(100000, Number());
    EXPECT_FALSE(Repeating());
}

TEST_F(SteppingTest, FocusLeavingMidSpinEndsTheSpin) {
    Start(10, 1);
    FocusIn();
    Spinner().MouseDown(Upper());
    FocusOut(); // the release never reaches the spinner
    EXPECT_FALSE(control.Spinning());
    EXPECT_FALSE(Repeating());
    host.ClearRecords();
    Field().PressKey(key::Up);
    EXPECT_EQ((std::vector<EventId>{EventId::Change, EventId::KeyDown, EventId::KeyUp}), Events());
}

// A host's Change handler may pump messages; a tick that arrives then is
// not a second step inside the first.
TEST_F(SteppingTest, TickDuringAStepIsIgnored) {
    Start(10, 1);
    int nested = 0;
    host.m_OnEvent = [&](EventId event, std::span<Variant>) {
        if (event == EventId::Change && control.Spinning()) {
            ++nested;
            toolkit.m_Clock.Advance(800); // long enough for a tick
        }
    };
    Spinner().MouseDown(Upper());
    EXPECT_EQ(11, Number());
    EXPECT_EQ(1, nested);
}

} // namespace
} // namespace quillomet
