#include "canvas/TForm1.h"

#include "base/Application.h"
#include "base/ProgramFolder.h"
#include "canvas/ElementGeometry.h"
#include "canvas/ElementMouse.h"
#include "canvas/SkinFile.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "options/TfrmSize.h"
#include "platform/ShockwaveFlash.h"
#include "platform/TSpeedButton.h"
#include "platform/WindowFont.h"
#include "platform/WindowPlacement.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QScopedValueRollback>

#include <algorithm>
#include <climits>

namespace {

QFont boldWindowFont()
{
    QFont font = windowFont();
    font.setBold(true);
    return font;
}

QFont boldCourier()
{
    QFont font(QStringLiteral("Courier"));
    font.setPixelSize(11);
    font.setBold(true);
    return font;
}

// The pictures the canvas loads when it is created, in order: the three
// optional bitmaps, where their files are, then the buttons and the
// background by their extensions.
struct StartupLoad {
    TImage* TForm1::*element;
    PicturePreloader::Request request;
};

std::vector<StartupLoad> startupLoads()
{
    using Reader = PicturePreloader::Reader;
    const struct {
        TImage* TForm1::*element;
        const char* file;
        Reader reader;
    } pictures[] = {
        {&TForm1::imgWel, "\\data\\welcome.bmp", Reader::Bitmap},
        {&TForm1::imgList, "\\data\\list.bmp", Reader::Bitmap},
        {&TForm1::imgInfo, "\\data\\info.bmp", Reader::Bitmap},
        {&TForm1::imgExit, "\\data\\ButtonUp.jpg", Reader::ByExtension},
        {&TForm1::imgSetup, "\\data\\SetupUp.jpg", Reader::ByExtension},
        {&TForm1::imgBrow, "\\data\\Brow.jpg", Reader::ByExtension},
        {&TForm1::imgPatch, "\\data\\PatchUp.JPG", Reader::ByExtension},
        {&TForm1::imgRuss, "\\data\\RussUp.jpg", Reader::ByExtension},
        {&TForm1::imgPic, "\\data\\PicUp.jpg", Reader::ByExtension},
        {&TForm1::imgBckGround, "\\data\\BackGround.bmp", Reader::ByExtension},
    };
    std::vector<StartupLoad> loads;
    for (const auto& picture : pictures) {
        const QString path = ProgramFolder::file(QLatin1String(picture.file));
        // The bitmaps are optional: each is loaded only where its file is.
        if (picture.reader == Reader::ByExtension || QFileInfo(path).isFile())
            loads.push_back({picture.element, {path, picture.reader}});
    }
    return loads;
}

template <typename Element>
Element* place(Element* element, int left, int top, int width, int height)
{
    element->setGeometry(left, top, width, height);
    return element;
}

} // namespace

TForm1::TForm1()
{
    setObjectName(QStringLiteral("Form1"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("....::::Corvadine::::...."));
    setFont(windowFont());
    QPalette colours = palette();
    colours.setColor(QPalette::Window, displayColour(Colours::FormFace));
    colours.setColor(QPalette::WindowText, displayColour(Colours::WindowText));
    setPalette(colours);
    setAutoFillBackground(true);

    createElements();
    routeMouseEvents();

    // The layout's own place (209, 130) asks for default placement, which
    // puts a borderless window at the screen's origin.
    move(0, 0);
    resize(500, 400);
    building_ = false;
}

TForm1::~TForm1() = default;

void TForm1::createElements()
{
    imgBckGround = place(new TImage(this), 0, 0, 500, 400);
    imgWel = place(new TImage(this), 120, 8, 266, 65);
    imgList = place(new TImage(this), 12, 84, 168, 25);
    imgInfo = place(new TImage(this), 328, 87, 83, 25);
    imgExit = place(new TImage(this), 416, 312, 75, 31);
    imgSetup = place(new TImage(this), 240, 312, 103, 34);
    imgBrow = place(new TImage(this), 343, 312, 73, 31);
    imgPatch = place(new TImage(this), 352, 352, 66, 31);
    imgRuss = place(new TImage(this), 240, 352, 112, 31);
    imgPic = place(new TImage(this), 416, 352, 73, 33);
    imgPic->unsetCursor(); // the default pointer, the others the arrow

    Label1 = place(new TSpeedButton(QStringLiteral("?"), this), 16, 0, 23, 22);
    Label1->setFont(boldWindowFont());
    btnMinimize = place(new TSpeedButton(QStringLiteral("_"), this), 48, 0, 23, 22);
    btnMinimize->setFont(boldWindowFont());
    btnInfo = place(new TSpeedButton(QStringLiteral("i"), this), 16, 24, 23, 22);
    btnInfo->setFont(boldCourier());

    txtInfo = place(new TMemo(this), 248, 112, 241, 193);
    txtInfo->setReadOnly(true);
    txtInfo->setColor(Colours::Cream);

    lstDir = place(new TTreeView(this), 16, 112, 217, 265);
    lstDir->setColor(Colours::MoneyGreen);
    lstDir->setIndentation(19);
    auto* item = new QTreeWidgetItem(lstDir, {QStringLiteral("Item")});
    new QTreeWidgetItem(item, {QStringLiteral("SubItem")});

    FlashPlayer = place(new TShockwaveFlash(this), 64, 40, 57, 33);
    FlashPlayer->hide();

    TmpFlash = place(new TListView(this), 128, 24, 265, 65);
    TmpFlash->setColor(Colours::Olive);
    TmpFlash->hide();

    imgLogo = place(new TMemo(this), 416, 32, 65, 49);
    imgLogo->setColor(Colours::Window);

    const QList<QWidget*> names = {imgBckGround, imgWel,   imgList, imgInfo,     imgExit,  imgSetup,
                                   imgBrow,      imgPatch, imgRuss, imgPic,      Label1,   btnMinimize,
                                   btnInfo,      txtInfo,  lstDir,  FlashPlayer, TmpFlash, imgLogo};
    const QStringList objectNames = {"imgBckGround", "imgWel",   "imgList", "imgInfo",     "imgExit",  "imgSetup",
                                     "imgBrow",      "imgPatch", "imgRuss", "imgPic",      "Label1",   "btnMinimize",
                                     "btnInfo",      "txtInfo",  "lstDir",  "FlashPlayer", "TmpFlash", "imgLogo"};
    for (int i = 0; i < names.size(); ++i)
        names[i]->setObjectName(objectNames[i]);
    elements_ = names;

    setTabOrder(txtInfo, lstDir);
    setTabOrder(lstDir, FlashPlayer);
    setTabOrder(FlashPlayer, TmpFlash);
    setTabOrder(TmpFlash, imgLogo);
}

void TForm1::FormCreate()
{
    setClientHeight(imgBckGround->height());
    setClientWidth(imgBckGround->width());

    for (const StartupLoad& load : startupLoads()) {
        TImage* element = this->*load.element;
        if (load.request.reader == PicturePreloader::Reader::Bitmap)
            element->loadBitmapFromFile(load.request.path);
        else
            element->loadFromFile(load.request.path);
    }

    setClientHeight(imgBckGround->height());
    setClientWidth(imgBckGround->width());
}

std::vector<PicturePreloader::Request> TForm1::startupPictures()
{
    std::vector<PicturePreloader::Request> requests;
    for (const StartupLoad& load : startupLoads())
        requests.push_back(load.request);
    return requests;
}

void TForm1::FormShow()
{
    const QString skinPath = ProgramFolder::file(QStringLiteral("\\data\\skin.ini"));
    if (QFileInfo(skinPath).isFile())
        SkinFile::read(skinPath, *this, *frmSize);
    frmSize->show();
}

void TForm1::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (!shown_ && !event->spontaneous()) {
        shown_ = true;
        Application::runBehaviour([this] { FormShow(); });
    }
}

void TForm1::closeEvent(QCloseEvent* event)
{
    // The canvas is the main window: closing it ends the program. The event
    // loop ends as it stands (quit() would first ask every window to close,
    // and the options window refuses).
    event->accept();
    QCoreApplication::exit(0);
}

void TForm1::setLeft(int left) { setWindowBounds(left, y(), width(), height()); }

void TForm1::setTop(int top) { setWindowBounds(x(), top, width(), height()); }

void TForm1::setClientWidth(int width) { setWindowBounds(x(), y(), width, height()); }

void TForm1::setClientHeight(int height) { setWindowBounds(x(), y(), width(), height); }

void TForm1::setWindowBounds(int left, int top, int width, int height)
{
    left = WindowPlacement::bounded(left);
    top = WindowPlacement::bounded(top);
    width = std::clamp(width, 0, kMaxClientSide);
    height = std::clamp(height, 0, kMaxClientSide);
    if (QRect(x(), y(), this->width(), this->height()) == QRect(left, top, width, height))
        return;
    move(left, top);
    resize(width, height);
    autoSize();
}

void TForm1::elementChanged()
{
    if (isVisible())
        autoSize();
}

void TForm1::autoSize()
{
    if (building_ || autoSizing_)
        return;
    QScopedValueRollback guard(autoSizing_, true);

    // The box in 64 bits: a picture's size added to a place cannot overflow.
    qint64 boxLeft = LLONG_MAX;
    qint64 boxTop = LLONG_MAX;
    qint64 boxRight = 0;
    qint64 boxBottom = 0;
    for (const QWidget* element : std::as_const(elements_)) {
        if (!Element::isVisible(element))
            continue;
        boxLeft = std::min<qint64>(boxLeft, element->x());
        boxTop = std::min<qint64>(boxTop, element->y());
        boxRight = std::max(boxRight, qint64(element->x()) + element->width());
        boxBottom = std::max(boxBottom, qint64(element->y()) + element->height());
    }
    if (boxLeft == LLONG_MAX) {
        resize(0, 0);
        return;
    }
    // Every visible element's bounds are set again, which also gives each
    // picture element its picture's size. Hidden elements move with the
    // rest, so that each keeps its place against the background (which is
    // what the skin file stores) for when it shows again.
    const QPoint shift(int(-boxLeft), int(-boxTop));
    for (QWidget* element : std::as_const(elements_)) {
        if (Element::isVisible(element))
            Element::applyBounds(element, element->x() + shift.x(), element->y() + shift.y(), element->width(),
                                 element->height());
        else if (!shift.isNull())
            element->move(element->pos() + shift);
    }
    resize(int(std::clamp<qint64>(boxRight - boxLeft, 0, kMaxClientSide)),
           int(std::clamp<qint64>(boxBottom - boxTop, 0, kMaxClientSide)));
}
