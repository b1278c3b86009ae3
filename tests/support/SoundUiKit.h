#pragma once

#include <QString>

namespace SoundUiKit {

// A short stereo tone in a WAV or MP3 file; false when this libsndfile
// cannot write it.
bool writeWav(const QString& path, double seconds = 2.0);
bool writeMp3(const QString& path, double seconds = 2.0);

// A file whose header claims a WAV file but holds no sound.
void writeDamagedWav(const QString& path);

// The file's bytes, or empty when it cannot be read.
QByteArray contentOf(const QString& path);

} // namespace SoundUiKit
