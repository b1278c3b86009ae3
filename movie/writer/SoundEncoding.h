#pragma once

#include <QByteArray>
#include <vector>

// Codes sound for movies written from code: samples are 16-bit, channels
// interleaved.
namespace movie::writer {

QByteArray pcm16(const std::vector<qint16>& samples); // little-endian
QByteArray pcm8(const std::vector<qint16>& samples);  // unsigned, 128 the middle
// ADPCM with codes of `codeBits` (2 to 5) bits: each code is the one whose
// decoded sample comes nearest the input.
QByteArray adpcm(const std::vector<qint16>& samples, int channels, int codeBits);

// The MPEG audio frames of an MP3 file, without its tags and without the
// info frame an encoder puts first; `samplesPerFrame` gets the frames' length.
std::vector<QByteArray> mpegFrames(const QByteArray& file, int* samplesPerFrame = nullptr);

} // namespace movie::writer
