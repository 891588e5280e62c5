// One number's round trip through its text forms, as the control does it on
// every value write and focus change, beside a plain snprintf/strtod
// implementation and ICU's DecimalFormat. The table gives each one's time;
// the ratios after it come from rounds in which the three take turns, so
// that a busy machine slows all of them alike: each ratio is the median of
// the rounds' ratios.
#include "common/number_conversion.h"
#include "control/text_forms.h"
#include "timed_batch.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <memory>
#include <string>
#include <unicode/decimfmt.h>
#include <unicode/unistr.h>
#include <vector>

namespace {

using namespace quillomet;

constexpr std::array<double, 3> Numbers = {-1234.5, 1234.5, 0.5};
constexpr const char* DefaultPicture = "###,##0.00;(##,###.00)";

double ControlRoundTrip(TextForms& text, double number) {
    const PictureSettings picture{DefaultPicture, false, false};
    const DisplayForm shown =
        text.ApplyFormat(text.StripFormat(NumberText(number), false), picture);
    return TextValue(text.StripFormat(shown.text, false).text);
}

void ControlRoundTrip(benchmark::State& state) {
    const double number = Numbers[static_cast<std::size_t>(state.range(0))];
    TextForms text;
    for (auto _ : state)
        benchmark::DoNotOptimize(ControlRoundTrip(text, number));
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

std::unique_ptr<icu::DecimalFormat> IcuFormat() {
    UErrorCode status = U_ZERO_ERROR;
    auto format =
        std::make_unique<icu::DecimalFormat>(icu::UnicodeString("#,##0.00;(#,##0.00)"), status);
    return U_FAILURE(status) ? nullptr : std::move(format);
}

double IcuRoundTrip(const icu::DecimalFormat& format, double number) {
    icu::UnicodeString text;
    format.format(number, text);
    icu::Formattable parsed;
    UErrorCode status = U_ZERO_ERROR;
    format.parse(text, parsed, status);
    return parsed.getDouble(status);
}

void IcuRoundTrip(benchmark::State& state) {
    const double number = Numbers[static_cast<std::size_t>(state.range(0))];
    const auto format = IcuFormat();
    if (!format) {
        state.SkipWithError("ICU DecimalFormat unavailable");
        return;
    }
    for (auto _ : state)
        benchmark::DoNotOptimize(IcuRoundTrip(*format, number));
}

BENCHMARK(ControlRoundTrip)->DenseRange(0, 2);
BENCHMARK(ReferenceRoundTrip)->DenseRange(0, 2);
BENCHMARK(IcuRoundTrip)->DenseRange(0, 2);

// The processor time of this thread: a round that the system interrupts
// is not charged for the other programs' time.
double Seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

double MedianOf(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Rounds in which the three take turns number by number, each with a batch
// of about 5 ms of processor time; the ratios to the reference, one per round.
void PrintInterleavedRatios(int rounds) {
    TextForms text;
    const auto icu = IcuFormat();
    if (!icu) {
        std::printf("ICU DecimalFormat unavailable: no ratios\n");
        return;
    }
    volatile double sink = 0;
    const auto batchFor = [](auto&& once) { return bench::BatchFor(Seconds, 0.005, once); };
    const auto timed = [&](long batch, auto&& once) {
        const double start = Seconds();
        for (long i = 0; i < batch; ++i)
            sink = sink + once();
        return (Seconds() - start) * 1e9 / static_cast<double>(batch);
    };
    const long controlBatch = batchFor([&] { sink = sink + ControlRoundTrip(text, Numbers[0]); });
    const long referenceBatch =
        batchFor([&] { sink = sink + ReferenceParse(ReferenceFormat(Numbers[0])); });
    const long icuBatch = batchFor([&] { sink = sink + IcuRoundTrip(*icu, Numbers[0]); });
    std::vector<double> controlRatios, icuRatios, controlTimes, referenceTimes;
    for (int r = 0; r < rounds; ++r) {
        double control = 0, reference = 0, icuTime = 0;
        for (const double number : Numbers) {
            control += timed(controlBatch, [&] { return ControlRoundTrip(text, number); });
            reference +=
                timed(referenceBatch, [&] { return ReferenceParse(ReferenceFormat(number)); });
            icuTime += timed(icuBatch, [&] { return IcuRoundTrip(*icu, number); });
        }
        controlRatios.push_back(control / reference);
        icuRatios.push_back(icuTime / reference);
        controlTimes.push_back(control / Numbers.size());
        referenceTimes.push_back(reference / Numbers.size());
    }
    const auto [low, high] = std::minmax_element(controlRatios.begin(), controlRatios.end());
    std::printf("\nRound trip, %d rounds taking turns (median of the rounds' ratios):\n", rounds);
    std::printf("  control %.1f ns, reference %.1f ns per number (medians)\n",
                MedianOf(controlTimes), MedianOf(referenceTimes));
    std::printf("  control/reference %.2f (rounds %.2f to %.2f; target at most 0.60), "
                "ICU/reference %.2f\n",
                MedianOf(controlRatios), *low, *high, MedianOf(icuRatios));
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    PrintInterleavedRatios(21);
    benchmark::Shutdown();
    return 0;
}
