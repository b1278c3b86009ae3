#include "movie/writer/SwfWriter.h"

#include "movie/format/TagCodes.h"
#include "movie/writer/Records.h"

#include <lzma.h>
#include <zlib.h>

#include <cmath>

namespace movie::writer {

namespace {

// The raw LZMA stream with its 5 property bytes in front, as the LZMA
// container holds it: liblzma's "alone" format without its 8 size bytes.
QByteArray lzmaPacked(const QByteArray& raw)
{
    lzma_options_lzma options;
    lzma_lzma_preset(&options, 6);
    lzma_stream ls = LZMA_STREAM_INIT;
    QByteArray out;
    if (lzma_alone_encoder(&ls, &options) != LZMA_OK)
        return out;
    out.resize(raw.size() + raw.size() / 2 + 1024);
    ls.next_in = reinterpret_cast<const uint8_t*>(raw.constData());
    ls.avail_in = static_cast<size_t>(raw.size());
    ls.next_out = reinterpret_cast<uint8_t*>(out.data());
    ls.avail_out = static_cast<size_t>(out.size());
    while (ls.avail_out > 0 && lzma_code(&ls, LZMA_FINISH) == LZMA_OK) {}
    out.resize(out.size() - static_cast<qsizetype>(ls.avail_out));
    lzma_end(&ls);
    return out.left(5) + out.mid(13);
}

} // namespace

SwfWriter::SwfWriter(int widthPx, int heightPx, double fps, int version)
    : streams_(1), stage_(0, 0, widthPx * 20, heightPx * 20), fps_(fps), version_(version)
{}

void SwfWriter::setBackground(const QColor& c)
{
    BitWriter w;
    writeColor(w, c, false);
    writeTag(tag::SetBackgroundColor, w.data());
}

void SwfWriter::defineShape(quint16 id, const ShapeSpec& shape, int version)
{
    BitWriter w;
    w.u16(id);
    const QRect b = shape.bounds();
    writeRect(w, b);
    if (version >= 4) {
        writeRect(w, b);
        w.u8(shape.nonZeroWinding ? 0x04 : 0x00);
    }
    writeStyles(w, shape.fills, shape.lines, version);
    writeShapeRecords(w, shape, version);
    static constexpr int codes[] = {tag::DefineShape, tag::DefineShape, tag::DefineShape2, tag::DefineShape3,
                                    tag::DefineShape4};
    writeTag(codes[std::clamp(version, 1, 4)], w.data());
}

QByteArray SwfWriter::encodeMatrix(const Matrix& m)
{
    BitWriter w;
    auto fixed = [](double v) { return static_cast<qint32>(std::lround(v * 65536)); };
    const bool scale = m.a != 1 || m.d != 1;
    w.ub(scale ? 1 : 0, 1);
    if (scale) {
        const int bits = BitWriter::signedBits({fixed(m.a), fixed(m.d)});
        w.ub(static_cast<quint32>(bits), 5);
        w.sb(fixed(m.a), bits);
        w.sb(fixed(m.d), bits);
    }
    const bool rotate = m.b != 0 || m.c != 0;
    w.ub(rotate ? 1 : 0, 1);
    if (rotate) {
        const int bits = BitWriter::signedBits({fixed(m.b), fixed(m.c)});
        w.ub(static_cast<quint32>(bits), 5);
        w.sb(fixed(m.b), bits);
        w.sb(fixed(m.c), bits);
    }
    const auto tx = static_cast<qint32>(std::lround(m.tx));
    const auto ty = static_cast<qint32>(std::lround(m.ty));
    const int bits = (tx == 0 && ty == 0) ? 0 : BitWriter::signedBits({tx, ty});
    w.ub(static_cast<quint32>(bits), 5);
    w.sb(tx, bits);
    w.sb(ty, bits);
    return w.data();
}

QByteArray SwfWriter::encodeColorTransform(const ColorTransform& cx, bool withAlpha)
{
    BitWriter w;
    auto mult = [](double v) { return static_cast<qint32>(std::lround(v * 256)); };
    auto add = [](double v) { return static_cast<qint32>(std::lround(v)); };
    const qint32 m[] = {mult(cx.rm), mult(cx.gm), mult(cx.bm), mult(cx.am)};
    const qint32 a[] = {add(cx.ra), add(cx.ga), add(cx.ba), add(cx.aa)};
    const int n = withAlpha ? 4 : 3;
    const bool hasMult = m[0] != 256 || m[1] != 256 || m[2] != 256 || (withAlpha && m[3] != 256);
    const bool hasAdd = a[0] || a[1] || a[2] || (withAlpha && a[3]);
    int bits = 1;
    for (int i = 0; i < n; ++i) {
        if (hasMult)
            bits = std::max(bits, BitWriter::signedBits({m[i]}));
        if (hasAdd)
            bits = std::max(bits, BitWriter::signedBits({a[i]}));
    }
    w.ub(hasAdd ? 1 : 0, 1);
    w.ub(hasMult ? 1 : 0, 1);
    w.ub(static_cast<quint32>(bits), 4);
    for (int i = 0; hasMult && i < n; ++i)
        w.sb(m[i], bits);
    for (int i = 0; hasAdd && i < n; ++i)
        w.sb(a[i], bits);
    return w.data();
}

void SwfWriter::placeObject(quint16 character, quint16 depth, const Matrix& m, std::optional<ColorTransform> cx)
{
    BitWriter w;
    w.u16(character);
    w.u16(depth);
    w.bytes(encodeMatrix(m));
    if (cx)
        w.bytes(encodeColorTransform(*cx, false));
    writeTag(tag::PlaceObject, w.data());
}

void SwfWriter::placeObject2(const Place& p) { writePlace(tag::PlaceObject2, p); }

void SwfWriter::placeObject3(const Place& p) { writePlace(tag::PlaceObject3, p); }

void SwfWriter::writePlace(int code, const Place& p)
{
    BitWriter w;
    quint32 flags = 0;
    if (p.move)
        flags |= 0x01;
    if (p.character)
        flags |= 0x02;
    if (p.matrix)
        flags |= 0x04;
    if (p.colorTransform)
        flags |= 0x08;
    if (p.ratio)
        flags |= 0x10;
    if (!p.name.isEmpty())
        flags |= 0x20;
    if (p.clipDepth)
        flags |= 0x40;
    w.u8(flags);
    if (code == tag::PlaceObject3)
        w.u8((p.filters ? 0x01 : 0) | (p.blendMode ? 0x02 : 0) | (p.cacheAsBitmap ? 0x04 : 0) | (p.visible ? 0x20 : 0));
    w.u16(p.depth);
    if (p.character)
        w.u16(*p.character);
    if (p.matrix)
        w.bytes(encodeMatrix(*p.matrix));
    if (p.colorTransform)
        w.bytes(encodeColorTransform(*p.colorTransform, true));
    if (p.ratio)
        w.u16(*p.ratio);
    if (!p.name.isEmpty())
        w.string(p.name);
    if (p.clipDepth)
        w.u16(*p.clipDepth);
    if (code == tag::PlaceObject3 && p.filters)
        w.bytes(encodeFilters(*p.filters));
    if (code == tag::PlaceObject3 && p.blendMode)
        w.u8(*p.blendMode);
    if (code == tag::PlaceObject3 && p.cacheAsBitmap)
        w.u8(*p.cacheAsBitmap ? 1 : 0);
    if (code == tag::PlaceObject3 && p.visible)
        w.u8(*p.visible ? 1 : 0);
    writeTag(code, w.data());
}

void SwfWriter::removeObject(quint16 character, quint16 depth)
{
    BitWriter w;
    w.u16(character);
    w.u16(depth);
    writeTag(tag::RemoveObject, w.data());
}

void SwfWriter::removeObject2(quint16 depth)
{
    BitWriter w;
    w.u16(depth);
    writeTag(tag::RemoveObject2, w.data());
}

void SwfWriter::showFrame()
{
    writeTag(tag::ShowFrame, {});
    ++streams_.back().frames;
}

void SwfWriter::frameLabel(const QByteArray& label) { writeTag(tag::FrameLabel, label + QByteArray(1, '\0')); }

void SwfWriter::doAction(const QByteArray& actionBytes) { writeTag(tag::DoAction, actionBytes + QByteArray(1, '\0')); }

void SwfWriter::beginSprite(quint16 id) { streams_.push_back(TagStream{{}, 0, id}); }

void SwfWriter::endSprite()
{
    if (streams_.size() < 2)
        return;
    TagStream sprite = std::move(streams_.back());
    streams_.pop_back();
    BitWriter w;
    w.u16(sprite.spriteId);
    w.u16(static_cast<quint32>(sprite.frames));
    w.bytes(sprite.bytes);
    w.u16(0); // End
    writeTag(tag::DefineSprite, w.data());
}

void SwfWriter::writeTag(int code, const QByteArray& body)
{
    BitWriter w;
    if (body.size() < 0x3F) {
        w.u16(static_cast<quint32>((code << 6) | body.size()));
    } else {
        w.u16(static_cast<quint32>((code << 6) | 0x3F));
        w.u32(static_cast<quint32>(body.size()));
    }
    w.bytes(body);
    streams_.back().bytes.append(w.data());
}

QByteArray SwfWriter::finish(Compression compression)
{
    while (streams_.size() > 1)
        endSprite();
    BitWriter body;
    writeRect(body, stage_);
    body.u16(static_cast<quint32>(std::lround(fps_ * 256)));
    body.u16(static_cast<quint32>(streams_[0].frames));
    body.bytes(streams_[0].bytes);
    body.u16(0); // End
    const QByteArray& raw = body.data();

    BitWriter file;
    file.bytes(compression == Compression::Zlib ? "CWS" : compression == Compression::Lzma ? "ZWS" : "FWS");
    file.u8(static_cast<quint32>(version_));
    file.u32(static_cast<quint32>(raw.size() + 8));
    if (compression == Compression::Lzma) {
        const QByteArray packed = lzmaPacked(raw); // props (5 bytes), then the stream
        file.u32(static_cast<quint32>(packed.size() - 5));
        file.bytes(packed);
    } else if (compression == Compression::Zlib) {
        uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
        QByteArray packed(static_cast<qsizetype>(packedSize), '\0');
        compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(raw.constData()),
                  static_cast<uLong>(raw.size()), 9);
        packed.resize(static_cast<qsizetype>(packedSize));
        file.bytes(packed);
    } else {
        file.bytes(raw);
    }
    return file.data();
}

} // namespace movie::writer
