#pragma once

#include "movie/draw/ShapeDef.h"

#include <QPainterPath>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace movie {

class SwfReader;

// A font of the movie: glyph outlines with their character codes and, when
// the font has a layout, advances and line metrics.
struct FontDef {
    QString name;
    bool bold = false;
    bool italic = false;
    double unitsPerEm = 1024; // DefineFont3 works in twentieths
    std::vector<char32_t> codes;
    std::vector<double> advances; // font units; empty without a layout
    double ascent = 0, descent = 0, leading = 0;
    bool hasLayout = false;

    // How many glyphs the font has, and the outline of one in font units
    // (empty for an index it does not have). An outline is read from the
    // file the first time it is drawn: a title shows a few dozen glyphs of
    // fonts that hold thousands.
    int glyphCount() const { return static_cast<int>(glyphs_.size()); }
    const QPainterPath& glyph(int index) const;
    // The glyph drawn for `code`, or -1.
    int glyphFor(char32_t code) const;
    // The advance of glyph `index` in font units.
    double advance(int index) const;
    // What the font's kerning table adds between two codes, in font units.
    double kerning(char32_t first, char32_t second) const;

private:
    friend FontDef readFont(SwfReader& r, int version);
    QByteArray glyphBytes_;                                     // the glyph records, each from its offset on
    std::vector<std::pair<qsizetype, qsizetype>> glyphRecords_; // start and end of each
    mutable std::vector<QPainterPath> glyphs_;                  // the outlines read so far
    mutable std::vector<bool> glyphRead_;
    std::unordered_map<char32_t, int> byCode_;
    std::unordered_map<quint32, double> kerning_; // by first << 16 | second
};

// Reads DefineFont (version 1), DefineFont2 (2) or DefineFont3 (3) after the
// font's id.
FontDef readFont(SwfReader& r, int version);

using FontLookup = std::function<const FontDef*(quint16)>;

// Reads DefineText (version 1) or DefineText2 (2) after the character id:
// its glyphs made into a shape filled in the records' colours, and the
// characters they stand for appended to `characters` when given.
ShapeDef readText(SwfReader& r, int version, const FontLookup& fonts, QString* characters = nullptr);

// A DefineEditText field as the file gives it.
struct EditTextDef {
    QRectF bounds; // twips
    QString text;  // HTML when `html`
    QString variable;
    QString fontClass;
    quint16 fontId = 0;
    bool hasFont = false;
    double height = 240; // twips
    std::optional<QColor> color;
    std::optional<int> maxLength;
    bool hasLayout = false;
    int align = 0;                                                   // left, right, centre, justified
    double leftMargin = 0, rightMargin = 0, indent = 0, leading = 0; // twips
    bool wordWrap = false;
    bool multiline = false;
    bool password = false;
    bool readOnly = false;
    bool autoSize = false;
    bool noSelect = false;
    bool border = false;
    bool html = false;
    bool useOutlines = false;
    bool textCut = false; // the text was longer than limits::kMaxFieldText
    // CSMTextSettings: advanced anti-aliasing, grid fitting (none, pixel,
    // subpixel), thickness and sharpness.
    bool advancedAntiAlias = false;
    int gridFit = 1;
    double thickness = 0, sharpness = 0;
};

// Reads DefineEditText after the character id. Text before movie version 6
// is in the system's 8-bit code page, later in UTF-8.
EditTextDef readEditText(SwfReader& r, int movieVersion);

// The fonts a movie defines, by id and by name.
class FontSet {
public:
    void add(quint16 id, FontDef font);
    const FontDef* byId(quint16 id) const;
    // A font of that name, of that style if there is one, else the fullest
    // of that name; null when there is none.
    const FontDef* byName(const QString& name, bool bold, bool italic) const;

private:
    std::unordered_map<quint16, std::unique_ptr<FontDef>> fonts_;
};

} // namespace movie
