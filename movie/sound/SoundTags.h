#pragma once

#include "movie/sound/SoundTypes.h"

#include <QStringList>
#include <map>
#include <memory>
#include <unordered_map>

namespace movie {

class SwfReader;
struct Frame;
struct Timeline;

// The sounds of a movie's dictionary, with the names that export them and
// the sounds of its buttons.
class SoundCatalog {
public:
    // Reads DefineSound, DefineButtonSound, SymbolClass and ExportAssets;
    // returns false for any other tag. A sound that cannot be played is
    // noted in `warnings` and left out.
    bool readDefinition(int code, SwfReader body, QStringList& warnings);

    const SoundDef* sound(quint16 id) const;
    // The id of the sound exported under a class name (StartSound2); 0 for none.
    quint16 soundNamed(const QByteArray& className) const;
    const ButtonSounds* buttonSounds(quint16 buttonId) const;
    // Whether the movie has any sound to play: a sound or a timeline's stream.
    bool hasSound() const { return !sounds_.empty() || hasStreams_; }
    void noteStream() { hasStreams_ = true; }

private:
    std::unordered_map<quint16, std::shared_ptr<const SoundDef>> sounds_;
    std::map<QByteArray, quint16> names_;
    std::unordered_map<quint16, ButtonSounds> buttons_;
    bool hasStreams_ = false;
};

// Reads the sound tags of a timeline: StartSound and StartSound2 into the
// frame being read, SoundStreamHead(2) into the timeline and a
// SoundStreamBlock as the frame's block; a stream head is noted in the
// catalog. Returns whether the frame got something to play; false as well
// for every other tag.
bool readSoundControlTag(int code, SwfReader body, Timeline& timeline, Frame& frame, SoundCatalog& catalog);

} // namespace movie
