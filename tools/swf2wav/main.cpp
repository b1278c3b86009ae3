// swf2wav MOVIE OUT.wav [--frames N]
// Renders what a title movie sounds like over its first N frames (by
// default the frames of its own timeline) to a 16-bit stereo WAV file at
// 44.1 kHz, as the editor's Flash player plays it: frame N is reached after
// N-1 frame steps with each frame's scripts run, and a movie with a stream
// of sound takes its frames at the stream's pace. No audio device is used.

#include "movie/MovieError.h"
#include "movie/MoviePlayer.h"
#include "movie/sound/MovieSound.h"

#include <QFile>
#include <QGuiApplication>
#include <QStringList>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr int kMaxFrames = 1000000;

int fail(const QString& text)
{
    std::fprintf(stderr, "swf2wav: %s\n", qPrintable(text));
    return 1;
}

QByteArray le(quint32 value, int bytes)
{
    QByteArray out(bytes, '\0');
    for (int i = 0; i < bytes; ++i)
        out[i] = char((value >> (8 * i)) & 0xFF);
    return out;
}

// The RIFF header of a 16-bit stereo PCM file of `frames` sample frames.
QByteArray wavHeader(quint32 frames)
{
    const quint32 dataBytes = frames * 4;
    return "RIFF" + le(36 + dataBytes, 4) + "WAVEfmt " + le(16, 4) + le(1, 2) + le(2, 2) + le(movie::kMixRate, 4)
        + le(movie::kMixRate * 4, 4) + le(4, 2) + le(16, 2) + "data" + le(dataBytes, 4);
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
    int frames = 0;
    for (int i = 1; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--frames")) {
            bool ok = i + 1 < args.size();
            frames = ok ? args.at(++i).toInt(&ok) : 0;
            if (!ok || frames < 1 || frames > kMaxFrames)
                return fail(QStringLiteral("--frames needs a number of frames from 1 to %1").arg(kMaxFrames));
        } else if (a.startsWith(QLatin1String("--"))) {
            return fail(QStringLiteral("unknown option %1").arg(a));
        } else {
            files << a;
        }
    }
    if (files.size() != 2)
        return fail(QStringLiteral("usage: swf2wav MOVIE OUT.wav [--frames N]"));

    try {
        const auto parsed = movie::Movie::load(files[0]);
        movie::MoviePlayer player(parsed);
        movie::MovieSound sound(parsed);
        if (frames == 0)
            frames = std::max(1, parsed->timeline().frameCount());
        QFile out(files[1]);
        if (!out.open(QIODevice::WriteOnly) || out.write(wavHeader(0)) != 44)
            return fail(QStringLiteral("cannot write %1").arg(files[1]));
        quint64 written = 0;
        QByteArray pcm;
        bool ok = true;
        movie::renderMovieSound(player, sound, frames, [&](const float* samples, int count) {
            pcm.resize(qsizetype(count) * 4);
            for (int i = 0; i < 2 * count; ++i)
                qToLittleEndian(qint16(std::lround(samples[i] * 32767.0f)), pcm.data() + 2 * i);
            ok = ok && out.write(pcm) == pcm.size();
            written += quint64(count);
        });
        if (written * 4 > 0xFFFFFFFFull - 36)
            return fail(QStringLiteral("%1 frames of sound are too long for a WAV file").arg(frames));
        ok = ok && out.seek(0) && out.write(wavHeader(quint32(written))) == 44;
        if (!ok)
            return fail(QStringLiteral("cannot write %1").arg(files[1]));
        for (const QString& warning : parsed->warnings() + sound.warnings())
            std::fprintf(stderr, "swf2wav: %s: %s\n", qPrintable(files[0]), qPrintable(warning));
    } catch (const movie::MovieError& e) {
        return fail(e.text());
    }
    return 0;
}
