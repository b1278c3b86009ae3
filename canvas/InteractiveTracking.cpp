#include "canvas/InteractiveTracking.h"

#include "canvas/ElementGeometry.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {
InteractiveTracking* current = nullptr;
} // namespace

void InteractiveTracking::start(QWidget* element, Mode mode, QPoint pressedAt)
{
    delete current; // one interactive operation at a time
    current = new InteractiveTracking(element, mode, element->mapToGlobal(pressedAt));
}

bool InteractiveTracking::active() { return current != nullptr; }

InteractiveTracking::InteractiveTracking(QWidget* element, Mode mode, QPoint pointer)
    : element_(element), mode_(mode), startPointer_(pointer), startBounds_(element->geometry())
{
    current = this;
    qApp->installEventFilter(this);
    element_->grabMouse(mode == Mode::Move ? Qt::SizeAllCursor : Qt::SizeFDiagCursor);
}

InteractiveTracking::~InteractiveTracking()
{
    qApp->removeEventFilter(this);
    if (QWidget::mouseGrabber() == element_)
        element_->releaseMouse();
    if (current == this)
        current = nullptr;
}

bool InteractiveTracking::eventFilter(QObject* watched, QEvent* event)
{
    // Mouse events reach the window first and then the widget under the
    // grab; acting on the widget's copy leaves the window's own bookkeeping
    // of the pressed buttons intact.
    if (!watched->isWidgetType())
        return false;
    switch (event->type()) {
    case QEvent::MouseMove:
        follow(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        follow(static_cast<QMouseEvent*>(event)->globalPosition().toPoint());
        finish();
        return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        return true;
    default:
        return false;
    }
}

void InteractiveTracking::follow(QPoint pointer)
{
    const QPoint offset = pointer - startPointer_;
    if (mode_ == Mode::Move) {
        // The canvas follows only at the next change, but the limits hold at once.
        const QRect bounds =
            Element::withinLimits(element_, startBounds_.x() + offset.x(), startBounds_.y() + offset.y(),
                                  startBounds_.width(), startBounds_.height());
        Element::applyBounds(element_, bounds.x(), bounds.y(), bounds.width(), bounds.height());
    } else {
        const auto side = [](int start, int change) {
            return std::max(std::min(start, kSmallestSide), start + change);
        };
        Element::setBounds(element_, element_->x(), element_->y(), side(startBounds_.width(), offset.x()),
                           side(startBounds_.height(), offset.y()));
    }
}

void InteractiveTracking::finish()
{
    deleteLater();
    qApp->removeEventFilter(this);
    if (QWidget::mouseGrabber() == element_)
        element_->releaseMouse();
    current = nullptr;
}
