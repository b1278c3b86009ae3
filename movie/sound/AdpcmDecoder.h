#pragma once

#include "movie/format/SwfReader.h"
#include "movie/sound/SoundDecoder.h"

namespace movie {

// One channel's state of ADPCM decoding: the last sample and the step index.
struct AdpcmChannel {
    int sample = 0;
    int index = 0;
    // Moves on by one code of `codeBits` bits (2 to 5).
    void apply(quint32 code, int codeBits);
};

// The movie format's ADPCM: IMA ADPCM with codes of 2 to 5 bits. Each piece
// (the sound, or one stream block) opens with the code size in 2 bits, then
// packets of 4096 sample frames: per channel a 16-bit first sample and a
// 6-bit step index, then 4095 codes per channel, channels interleaved.
class AdpcmDecoder : public SoundDecoder {
public:
    AdpcmDecoder(const SoundFormat& format, std::unique_ptr<CodedPieces> pieces);
    int read(float* out, int frames) override;
    double rate() const override { return format_.rate; }

private:
    bool nextPiece();
    // Decodes one sample frame into channels_; false at the end of the piece.
    bool decodeFrame();

    SoundFormat format_;
    std::unique_ptr<CodedPieces> pieces_;
    QByteArray piece_;
    SwfReader bits_;
    qint64 bitsLeft_ = 0;
    int codeBits_ = 0;
    int inPacket_ = 0; // frames decoded of the current packet
    AdpcmChannel channels_[2];
};

} // namespace movie
