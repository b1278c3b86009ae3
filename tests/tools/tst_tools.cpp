// swfrun and swf2png as a user runs them: their usage, and the warnings
// they print about what a movie asks for that the player lacks.

#include "movie/format/TagCodes.h"
#include "movie/writer/ActionWriter.h"
#include "movie/writer/SoundEncoding.h"
#include "movie/writer/SwfWriter.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <cmath>
#include <numbers>

using movie::writer::ActionWriter;
using movie::writer::SwfWriter;
using A = ActionWriter;

namespace {

struct Result {
    int exitCode = -1;
    QString out, err;
};

Result run(const QString& program, const QStringList& args)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

// A title that makes an XMLSocket twice, calls a clip's attachAudio and
// getURL, asks for a file that is not there and holds a video stream.
QByteArray askingTitle()
{
    SwfWriter w(20, 20, 12);
    w.writeTag(movie::tag::DefineVideoStream, QByteArray(10, '\0'));
    A script;
    for (int i = 0; i < 2; ++i)
        script.push({A::str("socket"), A::num(0), A::str("XMLSocket")}).op(0x40).op(0x1D);
    script.callMethod("this", "attachAudio", {A::null()}).op(0x17);
    script.callMethod("this", "getURL", {A::str("http://example.com/")}).op(0x17);
    script.push({A::str("x"), A::num(0), A::str("XML")}).op(0x40).op(0x1D);
    script.callMethod("x", "load", {A::str("missing.xml")}).op(0x17);
    script.push({A::str("asked")}).trace();
    w.doAction(script.bytes());
    w.showFrame();
    return w.finish();
}

// A title whose first frame attaches the sound exported as "Beep" (a
// second of a 440 Hz tone at half scale) to a Sound object and starts it.
QByteArray beepingTitle()
{
    SwfWriter w(20, 20, 12);
    movie::SoundFormat format;
    format.codec = movie::SoundFormat::PcmLittleEndian;
    format.rate = 22050;
    std::vector<qint16> tone(22050);
    for (std::size_t i = 0; i < tone.size(); ++i)
        tone[i] = qint16(std::lround(16383 * std::sin(2 * std::numbers::pi * 440 * double(i) / 22050)));
    w.defineSound(1, format, quint32(tone.size()), movie::writer::pcm16(tone));
    w.exportAssets(1, "Beep");
    A script;
    script.push({A::str("s"), A::num(0), A::str("Sound")}).op(0x40).op(0x1D);
    script.callMethod("s", "attachSound", {A::str("Beep")}).op(0x17);
    script.callMethod("s", "start").op(0x17);
    w.doAction(script.bytes());
    for (int f = 0; f < 6; ++f)
        w.showFrame();
    return w.finish();
}

} // namespace

class ToolsTest : public QObject {
    Q_OBJECT

private slots:
    void helpAndUnknownOptions_data()
    {
        QTest::addColumn<QString>("program");
        QTest::newRow("swfrun") << QStringLiteral(SWFRUN_PATH);
        QTest::newRow("swf2png") << QStringLiteral(SWF2PNG_PATH);
    }
    // --help prints the usage and succeeds; an unknown option prints it on
    // standard error and fails.
    void helpAndUnknownOptions()
    {
        QFETCH(QString, program);
        const Result help = run(program, {"--help"});
        QCOMPARE(help.exitCode, 0);
        QVERIFY2(help.out.startsWith("usage: "), qPrintable(help.out));
        QVERIFY(!help.err.contains("usage"));
        const Result wrong = run(program, {"--fast", "logo.swf"});
        QVERIFY(wrong.exitCode > 0);
        QVERIFY(wrong.out.isEmpty());
        QVERIFY2(wrong.err.contains("unknown option --fast") && wrong.err.contains("usage: "), qPrintable(wrong.err));
    }

    // Each thing the movie asks for and does not get is printed once, on
    // standard error, after what the movie traced.
    void warningsForWhatAMovieDoesNotGet()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("logo.swf");
        QVERIFY(writeFile(path, askingTitle()));
        const QStringList expected{
            "skipped: DefineVideoStream (tag 60)",
            "does nothing here: XMLSocket",
            "not provided: MovieClip.attachAudio",
            "does nothing here: MovieClip.getURL",
            "not loaded: missing.xml (there is no such file beside the movie)",
        };
        const Result swfrun = run(SWFRUN_PATH, {path, "--frames", "2"});
        QCOMPARE(swfrun.exitCode, 0);
        QCOMPARE(swfrun.out, QStringLiteral("asked\n"));
        QStringList printed = swfrun.err.split(u'\n', Qt::SkipEmptyParts);
        for (QString& line : printed)
            line.remove("swfrun: " + path + ": ");
        QCOMPARE(printed, expected);
        const Result swf2png = run(SWF2PNG_PATH, {path, dir.filePath("frame.png"), "--frame", "2"});
        QCOMPARE(swf2png.exitCode, 0);
        QCOMPARE(swf2png.err.count("swf2png: " + path + ": "), expected.size());
    }

    // The sound a script starts is in the WAV swf2png writes: loud from its
    // first frame on, as loud as the tone (peak half of full scale).
    void wavHoldsTheSoundAScriptStarts()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("beep.swf");
        QVERIFY(writeFile(path, beepingTitle()));
        const QString wav = dir.filePath("beep.wav");
        const Result r = run(SWF2PNG_PATH, {path, dir.filePath("frame.png"), "--frame", "6", "--wav", wav});
        QCOMPARE(r.exitCode, 0);
        QFile in(wav);
        QVERIFY(in.open(QIODevice::ReadOnly));
        const QByteArray bytes = in.readAll();
        QVERIFY(bytes.startsWith("RIFF") && bytes.size() > 44 + 4 * 4410);
        int peak = 0; // the left channel over the first tenth of a second
        for (qsizetype i = 44; i < 44 + 4 * 4410; i += 4)
            peak = std::max(peak, std::abs(int(qFromLittleEndian<qint16>(bytes.constData() + i))));
        QVERIFY2(peak > 12000 && peak < 20000, qPrintable(QString::number(peak)));
    }
};

QTEST_GUILESS_MAIN(ToolsTest)
#include "tst_tools.moc"
