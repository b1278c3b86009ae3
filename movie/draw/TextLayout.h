#pragma once

#include "movie/draw/FieldText.h"

#include <QColor>
#include <QPainterPath>
#include <vector>

namespace movie {

class FontSet;

// What lays a field's text out besides the text: the width it wraps in
// (twips, the field's whole width) and how its characters are shown.
struct TextBox {
    double width = 0;
    bool wordWrap = false;
    bool password = false;   // every character shown as "*"
    bool embedFonts = false; // the movie's fonts; else the system's
};

// A field's text laid out, in twips: x from the field's left edge, y from
// the top of its text (the gutter above excluded).
struct TextLayout {
    struct Line {
        qsizetype begin = 0, end = 0; // characters, its line break excluded
        double top = 0, ascent = 0, descent = 0, leading = 0;
        double x = 0, width = 0;

        double height() const { return ascent + descent + leading; }
    };
    std::vector<Line> lines;
    double width = 0;  // of the widest line
    double height = 0; // of all lines, their leading included
    // The text's outlines, a path for each colour.
    std::vector<std::pair<QColor, QPainterPath>> ink;
};

// Fields keep a gutter of two pixels inside their bounds, on every side.
constexpr double kFieldGutter = 40;

// Lays the text out line by line. The movie's fonts, when `embedFonts`
// says so, else the system's by name (without a GUI application, a
// measure of them that draws nothing).
TextLayout layOutText(const FieldText& text, const TextBox& box, const FontSet* fonts);

} // namespace movie
