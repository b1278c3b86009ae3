#include "base/EditorError.h"
#include "settings/IniFile.h"
#include "tests/support/TempIniFile.h"

#include <QDir>
#include <QFile>
#include <QTest>

// Each case is a file going in and, for writes, the exact bytes coming out.
class IniFileTest : public QObject {
    Q_OBJECT

private:
    TempIniFile ini_{QStringLiteral("test.ini")};

    // The write must fail with the editor's error and leave the file as it was.
    void expectRefused(const QString& section, const QString& key, const QString& value)
    {
        const QByteArray before = ini_.contents();
        try {
            IniFile::writeString(ini_.path(), section, key, value);
            QFAIL("the write was not refused");
        } catch (const EditorError& error) {
            QCOMPARE(error.text(), QStringLiteral("Unable to write to %1").arg(ini_.path()));
        }
        QCOMPARE(ini_.contents(), before);
    }

private slots:
    void init() { QFile::remove(ini_.path()); }

    void reads_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");

        QTest::newRow("plain") << QByteArray("[Main]\r\nLogoX=12\r\n") << "Main"
                               << "LogoX"
                               << "12";
        QTest::newRow("names ignore case") << QByteArray("[mAIN]\r\nlogox=12\r\n") << "Main"
                                           << "LogoX"
                                           << "12";
        QTest::newRow("blanks trimmed, value after first =")
            << QByteArray(" \t[ Main ] \r\n\t a = b=c \t\r\n") << "Main"
            << "a"
            << "b=c";
        QTest::newRow("section name up to last ]") << QByteArray("[a]b]\r\nk=1\r\n") << "a]b"
                                                   << "k"
                                                   << "1";
        QTest::newRow("[ without ] opens no section") << QByteArray("[Main]\r\n[oops\r\nk=1\r\n") << "Main"
                                                      << "k"
                                                      << "1";
        QTest::newRow("double quotes lose one pair") << QByteArray("[S]\r\nk=\"\"x y\"\"\r\n") << "S"
                                                     << "k"
                                                     << "\"x y\"";
        QTest::newRow("single quotes") << QByteArray("[S]\r\nk='x'\r\n") << "S"
                                       << "k"
                                       << "x";
        QTest::newRow("unmatched quotes stay") << QByteArray("[S]\r\nk=\"x'\r\n") << "S"
                                               << "k"
                                               << "\"x'";
        QTest::newRow("lone quote stays") << QByteArray("[S]\r\nk=\"\r\n") << "S"
                                          << "k"
                                          << "\"";
        QTest::newRow("empty value is no default") << QByteArray("[S]\r\nk=\r\n") << "S"
                                                   << "k"
                                                   << "";
        QTest::newRow("line without = is an empty key") << QByteArray("[S]\r\nk\r\n") << "S"
                                                        << "k"
                                                        << "";
        QTest::newRow("comment is no key") << QByteArray("[S]\r\n;k=1\r\n") << "S"
                                           << ";k"
                                           << "<default>";
        QTest::newRow("indented comment is no key") << QByteArray("[S]\r\n  ;k=1\r\n") << "S"
                                                    << ";k"
                                                    << "<default>";
        QTest::newRow("missing key") << QByteArray("[S]\r\nk=1\r\n") << "S"
                                     << "j"
                                     << "<default>";
        QTest::newRow("missing section") << QByteArray("[S]\r\nk=1\r\n") << "T"
                                         << "k"
                                         << "<default>";
        QTest::newRow("key of another section") << QByteArray("[T]\r\nk=1\r\n[S]\r\n") << "S"
                                                << "k"
                                                << "<default>";
        QTest::newRow("first key wins") << QByteArray("[S]\r\nk=1\r\nK=2\r\n") << "S"
                                        << "k"
                                        << "1";
        QTest::newRow("first section wins") << QByteArray("[S]\r\nk=1\r\n[s]\r\nk=2\r\n") << "S"
                                            << "k"
                                            << "1";
        QTest::newRow("later same-named section unread") << QByteArray("[S]\r\nk=1\r\n[T]\r\n[S]\r\nj=2\r\n") << "S"
                                                         << "j"
                                                         << "<default>";
        QTest::newRow("LF") << QByteArray("[S]\nk=1\nj=2") << "S"
                            << "j"
                            << "2";
        QTest::newRow("lone CR") << QByteArray("[S]\rk=1\rj=2\r") << "S"
                                 << "j"
                                 << "2";
        QTest::newRow("mixed endings") << QByteArray("[S]\r\nk=1\rj=2\n") << "S"
                                       << "k"
                                       << "1";
        QTest::newRow("byte-order mark skipped") << QByteArray("\xEF\xBB\xBF[S]\r\nk=1\r\n") << "S"
                                                 << "k"
                                                 << "1";
        QTest::newRow("UTF-8 text") << QByteArray("[S]\r\nk=\xD0\x9F\xD1\x80\xD0\xB8\r\n") << "S"
                                    << "k"
                                    << "При";
        QTest::newRow("Windows-1251 text") << QByteArray("[S]\r\nk=\xCF\xF0\xE8\r\n") << "S"
                                           << "k"
                                           << "При";
        QTest::newRow("Windows-1251 names") << QByteArray("[\xD0\xE0\xE7]\r\n\xCA\xEB\xFE\xF7=1\r\n") << "раз"
                                            << "КЛЮЧ"
                                            << "1";
    }

    void reads()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        ini_.put(file);
        QCOMPARE(IniFile::readString(ini_.path(), section, key, QStringLiteral("<default>")), expected);
    }

    void readsDefaultWithoutFile()
    {
        QCOMPARE(IniFile::readString(ini_.path(), "S", "k", "d"), QStringLiteral("d"));
        QCOMPARE(IniFile::readString(ini_.folder(), "S", "k", "d"), QStringLiteral("d")); // a folder
    }

    void cutsLongValues()
    {
        ini_.put("[S]\r\nk=" + QByteArray(3000, 'v') + "\r\n");
        QCOMPARE(IniFile::readString(ini_.path(), "S", "k", {}), QString(2047, u'v'));
    }

    void writes_data()
    {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("after");

        QTest::newRow("new file") << QByteArray("<missing>") << "Main"
                                  << "LogoX"
                                  << "10" << QByteArray("[Main]\r\nLogoX=10\r\n");
        QTest::newRow("empty file") << QByteArray() << "Main"
                                    << "LogoX"
                                    << "10" << QByteArray("[Main]\r\nLogoX=10\r\n");
        QTest::newRow("replaced in place, other lines kept")
            << QByteArray("; note \r\n[Main]\r\n  a = 1 \r\n b = 2 \r\n") << "main"
            << "A"
            << "5" << QByteArray("; note \r\n[Main]\r\na=5\r\n b = 2 \r\n");
        QTest::newRow("key keeps the file's spelling") << QByteArray("[Main]\r\nLOGOX=1\r\n") << "Main"
                                                       << "LogoX"
                                                       << "7" << QByteArray("[Main]\r\nLOGOX=7\r\n");
        QTest::newRow("first of duplicate keys replaced") << QByteArray("[S]\r\nk=1\r\nk=2\r\n") << "S"
                                                          << "k"
                                                          << "3" << QByteArray("[S]\r\nk=3\r\nk=2\r\n");
        QTest::newRow("key line without =") << QByteArray("[S]\r\nk\r\n") << "S"
                                            << "k"
                                            << "3" << QByteArray("[S]\r\nk=3\r\n");
        QTest::newRow("new key after last non-blank line")
            << QByteArray("[A]\r\nx=1\r\n\r\n\r\n[B]\r\ny=2\r\n") << "A"
            << "z"
            << "3" << QByteArray("[A]\r\nx=1\r\nz=3\r\n\r\n\r\n[B]\r\ny=2\r\n");
        QTest::newRow("comment counts as non-blank") << QByteArray("[A]\r\nx=1\r\n; end\r\n\r\n[B]\r\n") << "A"
                                                     << "z"
                                                     << "3" << QByteArray("[A]\r\nx=1\r\n; end\r\nz=3\r\n\r\n[B]\r\n");
        QTest::newRow("new key in a bare section") << QByteArray("[A]\r\n \r\n[B]\r\n") << "A"
                                                   << "z"
                                                   << "3" << QByteArray("[A]\r\nz=3\r\n \r\n[B]\r\n");
        QTest::newRow("new key into the first of duplicate sections")
            << QByteArray("[A]\r\n[B]\r\n[A]\r\n") << "A"
            << "z"
            << "3" << QByteArray("[A]\r\nz=3\r\n[B]\r\n[A]\r\n");
        QTest::newRow("new key after unterminated last line") << QByteArray("[A]\r\nx=1") << "A"
                                                              << "z"
                                                              << "3" << QByteArray("[A]\r\nx=1\r\nz=3\r\n");
        QTest::newRow("replaced unterminated last line") << QByteArray("[A]\r\nx=1") << "A"
                                                         << "x"
                                                         << "2" << QByteArray("[A]\r\nx=2");
        QTest::newRow("new section at the end, no blank line") << QByteArray("[A]\r\nx=1\r\n") << "B"
                                                               << "y"
                                                               << "2" << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        QTest::newRow("new section after blank lines") << QByteArray("[A]\r\nx=1\r\n\r\n") << "B"
                                                       << "y"
                                                       << "2" << QByteArray("[A]\r\nx=1\r\n\r\n[B]\r\ny=2\r\n");
        QTest::newRow("new section after unterminated last line") << QByteArray("[A]\r\nx=1") << "B"
                                                                  << "y"
                                                                  << "2" << QByteArray("[A]\r\nx=1\r\n[B]\r\ny=2\r\n");
        QTest::newRow("LF file stays LF") << QByteArray("[A]\nx=1") << "B"
                                          << "y"
                                          << "2" << QByteArray("[A]\nx=1\n[B]\ny=2\n");
        QTest::newRow("CR file stays CR") << QByteArray("[A]\rx=1\r") << "A"
                                          << "y"
                                          << "2" << QByteArray("[A]\rx=1\ry=2\r");
        QTest::newRow("byte-order mark kept") << QByteArray("\xEF\xBB\xBF[A]\r\n") << "A"
                                              << "x"
                                              << "1" << QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\n");
        QTest::newRow("byte-order mark alone") << QByteArray("\xEF\xBB\xBF") << "A"
                                               << "x"
                                               << "1" << QByteArray("\xEF\xBB\xBF[A]\r\nx=1\r\n");
        QTest::newRow("value written as given") << QByteArray("[A]\r\n") << "A"
                                                << "x"
                                                << " a b " << QByteArray("[A]\r\nx= a b \r\n");
        QTest::newRow("UTF-8 into new file") << QByteArray("<missing>") << "A"
                                             << "x"
                                             << "При" << QByteArray("[A]\r\nx=\xD0\x9F\xD1\x80\xD0\xB8\r\n");
        QTest::newRow("Windows-1251 file stays Windows-1251")
            << QByteArray("[A]\r\nn=\xCF\r\n") << "A"
            << "x"
            << "При" << QByteArray("[A]\r\nn=\xCF\r\nx=\xCF\xF0\xE8\r\n");
    }

    void writes()
    {
        QFETCH(QByteArray, before);
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        QFETCH(QByteArray, after);
        if (before != "<missing>")
            ini_.put(before);
        IniFile::writeString(ini_.path(), section, key, value);
        QCOMPARE(ini_.contents(), after);
    }

    void readsBackWhatItWrites()
    {
        const QStringList values = {"1", "", "a=b", "C:\\Мои документы\\music.wav", "; not a comment", "[Main]"};
        for (const QString& value : values) {
            IniFile::writeString(ini_.path(), "Main", "Key", value);
            QCOMPARE(IniFile::readString(ini_.path(), "Main", "Key", "<default>"), value);
        }
    }

    void refusesTextsThatWouldAddLines()
    {
        ini_.put("[Main]\r\nk=1\r\n");
        expectRefused("Main", "k", "2\r\n[Other]");
        expectRefused("Main", "k", "2\n");
        expectRefused("Main", "k", "2\r");
        expectRefused("Main", "k\nj", "2");
        expectRefused("Main\r\n[X", "k", "2");
        expectRefused("Main", "k=j", "2");
    }

    void refusesCharactersTheFileCannotHold()
    {
        ini_.put("[A]\r\nn=\xCF\r\n"); // Windows-1251
        expectRefused("A", "n", "日本");
    }

    void refusedWriteCreatesNoFile()
    {
        expectRefused("Main", "k", "a\nb");
        QVERIFY(!QFile::exists(ini_.path()));
    }

    void failsInMissingFolder()
    {
        const QString inMissing = QDir(ini_.folder()).filePath(QStringLiteral("none/test.ini"));
        QVERIFY_THROWS_EXCEPTION(EditorError, IniFile::writeString(inMissing, "S", "k", "1"));
        QVERIFY(!QFile::exists(inMissing));
    }

    void replacesTheFileWhole()
    {
#ifdef Q_OS_UNIX
        // The old file is swapped for a complete new one, never rewritten in
        // place: a reader that opened it before still sees the old bytes.
        ini_.put("[Main]\r\nk=old\r\n");
        QFile reader(ini_.path());
        QVERIFY(reader.open(QIODevice::ReadOnly));
        IniFile::writeString(ini_.path(), "Main", "k", "new");
        QCOMPARE(reader.readAll(), QByteArray("[Main]\r\nk=old\r\n"));
        QCOMPARE(ini_.contents(), QByteArray("[Main]\r\nk=new\r\n"));
#else
        QSKIP("open files cannot be replaced on this platform");
#endif
    }

    void leavesNoTemporaryFiles()
    {
        ini_.put("[Main]\r\nk=1\r\n");
        IniFile::writeString(ini_.path(), "Main", "k", "2");
        IniFile::writeString(ini_.path(), "Main", "j", "3");
        QCOMPARE(QDir(ini_.folder()).entryList(QDir::Files | QDir::Hidden), QStringList{"test.ini"});
    }

    void failsInReadOnlyFolderAndKeepsTheFile()
    {
        ini_.put("[Main]\r\nk=1\r\n");
        QFile::setPermissions(ini_.folder(), QFile::ReadOwner | QFile::ExeOwner);
        QFile probe(QDir(ini_.folder()).filePath(QStringLiteral("probe")));
        const bool folderWritable = probe.open(QIODevice::WriteOnly);
        if (folderWritable) {
            probe.remove();
        } else {
            expectRefused("Main", "k", "2");
            expectRefused("Main", "j", "2");
        }
        QFile::setPermissions(ini_.folder(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (folderWritable)
            QSKIP("permissions do not bind this user (root)");
    }
};

QTEST_MAIN(IniFileTest)
#include "tst_inifile.moc"
