#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

// Sound files for the tests and benchmarks, written with libsndfile.
namespace ToneFiles {

// libsndfile's format codes for the two kinds of file the editor plays.
extern const int Wav; // 16-bit PCM WAV
extern const int Mp3; // MPEG layer III

// Writes a sine tone of the given length, a second at a time, so that even a
// ten-minute file takes little memory. False when this libsndfile cannot
// write the format or the file.
bool writeTone(const QString& path, int format, double seconds, int channels = 2);

// The bytes of an MP3 file of these samples (16-bit, channels interleaved);
// empty when this libsndfile cannot write MP3 at that rate.
QByteArray mp3Bytes(const std::vector<qint16>& samples, int rate, int channels);

} // namespace ToneFiles
