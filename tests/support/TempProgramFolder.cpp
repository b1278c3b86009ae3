#include "tests/support/TempProgramFolder.h"

#include "base/ProgramFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QTest>

TempProgramFolder::TempProgramFolder()
{
    QVERIFY2(dir_.isValid(), "cannot make a temporary folder");
    ProgramFolder::setPathForTesting(dir_.path());
}

TempProgramFolder::~TempProgramFolder() { ProgramFolder::setPathForTesting(QString()); }

QString TempProgramFolder::file(const QString& relativeWindowsPath) const
{
    return QDir::toNativeSeparators(dir_.path()) + ProgramFolder::nativeSeparators(relativeWindowsPath);
}

void TempProgramFolder::write(const QString& relativeWindowsPath, const QByteArray& content) const
{
    const QString target = file(relativeWindowsPath);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QFile out(target);
    if (!out.open(QIODevice::WriteOnly) || out.write(content) != content.size())
        QFAIL(qPrintable(QStringLiteral("cannot write %1").arg(target)));
}

QByteArray TempProgramFolder::read(const QString& relativeWindowsPath) const
{
    QFile in(file(relativeWindowsPath));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

void TempProgramFolder::writePicture(const QString& relativeWindowsPath, int width, int height, QColor colour,
                                     const char* format) const
{
    const QString target = file(relativeWindowsPath);
    QDir().mkpath(QFileInfo(target).absolutePath());
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    const QString suffix = QFileInfo(target).suffix().toLower();
    if (!format)
        format = suffix == QLatin1String("bmp") ? "BMP" : "JPG";
    QVERIFY2(image.save(target, format), qPrintable(QStringLiteral("cannot save %1").arg(target)));
}

QString sampleSkinFolder() { return QStringLiteral(SKINEDIT_SAMPLE_SKIN_DIR); }

void TempProgramFolder::copySampleSkin() const
{
    const QDir source(sampleSkinFolder());
    QDir().mkpath(file(QStringLiteral("\\data")));
    const auto names = source.entryList(QDir::Files);
    QVERIFY2(!names.isEmpty(), "the sample skin has not been built");
    for (const QString& name : names)
        QVERIFY(QFile::copy(source.filePath(name), file(QStringLiteral("\\data\\") + name)));
}

void TempProgramFolder::writeAllPictures(int backgroundWidth, int backgroundHeight) const
{
    writePicture(QStringLiteral("\\data\\BackGround.bmp"), backgroundWidth, backgroundHeight, Qt::darkBlue);
    writePicture(QStringLiteral("\\data\\welcome.bmp"), 266, 65, Qt::yellow);
    writePicture(QStringLiteral("\\data\\list.bmp"), 168, 25, Qt::green);
    writePicture(QStringLiteral("\\data\\info.bmp"), 83, 25, Qt::cyan);
    writePicture(QStringLiteral("\\data\\ButtonUp.jpg"), 75, 31, Qt::red);
    writePicture(QStringLiteral("\\data\\SetupUp.jpg"), 103, 34, Qt::red);
    writePicture(QStringLiteral("\\data\\Brow.jpg"), 73, 31, Qt::red);
    writePicture(QStringLiteral("\\data\\PatchUp.JPG"), 66, 31, Qt::red);
    writePicture(QStringLiteral("\\data\\RussUp.jpg"), 112, 31, Qt::red);
    writePicture(QStringLiteral("\\data\\PicUp.jpg"), 73, 33, Qt::red);
}
