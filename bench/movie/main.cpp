// Frame-rendering benchmark of the movie engine: renders the frames of every
// movie of the shared corpus, of the sample title movie, and of a written
// title with pictures and text, at the stage's size and at the title's
// 265 x 65, and prints the time per frame.
//
// bench_movie [CORPUS_DIR] [SAMPLE_LOGO.swf]

#include "movie/MovieError.h"
#include "movie/MoviePlayer.h"
#include "movie/writer/SwfWriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPainter>
#include <cstdio>

namespace {

// Steps and draws `frames` frames into one reused image, as the control does.
double msPerFrame(movie::MoviePlayer& player, const QSize& size, int frames)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    player.rewind();
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < frames; ++i) {
        QPainter painter(&image);
        player.render(painter, image.rect());
        painter.end();
        player.step();
    }
    return timer.nsecsElapsed() / 1e6 / frames;
}

using movie::writer::ShapeSpec;
using movie::writer::SwfWriter;

// A 265 x 65 title as authoring tools make them: a photo-like JPEG as the
// ground, a lossless logo with alpha sliding in, and a line of text fading
// in, over 48 frames.
QByteArray titleWithPicturesAndText()
{
    constexpr int px = 20;
    SwfWriter w(265, 65, 24);
    w.setBackground(Qt::black);

    QImage photo(265, 65, QImage::Format_RGB32);
    for (int y = 0; y < photo.height(); ++y)
        for (int x = 0; x < photo.width(); ++x)
            photo.setPixel(x, y, qRgb((x * 7 + y * 3) % 256, (x * y) % 256, (255 - x) % 256));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    buffer.open(QIODevice::WriteOnly);
    photo.save(&buffer, "JPG", 85);
    w.defineBitsJpeg2(1, jpeg);

    QImage logo(64, 32, QImage::Format_ARGB32);
    for (int y = 0; y < logo.height(); ++y)
        for (int x = 0; x < logo.width(); ++x)
            logo.setPixel(x, y, qRgba(255, x * 4, y * 8, (x + y) % 2 ? 255 : 128));
    w.defineBitsLossless(2, logo);
    ShapeSpec logoShape;
    movie::Matrix m;
    m.a = m.d = px;
    logoShape.fills.push_back(ShapeSpec::Fill::bitmap(2, m));
    logoShape.rect(QRect(0, 0, 64 * px, 32 * px), 1);
    w.defineShape(3, logoShape);

    // Ten glyphs of curves.
    SwfWriter::FontSpec font;
    for (int g = 0; g < 10; ++g) {
        ShapeSpec glyph;
        glyph.style(0, 1, 0, QPoint(100, -900));
        glyph.curveTo(500 + g * 20, -1100, 900, -900).lineTo(800, 0).curveTo(500, 200, 200, 0).lineTo(100, -900);
        glyph.style(0, 1, 0, QPoint(300, -600));
        glyph.lineTo(300, -200).lineTo(700, -200).lineTo(700, -600).lineTo(300, -600);
        font.glyphs.push_back(glyph);
        font.codes.push_back(static_cast<quint16>('0' + g));
        font.advances.push_back(1024);
    }
    font.ascent = 900;
    font.descent = 200;
    w.defineFont(4, font, 2);
    SwfWriter::TextRecord run;
    run.font = 4;
    run.height = 18 * px;
    run.color = QColor(255, 255, 255);
    run.x = 0;
    run.y = 18 * px;
    for (int i = 0; i < 16; ++i)
        run.glyphs.emplace_back(static_cast<quint32>(i % 10), 14 * px);
    w.defineText(5, QRect(0, 0, 240 * px, 24 * px), movie::Matrix{}, {run});

    w.placeObject2(SwfWriter::Place::add(1, 1));
    w.placeObject2(SwfWriter::Place::add(2, 3));
    w.placeObject2(SwfWriter::Place::add(3, 5));
    constexpr int kFrames = 48;
    for (int f = 0; f < kFrames; ++f) {
        movie::Matrix at;
        at.tx = (-64 + f * 4) * px;
        at.ty = 4 * px;
        w.placeObject2(SwfWriter::Place::modify(2).withMatrix(at));
        movie::ColorTransform fade;
        fade.am = double(f) / kFrames;
        movie::Matrix textAt;
        textAt.tx = 20 * px;
        textAt.ty = 36 * px;
        w.placeObject2(SwfWriter::Place::modify(3).withMatrix(textAt).withColor(fade));
        w.showFrame();
    }
    return w.finish(SwfWriter::Compression::Zlib);
}

void bench(const QString& path, int frames)
{
    try {
        movie::MoviePlayer player(path.isEmpty() ? movie::Movie::fromBytes(titleWithPicturesAndText(), "title")
                                                 : movie::Movie::load(path));
        const QSize stage = player.movie().stageSizePixels().boundedTo(QSize(2048, 2048));
        msPerFrame(player, QSize(265, 65), 5); // warm up
        const double atStage = msPerFrame(player, stage, frames);
        const double atTitle = msPerFrame(player, QSize(265, 65), frames);
        const QString name =
            path.isEmpty() ? QStringLiteral("(written title: pictures and text)") : QFileInfo(path).fileName();
        std::printf("%-40s %5d x %-5d %8.3f ms   at 265 x 65 %8.3f ms\n", qPrintable(name), stage.width(),
                    stage.height(), atStage, atTitle);
    } catch (const movie::MovieError& e) {
        std::printf("%-40s refused: %s\n", qPrintable(QFileInfo(path).fileName()), qPrintable(e.text()));
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    const QString corpus = args.size() > 1 ? args[1] : QStringLiteral(SKINEDIT_SHARED_DIR "/swf-corpus");
    const QString logo = args.size() > 2 ? args[2] : QString();
    constexpr int kFrames = 100;

    std::printf("time per frame (step + draw), mean of %d frames\n", kFrames);
    bench(QString(), kFrames);
    if (!logo.isEmpty())
        bench(logo, kFrames);
    for (const QString& name : QDir(corpus).entryList({"*.swf"}, QDir::Files, QDir::Name))
        bench(QDir(corpus).filePath(name), kFrames);
    return 0;
}
