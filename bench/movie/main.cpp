// Frame-rendering benchmark of the movie engine: renders the frames of a
// written title with pictures and text, and of every movie of the given
// folders (by default the shared corpus and both sets of reference frames)
// or files, at the stage's size and at the title's 265 x 65, and prints
// the time per frame. Movies that place objects with filters are marked.
// For the set of frames that scripts draw it also times the making of each
// pair's reference frame: the movie started, its scripts run up to that
// frame, and the frame drawn.
//
// bench_movie [DIR_OR_MOVIE.swf...]

#include "movie/MovieError.h"
#include "movie/play/MoviePlayer.h"
#include "movie/writer/SwfWriter.h"
#include "tests/support/ReferenceFrames.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
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

// A 550 x 400 title whose logo moves and fades in every frame with a drop
// shadow, a glow and a bevel, so that every frame filters it anew: the
// worst case of a title with filters.
QByteArray movingFilteredTitle()
{
    constexpr int px = 20;
    SwfWriter w(550, 400, 24);
    w.setBackground(QColor(20, 30, 60));
    ShapeSpec logo;
    logo.fills.push_back(ShapeSpec::Fill::solid(QColor(250, 200, 40)));
    for (int letter = 0; letter < 5; ++letter) {
        const int x = letter * 60 * px;
        logo.style(-1, 1, -1, QPoint(x, 0));
        logo.curveTo(x + 25 * px, -20 * px, x + 50 * px, 0).lineTo(x + 50 * px, 80 * px);
        logo.curveTo(x + 25 * px, 100 * px, x, 80 * px).lineTo(x, 0);
    }
    w.defineShape(1, logo);
    movie::Filter shadow;
    shadow.kind = movie::Filter::Kind::DropShadow;
    shadow.color = QColor(0, 0, 0, 180);
    shadow.blurX = shadow.blurY = 6;
    shadow.distance = 5;
    shadow.angle = 0.785;
    shadow.passes = 3;
    movie::Filter glow;
    glow.kind = movie::Filter::Kind::Glow;
    glow.color = QColor(255, 255, 255);
    glow.blurX = glow.blurY = 10;
    glow.passes = 2;
    movie::Filter bevel;
    bevel.kind = movie::Filter::Kind::Bevel;
    bevel.highlight = Qt::white;
    bevel.color = Qt::black;
    bevel.blurX = bevel.blurY = 4;
    bevel.distance = 3;
    bevel.angle = 0.785;
    bevel.onTop = false;
    bevel.inner = true;
    SwfWriter::Place place = SwfWriter::Place::add(1, 1);
    place.filters = movie::FilterList{bevel, glow, shadow};
    w.placeObject3(place);
    constexpr int kFrames = 48;
    for (int f = 0; f < kFrames; ++f) {
        movie::Matrix at;
        at.tx = (120 + f * 2) * px;
        at.ty = (150 + f) * px;
        movie::ColorTransform fade;
        fade.am = 0.3 + 0.7 * f / kFrames;
        w.placeObject2(SwfWriter::Place::modify(1).withMatrix(at).withColor(fade));
        w.showFrame();
    }
    return w.finish(SwfWriter::Compression::Zlib);
}

// Whether a timeline, or a sprite it places, places anything with filters.
bool placesFilters(const movie::Movie& movie, const movie::Timeline& timeline, int nesting = 0)
{
    for (const movie::Frame& frame : timeline.frames) {
        for (const movie::FrameCommand& c : frame.commands) {
            if (c.place.hasFilters && c.place.filters && !c.place.filters->empty())
                return true;
            const movie::Character* character = c.place.hasCharacter ? movie.character(c.place.characterId) : nullptr;
            if (character && character->sprite && nesting < 8 && placesFilters(movie, *character->sprite, nesting + 1))
                return true;
        }
    }
    return false;
}

// Times the movie at `path`, or the written movie `written` called `title`.
void bench(const QString& path, int frames, const QByteArray& written = {}, const QString& title = {})
{
    try {
        movie::MoviePlayer player(path.isEmpty() ? movie::Movie::fromBytes(written, "title")
                                                 : movie::Movie::load(path));
        const QSize stage = player.movie().stageSizePixels().boundedTo(QSize(2048, 2048));
        msPerFrame(player, QSize(265, 65), 5); // warm up
        const double atStage = msPerFrame(player, stage, frames);
        const double atTitle = msPerFrame(player, QSize(265, 65), frames);
        const QString name = path.isEmpty() ? title : QFileInfo(path).fileName();
        std::printf("%-40s %5d x %-5d %8.3f ms   at 265 x 65 %8.3f ms%s\n", qPrintable(name), stage.width(),
                    stage.height(), atStage, atTitle,
                    placesFilters(player.movie(), player.movie().timeline()) ? "   filters" : "");
    } catch (const movie::MovieError& e) {
        std::printf("%-40s refused: %s\n", qPrintable(QFileInfo(path).fileName()), qPrintable(e.text()));
    }
}

// Times the making of a reference frame, from the movie read to the frame
// drawn at the stage's size, mean of `runs`.
void benchReferenceFrame(const ReferencePair& pair, int runs)
{
    try {
        const std::shared_ptr<const movie::Movie> movie = movie::Movie::load(pair.path + ".swf");
        double total = 0;
        for (int run = 0; run < runs; ++run) {
            QElapsedTimer timer;
            timer.start();
            movie::MoviePlayer player(movie);
            for (int f = 1; f < pair.frame; ++f)
                player.step();
            const QImage frame = player.renderImage(player.movie().stageSizePixels().boundedTo(QSize(2048, 2048)));
            total += timer.nsecsElapsed() / 1e6;
        }
        std::printf("%-50s frame %-3d %8.3f ms\n", qPrintable(pair.name), pair.frame, total / runs);
    } catch (const movie::MovieError& e) {
        std::printf("%-50s refused: %s\n", qPrintable(pair.name), qPrintable(e.text()));
    }
}

} // namespace

int main(int argc, char** argv)
{
    // Device-font text needs the GUI side of Qt; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList inputs = app.arguments().mid(1);
    if (inputs.isEmpty())
        for (const char* set : {"swf-corpus", "movie-golden", "movie-golden-2", "movie-golden-3"})
            inputs << QStringLiteral(SKINEDIT_SHARED_DIR "/") + QLatin1String(set);
    constexpr int kFrames = 100;

    std::printf("time per frame (step + draw), mean of %d frames\n", kFrames);
    bench(QString(), kFrames, titleWithPicturesAndText(), QStringLiteral("(written title: pictures and text)"));
    bench(QString(), kFrames, movingFilteredTitle(), QStringLiteral("(written title: moving, filtered)"));
    for (const QString& input : inputs) {
        if (!QFileInfo(input).isDir()) {
            bench(input, kFrames);
            continue;
        }
        for (const QString& name : QDir(input).entryList({"*.swf"}, QDir::Files, QDir::Name))
            bench(QDir(input).filePath(name), kFrames);
    }
    if (app.arguments().size() == 1) {
        std::printf("\nreference frames that scripts draw: movie read, scripts run to the frame, frame drawn\n");
        for (const ReferencePair& pair : referencePairs(QStringLiteral(SKINEDIT_SHARED_DIR "/movie-golden-3")))
            benchReferenceFrame(pair, 20);
    }
    return 0;
}
