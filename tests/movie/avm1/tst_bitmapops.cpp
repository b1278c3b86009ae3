// The pixel work of BitmapData: the player's rounding of premultiplied
// pixels, and dissolves that visit every pixel once.

#include "movie/avm1/BitmapOps.h"

#include <QtTest>

using namespace movie::avm1::pixels;

class BitmapOpsTest : public QObject {
    Q_OBJECT

private slots:
    // Colours read back as the reference player's logs show them after
    // setPixel32 or fillRect on a transparent picture.
    void colorsReadBackWithThePlayersRounding_data()
    {
        QTest::addColumn<quint32>("given");
        QTest::addColumn<quint32>("read");
        QTest::newRow("0xAABBCCDD") << 0xAABBCCDDu << 0xAABBCCDCu;
        QTest::newRow("0x12345678") << 0x12345678u << 0x12395571u;
        QTest::newRow("nearly opaque grey") << 0xF7D6D6D6u << 0xF7D5D5D5u;
        QTest::newRow("white at alpha 1") << 0x01FFFFFFu << 0x01FFFFFFu;
        QTest::newRow("invisible") << 0x00FFFFFFu << 0u;
    }
    void colorsReadBackWithThePlayersRounding()
    {
        QFETCH(quint32, given);
        QFETCH(quint32, read);
        QCOMPARE(unpremultiplied(premultiplied(given)), read);
    }

    // Dissolving one pixel a call, each call going on from the seed the
    // last returned, first writes two pixels and then one new pixel a call
    // (as the reference player's logs count them), so the last pixel of
    // the area is done exactly by the call numbered its size less one.
    void dissolveVisitsEveryPixelOnce_data()
    {
        QTest::addColumn<QSize>("size");
        for (const QSize s : {QSize(1, 2), QSize(3, 7), QSize(8, 8), QSize(150, 2), QSize(64, 65), QSize(300, 301)})
            QTest::addRow("%dx%d", s.width(), s.height()) << s;
    }
    void dissolveVisitsEveryPixelOnce()
    {
        QFETCH(QSize, size);
        QImage target(size, QImage::Format_ARGB32_Premultiplied);
        target.fill(0);
        auto undone = [&] {
            int count = 0;
            for (int y = 0; y < size.height(); ++y)
                for (int x = 0; x < size.width(); ++x)
                    count += target.pixel(x, y) == 0;
            return count;
        };
        const int total = size.width() * size.height();
        int seed = 0;
        for (int call = 1; call < total; ++call) {
            seed = pixelDissolve(target, target, target.rect(), QPoint(), seed, 1, 0xFFFFFFFFu, true, true);
            if (call == total - 2)
                QCOMPARE(undone(), 1);
        }
        QCOMPARE(undone(), 0);
    }
};

QTEST_MAIN(BitmapOpsTest)
#include "tst_bitmapops.moc"
