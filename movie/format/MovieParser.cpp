#include "movie/format/MovieParser.h"

#include "movie/Interruption.h"
#include "movie/Limits.h"
#include "movie/draw/Text.h"
#include "movie/format/Bitmap.h"
#include "movie/format/FileText.h"
#include "movie/format/Movie.h"
#include "movie/format/SwfReader.h"
#include "movie/format/TagCodes.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <utility>

namespace movie {

namespace {

// A filter list of PlaceObject3 or a button record, shared by the
// objects it places.
std::shared_ptr<const FilterList> readFilterList(SwfReader& r)
{
    return std::make_shared<const FilterList>(readFilters(r));
}

} // namespace

class MovieParser {
    static constexpr int kMaxDefinitionNesting = 8;

public:
    MovieParser(Movie& movie) : movie_(movie) {}

    // Reads tags into `timeline` until End or the data runs out. Sprites hold
    // control tags only, but definitions inside them are taken too, to a
    // bounded nesting, as lenient players do.
    void readTags(SwfReader& r, Timeline& timeline, int nesting)
    {
        Frame current;
        bool pending = false;
        int frameTags = 0;
        while (!r.atEnd()) {
            if (stopped_ || (++tagsRead_ % 1024 == 0 && interruptionRequested())) {
                stopped_ = true; // the reading is thrown away
                break;
            }
            if (tagsLeft_ <= 0) {
                if (!std::exchange(tagsCut_, true))
                    movie_.warnings_ << QStringLiteral("the movie holds more than %1 tags: the rest of the file is "
                                                       "left out")
                                            .arg(limits::kMaxMovieTags);
                break;
            }
            const quint16 codeAndLength = r.u16();
            const int code = codeAndLength >> 6;
            qsizetype length = codeAndLength & 0x3F;
            if (length == 0x3F)
                length = r.u32();
            if (r.overrun()) {
                noteDamage(QStringLiteral("a tag header is cut off"));
                break;
            }
            if (length > r.remaining()) {
                noteDamage(QStringLiteral("the last tag is cut off"));
                length = r.remaining();
            }
            SwfReader body = r.sub(length);
            if (code == tag::End) {
                timeline.ended = true;
                break;
            }
            if (code == tag::ShowFrame) {
                if (timeline.frameCount() < limits::kMaxFrames)
                    timeline.frames.push_back(std::move(current));
                timeline.shownFrames = timeline.frameCount();
                current = Frame{};
                pending = false;
                frameTags = 0;
                --tagsLeft_;
                continue;
            }
            if (frameTags < limits::kMaxFrameTags) {
                bool added = readControlTag(code, body, current);
                added = readSoundControlTag(code, body, timeline, current, movie_.sounds_) || added;
                if (added) {
                    ++frameTags;
                    --tagsLeft_;
                }
                pending = added || pending;
            } else if (!std::exchange(frameTagsCut_, true)) {
                movie_.warnings_ << QStringLiteral("a frame holds more than %1 tags: the rest of its tags are left out")
                                        .arg(limits::kMaxFrameTags);
            }
            if (nesting < kMaxDefinitionNesting)
                readDefinition(code, body, nesting);
        }
        // Commands after the last ShowFrame still make a frame: a cut-off
        // file shows what it placed.
        if ((pending || timeline.frames.empty()) && timeline.frameCount() < limits::kMaxFrames)
            timeline.frames.push_back(std::move(current));
    }

    void noteDamage(const QString& what)
    {
        if (movie_.damage_.isEmpty())
            movie_.damage_ = what;
    }

    qint64 pixelsUsed() const { return pixelsUsed_; }

    // A picture file: its picture, placed on the one frame.
    void readPictureFile(const QByteArray& bytes)
    {
        constexpr quint16 kId = 1;
        const QByteArray tag = QByteArray("\x01\x00", 2) + bytes; // the tag's character id first
        SwfReader r(tag);
        readPicture(tag::DefineBitsJPEG2, r);
        Frame frame;
        if (const Character* picture = movie_.character(kId)) {
            movie_.stage_ = picture->shape->bounds;
            FrameCommand c;
            c.place.hasCharacter = c.place.hasMatrix = true;
            c.place.characterId = kId;
            c.place.depth = 1;
            frame.commands.push_back(c);
        }
        movie_.root_.frames.push_back(std::move(frame));
        movie_.root_.declaredFrames = movie_.root_.shownFrames = 1;
        movie_.root_.ended = true;
    }

private:
    // The onClipEvent handlers of a PlaceObject2 or 3: a record per handler,
    // ended by one with no events.
    std::shared_ptr<const ClipActions> readClipActions(SwfReader& body)
    {
        const bool wide = movie_.version_ >= 6;
        auto flags = [&] { return wide ? body.u32() : quint32(body.u16()); };
        body.u16(); // reserved
        // A handler answers only the events also named in this union.
        const quint32 allEvents = flags();
        auto actions = std::make_shared<ClipActions>();
        while (!body.atEnd() && !body.overrun()) {
            const quint32 events = flags();
            if (events == 0 || body.overrun())
                break;
            qsizetype size = body.u32();
            ClipAction action;
            action.events = events & allEvents;
            if (wide && (events & (1u << 17)) && size > 0) { // key press: a key code first
                action.keyCode = body.u8();
                --size;
            }
            action.actions = body.bytes(size);
            if (body.overrun())
                break;
            actions->push_back(std::move(action));
        }
        if (actions->empty())
            return nullptr;
        return actions;
    }

    bool readControlTag(int code, SwfReader body, Frame& frame)
    {
        switch (code) {
        case tag::PlaceObject: {
            FrameCommand c;
            c.place.hasCharacter = true;
            c.place.characterId = body.u16();
            c.place.depth = body.u16();
            c.place.hasMatrix = true;
            c.place.matrix = readMatrix(body);
            if (body.overrun())
                return false;
            if (!body.atEnd()) {
                c.place.colorTransform = readColorTransform(body, false);
                c.place.hasColorTransform = !body.overrun();
            }
            frame.commands.push_back(c);
            return true;
        }
        case tag::PlaceObject2:
        case tag::PlaceObject3: {
            FrameCommand c;
            PlaceCommand& p = c.place;
            const quint8 flags = body.u8();
            quint8 more = 0;
            if (code == tag::PlaceObject3)
                more = body.u8();
            p.depth = body.u16();
            p.move = flags & 0x01;
            p.hasCharacter = flags & 0x02;
            // A class name only where its flag says so: the image flag alone
            // brings none in the files authoring tools write.
            if (code == tag::PlaceObject3 && (more & 0x08))
                body.string(); // class name
            if (p.hasCharacter)
                p.characterId = body.u16();
            if ((p.hasMatrix = flags & 0x04))
                p.matrix = readMatrix(body);
            if ((p.hasColorTransform = flags & 0x08))
                p.colorTransform = readColorTransform(body, true);
            if ((p.hasRatio = flags & 0x10))
                p.ratio = body.u16();
            if (flags & 0x20)
                p.name = decodeFileText(body.string(), movie_.version_);
            if ((p.hasClipDepth = flags & 0x40))
                p.clipDepth = body.u16();
            if (body.overrun())
                return false;
            if (code == tag::PlaceObject3) {
                if (more & 0x01) {
                    p.hasFilters = true;
                    p.filters = readFilterList(body);
                }
                if (more & 0x02) {
                    p.hasBlendMode = true;
                    p.blendMode = body.u8();
                }
                if (more & 0x04) {
                    p.hasCacheAsBitmap = true;
                    p.cacheAsBitmap = body.u8() != 0;
                }
                if (more & 0x20) {
                    p.hasVisible = true;
                    p.visible = body.u8() != 0;
                }
                if (more & 0x40) {
                    p.hasBackground = true;
                    p.background = readRgba(body);
                }
                if (body.overrun()) // a cut-off tail changes nothing
                    p.hasBlendMode = p.hasVisible = p.hasFilters = p.hasCacheAsBitmap = p.hasBackground = false;
            }
            if ((flags & 0x80) && !body.overrun())
                p.clipActions = readClipActions(body);
            frame.commands.push_back(c);
            return true;
        }
        case tag::RemoveObject:
        case tag::RemoveObject2: {
            FrameCommand c;
            c.kind = FrameCommand::Kind::Remove;
            if (code == tag::RemoveObject)
                body.u16();
            c.place.depth = body.u16();
            if (body.overrun())
                return false;
            frame.commands.push_back(c);
            return true;
        }
        case tag::DoAction: {
            FrameCommand c;
            c.kind = FrameCommand::Kind::Script;
            c.script = static_cast<int>(frame.scripts.size());
            frame.scripts.push_back(body.rest());
            frame.commands.push_back(c);
            return true;
        }
        case tag::DoInitAction: {
            const quint16 sprite = body.u16();
            if (body.overrun())
                return false;
            frame.initScripts.emplace_back(sprite, body.rest());
            return true;
        }
        case tag::FrameLabel:
            frame.label = body.string();
            return false;
        default:
            return false;
        }
    }

    void readDefinition(int code, SwfReader body, int nesting)
    {
        switch (code) {
        case tag::SetBackgroundColor:
            movie_.background_ = readRgb(body);
            break;
        case tag::DefineShape:
        case tag::DefineShape2:
        case tag::DefineShape3:
        case tag::DefineShape4: {
            const quint16 id = body.u16();
            if (defined(id) || !mayDraw())
                break;
            const int version = code == tag::DefineShape ? 1
                : code == tag::DefineShape2              ? 2
                : code == tag::DefineShape3              ? 3
                                                         : 4;
            auto shape = std::make_shared<ShapeDef>(readShape(body, version));
            if (body.overrun())
                noteDamage(QStringLiteral("shape %1 is cut off").arg(id));
            if (shape->edgesCut)
                movie_.warnings_ << QStringLiteral("shape %1 has more than %2 edges: the rest of them are left out")
                                        .arg(id)
                                        .arg(limits::kMaxShapeEdges);
            shape->resolveBitmaps(pictures());
            defineDrawing(id, std::move(shape));
            break;
        }
        case tag::JPEGTables:
            if (jpegTables_.isEmpty())
                jpegTables_ = body.rest();
            break;
        case tag::DefineMorphShape:
        case tag::DefineMorphShape2: {
            const quint16 id = body.u16();
            if (defined(id) || !mayDraw())
                break;
            auto morph = std::make_shared<MorphShapeDef>(readMorphShape(body, code == tag::DefineMorphShape ? 1 : 2));
            pathElementsLeft_ -= qint64(morph->startEdges.size() + morph->endEdges.size());
            morph->resolveBitmaps(pictures());
            define(id, Character{Character::Kind::Morph, nullptr, nullptr, std::move(morph)});
            break;
        }
        case tag::DefineFont:
        case tag::DefineFont2:
        case tag::DefineFont3: {
            const quint16 id = body.u16();
            if (movie_.fonts_.byId(id) || !mayDraw())
                break;
            const int version = code == tag::DefineFont ? 1 : code == tag::DefineFont2 ? 2 : 3;
            // Its glyphs are kept as the file's bytes and read as they are
            // first drawn, each within the edges of a shape.
            movie_.fonts_.add(id, readFont(body, version));
            readTextsAwaiting(id);
            break;
        }
        case tag::DefineText:
        case tag::DefineText2: {
            const quint16 id = body.u16();
            if (defined(id) || !mayDraw())
                break;
            AwaitingText text{id, code == tag::DefineText ? 1 : 2, body.rest(), {}};
            auto [shape, characters] = readStaticText(text);
            defineDrawing(id, std::move(shape), std::move(characters));
            if (!text.missingFonts.empty())
                textsAwaiting_.push_back(std::move(text));
            break;
        }
        case tag::DefineEditText: {
            const quint16 id = body.u16();
            if (defined(id) || !mayDraw())
                break;
            auto field = std::make_shared<EditTextDef>(readEditText(body, movie_.version_));
            if (field->textCut)
                movie_.warnings_ << QStringLiteral("the text of field %1 is cut to %2 characters")
                                        .arg(id)
                                        .arg(limits::kMaxFieldText);
            define(id,
                   Character{Character::Kind::EditText, nullptr, nullptr, nullptr, Character::ScriptKind::TextField,
                             std::move(field)});
            break;
        }
        case tag::DefineButton:
        case tag::DefineButton2:
            readButton(body, code == tag::DefineButton2);
            break;
        case tag::DefineButtonCxform: {
            const quint16 id = body.u16();
            const ColorTransform cx = readColorTransform(body, false);
            const auto it = buttons_.find(id);
            if (it != buttons_.end() && !body.overrun())
                for (FrameCommand& c : it->second->frames.front().commands)
                    c.place.colorTransform = cx, c.place.hasColorTransform = true;
            break;
        }
        case tag::CSMTextSettings: {
            // How a field's text is smoothed: kept for scripts to read.
            const quint16 id = body.u16();
            const quint8 flags = body.u8();
            const auto it = movie_.dictionary_.find(id);
            if (body.overrun() || it == movie_.dictionary_.end() || !it->second.editText)
                break;
            auto def = std::make_shared<EditTextDef>(*it->second.editText);
            def->advancedAntiAlias = (flags >> 6) == 1;
            def->gridFit = std::min((flags >> 3) & 7, 2);
            for (double* v : {&def->thickness, &def->sharpness}) {
                const auto f = std::bit_cast<float>(body.u32());
                *v = std::isfinite(f) ? f : 0;
            }
            it->second.editText = std::move(def);
            break;
        }
        case tag::DefineScalingGrid: {
            const quint16 id = body.u16();
            const QRectF grid = readRect(body);
            const Character* sprite = movie_.character(id);
            if (!body.overrun() && sprite && sprite->kind == Character::Kind::Sprite && grid.isValid())
                movie_.scalingGrids_.emplace(id, grid);
            break;
        }
        case tag::ExportAssets: {
            const int count = body.u16();
            for (int i = 0; i < count && !body.overrun(); ++i) {
                const quint16 id = body.u16();
                const QString name = decodeFileText(body.string(), movie_.version_);
                if (!body.overrun())
                    movie_.exports_.emplace_back(name, id);
            }
            break;
        }
        case tag::DefineSprite: {
            const quint16 id = body.u16();
            auto sprite = std::make_shared<Timeline>();
            sprite->declaredFrames = body.u16(); // the ShowFrame tags say how many there are
            sprite->byteSize = body.remaining();
            readTags(body, *sprite, nesting + 1);
            define(id, Character{Character::Kind::Sprite, nullptr, std::move(sprite), nullptr});
            break;
        }
        default:
            if (isBitmapTag(code))
                readPicture(code, body);
            else if (!movie_.sounds_.readDefinition(code, body, movie_.warnings_) && !isReadElsewhere(code))
                noteSkipped(code);
            break;
        }
    }

    // Tags the timeline readers take, and those that change nothing a
    // player shows or plays (protection, debugging, metadata, limits, tab
    // order, font copyright names).
    static bool isReadElsewhere(int code)
    {
        switch (code) {
        case tag::PlaceObject:
        case tag::PlaceObject2:
        case tag::PlaceObject3:
        case tag::RemoveObject:
        case tag::RemoveObject2:
        case tag::DoAction:
        case tag::DoInitAction:
        case tag::FrameLabel:
        case tag::StartSound:
        case tag::StartSound2:
        case tag::SoundStreamHead:
        case tag::SoundStreamHead2:
        case tag::SoundStreamBlock:
        case tag::Protect:
        case tag::EnableDebugger:
        case tag::EnableDebugger2:
        case tag::DebugId:
        case tag::ProductInfo:
        case tag::Metadata:
        case tag::FileAttributes:
        case tag::ScriptLimits:
        case tag::SetTabIndex:
        case tag::DefineFontName:
            return true;
        default:
            return false;
        }
    }

    // A tag this player does not use, noted once per kind.
    void noteSkipped(int code)
    {
        static const std::pair<int, const char*> names[] = {
            {tag::DefineFontInfo, "DefineFontInfo"},
            {tag::DefineFontInfo2, "DefineFontInfo2"},
            {tag::DefineFontAlignZones, "DefineFontAlignZones"},
            {tag::CSMTextSettings, "CSMTextSettings"},
            {tag::DefineFont4, "DefineFont4"},
            {tag::DefineVideoStream, "DefineVideoStream"},
            {tag::VideoFrame, "VideoFrame"},
            {tag::ImportAssets, "ImportAssets"},
            {tag::ImportAssets2, "ImportAssets2"},
            {tag::DoAbcDefine, "DoABC"},
            {tag::DoABC, "DoABC"},
            {tag::DefineBinaryData, "DefineBinaryData"},
            {tag::DefineSceneAndFrameLabelData, "DefineSceneAndFrameLabelData"},
        };
        QString name = QStringLiteral("tag %1").arg(code);
        for (const auto& [known, text] : names)
            if (known == code)
                name = QStringLiteral("%1 (tag %2)").arg(QLatin1String(text)).arg(code);
        const QString warning = QStringLiteral("skipped: %1").arg(name);
        if (!movie_.skippedTags_.contains(warning))
            movie_.skippedTags_ << warning;
    }

    // A picture is decoded once here. One that cannot be used draws
    // nothing and is noted; the movie plays on.
    void readPicture(int code, SwfReader& body)
    {
        const quint16 id = body.u16();
        if (movie_.dictionary_.count(id) || bitmaps_.count(id))
            return;
        BitmapBudget budget;
        budget.maxSide = limits::kMaxBitmapSide;
        budget.maxPixels = movie_.pixelBudget_ - pixelsUsed_;
        BitmapResult result = readBitmap(code, body, jpegTables_, budget);
        if (result.image.isNull()) {
            movie_.warnings_ << QStringLiteral("picture %1 is not shown: %2").arg(id).arg(result.error);
            return;
        }
        pixelsUsed_ += qint64(result.image.width()) * result.image.height();
        bitmaps_.emplace(id, result.image);
        // Placed on its own, a picture stands with its top-left corner at
        // the origin, a pixel to 20 twips.
        const QRectF area(0, 0, result.image.width() * 20.0, result.image.height() * 20.0);
        auto shape = std::make_shared<ShapeDef>();
        shape->bounds = area;
        ShapeLayer::Fill fill;
        fill.style.kind = FillStyle::Kind::Bitmap;
        fill.style.bitmapId = id;
        fill.style.repeating = false;
        fill.style.matrix = QTransform::fromScale(20, 20);
        fill.path.addRect(area);
        ShapeLayer layer;
        layer.fills.push_back(std::move(fill));
        shape->layers.push_back(std::move(layer));
        shape->resolveBitmaps(pictures());
        defineShape(id, std::move(shape));
    }

    // The normal (up) state of a button, as a sprite of one frame.
    void readButton(SwfReader& body, bool second)
    {
        const quint16 id = body.u16();
        if (second) {
            body.u8();  // track as menu
            body.u16(); // offset of the actions
        }
        auto timeline = std::make_shared<Timeline>();
        Frame frame;
        while (!body.overrun()) {
            const quint8 flags = body.u8();
            if (flags == 0 || body.overrun())
                break;
            FrameCommand c;
            c.place.hasCharacter = true;
            c.place.characterId = body.u16();
            c.place.depth = body.u16();
            c.place.hasMatrix = true;
            c.place.matrix = readMatrix(body);
            if (second) {
                c.place.colorTransform = readColorTransform(body, true);
                c.place.hasColorTransform = true;
                if (flags & 0x10) {
                    c.place.hasFilters = true;
                    c.place.filters = readFilterList(body);
                }
                if (flags & 0x20) {
                    c.place.hasBlendMode = true;
                    c.place.blendMode = body.u8();
                }
            }
            if (!body.overrun() && (flags & 0x01))
                frame.commands.push_back(c);
        }
        timeline->frames.push_back(std::move(frame));
        buttons_.emplace(id, timeline);
        define(
            id,
            Character{Character::Kind::Sprite, nullptr, std::move(timeline), nullptr, Character::ScriptKind::Button});
    }

    std::function<QImage(quint16)> pictures() const
    {
        return [this](quint16 id) {
            const auto it = bitmaps_.find(id);
            return it == bitmaps_.end() ? QImage() : it->second;
        };
    }

    // Whether a drawing (a shape, morph, text, field or font) is read: none
    // once those read so far hold all the path elements a movie may keep.
    // The first definition of an id stands, so a later one is not read.
    bool mayDraw()
    {
        if (pathElementsLeft_ > 0)
            return true;
        if (!std::exchange(drawingsCut_, true))
            movie_.warnings_ << QStringLiteral("the movie's drawings hold more than %1 path elements: no more "
                                               "are read")
                                    .arg(limits::kMaxPathElements);
        return false;
    }
    bool defined(quint16 id) const { return movie_.dictionary_.count(id) > 0; }

    // A static text may name a font the file defines after it: the player
    // finds the font when the text is shown, so such a text is read again
    // as each font it lacks arrives.
    struct AwaitingText {
        quint16 id;
        int version;
        QByteArray body; // after the character id
        std::vector<quint16> missingFonts;
    };
    std::vector<AwaitingText> textsAwaiting_;

    std::pair<std::shared_ptr<ShapeDef>, QString> readStaticText(AwaitingText& text)
    {
        text.missingFonts.clear();
        auto lookup = [&](quint16 font) {
            const FontDef* found = movie_.fonts_.byId(font);
            if (!found
                && std::find(text.missingFonts.begin(), text.missingFonts.end(), font) == text.missingFonts.end())
                text.missingFonts.push_back(font);
            return found;
        };
        SwfReader body(text.body);
        QString characters;
        auto shape = std::make_shared<ShapeDef>(readText(body, text.version, lookup, &characters));
        return {std::move(shape), std::move(characters)};
    }

    void readTextsAwaiting(quint16 font)
    {
        for (auto it = textsAwaiting_.begin(); it != textsAwaiting_.end();) {
            const auto& missing = it->missingFonts;
            if (std::find(missing.begin(), missing.end(), font) == missing.end() || !mayDraw()) {
                ++it;
                continue;
            }
            auto [shape, characters] = readStaticText(*it);
            Character& c = movie_.dictionary_.at(it->id);
            c.shape = shape;
            c.staticText = std::move(characters);
            chargePathElements(*shape);
            it = it->missingFonts.empty() ? textsAwaiting_.erase(it) : it + 1;
        }
    }

    void chargePathElements(const ShapeDef& shape)
    {
        for (const ShapeLayer& layer : shape.layers) {
            for (const ShapeLayer::Fill& fill : layer.fills)
                pathElementsLeft_ -= fill.path.elementCount();
            for (const ShapeLayer::Stroke& stroke : layer.strokes)
                pathElementsLeft_ -= stroke.path.elementCount();
        }
    }

    // A shape or static text read (with the characters of a text): its
    // path elements count against the movie's.
    void defineDrawing(quint16 id, std::shared_ptr<ShapeDef> shape, QString staticText = {})
    {
        chargePathElements(*shape);
        define(id,
               Character{Character::Kind::Shape, std::move(shape), nullptr, nullptr, Character::ScriptKind::Plain,
                         nullptr, std::move(staticText)});
    }

    void defineShape(quint16 id, std::shared_ptr<ShapeDef> shape)
    {
        define(id, Character{Character::Kind::Shape, std::move(shape), nullptr, nullptr});
    }

    void define(quint16 id, Character c)
    {
        // The first definition of an id stands, as in the players of the time.
        movie_.dictionary_.emplace(id, std::move(c));
    }

    Movie& movie_;
    int tagsLeft_ = limits::kMaxMovieTags;
    int tagsRead_ = 0;
    bool stopped_ = false;
    qint64 pathElementsLeft_ = limits::kMaxPathElements;
    bool tagsCut_ = false, frameTagsCut_ = false, drawingsCut_ = false; // each noted once
    qint64 pixelsUsed_ = 0;
    QByteArray jpegTables_;
    std::unordered_map<quint16, QImage> bitmaps_;
    std::unordered_map<quint16, std::shared_ptr<Timeline>> buttons_;
};

void parseMovieTags(Movie& movie, SwfReader& body, bool containerTruncated)
{
    MovieParser parser(movie);
    movie.root_.declaredFrames = movie.declaredFrames_;
    if (containerTruncated)
        parser.noteDamage(QStringLiteral("the file is shorter than its header says"));
    parser.readTags(body, movie.root_, 0);
    movie.pixels_ = parser.pixelsUsed();
}

void parsePictureFile(Movie& movie, const QByteArray& bytes)
{
    MovieParser parser(movie);
    parser.readPictureFile(bytes);
    movie.pixels_ = parser.pixelsUsed();
}

} // namespace movie
