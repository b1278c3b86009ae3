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

// 48 frames at 24 a second; with `sound`, two seconds of a tone start on the first.
QString writeMovie(const QTemporaryDir& dir, const char* name, bool sound)
{
    SwfWriter w(100, 50, 24);
    if (sound) {
        std::vector<qint16> tone(44100);
        for (std::size_t i = 0; i < tone.size(); ++i)
            tone[i] = qint16(std::lround(8000 * std::sin(double(i) * 0.1)));
        movie::SoundFormat format;
        format.codec = movie::SoundFormat::PcmLittleEndian;
        format.rate = 22050;
        w.defineSound(1, format, 44100, movie::writer::pcm16(tone));
        w.startSound(1);
    }
    for (int f = 0; f < 48; ++f)
        w.showFrame();
    QString path = dir.filePath(QString::fromLatin1(name));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(w.finish());
    return path;
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
        player.setMovie(writeMovie(dir_, "sound.swf", true));
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
        player.setMovie(writeMovie(dir_, "sound.swf", true));
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
        first.setMovie(writeMovie(dir_, "sound.swf", true));
        second.setMovie(writeMovie(dir_, "sound.swf", true));
        first.Play();
        second.Play();
        QVERIFY(!first.IsSounding());
        QVERIFY(second.IsSounding());
        QVERIFY(first.IsPlaying()); // its picture plays on
    }

    void silentMovieOpensNoDevice()
    {
        TShockwaveFlash player;
        player.show();
        player.setMovie(writeMovie(dir_, "silent.swf", false));
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
        player.setMovie(writeMovie(dir_, "sound.swf", true));
        player.Play(); // no error
        qputenv("SDL_AUDIODRIVER", driver);
        QVERIFY(player.IsPlaying());
        QVERIFY(!player.IsSounding());
        QTRY_VERIFY(player.CurrentFrame() > 4);
    }
};

QTEST_MAIN(ShockwaveFlashSoundTest)
#include "tst_shockwaveflashsound.moc"
