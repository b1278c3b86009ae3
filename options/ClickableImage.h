#pragma once

#include <QPixmap>
#include <QWidget>

// A picture control of the options window: draws its picture from the top
// left corner, at the picture's own size or, when proportional, scaled down
// to fit the control keeping its proportions. Transparent where the picture
// is. A left click (press and release over it) emits clicked().
class ClickableImage : public QWidget {
    Q_OBJECT

public:
    explicit ClickableImage(QWidget* parent = nullptr);

    const QPixmap& picture() const { return picture_; }
    void setPicture(const QPixmap& picture);
    void setProportional(bool proportional);

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QPixmap picture_;
    bool proportional_ = false;
    bool pressed_ = false;
};
