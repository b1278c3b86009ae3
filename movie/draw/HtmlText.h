#pragma once

#include "movie/draw/FieldText.h"

#include <QString>

namespace movie {

// How a field reads its HTML: whether paragraph tags and <br> break lines
// (a multiline field, or any field of a movie before version 7), whether
// runs of white space shrink to one space (condenseWhite), and whether
// <font kerning> counts (from version 8).
struct HtmlReading {
    bool breaks = true;
    bool condenseWhite = false;
    bool kerning = true;
};

// Reads the HTML that edit fields accept (<p align>, <li>, <br>, <font face
// size color letterspacing>, <b>, <i>, <u>, <a href target>, <textformat>
// with its margins, indents, leading and tab stops; the entities of XML)
// into formatted text, starting from `base` (a complete format). As the
// player reads it: a closing tag closes only the innermost open tag of its
// name, text of nothing but white space between tags is dropped, a line
// break in the text starts a paragraph, and unknown tags are passed over.
FieldText readHtml(const QString& html, const TextFormat& base, const HtmlReading& how);

// The HTML the player gives for formatted text: a <P> or <LI> for every
// paragraph, in a <TEXTFORMAT> when it has margins, indents, leading or tab
// stops, its runs in nested <FONT> tags with <A>, <B>, <I> and <U> inside.
QString writeHtml(const FieldText& text);

// The text with the entities of edit-field HTML (&lt; &gt; &amp; &quot;
// &apos; &nbsp; and numbered ones) as the characters they stand for, in
// one pass; an unknown entity stays as it is. XML knows no &nbsp;.
QString decodeEntities(QStringView text, bool nbsp = true);

} // namespace movie
