#pragma once

#include "movie/format/Movie.h"

#include <map>
#include <memory>

namespace movie {

namespace avm1 {
class Object;
}
struct SpriteInstance;
class EditField;

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
    std::shared_ptr<EditField> field;
    QString name; // the instance name scripts know it by
};

// What scripts made of an object's placement: once they move it, the
// timeline no longer does; _xscale, _yscale (percent), _rotation and skew
// (degrees) as last set or read, so that scripts get back what they set.
struct ScriptTransform {
    bool transformedByScript = false;
    bool transformCached = false;
    double scaleX = 100, scaleY = 100, rotation = 0, skew = 0;
};

// A running timeline: the movie's own or a placed sprite's.
struct SpriteInstance : std::enable_shared_from_this<SpriteInstance>, ScriptTransform {
    const Timeline* timeline = nullptr;
    int frame = -1; // 0-based; -1 before the first frame is entered
    bool playing = true;
    int nesting = 0;
    std::map<int, DisplayObject> objects; // by depth, drawn in ascending order

    // Scripting: where the sprite stands, its script object (owned by the
    // player's script runtime) and the event handlers it was placed with.
    std::weak_ptr<SpriteInstance> parent;
    int depth = 0;
    avm1::Object* object = nullptr;
    std::shared_ptr<const ClipActions> clipActions;
    bool loaded = false;          // its load event has been sent
    bool removed = false;         // taken off the display list
    bool pendingRemoval = false;  // unloaded, kept at a negative depth until the next step for its handlers
    bool placedByScript = false;  // attached, duplicated or created: the timeline leaves it alone
    bool staticTextGiven = false; // a duplicate took its static text, as text snapshots see it
    qint8 focusRect = 0;          // _focusrect: unset (0), on (1), off (-1)
};

// The timeline at the top of the clip's tree (the clip itself without a
// parent); null for null.
inline SpriteInstance* rootOf(SpriteInstance* clip)
{
    while (clip) {
        auto parent = clip->parent.lock();
        if (!parent)
            break;
        clip = parent.get();
    }
    return clip;
}

} // namespace movie
