// The canvas's Flash player control: Movie, Play and Stop as the Title
// preview uses them, and its drawing. The control reads its movie on the
// engine's thread: the tests wait for the reading where they need it done.

#include "base/Application.h"
#include "movie/writer/ActionWriter.h"
#include "movie/writer/SwfWriter.h"
#include "platform/ShockwaveFlash.h"
#include "tests/support/ScriptedDialogs.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

using movie::Matrix;
using movie::writer::ShapeSpec;
using movie::writer::SwfWriter;
namespace actions = movie::writer::actions;

namespace {

// `frames` frames at `fps`, a red square moving one pixel a frame over a
// blue stage; with `stopAtEnd` the last frame stops the movie; `script`
// runs on the third frame.
QByteArray movingSquare(int frames, double fps, bool stopAtEnd, const QByteArray& script = {})
{
    SwfWriter w(100, 50, fps);
    w.setBackground(QColor(0, 0, 255));
    ShapeSpec s;
    s.fills.push_back(ShapeSpec::Fill::solid(QColor(255, 0, 0)));
    s.rect(QRect(0, 0, 50 * 20, 50 * 20), 1);
    w.defineShape(1, s);
    for (int f = 0; f < frames; ++f) {
        Matrix m;
        m.tx = f * 20;
        w.placeObject2(f == 0 ? SwfWriter::Place::add(1, 1).withMatrix(m) : SwfWriter::Place::modify(1).withMatrix(m));
        if (stopAtEnd && f == frames - 1)
            w.doAction(actions::stop());
        if (!script.isEmpty() && f == 2)
            w.doAction(script);
        w.showFrame();
    }
    return w.finish();
}

QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
    return path;
}

// Gives the player its movie and waits until it is read.
bool load(TShockwaveFlash& player, const QString& path)
{
    player.setMovie(path);
    return QTest::qWaitFor([&] { return player.hasMovie(); });
}

} // namespace

class ShockwaveFlashTest : public QObject {
    Q_OBJECT

private slots:
    void startsEmptyWithItsFixedSettings()
    {
        TShockwaveFlash player;
        QVERIFY(!player.hasMovie());
        QVERIFY(player.Movie().isEmpty());
        QCOMPARE(player.WMode(), QStringLiteral("Window"));
        QCOMPARE(player.Quality(), QStringLiteral("High"));
        QCOMPARE(player.Scale(), QStringLiteral("ShowAll"));
        player.Play(); // nothing to play: no harm
        player.Stop();
        QVERIFY(!player.IsPlaying());
    }

    void missingFileGivesAnEmptyPlayerAndNoError()
    {
        QTemporaryDir dir;
        TShockwaveFlash player;
        QVERIFY(load(player, writeFile(dir, "logo.swf", movingSquare(3, 12, false))));
        const QString missing = dir.filePath("data") + "/\\data/logo.swf";
        player.setMovie(missing);
        QVERIFY(!player.hasMovie());
        QCOMPARE(player.Movie(), missing);
        player.Play();
        QVERIFY(!player.IsPlaying());
    }

    void fileThatIsNoMovieIsReportedNamingIt()
    {
        ScriptedDialogs dialogs;
        Application::setDialogs(&dialogs);
        QTemporaryDir dir;
        const QString path = writeFile(dir, "logo.swf", "GIF89a this is a picture, not a movie");
        TShockwaveFlash player;
        player.setMovie(path);
        QVERIFY(player.isLoading());
        QTRY_COMPARE(dialogs.errors.size(), 1);
        const QString error = dialogs.errors.first();
        QVERIFY2(error.contains(QDir::toNativeSeparators(path)), qPrintable(error));
        QVERIFY2(error.contains("not a Flash movie"), qPrintable(error));
        QVERIFY(!player.hasMovie());
        QVERIFY(!player.isLoading());
        Application::setDialogs(nullptr);
    }

    void playRunsToTheStopAndTheClockRests()
    {
        QTemporaryDir dir;
        TShockwaveFlash player;
        QVERIFY(load(player, writeFile(dir, "logo.swf", movingSquare(4, 50, true))));
        QCOMPARE(player.CurrentFrame(), 1);
        QVERIFY(!player.IsPlaying()); // Movie alone does not start it
        player.Play();
        QVERIFY(player.IsPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(player.CurrentFrame(), 4, 3000);
        QTRY_VERIFY_WITH_TIMEOUT(!player.IsPlaying(), 3000); // nothing more can change
    }

    // The control runs the title's scripts: a script method call stops the
    // movie on its third frame of six.
    void aTitleStoppedByItsScriptRestsThere()
    {
        const QByteArray stopRoot = movie::writer::ActionWriter().callMethod("_root", "stop").op(0x17).bytes(); // pop
        QTemporaryDir dir;
        TShockwaveFlash player;
        player.setMovie(writeFile(dir, "logo.swf", movingSquare(6, 50, false, stopRoot)));
        player.Play();
        QTRY_VERIFY_WITH_TIMEOUT(!player.IsPlaying(), 3000);
        QCOMPARE(player.CurrentFrame(), 3);
    }

    void stopHaltsAndPlayGoesOnFromThere()
    {
        QTemporaryDir dir;
        TShockwaveFlash player;
        player.setMovie(writeFile(dir, "logo.swf", movingSquare(1000, 100, false)));
        player.Play();
        QTRY_VERIFY_WITH_TIMEOUT(player.CurrentFrame() > 2, 3000);
        player.Stop();
        const int halted = player.CurrentFrame();
        QTest::qWait(80);
        QCOMPARE(player.CurrentFrame(), halted);
        QVERIFY(!player.IsPlaying());
        player.Play();
        QTRY_VERIFY_WITH_TIMEOUT(player.CurrentFrame() > halted, 3000);
        // Setting the movie again starts it over, halted on its first frame.
        QVERIFY(load(player, player.Movie()));
        QCOMPARE(player.CurrentFrame(), 1);
        QVERIFY(!player.IsPlaying());
    }

    // A hidden player holds its movie where it stands, also when told to
    // play, and goes on once it shows again. Hidden while its movie is read,
    // it stops reading, and reads it again when it shows.
    void aHiddenPlayerWaitsUntilItShows()
    {
        QTemporaryDir dir;
        QWidget canvas;
        auto* player = new TShockwaveFlash(&canvas);
        canvas.show();
        player->setMovie(writeFile(dir, "logo.swf", movingSquare(1000, 100, false)));
        player->hide();
        player->Play();
        QTest::qWait(80);
        QVERIFY(player->CurrentFrame() <= 1);
        player->show();
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentFrame() > 2, 3000);
        player->hide();
        const int hiddenAt = player->CurrentFrame();
        QTest::qWait(80);
        QCOMPARE(player->CurrentFrame(), hiddenAt);
        player->show();
        QTRY_VERIFY_WITH_TIMEOUT(player->CurrentFrame() > hiddenAt, 3000);
    }

    // The preview loads what the title's scripts ask for from the title's
    // own folder: a movie beside logo.swf shows in the clip it was loaded
    // into, although the title itself has come to rest.
    void aTitleLoadsAMovieBesideIt()
    {
        QTemporaryDir dir;
        SwfWriter child(100, 50, 12);
        ShapeSpec green;
        green.fills.push_back(ShapeSpec::Fill::solid(QColor(0, 255, 0)));
        green.rect(QRect(0, 0, 100 * 20, 50 * 20), 1);
        child.defineShape(1, green);
        child.placeObject2(SwfWriter::Place::add(1, 1));
        child.showFrame();
        writeFile(dir, "child.swf", child.finish());
        SwfWriter title(100, 50, 50);
        title.setBackground(QColor(0, 0, 255));
        using A = movie::writer::ActionWriter;
        A script;
        script.callMethod("this", "createEmptyMovieClip", {A::str("holder"), A::num(1)}).op(0x17);
        script.callMethod("holder", "loadMovie", {A::str("child.swf")}).op(0x17);
        title.doAction(script.bytes());
        title.showFrame();
        TShockwaveFlash player;
        player.resize(100, 50);
        player.setMovie(writeFile(dir, "logo.swf", title.finish()));
        player.show();
        player.Play();
        QTRY_COMPARE_WITH_TIMEOUT(QColor(player.grab().toImage().pixel(50, 25)), QColor(0, 255, 0), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(!player.IsPlaying(), 3000);
    }

    // ShowAll in a control of another shape: the 2:1 stage in a 100 x 100
    // control fills its width, centred, with background bands above and below.
    // A title of one frame at one frame a second moves its square with
    // setInterval every 20 ms: the preview runs the timers on its own
    // clock, long before the movie's second frame would be due.
    void timersRunOnThePreviewsOwnClock()
    {
        using A = movie::writer::ActionWriter;
        SwfWriter w(100, 50, 1);
        w.setBackground(QColor(0, 0, 255));
        ShapeSpec s;
        s.fills.push_back(ShapeSpec::Fill::solid(QColor(255, 0, 0)));
        s.rect(QRect(0, 0, 50 * 20, 50 * 20), 1);
        w.defineShape(1, s);
        w.beginSprite(2);
        w.placeObject2(SwfWriter::Place::add(1, 1));
        w.showFrame();
        w.endSprite();
        w.placeObject2(SwfWriter::Place::add(1, 2).named("box"));
        const A move = A().push({A::str("box._x")}).getVariable("box._x").push({A::num(5)}).op(0x47).op(0x1D);
        w.doAction(A().defineFunction("move", {}, move)
                       .push({A::num(20)})
                       .getVariable("move")
                       .push({A::num(2), A::str("setInterval")})
                       .op(0x3D)
                       .op(0x17)
                       .bytes());
        w.showFrame();
        QTemporaryDir dir;
        QWidget canvas;
        auto* player = new TShockwaveFlash(&canvas);
        player->setGeometry(0, 0, 100, 50);
        canvas.resize(100, 50);
        player->setMovie(writeFile(dir, "logo.swf", w.finish()));
        canvas.show();
        QTRY_VERIFY(player->hasMovie()); // read on the engine's thread
        QCOMPARE(QColor(player->grab().toImage().pixel(60, 25)), QColor(0, 0, 255));
        QElapsedTimer wall;
        wall.start();
        player->Play();
        QTRY_COMPARE_WITH_TIMEOUT(QColor(player->grab().toImage().pixel(60, 25)), QColor(255, 0, 0), 3000);
        QVERIFY2(wall.elapsed() < 900, "the square moved only with the movie's frames");
        QVERIFY(player->IsPlaying()); // a movie that waits on a timer is not at rest
    }

    void drawsTheStageFittedIntoItsRectangle()
    {
        QTemporaryDir dir;
        QWidget canvas;
        auto* player = new TShockwaveFlash(&canvas);
        player->setGeometry(10, 10, 100, 100);
        canvas.resize(200, 200);
        QVERIFY(load(*player, writeFile(dir, "logo.swf", movingSquare(2, 12, false))));
        canvas.show();
        const QImage shot = player->grab().toImage();
        QCOMPARE(shot.size(), QSize(100, 100) * shot.devicePixelRatio());
        QCOMPARE(QColor(shot.pixel(25, 50)), QColor(255, 0, 0));
        QCOMPARE(QColor(shot.pixel(75, 50)), QColor(0, 0, 255));
        QCOMPARE(QColor(shot.pixel(25, 10)), QColor(0, 0, 255));
    }
};

QTEST_MAIN(ShockwaveFlashTest)
#include "tst_shockwaveflash.moc"
