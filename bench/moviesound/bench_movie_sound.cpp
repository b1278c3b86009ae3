// bench_movie_sound [TITLE.swf]
//
// Writes a 265 x 65 title of ten seconds at 24 frames a second (a gradient
// banner, a shape sliding and turning across it) with an MP3 stream of a
// chord, 44.1 kHz stereo, one block a frame, and measures
//  - the mix alone: decoding and mixing the whole stream without a device;
//  - Play to the first buffer of mixed sound handed to the audio device.
// With TITLE.swf the title is kept there: `bench_flash_preview TITLE.swf`
// then gives the share of one core the preview takes while it plays.
// Uses SDL's dummy audio driver unless SDL_AUDIODRIVER is set, and Qt's
// offscreen platform unless QT_QPA_PLATFORM is set.

#include "movie/play/MoviePlayer.h"
#include "movie/sound/MovieSound.h"
#include "movie/writer/SoundEncoding.h"
#include "movie/writer/SwfWriter.h"
#include "platform/ShockwaveFlash.h"
#include "tests/support/ToneFiles.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

using movie::Matrix;
using movie::writer::ShapeSpec;
using movie::writer::SwfWriter;

namespace {

constexpr int kFps = 24, kSeconds = 10, kRate = 44100;

QByteArray title()
{
    // A chord of three tones, a little apart on the two channels.
    std::vector<qint16> chord(std::size_t(kRate * kSeconds) * 2);
    for (std::size_t i = 0; i < chord.size() / 2; ++i)
        for (int c = 0; c < 2; ++c) {
            double v = 0;
            for (const double hz : {220.0, 277.2, 329.6})
                v += std::sin(2 * std::numbers::pi * hz * (1 + 0.003 * c) * double(i) / kRate);
            chord[2 * i + std::size_t(c)] = qint16(std::lround(v * 7000));
        }
    int perFrame = 0;
    const std::vector<QByteArray> frames = movie::writer::mpegFrames(ToneFiles::mp3Bytes(chord, kRate, 2), &perFrame);
    if (frames.empty())
        return {};

    SwfWriter w(265, 65, kFps);
    w.setBackground(QColor(12, 18, 48));
    ShapeSpec banner;
    Matrix g;
    g.a = g.d = 265 * 20 / 32768.0;
    g.tx = 265 * 10;
    g.ty = 65 * 10;
    banner.fills.push_back(ShapeSpec::Fill::gradient(ShapeSpec::Fill::Kind::Linear, g,
                                                     {{0, QColor(16, 24, 64)}, {255, QColor(32, 72, 128)}}));
    banner.rect(QRect(0, 0, 265 * 20, 65 * 20), 1);
    w.defineShape(1, banner);
    ShapeSpec star;
    star.fills.push_back(ShapeSpec::Fill::solid(QColor(255, 205, 60)));
    star.style(0, 1, 0, QPoint(0, -400));
    star.curveTo(90, -90, 400, 0).curveTo(90, 90, 0, 400).curveTo(-90, 90, -400, 0).curveTo(-90, -90, 0, -400);
    w.defineShape(2, star);
    w.placeObject2(SwfWriter::Place::add(1, 1));

    movie::SoundStreamHead head;
    head.format.codec = movie::SoundFormat::Mp3;
    head.format.rate = kRate;
    head.format.stereo = true;
    head.samplesPerBlock = kRate / kFps;
    w.soundStreamHead(head);
    std::size_t next = 0;
    for (int f = 0; f < kFps * kSeconds; ++f) {
        Matrix at;
        const double t = double(f) / (kFps * kSeconds);
        at.a = at.d = std::cos(t * 12);
        at.b = std::sin(t * 12);
        at.c = -at.b;
        at.tx = (20 + t * 225) * 20;
        at.ty = 32 * 20;
        w.placeObject2(f == 0 ? SwfWriter::Place::add(2, 2).withMatrix(at)
                              : SwfWriter::Place::modify(2).withMatrix(at));
        QByteArray block;
        int samples = 0;
        while (next < frames.size() && double(next) * perFrame < double(f + 1) * head.samplesPerBlock)
            block += frames[next++], samples += perFrame;
        w.mp3StreamBlock(quint16(samples), block);
        w.showFrame();
    }
    return w.finish();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    std::printf("SDL audio driver: %s\n", qgetenv("SDL_AUDIODRIVER").constData());

    const QByteArray bytes = title();
    if (bytes.isEmpty()) {
        std::fprintf(stderr, "this libsndfile cannot write MP3 files\n");
        return 1;
    }
    QTemporaryDir dir;
    const QString path = argc > 1 ? QString::fromLocal8Bit(argv[1]) : dir.filePath(QStringLiteral("logo.swf"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return 1;
    file.close();
    std::printf("title: 265 x 65, %d frames at %d a second, MP3 stream, %lld KiB\n", kFps * kSeconds, kFps,
                static_cast<long long>(bytes.size() / 1024));

    {
        // The mix alone: the whole stream decoded and mixed, no device.
        const auto parsed = movie::Movie::load(path);
        movie::MoviePlayer player(parsed);
        movie::MovieSound sound(parsed);
        QElapsedTimer timer;
        timer.start();
        long long mixed = 0;
        movie::renderMovieSound(player, sound, kFps * kSeconds, [&](const float*, int count) { mixed += count; });
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        std::printf("mix alone: %.1f s of sound in %.1f ms, %.2f%% of one core (timeline steps included)\n",
                    double(mixed) / kRate, ms, ms / (10.0 * double(mixed) / kRate));
    }

    TShockwaveFlash player;
    player.resize(265, 65);
    player.show();
    QApplication::processEvents();

    // Play to the first buffer of sound, a fresh movie each time as the
    // preview's Play click loads it: from Play itself, and from the click.
    std::vector<double> fromPlay, fromClick;
    for (int run = 0; run < 15; ++run) {
        const auto click = std::chrono::steady_clock::now();
        player.setMovie(path);
        const quint64 before = player.soundBuffersDelivered();
        const auto play = std::chrono::steady_clock::now();
        player.Play();
        while (player.soundBuffersDelivered() == before)
            QApplication::processEvents(QEventLoop::AllEvents, 1);
        const auto heard = std::chrono::steady_clock::now();
        fromPlay.push_back(std::chrono::duration<double, std::milli>(heard - play).count());
        fromClick.push_back(std::chrono::duration<double, std::milli>(heard - click).count());
        player.Stop();
    }
    for (const auto& [label, times] : {std::pair{"Play", &fromPlay}, std::pair{"the Play click", &fromClick}})
        std::printf("%s to the first sound buffer: median %.2f ms (first run %.2f, min %.2f, max %.2f, 15 runs)\n",
                    label, median(*times), times->front(), *std::min_element(times->begin(), times->end()),
                    *std::max_element(times->begin(), times->end()));
    return 0;
}
