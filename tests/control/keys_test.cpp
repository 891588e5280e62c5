#include "calculator/calculator_state.h"
#include "control/control_fixture.h"
#include "control/key_codes.h"

#include <string>
#include <utility>

namespace quillomet {
namespace {

class KeysTest : public testing::ControlTest {
protected:
    void Show(const std::string& text, std::int32_t selStart, std::int32_t selLength) {
        Field().SetText(text);
        Field().SetSelStart(selStart);
        Field().SetSelLength(selLength);
        host.ClearRecords();
    }
    std::vector<std::int16_t> KeyPressCodes() const {
        std::vector<std::int16_t> codes;
        for (const auto& raised : host.m_Events)
            if (raised.event == EventId::KeyPress)
                codes.push_back(raised.arguments[0].ToInteger());
        return codes;
    }
};

TEST_F(KeysTest, TypingUpToTheLengthLimit) {
    FocusIn();
    Field().TypeText("1234567.89");
    EXPECT_EQ("1234567.89", Shown());
    EXPECT_EQ(0, toolkit.m_Beeps);
    Field().TypeChar('5');
    EXPECT_EQ("1234567.89", Shown());
    EXPECT_EQ(1, toolkit.m_Beeps);
    SelectAll();
    Field().TypeChar('7'); // a whole selection is replaced, never full
    EXPECT_EQ("7", Shown());
    EXPECT_EQ(1, toolkit.m_Beeps);
}

// The character filter: what is admitted where, and which refusals beep.
TEST_F(KeysTest, CharacterFilter) {
    const struct {
        const char* format;
        bool positiveOnly;
        const char* text;
        std::int32_t selStart, selLength;
        char typed;
        bool admitted;
        bool beep;
    } rows[] = {
        {Quillomet::DefaultFormat, false, "12", 2, 0, '5', true, false},
        {Quillomet::DefaultFormat, false, "12.5", 4, 0, '.', false, false},
        {Quillomet::DefaultFormat, false, "12.5", 0, 4, '.', true, false},
        {Quillomet::DefaultFormat, false, "12", 2, 0, '.', true, false},
        {"#,##0", false, "12", 2, 0, '.', false, false},
        {"#,##0", false, "12345", 5, 0, '.', false, true},
        {"#,##0", false, "12345", 5, 0, '-', false, true},
        {"#,##0", false, "12345", 5, 0, '6', false, true},
        {"#,##0", false, "12345", 0, 5, '6', true, false},
        {Quillomet::DefaultFormat, false, "12", 0, 0, '-', true, false},
        {Quillomet::DefaultFormat, false, "-12", 0, 0, '-', true, false},
        {Quillomet::DefaultFormat, false, "12", 1, 0, '-', false, false},
        {Quillomet::DefaultFormat, true, "12", 0, 0, '-', false, false},
        {Quillomet::DefaultFormat, false, "", 0, 0, 'a', false, false},
        {Quillomet::DefaultFormat, false, "", 0, 0, ' ', false, false},
        {Quillomet::DefaultFormat, false, "1", 1, 0, ',', false, false},
        {Quillomet::DefaultFormat, false, "1", 1, 0, '+', false, false},
        {Quillomet::DefaultFormat, false, "1", 1, 0, '\r', false, false},
        {Quillomet::DefaultFormat, false, "1", 1, 0, '\x03', false, false}, // Ctrl+C's character
        {Quillomet::DefaultFormat, false, "1", 1, 0, '\x0e', true, false},  // Ctrl+N, as "."
        {"#,##0", false, "12345", 5, 0, '\b', true, false},
        {"", false, "12345678901234", 14, 0, '5', true, false}, // no length limit
        // A 16th integer digit would reach 10^15, which no number of the
        // control can be; fraction digits and digits typed over others can.
        {"", false, "123456789012345", 15, 0, '6', false, true},
        {"", false, "-123456789012345", 0, 0, '6', false, true},
        {"", false, "123456789012345.", 16, 0, '6', true, false},
        {"", false, "123456789012345", 0, 1, '9', true, false},
        {"", false, "000000000000001", 15, 0, '9', true, false},
        {"", false, "000000000000001", 0, 0, '9', false, true},
        {"", false, "999999999999999.9", 17, 0, '9', false, true}, // reads as 10^15
        // Positions count UTF-16 units: the euro sign is three bytes.
        {"", false, "\u20ac 123456789012345.", 18, 0, '5', true, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << row.format << " \"" << row.text << "\" + " << static_cast<int>(row.typed));
        control.SetFormat(row.format);
        control.SetPositiveOnly(row.positiveOnly);
        Show(row.text, row.selStart, row.selLength);
        const int beeps = toolkit.m_Beeps;
        Field().TypeChar(row.typed);
        EXPECT_EQ(row.beep ? beeps + 1 : beeps, toolkit.m_Beeps);
        const std::vector<std::int16_t> expected =
            row.admitted ? std::vector<std::int16_t>{static_cast<std::int16_t>(row.typed)}
                         : std::vector<std::int16_t>{};
        EXPECT_EQ(expected, KeyPressCodes());
    }
}

TEST_F(KeysTest, HostCanCancelOrChangeTheCharacter) {
    FocusIn();
    host.m_OnEvent = [](EventId event, std::span<Variant> arguments) {
        if (event == EventId::KeyPress && arguments[0] == Variant(std::int16_t{'3'}))
            arguments[0] = std::int16_t{0};
        if (event == EventId::KeyPress && arguments[0] == Variant(std::int16_t{'4'}))
            arguments[0] = std::int16_t{'9'};
    };
    Field().TypeText("1234");
    EXPECT_EQ("129", Shown());
}

// A KeyDown or KeyPress handler that opens the calculator takes the edit
// away before the key's character goes in: the character is not taken,
// the key's release leaves the calculator open, and once the field has the
// edit back, typing works as before.
TEST_F(KeysTest, HandlerOpeningTheCalculatorTakesTheKeyWithIt) {
    for (const EventId opener : {EventId::KeyDown, EventId::KeyPress}) {
        SCOPED_TRACE(opener == EventId::KeyDown ? "KeyDown" : "KeyPress");
        control.SetValue(1234.5);
        FocusIn();
        bool opened = false;
        host.m_OnEvent = [&](EventId event, std::span<Variant>) {
            if (event == opener && !std::exchange(opened, true))
                control.ShowCalculator();
        };
        Field().KeyDown('5');
        Field().TypeChar('5');
        Field().KeyUp('5');
        EXPECT_TRUE(opened);
        EXPECT_TRUE(CalculatorState::ForThisThread().IsShowing());
        EXPECT_EQ("1,234.50", Shown());

        host.m_OnEvent = nullptr;
        control.HideCalculator();
        EXPECT_TRUE(control.GotFocus());
        Field().KeyDown('7');
        Field().TypeChar('7');
        Field().KeyUp('7');
        EXPECT_EQ("7", Shown());
        FocusOut();
    }
}

TEST_F(KeysTest, LockedFieldRefusesTypingButNotTheClipboardKeys) {
    control.SetValue(1234.5);
    control.SetLocked(true);
    FocusIn();
    host.ClearRecords();
    Field().TypeText("7.");
    EXPECT_EQ("1,234.50", Shown());
    EXPECT_TRUE(KeyPressCodes().empty());
    EXPECT_EQ(0, toolkit.m_Beeps);

    Field().PressKey(key::C, shift::Ctrl);
    EXPECT_EQ("1,234.50", toolkit.m_Clipboard);
    toolkit.m_Clipboard = "99";
    Field().PressKey(key::V, shift::Ctrl);
    EXPECT_EQ("99.00", Shown());
    Field().PressKey(key::X, shift::Ctrl);
    EXPECT_EQ("", Shown());
    EXPECT_EQ("99.00", toolkit.m_Clipboard);
}

TEST_F(KeysTest, ClipboardKeysActOnTheWholeText) {
    const struct {
        const char* text;
        std::int16_t keyCode;
        std::int16_t shift;
        const char* clipboardBefore;
        const char* shownAfter;
        const char* clipboardAfter;
        int changes;
    } rows[] = {
        {"1234.5", key::C, shift::Ctrl, "x", "1234.5", "1234.5", 0},
        {"1234.5", key::X, shift::Ctrl, "x", "", "1234.5", 1},
        {"0", key::X, shift::Ctrl, "x", "", "0", 0},
        {"12", key::V, shift::Ctrl, "(1,234.5)", "-1,234.50", "(1,234.5)", 1},
        {"-1234.5", key::V, shift::Ctrl, "(1,234.5)", "-1,234.50", "(1,234.5)", 0},
        {"12", key::V, shift::Ctrl, "no digits", "0.00", "no digits", 1},
        {"12", key::V, shift::Ctrl | shift::Shift, "77", "12", "77", 0},
        {"12", key::C, shift::None, "x", "12", "x", 0},
    };
    FocusIn();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        Show(row.text, 1, 1); // part of the text selected
        control.Highlight();  // record it as seen
        Field().SetSelStart(1);
        Field().SetSelLength(1);
        host.ClearRecords();
        toolkit.m_Clipboard = row.clipboardBefore;
        Field().PressKey(row.keyCode, row.shift);
        EXPECT_EQ(row.shownAfter, Shown());
        EXPECT_EQ(row.clipboardAfter, toolkit.m_Clipboard);
        EXPECT_EQ(row.changes, host.Changes());
        EXPECT_EQ(EventId::KeyUp, host.m_Events.back().event);
    }
}

// Shift+Insert, Shift+Delete, Ctrl+Insert and menus follow the same rules
// as the Ctrl keys: the whole text, also when the field is locked, and no
// KeyUp is raised for them.
TEST_F(KeysTest, OtherClipboardRoadsActLikeTheCtrlKeys) {
    control.SetValue(1234.5);
    control.SetLocked(true);
    FocusIn();
    host.ClearRecords();
    Field().SetSelStart(2);
    Field().SetSelLength(1);
    Field().Clipboard(ClipboardCommand::Copy);
    EXPECT_EQ("1,234.50", toolkit.m_Clipboard);
    toolkit.m_Clipboard = "(7)";
    Field().Clipboard(ClipboardCommand::Paste);
    EXPECT_EQ("-7.00", Shown());
    EXPECT_EQ(5, Field().SelLength());
    Field().Clipboard(ClipboardCommand::Cut);
    EXPECT_EQ("", Shown());
    EXPECT_EQ("-7.00", toolkit.m_Clipboard);
    EXPECT_EQ((std::vector<EventId>{EventId::Change, EventId::Change}), Events());
}

TEST_F(KeysTest, PasteSelectsTheWholeNumber) {
    FocusIn();
    toolkit.m_Clipboard = "(1,234.5)";
    Field().PressKey(key::V, shift::Ctrl);
    EXPECT_EQ(0, Field().SelStart());
    EXPECT_EQ(9, Field().SelLength());
    EXPECT_EQ(Variant(-1234.5), control.Value());
}

// A paste too long for the field, or of a number of 10^15 or more, is
// refused whole with the beep; the field keeps its number.
TEST_F(KeysTest, OversizedPasteIsRefusedWhole) {
    const std::string refused[] = {
        std::string(40000, '9'),
        "1234567890123456",
        "1,234,567,890,123,456.00",
        "(1" + std::string(400, '0') + ")",
    };
    control.SetValue(5.0);
    FocusIn();
    int beeps = 0;
    for (const std::string& pasted : refused) {
        SCOPED_TRACE(pasted.substr(0, 30));
        toolkit.m_Clipboard = pasted;
        Field().PressKey(key::V, shift::Ctrl);
        EXPECT_EQ("5.00", Shown());
        EXPECT_EQ(++beeps, toolkit.m_Beeps);
    }
    toolkit.m_Clipboard = "(123,456,789,012,345.5)";
    Field().PressKey(key::V, shift::Ctrl);
    EXPECT_EQ(Variant(-123456789012345.5), control.Value());
    EXPECT_EQ(beeps, toolkit.m_Beeps);
}

// An edit the filter does not see, a point deleted, cannot make a number of
// 10^15 or more: it is undone with the beep.
TEST_F(KeysTest, DeletedPointThatWouldReachTenToTheFifteenIsUndone) {
    control.SetValue(12345678901234.5);
    FocusIn();
    EXPECT_EQ("12345678901234.50", Shown());
    Field().SetSelStart(15); // after the point
    Field().SetSelLength(0);
    const int beeps = toolkit.m_Beeps;
    Field().TypeChar('\b');
    EXPECT_EQ(beeps + 1, toolkit.m_Beeps);
    EXPECT_EQ("12345678901234.50", Shown());
    FocusOut();
    EXPECT_EQ(Variant(12345678901234.5), control.Value());
}

// A text the user types that looks like the display form the control made
// earlier is the user's: "-5" under "-#,##0;(#,##0)" is minus five.
TEST_F(KeysTest, TypedTextIsNotReadThroughAnEarlierDisplayForm) {
    control.SetFormat("-#,##0;(#,##0)");
    control.SetValue(5.0);
    EXPECT_EQ("-5", Shown());
    FocusIn();
    SelectAll();
    Field().TypeText("-5");
    EXPECT_EQ(Variant(-5.0), control.Value());
    FocusOut();
    EXPECT_EQ("(5)", Shown());
    EXPECT_EQ(Variant(-5.0), control.Value());
}

TEST_F(KeysTest, ArrowKeysWithoutSpinnerOnlyRaiseEvents) {
    control.SetValue(5.0);
    FocusIn();
    host.ClearRecords();
    Field().PressKey(key::Up);
    EXPECT_EQ("5.00", Shown());
    EXPECT_EQ((std::vector<EventId>{EventId::KeyDown, EventId::KeyUp}), Events());
}

TEST_F(KeysTest, ArrowKeysWithSpinnerStepAndReselect) {
    control.SetUpDownFunction(true);
    control.SetValue(5.0);
    FocusIn();
    host.ClearRecords();
    Field().KeyDown(key::Up);
    EXPECT_EQ("6.00", Shown()); // written while focused: the focused display form
    Field().KeyUp(key::Up);
    EXPECT_EQ("6.00", Shown());
    EXPECT_EQ(Alignment::Left, Field().TextAlignment());
    EXPECT_EQ(4, Field().SelLength());
    EXPECT_EQ((std::vector<EventId>{EventId::Change, EventId::KeyDown, EventId::KeyUp}), Events());
}

// Alt makes the arrows the calculator's keys: they never step, and the host
// hears them with Alt in the shift state.
TEST_F(KeysTest, AltArrowsNeverStep) {
    control.SetUpDownFunction(true);
    control.SetCalculator(false);
    control.SetValue(5.0);
    FocusIn();
    for (const std::int16_t arrow : {key::Up, key::Down}) {
        host.ClearRecords();
        Field().PressKey(arrow, shift::Alt);
        EXPECT_EQ(Variant(5.0), control.Value());
        EXPECT_EQ((std::vector<EventId>{EventId::KeyDown, EventId::KeyUp}), Events());
        EXPECT_EQ(Variant(shift::Alt), host.m_Events.front().arguments[1]);
    }
}

// The drop-down keys open the calculator of a control that shows its button;
// the key's release leaves it open, and Alt+Up in the field closes it.
TEST_F(KeysTest, DropDownKeysOpenTheCalculator) {
    const struct {
        bool calculator;
        std::int16_t keyCode, shift;
        bool opens;
    } rows[] = {
        {true, key::F4, shift::None, true},    {true, key::Down, shift::Alt, true},
        {true, key::F4, shift::Shift, true},   {true, key::F4, shift::Alt, false}, // the host's
        {true, key::Down, shift::None, false}, {false, key::F4, shift::None, false},
        {false, key::Down, shift::Alt, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message() << row.keyCode << " shift " << row.shift);
        control.SetCalculator(row.calculator);
        FocusIn();
        Field().PressKey(row.keyCode, row.shift);
        EXPECT_EQ(row.opens, CalculatorState::ForThisThread().IsShowing());
        control.HideCalculator();
        FocusOut();
    }
    control.SetCalculator(true);
    FocusIn();
    control.ShowCalculator();
    Field().KeyDown(key::Up, shift::Alt); // the field heard it first
    EXPECT_FALSE(CalculatorState::ForThisThread().IsShowing());
}

// For the keys the control added, the host goes first: what its KeyDown
// handler leaves in the code is what acts.
TEST_F(KeysTest, HostsKeyDownHandlerDecidesTheNewKeys) {
    control.SetUpDownFunction(true);
    control.SetValue(50.0);
    FocusIn();
    host.m_OnEvent = [](EventId event, std::span<Variant> arguments) {
        if (event != EventId::KeyDown)
            return;
        if (arguments[0] == Variant(key::F4))
            arguments[0] = std::int16_t{0};
        else if (arguments[0] == Variant(key::PageUp))
            arguments[0] = key::PageDown;
    };
    Field().PressKey(key::F4);
    EXPECT_FALSE(CalculatorState::ForThisThread().IsShowing());
    Field().PressKey(key::PageUp);
    EXPECT_EQ(Variant(40.0), control.Value());
}

// A layout with a decimal comma types "," with the keypad's decimal key: the
// field takes it as the point, and the host hears a point. A comma typed
// any other way is still refused.
TEST_F(KeysTest, KeypadDecimalKeyTypesAPoint) {
    FocusIn();
    Field().TypeText("12");
    Field().KeyDown(key::KeypadDecimal);
    Field().TypeChar(',');
    Field().KeyUp(key::KeypadDecimal);
    Field().TypeText("5,");
    EXPECT_EQ("12.5", Shown());
    EXPECT_EQ((std::vector<std::int16_t>{'1', '2', '.', '5'}), KeyPressCodes());
    // Its release ends it: a character arriving later is what it is.
    Field().KeyDown(key::KeypadDecimal);
    Field().KeyUp(key::KeypadDecimal);
    Field().TypeChar(',');
    EXPECT_EQ("12.5", Shown());
}

TEST_F(KeysTest, MouseEventsPassOnTheChildsArguments) {
    host.m_OnEvent = [](EventId event, std::span<Variant> arguments) {
        if (event == EventId::MouseDown)
            arguments[2] = 99.0f; // a handler's change comes back
    };
    std::int16_t button = mouse::Right, shift = shift::Shift;
    float x = 15, y = 30;
    Field().Events().OnMouseDown(button, shift, x, y);
    EXPECT_EQ(99.0f, x);
    const auto& raised = host.m_Events.back();
    EXPECT_EQ(EventId::MouseDown, raised.event);
    EXPECT_EQ((std::vector<Variant>{mouse::Right, shift::Shift, 99.0f, 30.0f}), raised.arguments);
    Field().Click();
    Field().DblClick();
    CalcButton().Click();
    EXPECT_EQ((std::vector<EventId>{EventId::MouseDown, EventId::Click, EventId::DblClick,
                                    EventId::Click}),
              Events());
}

} // namespace
} // namespace quillomet
