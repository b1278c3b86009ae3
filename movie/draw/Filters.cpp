// Bitmap filters: reading them, and drawing them on an object's picture.
#include "movie/draw/Filters.h"

#include "movie/Limits.h"
#include "movie/format/Geometry.h"
#include "movie/format/SwfReader.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace movie {

namespace {

double readFixed(SwfReader& r) { return static_cast<qint32>(r.u32()) / 65536.0; }
double readFixed8(SwfReader& r) { return r.s16() / 256.0; }
float readFloat(SwfReader& r)
{
    const auto f = std::bit_cast<float>(r.u32());
    return std::isfinite(f) ? f : 0.0f;
}

double blurSize(SwfReader& r) { return std::clamp(readFixed(r), 0.0, limits::kMaxBlur); }

// The flags byte shared by shadows, glows and bevels.
void readFlags(SwfReader& r, Filter& f, bool bevel)
{
    const quint8 flags = r.u8();
    f.inner = flags & 0x80;
    f.knockout = flags & 0x40;
    f.compositeSource = flags & 0x20;
    f.onTop = bevel && (flags & 0x10);
    f.passes = std::clamp(bevel ? flags & 0x0F : flags & 0x1F, 1, limits::kMaxFilterPasses);
}

void readShape(SwfReader& r, Filter& f)
{
    f.blurX = blurSize(r);
    f.blurY = blurSize(r);
    f.angle = readFixed(r);
    f.distance = std::clamp(readFixed(r), -double(limits::kMaxFilterReach), double(limits::kMaxFilterReach));
    f.strength = std::clamp(readFixed8(r), 0.0, 255.0);
}

bool readFilter(SwfReader& r, Filter& f)
{
    const int kind = r.u8();
    switch (kind) {
    case 0: // drop shadow
        f.kind = Filter::Kind::DropShadow;
        f.color = readRgba(r);
        readShape(r, f);
        readFlags(r, f, false);
        break;
    case 1:
        f.kind = Filter::Kind::Blur;
        f.blurX = blurSize(r);
        f.blurY = blurSize(r);
        f.passes = std::clamp(r.u8() >> 3, 1, limits::kMaxFilterPasses);
        break;
    case 2:
        f.kind = Filter::Kind::Glow;
        f.color = readRgba(r);
        f.blurX = blurSize(r);
        f.blurY = blurSize(r);
        f.strength = std::clamp(readFixed8(r), 0.0, 255.0);
        readFlags(r, f, false);
        break;
    case 3:
        // The first colour lights the edges that face away from the angle.
        f.kind = Filter::Kind::Bevel;
        f.highlight = readRgba(r);
        f.color = readRgba(r);
        readShape(r, f);
        readFlags(r, f, true);
        break;
    case 4:
    case 7: {
        f.kind = kind == 4 ? Filter::Kind::GradientGlow : Filter::Kind::GradientBevel;
        const int count = r.u8();
        for (int i = 0; i < count; ++i)
            f.colors.push_back(readRgba(r));
        for (int i = 0; i < count; ++i)
            f.ratios.push_back(r.u8() / 255.0);
        readShape(r, f);
        readFlags(r, f, true);
        break;
    }
    case 5: {
        f.kind = Filter::Kind::Convolution;
        f.columns = r.u8();
        f.rows = r.u8();
        f.divisor = readFloat(r);
        f.bias = readFloat(r);
        const int cells = f.columns * f.rows;
        for (int i = 0; i < cells && !r.overrun(); ++i)
            f.kernel.push_back(readFloat(r));
        f.color = readRgba(r);
        const quint8 flags = r.u8();
        f.clamp = flags & 0x02;
        f.preserveAlpha = flags & 0x01;
        // A kernel larger than the players allow is not drawn.
        if (f.columns > limits::kMaxKernelSide || f.rows > limits::kMaxKernelSide)
            f.kernel.clear();
        break;
    }
    case 6:
        f.kind = Filter::Kind::ColorMatrix;
        for (float& m : f.matrix)
            m = readFloat(r);
        break;
    default:
        r.skip(r.remaining()); // an unknown filter's length is unknown: nothing after it can be read
        return false;
    }
    return !r.overrun();
}

// A box blur `width` pixels wide: whole pixels within `radius` of the
// centre, and the two next ones weighed by `edge` 256ths.
struct Box {
    int radius = 0;
    int edge = 0;
    int total = 256;
    quint64 reciprocal = 0; // 2^32 / total, to divide by multiplying
    explicit Box(double width)
    {
        const double half = std::max(0.0, (width - 1) / 2);
        radius = static_cast<int>(half);
        edge = static_cast<int>(std::lround((half - radius) * 256));
        total = (2 * radius + 1) * 256 + 2 * edge;
        reciprocal = ((quint64(1) << 32) + quint64(total) - 1) / quint64(total);
    }
    bool blurs() const { return radius > 0 || edge > 0; }
    quint8 average(int value) const { return static_cast<quint8>((quint64(value + total / 2) * reciprocal) >> 32); }
};

// Blurs `channels` interleaved byte channels of a w x h picture with box
// blurs, `passes` times across and down. Beyond the picture every value is
// `outside`.
void boxBlur(quint8* data, int w, int h, int channels, qsizetype stride, double blurX, double blurY, int passes,
             quint8 outside)
{
    const Box across(blurX), down(blurY);
    const int columns = w * channels;
    std::vector<int> line;
    std::vector<quint8> source;
    std::vector<int> sums;
    const std::vector<quint8> outsideRow(static_cast<size_t>(columns), outside);
    for (int pass = 0; pass < passes; ++pass) {
        if (across.blurs()) {
            const int pad = across.radius + 1;
            line.assign(static_cast<size_t>(w) + 2 * static_cast<size_t>(pad), outside);
            for (int y = 0; y < h; ++y) {
                quint8* row = data + y * stride;
                for (int c = 0; c < channels; ++c) {
                    for (int x = 0; x < w; ++x)
                        line[static_cast<size_t>(pad) + static_cast<size_t>(x)] = row[x * channels + c];
                    const int* v = line.data() + pad;
                    int sum = 0;
                    for (int i = -across.radius; i < across.radius; ++i)
                        sum += v[i];
                    for (int x = 0; x < w; ++x) {
                        sum += v[x + across.radius];
                        const int value =
                            sum * 256 + across.edge * (v[x - across.radius - 1] + v[x + across.radius + 1]);
                        row[x * channels + c] = across.average(value);
                        sum -= v[x - across.radius];
                    }
                }
            }
        }
        if (down.blurs()) {
            source.resize(static_cast<size_t>(columns) * h);
            for (int y = 0; y < h; ++y)
                std::copy_n(data + y * stride, columns, source.begin() + qsizetype(y) * columns);
            auto rowAt = [&](int y) {
                return y >= 0 && y < h ? source.data() + qsizetype(y) * columns : outsideRow.data();
            };
            sums.assign(static_cast<size_t>(columns), 0);
            for (int y = -down.radius; y < down.radius; ++y) {
                const quint8* r = rowAt(y);
                for (int i = 0; i < columns; ++i)
                    sums[static_cast<size_t>(i)] += r[i];
            }
            for (int y = 0; y < h; ++y) {
                const quint8* entering = rowAt(y + down.radius);
                const quint8* leaving = rowAt(y - down.radius);
                const quint8* before = rowAt(y - down.radius - 1);
                const quint8* after = rowAt(y + down.radius + 1);
                quint8* out = data + y * stride;
                int* sum = sums.data();
                for (int i = 0; i < columns; ++i) {
                    sum[i] += entering[i];
                    const int value = sum[i] * 256 + down.edge * (before[i] + after[i]);
                    out[i] = down.average(value);
                    sum[i] -= leaving[i];
                }
            }
        }
    }
}

// A plane of one byte a pixel: alpha, or the amount of a filter's colour.
struct Plane {
    int w = 0, h = 0;
    std::vector<quint8> v;
    quint8* row(int y) { return v.data() + qsizetype(y) * w; }
    const quint8* row(int y) const { return v.data() + qsizetype(y) * w; }
};

Plane alphaOf(const QImage& image, bool inverted)
{
    Plane p{image.width(), image.height(), {}};
    p.v.resize(static_cast<size_t>(p.w) * p.h);
    for (int y = 0; y < p.h; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        quint8* out = p.row(y);
        for (int x = 0; x < p.w; ++x)
            out[x] = static_cast<quint8>(inverted ? 255 - qAlpha(line[x]) : qAlpha(line[x]));
    }
    return p;
}

// The plane moved by (dx, dy) whole pixels; what comes in from outside is `outside`.
Plane shifted(const Plane& p, int dx, int dy, quint8 outside)
{
    if (dx == 0 && dy == 0)
        return p;
    Plane out{p.w, p.h, std::vector<quint8>(p.v.size(), outside)};
    const int x0 = std::clamp(dx, 0, p.w), x1 = std::clamp(p.w + dx, 0, p.w);
    for (int y = std::max(0, dy); y < std::min(p.h, p.h + dy); ++y)
        if (x1 > x0)
            std::copy_n(p.row(y - dy) + (x0 - dx), x1 - x0, out.row(y) + x0);
    return out;
}

double deviceBlur(double blur, double scale) { return std::min(blur * scale, double(limits::kMaxFilterReach)); }

void blurPlane(Plane& p, const Filter& f, double scale, quint8 outside)
{
    boxBlur(p.v.data(), p.w, p.h, 1, p.w, deviceBlur(f.blurX, scale), deviceBlur(f.blurY, scale), f.passes, outside);
}

QPoint offsetOf(const Filter& f, double scale)
{
    return QPoint(static_cast<int>(std::lround(std::cos(f.angle) * f.distance * scale)),
                  static_cast<int>(std::lround(std::sin(f.angle) * f.distance * scale)));
}

int strengthened(int v, double strength) { return std::min(255, static_cast<int>(std::lround(v * strength))); }

// Every channel of a premultiplied colour times amount / 255.
inline QRgb scaled(QRgb c, quint32 amount)
{
    // Two channels at a time: red and blue, then alpha and green.
    quint32 rb = (c & 0x00FF00FF) * amount + 0x00800080;
    rb = ((rb + ((rb >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
    quint32 ag = ((c >> 8) & 0x00FF00FF) * amount + 0x00800080;
    ag = (ag + ((ag >> 8) & 0x00FF00FF)) & 0xFF00FF00;
    return rb | ag;
}

// a over b, both premultiplied.
inline QRgb over(QRgb a, QRgb b) { return a + scaled(b, 255 - qAlpha(a)); }

// Lays the filter's coloured plane (`effect`, premultiplied per pixel) and
// the object together as the filter's flags say.
template <typename Effect>
void compose(QImage& image, const Filter& f, Effect effect)
{
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            const QRgb source = line[x];
            QRgb e = effect(x, y);
            if (e == 0 && f.compositeSource && !f.knockout)
                continue; // nothing of the filter here: the object stays
            if (f.inner)
                e = scaled(e, qAlpha(source));
            else if (f.knockout && !f.onTop)
                e = scaled(e, 255 - qAlpha(source));
            if (f.knockout || !f.compositeSource)
                line[x] = e;
            else if (f.inner || f.onTop)
                line[x] = over(e, source);
            else
                line[x] = over(source, e);
        }
    }
}

QRgb premultiplied(const QColor& c, int amount)
{
    return qPremultiply(qRgba(c.red(), c.green(), c.blue(), (c.alpha() * amount + 127) / 255));
}

// The filter's colour at each amount of its plane, strength applied.
std::array<QRgb, 256> colourTable(const QColor& colour, double strength)
{
    std::array<QRgb, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<size_t>(i)] = premultiplied(colour, strengthened(i, strength));
    return table;
}

// Shadows and glows: the object's alpha (or, inside, its inverse) moved by
// the filter's distance (a plain glow has none), blurred, and coloured
// through `table`.
void glow(QImage& image, const Filter& f, double scale, const std::array<QRgb, 256>& table)
{
    const QPoint offset = f.kind == Filter::Kind::Glow ? QPoint() : offsetOf(f, scale);
    const quint8 outside = f.inner ? 255 : 0;
    Plane p = shifted(alphaOf(image, f.inner), offset.x(), offset.y(), outside);
    blurPlane(p, f, scale, outside);
    compose(image, f, [&](int x, int y) { return table[p.row(y)[x]]; });
}

// The colour of a gradient filter at `position` (0..1).
QRgb gradientAt(const Filter& f, double position)
{
    if (f.colors.empty())
        return 0;
    size_t i = 0;
    while (i < f.ratios.size() && f.ratios[i] < position)
        ++i;
    if (i == 0)
        return premultiplied(f.colors.front(), 255);
    if (i >= f.ratios.size())
        return premultiplied(f.colors.back(), 255);
    const double span = f.ratios[i] - f.ratios[i - 1];
    const double t = span > 0 ? (position - f.ratios[i - 1]) / span : 1;
    const QColor& a = f.colors[i - 1];
    const QColor& b = f.colors[i];
    auto mix = [t](int u, int v) { return static_cast<int>(std::lround(u + (v - u) * t)); };
    return qPremultiply(
        qRgba(mix(a.red(), b.red()), mix(a.green(), b.green()), mix(a.blue(), b.blue()), mix(a.alpha(), b.alpha())));
}

// The gradient's colour at each amount of the plane, strength applied.
std::array<QRgb, 256> gradientTable(const Filter& f)
{
    std::array<QRgb, 256> table{};
    for (int i = 0; i < 256; ++i)
        table[static_cast<size_t>(i)] = gradientAt(f, strengthened(i, f.strength) / 255.0);
    return table;
}

// Bevels: the blurred shape seen from the light and from the far side;
// where they differ the edge takes the highlight or the shadow colour.
void bevel(QImage& image, const Filter& f, double scale)
{
    Plane p = alphaOf(image, false);
    blurPlane(p, f, scale, 0);
    const QPoint offset = offsetOf(f, scale);
    const Plane lit = shifted(p, -offset.x(), -offset.y(), 0);
    const Plane dark = shifted(p, offset.x(), offset.y(), 0);
    // By the difference of the two, -255..255.
    std::array<QRgb, 511> table{};
    for (int d = -255; d <= 255; ++d) {
        const int amount = std::clamp(static_cast<int>(std::lround(d * f.strength)), -255, 255);
        table[static_cast<size_t>(d) + 255] = f.kind == Filter::Kind::GradientBevel
            ? gradientAt(f, (amount + 255) / 510.0)
            : amount >= 0 ? premultiplied(f.highlight, amount)
                          : premultiplied(f.color, -amount);
    }
    Filter placement = f;
    placement.inner = f.inner && !f.onTop;
    compose(image, placement, [&](int x, int y) {
        const int index = lit.row(y)[x] - dark.row(y)[x] + 255;
        return table[static_cast<size_t>(index)];
    });
}

void colorMatrix(QImage& image, const Filter& f)
{
    const auto& m = f.matrix;
    // A channel rounded half away from zero, as lround does, within 0..255:
    // for 0 < v < 255, the whole part of 2v + 1, halved, is that rounding,
    // without a library call for every channel of every pixel.
    auto channel = [](double v) { return v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(2 * v + 1) >> 1; };
    auto tint = [&](QRgb pixel) {
        const QRgb c = qUnpremultiply(pixel);
        const double in[4] = {double(qRed(c)), double(qGreen(c)), double(qBlue(c)), double(qAlpha(c))};
        int out[4];
        for (size_t row = 0; row < 4; ++row) {
            const float* k = &m[row * 5];
            out[row] = channel(k[0] * in[0] + k[1] * in[1] + k[2] * in[2] + k[3] * in[3] + k[4]);
        }
        return qPremultiply(qRgba(out[0], out[1], out[2], out[3]));
    };
    // Pictures have runs of one colour: the last pixel's result serves them.
    QRgb lastIn = 0, lastOut = tint(0);
    const int width = image.width(), height = image.height();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            if (line[x] != lastIn) {
                lastIn = line[x];
                lastOut = tint(lastIn);
            }
            line[x] = lastOut;
        }
    }
}

void convolution(QImage& image, const Filter& f)
{
    if (f.kernel.empty() || f.divisor == 0)
        return;
    const QImage source = image.copy();
    const QRgb outside = f.color.rgba();
    const int w = image.width(), h = image.height();
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < w; ++x) {
            double sum[4] = {0, 0, 0, 0};
            for (int j = 0; j < f.rows; ++j) {
                for (int i = 0; i < f.columns; ++i) {
                    int sx = x + i - f.columns / 2, sy = y + j - f.rows / 2;
                    QRgb c = outside;
                    if (f.clamp || (sx >= 0 && sy >= 0 && sx < w && sy < h)) {
                        sx = std::clamp(sx, 0, w - 1);
                        sy = std::clamp(sy, 0, h - 1);
                        c = qUnpremultiply(reinterpret_cast<const QRgb*>(source.constScanLine(sy))[sx]);
                    }
                    const float k = f.kernel[static_cast<size_t>(j) * f.columns + i];
                    sum[0] += k * qRed(c);
                    sum[1] += k * qGreen(c);
                    sum[2] += k * qBlue(c);
                    sum[3] += k * qAlpha(c);
                }
            }
            auto ch = [&](double v) {
                return std::clamp(static_cast<int>(std::lround(v / f.divisor + f.bias)), 0, 255);
            };
            const int alpha = f.preserveAlpha ? qAlpha(qUnpremultiply(line[x])) : ch(sum[3]);
            line[x] = qPremultiply(qRgba(ch(sum[0]), ch(sum[1]), ch(sum[2]), alpha));
        }
    }
}

} // namespace

FilterList readFilters(SwfReader& r)
{
    FilterList filters;
    const int count = r.u8();
    for (int i = 0; i < count && !r.overrun(); ++i) {
        Filter f;
        if (!readFilter(r, f))
            break;
        if (static_cast<int>(filters.size()) < limits::kMaxFilters)
            filters.push_back(std::move(f));
    }
    return filters;
}

QMargins filterMargins(const FilterList& filters, double scale)
{
    QMargins total;
    for (const Filter& f : filters) {
        if (f.kind == Filter::Kind::ColorMatrix || f.kind == Filter::Kind::Convolution)
            continue;
        if (f.inner && f.kind != Filter::Kind::Blur)
            continue; // drawn inside the shape
        auto reach = [&](double blur) {
            const double device = deviceBlur(blur, scale);
            return device > 1 ? f.passes * (static_cast<int>((device - 1) / 2) + 1) : 0;
        };
        const QPoint offset =
            f.kind == Filter::Kind::Blur || f.kind == Filter::Kind::Glow ? QPoint() : offsetOf(f, scale);
        const int dx = std::abs(offset.x()), dy = std::abs(offset.y());
        total += QMargins(reach(f.blurX) + dx, reach(f.blurY) + dy, reach(f.blurX) + dx, reach(f.blurY) + dy);
    }
    const int cap = limits::kMaxFilterReach;
    return QMargins(std::min(total.left(), cap), std::min(total.top(), cap), std::min(total.right(), cap),
                    std::min(total.bottom(), cap));
}

void applyFilters(QImage& image, const FilterList& filters, double scale)
{
    if (image.isNull())
        return;
    for (const Filter& f : filters) {
        switch (f.kind) {
        case Filter::Kind::Blur:
            boxBlur(image.bits(), image.width(), image.height(), 4, image.bytesPerLine(), deviceBlur(f.blurX, scale),
                    deviceBlur(f.blurY, scale), f.passes, 0);
            break;
        case Filter::Kind::DropShadow:
        case Filter::Kind::Glow:
            glow(image, f, scale, colourTable(f.color, f.strength));
            break;
        case Filter::Kind::GradientGlow:
            glow(image, f, scale, gradientTable(f));
            break;
        case Filter::Kind::Bevel:
        case Filter::Kind::GradientBevel:
            bevel(image, f, scale);
            break;
        case Filter::Kind::ColorMatrix:
            colorMatrix(image, f);
            break;
        case Filter::Kind::Convolution:
            convolution(image, f);
            break;
        }
    }
}

} // namespace movie
