#include "platform/AudioOutput.h"

#include "base/EditorError.h"
#include "platform/SoundLibraries.h"

// SDL calls this on its audio thread while holding the device's lock, so the
// GUI thread's Lock, pause and close never meet it half-way.
struct AudioOutput::Callback {
    static void SDLCALL fill(void* self, Uint8* stream, int bytes)
    {
        const auto* output = static_cast<AudioOutput*>(self);
        output->source_(reinterpret_cast<float*>(stream), bytes / int(sizeof(float)) / output->channels_);
    }
};

QString mediaErrorText(const char* description)
{
    const QString text = QString::fromUtf8(description ? description : "").trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown error code") : text;
}

AudioOutput::~AudioOutput()
{
    close();
    if (audioStarted_)
        sdlAudio().SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void AudioOutput::open(int rate, int channels, int bufferFrames, Source source)
{
    close();
    const SdlAudioLibrary& sdl = sdlAudio();
    // Starting the subsystem only here keeps a machine without sound from
    // failing at start-up; only playing a sound reports it.
    if (!audioStarted_) {
        // SDL would otherwise catch SIGINT and SIGTERM for an event queue
        // the editor never reads: they would no longer end the editor.
        sdl.SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        if (sdl.SDL_InitSubSystem(SDL_INIT_AUDIO) != 0)
            throw EditorError(mediaErrorText(sdl.SDL_GetError()));
        audioStarted_ = true;
    }
    source_ = std::move(source);
    channels_ = channels;
    SDL_AudioSpec wanted{};
    wanted.freq = rate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = Uint8(channels);
    wanted.samples = Uint16(bufferFrames);
    wanted.callback = &Callback::fill;
    wanted.userdata = this;
    // No allowed changes: SDL converts to whatever the hardware wants, so the
    // source always gets the rate and channel count asked for.
    device_ = sdl.SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0)
        throw EditorError(mediaErrorText(sdl.SDL_GetError()));
}

void AudioOutput::close()
{
    if (device_ == 0)
        return;
    sdlAudio().SDL_CloseAudioDevice(device_); // waits for the audio thread to finish
    device_ = 0;
}

void AudioOutput::pause(bool paused)
{
    if (device_ != 0)
        sdlAudio().SDL_PauseAudioDevice(device_, paused ? 1 : 0);
}

AudioOutput::Lock::Lock(const AudioOutput& output) : device_(output.device_)
{
    if (device_ != 0)
        sdlAudio().SDL_LockAudioDevice(device_);
}

AudioOutput::Lock::~Lock()
{
    if (device_ != 0)
        sdlAudio().SDL_UnlockAudioDevice(device_);
}
