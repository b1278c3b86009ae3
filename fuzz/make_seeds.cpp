// make_fuzz_seeds OUT
// Writes the fuzz targets' first inputs, one folder per target under OUT:
// small valid files of every form each reader knows, made here, so the
// fuzzers start from deep inside the formats.
#include "movie/writer/SwfWriter.h"
#include "tests/support/TestBitmap.h"
#include "tests/support/TestJpeg.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QPainter>
#include <cstdio>

using movie::Matrix;
using movie::writer::ShapeSpec;
using movie::writer::SwfWriter;

namespace {

QString outDir;

void write(const QString& target, const QString& name, const QByteArray& content)
{
    QDir().mkpath(outDir + u'/' + target);
    QFile file(outDir + u'/' + target + u'/' + name);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
}

QByteArray nul(const QByteArray& section, const QByteArray& key, const QByteArray& value)
{
    return QByteArray(1, '\0') + section + '\0' + key + '\0' + value;
}

void iniSeeds()
{
    const QByteArray crlf = "; skin\r\n[Main]\r\nProgram=Corvadine\r\nLeft=10\r\n\r\n[Colors]\r\nGrid=clMoneyGreen\r\n";
    write("fuzz_ini", "crlf.ini", crlf);
    write("fuzz_ini", "crlf-new-key.ini", crlf + nul("Colors", "Flash", "$00FF00FF"));
    write("fuzz_ini", "lf-new-section.ini", "[Main]\nTop = 5 \nName=\"quoted\"\n" + nul("Other", "Key", "1"));
    write("fuzz_ini", "cr-only.ini", "[A]\rk=v\r[B]\rk=w" + nul("B", "K", "x"));
    write("fuzz_ini", "bom.ini", "\xEF\xBB\xBF[Main]\r\nProgram=Corvadine" + nul("main", "program", "y"));
    write("fuzz_ini", "cp1251.ini",
          "[Pelmora]\r\n0=\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8\r\n" + nul("Pelmora", "1", "x"));
    write("fuzz_ini", "before-header.ini", "k=top\r\n[S]\r\nk=in\r\n[S]\r\nk=again\r\n" + nul("", "k", "new"));
    write("fuzz_ini", "odd-lines.ini",
          "[open\r\n=empty key\r\n;k=comment\r\n[S]x]\r\nk='q'\r\n" + nul("S]x", "k", "v"));
    write("fuzz_ini", "empty.ini", nul("Main", "Left", "-12"));
}

void colourSeeds()
{
    const char* texts[] = {"clMoneyGreen", "CLNONE", "$00C0DCC0", "0xFF",       "0XfF",      "x1F",
                           "-2147483648",  "  +42",  "$FFFFFFFF", "4294967296", "cl3DLight", "\t-$1"};
    int i = 0;
    for (const char* text : texts)
        write("fuzz_colour_text", QStringLiteral("colour%1.txt").arg(i++), text);
}

QByteArray rows(int bytesPerRow, int count, char fill)
{
    QByteArray row(bytesPerRow, fill);
    for (int i = 0; i < bytesPerRow; ++i)
        row[i] = char(fill + i * 37);
    return row.repeated(count);
}

void bitmapSeeds()
{
    const QList<QRgb> grey = {qRgb(0, 0, 0), qRgb(255, 255, 255), qRgb(128, 0, 0), qRgb(0, 128, 0)};
    TestBitmap b;
    b.width = 5;
    b.height = 3;
    b.pixels = rows(16, 3, 1);
    write("fuzz_bitmap", "rgb24.bmp", b.bytes());

    b.height = -3;
    write("fuzz_bitmap", "rgb24-top-down.bmp", b.bytes());

    b = TestBitmap{};
    b.headerSize = 12;
    b.width = 9;
    b.height = 2;
    b.bitCount = 1;
    b.palette = grey.mid(0, 2);
    b.pixels = rows(4, 2, 0x55);
    write("fuzz_bitmap", "core-1bit.bmp", b.bytes());

    b = TestBitmap{};
    b.width = 7;
    b.height = 2;
    b.bitCount = 4;
    b.palette = grey;
    b.coloursUsed = 4;
    b.pixels = rows(4, 2, 0x12);
    write("fuzz_bitmap", "pal4.bmp", b.bytes());

    b.bitCount = 8;
    b.pixels = rows(8, 2, 0);
    write("fuzz_bitmap", "pal8.bmp", b.bytes());

    b = TestBitmap{};
    b.width = 3;
    b.height = 2;
    b.bitCount = 16;
    b.compression = 3;
    b.masks = {0xF800, 0x07E0, 0x001F};
    b.pixels = rows(8, 2, 7);
    write("fuzz_bitmap", "bitfields16.bmp", b.bytes());

    b.headerSize = 108;
    b.bitCount = 32;
    b.masks = {0x00FF0000, 0x0000FF00, 0x000000FF};
    b.pixels = rows(12, 2, 9);
    write("fuzz_bitmap", "v4-bitfields32.bmp", b.bytes());

    b = TestBitmap{};
    b.width = 6;
    b.height = 3;
    b.bitCount = 8;
    b.compression = 1;
    b.palette = grey;
    // a run, a literal, a move, end of line and end of picture
    b.pixels = QByteArray::fromHex("03010003020301000002010100000401000001");
    write("fuzz_bitmap", "rle8.bmp", b.bytes());

    b.bitCount = 4;
    b.compression = 2;
    b.pixels = QByteArray::fromHex("0412000512340000000301000001");
    write("fuzz_bitmap", "rle4.bmp", b.bytes());
}

void jpegSeeds()
{
    QImage image(12, 9, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb(x * 20, y * 28, (x + y) * 10));
    write("fuzz_jpeg", "rgb.jpg", encodeTestJpeg(image, JpegKind::Rgb, 50));
    write("fuzz_jpeg", "grey.jpg", encodeTestJpeg(image, JpegKind::Grey, 50));
    write("fuzz_jpeg", "cmyk.jpg", encodeTestJpeg(image, JpegKind::AdobeCmyk, 50));
    write("fuzz_jpeg", "tiny.jpg", encodeTestJpeg(image.scaled(1, 1), JpegKind::Rgb, 10));
}

void languageSeeds()
{
    QByteArray english = "[Main]\r\nProgram=Corvadine\r\n[Pelmora]\r\n";
    for (int key = 0; key < 28; ++key)
        english += QByteArray::number(key) + "=Text " + QByteArray::number(key) + "\r\n";
    write("fuzz_language", "complete.lng", english);
    write("fuzz_language", "main-only.lng", "[Main]\r\nProgram=Corvadine\r\n");
    write("fuzz_language", "cp1251.lng", "[Main]\nProgram=Corvadine\n[Pelmora]\n0=\xCE\xEF\xF6\xE8\xE8\n2=\"\"\n");
    write("fuzz_language", "other.lng", "[Main]\r\nProgram=None\r\n");
}

ShapeSpec square(const QColor& colour)
{
    ShapeSpec s;
    s.fills.push_back(ShapeSpec::Fill::solid(colour));
    ShapeSpec::Line line;
    s.lines.push_back(line);
    s.rect(QRect(0, 0, 400, 400), 1, 1);
    return s;
}

void movieSeeds()
{
    {
        SwfWriter w(40, 30, 12);
        w.setBackground(Qt::blue);
        w.defineShape(1, square(Qt::red));
        w.placeObject2(SwfWriter::Place::add(1, 1));
        w.showFrame();
        Matrix m;
        m.tx = 200;
        w.placeObject2(SwfWriter::Place::modify(1).withMatrix(m));
        w.showFrame();
        write("fuzz_movie", "shape.swf", w.finish());
        write("fuzz_movie", "shape-zlib.swf", w.finish(SwfWriter::Compression::Zlib));
    }
    {
        SwfWriter w(40, 30, 12);
        ShapeSpec gradient;
        Matrix g;
        g.a = g.d = 400 / 32768.0;
        gradient.fills.push_back(
            ShapeSpec::Fill::gradient(ShapeSpec::Fill::Kind::Radial, g, {{0, Qt::white}, {255, Qt::black}}));
        gradient.moveTo(0, 0).style(-1, 1, -1);
        gradient.curveTo(200, -100, 400, 0).lineTo(400, 400).lineTo(0, 400).lineTo(0, 0);
        w.defineShape(1, gradient);
        w.defineShape(2, square(Qt::green), 1);
        w.beginSprite(3);
        w.placeObject2(SwfWriter::Place::add(1, 2));
        w.showFrame();
        w.removeObject2(1);
        w.showFrame();
        w.endSprite();
        w.placeObject2(SwfWriter::Place::add(1, 3));
        w.placeObject2(SwfWriter::Place::add(2, 1).withClipDepth(3));
        w.frameLabel("start");
        w.showFrame();
        w.doAction(movie::writer::actions::gotoFrame(0));
        w.showFrame();
        write("fuzz_movie", "sprite-mask-actions.swf", w.finish());
    }
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_fuzz_seeds OUT\n");
        return 2;
    }
    QCoreApplication application(argc, argv);
    outDir = QString::fromLocal8Bit(argv[1]);
    iniSeeds();
    colourSeeds();
    bitmapSeeds();
    jpegSeeds();
    languageSeeds();
    movieSeeds();
    return 0;
}
