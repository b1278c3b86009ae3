// What the title movie preview costs while it plays, and how soon the
// editor's thread answers meanwhile: the Flash player control plays a movie
// at 265 x 65 for a few seconds of wall time; the process's CPU time over
// that span (every thread) is printed as a share of one core, with the
// movie's sound when it has any (bench_movie_sound writes a title with an
// MP3 stream). A timer asks every 5 ms on the editor's thread; how late its
// answers came (the longest delay, the 99th percentile) is what a click
// would have waited. The movie is read before the measuring starts; with
// --from-click the Play click itself (Movie, Play, repaint, as the Title
// panel does it) is timed, and the reading is measured too.
// Run: bench_flash_preview MOVIE [SECONDS] [--from-click]   (offscreen and
// with SDL's dummy audio driver unless told otherwise)
#include "platform/ShockwaveFlash.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <vector>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_flash_preview MOVIE [SECONDS] [--from-click]\n");
        return 2;
    }
    const bool fromClick = std::strcmp(argv[argc - 1], "--from-click") == 0;
    const double seconds = argc > (fromClick ? 3 : 2) ? std::atof(argv[2]) : 2.0;
    const QString movie = QString::fromLocal8Bit(argv[1]);
    constexpr int kAskMs = 5;

    TShockwaveFlash player;
    player.resize(265, 65);
    player.show();
    QApplication::processEvents();
    if (!fromClick) {
        player.setMovie(movie);
        while (player.isLoading()) // read on the engine's thread
            QApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }

    QElapsedTimer wall;
    const std::clock_t cpuStart = std::clock();
    wall.start();
    if (fromClick)
        player.setMovie(movie);
    player.Play();
    player.repaint();
    const double clickMs = double(wall.nsecsElapsed()) / 1e6;

    std::vector<double> late;
    QElapsedTimer since;
    since.start();
    QTimer ask;
    ask.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ask, &QTimer::timeout, [&] {
        late.push_back(std::max(0.0, double(since.nsecsElapsed()) / 1e6 - kAskMs));
        since.restart();
    });
    ask.start(kAskMs);
    QTimer::singleShot(int(seconds * 1000), &app, &QCoreApplication::quit);
    QApplication::exec();
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;

    std::sort(late.begin(), late.end());
    std::printf("played %.2f s, frame %d%s, %llu sound buffers, CPU %.3f s: %.1f%% of one core\n", elapsed,
                player.CurrentFrame(), player.isLoading() ? " (still reading)" : "",
                static_cast<unsigned long long>(player.soundBuffersDelivered()), cpu, 100.0 * cpu / elapsed);
    std::printf("Play click %.2f ms; the editor's thread answered at most %.1f ms late (99%%: %.1f ms, %zu asks)\n",
                clickMs, late.empty() ? 0 : late.back(), late.empty() ? 0 : late[late.size() * 99 / 100], late.size());
    return 0;
}
