#pragma once

#include "movie/format/Movie.h"

#include <QString>
#include <memory>

namespace movie {

// One trace() message as the player's log writes it: a CR starts a line
// of its own, NUL characters are left out, a line break ends it.
QString traceLogLine(const QString& message);

// Plays a movie for `frames` frames without drawing it and returns its
// trace log; a script's fscommand("quit") ends the run early.
QString traceLog(std::shared_ptr<const Movie> movie, int frames);

} // namespace movie
