#pragma once

#include "movie/DisplayList.h"

#include <QImage>
#include <QTransform>
#include <memory>
#include <unordered_map>

namespace movie {

// Pictures kept from one frame to the next: of filtered and blended objects
// (drawn into a picture of their own anyway) and of shapes with so many
// edges that drawing them again costs more than laying down their picture.
// An object that stands still or only moves, with unchanged content, is not
// drawn and filtered again, also while it fades (its colour transform
// applies to the picture after the cache). A picture is found by what it
// shows (an object and a signature of everything within it, or a shape),
// the transform it was drawn under less its whole-pixel offset, and the
// part of it that was drawn; entries not used for a frame are dropped.
class LayerCache {
public:
    // A transform split into where a picture drawn under it stands (its
    // whole-pixel offset) and the rest, its offset's fraction kept to a 64th
    // of a pixel, finer than edges are drawn. Not valid for offsets beyond
    // what a picture can be placed at.
    struct Placement {
        QTransform rest;
        QPoint offset;
        bool valid = false;
        QTransform transform() const { return rest * QTransform::fromTranslate(offset.x(), offset.y()); }
    };
    static Placement placementOf(const QTransform& t);

    struct Key {
        const void* owner = nullptr; // the display object or the shape drawn
        QTransform rest;             // of its placement
        quint64 signature = 0;
        QRect area;       // of the picture, less the placement's offset
        double scale = 0; // device pixels to a stage pixel, which filters are drawn at
        bool antialiased = true;
        bool operator==(const Key&) const = default;
    };

    // The entry's picture, which is null while it is only marked as seen;
    // null when there is no entry.
    const QImage* find(const Key& key);
    // Adds an entry or replaces its picture. `keep` holds what `owner`
    // points to alive while the entry lives, so that nothing else takes
    // its address meanwhile.
    void store(const Key& key, const QImage& picture, std::shared_ptr<const void> keep = {});
    // Whether a picture of that many pixels still fits.
    bool hasRoom(qint64 pixels) const;
    // Ends a frame: what it did not use goes.
    void endFrame();

    // A signature of the object and everything drawn within it; the
    // object's own matrix and colour transform aside, which the key's
    // transform and the drawing after the cache take care of.
    static quint64 signature(const DisplayObject& object, int nesting = 0);
    static quint64 signature(const ColorTransform& cx);

private:
    struct Entry {
        Key key;
        QImage picture;
        std::shared_ptr<const void> keep;
        bool used = true;
    };
    std::unordered_multimap<const void*, Entry> entries_;
    qint64 pixels_ = 0;
};

} // namespace movie
