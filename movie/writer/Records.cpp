#include "movie/writer/Records.h"

#include "movie/writer/SwfWriter.h"

#include <cmath>

namespace movie::writer {

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
    case ShapeSpec::Fill::Kind::BitmapRepeating:
    case ShapeSpec::Fill::Kind::Bitmap:
    case ShapeSpec::Fill::Kind::BitmapRepeatingHard:
    case ShapeSpec::Fill::Kind::BitmapHard:
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
    w.ub(l.noHScale ? 1 : 0, 1);
    w.ub(l.noVScale ? 1 : 0, 1);
    w.ub(l.pixelHinting ? 1 : 0, 1);
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

void writeShapeRecords(BitWriter& w, const ShapeSpec& shape, int version)
{
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
}

} // namespace movie::writer
