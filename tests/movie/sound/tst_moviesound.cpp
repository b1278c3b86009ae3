// The sound of movies: event sounds in every format the engine plays,
// streams, loops, in and out points, envelopes, overlapping sounds, and how
// sounds keep to the timelines, judged from the rendered samples.
#include "tests/support/MovieTestKit.h"
#include "tests/support/SoundTestKit.h"

#include "movie/writer/ActionWriter.h"
#include "movie/writer/SoundEncoding.h"
#include "tests/support/ToneFiles.h"

#include <QtTest>

using movie::SoundFormat;
using movie::SoundInfo;
using movie::SoundStreamHead;
using movie::writer::SwfWriter;
using namespace soundkit;
namespace enc = movie::writer;

namespace {

constexpr int kFps = 12;

SoundFormat format(int codec, double rate, int channels, bool sixteenBit = true)
{
    SoundFormat f;
    f.codec = codec;
    f.rate = rate;
    f.stereo = channels == 2;
    f.sixteenBit = sixteenBit;
    return f;
}

// The MP3 frames of the samples, or none when this libsndfile cannot write MP3.
std::vector<QByteArray> mp3Frames(const std::vector<qint16>& samples, int rate, int channels, int* perFrame)
{
    return enc::mpegFrames(ToneFiles::mp3Bytes(samples, rate, channels), perFrame);
}

QByteArray joined(const std::vector<QByteArray>& pieces)
{
    QByteArray all;
    for (const QByteArray& p : pieces)
        all += p;
    return all;
}

// A movie of `frames` empty frames at 12 a second, `sound` 1 started on the first.
QByteArray eventMovie(const SoundFormat& f, quint32 count, const QByteArray& data, const SoundInfo& info = {},
                      int frames = kFps)
{
    SwfWriter w(40, 40, kFps);
    w.defineSound(1, f, count, data);
    w.startSound(1, info);
    for (int i = 0; i < frames; ++i)
        w.showFrame();
    return w.finish();
}

// Sprite `id`: kFps frames whose stream plays a second of a tone at
// 44.1 kHz, a block a frame.
void defineStreamSprite(SwfWriter& w, quint16 id, double hz)
{
    SoundStreamHead head;
    head.format = format(SoundFormat::PcmLittleEndian, 44100, 1);
    head.samplesPerBlock = 3675;
    w.beginSprite(id);
    w.soundStreamHead(head);
    const std::vector<qint16> samples = tone(hz, 1.0, 44100, 1);
    for (int f = 0; f < kFps; ++f) {
        w.soundStreamBlock(
            enc::pcm16(std::vector<qint16>(samples.begin() + f * 3675, samples.begin() + (f + 1) * 3675)));
        w.showFrame();
    }
    w.endSprite();
}

// Level of a sine of amplitude 0.5.
constexpr double kToneRms = 0.5 / std::numbers::sqrt2;

} // namespace

class MovieSoundTest : public QObject {
    Q_OBJECT

private slots:
    void eventToneInEachFormat_data();
    void eventToneInEachFormat();
    void streamPlaysWithItsTimeline_data();
    void streamPlaysWithItsTimeline();
    void framesFollowTheStreamsPace();
    void loopsAndInAndOutPoints();
    void envelopeShapesEachChannel();
    void overlappingSoundsAddUp();
    void stopAndNoMultiple();
    void scriptStopsAllSounds();
    void streamEndsWithItsSprite();
    void soundsNamedByClassAndUnplayableOnes();
    void soundObjectPlaysAnExportedSoundUnderItsClip();
    void corpusMovies();
};

void MovieSoundTest::eventToneInEachFormat_data()
{
    QTest::addColumn<int>("codec");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("channels");
    QTest::addColumn<int>("bits"); // 8 or 16 for PCM; the code size for ADPCM
    QTest::addColumn<double>("hz");
    QTest::addColumn<double>("levelTolerance");

    QTest::newRow("pcm 8-bit 5.5 kHz") << int(SoundFormat::PcmLittleEndian) << 5512.5 << 1 << 8 << 440.0 << 0.05;
    QTest::newRow("pcm 16-bit 11 kHz stereo")
        << int(SoundFormat::PcmLittleEndian) << 11025.0 << 2 << 16 << 660.0 << 0.03;
    QTest::newRow("pcm native order 22 kHz") << int(SoundFormat::Pcm) << 22050.0 << 1 << 16 << 1000.0 << 0.03;
    QTest::newRow("adpcm 2-bit 44 kHz") << int(SoundFormat::Adpcm) << 44100.0 << 1 << 2 << 500.0 << 0.25;
    QTest::newRow("adpcm 3-bit 22 kHz stereo") << int(SoundFormat::Adpcm) << 22050.0 << 2 << 3 << 300.0 << 0.12;
    QTest::newRow("adpcm 4-bit 11 kHz") << int(SoundFormat::Adpcm) << 11025.0 << 1 << 4 << 440.0 << 0.06;
    QTest::newRow("adpcm 5-bit 44 kHz stereo") << int(SoundFormat::Adpcm) << 44100.0 << 2 << 5 << 880.0 << 0.05;
    QTest::newRow("mp3 44 kHz stereo") << int(SoundFormat::Mp3) << 44100.0 << 2 << 16 << 440.0 << 0.1;
    QTest::newRow("mp3 22 kHz mono") << int(SoundFormat::Mp3) << 22050.0 << 1 << 16 << 1000.0 << 0.1;
    QTest::newRow("mp3 11 kHz mono") << int(SoundFormat::Mp3) << 11025.0 << 1 << 16 << 600.0 << 0.1;
}

void MovieSoundTest::eventToneInEachFormat()
{
    QFETCH(int, codec);
    QFETCH(double, rate);
    QFETCH(int, channels);
    QFETCH(int, bits);
    QFETCH(double, hz);
    QFETCH(double, levelTolerance);

    // Half a second of the tone, in a movie of a second.
    const std::vector<qint16> samples = tone(hz, 0.5, rate, channels);
    const auto count = quint32(samples.size() / std::size_t(channels));
    QByteArray data;
    if (codec == SoundFormat::Mp3) {
        data = joined(mp3Frames(samples, int(rate), channels, nullptr));
        if (data.isEmpty())
            QSKIP("this libsndfile cannot write MP3");
    } else if (codec == SoundFormat::Adpcm) {
        data = enc::adpcm(samples, channels, bits);
    } else {
        data = bits == 8 ? enc::pcm8(samples) : enc::pcm16(samples);
    }
    const std::vector<float> out = render(eventMovie(format(codec, rate, channels, bits != 8), count, data), kFps);

    QCOMPARE(out.size(), std::size_t(2 * kRate)); // twelve frames of a twelfth of a second
    for (int c = 0; c < 2; ++c) {
        const double expectedHz = hz * (channels == 2 && c == 1 ? 1.5 : 1.0);
        const std::vector<float> sounding = window(out, c, 0.1, 0.4);
        const double measured = peakFrequency(sounding);
        QVERIFY2(std::abs(measured - expectedHz) < expectedHz * 0.01,
                 qPrintable(QStringLiteral("channel %1: %2 Hz, expected %3").arg(c).arg(measured).arg(expectedHz)));
        QVERIFY2(std::abs(rms(sounding) - kToneRms) < levelTolerance,
                 qPrintable(QStringLiteral("channel %1 level %2").arg(c).arg(rms(sounding))));
        QVERIFY2(rms(window(out, c, 0.55, 1.0)) < 0.005, "the sound goes on past its end");
    }
}

void MovieSoundTest::streamPlaysWithItsTimeline_data()
{
    QTest::addColumn<int>("codec");
    QTest::addColumn<double>("rate");
    QTest::addColumn<int>("channels");
    QTest::newRow("mp3 44 kHz mono") << int(SoundFormat::Mp3) << 44100.0 << 1;
    QTest::newRow("mp3 22 kHz stereo") << int(SoundFormat::Mp3) << 22050.0 << 2;
    QTest::newRow("mp3 11 kHz mono") << int(SoundFormat::Mp3) << 11025.0 << 1;
    QTest::newRow("adpcm 22 kHz stereo") << int(SoundFormat::Adpcm) << 22050.0 << 2;
    QTest::newRow("pcm 11 kHz") << int(SoundFormat::PcmLittleEndian) << 11025.0 << 1;
}

void MovieSoundTest::streamPlaysWithItsTimeline()
{
    QFETCH(int, codec);
    QFETCH(double, rate);
    QFETCH(int, channels);

    // A second of a 440 Hz tone cut into twelve blocks, one a frame.
    constexpr double hz = 440;
    const std::vector<qint16> samples = tone(hz, 1.0, rate, channels);
    const int perBlock = int(std::lround(rate / kFps));
    SoundStreamHead head;
    head.format = format(codec, rate, channels);
    head.samplesPerBlock = perBlock;
    SwfWriter w(40, 40, kFps);
    w.soundStreamHead(head);
    if (codec == SoundFormat::Mp3) {
        int perFrame = 0;
        const std::vector<QByteArray> frames = mp3Frames(samples, int(rate), channels, &perFrame);
        if (frames.empty())
            QSKIP("this libsndfile cannot write MP3");
        // Each block takes the MP3 frames that fall due by the end of its frame.
        std::size_t next = 0;
        for (int f = 0; f < kFps; ++f) {
            QByteArray block;
            int count = 0;
            while (next < frames.size() && double(next) * perFrame < (f + 1) * perBlock)
                block += frames[next++], count += perFrame;
            w.mp3StreamBlock(quint16(count), block);
            w.showFrame();
        }
    } else {
        for (int f = 0; f < kFps; ++f) {
            const auto from = std::size_t(f) * std::size_t(perBlock) * std::size_t(channels);
            const std::vector<qint16> part(
                samples.begin() + qsizetype(from),
                samples.begin() + qsizetype(std::min(samples.size(), from + std::size_t(perBlock * channels))));
            w.soundStreamBlock(codec == SoundFormat::Adpcm ? enc::adpcm(part, channels, 4) : enc::pcm16(part));
            w.showFrame();
        }
    }
    w.doAction(movie::writer::actions::stop());
    w.showFrame();
    const std::vector<float> out = render(w.finish(), kFps + 4);

    // Frames take as long as the head's blocks: rounded to whole samples,
    // they are a little longer than a twelfth of a second at 22 and 11 kHz.
    QCOMPARE(out.size(), std::size_t(2 * std::llround((kFps + 4) * perBlock * (kRate / rate))));
    const std::vector<float> sounding = window(out, 0, 0.2, 0.8);
    QVERIFY2(std::abs(peakFrequency(sounding) - hz) < hz * 0.01, qPrintable(QString::number(peakFrequency(sounding))));
    QVERIFY2(std::abs(rms(sounding) - kToneRms) < 0.1, qPrintable(QString::number(rms(sounding))));
    // The blocks end with the twelfth frame; the timeline stops on the next.
    QVERIFY(rms(window(out, 0, 1.15, 1.33)) < 0.005);
}

void MovieSoundTest::framesFollowTheStreamsPace()
{
    // 20 frames a second by the header, but blocks of a tenth of a second:
    // the frames come at the stream's pace, ten a second.
    SoundStreamHead head;
    head.format = format(SoundFormat::PcmLittleEndian, 44100, 1);
    head.samplesPerBlock = 4410;
    SwfWriter w(40, 40, 20);
    w.soundStreamHead(head);
    const std::vector<qint16> quiet(4410, 0);
    w.defineSound(2, format(SoundFormat::PcmLittleEndian, 44100, 1), 4410, enc::pcm16(tone(1000, 0.1, 44100, 1)));
    for (int f = 0; f < 10; ++f) {
        if (f == 5)
            w.startSound(2);
        w.soundStreamBlock(enc::pcm16(quiet));
        w.showFrame();
    }
    const std::vector<float> out = render(w.finish(), 10);
    QCOMPARE(out.size(), std::size_t(2 * kRate)); // ten frames of a tenth of a second
    // The sound of the sixth frame starts half a second in.
    QVERIFY(rms(window(out, 0, 0.0, 0.499)) < 0.001);
    QVERIFY(rms(window(out, 0, 0.5, 0.6)) > 0.3);
}

void MovieSoundTest::loopsAndInAndOutPoints()
{
    // A second of tone; from 0.1 s to 0.3 s of it, three times: 0.6 s of sound.
    const std::vector<qint16> samples = tone(500, 1.0, 22050, 1);
    SoundInfo info;
    info.inPoint = 4410;
    info.outPoint = 13230;
    info.loops = 3;
    const std::vector<float> out =
        render(eventMovie(format(SoundFormat::Adpcm, 22050, 1), 22050, enc::adpcm(samples, 1, 4), info), kFps);
    QVERIFY(std::abs(rms(window(out, 0, 0.02, 0.58)) - kToneRms) < 0.05);
    QVERIFY2(rms(window(out, 0, 0.61, 1.0)) < 0.005, qPrintable(QString::number(rms(window(out, 0, 0.61, 1.0)))));

    // An in point past the end leaves nothing to play, however many loops.
    info.inPoint = 100000;
    info.outPoint.reset();
    info.loops = 65535;
    const std::vector<float> none =
        render(eventMovie(format(SoundFormat::Adpcm, 22050, 1), 22050, enc::adpcm(samples, 1, 4), info), kFps);
    QCOMPARE(rms(none), 0.0);
}

void MovieSoundTest::envelopeShapesEachChannel()
{
    // Left: silent, rising to full over 0.4 s from 0.2 s; right: half throughout.
    SoundInfo info;
    info.envelope = {{8820, 0.0f, 0.5f}, {26460, 1.0f, 0.5f}};
    const std::vector<qint16> samples = tone(1000, 0.8, 44100, 1);
    const std::vector<float> out =
        render(eventMovie(format(SoundFormat::PcmLittleEndian, 44100, 1), 35280, enc::pcm16(samples), info), kFps);
    QVERIFY(rms(window(out, 0, 0.0, 0.2)) < 0.002);
    QVERIFY(std::abs(rms(window(out, 0, 0.35, 0.45)) - kToneRms * 0.5) < 0.03); // half way up
    QVERIFY(std::abs(rms(window(out, 0, 0.6, 0.8)) - kToneRms) < 0.02);
    QVERIFY(std::abs(rms(window(out, 1, 0.0, 0.8)) - kToneRms * 0.5) < 0.02);
}

void MovieSoundTest::overlappingSoundsAddUp()
{
    // 440 Hz for a second from the start, 1320 Hz for half a second from 0.5 s.
    SwfWriter w(40, 40, kFps);
    const SoundFormat f = format(SoundFormat::PcmLittleEndian, 22050, 1);
    w.defineSound(1, f, 22050, enc::pcm16(tone(440, 1.0, 22050, 1, 0.3)));
    w.defineSound(2, f, 11025, enc::pcm16(tone(1320, 0.5, 22050, 1, 0.3)));
    w.startSound(1);
    for (int i = 0; i < kFps; ++i) {
        if (i == 6)
            w.startSound(2);
        w.showFrame();
    }
    const std::vector<float> out = render(w.finish(), kFps);
    const std::vector<float> alone = window(out, 0, 0.1, 0.45);
    const std::vector<float> both = window(out, 0, 0.55, 0.95);
    QVERIFY(std::abs(strength(alone, 440) - 0.3) < 0.02);
    QVERIFY(strength(alone, 1320) < 0.01);
    QVERIFY(std::abs(strength(both, 440) - 0.3) < 0.02);
    QVERIFY(std::abs(strength(both, 1320) - 0.3) < 0.02);
    QVERIFY(std::abs(rms(both) - 0.3) < 0.02); // two sines of 0.3: sqrt(2 * 0.3^2 / 2)
}

void MovieSoundTest::stopAndNoMultiple()
{
    // The sound starts; a second start that forbids copies is ignored; a
    // stop on the seventh frame ends it.
    SwfWriter w(40, 40, kFps);
    w.defineSound(1, format(SoundFormat::PcmLittleEndian, 22050, 1), 22050, enc::pcm16(tone(440, 1.0, 22050, 1)));
    SoundInfo noMultiple;
    noMultiple.noMultiple = true;
    SoundInfo stop;
    stop.stop = true;
    for (int i = 0; i < kFps; ++i) {
        if (i == 0 || i == 3)
            w.startSound(1, noMultiple);
        if (i == 6)
            w.startSound(1, stop);
        w.showFrame();
    }
    const std::vector<float> out = render(w.finish(), kFps);
    QVERIFY(std::abs(rms(window(out, 0, 0.3, 0.45)) - kToneRms) < 0.02); // one copy, not two
    QVERIFY(rms(window(out, 0, 0.5, 1.0)) < 0.001);
}

void MovieSoundTest::scriptStopsAllSounds()
{
    // A sound and a sprite's stream play until a frame script calls
    // stopAllSounds() on the seventh frame; the stream then starts again
    // with its timeline's next block.
    SwfWriter w(40, 40, kFps);
    w.defineSound(1, format(SoundFormat::PcmLittleEndian, 22050, 1), 22050, enc::pcm16(tone(440, 1.0, 22050, 1)));
    defineStreamSprite(w, 5, 1000);
    w.placeObject2(SwfWriter::Place::add(1, 5));
    w.startSound(1);
    for (int f = 0; f < kFps; ++f) {
        if (f == 6)
            w.doAction(movie::writer::ActionWriter().op(0x09).bytes()); // stopAllSounds
        w.showFrame();
    }
    const std::vector<float> out = render(w.finish(), kFps);
    const std::vector<float> before = window(out, 0, 0.1, 0.45);
    QVERIFY(strength(before, 440) > 0.1 && strength(before, 1000) > 0.1);
    QVERIFY(rms(window(out, 0, 0.51, 0.58)) < 0.001); // the rest of the seventh frame
    const std::vector<float> after = window(out, 0, 0.65, 1.0);
    QVERIFY(strength(after, 440) < 0.01);
    QVERIFY(strength(after, 1000) > 0.1);
}

void MovieSoundTest::streamEndsWithItsSprite()
{
    // A sprite's stream plays while the sprite runs, and ends when the
    // movie removes the sprite on its sixth frame.
    SwfWriter w(40, 40, kFps);
    defineStreamSprite(w, 5, 440);
    w.placeObject2(SwfWriter::Place::add(1, 5));
    for (int f = 0; f < kFps; ++f) {
        if (f == 6)
            w.removeObject2(1);
        w.showFrame();
    }
    const std::vector<float> out = render(w.finish(), kFps);
    QVERIFY(std::abs(rms(window(out, 0, 0.05, 0.45)) - kToneRms) < 0.02);
    QVERIFY(rms(window(out, 0, 0.5, 1.0)) < 0.001);
}

void MovieSoundTest::soundsNamedByClassAndUnplayableOnes()
{
    // StartSound2 finds its sound by the class name it is exported under; a
    // sound in a codec the engine does not play is left out with a warning.
    SwfWriter w(40, 40, kFps);
    w.defineSound(1, format(SoundFormat::PcmLittleEndian, 22050, 1), 11025, enc::pcm16(tone(440, 0.5, 22050, 1)));
    w.symbolClass(1, "Chime");
    w.defineSound(2, format(SoundFormat::Nellymoser, 22050, 1), 256, QByteArray(64, '\x11'));
    w.startSound2("Chime");
    w.startSound(2);
    w.doAction(movie::writer::actions::stop());
    w.showFrame();
    const QByteArray swf = w.finish();
    const auto parsed = movie::Movie::fromBytes(swf, QStringLiteral("case.swf"));
    QCOMPARE(parsed->warnings(), QStringList{QStringLiteral("sound 2 is not played: Nellymoser is not supported")});
    const std::vector<float> out = render(swf, kFps);
    QVERIFY(std::abs(rms(window(out, 0, 0.05, 0.45)) - kToneRms) < 0.02);
}

void MovieSoundTest::soundObjectPlaysAnExportedSoundUnderItsClip()
{
    // On the third frame a Sound object of the clip "holder" attaches the
    // sound exported as "Chime", sets half volume, pans it fully left and
    // starts it; its onSoundComplete traces when it has played (0.45 s).
    SwfWriter w(40, 40, kFps);
    w.defineSound(1, format(SoundFormat::PcmLittleEndian, 22050, 1), 9922, enc::pcm16(tone(440, 0.45, 22050, 1)));
    w.exportAssets(1, "Chime");
    w.beginSprite(5);
    w.showFrame();
    w.endSprite();
    w.placeObject2(SwfWriter::Place::add(1, 5).named("holder"));
    using A = movie::writer::ActionWriter;
    const A done = A().push({A::str("done")}).trace();
    const QByteArray start = A().push({A::str("s")})
                                 .getVariable("holder")
                                 .push({A::num(1), A::str("Sound")})
                                 .op(0x40) // new Sound(holder)
                                 .op(0x1D)
                                 .callMethod("s", "attachSound", {A::str("Chime")})
                                 .op(0x17)
                                 .callMethod("s", "setVolume", {A::num(50)})
                                 .op(0x17)
                                 .callMethod("s", "setPan", {A::num(-100)})
                                 .op(0x17)
                                 .callMethod("s", "start")
                                 .op(0x17)
                                 .push({A::str("s.onSoundComplete")})
                                 .defineFunction("", {}, done)
                                 .op(0x1D)
                                 .bytes();
    for (int f = 0; f < kFps; ++f) {
        if (f == 2)
            w.doAction(start);
        w.showFrame();
    }
    const QByteArray swf = w.finish();
    const std::vector<float> out = render(swf, kFps);
    QVERIFY(rms(window(out, 0, 0.0, 0.16)) < 0.001);
    QVERIFY(std::abs(rms(window(out, 0, 0.2, 0.6)) - kToneRms / 2) < 0.02);
    QVERIFY(rms(window(out, 1, 0.2, 0.6)) < 0.001);
    QVERIFY(rms(window(out, 0, 0.65, 1.0)) < 0.001);

    // The script's clock counts frames: the sound ends by the eighth.
    QStringList traces;
    movie::MoviePlayer player(movie::Movie::fromBytes(swf, QStringLiteral("case.swf")),
                              [&](const QString& line) { traces << line; });
    for (int f = 1; f < 7; ++f)
        player.step();
    QVERIFY(traces.isEmpty());
    player.step();
    QCOMPARE(traces, QStringList{QStringLiteral("done")});
}

void MovieSoundTest::corpusMovies()
{
    // Ten samples of 44.1 kHz at full scale, alternating, started on the
    // only frame with three loops: thirty samples, then silence.
    const QString defineSound = kit::sharedFile(QStringLiteral("swf-corpus/DefineSound.swf"));
    const QString stream = kit::sharedFile(QStringLiteral("swf-corpus/SoundStreamHead2.swf"));
    if (defineSound.isEmpty() || !QFile::exists(defineSound) || !QFile::exists(stream))
        QSKIP("the movie corpus is not there (SKINEDIT_SHARED_DIR)");
    QFile file(defineSound);
    QVERIFY(file.open(QIODevice::ReadOnly));
    std::vector<float> out = render(file.readAll(), 2);
    QCOMPARE(out.size(), std::size_t(2 * 3675)); // two frames at 24 a second
    for (int i = 0; i < 30; ++i)
        QVERIFY2(std::abs(out[std::size_t(2 * i)] - (i % 2 ? -1.0f : 1.0f)) < 0.001, qPrintable(QString::number(i)));
    QVERIFY(rms(window(out, 0, 30.0 / kRate, 2.0 / 24)) < 0.001);

    // A stream block of 230 samples at 5.5 kHz, its first -12437: 1840
    // samples at 44.1 kHz on the only frame.
    QFile streamFile(stream);
    QVERIFY(streamFile.open(QIODevice::ReadOnly));
    out = render(streamFile.readAll(), 2);
    QCOMPARE(out[0], -12437.0f / 32768.0f);
    QVERIFY(rms(window(out, 0, 0, 1830.0 / kRate)) > 0.3);
    QVERIFY(rms(window(out, 0, 1850.0 / kRate, 2.0 / 24)) < 0.001);
}

QTEST_GUILESS_MAIN(MovieSoundTest)
#include "tst_moviesound.moc"
