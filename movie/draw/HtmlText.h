#pragma once

#include <QColor>
#include <QString>
#include <vector>

namespace movie {

// Text in one style: a run of a field's text.
struct TextRun {
    QString text;
    QString face;      // font name; empty: the field's font
    double size = 240; // twips
    QColor color = Qt::black;
    bool bold = false;
    bool italic = false;
    bool underline = false;
};

// A paragraph of a field: its runs and how it is laid out (twips).
struct TextParagraph {
    int align = 0; // left, right, centre, justified
    double indent = 0, leftMargin = 0, rightMargin = 0, blockIndent = 0, leading = 0;
    bool bullet = false;
    std::vector<TextRun> runs;
};

// Reads the HTML that edit fields accept (<p align>, <font face size
// color>, <b>, <i>, <u>, <br>, <li>, <textformat> with indent, leading,
// margins and block indent; entities) into paragraphs, starting from the
// field's own style and format. Unknown tags are dropped, their text kept;
// styles nest to a bounded depth.
// The text with the entities of edit-field HTML (&lt; &gt; &quot; &apos;
// &nbsp; &amp;) as the characters they stand for.
QString decodeEntities(QString text);

std::vector<TextParagraph> parseHtmlText(const QString& html, const TextRun& style, const TextParagraph& format);

} // namespace movie
