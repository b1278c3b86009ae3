#pragma once

#include "movie/Timeline.h"

namespace movie {

class SwfReader;

// Reads a DoAction body into the timeline actions it holds. Actions aimed
// at another timeline (after SetTarget) and all others are skipped.
ActionList readActions(SwfReader& r);

} // namespace movie
