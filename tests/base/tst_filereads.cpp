// Reading a file from a skin that may come from anywhere: only regular files,
// and only as much as the reader allows.
#include "base/FileReads.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

class TestFileReads : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

    QString file(const QString& name) const { return dir_.filePath(name); }

private slots:
    void readsRegularFilesThroughLinks()
    {
        QFile out(file("skin.ini"));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("[Main]\r\n");
        out.close();
        QVERIFY(QFile::link(file("skin.ini"), file("link.ini")));
        QCOMPARE(FileReads::readAll(file("link.ini"), 8), QByteArray("[Main]\r\n"));
        // One byte more than allowed is too large.
        QCOMPARE(FileReads::readAll(file("skin.ini"), 7), std::nullopt);
    }

    void anythingElseCannotBeOpened()
    {
        QStringList paths = {file("missing.ini"), dir_.path()};
#ifdef Q_OS_UNIX
        // A pipe would hold the reader in its open, a device would never end.
        QCOMPARE(::mkfifo(QFile::encodeName(file("pipe.ini")).constData(), 0600), 0);
        paths << file("pipe.ini");
        if (QFileInfo::exists("/dev/zero"))
            paths << "/dev/zero";
#endif
        for (const QString& path : std::as_const(paths)) {
            QFile opened(path);
            QVERIFY2(!FileReads::open(opened), qPrintable(path));
            QCOMPARE(FileReads::readAll(path, 1 << 20), std::nullopt);
        }
    }
};

QTEST_MAIN(TestFileReads)
#include "tst_filereads.moc"
