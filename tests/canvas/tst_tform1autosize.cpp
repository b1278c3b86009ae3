// The canvas window follows its visible elements: it grows past the right and
// bottom edges, shifts the whole layout past the left and top edges, and
// ignores hidden elements.
#include "app/Application.h"
#include "canvas/ElementGeometry.h"
#include "canvas/TForm1.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "options/TfrmSize.h"
#include "platform/TSpeedButton.h"
#include "tests/support/EditorWindows.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempProgramFolder.h"

#include <QTest>

class TestCanvasAutoSize : public QObject {
    Q_OBJECT

    std::unique_ptr<TempProgramFolder> folder;
    std::unique_ptr<ScriptedDialogs> dialogs;
    std::unique_ptr<EditorWindows> editor;
    TForm1* form = nullptr;

    void showCanvas()
    {
        editor.reset();
        editor = std::make_unique<EditorWindows>();
        form = &editor->form1;
        editor->show();
    }

private slots:
    void init()
    {
        folder = std::make_unique<TempProgramFolder>();
        dialogs = std::make_unique<ScriptedDialogs>();
        Application::setDialogs(dialogs.get());
        folder->writeAllPictures();
        showCanvas();
        QVERIFY(dialogs->errors.isEmpty());
        QCOMPARE(form->size(), QSize(500, 400));
    }
    void cleanup()
    {
        editor.reset();
        Application::setDialogs(nullptr);
        dialogs.reset();
        folder.reset();
    }

    void pastTheRightAndBottomEdgesTheWindowGrows()
    {
        Element::setLeft(form->imgExit, 470);
        QCOMPARE(form->size(), QSize(545, 400));
        Element::setTop(form->lstDir, 200);
        QCOMPARE(form->size(), QSize(545, 465));
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 0));
    }

    void pastTheLeftEdgeTheWholeLayoutShifts()
    {
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
        Element::setTop(form->Label1, -12);
        QCOMPARE(form->Label1->y(), 0);
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 12));
        QCOMPARE(form->size(), QSize(500, 412));
    }

    void hiddenElementsDoNotCount()
    {
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

    void aPictureElementWithoutAPictureBecomesEmptyAtTheFirstChange()
    {
        TImage withoutPicture;
        QVERIFY(!withoutPicture.hasPicture());
        const QSize before = form->imgWel->size();
        QCOMPARE(before, QSize(266, 65));
        Element::setLeft(form->imgWel, 130); // has its picture: keeps its size
        QCOMPARE(form->imgWel->size(), QSize(266, 65));

        QFile::remove(folder->file("\\data\\welcome.bmp"));
        showCanvas();
        QCOMPARE(form->imgWel->size(), QSize(266, 65));
        Element::setTop(form->imgWel, 20);
        QCOMPARE(form->imgWel->size(), QSize(0, 0));
        QCOMPARE(form->imgWel->pos(), QPoint(120, 20));
    }

    void movingTheWindowSetsEveryElementAgain()
    {
        QFile::remove(folder->file("\\data\\list.bmp"));
        showCanvas();
        QCOMPARE(form->imgList->size(), QSize(168, 25));
        form->setLeft(40);
        QCOMPARE(form->pos().x(), 40);
        QCOMPARE(form->imgList->size(), QSize(0, 0));
        QCOMPARE(form->size(), QSize(500, 400));
    }
};

QTEST_MAIN(TestCanvasAutoSize)
#include "tst_tform1autosize.moc"
