#include "movie/draw/EditField.h"

#include "movie/draw/HtmlText.h"
#include "movie/draw/Text.h"

#include <algorithm>
#include <cmath>

namespace movie {

EditField::EditField(const QRectF& bounds, const FontSet& fonts, int movieVersion)
    : bounds(bounds), fonts_(fonts), version_(movieVersion), newFormat_(TextFormat::defaults())
{}

EditField::EditField(const EditTextDef& def, const FontSet& fonts, int movieVersion)
    : EditField(def.bounds, fonts, movieVersion)
{
    TextFormat& f = newFormat_;
    if (const FontDef* font = def.hasFont ? fonts.byId(def.fontId) : nullptr) {
        f.font = font->name;
        f.bold = font->bold;
        f.italic = font->italic;
    } else if (!def.fontClass.isEmpty()) {
        f.font = def.fontClass;
    }
    f.size = def.height / 20;
    if (def.color)
        f.color = def.color->rgb() & 0xFFFFFF;
    if (def.hasLayout) {
        static const TextFormat::Align aligns[] = {TextFormat::Align::Left, TextFormat::Align::Right,
                                                   TextFormat::Align::Center, TextFormat::Align::Justify};
        f.align = aligns[std::clamp(def.align, 0, 3)];
        f.leftMargin = def.leftMargin / 20;
        f.rightMargin = def.rightMargin / 20;
        f.indent = def.indent / 20;
        f.leading = def.leading / 20;
    }
    wordWrap = def.wordWrap;
    multiline = def.multiline;
    password = def.password;
    editable = !def.readOnly;
    selectable = !def.noSelect;
    border = background = def.border;
    html = def.html;
    embedFonts = def.useOutlines;
    autoSize = def.autoSize ? AutoSize::Left : AutoSize::None;
    maxChars = def.maxLength;
    variable = def.variable;
    static const char* const gridFits[] = {"none", "pixel", "subpixel"};
    antiAliasType = def.advancedAntiAlias ? QStringLiteral("advanced") : QStringLiteral("normal");
    gridFitType = QString::fromLatin1(gridFits[std::clamp(def.gridFit, 0, 2)]);
    thickness = def.thickness;
    sharpness = def.sharpness;
    if (html)
        setHtmlText(def.text);
    else
        setText(def.text);
}

void EditField::setText(const QString& text)
{
    content_.replace(0, content_.size(), fieldLineBreaks(text), newFormat_);
    changed();
}

QString EditField::htmlText() const { return html ? writeHtml(content_) : content_.text(); }

void EditField::setHtmlText(const QString& text)
{
    if (!html) {
        setText(text);
        return;
    }
    HtmlReading how;
    how.breaks = multiline || version_ < 7;
    how.condenseWhite = condenseWhite;
    how.kerning = version_ >= 8;
    content_ = readHtml(text, newFormat_, how);
    changed();
}

void EditField::replaceText(qsizetype begin, qsizetype end, const QString& text)
{
    content_.replace(begin, end, fieldLineBreaks(text), newFormat_);
    changed();
}

void EditField::setFormat(qsizetype begin, qsizetype end, const TextFormat& format)
{
    content_.setFormat(begin, end, format);
    changed();
}

void EditField::setNewFormat(const TextFormat& format)
{
    newFormat_.apply(format);
    changed();
}

void EditField::setTextColor(quint32 rgb)
{
    TextFormat colour;
    colour.color = rgb & 0xFFFFFF;
    content_.setFormat(0, content_.size(), colour);
    newFormat_.apply(colour);
    changed();
}

void EditField::changed()
{
    ++revision_;
    layout_.reset();
    text_.reset();
    if (autoSize != AutoSize::None)
        fitToText();
}

void EditField::fitToText()
{
    const TextLayout& laidOut = layout();
    const double height = laidOut.height + 2 * kFieldGutter;
    if (!wordWrap) {
        const TextFormat first = content_.isEmpty() ? newFormat_ : content_.formatAt(0);
        const double width =
            laidOut.width + 2 * kFieldGutter + (first.leftMargin.value_or(0) + first.rightMargin.value_or(0)) * 20;
        const double grow = width - bounds.width();
        if (autoSize == AutoSize::Right)
            bounds.setLeft(bounds.left() - grow);
        else if (autoSize == AutoSize::Center)
            bounds.setLeft(bounds.left() - std::trunc(grow / 2));
        bounds.setWidth(width);
    }
    bounds.setHeight(height);
    layout_.reset(); // alignment follows the new width
}

const TextLayout& EditField::layout() const
{
    if (!layout_) {
        TextBox box;
        box.width = bounds.width();
        box.wordWrap = wordWrap;
        box.password = password;
        box.embedFonts = embedFonts;
        layout_ = layOutText(content_, box, &fonts_);
    }
    return *layout_;
}

int EditField::maxScroll() const
{
    const std::vector<TextLayout::Line>& lines = layout().lines;
    const double room = bounds.height() - 2 * kFieldGutter;
    double below = 0;
    int first = int(lines.size());
    while (first > 0 && below + lines[size_t(first - 1)].height() <= room) {
        below += lines[size_t(first - 1)].height();
        --first;
    }
    return std::max(1, std::min(first + 1, int(lines.size())));
}

int EditField::bottomScroll() const
{
    const std::vector<TextLayout::Line>& lines = layout().lines;
    const double room = bounds.height() - 2 * kFieldGutter;
    const int top = std::clamp(scroll, 1, std::max(1, int(lines.size())));
    int last = top;
    double used = 0;
    for (int i = top - 1; i < int(lines.size()); ++i) {
        used += lines[size_t(i)].height();
        if (used > room && i > top - 1)
            break;
        last = i + 1;
    }
    return last;
}

int EditField::maxHScroll() const
{
    if (wordWrap)
        return 0;
    const double over = layout().width - (bounds.width() - 2 * kFieldGutter);
    return std::max(0, int(std::trunc(over / 20)));
}

const ShapeDef& EditField::textPicture() const
{
    if (text_)
        return *text_;
    const TextLayout& laidOut = layout();
    text_.emplace();
    text_->bounds = bounds;
    const int top = std::clamp(scroll, 1, std::max(1, int(laidOut.lines.size()))) - 1;
    const double scrolled = laidOut.lines.empty() ? 0 : laidOut.lines[size_t(top)].top;
    const QTransform place =
        QTransform::fromTranslate(bounds.left() - hscroll * 20.0, bounds.top() + kFieldGutter - scrolled);
    ShapeLayer ink;
    for (const auto& [colour, path] : laidOut.ink) {
        if (path.isEmpty())
            continue;
        ink.fills.push_back(ShapeLayer::Fill::solid(colour, place.map(path)));
    }
    if (!ink.fills.empty())
        text_->layers.push_back(std::move(ink));
    return *text_;
}

} // namespace movie
