// make_sample_sounds OUTDIR
//
// Synthesises the sample skin's two sounds into OUTDIR: music.wav, a short
// bell-like tune over a soft bass with a ping-pong echo, and buttons.wav, a
// short blip. Both are 44.1 kHz 16-bit WAV files.

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 44100;
constexpr double kPi = 3.14159265358979323846;

double noteHz(int midi) { return 440.0 * std::pow(2.0, (midi - 69) / 12.0); }

// A struck, bell-like tone: a few harmonics dying away at different speeds.
void addBell(std::vector<double>& mono, double start, double length, int midi, double gain)
{
    const double hz = noteHz(midi);
    const auto first = std::size_t(start * kRate);
    const auto count = std::size_t(length * kRate);
    for (std::size_t i = 0; i < count && first + i < mono.size(); ++i) {
        const double t = double(i) / kRate;
        const double attack = std::min(1.0, t / 0.006);
        const double release = std::min(1.0, (length - t) / 0.02);
        const double v = std::sin(2 * kPi * hz * t) * std::exp(-t * 3.0)
            + 0.35 * std::sin(2 * kPi * hz * 2 * t) * std::exp(-t * 6.0)
            + 0.12 * std::sin(2 * kPi * hz * 3.01 * t) * std::exp(-t * 9.0);
        mono[first + i] += gain * attack * release * v;
    }
}

// A soft, rounded bass note.
void addBass(std::vector<double>& mono, double start, double length, int midi, double gain)
{
    const double hz = noteHz(midi);
    const auto first = std::size_t(start * kRate);
    const auto count = std::size_t(length * kRate);
    for (std::size_t i = 0; i < count && first + i < mono.size(); ++i) {
        const double t = double(i) / kRate;
        const double env = std::min(1.0, t / 0.03) * std::min(1.0, (length - t) / 0.08) * std::exp(-t * 0.8);
        mono[first + i] += gain * env * (std::sin(2 * kPi * hz * t) + 0.2 * std::sin(2 * kPi * hz * 2 * t));
    }
}

bool writeWav(const std::string& path, const std::vector<float>& frames, int channels)
{
    SF_INFO info{};
    info.samplerate = kRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file) {
        std::fprintf(stderr, "make_sample_sounds: %s: %s\n", path.c_str(), sf_strerror(nullptr));
        return false;
    }
    const sf_count_t count = sf_count_t(frames.size()) / channels;
    const bool ok = sf_writef_float(file, frames.data(), count) == count;
    sf_close(file);
    if (!ok)
        std::fprintf(stderr, "make_sample_sounds: cannot write %s\n", path.c_str());
    return ok;
}

// Scales the samples so the loudest one reaches the given peak.
void normalise(std::vector<float>& samples, float peak)
{
    float loudest = 0.0f;
    for (float s : samples)
        loudest = std::max(loudest, std::fabs(s));
    if (loudest > 0.0f)
        for (float& s : samples)
            s *= peak / loudest;
}

std::vector<float> makeMusic()
{
    const double beat = 0.25; // eighth notes at 120 beats a minute
    struct Note {
        int midi;
        int beats;
    };
    // A pentatonic tune in C: two phrases and a closing note.
    const Note tune[] = {
        {76, 1}, {79, 1}, {81, 1}, {79, 1}, {76, 1}, {74, 1}, {72, 2}, {74, 1},
        {76, 1}, {79, 1}, {84, 1}, {81, 2}, {79, 2}, {76, 1}, {74, 1}, {72, 4},
    };
    const Note bass[] = {{48, 4}, {45, 4}, {41, 4}, {43, 4}, {36, 4}};

    const double seconds = 5.5;
    std::vector<double> melody(std::size_t(seconds * kRate), 0.0);
    std::vector<double> low(melody.size(), 0.0);
    double at = 0.0;
    for (const Note& n : tune) {
        addBell(melody, at, std::min(n.beats * beat + 0.6, seconds - at), n.midi, 0.5);
        at += n.beats * beat;
    }
    at = 0.0;
    for (const Note& n : bass) {
        addBass(low, at, std::min(n.beats * beat, seconds - at), n.midi, 0.3);
        at += n.beats * beat;
    }

    // Stereo: the tune a little to the left, its echo bouncing from side to side.
    const auto delay = std::size_t(0.375 * kRate);
    std::vector<float> out(melody.size() * 2, 0.0f);
    std::vector<double> echoL(melody.size(), 0.0), echoR(melody.size(), 0.0);
    for (std::size_t i = 0; i < melody.size(); ++i) {
        if (i >= delay) {
            echoR[i] = 0.35 * (melody[i - delay] + echoL[i - delay]);
            echoL[i] = 0.35 * echoR[i - delay];
        }
        const std::size_t fromEnd = melody.size() - i;
        const double fade = std::min(1.0, double(fromEnd) / (0.4 * kRate));
        out[2 * i] = float(fade * (0.6 * melody[i] + low[i] + echoL[i]));
        out[2 * i + 1] = float(fade * (0.4 * melody[i] + low[i] + echoR[i]));
    }
    normalise(out, 0.8f);
    return out;
}

std::vector<float> makeButtonSound()
{
    // A quick downward chirp with a soft click at its start.
    const double seconds = 0.12;
    std::vector<float> out(std::size_t(seconds * kRate), 0.0f);
    double phase = 0.0;
    for (std::size_t i = 0; i < out.size(); ++i) {
        const double t = double(i) / kRate;
        const double hz = 1400.0 - 600.0 * (t / seconds);
        phase += 2 * kPi * hz / kRate;
        const double env = std::min(1.0, t / 0.002) * std::min(1.0, (seconds - t) / 0.01) * std::exp(-t * 35.0);
        const double click = 0.4 * std::sin(2 * kPi * 3000.0 * t) * std::exp(-t * 400.0);
        out[i] = float(env * (std::sin(phase) + 0.25 * std::sin(2 * phase) + click));
    }
    normalise(out, 0.7f);
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_sounds OUTDIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    const bool ok =
        writeWav(dir + "/music.wav", makeMusic(), 2) && writeWav(dir + "/buttons.wav", makeButtonSound(), 1);
    return ok ? 0 : 1;
}
