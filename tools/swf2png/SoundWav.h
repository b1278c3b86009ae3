#pragma once

#include <QString>
#include <QStringList>
#include <memory>

namespace movie {
class Movie;
class MoviePlayer;
} // namespace movie

// Plays `frames` frames of the movie from the player's current frame (each
// frame after the first a step) and writes their sound to a 16-bit stereo
// WAV file at 44.1 kHz. False when the file cannot be written; `warnings`
// gets the sounds that could not be played.
bool writeMovieSound(const std::shared_ptr<const movie::Movie>& movie, movie::MoviePlayer& player, int frames,
                     const QString& path, QStringList* warnings);
