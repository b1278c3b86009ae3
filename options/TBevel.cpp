#include "options/TBevel.h"

#include <QPainter>

void TBevel::paintEvent(QPaintEvent*)
{
    // A shadow line with a highlight line beneath it.
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(0, 0, width() - 1, 0);
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(0, 1, width() - 1, 1);
}
