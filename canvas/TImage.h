#pragma once

#include <QImage>
#include <QWidget>

// A picture element of the canvas. It shows one picture at the top left and
// is auto-sized: whenever its bounds are set it takes its picture's size,
// which is 0 x 0 while it has no picture. Until its bounds are first set, an
// element without a picture keeps its layout size and paints nothing.
class TImage : public QWidget {
public:
    explicit TImage(QWidget* parent = nullptr);

    bool hasPicture() const { return !picture_.isNull(); }
    const QImage& picture() const { return picture_; }
    // The size the element takes when its bounds are set.
    QSize pictureSize() const { return picture_.size(); }

    // Loads a file whose format follows its extension (jpg, jpeg or bmp).
    void loadFromFile(const QString& path);
    // Loads a file as a bitmap, whatever its content.
    void loadBitmapFromFile(const QString& path);

    // The picture to draw on. Without a picture, a blank white picture of
    // the element's current size is made first. Call update() after drawing.
    QImage& drawingSurface();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void setPicture(QImage picture);

    QImage picture_;
};
