#pragma once

#include "movie/sound/SoundDecoder.h"

#include <vector>

struct mpg123_handle_struct;

namespace movie {

// MPEG audio (MP3 in movies) through libmpg123, which is loaded on the
// first use, not linked, so that the editor starts without it and a
// machine without it still plays the rest of a movie. The pieces are fed
// to it one after another as one stream.
class Mp3Decoder : public SoundDecoder {
public:
    // Null with `error` set when libmpg123 cannot be loaded or started.
    static std::unique_ptr<Mp3Decoder> create(const SoundFormat& format, std::unique_ptr<CodedPieces> pieces,
                                              QString* error);
    ~Mp3Decoder() override;
    Mp3Decoder(const Mp3Decoder&) = delete;
    Mp3Decoder& operator=(const Mp3Decoder&) = delete;

    int read(float* out, int frames) override;
    double rate() const override { return rate_; }

private:
    Mp3Decoder(mpg123_handle_struct* handle, double rate, std::unique_ptr<CodedPieces> pieces);
    // Decodes more into pcm_; false at the end of the data.
    bool decodeMore();

    mpg123_handle_struct* handle_;
    double rate_;
    int channels_ = 1;
    std::unique_ptr<CodedPieces> pieces_;
    QByteArray piece_; // kept while the decoder may still read it
    std::vector<qint16> pcm_;
    std::size_t pcmFrames_ = 0, pcmPos_ = 0;
    bool ended_ = false;
};

} // namespace movie
