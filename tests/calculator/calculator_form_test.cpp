#include "calculator/calculator_state.h"
#include "control/control_fixture.h"

#include <utility>
#include <vector>

namespace quillomet {
namespace {

using B = CalculatorButton;

class CalculatorWindowTest : public testing::ControlTest {
protected:
    memory::MemoryCalculatorWindow* Window() { return toolkit.m_CalculatorWindow; }
    CalculatorState& State() { return CalculatorState::ForThisThread(); }
    void Open() {
        CalcButton().MouseDown();
        CalcButton().MouseUp();
        ASSERT_NE(nullptr, Window());
    }
    void Keys(std::initializer_list<std::int16_t> keys) {
        for (std::int16_t key : keys)
            Window()->Press(key);
    }
};

TEST_F(CalculatorWindowTest, OpensBelowTheControlOnRelease) {
    host.m_Height = 300;
    toolkit.m_ControlWindowRect = {100, 200, 216, 220};
    control.SetValue(12.0);
    CalcButton().MouseDown();
    EXPECT_EQ(nullptr, Window()); // not on the press
    CalcButton().MouseUp();
    ASSERT_NE(nullptr, Window());
    EXPECT_EQ(1485, Window()->Left());
    EXPECT_EQ(3300, Window()->Top());
    EXPECT_TRUE(Window()->Shown());
    EXPECT_TRUE(State().IsShowing());
    EXPECT_EQ("12.", Window()->Readout());
    EXPECT_EQ("12.00", Shown()); // the field shows its display form
    EXPECT_EQ(EventId::MouseUp, host.m_Events.back().event);
}

TEST_F(CalculatorWindowTest, DisabledControlOpensNothing) {
    control.SetEnabled(false);
    control.ShowCalculator();
    EXPECT_EQ(nullptr, Window());
    control.HideCalculator(); // nothing open: nothing happens
    EXPECT_FALSE(control.GotFocus());
}

TEST_F(CalculatorWindowTest, OperatorsHandBackAndClosingKeepsWhatWasHanded) {
    const struct {
        std::vector<std::int16_t> keys;
        double value;
        int changes;
    } rows[] = {
        {{'1', '2', 107, '3'}, 12, 1},      // "+" handed 12; the 3 is dropped
        {{'1', '2', 107, '3', 187}, 15, 2}, // "=" handed 15
        {{'7', 107, 8}, 7, 1},              // Backspace hands nothing
        {{'4', 'C'}, 0, 0},                 // C hands 0: the control held 0
    };
    for (const auto& row : rows) {
        control.SetValue(0.0);
        host.ClearRecords();
        Open();
        for (std::int16_t key : row.keys)
            Window()->Press(key);
        Window()->ActivateElsewhere(); // a click outside
        EXPECT_EQ(nullptr, Window());
        EXPECT_EQ(row.value, control.Value().ToDouble());
        EXPECT_EQ(row.changes, host.Changes());
        // The close gave the control its highlight back.
        EXPECT_TRUE(control.GotFocus());
        EXPECT_FALSE(control.SkipFocus());
        Field().LoseFocus();
    }
}

TEST_F(CalculatorWindowTest, EveryWayOfClosingHighlightsTheOwner) {
    enum Closing { Escape, F4, AltF4, AltUp, Deactivation, WatchTimer, Hide, Toggle };
    control.SetValue(-5.0);
    for (Closing closing : {Escape, F4, AltF4, AltUp, Deactivation, WatchTimer, Hide, Toggle}) {
        SCOPED_TRACE(closing);
        Open();
        EXPECT_FALSE(control.GotFocus());
        switch (closing) {
        case Escape:
            Window()->Press(27);
            break;
        case F4:
            Window()->Press(115);
            break;
        case AltF4:
            Window()->Press(115, 4);
            break;
        case AltUp:
            Window()->Press(38, 4);
            break;
        case Deactivation:
            Window()->ActivateElsewhere();
            break;
        case WatchTimer:
            Window()->LoseActivationSilently();
            toolkit.m_Clock.Advance(100);
            break;
        case Hide:
            control.HideCalculator();
            break;
        case Toggle:
            control.ShowCalculator(); // a second opening while it is up
            break;
        }
        EXPECT_EQ(nullptr, Window());
        EXPECT_FALSE(State().IsShowing());
        EXPECT_TRUE(control.GotFocus());
        EXPECT_EQ("-5.00", Shown()); // plain form, selected
        EXPECT_EQ(5, Field().SelLength());
        Field().LoseFocus();
    }
}

// Up without Alt and Alt with other keys are no closing keys; Alt with a
// key of the map is the system's (menus, typed codes) and types nothing.
TEST_F(CalculatorWindowTest, OnlyTheDropDownKeysClose) {
    for (const auto& [keyCode, shift] : std::vector<std::pair<std::int16_t, std::int16_t>>{
             {38, 0}, {40, 4}, {18, 4}, {114, 0}, {53, 4}, {101, 4}, {67, 4}, {107, 4}}) {
        SCOPED_TRACE(keyCode);
        Open();
        Window()->Press('9');
        Window()->Press(keyCode, shift);
        EXPECT_NE(nullptr, Window());
        EXPECT_EQ("9.", Window()->Readout());
        control.HideCalculator();
        Field().LoseFocus();
    }
}

TEST_F(CalculatorWindowTest, WatchTimerLeavesAnActiveCalculatorOpen) {
    Open();
    toolkit.m_Clock.Advance(1000);
    EXPECT_NE(nullptr, Window());
}

TEST_F(CalculatorWindowTest, KeyMap) {
    const struct {
        std::vector<std::pair<std::int16_t, std::int16_t>> keys; // key code, shift
        const char* readout;
    } rows[] = {
        {{{'3', 0}, {56, 1}, {'4', 0}, {187, 0}}, "12"},             // Shift+8 multiplies
        {{{'3', 0}, {107, 0}, {53, 1}, {187, 1}}, "8"},              // Shift+5 is 5; Shift+= is "="
        {{{101, 0}, {106, 0}, {98, 0}, {17, 0}}, "10"},              // keypad, Ctrl evaluates
        {{{'9', 0}, {111, 0}, {'4', 0}, {13, 0}, {187, 0}}, "2.25"}, // Enter does nothing
        {{{'9', 0}, {109, 0}, {'4', 0}, {187, 0}}, "5"},
        {{{'9', 0}, {191, 0}, {'3', 0}, {187, 0}}, "3."},
        {{{'1', 0}, {190, 0}, {'5', 0}, {110, 0}, {'5', 0}}, "1.55"},
        {{{'1', 0}, {189, 0}, {88, 0}, {'2', 0}, {187, 0}}, "2"},
        {{{'1', 0}, {'2', 0}, {8, 0}}, "1."},
        {{{'1', 0}, {67, 0}}, "0."},
        {{{'1', 0}, {46, 0}, {'2', 0}}, "12."}, // Delete does nothing
    };
    for (const auto& row : rows) {
        Open();
        for (const auto& [key, shift] : row.keys)
            Window()->Press(key, shift);
        EXPECT_EQ(row.readout, Window()->Readout());
        control.HideCalculator();
        control.SetValue(0.0);
    }
}

TEST_F(CalculatorWindowTest, CtrlCCopiesTheEvaluatedReadout) {
    Open();
    Keys({'2', 107, '3'});
    Window()->KeyDown(17, 2); // Ctrl itself: "="
    Window()->KeyDown(67, 2);
    EXPECT_EQ("5", toolkit.m_Clipboard);
    EXPECT_EQ(5, control.Value().ToDouble());
}

TEST_F(CalculatorWindowTest, ButtonsDriveTheEngine) {
    Open();
    for (B b :
         {B::Number1, B::Number2, B::Decimal, B::Number5, B::Operator2, B::Number2, B::Operator4})
        Window()->Click(b);
    EXPECT_EQ("25", Window()->Readout());
    for (B b : {B::Operator1, B::Number1, B::Number0, B::Percent, B::Operator4})
        Window()->Click(b);
    EXPECT_EQ("2.5", Window()->Readout());
    for (B b : {B::Operator0, B::Number2, B::CancelEntry, B::Number5, B::Operator4, B::Operator3,
                B::Number1, B::Operator4})
        Window()->Click(b);
    EXPECT_EQ("-0.5", Window()->Readout()); // a difference is a currency
    Window()->Click(B::Cancel);
    EXPECT_EQ(0, control.Value().ToDouble());
}

TEST_F(CalculatorWindowTest, DivisionMessageLeavesTheCalculatorOpen) {
    Open();
    Window()->m_WhileMessageUp = [&] {
        Window()->ActivateElsewhere(); // the message box takes the activation
        toolkit.m_Clock.Advance(300);  // and the watch timer ticks meanwhile
    };
    Keys({'7', 111, '0', 187});
    ASSERT_NE(nullptr, Window());
    ASSERT_EQ(1u, Window()->m_Messages.size());
    EXPECT_EQ("Can't divide by zero", Window()->m_Messages[0].text);
    EXPECT_EQ("Calculator", Window()->m_Messages[0].title);
    EXPECT_EQ("7.", Window()->Readout());
}

// A close asked for while a key is being handled waits for the key: here
// the host's Change handler hides the calculator during the hand-back.
TEST_F(CalculatorWindowTest, CloseDuringAKeyRunsAfterIt) {
    int changes = 0;
    host.m_OnEvent = [&](EventId event, std::span<Variant>) {
        if (event == EventId::Change && ++changes == 1)
            control.HideCalculator();
    };
    Open();
    Keys({'4', 107});
    EXPECT_EQ(nullptr, Window());
    EXPECT_EQ(4, control.Value().ToDouble());
    EXPECT_TRUE(control.GotFocus());
}

TEST_F(CalculatorWindowTest, DraggingTheBackground) {
    Open();
    Window()->MouseDownOnBackground();
    EXPECT_EQ(1, Window()->Drags());
}

// A number the control holds but the calculator's currency cannot opens no
// calculator: ShowCalculator fails with the overflow error.
TEST_F(CalculatorWindowTest, NumberBeyondTheCurrencyRangeOpensNothing) {
    control.SetValue(999999999999999.0);
    EXPECT_EQ(ErrorNumber::Overflow, testing::ErrorOf([&] { control.ShowCalculator(); }));
    EXPECT_EQ(nullptr, Window());
    EXPECT_EQ(nullptr, State().Form());
    EXPECT_FALSE(State().IsShowing());
    control.SetValue(922337203685477.0);
    Open();
    EXPECT_EQ("92233720368547", Window()->Readout());
}

// The opening seed unedited is the owner's number: an operator hands
// nothing back, although the readout shows only its first 14 characters.
TEST_F(CalculatorWindowTest, UneditedSeedHandsNothingBack) {
    control.SetValue(1234567890123.45);
    Open();
    host.ClearRecords();
    Keys({107, 107});
    EXPECT_EQ("1234567890123.", Window()->Readout());
    EXPECT_EQ(0, host.Changes());
    EXPECT_EQ(1234567890123.45, control.Value().ToDouble());
}

TEST_F(CalculatorWindowTest, CommaLocaleHandsBackTheNumberShown) {
    toolkit.m_DecimalSeparator = ',';
    control.SetValue(12.5);
    Open();
    EXPECT_EQ("12,5", Window()->Readout());
    Keys({'7', 107});
    EXPECT_EQ(12.57, control.Value().ToDouble());
}

TEST_F(CalculatorWindowTest, ExponentReadoutHandsBackItsNumber) {
    control.SetFormat("0.00000");
    Open();
    Keys({'0', 190, '0', '0', '1', 106, '0', 190, '0', '1', 187});
    EXPECT_EQ("1E-05", Window()->Readout());
    EXPECT_EQ("0.00001", Shown());
}

// Two controls share the one calculator: the second one's press moves the
// focus into it, which closes the first one's calculator, and that close
// still reaches the first control.
TEST_F(CalculatorWindowTest, TwoControlsShareTheCalculator) {
    memory::MemoryToolkit toolkit2;
    memory::MemoryContainer host2;
    Quillomet second(toolkit2, host2);
    host2.Attach(second);
    second.InitProperties();
    second.OnResize();

    control.SetValue(3.0);
    Open();
    toolkit2.Image(0).MouseDown();
    second.OnEnterFocus();
    toolkit2.Field().ReceiveFocus();
    EXPECT_EQ(nullptr, toolkit.m_CalculatorWindow);
    EXPECT_TRUE(control.GotFocus()); // the first control got its highlight
    EXPECT_FALSE(second.GotFocus()); // the press let this arrival pass
    toolkit2.Image(0).MouseUp();
    ASSERT_NE(nullptr, toolkit2.m_CalculatorWindow);
    toolkit2.m_CalculatorWindow->Press('9');
    toolkit2.m_CalculatorWindow->Press(187);
    toolkit2.m_CalculatorWindow->Press(27);
    EXPECT_EQ(9, second.Value().ToDouble());
    EXPECT_EQ(3, control.Value().ToDouble());
    EXPECT_TRUE(second.GotFocus());
}

TEST_F(CalculatorWindowTest, OwnerTerminatingWhileOpenClosesAndIsForgotten) {
    auto toolkit2 = std::make_unique<memory::MemoryToolkit>();
    auto host2 = std::make_unique<memory::MemoryContainer>();
    auto second = std::make_unique<Quillomet>(*toolkit2, *host2);
    host2->Attach(*second);
    second->InitProperties();
    second->ShowCalculator();
    ASSERT_NE(nullptr, toolkit2->m_CalculatorWindow);
    second->OnTerminate();
    EXPECT_EQ(nullptr, toolkit2->m_CalculatorWindow);
    EXPECT_EQ(nullptr, State().Owner());
    second.reset(); // nothing refers to it any more
    control.HideCalculator();
    control.ShowCalculator(); // the calculator still works for others
    EXPECT_NE(nullptr, Window());
}

TEST_F(CalculatorWindowTest, OwnerDestroyedWithoutTerminationCloses) {
    {
        memory::MemoryToolkit toolkit2;
        memory::MemoryContainer host2;
        Quillomet second(toolkit2, host2);
        host2.Attach(second);
        second.InitProperties();
        second.ShowCalculator();
        EXPECT_NE(nullptr, toolkit2.m_CalculatorWindow);
    }
    EXPECT_EQ(nullptr, State().Form());
    EXPECT_EQ(nullptr, State().Owner());
}

// A thread that ends before controls it made (a host thread that never
// released them): the calculator they shared goes with it, the controls
// left know their thread has ended, and the last of them frees what the
// thread kept (the sanitizer build tells a leak or a second free).
TEST(ThreadEndTest, TheCalculatorGoesWithTheThreadAndItsDataWithTheLastControl) {
    static ThreadData* s_Thread = nullptr;
    s_Thread = new ThreadData;
    SetThreadDataSource([](bool) { return s_Thread; });
    memory::MemoryToolkit toolkit;
    memory::MemoryContainer host;
    auto control = std::make_unique<Quillomet>(toolkit, host);
    host.Attach(*control);
    control->InitProperties();
    control->ShowCalculator();
    ASSERT_NE(nullptr, toolkit.m_CalculatorWindow);
    Quillomet::EndThread(*s_Thread);
    ReleaseThreadData(*std::exchange(s_Thread, nullptr)); // the thread lets go
    SetThreadDataSource(nullptr);
    EXPECT_EQ(nullptr, toolkit.m_CalculatorWindow);
    EXPECT_TRUE(control->ThreadEnded());
    control.reset();
}

} // namespace
} // namespace quillomet
