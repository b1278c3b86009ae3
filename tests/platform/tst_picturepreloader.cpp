// Pictures read ahead: each is served once to the load it was read for,
// with the picture or the error that load would have had; every other load
// reads its file.
#include "base/EditorError.h"
#include "base/FileReads.h"
#include "platform/PicturePreloader.h"

#include <QFile>
#include <QImageWriter>
#include <QMutex>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Reader = PicturePreloader::Reader;

QImage filled(QRgb colour)
{
    QImage image(7, 5, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QString errorOf(const QString& path, Reader reader)
{
    try {
        PicturePreloader::load(path, reader);
    } catch (const EditorError& error) {
        return error.text();
    }
    return {};
}

} // namespace

class TestPicturePreloader : public QObject {
    Q_OBJECT

    QTemporaryDir dir;

    QString writeBitmap(const QString& name, QRgb colour)
    {
        QString path = dir.filePath(name);
        QImageWriter writer(path, "bmp");
        if (!writer.write(filled(colour)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

private slots:
    void eachPictureIsReadOnceForItsLoad()
    {
        const QString red = writeBitmap(QStringLiteral("red.bmp"), qRgb(255, 0, 0));
        const QString blue = writeBitmap(QStringLiteral("blue.BMP"), qRgb(0, 0, 255));
        QMutex mutex;
        QStringList opened;
        FileReads::setOpenHookForTesting([&](const QString& path) {
            const QMutexLocker lock(&mutex);
            opened << QFileInfo(path).fileName();
        });
        {
            const PicturePreloader preloader({{red, Reader::Bitmap}, {blue, Reader::ByExtension}});
            QCOMPARE(PicturePreloader::load(blue, Reader::ByExtension), filled(qRgb(0, 0, 255)));
            QCOMPARE(PicturePreloader::load(red, Reader::Bitmap), filled(qRgb(255, 0, 0)));
            {
                const QMutexLocker lock(&mutex);
                QCOMPARE(opened, QStringList({"red.bmp", "blue.BMP"}));
            }
            // Served once: the next load of a file, or a load by another
            // reader, reads the file as it is now.
            writeBitmap(QStringLiteral("red.bmp"), qRgb(0, 255, 0));
            QCOMPARE(PicturePreloader::load(red, Reader::Bitmap), filled(qRgb(0, 255, 0)));
            QCOMPARE(PicturePreloader::load(blue, Reader::Bitmap), filled(qRgb(0, 0, 255)));
        }
        FileReads::setOpenHookForTesting({});
        QCOMPARE(opened, QStringList({"red.bmp", "blue.BMP", "red.bmp", "blue.BMP"}));
        // Without a preloader every load reads its file.
        QCOMPARE(PicturePreloader::load(red, Reader::ByExtension), filled(qRgb(0, 255, 0)));
    }

    void aPictureThatCannotBeReadThrowsAtItsLoad()
    {
        const QString missing = dir.filePath(QStringLiteral("missing.jpg"));
        const QString damaged = dir.filePath(QStringLiteral("damaged.bmp"));
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("BM not a bitmap") > 0);
        file.close();
        const QString named = dir.filePath(QStringLiteral("picture.gif"));
        QVERIFY(QFile::copy(damaged, named));

        const QStringList direct = {errorOf(missing, Reader::ByExtension), errorOf(damaged, Reader::Bitmap),
                                    errorOf(named, Reader::ByExtension)};
        QCOMPARE(direct,
                 QStringList({QStringLiteral("Cannot open file %1").arg(missing),
                              QStringLiteral("Bitmap image is not valid"),
                              QStringLiteral("Unknown picture file extension (.gif)")}));
        const PicturePreloader preloader(
            {{missing, Reader::ByExtension}, {damaged, Reader::Bitmap}, {named, Reader::ByExtension}});
        QCOMPARE(QStringList({errorOf(missing, Reader::ByExtension), errorOf(damaged, Reader::Bitmap),
                              errorOf(named, Reader::ByExtension)}),
                 direct);
    }
};

QTEST_GUILESS_MAIN(TestPicturePreloader)
#include "tst_picturepreloader.moc"
