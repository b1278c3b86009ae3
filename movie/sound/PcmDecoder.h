#pragma once

#include "movie/sound/SoundDecoder.h"

namespace movie {

// Uncompressed samples: 8-bit unsigned or 16-bit signed little-endian,
// mono or stereo. A piece ending in part of a sample frame drops that part.
class PcmDecoder : public SoundDecoder {
public:
    PcmDecoder(const SoundFormat& format, std::unique_ptr<CodedPieces> pieces);
    int read(float* out, int frames) override;
    double rate() const override { return format_.rate; }

private:
    SoundFormat format_;
    std::unique_ptr<CodedPieces> pieces_;
    QByteArray piece_;
    qsizetype pos_ = 0;
};

} // namespace movie
