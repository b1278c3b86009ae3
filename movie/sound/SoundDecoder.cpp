#include "movie/sound/SoundDecoder.h"

#include "movie/sound/AdpcmDecoder.h"
#include "movie/sound/Mp3Decoder.h"
#include "movie/sound/PcmDecoder.h"

namespace movie {

bool OnePiece::next(QByteArray& piece)
{
    if (given_)
        return false;
    given_ = true;
    piece = data_;
    return true;
}

std::unique_ptr<SoundDecoder> makeSoundDecoder(const SoundFormat& format, std::unique_ptr<CodedPieces> pieces,
                                               QString* error)
{
    switch (format.codec) {
    case SoundFormat::Pcm:
    case SoundFormat::PcmLittleEndian:
        return std::make_unique<PcmDecoder>(format, std::move(pieces));
    case SoundFormat::Adpcm:
        return std::make_unique<AdpcmDecoder>(format, std::move(pieces));
    case SoundFormat::Mp3:
        return Mp3Decoder::create(format, std::move(pieces), error);
    default:
        *error = QStringLiteral("its format (%1) is not supported").arg(format.codec);
        return nullptr;
    }
}

} // namespace movie
