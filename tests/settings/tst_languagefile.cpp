// Language files: which files are accepted, where each text goes, the tree
// they rebuild, and the two encodings they may come in.
#include "canvas/TForm1.h"
#include "options/CategoryTree.h"
#include "options/TLabel.h"
#include "options/TfrmSize.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"
#include "settings/LanguageFile.h"
#include "tests/support/TempProgramFolder.h"

#include <QFile>
#include <QStringDecoder>
#include <QTest>
#include <QTreeWidget>

namespace {

QByteArray shipped(const QString& name)
{
    QFile file(QStringLiteral(SKINEDIT_LANGUAGE_DIR "/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every text a language file can replace, in key order ("11" and "12"
// each three times), after the caption and the tree's nodes.
QStringList texts(const TfrmSize& f)
{
    QStringList all{f.windowTitle()};
    for (int i = 0; i < f.treeMain->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* node = f.treeMain->topLevelItem(i);
        all << node->text(0);
        for (int c = 0; c < node->childCount(); ++c)
            all << node->child(c)->text(0);
    }
    all << f.LbSpeedButton1->text() << f.SpeedButton1->text() << f.lblTitle->text() << f.chkFlash->text()
        << f.lblPlayFlash->text() << f.lblPlayMusic->text() << f.lblButPlay->text() << f.lblStopFlash->text()
        << f.lblStopMusic->text() << f.lblButStop->text() << f.lblOptionsMusic->text() << f.chkMusic->text()
        << f.chkButtonsMusic->text() << f.lblOptColor->text() << f.chkSetka->text() << f.lblColorFlash->text()
        << f.lblColorGrid->text() << f.lblColorFont->text() << f.lblColorTree->text() << f.lblColorInfo->text()
        << f.lblOptLogo->text() << f.chkLogoShow->text() << f.chkTrans->text() << f.chkStreight->text()
        << f.chkDoForm->text();
    return all;
}

// The texts of keys "0" to "27" in the order `texts` lists them.
QStringList expandKeys(const QStringList& keys)
{
    QStringList all = keys.mid(0, 12);
    all << keys[11] << keys[11] << keys[12] << keys[12] << keys[12];
    all << keys.mid(13);
    return all;
}

} // namespace

class TestLanguage : public QObject {
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

    void refusedFilesChangeNothing_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("other case") << QByteArray("[Main]\r\nProgram=CORVADINE\r\n[Pelmora]\r\n0=Caption\r\n");
        QTest::newRow("no Program") << QByteArray("[Pelmora]\r\n0=Caption\r\n1=About\r\n");
        QTest::newRow("another program") << QByteArray("[Main]\r\nProgram=None\r\n[Pelmora]\r\n0=Caption\r\n");
    }
    void refusedFilesChangeNothing()
    {
        QFETCH(QByteArray, content);
        TForm1 form1;
        TfrmSize frmSize(form1);
        const QStringList before = texts(frmSize);
        QVERIFY(!LanguageFile::apply(file(content), frmSize));
        QVERIFY(!LanguageFile::apply(folder->file("\\Support\\Missing.lng"), frmSize));
        QCOMPARE(texts(frmSize), before);
        QCOMPARE(frmSize.CategoryNames, QStringList(6));
    }

    void aFileWithOnlyMainEmptiesEveryText()
    {
        TForm1 form1;
        TfrmSize frmSize(form1);
        QVERIFY(LanguageFile::apply(file("[Main]\r\nProgram=Corvadine\r\n"), frmSize));
        QCOMPARE(texts(frmSize), QStringList(1 + 6 + 25));
        QCOMPARE(frmSize.CategoryNames, QStringList(6));
        // A label without text is as narrow as its text.
        QCOMPARE(frmSize.lblTitle->width(), frmSize.lblTitle->sizeHint().width());
    }

    void theTreeIsRebuiltInItsShape()
    {
        TForm1 form1;
        TfrmSize frmSize(form1);
        const QString path = file(shipped("English.lng"));
        QVERIFY(LanguageFile::apply(path, frmSize));
        QVERIFY(LanguageFile::apply(path, frmSize)); // twice: no nodes pile up
        QTreeWidget* tree = frmSize.treeMain;
        QCOMPARE(tree->topLevelItemCount(), 2);
        QCOMPARE(tree->topLevelItem(0)->childCount(), 0);
        QTreeWidgetItem* settings = tree->topLevelItem(1);
        QCOMPARE(settings->childCount(), 4);
        for (int c = 0; c < 4; ++c)
            QCOMPARE(settings->child(c)->childCount(), 0);
        QCOMPARE(frmSize.CategoryNames,
                 QStringList({"About", "Settings", "Title", "Music", "Colours", "Miscellaneous"}));
        QCOMPARE(settings->child(2)->text(0), QStringLiteral("Colours"));
    }

    void theShippedRussianFileKeepsTheFormsLook()
    {
        TForm1 form1;
        TfrmSize frmSize(form1);
        QStringList expected = texts(frmSize);
        // One key serves all three play labels; the form itself says "Играть"
        // beside the Flash preview.
        expected[1 + 6 + 4] = QStringLiteral("Проиграть");
        QVERIFY(LanguageFile::apply(file(shipped("Russian.lng")), frmSize));
        QCOMPARE(texts(frmSize), expected);
    }

    void theShippedEnglishFileIsComplete()
    {
        const QString path = file(shipped("English.lng"));
        TForm1 form1;
        TfrmSize frmSize(form1);
        QVERIFY(LanguageFile::apply(path, frmSize));
        for (const QString& text : texts(frmSize))
            QVERIFY2(!text.trimmed().isEmpty(), "a text is missing");
        // Plain ASCII reads the same in either encoding.
        for (const char byte : shipped("English.lng"))
            QVERIFY(static_cast<unsigned char>(byte) < 0x80);
    }

    void windows1251AndUtf8GiveTheSameTexts()
    {
        const QByteArray cp1251 = shipped("Russian.lng");
        QVERIFY(cp1251.contains("\r\n"));
        QVERIFY(cp1251.contains('\xCD')); // Cyrillic in one byte: not UTF-8
        const QString decoded = QStringDecoder("windows-1251").decode(cp1251);
        const QByteArray utf8 = decoded.toUtf8();

        QStringList results[3];
        const QByteArray variants[3] = {cp1251, utf8, QByteArray("\xEF\xBB\xBF") + utf8};
        for (int i = 0; i < 3; ++i) {
            TForm1 form1;
            TfrmSize frmSize(form1);
            QVERIFY(LanguageFile::apply(file(variants[i]), frmSize));
            results[i] = texts(frmSize);
        }
        QCOMPARE(results[0][1], QStringLiteral("О программе"));
        QCOMPARE(results[1], results[0]);
        QCOMPARE(results[2], results[0]);
    }

    void keysGoToTheirTargets()
    {
        QByteArray content = "[Main]\r\nProgram=Corvadine\r\n[Pelmora]\r\n";
        QStringList keys;
        for (int key = 0; key <= 27; ++key) {
            keys << QStringLiteral("text %1").arg(key);
            content += QByteArray::number(key) + "=text " + QByteArray::number(key) + "\r\n";
        }
        TForm1 form1;
        TfrmSize frmSize(form1);
        QVERIFY(LanguageFile::apply(file(content), frmSize));
        QCOMPARE(texts(frmSize), expandKeys(keys));
    }
};

QTEST_MAIN(TestLanguage)
#include "tst_languagefile.moc"
