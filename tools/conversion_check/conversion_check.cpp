// The control's decimal conversions against the C++ library's over COUNT
// generated inputs of every family, in both directions:
//
//   conversion_check [--count COUNT] [--seed SEED]
//
// Prints each family's figures and the first disagreements; the exit code
// is 1 when there was any.
#include "conversion_check/generated_inputs.h"
#include "conversion_check/library_agreement.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

using namespace quillomet::agreement;

constexpr int ShownDisagreements = 10;

} // namespace

int main(int argc, char** argv) {
    long long count = 1000000;
    std::uint64_t seed = 1;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--count") == 0)
            count = std::atoll(argv[i + 1]);
        else if (std::strcmp(argv[i], "--seed") == 0)
            seed = std::strtoull(argv[i + 1], nullptr, 10);
    }
    long long disagreements = 0;
    const auto report = [&](const std::string& what) {
        if (!what.empty() && ++disagreements <= ShownDisagreements)
            std::printf("  %s\n", what.c_str());
    };
    for (int family = 0; family < DoubleFamilies; ++family) {
        Generator g(seed * 1000 + static_cast<std::uint64_t>(family));
        for (long long i = 0; i < count; ++i) {
            const double d = GeneratedDouble(g, family);
            report(CompareFormatting(d, 1 + g.Below(40), 1 + g.Below(60)));
        }
        std::printf("doubles of family %d: %lld formatted\n", family, count);
    }
    for (int family = 0; family < TextFamilies; ++family) {
        Generator g(seed * 1000 + 100 + static_cast<std::uint64_t>(family));
        for (long long i = 0; i < count; ++i)
            report(CompareReading(GeneratedText(g, family)));
        std::printf("texts of family %d: %lld read\n", family, count);
    }
    std::printf("%lld disagreements with the C++ library\n", disagreements);
    return disagreements == 0 ? 0 : 1;
}
