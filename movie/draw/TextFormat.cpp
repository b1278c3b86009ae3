#include "movie/draw/TextFormat.h"

namespace movie {

namespace {

// Calls `f` on every attribute of `a` with the same of `b`.
template <class F>
void pairwise(TextFormat& a, const TextFormat& b, F f)
{
    f(a.font, b.font);
    f(a.size, b.size);
    f(a.color, b.color);
    f(a.bold, b.bold);
    f(a.italic, b.italic);
    f(a.underline, b.underline);
    f(a.url, b.url);
    f(a.target, b.target);
    f(a.kerning, b.kerning);
    f(a.letterSpacing, b.letterSpacing);
    f(a.align, b.align);
    f(a.leftMargin, b.leftMargin);
    f(a.rightMargin, b.rightMargin);
    f(a.indent, b.indent);
    f(a.leading, b.leading);
    f(a.blockIndent, b.blockIndent);
    f(a.tabStops, b.tabStops);
    f(a.bullet, b.bullet);
}

} // namespace

void TextFormat::apply(const TextFormat& o)
{
    pairwise(*this, o, [](auto& mine, const auto& other) {
        if (other)
            mine = other;
    });
}

TextFormat TextFormat::paragraphPart() const
{
    TextFormat p;
    p.align = align;
    p.leftMargin = leftMargin;
    p.rightMargin = rightMargin;
    p.indent = indent;
    p.leading = leading;
    p.blockIndent = blockIndent;
    p.tabStops = tabStops;
    p.bullet = bullet;
    return p;
}

TextFormat TextFormat::characterPart() const
{
    TextFormat c = *this;
    c.align.reset();
    c.leftMargin.reset();
    c.rightMargin.reset();
    c.indent.reset();
    c.leading.reset();
    c.blockIndent.reset();
    c.tabStops.reset();
    c.bullet.reset();
    return c;
}

void TextFormat::keepCommon(const TextFormat& o)
{
    pairwise(*this, o, [](auto& mine, const auto& other) {
        if (mine != other)
            mine.reset();
    });
}

bool TextFormat::sameCharacters(const TextFormat& o) const { return characterPart() == o.characterPart(); }

TextFormat TextFormat::defaults()
{
    TextFormat f;
    f.font = QStringLiteral("Times New Roman");
    f.size = 12;
    f.color = 0;
    f.bold = f.italic = f.underline = false;
    f.url = f.target = QString();
    f.kerning = false;
    f.letterSpacing = 0;
    f.align = Align::Left;
    f.leftMargin = f.rightMargin = f.indent = f.leading = f.blockIndent = 0;
    f.tabStops = std::vector<double>();
    f.bullet = false;
    return f;
}

} // namespace movie
