#include "tests/support/SoundUiKit.h"

#include "tests/support/ToneFiles.h"

#include <QFile>
#include <QTest>

namespace SoundUiKit {

bool writeWav(const QString& path, double seconds) { return ToneFiles::writeTone(path, ToneFiles::Wav, seconds); }

bool writeMp3(const QString& path, double seconds) { return ToneFiles::writeTone(path, ToneFiles::Mp3, seconds); }

void writeDamagedWav(const QString& path)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("RIFF\x10\x00\x00\x00WAVEfmt this is no sound", 33);
}

QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace SoundUiKit
