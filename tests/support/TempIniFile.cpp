#include "tests/support/TempIniFile.h"

#include <QFile>
#include <QTest>

TempIniFile::TempIniFile(const QString& name) : path_(dir_.filePath(name))
{
    QVERIFY2(dir_.isValid(), "cannot make a temporary folder");
}

void TempIniFile::put(const QByteArray& bytes) const
{
    QFile file(path_);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray TempIniFile::contents() const
{
    QFile file(path_);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
