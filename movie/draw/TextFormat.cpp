#include "movie/draw/TextFormat.h"

namespace movie {

namespace {

template <class T>
void take(std::optional<T>& into, const std::optional<T>& from)
{
    if (from)
        into = from;
}

template <class T>
void keepIfAlike(std::optional<T>& mine, const std::optional<T>& other)
{
    if (mine != other)
        mine.reset();
}

} // namespace

void TextFormat::apply(const TextFormat& o)
{
    take(font, o.font);
    take(size, o.size);
    take(color, o.color);
    take(bold, o.bold);
    take(italic, o.italic);
    take(underline, o.underline);
    take(url, o.url);
    take(target, o.target);
    take(kerning, o.kerning);
    take(letterSpacing, o.letterSpacing);
    take(align, o.align);
    take(leftMargin, o.leftMargin);
    take(rightMargin, o.rightMargin);
    take(indent, o.indent);
    take(leading, o.leading);
    take(blockIndent, o.blockIndent);
    take(tabStops, o.tabStops);
    take(bullet, o.bullet);
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
    keepIfAlike(font, o.font);
    keepIfAlike(size, o.size);
    keepIfAlike(color, o.color);
    keepIfAlike(bold, o.bold);
    keepIfAlike(italic, o.italic);
    keepIfAlike(underline, o.underline);
    keepIfAlike(url, o.url);
    keepIfAlike(target, o.target);
    keepIfAlike(kerning, o.kerning);
    keepIfAlike(letterSpacing, o.letterSpacing);
    keepIfAlike(align, o.align);
    keepIfAlike(leftMargin, o.leftMargin);
    keepIfAlike(rightMargin, o.rightMargin);
    keepIfAlike(indent, o.indent);
    keepIfAlike(leading, o.leading);
    keepIfAlike(blockIndent, o.blockIndent);
    keepIfAlike(tabStops, o.tabStops);
    keepIfAlike(bullet, o.bullet);
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
