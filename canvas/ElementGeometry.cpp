#include "canvas/ElementGeometry.h"

#include "canvas/TForm1.h"
#include "canvas/TImage.h"

#include <algorithm>

namespace {

void tellCanvas(QWidget* element)
{
    if (auto* canvas = qobject_cast<TForm1*>(element->parentWidget()))
        canvas->elementChanged();
}

int bounded(int value, int origin, int limit)
{
    return origin + int(std::clamp<qint64>(qint64(value) - origin, -limit, limit));
}

} // namespace

namespace Element {

QPoint origin(const QWidget* element)
{
    if (const auto* canvas = qobject_cast<const TForm1*>(element->parentWidget()))
        return canvas->imgBckGround->pos();
    return {};
}

QRect withinLimits(const QWidget* element, int left, int top, int width, int height)
{
    const QPoint at = origin(element);
    return {bounded(left, at.x(), kPlaceLimit), bounded(top, at.y(), kPlaceLimit), std::clamp(width, 0, kSizeLimit),
            std::clamp(height, 0, kSizeLimit)};
}

bool applyBounds(QWidget* element, int left, int top, int width, int height)
{
    if (const auto* picture = dynamic_cast<const TImage*>(element)) {
        width = picture->pictureSize().width();
        height = picture->pictureSize().height();
    }
    const QRect bounds(left, top, width, height);
    if (element->geometry() == bounds)
        return false;
    element->setGeometry(bounds);
    return true;
}

void setBounds(QWidget* element, int left, int top, int width, int height)
{
    const QRect bounds = withinLimits(element, left, top, width, height);
    if (applyBounds(element, bounds.x(), bounds.y(), bounds.width(), bounds.height()))
        tellCanvas(element);
}

void setLeft(QWidget* element, int left)
{
    setBounds(element, left, element->y(), element->width(), element->height());
}

void setTop(QWidget* element, int top) { setBounds(element, element->x(), top, element->width(), element->height()); }

void setWidth(QWidget* element, int width) { setBounds(element, element->x(), element->y(), width, element->height()); }

void setHeight(QWidget* element, int height)
{
    setBounds(element, element->x(), element->y(), element->width(), height);
}

void setVisible(QWidget* element, bool visible)
{
    if (isVisible(element) == visible)
        return;
    element->setVisible(visible);
    tellCanvas(element);
}

} // namespace Element
