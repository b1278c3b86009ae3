// swfrun MOVIE [--frames N]
// Plays a title movie for N frames (1 by default) without a display, the
// way the editor's Flash player runs it, and prints every trace() line on
// standard output: a CR inside a message starts a line of its own, NUL
// characters are left out. A script's fscommand("quit") ends the run.
// Files the movie's scripts load come from the movie's folder. What the
// movie asked for that the player does not provide, the tags it skipped
// and the files it could not load are printed on standard error.

#include "movie/MovieError.h"
#include "movie/play/MoviePlayer.h"
#include "movie/play/TraceLog.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int kMaxFrames = 1000000;
constexpr const char* kUsage = "usage: swfrun MOVIE [--frames N]\n"
                               "Plays MOVIE for N frames (1 by default) and prints its trace() lines;\n"
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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QStringList files;
    int frames = 1;
    for (int i = 1; i < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (args.at(i) == QLatin1String("--frames")) {
            bool ok = false;
            frames = i + 1 < args.size() ? args.at(++i).toInt(&ok) : 0;
            if (!ok || frames < 1 || frames > kMaxFrames)
                return usageError(QStringLiteral("--frames needs a number of frames from 1 to %1").arg(kMaxFrames));
        } else if (args.at(i).startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("unknown option %1").arg(args.at(i)));
        } else {
            files << args.at(i);
        }
    }
    if (files.size() != 1)
        return usageError(QStringLiteral("one movie is needed"));
    try {
        std::shared_ptr<const movie::Movie> movie = movie::Movie::load(files[0]);
        // The first frame runs as the player is made: traces must reach
        // the output from there on.
        movie::MoviePlayer player(movie, printTrace);
        player.setFolder(QFileInfo(files[0]).absolutePath());
        for (int i = 1; i < frames && !player.hasQuit(); ++i)
            player.step();
        std::fflush(stdout);
        for (const QString& warning : player.warnings())
            std::fprintf(stderr, "swfrun: %s: %s\n", qPrintable(files[0]), qPrintable(warning));
    } catch (const movie::MovieError& e) {
        return fail(e.text());
    }
    std::fflush(stdout);
    return 0;
}
