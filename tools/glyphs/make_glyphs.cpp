// Draws the control's pictures as 24-bit bitmaps: the toolbox image
// (16 x 15) and the drop button's calculator glyph (33 x 33), coloured and
// grey. Run it to regenerate src/server/resources/*.bmp:
//   g++ -std=c++20 -o make_glyphs tools/glyphs/make_glyphs.cpp
//   ./make_glyphs src/server/resources
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Rgb {
    std::uint8_t r, g, b;
};

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
    void Raised(int left, int top, int width, int height, Rgb face, Rgb light, Rgb dark) {
        Fill(left, top, width, height, face);
        Fill(left, top, width, 1, light);
        Fill(left, top, 1, height, light);
        Fill(left, top + height - 1, width, 1, dark);
        Fill(left + width - 1, top, 1, height, dark);
    }

    Picture Grey() const {
        Picture grey = *this;
        for (Rgb& p : grey.m_Pixels) {
            const auto level = static_cast<std::uint8_t>((p.r * 30 + p.g * 59 + p.b * 11) / 100);
            // Lighter, as disabled pictures are.
            const auto soft = static_cast<std::uint8_t>(level / 2 + 96);
            p = {soft, soft, soft};
        }
        return grey;
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

constexpr Rgb Face{192, 192, 192}, Light{255, 255, 255}, Dark{96, 96, 96}, Black{0, 0, 0};
constexpr Rgb Display{24, 56, 40}, Digits{120, 230, 140}, Key{232, 232, 232},
    Operator{70, 110, 200};

// A calculator: a dark display strip above a 3 x 4 grid of keys, the right
// column blue for the operators, on a raised button face.
Picture Calculator() {
    Picture p(33, 33, Face);
    p.Raised(0, 0, 33, 33, Face, Light, Dark);
    p.Fill(4, 3, 25, 7, Display);
    p.Fill(17, 5, 10, 3, Digits);
    for (int row = 0; row < 4; ++row)
        for (int column = 0; column < 3; ++column)
            p.Raised(4 + column * 9, 12 + row * 5, 7, 4, column == 2 ? Operator : Key, Light,
                     Black);
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
    p.Raised(12, 3, 4, 9, Operator, Light, Black);
    return p;
}

} // namespace

int main(int argc, char** argv) {
    const std::string dir = argc > 1 ? argv[1] : ".";
    Toolbox().Save(dir + "/toolbox.bmp");
    const Picture calculator = Calculator();
    calculator.Save(dir + "/calculator.bmp");
    calculator.Grey().Save(dir + "/calculator_grey.bmp");
    std::puts("wrote toolbox.bmp, calculator.bmp, calculator_grey.bmp");
    return 0;
}
