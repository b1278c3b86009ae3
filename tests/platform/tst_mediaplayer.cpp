// The media player: its states through open, play, stop and close, its
// errors, and playback of WAV and MP3 files to their end (dummy audio driver).

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sndfile.h>

#include <cmath>
#include <csignal>
#include <vector>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "base/EditorError.h"
#include "platform/MediaPlayer.h"
#include "tests/support/ToneFiles.h"

namespace {

const QString kNoDevice = QStringLiteral("No MCI device open");

using ToneFiles::writeTone;
const int kMp3 = ToneFiles::Mp3;
const int kWav = ToneFiles::Wav;

// The text libsndfile itself gives for a file it cannot open.
QString libsndfileError(const QString& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (file) {
        sf_close(file);
        return {};
    }
    return QString::fromUtf8(sf_strerror(nullptr));
}

// Runs an operation that must fail and returns the error's text.
template <typename Operation>
QString errorOf(Operation operation)
{
    try {
        operation();
    } catch (const EditorError& error) {
        return error.text();
    }
    return QStringLiteral("<no error>");
}

// True when no further buffer reaches the device for a while.
bool staysSilent(const TMediaPlayer& player)
{
    const auto before = player.buffersDelivered();
    QTest::qWait(150);
    return player.buffersDelivered() == before;
}

} // namespace

class MediaPlayerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void startsWithNothingOpen();
    void playAndStopNeedAnOpenFile();
    void openPlayStopClose_data();
    void openPlayStopClose();
    void failedOpenLeavesNothingOpen_data();
    void failedOpenLeavesNothingOpen();
    void openingAnotherFileClosesTheFirst();
    void playsOnceToTheEndAndStaysOpen_data();
    void playsOnceToTheEndAndStaysOpen();
    void audioDeviceFailureLeavesNothingOpen();
    void aFileThatIsNoSoundSaysSo();
    void aPipeIsAFileThatCannotBeOpened();
    void signalsStillEndTheProgramAfterASound();

private:
    QTemporaryDir dir_;
    QString path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)); }
    // The rows (name, file) of the sound files a test plays; MP3 files only
    // where this libsndfile can write them.
    void addFiles(std::initializer_list<std::pair<const char*, const char*>> rows) const;
    bool haveMp3_ = false;
};

void MediaPlayerTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    QVERIFY(writeTone(path("short.wav"), kWav, 0.3, 1));
    QVERIFY(writeTone(path("long.wav"), kWav, 20.0, 2));
    QVERIFY(writeTone(path("six.wav"), kWav, 0.3, 6));
    haveMp3_ = writeTone(path("short.mp3"), kMp3, 0.4, 2) && writeTone(path("long.mp3"), kMp3, 20.0, 2);
    if (!haveMp3_)
        qWarning("this libsndfile cannot write MP3 files: the MP3 rows are left out");
    QFile damaged(path("damaged.wav"));
    QVERIFY(damaged.open(QIODevice::WriteOnly));
    damaged.write("RIFF\x10\x00\x00\x00WAVEfmt this is no sound", 33);
}

void MediaPlayerTest::startsWithNothingOpen()
{
    TMediaPlayer player;
    QVERIFY(player.fileName().isEmpty());
    QVERIFY(!player.isOpen());
    QVERIFY(!player.isPlaying());
    player.Close(); // nothing open: nothing happens
    QVERIFY(!player.isOpen());
}

void MediaPlayerTest::playAndStopNeedAnOpenFile()
{
    TMediaPlayer player;
    player.setFileName(path("short.wav")); // only stored
    QVERIFY(!player.isOpen());
    QCOMPARE(errorOf([&] { player.Stop(); }), kNoDevice);
    QCOMPARE(errorOf([&] { player.Play(); }), kNoDevice);
    QVERIFY(!player.isOpen());
    QCOMPARE(player.fileName(), path("short.wav"));
}

void MediaPlayerTest::addFiles(std::initializer_list<std::pair<const char*, const char*>> rows) const
{
    QTest::addColumn<QString>("name");
    for (const auto& [row, name] : rows)
        if (haveMp3_ || !QByteArray(name).endsWith(".mp3"))
            QTest::newRow(row) << QString::fromLatin1(name);
}

void MediaPlayerTest::openPlayStopClose_data() { addFiles({{"wav", "long.wav"}, {"mp3", "long.mp3"}}); }

void MediaPlayerTest::openPlayStopClose()
{
    QFETCH(QString, name);
    TMediaPlayer player;
    player.setFileName(dir_.filePath(name));
    player.Open();
    QVERIFY(player.isOpen());
    QVERIFY(!player.isPlaying());
    QVERIFY(staysSilent(player)); // opening does not start the sound

    player.Play();
    QVERIFY(player.isPlaying());
    QTRY_VERIFY(player.buffersDelivered() > 0);

    player.Stop();
    QVERIFY(player.isOpen());
    QVERIFY(!player.isPlaying());
    QVERIFY(staysSilent(player));

    // Play goes on from where Stop left it.
    const auto before = player.buffersDelivered();
    player.Play();
    QTRY_VERIFY(player.buffersDelivered() > before);

    player.Stop();
    player.Close();
    QVERIFY(!player.isOpen());
    QCOMPARE(player.fileName(), dir_.filePath(name));
    QCOMPARE(errorOf([&] { player.Stop(); }), kNoDevice); // a second stop
    player.Close();
}

void MediaPlayerTest::failedOpenLeavesNothingOpen_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("damaged") << "damaged.wav";
    QTest::newRow("missing") << "missing.wav";
}

void MediaPlayerTest::failedOpenLeavesNothingOpen()
{
    QFETCH(QString, name);
    const QString file = dir_.filePath(name);
    const QString expected = libsndfileError(file);
    QVERIFY(!expected.isEmpty());

    TMediaPlayer player;
    player.setFileName(path("long.wav"));
    player.Open();
    player.Play();

    player.setFileName(file);
    QCOMPARE(errorOf([&] { player.Open(); }), expected);
    QVERIFY(!player.isOpen()); // the sound that played was closed first
    QVERIFY(!player.isPlaying());
    QCOMPARE(player.fileName(), file);
    QCOMPARE(errorOf([&] { player.Stop(); }), kNoDevice);
    QVERIFY(staysSilent(player));
}

void MediaPlayerTest::openingAnotherFileClosesTheFirst()
{
    TMediaPlayer player;
    player.setFileName(path("long.wav"));
    player.Open();
    player.Play();
    QTRY_VERIFY(player.buffersDelivered() > 0);

    player.setFileName(path("short.wav"));
    player.Open();
    QVERIFY(player.isOpen());
    QVERIFY(!player.isPlaying());
    QVERIFY(staysSilent(player)); // the long sound no longer plays

    player.Play();
    QTRY_VERIFY(!player.isPlaying()); // the short sound ends soon
}

void MediaPlayerTest::playsOnceToTheEndAndStaysOpen_data()
{
    addFiles({{"wav", "short.wav"}, {"mp3", "short.mp3"}, {"six channels", "six.wav"}});
}

void MediaPlayerTest::playsOnceToTheEndAndStaysOpen()
{
    QFETCH(QString, name);
    TMediaPlayer player;
    player.setFileName(dir_.filePath(name));
    player.Open();
    QElapsedTimer timer;
    timer.start();
    player.Play();
    QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 5000);
    // The dummy device takes the sound at its real pace: no skipping ahead.
    QVERIFY2(timer.elapsed() >= 200, qPrintable(QString::number(timer.elapsed())));
    QVERIFY(player.buffersDelivered() > 0);
    QVERIFY(player.isOpen());
    QVERIFY(staysSilent(player)); // played once, no loop

    // Played to its end, it starts again from the beginning.
    const auto before = player.buffersDelivered();
    player.Play();
    QTRY_VERIFY(player.buffersDelivered() > before);
    QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 5000);

    player.Stop(); // still open, so no error
    player.Close();
    QVERIFY(!player.isOpen());
}

void MediaPlayerTest::audioDeviceFailureLeavesNothingOpen()
{
    // Audio starts with the first player's Open and stops with the last
    // player, so this player meets the driver named here.
    const QByteArray driver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    TMediaPlayer player;
    player.setFileName(path("short.wav"));
    const QString text = errorOf([&] { player.Open(); });
    qputenv("SDL_AUDIODRIVER", driver);

    QVERIFY2(text.contains(QLatin1String("no-such-driver")), qPrintable(text)); // SDL's own words
    QVERIFY(!player.isOpen());
    QCOMPARE(errorOf([&] { player.Play(); }), kNoDevice);
}

void MediaPlayerTest::aFileThatIsNoSoundSaysSo()
{
    // Not "not a regular file (possibly a pipe?)", which is what libsndfile
    // says of such a file named .mp3, but what it says of a file whose
    // format it does not recognise.
    const QString unrecognised = QString::fromUtf8(sf_error_number(SF_ERR_UNRECOGNISED_FORMAT));
    for (const char* name : {"noise.mp3", "noise.wav"}) {
        QFile noise(path(name));
        QVERIFY(noise.open(QIODevice::WriteOnly));
        for (int i = 0; i < 100; ++i)
            noise.putChar(char(i * 37 + 11));
        noise.close();
        TMediaPlayer player;
        player.setFileName(path(name));
        QCOMPARE(errorOf([&] { player.Open(); }), unrecognised);
    }
}

void MediaPlayerTest::aPipeIsAFileThatCannotBeOpened()
{
#ifdef Q_OS_UNIX
    // libsndfile would wait in its open for someone to write to the pipe.
    QCOMPARE(::mkfifo(QFile::encodeName(path("pipe.wav")).constData(), 0600), 0);
    TMediaPlayer player;
    player.setFileName(path("pipe.wav"));
    QCOMPARE(errorOf([&] { player.Open(); }), "Cannot open file " + path("pipe.wav"));
    QVERIFY(!player.isOpen());
#else
    QSKIP("named pipes");
#endif
}

void MediaPlayerTest::signalsStillEndTheProgramAfterASound()
{
#ifdef Q_OS_UNIX
    // As in the editor, which leaves both signals to the system (the test
    // framework catches them to report them).
    const auto framework = std::pair(std::signal(SIGINT, SIG_DFL), std::signal(SIGTERM, SIG_DFL));
    TMediaPlayer player;
    player.setFileName(path("short.wav"));
    player.Open();
    player.Play();
    QTRY_VERIFY(player.buffersDelivered() > 0);
    // A child has the signal handling of the process it was made from: sent
    // the signal, it must end by it.
    for (const int signal : {SIGINT, SIGTERM}) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::raise(signal);
            ::_exit(0);
        }
        int status = 0;
        QCOMPARE(::waitpid(child, &status, 0), child);
        QVERIFY2(WIFSIGNALED(status) && WTERMSIG(status) == signal, qPrintable(QString::number(signal)));
    }
    player.Close();
    std::signal(SIGINT, framework.first);
    std::signal(SIGTERM, framework.second);
#else
    QSKIP("POSIX signals");
#endif
}

QTEST_GUILESS_MAIN(MediaPlayerTest)
#include "tst_mediaplayer.moc"
