// Draws the pictures of the sample skin (the background, the title, the two
// tabs and the six buttons) into the folder named on the command line.

#include "PictureFiles.h"
#include "SkinPictures.h"

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    // Drawing needs no screen; the offscreen platform keeps the build headless.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);

    if (argc != 2) {
        std::fprintf(stderr, "usage: make_sample_skin <data folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.mkpath(QStringLiteral("."))) {
        std::fprintf(stderr, "make_sample_skin: cannot create %s\n", argv[1]);
        return 1;
    }

    using namespace SkinPictures;
    bool ok = writeBitmap24(background(), folder.filePath(QStringLiteral("BackGround.bmp")))
        && writeBitmap24(title(), folder.filePath(QStringLiteral("welcome.bmp")))
        && writeBitmap24(tab(QSize(168, 25), QStringLiteral("Contents of the disc")),
                         folder.filePath(QStringLiteral("list.bmp")))
        && writeBitmap24(tab(QSize(83, 25), QStringLiteral("Info")), folder.filePath(QStringLiteral("info.bmp")));

    struct Button {
        const char* file;
        QSize size;
        QString caption;
        QColor face;
    };
    const Button buttons[] = {
        {"ButtonUp.jpg", {75, 31}, QStringLiteral("Exit"), kRed},
        {"SetupUp.jpg", {103, 34}, QStringLiteral("Setup"), kGreen},
        {"Brow.jpg", {73, 31}, QStringLiteral("Browse"), kBlue},
        {"PatchUp.JPG", {66, 31}, QStringLiteral("Patch"), kBlue},
        {"RussUp.jpg", {112, 31}, QStringLiteral("Русификатор"), kAmber},
        {"PicUp.jpg", {73, 33}, QStringLiteral("Pictures"), kBlue},
    };
    for (const Button& b : buttons)
        ok = ok && writeJpeg(button(b.size, b.caption, b.face), folder.filePath(QString::fromLatin1(b.file)));

    if (!ok) {
        std::fprintf(stderr, "make_sample_skin: cannot write the pictures into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
