#pragma once

#include <QString>
#include <optional>
#include <vector>

namespace movie {

// The format of a stretch of an edit field's text, in the units scripts
// use (pixels). Every attribute may be absent: a format that leaves it as
// it is, or a range of text where it varies. The text of a field carries
// complete formats, every attribute present.
struct TextFormat {
    enum class Align : quint8 { Left, Right, Center, Justify };

    // Of the characters.
    std::optional<QString> font;
    std::optional<double> size;
    std::optional<quint32> color; // 0xRRGGBB
    std::optional<bool> bold, italic, underline;
    std::optional<QString> url, target;
    std::optional<bool> kerning;
    std::optional<double> letterSpacing;
    // Of the paragraphs.
    std::optional<Align> align;
    std::optional<double> leftMargin, rightMargin, indent, leading, blockIndent;
    std::optional<std::vector<double>> tabStops;
    std::optional<bool> bullet;

    // Takes every attribute that `over` has.
    void apply(const TextFormat& over);
    // Only the paragraph attributes, or only those of the characters.
    TextFormat paragraphPart() const;
    TextFormat characterPart() const;
    // Keeps the attributes that `other` has alike, drops the rest.
    void keepCommon(const TextFormat& other);
    bool sameCharacters(const TextFormat& other) const;
    bool operator==(const TextFormat& other) const = default;

    // The format of a new field: Times New Roman 12, black, left aligned,
    // every other attribute off or 0.
    static TextFormat defaults();
};

} // namespace movie
