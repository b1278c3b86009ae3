// bench_sound [SECONDS_TO_PLAY]
//
// For a generated ten-minute MP3 and a three-second WAV, measures
//  - the play click: setFileName, Open and Play, up to the moment the first
//    buffer of decoded sound is handed to the audio device;
//  - the peak memory (resident set high-water mark) while the file plays.
// Uses SDL's dummy audio driver unless SDL_AUDIODRIVER is set.

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/MediaPlayer.h"
#include "tests/support/ToneFiles.h"

namespace {

using Clock = std::chrono::steady_clock;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A field of /proc/self/status in KiB, or -1 where there is none.
long statusKiB(const char* field)
{
#ifdef __linux__
    std::ifstream status("/proc/self/status");
    std::string line;
    const std::string key = std::string(field) + ":";
    while (std::getline(status, line))
        if (line.rfind(key, 0) == 0)
            return std::atol(line.c_str() + key.size());
#else
    (void)field;
#endif
    return -1;
}

// Starts a new high-water mark from the present resident size (Linux 4.0+).
void resetPeakMemory()
{
#ifdef __linux__
    std::ofstream("/proc/self/clear_refs") << "5";
#endif
}

struct Figures {
    double openMs = 0, firstBufferMs = 0;
};

Figures clickOnce(const QString& path)
{
    TMediaPlayer player;
    const auto start = Clock::now();
    player.setFileName(path);
    player.Open();
    Figures f;
    f.openMs = msSince(start);
    player.Play();
    while (player.buffersDelivered() == 0)
        std::this_thread::yield();
    f.firstBufferMs = msSince(start);
    player.Stop();
    player.Close();
    return f;
}

void measure(const char* label, const QString& path, int playSeconds)
{
    constexpr int kRuns = 7;
    std::vector<Figures> runs;
    runs.reserve(kRuns);
    for (int i = 0; i < kRuns; ++i)
        runs.push_back(clickOnce(path));
    auto median = [&](double Figures::*field) {
        std::vector<double> v;
        v.reserve(runs.size());
        for (const Figures& f : runs)
            v.push_back(f.*field);
        std::sort(v.begin(), v.end());
        return v;
    };
    const std::vector<double> open = median(&Figures::openMs);
    const std::vector<double> first = median(&Figures::firstBufferMs);

    resetPeakMemory();
    const long before = statusKiB("VmRSS");
    {
        TMediaPlayer player;
        player.setFileName(path);
        player.Open();
        player.Play();
        std::this_thread::sleep_for(std::chrono::seconds(playSeconds));
        player.Stop();
    }
    const long peak = statusKiB("VmHWM");

    std::printf("%-22s open %7.2f ms   click to first buffer %7.2f ms (min %.2f, max %.2f, %d runs)\n", label,
                open[kRuns / 2], first[kRuns / 2], first.front(), first.back(), kRuns);
    if (peak >= 0)
        std::printf("%-22s resident before %ld KiB, peak while playing %ds %ld KiB (+%ld KiB)\n", "", before,
                    playSeconds, peak, peak - before);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    const int playSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;

    QTemporaryDir dir;
    const QString wav = dir.filePath(QStringLiteral("short.wav"));
    const QString mp3 = dir.filePath(QStringLiteral("long.mp3"));
    std::printf("SDL audio driver: %s\n", qgetenv("SDL_AUDIODRIVER").constData());

    if (!ToneFiles::writeTone(wav, ToneFiles::Wav, 3)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(wav));
        return 1;
    }
    const auto encodeStart = Clock::now();
    const bool haveMp3 = ToneFiles::writeTone(mp3, ToneFiles::Mp3, 600);
    if (haveMp3)
        std::printf("10-minute MP3: %lld KiB, encoded in %.1f s\n", static_cast<long long>(QFile(mp3).size() / 1024),
                    msSince(encodeStart) / 1000);

    measure("3-second WAV", wav, playSeconds);
    if (haveMp3)
        measure("10-minute MP3", mp3, playSeconds);
    else
        std::printf("10-minute MP3: skipped, this libsndfile cannot write MP3 files\n");
    return 0;
}
