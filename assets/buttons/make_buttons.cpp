// Draws the example buttons into the folder given as the only argument: for
// each word a normal picture (home.gif) and the picture shown under the mouse
// (home2.gif).
//
// Plain C++ with a letter shape table of our own rather than a system font, so
// every build on every machine writes the same bytes. GIF, because that is
// what the advice names for buttons; Qt reads GIF but cannot write it, hence
// the small encoder below.

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kWidth = 112;
constexpr int kHeight = 32;
constexpr int kRadius = 8;
constexpr int kScale = 2; // each letter cell becomes a 2 by 2 block

using Rgb = std::uint32_t; // 0xRRGGBB
constexpr Rgb kTransparent = 0xFF000000u;

// Capitals five cells wide and seven high; bit 4 is the leftmost cell.
struct Letter
{
    char letter;
    std::array<std::uint8_t, 7> rows;
};
constexpr Letter kLetters[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}},
    {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}},
    {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}},
    {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
};

const Letter *letterShape(char c)
{
    for (const Letter &letter : kLetters) {
        if (letter.letter == c)
            return &letter;
    }
    return nullptr;
}

struct Look
{
    Rgb top, bottom, border, text, shadow;
};
// Normal: deep blue with white letters. Under the mouse: warm gold with dark
// letters, so the change shows at a glance.
constexpr Look kNormal = {0x4A7FE0, 0x1C3C8C, 0x10265C, 0xFFFFFF, 0x0C1C44};
constexpr Look kOver = {0xFFE08A, 0xE89A10, 0x8A5600, 0x1A2A5C, 0xFFF4D0};

Rgb blend(Rgb a, Rgb b, int step, int steps)
{
    Rgb result = 0;
    for (int shift = 0; shift <= 16; shift += 8) {
        const int from = int((a >> shift) & 0xFF);
        const int to = int((b >> shift) & 0xFF);
        result |= Rgb(from + (to - from) * step / steps) << shift;
    }
    return result;
}

// Inside the rounded rectangle that is inset by `inset` pixels.
bool inside(int x, int y, int inset)
{
    const int left = inset, right = kWidth - 1 - inset, top = inset, bottom = kHeight - 1 - inset;
    if (x < left || x > right || y < top || y > bottom)
        return false;
    const int r = kRadius - inset;
    const int cx = x < left + r ? left + r : x > right - r ? right - r : x;
    const int cy = y < top + r ? top + r : y > bottom - r ? bottom - r : y;
    // Pixel centres against the corner circle, in half pixels.
    const int dx = 2 * (x - cx), dy = 2 * (y - cy);
    return dx * dx + dy * dy <= (2 * r) * (2 * r);
}

std::vector<Rgb> drawButton(const std::string &word, const Look &look)
{
    std::vector<Rgb> pixels(kWidth * kHeight, kTransparent);
    for (int y = 0; y < kHeight; ++y) {
        for (int x = 0; x < kWidth; ++x) {
            Rgb &pixel = pixels[y * kWidth + x];
            if (inside(x, y, 1))
                pixel = blend(look.top, look.bottom, y, kHeight - 1);
            else if (inside(x, y, 0))
                pixel = look.border;
        }
    }
    const int advance = 6 * kScale;
    const int textWidth = int(word.size()) * advance - kScale;
    const int left = (kWidth - textWidth) / 2;
    const int top = (kHeight - 7 * kScale) / 2;
    // The shadow first, one pixel down and right, then the letters over it.
    for (const auto &[offset, colour] : {std::pair{1, look.shadow}, std::pair{0, look.text}}) {
        for (std::size_t i = 0; i < word.size(); ++i) {
            const Letter *shape = letterShape(word[i]);
            for (int row = 0; shape && row < 7; ++row) {
                for (int column = 0; column < 5; ++column) {
                    if (!(shape->rows[row] & (0x10 >> column)))
                        continue;
                    for (int dy = 0; dy < kScale; ++dy) {
                        for (int dx = 0; dx < kScale; ++dx) {
                            const int x = left + int(i) * advance + column * kScale + dx + offset;
                            const int y = top + row * kScale + dy + offset;
                            pixels[y * kWidth + x] = colour;
                        }
                    }
                }
            }
        }
    }
    return pixels;
}

// Codes of varying width, packed from the lowest bit up, in blocks of up to
// 255 bytes.
class CodeWriter
{
public:
    void put(int code, int width)
    {
        m_bits |= std::uint32_t(code) << m_count;
        m_count += width;
        for (; m_count >= 8; m_count -= 8, m_bits >>= 8)
            m_bytes.push_back(std::uint8_t(m_bits & 0xFF));
    }
    std::vector<std::uint8_t> blocks()
    {
        if (m_count > 0)
            m_bytes.push_back(std::uint8_t(m_bits & 0xFF));
        std::vector<std::uint8_t> out;
        for (std::size_t at = 0; at < m_bytes.size(); at += 255) {
            const std::size_t size = std::min<std::size_t>(255, m_bytes.size() - at);
            out.push_back(std::uint8_t(size));
            out.insert(out.end(), m_bytes.begin() + at, m_bytes.begin() + at + size);
        }
        out.push_back(0);
        return out;
    }

private:
    std::uint32_t m_bits = 0;
    int m_count = 0;
    std::vector<std::uint8_t> m_bytes;
};

// GIF's LZW: the reader adds each table entry one code after the writer does,
// so the code width grows when the writer's next free code passes 2^width.
std::vector<std::uint8_t> compress(const std::vector<std::uint8_t> &indices, int minimumWidth)
{
    const int clear = 1 << minimumWidth;
    const int end = clear + 1;
    CodeWriter out;
    std::map<std::pair<int, int>, int> table;
    int width = minimumWidth + 1;
    int next = end + 1;
    out.put(clear, width);
    int current = indices.front();
    for (std::size_t i = 1; i < indices.size(); ++i) {
        const int index = indices[i];
        const auto found = table.find({current, index});
        if (found != table.end()) {
            current = found->second;
            continue;
        }
        out.put(current, width);
        if (next < 4096) {
            table[{current, index}] = next++;
            if (next > (1 << width) && width < 12)
                ++width;
        } else {
            out.put(clear, width);
            table.clear();
            width = minimumWidth + 1;
            next = end + 1;
        }
        current = index;
    }
    out.put(current, width);
    // The reader adds an entry for that last code too before it reads the end.
    if (next + 1 > (1 << width) && width < 12 && next < 4096)
        ++width;
    out.put(end, width);
    return out.blocks();
}

void putWord(std::vector<std::uint8_t> &out, int value)
{
    out.push_back(std::uint8_t(value & 0xFF));
    out.push_back(std::uint8_t(value >> 8));
}

// One picture with a palette of its colours in order of first use; the
// transparent pixels, if any, take a palette entry of their own.
bool encodeGif(const std::vector<Rgb> &pixels, std::vector<std::uint8_t> &gif)
{
    std::vector<Rgb> palette;
    std::map<Rgb, int> indexOf;
    std::vector<std::uint8_t> indices;
    for (Rgb pixel : pixels) {
        auto [it, added] = indexOf.try_emplace(pixel, int(palette.size()));
        if (added)
            palette.push_back(pixel);
        indices.push_back(std::uint8_t(it->second));
    }
    if (palette.size() > 256)
        return false;
    int bits = 1;
    while ((1u << bits) < palette.size())
        ++bits;
    const auto transparent = indexOf.find(kTransparent);

    gif.clear();
    for (char c : std::string("GIF89a"))
        gif.push_back(std::uint8_t(c));
    putWord(gif, kWidth);
    putWord(gif, kHeight);
    gif.push_back(std::uint8_t(0xF0 | (bits - 1))); // global palette, 8-bit colour
    gif.push_back(0);                               // background: entry 0
    gif.push_back(0);                               // square pixels
    for (std::size_t i = 0; i < (1u << bits); ++i) {
        const Rgb colour = i < palette.size() ? palette[i] & 0xFFFFFF : 0;
        gif.push_back(std::uint8_t(colour >> 16));
        gif.push_back(std::uint8_t(colour >> 8));
        gif.push_back(std::uint8_t(colour));
    }
    if (transparent != indexOf.end()) {
        for (int byte : {0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, transparent->second, 0x00})
            gif.push_back(std::uint8_t(byte));
    }
    gif.push_back(0x2C);
    putWord(gif, 0);
    putWord(gif, 0);
    putWord(gif, kWidth);
    putWord(gif, kHeight);
    gif.push_back(0); // no local palette, not interlaced
    const int minimumWidth = bits < 2 ? 2 : bits;
    gif.push_back(std::uint8_t(minimumWidth));
    const std::vector<std::uint8_t> data = compress(indices, minimumWidth);
    gif.insert(gif.end(), data.begin(), data.end());
    gif.push_back(0x3B);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_buttons OUTPUT_FOLDER\n");
        return 2;
    }
    const std::pair<const char *, const char *> words[] = {
        {"home", "HOME"}, {"next", "NEXT"}, {"back", "BACK"}, {"contact", "CONTACT"}};
    for (const auto &[name, word] : words) {
        for (const auto &[suffix, look] : {std::pair{"", kNormal}, std::pair{"2", kOver}}) {
            const std::string path = std::string(argv[1]) + "/" + name + suffix + ".gif";
            std::vector<std::uint8_t> gif;
            if (!encodeGif(drawButton(word, look), gif)) {
                std::fprintf(stderr, "make_buttons: %s has more than 256 colours\n", path.c_str());
                return 1;
            }
            std::ofstream file(path, std::ios::binary | std::ios::trunc);
            file.write(reinterpret_cast<const char *>(gif.data()), std::streamsize(gif.size()));
            if (!file.flush()) {
                std::fprintf(stderr, "make_buttons: cannot write %s\n", path.c_str());
                return 1;
            }
        }
    }
    return 0;
}
