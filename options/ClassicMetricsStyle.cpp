#include "options/ClassicMetricsStyle.h"

int ClassicMetricsStyle::pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const
{
    switch (metric) {
    case PM_CheckBoxLabelSpacing:
        return 4;
    case PM_FocusFrameHMargin:
        return 0;
    default:
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
}
