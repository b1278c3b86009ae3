#pragma once

#include <QString>

// The skin's two sounds in the data folder: the intro music and the button
// sound, each a file under a fixed base name ("music", "buttons") with the
// extension ".wav" or ".mp3", the WAV file taking precedence.
namespace SoundFiles {

inline QString music() { return QStringLiteral("music"); }
inline QString buttons() { return QStringLiteral("buttons"); }

// The data folder's file of a sound: base name and extension as given
// (".wav", ".mp3", ".tmp", or any other, possibly empty), letter case kept.
QString path(const QString& baseName, const QString& extension);

// True for an existing file; a folder does not count.
bool exists(const QString& path);

} // namespace SoundFiles
