#include "tests/support/TestBitmap.h"
#include "tests/support/TestJpeg.h"

#include "base/EditorError.h"
#include "platform/PictureDecoder.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>
#include <functional>

#include <cstdio>
#include <jerror.h>
#include <jpeglib.h>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

const QRgb R = qRgb(255, 0, 0), G = qRgb(0, 255, 0), B = qRgb(0, 0, 255);
const QRgb W = qRgb(255, 255, 255), K = qRgb(0, 0, 0), Y = qRgb(255, 255, 0);

QByteArray bytes(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out.append(char(v));
    return out;
}

QImage picture(int width, std::initializer_list<QRgb> pixels)
{
    const int height = int(pixels.size()) / width;
    QImage image(width, height, QImage::Format_RGB32);
    int i = 0;
    for (QRgb p : pixels) {
        image.setPixel(i % width, i / width, p);
        ++i;
    }
    return image;
}

// Runs a loader and returns the text of the error it throws ("" if none).
QString errorOf(const std::function<QImage()>& load)
{
    try {
        load();
    } catch (const EditorError& e) {
        return e.text();
    }
    return QString();
}

QString jpegError(int code) { return QStringLiteral("JPEG error #%1").arg(code); }

// Two solid halves on 8x8 block bounds, so JPEG loses almost nothing.
QImage halves(QRgb left, QRgb right)
{
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(left);
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 32; ++x)
            image.setPixel(x, y, right);
    return image;
}

// Where the first marker `code` of a JPEG file starts, found by walking its
// marker segments from the start-of-image marker.
qsizetype markerAt(const QByteArray& jpeg, int code)
{
    qsizetype at = 2;
    while (at + 3 < jpeg.size() && uchar(jpeg[at]) == 0xFF) {
        if (uchar(jpeg[at + 1]) == code)
            return at;
        at += 2 + (uchar(jpeg[at + 2]) << 8 | uchar(jpeg[at + 3]));
    }
    qFatal("no marker %02x", code);
}

bool near(QRgb a, QRgb b, int tolerance = 10)
{
    return qAbs(qRed(a) - qRed(b)) <= tolerance && qAbs(qGreen(a) - qGreen(b)) <= tolerance
        && qAbs(qBlue(a) - qBlue(b)) <= tolerance;
}

} // namespace

class PictureDecoderTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir_;

    QString write(const QString& name, const QByteArray& content)
    {
        QString path = dir_.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    void compare(const QImage& actual, const QImage& expected)
    {
        QCOMPARE(actual.size(), expected.size());
        QCOMPARE(actual.format(), QImage::Format_RGB32);
        for (int y = 0; y < expected.height(); ++y)
            for (int x = 0; x < expected.width(); ++x)
                QVERIFY2(actual.pixel(x, y) == expected.pixel(x, y),
                         qPrintable(QStringLiteral("pixel %1,%2 is %3, expected %4")
                                        .arg(x)
                                        .arg(y)
                                        .arg(actual.pixel(x, y), 8, 16)
                                        .arg(expected.pixel(x, y), 8, 16)));
    }

private slots:
    // Every stored form of one small picture decodes to the same pixels.
    void bitmapForms_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QImage>("expected");
        const QImage sixColours = picture(3, {R, G, B, W, K, Y});
        const QList<QRgb> palette{R, G, B, W, K, Y};

        TestBitmap b;
        b.width = 3;
        b.height = 2; // bottom row first, each row padded to 4 bytes
        b.pixels = bytes({255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0});
        QTest::newRow("24 bits bottom-up") << b.bytes() << sixColours;

        b.height = -2;
        b.pixels = bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 255, 255, 0, 0, 0});
        QTest::newRow("24 bits top-down") << b.bytes() << sixColours;

        b.bitCount = 32; // the fourth byte is not alpha
        b.pixels = bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0, 0, 0, 0, 0, 0, 255, 255, 0});
        QTest::newRow("32 bits") << b.bytes() << sixColours;

        b = {};
        b.width = 3;
        b.height = 2;
        b.bitCount = 8;
        b.palette = palette;
        b.pixels = bytes({3, 4, 5, 0, 0, 1, 2, 0});
        QTest::newRow("8 bits, short palette") << b.bytes() << sixColours;

        b.coloursUsed = 6;
        QTest::newRow("8 bits, colours used") << b.bytes() << sixColours;

        b.bitCount = 4;
        b.pixels = bytes({0x34, 0x50, 0, 0, 0x01, 0x20, 0, 0});
        QTest::newRow("4 bits, odd width") << b.bytes() << sixColours;

        b.bitCount = 1;
        b.coloursUsed = 0;
        b.palette = {K, W};
        b.pixels = bytes({0b01000000, 0, 0, 0, 0b10100000, 0, 0, 0});
        QTest::newRow("1 bit") << b.bytes() << picture(3, {W, K, W, K, W, K});

        b = {};
        b.width = 3;
        b.height = -2;
        b.bitCount = 16; // 5-5-5 without masks
        b.pixels = bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0, 0, 0xFF, 0x7F, 0x00, 0x00, 0xE0, 0x7F, 0, 0});
        QTest::newRow("16 bits 5-5-5") << b.bytes() << sixColours;

        b.compression = 3;
        b.masks = {0xF800, 0x07E0, 0x001F};
        b.pixels = bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0, 0, 0xFF, 0xFF, 0x00, 0x00, 0xE0, 0xFF, 0, 0});
        QTest::newRow("16 bits 5-6-5 masks") << b.bytes() << sixColours;

        b.headerSize = 124; // masks inside the header, red in the low byte
        b.bitCount = 32;
        b.masks = {0x000000FF, 0x0000FF00, 0x00FF0000};
        b.pixels = bytes({255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 255, 255, 255, 0, 0, 0, 0, 0, 255, 255, 0, 0});
        QTest::newRow("32 bits masks, version 5 header") << b.bytes() << sixColours;

        b = {};
        b.headerSize = 12;
        b.width = 3;
        b.height = 2;
        b.bitCount = 8;
        b.palette = {R, G, B, W, K, Y};
        while (b.palette.size() < 256)
            b.palette.append(K);
        b.pixels = bytes({3, 4, 5, 0, 0, 1, 2, 0});
        QTest::newRow("core header 8 bits") << b.bytes() << sixColours;

        // Runs, a literal stretch, a skip and end marks; skipped pixels take colour 0.
        b = {};
        b.width = 5;
        b.height = 3;
        b.bitCount = 8;
        b.compression = 1;
        b.palette = {K, R, G, B};
        b.pixels = bytes({2, 1, 0, 3, 2, 3, 2, 0, 0, 0, 0, 2, 1, 0, 4, 3, 0, 0, 5, 2, 0, 1});
        QTest::newRow("RLE8") << b.bytes() << picture(5, {G, G, G, G, G, K, B, B, B, B, R, R, G, B, G});

        b.height = 2;
        b.bitCount = 4;
        b.compression = 2;
        b.pixels = bytes({5, 0x12, 0, 0, 0, 3, 0x31, 0x20, 2, 0x00, 0, 1});
        QTest::newRow("RLE4") << b.bytes() << picture(5, {B, R, G, K, K, R, G, R, G, R});
    }
    void bitmapForms()
    {
        QFETCH(QByteArray, file);
        QFETCH(QImage, expected);
        compare(loadBitmapFile(write("form.bmp", file)), expected);
    }

    // A bitmap from another writer, large enough to have real row padding.
    void bitmapWrittenByQt()
    {
        QImage image(37, 23, QImage::Format_RGB32);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                image.setPixel(x, y, qRgb(x * 7, y * 11, (x * y) % 256));
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QVERIFY(QImageWriter(&buffer, "bmp").write(image));
        compare(loadBitmapFile(write("qt.bmp", buffer.data())), image);
    }

    void largestSideIsAccepted()
    {
        TestBitmap b;
        b.width = kMaxPictureSide;
        b.height = 1;
        b.pixels = QByteArray(kMaxPictureSide * 3, '\x7f');
        QCOMPARE(loadBitmapFile(write("wide.bmp", b.bytes())).width(), kMaxPictureSide);
    }

    // Whatever is wrong with the file, the text is the same and nothing crashes
    // or takes memory for a picture that is not there.
    void damagedBitmaps_data()
    {
        QTest::addColumn<QByteArray>("file");
        TestBitmap good;
        good.width = 3;
        good.height = 2;
        good.pixels = QByteArray(24, '\0');
        const QByteArray valid = good.bytes();

        QTest::newRow("empty") << QByteArray();
        QTest::newRow("signature only") << QByteArray("BM");
        QTest::newRow("garbage") << QByteArray("This is not a picture at all, just some text.\n").repeated(4);
        QTest::newRow("JPEG") << encodeTestJpeg(halves(R, B), JpegKind::Rgb);
        QTest::newRow("header cut") << valid.left(30);
        QTest::newRow("pixels cut") << valid.left(valid.size() - 5);
        QTest::newRow("no pixels") << valid.left(54);

        auto variant = [&](const char* name, auto change) {
            TestBitmap b = good;
            change(b);
            QTest::newRow(name) << b.bytes();
        };
        variant("100000 x 100000", [](TestBitmap& b) { b.width = b.height = 100000; });
        // These two carry all their pixel data: only the limits refuse them.
        variant("one over the side limit", [](TestBitmap& b) {
            b.width = kMaxPictureSide + 1;
            b.height = 1;
            b.pixels = QByteArray((kMaxPictureSide + 1) * 3 + 1, '\0');
        });
        variant("over the pixel budget", [](TestBitmap& b) {
            b.width = b.height = 8200; // 67 million pixels at one bit each
            b.bitCount = 1;
            b.palette = {K, W};
            b.pixels = QByteArray(1028 * 8200, '\0');
        });
        variant("most negative height", [](TestBitmap& b) { b.height = INT_MIN; });
        variant("zero width", [](TestBitmap& b) { b.width = 0; });
        variant("zero height", [](TestBitmap& b) { b.height = 0; });
        variant("negative width", [](TestBitmap& b) { b.width = -3; });
        variant("bit count 7", [](TestBitmap& b) { b.bitCount = 7; });
        variant("bit count 0", [](TestBitmap& b) { b.bitCount = 0; });
        variant("embedded JPEG", [](TestBitmap& b) { b.compression = 4; });
        variant("masks on 24 bits", [](TestBitmap& b) {
            b.compression = 3;
            b.masks = {0xFF0000, 0xFF00, 0xFF};
        });
        variant("RLE8 on 24 bits", [](TestBitmap& b) { b.compression = 1; });
        variant("unknown header size", [](TestBitmap& b) { b.headerSize = 64; });
        variant("pixels past the end", [](TestBitmap& b) { b.pixelOffset = 4000; });
        variant("pixels inside the header", [](TestBitmap& b) { b.pixelOffset = 20; });

        TestBitmap rle;
        rle.width = 5;
        rle.height = 3;
        rle.bitCount = 8;
        rle.compression = 1;
        rle.palette = {K, R};
        rle.pixels = bytes({5, 1, 0, 0, 5, 1, 0});
        QTest::newRow("RLE8 without end mark") << rle.bytes();
        rle.pixels = bytes({0, 200, 1, 1, 1});
        QTest::newRow("RLE8 literal cut") << rle.bytes();
        rle.pixels = bytes({5, 1, 0, 1});
        rle.height = -3;
        QTest::newRow("RLE8 top-down") << rle.bytes();
    }
    void damagedBitmaps()
    {
        QFETCH(QByteArray, file);
        const QString path = write("damaged.bmp", file);
        QCOMPARE(errorOf([&] { return loadBitmapFile(path); }), QStringLiteral("Bitmap image is not valid"));
        QCOMPARE(errorOf([&] { return loadPictureFile(path); }), QStringLiteral("Bitmap image is not valid"));
    }

    void jpegColourModels_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QRgb>("left");
        QTest::addColumn<QRgb>("right");
        QTest::newRow("RGB") << int(JpegKind::Rgb) << R << B;
        QTest::newRow("grey") << int(JpegKind::Grey) << qRgb(128, 128, 128) << qRgb(30, 30, 30);
        QTest::newRow("Adobe CMYK") << int(JpegKind::AdobeCmyk) << Y << G;
    }
    void jpegColourModels()
    {
        QFETCH(int, kind);
        QFETCH(QRgb, left);
        QFETCH(QRgb, right);
        const QString path = write("colour.jpg", encodeTestJpeg(halves(left, right), JpegKind(kind)));
        const QImage image = loadJpegFile(path);
        QCOMPARE(image.size(), QSize(32, 16));
        QCOMPARE(image.format(), QImage::Format_RGB32);
        QVERIFY(near(image.pixel(4, 4), left));
        QVERIFY(near(image.pixel(27, 11), right));
    }

    // The extension alone picks the decoder, in any letter case.
    void formatByExtension()
    {
        const QByteArray jpeg = encodeTestJpeg(halves(R, B), JpegKind::Rgb);
        for (const char* name : {"PatchUp.JPG", "button.jpg", "photo.jpeg", "photo.JpEg"})
            QVERIFY2(near(loadPictureFile(write(QString::fromLatin1(name), jpeg)).pixel(2, 2), R), name);

        TestBitmap b;
        b.width = 1;
        b.height = 1;
        b.pixels = bytes({0, 255, 0, 0});
        QCOMPARE(loadPictureFile(write("green.BMP", b.bytes())).pixel(0, 0), G);

        QCOMPARE(errorOf([&] { return loadPictureFile(write("welcome.bmp", jpeg)); }),
                 QStringLiteral("Bitmap image is not valid"));
        QCOMPARE(errorOf([&] { return loadPictureFile(write("bitmap.jpg", b.bytes())); }), jpegError(JERR_NO_SOI));
        QCOMPARE(errorOf([&] { return loadPictureFile(write("picture.png", jpeg)); }),
                 QStringLiteral("Unknown picture file extension (.png)"));
        QCOMPARE(errorOf([&] { return loadPictureFile(dir_.filePath("missing.gif")); }),
                 QStringLiteral("Unknown picture file extension (.gif)"));
        QCOMPARE(errorOf([&] { return loadPictureFile(write("noextension", jpeg)); }),
                 QStringLiteral("Unknown picture file extension ()"));
    }

    void missingFiles()
    {
        const QString jpg = dir_.filePath("data/ButtonUp.jpg");
        const QString bmp = dir_.filePath("data/BackGround.bmp");
        QCOMPARE(errorOf([&] { return loadJpegFile(jpg); }), "Cannot open file " + jpg);
        QCOMPARE(errorOf([&] { return loadPictureFile(jpg); }), "Cannot open file " + jpg);
        QCOMPARE(errorOf([&] { return loadBitmapFile(bmp); }), "Cannot open file " + bmp);
        QCOMPARE(errorOf([&] { return loadPictureFile(bmp); }), "Cannot open file " + bmp);
    }

    // Pipes and devices are files that cannot be opened: opening a pipe
    // would wait for a writer, a device would be read without end.
    void nothingButRegularFilesIsRead()
    {
#ifdef Q_OS_UNIX
        for (const char* name : {"pipe.jpg", "pipe.bmp"}) {
            const QString pipe = dir_.filePath(name);
            QCOMPARE(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
            QCOMPARE(errorOf([&] { return loadPictureFile(pipe); }), "Cannot open file " + pipe);
        }
        if (QFileInfo::exists("/dev/zero")) {
            const QString device = dir_.filePath("zero.jpg");
            QVERIFY(QFile::link("/dev/zero", device));
            QCOMPARE(errorOf([&] { return loadJpegFile(device); }), "Cannot open file " + device);
        }
#else
        QSKIP("named pipes and devices");
#endif
    }

    // The picture's size is checked as soon as libjpeg has read it, never
    // after reading the whole file: here 3 GB, which the sanitizer build
    // would refuse to hold.
    void aHugeJpegIsRefusedBeforeItIsRead()
    {
        const QString path = write("huge.jpg", withJpegSize(encodeTestJpeg(halves(R, B), JpegKind::Rgb), 65000, 65000));
        QVERIFY(QFile::resize(path, 3LL << 30)); // sparse: takes no room
        QCOMPARE(errorOf([&] { return loadJpegFile(path); }), jpegError(JERR_IMAGE_TOO_BIG));
    }

    void damagedJpegs_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("code");
        const QByteArray valid = encodeTestJpeg(halves(R, B), JpegKind::Rgb);

        QTest::newRow("empty") << QByteArray() << int(JERR_INPUT_EMPTY);
        QTest::newRow("garbage") << QByteArray("no picture here").repeated(20) << int(JERR_NO_SOI);
        // Cut inside the header, libjpeg meets its own stand-in end marker
        // where the frame or the scan should begin.
        QTest::newRow("cut before the frame") << valid.left(markerAt(valid, 0xC0)) << int(JERR_NO_IMAGE);
        QTest::newRow("cut before the scan") << valid.left(markerAt(valid, 0xDA)) << int(JERR_SOF_NO_SOS);
        QTest::newRow("65000 x 65000") << withJpegSize(valid, 65000, 65000) << int(JERR_IMAGE_TOO_BIG);
        QTest::newRow("one over the side limit")
            << withJpegSize(valid, kMaxPictureSide + 1, 16) << int(JERR_IMAGE_TOO_BIG);
        QTest::newRow("zero width") << withJpegSize(valid, 0, 16) << int(JERR_EMPTY_IMAGE);
        // 14 KB of scans that each make the decoder visit every block again.
        QTest::newRow("a thousand scans") << jpegScanBomb(2048, 2048, 1000) << int(JERR_BAD_PROGRESSION);
    }
    void damagedJpegs()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, code);
        const QString path = write("damaged.jpg", file);
        QCOMPARE(errorOf([&] { return loadJpegFile(path); }), jpegError(code));
    }

    // Progressive pictures are refused by their number of scans alone:
    // a hundred, more than any encoder writes, still load.
    void progressivePicturesOfAHundredScansLoad()
    {
        QCOMPARE(loadJpegFile(write("progressive.jpg", jpegScanBomb(64, 32, 100))).size(), QSize(64, 32));
    }

    // libjpeg only warns about a file that ends early and draws what it has:
    // the picture loads at its full size.
    void incompleteJpegsLoadAsLibjpegDrawsThem()
    {
        const QByteArray valid = encodeTestJpeg(halves(R, B), JpegKind::Rgb);
        QCOMPARE(valid.right(2), QByteArray("\xFF\xD9"));

        // Without its end marker: exactly the picture of the whole file.
        compare(loadJpegFile(write("noend.jpg", valid.chopped(2))), loadJpegFile(write("whole.jpg", valid)));

        // Cut inside the pixel data: the blocks read before the cut are there.
        const QImage cut = loadJpegFile(write("cut.jpg", valid.left(markerAt(valid, 0xDA) + 40)));
        QCOMPARE(cut.size(), QSize(32, 16));
        QVERIFY(near(cut.pixel(2, 2), R));
    }
};

QTEST_GUILESS_MAIN(PictureDecoderTest)
#include "tst_picturedecoder.moc"
