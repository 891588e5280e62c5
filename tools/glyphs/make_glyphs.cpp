// Draws the toolbox image (16 x 15) a designer shows for the control as a
// 24-bit bitmap, and, to look at, the calculator glyph at its design size
// (33 x 33) as the drop button and the about box draw it. Run it to
// regenerate src/server/resources/toolbox.bmp (and, with --calculator, the
// glyph as a bitmap where it is asked for):
//   g++ -std=c++20 -I src -o make_glyphs tools/glyphs/make_glyphs.cpp
//   ./make_glyphs src/server/resources [--calculator /tmp/calculator.bmp]
#include "common/calculator_glyph.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace quillomet::calculator_glyph;

class Picture {
public:
    Picture(int width, int height, Rgb fill)
        : m_Width(width), m_Height(height), m_Pixels(width * height, fill) {}

    void Fill(int left, int top, int width, int height, Rgb colour) {
        for (int y = top; y < top + height; ++y)
            for (int x = left; x < left + width; ++x)
                if (x >= 0 && y >= 0 && x < m_Width && y < m_Height)
                    m_Pixels[y * m_Width + x] = colour;
    }

    // A raised face: light top and left edges, dark bottom and right.
    void Raised(int left, int top, int width, int height, Rgb face, Rgb dark) {
        FillRaised([this](int l, int t, int w, int h, Rgb c) { Fill(l, t, w, h, c); }, left, top,
                   width, height, face, dark);
    }

    // An uncompressed bottom-up DIB with a 40-byte header.
    void Save(const std::string& path) const {
        const int stride = (m_Width * 3 + 3) & ~3;
        const std::uint32_t pixelBytes = static_cast<std::uint32_t>(stride * m_Height);
        std::vector<std::uint8_t> file;
        auto put16 = [&](std::uint32_t v) {
            file.push_back(v & 0xFF);
            file.push_back((v >> 8) & 0xFF);
        };
        auto put32 = [&](std::uint32_t v) {
            put16(v & 0xFFFF);
            put16(v >> 16);
        };
        file.push_back('B');
        file.push_back('M');
        put32(14 + 40 + pixelBytes);
        put32(0);
        put32(14 + 40);
        put32(40);
        put32(static_cast<std::uint32_t>(m_Width));
        put32(static_cast<std::uint32_t>(m_Height));
        put16(1);
        put16(24);
        put32(0); // BI_RGB
        put32(pixelBytes);
        put32(3780);
        put32(3780);
        put32(0);
        put32(0);
        for (int y = m_Height - 1; y >= 0; --y) {
            for (int x = 0; x < m_Width; ++x) {
                const Rgb& p = m_Pixels[y * m_Width + x];
                file.push_back(p.b);
                file.push_back(p.g);
                file.push_back(p.r);
            }
            for (int pad = m_Width * 3; pad < stride; ++pad)
                file.push_back(0);
        }
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(file.data()),
                   static_cast<std::streamsize>(file.size()));
    }

private:
    int m_Width, m_Height;
    std::vector<Rgb> m_Pixels;
};

Picture Calculator() {
    Picture p(Grid, Grid, Face);
    Paint([&](int left, int top, int width, int height,
              Rgb colour) { p.Fill(left, top, width, height, colour); },
          [&](int left, int top, int width, int height, Rgb face, Rgb dark) {
              p.Raised(left, top, width, height, face, dark);
          });
    return p;
}

// The toolbox image: a number field with a small drop button.
Picture Toolbox() {
    Picture p(16, 15, Face);
    p.Fill(0, 3, 12, 9, Light);
    p.Fill(0, 3, 12, 1, Dark);
    p.Fill(0, 3, 1, 9, Dark);
    p.Fill(3, 6, 1, 3, Black); // "1"
    p.Fill(5, 6, 2, 3, Black); // "2"
    p.Fill(8, 8, 1, 1, Black); // "."
    p.Raised(12, 3, 4, 9, Operator, Black);
    return p;
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    Toolbox().Save(dir + "/toolbox.bmp");
    std::puts("wrote toolbox.bmp");
    // The glyph the library draws, at its design size, only where asked.
    if (argc > 3 && std::string(argv[2]) == "--calculator") {
        Calculator().Save(argv[3]);
        std::printf("wrote %s\n", argv[3]);
    }
    return 0;
}
