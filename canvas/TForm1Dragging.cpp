// Dragging on the canvas: the routing of every element's mouse events to the
// canvas window's handlers, and the handlers themselves.
#include "canvas/TForm1.h"

#include "canvas/ElementGeometry.h"
#include "canvas/ElementMouse.h"
#include "canvas/InteractiveTracking.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "platform/TSpeedButton.h"

void TForm1::routeMouseEvents()
{
    const auto press = [this](QWidget* sender, Qt::MouseButton button, int x, int y) {
        imgWelMouseDown(sender, button, x, y);
    };
    const auto release = [this](QWidget* sender, Qt::MouseButton button, int x, int y) {
        imgWelMouseUp(sender, button, x, y);
    };
    // Each move handler moves its own element, whoever sends the event.
    const auto moveWith = [this](void (TForm1::*handler)(int, int)) {
        return [this, handler](QWidget*, Qt::MouseButton, int x, int y) { (this->*handler)(x, y); };
    };
    const struct {
        QWidget* element;
        void (TForm1::*move)(int, int);
    } programMoved[] = {
        {imgBckGround, &TForm1::imgBckGroundMouseMove},
        {imgWel, &TForm1::imgWelMouseMove},
        {imgList, &TForm1::imgListMouseMove},
        {imgInfo, &TForm1::imgInfoMouseMove},
        {imgExit, &TForm1::imgExitMouseMove},
        {imgSetup, &TForm1::imgSetupMouseMove},
        {imgBrow, &TForm1::imgBrowMouseMove},
        {imgPatch, &TForm1::imgPatchMouseMove},
        {imgRuss, &TForm1::imgRussMouseMove},
        {imgPic, &TForm1::imgPicMouseMove},
        {Label1, &TForm1::Label1MouseMove},
        {btnMinimize, &TForm1::btnMinimizeMouseMove},
        {btnInfo, &TForm1::btnInfoMouseMove},
    };
    for (const auto& element : programMoved)
        ElementMouse::attach(element.element, {press, moveWith(element.move), release});

    const auto windowed = [this](void (TForm1::*handler)(QWidget*, Qt::MouseButton, int, int)) {
        return ElementMouse::Handlers{[this, handler](QWidget* sender, Qt::MouseButton button, int x, int y) {
                                          (this->*handler)(sender, button, x, y);
                                      },
                                      {},
                                      {}};
    };
    ElementMouse::attach(lstDir, windowed(&TForm1::lstDirMouseDown));
    ElementMouse::attach(txtInfo, windowed(&TForm1::lstDirMouseDown));
    ElementMouse::attach(imgLogo, windowed(&TForm1::imgLogoMouseDown));
    ElementMouse::attach(TmpFlash, windowed(&TForm1::TmpFlashMouseDown));
    // FlashPlayer takes no part: it cannot be moved.
}

void TForm1::imgWelMouseDown(QWidget*, Qt::MouseButton button, int x, int y)
{
    if (button != Qt::LeftButton)
        return;
    Dragging = true;
    GrabX = x;
    GrabY = y;
}

void TForm1::imgWelMouseUp(QWidget*, Qt::MouseButton, int, int) { Dragging = false; }

void TForm1::moveByPointer(QWidget* element, int x, int y)
{
    if (!Dragging)
        return;
    // Left and Top change one after the other, as two position changes.
    Element::setLeft(element, Element::left(element) + x - GrabX);
    Element::setTop(element, Element::top(element) + y - GrabY);
}

void TForm1::imgBckGroundMouseMove(int x, int y)
{
    // Dragging the background drags the whole window over the screen.
    if (!Dragging)
        return;
    setLeft(left() + x - GrabX);
    setTop(top() + y - GrabY);
}

void TForm1::imgWelMouseMove(int x, int y) { moveByPointer(imgWel, x, y); }
void TForm1::imgListMouseMove(int x, int y) { moveByPointer(imgList, x, y); }
void TForm1::imgInfoMouseMove(int x, int y) { moveByPointer(imgInfo, x, y); }
void TForm1::imgExitMouseMove(int x, int y) { moveByPointer(imgExit, x, y); }
void TForm1::imgSetupMouseMove(int x, int y) { moveByPointer(imgSetup, x, y); }
void TForm1::imgBrowMouseMove(int x, int y) { moveByPointer(imgBrow, x, y); }
void TForm1::imgPatchMouseMove(int x, int y) { moveByPointer(imgPatch, x, y); }
void TForm1::imgRussMouseMove(int x, int y) { moveByPointer(imgRuss, x, y); }
void TForm1::imgPicMouseMove(int x, int y) { moveByPointer(imgPic, x, y); }
void TForm1::Label1MouseMove(int x, int y) { moveByPointer(Label1, x, y); }
void TForm1::btnMinimizeMouseMove(int x, int y) { moveByPointer(btnMinimize, x, y); }
void TForm1::btnInfoMouseMove(int x, int y) { moveByPointer(btnInfo, x, y); }

void TForm1::lstDirMouseDown(QWidget* sender, Qt::MouseButton button, int x, int y)
{
    // The right and the middle button both resize the tree and the info box;
    // other buttons (a mouse's back and forward buttons) do nothing.
    if (button == Qt::LeftButton)
        InteractiveTracking::start(sender, InteractiveTracking::Mode::Move, QPoint(x, y));
    else if (button == Qt::RightButton || button == Qt::MiddleButton)
        InteractiveTracking::start(sender, InteractiveTracking::Mode::ResizeBottomRight, QPoint(x, y));
}

void TForm1::imgLogoMouseDown(QWidget* sender, Qt::MouseButton button, int x, int y)
{
    if (button == Qt::LeftButton)
        InteractiveTracking::start(sender, InteractiveTracking::Mode::Move, QPoint(x, y));
    else if (button == Qt::RightButton)
        InteractiveTracking::start(sender, InteractiveTracking::Mode::ResizeBottomRight, QPoint(x, y));
    // The middle button does nothing here.
}

void TForm1::TmpFlashMouseDown(QWidget* sender, Qt::MouseButton button, int x, int y)
{
    imgLogoMouseDown(sender, button, x, y);
}
