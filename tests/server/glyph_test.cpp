// The calculator glyph as the library draws it, at the sizes a button takes
// from the smallest control to a screen of 200 %: its frame whole, its
// display and digits there, and every key showing its face.
#include "backend/win32/glyph_drawing.h"
#include "common/calculator_glyph.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

namespace shape = quillomet::calculator_glyph;
using quillomet::Glyph;

// The glyph drawn into a square bitmap of `size` pixels, read back.
class Drawn {
public:
    Drawn(int size, Glyph glyph) : m_Size(size) {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = size;
        info.bmiHeader.biHeight = -size; // top-down
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        const quillomet::com::unique_hdc dc(CreateCompatibleDC(nullptr));
        const quillomet::com::unique_hbitmap bitmap(
            CreateDIBSection(dc.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
        const quillomet::com::unique_select_object selected(dc.get(), bitmap.get());
        quillomet::win32::DrawGlyph(dc.get(), {0, 0, size, size}, glyph);
        GdiFlush();
        const auto* pixels = static_cast<const std::uint32_t*>(bits);
        m_Pixels.assign(pixels, pixels + size * size);
    }
    // As 0xRRGGBB.
    std::uint32_t At(int x, int y) const {
        return m_Pixels[static_cast<std::size_t>(y * m_Size + x)] & 0xFFFFFF;
    }
    // The pixel under a point of the design grid.
    std::uint32_t AtCell(double x, double y) const {
        return At(static_cast<int>(x * m_Size / shape::Grid),
                  static_cast<int>(y * m_Size / shape::Grid));
    }

private:
    int m_Size;
    std::vector<std::uint32_t> m_Pixels;
};

std::uint32_t Value(shape::Rgb colour, Glyph glyph) {
    if (glyph == Glyph::CalculatorGrey)
        colour = shape::Greyed(colour);
    return (std::uint32_t{colour.r} << 16) | (std::uint32_t{colour.g} << 8) | colour.b;
}

TEST(GlyphTest, FrameDisplayAndKeysAtEverySize) {
    for (const Glyph glyph : {Glyph::Calculator, Glyph::CalculatorGrey})
        for (const int size :
             {15, 16, 17, 18, 19, 20, 21, 22, 25, 26, 28, 33, 34, 38, 44, 50, 66}) {
            SCOPED_TRACE(::testing::Message()
                         << size << " pixels" << (glyph == Glyph::CalculatorGrey ? ", grey" : ""));
            const Drawn drawn(size, glyph);
            int wrongEdge = 0;
            for (int i = 0; i < size - 1; ++i) {
                wrongEdge += drawn.At(i, 0) != Value(shape::Light, glyph);
                wrongEdge += drawn.At(0, i) != Value(shape::Light, glyph);
            }
            for (int i = 0; i < size; ++i) {
                wrongEdge += drawn.At(i, size - 1) != Value(shape::Dark, glyph);
                wrongEdge += drawn.At(size - 1, i) != Value(shape::Dark, glyph);
            }
            EXPECT_EQ(0, wrongEdge);
            EXPECT_EQ(Value(shape::Display, glyph), drawn.AtCell(8, 6));
            EXPECT_EQ(Value(shape::Digits, glyph), drawn.AtCell(22, 6.5));
            // The middle of each key shows its face: light grey, the last column blue.
            for (int row = 0; row < 4; ++row)
                for (int column = 0; column < 3; ++column)
                    EXPECT_EQ(Value(column == 2 ? shape::Operator : shape::Key, glyph),
                              drawn.AtCell(4 + column * 9 + 3.5, 12 + row * 5 + 2))
                        << "key " << row << "," << column;
        }
}

// At its design size it is the 33-pixel picture cell for cell: the
// corners of the frame and of a key as the grid has them.
TEST(GlyphTest, DesignSizeIsTheGridItself) {
    const Drawn drawn(shape::Grid, Glyph::Calculator);
    EXPECT_EQ(Value(shape::Dark, Glyph::Calculator), drawn.At(32, 0)); // dark over light
    EXPECT_EQ(Value(shape::Dark, Glyph::Calculator), drawn.At(0, 32));
    EXPECT_EQ(Value(shape::Light, Glyph::Calculator), drawn.At(4, 12));  // a key's corner
    EXPECT_EQ(Value(shape::Black, Glyph::Calculator), drawn.At(10, 12)); // its dark edge
    EXPECT_EQ(Value(shape::Face, Glyph::Calculator), drawn.At(11, 12));  // the gap
    EXPECT_EQ(Value(shape::Face, Glyph::Calculator), drawn.At(4, 16));   // between rows
}

} // namespace
