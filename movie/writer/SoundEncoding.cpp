#include "movie/writer/SoundEncoding.h"

#include "movie/sound/AdpcmDecoder.h"
#include "movie/writer/BitWriter.h"

#include <cstdlib>

namespace movie::writer {

QByteArray pcm16(const std::vector<qint16>& samples)
{
    BitWriter w;
    for (const qint16 s : samples)
        w.u16(quint16(s));
    return w.data();
}

QByteArray pcm8(const std::vector<qint16>& samples)
{
    QByteArray out;
    out.reserve(qsizetype(samples.size()));
    for (const qint16 s : samples)
        out.append(char(quint8((s >> 8) + 128)));
    return out;
}

QByteArray adpcm(const std::vector<qint16>& samples, int channels, int codeBits)
{
    constexpr std::size_t kPacket = 4096;
    BitWriter w;
    w.ub(quint32(codeBits - 2), 2);
    AdpcmChannel state[2];
    const std::size_t frames = samples.size() / std::size_t(channels);
    for (std::size_t f = 0; f < frames; ++f) {
        for (int c = 0; c < channels; ++c) {
            const int target = samples[f * std::size_t(channels) + std::size_t(c)];
            if (f % kPacket == 0) {
                state[c] = AdpcmChannel{target, f == 0 ? 0 : state[c].index};
                w.sb(target, 16);
                w.ub(quint32(state[c].index), 6);
                continue;
            }
            quint32 best = 0;
            int bestError = -1;
            for (quint32 code = 0; code < (1u << codeBits); ++code) {
                AdpcmChannel trial = state[c];
                trial.apply(code, codeBits);
                const int error = std::abs(trial.sample - target);
                if (bestError < 0 || error < bestError)
                    best = code, bestError = error;
            }
            state[c].apply(best, codeBits);
            w.ub(best, codeBits);
        }
    }
    return w.data();
}

namespace {

// The length in bytes of the MPEG audio frame whose header starts at `at`,
// with its samples; 0 when no frame starts there.
int frameLength(const QByteArray& file, qsizetype at, int* samples)
{
    if (at + 4 > file.size())
        return 0;
    const auto* h = reinterpret_cast<const uchar*>(file.constData() + at);
    if (h[0] != 0xFF || (h[1] & 0xE0) != 0xE0)
        return 0;
    const int version = (h[1] >> 3) & 3; // 0 MPEG 2.5, 2 MPEG 2, 3 MPEG 1
    const int layer = (h[1] >> 1) & 3;   // 1 layer III
    const int bitrateIndex = h[2] >> 4;
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3)
        return 0;
    static constexpr int kMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    static constexpr int kMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    static constexpr int kRates[] = {44100, 48000, 32000};
    const bool mpeg1 = version == 3;
    const int rate = kRates[rateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
    const int bitrate = (mpeg1 ? kMpeg1 : kMpeg2)[bitrateIndex] * 1000;
    *samples = mpeg1 ? 1152 : 576;
    return (mpeg1 ? 144 : 72) * bitrate / rate + ((h[2] >> 1) & 1);
}

} // namespace

std::vector<QByteArray> mpegFrames(const QByteArray& file, int* samplesPerFrame)
{
    qsizetype at = 0;
    if (file.startsWith("ID3") && file.size() >= 10) {
        const auto* h = reinterpret_cast<const uchar*>(file.constData());
        at = 10 + ((qsizetype(h[6]) << 21) | (h[7] << 14) | (h[8] << 7) | h[9]);
    }
    std::vector<QByteArray> frames;
    int samples = 0;
    for (int length = 0; (length = frameLength(file, at, &samples)) > 0; at += length) {
        const QByteArray frame = file.mid(at, length);
        if (frame.size() < length)
            break;
        if (frames.empty() && (frame.contains("Xing") || frame.contains("Info")))
            continue; // the encoder's info frame holds no sound
        frames.push_back(frame);
    }
    if (samplesPerFrame)
        *samplesPerFrame = samples;
    return frames;
}

} // namespace movie::writer
