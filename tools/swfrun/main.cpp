// swfrun MOVIE [--frames N] [--draw [--width W --height H]]
// Plays a title movie for N frames (1 by default) without a display, the
// way the editor's Flash player runs it, and prints every trace() line on
// standard output: a CR inside a message starts a line of its own, NUL
// characters are left out. A script's fscommand("quit") ends the run.
// Files the movie's scripts load come from the movie's folder. What the
// movie asked for that the player does not provide, the tags it skipped,
// the files it could not load and what the engine's limits left out or
// stopped are printed on standard error.
//
// With --draw every frame is also drawn offscreen as the title preview
// draws it (at the stage's size, or W x H), by default for the length of
// the movie's timeline; the time a frame takes, its step and its drawing,
// is printed last: "mean X ms, worst Y ms". The line before it gives the
// time the movie took to load and its first frame to run, and the size:
// "load X ms, W x H pixels".

#include "movie/MovieError.h"
#include "movie/play/MoviePlayer.h"
#include "movie/play/TraceLog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

constexpr int kMaxFrames = 1000000;
constexpr int kMaxSide = 8192;
constexpr const char* kUsage = "usage: swfrun MOVIE [--frames N] [--draw [--width W --height H]]\n"
                               "Plays MOVIE for N frames (1 by default) and prints its trace() lines;\n"
                               "--draw also draws every frame offscreen and prints the time a frame takes;\n"
                               "warnings about what it uses that this player lacks go to standard error.\n";

int fail(const QString& text)
{
    std::fprintf(stderr, "swfrun: %s\n", qPrintable(text));
    return 1;
}

// A command line it cannot take: the fault, then how to use it.
int usageError(const QString& text)
{
    fail(text);
    std::fputs(kUsage, stderr);
    return 2;
}

void printTrace(const QString& message)
{
    const QByteArray bytes = movie::traceLogLine(message).toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

bool wantsDrawing(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--draw") == 0)
            return true;
    return false;
}

// Reads the number after option `i`, within [1, most].
bool readNumber(const QStringList& args, int& i, int most, int& out)
{
    bool ok = false;
    out = i + 1 < args.size() ? args.at(++i).toInt(&ok) : 0;
    return ok && out >= 1 && out <= most;
}

double msSince(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

// Draws the frame as the preview does, then steps, `frames` times; prints
// the mean and the worst of the frames' times.
void drawFrames(movie::MoviePlayer& player, QSize size, int frames)
{
    double total = 0, worst = 0;
    int drawn = 0;
    for (int i = 0; i < frames; ++i) {
        QElapsedTimer timer;
        timer.start();
        if (i > 0)
            player.step();
        const QImage picture = player.renderImage(size);
        const double ms = msSince(timer);
        total += ms;
        worst = std::max(worst, ms);
        ++drawn;
        if (player.hasQuit())
            break;
    }
    std::fflush(stdout);
    std::printf("mean %.3f ms, worst %.3f ms\n", total / drawn, worst);
}

} // namespace

int main(int argc, char** argv)
{
    const bool draw = wantsDrawing(argc, argv);
    // Device-font text needs the GUI side of Qt; no window is ever shown.
    if (draw && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    std::unique_ptr<QCoreApplication> app =
        draw ? std::make_unique<QGuiApplication>(argc, argv) : std::make_unique<QCoreApplication>(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    QStringList files;
    int frames = 0, width = 0, height = 0;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == QLatin1String("--frames")) {
            if (!readNumber(args, i, kMaxFrames, frames))
                return usageError(QStringLiteral("--frames needs a number of frames from 1 to %1").arg(kMaxFrames));
        } else if (arg == QLatin1String("--width") || arg == QLatin1String("--height")) {
            if (!readNumber(args, i, kMaxSide, arg == QLatin1String("--width") ? width : height))
                return usageError(QStringLiteral("%1 needs a number of pixels from 1 to %2").arg(arg).arg(kMaxSide));
        } else if (arg == QLatin1String("--draw")) {
            continue;
        } else if (arg.startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("unknown option %1").arg(arg));
        } else {
            files << arg;
        }
    }
    if (files.size() != 1)
        return usageError(QStringLiteral("one movie is needed"));
    if (!draw && (width || height))
        return usageError(QStringLiteral("--width and --height go with --draw"));
    try {
        QElapsedTimer loading;
        loading.start();
        std::shared_ptr<const movie::Movie> movie = movie::Movie::load(files[0]);
        // The first frame runs as the player is made: traces must reach
        // the output from there on.
        movie::MoviePlayer player(movie, printTrace);
        player.setFolder(QFileInfo(files[0]).absolutePath());
        const double loadMs = msSince(loading);
        if (!draw) {
            for (int i = 1; i < std::max(frames, 1) && !player.hasQuit(); ++i)
                player.step();
        } else {
            const QSize stage = movie->stageSizePixels().boundedTo(QSize(kMaxSide, kMaxSide)).expandedTo(QSize(1, 1));
            const QSize size(width ? width : stage.width(), height ? height : stage.height());
            std::printf("load %.3f ms, %d x %d pixels\n", loadMs, size.width(), size.height());
            drawFrames(player, size, frames ? frames : std::clamp(movie->timeline().frameCount(), 1, kMaxFrames));
        }
        std::fflush(stdout);
        for (const QString& warning : player.warnings())
            std::fprintf(stderr, "swfrun: %s: %s\n", qPrintable(files[0]), qPrintable(warning));
    } catch (const movie::MovieError& e) {
        return fail(e.text());
    }
    std::fflush(stdout);
    return 0;
}
