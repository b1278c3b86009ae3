#pragma once

#include <QProxyStyle>

// The spacings of the classic Windows controls the options window was laid
// out with, where this platform's style is roomier: a check box's text
// starts 4 pixels after its box, and a tree node's picture and text have no
// extra focus margin. Without it the longer Russian texts would be cut at
// the window's own control sizes.
class ClassicMetricsStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option = nullptr,
                    const QWidget* widget = nullptr) const override;
};
