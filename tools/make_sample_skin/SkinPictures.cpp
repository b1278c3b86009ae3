#include "SkinPictures.h"

#include <QFont>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace SkinPictures {
namespace {

// Areas of the background; sample/skin.ini puts the elements on them.
const QColor kHeaderColour(22, 40, 70);
const QColor kStripColour(20, 36, 60);
const QRect kHeader(4, 4, 492, 74);
const QRect kControlChip(412, 6, 82, 24);   // behind the "?", "_" and "i" buttons
const QRect kLogoFrame(14, 12, 69, 53);     // around the logo box
const QRect kTreePanel(14, 110, 224, 182);  // around the folder tree
const QRect kInfoPanel(250, 110, 236, 182); // around the info box
const QRect kStrip(14, 298, 472, 90);       // the buttons

QFont captionFont(int pixelSize, bool bold = true)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// The largest font up to maxPixels whose text fits the width.
QFont fittingFont(const QString& text, int width, int maxPixels, bool bold = true)
{
    QFont font = captionFont(maxPixels, bold);
    for (int px = maxPixels; px > 6; --px) {
        font.setPixelSize(px);
        if (QFontMetrics(font).horizontalAdvance(text) <= width)
            break;
    }
    return font;
}

void drawCaption(QPainter& p, const QRect& area, const QString& text, const QFont& font, QColor colour)
{
    p.setFont(font);
    p.setPen(QColor(0, 0, 0, 150));
    p.drawText(area.translated(1, 1), Qt::AlignCenter, text);
    p.setPen(colour);
    p.drawText(area, Qt::AlignCenter, text);
}

void recessedPanel(QPainter& p, const QRect& r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(8, 14, 26));
    p.drawRoundedRect(r, 4, 4);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(76, 112, 170), 1));
    p.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
}

} // namespace

QImage background()
{
    QImage image(500, 400, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient body(0, 0, 0, 400);
    body.setColorAt(0, QColor(30, 54, 92));
    body.setColorAt(1, QColor(8, 16, 32));
    p.fillRect(image.rect(), body);

    // A faint disc behind the panels, the emblem of a CD menu.
    QRadialGradient glow(QPointF(250, 200), 230);
    glow.setColorAt(0, QColor(120, 170, 240, 60));
    glow.setColorAt(1, QColor(120, 170, 240, 0));
    p.fillRect(image.rect(), glow);
    p.setBrush(Qt::NoBrush);
    for (int r = 40; r <= 220; r += 18) {
        p.setPen(QPen(QColor(150, 190, 255, 22), 1));
        p.drawEllipse(QPointF(250, 200), r, r);
    }

    // Header band, flat so the title picture sits on it without a seam.
    p.fillRect(kHeader, kHeaderColour);
    p.setPen(QPen(QColor(90, 150, 230), 2));
    p.drawLine(kHeader.left(), kHeader.bottom() + 1, kHeader.right(), kHeader.bottom() + 1);

    // A light chip behind the small flat buttons, whose captions are dark.
    p.setPen(QPen(QColor(120, 130, 150), 1));
    p.setBrush(QColor(212, 208, 200));
    p.drawRoundedRect(QRectF(kControlChip).adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);

    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(90, 150, 230), 1));
    p.drawRect(QRectF(kLogoFrame).adjusted(0.5, 0.5, -0.5, -0.5));

    recessedPanel(p, kTreePanel);
    recessedPanel(p, kInfoPanel);

    // The button strip is one flat colour: the buttons' corners match it.
    p.setPen(QPen(QColor(76, 112, 170), 1));
    p.setBrush(kStripColour);
    p.drawRoundedRect(QRectF(kStrip).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);

    // Frame: a light outer line and a dark inner one.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(120, 170, 235), 2));
    p.drawRect(QRectF(1, 1, 498, 398));
    p.setPen(QPen(QColor(4, 8, 16), 1));
    p.drawRect(QRectF(3.5, 3.5, 493, 393));
    return image;
}

QImage title()
{
    QImage image(266, 65, QImage::Format_RGB32);
    image.fill(kHeaderColour);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);

    const QString name = QStringLiteral("Corvadine CD");
    const QFont big = fittingFont(name, 250, 34);
    QPainterPath text;
    const QFontMetrics metrics(big);
    const qreal x = (266 - metrics.horizontalAdvance(name)) / 2.0;
    text.addText(x, 38, big, name);

    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 160));
    p.drawPath(text.translated(2, 2));
    QLinearGradient gold(0, 10, 0, 40);
    gold.setColorAt(0, QColor(255, 248, 220));
    gold.setColorAt(1, QColor(240, 180, 60));
    p.setBrush(gold);
    p.drawPath(text);

    const QFont small = captionFont(12, false);
    p.setFont(small);
    p.setPen(QColor(160, 200, 250));
    p.drawText(QRect(0, 44, 266, 18), Qt::AlignCenter, QStringLiteral("sample menu skin"));
    return image;
}

QImage tab(QSize size, const QString& caption)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient face(0, 0, 0, size.height());
    face.setColorAt(0, QColor(78, 128, 200));
    face.setColorAt(1, QColor(36, 70, 124));
    p.fillRect(image.rect(), face);
    p.setPen(QColor(150, 195, 255));
    p.drawLine(0, 0, size.width() - 1, 0);
    p.setPen(QColor(16, 30, 56));
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    const QRect area = image.rect().adjusted(4, 0, -4, 0);
    drawCaption(p, area, caption, fittingFont(caption, area.width(), 13), Qt::white);
    return image;
}

QImage button(QSize size, const QString& caption, QColor face)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(kStripColour);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    const QRectF body = QRectF(image.rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient shade(0, 0, 0, size.height());
    shade.setColorAt(0, face.lighter(150));
    shade.setColorAt(0.5, face);
    shade.setColorAt(1, face.darker(140));
    p.setPen(QPen(face.darker(220), 1));
    p.setBrush(shade);
    p.drawRoundedRect(body, 7, 7);

    // Gloss on the upper half.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 45));
    p.drawRoundedRect(body.adjusted(2, 2, -2, -body.height() / 2), 5, 5);

    const QRect area = image.rect().adjusted(6, 0, -6, 0);
    drawCaption(p, area, caption, fittingFont(caption, area.width(), 13), Qt::white);
    return image;
}

} // namespace SkinPictures
