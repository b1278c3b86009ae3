#pragma once

#include "movie/Geometry.h"
#include "movie/writer/BitWriter.h"
#include "movie/writer/ShapeSpec.h"

#include <QByteArray>
#include <QColor>
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
    enum class Compression { None, Zlib };

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
        bool move = false;

        // A new character at a depth, or a change to what stands there.
        static Place add(quint16 depth, quint16 character) { Place p; p.depth = depth; p.character = character; return p; }
        static Place modify(quint16 depth) { Place p; p.depth = depth; p.move = true; return p; }
        Place& withMatrix(const Matrix& m) { matrix = m; return *this; }
        Place& withColor(const ColorTransform& cx) { colorTransform = cx; return *this; }
        Place& withRatio(quint16 r) { ratio = r; return *this; }
        Place& withClipDepth(quint16 d) { clipDepth = d; return *this; }
    };
    void placeObject(quint16 character, quint16 depth, const Matrix& m,
                     std::optional<ColorTransform> cx = std::nullopt); // PlaceObject (1)
    void placeObject2(const Place& p);
    void placeObject3(const Place& p);
    void removeObject(quint16 character, quint16 depth);
    void removeObject2(quint16 depth);
    void showFrame();
    void frameLabel(const QByteArray& label);
    void doAction(const QByteArray& actionBytes); // an End action is added
    void beginSprite(quint16 id);
    void endSprite();
    void tag(int code, const QByteArray& body);

    // The finished file: the End tag is added and the header filled in.
    QByteArray finish(Compression compression = Compression::None);

    static QByteArray encodeMatrix(const Matrix& m);
    static QByteArray encodeColorTransform(const ColorTransform& cx, bool withAlpha);

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
