#pragma once

#include "movie/Filters.h"
#include "movie/Geometry.h"
#include "movie/sound/SoundTypes.h"

#include <QByteArray>
#include <optional>
#include <vector>

namespace movie {

// One timeline-steering action of a frame script. Scripts are reduced to
// these; every other action is dropped when the movie is read.
struct Action {
    enum class Kind { Play, Stop, NextFrame, PreviousFrame, GotoFrame, GotoLabel };
    Kind kind = Kind::Stop;
    int frame = 0;    // GotoFrame: 0-based
    QByteArray label; // GotoLabel
};
using ActionList = std::vector<Action>;

// PlaceObject 1..3 (and button records) reduced to what the display list uses.
struct PlaceCommand {
    quint16 depth = 0;
    bool move = false;
    bool hasCharacter = false;
    quint16 characterId = 0;
    bool hasMatrix = false;
    Matrix matrix;
    bool hasColorTransform = false;
    ColorTransform colorTransform;
    bool hasRatio = false;
    quint16 ratio = 0;
    bool hasClipDepth = false;
    quint16 clipDepth = 0;
    bool hasBlendMode = false;
    quint8 blendMode = 0;
    bool hasVisible = false;
    bool visible = true;
    bool hasFilters = false;
    std::shared_ptr<const FilterList> filters;
    bool hasCacheAsBitmap = false;
    bool cacheAsBitmap = false;
    bool hasBackground = false;
    QColor background; // opaque background of the object's bounds
};

struct FrameCommand {
    enum class Kind { Place, Remove };
    Kind kind = Kind::Place;
    PlaceCommand place; // for Remove only place.depth counts
};

struct Frame {
    std::vector<FrameCommand> commands;
    std::vector<ActionList> scripts;
    QByteArray label;
    std::vector<SoundStart> sounds; // event sounds started or stopped on entering the frame
    QByteArray streamBlock;         // the frame's share of the timeline's stream, coded
};

// A sequence of frames: the movie's own or a sprite's.
struct Timeline {
    std::vector<Frame> frames;
    std::optional<SoundStreamHead> stream; // the format of the frames' stream blocks

    int frameCount() const { return static_cast<int>(frames.size()); }
    // The 0-based frame with this label, or -1.
    int findLabel(const QByteArray& label) const;
};

} // namespace movie
