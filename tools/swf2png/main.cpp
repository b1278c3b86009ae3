// swf2png MOVIE OUT.png [--frame N] [--width W --height H] [--low] [--wav SOUND.wav]
// Renders one frame of a title movie to a PNG file, the way the editor's
// Flash player shows it: frame N is reached after N-1 frame steps with each
// frame's scripts run; the stage is fitted whole into the picture. --low
// draws at low quality: edges without smoothing. With --wav, the sound of
// frames 1 to N goes to a WAV file, without an audio device (a movie with a
// stream of sound takes its frames at the stream's pace). Files the movie's
// scripts load come from the movie's folder. What the movie asked for that
// the player does not provide, the tags it skipped and what it could not
// show, load or play are printed on standard error.

#include "SoundWav.h"

#include "movie/MovieError.h"
#include "movie/play/MoviePlayer.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QStringList>
#include <cstdio>

namespace {

constexpr int kMaxSide = 8192;
constexpr int kMaxFrame = 1000000;
constexpr const char* kUsage =
    "usage: swf2png MOVIE OUT.png [--frame N] [--width W --height H] [--low] [--wav SOUND.wav]\n"
    "Draws frame N (1 by default) of MOVIE into OUT.png, the whole stage fitted in;\n"
    "--low draws without smoothing, --wav writes the sound of frames 1 to N;\n"
    "warnings about what the movie uses that this player lacks go to standard error.\n";

int fail(const QString& text)
{
    std::fprintf(stderr, "swf2png: %s\n", qPrintable(text));
    return 1;
}

// A command line it cannot take: the fault, then how to use it.
int usageError(const QString& text)
{
    fail(text);
    std::fputs(kUsage, stderr);
    return 2;
}

bool readNumber(const QStringList& args, int& i, int& out, int min, int max)
{
    if (i + 1 >= args.size())
        return false;
    bool ok = false;
    out = args.at(++i).toInt(&ok);
    return ok && out >= min && out <= max;
}

} // namespace

int main(int argc, char** argv)
{
    // Device-font text needs the GUI side of Qt; no window is ever shown.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    QStringList files;
    QString wav;
    int frame = 1, width = 0, height = 0;
    bool low = false;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (a == QLatin1String("--frame")) {
            if (!readNumber(args, i, frame, 1, kMaxFrame))
                return usageError(QStringLiteral("--frame needs a frame number from 1 to %1").arg(kMaxFrame));
        } else if (a == QLatin1String("--width")) {
            if (!readNumber(args, i, width, 1, kMaxSide))
                return usageError(QStringLiteral("--width needs a number of pixels from 1 to %1").arg(kMaxSide));
        } else if (a == QLatin1String("--height")) {
            if (!readNumber(args, i, height, 1, kMaxSide))
                return usageError(QStringLiteral("--height needs a number of pixels from 1 to %1").arg(kMaxSide));
        } else if (a == QLatin1String("--low")) {
            low = true;
        } else if (a == QLatin1String("--wav")) {
            if (i + 1 >= args.size())
                return usageError(QStringLiteral("--wav needs the name of a sound file"));
            wav = args.at(++i);
        } else if (a.startsWith(QLatin1String("--"))) {
            return usageError(QStringLiteral("unknown option %1").arg(a));
        } else {
            files << a;
        }
    }
    if (files.size() != 2)
        return usageError(QStringLiteral("a movie and a picture file are needed"));
    if ((width == 0) != (height == 0))
        return usageError(QStringLiteral("--width and --height go together"));

    try {
        const auto movie = movie::Movie::load(files[0]);
        movie::MoviePlayer player(movie);
        player.setFolder(QFileInfo(files[0]).absolutePath());
        QSize size(width, height);
        if (width == 0) {
            size = player.movie().stageSizePixels();
            if (size.width() > kMaxSide || size.height() > kMaxSide)
                return fail(QStringLiteral("the stage of %1 is larger than %2 pixels; give --width and --height")
                                .arg(files[0])
                                .arg(kMaxSide));
        }
        player.setAntialiased(!low);
        QStringList soundWarnings;
        if (wav.isEmpty()) {
            for (int i = 1; i < frame; ++i)
                player.step();
        } else if (!writeMovieSound(movie, player, frame, wav, &soundWarnings)) {
            return fail(QStringLiteral("cannot write %1").arg(wav));
        }
        const QStringList warnings = player.warnings() + soundWarnings;
        for (const QString& warning : warnings)
            std::fprintf(stderr, "swf2png: %s: %s\n", qPrintable(files[0]), qPrintable(warning));
        const QImage image = player.renderImage(size.expandedTo(QSize(1, 1)));
        if (!image.save(files[1], "PNG"))
            return fail(QStringLiteral("cannot write %1").arg(files[1]));
    } catch (const movie::MovieError& e) {
        return fail(e.text());
    }
    return 0;
}
