#include "canvas/ElementMouse.h"

#include "base/Application.h"

#include <QAbstractScrollArea>
#include <QMouseEvent>
#include <QScrollBar>
#include <QWidget>

ElementMouse::ElementMouse(QWidget* element, Handlers handlers)
    : QObject(element), element_(element), handlers_(std::move(handlers))
{}

void ElementMouse::attach(QWidget* element, Handlers handlers)
{
    auto* filter = new ElementMouse(element, std::move(handlers));
    element->installEventFilter(filter);
    if (auto* area = qobject_cast<QAbstractScrollArea*>(element)) {
        area->viewport()->installEventFilter(filter);
        // A small tree or memo may be all scroll bar: its bars are parts of
        // it too, or it could no longer be grabbed.
        area->horizontalScrollBar()->installEventFilter(filter);
        area->verticalScrollBar()->installEventFilter(filter);
    }
    // Moves are reported with no button held too, as the handlers decide
    // for themselves whether a move means anything.
    if (filter->handlers_.move)
        element->setMouseTracking(true);
}

bool ElementMouse::eventFilter(QObject*, QEvent* event)
{
    Handler* handler = nullptr;
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: // a second press, as far as the canvas is concerned
        handler = &handlers_.press;
        break;
    case QEvent::MouseMove:
        handler = &handlers_.move;
        break;
    case QEvent::MouseButtonRelease:
        handler = &handlers_.release;
        break;
    case QEvent::ContextMenu: // a right press resizes; no part shows a menu
        return true;
    default:
        return false;
    }
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (*handler) {
        const QPoint at = element_->mapFromGlobal(mouse->globalPosition().toPoint());
        const Qt::MouseButton button = mouse->button();
        const Handler run = *handler; // the handler may outlive nothing it needs
        QWidget* sender = element_;
        Application::runBehaviour([&] { run(sender, button, at.x(), at.y()); });
    }
    return true;
}
