#include "movie/sound/SoundMixer.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>

namespace movie {

namespace {

// As many sounds at once as the players of the time mixed; more are not started.
constexpr int kMaxVoices = 32;
constexpr int kSourceBufferFrames = 1024;

} // namespace

// One playing sound: its decoder, the loop and envelope it plays with, and
// the state of the linear interpolation that brings it to the mixer's rate.
struct SoundMixer::Voice {
    SoundMixer::VoiceId id = 0;
    quint16 soundId = 0; // 0 for a stream
    std::function<std::unique_ptr<SoundDecoder>(QString* error)> open;
    std::unique_ptr<SoundDecoder> decoder;
    QString error; // why the decoder could not be made

    // Each loop skips `skip` source frames and then plays `length` (or to the
    // end of the data).
    qint64 skip = 0;
    qint64 length = std::numeric_limits<qint64>::max();
    int loopsLeft = 1;
    qint64 leftInLoop = 0;

    std::vector<SoundEnvelopePoint> envelope;
    std::size_t envelopeIndex = 0;
    qint64 played = 0; // output frames

    std::vector<float> buffer = std::vector<float>(std::size_t(kSourceBufferFrames) * 2);
    int bufferPos = 0, bufferCount = 0;
    float previous[2] = {0, 0}, next[2] = {0, 0};
    double fraction = 0, step = 1;
    bool sourceEnded = false, ended = false;
    bool loopStarted = false; // no frame read yet in this loop
    SoundMixer::Gains gains;

    // Opens the decoder for the next loop and skips to the in point; false
    // when no loop is left. Every loop plays the same frames, so a loop that
    // has none (the in point at or past the end of the data) ends them all.
    bool startLoop()
    {
        if (loopsLeft-- <= 0 || length <= 0)
            return false;
        decoder = open(&error);
        if (!decoder)
            return false;
        qint64 toSkip = skip;
        while (toSkip > 0) {
            const int n = decoder->read(buffer.data(), int(std::min<qint64>(toSkip, kSourceBufferFrames)));
            if (n == 0)
                return false;
            toSkip -= n;
        }
        leftInLoop = length;
        loopStarted = true;
        return true;
    }

    // The next source frame; false at the end of the last loop.
    bool pull(float frame[2])
    {
        while (bufferPos == bufferCount) {
            if (leftInLoop <= 0 && (!open || !startLoop()))
                return false;
            bufferCount = decoder->read(buffer.data(), int(std::min<qint64>(leftInLoop, kSourceBufferFrames)));
            bufferPos = 0;
            leftInLoop -= bufferCount;
            if (bufferCount == 0) {
                if (loopStarted)
                    return false; // a loop without a frame
                leftInLoop = 0;   // the data ends before the out point
            }
            loopStarted = false;
        }
        frame[0] = buffer[std::size_t(bufferPos) * 2];
        frame[1] = buffer[std::size_t(bufferPos) * 2 + 1];
        ++bufferPos;
        return true;
    }

    // Reads the first two source frames; false when there are none.
    bool prime()
    {
        if (!pull(previous))
            return false;
        if (!pull(next)) {
            next[0] = next[1] = 0;
            sourceEnded = true;
        }
        step = decoder->rate() / kMixRate;
        return step > 0 && std::isfinite(step);
    }

    void envelopeLevels(float level[2])
    {
        while (envelopeIndex < envelope.size() && played >= qint64(envelope[envelopeIndex].position44))
            ++envelopeIndex;
        if (envelopeIndex == 0 || envelopeIndex == envelope.size()) {
            const SoundEnvelopePoint& p = envelope[envelopeIndex == 0 ? 0 : envelope.size() - 1];
            level[0] = p.left;
            level[1] = p.right;
            return;
        }
        const SoundEnvelopePoint& a = envelope[envelopeIndex - 1];
        const SoundEnvelopePoint& b = envelope[envelopeIndex];
        const double span = double(b.position44) - double(a.position44);
        const float t = span > 0 ? float((double(played) - double(a.position44)) / span) : 1.0f;
        level[0] = a.left + (b.left - a.left) * t;
        level[1] = a.right + (b.right - a.right) * t;
    }

    // Adds up to `frames` output frames to `out`; marks the voice ended when
    // its sound is over.
    void mixInto(float* out, int frames)
    {
        for (int i = 0; i < frames && !ended; ++i) {
            float level[2] = {1, 1};
            if (!envelope.empty())
                envelopeLevels(level);
            const auto t = float(fraction);
            const float left = (previous[0] + (next[0] - previous[0]) * t) * level[0];
            const float right = (previous[1] + (next[1] - previous[1]) * t) * level[1];
            out[2 * i] += left * gains.ll + right * gains.lr;
            out[2 * i + 1] += left * gains.rl + right * gains.rr;
            ++played;
            fraction += step;
            while (fraction >= 1.0 && !ended) {
                fraction -= 1.0;
                if (sourceEnded) {
                    ended = true;
                    break;
                }
                previous[0] = next[0];
                previous[1] = next[1];
                if (!pull(next)) {
                    next[0] = next[1] = 0;
                    sourceEnded = true;
                }
            }
        }
    }
};

SoundMixer::SoundMixer() = default;
SoundMixer::~SoundMixer() = default;

void SoundMixer::warn(const QString& text)
{
    if (!warnings_.contains(text))
        warnings_ << text;
}

SoundMixer::VoiceId SoundMixer::add(std::unique_ptr<Voice> voice, const QString& name)
{
    if (int(voices_.size()) >= kMaxVoices)
        return 0;
    const bool opened = voice->decoder || (voice->open && voice->startLoop());
    if (!opened || !voice->prime()) {
        if (!voice->error.isEmpty())
            warn(QStringLiteral("%1 is not played: %2").arg(name, voice->error));
        return 0;
    }
    voice->id = ++lastId_;
    voices_.push_back(std::move(voice));
    return lastId_;
}

SoundMixer::VoiceId SoundMixer::startSound(quint16 soundId, const SoundDef& sound, const SoundInfo& info)
{
    auto voice = std::make_unique<Voice>();
    voice->soundId = soundId;
    const SoundDef* def = &sound;
    voice->open = [def](QString* error) {
        return makeSoundDecoder(def->format, std::make_unique<OnePiece>(def->data), error);
    };
    // In and out points count samples at 44.1 kHz; the sound's own rate
    // says how many of its frames that is. MP3 data first skips its
    // encoder delay.
    const double perMix = sound.format.rate / kMixRate;
    const qint64 seek = std::max(0, sound.seekSamples);
    voice->skip = seek + qint64(double(info.inPoint.value_or(0)) * perMix);
    const qint64 end = info.outPoint ? seek + qint64(double(*info.outPoint) * perMix)
        : sound.sampleCount > 0      ? seek + qint64(sound.sampleCount)
                                     : std::numeric_limits<qint64>::max();
    voice->length = std::max<qint64>(0, end - voice->skip);
    voice->loopsLeft = std::max(1, info.loops);
    voice->envelope = info.envelope;
    return add(std::move(voice), QStringLiteral("sound %1").arg(soundId));
}

void SoundMixer::stopSound(quint16 soundId)
{
    std::erase_if(voices_, [soundId](const auto& v) { return v->soundId == soundId; });
}

bool SoundMixer::isPlaying(quint16 soundId) const
{
    return std::any_of(voices_.begin(), voices_.end(), [soundId](const auto& v) { return v->soundId == soundId; });
}

bool SoundMixer::isVoicePlaying(VoiceId voice) const
{
    return std::any_of(voices_.begin(), voices_.end(), [voice](const auto& v) { return v->id == voice; });
}

SoundMixer::VoiceId SoundMixer::startStream(const SoundStreamHead& head, std::unique_ptr<CodedPieces> blocks)
{
    // A stream plays once, to the end of its blocks.
    auto voice = std::make_unique<Voice>();
    voice->decoder = makeSoundDecoder(head.format, std::move(blocks), &voice->error);
    voice->loopsLeft = 0;
    voice->leftInLoop = voice->length;
    return add(std::move(voice), QStringLiteral("the stream"));
}

void SoundMixer::stop(VoiceId voice)
{
    std::erase_if(voices_, [voice](const auto& v) { return v->id == voice; });
}

void SoundMixer::stopAll() { voices_.clear(); }

void SoundMixer::setGains(VoiceId voice, const Gains& gains)
{
    for (const auto& v : voices_)
        if (v->id == voice)
            v->gains = gains;
}

void SoundMixer::render(float* out, int frames)
{
    std::fill(out, out + std::size_t(frames) * 2, 0.0f);
    for (const auto& voice : voices_)
        voice->mixInto(out, frames);
    std::erase_if(voices_, [](const auto& v) { return v->ended; });
    for (std::size_t i = 0; i < std::size_t(frames) * 2; ++i)
        out[i] = std::clamp(out[i], -1.0f, 1.0f);
}

} // namespace movie
