#include "ArtworkDrawing.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

QImage transparentPicture(int width, int height)
{
    QImage picture(width, height, QImage::Format_ARGB32_Premultiplied);
    picture.fill(Qt::transparent);
    return picture;
}

QFont pictureFont(int pixelSize, bool bold, bool italic = false)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

// A black shape with a white edge, as both player icons are drawn.
QImage edgedIcon(const QPainterPath& shape)
{
    QImage icon = transparentPicture(32, 32);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::white, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    painter.setBrush(Qt::black);
    painter.drawPath(shape);
    return icon;
}

} // namespace

namespace ArtworkDrawing {

QImage playIcon()
{
    QPainterPath triangle;
    triangle.moveTo(9, 5);
    triangle.lineTo(27, 16);
    triangle.lineTo(9, 27);
    triangle.closeSubpath();
    return edgedIcon(triangle);
}

QImage stopIcon()
{
    QPainterPath square;
    square.addRect(7, 7, 18, 18);
    return edgedIcon(square);
}

QImage houseIcon()
{
    QImage icon = transparentPicture(16, 16);
    QPainter painter(&icon);
    painter.setPen(QColor(64, 32, 16));
    // Walls with a door and a window.
    painter.setBrush(QColor(240, 224, 176));
    painter.drawRect(3, 7, 10, 7);
    painter.setBrush(QColor(128, 80, 32));
    painter.drawRect(5, 10, 2, 4);
    painter.setBrush(QColor(96, 160, 224));
    painter.drawRect(9, 9, 2, 2);
    // The roof and a chimney.
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(192, 48, 32));
    painter.drawPolygon(QPolygonF({QPointF(1, 8), QPointF(8, 1.5), QPointF(15, 8)}));
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawRect(11, 2, 2, 3);
    return icon;
}

QImage aboutBanner()
{
    QImage banner = transparentPicture(175, 47);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 39);
    sky.setColorAt(0, QColor(40, 70, 140));
    sky.setColorAt(1, QColor(10, 25, 70));
    // The plate leaves the bottom rows clear for the version line below it.
    painter.setBrush(sky);
    painter.setPen(QPen(QColor(200, 210, 240), 1));
    painter.drawRoundedRect(QRectF(0.5, 0.5, 174, 38), 8, 8);

    painter.setFont(pictureFont(24, true, true));
    const QRect textArea(0, 0, 175, 34);
    painter.setPen(QColor(0, 0, 0, 140));
    painter.drawText(textArea.translated(2, 2), Qt::AlignCenter, QStringLiteral("Skinedit"));
    painter.setPen(QColor(255, 220, 120));
    painter.drawText(textArea, Qt::AlignCenter, QStringLiteral("Skinedit"));
    // A thin stripe below the name.
    painter.setPen(QPen(QColor(255, 220, 120, 160), 1));
    painter.drawLine(QPointF(30, 32.5), QPointF(145, 32.5));
    return banner;
}

QImage aboutEmblem()
{
    // A disc with a rainbow sheen, and a brush stroke across it.
    QImage emblem = transparentPicture(136, 85);
    QPainter painter(&emblem);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(52, 42.5);
    QRadialGradient sheen(centre, 40);
    sheen.setColorAt(0.15, QColor(230, 230, 240));
    sheen.setColorAt(0.45, QColor(170, 210, 255));
    sheen.setColorAt(0.65, QColor(255, 200, 230));
    sheen.setColorAt(0.85, QColor(200, 255, 200));
    sheen.setColorAt(1.0, QColor(160, 160, 180));
    painter.setPen(QPen(QColor(90, 90, 110), 1.5));
    painter.setBrush(sheen);
    painter.drawEllipse(centre, 40, 40);
    painter.setBrush(QColor(200, 208, 212));
    painter.drawEllipse(centre, 8, 8);

    QPainterPath stroke;
    stroke.moveTo(70, 70);
    stroke.cubicTo(90, 40, 105, 60, 130, 12);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(200, 40, 40), 7, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(stroke);
    painter.setPen(QPen(QColor(250, 160, 60), 3, Qt::SolidLine, Qt::RoundCap));
    painter.drawPath(stroke);
    return emblem;
}

QImage aboutWordmark()
{
    QImage wordmark = transparentPicture(135, 35);
    QPainter painter(&wordmark);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setFont(pictureFont(19, true));
    const QRect textArea(0, 0, 135, 35);
    painter.setPen(QColor(255, 255, 255));
    painter.drawText(textArea.translated(1, 1), Qt::AlignCenter, QStringLiteral("Corvadine"));
    painter.setPen(QColor(20, 60, 120));
    painter.drawText(textArea, Qt::AlignCenter, QStringLiteral("Corvadine"));
    return wordmark;
}

} // namespace ArtworkDrawing
