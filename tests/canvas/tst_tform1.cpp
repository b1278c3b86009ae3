// The canvas window: its layout, which pictures its creation loads, what a
// bad or missing picture does, and how the window follows its visible
// elements (growing past the right and bottom edges, shifting the layout
// past the left and top edges, ignoring hidden elements).
#include "base/Application.h"
#include "canvas/ElementGeometry.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TSpeedButton.h"
#include "tests/support/EditorFixture.h"

#include <QFile>
#include <QTest>
#include <climits>

class TestTForm1 : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> fixture;
    TForm1* form = nullptr;

    // The canvas alone, after its creation step.
    std::unique_ptr<TForm1> createCanvas()
    {
        auto canvas = std::make_unique<TForm1>();
        Application::runBehaviour([&] { canvas->FormCreate(); });
        return canvas;
    }
    // Both windows as at start-up, the canvas shown.
    void showCanvas()
    {
        form = &fixture->show().Form1;
        QVERIFY(fixture->dialogs.errors.isEmpty());
    }

private slots:
    void init() { fixture = std::make_unique<EditorFixture>(); }
    void cleanup() { fixture.reset(); }

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
        QCOMPARE(fixture->dialogs.errors,
                 QStringList{"Cannot open file " + fixture->folder.file("\\data\\ButtonUp.jpg") + "."});
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
        fixture->folder.writeAllPictures(640, 480);
        auto form = createCanvas();
        QVERIFY2(fixture->dialogs.errors.isEmpty(), qPrintable(fixture->dialogs.errors.join('\n')));
        QCOMPARE(form->imgBckGround->size(), QSize(640, 480));
        QCOMPARE(form->size(), QSize(640, 480));
        QCOMPARE(form->pos(), QPoint(0, 0));
    }

    void optionalBitmapsMayBeMissing()
    {
        fixture->folder.writeAllPictures();
        QFile::remove(fixture->folder.file("\\data\\welcome.bmp"));
        QFile::remove(fixture->folder.file("\\data\\info.bmp"));
        auto form = createCanvas();
        QVERIFY(fixture->dialogs.errors.isEmpty());
        QVERIFY(!form->imgWel->hasPicture());
        QCOMPARE(form->imgWel->size(), QSize(266, 65));
        QVERIFY(form->imgList->hasPicture());
        QVERIFY(form->imgBckGround->hasPicture());
    }

    void aTitleBitmapHoldingAJpegStopsTheLoading()
    {
        fixture->folder.writeAllPictures();
        fixture->folder.writePicture("\\data\\welcome.bmp", 266, 65, Qt::yellow, "JPG");
        auto form = createCanvas();
        QCOMPARE(fixture->dialogs.errors, QStringList{"Bitmap image is not valid."});
        for (TImage* picture :
             {form->imgWel, form->imgList, form->imgInfo, form->imgExit, form->imgPic, form->imgBckGround})
            QVERIFY(!picture->hasPicture());
    }

    // A skin made on Windows names its files in any letter case; Windows
    // finds them, and so does the editor. The skin file too.
    void picturesAndTheSkinFileInAnotherLetterCase()
    {
        fixture->folder.writeAllPictures();
        const QString data = fixture->folder.file("\\data\\");
        for (const auto& [made, asWindowsMadeIt] :
             {std::pair("PatchUp.JPG", "patchup.jpg"), std::pair("BackGround.bmp", "BACKGROUND.BMP"),
              std::pair("welcome.bmp", "Welcome.Bmp")})
            QVERIFY(QFile::rename(data + made, data + asWindowsMadeIt));
        fixture->folder.write("\\data\\Skin.INI", "[Main]\r\nPatchX=7\r\n");
        showCanvas();
        for (TImage* picture : {form->imgPatch, form->imgBckGround, form->imgWel})
            QVERIFY(picture->hasPicture());
        QCOMPARE(form->imgPatch->x(), 7);
    }

    void upperCaseJpgIsDecodedAsJpeg()
    {
        fixture->folder.writeAllPictures();
        auto form = createCanvas();
        QVERIFY(fixture->dialogs.errors.isEmpty());
        QVERIFY(form->imgPatch->hasPicture());
        QCOMPARE(form->imgPatch->size(), QSize(66, 31));
        QCOMPARE(QColor(form->imgPatch->picture().pixel(10, 10)).red() > 200, true);
    }

    void aDamagedPictureStopsTheLoadingAtThatFile()
    {
        fixture->folder.writeAllPictures();
        fixture->folder.write("\\data\\Brow.jpg", QByteArray("\xFF\xD8\xFF\xE0", 4) + " this is not really a JPEG");
        auto form = createCanvas();
        QCOMPARE(fixture->dialogs.errors.size(), 1);
        QVERIFY2(fixture->dialogs.errors.first().startsWith("JPEG error #"),
                 qPrintable(fixture->dialogs.errors.first()));
        QVERIFY(form->imgExit->hasPicture());
        QVERIFY(form->imgSetup->hasPicture());
        QVERIFY(!form->imgBrow->hasPicture());
        QVERIFY(!form->imgBckGround->hasPicture());
        QCOMPARE(form->size(), QSize(500, 400));
    }

    void anAbsurdBackgroundHeaderIsRefusedNotAllocated()
    {
        fixture->folder.writeAllPictures();
        QByteArray header("BM");
        header += QByteArray(12, '\0');
        // BITMAPINFOHEADER claiming 100000 x 100000 pixels at 24 bits.
        const auto le32 = [](quint32 v) {
            const char bytes[] = {char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
            return QByteArray(bytes, 4);
        };
        header += le32(40) + le32(100000) + le32(100000) + QByteArray("\x01\x00\x18\x00", 4) + QByteArray(24, '\0');
        fixture->folder.write("\\data\\BackGround.bmp", header);
        auto form = createCanvas();
        QCOMPARE(fixture->dialogs.errors, QStringList{"Bitmap image is not valid."});
        QCOMPARE(form->size(), QSize(500, 400));
    }

    // The window follows its visible elements.
    void pastTheRightAndBottomEdgesTheWindowGrows()
    {
        fixture->folder.writeAllPictures();
        showCanvas();
        Element::setLeft(form->imgExit, 470);
        QCOMPARE(form->size(), QSize(545, 400));
        Element::setTop(form->lstDir, 200);
        QCOMPARE(form->size(), QSize(545, 465));
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 0));
    }

    void pastTheLeftEdgeTheWholeLayoutShifts()
    {
        fixture->folder.writeAllPictures();
        showCanvas();
        const QPoint listBefore = form->imgList->pos();
        Element::setLeft(form->imgExit, -30);
        QCOMPARE(form->imgExit->x(), 0);
        QCOMPARE(form->imgBckGround->pos(), QPoint(30, 0));
        QCOMPARE(form->imgList->pos(), listBefore + QPoint(30, 0));
        QCOMPARE(form->size(), QSize(530, 400));
        QCOMPARE(form->pos(), QPoint(0, 0)); // the window itself stays put
    }

    void pastTheTopEdgeTheWholeLayoutShiftsDown()
    {
        fixture->folder.writeAllPictures();
        showCanvas();
        Element::setTop(form->Label1, -12);
        QCOMPARE(form->Label1->y(), 0);
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 12));
        QCOMPARE(form->size(), QSize(500, 412));
    }

    void hiddenElementsDoNotCount()
    {
        fixture->folder.writeAllPictures();
        showCanvas();
        QVERIFY(form->TmpFlash->isHidden());
        Element::setLeft(form->TmpFlash, -100);
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 0));
        QCOMPARE(form->size(), QSize(500, 400));
        // Showing it brings it into the box at once.
        Element::setVisible(form->TmpFlash, true);
        QCOMPARE(form->TmpFlash->x(), 0);
        QCOMPARE(form->imgBckGround->pos(), QPoint(100, 0));
        QCOMPARE(form->size(), QSize(600, 400));
    }

    // The title picture and the Flash area stand together, one of them
    // hidden; a shift of the layout takes the hidden one (and the player)
    // along, so each keeps its place against the background.
    void aShiftMovesHiddenElementsToo()
    {
        fixture->folder.writeAllPictures();
        showCanvas();
        Element::setBounds(form->TmpFlash, 120, 8, 266, 65);
        Element::setBounds(form->FlashPlayer, 120, 8, 266, 65);
        QVERIFY(form->TmpFlash->isHidden() && form->FlashPlayer->isHidden());
        Element::setLeft(form->imgSetup, -45);
        Element::setTop(form->imgSetup, -5);
        QCOMPARE(form->imgBckGround->pos(), QPoint(45, 5));
        QCOMPARE(form->imgWel->pos(), QPoint(165, 13));
        QCOMPARE(form->TmpFlash->geometry(), QRect(165, 13, 266, 65));
        QCOMPARE(form->FlashPlayer->pos(), QPoint(165, 13));
        // Back inside: everything returns, the hidden ones with the rest.
        Element::setBounds(form->imgSetup, 100, 100, 0, 0);
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 0));
        QCOMPARE(form->TmpFlash->pos(), QPoint(120, 8));
        Element::setVisible(form->TmpFlash, true);
        QCOMPARE(form->TmpFlash->pos(), form->imgWel->pos());
    }

    // Places are kept within 4096 pixels of the background each way, sizes
    // within 4096, the window's place within 16-bit screen coordinates and
    // its client area within 8192 x 8192, however a change asks for more.
    void placesAndSizesStayWithinTheirLimits()
    {
        fixture->folder.writeAllPictures();
        showCanvas();
        Element::setBounds(form->lstDir, INT_MAX, INT_MIN, INT_MAX, INT_MAX);
        QCOMPARE(form->lstDir->geometry(), QRect(4096, 0, 4096, 4096));
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 4096));
        Element::setBounds(form->txtInfo, INT_MIN, INT_MAX, -5, INT_MIN);
        QCOMPARE(form->imgBckGround->pos(), QPoint(4096, 4096));
        QCOMPARE(form->txtInfo->geometry(), QRect(0, 8192, 0, 0));
        QCOMPARE(form->lstDir->pos(), QPoint(8192, 0));
        // The layout spans 12288 x 8192: the window shows its first 8192 x 8192.
        QCOMPARE(form->size(), QSize(8192, 8192));

        form->setLeft(INT_MAX);
        form->setTop(INT_MIN);
        QCOMPARE(form->pos(), QPoint(32767, -32768));
        form->setClientWidth(INT_MAX);
        QCOMPARE(form->size(), QSize(8192, 8192));
    }

    void aPictureElementWithoutAPictureBecomesEmptyAtTheFirstChange()
    {
        fixture->folder.writeAllPictures();
        showCanvas();
        TImage withoutPicture;
        QVERIFY(!withoutPicture.hasPicture());
        const QSize before = form->imgWel->size();
        QCOMPARE(before, QSize(266, 65));
        Element::setLeft(form->imgWel, 130); // has its picture: keeps its size
        QCOMPARE(form->imgWel->size(), QSize(266, 65));

        QFile::remove(fixture->folder.file("\\data\\welcome.bmp"));
        showCanvas();
        QCOMPARE(form->imgWel->size(), QSize(266, 65));
        Element::setTop(form->imgWel, 20);
        QCOMPARE(form->imgWel->size(), QSize(0, 0));
        QCOMPARE(form->imgWel->pos(), QPoint(120, 20));
    }

    void movingTheWindowSetsEveryElementAgain()
    {
        fixture->folder.writeAllPictures();
        showCanvas();
        QFile::remove(fixture->folder.file("\\data\\list.bmp"));
        showCanvas();
        QCOMPARE(form->imgList->size(), QSize(168, 25));
        form->setLeft(40);
        QCOMPARE(form->pos().x(), 40);
        QCOMPARE(form->imgList->size(), QSize(0, 0));
        QCOMPARE(form->size(), QSize(500, 400));
    }
};

QTEST_MAIN(TestTForm1)
#include "tst_tform1.moc"
