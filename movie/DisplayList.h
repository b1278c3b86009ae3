#pragma once

#include "movie/Movie.h"

#include <map>
#include <memory>

namespace movie {

struct SpriteInstance;

// A character placed at a depth of a timeline.
struct DisplayObject {
    quint16 characterId = 0;
    const Character* character = nullptr; // null when the id is not defined
    Matrix matrix;
    ColorTransform colorTransform;
    quint16 ratio = 0;
    quint16 clipDepth = 0; // non-zero: a mask over the depths up to this one
    quint8 blendMode = 0;  // as the file numbers them; 0 and 1 normal
    bool visible = true;
    std::shared_ptr<const FilterList> filters; // null or empty: none
    bool cacheAsBitmap = false;
    QColor background; // invalid: none
    std::shared_ptr<SpriteInstance> sprite;
};

// A running timeline: the movie's own or a placed sprite's.
struct SpriteInstance : std::enable_shared_from_this<SpriteInstance> {
    const Timeline* timeline = nullptr;
    int frame = -1; // 0-based; -1 before the first frame is entered
    bool playing = true;
    int nesting = 0;
    quint64 bornAtStep = 0;
    std::map<int, DisplayObject> objects; // by depth, drawn in ascending order
};

} // namespace movie
