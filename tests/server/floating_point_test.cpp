// A host that runs with its own floating-point environment: exceptions
// unmasked to trap its own errors, another rounding mode, denormals
// flushed. The control computes the same numbers as under the standard
// environment, nothing faults, and the host gets its environment back
// after every call. Runs under Wine with a display.
#include "screen_fixture.h"
#include "test_main.h"
#include "win32com/unique_bstr.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using quillomet::com::unique_bstr;
using quillomet::testing::Calculator;
using quillomet::testing::CalculatorKeys;
using quillomet::testing::CloseMessage;
using quillomet::testing::g_MessageText;
using quillomet::testing::g_OcxPath;
using quillomet::testing::Pump;
using quillomet::testing::Readout;
using quillomet::testing::ScreenTest;

struct FloatingPointEnvironment {
    std::uint16_t x87 = 0;
    std::uint32_t mxcsr = 0;
    friend bool operator==(const FloatingPointEnvironment&,
                           const FloatingPointEnvironment&) = default;
};

// The control words only: the status flags are anyone's to set.
FloatingPointEnvironment CurrentEnvironment() {
    FloatingPointEnvironment environment;
    __asm__ volatile("fnstcw %0" : "=m"(environment.x87));
    __asm__ volatile("stmxcsr %0" : "=m"(environment.mxcsr));
    environment.mxcsr &= 0xFFC0;
    return environment;
}

// As a host's runtime call would set it, both units at once; pending flags
// are cleared first, or an unmasked one would fault at once.
void SetEnvironment(const FloatingPointEnvironment& environment) {
    __asm__ volatile("fnclex");
    __asm__ volatile("fldcw %0" : : "m"(environment.x87));
    const std::uint32_t mxcsr = environment.mxcsr;
    __asm__ volatile("ldmxcsr %0" : : "m"(mxcsr));
}

const FloatingPointEnvironment Standard{0x027F, 0x1F80};

const struct {
    const char* name;
    FloatingPointEnvironment environment;
} HostEnvironments[] = {
    // Invalid, zero-divide and overflow unmasked, rounding toward zero.
    {"traps, toward zero", {0x0E72, 0x7900}},
    // The same traps, rounding upward, single precision on the x87 unit,
    // denormals flushed to zero and read as zero.
    {"traps, upward, single, flush", {0x0872, 0x5940 | 0x8000}},
};

class FloatingPointTest : public ScreenTest {
protected:
    // One call into the control under the host's environment: afterwards
    // the environment must be the host's again.
    template <typename Call>
    void AsHost(Call call) {
        SetEnvironment(m_Host);
        call();
        const FloatingPointEnvironment after = CurrentEnvironment();
        SetEnvironment(Standard);
        if (!(after == m_Host))
            ++m_EnvironmentsLost;
    }

    void Note(const std::string& what) {
        std::wstring text;
        AsHost([&] { text = Text(); });
        double value = 0;
        AsHost([&] { value = Value(); });
        char digits[32];
        const auto end =
            std::to_chars(digits, digits + sizeof digits, value, std::chars_format::general, 17);
        m_Transcript.push_back(what + ": " + std::string(text.begin(), text.end()) + " = " +
                               std::string(digits, end.ptr));
    }

    void NoteReadout(const std::string& what) {
        std::wstring readout;
        AsHost([&] { readout = Readout(); });
        m_Transcript.push_back(what + ": readout " + std::string(readout.begin(), readout.end()));
    }

    void Format(const wchar_t* picture) {
        const unique_bstr format(SysAllocString(picture));
        AsHost([&] { m_Control->put_Format(format.get()); });
    }

    // Value writes and reads, the display and plain forms, stepping by the
    // arrow keys with range and increment, and the calculator's
    // overflowing products and division by zero.
    std::vector<std::string> Session(const FloatingPointEnvironment& host) {
        m_Host = host;
        m_Transcript.clear();
        // Each session starts with the display form: the field takes the
        // focus and really loses it (closing the calculator highlights it).
        SetFocus(Field());
        SetFocus(m_Next);
        Pump();
        VARIANT_BOOL focused = VARIANT_TRUE;
        m_Control->get_GotFocus(&focused);
        EXPECT_EQ(VARIANT_FALSE, focused);
        Format(L"###,##0.00;(##,###.00)");
        AsHost([&] { m_Control->put_UseMaxMinValues(VARIANT_FALSE); });
        for (double number : {0.1, 0.3, 1234.5678, -99.19, 1e-5, 2.5, 0.125, -0.005, 999999.99}) {
            AsHost([&] { SetValue(number); });
            Note("value");
        }
        Format(L"0.0000000");
        for (double number : {1.0 / 3, 2.0 / 3, 1.2857143, 0.00000005}) {
            AsHost([&] { SetValue(number); });
            Note("seven decimals");
        }
        AsHost([&] { SetFocus(Field()); });
        AsHost([&] { Pump(); });
        Note("plain form");

        Format(L"0.00");
        AsHost([&] { m_Control->put_UpDownFunction(VARIANT_TRUE); });
        AsHost([&] { m_Control->put_UpDownIncrement(3); });
        AsHost([&] { SetValue(7.5); });
        for (UINT key : {VK_UP, VK_UP, VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN}) {
            AsHost([&] { Key(key); });
            Note(key == VK_UP ? "step up" : "step down");
        }
        AsHost([&] { SetValue(2.5); });
        AsHost([&] { Key(VK_DOWN); });
        Note("step down from a half");

        Format(L"0.0000");
        AsHost([&] { SetValue(0); });
        AsHost([&] { m_Control->ShowCalculator(); });
        AsHost([&] { Pump(); });
        EXPECT_NE(nullptr, Calculator());
        const std::string nines = "9 9 9 9 9 9 9 9 9 9 9 9 9 9 ";
        for (int factor = 0; factor < 24; ++factor) {
            AsHost([&] { CalculatorKeys(nines + "X"); });
            NoteReadout("product");
        }
        AsHost([&] { CalculatorKeys("C 1 / 3 = X 3 = - 0 . 3 3 3 3 3 ="); });
        NoteReadout("thirds");
        g_MessageText.clear();
        SetTimer(nullptr, 0, 100, &CloseMessage);
        AsHost([&] { CalculatorKeys("C 7 / 0 ="); });
        EXPECT_EQ(L"Calculator: Can't divide by zero", g_MessageText);
        NoteReadout("division by zero");
        AsHost([&] { CalculatorKeys("C 5 0 + 1 0 % ="); });
        NoteReadout("percent");
        Note("handed back");
        AsHost([&] { m_Control->HideCalculator(); });
        AsHost([&] { Pump(); });
        return m_Transcript;
    }

    FloatingPointEnvironment m_Host = Standard;
    std::vector<std::string> m_Transcript;
    int m_EnvironmentsLost = 0;
};

TEST_F(FloatingPointTest, HostEnvironmentChangesNoNumberAndIsKept) {
    SetEnvironment(Standard);
    const std::vector<std::string> expected = Session(Standard);
    ASSERT_EQ(0, m_EnvironmentsLost);
    for (const auto& host : HostEnvironments) {
        SCOPED_TRACE(host.name);
        const std::vector<std::string> seen = Session(host.environment);
        EXPECT_EQ(expected, seen) << [&] {
            std::string differing;
            for (std::size_t k = 0; k < std::max(expected.size(), seen.size()); ++k)
                if (k >= expected.size() || k >= seen.size() || expected[k] != seen[k])
                    differing += "\n  line " + std::to_string(k) + ": " +
                                 (k < expected.size() ? expected[k] : "(none)") + " | " +
                                 (k < seen.size() ? seen[k] : "(none)");
            return differing;
        }();
        EXPECT_EQ(0, m_EnvironmentsLost) << "calls that left the host another environment";
        m_EnvironmentsLost = 0;
    }
}

} // namespace

int main(int argc, char** argv) {
    return quillomet::testing::RunWithOcx(argc, argv, g_OcxPath, "floating_point_test");
}
