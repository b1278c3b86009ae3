#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>

class QWidget;

// The window system's interactive move and resize of a windowed element,
// as the editor provides them: once started, the element follows the
// pointer until a mouse button is released, and keeps the bounds reached.
// Moves leave the canvas's auto-size for its next change; each resize step
// lets the canvas follow at once.
class InteractiveTracking : public QObject {
public:
    enum class Mode { Move, ResizeBottomRight };

    // A resize never makes an element smaller than this, so that it can
    // always be grabbed again; one already smaller keeps its own size.
    static constexpr int kSmallestSide = 8;

    // Starts tracking from the place of the press that asked for it, given
    // in the element's own coordinates.
    static void start(QWidget* element, Mode mode, QPoint pressedAt);
    // Whether a move or resize is in progress.
    static bool active();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    InteractiveTracking(QWidget* element, Mode mode, QPoint pointer);
    ~InteractiveTracking() override;
    void follow(QPoint pointer);
    void finish();

    QWidget* element_;
    Mode mode_;
    QPoint startPointer_;
    QRect startBounds_;
};
