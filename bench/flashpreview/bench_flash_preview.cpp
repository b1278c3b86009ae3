// What the title movie preview costs while it plays: the Flash player
// control plays a movie at 265 x 65 for a few seconds of wall time, and the
// process's CPU time over that span is printed as a share of one core,
// with the movie's sound when it has any (bench_movie_sound writes a title
// with an MP3 stream).
// Run: bench_flash_preview MOVIE [SECONDS]   (offscreen and with SDL's dummy
// audio driver unless told otherwise)
#include "platform/ShockwaveFlash.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <ctime>

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_flash_preview MOVIE [SECONDS]\n");
        return 2;
    }
    const double seconds = argc > 2 ? std::atof(argv[2]) : 2.0;

    TShockwaveFlash player;
    player.resize(265, 65);
    player.show();
    player.setMovie(QString::fromLocal8Bit(argv[1]));
    QApplication::processEvents();

    QElapsedTimer wall;
    const std::clock_t cpuStart = std::clock();
    wall.start();
    player.Play();
    QTimer::singleShot(int(seconds * 1000), &app, &QCoreApplication::quit);
    QApplication::exec();
    const double cpu = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
    const double elapsed = double(wall.nsecsElapsed()) / 1e9;

    std::printf("played %.2f s, frame %d, %llu sound buffers, CPU %.3f s: %.1f%% of one core\n", elapsed,
                player.CurrentFrame(), static_cast<unsigned long long>(player.soundBuffersDelivered()), cpu,
                100.0 * cpu / elapsed);
    return 0;
}
