// The skin file read into and written from the live controls of both
// windows.
#include "base/Application.h"
#include "base/EditorError.h"
#include "canvas/ElementGeometry.h"
#include "canvas/SkinFile.h"
#include "canvas/TForm1.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "options/ColourSwatch.h"
#include "options/TfrmSize.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TCheckBox.h"
#include "platform/TSpeedButton.h"
#include "settings/IniFile.h"
#include "tests/support/EditorFixture.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QTest>

namespace {

QRect bounds(const QWidget* element) { return element->geometry(); }

// The key names of a file's lines, in file order.
QStringList keysOf(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList keys;
    for (const QByteArray& line : file.readAll().split('\n')) {
        const int equals = line.indexOf('=');
        if (equals > 0)
            keys.append(QString::fromUtf8(line.left(equals)));
    }
    return keys;
}

} // namespace

class SkinFileTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        fixture_ = std::make_unique<EditorFixture>();
        // The writer makes files, not folders: the data folder exists.
        fixture_->folder.write("\\data\\BackGround.bmp", "");
    }
    void cleanup() { fixture_.reset(); }

    void emptyFileGivesEveryDefault()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TForm1& f = editor.Form1;
        TfrmSize& o = editor.frmSize;
        Element::setBounds(f.btnInfo, 16, 24, 23, 22);
        Element::setBounds(f.TmpFlash, 128, 24, 265, 65);
        o.chkButtonsMusic->setState(true);
        o.chkStreight->setState(true);
        o.chkLogoShow->setState(true);
        o.chkTrans->setState(true);
        o.chkMusic->setState(true);
        o.chkLoop->setState(true);
        o.chkDoForm->setState(false);
        o.chkFlash->setState(true);
        f.lstDir->setColor(Colours::MoneyGreen);
        f.txtInfo->setColor(Colours::Cream);

        fixture_->folder.write("\\data\\skin.ini", "");
        SkinFile::read(fixture_->folder.file("\\data\\skin.ini"), f, o);

        QCOMPARE(bounds(f.imgLogo), QRect(10, 0, 10, 10));
        QCOMPARE(f.btnMinimize->pos(), QPoint(40, 6));
        for (TImage* picture :
             {f.imgWel, f.imgList, f.imgInfo, f.imgSetup, f.imgBrow, f.imgExit, f.imgRuss, f.imgPatch, f.imgPic})
            QCOMPARE(picture->pos(), QPoint(0, 0));
        QCOMPARE(bounds(f.TmpFlash), QRect(0, 0, 265, 65)); // the size is kept
        QCOMPARE(bounds(f.lstDir), QRect(0, 0, 0, 0));
        QCOMPARE(bounds(f.txtInfo), QRect(0, 0, 0, 0));
        QCOMPARE(f.Label1->pos(), QPoint(0, 0));
        QCOMPARE(f.btnInfo->pos(), QPoint(16, 24));

        QVERIFY(o.chkDoForm->isChecked());
        QVERIFY(!o.chkLogoShow->isChecked());
        QVERIFY(!o.chkTrans->isChecked());
        QVERIFY(!o.chkFlash->isChecked());
        QVERIFY(!o.chkMusic->isChecked());
        QVERIFY(!o.chkLoop->isChecked());
        QVERIFY(o.chkButtonsMusic->isChecked());
        QVERIFY(o.chkStreight->isChecked());

        QCOMPARE(f.lstDir->color(), Colours::MoneyGreen);
        QCOMPARE(f.txtInfo->color(), Colours::Cream);
        QCOMPARE(o.lblFontColor->color(), Colours::BtnText);
        // The tree's font takes the swatch's colour, not its own.
        QCOMPARE(f.lstDir->fontColor(), Colours::BtnText);
        // Unchecking chkFlash ran its click behaviour.
        QVERIFY(Element::isVisible(f.imgWel));
        QVERIFY(!Element::isVisible(f.TmpFlash));
    }

    void integerValues_data()
    {
        QTest::addColumn<QByteArray>("value");
        QTest::addColumn<int>("left");
        QTest::newRow("hexadecimal") << QByteArray("0x1E") << 30;
        QTest::newRow("dollar") << QByteArray("$1E") << 30;
        QTest::newRow("negative") << QByteArray(" -12") << -12;
        QTest::newRow("not a number") << QByteArray("abc") << 10;
        QTest::newRow("trailing text") << QByteArray("12px") << 10;
    }
    void integerValues()
    {
        QFETCH(QByteArray, value);
        QFETCH(int, left);
        Editor& editor = fixture_->start(Editor::Start::Linked);
        fixture_->folder.write("\\data\\skin.ini", "[Main]\r\nLogoX=" + value + "\r\n");
        SkinFile::read(fixture_->folder.file("\\data\\skin.ini"), editor.Form1, editor.frmSize);
        QCOMPARE(Element::left(editor.Form1.imgLogo), left);
    }

    void colourIdentifiersReadWithoutRegardToCase()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        fixture_->folder.write("\\data\\skin.ini",
                               "[main]\r\ndircolor=clmoneygreen\r\nInfoColor=$00112233\r\nDirFontColor=CLRED\r\n");
        SkinFile::read(fixture_->folder.file("\\data\\skin.ini"), editor.Form1, editor.frmSize);
        QCOMPARE(editor.Form1.lstDir->color(), Colours::MoneyGreen);
        QCOMPARE(editor.Form1.txtInfo->color(), TColor(0x00112233));
        QCOMPARE(editor.Form1.lstDir->fontColor(), TColor(0x000000FF));
        QCOMPARE(editor.frmSize.lblFontColor->color(), TColor(0x000000FF));
    }

    void colourWrittenAsIdentifierOrHex()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        editor.Form1.lstDir->setColor(Colours::MoneyGreen);
        editor.Form1.txtInfo->setColor(Colours::GridDefault);
        editor.frmSize.lblFontColor->setColor(Colours::BtnText);
        const QString path = fixture_->folder.file("\\data\\skin.ini");
        SkinFile::write(path, editor.Form1, editor.frmSize);
        QCOMPARE(IniFile::readString(path, "Main", "DirColor", {}), QStringLiteral("clMoneyGreen"));
        QCOMPARE(IniFile::readString(path, "Main", "InfoColor", {}), QStringLiteral("$00666666"));
        QCOMPARE(IniFile::readString(path, "Main", "DirFontColor", {}), QStringLiteral("clBtnText"));
    }

    void writerKeepsOtherLinesAndLoopMusic()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        editor.frmSize.chkLoop->setState(false);
        fixture_->folder.write(
            "\\data\\skin.ini",
            "; menu skin\r\n[Main]\r\nLoopMusic=1\r\nAuthor=someone\r\nLogoX=99\r\n\r\n[Other]\r\nKey=Value\r\n");
        const QString path = fixture_->folder.file("\\data\\skin.ini");
        SkinFile::write(path, editor.Form1, editor.frmSize);

        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.startsWith("; menu skin\r\n[Main]\r\nLoopMusic=1\r\nAuthor=someone\r\nLogoX=416\r\n"));
        QVERIFY(text.endsWith("\r\n\r\n[Other]\r\nKey=Value\r\n"));
        QCOMPARE(keysOf(path).count("LoopMusic"), 1);
    }

    void writerWritesEveryKeyOnceInItsOrder()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        const QString path = fixture_->folder.file("\\data\\skin.ini");
        SkinFile::write(path, editor.Form1, editor.frmSize);
        const QStringList expected = {
            "ButInfoX",  "ButInfoY", "LogoVisible", "LogoTrans", "LogoStr", "MakeForm", "ButMusic", "DirFontColor",
            "LogoH",     "LogoW",    "LogoX",       "LogoY",     "MinX",    "MinY",     "Flash",    "Music",
            "FlashH",    "FlashW",   "FlashX",      "FlashY",    "TitleX",  "TitleY",   "ListX",    "ListY",
            "InfoX",     "InfoY",    "SetupX",      "SetupY",    "BrowX",   "BrowY",    "ExitX",    "ExitY",
            "RusX",      "RusY",     "PatchY",      "PatchX",    "PicY",    "PicX",     "LstX",     "LstY",
            "LstW",      "LstH",     "InfX",        "InfY",      "InfW",    "InfH",     "DMx",      "DMy",
            "InfoColor", "DirColor"};
        QCOMPARE(keysOf(path), expected);
    }

    void saveAndReadBackRestoresEverything()
    {
        const QString path = fixture_->folder.file("\\data\\saved.ini");
        QList<QRect> placed;
        QList<bool> states;
        {
            Editor& editor = fixture_->start(Editor::Start::Linked);
            TForm1& f = editor.Form1;
            int n = 0;
            for (QWidget* element : f.elements()) {
                if (element == f.imgBckGround || element == f.FlashPlayer)
                    continue;
                ++n;
                Element::setBounds(element, 3 * n, 5 * n + 1, 20 + n, 10 + 2 * n);
                placed.append(bounds(element));
            }
            const QList<TCheckBox*> boxes = {editor.frmSize.chkLogoShow,     editor.frmSize.chkTrans,
                                             editor.frmSize.chkStreight,     editor.frmSize.chkDoForm,
                                             editor.frmSize.chkButtonsMusic, editor.frmSize.chkFlash,
                                             editor.frmSize.chkMusic};
            for (int i = 0; i < boxes.size(); ++i) {
                boxes[i]->setState(i % 2 == 0);
                states.append(boxes[i]->isChecked());
            }
            f.lstDir->setColor(0x00010203);
            f.txtInfo->setColor(Colours::WindowText);
            editor.frmSize.lblFontColor->setColor(0x00ABCDEF);
            SkinFile::write(path, f, editor.frmSize);
        }

        Editor& editor = fixture_->start(Editor::Start::Linked);
        TForm1& f = editor.Form1;
        const QList<TCheckBox*> boxes = {editor.frmSize.chkLogoShow,     editor.frmSize.chkTrans,
                                         editor.frmSize.chkStreight,     editor.frmSize.chkDoForm,
                                         editor.frmSize.chkButtonsMusic, editor.frmSize.chkFlash,
                                         editor.frmSize.chkMusic};
        for (int i = 0; i < boxes.size(); ++i)
            boxes[i]->setState(i % 2 != 0);
        SkinFile::read(path, f, editor.frmSize);

        // The skin keeps the size of the four windowed elements only.
        const QList<QWidget*> sized = {f.imgLogo, f.TmpFlash, f.lstDir, f.txtInfo};
        int n = 0;
        for (QWidget* element : f.elements()) {
            if (element == f.imgBckGround || element == f.FlashPlayer)
                continue;
            const QRect expected = placed[n++];
            if (sized.contains(element))
                QCOMPARE(bounds(element), expected);
            else
                QCOMPARE(element->pos(), expected.topLeft());
        }
        for (int i = 0; i < boxes.size(); ++i)
            QCOMPARE(boxes[i]->isChecked(), states[i]);
        QCOMPARE(f.lstDir->color(), TColor(0x00010203));
        QCOMPARE(f.txtInfo->color(), Colours::WindowText);
        QCOMPARE(f.lstDir->fontColor(), TColor(0x00ABCDEF));
        QCOMPARE(editor.frmSize.lblFontColor->color(), TColor(0x00ABCDEF));
    }

    // Notepad's "Unicode": read as the menu reads it, saved back the same way.
    void utf16SkinFileIsReadAndSavedInUtf16()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        const QString before =
            "[Main]\r\nLogoX=30\r\nSetupX=75\r\nSetupY=306\r\nDirColor=clMoneyGreen\r\nLoopMusic=1\r\n";
        QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
        fixture_->folder.write("\\data\\skin.ini", utf16.encode(before));
        const QString path = fixture_->folder.file("\\data\\skin.ini");
        SkinFile::read(path, editor.Form1, editor.frmSize);
        QCOMPARE(Element::left(editor.Form1.imgLogo), 30);
        QCOMPARE(editor.Form1.imgSetup->pos(), QPoint(75, 306));
        QCOMPARE(editor.Form1.lstDir->color(), Colours::MoneyGreen);
        QVERIFY(editor.frmSize.chkLoop->isChecked());

        SkinFile::write(path, editor.Form1, editor.frmSize);
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.startsWith("\xFF\xFE"));
        QStringDecoder decoder(QStringDecoder::Utf16LE);
        const QString after = decoder.decode(bytes.sliced(2));
        QVERIFY(!decoder.hasError());
        QVERIFY(after.startsWith(before + "ButInfoX="));
        QVERIFY(after.endsWith("\r\nInfoColor=clCream\r\n"));
        QCOMPARE(after.count("="), 51);
    }

    // Places are measured from the background, where the menu draws it: a
    // skin read at start and saved over itself comes back byte for byte,
    // also with elements past the background's left or top edge, shown or
    // hidden, which the canvas shows by shifting the whole layout.
    void savingTheSkinOverItselfChangesNoByte_data()
    {
        QTest::addColumn<QByteArrayList>("keys");
        QTest::addColumn<QPoint>("background");
        QTest::newRow("as shipped") << QByteArrayList{} << QPoint(0, 0);
        QTest::newRow("a button past the left edge") << QByteArrayList{"SetupX=-60"} << QPoint(60, 0);
        QTest::newRow("the hidden Flash area past the corner")
            << QByteArrayList{"FlashX=-20", "FlashY=-15", "TitleX=-30"} << QPoint(30, 0);
        QTest::newRow("the Flash area shown past the corner")
            << QByteArrayList{"Flash=1", "FlashX=-20", "FlashY=-15", "TitleX=-30"} << QPoint(20, 15);
    }
    void savingTheSkinOverItselfChangesNoByte()
    {
        QFETCH(QByteArrayList, keys);
        QFETCH(QPoint, background);
        QFile::remove(fixture_->folder.file("\\data\\BackGround.bmp"));
        fixture_->folder.copySampleSkin();
        const QString path = fixture_->folder.file("\\data\\skin.ini");
        QByteArray skin = fixture_->folder.read("\\data\\skin.ini");
        for (const QByteArray& key : keys) {
            const QByteArray name = key.left(key.indexOf('=') + 1);
            const qsizetype at = skin.indexOf("\n" + name) + 1;
            QVERIFY(at > 0);
            skin.replace(at, skin.indexOf('\n', at) - at, key);
        }
        fixture_->folder.write("\\data\\skin.ini", skin);

        Editor& editor = fixture_->show();
        QVERIFY2(fixture_->dialogs.errors.isEmpty(), qPrintable(fixture_->dialogs.errors.join('\n')));
        QCOMPARE(editor.Form1.imgBckGround->pos(), background);
        SkinFile::write(path, editor.Form1, editor.frmSize);
        QCOMPARE(fixture_->folder.read("\\data\\skin.ini"), skin);
    }

    // Absurd numbers in the file: no overflow, no canvas of gigabytes.
    void hugeNumbersAreBroughtWithinTheLimits()
    {
        fixture_->folder.writeAllPictures();
        const QString path = fixture_->folder.file("\\data\\skin.ini");
        fixture_->folder.write("\\data\\skin.ini",
                               "[Main]\r\nTitleX=-2147483648\r\nTitleY=-2147483648\r\nLstX=2147483647\r\n"
                               "LstY=0x7FFFFFFF\r\nLstW=30000\r\nLstH=30000\r\nInfW=-30000\r\n"
                               "LogoX=99999999999\r\n");
        Editor& editor = fixture_->show();
        TForm1& f = editor.Form1;
        QCOMPARE(f.imgBckGround->pos(), QPoint(4096, 4096));
        QCOMPARE(f.imgWel->pos(), QPoint(0, 0));
        QCOMPARE(bounds(f.lstDir), QRect(8192, 8192, 4096, 4096));
        QCOMPARE(f.size(), QSize(8192, 8192));
        SkinFile::write(path, f, editor.frmSize);
        const auto saved = [&](const char* key) { return IniFile::readString(path, "Main", key, {}); };
        QCOMPARE(saved("TitleX"), QStringLiteral("-4096"));
        QCOMPARE(saved("LstY"), QStringLiteral("4096"));
        QCOMPARE(saved("LstW"), QStringLiteral("4096"));
        QCOMPARE(saved("InfW"), QStringLiteral("0"));
        QCOMPARE(saved("LogoX"), QStringLiteral("10")); // not a 32-bit number: the default
    }

    void writerStopsAtAKeyItCannotWrite()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        // A folder where the file should be: nothing can be written there.
        fixture_->folder.write("\\data\\blocked\\inner.txt", "");
        const QString path = fixture_->folder.file("\\data\\blocked");
        try {
            SkinFile::write(path, editor.Form1, editor.frmSize);
            QFAIL("the writer reported success");
        } catch (const EditorError& error) {
            QCOMPARE(error.text(), QStringLiteral("Unable to write to %1").arg(path));
        }
    }

    void invalidColourStopsTheReaderAndTheStart()
    {
        Editor& editor = fixture_->start(Editor::Start::Linked);
        TForm1& f = editor.Form1;
        f.lstDir->setColor(Colours::MoneyGreen);
        fixture_->folder.write("\\data\\skin.ini",
                               "[Main]\r\nLogoX=30\r\nFlash=1\r\nLstW=77\r\nDirFontColor=clRed\r\n"
                               "DirColor=notacolour\r\nInfoColor=clBlack\r\n");
        f.show();
        QTRY_VERIFY(f.isVisible());

        QCOMPARE(fixture_->dialogs.errors, QStringList{"'notacolour' is not a valid integer value."});
        QVERIFY(!editor.frmSize.isVisible());
        // Read before the error.
        QCOMPARE(Element::width(f.lstDir), 77);
        QVERIFY(editor.frmSize.chkFlash->isChecked());
        QVERIFY(Element::isVisible(f.TmpFlash));
        QVERIFY(!Element::isVisible(f.imgWel));
        QCOMPARE(f.lstDir->fontColor(), TColor(0x000000FF));
        // Not read.
        QCOMPARE(f.lstDir->color(), Colours::MoneyGreen);
        QCOMPARE(f.txtInfo->color(), Colours::Cream);
    }

private:
    std::unique_ptr<EditorFixture> fixture_;
};

QTEST_MAIN(SkinFileTest)
#include "tst_skinfile.moc"
