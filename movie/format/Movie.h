#pragma once

#include "movie/Limits.h"
#include "movie/draw/ShapeDef.h"
#include "movie/draw/Text.h"
#include "movie/format/MorphShape.h"
#include "movie/format/Timeline.h"
#include "movie/sound/SoundTags.h"

#include <QColor>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>
#include <memory>
#include <unordered_map>
#include <vector>

namespace movie {

// A defined character of the movie's dictionary. Pictures and static
// texts are read into shapes, buttons into one-frame sprites of their
// normal state; edit fields become live fields where they are placed.
struct Character {
    enum class Kind { Shape, Sprite, Morph, EditText };
    Kind kind = Kind::Shape;
    std::shared_ptr<const ShapeDef> shape;
    std::shared_ptr<const Timeline> sprite;
    std::shared_ptr<const MorphShapeDef> morph;
    // What scripts see: a text field, a button (played as a sprite).
    enum class ScriptKind : quint8 { Plain, TextField, Button };
    ScriptKind scriptKind = ScriptKind::Plain;
    std::shared_ptr<const EditTextDef> editText = nullptr;
    QString staticText = {}; // the characters of a static text
};

// A movie as read from its file: header, dictionary and main timeline.
// Read once, then shared read-only by any number of players.
class Movie {
public:
    // Throws MovieError when the file is missing, is not a movie or is
    // damaged beyond use. A damaged movie otherwise keeps what could be read.
    static std::shared_ptr<const Movie> load(const QString& path);
    // `name` stands for the file in error texts. Its pictures may hold
    // `maxPixels` pixels in all; those beyond are not shown.
    static std::shared_ptr<const Movie> fromBytes(const QByteArray& bytes, const QString& name,
                                                  qint64 maxPixels = limits::kMaxBitmapPixelsTotal);
    // A JPEG, PNG or GIF file as a movie of one frame that shows it at its
    // top-left corner, as players load pictures into clips; of version -1.
    // Throws MovieError when the picture cannot be decoded.
    static std::shared_ptr<const Movie> fromPicture(const QByteArray& bytes, const QString& name,
                                                    qint64 maxPixels = limits::kMaxBitmapPixelsTotal);

    int version() const { return version_; }
    QRectF stage() const { return stage_; } // twips
    QSize stageSizePixels() const;
    double frameRate() const { return frameRate_; }
    int declaredFrameCount() const { return declaredFrames_; }
    QColor background() const { return background_; }
    const Timeline& timeline() const { return root_; }
    const Character* character(quint16 id) const;
    // A sprite's 9-slice grid (twips): scaled, its corners keep their size
    // and its edges stretch one way only. Empty: none.
    QRectF scalingGrid(quint16 id) const;
    const SoundCatalog& sounds() const { return sounds_; }
    const FontSet& fonts() const { return fonts_; }
    // Empty for a sound movie, else what could not be read.
    const QString& damage() const { return damage_; }
    // Characters that could not be used and draw nothing, each with why;
    // the rest of the movie plays.
    const QStringList& warnings() const { return warnings_; }
    // The kinds of tags it holds that this player does not use (video,
    // font information, ...), each once.
    const QStringList& skippedTags() const { return skippedTags_; }
    // Symbols exported by name, for scripts that attach them by that name.
    const std::vector<std::pair<QString, quint16>>& exports() const { return exports_; }
    // The size of the file, as scripts ask for it.
    qint64 fileSize() const { return fileSize_; }
    // The pixels of its decoded pictures.
    qint64 pixelCount() const { return pixels_; }

private:
    friend class MovieParser;
    friend void parseMovieTags(Movie& movie, SwfReader& body, bool containerTruncated);
    friend void parsePictureFile(Movie& movie, const QByteArray& bytes);
    int version_ = 0;
    QRectF stage_;
    double frameRate_ = 12;
    int declaredFrames_ = 0;
    QColor background_ = Qt::white;
    Timeline root_;
    std::unordered_map<quint16, Character> dictionary_;
    std::unordered_map<quint16, QRectF> scalingGrids_;
    SoundCatalog sounds_;
    FontSet fonts_;
    QString damage_;
    QStringList warnings_;
    QStringList skippedTags_;
    std::vector<std::pair<QString, quint16>> exports_;
    qint64 fileSize_ = 0;
    qint64 pixelBudget_ = limits::kMaxBitmapPixelsTotal;
    qint64 pixels_ = 0;
};

} // namespace movie
