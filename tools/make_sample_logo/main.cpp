// make_sample_logo OUT.swf
// Writes the sample skin's title movie: a 265 x 65 gradient banner over
// which a gold emblem slides in and fades up while an underline grows, in
// two seconds at 24 frames a second, stopping on its last frame. A chime
// sounds as the emblem comes to rest.

#include "movie/writer/SoundEncoding.h"
#include "movie/writer/SwfWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

using namespace movie;
using namespace movie::writer;

namespace {

constexpr int kWidth = 265, kHeight = 65, kFps = 24, kFrames = 48;
constexpr quint16 kBanner = 1, kEmblem = 2, kUnderline = 3, kGlow = 4, kChime = 5;
constexpr int kChimeFrame = 30;

ShapeSpec banner()
{
    ShapeSpec s;
    Matrix m;
    m.a = kWidth * 20 / 32768.0;
    m.d = kWidth * 20 / 32768.0;
    m.tx = kWidth * 10;
    m.ty = kHeight * 10;
    s.fills.push_back(
        ShapeSpec::Fill::gradient(ShapeSpec::Fill::Kind::Linear, m,
                                  {{0, QColor(16, 24, 64)}, {140, QColor(32, 72, 128)}, {255, QColor(12, 18, 48)}}));
    s.rect(QRect(0, 0, kWidth * 20, kHeight * 20), 1);
    return s;
}

// A four-pointed star with curved sides, 40 x 40 px around its centre.
ShapeSpec emblem()
{
    ShapeSpec s;
    Matrix m;
    m.a = m.d = 800 / 16384.0;
    s.fills.push_back(ShapeSpec::Fill::gradient(
        ShapeSpec::Fill::Kind::Radial, m,
        {{0, QColor(255, 250, 210)}, {120, QColor(255, 205, 60)}, {255, QColor(190, 120, 20)}}));
    ShapeSpec::Line edge;
    edge.width = 20;
    edge.color = QColor(120, 70, 10);
    s.lines.push_back(edge);
    const int r = 400, k = 90;
    s.style(0, 1, 1, QPoint(0, -r));
    s.curveTo(k, -k, r, 0);
    s.curveTo(k, k, 0, r);
    s.curveTo(-k, k, -r, 0);
    s.curveTo(-k, -k, 0, -r);
    return s;
}

ShapeSpec underline()
{
    ShapeSpec s;
    s.fills.push_back(ShapeSpec::Fill::solid(QColor(255, 215, 90)));
    s.rect(QRect(0, -20, 3400, 40), 1);
    return s;
}

ShapeSpec glow()
{
    ShapeSpec s;
    Matrix m;
    m.a = m.d = 1400 / 16384.0;
    s.fills.push_back(ShapeSpec::Fill::gradient(ShapeSpec::Fill::Kind::Radial, m,
                                                {{0, QColor(255, 230, 140, 160)}, {255, QColor(255, 230, 140, 0)}}));
    s.rect(QRect(-1400, -1400, 2800, 2800), 1);
    return s;
}

double easeOut(double t) { return 1 - (1 - t) * (1 - t); }

// A bell-like chime of a second and a half: a few inharmonic partials over
// A5, each dying away at its own pace, after a five-millisecond attack.
std::vector<qint16> chime(int rate)
{
    struct Partial {
        double ratio, level, decay; // decay: seconds to fall to about a third
    };
    static constexpr Partial kPartials[] = {{1.0, 0.5, 0.6}, {2.76, 0.25, 0.25}, {5.4, 0.12, 0.12}, {0.5, 0.1, 0.9}};
    const int frames = rate * 3 / 2;
    std::vector<qint16> out(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / rate;
        double v = 0;
        for (const Partial& p : kPartials)
            v += p.level * std::exp(-t / p.decay) * std::sin(2 * std::numbers::pi * 880.0 * p.ratio * t);
        v *= std::min(1.0, t / 0.005);
        out[static_cast<std::size_t>(i)] = static_cast<qint16>(std::lround(std::clamp(v, -1.0, 1.0) * 26000));
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_sample_logo OUT.swf\n");
        return 1;
    }

    SwfWriter w(kWidth, kHeight, kFps, 6);
    w.setBackground(QColor(12, 18, 48));
    w.defineShape(kBanner, banner(), 3);
    w.defineShape(kEmblem, emblem(), 3);
    w.defineShape(kUnderline, underline(), 3);
    w.defineShape(kGlow, glow(), 3);
    SoundFormat sound;
    sound.codec = SoundFormat::Adpcm;
    sound.rate = 22050;
    const std::vector<qint16> samples = chime(22050);
    w.defineSound(kChime, sound, quint32(samples.size()), writer::adpcm(samples, 1, 4));
    w.placeObject2(SwfWriter::Place::add(1, kBanner).withMatrix(Matrix{}));

    for (int frame = 0; frame < kFrames; ++frame) {
        const double t = easeOut(double(frame) / (kFrames - 1));
        Matrix at;
        at.tx = std::round((-30 + t * 74) * 20);
        at.ty = kHeight * 10;
        const double spin = (1 - t) * 1.6;
        at.a = at.d = std::cos(spin);
        at.b = std::sin(spin);
        at.c = -std::sin(spin);
        ColorTransform fade;
        fade.am = t;

        Matrix glowAt = at;
        glowAt.a = glowAt.d = 1;
        glowAt.b = glowAt.c = 0;
        ColorTransform glowFade;
        glowFade.am = t * t;

        Matrix line;
        line.a = std::max(t, 0.01);
        line.tx = 70 * 20;
        line.ty = 46 * 20;

        auto place = [&](quint16 depth, quint16 character) {
            return frame == 0 ? SwfWriter::Place::add(depth, character) : SwfWriter::Place::modify(depth);
        };
        w.placeObject2(place(2, kGlow).withMatrix(glowAt).withColor(glowFade));
        w.placeObject2(place(3, kEmblem).withMatrix(at).withColor(fade));
        w.placeObject2(place(4, kUnderline).withMatrix(line));
        if (frame == kChimeFrame)
            w.startSound(kChime);
        if (frame == kFrames - 1)
            w.doAction(actions::stop());
        w.showFrame();
    }

    QFile out(args[1]);
    const QByteArray bytes = w.finish(SwfWriter::Compression::Zlib);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make_sample_logo: cannot write %s\n", qPrintable(args[1]));
        return 1;
    }
    return 0;
}
