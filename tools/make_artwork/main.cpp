// Draws the options window's pictures and writes them as a C++ source of
// pixel tables (options/ArtworkPixels.h declares them). The editor then
// shows them without drawing: no antialiased paths, no gradients and no
// fonts of their own at start-up.
#include "ArtworkDrawing.h"

#include <QFile>
#include <QGuiApplication>
#include <QSaveFile>
#include <QTextStream>
#include <cstdio>

namespace {

struct Artwork {
    const char* name;
    QImage picture;
};

void writeTable(QTextStream& out, const Artwork& artwork)
{
    const QImage picture = artwork.picture.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    out << "const std::uint32_t " << artwork.name << "Pixels[] = {";
    for (int y = 0; y < picture.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(picture.constScanLine(y));
        for (int x = 0; x < picture.width(); ++x)
            out << ((x % 8) ? " " : "\n    ") << "0x" << QString::number(row[x], 16).rightJustified(8, u'0') << "u,";
    }
    out << "\n};\n\n";
}

} // namespace

int main(int argc, char** argv)
{
    // Drawing needs no screen; the offscreen platform keeps the build headless.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_artwork <output.cpp>\n");
        return 2;
    }

    using namespace ArtworkDrawing;
    const Artwork artworks[] = {{"playIcon", playIcon()},       {"stopIcon", stopIcon()},
                                {"houseIcon", houseIcon()},     {"aboutBanner", aboutBanner()},
                                {"aboutEmblem", aboutEmblem()}, {"aboutWordmark", aboutWordmark()}};

    QSaveFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "make_artwork: cannot write %s\n", argv[1]);
        return 1;
    }
    QTextStream out(&file);
    out << "// Written by make_artwork when the editor is built.\n"
           "#include \"options/ArtworkPixels.h\"\n\nnamespace {\n\n";
    for (const Artwork& artwork : artworks)
        writeTable(out, artwork);
    out << "} // namespace\n\nnamespace ArtworkPixels {\n\n";
    for (const Artwork& artwork : artworks)
        out << "const Picture " << artwork.name << "{" << artwork.picture.width() << ", " << artwork.picture.height()
            << ", " << artwork.name << "Pixels};\n";
    out << "\n} // namespace ArtworkPixels\n";
    out.flush();
    if (out.status() != QTextStream::Ok || !file.commit()) {
        std::fprintf(stderr, "make_artwork: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
