#include "movie/format/Container.h"

#include "movie/Interruption.h"
#include "movie/Limits.h"
#include "movie/MovieError.h"

#include <lzma.h>
#include <zlib.h>

#include <algorithm>

namespace movie {

namespace {

constexpr int kHeaderBytes = 8;

quint32 readLength(const QByteArray& file)
{
    const auto* d = reinterpret_cast<const uchar*>(file.constData());
    return quint32(d[4]) | (quint32(d[5]) << 8) | (quint32(d[6]) << 16) | (quint32(d[7]) << 24);
}

// Inflates at most `limit` bytes. A stream that breaks off keeps what came
// before the break.
QByteArray inflateBounded(const QByteArray& packed, qsizetype limit, bool& damaged)
{
    QByteArray out;
    z_stream zs{};
    if (inflateInit(&zs) != Z_OK) {
        damaged = true;
        return out;
    }
    zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.constData()));
    zs.avail_in = static_cast<uInt>(packed.size());
    constexpr qsizetype kChunk = 64 * 1024;
    int status = Z_OK;
    while (status == Z_OK && out.size() < limit && !interruptionRequested()) {
        const qsizetype offset = out.size();
        const qsizetype room = std::min(kChunk, limit - offset);
        out.resize(offset + room);
        zs.next_out = reinterpret_cast<Bytef*>(out.data() + offset);
        zs.avail_out = static_cast<uInt>(room);
        status = inflate(&zs, Z_NO_FLUSH);
        out.resize(offset + room - static_cast<qsizetype>(zs.avail_out));
        if (status == Z_BUF_ERROR && zs.avail_in == 0)
            break; // input ended before the stream did
    }
    if (status != Z_STREAM_END)
        damaged = true;
    inflateEnd(&zs);
    return out;
}

// Unpacks the LZMA container: after the 8-byte header come the packed
// length (4 bytes), the 5 bytes of LZMA properties and the raw stream. The
// stream is read through liblzma's "alone" format, whose 13-byte header is
// the properties and the unpacked length as 64 bits.
QByteArray unpackLzma(const QByteArray& file, qsizetype unpackedLength, bool& damaged)
{
    constexpr int kLzmaHeaderBytes = 12 + 5;
    QByteArray out;
    if (file.size() < kLzmaHeaderBytes) {
        damaged = true;
        return out;
    }
    QByteArray stream = file.mid(12, 5);
    for (int i = 0; i < 8; ++i)
        stream.append(static_cast<char>((quint64(unpackedLength) >> (8 * i)) & 0xFF));
    stream.append(file.mid(kLzmaHeaderBytes));

    lzma_stream ls = LZMA_STREAM_INIT;
    if (lzma_alone_decoder(&ls, 256u * 1024 * 1024) != LZMA_OK) {
        damaged = true;
        return out;
    }
    ls.next_in = reinterpret_cast<const uint8_t*>(stream.constData());
    ls.avail_in = static_cast<size_t>(stream.size());
    constexpr qsizetype kChunk = 64 * 1024;
    lzma_ret status = LZMA_OK;
    while (status == LZMA_OK && out.size() < unpackedLength && !interruptionRequested()) {
        const qsizetype offset = out.size();
        const qsizetype room = std::min(kChunk, unpackedLength - offset);
        out.resize(offset + room);
        ls.next_out = reinterpret_cast<uint8_t*>(out.data() + offset);
        ls.avail_out = static_cast<size_t>(room);
        status = lzma_code(&ls, LZMA_FINISH);
        out.resize(offset + room - static_cast<qsizetype>(ls.avail_out));
        if (status == LZMA_OK && ls.avail_in == 0 && ls.avail_out != 0)
            break; // input ended before the stream did
    }
    if (status != LZMA_STREAM_END && out.size() < unpackedLength)
        damaged = true;
    lzma_end(&ls);
    return out;
}

} // namespace

ContainerBody openContainer(const QByteArray& file, const QString& name)
{
    if (file.size() < kHeaderBytes || file.at(1) != 'W' || file.at(2) != 'S')
        throw MovieError(QStringLiteral("%1 is not a Flash movie: it does not start with a movie signature").arg(name));

    ContainerBody result;
    result.version = static_cast<uchar>(file.at(3));
    result.declaredLength = readLength(file);
    const qsizetype claimedBody =
        std::clamp<qsizetype>(qsizetype(result.declaredLength) - kHeaderBytes, 0, limits::kMaxBodyBytes);
    const QByteArray rest = file.mid(kHeaderBytes);

    switch (file.at(0)) {
    case 'F':
        // Some writers understate the length: keep all that is there.
        result.body = rest.left(limits::kMaxBodyBytes);
        result.truncated = result.body.size() < claimedBody;
        break;
    case 'C': {
        bool damaged = false;
        result.body = inflateBounded(rest, claimedBody, damaged);
        result.truncated = damaged || result.body.size() < claimedBody;
        if (result.body.isEmpty())
            throw MovieError(QStringLiteral("%1 is damaged: its compressed data cannot be unpacked").arg(name));
        break;
    }
    case 'Z': {
        // The unpacked length is known exactly here and the decoder needs it:
        // a header that cannot be right is refused, not guessed at.
        if (result.declaredLength < kHeaderBytes
            || qsizetype(result.declaredLength) - kHeaderBytes > limits::kMaxBodyBytes)
            throw MovieError(QStringLiteral("%1 is damaged: its LZMA header gives an impossible length of %2 bytes")
                                 .arg(name)
                                 .arg(result.declaredLength));
        bool damaged = false;
        result.body = unpackLzma(file, claimedBody, damaged);
        result.truncated = damaged || result.body.size() < claimedBody;
        if (result.body.isEmpty())
            throw MovieError(QStringLiteral("%1 is damaged: its LZMA-compressed data cannot be unpacked").arg(name));
        break;
    }
    default:
        throw MovieError(QStringLiteral("%1 is not a Flash movie: it does not start with a movie signature").arg(name));
    }
    return result;
}

} // namespace movie
