#pragma once

#include "movie/Limits.h"
#include "movie/format/BitmapPixels.h"
#include "movie/format/Drawing.h"
#include "movie/format/Movie.h"

#include <map>
#include <memory>
#include <optional>

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
    // A script's place for it in the Tab order.
    std::optional<qint32> tabIndex;
    // Scripts: the window of a sprite's content it shows (pixels, from
    // the content's origin), and a picture attached in place of a character.
    std::optional<QRectF> scrollRect;
    std::shared_ptr<const BitmapPixels> bitmap;
    bool smoothing = false;
    std::shared_ptr<SpriteInstance> sprite;
    std::shared_ptr<EditField> field;
    QString name; // the instance name scripts know it by
};

// How loud a clip's sounds play, as Sound objects set it: the volume, and
// how much of each channel goes to each speaker (ll: left to left, lr:
// right to left, rr, rl), all in percent.
struct SoundTransform {
    double volume = 100;
    double ll = 100, lr = 0, rr = 100, rl = 0;
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
    // The movie whose dictionary its frames place characters from: the
    // player's, or one a script loaded into this clip or an ancestor.
    std::shared_ptr<const Movie> movie;
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
    // What its scripts drew (null for nothing), below its children.
    std::shared_ptr<Drawing> drawing;
    SoundTransform sound;
    // setMask: the clip that masks this one, and the clip this one masks
    // (a mask is not drawn itself).
    std::weak_ptr<SpriteInstance> mask;
    std::weak_ptr<SpriteInstance> masking;
};

// The display object a sprite stands as in its parent; null for a root or
// a sprite taken off its parent's list.
inline DisplayObject* placementOf(const SpriteInstance& clip)
{
    const auto parent = clip.parent.lock();
    if (!parent)
        return nullptr;
    const auto it = parent->objects.find(clip.depth);
    return it != parent->objects.end() && it->second.sprite.get() == &clip ? &it->second : nullptr;
}

// From a sprite's coordinates to its root's, in twips (the root's own
// placement left out).
inline QTransform transformToRoot(const SpriteInstance& clip)
{
    QTransform t;
    const SpriteInstance* at = &clip;
    for (int guard = 0; at && guard <= limits::kMaxNesting + 1; ++guard) {
        const DisplayObject* placed = placementOf(*at);
        if (!placed)
            break;
        t = t * placed->matrix.toTransform();
        at = at->parent.lock().get();
    }
    return t;
}

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
