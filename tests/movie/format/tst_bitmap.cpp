// Pictures in movies: the lossless formats, JPEG data with and without
// shared tables, alpha planes, PNG and GIF payloads, bitmap fills of each
// kind, pictures too large to show, damaged picture data, and the corpus
// files that hold pictures.

#include "tests/support/MovieTestKit.h"

#include "movie/format/TagCodes.h"

#include "movie/MovieError.h"

#include <QBuffer>
#include <QDir>
#include <QRandomGenerator>

using namespace kit;

namespace {

// An 8 x 8 picture in quarters: red, green / blue, white. Blocks of 4
// keep smoothing from mixing colours at the blocks' middles.
QImage quarters()
{
    QImage image(8, 8, QImage::Format_ARGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            image.setPixelColor(x, y, y < 4 ? (x < 4 ? kRed : kGreen) : (x < 4 ? kBlue : kWhite));
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 100);
    return bytes;
}

QImage solid(int w, int h, const QColor& c)
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(c);
    return image;
}

// Splits a JPEG file into its tables (quantisation and Huffman segments,
// with start and end markers) and the rest, as DefineBits with JPEGTables
// keeps them.
std::pair<QByteArray, QByteArray> splitTables(const QByteArray& jpeg)
{
    QByteArray tables("\xFF\xD8", 2), image("\xFF\xD8", 2);
    qsizetype i = 2;
    while (i + 4 <= jpeg.size()) {
        const auto marker = static_cast<uchar>(jpeg[i + 1]);
        if (marker == 0xDA) {
            image += jpeg.mid(i);
            break;
        }
        const qsizetype length = (static_cast<uchar>(jpeg[i + 2]) << 8) | static_cast<uchar>(jpeg[i + 3]);
        (marker == 0xDB || marker == 0xC4 ? tables : image) += jpeg.mid(i, 2 + length);
        i += 2 + length;
    }
    return {tables + QByteArray("\xFF\xD9", 2), image};
}

} // namespace

class BitmapTest : public QObject {
    Q_OBJECT

private slots:
    // A picture placed on its own stands at the origin, a pixel to 20
    // twips; scaled by 20 each of its pixels covers 20 x 20 of the stage.
    void losslessFormats_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("version");
        QTest::addRow("colour-mapped") << 3 << 1;
        QTest::addRow("colour-mapped with alpha") << 3 << 2;
        QTest::addRow("15-bit") << 4 << 1;
        QTest::addRow("24-bit") << 5 << 1;
        QTest::addRow("32-bit premultiplied") << 5 << 2;
    }
    void losslessFormats()
    {
        QFETCH(int, format);
        QFETCH(int, version);
        SwfWriter w = stage(kGrey);
        w.defineBitsLossless(1, quarters(), format, version);
        const QImage img = drawPlaced(w, 1, scale(5, 5));
        EXPECT_PIXEL(img, 10, 10, kRed);
        EXPECT_PIXEL(img, 30, 10, kGreen);
        EXPECT_PIXEL(img, 10, 30, kBlue);
        EXPECT_PIXEL(img, 30, 30, kWhite);
        EXPECT_PIXEL(img, 60, 60, kGrey);
    }

    // Odd widths need the rows' padding to 4 bytes read right.
    void paddedRowsOfOddWidths()
    {
        for (int format : {3, 4}) {
            QImage image(3, 4, QImage::Format_RGB32);
            image.fill(kBlue);
            for (int y : {0, 1})
                image.setPixelColor(2, y, kRed);
            for (int y : {2, 3})
                image.setPixelColor(0, y, kGreen);
            SwfWriter w = stage(kGrey);
            w.defineBitsLossless(1, image, format, 1);
            const QImage img = drawPlaced(w, 1, scale(20, 20));
            EXPECT_PIXEL(img, 50, 20, kRed);
            EXPECT_PIXEL(img, 10, 60, kGreen);
            EXPECT_PIXEL(img, 30, 60, kBlue);
        }
    }

    void alphaOfLossless2IsBlended()
    {
        QImage image(1, 1, QImage::Format_ARGB32);
        image.setPixelColor(0, 0, QColor(255, 0, 0, 128));
        SwfWriter w(40, 40, 12);
        w.setBackground(kWhite);
        w.defineBitsLossless(1, image, 5, 2);
        const QImage img = drawPlaced(w, 1, scale(40, 40));
        EXPECT_PIXEL(img, 20, 20, QColor(255, 127, 127));
    }

    void jpegPayloads_data()
    {
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<QColor>("colour");
        const QColor orange(255, 128, 0);
        const QByteArray jpeg = encoded(solid(16, 16, orange), "JPG");
        QTest::addRow("JPEG") << jpeg << orange;
        // Older writers put an end and a start marker before the picture.
        QTest::addRow("JPEG after a stray end/start pair") << QByteArray("\xFF\xD9\xFF\xD8", 4) + jpeg << orange;
        const auto [tables, image] = splitTables(jpeg);
        QTest::addRow("tables and picture as two streams") << tables + image << orange;
        QTest::addRow("PNG") << encoded(solid(16, 16, kGreen), "PNG") << kGreen;
        // A one-pixel GIF whose only colour is red.
        QTest::addRow("GIF") << QByteArray("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\x00\x00\x00\x00\x00,\x00\x00\x00\x00"
                                           "\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00;",
                                           35)
                             << kRed;
    }
    void jpegPayloads()
    {
        QFETCH(QByteArray, payload);
        QFETCH(QColor, colour);
        SwfWriter w = stage(kGrey);
        w.defineBitsJpeg2(1, payload);
        const QImage img = drawPlaced(w, 1, scale(4, 4));
        QVERIFY2(play(w.finish())->movie().warnings().isEmpty(), "the picture was refused");
        EXPECT_PIXEL(img, 1, 1, colour);
        EXPECT_PIXEL(img, 90, 90, kGrey);
    }

    void defineBitsTakesTheSharedTables()
    {
        const QColor teal(0, 128, 128);
        const auto [tables, image] = splitTables(encoded(solid(16, 16, teal), "JPG"));
        SwfWriter w = stage(kGrey);
        w.jpegTables(tables);
        w.defineBits(1, image);
        const QImage img = drawPlaced(w, 1, scale(4, 4));
        EXPECT_PIXEL(img, 30, 30, teal);
        EXPECT_PIXEL(img, 70, 70, kGrey);
    }

    // DefineBitsJPEG3: an alpha plane over the JPEG colours; here the left
    // half is see-through.
    void jpegWithAlphaPlane()
    {
        const QColor orange(255, 128, 0);
        QByteArray alpha;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x)
                alpha.append(x < 8 ? '\0' : '\xff');
        SwfWriter w = stage(kGrey);
        w.defineBitsJpeg3(1, encoded(solid(16, 16, orange), "JPG"), alpha);
        const QImage img = drawPlaced(w, 1, scale(5, 5));
        EXPECT_PIXEL(img, 10, 20, kGrey);
        EXPECT_PIXEL(img, 60, 20, orange);
    }

    // Bitmap fills: the matrix maps the picture's pixels into the shape; a
    // repeating fill tiles the shape, a clipped one covers only the picture.
    void bitmapFills_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("repeats");
        QTest::addRow("repeating") << int(Fill::Kind::BitmapRepeating) << true;
        QTest::addRow("clipped") << int(Fill::Kind::Bitmap) << false;
        QTest::addRow("repeating, not smoothed") << int(Fill::Kind::BitmapRepeatingHard) << true;
        QTest::addRow("clipped, not smoothed") << int(Fill::Kind::BitmapHard) << false;
    }
    void bitmapFills()
    {
        QFETCH(int, kind);
        QFETCH(bool, repeats);
        SwfWriter w = stage(kGrey);
        w.defineBitsLossless(1, quarters());
        ShapeSpec s;
        s.fills.push_back(Fill::bitmap(1, scale(50, 50, 10 * px, 10 * px), Fill::Kind(kind)));
        s.rect(QRect(10 * px, 10 * px, 80 * px, 80 * px), 1);
        w.defineShape(2, s);
        const QImage img = drawPlaced(w, 2);
        EXPECT_PIXEL(img, 15, 15, kRed);
        EXPECT_PIXEL(img, 25, 15, kGreen);
        EXPECT_PIXEL(img, 15, 25, kBlue);
        EXPECT_PIXEL(img, 25, 25, kWhite);
        EXPECT_PIXEL(img, 5, 5, kGrey);
        EXPECT_PIXEL(img, 35, 15, repeats ? kRed : kGrey);
        EXPECT_PIXEL(img, 55, 45, repeats ? kBlue : kGrey);
    }

    // Without smoothing a scaled picture's pixels keep hard edges.
    void unsmoothedFillKeepsHardEdges()
    {
        SwfWriter w = stage(kGrey);
        w.defineBitsLossless(1, quarters());
        ShapeSpec s;
        s.fills.push_back(Fill::bitmap(1, scale(100, 100), Fill::Kind::BitmapHard));
        s.rect(QRect(0, 0, 40 * px, 40 * px), 1);
        w.defineShape(2, s);
        const QImage img = drawPlaced(w, 2);
        EXPECT_PIXEL(img, 19, 10, kRed);
        EXPECT_PIXEL(img, 20, 10, kGreen);
    }

    void colourTransformOfAPicture()
    {
        SwfWriter w = stage(kGrey);
        w.defineBitsLossless(1, quarters());
        ColorTransform cx;
        cx.rm = 0;
        cx.ba = 255;
        const QImage img = drawPlaced(w, 1, scale(5, 5), cx);
        EXPECT_PIXEL(img, 10, 10, QColor(0, 0, 255));
        EXPECT_PIXEL(img, 30, 10, QColor(0, 255, 255));
        EXPECT_PIXEL(img, 60, 60, kGrey);
    }

    // A picture beyond what the movie allows draws nothing and is noted;
    // everything else plays.
    void oversizedPicturesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("body");
        auto lossless = [](int w, int h) {
            movie::writer::BitWriter b;
            b.u16(1);
            b.u8(5);
            b.u16(static_cast<quint32>(w));
            b.u16(static_cast<quint32>(h));
            b.bytes(QByteArray("\x78\x9c\x03\x00\x00\x00\x00\x01", 8)); // far too little data for the size
            return b.data();
        };
        QTest::addRow("side over 8192") << lossless(9000, 1);
        QTest::addRow("65535 x 65535") << lossless(65535, 65535);
        // A JPEG whose frame header claims 60000 x 60000.
        QByteArray jpeg = encoded(solid(8, 8, kRed), "JPG");
        const qsizetype sof = jpeg.indexOf("\xFF\xC0");
        jpeg[sof + 5] = jpeg[sof + 7] = '\xEA';
        jpeg[sof + 6] = jpeg[sof + 8] = '\x60';
        QTest::addRow("JPEG claiming 60000 x 60000") << QByteArray("\x01\x00", 2) + jpeg;
    }
    void oversizedPicturesAreRefused()
    {
        QFETCH(QByteArray, body);
        SwfWriter w = stage(kGrey);
        w.writeTag(body.startsWith(QByteArray("\x01\x00\x05", 3)) ? movie::tag::DefineBitsLossless
                                                                  : movie::tag::DefineBitsJPEG2,
                   body);
        ShapeSpec s;
        s.fills.push_back(Fill::solid(kRed));
        s.rect(QRect(50 * px, 50 * px, 40 * px, 40 * px), 1);
        w.defineShape(2, s);
        w.placeObject2(Place::add(1, 1));
        w.placeObject2(Place::add(2, 2));
        w.showFrame();
        const auto p = play(w.finish());
        QCOMPARE(p->movie().warnings().size(), 1);
        QVERIFY2(p->movie().warnings().first().contains("picture 1"), qPrintable(p->movie().warnings().first()));
        const QImage img = frame(*p);
        EXPECT_PIXEL(img, 10, 10, kGrey);
        EXPECT_PIXEL(img, 70, 70, kRed);
    }

    // Pictures far larger than the stage are shown: titles scale photos down.
    void largePictureWithinTheAllowanceIsShown()
    {
        SwfWriter w = stage(kGrey);
        w.defineBitsLossless(1, solid(1840, 1840, kGreen), 5, 1);
        const QImage img = drawPlaced(w, 1, scale(0.05, 0.05));
        QVERIFY(play(w.finish())->movie().warnings().isEmpty());
        EXPECT_PIXEL(img, 50, 50, kGreen);
    }

    void damagedPictureDataIsSafe()
    {
        const QByteArray jpeg = encoded(solid(32, 32, kBlue), "JPG");
        SwfWriter w = stage(kGrey);
        w.defineBitsJpeg2(1, jpeg.left(jpeg.size() / 2));                // cut short
        w.defineBitsJpeg2(2, QByteArray(300, '\xFF'));                   // markers only
        w.defineBitsJpeg2(3, QByteArray("\xFF\xD8\xFF\xDB\xFF\xFF", 6)); // a segment longer than the data
        w.defineBitsJpeg3(4, jpeg, QByteArray(10, 'x'));                 // alpha plane too short
        w.writeTag(movie::tag::DefineBitsLossless2,
                   QByteArray("\x05\x00\x03\x10\x00\x10\x00\x07", 8)); // colour map with no data
        w.writeTag(movie::tag::DefineBitsLossless, QByteArray("\x06\x00\x05\x04\x00\x04\x00garbage", 14));
        w.writeTag(movie::tag::DefineBitsJPEG3,
                   QByteArray("\x07\x00\xff\xff\xff\x7f", 6)); // image length beyond the tag
        w.jpegTables(QByteArray(50, '\x01'));
        w.defineBits(8, jpeg);
        for (quint16 id = 1; id <= 8; ++id)
            w.placeObject2(Place::add(id, id).withMatrix(scale(2, 2)));
        w.showFrame();
        const QByteArray bytes = w.finish();
        const auto p = play(bytes);
        QVERIFY(!frame(*p).isNull());
        QVERIFY(p->movie().warnings().size() >= 4);

        QRandomGenerator random(8);
        for (int round = 0; round < 200; ++round) {
            QByteArray damaged = bytes;
            for (int i = 0; i < 3; ++i) {
                const auto at = 8 + random.bounded(damaged.size() - 8);
                damaged[at] = static_cast<char>(damaged[at] ^ (1 << random.bounded(8)));
            }
            try {
                const auto q = play(damaged);
                QVERIFY(!q->renderImage(QSize(50, 50)).isNull());
            } catch (const movie::MovieError&) {}
        }
    }

    // Each corpus picture is an 8 x 8 square in the stage's top-left
    // corner: its colour shows there, the white stage around it.
    void corpusPicturesShowTheirColours_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QColor>("colour");
        QTest::addRow("DefineBits with JPEGTables") << "DefineBits-JpegTables-MX.swf" << QColor(237, 28, 36);
        QTest::addRow("DefineBitsJPEG2") << "DefineBitsJpeg2-MX.swf" << QColor(237, 28, 36);
        QTest::addRow("DefineBitsJPEG3") << "DefineBitsJpeg3.swf" << QColor(128, 128, 191);
        QTest::addRow("DefineBitsLossless") << "DefineBitsLossless.swf" << QColor(0, 0, 255);
        QTest::addRow("DefineBitsLossless2") << "DefineBitsLossless2.swf" << QColor(128, 128, 255);
    }
    void corpusPicturesShowTheirColours()
    {
        QFETCH(QString, name);
        QFETCH(QColor, colour);
        const QString path = sharedFile(QStringLiteral("swf-corpus/") + name);
        if (path.isEmpty() || !QFile::exists(path))
            QSKIP("the shared movie corpus (../shared/swf-corpus) is not here");
        movie::MoviePlayer p(movie::Movie::load(path));
        QVERIFY(p.movie().warnings().isEmpty());
        const QImage img = frame(p);
        EXPECT_PIXEL(img, 3, 3, colour);
        EXPECT_PIXEL(img, 20, 20, kWhite);
    }

    void corpusPictureFillsAndPlacedPictures()
    {
        const QString lineStyle = sharedFile("swf-corpus/BitmapLineStyle.swf");
        const QString image = sharedFile("swf-corpus/PlaceObject3-Image.swf");
        if (lineStyle.isEmpty() || !QFile::exists(lineStyle) || !QFile::exists(image))
            QSKIP("the shared movie corpus (../shared/swf-corpus) is not here");
        // A picture placed directly, without a shape around it: its pen
        // scribbles show on the white stage.
        movie::MoviePlayer placed(movie::Movie::load(image));
        QVERIFY(placed.movie().warnings().isEmpty());
        const QImage img = frame(placed);
        int dark = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                dark += img.pixelColor(x, y).lightness() < 100;
        QVERIFY2(dark > 500, qPrintable(QString::number(dark)));
        // A stroke filled with a picture shows the picture's orange.
        movie::MoviePlayer stroke(movie::Movie::load(lineStyle));
        const QImage lines = frame(stroke);
        int orange = 0;
        for (int y = 0; y < lines.height(); ++y)
            for (int x = 0; x < lines.width(); ++x)
                orange += near(lines.pixelColor(x, y), QColor(255, 174, 52), 30);
        QVERIFY2(orange > 100, qPrintable(QString::number(orange)));
    }
};

QTEST_GUILESS_MAIN(BitmapTest)
#include "tst_bitmap.moc"
