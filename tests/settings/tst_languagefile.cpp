// Reading language files: which files are accepted, the texts by key, and
// the two encodings they may come in.
#include "settings/LanguageFile.h"
#include "tests/support/TempProgramFolder.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

namespace {

QByteArray shipped(const QString& name)
{
    QFile file(QStringLiteral(SKINEDIT_LANGUAGE_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestLanguageFile : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;

    QString file(const QByteArray& content)
    {
        folder->write("\\Support\\Test.lng", content);
        return folder->file("\\Support\\Test.lng");
    }

private slots:
    void init() { folder = std::make_unique<TempProgramFolder>(); }
    void cleanup() { folder.reset(); }

    void refusedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("other case") << QByteArray("[Main]\r\nProgram=CORVADINE\r\n[Pelmora]\r\n0=Caption\r\n");
        QTest::newRow("no Program") << QByteArray("[Pelmora]\r\n0=Caption\r\n1=About\r\n");
        QTest::newRow("another program") << QByteArray("[Main]\r\nProgram=None\r\n[Pelmora]\r\n0=Caption\r\n");
    }
    void refusedFiles()
    {
        QFETCH(QByteArray, content);
        QVERIFY(!LanguageFile::read(file(content)));
        QVERIFY(!LanguageFile::read(folder->file("\\Support\\Missing.lng")));
    }

    void everyKeyReadsInOrderAndMissingOnesAreEmpty()
    {
        QByteArray content = "[Main]\r\nProgram=Corvadine\r\n[Pelmora]\r\n";
        QStringList expected;
        for (int key = 0; key <= 27; ++key) {
            const bool present = key != 5 && key != 20;
            expected << (present ? QStringLiteral("text %1").arg(key) : QString());
            if (present)
                content += QByteArray::number(key) + "=text " + QByteArray::number(key) + "\r\n";
        }
        const auto texts = LanguageFile::read(file(content));
        QVERIFY(texts);
        QCOMPARE(texts->byKey, expected);
        QCOMPARE(texts->caption(), QStringLiteral("text 0"));
        QCOMPARE(texts->categoryNames(), expected.mid(1, 6));
        QCOMPARE(LanguageFile::read(file("[Main]\r\nProgram=Corvadine\r\n"))->byKey, QStringList(28));
    }

    void theShippedEnglishFileIsCompleteAndPlainAscii()
    {
        const auto texts = LanguageFile::read(file(shipped("English.lng")));
        QVERIFY(texts);
        for (const QString& text : texts->byKey)
            QVERIFY2(!text.trimmed().isEmpty(), "a text is missing");
        QCOMPARE(texts->categoryNames(),
                 QStringList({"About", "Settings", "Title", "Music", "Colours", "Miscellaneous"}));
        for (const char byte : shipped("English.lng"))
            QVERIFY(static_cast<unsigned char>(byte) < 0x80);
    }

    // A UTF-8 mark means UTF-8 here: only the editor reads language files.
    void everyEncodingGivesTheSameTexts()
    {
        const QByteArray cp1251 = shipped("Russian.lng");
        QVERIFY(cp1251.contains("\r\n"));
        QVERIFY(cp1251.contains('\xCD')); // Cyrillic in one byte: not UTF-8
        const QByteArray utf8 = QStringDecoder("windows-1251").decode(cp1251).operator QString().toUtf8();

        const auto fromCp1251 = LanguageFile::read(file(cp1251));
        QVERIFY(fromCp1251);
        QCOMPARE(fromCp1251->categoryNames().first(), QStringLiteral("О программе"));
        QCOMPARE(LanguageFile::read(file(utf8))->byKey, fromCp1251->byKey);
        QCOMPARE(LanguageFile::read(file(QByteArray("\xEF\xBB\xBF") + utf8))->byKey, fromCp1251->byKey);
        // Notepad's "Unicode": UTF-16 LE after its mark, as Windows reads it.
        const QByteArray utf16 = QStringEncoder(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom)
                                     .encode(QStringDecoder("windows-1251").decode(cp1251).operator QString());
        QCOMPARE(LanguageFile::read(file(utf16))->byKey, fromCp1251->byKey);
    }
};

QTEST_GUILESS_MAIN(TestLanguageFile)
#include "tst_languagefile.moc"
