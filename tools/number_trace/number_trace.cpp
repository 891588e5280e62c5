// number_trace: runs the control on the in-memory backend over generated
// inputs and prints one line per input, so that the output of two builds
// (native, and Windows under Wine) can be compared byte for byte.
//
//   number_trace [--family text|range|step|calc|all] [--count N] [--seed S]
//
// Every line starts with the family, the input's index and the input
// itself, then what the control did with it. Doubles are printed with 17
// significant digits, so a last-bit difference shows. stderr ends with
// "# N inputs (family)" per family.
#include "calculator/calculator_state.h"
#include "control/key_codes.h"
#include "control/quillomet.h"
#include "trace_inputs.h"
#include "trace_rig.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include <charconv>
#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace number_trace;
using quillomet::CalculatorButton;
using quillomet::Quillomet;
using quillomet::Variant;

constexpr std::uint64_t DefaultSeed = 0x51A7'2E5E'D000'0001;
constexpr std::uint64_t DefaultCount = 2000;

std::string Flag(bool on) {
    return on ? "1" : "0";
}

// A value as a host gives it: "n" is passed as a double when the control's
// own parser reads it as a number (as text otherwise), "t" always as text.
struct GivenValue {
    std::string text;
    bool asText = false;

    Variant ToVariant() const {
        double number = 0;
        if (!asText && quillomet::ParseAutomationNumber(text, number))
            return number;
        return text;
    }
    std::string Label() const { return (asText ? "t" : "n") + Quoted(text); }
};

GivenValue GivenValueOf(Rng& rng, Magnitude magnitude) {
    GivenValue given;
    given.text = rng.Percent(8) ? OddTextOf(rng) : NumberTextOf(rng, magnitude);
    given.asText = rng.Percent(25);
    return given;
}

// A write the control may refuse: "" when it took it, " what:error N" when
// it threw.
template <typename Action>
std::string Attempt(std::string_view what, Action action) {
    const std::string refusal = number_trace::Attempt(action);
    if (refusal.empty() || what.empty())
        return refusal;
    return " " + std::string(what) + ":" + refusal.substr(1);
}

std::string ValueRead(Rig& rig) {
    return ReadBack([&] { return rig.control.Value(); });
}

// --- text: a picture and a value, shown and read back ------------------------

void TraceText(Rng& rng, std::string& line) {
    const std::string picture = PictureOf(rng);
    const GivenValue value = GivenValueOf(rng, Magnitude::Any);
    const bool focus = rng.Percent(30);
    const bool positiveOnly = rng.Percent(25);
    line += "fmt=" + Quoted(picture) + " val=" + value.Label() + " focus=" + Flag(focus) +
            " pos=" + Flag(positiveOnly) + " :";

    Rig rig;
    line += Attempt("format", [&] { rig.control.SetFormat(picture); });
    rig.control.SetPositiveOnly(positiveOnly);
    if (focus)
        rig.FocusIn();
    line += Attempt("write", [&] { rig.control.SetValue(value.ToVariant()); });
    line += " shown=" + Quoted(rig.Field().Text()) + " value=" + ValueRead(rig);
    // The other form of the same number: display after leaving, plain
    // after arriving.
    if (focus) {
        rig.FocusOut();
        line += " display=" + Quoted(rig.Field().Text());
    } else {
        rig.Field().ReceiveFocus();
        line += " plain=" + Quoted(rig.Field().Text());
    }
}

// --- range: value and limit writes in any order, and typing ------------------

void TypeAndLeave(Rig& rig, const std::string& text, bool byKeys) {
    rig.FocusIn();
    rig.Field().SetSelStart(0);
    rig.Field().SetSelLength(1 << 20);
    if (byKeys)
        rig.Field().TypeText(text);
    else
        rig.Field().ReplaceSelection(text);
    rig.FocusOut();
}

// One step of a range sequence, done; returns how it reads in the trace.
std::string RangeStep(Rng& rng, Rig& rig) {
    const Magnitude magnitude = rng.Percent(80) ? Magnitude::Moderate : Magnitude::Any;
    const int roll = rng.Between(0, 99);
    if (roll < 60) {
        const GivenValue given = GivenValueOf(rng, magnitude);
        Quillomet& c = rig.control;
        if (roll < 25)
            return "value=" + given.Label() + Attempt("", [&] { c.SetValue(given.ToVariant()); });
        if (roll < 43)
            return "max=" + given.Label() + Attempt("", [&] { c.SetMaxValue(given.ToVariant()); });
        return "min=" + given.Label() + Attempt("", [&] { c.SetMinValue(given.ToVariant()); });
    }
    if (roll < 75) {
        const bool use = rng.Percent(70);
        rig.control.SetUseMaxMinValues(use);
        return "use=" + Flag(use);
    }
    if (roll < 83) {
        rig.FocusIn();
        rig.FocusOut();
        return "leave";
    }
    const std::string typed = rng.Percent(80) ? NumberTextOf(rng, magnitude) : OddTextOf(rng);
    const bool byKeys = rng.Percent(50);
    TypeAndLeave(rig, typed, byKeys);
    return (byKeys ? "type=" : "paste=") + Quoted(typed);
}

void TraceRange(Rng& rng, std::string& line) {
    const std::string picture = rng.Percent(70) ? Quillomet::DefaultFormat : PictureOf(rng);
    const bool use = rng.Percent(50);
    line += "fmt=" + Quoted(picture) + " use=" + Flag(use) + " :";

    Rig rig;
    line += Attempt("format", [&] { rig.control.SetFormat(picture); });
    rig.control.SetUseMaxMinValues(use);
    rig.journal.Take();
    const int steps = rng.Between(2, 7);
    for (int step = 0; step < steps; ++step) {
        line += " | " + RangeStep(rng, rig);
        line += " -> v=" + ValueRead(rig);
        line += " max=" + ReadBack([&] { return rig.control.MaxValue(); });
        line += " min=" + ReadBack([&] { return rig.control.MinValue(); });
        line += " shown=" + Quoted(rig.Field().Text());
        line += " c=" + std::to_string(rig.journal.TakeChanges());
    }
}

// --- step: the arrow keys and the spinner ------------------------------------

enum class Route { Key, Spin, Hold };

// One step up or down, as the user makes it; returns how it reads.
std::string Step(Rng& rng, Rig& rig) {
    const bool up = rng.Percent(50);
    const int roll = rng.Between(0, 99);
    const Route route = roll < 50 ? Route::Key : roll < 85 ? Route::Spin : Route::Hold;
    const int repeats = route == Route::Hold ? rng.Between(1, 20) : 0;
    const float spinnerHeight = static_cast<float>(rig.toolkit.Spinner().Height());
    const float y = up ? 10 : spinnerHeight - 10; // the upper or lower half
    const std::string label = up ? "up/" : "down/";
    switch (route) {
    case Route::Key:
        rig.Field().PressKey(up ? quillomet::key::Up : quillomet::key::Down);
        return label + "key";
    case Route::Spin:
        rig.toolkit.Spinner().MouseDown(y);
        rig.toolkit.Spinner().MouseUp(y);
        return label + "spin";
    case Route::Hold:
        // The first repeat comes after 700 ms, the next every 50 ms.
        rig.toolkit.Spinner().MouseDown(y);
        rig.toolkit.m_Clock.Advance(700 + 50 * (repeats - 1));
        rig.toolkit.Spinner().MouseUp(y);
        return label + "hold" + std::to_string(repeats);
    }
    return label;
}

void TraceStep(Rng& rng, std::string& line) {
    static constexpr const char* pictures[] = {"#,###,###,###,###,##0.00;-#,###,###,###,###,##0.00",
                                               Quillomet::DefaultFormat, "0", "0.0000000",
                                               "#,##0.0"};
    const std::string picture = rng.Percent(80) ? rng.Pick(pictures) : PictureOf(rng);
    const GivenValue value =
        GivenValueOf(rng, rng.Percent(70) ? Magnitude::Moderate : Magnitude::Any);
    const std::int16_t increment = IncrementOf(rng);
    const bool positiveOnly = rng.Percent(20);
    const bool limited = rng.Percent(40);
    const bool maxFirst = rng.Percent(50);
    const std::string low = limited ? NumberTextOf(rng, Magnitude::Moderate) : "";
    const std::string high = limited ? NumberTextOf(rng, Magnitude::Moderate) : "";
    const bool focus = rng.Percent(25);
    line += "fmt=" + Quoted(picture) + " val=" + value.Label() +
            " inc=" + std::to_string(increment) + " pos=" + Flag(positiveOnly) +
            " focus=" + Flag(focus);
    if (limited)
        line += maxFirst ? " max=" + Quoted(high) + " min=" + Quoted(low)
                         : " min=" + Quoted(low) + " max=" + Quoted(high);
    line += " :";

    Rig rig;
    Quillomet& c = rig.control;
    c.SetUpDownFunction(true);
    line += Attempt("format", [&] { c.SetFormat(picture); });
    c.SetPositiveOnly(positiveOnly);
    if (limited) {
        const GivenValue lowGiven{low}, highGiven{high};
        const auto writeLow = [&] {
            return Attempt("min", [&] { c.SetMinValue(lowGiven.ToVariant()); });
        };
        const auto writeHigh = [&] {
            return Attempt("max", [&] { c.SetMaxValue(highGiven.ToVariant()); });
        };
        line += maxFirst ? writeHigh() : writeLow();
        line += maxFirst ? writeLow() : writeHigh();
        c.SetUseMaxMinValues(true);
    }
    c.SetUpDownIncrement(increment);
    line += Attempt("write", [&] { c.SetValue(value.ToVariant()); });
    if (focus)
        rig.FocusIn();
    line += " start=" + ValueRead(rig) + " c=" + std::to_string(rig.journal.TakeChanges());
    const int steps = rng.Between(1, 10);
    for (int step = 0; step < steps; ++step) {
        line += " | " + Step(rng, rig);
        line += " -> " + ValueRead(rig) + " c=" + std::to_string(rig.journal.TakeChanges());
    }
}

// --- calc: the calculator opened on the control ------------------------------

void PressCalculatorKey(quillomet::memory::MemoryCalculatorWindow& window, const std::string& key) {
    static constexpr struct {
        std::string_view key;
        CalculatorButton button;
    } buttons[] = {
        {".", CalculatorButton::Decimal},      {"/", CalculatorButton::Operator0},
        {"+", CalculatorButton::Operator1},    {"X", CalculatorButton::Operator2},
        {"-", CalculatorButton::Operator3},    {"=", CalculatorButton::Operator4},
        {"%", CalculatorButton::Percent},      {"C", CalculatorButton::Cancel},
        {"CE", CalculatorButton::CancelEntry},
    };
    constexpr std::int16_t backspace = 8; // a key only: the window has no button for it
    if (key == "BS") {
        window.Press(backspace);
        return;
    }
    if (key.size() == 1 && key[0] >= '0' && key[0] <= '9') {
        window.Click(static_cast<CalculatorButton>(key[0] - '0'));
        return;
    }
    for (const auto& entry : buttons)
        if (entry.key == key)
            window.Click(entry.button);
}

// The readout, what the host saw since the last look, and the amount the
// calculator takes the control to hold (scaled by 10000).
std::string CalculatorView(Rig& rig) {
    const auto* window = rig.toolkit.m_CalculatorWindow;
    const auto* form = quillomet::CalculatorState::ForThisThread().Form();
    std::string view = " readout=" + (window ? Quoted(window->Readout()) : "closed");
    view += rig.journal.Take();
    view += " save=" + (form ? std::to_string(form->Engine().SaveInputAmount.scaled) : "none");
    return view;
}

std::string Joined(const std::vector<std::string>& keys) {
    std::string joined;
    for (const std::string& key : keys)
        joined += (joined.empty() ? "" : " ") + key;
    return joined;
}

// The default picture, pictures with several decimals, and generated ones.
std::string CalculatorPictureOf(Rng& rng) {
    static constexpr const char* decimals[] = {"0.0000000", "0.00000", "#,##0.0000", "0"};
    const int roll = rng.Between(0, 99);
    if (roll < 40)
        return Quillomet::DefaultFormat;
    return roll < 80 ? rng.Pick(decimals) : PictureOf(rng);
}

void TraceCalc(Rng& rng, std::string& line) {
    const std::string picture = CalculatorPictureOf(rng);
    const GivenValue value =
        GivenValueOf(rng, rng.Percent(60) ? Magnitude::Moderate : Magnitude::Any);
    const std::vector<std::string> keys = CalculatorKeysOf(rng);
    line +=
        "fmt=" + Quoted(picture) + " val=" + value.Label() + " keys=" + Quoted(Joined(keys)) + " :";

    Rig rig;
    line += Attempt("format", [&] { rig.control.SetFormat(picture); });
    line += Attempt("write", [&] { rig.control.SetValue(value.ToVariant()); });
    rig.journal.Take();
    // The calculator takes the control's amount as currency: a value
    // beyond its range refuses the opening.
    line += " | open" + Attempt("", [&] { rig.control.ShowCalculator(); });
    line += CalculatorView(rig);
    for (const std::string& key : keys) {
        auto* window = rig.toolkit.m_CalculatorWindow;
        if (!window)
            break;
        const std::size_t messages = window->m_Messages.size();
        PressCalculatorKey(*window, key);
        line += " | " + key;
        window = rig.toolkit.m_CalculatorWindow; // a key may have closed it
        if (window && window->m_Messages.size() > messages)
            line += " message=" + Quoted(window->m_Messages.back().text);
        line += CalculatorView(rig);
    }
    rig.control.HideCalculator();
    line += " | close" + rig.journal.Take();
    line += " value=" + ValueRead(rig) + " shown=" + Quoted(rig.Field().Text());
}

// --- driver ------------------------------------------------------------------

struct Family {
    std::string_view name;
    void (*trace)(Rng&, std::string&);
};

constexpr Family Families[] = {
    {"text", TraceText}, {"range", TraceRange}, {"step", TraceStep}, {"calc", TraceCalc}};

struct Options {
    std::string_view family = "all";
    std::uint64_t count = DefaultCount;
    std::uint64_t seed = DefaultSeed;
};

bool ParseNumber(std::string_view text, std::uint64_t& number) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), number);
    return error == std::errc() && end == text.data() + text.size() && !text.empty();
}

bool KnownFamily(std::string_view name) {
    if (name == "all")
        return true;
    for (const Family& family : Families)
        if (family.name == name)
            return true;
    return false;
}

std::optional<Options> ParseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (i + 1 == argc)
            return std::nullopt; // every option takes an operand
        const std::string_view operand = argv[++i];
        if (option == "--family" && KnownFamily(operand))
            options.family = operand;
        else if (option == "--count" && ParseNumber(operand, options.count))
            continue;
        else if (option == "--seed" && ParseNumber(operand, options.seed))
            continue;
        else
            return std::nullopt;
    }
    return options;
}

// One input's line; a refusal the family did not expect ends the line
// there rather than the run.
std::string TraceInput(const Family& family, std::uint64_t familyNumber, std::uint64_t seed,
                       std::uint64_t index) {
    Rng rng(seed, familyNumber, index);
    std::string line = std::string(family.name) + " " + std::to_string(index) + " ";
    try {
        family.trace(rng, line);
    } catch (const quillomet::AutomationError& error) {
        line += " uncaught-" + ErrorText(error);
    }
    line += '\n';
    return line;
}

int Run(const Options& options) {
    for (std::uint64_t f = 0; f < std::size(Families); ++f) {
        const Family& family = Families[f];
        if (options.family != "all" && options.family != family.name)
            continue;
        for (std::uint64_t index = 0; index < options.count; ++index) {
            std::string line;
            try {
                line = TraceInput(family, f + 1, options.seed, index);
            } catch (const std::exception& failure) {
                std::fflush(stdout);
                const std::string where = std::string(family.name) + " " + std::to_string(index);
                std::fputs(("number_trace: " + where + ": " + failure.what() + "\n").c_str(),
                           stderr);
                return 1;
            }
            // Flushed line by line: when an input crashes the program, the
            // output ends just before it.
            std::fwrite(line.data(), 1, line.size(), stdout);
            std::fflush(stdout);
        }
        const std::string summary =
            "# " + std::to_string(options.count) + " inputs (" + std::string(family.name) + ")\n";
        std::fputs(summary.c_str(), stderr);
    }
    return std::ferror(stdout) ? 1 : 0;
}

} // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    // "\n" line ends on every build, so that outputs compare byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    const std::optional<Options> options = ParseOptions(argc, argv);
    if (!options) {
        std::fputs("usage: number_trace [--family text|range|step|calc|all] [--count N] "
                   "[--seed S]\n",
                   stderr);
        return 2;
    }
    return Run(*options);
}
