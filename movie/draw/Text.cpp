#include "movie/draw/Text.h"

#include "movie/Limits.h"
#include "movie/format/FileText.h"
#include "movie/format/SwfReader.h"

#include <algorithm>

namespace movie {

const QPainterPath& FontDef::glyph(int index) const
{
    static const QPainterPath none;
    if (index < 0 || index >= glyphCount())
        return none;
    const auto i = static_cast<size_t>(index);
    if (!glyphRead_[i]) {
        glyphRead_[i] = true;
        const auto [start, end] = glyphRecords_[i];
        if (start < end) {
            SwfReader g(glyphBytes_.constData() + start, end - start);
            glyphs_[i] = readGlyph(g);
        }
    }
    return glyphs_[i];
}

int FontDef::glyphFor(char32_t code) const
{
    const auto it = byCode_.find(code);
    return it == byCode_.end() ? -1 : it->second;
}

double FontDef::kerning(char32_t first, char32_t second) const
{
    if (kerning_.empty() || first > 0xFFFF || second > 0xFFFF)
        return 0;
    const auto it = kerning_.find(quint32(first) << 16 | quint32(second));
    return it == kerning_.end() ? 0 : it->second;
}

double FontDef::advance(int index) const
{
    if (index < 0)
        return unitsPerEm / 3; // a missing glyph still takes a space
    if (static_cast<size_t>(index) < advances.size())
        return advances[static_cast<size_t>(index)];
    if (index < glyphCount())
        return glyph(index).boundingRect().right() + unitsPerEm / 20;
    return 0;
}

FontDef readFont(SwfReader& r, int version)
{
    FontDef font;
    bool wideOffsets = false, wideCodes = false;
    int count = 0;
    if (version >= 2) {
        const quint8 flags = r.u8();
        font.hasLayout = flags & 0x80;
        wideOffsets = flags & 0x08;
        wideCodes = flags & 0x04;
        font.italic = flags & 0x02;
        font.bold = flags & 0x01;
        r.u8(); // language
        const QByteArray name = r.bytes(r.u8());
        font.name = QString::fromUtf8(name).section(QLatin1Char('\0'), 0, 0);
        count = r.u16();
        if (version == 3)
            font.unitsPerEm = 1024 * 20;
    }
    // Offsets count from the start of the offset table.
    const QByteArray table = r.rest();
    SwfReader t(table);
    if (version == 1) {
        const quint16 first = t.u16();
        count = first / 2;
        t = SwfReader(table);
    }
    count = static_cast<int>(std::min<qsizetype>(count, table.size() / 2));
    std::vector<qsizetype> offsets;
    for (int i = 0; i < count && !t.overrun(); ++i)
        offsets.push_back(wideOffsets ? qsizetype(t.u32()) : qsizetype(t.u16()));
    qsizetype codeTable = table.size();
    if (version >= 2 && count > 0)
        codeTable = wideOffsets ? qsizetype(t.u32()) : qsizetype(t.u16());
    codeTable = std::clamp<qsizetype>(codeTable, 0, table.size());
    // Each glyph's records run from its offset to the next (the last to
    // the code table); they are read when the glyph is first drawn.
    for (size_t i = 0; i < offsets.size(); ++i) {
        const qsizetype start = offsets[i];
        const qsizetype end = i + 1 < offsets.size() ? offsets[i + 1] : codeTable;
        const bool valid = start >= 0 && start < end && end <= table.size();
        font.glyphRecords_.emplace_back(valid ? start : 0, valid ? end : 0);
    }
    font.glyphBytes_ = table;
    font.glyphs_.resize(offsets.size());
    font.glyphRead_.assign(offsets.size(), false);
    if (version == 1)
        return font;

    SwfReader rest(table.constData() + codeTable, table.size() - codeTable);
    for (int i = 0; i < count && !rest.overrun(); ++i) {
        const char32_t code = wideCodes ? rest.u16() : rest.u8();
        font.codes.push_back(code);
        font.byCode_.emplace(code, i);
    }
    if (font.hasLayout) {
        font.ascent = rest.u16();
        font.descent = rest.u16();
        font.leading = rest.s16();
        for (int i = 0; i < count && !rest.overrun(); ++i)
            font.advances.push_back(rest.u16()); // the player reads them unsigned
        if (rest.overrun())
            font.advances.clear();
        for (int i = 0; i < count && !rest.overrun(); ++i)
            readRect(rest); // glyph bounds: not needed to draw
        const int pairs = rest.u16();
        for (int i = 0; i < pairs && !rest.overrun(); ++i) {
            const quint32 first = wideCodes ? rest.u16() : rest.u8();
            const quint32 second = wideCodes ? rest.u16() : rest.u8();
            const qint16 adjustment = rest.s16();
            if (!rest.overrun() && adjustment != 0)
                font.kerning_[first << 16 | second] = adjustment;
        }
    }
    return font;
}

ShapeDef readText(SwfReader& r, int version, const FontLookup& fonts, QString* characters)
{
    ShapeDef shape;
    shape.bounds = readRect(r);
    const QTransform matrix = readMatrix(r).toTransform();
    const int glyphBits = r.u8();
    const int advanceBits = r.u8();
    const FontDef* font = nullptr;
    double height = 0, x = 0, y = 0;
    QColor color = Qt::black;
    ShapeLayer layer;
    QPainterPath ink;
    ink.setFillRule(Qt::WindingFill);
    QColor inkColor = color;
    auto flushInk = [&] {
        if (ink.isEmpty())
            return;
        layer.fills.push_back(ShapeLayer::Fill::solid(inkColor, matrix.map(ink)));
        ink = QPainterPath();
        ink.setFillRule(Qt::WindingFill);
    };
    while (!r.overrun()) {
        const quint8 flags = r.u8();
        if (flags == 0 || r.overrun())
            break;
        if (flags & 0x08)
            font = fonts(r.u16());
        if (flags & 0x04)
            color = version >= 2 ? readRgba(r) : readRgb(r);
        if (flags & 0x01)
            x = r.s16();
        if (flags & 0x02)
            y = r.s16();
        if (flags & 0x08)
            height = r.u16();
        if (color != inkColor) {
            flushInk();
            inkColor = color;
        }
        const int count = r.u8();
        const double scale = font ? height / font->unitsPerEm : 0;
        for (int i = 0; i < count && !r.overrun(); ++i) {
            const quint32 index = r.ub(glyphBits);
            const qint32 advance = r.sb(advanceBits);
            if (font && index < quint32(font->glyphCount()) && !r.overrun())
                ink.addPath((QTransform::fromScale(scale, scale) * QTransform::fromTranslate(x, y))
                                .map(font->glyph(int(index))));
            if (characters && font && index < font->codes.size() && !r.overrun()) {
                const char32_t code = font->codes[index];
                *characters += QString::fromUcs4(&code, 1);
            }
            x += advance;
        }
    }
    flushInk();
    if (!layer.fills.empty())
        shape.layers.push_back(std::move(layer));
    return shape;
}

EditTextDef readEditText(SwfReader& r, int movieVersion)
{
    EditTextDef field;
    field.bounds = readRect(r);
    const quint8 flags1 = r.u8();
    const quint8 flags2 = r.u8();
    const bool hasText = flags1 & 0x80;
    field.wordWrap = flags1 & 0x40;
    field.multiline = flags1 & 0x20;
    field.password = flags1 & 0x10;
    field.readOnly = flags1 & 0x08;
    const bool hasColor = flags1 & 0x04;
    const bool hasMaxLength = flags1 & 0x02;
    field.hasFont = flags1 & 0x01;
    const bool hasFontClass = flags2 & 0x80;
    field.autoSize = flags2 & 0x40;
    field.hasLayout = flags2 & 0x20;
    field.noSelect = flags2 & 0x10;
    field.border = flags2 & 0x08;
    field.html = flags2 & 0x02;
    field.useOutlines = flags2 & 0x01;
    if (field.hasFont)
        field.fontId = r.u16();
    if (hasFontClass)
        field.fontClass = decodeFileText(r.string(), movieVersion);
    if (field.hasFont || hasFontClass)
        field.height = r.u16();
    if (hasColor)
        field.color = readRgba(r);
    if (hasMaxLength)
        field.maxLength = r.u16();
    if (field.hasLayout) {
        field.align = std::min<int>(r.u8(), 3);
        field.leftMargin = r.u16();
        field.rightMargin = r.u16();
        field.indent = static_cast<qint16>(r.u16()); // written unsigned, meant signed
        field.leading = r.s16();
    }
    field.variable = decodeFileText(r.string(), movieVersion);
    if (hasText) {
        field.text = decodeFileText(r.string(), movieVersion);
        if (field.text.size() > limits::kMaxFieldText) {
            field.text.truncate(limits::kMaxFieldText);
            field.textCut = true;
        }
    }
    return field;
}

void FontSet::add(quint16 id, FontDef font)
{
    // The first definition of an id stands.
    fonts_.emplace(id, std::make_unique<FontDef>(std::move(font)));
}

const FontDef* FontSet::byId(quint16 id) const
{
    const auto it = fonts_.find(id);
    return it == fonts_.end() ? nullptr : it->second.get();
}

const FontDef* FontSet::byName(const QString& name, bool bold, bool italic) const
{
    const FontDef* any = nullptr;
    for (const auto& [id, font] : fonts_) {
        if (font->name.compare(name, Qt::CaseInsensitive) != 0)
            continue;
        if (font->bold == bold && font->italic == italic && !font->codes.empty())
            return font.get();
        if (!any || font->codes.size() > any->codes.size())
            any = font.get();
    }
    return any;
}

} // namespace movie
