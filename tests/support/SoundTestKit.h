#pragma once

#include "movie/play/MoviePlayer.h"
#include "movie/sound/MovieSound.h"

#include <QByteArray>
#include <cmath>
#include <complex>
#include <numbers>
#include <vector>

// Helpers of the sound tests: tones to put into movies, and what a rendered
// movie sounds like (length, loudness, pitch) judged from its samples.
namespace soundkit {

constexpr int kRate = movie::kMixRate;

// A sine tone: `hz` on the first channel, `hz` * 1.5 on the second.
inline std::vector<qint16> tone(double hz, double seconds, double rate, int channels, double amplitude = 0.5)
{
    const auto frames = std::size_t(std::lround(seconds * rate));
    std::vector<qint16> out(frames * std::size_t(channels));
    for (std::size_t i = 0; i < frames; ++i)
        for (int c = 0; c < channels; ++c)
            out[i * std::size_t(channels) + std::size_t(c)] = qint16(std::lround(
                32767 * amplitude * std::sin(2 * std::numbers::pi * hz * (c ? 1.5 : 1.0) * double(i) / rate)));
    return out;
}

// The movie's sound for `frames` frames from its start: stereo at kRate.
inline std::vector<float> render(const QByteArray& swf, int frames)
{
    const auto parsed = movie::Movie::fromBytes(swf, QStringLiteral("case.swf"));
    movie::MoviePlayer player(parsed);
    movie::MovieSound sound(parsed);
    std::vector<float> out;
    movie::renderMovieSound(player, sound, frames, [&](const float* samples, int count) {
        out.insert(out.end(), samples, samples + 2 * count);
    });
    return out;
}

// One channel of the sound between two times in seconds.
inline std::vector<float> window(const std::vector<float>& stereo, int channel, double from, double to)
{
    std::vector<float> out;
    const std::size_t frames = stereo.size() / 2;
    const auto first = std::size_t(std::llround(from * kRate));
    const auto end = std::min(frames, std::size_t(std::llround(to * kRate)));
    for (std::size_t i = first; i < end; ++i)
        out.push_back(stereo[2 * i + std::size_t(channel)]);
    return out;
}

inline double rms(const std::vector<float>& samples)
{
    double sum = 0;
    for (const float s : samples)
        sum += double(s) * s;
    return samples.empty() ? 0 : std::sqrt(sum / double(samples.size()));
}

// The strength of one frequency in the samples (a single Fourier term),
// as the amplitude of a sine of that frequency.
inline double strength(const std::vector<float>& samples, double hz)
{
    const std::complex<double> turn = std::polar(1.0, -2 * std::numbers::pi * hz / kRate);
    std::complex<double> phase = 1, sum = 0;
    for (const float s : samples) {
        sum += double(s) * phase;
        phase *= turn;
    }
    return samples.empty() ? 0 : 2 * std::abs(sum) / double(samples.size());
}

// The frequency with the strongest Fourier term between 50 Hz and 5 kHz,
// found on a coarse grid and refined around its best point.
inline double peakFrequency(const std::vector<float>& samples)
{
    double best = 0, bestStrength = -1;
    auto scan = [&](double from, double to, double step) {
        for (double hz = from; hz <= to; hz += step)
            if (const double s = strength(samples, hz); s > bestStrength)
                best = hz, bestStrength = s;
    };
    scan(50, 5000, 10);
    scan(best - 10, best + 10, 0.5);
    return best;
}

} // namespace soundkit
