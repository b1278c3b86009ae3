#include "movie/format/BitmapPixels.h"

namespace movie {

BitmapPixels::BitmapPixels(QImage image, bool transparent, std::function<void(qint64)> release)
    : image_(std::move(image)), transparent_(transparent), release_(std::move(release))
{}

BitmapPixels::~BitmapPixels() { dispose(); }

void BitmapPixels::dispose()
{
    if (image_.isNull())
        return;
    const qint64 pixels = qint64(image_.width()) * image_.height();
    image_ = QImage();
    ++version_;
    if (release_)
        release_(pixels);
}

} // namespace movie
