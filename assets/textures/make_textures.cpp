// Draws the twenty gallery textures, bckgrnd1.jpg to bckgrnd20.jpg, into the
// folder given as the only argument.
//
// Every picture is a page background repeated in both directions, so each
// pattern is periodic over the picture: noise lattices wrap, stripes and grids
// have periods that divide the size, and loose shapes are drawn once more on
// the far side of every edge they cross. The seeds are fixed, so every build
// draws the same pictures.

#include <QBuffer>
#include <QColor>
#include <QCoreApplication>
#include <QDir>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>
#include <QSaveFile>
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTau = 2 * kPi;

// Kept under the gallery's 40,000 bytes with room to spare.
constexpr qint64 kMaxBytes = 38000;

// --- Numbers -------------------------------------------------------------

// Our own generator rather than <random>: the standard distributions may give
// different numbers with another library, and the pictures must not change.
class Rng
{
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}

    std::uint64_t next()
    {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // In [0, 1).
    double unit() { return double(next() >> 11) * (1.0 / 9007199254740992.0); }
    double range(double low, double high) { return low + (high - low) * unit(); }
    int below(int n) { return int(next() % std::uint64_t(n)); }

private:
    std::uint64_t state_;
};

std::uint32_t mix32(std::uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7FEB352Du;
    h ^= h >> 15;
    h *= 0x846CA68Bu;
    h ^= h >> 16;
    return h;
}

std::uint32_t hash3(int x, int y, std::uint32_t seed)
{
    return mix32(mix32(mix32(seed) ^ std::uint32_t(x)) ^ std::uint32_t(y));
}

// In [0, 1).
double hashUnit(int x, int y, std::uint32_t seed)
{
    return double(hash3(x, y, seed)) / 4294967296.0;
}

int wrap(int i, int n)
{
    const int r = i % n;
    return r < 0 ? r + n : r;
}

double clamp01(double t)
{
    return std::clamp(t, 0.0, 1.0);
}

double smoothstep(double edge0, double edge1, double x)
{
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

// Distance from a to the nearest multiple of period.
double distanceToGrid(double a, double period)
{
    const double m = a - period * std::floor(a / period);
    return std::min(m, period - m);
}

// Gradient noise over the unit square whose lattice wraps after cellsX by cellsY
// cells, so it repeats exactly at u = 1 and v = 1. Roughly in [-1, 1].
double noise(double u, double v, int cellsX, int cellsY, std::uint32_t seed)
{
    const double x = u * cellsX;
    const double y = v * cellsY;
    const int x0 = int(std::floor(x));
    const int y0 = int(std::floor(y));
    const double fx = x - x0;
    const double fy = y - y0;
    const auto corner = [&](int ix, int iy, double dx, double dy) {
        const double angle = kTau * hashUnit(wrap(ix, cellsX), wrap(iy, cellsY), seed);
        return std::cos(angle) * dx + std::sin(angle) * dy;
    };
    const auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    const double n00 = corner(x0, y0, fx, fy);
    const double n10 = corner(x0 + 1, y0, fx - 1, fy);
    const double n01 = corner(x0, y0 + 1, fx, fy - 1);
    const double n11 = corner(x0 + 1, y0 + 1, fx - 1, fy - 1);
    const double sx = fade(fx);
    const double sy = fade(fy);
    const double top = n00 + (n10 - n00) * sx;
    const double bottom = n01 + (n11 - n01) * sx;
    return 1.4 * (top + (bottom - top) * sy);
}

// Octaves of noise, each with twice the cells of the one before, so every octave
// still wraps at the picture's edges.
double fbm(double u, double v, int cellsX, int cellsY, int octaves, std::uint32_t seed)
{
    double sum = 0;
    double amplitude = 1;
    double total = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * noise(u, v, cellsX << o, cellsY << o, seed + 7919u * std::uint32_t(o));
        total += amplitude;
        amplitude *= 0.5;
    }
    return sum / total;
}

// --- Colours -------------------------------------------------------------

struct Rgb
{
    double r, g, b;
};

Rgb operator+(Rgb a, double d)
{
    return {a.r + d, a.g + d, a.b + d};
}

Rgb mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

QRgb toQRgb(Rgb c)
{
    const auto channel = [](double v) { return int(std::lround(std::clamp(v, 0.0, 255.0))); };
    return qRgb(channel(c.r), channel(c.g), channel(c.b));
}

QColor toQColor(Rgb c, double alpha = 1)
{
    QColor colour(toQRgb(c));
    colour.setAlphaF(float(alpha));
    return colour;
}

// --- Drawing -------------------------------------------------------------

// Fills the picture pixel by pixel; colourAt gets the pixel's position both as
// whole pixels and as a fraction of the size (the unit square the noise wraps on).
QImage shade(int size, const std::function<Rgb(int x, int y, double u, double v)> &colourAt)
{
    QImage image(size, size, QImage::Format_RGB32);
    for (int y = 0; y < size; ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < size; ++x)
            line[x] = toQRgb(colourAt(x, y, double(x) / size, double(y) / size));
    }
    return image;
}

// Draws a shape nine times, shifted by a whole picture each way, so any part
// crossing an edge comes back in on the opposite side.
void drawWrapped(QPainter &painter, int size, const std::function<void()> &draw)
{
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            painter.save();
            painter.translate(dx * size, dy * size);
            draw();
            painter.restore();
        }
    }
}

// --- The textures ----------------------------------------------------------

// Buttercream writing paper: soft cloudiness, fine grain and loose fibres.
QImage paperGrain(int size)
{
    const Rgb cream{251, 245, 212};
    QImage image = shade(size, [&](int x, int y, double u, double v) {
        const double cloud = 7 * fbm(u, v, 4, 4, 5, 101);
        const double grain = 4 * (hashUnit(x, y, 102) - 0.5);
        return cream + (cloud + grain);
    });
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Rng rng(103);
    for (int i = 0; i < 260; ++i) {
        const QPointF start(rng.range(0, size), rng.range(0, size));
        const double angle = rng.range(0, kTau);
        const double length = rng.range(6, 18);
        const QPointF end = start + QPointF(std::cos(angle), std::sin(angle)) * length;
        const QPointF bend = (start + end) / 2 + QPointF(rng.range(-3, 3), rng.range(-3, 3));
        const bool dark = rng.unit() < 0.6;
        const QColor colour = dark ? QColor(180, 160, 110, 70) : QColor(255, 255, 255, 110);
        QPainterPath fibre(start);
        fibre.quadTo(bend, end);
        drawWrapped(painter, size, [&] {
            painter.setPen(QPen(colour, 0.8));
            painter.drawPath(fibre);
        });
    }
    return image;
}

// Natural linen: a plain weave of uneven threads with slubs along them.
QImage linenWeave(int size)
{
    const Rgb linen{226, 218, 200};
    const int pitch = 4;
    const int threads = size / pitch;
    return shade(size, [&](int x, int y, double u, double v) {
        const int column = x / pitch;
        const int row = y / pitch;
        const bool warpOnTop = (column + row) % 2 == 0;
        // Brightest in the middle of the thread, darker where it dips under.
        const double across = warpOnTop ? (x % pitch + 0.5) / pitch : (y % pitch + 0.5) / pitch;
        const double roundness = std::sin(kPi * across);
        const double tone = warpOnTop ? hashUnit(column, 0, 201) : hashUnit(row, 1, 202);
        const double slub = warpOnTop ? noise(u, v, threads, 6, 203) : noise(u, v, 6, threads, 204);
        const double cloud = 3 * fbm(u, v, 2, 2, 3, 205);
        return linen + (14 * (roundness - 0.7) + 8 * (tone - 0.5) + 5 * slub + cloud);
    });
}

// Pale rose marble with soft veins, winding but always wrapping at the edges.
QImage marble(int size)
{
    const Rgb rose{246, 235, 231};
    const Rgb vein{184, 150, 152};
    return shade(size, [&](int, int, double u, double v) {
        const double turbulence = fbm(u, v, 2, 2, 5, 301);
        const double main = std::sin(kTau * (u + 2 * v) + 5 * turbulence);
        const double fine = std::sin(kTau * (3 * u - v) + 6 * fbm(u, v, 3, 3, 4, 302));
        const double mainVein = std::pow(1 - std::abs(main), 7);
        const double fineVein = std::pow(1 - std::abs(fine), 16);
        const double cloud = 6 * fbm(u, v, 2, 2, 4, 303);
        return mix(rose, vein, 0.5 * mainVein + 0.3 * fineVein) + cloud;
    });
}

// Soft blue polka dots on a staggered grid.
QImage blueDots(int size)
{
    const Rgb ground{228, 238, 250};
    QImage image = shade(size, [&](int x, int y, double, double) {
        return ground + 2 * (hashUnit(x, y, 401) - 0.5);
    });
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const int spacing = 32;
    for (int row = 0; row < size / (spacing / 2); ++row) {
        for (int column = 0; column < size / spacing; ++column) {
            const QPointF centre(column * spacing + (row % 2) * spacing / 2 + spacing / 4,
                                 row * spacing / 2 + spacing / 4);
            QRadialGradient fill(centre + QPointF(-2, -2), 8);
            fill.setColorAt(0, QColor(205, 222, 244));
            fill.setColorAt(1, QColor(180, 204, 236));
            drawWrapped(painter, size, [&] {
                painter.setBrush(fill);
                painter.drawEllipse(centre, 7, 7);
            });
        }
    }
    return image;
}

// Candy stripes: white and pale pink, with a deeper line at each side of the pink.
QImage candyStripes(int size)
{
    const Rgb white{255, 250, 251};
    const Rgb pink{250, 224, 232};
    const Rgb line{240, 194, 210};
    return shade(size, [&](int x, int y, double u, double v) {
        // Shifted so the picture's edges fall inside a white stripe.
        const int position = (x + 8) % 32;
        Rgb colour = white;
        if (position == 16 || position == 31)
            colour = line;
        else if (position > 16)
            colour = pink;
        // A little unevenness, as if printed on cloth.
        return colour + (2.5 * noise(u, v, 32, 8, 501) + 1.5 * (hashUnit(x, y, 502) - 0.5));
    });
}

// Pale aqua with rows of gentle waves.
QImage aquaWaves(int size)
{
    const Rgb water{221, 243, 241};
    const Rgb crest{146, 204, 203};
    const Rgb ripple{196, 229, 228};
    return shade(size, [&](int, int y, double u, double v) {
        // The phase moves with v as well, by whole turns over the picture.
        const double f = y + 6 * std::sin(kTau * (2 * u + v));
        const double g = y + 8 + 4 * std::sin(kTau * (2 * u + v) + 1.3);
        const double crestCover = smoothstep(1.7, 0.5, distanceToGrid(f, 16));
        const double rippleCover = smoothstep(1.1, 0.2, distanceToGrid(g, 16));
        Rgb colour = mix(water, ripple, 0.8 * rippleCover);
        colour = mix(colour, crest, crestCover);
        return colour + 3 * fbm(u, v, 3, 3, 3, 601);
    });
}

// Green gingham: crossing bands, darker where they overlap, on a faint weave.
QImage gingham(int size)
{
    const Rgb white{252, 253, 249};
    const Rgb green{118, 180, 122};
    return shade(size, [&](int x, int y, double, double) {
        // Shifted so the picture's edges fall inside the bands, not on their borders.
        const double cover = 0.23 * ((x + 8) % 32 < 16) + 0.23 * ((y + 8) % 32 < 16);
        const double weave = 3 * (hashUnit(x, 0, 701) - 0.5) + 3 * (hashUnit(0, y, 702) - 0.5);
        return mix(white, green, cover) + weave;
    });
}

// Pale grey flagstones: irregular cells with darker joints.
QImage flagstones(int size)
{
    Rng rng(801);
    const int grid = 5;
    const double cell = double(size) / grid;
    struct Stone
    {
        double x, y;
        Rgb colour;
    };
    std::vector<Stone> stones;
    for (int j = 0; j < grid; ++j) {
        for (int i = 0; i < grid; ++i) {
            const double lightness = rng.range(-9, 9);
            const double warmth = rng.range(-4, 4);
            stones.push_back(
                {(i + rng.range(0.15, 0.85)) * cell, (j + rng.range(0.15, 0.85)) * cell,
                 Rgb{213 + lightness + warmth, 211 + lightness, 205 + lightness - warmth}});
        }
    }
    const Rgb joint{176, 173, 166};
    return shade(size, [&](int x, int y, double u, double v) {
        // Offsets to each stone's centre taken across the wrap, so the stones
        // continue over the edges.
        std::vector<QPointF> offsets;
        offsets.reserve(stones.size());
        std::size_t closestIndex = 0;
        for (std::size_t i = 0; i < stones.size(); ++i) {
            const auto across = [size](double d) { return d - size * std::round(d / size); };
            offsets.emplace_back(across(stones[i].x - (x + 0.5)), across(stones[i].y - (y + 0.5)));
            if (QPointF::dotProduct(offsets[i], offsets[i]) <
                QPointF::dotProduct(offsets[closestIndex], offsets[closestIndex]))
                closestIndex = i;
        }
        // Distance to the nearest joint: the nearest line halfway between the
        // closest centre and any other.
        const QPointF a = offsets[closestIndex];
        double edge = 1e9;
        for (std::size_t i = 0; i < offsets.size(); ++i) {
            if (i == closestIndex)
                continue;
            const QPointF b = offsets[i];
            const QPointF ab = b - a;
            const double length = std::sqrt(QPointF::dotProduct(ab, ab));
            edge = std::min(edge,
                            (QPointF::dotProduct(b, b) - QPointF::dotProduct(a, a)) / (2 * length));
        }
        const Stone *closest = &stones[closestIndex];
        const double grit = 6 * fbm(u, v, 8, 8, 4, 802) + 3 * (hashUnit(x, y, 803) - 0.5);
        const Rgb surface = closest->colour + grit;
        return mix(joint, surface, smoothstep(0.8, 2.0, edge));
    });
}

// Warm sand with low ripples and the odd dark grain.
QImage sand(int size)
{
    const Rgb base{236, 212, 164};
    return shade(size, [&](int x, int y, double u, double v) {
        const double ripple = std::sin(kTau * (5 * v + u) + 2.5 * fbm(u, v, 4, 4, 3, 901));
        const double speck = hashUnit(x, y, 902);
        double grain = 7 * (hashUnit(x, y, 903) - 0.5);
        if (speck < 0.025)
            grain -= 22;
        else if (speck > 0.985)
            grain += 12;
        return base + (5 * ripple + 3 * fbm(u, v, 2, 2, 3, 904) + grain);
    });
}

// Old parchment: yellowed, with darker mottling and a few age spots.
QImage parchment(int size)
{
    const Rgb fresh{244, 232, 198};
    const Rgb aged{218, 192, 142};
    QImage image = shade(size, [&](int, int, double u, double v) {
        const double mottle = smoothstep(-0.15, 0.55, fbm(u, v, 3, 3, 5, 1001));
        const double fibre = 3 * fbm(u, v, 16, 64, 2, 1002);
        return mix(fresh, aged, 0.75 * mottle) + fibre;
    });
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    Rng rng(1003);
    for (int i = 0; i < 7; ++i) {
        const QPointF centre(rng.range(0, size), rng.range(0, size));
        const double radius = rng.range(4, 11);
        QRadialGradient spot(centre, radius);
        spot.setColorAt(0, QColor(196, 166, 110, 50));
        spot.setColorAt(1, QColor(196, 166, 110, 0));
        drawWrapped(painter, size, [&] {
            painter.setBrush(spot);
            painter.drawEllipse(centre, radius, radius);
        });
    }
    return image;
}

// Light blue sky with soft white clouds.
QImage clouds(int size)
{
    const Rgb sky{176, 211, 240};
    const Rgb cloud{252, 253, 255};
    return shade(size, [&](int, int, double u, double v) {
        const double c = fbm(u, v, 3, 3, 6, 1101);
        return mix(sky, cloud, smoothstep(-0.05, 0.4, c));
    });
}

// Brushed steel: long horizontal scratches and a faint diagonal sheen.
QImage brushedMetal(int size)
{
    const Rgb steel{212, 216, 221};
    return shade(size, [&](int x, int y, double u, double v) {
        const double streaks = 9 * fbm(u, v, 2, size / 2, 3, 1201);
        const double fine = 2 * (hashUnit(x, y, 1202) - 0.5);
        const double sheen = 7 * std::cos(kTau * (u + v));
        return steel + (streaks + fine + sheen);
    });
}

// Pale lilac with thin diagonal lines.
QImage lilacDiagonals(int size)
{
    const Rgb lilac{240, 234, 248};
    const Rgb line{198, 184, 228};
    return shade(size, [&](int x, int y, double u, double v) {
        // Lines where x + y is a multiple of 16, measured across the line.
        const double across = distanceToGrid(x + y, 16) / std::sqrt(2.0);
        const double cover = clamp01(1.4 - across);
        return mix(lilac, line, cover) + 2 * fbm(u, v, 4, 4, 3, 1301);
    });
}

// Light pine boards: wavy grain lines running down the picture.
QImage pine(int size)
{
    const Rgb early{240, 206, 158};
    const Rgb late{216, 162, 108};
    return shade(size, [&](int, int, double u, double v) {
        const double bend = 1.1 * fbm(u, v, 3, 2, 4, 1401);
        const double ring = 9 * u + bend;
        // A thin dark line once per ring, on a gentle swell of colour.
        const double wave = 0.5 + 0.5 * std::cos(kTau * ring);
        const double grain = 0.7 * std::pow(wave, 10) + 0.3 * wave;
        const double fibres = 4 * noise(u, v, 128, 3, 1402);
        return mix(early, late, grain) + fibres;
    });
}

// A pale terracotta brick wall with light mortar.
QImage bricks(int size)
{
    const Rgb mortar{240, 235, 226};
    const int width = 64;
    const int height = 32;
    const int joint = 3;
    return shade(size, [&](int x, int y, double u, double v) {
        // Shifted so the picture's edges cut through bricks rather than along joints.
        const int course = (y + height / 2) / height % (size / height);
        const int shifted = x + width / 4 + (course % 2) * width / 2;
        const int brick = wrap(shifted, size) / width;
        const int bx = shifted % width;
        const int by = (y + height / 2) % height;
        const double speck = 5 * fbm(u, v, 16, 16, 3, 1501);
        if (bx < joint || by < joint)
            return mortar + 0.5 * speck;
        const double tone = 10 * (hashUnit(brick, course, 1502) - 0.5);
        const double warmth = 6 * (hashUnit(brick, course, 1503) - 0.5);
        const Rgb face{232 + tone + warmth, 192 + tone, 172 + tone - warmth};
        // A faint highlight along the top of each brick.
        const double lift = by < joint + 2 ? 4 : 0;
        return face + (speck + lift);
    });
}

// A dark night sky with faint haze and scattered stars, for white text.
QImage nightSky(int size)
{
    const Rgb night{16, 24, 56};
    const Rgb haze{38, 40, 84};
    QImage image = shade(size, [&](int, int, double u, double v) {
        const double t = smoothstep(-0.1, 0.6, fbm(u, v, 3, 3, 5, 1601));
        return mix(night, haze, t);
    });
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    Rng rng(1602);
    for (int i = 0; i < 70; ++i) {
        const QPointF centre(rng.range(0, size), rng.range(0, size));
        const bool bright = i % 10 == 0;
        const double radius = bright ? rng.range(1.6, 2.4) : rng.range(0.5, 1.1);
        const int warm = rng.below(3);
        const QColor star = warm == 0 ? QColor(255, 240, 210) : QColor(225, 235, 255);
        QRadialGradient glow(centre, radius);
        QColor core = star;
        core.setAlphaF(float(bright ? 0.95 : rng.range(0.45, 0.85)));
        QColor edge = star;
        edge.setAlphaF(0);
        glow.setColorAt(0, core);
        glow.setColorAt(1, edge);
        drawWrapped(painter, size, [&] {
            painter.setBrush(glow);
            painter.drawEllipse(centre, radius, radius);
        });
    }
    return image;
}

// Dark indigo denim: a diagonal twill with uneven threads, for white text.
QImage denim(int size)
{
    const Rgb indigo{34, 52, 92};
    const Rgb weft{66, 82, 116};
    return shade(size, [&](int x, int y, double u, double v) {
        const int column = x / 2;
        const int row = y / 2;
        // Three over, one under, stepping one thread per row: the twill diagonal.
        const bool weftShows = wrap(column - row, 4) == 0;
        const double slub = 6 * noise(u, v, size / 2, 8, 1701);
        const double tone = 8 * (hashUnit(column, 0, 1702) - 0.5);
        const double fade = 6 * fbm(u, v, 2, 2, 3, 1703);
        const Rgb thread = weftShows ? weft + 4 * (hashUnit(0, row, 1704) - 0.5) : indigo + tone;
        return thread + (slub + fade);
    });
}

// A green chalkboard with wiped-out chalk haze, for white text.
QImage chalkboard(int size)
{
    const Rgb board{38, 62, 50};
    const Rgb dust{70, 94, 82};
    QImage image = shade(size, [&](int x, int y, double u, double v) {
        const double haze = 0.55 * smoothstep(-0.2, 0.6, fbm(u, v, 2, 2, 5, 1801));
        return mix(board, dust, haze) + 3 * (hashUnit(x, y, 1802) - 0.5);
    });
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(Qt::NoBrush);
    Rng rng(1803);
    // Broad sweeps of an eraser right across the board, each a gentle wave with
    // whole cycles over the width so it meets itself at the edges.
    for (int i = 0; i < 6; ++i) {
        const double base = rng.range(0, size);
        const double height = rng.range(6, 16);
        const int cycles = 1 + rng.below(2);
        const double phase = rng.range(0, kTau);
        const double width = rng.range(14, 26);
        QPainterPath sweep;
        for (int x = 0; x <= size; x += 4) {
            const QPointF point(x, base + height * std::sin(kTau * cycles * x / size + phase));
            if (x == 0)
                sweep.moveTo(point);
            else
                sweep.lineTo(point);
        }
        // Narrower strokes on top of wider ones give the sweep soft edges.
        drawWrapped(painter, size, [&] {
            for (double part = 1; part > 0.2; part -= 0.2) {
                painter.setPen(
                    QPen(QColor(200, 220, 210, 5), width * part, Qt::SolidLine, Qt::FlatCap));
                painter.drawPath(sweep);
            }
        });
    }
    return image;
}

// Confetti: small pastel dots and dashes on white.
QImage confetti(int size)
{
    const std::array<Rgb, 6> colours{{{246, 176, 196},
                                      {253, 214, 130},
                                      {166, 220, 186},
                                      {166, 198, 240},
                                      {208, 184, 240},
                                      {253, 188, 150}}};
    QImage image = shade(size, [&](int x, int y, double, double) {
        return Rgb{255, 253, 248} + 2 * (hashUnit(x, y, 1901) - 0.5);
    });
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    Rng rng(1902);
    for (int i = 0; i < 110; ++i) {
        const QPointF centre(rng.range(0, size), rng.range(0, size));
        const QColor colour = toQColor(colours[std::size_t(rng.below(int(colours.size())))], 0.9);
        const bool dash = rng.unit() < 0.5;
        const double angle = rng.range(0, 180);
        const double length = rng.range(5, 9);
        const double radius = rng.range(1.8, 3.4);
        drawWrapped(painter, size, [&] {
            painter.setBrush(colour);
            painter.save();
            painter.translate(centre);
            if (dash) {
                painter.rotate(angle);
                painter.drawRoundedRect(QRectF(-length / 2, -1.4, length, 2.8), 1.4, 1.4);
            } else {
                painter.drawEllipse(QPointF(0, 0), radius, radius);
            }
            painter.restore();
        });
    }
    return image;
}

// Pale mint with floating soap bubbles.
QImage bubbles(int size)
{
    QImage image = shade(size, [&](int, int, double u, double v) {
        return Rgb{226, 245, 235} + 3 * fbm(u, v, 2, 2, 3, 2001);
    });
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    Rng rng(2002);
    for (int i = 0; i < 36; ++i) {
        const QPointF centre(rng.range(0, size), rng.range(0, size));
        const double radius = rng.range(6, 26);
        drawWrapped(painter, size, [&] {
            painter.setBrush(QColor(246, 255, 250, 120));
            painter.setPen(QPen(QColor(128, 192, 164, 150), 1.5));
            painter.drawEllipse(centre, radius, radius);
            // The glint at the top left.
            painter.setBrush(Qt::NoBrush);
            painter.setPen(QPen(QColor(255, 255, 255, 200), 1.6, Qt::SolidLine, Qt::RoundCap));
            const QRectF inner(centre - QPointF(radius * 0.7, radius * 0.7),
                               QSizeF(radius * 1.4, radius * 1.4));
            painter.drawArc(inner, 100 * 16, 60 * 16);
        });
    }
    return image;
}

// Big enough that the repeat is not obvious, small enough to stay well under
// the size limit at this quality.
constexpr int kSize = 256;
constexpr int kQuality = 90;

// In gallery order: bckgrnd1.jpg is the first.
const std::array<QImage (*)(int size), 20> kTextures{{
    paperGrain,     // 1
    linenWeave,     // 2
    marble,         // 3
    blueDots,       // 4
    candyStripes,   // 5
    aquaWaves,      // 6
    gingham,        // 7
    flagstones,     // 8
    sand,           // 9
    parchment,      // 10
    clouds,         // 11
    brushedMetal,   // 12
    lilacDiagonals, // 13
    pine,           // 14
    bricks,         // 15
    nightSky,       // 16
    denim,          // 17
    chalkboard,     // 18
    confetti,       // 19
    bubbles,        // 20
}};

QByteArray encodeJpeg(const QImage &image, int quality, QString *error)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setQuality(quality);
    writer.setOptimizedWrite(true);
    if (!writer.write(image)) {
        *error = writer.errorString();
        return {};
    }
    return bytes;
}

void fail(const QString &message)
{
    std::fprintf(stderr, "make_textures: %s\n", qPrintable(message));
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        fail(QStringLiteral("usage: make_textures OUTPUT_FOLDER"));
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        fail(QStringLiteral("cannot create %1").arg(folder.path()));
        return 1;
    }

    // Encode all twenty before writing any, so a failure leaves no half-new set.
    std::vector<QByteArray> files;
    for (std::size_t i = 0; i < kTextures.size(); ++i) {
        const QString name = QStringLiteral("bckgrnd%1.jpg").arg(i + 1);
        QImage image = kTextures[i](kSize);
        // 96 dpi, written into the file; otherwise it would follow the platform.
        image.setDotsPerMeterX(3780);
        image.setDotsPerMeterY(3780);
        QString error;
        const QByteArray bytes = encodeJpeg(image, kQuality, &error);
        if (bytes.isEmpty()) {
            fail(QStringLiteral("cannot encode %1 as JPEG (%2); is Qt's jpeg image plugin "
                                "installed?")
                     .arg(name, error));
            return 1;
        }
        if (bytes.size() > kMaxBytes) {
            fail(QStringLiteral("%1 takes %2 bytes, more than %3")
                     .arg(name)
                     .arg(bytes.size())
                     .arg(kMaxBytes));
            return 1;
        }
        files.push_back(bytes);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString path = folder.filePath(QStringLiteral("bckgrnd%1.jpg").arg(i + 1));
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(files[i]) != files[i].size() ||
            !file.commit()) {
            fail(QStringLiteral("cannot write %1: %2").arg(path, file.errorString()));
            return 1;
        }
    }
    return 0;
}
