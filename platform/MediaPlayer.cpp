#include "platform/MediaPlayer.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

#include "base/EditorError.h"
#include "base/FileReads.h"
#include "platform/SoundLibraries.h"

namespace {

// Frames per audio buffer: about 23 ms at 44.1 kHz, so Play is heard at once.
constexpr int kBufferFrames = 1024;

// libsndfile's code for a file it cannot read as a stream, whose text says
// that the file may not exist or may be a pipe. Its MP3 reader gives it for a
// regular file that holds no MPEG audio, whose trouble is its format.
constexpr int kNotAStream = 7;

// libsndfile's description of its failed open of a regular file.
QString openFailure()
{
    const int error = sndfile().sf_error(nullptr);
    if (error == SF_ERR_NO_ERROR)
        return mediaErrorText(nullptr);
    if (error == kNotAStream)
        return mediaErrorText(sndfile().sf_error_number(SF_ERR_UNRECOGNISED_FORMAT));
    return mediaErrorText(sndfile().sf_strerror(nullptr));
}

SNDFILE* openSoundFile(const QString& path, SF_INFO* info)
{
#ifdef _WIN32
    return sndfile().sf_wchar_open(reinterpret_cast<LPCWSTR>(path.utf16()), SFM_READ, info);
#else
    return sndfile().sf_open(QFile::encodeName(path).constData(), SFM_READ, info);
#endif
}

} // namespace

TMediaPlayer::TMediaPlayer() = default;

TMediaPlayer::~TMediaPlayer() { Close(); }

void TMediaPlayer::setFileName(const QString& path) { fileName_ = path; }

bool TMediaPlayer::isPlaying() const { return isOpen() && started_ && !ended_.load(); }

void TMediaPlayer::Open()
{
    Close();

    // A pipe would hold libsndfile in its open until some program writes to
    // it, and a device could be played without end.
    if (QFileInfo::exists(fileName_) && !FileReads::isRegularFile(fileName_))
        throw EditorError(ErrorText::cannotOpenFile(fileName_));
    SF_INFO info{};
    SNDFILE* file = openSoundFile(fileName_, &info);
    if (!file)
        throw EditorError(openFailure());
    if (info.channels <= 0 || info.samplerate <= 0) {
        sndfile().sf_close(file);
        throw EditorError(mediaErrorText(nullptr));
    }
    file_ = file;
    fileChannels_ = info.channels;
    // Mono and stereo go to the device as they are; more channels are folded
    // into stereo, since SDL cannot take every channel count.
    deviceChannels_ = std::min(info.channels, 2);
    ended_ = false;
    started_ = false;
    scratch_.assign(std::size_t(kBufferFrames) * std::size_t(fileChannels_), 0.0f);
    try {
        output_.open(info.samplerate, deviceChannels_, kBufferFrames,
                     [this](float* out, int frames) { fill(out, frames); });
    } catch (const EditorError&) {
        sndfile().sf_close(file_);
        file_ = nullptr;
        throw;
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
        const AudioOutput::Lock lock(output_);
        sndfile().sf_seek(file_, 0, SEEK_SET);
        ended_ = false;
    }
    started_ = true;
    output_.pause(false);
}

void TMediaPlayer::Stop()
{
    requireOpen();
    // Pausing takes the device's lock, so no callback runs after this returns.
    output_.pause(true);
    started_ = false;
}

void TMediaPlayer::Close()
{
    if (!isOpen())
        return;
    output_.close(); // waits for the audio thread to finish
    sndfile().sf_close(file_);
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
                got = sndfile().sf_readf_float(file_, out + std::size_t(done) * std::size_t(deviceChannels_),
                                               frames - done);
            } else {
                const int chunk = std::min(frames - done, int(scratch_.size()) / fileChannels_);
                got = sndfile().sf_readf_float(file_, scratch_.data(), chunk);
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
