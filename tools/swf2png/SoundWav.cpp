#include "SoundWav.h"

#include "movie/play/MoviePlayer.h"
#include "movie/sound/MovieSound.h"

#include <QFile>
#include <QtEndian>
#include <cmath>

namespace {

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

bool writeMovieSound(const std::shared_ptr<const movie::Movie>& movie, movie::MoviePlayer& player, int frames,
                     const QString& path, QStringList* warnings)
{
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(wavHeader(0)) != 44)
        return false;
    movie::MovieSound sound(movie);
    quint64 written = 0;
    QByteArray pcm;
    bool ok = true;
    movie::renderMovieSound(player, sound, frames, [&](const float* samples, int count) {
        pcm.resize(qsizetype(count) * 4);
        for (int i = 0; i < 2 * count; ++i)
            qToLittleEndian(qint16(std::lround(samples[i] * 32767.0f)), pcm.data() + qsizetype(2) * i);
        ok = ok && out.write(pcm) == pcm.size();
        written += quint64(count);
    });
    *warnings = sound.warnings();
    // The sizes in the header are 32-bit: a longer sound keeps the largest.
    return ok && out.seek(0)
        && out.write(wavHeader(quint32(std::min<quint64>(written, (0xFFFFFFFFull - 36) / 4)))) == 44;
}
