// The movie writer's pictures, fonts, texts, morph shapes and buttons.

#include "movie/writer/SwfWriter.h"

#include "movie/format/TagCodes.h"
#include "movie/writer/Records.h"

#include <zlib.h>

#include <algorithm>

namespace movie::writer {

namespace {

QByteArray zlibPacked(const QByteArray& raw)
{
    uLongf size = compressBound(static_cast<uLong>(raw.size()));
    QByteArray packed(static_cast<qsizetype>(size), '\0');
    compress2(reinterpret_cast<Bytef*>(packed.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
              static_cast<uLong>(raw.size()), 9);
    packed.resize(static_cast<qsizetype>(size));
    return packed;
}

void writeMorphFill(BitWriter& w, const ShapeSpec::Fill& a, const ShapeSpec::Fill& b)
{
    w.u8(static_cast<quint32>(a.kind));
    switch (a.kind) {
    case ShapeSpec::Fill::Kind::Solid:
        writeColor(w, a.color, true);
        writeColor(w, b.color, true);
        break;
    case ShapeSpec::Fill::Kind::Linear:
    case ShapeSpec::Fill::Kind::Radial:
    case ShapeSpec::Fill::Kind::Focal:
        w.bytes(SwfWriter::encodeMatrix(a.matrix));
        w.bytes(SwfWriter::encodeMatrix(b.matrix));
        w.u8(static_cast<quint32>((a.spread << 6) | (a.interpolation << 4) | static_cast<int>(a.stops.size())));
        for (size_t i = 0; i < a.stops.size(); ++i) {
            w.u8(static_cast<quint32>(a.stops[i].first));
            writeColor(w, a.stops[i].second, true);
            const auto& other = i < b.stops.size() ? b.stops[i] : a.stops[i];
            w.u8(static_cast<quint32>(other.first));
            writeColor(w, other.second, true);
        }
        if (a.kind == ShapeSpec::Fill::Kind::Focal) {
            w.u16(static_cast<quint16>(static_cast<qint16>(std::lround(a.focal * 256))));
            w.u16(static_cast<quint16>(static_cast<qint16>(std::lround(b.focal * 256))));
        }
        break;
    default:
        w.u16(a.bitmapId);
        w.bytes(SwfWriter::encodeMatrix(a.matrix));
        w.bytes(SwfWriter::encodeMatrix(b.matrix));
        break;
    }
}

} // namespace

void SwfWriter::defineBitsLossless(quint16 id, const QImage& image, int format, int version)
{
    const QImage argb =
        image.convertToFormat(version >= 2 ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const int w = argb.width(), h = argb.height();
    QByteArray pixels;
    QByteArray table;
    if (format == 3) {
        std::vector<QRgb> colours;
        QByteArray indices;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const QRgb c = argb.pixel(x, y);
                auto it = std::find(colours.begin(), colours.end(), c);
                if (it == colours.end() && colours.size() < 256)
                    it = colours.insert(colours.end(), c);
                indices.append(static_cast<char>(it == colours.end() ? 0 : it - colours.begin()));
            }
            while (indices.size() % 4)
                indices.append('\0'); // rows padded to 4 bytes
        }
        for (const QRgb c : colours) {
            table.append(static_cast<char>(qRed(c)));
            table.append(static_cast<char>(qGreen(c)));
            table.append(static_cast<char>(qBlue(c)));
            if (version >= 2)
                table.append(static_cast<char>(qAlpha(c)));
        }
        pixels = table + indices;
        table = QByteArray(1, static_cast<char>(colours.size() - 1));
    } else {
        for (int y = 0; y < h; ++y) {
            const qsizetype rowStart = pixels.size();
            for (int x = 0; x < w; ++x) {
                const QRgb c = argb.pixel(x, y);
                if (format == 4) {
                    const int v = ((qRed(c) >> 3) << 10) | ((qGreen(c) >> 3) << 5) | (qBlue(c) >> 3);
                    pixels.append(static_cast<char>(v >> 8));
                    pixels.append(static_cast<char>(v & 0xFF));
                } else {
                    pixels.append(static_cast<char>(version >= 2 ? qAlpha(c) : 0xFF));
                    pixels.append(static_cast<char>(qRed(c)));
                    pixels.append(static_cast<char>(qGreen(c)));
                    pixels.append(static_cast<char>(qBlue(c)));
                }
            }
            while ((pixels.size() - rowStart) % 4)
                pixels.append('\0');
        }
        table.clear();
    }
    BitWriter out;
    out.u16(id);
    out.u8(static_cast<quint32>(format));
    out.u16(static_cast<quint32>(w));
    out.u16(static_cast<quint32>(h));
    out.bytes(table);
    out.bytes(zlibPacked(pixels));
    writeTag(version >= 2 ? tag::DefineBitsLossless2 : tag::DefineBitsLossless, out.data());
}

void SwfWriter::jpegTables(const QByteArray& tables) { writeTag(tag::JPEGTables, tables); }

void SwfWriter::defineBits(quint16 id, const QByteArray& jpeg)
{
    BitWriter w;
    w.u16(id);
    w.bytes(jpeg);
    writeTag(tag::DefineBits, w.data());
}

void SwfWriter::defineBitsJpeg2(quint16 id, const QByteArray& data)
{
    BitWriter w;
    w.u16(id);
    w.bytes(data);
    writeTag(tag::DefineBitsJPEG2, w.data());
}

void SwfWriter::defineBitsJpeg3(quint16 id, const QByteArray& jpeg, const QByteArray& alphaPlane)
{
    BitWriter w;
    w.u16(id);
    w.u32(static_cast<quint32>(jpeg.size()));
    w.bytes(jpeg);
    w.bytes(zlibPacked(alphaPlane));
    writeTag(tag::DefineBitsJPEG3, w.data());
}

void SwfWriter::defineFont(quint16 id, const FontSpec& font, int fontVersion)
{
    // Glyphs are shapes with one fill and no line, their styles implied.
    std::vector<QByteArray> glyphs;
    for (const ShapeSpec& g : font.glyphs) {
        ShapeSpec one = g;
        one.fills = {ShapeSpec::Fill::solid(Qt::black)};
        one.lines.clear();
        BitWriter w;
        writeShapeRecords(w, one, 1);
        glyphs.push_back(w.data());
    }
    BitWriter w;
    w.u16(id);
    if (fontVersion == 1) {
        auto offset = static_cast<quint32>(glyphs.size() * 2);
        for (const QByteArray& g : glyphs) {
            w.u16(offset);
            offset += static_cast<quint32>(g.size());
        }
        for (const QByteArray& g : glyphs)
            w.bytes(g);
        writeTag(tag::DefineFont, w.data());
        return;
    }
    const bool layout = !font.advances.empty();
    w.u8((layout ? 0x80 : 0) | 0x08 | 0x04 | (font.italic ? 0x02 : 0) | (font.bold ? 0x01 : 0));
    w.u8(1);
    w.u8(static_cast<quint32>(font.name.size()));
    w.bytes(font.name);
    w.u16(static_cast<quint32>(glyphs.size()));
    auto offset = static_cast<quint32>(glyphs.size() * 4 + 4);
    for (const QByteArray& g : glyphs) {
        w.u32(offset);
        offset += static_cast<quint32>(g.size());
    }
    w.u32(offset); // the code table
    for (const QByteArray& g : glyphs)
        w.bytes(g);
    for (size_t i = 0; i < glyphs.size(); ++i)
        w.u16(i < font.codes.size() ? font.codes[i] : 0);
    if (layout) {
        w.u16(font.ascent);
        w.u16(font.descent);
        w.u16(static_cast<quint16>(font.leading));
        for (size_t i = 0; i < glyphs.size(); ++i)
            w.u16(static_cast<quint16>(i < font.advances.size() ? font.advances[i] : 0));
        for (size_t i = 0; i < glyphs.size(); ++i)
            writeRect(w, QRect());
        w.u16(0); // no kerning
    }
    writeTag(fontVersion == 2 ? tag::DefineFont2 : tag::DefineFont3, w.data());
}

void SwfWriter::defineText(quint16 id, const QRect& bounds, const Matrix& m, const std::vector<TextRecord>& records,
                           int textVersion)
{
    int glyphBits = 1, advanceBits = 1;
    for (const TextRecord& r : records) {
        for (const auto& [index, advance] : r.glyphs) {
            glyphBits = std::max(glyphBits, BitWriter::unsignedBits(index));
            advanceBits = std::max(advanceBits, BitWriter::signedBits({advance}));
        }
    }
    BitWriter w;
    w.u16(id);
    writeRect(w, bounds);
    w.bytes(encodeMatrix(m));
    w.u8(static_cast<quint32>(glyphBits));
    w.u8(static_cast<quint32>(advanceBits));
    for (const TextRecord& r : records) {
        w.u8(0x80 | (r.font ? 0x08 : 0) | (r.color ? 0x04 : 0) | (r.y ? 0x02 : 0) | (r.x ? 0x01 : 0));
        if (r.font)
            w.u16(*r.font);
        if (r.color)
            writeColor(w, *r.color, textVersion >= 2);
        if (r.x)
            w.u16(static_cast<quint16>(*r.x));
        if (r.y)
            w.u16(static_cast<quint16>(*r.y));
        if (r.font)
            w.u16(r.height);
        w.u8(static_cast<quint32>(r.glyphs.size()));
        for (const auto& [index, advance] : r.glyphs) {
            w.ub(index, glyphBits);
            w.sb(advance, advanceBits);
        }
        w.align();
    }
    w.u8(0);
    writeTag(textVersion >= 2 ? tag::DefineText2 : tag::DefineText, w.data());
}

void SwfWriter::defineEditText(quint16 id, const EditTextSpec& f)
{
    BitWriter w;
    w.u16(id);
    writeRect(w, f.bounds);
    w.u8((f.text.isNull() ? 0 : 0x80) | (f.wordWrap ? 0x40 : 0) | (f.multiline ? 0x20 : 0) | (f.password ? 0x10 : 0)
         | 0x08 | (f.color ? 0x04 : 0) | (f.font ? 0x01 : 0));
    w.u8((f.align ? 0x20 : 0) | (f.border ? 0x08 : 0) | (f.html ? 0x02 : 0) | (f.useOutlines ? 0x01 : 0));
    if (f.font) {
        w.u16(*f.font);
        w.u16(f.height);
    }
    if (f.color)
        writeColor(w, *f.color, true);
    if (f.align) {
        w.u8(static_cast<quint32>(*f.align));
        w.u16(0);
        w.u16(0);
        w.u16(0);
        w.u16(0);
    }
    w.string("field");
    if (!f.text.isNull())
        w.string(f.text);
    writeTag(tag::DefineEditText, w.data());
}

void SwfWriter::defineMorphShape(quint16 id, const ShapeSpec& start, const ShapeSpec& end, int morphVersion)
{
    BitWriter styles;
    auto count = [&styles](size_t n) {
        if (n >= 0xFF) {
            styles.u8(0xFF);
            styles.u16(static_cast<quint32>(n));
        } else {
            styles.u8(static_cast<quint32>(n));
        }
    };
    count(start.fills.size());
    for (size_t i = 0; i < start.fills.size(); ++i)
        writeMorphFill(styles, start.fills[i], i < end.fills.size() ? end.fills[i] : start.fills[i]);
    count(start.lines.size());
    for (size_t i = 0; i < start.lines.size(); ++i) {
        const ShapeSpec::Line& a = start.lines[i];
        const ShapeSpec::Line& b = i < end.lines.size() ? end.lines[i] : a;
        styles.u16(a.width);
        styles.u16(b.width);
        if (morphVersion >= 2) {
            styles.ub(static_cast<quint32>(a.cap), 2);
            styles.ub(static_cast<quint32>(a.join), 2);
            styles.ub(0, 1);
            styles.ub(0, 3);
            styles.ub(0, 5);
            styles.ub(a.noClose ? 1 : 0, 1);
            styles.ub(static_cast<quint32>(a.cap), 2);
            if (a.join == 2)
                styles.u16(static_cast<quint32>(std::lround(a.miterLimit * 256)));
        }
        writeColor(styles, a.color, true);
        writeColor(styles, b.color, true);
    }
    BitWriter startEdges;
    writeShapeRecords(startEdges, start, 3);
    // The end edges carry no styles: only points.
    ShapeSpec endOnly = end;
    endOnly.fills.clear();
    endOnly.lines.clear();
    std::erase_if(endOnly.records,
                  [](const ShapeSpec::Record& r) { return r.type == ShapeSpec::Record::Type::Style && !r.moveTo; });
    for (auto& r : endOnly.records) {
        r.fill0 = r.fill1 = r.line = -1;
        r.newStyles = false;
    }
    BitWriter endEdges;
    writeShapeRecords(endEdges, endOnly, 3);

    BitWriter w;
    w.u16(id);
    writeRect(w, start.bounds());
    writeRect(w, end.bounds());
    if (morphVersion >= 2) {
        writeRect(w, start.bounds());
        writeRect(w, end.bounds());
        w.u8(0x01);
    }
    const QByteArray& stylesBytes = styles.data();
    const QByteArray& startBytes = startEdges.data();
    w.u32(static_cast<quint32>(stylesBytes.size() + startBytes.size()));
    w.bytes(stylesBytes);
    w.bytes(startBytes);
    w.bytes(endEdges.data());
    writeTag(morphVersion >= 2 ? tag::DefineMorphShape2 : tag::DefineMorphShape, w.data());
}

void SwfWriter::defineButton(quint16 id, const std::vector<ButtonRecord>& records, int buttonVersion)
{
    BitWriter w;
    w.u16(id);
    if (buttonVersion >= 2) {
        w.u8(0);
        w.u16(0); // no actions
    }
    for (const ButtonRecord& r : records) {
        w.u8(r.states);
        w.u16(r.character);
        w.u16(r.depth);
        w.bytes(encodeMatrix(r.matrix));
        if (buttonVersion >= 2)
            w.bytes(encodeColorTransform(r.colorTransform.value_or(ColorTransform{}), true));
    }
    w.u8(0);
    if (buttonVersion < 2)
        w.u8(0); // an empty action list
    writeTag(buttonVersion >= 2 ? tag::DefineButton2 : tag::DefineButton, w.data());
}

void SwfWriter::defineButtonCxform(quint16 id, const ColorTransform& cx)
{
    BitWriter w;
    w.u16(id);
    w.bytes(encodeColorTransform(cx, false));
    writeTag(tag::DefineButtonCxform, w.data());
}

} // namespace movie::writer
