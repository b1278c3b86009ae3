#include "movie/Container.h"

#include "movie/Limits.h"
#include "movie/MovieError.h"

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
    while (status == Z_OK && out.size() < limit) {
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
    case 'Z':
        throw MovieError(QStringLiteral("%1 is LZMA-compressed, which this player cannot unpack").arg(name));
    default:
        throw MovieError(QStringLiteral("%1 is not a Flash movie: it does not start with a movie signature").arg(name));
    }
    return result;
}

} // namespace movie
