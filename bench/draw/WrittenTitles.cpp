#include "WrittenTitles.h"

#include "movie/writer/SwfWriter.h"

#include <cmath>
#include <numbers>

using movie::Matrix;
using movie::writer::ShapeSpec;
using movie::writer::SwfWriter;

namespace {

constexpr int kGlyphsPerFont = 3600;
constexpr quint16 kFirstCode[] = {0x0400, 0x4E00};
constexpr int kFrames = 48;

// A closed contour of `segments` curves around (cx, cy), its radius
// wavering by a pseudo-random amount per point; clockwise or not.
void contour(ShapeSpec& glyph, quint32& seed, int cx, int cy, int rx, int ry, int segments, bool clockwise)
{
    auto wobble = [&seed] {
        seed = seed * 1664525u + 1013904223u;
        return 0.85 + 0.3 * double(seed >> 16) / 65536.0;
    };
    auto point = [&](double turn, double r) {
        const double a = (clockwise ? turn : -turn) * 2 * std::numbers::pi;
        return QPoint(cx + int(std::lround(rx * r * std::cos(a))), cy + int(std::lround(ry * r * std::sin(a))));
    };
    const QPoint start = point(0, 1);
    glyph.style(0, 1, 0, start);
    for (int s = 0; s < segments; ++s) {
        const QPoint control = point((s + 0.5) / segments, wobble());
        const QPoint to = s + 1 == segments ? start : point(double(s + 1) / segments, wobble());
        glyph.curveTo(control.x(), control.y(), to.x(), to.y());
    }
}

// DefineFont3 works in twentieths: 20480 units to the em.
SwfWriter::FontSpec font(int which)
{
    SwfWriter::FontSpec f;
    f.name = which == 0 ? "Lettering Cyrillic" : "Lettering Han";
    quint32 seed = 12345u + quint32(which);
    for (int g = 0; g < kGlyphsPerFont; ++g) {
        ShapeSpec glyph;
        contour(glyph, seed, 8000, -7000, 6500, 7000, 46, true);
        contour(glyph, seed, 8000, -7000, 2500, 3000, 20, false);
        f.glyphs.push_back(glyph);
        f.codes.push_back(quint16(kFirstCode[which] + g));
        f.advances.push_back(17000);
    }
    f.ascent = 16000;
    f.descent = 4000;
    return f;
}

void defineFonts(SwfWriter& w)
{
    w.defineFont(1, font(0), 3);
    w.defineFont(2, font(1), 3);
}

} // namespace

QByteArray fontTitle(qsizetype* glyphBytes)
{
    constexpr int px = 20;
    SwfWriter bare(700, 380, 24), fonts(700, 380, 24);
    defineFonts(fonts);
    *glyphBytes = fonts.finish().size() - bare.finish().size();

    SwfWriter w(700, 380, 24);
    w.setBackground(QColor(10, 10, 30));
    defineFonts(w);
    std::vector<SwfWriter::TextRecord> lines;
    for (quint16 f = 1; f <= 2; ++f) {
        SwfWriter::TextRecord line;
        line.font = f;
        line.height = 28 * px;
        line.color = f == 1 ? QColor(250, 220, 120) : QColor(140, 200, 255);
        line.x = 0;
        line.y = qint16(40 * f * px);
        for (int i = 0; i < 20; ++i)
            line.glyphs.emplace_back(quint32(i * 37 + f * 11), 30 * px);
        lines.push_back(line);
    }
    w.defineText(3, QRect(0, 0, 620 * px, 100 * px), Matrix{}, lines);
    SwfWriter::EditTextSpec field;
    field.bounds = QRect(0, 0, 660 * px, 80 * px);
    field.font = 2;
    field.height = 24 * px;
    field.color = QColor(255, 255, 255);
    field.wordWrap = field.multiline = true;
    QString text;
    for (int i = 0; i < 40; ++i)
        text += QChar(char16_t(kFirstCode[1] + i * 53 % kGlyphsPerFont));
    field.text = text.toUtf8();
    w.defineEditText(4, field);

    Matrix fieldAt;
    fieldAt.tx = 20 * px;
    fieldAt.ty = 260 * px;
    w.placeObject2(SwfWriter::Place::add(2, 4).withMatrix(fieldAt));
    for (int frame = 0; frame < kFrames; ++frame) {
        Matrix at;
        at.tx = (40 + frame) * px;
        at.ty = 60 * px;
        w.placeObject2(frame == 0 ? SwfWriter::Place::add(1, 3).withMatrix(at)
                                  : SwfWriter::Place::modify(1).withMatrix(at));
        w.showFrame();
    }
    return w.finish(SwfWriter::Compression::Zlib);
}

QByteArray tintedIntro()
{
    constexpr int px = 20, width = 1000, height = 710, frames = 48;
    SwfWriter w(width, height, 24);
    w.setBackground(Qt::black);
    ShapeSpec ground;
    Matrix square;
    square.a = square.d = width * px / 32768.0;
    square.tx = width * px / 2.0;
    square.ty = height * px / 2.0;
    ground.fills.push_back(ShapeSpec::Fill::gradient(ShapeSpec::Fill::Kind::Linear, square,
                                                     {{0, QColor(30, 60, 160)}, {255, QColor(220, 120, 40)}}));
    ground.rect(QRect(0, 0, width * px, height * px), 1);
    w.defineShape(1, ground);
    ShapeSpec petal;
    petal.fills.push_back(ShapeSpec::Fill::solid(QColor(250, 240, 200, 200)));
    quint32 seed = 7;
    contour(petal, seed, 0, 0, 90 * px, 40 * px, 12, true);
    w.defineShape(2, petal);

    // The tinted sprite: the ground and eight petals turning around the middle.
    w.beginSprite(3);
    w.placeObject2(SwfWriter::Place::add(1, 1));
    constexpr int petals = 8;
    for (int frame = 0; frame < frames; ++frame) {
        for (int i = 0; i < petals; ++i) {
            const double a = 2 * std::numbers::pi * (i + frame / double(frames)) / petals;
            Matrix at;
            at.a = at.d = std::cos(a);
            at.b = std::sin(a);
            at.c = -at.b;
            at.tx = (width / 2.0 + 220 * std::cos(a)) * px;
            at.ty = (height / 2.0 + 220 * std::sin(a)) * px;
            const auto depth = quint16(2 + i);
            w.placeObject2(frame == 0 ? SwfWriter::Place::add(depth, 2).withMatrix(at)
                                      : SwfWriter::Place::modify(depth).withMatrix(at));
        }
        w.showFrame();
    }
    w.endSprite();

    movie::Filter sepia;
    sepia.kind = movie::Filter::Kind::ColorMatrix;
    sepia.matrix = {0.39f, 0.77f, 0.19f, 0, 0, 0.35f, 0.69f, 0.17f, 0, 0, 0.27f, 0.53f, 0.13f, 0, 0, 0, 0, 0, 1, 0};
    SwfWriter::Place tinted = SwfWriter::Place::add(1, 3);
    tinted.filters = movie::FilterList{sepia};
    w.placeObject3(tinted);
    for (int frame = 0; frame < frames; ++frame)
        w.showFrame();
    return w.finish(SwfWriter::Compression::Zlib);
}
