#pragma once

#include <QWidget>

// A lowered line along the top edge of its bounds, parting two groups of a
// panel.
class TBevel : public QWidget {
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};
