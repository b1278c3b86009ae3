// Frame-rendering benchmark of the movie engine: renders the frames of every
// movie of the shared corpus, and of the sample title movie, at the stage's
// size and at the title's 265 x 65, and prints the time per frame.
//
// bench_movie [CORPUS_DIR] [SAMPLE_LOGO.swf]

#include "movie/MovieError.h"
#include "movie/MoviePlayer.h"

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

void bench(const QString& path, int frames)
{
    try {
        movie::MoviePlayer player(movie::Movie::load(path));
        const QSize stage = player.movie().stageSizePixels().boundedTo(QSize(2048, 2048));
        msPerFrame(player, QSize(265, 65), 5); // warm up
        const double atStage = msPerFrame(player, stage, frames);
        const double atTitle = msPerFrame(player, QSize(265, 65), frames);
        std::printf("%-40s %5d x %-5d %8.3f ms   at 265 x 65 %8.3f ms\n", qPrintable(QFileInfo(path).fileName()),
                    stage.width(), stage.height(), atStage, atTitle);
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
    if (!logo.isEmpty())
        bench(logo, kFrames);
    for (const QString& name : QDir(corpus).entryList({"*.swf"}, QDir::Files, QDir::Name))
        bench(QDir(corpus).filePath(name), kFrames);
    return 0;
}
