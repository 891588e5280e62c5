#include "control/text_forms.h"

#include "common/text_length.h"

#include <algorithm>
#include <iterator>

namespace quillomet {
namespace {

bool IsPlaceholder(char c) {
    return c == '0' || c == '#';
}

// Removes a "." when it is the text's first point, is its last character
// and does not stand first; returns the point's index or npos.
std::size_t DropTrailingPoint(std::string& text) {
    std::size_t point = text.find('.');
    if (point != std::string::npos && point + 1 == text.size() && point > 0) {
        text.pop_back();
        point = std::string::npos;
    }
    return point;
}

} // namespace

PlainForm TextForms::StripFormat(std::string_view input, bool positiveOnly, TextSource source) {
    // A text this control made from its picture reads as the number it
    // shows: "5.00 m2" is 5, "(5)" under a one-section "(#,##0)" is 5.
    // The record holds only while the field shows it: a text typed later
    // that happens to look the same is the user's.
    if (source == TextSource::Shown) {
        if (!m_ShownText.empty() && input == m_ShownText)
            input = m_ShownPlain;
        else
            m_ShownText.clear();
    }
    std::string& text = m_WorkText;
    if (input.data() != text.data() || input.size() != text.size())
        text.assign(input); // the input may be what this object returned
    std::size_t begin = text.find_first_not_of(' ');
    if (begin == std::string::npos)
        begin = text.size();
    std::size_t end = text.find_last_not_of(' ');
    end = (end == std::string::npos) ? begin : end + 1;

    // The plain form is never longer than its source, so it is built in place.
    std::size_t out = 0;
    bool point = false;
    bool nonZeroDigit = false;
    for (std::size_t i = begin; i < end; ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            text[out++] = c;
            nonZeroDigit |= c != '0';
        } else if (c == '.') {
            if (!point)
                text[out++] = c;
            point = true;
        } else if ((c == '-' || c == '(') && i == begin) {
            text[out++] = '-';
        }
    }
    text.resize(out);

    // Below zero exactly when a "-" leads a digit other than zero.
    const bool negative = out > 0 && text[0] == '-' && nonZeroDigit;
    if (negative && positiveOnly)
        text.erase(0, 1);
    return {text, !negative || positiveOnly};
}

void TextForms::ParsedPicture::Parse(std::string_view format) {
    m_Source.assign(format);
    const auto place = [&](std::size_t start, std::size_t end) {
        end = std::min(end, format.size());
        return Place{static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(end - start)};
    };
    const std::size_t s = format.find(';');
    m_Positive = place(0, s);
    m_Negative =
        s == std::string_view::npos ? place(0, format.size()) : place(s + 1, format.size());
    const std::size_t paren = format.find('(');
    m_HasParen = paren != std::string_view::npos;
    m_HasMinus = format.find('-') != std::string_view::npos;
    m_FocusedNegative = {};
    if (m_HasParen) {
        std::size_t end = format.size();
        if (end > paren + 1 && format[end - 1] == ')')
            --end;
        m_FocusedNegative = place(paren + 1, end);
    }
}

DisplayForm TextForms::ApplyFormat(PlainForm plain, const PictureSettings& settings) {
    if (plain.text.data() != m_WorkText.data() || plain.text.size() != m_WorkText.size())
        m_WorkText.assign(plain.text);
    m_IsPositive = plain.positive;
    if (settings.format != m_Picture.Source())
        m_Picture.Parse(settings.format);
    // Built where the display form is kept: nothing reads that meanwhile.
    m_ShownText = ChooseMask(settings);
    // The points of picture and number; a trailing point counts as none.
    const std::size_t maskPoint = DropTrailingPoint(m_ShownText);
    const std::size_t plainPoint = DropTrailingPoint(m_WorkText);
    const bool maskHasPoint = maskPoint != std::string::npos;
    if (maskHasPoint && plainPoint != std::string::npos)
        PlaceFractionDigits(maskPoint, plainPoint);
    const std::size_t integerEnd = maskHasPoint ? maskPoint : m_ShownText.size();
    const std::string_view leftover =
        PlaceIntegerDigits(integerEnd, std::min(plainPoint, m_WorkText.size()));
    if (!leftover.empty())
        WidenForDigits(leftover, integerEnd);
    const Marks marks = BlankUnusedPlaces();
    RecordShownNumber(maskHasPoint ? m_Mask.find('.') : std::string::npos);
    TrimIntoWorkText(marks);
    return {m_WorkText, m_Mask};
}

// The section for the number's sign, and its sign adjustments: while the
// user is in the field a negative number shows a leading minus instead of
// parentheses.
std::string_view TextForms::ChooseMask(const PictureSettings& settings) {
    std::string_view picture = m_IsPositive ? m_Picture.Positive() : m_Picture.Negative();
    bool minus = false;
    if (!settings.positiveOnly && !m_IsPositive) {
        if (!settings.gotFocus) {
            minus = !m_Picture.HasParen() && !m_Picture.HasMinus();
        } else if (m_Picture.HasParen()) {
            picture = m_Picture.FocusedNegative();
            minus = true;
        } else {
            minus = !m_Picture.HasMinus();
        }
    }
    m_Mask.clear();
    if (minus)
        m_Mask += '-';
    m_Mask += picture;
    return m_Mask;
}

// Fraction digits left to right, truncated where the picture's placeholders
// end.
void TextForms::PlaceFractionDigits(std::size_t maskPoint, std::size_t plainPoint) {
    std::size_t r = maskPoint + 1;
    for (std::size_t p = plainPoint + 1; p < m_WorkText.size() && r < m_ShownText.size();
         ++p, ++r) {
        if (!IsPlaceholder(m_ShownText[r]))
            break;
        m_ShownText[r] = m_WorkText[p];
    }
}

// Integer digits right to left into the placeholders before `integerEnd`;
// the number's "-" is never copied, the sign comes from the picture alone.
// Returns the significant digits that found no placeholder.
std::string_view TextForms::PlaceIntegerDigits(std::size_t integerEnd, std::size_t plainEnd) {
    const std::string& plain = m_WorkText;
    std::string& result = m_ShownText;
    // Positions here are 1-based.
    std::size_t i = integerEnd;
    std::size_t j = plainEnd;
    while (i > 0 && j > 0) {
        if (plain[j - 1] == '-') {
            if (--j == 0)
                break;
        }
        if (IsPlaceholder(result[i - 1])) {
            result[i - 1] = plain[j - 1];
            --j;
        }
        --i;
    }
    std::string_view leftover(plain.data(), j);
    if (!leftover.empty() && leftover.front() == '-')
        leftover.remove_prefix(1);
    while (!leftover.empty() && leftover.front() == '0')
        leftover.remove_prefix(1);
    return leftover;
}

// Leading zeros that landed in a "#" show nothing; a group mark shows only
// with a digit to its left; empty places blank. Returns where the shown
// characters begin and end, and the first "(" and "-" among them.
TextForms::Marks TextForms::BlankUnusedPlaces() {
    constexpr std::size_t none = std::string::npos;
    std::string& result = m_ShownText;
    Marks marks{none, none, none, none};
    bool leading = true;
    for (std::size_t k = 0; k < result.size(); ++k) {
        char c = result[k];
        if (leading) {
            if ((c >= '1' && c <= '9') || c == '.')
                leading = false;
            else if (c == '0' && m_Mask[k] == '#')
                c = '#';
        }
        if (c == ',' &&
            (k == 0 || result[k - 1] == '-' || result[k - 1] == '(' || result[k - 1] == ' '))
            c = '#';
        if (c == '#')
            c = ' ';
        result[k] = c;
        if (c != ' ') {
            if (marks.first == none)
                marks.first = k;
            marks.last = k;
            if (c == '(' && marks.paren == none)
                marks.paren = k;
            else if (c == '-' && marks.dash == none)
                marks.dash = k;
        }
    }
    return marks;
}

// The display form is the shown characters without the blanks at either
// end, its sign closed up to the digits.
void TextForms::TrimIntoWorkText(const Marks& marks) {
    constexpr std::size_t none = std::string::npos;
    std::string& display = m_WorkText;
    if (marks.first == none) {
        display.clear();
        m_ShownText.clear();
        return;
    }
    display.assign(m_ShownText, marks.first, marks.last + 1 - marks.first);
    const std::size_t sign = marks.paren != none ? marks.paren : marks.dash;
    if (sign != none && sign < marks.last) {
        const std::size_t p = sign - marks.first;
        std::size_t blanks = 0;
        while (display[p + 1 + blanks] == ' ')
            ++blanks;
        if (blanks > 0) {
            display.erase(p + 1, blanks);
            display.erase(0, p);
        }
    }
    m_ShownText = display;
}

// The text is the store of the number, so integer digits that found no
// placeholder are not dropped: they go directly left of the leftmost integer
// placeholder, inside the section's sign and literal text. Where the picture
// groups its integer digits, its leftmost group is first completed to three
// digits and the rest are grouped by three. A section whose placeholders all
// follow its point takes them directly before the point; one with no
// placeholder at all shows no digits. The mask widens with the text, so the
// passes after this one see the new digits as shown ones.
void TextForms::WidenForDigits(std::string_view digits, std::size_t integerEnd) {
    std::size_t leftmost = std::string::npos;
    for (std::size_t k = 0; k < integerEnd; ++k) {
        if (IsPlaceholder(m_Mask[k])) {
            leftmost = k;
            break;
        }
    }
    if (leftmost == std::string::npos) {
        const bool anyPlaceholder = std::any_of(m_Mask.begin(), m_Mask.end(), IsPlaceholder);
        if (!anyPlaceholder || integerEnd == m_ShownText.size())
            return;
        leftmost = integerEnd; // the point
    }

    const std::size_t mark = m_Mask.find(',', leftmost);
    const bool grouped = mark != std::string::npos && mark < integerEnd;
    // Rare (a number wider than its picture), so made afresh each time.
    std::string widening;
    if (grouped) {
        // Placeholders in the leftmost group, and how many digits it lacks.
        const std::size_t inGroup = static_cast<std::size_t>(
            std::count_if(m_Mask.begin() + static_cast<std::ptrdiff_t>(leftmost),
                          m_Mask.begin() + static_cast<std::ptrdiff_t>(mark), IsPlaceholder));
        const std::size_t completing = std::min(inGroup < 3 ? 3 - inGroup : 0, digits.size());
        const std::string_view rest = digits.substr(0, digits.size() - completing);
        for (std::size_t k = 0; k < rest.size(); ++k) {
            widening += rest[k];
            if ((rest.size() - 1 - k) % 3 == 0)
                widening += ',';
        }
        widening.append(digits.substr(digits.size() - completing));
    } else {
        widening.assign(digits);
    }
    m_ShownText.insert(leftmost, widening);
    // The new digits are shown whatever they are; the new marks are marks.
    std::string& shape = widening;
    for (char& c : shape)
        if (c != ',')
            c = '0';
    m_Mask.insert(leftmost, shape);
}

// The number the display form shows, as a plain form: the digits of the
// placeholders on either side of the picture's point up to the first one
// left empty, the point, the sign of the section chosen. The picture's own
// characters take no part, digits among them included; that plain form
// gives the same display form again.
void TextForms::RecordShownNumber(std::size_t point) {
    const auto isDigit = [&](std::size_t k) {
        return m_ShownText[k] >= '0' && m_ShownText[k] <= '9';
    };
    m_ShownPlain.clear();
    // The integer digits, right to left from the point.
    for (std::size_t k = std::min(point, m_ShownText.size()); k-- > 0;) {
        if (!IsPlaceholder(m_Mask[k]))
            continue;
        if (!isDigit(k))
            break;
        m_ShownPlain += m_ShownText[k];
    }
    if (!m_IsPositive)
        m_ShownPlain += '-';
    std::reverse(m_ShownPlain.begin(), m_ShownPlain.end());
    if (point >= m_ShownText.size())
        return;
    m_ShownPlain += '.';
    for (std::size_t k = point + 1; k < m_ShownText.size(); ++k) {
        if (!IsPlaceholder(m_Mask[k]) || !isDigit(k))
            break;
        m_ShownPlain += m_ShownText[k];
    }
}

DisplayForm TextForms::Reformat(std::string_view text, const PictureSettings& settings) {
    return ApplyFormat(StripFormat(text, settings.positiveOnly), settings);
}

std::int16_t MaxCharsOf(std::string_view format) {
    std::size_t chars = 0;
    if (const std::size_t s = format.find(';'); s == std::string_view::npos) {
        chars = Utf16Length(format);
    } else {
        const std::string_view positive = format.substr(0, s);
        const std::string_view negative = format.substr(s + 1);
        const std::size_t a = Utf16Length(positive);
        const std::size_t b = Utf16Length(negative);
        chars = a >= b ? a : b - (negative.back() == ')' ? 1 : 0);
    }
    return static_cast<std::int16_t>(std::min(chars, MaxTextLength));
}

} // namespace quillomet
