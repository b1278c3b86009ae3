#pragma once

#include "platform/PicturePreloader.h"

#include <QList>
#include <QWidget>
#include <vector>

class TImage;
class TMemo;
class TTreeView;
class TListView;
class TSpeedButton;
class TShockwaveFlash;
class TfrmSize;

// The canvas window: the menu at its real size, the background picture with
// every element of the skin where the skin puts it. Borderless, it follows
// its elements: its client area is always the bounding box of the visible
// elements (see autoSize).
class TForm1 : public QWidget {
    Q_OBJECT

public:
    TForm1();
    ~TForm1() override;

    // The largest client area, each way: its picture on the screen takes at
    // most 256 MB (four bytes a pixel). A layout larger than that is cut at
    // the window's right and bottom edges.
    static constexpr int kMaxClientSide = 8192;

    // The elements, in creation order: picture elements, flat buttons,
    // then the windowed elements, which always lie above the others.
    TImage* imgBckGround;
    TImage* imgWel;
    TImage* imgList;
    TImage* imgInfo;
    TImage* imgExit;
    TImage* imgSetup;
    TImage* imgBrow;
    TImage* imgPatch;
    TImage* imgRuss;
    TImage* imgPic;
    TSpeedButton* Label1;
    TSpeedButton* btnMinimize;
    TSpeedButton* btnInfo;
    TMemo* txtInfo;
    TTreeView* lstDir;
    TShockwaveFlash* FlashPlayer;
    TListView* TmpFlash;
    TMemo* imgLogo;

    // The options window, reached directly once it exists.
    TfrmSize* frmSize = nullptr;

    // The drag state shared by the program-moved elements.
    bool Dragging = false;
    int GrabX = 0;
    int GrabY = 0;

    const QList<QWidget*>& elements() const { return elements_; }

    // Creation: loads the pictures and sizes the window.
    void FormCreate();
    // The picture files that FormCreate loads, for reading them ahead.
    static std::vector<PicturePreloader::Request> startupPictures();
    // First showing: reads the skin file, then shows the options window.
    void FormShow();

    // The window on the screen and its client size. Changing any of them to
    // another value runs the auto-size. The place is kept within what a
    // window system can address (WindowPlacement), the size within
    // kMaxClientSide.
    int left() const { return x(); }
    int top() const { return y(); }
    void setLeft(int left);
    void setTop(int top);
    void setClientWidth(int width);
    void setClientHeight(int height);

    // Makes the window the bounding box of its visible elements, shifting
    // every element, hidden ones too, when the box starts left of or above
    // the client origin.
    void autoSize();
    // Called for every change of an element's bounds or visibility.
    void elementChanged();

    // Mouse handlers of the program-moved elements.
    void imgWelMouseDown(QWidget* sender, Qt::MouseButton button, int x, int y);
    void imgWelMouseUp(QWidget* sender, Qt::MouseButton button, int x, int y);
    void imgBckGroundMouseMove(int x, int y);
    void imgWelMouseMove(int x, int y);
    void imgListMouseMove(int x, int y);
    void imgInfoMouseMove(int x, int y);
    void imgExitMouseMove(int x, int y);
    void imgSetupMouseMove(int x, int y);
    void imgBrowMouseMove(int x, int y);
    void imgPatchMouseMove(int x, int y);
    void imgRussMouseMove(int x, int y);
    void imgPicMouseMove(int x, int y);
    void Label1MouseMove(int x, int y);
    void btnMinimizeMouseMove(int x, int y);
    void btnInfoMouseMove(int x, int y);
    // Mouse handlers of the windowed elements: the window system's
    // interactive move and resize.
    void lstDirMouseDown(QWidget* sender, Qt::MouseButton button, int x, int y);
    void imgLogoMouseDown(QWidget* sender, Qt::MouseButton button, int x, int y);
    void TmpFlashMouseDown(QWidget* sender, Qt::MouseButton button, int x, int y);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createElements();
    void routeMouseEvents();
    void moveByPointer(QWidget* element, int x, int y);
    void setWindowBounds(int left, int top, int width, int height);

    QList<QWidget*> elements_;
    bool building_ = true;
    bool autoSizing_ = false;
    bool shown_ = false;
};
