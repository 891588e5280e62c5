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

// A number's plain form: digits, at most one ".", a "-" only first; and its
// sign, true for zero and positive numbers.
struct PlainForm {
    std::string_view text;
    bool positive = true;
};

// A display form, and the picture that made it after its sign adjustments.
struct DisplayForm {
    std::string_view text;
    std::string_view mask;
};

// The control's text routines. What they return lives in buffers of this
// object until its next call: the buffers are kept between calls so that a
// keystroke or a focus change allocates nothing once they have grown (a
// number wider than its picture takes a short-lived buffer of its own). The
// object also remembers the display form it made last, so that the field's
// text reads back as the number it shows.
class TextForms {
public:
    // Any text to its plain form. A shown text that is the display form this
    // object made last reads as the number it shows.
    PlainForm StripFormat(std::string_view text, bool positiveOnly,
                          TextSource source = TextSource::Given);
    // A plain form to its display form.
    DisplayForm ApplyFormat(PlainForm plain, const PictureSettings& settings);
    // Any text to its display form: stripped, then formatted.
    DisplayForm Reformat(std::string_view text, const PictureSettings& settings);

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

    // The steps of ApplyFormat, in their order.
    std::string_view ChooseMask(const PictureSettings& settings);
    void PlaceFractionDigits(std::size_t maskPoint, std::size_t plainPoint);
    std::string_view PlaceIntegerDigits(std::size_t integerEnd, std::size_t plainEnd);
    void WidenForDigits(std::string_view digits, std::size_t integerEnd);
    struct Marks {
        std::size_t first, last, paren, dash;
    };
    Marks BlankUnusedPlaces();
    void RecordShownNumber(std::size_t point);
    void TrimIntoWorkText(const Marks& marks);

    ParsedPicture m_Picture;
    // The plain form, and the display form made from it, in turn.
    std::string m_WorkText;
    // The sign of the plain form being formatted.
    bool m_IsPositive = true;
    // The picture the last ApplyFormat used, after its sign adjustments.
    std::string m_Mask;
    // The last display form made (built in place), and the plain form of
    // the number it shows.
    std::string m_ShownText;
    std::string m_ShownPlain;
};

// The typing length limit a picture implies; 0 means no limit.
std::int16_t MaxCharsOf(std::string_view format);

} // namespace quillomet
