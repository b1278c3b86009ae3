#include "options/ClickableImage.h"

#include <QMouseEvent>
#include <QPainter>

ClickableImage::ClickableImage(QWidget* parent) : QWidget(parent) {}

void ClickableImage::setPicture(const QPixmap& picture)
{
    picture_ = picture;
    update();
}

void ClickableImage::setProportional(bool proportional)
{
    proportional_ = proportional;
    update();
}

void ClickableImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    QSize size = picture_.size();
    // Only pictures larger than the control are scaled, and only down.
    if (proportional_ && (size.width() > width() || size.height() > height())) {
        size.scale(this->size(), Qt::KeepAspectRatio);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
    }
    painter.drawPixmap(QRect(QPoint(0, 0), size), picture_);
}

void ClickableImage::mousePressEvent(QMouseEvent* event) { pressed_ = event->button() == Qt::LeftButton; }

void ClickableImage::mouseReleaseEvent(QMouseEvent* event)
{
    const bool click = pressed_ && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    pressed_ = false;
    if (click)
        emit clicked();
}
