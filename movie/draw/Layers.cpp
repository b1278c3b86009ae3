#include "movie/draw/Layers.h"

#include <QPainter>
#include <algorithm>

namespace movie {

namespace {

// The modes Qt's painter draws as the reference player does.
QPainter::CompositionMode compositionOf(quint8 mode)
{
    switch (static_cast<BlendMode>(mode)) {
    case BlendMode::Multiply:
        return QPainter::CompositionMode_Multiply;
    case BlendMode::Screen:
        return QPainter::CompositionMode_Screen;
    case BlendMode::Lighten:
        return QPainter::CompositionMode_Lighten;
    case BlendMode::Darken:
        return QPainter::CompositionMode_Darken;
    case BlendMode::Difference:
        return QPainter::CompositionMode_Difference;
    case BlendMode::Add:
        return QPainter::CompositionMode_Plus;
    case BlendMode::Overlay:
        return QPainter::CompositionMode_Overlay;
    case BlendMode::Hardlight:
        return QPainter::CompositionMode_HardLight;
    case BlendMode::Alpha:
        return QPainter::CompositionMode_DestinationIn;
    case BlendMode::Erase:
        return QPainter::CompositionMode_DestinationOut;
    default:
        return QPainter::CompositionMode_SourceOver;
    }
}

// Invert: each colour below turned to its opposite as far as the layer
// covers it. A white layer of the same coverage drawn in difference mode
// does exactly that.
QImage inverter(const QImage& layer)
{
    QImage white(layer.size(), QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < layer.height(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y));
        auto* dst = reinterpret_cast<QRgb*>(white.scanLine(y));
        for (int x = 0; x < layer.width(); ++x) {
            const int a = qAlpha(src[x]);
            dst[x] = qRgba(a, a, a, a);
        }
    }
    return white;
}

// Subtract: the layer's colour taken from the colour below, as far as the
// layer covers it.
void subtract(QImage& target, const QImage& layer, QPoint at)
{
    const QRect area = QRect(at, layer.size()) & target.rect();
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto* src = reinterpret_cast<const QRgb*>(layer.constScanLine(y - at.y())) - at.x();
        auto* dst = reinterpret_cast<QRgb*>(target.scanLine(y));
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb s = src[x];
            const int a = qAlpha(s);
            if (a == 0)
                continue;
            const QRgb colour = qUnpremultiply(s);
            const QRgb d = dst[x];
            auto ch = [a](int below, int taken) { return below - (a * std::min(below, taken) + 127) / 255; };
            dst[x] =
                qRgba(ch(qRed(d), qRed(colour)), ch(qGreen(d), qGreen(colour)), ch(qBlue(d), qBlue(colour)), qAlpha(d));
        }
    }
}

} // namespace

void transformLayer(QImage& layer, const ColorTransform& cx)
{
    const int w = layer.width(), h = layer.height();
    if (cx.rm == 1 && cx.gm == 1 && cx.bm == 1 && cx.ra == 0 && cx.ga == 0 && cx.ba == 0 && cx.aa == 0) {
        // Alpha alone: a premultiplied pixel fades as a whole.
        const auto amount = static_cast<quint32>(std::clamp(static_cast<int>(cx.am * 256), 0, 256));
        for (int y = 0; y < h; ++y) {
            auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
            for (int x = 0; x < w; ++x) {
                const QRgb c = line[x];
                line[x] = ((((c & 0x00FF00FF) * amount) >> 8) & 0x00FF00FF)
                    | ((((c >> 8) & 0x00FF00FF) * amount) & 0xFF00FF00);
            }
        }
        return;
    }
    auto ch = [](int v, double m, double add) { return std::clamp(static_cast<int>(v * m + add), 0, 255); };
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(layer.scanLine(y));
        for (int x = 0; x < w; ++x) {
            if (qAlpha(line[x]) == 0)
                continue;
            const QRgb c = qUnpremultiply(line[x]);
            line[x] = qPremultiply(qRgba(ch(qRed(c), cx.rm, cx.ra), ch(qGreen(c), cx.gm, cx.ga),
                                         ch(qBlue(c), cx.bm, cx.ba), ch(qAlpha(c), cx.am, cx.aa)));
        }
    }
}

void clipLayer(QImage& layer, const QPainterPath& clip, QPoint at)
{
    QPainterPath outside;
    outside.setFillRule(Qt::OddEvenFill);
    outside.addRect(QRectF(at, layer.size()).adjusted(-1, -1, 1, 1));
    outside.addPath(clip.intersected(outside));
    QPainter p(&layer);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setCompositionMode(QPainter::CompositionMode_DestinationOut);
    p.translate(-at.x(), -at.y());
    p.fillPath(outside, Qt::black);
}

void compositeLayer(QPainter& painter, QImage* target, const QImage& layer, QPoint at, quint8 mode)
{
    if (mode == static_cast<quint8>(BlendMode::Subtract)) {
        if (target) {
            subtract(*target, layer, at);
            return;
        }
        mode = static_cast<quint8>(BlendMode::Normal);
    }
    const bool invert = mode == static_cast<quint8>(BlendMode::Invert);
    painter.setCompositionMode(invert ? QPainter::CompositionMode_Difference : compositionOf(mode));
    painter.drawImage(at, invert ? inverter(layer) : layer);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
}

} // namespace movie
