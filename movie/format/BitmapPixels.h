#pragma once

#include <QImage>
#include <functional>

namespace movie {

// The pixels of a picture a script makes and changes (BitmapData), shared
// by its script object and the clips it is attached to. Premultiplied
// ARGB, as the player keeps them; an opaque picture keeps every alpha at
// 255. Disposed, it has no pixels and draws nothing.
class BitmapPixels {
public:
    // `release` is told the pixels given back when they go.
    BitmapPixels(QImage image, bool transparent, std::function<void(qint64)> release = {});
    ~BitmapPixels();
    BitmapPixels(const BitmapPixels&) = delete;
    BitmapPixels& operator=(const BitmapPixels&) = delete;

    const QImage& image() const { return image_; }
    // For a change: the version moves on.
    QImage& edit()
    {
        ++version_;
        return image_;
    }
    bool transparent() const { return transparent_; }
    bool disposed() const { return image_.isNull(); }
    int width() const { return image_.width(); }
    int height() const { return image_.height(); }
    quint64 version() const { return version_; }
    void dispose();

private:
    QImage image_;
    bool transparent_;
    quint64 version_ = 0;
    std::function<void(qint64)> release_;
};

} // namespace movie
