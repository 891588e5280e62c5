#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillomet {

// Where a text to strip comes from: given by a host (a value, a limit, a
// stored setting), or shown by the field, where it may be a display form
// this object made.
enum class TextSource { Given, Shown };

// The settings that decide a display form.
struct PictureSettings {
    std::string_view format; // the Format picture
    bool positiveOnly = false;
    bool gotFocus = false;
};

// The control's text routines and the working state they share: the
// working text, the sign of the last plain form and the last picture used.
// The control holds one; the buffers are kept between calls so that a
// keystroke or a focus change allocates nothing once they have grown (a
// number wider than its picture takes a short-lived buffer of its own).
class TextForms {
public:
    // The working text, input and output of every routine.
    std::string m_WorkText;
    // Sign of the last plain form: true for zero and positive numbers.
    bool m_IsPositive = true;
    // The picture the last ApplyFormat used, after its sign adjustments.
    std::string m_Mask;

    // Any text to its plain form: digits, at most one ".", a "-" only first.
    // A shown text that is the display form this object made last reads as
    // the number it shows.
    void StripFormat(bool positiveOnly, TextSource source = TextSource::Given);
    // A plain form (StripFormat having just run) to its display form.
    void ApplyFormat(const PictureSettings& settings);
    void Reformat(const PictureSettings& settings);

private:
    // A Format picture taken apart once and reused until Format changes:
    // its sections are kept as places in the picture's own text.
    class ParsedPicture {
    public:
        void Parse(std::string_view format);
        const std::string& Source() const { return m_Source; }
        std::string_view Positive() const { return Section(m_Positive); } // used for zero too
        // The whole picture when it has no ";".
        std::string_view Negative() const { return Section(m_Negative); }
        // After the first "(", less a final ")".
        std::string_view FocusedNegative() const { return Section(m_FocusedNegative); }
        bool HasParen() const { return m_HasParen; }
        bool HasMinus() const { return m_HasMinus; }

    private:
        struct Place {
            std::uint32_t start = 0, length = 0;
        };
        std::string_view Section(Place place) const {
            return std::string_view(m_Source).substr(place.start, place.length);
        }
        std::string m_Source;
        Place m_Positive, m_Negative, m_FocusedNegative;
        bool m_HasParen = false;
        bool m_HasMinus = false;
    };

    void WidenForDigits(std::string_view digits, std::size_t integerEnd);
    void RecordShownNumber(std::size_t point);

    ParsedPicture m_Picture;
    // The last display form made (built in place), and the plain form of
    // the number it shows.
    std::string m_ShownText;
    std::string m_ShownPlain;
};

// The typing length limit a picture implies; 0 means no limit.
std::int16_t MaxCharsOf(std::string_view format);

} // namespace quillomet
