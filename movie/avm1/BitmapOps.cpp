#include "movie/avm1/BitmapOps.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace movie::avm1::pixels {

namespace {

constexpr quint32 kModulus = 2147483647u; // 2^31 - 1

QRgb* line(QImage& image, int y) { return reinterpret_cast<QRgb*>(image.scanLine(y)); }
const QRgb* line(const QImage& image, int y) { return reinterpret_cast<const QRgb*>(image.constScanLine(y)); }

int channelShift(quint32 channel)
{
    switch (channel) {
    case Red:
        return 16;
    case Green:
        return 8;
    case Blue:
        return 0;
    default:
        return 24;
    }
}

} // namespace

namespace {

// Each colour channel of a pixel through `ch`, its alpha kept; opaque and
// invisible pixels as they are (an invisible one as 0).
template <class F>
quint32 perChannel(quint32 pixel, F ch)
{
    const quint32 a = pixel >> 24;
    if (a == 255 || a == 0)
        return a ? pixel : 0;
    return a << 24 | ch((pixel >> 16) & 0xFF, a) << 16 | ch((pixel >> 8) & 0xFF, a) << 8 | ch(pixel & 0xFF, a);
}

} // namespace

QRgb premultiplied(quint32 argb)
{
    return perChannel(argb, [](quint32 c, quint32 a) { return (c * a + 127) / 255; });
}

quint32 unpremultiplied(QRgb pixel)
{
    // The player divides by a table of 255 * 256 / alpha, cut to whole numbers.
    return perChannel(pixel,
                      [](quint32 c, quint32 a) { return std::min<quint32>(255, (c * (0xFF00u / a) + 127) >> 8); });
}

QRgb stored(quint32 argb, bool transparent) { return transparent ? premultiplied(argb) : (argb | 0xFF000000u); }

quint32 read(QRgb pixel, bool transparent) { return transparent ? unpremultiplied(pixel) : pixel; }

// --- The seeded generator

SeededRandom::SeededRandom(double seed)
{
    // The seed is taken whole; zero and negative seeds count from one up.
    double s = std::isfinite(seed) ? std::trunc(seed) : 0;
    s = std::fmod(s, double(kModulus));
    if (s <= 0)
        s = 1 - s;
    state_ = quint32(s) % kModulus;
    if (state_ == 0)
        state_ = 1;
}

quint32 SeededRandom::next()
{
    state_ = quint32(quint64(state_) * 16807u % kModulus);
    return state_;
}

// --- Whole-picture work

void fill(QImage& image, const QRect& area, quint32 argb, bool transparent)
{
    const QRect r = area & image.rect();
    const QRgb value = stored(argb, transparent);
    for (int y = r.top(); y <= r.bottom(); ++y)
        std::fill(line(image, y) + r.left(), line(image, y) + r.right() + 1, value);
}

void noise(QImage& image, double seed, int low, int high, quint32 channels, bool gray, bool transparent)
{
    SeededRandom random(seed);
    low = std::clamp(low, 0, 255);
    high = std::clamp(high, 0, 255);
    const int range = high - low + 1;
    auto value = [&] { return quint32(range > 0 ? low + int(random.next() % quint32(range)) : low); };
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = line(image, y);
        for (int x = 0; x < image.width(); ++x) {
            quint32 r = 0, g = 0, b = 0, a = 255;
            if (gray) {
                r = g = b = value();
            } else {
                if (channels & Red)
                    r = value();
                if (channels & Green)
                    g = value();
                if (channels & Blue)
                    b = value();
            }
            if ((channels & Alpha) && transparent)
                a = value();
            row[x] = stored(a << 24 | r << 16 | g << 8 | b, transparent);
        }
    }
}

namespace {

// Gradient noise on a lattice whose corners get gradients from a table
// the seed shuffles; a lattice of `period` cells wraps when stitched.
class Perlin {
public:
    explicit Perlin(double seed)
    {
        SeededRandom random(seed);
        for (int i = 0; i < 256; ++i)
            permutation_[size_t(i)] = i;
        for (int i = 255; i > 0; --i)
            std::swap(permutation_[size_t(i)], permutation_[size_t(random.next() % quint32(i + 1))]);
        for (int i = 0; i < 256; ++i) {
            const double angle = (random.next() % 3600) * std::numbers::pi / 1800;
            gradients_[size_t(i)] = {std::cos(angle), std::sin(angle)};
        }
    }

    // In -1..1 roughly.
    double at(double x, double y, int periodX, int periodY) const
    {
        // The lattice repeats every 256 cells: far points are brought near.
        x = std::isfinite(x) ? std::fmod(x, 65536.0) : 0;
        y = std::isfinite(y) ? std::fmod(y, 65536.0) : 0;
        const double fx = std::floor(x), fy = std::floor(y);
        const int x0 = int(fx), y0 = int(fy);
        const double dx = x - fx, dy = y - fy;
        auto corner = [&](int cx, int cy, double ox, double oy) {
            if (periodX > 0)
                cx = ((cx % periodX) + periodX) % periodX;
            if (periodY > 0)
                cy = ((cy % periodY) + periodY) % periodY;
            const int h = permutation_[size_t((permutation_[size_t(cx & 255)] + cy) & 255)];
            const auto& g = gradients_[size_t(h)];
            return g[0] * ox + g[1] * oy;
        };
        auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
        const double u = fade(dx), v = fade(dy);
        const double a = corner(x0, y0, dx, dy) + u * (corner(x0 + 1, y0, dx - 1, dy) - corner(x0, y0, dx, dy));
        const double b = corner(x0, y0 + 1, dx, dy - 1)
            + u * (corner(x0 + 1, y0 + 1, dx - 1, dy - 1) - corner(x0, y0 + 1, dx, dy - 1));
        return (a + v * (b - a)) * std::numbers::sqrt2;
    }

private:
    std::array<int, 256> permutation_{};
    std::array<std::array<double, 2>, 256> gradients_{};
};

} // namespace

void perlinNoise(QImage& image, double baseX, double baseY, int octaves, double seed, bool stitch, bool fractal,
                 quint32 channels, bool gray, const std::vector<QPointF>& offsets, bool transparent)
{
    // Each channel has noise of its own, from seeds that follow the given one.
    std::vector<Perlin> noises;
    const int count = gray ? 1 + ((channels & Alpha) ? 1 : 0) : 4;
    noises.reserve(size_t(count));
    for (int i = 0; i < count; ++i)
        noises.emplace_back(seed + i);
    const double w = image.width(), h = image.height();
    for (int y = 0; y < image.height(); ++y) {
        QRgb* row = line(image, y);
        for (int x = 0; x < image.width(); ++x) {
            auto sample = [&](const Perlin& p) {
                double total = 0, amplitude = 1, frequencyX = baseX != 0 ? 1 / baseX : 0,
                       frequencyY = baseY != 0 ? 1 / baseY : 0, weight = 0;
                for (int o = 0; o < octaves; ++o) {
                    const QPointF shift = size_t(o) < offsets.size() ? offsets[size_t(o)] : QPointF();
                    auto period = [&](double size, double frequency) {
                        const double cells = size * frequency;
                        return stitch ? int(std::clamp(std::round(std::isfinite(cells) ? cells : 1.0), 1.0, 65536.0))
                                      : 0;
                    };
                    const int periodX = period(w, frequencyX), periodY = period(h, frequencyY);
                    const double n = p.at((x + shift.x()) * frequencyX, (y + shift.y()) * frequencyY, periodX, periodY);
                    total += (fractal ? n : std::abs(n)) * amplitude;
                    weight += amplitude;
                    amplitude /= 2;
                    frequencyX *= 2;
                    frequencyY *= 2;
                }
                const double v = weight > 0 ? total / weight : 0;
                const double unit = fractal ? (v + 1) / 2 : v;
                return quint32(std::clamp(int(std::lround(unit * 255)), 0, 255));
            };
            quint32 r = 0, g = 0, b = 0, a = 255;
            if (gray) {
                r = g = b = sample(noises[0]);
            } else {
                r = (channels & Red) ? sample(noises[0]) : 0;
                g = (channels & Green) ? sample(noises[1]) : 0;
                b = (channels & Blue) ? sample(noises[2]) : 0;
            }
            if ((channels & Alpha) && transparent)
                a = sample(noises[gray ? 1 : 3]);
            row[x] = stored(a << 24 | r << 16 | g << 8 | b, transparent);
        }
    }
}

void colorTransform(QImage& image, const QRect& area, const ColorTransform& cx, bool transparent)
{
    const QRect r = area & image.rect();
    auto ch = [](quint32 v, double m, double add) { return quint32(std::clamp(int(v * m + add), 0, 255)); };
    for (int y = r.top(); y <= r.bottom(); ++y) {
        QRgb* row = line(image, y);
        for (int x = r.left(); x <= r.right(); ++x) {
            const quint32 c = unpremultiplied(row[x]);
            const quint32 a = transparent ? ch(c >> 24, cx.am, cx.aa) : 255;
            row[x] = stored(a << 24 | ch((c >> 16) & 0xFF, cx.rm, cx.ra) << 16 | ch((c >> 8) & 0xFF, cx.gm, cx.ga) << 8
                                | ch(c & 0xFF, cx.bm, cx.ba),
                            transparent);
        }
    }
}

bool clipCopy(const QImage& source, const QImage& target, QRect& from, QPoint& to)
{
    // Cut to the source, moving the target point with the cut.
    const QRect inSource = from & source.rect();
    to += inSource.topLeft() - from.topLeft();
    from = inSource;
    // Then to the target.
    const QRect placed = QRect(to, from.size()) & target.rect();
    from = QRect(from.topLeft() + (placed.topLeft() - to), placed.size());
    to = placed.topLeft();
    return !from.isEmpty();
}

namespace {

// Each pixel of `source`'s `from` area with the target pixel it lands on
// at `to`, as far as both pictures reach; the number of pixels it took.
template <class F>
int forEachCopied(QImage& target, const QImage& source, QRect from, QPoint to, F f)
{
    if (!clipCopy(source, target, from, to))
        return 0;
    for (int y = 0; y < from.height(); ++y) {
        const QRgb* src = line(source, from.y() + y) + from.x();
        QRgb* dst = line(target, to.y() + y) + to.x();
        for (int x = 0; x < from.width(); ++x)
            f(src[x], dst[x]);
    }
    return from.width() * from.height();
}

constexpr int kShifts[] = {16, 8, 0, 24}; // red, green, blue, alpha

} // namespace

void copyChannel(QImage& target, const QImage& source, QRect from, QPoint to, quint32 sourceChannel,
                 quint32 targetChannel, bool transparent)
{
    // A source that is not one channel reads as zero.
    const bool single =
        sourceChannel == Red || sourceChannel == Green || sourceChannel == Blue || sourceChannel == Alpha;
    const int in = channelShift(sourceChannel), out = channelShift(targetChannel);
    if (out == 24 && !transparent)
        return;
    forEachCopied(target, source, from, to, [&](QRgb src, QRgb& dst) {
        const quint32 value = single ? (unpremultiplied(src) >> in) & 0xFF : 0;
        dst = stored((unpremultiplied(dst) & ~(0xFFu << out)) | value << out, transparent);
    });
}

void copyPixels(QImage& target, const QImage& source, QRect from, QPoint to, bool blend, bool transparent)
{
    forEachCopied(target, source, from, to, [&](QRgb s, QRgb& dst) {
        if (blend && transparent) {
            const quint32 keep = 255 - qAlpha(s);
            // What shows through is cut down, not rounded.
            auto ch = [&](int shift) {
                return std::min<quint32>(255, (((dst >> shift) & 0xFF) * keep) / 255 + ((s >> shift) & 0xFF));
            };
            dst = ch(24) << 24 | ch(16) << 16 | ch(8) << 8 | ch(0);
        } else {
            // An opaque picture takes the colours, as seen over black.
            dst = transparent ? s : 0xFF000000u | (s & 0xFFFFFF);
        }
    });
}

void merge(QImage& target, const QImage& source, QRect from, QPoint to, const std::array<int, 4>& multipliers,
           bool transparent)
{
    forEachCopied(target, source, from, to, [&](QRgb src, QRgb& dst) {
        const quint32 s = unpremultiplied(src), d = unpremultiplied(dst);
        quint32 out = 0;
        for (size_t i = 0; i < 4; ++i) {
            const auto m = quint32(std::clamp(multipliers[i], 0, 256));
            const quint32 sv = (s >> kShifts[i]) & 0xFF, dv = (d >> kShifts[i]) & 0xFF;
            out |= ((sv * m + dv * (256 - m)) / 256) << kShifts[i];
        }
        dst = stored(out, transparent);
    });
}

void paletteMap(QImage& target, const QImage& source, QRect from, QPoint to,
                const std::array<std::vector<quint32>, 4>& tables, bool transparent)
{
    forEachCopied(target, source, from, to, [&](QRgb src, QRgb& dst) {
        const quint32 s = unpremultiplied(src);
        quint32 out = 0;
        bool any = false;
        for (size_t i = 0; i < 4; ++i) {
            const quint32 v = (s >> kShifts[i]) & 0xFF;
            any |= tables[i].size() == 256;
            out += tables[i].size() == 256 ? tables[i][v] : v << kShifts[i];
        }
        dst = stored(any ? out : s, transparent);
    });
}

bool floodFill(QImage& image, QPoint at, quint32 argb, bool transparent)
{
    if (!image.rect().contains(at))
        return false;
    const QRgb value = stored(argb, transparent);
    const QRgb old = line(image, at.y())[at.x()];
    if (old == value)
        return false;
    std::vector<QPoint> pending{at};
    while (!pending.empty()) {
        const QPoint p = pending.back();
        pending.pop_back();
        QRgb* row = line(image, p.y());
        if (row[p.x()] != old)
            continue;
        // The run of the old colour along the line, then the lines next to it.
        int left = p.x(), right = p.x();
        while (left > 0 && row[left - 1] == old)
            --left;
        while (right + 1 < image.width() && row[right + 1] == old)
            ++right;
        std::fill(row + left, row + right + 1, value);
        for (const int ny : {p.y() - 1, p.y() + 1}) {
            if (ny < 0 || ny >= image.height())
                continue;
            const QRgb* next = line(image, ny);
            for (int x = left; x <= right; ++x)
                if (next[x] == old && (x == left || next[x - 1] != old))
                    pending.emplace_back(x, ny);
        }
    }
    return true;
}

void scroll(QImage& image, int dx, int dy)
{
    const QImage before = image.copy();
    QRect from = image.rect();
    QPoint to(dx, dy);
    if (!clipCopy(before, image, from, to))
        return;
    for (int y = 0; y < from.height(); ++y)
        std::copy_n(line(before, from.y() + y) + from.x(), from.width(), line(image, to.y() + y) + to.x());
}

int threshold(QImage& target, const QImage& source, QRect from, QPoint to, const QString& test, quint32 value,
              quint32 color, quint32 mask, bool copySource)
{
    const quint32 limit = value & mask;
    auto passes = [&](quint32 v) {
        if (test == QLatin1String("=="))
            return v == limit;
        if (test == QLatin1String("!="))
            return v != limit;
        if (test == QLatin1String("<="))
            return v <= limit;
        if (test == QLatin1String(">"))
            return v > limit;
        if (test == QLatin1String(">="))
            return v >= limit;
        return v < limit;
    };
    // The colour is kept premultiplied, whatever the target; the kept
    // (premultiplied) pixel is tested, as the player does.
    const QRgb fillValue = premultiplied(color);
    int count = 0;
    forEachCopied(target, source, from, to, [&](QRgb src, QRgb& dst) {
        if (passes(src & mask)) {
            dst = fillValue;
            ++count;
        } else if (copySource) {
            dst = src;
        }
    });
    return count;
}

QRect colorBounds(const QImage& image, quint32 mask, quint32 color, bool find, bool transparent)
{
    // The player starts the far edges at 0 and finds nothing while they
    // stay there: a match at the origin alone counts as none.
    int left = image.width(), top = image.height(), right = 0, bottom = 0;
    for (int y = 0; y < image.height(); ++y) {
        const QRgb* row = line(image, y);
        for (int x = 0; x < image.width(); ++x) {
            // Transparent pictures compare their kept (premultiplied) pixels
            // with both sides masked; opaque ones their colours alone with
            // the colour taken whole.
            const bool matches =
                transparent ? (row[x] & mask) == (color & mask) : (row[x] & mask & 0xFFFFFFu) == (color & 0xFFFFFFu);
            if (matches != find)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    return right == 0 && bottom == 0 ? QRect() : QRect(QPoint(left, top), QPoint(right, bottom));
}

bool anyAlpha(const QImage& image, const QRect& area, int alpha)
{
    const QRect r = area & image.rect();
    for (int y = r.top(); y <= r.bottom(); ++y) {
        const QRgb* row = line(image, y);
        for (int x = r.left(); x <= r.right(); ++x)
            if (int(qAlpha(row[x])) > alpha)
                return true;
    }
    return false;
}

namespace {

// Taps of a maximal-length Galois shift register of `bits` bits: its states
// run through every number from 1 to 2^bits - 1 once.
quint32 taps(int bits)
{
    static constexpr quint32 table[] = {
        0x0,     0x1,      0x3,      0x6,      0xC,      0x14,      0x30,      0x60,      0xB8,     0x110,
        0x240,   0x500,    0x829,    0x100D,   0x2015,   0x6000,    0xD008,    0x12000,   0x20400,  0x40023,
        0x90000, 0x140000, 0x300000, 0x420000, 0xE10000, 0x1200000, 0x2000023, 0x4000013, 0x9000000};
    return table[std::clamp(bits, 1, 28)];
}

} // namespace

int pixelDissolve(QImage& target, const QImage& source, QRect from, QPoint to, int seed, int count, quint32 fillColor,
                  bool sameImage, bool transparent)
{
    if (!clipCopy(source, target, from, to))
        return seed;
    const quint32 total = quint32(from.width()) * quint32(from.height());
    int bits = 1;
    while (bits < 28 && (quint32(1) << bits) - 1 < total)
        ++bits;
    const quint32 period = (quint32(1) << bits) - 1;
    const quint32 mask = taps(bits);
    quint32 state = quint32(std::abs(qint64(seed)) % period) + 1;
    auto advance = [&] { state = (state & 1) ? (state >> 1) ^ mask : state >> 1; };
    // The walk stands on a pixel of the area; the pixel it stands on is
    // written first, then `count` more, and it stays on the last.
    while (state - 1 >= total)
        advance();
    const QRgb fillValue = stored(fillColor, transparent);
    for (int written = 0; written <= count && written <= int(total); ++written) {
        if (written > 0) {
            do
                advance();
            while (state - 1 >= total);
        }
        const int index = int(state - 1);
        const int x = index % from.width(), y = index / from.width();
        QRgb& out = line(target, to.y() + y)[to.x() + x];
        out = sameImage ? fillValue : line(source, from.y() + y)[from.x() + x];
        if (!transparent)
            out |= 0xFF000000u;
    }
    return int(state - 1); // the seed that starts the next call here
}

} // namespace movie::avm1::pixels
