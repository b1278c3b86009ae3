#pragma once

class QByteArray;

namespace movie {

class Movie;
class SwfReader;

// Reads the tags of a movie's body (after its header) into the movie: its
// dictionary, background and main timeline. What cannot be read is noted
// in the movie's damage and warnings; the rest stays usable.
void parseMovieTags(Movie& movie, SwfReader& body, bool containerTruncated);
// Reads a JPEG, PNG or GIF file into the movie as character 1, placed at
// depth 1 of its only frame; the stage takes the picture's size. Without a
// picture (and why in its warnings) the movie stays empty.
void parsePictureFile(Movie& movie, const QByteArray& bytes);

} // namespace movie
