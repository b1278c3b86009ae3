#pragma once

#include "movie/draw/Filters.h"
#include "movie/format/Geometry.h"
#include "movie/sound/SoundTypes.h"
#include "movie/writer/BitWriter.h"
#include "movie/writer/ShapeSpec.h"

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <optional>
#include <vector>

namespace movie::writer {

// Frame-script actions, as their bytes in a DoAction tag.
namespace actions {
QByteArray stop();
QByteArray play();
QByteArray nextFrame();
QByteArray previousFrame();
QByteArray gotoFrame(int zeroBasedFrame);
QByteArray gotoLabel(const QByteArray& label);
QByteArray setTarget(const QByteArray& target);
} // namespace actions

// Writes a movie tag by tag. Tags go to the movie's own timeline, or to the
// sprite opened by beginSprite until endSprite.
class SwfWriter {
public:
    enum class Compression { None, Zlib, Lzma };

    // A stage of widthPx x heightPx pixels at `fps` frames a second.
    SwfWriter(int widthPx, int heightPx, double fps, int version = 8);

    void setStage(const QRect& twips) { stage_ = twips; }
    void setBackground(const QColor& c);
    void defineShape(quint16 id, const ShapeSpec& shape, int shapeVersion = 3);

    struct Place {
        quint16 depth = 1;
        std::optional<quint16> character;
        std::optional<Matrix> matrix;
        std::optional<ColorTransform> colorTransform;
        std::optional<quint16> ratio;
        std::optional<quint16> clipDepth;
        std::optional<quint8> blendMode;   // PlaceObject3 only
        std::optional<bool> visible;       // PlaceObject3 only
        std::optional<FilterList> filters; // PlaceObject3 only
        std::optional<bool> cacheAsBitmap; // PlaceObject3 only
        bool move = false;
        QByteArray name; // the instance name scripts know it by; none when empty

        // A new character at a depth, or a change to what stands there.
        static Place add(quint16 depth, quint16 character)
        {
            Place p;
            p.depth = depth;
            p.character = character;
            return p;
        }
        static Place modify(quint16 depth)
        {
            Place p;
            p.depth = depth;
            p.move = true;
            return p;
        }
        Place& withMatrix(const Matrix& m)
        {
            matrix = m;
            return *this;
        }
        Place& withColor(const ColorTransform& cx)
        {
            colorTransform = cx;
            return *this;
        }
        Place& withRatio(quint16 r)
        {
            ratio = r;
            return *this;
        }
        Place& withClipDepth(quint16 d)
        {
            clipDepth = d;
            return *this;
        }
        Place& named(const QByteArray& instanceName)
        {
            name = instanceName;
            return *this;
        }
    };
    void placeObject(quint16 character, quint16 depth, const Matrix& m,
                     std::optional<ColorTransform> cx = std::nullopt); // PlaceObject (1)
    void placeObject2(const Place& p);
    void placeObject3(const Place& p);
    void removeObject(quint16 character, quint16 depth);
    void removeObject2(quint16 depth);
    void showFrame();
    void frameLabel(const QByteArray& label);
    void doAction(const QByteArray& actionBytes);          // an End action is added
    void exportAssets(quint16 id, const QByteArray& name); // a symbol scripts attach by name
    // Pictures. Lossless formats: 3 colour-mapped (at most 256 colours), 4
    // 15-bit, 5 32-bit; version 2 keeps alpha (premultiplied in the file).
    void defineBitsLossless(quint16 id, const QImage& image, int format = 5, int version = 2);
    void jpegTables(const QByteArray& tables);
    void defineBits(quint16 id, const QByteArray& jpegWithoutTables);
    void defineBitsJpeg2(quint16 id, const QByteArray& data); // JPEG, PNG or GIF bytes
    void defineBitsJpeg3(quint16 id, const QByteArray& jpeg, const QByteArray& alphaPlane);

    // A font: glyph outlines (shape records with fill 1 inside, in font
    // units: 1024 to the em, 20 times that for DefineFont3), codes, advances.
    struct FontSpec {
        QByteArray name = "Test";
        std::vector<ShapeSpec> glyphs;
        std::vector<quint16> codes;
        std::vector<qint16> advances; // empty: no layout
        quint16 ascent = 0, descent = 0;
        qint16 leading = 0;
        bool bold = false, italic = false;
    };
    void defineFont(quint16 id, const FontSpec& font, int fontVersion = 3); // 1, 2 or 3

    struct TextRecord {
        std::optional<quint16> font;
        quint16 height = 0;
        std::optional<QColor> color;
        std::optional<qint16> x, y;
        std::vector<std::pair<quint32, qint32>> glyphs; // index, advance
    };
    void defineText(quint16 id, const QRect& bounds, const Matrix& m, const std::vector<TextRecord>& records,
                    int textVersion = 2);

    struct EditTextSpec {
        QRect bounds;
        std::optional<quint16> font;
        quint16 height = 240;
        std::optional<QColor> color;
        QByteArray text; // UTF-8
        bool wordWrap = false, multiline = false, password = false, html = false, border = false, useOutlines = true;
        std::optional<int> align; // with it, a layout of zero margins
    };
    void defineEditText(quint16 id, const EditTextSpec& field);

    // A tween from `start` to `end`: the same styles (kinds and counts) and
    // the same edge records, with other colours, matrices and points.
    void defineMorphShape(quint16 id, const ShapeSpec& start, const ShapeSpec& end, int morphVersion = 1);

    struct ButtonRecord {
        quint8 states = 0x01; // up 1, over 2, down 4, hit 8
        quint16 character = 0;
        quint16 depth = 1;
        Matrix matrix;
        std::optional<ColorTransform> colorTransform; // DefineButton2 only
    };
    void defineButton(quint16 id, const std::vector<ButtonRecord>& records, int buttonVersion = 2);
    void defineButtonCxform(quint16 id, const ColorTransform& cx);

    // Sounds, their data already coded (see SoundEncoding.h); MP3 data may
    // start with `seekSamples` frames of encoder delay.
    void defineSound(quint16 id, const SoundFormat& format, quint32 sampleCount, const QByteArray& data,
                     qint16 seekSamples = 0);
    void startSound(quint16 id, const SoundInfo& info = {});
    void startSound2(const QByteArray& className, const SoundInfo& info = {});
    void symbolClass(quint16 id, const QByteArray& className);
    void soundStreamHead(const SoundStreamHead& head, int headVersion = 2);
    void soundStreamBlock(const QByteArray& data); // PCM or ADPCM
    void mp3StreamBlock(quint16 samples, const QByteArray& frames);
    void defineButtonSound(quint16 buttonId, const ButtonSounds& sounds);

    void beginSprite(quint16 id);
    void endSprite();
    void writeTag(int code, const QByteArray& body);

    // The finished file: the End tag is added and the header filled in.
    QByteArray finish(Compression compression = Compression::None);

    static QByteArray encodeMatrix(const Matrix& m);
    static QByteArray encodeColorTransform(const ColorTransform& cx, bool withAlpha);
    static QByteArray encodeFilters(const FilterList& filters);

private:
    void writePlace(int code, const Place& p);

    struct TagStream {
        QByteArray bytes;
        int frames = 0;
        quint16 spriteId = 0;
    };
    std::vector<TagStream> streams_; // [0] the movie, then open sprites
    QRect stage_;
    double fps_;
    int version_;
};

} // namespace movie::writer
