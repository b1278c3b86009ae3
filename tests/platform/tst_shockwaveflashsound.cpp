// The Flash player control's sound: a movie's sound plays with it (on SDL's
// dummy device), Stop and hiding end it, one movie sounds at a time, and
// without an audio device the picture plays on in silence.

#include "movie/writer/SoundEncoding.h"
#include "movie/writer/SwfWriter.h"
#include "platform/ShockwaveFlash.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>

using movie::writer::SwfWriter;

namespace {

// `samples` of a tone at 22.05 kHz, started where the writer stands.
void startTone(SwfWriter& w, int samples)
{
    std::vector<qint16> tone(static_cast<std::size_t>(samples));
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = qint16(std::lround(8000 * std::sin(double(i) * 0.1)));
    movie::SoundFormat format;
    format.codec = movie::SoundFormat::PcmLittleEndian;
    format.rate = 22050;
    w.defineSound(1, format, quint32(samples), movie::writer::pcm16(tone));
    w.startSound(1);
}

QString writeFile(const QTemporaryDir& dir, const char* name, const QByteArray& bytes)
{
    QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

// 48 frames at 24 a second; with `sound`, two seconds of a tone start on the first.
QString writeMovie(const QTemporaryDir& dir, const char* name, bool sound)
{
    SwfWriter w(100, 50, 24);
    if (sound)
        startTone(w, 44100);
    for (int f = 0; f < 48; ++f)
        w.showFrame();
    return writeFile(dir, name, w.finish());
}

// Gives the player its movie and waits until it is read.
bool load(TShockwaveFlash& player, const QString& path)
{
    player.setMovie(path);
    return QTest::qWaitFor([&] { return player.hasMovie(); });
}

// True when no further buffer of the movie's sound reaches the device for a while.
bool staysSilent(const TShockwaveFlash& player)
{
    const auto before = player.soundBuffersDelivered();
    QTest::qWait(100);
    return player.soundBuffersDelivered() == before;
}

} // namespace

class ShockwaveFlashSoundTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void playSoundsAndStopEndsIt()
    {
        TShockwaveFlash player;
        player.show();
        QVERIFY(load(player, writeMovie(dir_, "sound.swf", true)));
        QVERIFY(!player.IsSounding()); // loading alone plays nothing
        player.Play();
        QVERIFY(player.IsSounding());
        QTRY_VERIFY(player.soundBuffersDelivered() > 2);
        QTRY_VERIFY(player.CurrentFrame() > 2);
        player.Stop();
        QVERIFY(!player.IsSounding());
        QVERIFY(staysSilent(player));
        // Play again goes on with the picture, and the sound of the frames to come.
        player.Play();
        QTRY_VERIFY(player.soundBuffersDelivered() > 0);
    }

    void hidingSilencesIt()
    {
        TShockwaveFlash player;
        player.show();
        QVERIFY(load(player, writeMovie(dir_, "sound.swf", true)));
        player.Play();
        QVERIFY(player.IsSounding());
        player.hide();
        QVERIFY(!player.IsSounding());
        QVERIFY(staysSilent(player));
        // Shown again, the movie goes on, and its sound device with it.
        const auto before = player.soundBuffersDelivered();
        player.show();
        QTRY_VERIFY(player.soundBuffersDelivered() > before);
    }

    void onlyOneMovieSoundsAtATime()
    {
        TShockwaveFlash first, second;
        first.show();
        second.show();
        QVERIFY(load(first, writeMovie(dir_, "sound.swf", true)));
        QVERIFY(load(second, writeMovie(dir_, "sound.swf", true)));
        first.Play();
        second.Play();
        QVERIFY(!first.IsSounding());
        QVERIFY(second.IsSounding());
        QVERIFY(first.IsPlaying()); // its picture plays on
    }

    // A movie that comes to rest plays its last sound out, then lets the
    // audio device go.
    void aMovieAtRestLetsTheDeviceGo()
    {
        SwfWriter w(100, 50, 24);
        startTone(w, 5512); // a quarter of a second
        w.showFrame();
        w.doAction(movie::writer::actions::stop());
        w.showFrame();
        TShockwaveFlash player;
        player.show();
        QVERIFY(load(player, writeFile(dir_, "short.swf", w.finish())));
        player.Play();
        QTRY_VERIFY(!player.IsPlaying());
        QVERIFY(!player.IsSounding());
        QVERIFY(staysSilent(player));
    }

    void silentMovieOpensNoDevice()
    {
        TShockwaveFlash player;
        player.show();
        QVERIFY(load(player, writeMovie(dir_, "silent.swf", false)));
        player.Play();
        QTRY_VERIFY(player.CurrentFrame() > 2);
        QVERIFY(!player.IsSounding());
        QCOMPARE(player.soundBuffersDelivered(), quint64(0));
    }

    void withoutAnAudioDeviceThePicturePlaysOn()
    {
        // The audio starts with the first player's sound and stops with the
        // last player, so this player meets the driver named here.
        const QByteArray driver = qgetenv("SDL_AUDIODRIVER");
        qputenv("SDL_AUDIODRIVER", "no-such-driver");
        TShockwaveFlash player;
        player.show();
        QVERIFY(load(player, writeMovie(dir_, "sound.swf", true)));
        player.Play(); // no error
        qputenv("SDL_AUDIODRIVER", driver);
        QVERIFY(player.IsPlaying());
        QVERIFY(!player.IsSounding());
        QTRY_VERIFY(player.CurrentFrame() > 4);
    }
};

QTEST_MAIN(ShockwaveFlashSoundTest)
#include "tst_shockwaveflashsound.moc"
