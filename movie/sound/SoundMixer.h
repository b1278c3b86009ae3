#pragma once

#include "movie/sound/SoundDecoder.h"

#include <QStringList>
#include <memory>
#include <vector>

namespace movie {

// The rate of everything the mixer puts out: stereo sample frames a second.
constexpr int kMixRate = 44100;

// Mixes the playing sounds of a movie, each decoded as it goes and brought
// to the mixer's rate, into stereo floats. Not thread-safe: whoever plays it
// on another thread serialises the calls.
class SoundMixer {
public:
    SoundMixer();
    ~SoundMixer();
    SoundMixer(const SoundMixer&) = delete;
    SoundMixer& operator=(const SoundMixer&) = delete;

    using VoiceId = quint64; // 0 is none

    // Starts a copy of a sound of the dictionary, which must outlive it, as
    // `info` says (in and out points, loops, envelope; not its stop and
    // no-multiple flags, which are the caller's). 0 when it cannot play.
    VoiceId startSound(quint16 soundId, const SoundDef& sound, const SoundInfo& info);
    // Stops every copy of the sound.
    void stopSound(quint16 soundId);
    bool isPlaying(quint16 soundId) const;
    bool isVoicePlaying(VoiceId voice) const;
    // Starts a stream: the coded blocks one after another, as `head` says.
    VoiceId startStream(const SoundStreamHead& head, std::unique_ptr<CodedPieces> blocks);
    void stop(VoiceId voice);
    // How a voice's channels reach the speakers, as fractions: left to
    // left, right to left, left to right, right to right (1, 0, 0, 1 as it
    // starts).
    struct Gains {
        float ll = 1, lr = 0, rl = 0, rr = 1;
        bool operator==(const Gains&) const = default;
    };
    void setGains(VoiceId voice, const Gains& gains);
    void stopAll();
    int playingCount() const { return int(voices_.size()); }

    // Writes the next `frames` sample frames (two floats each) of all that
    // plays, from -1 to 1; silence when nothing plays.
    void render(float* out, int frames);

    // Why sounds could not be played, each told once.
    const QStringList& warnings() const { return warnings_; }

private:
    struct Voice;
    VoiceId add(std::unique_ptr<Voice> voice, const QString& name);
    void warn(const QString& text);

    std::vector<std::unique_ptr<Voice>> voices_;
    VoiceId lastId_ = 0;
    QStringList warnings_;
};

} // namespace movie
