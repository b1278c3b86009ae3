#pragma once

#include <QObject>
#include <functional>

class QWidget;

// Routes the mouse events of one canvas element to the canvas window's
// handlers. Events that reach the element's inner parts (a tree's viewport,
// a memo's text area, their scroll bars) count as events of the element, with the pointer
// position in the element's own coordinates. Routed events are consumed, so
// the controls themselves never act on a mouse press.
class ElementMouse : public QObject {
public:
    // sender, button (Qt::NoButton for moves), x and y in the element
    using Handler = std::function<void(QWidget*, Qt::MouseButton, int, int)>;

    struct Handlers {
        Handler press;
        Handler move;
        Handler release;
    };

    // Attaches handlers to an element and its inner parts; the filter lives
    // as long as the element.
    static void attach(QWidget* element, Handlers handlers);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ElementMouse(QWidget* element, Handlers handlers);

    QWidget* element_;
    Handlers handlers_;
};
