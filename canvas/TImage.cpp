#include "canvas/TImage.h"

#include "canvas/ElementGeometry.h"
#include "platform/PicturePreloader.h"

#include <QPainter>

TImage::TImage(QWidget* parent) : QWidget(parent) { setCursor(Qt::ArrowCursor); }

void TImage::loadFromFile(const QString& path)
{
    setPicture(PicturePreloader::load(path, PicturePreloader::Reader::ByExtension));
}

void TImage::loadBitmapFromFile(const QString& path)
{
    setPicture(PicturePreloader::load(path, PicturePreloader::Reader::Bitmap));
}

QImage& TImage::drawingSurface()
{
    if (picture_.isNull() && width() > 0 && height() > 0) {
        QImage blank(size(), QImage::Format_RGB32);
        blank.fill(Qt::white);
        setPicture(std::move(blank));
    }
    return picture_;
}

void TImage::setPicture(QImage picture)
{
    picture_ = std::move(picture);
    // A new picture sets the element's bounds again, so it takes the
    // picture's size; the canvas hears of it like any other change.
    Element::setBounds(this, x(), y(), width(), height());
    update();
}

void TImage::paintEvent(QPaintEvent*)
{
    if (picture_.isNull())
        return;
    QPainter painter(this);
    painter.drawImage(0, 0, picture_);
}
