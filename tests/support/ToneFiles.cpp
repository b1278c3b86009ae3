#include "tests/support/ToneFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace ToneFiles {

const int Wav = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
const int Mp3 = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;

bool writeTone(const QString& path, int format, double seconds, int channels)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = channels;
    info.format = format;
    if (!sf_format_check(&info))
        return false;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const auto frames = sf_count_t(seconds * info.samplerate);
    std::vector<float> chunk(std::size_t(info.samplerate) * std::size_t(channels));
    bool ok = true;
    for (sf_count_t done = 0; done < frames && ok;) {
        const sf_count_t count = std::min<sf_count_t>(info.samplerate, frames - done);
        // Each channel a little higher than the one before it.
        for (sf_count_t i = 0; i < count; ++i)
            for (int c = 0; c < channels; ++c)
                chunk[std::size_t(i) * std::size_t(channels) + std::size_t(c)] =
                    0.3f * float(std::sin(double(done + i) * (0.05 + 0.01 * c)));
        ok = sf_writef_float(file, chunk.data(), count) == count;
        done += count;
    }
    sf_close(file);
    return ok;
}

QByteArray mp3Bytes(const std::vector<qint16>& samples, int rate, int channels)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("tone.mp3"));
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = channels;
    info.format = Mp3;
    if (!dir.isValid() || !sf_format_check(&info))
        return {};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return {};
    const auto frames = sf_count_t(samples.size()) / channels;
    const bool ok = sf_writef_short(file, samples.data(), frames) == frames;
    sf_close(file);
    QFile written(path);
    return ok && written.open(QIODevice::ReadOnly) ? written.readAll() : QByteArray();
}

} // namespace ToneFiles
