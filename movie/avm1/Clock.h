#pragma once

#include "movie/avm1/Runtime.h"

namespace movie::avm1 {

// What falls due by the player's clock (Runtime::elapsedMs): the calls of
// setInterval and setTimeout, in the order they fall due, each followed by
// the actions it queued; then the onSoundComplete of every sound a Sound
// object started that has played to its end.
void runDueTimers(Runtime& rt);
void finishSounds(Runtime& rt);
// Whether anything waits on the clock (a timer, a playing Sound object's
// sound): a movie that does is not at rest.
bool hasTimers(Runtime& rt);
bool hasPlayingSounds(Runtime& rt);
inline bool waitsOnClock(Runtime& rt) { return hasTimers(rt) || hasPlayingSounds(rt); }

} // namespace movie::avm1
