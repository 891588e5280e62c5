// Generated pictures and numbers: every number a picture can show reads
// back as itself, with and without the focus, and the display form survives
// the focus coming and going. The inputs come from a seeded generator in
// integer arithmetic, so every build tests the same cases.
#include "control/control_fixture.h"

#include <cstdint>
#include <string>
#include <vector>

namespace quillomet {
namespace {

// splitmix64: small, and the same sequence on every build.
class Generator {
public:
    explicit Generator(std::uint64_t seed) : m_State(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (m_State += 0x9E3779B97F4A7C15u);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }
    // 0 to n - 1; the slight bias of a modulo does not matter here.
    int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }
    bool Percent(int p) { return Below(100) < p; }
    template <std::size_t N>
    const char* Pick(const char* const (&items)[N]) {
        return items[Below(static_cast<int>(N))];
    }

private:
    std::uint64_t m_State;
};

// Literal text that holds digits, blanks and letters but no placeholder,
// point or group mark, so it stands as it is.
constexpr const char* Prefixes[] = {"$", "No 7 ", "A1 ", "x", "Box 12: ", "-"};
constexpr const char* Suffixes[] = {" kg", " m2", " kg/m3", "%", " CR", " per 5", "-"};

struct Section {
    std::string text;
    int decimals = 0; // fraction places right after the point
};

Section SectionOf(Generator& random, bool parenthesised) {
    Section section;
    if (parenthesised)
        section.text += '(';
    if (random.Percent(30))
        section.text += random.Pick(Prefixes);
    const int integerPlaces = 1 + random.Below(8);
    const bool grouped = random.Percent(50);
    for (int place = integerPlaces; place > 0; --place) {
        section.text += random.Percent(60) ? '#' : '0';
        if (grouped && place > 1 && (place - 1) % 3 == 0)
            section.text += ',';
    }
    if (random.Percent(70)) {
        section.text += '.';
        section.decimals = random.Below(7);
        for (int place = 0; place < section.decimals; ++place)
            section.text += random.Percent(80) ? '0' : '#';
        // A "#" that gets no digit shows nothing; a number with fewer
        // decimals than the places is still shown in full.
    }
    if (random.Percent(30))
        section.text += random.Pick(Suffixes);
    if (parenthesised)
        section.text += ')';
    return section;
}

struct Picture {
    std::string format;
    int decimals = 0; // the fewest any section shows
};

Picture PictureOf(Generator& random) {
    const bool twoSections = random.Percent(60);
    // Parentheses only around the last section, where a picture has them.
    const Section first = SectionOf(random, !twoSections && random.Percent(20));
    Picture picture{first.text, first.decimals};
    if (twoSections) {
        const Section second = SectionOf(random, random.Percent(40));
        picture.format += ';' + second.text;
        picture.decimals = std::min(picture.decimals, second.decimals);
    }
    return picture;
}

// A number of at most 15 significant digits and at most `decimals` of them
// after the point, as text.
std::string NumberOf(Generator& random, int decimals) {
    const int fraction = decimals == 0 ? 0 : random.Below(decimals + 1);
    const int integer = random.Below(15 - fraction + 1);
    std::string text = random.Percent(40) ? "-" : "";
    if (integer == 0)
        text += '0';
    for (int digit = 0; digit < integer; ++digit)
        text += static_cast<char>('0' + (digit == 0 ? 1 + random.Below(9) : random.Below(10)));
    if (fraction > 0) {
        text += '.';
        for (int digit = 0; digit < fraction; ++digit)
            text += static_cast<char>('0' + random.Below(10));
    }
    return text;
}

using RoundTripTest = testing::ControlTest;

TEST_F(RoundTripTest, EveryNumberAPictureShowsReadsBack) {
    Generator random(0x5EED0FA119C7u);
    int checked = 0;
    for (int round = 0; round < 1500; ++round) {
        const Picture picture = PictureOf(random);
        control.SetFormat(picture.format);
        for (int n = 0; n < 4; ++n) {
            const std::string text = NumberOf(random, picture.decimals);
            double number = 0;
            ASSERT_TRUE(ParseAutomationNumber(text, number)) << text;
            SCOPED_TRACE(::testing::Message() << "Format \"" << picture.format << "\", " << text);

            // Without the focus, and after it came and went.
            control.SetValue(number);
            const std::string display = Shown();
            ASSERT_EQ(number, control.Value().ToDouble()) << "shown as \"" << display << '"';
            FocusIn();
            ASSERT_EQ(number, control.Value().ToDouble()) << "plain form \"" << Shown() << '"';
            FocusOut();
            ASSERT_EQ(display, Shown());
            ASSERT_EQ(number, control.Value().ToDouble());

            // Written while the field has the focus.
            FocusIn();
            control.SetValue(number);
            ASSERT_EQ(number, control.Value().ToDouble()) << "shown as \"" << Shown() << '"';
            FocusOut();
            ASSERT_EQ(display, Shown());
            ++checked;
        }
    }
    EXPECT_EQ(6000, checked);
}

} // namespace
} // namespace quillomet
