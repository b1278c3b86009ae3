#include "movie/writer/SwfWriter.h"

#include <zlib.h>

#include <cmath>

namespace movie::writer {

namespace {

void writeRect(BitWriter& w, const QRect& r)
{
    const int bits = BitWriter::signedBits({r.left(), r.right(), r.top(), r.bottom()});
    w.ub(static_cast<quint32>(bits), 5);
    w.sb(r.left(), bits);
    w.sb(r.right(), bits);
    w.sb(r.top(), bits);
    w.sb(r.bottom(), bits);
    w.align();
}

void writeColor(BitWriter& w, const QColor& c, bool withAlpha)
{
    w.u8(static_cast<quint32>(c.red()));
    w.u8(static_cast<quint32>(c.green()));
    w.u8(static_cast<quint32>(c.blue()));
    if (withAlpha)
        w.u8(static_cast<quint32>(c.alpha()));
}

void writeFill(BitWriter& w, const ShapeSpec::Fill& f, int version)
{
    w.u8(static_cast<quint32>(f.kind));
    switch (f.kind) {
    case ShapeSpec::Fill::Kind::Solid:
        writeColor(w, f.color, version >= 3);
        break;
    case ShapeSpec::Fill::Kind::Bitmap:
        w.u16(f.bitmapId);
        w.bytes(SwfWriter::encodeMatrix(f.matrix));
        break;
    default:
        w.bytes(SwfWriter::encodeMatrix(f.matrix));
        w.ub(static_cast<quint32>(f.spread), 2);
        w.ub(static_cast<quint32>(f.interpolation), 2);
        w.ub(static_cast<quint32>(f.stops.size()), 4);
        for (const auto& [ratio, color] : f.stops) {
            w.u8(static_cast<quint32>(ratio));
            writeColor(w, color, version >= 3);
        }
        if (f.kind == ShapeSpec::Fill::Kind::Focal)
            w.u16(static_cast<quint16>(static_cast<qint16>(std::lround(f.focal * 256))));
        break;
    }
}

void writeLine(BitWriter& w, const ShapeSpec::Line& l, int version)
{
    w.u16(l.width);
    if (version < 4) {
        writeColor(w, l.color, version >= 3);
        return;
    }
    w.ub(static_cast<quint32>(l.cap), 2);
    w.ub(static_cast<quint32>(l.join), 2);
    w.ub(l.fill ? 1 : 0, 1);
    w.ub(0, 3);
    w.ub(0, 5);
    w.ub(l.noClose ? 1 : 0, 1);
    w.ub(static_cast<quint32>(l.cap), 2);
    if (l.join == 2)
        w.u16(static_cast<quint32>(std::lround(l.miterLimit * 256)));
    if (l.fill)
        writeFill(w, *l.fill, version);
    else
        writeColor(w, l.color, true);
}

void writeStyles(BitWriter& w, const std::vector<ShapeSpec::Fill>& fills, const std::vector<ShapeSpec::Line>& lines,
                 int version)
{
    if (fills.size() >= 0xFF) {
        w.u8(0xFF);
        w.u16(static_cast<quint32>(fills.size()));
    } else {
        w.u8(static_cast<quint32>(fills.size()));
    }
    for (const auto& f : fills)
        writeFill(w, f, version);
    if (lines.size() >= 0xFF) {
        w.u8(0xFF);
        w.u16(static_cast<quint32>(lines.size()));
    } else {
        w.u8(static_cast<quint32>(lines.size()));
    }
    for (const auto& l : lines)
        writeLine(w, l, version);
}

QByteArray actionWithPayload(quint8 code, const QByteArray& payload)
{
    BitWriter w;
    w.u8(code);
    w.u16(static_cast<quint32>(payload.size()));
    w.bytes(payload);
    return w.data();
}

} // namespace

namespace actions {
QByteArray stop() { return QByteArray(1, '\x07'); }
QByteArray play() { return QByteArray(1, '\x06'); }
QByteArray nextFrame() { return QByteArray(1, '\x04'); }
QByteArray previousFrame() { return QByteArray(1, '\x05'); }
QByteArray gotoFrame(int frame)
{
    BitWriter w;
    w.u16(static_cast<quint32>(frame));
    return actionWithPayload(0x81, w.data());
}
QByteArray gotoLabel(const QByteArray& label) { return actionWithPayload(0x8C, label + QByteArray(1, '\0')); }
QByteArray setTarget(const QByteArray& target) { return actionWithPayload(0x8B, target + QByteArray(1, '\0')); }
} // namespace actions

SwfWriter::SwfWriter(int widthPx, int heightPx, double fps, int version)
    : streams_(1), stage_(0, 0, widthPx * 20, heightPx * 20), fps_(fps), version_(version)
{
}

void SwfWriter::setBackground(const QColor& c)
{
    BitWriter w;
    writeColor(w, c, false);
    tag(9, w.data());
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
    int fillBits = BitWriter::unsignedBits(static_cast<quint32>(shape.fills.size()));
    int lineBits = BitWriter::unsignedBits(static_cast<quint32>(shape.lines.size()));
    w.ub(static_cast<quint32>(fillBits), 4);
    w.ub(static_cast<quint32>(lineBits), 4);
    QPoint pen;
    for (const auto& r : shape.records) {
        if (r.type == ShapeSpec::Record::Type::Style) {
            w.ub(0, 1);
            w.ub(r.newStyles ? 1 : 0, 1);
            w.ub(r.line >= 0 ? 1 : 0, 1);
            w.ub(r.fill1 >= 0 ? 1 : 0, 1);
            w.ub(r.fill0 >= 0 ? 1 : 0, 1);
            w.ub(r.moveTo ? 1 : 0, 1);
            if (r.moveTo) {
                const int bits = BitWriter::signedBits({r.moveTo->x(), r.moveTo->y()});
                w.ub(static_cast<quint32>(bits), 5);
                w.sb(r.moveTo->x(), bits);
                w.sb(r.moveTo->y(), bits);
                pen = *r.moveTo;
            }
            if (r.fill0 >= 0)
                w.ub(static_cast<quint32>(r.fill0), fillBits);
            if (r.fill1 >= 0)
                w.ub(static_cast<quint32>(r.fill1), fillBits);
            if (r.line >= 0)
                w.ub(static_cast<quint32>(r.line), lineBits);
            if (r.newStyles) {
                writeStyles(w, r.fills, r.lines, version);
                fillBits = BitWriter::unsignedBits(static_cast<quint32>(r.fills.size()));
                lineBits = BitWriter::unsignedBits(static_cast<quint32>(r.lines.size()));
                w.ub(static_cast<quint32>(fillBits), 4);
                w.ub(static_cast<quint32>(lineBits), 4);
            }
        } else if (r.type == ShapeSpec::Record::Type::Straight) {
            const QPoint d = r.anchor - pen;
            const int bits = std::max(2, BitWriter::signedBits({d.x(), d.y()}));
            w.ub(1, 1);
            w.ub(1, 1);
            w.ub(static_cast<quint32>(bits - 2), 4);
            w.ub(1, 1); // general line
            w.sb(d.x(), bits);
            w.sb(d.y(), bits);
            pen = r.anchor;
        } else {
            const QPoint c = r.control - pen;
            const QPoint a = r.anchor - r.control;
            const int bits = std::max(2, BitWriter::signedBits({c.x(), c.y(), a.x(), a.y()}));
            w.ub(1, 1);
            w.ub(0, 1);
            w.ub(static_cast<quint32>(bits - 2), 4);
            w.sb(c.x(), bits);
            w.sb(c.y(), bits);
            w.sb(a.x(), bits);
            w.sb(a.y(), bits);
            pen = r.anchor;
        }
    }
    w.ub(0, 6); // end of shape
    static constexpr int codes[] = {2, 2, 22, 32, 83};
    tag(codes[std::clamp(version, 1, 4)], w.data());
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
    tag(4, w.data());
}

void SwfWriter::placeObject2(const Place& p)
{
    writePlace(26, p);
}

void SwfWriter::placeObject3(const Place& p)
{
    writePlace(70, p);
}

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
    if (p.clipDepth)
        flags |= 0x40;
    w.u8(flags);
    if (code == 70)
        w.u8(0);
    w.u16(p.depth);
    if (p.character)
        w.u16(*p.character);
    if (p.matrix)
        w.bytes(encodeMatrix(*p.matrix));
    if (p.colorTransform)
        w.bytes(encodeColorTransform(*p.colorTransform, true));
    if (p.ratio)
        w.u16(*p.ratio);
    if (p.clipDepth)
        w.u16(*p.clipDepth);
    tag(code, w.data());
}

void SwfWriter::removeObject(quint16 character, quint16 depth)
{
    BitWriter w;
    w.u16(character);
    w.u16(depth);
    tag(5, w.data());
}

void SwfWriter::removeObject2(quint16 depth)
{
    BitWriter w;
    w.u16(depth);
    tag(28, w.data());
}

void SwfWriter::showFrame()
{
    tag(1, {});
    ++streams_.back().frames;
}

void SwfWriter::frameLabel(const QByteArray& label)
{
    tag(43, label + QByteArray(1, '\0'));
}

void SwfWriter::doAction(const QByteArray& actionBytes)
{
    tag(12, actionBytes + QByteArray(1, '\0'));
}

void SwfWriter::beginSprite(quint16 id)
{
    streams_.push_back(TagStream{{}, 0, id});
}

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
    tag(39, w.data());
}

void SwfWriter::tag(int code, const QByteArray& body)
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
    file.bytes(compression == Compression::Zlib ? "CWS" : "FWS");
    file.u8(static_cast<quint32>(version_));
    file.u32(static_cast<quint32>(raw.size() + 8));
    if (compression == Compression::Zlib) {
        uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
        QByteArray packed(static_cast<qsizetype>(packedSize), '\0');
        compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(raw.constData()), static_cast<uLong>(raw.size()), 9);
        packed.resize(static_cast<qsizetype>(packedSize));
        file.bytes(packed);
    } else {
        file.bytes(raw);
    }
    return file.data();
}

} // namespace movie::writer
