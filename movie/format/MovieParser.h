#pragma once

namespace movie {

class Movie;
class SwfReader;

// Reads the tags of a movie's body (after its header) into the movie: its
// dictionary, background and main timeline. What cannot be read is noted
// in the movie's damage and warnings; the rest stays usable.
void parseMovieTags(Movie& movie, SwfReader& body, bool containerTruncated);

} // namespace movie
