#include "movie/sound/Mp3Decoder.h"

#include <QLibrary>
#include <optional>

#include <mpg123.h>

namespace movie {

namespace {

struct Mpg123 {
    decltype(&::mpg123_init) init;
    decltype(&::mpg123_new) create;
    decltype(&::mpg123_delete) destroy;
    decltype(&::mpg123_param) param;
    decltype(&::mpg123_format_none) formatNone;
    decltype(&::mpg123_format) format;
    decltype(&::mpg123_rates) rates;
    decltype(&::mpg123_open_feed) openFeed;
    decltype(&::mpg123_feed) feed;
    decltype(&::mpg123_read) read;
    decltype(&::mpg123_getformat) getFormat;
};

template <typename Function>
bool resolve(QLibrary& library, Function& function, std::initializer_list<const char*> names)
{
    for (const char* name : names)
        if ((function = reinterpret_cast<Function>(library.resolve(name))))
            return true;
    return false;
}

// Loaded once for the life of the program (it is never unloaded, since an
// audio thread may still decode while a player goes away); nothing when the
// library is missing, lacks a function or does not start.
std::optional<Mpg123> loadMpg123()
{
#ifdef _WIN32
    QLibrary library(QStringLiteral("libmpg123-0"));
#else
    QLibrary library(QStringLiteral("mpg123"), 0);
#endif
    Mpg123 api{};
    // Newer versions name the parameter call mpg123_param2.
    const bool loaded = library.load() && resolve(library, api.init, {"mpg123_init"})
        && resolve(library, api.create, {"mpg123_new"}) && resolve(library, api.destroy, {"mpg123_delete"})
        && resolve(library, api.param, {"mpg123_param2", "mpg123_param"})
        && resolve(library, api.formatNone, {"mpg123_format_none"}) && resolve(library, api.format, {"mpg123_format"})
        && resolve(library, api.rates, {"mpg123_rates"}) && resolve(library, api.openFeed, {"mpg123_open_feed"})
        && resolve(library, api.feed, {"mpg123_feed"}) && resolve(library, api.read, {"mpg123_read"})
        && resolve(library, api.getFormat, {"mpg123_getformat"}) && api.init() == MPG123_OK;
    if (!loaded)
        return std::nullopt;
    return api;
}

// The library's functions, or null when it cannot be used.
const Mpg123* mpg123()
{
    static const std::optional<Mpg123> api = loadMpg123();
    return api ? &*api : nullptr;
}

constexpr std::size_t kPcmFrames = 4608; // four MPEG-1 frames of stereo samples

} // namespace

std::unique_ptr<Mp3Decoder> Mp3Decoder::create(const SoundFormat& format, std::unique_ptr<CodedPieces> pieces,
                                               QString* error)
{
    const Mpg123* api = mpg123();
    if (!api) {
        *error = QStringLiteral("the MP3 decoder libmpg123 cannot be loaded");
        return nullptr;
    }
    int status = MPG123_OK;
    mpg123_handle* handle = api->create(nullptr, &status);
    if (!handle) {
        *error = QStringLiteral("the MP3 decoder cannot be started");
        return nullptr;
    }
    // 16-bit samples at any rate, mono or stereo as the data says; no
    // messages on standard error about damaged data.
    api->param(handle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
    api->formatNone(handle);
    const long* rates = nullptr;
    std::size_t count = 0;
    api->rates(&rates, &count);
    for (std::size_t i = 0; i < count; ++i)
        api->format(handle, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
    if (api->openFeed(handle) != MPG123_OK) {
        api->destroy(handle);
        *error = QStringLiteral("the MP3 decoder cannot be started");
        return nullptr;
    }
    return std::unique_ptr<Mp3Decoder>(new Mp3Decoder(handle, format.rate, std::move(pieces)));
}

Mp3Decoder::Mp3Decoder(mpg123_handle_struct* handle, double rate, std::unique_ptr<CodedPieces> pieces)
    : handle_(handle), rate_(rate), pieces_(std::move(pieces)), pcm_(kPcmFrames * 2)
{}

// A decoder exists only when the library could be used.
Mp3Decoder::~Mp3Decoder() { mpg123()->destroy(handle_); }

bool Mp3Decoder::decodeMore()
{
    const Mpg123& api = *mpg123();
    // Each call either yields samples, learns the format, takes a piece or
    // ends; damaged data only ends the sound.
    int idle = 0;
    while (!ended_) {
        std::size_t bytes = 0;
        const int status = api.read(handle_, pcm_.data(), pcm_.size() * sizeof(qint16), &bytes);
        if (status == MPG123_NEW_FORMAT) {
            long rate = 0;
            int channels = 0, encoding = 0;
            api.getFormat(handle_, &rate, &channels, &encoding);
            if (rate > 0)
                rate_ = double(rate);
            channels_ = channels == 2 ? 2 : 1;
        }
        if (bytes > 0) {
            pcmFrames_ = bytes / sizeof(qint16) / std::size_t(channels_);
            pcmPos_ = 0;
            return true;
        }
        if (status == MPG123_NEED_MORE) {
            idle = 0;
            if (!pieces_->next(piece_)
                || api.feed(handle_, reinterpret_cast<const uchar*>(piece_.constData()), std::size_t(piece_.size()))
                    != MPG123_OK)
                ended_ = true;
        } else if ((status != MPG123_OK && status != MPG123_NEW_FORMAT) || ++idle > 16) {
            ended_ = true;
        }
    }
    return false;
}

int Mp3Decoder::read(float* out, int frames)
{
    int done = 0;
    while (done < frames) {
        if (pcmPos_ == pcmFrames_ && !decodeMore())
            break;
        const qint16* at = pcm_.data() + pcmPos_ * std::size_t(channels_);
        out[2 * done] = float(at[0]) / 32768.0f;
        out[2 * done + 1] = float(at[channels_ - 1]) / 32768.0f;
        ++pcmPos_;
        ++done;
    }
    return done;
}

} // namespace movie
