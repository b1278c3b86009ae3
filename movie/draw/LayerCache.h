#pragma once

#include "movie/DisplayList.h"

#include <QImage>
#include <QTransform>
#include <unordered_map>

namespace movie {

// Pictures of filtered and blended objects kept from one frame to the
// next: an object that stands still with unchanged content is not drawn
// and filtered again, also while it fades (its colour transform applies to
// the picture after the cache). An entry is found by the object, where it
// stands and a signature of everything within it; entries not used for a
// frame are dropped.
class LayerCache {
public:
    struct Key {
        const DisplayObject* object = nullptr;
        QTransform transform;
        quint64 signature = 0;
        QRectF area; // of the picture it is drawn into
        bool antialiased = true;
        bool operator==(const Key&) const = default;
    };

    // The picture and its place, or null.
    const QImage* find(const Key& key, QPoint& at);
    void store(const Key& key, const QImage& layer, QPoint at);
    // Ends a frame: what it did not use goes.
    void endFrame();

    // A signature of the object and everything drawn within it; the
    // object's own matrix and colour transform aside, which the key's
    // transform and the drawing after the cache take care of.
    static quint64 signature(const DisplayObject& object, int nesting = 0);

private:
    struct Entry {
        Key key;
        QImage layer;
        QPoint at;
        bool used = true;
    };
    std::unordered_multimap<const DisplayObject*, Entry> entries_;
    qint64 pixels_ = 0;
};

} // namespace movie
