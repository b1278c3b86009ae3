#pragma once

#include "base/Colour.h"

#include <QWidget>

// A colour swatch: a text-less label of fixed size painted in the colour it
// holds. A click (press and release over it with the left button) emits
// clicked(); what the click does belongs to the window that owns it.
class ColourSwatch : public QWidget {
    Q_OBJECT

public:
    explicit ColourSwatch(TColor colour, QWidget* parent = nullptr);

    TColor color() const { return colour_; }
    void setColor(TColor colour);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    TColor colour_;
    bool pressed_ = false;
};
