// One number's round trip through its text forms, as the control does it on
// every value write and focus change, beside a plain snprintf/strtod
// implementation and ICU's DecimalFormat. All in one binary so the ratios
// hold on a noisy machine; the ratios are printed at the end.
#include "common/number_conversion.h"
#include "control/text_forms.h"

#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <unicode/decimfmt.h>
#include <unicode/unistr.h>

namespace {

using namespace quillomet;

constexpr std::array<double, 3> Numbers = {-1234.5, 1234.5, 0.5};
constexpr const char* DefaultPicture = "###,##0.00;(##,###.00)";

void ControlRoundTrip(benchmark::State& state) {
    const double number = Numbers[static_cast<std::size_t>(state.range(0))];
    TextForms text;
    const PictureSettings picture{DefaultPicture, false, false};
    for (auto _ : state) {
        text.m_WorkText = NumberText(number);
        text.StripFormat(false);
        text.ApplyFormat(picture);
        text.StripFormat(false);
        benchmark::DoNotOptimize(TextValue(text.m_WorkText));
    }
}

// What a competent engineer writes without the control: two decimals with
// group marks and parentheses, then the number back out of that text.
std::string ReferenceFormat(double number) {
    char digits[64];
    std::snprintf(digits, sizeof digits, "%.2f", number < 0 ? -number : number);
    std::string whole(digits, std::strchr(digits, '.'));
    std::string out;
    for (std::size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0)
            out += ',';
        out += whole[i];
    }
    out += std::strchr(digits, '.');
    return number < 0 ? "(" + out + ")" : out;
}

double ReferenceParse(const std::string& text) {
    std::string plain;
    for (char c : text)
        if ((c >= '0' && c <= '9') || c == '.')
            plain += c;
    const double v = std::strtod(plain.c_str(), nullptr);
    return text.front() == '(' ? -v : v;
}

void ReferenceRoundTrip(benchmark::State& state) {
    const double number = Numbers[static_cast<std::size_t>(state.range(0))];
    for (auto _ : state)
        benchmark::DoNotOptimize(ReferenceParse(ReferenceFormat(number)));
}

void IcuRoundTrip(benchmark::State& state) {
    const double number = Numbers[static_cast<std::size_t>(state.range(0))];
    UErrorCode status = U_ZERO_ERROR;
    icu::DecimalFormat format(icu::UnicodeString("#,##0.00;(#,##0.00)"), status);
    if (U_FAILURE(status)) {
        state.SkipWithError("ICU DecimalFormat unavailable");
        return;
    }
    for (auto _ : state) {
        icu::UnicodeString text;
        format.format(number, text);
        icu::Formattable parsed;
        UErrorCode parseStatus = U_ZERO_ERROR;
        format.parse(text, parsed, parseStatus);
        benchmark::DoNotOptimize(parsed.getDouble(parseStatus));
    }
}

BENCHMARK(ControlRoundTrip)->DenseRange(0, 2);
BENCHMARK(ReferenceRoundTrip)->DenseRange(0, 2);
BENCHMARK(IcuRoundTrip)->DenseRange(0, 2);

// Collects each run's time so the ratios can be printed after the table.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                m_Times[run.benchmark_name()] = run.GetAdjustedRealTime();
    }

    void PrintRatios() const {
        std::printf("\nRound trip per number (control / reference, ICU / reference):\n");
        double control = 0, reference = 0, icu = 0;
        for (std::size_t k = 0; k < Numbers.size(); ++k) {
            const std::string arg = "/" + std::to_string(k);
            const double c = Time("ControlRoundTrip" + arg);
            const double r = Time("ReferenceRoundTrip" + arg);
            const double i = Time("IcuRoundTrip" + arg);
            control += c, reference += r, icu += i;
            std::printf("  %10g: control %7.1f ns, reference %7.1f ns, ICU %7.1f ns"
                        "  ratio %.2f, ICU %.2f\n",
                        Numbers[k], c, r, i, c / r, i / r);
        }
        std::printf("  all three: control/reference %.2f (target at most 0.60), "
                    "ICU/reference %.2f\n",
                    control / reference, icu / reference);
    }

private:
    double Time(const std::string& name) const {
        const auto it = m_Times.find(name);
        return it == m_Times.end() ? 0.0 : it->second;
    }
    std::map<std::string, double> m_Times;
};

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    benchmark::Shutdown();
    return 0;
}
