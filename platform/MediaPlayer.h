#pragma once

#include "platform/AudioOutput.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <vector>

struct sf_private_tag; // libsndfile's SNDFILE

// The options window's hidden media player: one sound file at a time, WAV or
// MP3, decoded by libsndfile and played through an SDL audio device.
//
// It behaves like the media-control player the editor was written against:
// Open closes what is open first and reports the decoder's own description of
// a failure; Play and Stop need an open file ("No MCI device open"); Play
// returns at once and the sound plays once to its end, after which the file
// stays open and silent; Close does nothing when nothing is open.
//
// The sound is decoded from the file a small buffer at a time inside the
// audio callback, so opening and starting a long MP3 is quick and memory does
// not grow with its length. libsndfile and SDL are loaded, and the audio
// subsystem started, on the first Open, so the editor starts without them.
// With SDL_AUDIODRIVER=dummy everything works the same, silently.
class TMediaPlayer {
public:
    TMediaPlayer();
    ~TMediaPlayer();
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    // Stores the path for the next Open; nothing else happens.
    void setFileName(const QString& path);
    const QString& fileName() const { return fileName_; }

    bool isOpen() const { return file_ != nullptr; }
    // True from Play until Stop, Close or the end of the sound.
    bool isPlaying() const;

    // Closes the open file, then opens fileName() and the audio device.
    // On failure throws EditorError with the decoder's or SDL's own text
    // ("Unknown error code" when there is none), or "Cannot load the sound
    // library ..." when libsndfile or SDL is missing; no file is open
    // afterwards.
    void Open();
    // Starts from the current position (the start, after Open or after the
    // sound ran to its end) and returns at once. Throws "No MCI device open".
    void Play();
    // Stops and keeps the position. Throws "No MCI device open".
    void Stop();
    // Closes the device and the file; nothing when nothing is open.
    void Close();

    // How many buffers of decoded sound have been handed to the audio device
    // since this player was made (for measurements and tests).
    std::uint64_t buffersDelivered() const { return buffersDelivered_.load(); }

private:
    void fill(float* out, int frames);
    void requireOpen() const;

    QString fileName_;
    sf_private_tag* file_ = nullptr;
    int fileChannels_ = 0;
    int deviceChannels_ = 0;
    AudioOutput output_;
    bool started_ = false;       // device unpaused by Play, until Stop or Close
    std::vector<float> scratch_; // one buffer of frames with the file's channels

    // Shared with the audio thread (which runs fill under the device's lock).
    std::atomic<bool> ended_{false};
    std::atomic<std::uint64_t> buffersDelivered_{0};
};
