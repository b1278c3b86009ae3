#pragma once

#include <QString>

// Sound files for the tests and benchmarks, written with libsndfile.
namespace ToneFiles {

// libsndfile's format codes for the two kinds of file the editor plays.
extern const int Wav; // 16-bit PCM WAV
extern const int Mp3; // MPEG layer III

// Writes a sine tone of the given length, a second at a time, so that even a
// ten-minute file takes little memory. False when this libsndfile cannot
// write the format or the file.
bool writeTone(const QString& path, int format, double seconds, int channels = 2);

} // namespace ToneFiles
