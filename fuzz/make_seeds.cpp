// make_fuzz_seeds OUT
// Writes the fuzz targets' first inputs, one folder per target under OUT:
// small valid files of every form each reader knows, made here, so the
// fuzzers start from deep inside the formats.
#include "movie/format/TagCodes.h"
#include "movie/writer/ActionWriter.h"
#include "movie/writer/SoundEncoding.h"
#include "movie/writer/SwfWriter.h"
#include "tests/support/HostileMovies.h"
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

// A skin file, then after a NUL the editor's settings file.
void windowSeeds()
{
    const QByteArray skin = "[Main]\r\nTitleX=117\r\nTitleY=8\r\nSetupX=-60\r\nSetupY=306\r\nFlashX=-20\r\n"
                            "FlashY=-15\r\nLstX=16\r\nLstY=112\r\nLstW=220\r\nLstH=178\r\nInfW=232\r\n"
                            "DirColor=clMoneyGreen\r\n";
    write("fuzz_windows", "skin-only.ini", skin);
    write("fuzz_windows", "flash-shown.ini", skin + "Flash=1\r\n");
    write("fuzz_windows", "with-settings.ini",
          skin + '\0' + "[Pelmora]\r\nOptionsX=300\r\nMainX=40\r\nMainY=0x1E\r\nGrid=0\r\n[Main]\r\nLangFile=x\r\n");
    write("fuzz_windows", "bad-colour.ini", "[Main]\r\nSetupX=-5\r\nDirColor=clPink\r\n");
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
    write("fuzz_jpeg", "many-scans.jpg", jpegScanBomb(40, 24, 120));
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
    {
        // Filters, blend modes within a layer, a 9-slice grid and an HTML field.
        SwfWriter w(40, 30, 12);
        w.defineShape(1, square(Qt::red));
        w.beginSprite(2);
        w.placeObject2(SwfWriter::Place::add(1, 1));
        SwfWriter::Place erase = SwfWriter::Place::add(2, 1);
        erase.blendMode = 12;
        w.placeObject3(erase);
        w.showFrame();
        w.endSprite();
        w.writeTag(movie::tag::DefineScalingGrid, QByteArray("\x02\x00\x40\x0C\xC2\x80\x32", 7)); // sprite 2
        movie::Filter glow;
        glow.kind = movie::Filter::Kind::Glow;
        glow.color = Qt::yellow;
        glow.blurX = glow.blurY = 4;
        movie::Filter bevel;
        bevel.kind = movie::Filter::Kind::GradientBevel;
        bevel.colors = {Qt::white, Qt::transparent, Qt::black};
        bevel.ratios = {0, 0.5, 1};
        bevel.distance = 2;
        SwfWriter::Place layer = SwfWriter::Place::add(1, 2);
        layer.blendMode = 2;
        layer.filters = movie::FilterList{glow, bevel};
        layer.matrix = Matrix{2, 0, 0, 1, 20, 20};
        w.placeObject3(layer);
        SwfWriter::EditTextSpec field;
        field.bounds = QRect(0, 0, 600, 400);
        field.html = field.multiline = field.wordWrap = true;
        field.text = "<p align='center'><font face='_sans' size='12' color='#ff0000'>Ti<b>t</b>le</font></p><li>x</li>";
        w.defineEditText(3, field);
        w.placeObject2(SwfWriter::Place::add(3, 3));
        w.showFrame();
        write("fuzz_movie", "filters-blends-html.swf", w.finish());
    }
    {
        // Sounds of every kind the engine plays, started in every way.
        SwfWriter w(40, 30, 12);
        std::vector<qint16> samples(600);
        for (std::size_t i = 0; i < samples.size(); ++i)
            samples[i] = qint16((i * 2654435761u) >> 20);
        movie::SoundFormat pcm;
        pcm.codec = movie::SoundFormat::PcmLittleEndian;
        pcm.sixteenBit = false;
        pcm.stereo = true;
        w.defineSound(1, pcm, 300, movie::writer::pcm8(samples));
        movie::SoundFormat adpcm;
        adpcm.codec = movie::SoundFormat::Adpcm;
        adpcm.rate = 22050;
        w.defineSound(2, adpcm, 600, movie::writer::adpcm(samples, 1, 3));
        // Three silent MPEG-1 layer III frames (128 kbit/s, 44.1 kHz).
        QByteArray mp3;
        for (int i = 0; i < 3; ++i)
            mp3 += QByteArray("\xFF\xFB\x90\x00", 4) + QByteArray(413, '\0');
        movie::SoundFormat mpeg;
        mpeg.codec = movie::SoundFormat::Mp3;
        mpeg.rate = 44100;
        w.defineSound(3, mpeg, 3456, mp3, 1105);
        w.symbolClass(3, "Mpeg");
        movie::SoundInfo shaped;
        shaped.inPoint = 100;
        shaped.outPoint = 900;
        shaped.loops = 3;
        shaped.envelope = {{0, 0.0f, 1.0f}, {500, 1.0f, 0.5f}};
        w.startSound(1);
        w.startSound(2, shaped);
        w.startSound2("Mpeg");
        movie::SoundStreamHead head;
        head.format = adpcm;
        head.samplesPerBlock = 1838;
        w.beginSprite(4);
        w.soundStreamHead(head);
        for (int f = 0; f < 3; ++f) {
            w.soundStreamBlock(movie::writer::adpcm(samples, 1, 2 + f));
            w.showFrame();
        }
        w.endSprite();
        w.placeObject2(SwfWriter::Place::add(1, 4));
        movie::ButtonSounds button;
        button.overUpToIdle.soundId = 1;
        w.defineButtonSound(5, button);
        w.showFrame();
        movie::SoundInfo stop;
        stop.stop = true;
        w.startSound(2, stop);
        w.showFrame();
        write("fuzz_movie", "sounds.swf", w.finish());
    }
    {
        // Scripts: a function, objects and arrays, strings, clips made,
        // moved and removed, a loop, tellTarget.
        using A = movie::writer::ActionWriter;
        SwfWriter w(40, 30, 12, 7);
        w.defineShape(1, square(Qt::red));
        w.beginSprite(2);
        w.placeObject2(SwfWriter::Place::add(1, 1));
        w.showFrame();
        w.doAction(A().callMethod("_parent", "nextFrame").op(0x17).bytes());
        w.showFrame();
        w.endSprite();
        w.writeTag(56, QByteArray("\x01\x00\x02\x00box\x00", 8)); // ExportAssets 2 as "box"
        w.placeObject2(SwfWriter::Place::add(1, 2).named("clip"));
        A script;
        script.defineFunction("grow", {"n"}, A().getVariable("n").push({A::num(2)}).op(0x0C).op(0x3E)); // return n * 2
        script.setVariable("count", A::num(0))
            .push({A::str("list"), A::num(3), A::num(2), A::num(1), A::num(3)})
            .op(0x42) // [1, 2, 3]
            .op(0x1D)
            .callMethod("list", "reverse")
            .op(0x17)
            .push({A::str("text"), A::str("a,b,c")})
            .op(0x1D)
            .callMethod("text", "split", {A::str(",")})
            .op(0x17)
            .callMethod("_root", "attachMovie", {A::str("box"), A::str("copy"), A::num(5)})
            .op(0x17)
            .push({A::str("copy._x"), A::num(12), A::num(1), A::str("grow")})
            .op(0x3D)
            .op(0x1D)
            .label("top")
            .push({A::str("count")})
            .getVariable("count")
            .op(0x50)
            .op(0x1D)
            .getVariable("count")
            .push({A::num(10)})
            .op(0x48)
            .ifTrue("top")
            .setTarget("clip")
            .gotoFrame(1)
            .setTarget("")
            .callMethod("copy", "removeMovieClip")
            .op(0x17)
            .getVariable("count")
            .trace();
        w.doAction(script.bytes());
        w.showFrame();
        w.showFrame();
        write("fuzz_movie", "scripts.swf", w.finish());
    }
    // The hostile titles in small: each a few steps from its limit.
    write("fuzz_movie", "hostile-strings.swf", hostile::stringHoard(64));
    write("fuzz_movie", "hostile-scans.swf", hostile::jpegScans(120, 32));
    write("fuzz_movie", "hostile-actions.swf", hostile::actionFlood(100));
    write("fuzz_movie", "hostile-edges.swf", hostile::edgeFlood(1000));
    write("fuzz_movie", "hostile-html.swf", hostile::htmlFlood(4000));
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
    windowSeeds();
    bitmapSeeds();
    jpegSeeds();
    languageSeeds();
    movieSeeds();
    return 0;
}
