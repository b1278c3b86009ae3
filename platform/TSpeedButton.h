#pragma once

#include <QAbstractButton>

// A flat button: no frame and no background of its own, only its caption,
// with a raised border while the pointer is over it. It takes no keyboard
// focus. The canvas's small buttons have no action; the options window's
// Save and Exit buttons connect to clicked().
class TSpeedButton : public QAbstractButton {
public:
    explicit TSpeedButton(const QString& caption, QWidget* parent = nullptr);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    bool hovered_ = false;
};
