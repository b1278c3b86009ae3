#pragma once

#include "movie/sound/SoundTypes.h"

#include <QString>
#include <memory>

namespace movie {

// Where a decoder's coded bytes come from: one piece for a sound of the
// dictionary, a timeline's stream blocks one after another for a stream.
class CodedPieces {
public:
    virtual ~CodedPieces() = default;
    // The next piece; false when there is none.
    virtual bool next(QByteArray& piece) = 0;
};

// The single piece of a sound of the dictionary.
class OnePiece : public CodedPieces {
public:
    explicit OnePiece(QByteArray data) : data_(std::move(data)) {}
    bool next(QByteArray& piece) override;

private:
    QByteArray data_;
    bool given_ = false;
};

// Decodes a sound into stereo sample frames of floats from -1 to 1 (a mono
// sound on both channels), a buffer at a time.
class SoundDecoder {
public:
    virtual ~SoundDecoder() = default;
    // Up to `frames` sample frames into `out` (two floats each); fewer only
    // at the end of the sound.
    virtual int read(float* out, int frames) = 0;
    // Sample frames a second. MP3 data states its own, known after the
    // first read.
    virtual double rate() const = 0;
};

// A decoder for the format, or null with `error` set when the format
// cannot be played.
std::unique_ptr<SoundDecoder> makeSoundDecoder(const SoundFormat& format, std::unique_ptr<CodedPieces> pieces,
                                               QString* error);

} // namespace movie
