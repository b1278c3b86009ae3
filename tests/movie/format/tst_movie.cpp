// Reading movie files: containers, header, unknown tags, files that are no
// movies, damaged files, and the shared corpus of real movies.

#include "tests/support/MovieTestKit.h"

#include "movie/format/TagCodes.h"

#include "movie/MovieError.h"
#include "movie/format/Container.h"

#include <QDir>
#include <QRandomGenerator>
#include <QTemporaryDir>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using namespace kit;

namespace {

QByteArray sampleMovie(SwfWriter::Compression compression = SwfWriter::Compression::None)
{
    SwfWriter w(40, 20, 24.5, 8);
    w.setBackground(QColor(10, 20, 30));
    ShapeSpec s;
    s.fills.push_back(Fill::solid(QColor(255, 0, 0)));
    s.rect(QRect(0, 0, 20 * px, 20 * px), 1);
    w.defineShape(1, s);
    w.writeTag(777 & 0x3FF, QByteArray(100, 'x')); // a tag no player knows, long form
    w.writeTag(60, QByteArray(3, '\x01'));         // one this player skips, short form
    w.placeObject2(Place::add(1, 1));
    w.showFrame();
    w.placeObject2(Place::modify(1).withMatrix(translate(20 * px, 0)));
    w.showFrame();
    return w.finish(compression);
}

// Loads and plays a few frames; whatever the bytes, this must come back.
void playSomeFrames(const QByteArray& bytes, int frames = 5)
{
    try {
        auto p = play(bytes);
        for (int i = 0; i < frames; ++i) {
            const QImage img = p->renderImage(QSize(64, 48));
            QVERIFY(!img.isNull());
            p->step();
        }
    } catch (const movie::MovieError&) {
        // refusing a damaged file is fine
    }
}

} // namespace

class MovieTest : public QObject {
    Q_OBJECT

private slots:
    void headerAndUnknownTags_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("uncompressed") << sampleMovie();
        QTest::addRow("zlib") << sampleMovie(SwfWriter::Compression::Zlib);
    }
    void headerAndUnknownTags()
    {
        QFETCH(QByteArray, bytes);
        const auto p = play(bytes);
        QCOMPARE(p->movie().stageSizePixels(), QSize(40, 20));
        QCOMPARE(p->movie().frameRate(), 24.5);
        QCOMPARE(p->movie().timeline().frameCount(), 2);
        QVERIFY(p->movie().damage().isEmpty());
        QImage img = frame(*p);
        EXPECT_PIXEL(img, 10, 10, QColor(255, 0, 0));
        EXPECT_PIXEL(img, 30, 10, QColor(10, 20, 30));
        p->step();
        img = frame(*p);
        EXPECT_PIXEL(img, 30, 10, QColor(255, 0, 0));
    }

    void notAMovieIsRefusedNamingTheFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("what");
        QTest::addRow("empty") << QByteArray() << "not a Flash movie";
        QTest::addRow("text") << QByteArray("Hello, this is no movie at all") << "not a Flash movie";
        QTest::addRow("picture") << QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16) << "not a Flash movie";
        QTest::addRow("bad zlib") << (QByteArray("CWS\x08\x40\0\0\0", 8) + QByteArray(40, '\x55')) << "damaged";
        QTest::addRow("no header") << QByteArray("FWS\x08\x0a\0\0\0\x50", 9) << "damaged";
        QTest::addRow("LZMA of zeros") << (QByteArray("ZWS\x0d\x40\0\0\0", 8) + QByteArray(20, '\0')) << "damaged";
    }
    void notAMovieIsRefusedNamingTheFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, what);
        QTemporaryDir dir;
        const QString path = dir.filePath("logo.swf");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
        f.close();
        try {
            movie::Movie::load(path);
            QFAIL("the file was taken as a movie");
        } catch (const movie::MovieError& e) {
            QVERIFY2(e.text().contains(QDir::toNativeSeparators(path)), qPrintable(e.text()));
            QVERIFY2(e.text().contains(what), qPrintable(e.text()));
        }
    }

    void missingFileIsAnError()
    {
        QVERIFY_THROWS_EXCEPTION(movie::MovieError, movie::Movie::load(QStringLiteral("/no/such/dir/logo.swf")));
    }

    // A pipe would block the reading, a device never end it: both are
    // refused before they are opened, a link to one as well.
    void onlyFilesAreRead()
    {
#ifdef Q_OS_UNIX
        QTemporaryDir dir;
        const QString pipe = dir.filePath("logo.swf");
        QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
        const QString device = dir.filePath("zero.swf");
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), device));
        for (const QString& path : {pipe, device}) {
            try {
                movie::Movie::load(path);
                QFAIL("read a file that is none");
            } catch (const movie::MovieError& e) {
                QVERIFY2(e.text().endsWith("it is not a regular file"), qPrintable(e.text()));
            }
        }
#else
        QSKIP("pipes and devices are made here on POSIX systems only");
#endif
    }

    // A file cut short plays what it holds.
    void truncatedMoviePlaysWhatWasRead()
    {
        for (const auto compression : {SwfWriter::Compression::None, SwfWriter::Compression::Zlib}) {
            const QByteArray whole = sampleMovie(compression);
            const QByteArray cut = whole.left(whole.size() - 12);
            const auto p = play(cut);
            QVERIFY(!p->movie().damage().isEmpty());
            EXPECT_PIXEL(frame(*p), 10, 10, QColor(255, 0, 0));
        }
    }

    void everyTruncationIsSafe()
    {
        for (const auto compression : {SwfWriter::Compression::None, SwfWriter::Compression::Zlib}) {
            const QByteArray whole = sampleMovie(compression);
            for (qsizetype n = 0; n < whole.size(); ++n)
                playSomeFrames(whole.left(n), 2);
        }
    }

    void lengthsAndCountsBeyondTheDataAreSafe()
    {
        SwfWriter w(10, 10, 12);
        w.writeTag(movie::tag::DefineShape,
                   QByteArray("\x01\x00\x00\xff\xff\xff", 6));           // shape: 65535 fill styles promised
        w.writeTag(movie::tag::DefineShape4, QByteArray("\x02\x00", 2)); // shape cut after its id
        w.writeTag(movie::tag::DefineSprite,
                   QByteArray("\x03\x00\xff\xff\x3f\x01\xff\xff\xff\x7f", 10)); // sprite tag claiming 2 GB
        w.writeTag(movie::tag::PlaceObject2, QByteArray("\xff", 1));     // PlaceObject2 with every flag and no data
        w.writeTag(movie::tag::DoAction, QByteArray("\x81\xff\xff", 3)); // action longer than its tag
        w.showFrame();
        QByteArray bytes = w.finish();
        bytes[4] = '\xff'; // header claims 4 GB
        bytes[5] = '\xff';
        bytes[6] = '\xff';
        bytes[7] = '\xff';
        playSomeFrames(bytes);
    }

    void bitFlippedMoviesNeverCrash_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addRow("written") << sampleMovie();
        const QString corpus = sharedFile("swf-corpus");
        for (const char* name : {"DefineShape4.swf", "DefineSprite.swf", "DoAction-CS6.swf", "uncompressed.swf",
                                 "PlaceObject3-theworks.swf", "DefineMorphShape2.swf"}) {
            QFile f(QDir(corpus).filePath(name));
            if (!corpus.isEmpty() && f.open(QIODevice::ReadOnly))
                QTest::addRow("%s", name) << f.readAll();
        }
    }
    void bitFlippedMoviesNeverCrash()
    {
        QFETCH(QByteArray, bytes);
        QRandomGenerator random(20240611);
        // Flip bits inside the movie's tags, not in its packing.
        QByteArray body = bytes;
        if (body.startsWith("CWS")) {
            const movie::ContainerBody unpacked = movie::openContainer(bytes, QStringLiteral("corpus"));
            body = QByteArray("FWS") + bytes.mid(3, 5) + unpacked.body;
        }
        for (int round = 0; round < 300; ++round) {
            QByteArray damaged = body;
            const int flips = 1 + random.bounded(4);
            for (int i = 0; i < flips; ++i) {
                const auto at = 8 + random.bounded(std::max<qsizetype>(1, damaged.size() - 8));
                if (at < damaged.size())
                    damaged[at] = static_cast<char>(damaged[at] ^ (1 << random.bounded(8)));
            }
            playSomeFrames(damaged, 3);
        }
    }

    void corpusMoviesDecodeAndRender()
    {
        const QString corpus = sharedFile("swf-corpus");
        if (corpus.isEmpty() || !QDir(corpus).exists())
            QSKIP("the shared movie corpus (../shared/swf-corpus) is not here");
        const QStringList files = QDir(corpus).entryList({"*.swf"}, QDir::Files, QDir::Name);
        QVERIFY(!files.isEmpty());
        int played = 0;
        for (const QString& name : files) {
            const QString path = QDir(corpus).filePath(name);
            try {
                movie::MoviePlayer p(movie::Movie::load(path));
                for (int i = 0; i < 10; ++i) {
                    const QImage img = p.renderImage(p.movie().stageSizePixels().boundedTo(QSize(1024, 1024)));
                    QVERIFY(!img.isNull());
                    p.step();
                }
                ++played;
            } catch (const movie::MovieError& e) {
                // Only the malformed LZMA movies may be refused, with a clear word on why.
                QVERIFY2(name.startsWith("lzma-"), qPrintable(e.text()));
                QVERIFY2(e.text().contains(name) && e.text().contains("LZMA"), qPrintable(e.text()));
            }
        }
        qInfo("%d of %lld corpus movies played", played, static_cast<long long>(files.size()));
    }
};

QTEST_GUILESS_MAIN(MovieTest)
#include "tst_movie.moc"
