#include "tests/soundui/SoundUiKit.h"

#include <QFile>
#include <QTest>

#include <sndfile.h>

#include <cmath>
#include <vector>

namespace SoundUiKit {

bool writeTone(const QString& path, int format, double seconds)
{
    SF_INFO info{};
    info.samplerate = 44100;
    info.channels = 2;
    info.format = format;
    if (!sf_format_check(&info))
        return false;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return false;
    const auto frames = sf_count_t(seconds * info.samplerate);
    std::vector<float> samples(std::size_t(frames) * 2);
    // The same tone in both channels of each frame.
    for (std::size_t i = 0; i < samples.size(); ++i) {
        const std::size_t frame = i / 2;
        samples[i] = 0.2f * float(std::sin(double(frame) * 0.06));
    }
    const bool ok = sf_writef_float(file, samples.data(), frames) == frames;
    sf_close(file);
    return ok;
}

bool writeWav(const QString& path, double seconds)
{
    return writeTone(path, SF_FORMAT_WAV | SF_FORMAT_PCM_16, seconds);
}

bool writeMp3(const QString& path, double seconds)
{
    return writeTone(path, SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III, seconds);
}

void writeDamagedWav(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF\x10\x00\x00\x00WAVEfmt this is no sound", 33);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace SoundUiKit
