#include "movie/sound/PcmDecoder.h"

namespace movie {

PcmDecoder::PcmDecoder(const SoundFormat& format, std::unique_ptr<CodedPieces> pieces)
    : format_(format), pieces_(std::move(pieces))
{}

int PcmDecoder::read(float* out, int frames)
{
    const int channels = format_.channels();
    const int sampleBytes = format_.sixteenBit ? 2 : 1;
    const qsizetype frameBytes = qsizetype(channels) * sampleBytes;
    const auto* bytes = reinterpret_cast<const uchar*>(piece_.constData());
    int done = 0;
    while (done < frames) {
        if (piece_.size() - pos_ < frameBytes) {
            if (!pieces_->next(piece_))
                break;
            bytes = reinterpret_cast<const uchar*>(piece_.constData());
            pos_ = 0;
            continue;
        }
        float value[2] = {0, 0};
        for (int c = 0; c < channels; ++c) {
            const uchar* at = bytes + pos_ + qsizetype(c) * sampleBytes;
            value[c] = format_.sixteenBit ? float(qint16(quint16(at[0] | (at[1] << 8)))) / 32768.0f
                                          : float(int(at[0]) - 128) / 128.0f;
        }
        out[2 * done] = value[0];
        out[2 * done + 1] = channels == 2 ? value[1] : value[0];
        pos_ += frameBytes;
        ++done;
    }
    return done;
}

} // namespace movie
