// Dragging on the canvas, driven by real mouse events through the window:
// elements follow the pointer pixel for pixel, the background drags the
// window, and the windowed elements move and resize interactively.
#define QTEST_QPA_MOUSE_HANDLING // events go through the window, with pointer grabs
#include "canvas/ElementGeometry.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TSpeedButton.h"
#include "tests/support/EditorFixture.h"

#include <QTest>

class TestDragging : public QObject {
    Q_OBJECT

    std::unique_ptr<EditorFixture> fixture;
    TForm1* form = nullptr;

    void showCanvas() { form = &fixture->show().Form1; }

    // The pointer is given in screen coordinates, as a user moves it; the
    // window may have moved in between.
    QPoint local(QPoint screen) const { return screen - form->pos(); }
    void press(QPoint screen, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(form->windowHandle(), button, {}, local(screen));
    }
    void moveTo(QPoint screen) { QTest::mouseMove(form->windowHandle(), local(screen)); }
    void release(QPoint screen, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mouseRelease(form->windowHandle(), button, {}, local(screen));
    }
    void drag(QPoint from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        press(from, button);
        moveTo(from + (to - from) / 2);
        moveTo(to);
        release(to, button);
    }

private slots:
    void init()
    {
        fixture = std::make_unique<EditorFixture>();
        fixture->folder.writeAllPictures();
        showCanvas();
        QVERIFY(fixture->dialogs.errors.isEmpty());
    }
    void cleanup() { fixture.reset(); }

    void pictureElementFollowsThePointerExactly()
    {
        QCOMPARE(form->imgExit->pos(), QPoint(416, 312));
        // Grabbed away from its corner: that point stays under the pointer.
        const QPoint grab(416 + 20, 312 + 9);
        press(grab);
        QVERIFY(form->Dragging);
        QCOMPARE(form->GrabX, 20);
        QCOMPARE(form->GrabY, 9);
        for (int step = 1; step <= 5; ++step) {
            moveTo(grab + QPoint(-step, 2 * step));
            QCOMPARE(form->imgExit->pos(), QPoint(416 - step, 312 + 2 * step));
        }
        release(grab + QPoint(-5, 10));
        QVERIFY(!form->Dragging);
        QCOMPARE(form->imgExit->pos(), QPoint(411, 322));
        QCOMPARE(form->imgExit->size(), QSize(75, 31));
        moveTo(grab + QPoint(40, 40)); // after the release nothing follows
        QCOMPARE(form->imgExit->pos(), QPoint(411, 322));
    }

    void flatButtonIsDraggedAndDoesNothingElse()
    {
        int clicks = 0;
        connect(form->btnInfo, &QAbstractButton::clicked, this, [&] { ++clicks; });
        drag(QPoint(16 + 3, 24 + 4), QPoint(16 + 3 + 50, 24 + 4 + 7));
        QCOMPARE(form->btnInfo->pos(), QPoint(66, 31));
        QCOMPARE(form->btnInfo->size(), QSize(23, 22));
        QCOMPARE(clicks, 0);
    }

    void rightAndMiddlePressesStartNothing()
    {
        for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
            drag(QPoint(420, 316), QPoint(450, 340), button);
            QCOMPARE(form->imgExit->pos(), QPoint(416, 312));
            QVERIFY(!form->Dragging);
        }
    }

    void aRightClickDuringALeftDragEndsIt()
    {
        press(QPoint(420, 316));
        moveTo(QPoint(425, 316));
        QCOMPARE(form->imgExit->pos(), QPoint(421, 312));
        press(QPoint(425, 316), Qt::RightButton);
        release(QPoint(425, 316), Qt::RightButton);
        QVERIFY(!form->Dragging);
        moveTo(QPoint(445, 336)); // the left button is still down
        QCOMPARE(form->imgExit->pos(), QPoint(421, 312));
        release(QPoint(445, 336));
    }

    void movesKeepComingOutsideTheElementAndTheWindow()
    {
        press(QPoint(420, 316));
        moveTo(QPoint(600, 330)); // far right of the 500-pixel window
        QCOMPARE(form->imgExit->pos(), QPoint(596, 326));
        release(QPoint(600, 330));
        QCOMPARE(form->size(), QSize(596 + 75, 400));
    }

    void pastTheLeftAndTopEdgesTheLayoutShiftsAndTheWindowGrows()
    {
        const QPoint listBefore = form->imgList->pos();
        press(QPoint(16 + 5, 0 + 5));
        moveTo(QPoint(16 + 5 - 40, 0 + 5 - 10)); // Label1 to (-24, -10)
        QCOMPARE(form->Label1->pos(), QPoint(0, 0));
        QCOMPARE(form->imgBckGround->pos(), QPoint(24, 10));
        QCOMPARE(form->imgList->pos(), listBefore + QPoint(24, 10));
        QCOMPARE(form->size(), QSize(524, 410));
        QCOMPARE(form->pos(), QPoint(0, 0));
        // The layout moved under a pointer that stayed: the next move is
        // measured from the shifted element, as on every move.
        moveTo(QPoint(16 + 5 - 41, 0 + 5 - 10));
        QCOMPARE(form->imgBckGround->pos(), QPoint(24 + 25, 10 + 10));
        release(QPoint(16 + 5 - 41, 0 + 5 - 10));
    }

    void pastTheRightAndBottomEdgesTheWindowGrows()
    {
        drag(QPoint(420, 316), QPoint(520, 400));
        QCOMPARE(form->imgExit->pos(), QPoint(516, 396));
        QCOMPARE(form->size(), QSize(516 + 75, 396 + 31));
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 0));
    }

    void draggingTheBackgroundMovesTheWindow()
    {
        // A spot of the background not covered by any element.
        const QPoint spot(240, 390);
        QCOMPARE(form->childAt(spot), form->imgBckGround);
        drag(spot, spot + QPoint(30, 20));
        QCOMPARE(form->pos(), QPoint(30, 20));
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 0));
        QCOMPARE(form->size(), QSize(500, 400));
    }

    void treeAndInfoBoxMoveWithTheLeftButtonAndResizeWithTheOthers()
    {
        for (QWidget* element : {static_cast<QWidget*>(form->lstDir), static_cast<QWidget*>(form->txtInfo)}) {
            const QRect start = element->geometry();
            const QPoint inside = start.topLeft() + QPoint(30, 40);
            drag(inside, inside + QPoint(5, 6));
            QCOMPARE(element->geometry(), start.translated(5, 6));
            for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
                const QRect before = element->geometry();
                const QPoint at = before.topLeft() + QPoint(30, 40);
                drag(at, at + QPoint(-10, 12), button);
                QCOMPARE(element->geometry(), QRect(before.topLeft(), before.size() + QSize(-10, 12)));
            }
        }
    }

    void otherButtonsLeaveTheTreeAndTheInfoBoxAlone()
    {
        for (QWidget* element : {static_cast<QWidget*>(form->lstDir), static_cast<QWidget*>(form->txtInfo)}) {
            const QRect start = element->geometry();
            const QPoint inside = start.topLeft() + QPoint(30, 40);
            for (Qt::MouseButton button : {Qt::BackButton, Qt::ForwardButton}) {
                drag(inside, inside + QPoint(-10, 12), button);
                QCOMPARE(element->geometry(), start);
            }
        }
    }

    // Dragged far past the canvas's top-left corner, a resize stops at 8 x 8,
    // and the element can be grabbed and resized again from there.
    void aResizeKeepsTheElementLargeEnoughToGrabAgain()
    {
        Element::setVisible(form->TmpFlash, true);
        form->TmpFlash->raise();
        for (QWidget* element : {static_cast<QWidget*>(form->lstDir), static_cast<QWidget*>(form->txtInfo),
                                 static_cast<QWidget*>(form->imgLogo), static_cast<QWidget*>(form->TmpFlash)}) {
            const QPoint at = element->pos() + QPoint(5, 5);
            drag(at, QPoint(-300, -200), Qt::RightButton);
            QCOMPARE(element->size(), QSize(8, 8));
            const QPoint corner = element->pos() + QPoint(4, 4);
            const QWidget* hit = form->childAt(corner);
            QVERIFY(hit == element || element->isAncestorOf(hit));
            drag(corner, corner + QPoint(30, 20), Qt::RightButton);
            QCOMPARE(element->size(), QSize(38, 28));
        }
    }

    // A size the skin file set stays as it is; a resize only never shrinks
    // an element below the smaller of that size and 8 x 8.
    void aResizeLeavesASmallerSkinSizeAsItIs()
    {
        Element::setBounds(form->txtInfo, 300, 150, 5, 3);
        QCOMPARE(form->txtInfo->size(), QSize(5, 3));
        const QPoint at = form->txtInfo->pos() + QPoint(1, 1);
        drag(at, at + QPoint(-40, -40), Qt::RightButton);
        QCOMPARE(form->txtInfo->size(), QSize(5, 3));
    }

    void logoAndFlashAreaIgnoreTheMiddleButton()
    {
        Element::setVisible(form->TmpFlash, true);
        form->TmpFlash->raise();
        for (QWidget* element : {static_cast<QWidget*>(form->imgLogo), static_cast<QWidget*>(form->TmpFlash)}) {
            const QRect start = element->geometry();
            const QPoint inside = start.topLeft() + QPoint(10, 10);
            drag(inside, inside + QPoint(3, 4), Qt::MiddleButton);
            QCOMPARE(element->geometry(), start);
            drag(inside, inside + QPoint(3, 4), Qt::LeftButton);
            QCOMPARE(element->geometry(), start.translated(3, 4));
            const QPoint moved = inside + QPoint(3, 4);
            drag(moved, moved + QPoint(20, 10), Qt::RightButton);
            QCOMPARE(element->geometry(), QRect(start.topLeft() + QPoint(3, 4), start.size() + QSize(20, 10)));
        }
    }

    void anInteractiveMoveLeavesTheCanvasUntilTheNextChange()
    {
        const QPoint inside = form->lstDir->pos() + QPoint(10, 10);
        drag(inside, inside + QPoint(-30, 0));
        QCOMPARE(form->lstDir->x(), -14); // outside the window for now
        QCOMPARE(form->imgBckGround->pos(), QPoint(0, 0));
        Element::setLeft(form->imgExit, 417); // any later change brings it back
        QCOMPARE(form->lstDir->x(), 0);
        QCOMPARE(form->imgBckGround->pos(), QPoint(14, 0));
        QCOMPARE(form->size(), QSize(514, 400));
    }

    void anInteractiveResizeGrowsTheCanvasAtOnce()
    {
        const QPoint inside = form->txtInfo->pos() + QPoint(10, 10);
        drag(inside, inside + QPoint(60, 0), Qt::RightButton);
        QCOMPARE(form->txtInfo->width(), 241 + 60);
        QCOMPARE(form->size(), QSize(248 + 301, 400));
    }

    void theFlashPlayerCannotBeMoved()
    {
        Element::setVisible(form->FlashPlayer, true);
        form->FlashPlayer->raise();
        const QRect start = form->FlashPlayer->geometry();
        drag(start.center(), start.center() + QPoint(15, 15));
        QCOMPARE(form->FlashPlayer->geometry(), start);
    }

    void aPictureElementWithoutAPictureIsDraggedOnceThenGone()
    {
        QFile::remove(fixture->folder.file("\\data\\welcome.bmp"));
        showCanvas();
        QCOMPARE(form->imgWel->geometry(), QRect(120, 8, 266, 65));
        press(QPoint(130, 20));
        moveTo(QPoint(135, 22));
        QCOMPARE(form->imgWel->geometry(), QRect(125, 10, 0, 0));
        release(QPoint(135, 22));
        // Now empty, it cannot be pressed: the background takes the press.
        QCOMPARE(form->childAt(QPoint(130, 20)), form->imgBckGround);
    }
};

QTEST_MAIN(TestDragging)
#include "tst_tform1dragging.moc"
