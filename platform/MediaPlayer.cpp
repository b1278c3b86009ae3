#include "platform/MediaPlayer.h"

#include <QFile>
#include <QLibrary>
#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#endif
#include <sndfile.h>

#include <SDL.h>

#include "base/EditorError.h"

namespace {

// libsndfile and SDL are loaded on the first Open rather than linked: they
// bring some thirty libraries of their own (codecs, sound servers, display
// back ends), and loading those at every start-up costs the editor a good
// share of its launch time and memory for a panel most sessions never use.
// The headers still give the types and constants; these are the functions.
struct SoundLibraries {
#ifdef _WIN32
    decltype(&::sf_wchar_open) sf_wchar_open;
#else
    decltype(&::sf_open) sf_open;
#endif
    decltype(&::sf_error) sf_error;
    decltype(&::sf_strerror) sf_strerror;
    decltype(&::sf_readf_float) sf_readf_float;
    decltype(&::sf_seek) sf_seek;
    decltype(&::sf_close) sf_close;
    decltype(&::SDL_InitSubSystem) SDL_InitSubSystem;
    decltype(&::SDL_QuitSubSystem) SDL_QuitSubSystem;
    decltype(&::SDL_GetError) SDL_GetError;
    decltype(&::SDL_OpenAudioDevice) SDL_OpenAudioDevice;
    decltype(&::SDL_CloseAudioDevice) SDL_CloseAudioDevice;
    decltype(&::SDL_PauseAudioDevice) SDL_PauseAudioDevice;
    decltype(&::SDL_LockAudioDevice) SDL_LockAudioDevice;
    decltype(&::SDL_UnlockAudioDevice) SDL_UnlockAudioDevice;
};

// Loads one library for good (it is never unloaded: the audio thread may
// still be winding down when a player goes away) and resolves functions
// from it; a library that is missing or lacks a function is reported by its
// usual name.
class LibraryLoader {
public:
    LibraryLoader(const char* fileName, int majorVersion, const char* shownName)
        : library_(QString::fromLatin1(fileName), majorVersion), shownName_(shownName)
    {
        if (!library_.load())
            fail();
    }

    template <typename Function>
    void resolve(Function& function, const char* symbol)
    {
        function = reinterpret_cast<Function>(library_.resolve(symbol));
        if (!function)
            fail();
    }

private:
    [[noreturn]] void fail() const
    {
        throw EditorError(QStringLiteral("Cannot load the sound library %1").arg(QLatin1String(shownName_)));
    }

    QLibrary library_;
    const char* shownName_;
};

SoundLibraries loadSoundLibraries()
{
    SoundLibraries api{};
    // libsndfile.so.1 and libSDL2-2.0.so.0 on Linux, libsndfile.1.dylib and
    // libSDL2-2.0.0.dylib on macOS; on Windows sndfile.dll and SDL2.dll beside
    // the executable (older libsndfile builds name theirs libsndfile-1.dll,
    // which would have to be renamed).
#ifdef _WIN32
    LibraryLoader sndfile("sndfile", -1, "libsndfile");
    sndfile.resolve(api.sf_wchar_open, "sf_wchar_open");
#else
    LibraryLoader sndfile("sndfile", 1, "libsndfile");
    sndfile.resolve(api.sf_open, "sf_open");
#endif
    sndfile.resolve(api.sf_error, "sf_error");
    sndfile.resolve(api.sf_strerror, "sf_strerror");
    sndfile.resolve(api.sf_readf_float, "sf_readf_float");
    sndfile.resolve(api.sf_seek, "sf_seek");
    sndfile.resolve(api.sf_close, "sf_close");
#ifdef _WIN32
    LibraryLoader sdl("SDL2", -1, "SDL2");
#else
    LibraryLoader sdl("SDL2-2.0", 0, "SDL2");
#endif
    sdl.resolve(api.SDL_InitSubSystem, "SDL_InitSubSystem");
    sdl.resolve(api.SDL_QuitSubSystem, "SDL_QuitSubSystem");
    sdl.resolve(api.SDL_GetError, "SDL_GetError");
    sdl.resolve(api.SDL_OpenAudioDevice, "SDL_OpenAudioDevice");
    sdl.resolve(api.SDL_CloseAudioDevice, "SDL_CloseAudioDevice");
    sdl.resolve(api.SDL_PauseAudioDevice, "SDL_PauseAudioDevice");
    sdl.resolve(api.SDL_LockAudioDevice, "SDL_LockAudioDevice");
    sdl.resolve(api.SDL_UnlockAudioDevice, "SDL_UnlockAudioDevice");
    return api;
}

// The loaded functions. The first call loads the libraries and throws
// EditorError when that fails (a later call tries again); every call after a
// successful one is a plain read.
const SoundLibraries& sound()
{
    static const SoundLibraries api = loadSoundLibraries();
    return api;
}

// Frames per audio buffer: about 23 ms at 44.1 kHz, so Play is heard at once.
constexpr Uint16 kBufferFrames = 1024;

QString mediaErrorText(const char* description)
{
    const QString text = QString::fromUtf8(description ? description : "").trimmed();
    return text.isEmpty() ? QStringLiteral("Unknown error code") : text;
}

SNDFILE* openSoundFile(const QString& path, SF_INFO* info)
{
#ifdef _WIN32
    return sound().sf_wchar_open(reinterpret_cast<LPCWSTR>(path.utf16()), SFM_READ, info);
#else
    return sound().sf_open(QFile::encodeName(path).constData(), SFM_READ, info);
#endif
}

} // namespace

// SDL calls this on its audio thread while holding the device's lock, so the
// GUI thread's Lock/Pause/Close calls never meet it half-way.
struct MediaPlayerAudio {
    static void SDLCALL callback(void* self, Uint8* stream, int len)
    {
        auto* player = static_cast<TMediaPlayer*>(self);
        const int frames = len / int(sizeof(float)) / player->deviceChannels_;
        player->fill(reinterpret_cast<float*>(stream), frames);
    }
};

TMediaPlayer::TMediaPlayer() = default;

TMediaPlayer::~TMediaPlayer()
{
    Close();
    if (audioStarted_)
        sound().SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TMediaPlayer::setFileName(const QString& path) { fileName_ = path; }

bool TMediaPlayer::isPlaying() const { return isOpen() && started_ && !ended_.load(); }

void TMediaPlayer::Open()
{
    Close();

    SF_INFO info{};
    SNDFILE* file = openSoundFile(fileName_, &info);
    if (!file)
        throw EditorError(
            mediaErrorText(sound().sf_error(nullptr) == SF_ERR_NO_ERROR ? nullptr : sound().sf_strerror(nullptr)));
    if (info.channels <= 0 || info.samplerate <= 0) {
        sound().sf_close(file);
        throw EditorError(mediaErrorText(nullptr));
    }
    file_ = file;
    fileChannels_ = info.channels;
    // Mono and stereo go to the device as they are; more channels are folded
    // into stereo, since SDL cannot take every channel count.
    deviceChannels_ = std::min(info.channels, 2);
    ended_ = false;
    started_ = false;
    openDevice(info.samplerate);
}

void TMediaPlayer::openDevice(int sampleRate)
{
    // Starting the subsystem only here keeps a machine without sound from
    // failing at start-up; only playing a sound reports it.
    if (!audioStarted_) {
        if (sound().SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            const QString text = mediaErrorText(sound().SDL_GetError());
            sound().sf_close(file_);
            file_ = nullptr;
            throw EditorError(text);
        }
        audioStarted_ = true;
    }

    SDL_AudioSpec wanted{};
    wanted.freq = sampleRate;
    wanted.format = AUDIO_F32SYS;
    wanted.channels = Uint8(deviceChannels_);
    wanted.samples = kBufferFrames;
    wanted.callback = &MediaPlayerAudio::callback;
    wanted.userdata = this;
    // No allowed changes: SDL converts to whatever the hardware wants, so the
    // callback always receives the file's rate and our channel count.
    scratch_.assign(std::size_t(kBufferFrames) * std::size_t(fileChannels_), 0.0f);
    device_ = sound().SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
        const QString text = mediaErrorText(sound().SDL_GetError());
        sound().sf_close(file_);
        file_ = nullptr;
        throw EditorError(text);
    }
}

void TMediaPlayer::requireOpen() const
{
    if (!isOpen())
        throw EditorError(QStringLiteral("No MCI device open"));
}

void TMediaPlayer::Play()
{
    requireOpen();
    if (ended_.load()) {
        // A sound that ran to its end starts again from the beginning.
        sound().SDL_LockAudioDevice(device_);
        sound().sf_seek(file_, 0, SEEK_SET);
        ended_ = false;
        sound().SDL_UnlockAudioDevice(device_);
    }
    started_ = true;
    sound().SDL_PauseAudioDevice(device_, 0);
}

void TMediaPlayer::Stop()
{
    requireOpen();
    // Pausing takes the device's lock, so no callback runs after this returns.
    sound().SDL_PauseAudioDevice(device_, 1);
    started_ = false;
}

void TMediaPlayer::Close()
{
    if (!isOpen())
        return;
    sound().SDL_CloseAudioDevice(device_); // waits for the audio thread to finish
    device_ = 0;
    sound().sf_close(file_);
    file_ = nullptr;
    started_ = false;
    ended_ = false;
}

void TMediaPlayer::fill(float* out, int frames)
{
    int done = 0;
    if (!ended_.load()) {
        while (done < frames) {
            sf_count_t got = 0;
            if (fileChannels_ == deviceChannels_) {
                got = sound().sf_readf_float(file_, out + std::size_t(done) * std::size_t(deviceChannels_),
                                             frames - done);
            } else {
                const int chunk = std::min(frames - done, int(scratch_.size()) / fileChannels_);
                got = sound().sf_readf_float(file_, scratch_.data(), chunk);
                // Even channels to the left, odd ones to the right.
                for (sf_count_t f = 0; f < got; ++f) {
                    const float* in = scratch_.data() + f * fileChannels_;
                    float sum[2] = {0.0f, 0.0f};
                    int count[2] = {0, 0};
                    for (int c = 0; c < fileChannels_; ++c) {
                        sum[c % 2] += in[c];
                        ++count[c % 2];
                    }
                    float* dst = out + (std::size_t(done) + std::size_t(f)) * 2;
                    dst[0] = sum[0] / float(count[0]);
                    dst[1] = sum[1] / float(count[1]);
                }
            }
            if (got <= 0) {
                ended_ = true;
                break;
            }
            done += int(got);
        }
        if (done > 0)
            ++buffersDelivered_;
    }
    std::fill(out + std::size_t(done) * std::size_t(deviceChannels_),
              out + std::size_t(frames) * std::size_t(deviceChannels_), 0.0f);
}
