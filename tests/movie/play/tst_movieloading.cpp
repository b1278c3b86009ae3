// Files a title's scripts load from beside it: XML and variables, movies and
// pictures into clips and levels, MovieClipLoader; and the names and files
// that must never be read (outside the folder, links out, pipes).

#include "tests/support/MovieTestKit.h"
#include "tests/support/TestJpeg.h"

#include "movie/writer/ActionWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <sys/stat.h> // mkfifo

using namespace kit;
using movie::writer::ActionWriter;
using A = ActionWriter;

namespace {

// A movie whose first frame runs `script` over a red stage, and a second
// frame `then` (and stops there).
QByteArray titleMovie(const A& script, const A& then)
{
    SwfWriter w = colourMovie();
    w.placeObject2(Place::add(1, Red));
    w.doAction(script.bytes());
    w.showFrame();
    w.doAction(A(then).op(0x07).bytes());
    w.showFrame();
    return w.finish();
}

// That movie, loading its files from `folder`.
struct Run : TracedPlayer {
    Run(const QString& folder, const A& script, const A& then = {}) : TracedPlayer(titleMovie(script, then))
    {
        player->setFolder(folder);
    }
    // The traces of the next step.
    QStringList step()
    {
        traces.clear();
        player->step();
        return traces;
    }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// variable = new Class(args)
A& construct(A& a, const QByteArray& variable, const QByteArray& cls, const QList<A::Operand>& args = {})
{
    QList<A::Operand> values{A::str(variable)};
    for (qsizetype i = args.size(); i-- > 0;)
        values << args[i];
    values << A::num(double(args.size())) << A::str(cls);
    return a.push(values).op(0x40).op(0x1D);
}

// path = the timeline's function `function`
A& assign(A& a, const QByteArray& path, const QByteArray& function)
{
    return a.push({A::str(path)}).getVariable(function).op(0x1D);
}

// trace(label + variable)
A& traceWith(A& a, const QByteArray& label, const QByteArray& variable)
{
    return a.push({A::str(label)}).getVariable(variable).op(0x47).trace();
}

// A 10 x 10 movie of version 7 whose frame shows a green square and traces
// "child", the clip it plays in, its _root and its version; with
// `lockRoot` it sets this._lockroot first.
QByteArray childMovie(bool lockRoot = false)
{
    SwfWriter w(10, 10, 12, 7);
    w.defineShape(1, rectangle(QRect(0, 0, 10, 10), Fill::solid(kGreen)));
    w.placeObject2(Place::add(1, 1));
    A script;
    if (lockRoot)
        script.getVariable("this").push({A::str("_lockroot"), A::boolean(true)}).op(0x4F);
    script.push({A::str("child")}).trace().getVariable("this").trace().getVariable("_root").trace();
    script.callMethod("this", "getSWFVersion").trace();
    w.doAction(script.bytes());
    w.showFrame();
    return w.finish();
}

// object.method(the values of `variables`); the result stays on the stack.
A& callWithValues(A& a, const QByteArray& object, const QByteArray& method, const QList<QByteArray>& variables)
{
    for (qsizetype i = variables.size(); i-- > 0;)
        a.getVariable(variables[i]);
    return a.push({A::num(double(variables.size()))}).getVariable(object).push({A::str(method)}).op(0x52);
}

// this.createEmptyMovieClip(name, depth)
A& emptyClip(A& a, const QByteArray& name, int depth)
{
    return a.callMethod("this", "createEmptyMovieClip", {A::str(name), A::num(depth)}).op(0x17);
}

} // namespace

class MovieLoadingTest : public QObject {
    Q_OBJECT

private slots:
    // XML.load of a file beside the movie: onLoad(true) a step later, with
    // the document parsed, its size and status.
    void xmlLoadsAFileBesideTheMovie()
    {
        QTemporaryDir dir;
        const QByteArray xml = "<?xml version=\"1.0\"?>\n<menu title=\"Disc &amp; more\">\n <item>One</item>\n "
                               "<item/>\n</menu>\n";
        writeFile(dir.filePath("data.xml"), xml);
        A done;
        done.getVariable("ok").trace();
        for (const char* path :
             {"x.loaded", "x.firstChild.nodeName", "x.firstChild.attributes.title", "x.firstChild.childNodes.length",
              "x.firstChild.firstChild.firstChild.nodeValue", "x.status"})
            done.getVariable(path).trace();
        done.callMethod("x", "getBytesTotal").trace();
        A script;
        construct(script, "x", "XML");
        script.setVariable("x.ignoreWhite", A::boolean(true)).defineFunction("done", {"ok"}, done);
        assign(script, "x.onLoad", "done").callMethod("x", "load", {A::str("data.xml")}).trace();
        Run run(dir.path(), script);
        QCOMPARE(run.traces, QStringList{"true"}); // the request is made; nothing arrives yet
        QCOMPARE(run.step(),
                 QStringList({"true", "true", "menu", "Disc & more", "2", "One", "0", QString::number(xml.size())}));
    }

    // LoadVars.load: the variables of the file, decoded, then onLoad(true).
    void loadVarsDecodesAFile()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("vars.txt"), "title=Summer+Disc&count=3&note=caf%C3%A9");
        A done;
        done.getVariable("ok").trace().getVariable("v.title").trace().getVariable("v.count").trace();
        done.getVariable("v.note").trace();
        A script;
        construct(script, "v", "LoadVars").defineFunction("done", {"ok"}, done);
        assign(script, "v.onLoad", "done").callMethod("v", "load", {A::str("vars.txt")}).op(0x17);
        Run run(dir.path(), script);
        QCOMPARE(run.step(), QStringList({"true", "Summer Disc", "3", QString::fromUtf8("café")}));
    }

    // loadVariablesNum into level 0 and loadVariables into a clip: the
    // variables arrive as strings on those timelines a step later.
    void variablesLoadIntoTimelines()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("vars.txt"), "title=Summer+Disc&count=3");
        A script, then;
        emptyClip(script, "holder", 1);
        script.push({A::str("vars.txt"), A::str("_level0")}).getUrl2(0x80);
        script.push({A::str("vars.txt"), A::str("holder")}).getUrl2(0xC0);
        then.getVariable("title").trace().getVariable("holder.count").trace();
        then.getVariable("holder.count").op(0x44).trace(); // typeof
        Run run(dir.path(), script, then);
        QCOMPARE(run.step(), QStringList({"Summer Disc", "3", "string"}));
    }

    // Names that leave the folder, a link out of it, a pipe, a folder, a
    // web address and a missing file: every load fails with onLoad(false),
    // nothing blocks, nothing outside is read, and the warnings say why.
    void filesOutsideTheFolderOrNotRegularNeverLoad()
    {
        QTemporaryDir root;
        QVERIFY(QDir(root.path()).mkpath("title/sub"));
        const QString folder = root.filePath("title");
        const QString outside = root.filePath("secret.xml");
        writeFile(outside, "<secret/>");
        QVERIFY(QFile::link(outside, folder + "/link.xml"));
        QCOMPARE(::mkfifo(QFile::encodeName(folder + "/pipe.xml").constData(), 0600), 0);
        const QList<QByteArray> names{
            "../secret.xml",     "sub/../../secret.xml", QFile::encodeName(outside), "link.xml", "pipe.xml", "sub",
            "http://host/a.xml", "missing.xml"};
        A failed;
        failed.push({A::str("failed ")}).getVariable("ok").op(0x47).trace();
        A script;
        script.defineFunction("failed", {"ok"}, failed);
        for (int i = 0; i < names.size(); ++i) {
            const QByteArray x = "x" + QByteArray::number(i);
            construct(script, x, "XML");
            assign(script, x + ".onLoad", "failed").callMethod(x, "load", {A::str(names[i])}).op(0x17);
        }
        Run run(folder, script);
        QCOMPARE(run.step(), QStringList(names.size(), "failed false"));
        const QString warnings = run.player->warnings().join(u'\n');
        QVERIFY2(warnings.contains("not loaded: pipe.xml (it is not a regular file)"), qPrintable(warnings));
        QVERIFY2(warnings.contains("not loaded: link.xml (it lies outside the movie's folder)"), qPrintable(warnings));
        QVERIFY2(warnings.contains("not loaded: missing.xml"), qPrintable(warnings));
    }

    // loadMovie into a clip made by script: the movie plays there from the
    // next step with its own dictionary (its character 1 is green where the
    // title's is red) and its own version; its _root is the title's until
    // it locks its root.
    void aMovieLoadsIntoAClip()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("child.swf"), childMovie());
        writeFile(dir.filePath("locked.swf"), childMovie(true));
        A script;
        emptyClip(script, "holder", 1);
        emptyClip(script, "other", 2);
        script.setVariable("other._x", A::num(100));                        // off the stage
        script.push({A::str("child.swf"), A::str("holder")}).getUrl2(0x40); // loadMovie("child.swf", holder)
        script.callMethod("other", "loadMovie", {A::str("locked.swf")}).op(0x17);
        Run run(dir.path(), script);
        EXPECT_PIXEL(frame(*run.player), 5, 5, kRed);
        QCOMPARE(
            run.step(),
            QStringList({"child", "_level0.holder", "_level0", "7", "child", "_level0.other", "_level0.other", "7"}));
        EXPECT_PIXEL(frame(*run.player), 5, 5, kGreen);
    }

    // A JPEG picture loaded into a clip shows at the clip's place, its top
    // left corner there; an unloadMovie after a load leaves the clip empty.
    void aPictureLoadsIntoAClipAndUnloads()
    {
        QTemporaryDir dir;
        QImage blue(4, 4, QImage::Format_RGB32);
        blue.fill(kBlue);
        writeFile(dir.filePath("photo.jpg"), encodeTestJpeg(blue, JpegKind::Rgb));
        A script;
        emptyClip(script, "holder", 1);
        emptyClip(script, "gone", 2);
        script.setVariable("holder._x", A::num(5)).setVariable("gone._y", A::num(5));
        script.callMethod("holder", "loadMovie", {A::str("photo.jpg")}).op(0x17);
        script.callMethod("gone", "loadMovie", {A::str("photo.jpg")}).op(0x17);
        script.callMethod("gone", "unloadMovie").op(0x17);
        Run run(dir.path(), script);
        run.step();
        const QImage shown = frame(*run.player);
        EXPECT_PIXEL(shown, 2, 2, kRed);
        EXPECT_PIXEL(shown, 7, 2, kBlue);
        EXPECT_PIXEL(shown, 7, 6, kRed); // below the picture's four rows
        EXPECT_PIXEL(shown, 2, 7, kRed); // unloaded
    }

    // loadMovieNum into level 1 draws over level 0 and answers to
    // _level1; unloadMovieNum takes it away again.
    void aMovieLoadsIntoALevel()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("child.swf"), childMovie());
        A script, then;
        script.getUrl("child.swf", "_level1");
        then.getUrl("", "_level1");
        Run run(dir.path(), script, then);
        QCOMPARE(run.step(), QStringList({"child", "_level1", "_level1", "7"}));
        EXPECT_PIXEL(frame(*run.player), 5, 5, kGreen);
        run.step();
        EXPECT_PIXEL(frame(*run.player), 5, 5, kRed);
    }

    // MovieClipLoader: onLoadStart, onLoadProgress and onLoadComplete as the
    // file arrives, onLoadInit after the loaded movie's first frame ran;
    // onLoadError with "URLNotFound" for a file that is not there;
    // getProgress of the loaded clip, and unloadClip.
    void movieClipLoaderTellsItsListeners()
    {
        QTemporaryDir dir;
        writeFile(dir.filePath("child.swf"), childMovie());
        A script;
        emptyClip(script, "holder", 1);
        emptyClip(script, "spare", 2);
        construct(script, "mcl", "MovieClipLoader");
        script.push({A::str("listener"), A::num(0)}).op(0x43).op(0x1D); // listener = {}
        for (const char* event : {"onLoadStart", "onLoadInit"}) {
            A handler;
            traceWith(handler, QByteArray(event) + " ", "target");
            if (QByteArray(event) == "onLoadInit")
                callWithValues(handler, "mcl", "getProgress", {"target"}).push({A::str("bytesTotal")}).op(0x4E).trace();
            script.defineFunction(event, {"target"}, handler);
            assign(script, QByteArray("listener.") + event, event);
        }
        A progress;
        progress.push({A::str("onLoadProgress ")}).getVariable("loaded").op(0x47).push({A::str("/")}).op(0x47);
        progress.getVariable("total").op(0x47).trace();
        script.defineFunction("onLoadProgress", {"target", "loaded", "total"}, progress);
        assign(script, "listener.onLoadProgress", "onLoadProgress");
        A error;
        traceWith(error, "onLoadError ", "code");
        script.defineFunction("onLoadError", {"target", "code"}, error);
        assign(script, "listener.onLoadError", "onLoadError");
        callWithValues(script, "mcl", "addListener", {"listener"}).op(0x17);
        script.setVariable("good", A::str("child.swf")).setVariable("bad", A::str("missing.swf"));
        callWithValues(script, "mcl", "loadClip", {"good", "holder"}).trace();
        callWithValues(script, "mcl", "loadClip", {"bad", "spare"}).trace();
        A then;
        callWithValues(then, "mcl", "unloadClip", {"holder"}).trace();
        Run run(dir.path(), script, then);
        QCOMPARE(run.traces, QStringList({"true", "true"}));
        const QStringList traces = run.step();
        const int size = int(QFileInfo(dir.filePath("child.swf")).size());
        const QStringList good{"onLoadStart _level0.holder",
                               QStringLiteral("onLoadProgress %1/%1").arg(size),
                               "child",
                               "onLoadInit _level0.holder",
                               QString::number(size),
                               "true"};
        qsizetype at = -1;
        for (const QString& line : good) {
            const qsizetype next = traces.indexOf(line);
            QVERIFY2(next > at, qPrintable(line + " in " + traces.join(" | ")));
            at = next;
        }
        QVERIFY(traces.contains("onLoadError URLNotFound"));
        QCOMPARE(traces.filter("onLoadStart").size(), 1);
        EXPECT_PIXEL(frame(*run.player), 5, 5, kGreen);
        run.step();
        EXPECT_PIXEL(frame(*run.player), 5, 5, kRed);
    }
};

QTEST_MAIN(MovieLoadingTest)
#include "tst_movieloading.moc"
