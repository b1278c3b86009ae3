#pragma once

#include <QString>
#include <cstdint>
#include <functional>

// An SDL audio device that plays 32-bit float samples, taken from a source
// function on SDL's audio thread. SDL is loaded, and its audio started, on
// the first open; the audio stops when the output goes away. Shared by the
// media player and the title movie's sound.
class AudioOutput {
public:
    // Writes `frames` sample frames (channels interleaved) to `out`.
    using Source = std::function<void(float* out, int frames)>;

    AudioOutput() = default;
    ~AudioOutput();
    AudioOutput(const AudioOutput&) = delete;
    AudioOutput& operator=(const AudioOutput&) = delete;

    // Opens the default device, paused, at that rate and channel count, with
    // buffers of `bufferFrames`. Throws EditorError with SDL's own text
    // ("Unknown error code" when it has none) or when SDL cannot be loaded.
    void open(int rate, int channels, int bufferFrames, Source source);
    // Closes the device, after the audio thread has finished with it.
    void close();
    bool isOpen() const { return device_ != 0; }
    // Pausing waits for a source call under way, so none runs after it.
    void pause(bool paused);

    // Holds off the audio thread while the source's state changes.
    class Lock {
    public:
        explicit Lock(const AudioOutput& output);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        std::uint32_t device_;
    };

private:
    struct Callback;
    Source source_;
    int channels_ = 0;
    std::uint32_t device_ = 0;  // SDL audio device, 0 when none
    bool audioStarted_ = false; // SDL audio subsystem started by this output
};

// SDL's or a media layer's error text as the user sees it.
QString mediaErrorText(const char* description);
