// Creating the canvas window: which pictures load, what a bad or missing
// picture does, and the size the window takes.
#include "app/Application.h"
#include "canvas/TForm1.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TSpeedButton.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QTest>

class TestCanvasStartup : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<ScriptedDialogs> dialogs;

    std::unique_ptr<TForm1> createCanvas()
    {
        auto form = std::make_unique<TForm1>();
        Application::runBehaviour([&] { form->FormCreate(); });
        return form;
    }

private slots:
    void init()
    {
        folder = std::make_unique<TempProgramFolder>();
        dialogs = std::make_unique<ScriptedDialogs>();
        Application::setDialogs(dialogs.get());
    }
    void cleanup()
    {
        Application::setDialogs(nullptr);
        dialogs.reset();
        folder.reset();
    }

    void layoutBeforeAnythingLoads()
    {
        TForm1 form;
        QCOMPARE(form.pos(), QPoint(0, 0));
        QCOMPARE(form.size(), QSize(500, 400));
        QVERIFY(form.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(form.elements().size(), 18);
        QCOMPARE(form.imgWel->geometry(), QRect(120, 8, 266, 65));
        QCOMPARE(form.lstDir->geometry(), QRect(16, 112, 217, 265));
        QCOMPARE(form.lstDir->color(), 0x00C0DCC0u);
        QCOMPARE(form.txtInfo->color(), 0x00F0FBFFu);
        QCOMPARE(form.TmpFlash->color(), 0x00008080u);
        QVERIFY(form.TmpFlash->isHidden());
        QVERIFY(form.FlashPlayer->isHidden());
        QVERIFY(form.txtInfo->isReadOnly());
        QVERIFY(!form.imgLogo->isReadOnly());
        QCOMPARE(form.lstDir->topLevelItemCount(), 1);
        QCOMPARE(form.lstDir->topLevelItem(0)->text(0), QStringLiteral("Item"));
        QCOMPARE(form.lstDir->topLevelItem(0)->child(0)->text(0), QStringLiteral("SubItem"));
        // Windowed elements lie above every picture element and flat button.
        const QObjectList stack = form.children();
        QVERIFY(stack.indexOf(form.txtInfo) > stack.indexOf(form.btnInfo));
        QVERIFY(stack.indexOf(form.btnInfo) > stack.indexOf(form.imgPic));
    }

    void withoutADataFolderTheFirstButtonFailsAndTheCanvasKeepsItsLayout()
    {
        auto form = createCanvas();
        QCOMPARE(dialogs->errors, QStringList{"Cannot open file " + folder->file("\\data\\ButtonUp.jpg") + "."});
        QCOMPARE(form->pos(), QPoint(0, 0));
        QCOMPARE(form->size(), QSize(500, 400));
        for (TImage* picture : {form->imgWel, form->imgExit, form->imgBckGround})
            QVERIFY(!picture->hasPicture());
        // Elements without pictures keep their layout size until first moved.
        QCOMPARE(form->imgBckGround->size(), QSize(500, 400));
        QCOMPARE(form->Label1->geometry(), QRect(16, 0, 23, 22));
        QVERIFY(!form->Label1->isHidden() && !form->txtInfo->isHidden() && !form->lstDir->isHidden());
    }

    void theWindowTakesTheBackgroundsSize()
    {
        folder->writeAllPictures(640, 480);
        auto form = createCanvas();
        QVERIFY2(dialogs->errors.isEmpty(), qPrintable(dialogs->errors.join('\n')));
        QCOMPARE(form->imgBckGround->size(), QSize(640, 480));
        QCOMPARE(form->size(), QSize(640, 480));
        QCOMPARE(form->pos(), QPoint(0, 0));
    }

    void optionalBitmapsMayBeMissing()
    {
        folder->writeAllPictures();
        QFile::remove(folder->file("\\data\\welcome.bmp"));
        QFile::remove(folder->file("\\data\\info.bmp"));
        auto form = createCanvas();
        QVERIFY(dialogs->errors.isEmpty());
        QVERIFY(!form->imgWel->hasPicture());
        QCOMPARE(form->imgWel->size(), QSize(266, 65));
        QVERIFY(form->imgList->hasPicture());
        QVERIFY(form->imgBckGround->hasPicture());
    }

    void aTitleBitmapHoldingAJpegStopsTheLoading()
    {
        folder->writeAllPictures();
        folder->writePicture("\\data\\welcome.bmp", 266, 65, Qt::yellow, "JPG");
        auto form = createCanvas();
        QCOMPARE(dialogs->errors, QStringList{"Bitmap image is not valid."});
        for (TImage* picture :
             {form->imgWel, form->imgList, form->imgInfo, form->imgExit, form->imgPic, form->imgBckGround})
            QVERIFY(!picture->hasPicture());
    }

    void upperCaseJpgIsDecodedAsJpeg()
    {
        folder->writeAllPictures();
        auto form = createCanvas();
        QVERIFY(dialogs->errors.isEmpty());
        QVERIFY(form->imgPatch->hasPicture());
        QCOMPARE(form->imgPatch->size(), QSize(66, 31));
        QCOMPARE(QColor(form->imgPatch->picture().pixel(10, 10)).red() > 200, true);
    }

    void aDamagedPictureStopsTheLoadingAtThatFile()
    {
        folder->writeAllPictures();
        folder->write("\\data\\Brow.jpg", QByteArray("\xFF\xD8\xFF\xE0", 4) + " this is not really a JPEG");
        auto form = createCanvas();
        QCOMPARE(dialogs->errors.size(), 1);
        QVERIFY2(dialogs->errors.first().startsWith("JPEG error #"), qPrintable(dialogs->errors.first()));
        QVERIFY(form->imgExit->hasPicture());
        QVERIFY(form->imgSetup->hasPicture());
        QVERIFY(!form->imgBrow->hasPicture());
        QVERIFY(!form->imgBckGround->hasPicture());
        QCOMPARE(form->size(), QSize(500, 400));
    }

    void anAbsurdBackgroundHeaderIsRefusedNotAllocated()
    {
        folder->writeAllPictures();
        QByteArray header("BM");
        header += QByteArray(12, '\0');
        // BITMAPINFOHEADER claiming 100000 x 100000 pixels at 24 bits.
        const auto le32 = [](quint32 v) {
            const char bytes[] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
            return QByteArray(bytes, 4);
        };
        header += le32(40) + le32(100000) + le32(100000) + QByteArray("\x01\x00\x18\x00", 4) + QByteArray(24, '\0');
        folder->write("\\data\\BackGround.bmp", header);
        auto form = createCanvas();
        QCOMPARE(dialogs->errors, QStringList{"Bitmap image is not valid."});
        QCOMPARE(form->size(), QSize(500, 400));
    }
};

QTEST_MAIN(TestCanvasStartup)
#include "tst_tform1.moc"
