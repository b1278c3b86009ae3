#include "platform/MediaPlayer.h"

#include <QFile>
#include <algorithm>

#ifdef _WIN32
#include <windows.h>
#define ENABLE_SNDFILE_WINDOWS_PROTOTYPES 1
#endif
#include <sndfile.h>

#include <SDL.h>

#include "app/EditorError.h"

namespace {

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
    return sf_wchar_open(reinterpret_cast<LPCWSTR>(path.utf16()), SFM_READ, info);
#else
    return sf_open(QFile::encodeName(path).constData(), SFM_READ, info);
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
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
}

void TMediaPlayer::setFileName(const QString& path)
{
    fileName_ = path;
}

bool TMediaPlayer::isPlaying() const
{
    return isOpen() && started_ && !ended_.load();
}

void TMediaPlayer::Open()
{
    Close();

    SF_INFO info{};
    SNDFILE* file = openSoundFile(fileName_, &info);
    if (!file)
        throw EditorError(mediaErrorText(sf_error(nullptr) == SF_ERR_NO_ERROR ? nullptr : sf_strerror(nullptr)));
    if (info.channels <= 0 || info.samplerate <= 0) {
        sf_close(file);
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
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
            const QString text = mediaErrorText(SDL_GetError());
            sf_close(file_);
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
    device_ = SDL_OpenAudioDevice(nullptr, 0, &wanted, nullptr, 0);
    if (device_ == 0) {
        const QString text = mediaErrorText(SDL_GetError());
        sf_close(file_);
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
        SDL_LockAudioDevice(device_);
        sf_seek(file_, 0, SEEK_SET);
        ended_ = false;
        SDL_UnlockAudioDevice(device_);
    }
    started_ = true;
    SDL_PauseAudioDevice(device_, 0);
}

void TMediaPlayer::Stop()
{
    requireOpen();
    // Pausing takes the device's lock, so no callback runs after this returns.
    SDL_PauseAudioDevice(device_, 1);
    started_ = false;
}

void TMediaPlayer::Close()
{
    if (!isOpen())
        return;
    SDL_CloseAudioDevice(device_); // waits for the audio thread to finish
    device_ = 0;
    sf_close(file_);
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
                got = sf_readf_float(file_, out + std::size_t(done) * std::size_t(deviceChannels_), frames - done);
            } else {
                const int chunk = std::min(frames - done, int(scratch_.size()) / fileChannels_);
                got = sf_readf_float(file_, scratch_.data(), chunk);
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
