#include "movie/Movie.h"

#include "movie/Actions.h"
#include "movie/Container.h"
#include "movie/Limits.h"
#include "movie/MovieError.h"
#include "movie/SwfReader.h"

#include <QDir>
#include <QFile>
#include <cmath>

namespace movie {

namespace {
enum Tag : int {
    End = 0,
    ShowFrame = 1,
    DefineShape = 2,
    PlaceObject = 4,
    RemoveObject = 5,
    SetBackgroundColor = 9,
    DoAction = 12,
    DefineShape2 = 22,
    PlaceObject2 = 26,
    RemoveObject2 = 28,
    DefineShape3 = 32,
    DefineSprite = 39,
    FrameLabel = 43,
    PlaceObject3 = 70,
    DefineShape4 = 83,
};
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
        while (!r.atEnd()) {
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
            if (code == End)
                break;
            if (code == ShowFrame) {
                if (timeline.frameCount() < limits::kMaxFrames)
                    timeline.frames.push_back(std::move(current));
                current = Frame{};
                pending = false;
                continue;
            }
            pending = readControlTag(code, body, current) || pending;
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

private:
    bool readControlTag(int code, SwfReader body, Frame& frame)
    {
        switch (code) {
        case PlaceObject: {
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
        case PlaceObject2:
        case PlaceObject3: {
            FrameCommand c;
            PlaceCommand& p = c.place;
            const quint8 flags = body.u8();
            quint8 more = 0;
            if (code == PlaceObject3)
                more = body.u8();
            p.depth = body.u16();
            p.move = flags & 0x01;
            p.hasCharacter = flags & 0x02;
            if (code == PlaceObject3 && ((more & 0x08) || ((more & 0x10) && p.hasCharacter)))
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
                body.string(); // instance name
            if ((p.hasClipDepth = flags & 0x40))
                p.clipDepth = body.u16();
            // Filters, blend modes and clip actions that follow are not used.
            if (body.overrun())
                return false;
            frame.commands.push_back(c);
            return true;
        }
        case RemoveObject:
        case RemoveObject2: {
            FrameCommand c;
            c.kind = FrameCommand::Kind::Remove;
            if (code == RemoveObject)
                body.u16();
            c.place.depth = body.u16();
            if (body.overrun())
                return false;
            frame.commands.push_back(c);
            return true;
        }
        case DoAction: {
            ActionList actions = readActions(body);
            if (actions.empty())
                return false;
            frame.scripts.push_back(std::move(actions));
            return true;
        }
        case FrameLabel:
            frame.label = body.string();
            return false;
        default:
            return false;
        }
    }

    void readDefinition(int code, SwfReader body, int nesting)
    {
        switch (code) {
        case SetBackgroundColor:
            movie_.background_ = readRgb(body);
            break;
        case DefineShape:
        case DefineShape2:
        case DefineShape3:
        case DefineShape4: {
            const quint16 id = body.u16();
            const int version = code == DefineShape ? 1 : code == DefineShape2 ? 2 : code == DefineShape3 ? 3 : 4;
            auto shape = std::make_shared<ShapeDef>(readShape(body, version));
            if (body.overrun())
                noteDamage(QStringLiteral("shape %1 is cut off").arg(id));
            define(id, Character{Character::Kind::Shape, std::move(shape), nullptr});
            break;
        }
        case DefineSprite: {
            const quint16 id = body.u16();
            body.u16(); // frame count: the ShowFrame tags say it
            auto sprite = std::make_shared<Timeline>();
            readTags(body, *sprite, nesting + 1);
            define(id, Character{Character::Kind::Sprite, nullptr, std::move(sprite)});
            break;
        }
        default:
            break;
        }
    }

    void define(quint16 id, Character c)
    {
        // The first definition of an id stands, as in the players of the time.
        movie_.dictionary_.emplace(id, std::move(c));
    }

    Movie& movie_;
};

std::shared_ptr<const Movie> Movie::load(const QString& path)
{
    const QString name = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw MovieError(QStringLiteral("%1 cannot be opened: %2").arg(name, file.errorString()));
    if (file.size() > limits::kMaxFileBytes)
        throw MovieError(QStringLiteral("%1 is too large for a title movie").arg(name));
    return fromBytes(file.readAll(), name);
}

std::shared_ptr<const Movie> Movie::fromBytes(const QByteArray& bytes, const QString& name)
{
    const ContainerBody container = openContainer(bytes, name);
    auto movie = std::make_shared<Movie>();
    movie->version_ = container.version;
    MovieParser parser(*movie);
    if (container.truncated)
        parser.noteDamage(QStringLiteral("the file is shorter than its header says"));

    SwfReader r(container.body);
    movie->stage_ = readRect(r);
    const quint16 rate = r.u16();
    movie->declaredFrames_ = r.u16();
    if (r.overrun())
        throw MovieError(QStringLiteral("%1 is damaged: its header is incomplete").arg(name));
    const QRectF& stage = movie->stage_;
    if (!(stage.width() > 0 && stage.height() > 0))
        throw MovieError(QStringLiteral("%1 is damaged: its stage has no size").arg(name));
    movie->frameRate_ = rate / 256.0;

    parser.readTags(r, movie->root_, 0);
    return movie;
}

QSize Movie::stageSizePixels() const
{
    return QSize(static_cast<int>(std::ceil(stage_.width() / 20.0)), static_cast<int>(std::ceil(stage_.height() / 20.0)));
}

const Character* Movie::character(quint16 id) const
{
    const auto it = dictionary_.find(id);
    return it == dictionary_.end() ? nullptr : &it->second;
}

} // namespace movie
