// The editor's real windows, offscreen, started on any skin file and any
// settings file: the bytes before the first NUL are data/skin.ini, the bytes
// after it Options.ini (none: no settings file). Whatever the files say, the
// start must not break a sanitizer's rule, the elements and the canvas stay
// within their limits, both windows come up on a screen, and the skin saved
// from the canvas starts the editor again with the very same layout.
#include "fuzz/FuzzSupport.h"

#include "app/Editor.h"
#include "base/Application.h"
#include "base/Dialogs.h"
#include "base/ProgramFolder.h"
#include "canvas/ElementGeometry.h"
#include "canvas/SkinFile.h"
#include "canvas/TImage.h"
#include "canvas/WindowedControls.h"
#include "platform/ShockwaveFlash.h"
#include "platform/WindowPlacement.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <cstdlib>
#include <optional>

namespace {

// Every dialog cancelled, every error only counted: nothing waits on a user.
class QuietDialogs : public Dialogs {
public:
    void showError(const QString&) override {}
    void showMessage(const QString&, const QString&) override {}
    std::optional<TColor> chooseColour(TColor) override { return std::nullopt; }
    std::optional<FileChoice> openFile(const FileRequest&) override { return std::nullopt; }
    std::optional<FileChoice> saveFile(const FileRequest&) override { return std::nullopt; }
};

void writeFile(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) != content.size())
        fuzz::fail("cannot write an input file");
}

// The program folder with a picture for every element, laid out once.
void prepareProgramFolder()
{
    static bool prepared = false;
    if (prepared)
        return;
    prepared = true;
    // A QApplication, not the bare GUI application the other targets use.
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "skinedit-fuzz";
        static char* argv[] = {name, nullptr};
        new QApplication(argc, argv);
    }
    static QuietDialogs dialogs;
    Application::setDialogs(&dialogs);
    ProgramFolder::setPathForTesting(fuzz::folder());
    QDir().mkpath(ProgramFolder::file(QStringLiteral("\\data")));
    const struct {
        const char* file;
        int width;
        int height;
    } pictures[] = {{"BackGround.bmp", 500, 400}, {"welcome.bmp", 266, 65}, {"list.bmp", 168, 25},
                    {"info.bmp", 83, 25},         {"ButtonUp.jpg", 75, 31}, {"SetupUp.jpg", 103, 34},
                    {"Brow.jpg", 73, 31},         {"PatchUp.JPG", 66, 31},  {"RussUp.jpg", 112, 31},
                    {"PicUp.jpg", 73, 33}};
    for (const auto& picture : pictures) {
        QImage image(picture.width, picture.height, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        const QString path = ProgramFolder::file(QStringLiteral("\\data\\") + QLatin1String(picture.file));
        if (!image.save(path, QFileInfo(path).suffix().compare("bmp", Qt::CaseInsensitive) == 0 ? "BMP" : "JPG"))
            fuzz::fail("cannot write the pictures (is Qt's JPEG plugin installed?)");
    }
}

// What the layout is, as the skin file and the menu see it: each element's
// place measured from the background, and the sizes of the four that the
// user resizes.
QList<QRect> layoutOf(const TForm1& form1)
{
    const QList<const QWidget*> sized = {form1.lstDir, form1.txtInfo, form1.imgLogo, form1.TmpFlash};
    QList<QRect> layout;
    const QPoint origin = form1.imgBckGround->pos();
    for (const QWidget* element : form1.elements()) {
        if (element == form1.imgBckGround || element == form1.FlashPlayer)
            continue;
        layout.append(QRect(element->pos() - origin, sized.contains(element) ? element->size() : QSize()));
    }
    return layout;
}

void checkLimits(const Editor& editor)
{
    const TForm1& form1 = editor.Form1;
    if (form1.width() > TForm1::kMaxClientSide || form1.height() > TForm1::kMaxClientSide)
        fuzz::fail("a canvas larger than its limit");
    for (const QRect& element : layoutOf(form1)) {
        if (std::abs(element.x()) > Element::kPlaceLimit || std::abs(element.y()) > Element::kPlaceLimit
            || element.width() > Element::kSizeLimit || element.height() > Element::kSizeLimit)
            fuzz::fail("an element beyond its limits");
    }
    for (const QWidget* window : {static_cast<const QWidget*>(&form1), static_cast<const QWidget*>(&editor.frmSize)}) {
        if (WindowPlacement::seenPlace(window->frameGeometry()) != window->pos())
            fuzz::fail("a window off every screen");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    prepareProgramFolder();
    const QByteArray input = fuzz::bytes(data, size);
    const qsizetype split = input.indexOf('\0');
    const QString skinPath = ProgramFolder::file(QStringLiteral("\\data\\skin.ini"));
    const QString settingsPath = ProgramFolder::file(QStringLiteral("\\Options.ini"));
    writeFile(skinPath, input.left(split));
    QFile::remove(settingsPath);
    if (split >= 0)
        writeFile(settingsPath, input.mid(split + 1));

    QList<QRect> layout;
    {
        Editor editor;
        editor.show();
        QCoreApplication::processEvents();
        checkLimits(editor);
        layout = layoutOf(editor.Form1);
        // Save over the file it was read from.
        Application::runBehaviour([&] { SkinFile::write(skinPath, editor.Form1, editor.frmSize); });
    }
    Editor again;
    again.show();
    if (layoutOf(again.Form1) != layout)
        fuzz::fail("the saved skin starts the editor with another layout");
    return 0;
}
