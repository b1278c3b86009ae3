#include "movie/sound/AdpcmDecoder.h"

#include <algorithm>

namespace movie {

namespace {

constexpr int kFramesPerPacket = 4096;

constexpr int kSteps[89] = {7,     8,     9,     10,    11,    12,    13,    14,    16,    17,    19,   21,    23,
                            25,    28,    31,    34,    37,    41,    45,    50,    55,    60,    66,   73,    80,
                            88,    97,    107,   118,   130,   143,   157,   173,   190,   209,   230,  253,   279,
                            307,   337,   371,   408,   449,   494,   544,   598,   658,   724,   796,  876,   963,
                            1060,  1166,  1282,  1411,  1552,  1707,  1878,  2066,  2272,  2499,  2749, 3024,  3327,
                            3660,  4026,  4428,  4871,  5358,  5894,  6484,  7132,  7845,  8630,  9493, 10442, 11487,
                            12635, 13899, 15289, 16818, 18500, 20350, 22385, 24623, 27086, 29794, 32767};

// How the step index moves after a code, by the code's magnitude bits.
constexpr int kIndex2[] = {-1, 2};
constexpr int kIndex3[] = {-1, -1, 2, 4};
constexpr int kIndex4[] = {-1, -1, -1, -1, 2, 4, 6, 8};
constexpr int kIndex5[] = {-1, -1, -1, -1, -1, -1, -1, -1, 1, 2, 4, 6, 8, 10, 13, 16};
constexpr const int* kIndexTables[] = {kIndex2, kIndex3, kIndex4, kIndex5};

} // namespace

AdpcmDecoder::AdpcmDecoder(const SoundFormat& format, std::unique_ptr<CodedPieces> pieces)
    : format_(format), pieces_(std::move(pieces))
{}

bool AdpcmDecoder::nextPiece()
{
    while (pieces_->next(piece_)) {
        bits_ = SwfReader(piece_);
        bitsLeft_ = qint64(piece_.size()) * 8 - 2;
        codeBits_ = int(bits_.ub(2)) + 2;
        inPacket_ = 0;
        if (bitsLeft_ > 0)
            return true;
    }
    return false;
}

void AdpcmChannel::apply(quint32 code, int codeBits)
{
    // A code is a sign bit over magnitude bits: each magnitude bit, from the
    // highest, adds the step halved once more; half the lowest bit's share
    // is always added, so a code of zero still moves a little.
    int step = kSteps[index];
    const quint32 signBit = 1u << (codeBits - 1);
    int difference = step >> (codeBits - 1);
    for (quint32 bit = signBit >> 1; bit != 0; bit >>= 1, step >>= 1)
        if (code & bit)
            difference += step;
    sample = std::clamp(sample + ((code & signBit) ? -difference : difference), -32768, 32767);
    index = std::clamp(index + kIndexTables[codeBits - 2][code & (signBit - 1)], 0, 88);
}

bool AdpcmDecoder::decodeFrame()
{
    const int channels = format_.channels();
    if (inPacket_ == kFramesPerPacket)
        inPacket_ = 0;
    if (inPacket_ == 0) {
        if (bitsLeft_ < qint64(22) * channels)
            return false;
        for (int c = 0; c < channels; ++c) {
            channels_[c].sample = bits_.sb(16);
            channels_[c].index = int(bits_.ub(6)); // 0 to 63: always a valid step
        }
        bitsLeft_ -= qint64(22) * channels;
    } else {
        if (bitsLeft_ < qint64(codeBits_) * channels)
            return false;
        for (int c = 0; c < channels; ++c)
            channels_[c].apply(bits_.ub(codeBits_), codeBits_);
        bitsLeft_ -= qint64(codeBits_) * channels;
    }
    ++inPacket_;
    return true;
}

int AdpcmDecoder::read(float* out, int frames)
{
    const bool stereo = format_.channels() == 2;
    int done = 0;
    while (done < frames) {
        if (codeBits_ == 0 || !decodeFrame()) {
            if (!nextPiece())
                break;
            continue;
        }
        out[2 * done] = float(channels_[0].sample) / 32768.0f;
        out[2 * done + 1] = float(channels_[stereo ? 1 : 0].sample) / 32768.0f;
        ++done;
    }
    return done;
}

} // namespace movie
