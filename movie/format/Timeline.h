#pragma once

#include "movie/draw/Filters.h"
#include "movie/format/Geometry.h"
#include "movie/sound/SoundTypes.h"

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

namespace movie {

// A script: the action bytes of a DoAction tag or an event handler, run by
// the script interpreter (movie/avm1).
using ActionList = QByteArray;

// An event handler a clip is placed with (onClipEvent): the events it
// answers, as the file's flags number them, and its actions.
struct ClipAction {
    // The event flags scripts run on without user input.
    enum Event : quint32 {
        Load = 1u << 0,
        EnterFrame = 1u << 1,
        Unload = 1u << 2,
        Data = 1u << 8,
        Initialize = 1u << 9,
        Construct = 1u << 18
    };
    quint32 events = 0;
    quint8 keyCode = 0;
    ActionList actions;
};
using ClipActions = std::vector<ClipAction>;

// PlaceObject 1..3 (and button records) reduced to what the display list uses.
struct PlaceCommand {
    quint16 depth = 0;
    bool move = false;
    bool hasCharacter = false;
    quint16 characterId = 0;
    QString name;                                   // instance name, empty for none
    std::shared_ptr<const ClipActions> clipActions; // null for none
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
    enum class Kind { Place, Remove, Script };
    Kind kind = Kind::Place;
    PlaceCommand place; // for Remove only place.depth counts
    int script = 0;     // Script: the index in the frame's scripts, run here in tag order
};

struct Frame {
    std::vector<FrameCommand> commands;
    std::vector<ActionList> scripts;
    QByteArray label;
    std::vector<SoundStart> sounds; // event sounds started or stopped on entering the frame
    QByteArray streamBlock;         // the frame's share of the timeline's stream, coded
    // DoInitAction blocks: each runs once, before the frame's own scripts.
    std::vector<std::pair<quint16, ActionList>> initScripts;
};

// A sequence of frames: the movie's own or a sprite's.
struct Timeline {
    std::vector<Frame> frames;
    std::optional<SoundStreamHead> stream; // the format of the frames' stream blocks
    qsizetype byteSize = 0;                // of its tags in the file, as scripts ask for it
    int declaredFrames = 0;                // as its header says, which scripts see as _totalframes
    int shownFrames = 0;                   // frames ended by a ShowFrame tag; tags after the last make one more
    bool ended = false;                    // an End tag closed it: only then does it loop

    int frameCount() const { return static_cast<int>(frames.size()); }
    // The 0-based frame with this label, or -1.
    int findLabel(const QByteArray& label) const;
};

} // namespace movie
