#include "movie/draw/Text.h"

#include "movie/Limits.h"
#include "movie/draw/HtmlText.h"
#include "movie/format/FileText.h"
#include "movie/format/SwfReader.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QRegularExpression>
#include <algorithm>
#include <map>
#include <memory>
#include <tuple>

namespace movie {

namespace {

// Fields keep a two-pixel gutter inside their bounds.
constexpr double kGutter = 40;

// A font as the layout of a field sees it, in twips.
class Typeface {
public:
    virtual ~Typeface() = default;
    virtual double width(const QString& text) const = 0;
    virtual void draw(const QString& text, double x, double baseline, QPainterPath& out) const = 0;
    double ascent = 0;
    double descent = 0;
};

class GlyphTypeface : public Typeface {
public:
    GlyphTypeface(const FontDef& font, double height) : font_(font), scale_(height / font.unitsPerEm)
    {
        if (font.hasLayout && font.ascent + font.descent > 0) {
            ascent = font.ascent * scale_;
            descent = font.descent * scale_;
        } else {
            ascent = height * 0.8;
            descent = height * 0.2;
        }
    }
    double width(const QString& text) const override
    {
        double w = 0;
        char32_t previous = 0;
        for (const char32_t c : text.toUcs4()) {
            w += (font_.advance(font_.glyphFor(c)) + font_.kerning(previous, c)) * scale_;
            previous = c;
        }
        return w;
    }
    void draw(const QString& text, double x, double baseline, QPainterPath& out) const override
    {
        char32_t previous = 0;
        for (const char32_t c : text.toUcs4()) {
            x += font_.kerning(previous, c) * scale_;
            previous = c;
            const int g = font_.glyphFor(c);
            if (g >= 0) {
                const QTransform t = QTransform::fromScale(scale_, scale_) * QTransform::fromTranslate(x, baseline);
                out.addPath(t.map(font_.glyph(g)));
            }
            x += font_.advance(g) * scale_;
        }
    }

private:
    const FontDef& font_;
    double scale_;
};

// Device fonts of a field: a system font of the run's face, or the generic
// families the authoring tools name with a leading underscore.
class SystemTypeface : public Typeface {
public:
    SystemTypeface(const QString& face, bool bold, bool italic, double height)
        : font_(makeFont(face, bold, italic, height)), metrics_(font_)
    {
        ascent = metrics_.ascent();
        descent = metrics_.descent();
    }
    double width(const QString& text) const override { return metrics_.horizontalAdvance(text); }
    void draw(const QString& text, double x, double baseline, QPainterPath& out) const override
    {
        out.addText(QPointF(x, baseline), font_, text);
    }

private:
    static QFont makeFont(const QString& name, bool bold, bool italic, double height)
    {
        QFont f;
        if (name == QLatin1String("_serif")) {
            f.setStyleHint(QFont::Serif);
            f.setFamily(QStringLiteral("Serif"));
        } else if (name == QLatin1String("_typewriter")) {
            f.setStyleHint(QFont::Monospace);
            f.setFamily(QStringLiteral("Monospace"));
        } else if (name.isEmpty() || name == QLatin1String("_sans")) {
            f.setStyleHint(QFont::SansSerif);
            f.setFamily(QStringLiteral("Sans Serif"));
        } else {
            f.setFamily(name);
        }
        // Twips as pixels: outlines come out in the field's own units.
        f.setPixelSize(std::clamp(qRound(height), 1, 8000));
        f.setBold(bold);
        f.setItalic(italic);
        return f;
    }
    QFont font_;
    QFontMetricsF metrics_;
};

// The typefaces of a field's runs: the embedded font the run names (or the
// field's own), else a system font of that name; made once per style.
class Typefaces {
public:
    Typefaces(const FontDef* fieldFont, const FontByName& byName)
        : fieldFont_(fieldFont), byName_(byName),
          system_(qobject_cast<QGuiApplication*>(QCoreApplication::instance()) != nullptr)
    {}

    // Null when the run can be drawn in no font (no glyphs, no GUI).
    const Typeface* of(const TextRun& run)
    {
        const Key key{run.face, run.size, run.bold, run.italic};
        const auto it = made_.find(key);
        if (it != made_.end())
            return it->second.get();
        if (static_cast<int>(made_.size()) >= limits::kMaxFieldTypefaces)
            return made_.empty() ? nullptr : made_.begin()->second.get();
        // The run's face, or the field's in the run's style.
        const FontDef* font = fieldFont_;
        const QString name = run.face.isEmpty() && font ? font->name : run.face;
        const bool same = font && font->name.compare(name, Qt::CaseInsensitive) == 0 && font->bold == run.bold
            && font->italic == run.italic;
        if (!same && byName_ && !name.isEmpty())
            if (const FontDef* named = byName_(name, run.bold, run.italic))
                font = named;
        std::unique_ptr<Typeface> face;
        if (font && font->glyphCount() > 0 && !font->codes.empty())
            face = std::make_unique<GlyphTypeface>(*font, run.size);
        else if (system_)
            face = std::make_unique<SystemTypeface>(run.face.isEmpty() && font ? font->name : run.face,
                                                    run.bold || (font && font->bold),
                                                    run.italic || (font && font->italic), run.size);
        return (made_[key] = std::move(face)).get();
    }

private:
    using Key = std::tuple<QString, double, bool, bool>;
    const FontDef* fieldFont_;
    const FontByName& byName_;
    bool system_;
    std::map<Key, std::unique_ptr<Typeface>> made_;
};

// A word or a stretch of spaces of one run.
struct Piece {
    QString text;
    const TextRun* run;
    const Typeface* face;
    bool space;
    double width;
};

// A password field shows a "*" for every character, spaces included, and
// is measured as it shows.
std::vector<Piece> piecesOf(const TextParagraph& paragraph, Typefaces& faces, bool password)
{
    std::vector<Piece> pieces;
    for (const TextRun& run : paragraph.runs) {
        const Typeface* face = faces.of(run);
        if (!face)
            continue;
        const QString shown = password ? QString(run.text.size(), QLatin1Char('*')) : run.text;
        qsizetype start = 0;
        for (qsizetype i = 1; i <= shown.size(); ++i) {
            if (i < shown.size() && (shown[i] == QLatin1Char(' ')) == (shown[i - 1] == QLatin1Char(' ')))
                continue;
            const QString text = shown.mid(start, i - start);
            pieces.push_back({text, &run, face, text.startsWith(QLatin1Char(' ')), face->width(text)});
            start = i;
        }
    }
    return pieces;
}

// The ink of a field: a path for each colour.
using Ink = std::vector<std::pair<QColor, QPainterPath>>;

QPainterPath& inkOf(Ink& ink, const QColor& colour)
{
    for (auto& [c, path] : ink)
        if (c == colour)
            return path;
    ink.emplace_back(colour, QPainterPath());
    ink.back().second.setFillRule(Qt::WindingFill);
    return ink.back().second;
}

void layOut(const EditTextDef& field, const std::vector<TextParagraph>& paragraphs, Typefaces& faces, Ink& ink)
{
    double top = field.bounds.top() + kGutter;
    for (const TextParagraph& paragraph : paragraphs) {
        const std::vector<Piece> pieces = piecesOf(paragraph, faces, field.password);
        const double left = field.bounds.left() + kGutter + field.leftMargin + paragraph.leftMargin
            + paragraph.blockIndent + (paragraph.bullet ? 2 * 240.0 : 0);
        const double room = field.bounds.right() - kGutter - field.rightMargin - paragraph.rightMargin - left;
        TextRun plain;
        plain.size = field.height;
        const Typeface* fallback = paragraph.runs.empty() ? faces.of(plain) : faces.of(paragraph.runs.front());
        size_t next = 0;
        bool firstOfParagraph = true;
        do {
            // A line wraps where it would pass the field's right edge: the
            // right gutter may hold the ends of the last letters.
            const double indent = firstOfParagraph ? field.indent + paragraph.indent : 0;
            size_t end = next;
            double width = 0;
            while (end < pieces.size()) {
                const Piece& piece = pieces[end];
                if (field.wordWrap && !piece.space && end > next && width + piece.width > room + kGutter - indent)
                    break;
                width += piece.width;
                ++end;
            }
            size_t last = end; // trailing spaces do not count
            while (last > next && pieces[last - 1].space)
                width -= pieces[--last].width;
            double ascent = fallback ? fallback->ascent : 0, descent = fallback ? fallback->descent : 0;
            if (last > next) {
                ascent = descent = 0;
                for (size_t i = next; i < last; ++i) {
                    ascent = std::max(ascent, pieces[i].face->ascent);
                    descent = std::max(descent, pieces[i].face->descent);
                }
            }
            const double baseline = top + ascent;
            const double spare = room - indent - width;
            double x = left + indent
                + std::max(0.0,
                           paragraph.align == 1       ? spare
                               : paragraph.align == 2 ? spare / 2
                                                      : 0);
            if (paragraph.bullet && firstOfParagraph && fallback && !paragraph.runs.empty())
                fallback->draw(QString(QChar(0x2022)), left - 240.0 * 1.5, baseline,
                               inkOf(ink, paragraph.runs.front().color));
            for (size_t i = next; i < last; ++i) {
                const Piece& piece = pieces[i];
                QPainterPath& path = inkOf(ink, piece.run->color);
                if (!piece.space)
                    piece.face->draw(piece.text, x, baseline, path);
                if (piece.run->underline) {
                    const double thickness = std::max(20.0, piece.run->size / 16);
                    path.addRect(QRectF(x, baseline + thickness, piece.width, thickness));
                }
                x += piece.width;
            }
            top = baseline + descent + field.leading + paragraph.leading;
            next = end;
            firstOfParagraph = false;
        } while (next < pieces.size());
        if (!field.multiline)
            break;
    }
}

} // namespace

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
            font.advances.push_back(rest.s16());
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

ShapeDef readText(SwfReader& r, int version, const FontLookup& fonts)
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
        ShapeLayer::Fill fill;
        fill.style.color = inkColor;
        fill.style.prepare();
        fill.path = matrix.map(ink);
        layer.fills.push_back(std::move(fill));
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
    const bool hasColor = flags1 & 0x04;
    const bool hasMaxLength = flags1 & 0x02;
    field.hasFont = flags1 & 0x01;
    const bool hasFontClass = flags2 & 0x80;
    const bool hasLayout = flags2 & 0x20;
    field.border = flags2 & 0x08;
    const bool html = flags2 & 0x02;
    field.useOutlines = flags2 & 0x01;
    if (field.hasFont)
        field.fontId = r.u16();
    if (hasFontClass)
        r.string();
    if (field.hasFont || hasFontClass)
        field.height = r.u16();
    if (hasColor)
        field.color = readRgba(r);
    if (hasMaxLength)
        r.u16();
    if (hasLayout) {
        field.align = std::min<int>(r.u8(), 3);
        field.leftMargin = r.u16();
        field.rightMargin = r.u16();
        field.indent = r.u16();
        field.leading = r.s16();
    }
    r.string(); // variable name
    if (hasText) {
        QString text = decodeFileText(r.string(), movieVersion);
        if (text.size() > limits::kMaxFieldText) {
            text.truncate(limits::kMaxFieldText);
            field.textCut = true;
        }
        field.text = html ? plainTextOfHtml(text) : text;
        if (html)
            field.html = text;
    }
    return field;
}

ShapeDef layoutEditText(const EditTextDef& field, const FontDef* font, const FontByName& fonts)
{
    ShapeDef shape;
    shape.bounds = field.bounds;
    if (field.border) {
        ShapeLayer frame;
        QPainterPath box;
        box.addRect(field.bounds);
        ShapeLayer::Fill fill;
        fill.style.color = Qt::white;
        fill.style.prepare();
        fill.path = box;
        frame.fills.push_back(fill);
        // One crisp black pixel on whole pixels, whatever the scale.
        ShapeLayer::Stroke stroke;
        stroke.style.fill.color = Qt::black;
        stroke.style.fill.prepare();
        stroke.style.noHScale = stroke.style.noVScale = stroke.style.pixelHinting = true;
        stroke.style.join = Qt::MiterJoin;
        stroke.style.cap = Qt::SquareCap;
        stroke.path = box;
        frame.strokes.push_back(stroke);
        shape.layers.push_back(std::move(frame));
    }
    TextRun style;
    style.size = field.height;
    style.color = field.color;
    style.bold = font && font->bold;
    style.italic = font && font->italic;
    TextParagraph format;
    format.align = field.align;
    std::vector<TextParagraph> paragraphs;
    if (!field.html.isEmpty()) {
        paragraphs = parseHtmlText(field.html, style, format);
    } else {
        for (const QString& line : field.text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
            TextParagraph p = format;
            if (!line.isEmpty()) {
                p.runs.push_back(style);
                p.runs.back().text = line;
            }
            paragraphs.push_back(std::move(p));
        }
    }
    Typefaces faces(font, fonts);
    Ink ink;
    layOut(field, paragraphs, faces, ink);
    ShapeLayer text;
    for (auto& [colour, path] : ink) {
        if (path.isEmpty())
            continue;
        ShapeLayer::Fill fill;
        fill.style.color = colour;
        fill.style.prepare();
        fill.path = path;
        text.fills.push_back(std::move(fill));
    }
    if (!text.fills.empty())
        shape.layers.push_back(std::move(text));
    return shape;
}

QString plainTextOfHtml(const QString& html)
{
    QString text = html;
    static const QRegularExpression breaks(QStringLiteral("<br\\s*/?>|</p\\s*>|</li\\s*>"),
                                           QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression tags(QStringLiteral("<[^>]*>"));
    text.replace(breaks, QStringLiteral("\n"));
    text.remove(tags);
    if (text.endsWith(QLatin1Char('\n')))
        text.chop(1); // the closing paragraph ends the text, it adds no line
    return decodeEntities(text);
}

} // namespace movie
