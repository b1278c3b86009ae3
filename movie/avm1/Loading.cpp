// Files beside the movie: the requests scripts make (loadMovie,
// loadVariables, unloadMovie, XML and LoadVars loads, MovieClipLoader) and
// their completion at the start of a later step, as the player loads files.

#include "movie/DisplayList.h"
#include "movie/Limits.h"
#include "movie/avm1/Builtins.h"
#include "movie/avm1/NumberText.h"
#include "movie/avm1/UrlText.h"
#include "movie/format/FileText.h"

#include <QStringDecoder>

namespace movie::avm1 {

namespace {

// GetURL2's flags.
enum UrlFlag : quint8 { LoadVariables = 0x80, LoadIntoClip = 0x40 };

// A loaded text file: UTF-16 or UTF-8 by its byte order mark, else as the
// movie's own texts are stored.
QString loadedText(const QByteArray& bytes, int version)
{
    if (bytes.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(bytes.mid(3));
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        QStringDecoder decoder(QStringDecoder::Utf16);
        return decoder(bytes);
    }
    return decodeFileText(bytes, version);
}

} // namespace

int levelOfName(const QString& target)
{
    if (!target.startsWith(QLatin1String("_level"), Qt::CaseInsensitive) || target.size() == 6)
        return -1;
    const qint32 level = levelNumber(QStringView(target).mid(6));
    return level >= 0 ? level : -1;
}

bool Runtime::requestLoad(const LoadRequest& request)
{
    if (qsizetype(loads_.size()) >= limits::kMaxPendingLoads) {
        warn(QStringLiteral("not loaded: %1 (too many files wait to load)").arg(request.url));
        return false;
    }
    loads_.push_back(request);
    return true;
}

void Runtime::urlAction(Activation& a, const QString& url, const Value& target, quint8 flags)
{
    LoadRequest request;
    request.url = url;
    request.level = target.isObject() ? -1 : levelOfName(toString(target));
    if (request.level < 0) {
        if (!(flags & (LoadVariables | LoadIntoClip))) {
            // A browser window: a web page, which a title preview never opens.
            if (!url.isEmpty())
                warn(QStringLiteral("does nothing here: getURL"));
            return;
        }
        auto clip = targetClip(a, target);
        if (!clip)
            return;
        request.target = clipObject(*clip);
    }
    request.kind = (flags & LoadVariables) ? LoadRequest::Kind::Variables
        : url.isEmpty()                    ? LoadRequest::Kind::Unload
                                           : LoadRequest::Kind::Movie;
    requestLoad(request);
}

void Runtime::runLoads()
{
    if (loads_.empty())
        return;
    // Loads asked for while these complete wait for the next step.
    const auto due = std::min<qsizetype>(qsizetype(loads_.size()), limits::kMaxLoadsPerStep);
    std::vector<LoadRequest> now(loads_.begin(), loads_.begin() + due);
    loads_.erase(loads_.begin(), loads_.begin() + due);
    std::vector<std::pair<Object*, Object*>> initialized; // loader, loaded clip
    auto broadcast = [this](Object* loader, const QString& event, std::vector<Value> args) {
        args.insert(args.begin(), Value(event));
        callMethod(Value(loader), QStringLiteral("broadcastMessage"), args);
    };
    for (const LoadRequest& r : now) {
        try {
            QString why;
            const qsizetype limit =
                r.kind == LoadRequest::Kind::Movie ? limits::kMaxFileBytes : limits::kMaxLoadedTextBytes;
            std::optional<QByteArray> bytes;
            if (r.kind != LoadRequest::Kind::Unload) {
                bytes = host_.readFile(r.url, limit, why);
                if (!bytes)
                    warn(QStringLiteral("not loaded: %1 (%2)").arg(r.url, why));
            }
            if (r.kind == LoadRequest::Kind::Data) {
                if (bytes) {
                    define(r.target, QStringLiteral("_bytesLoaded"), Value(double(bytes->size())), DontEnum);
                    define(r.target, QStringLiteral("_bytesTotal"), Value(double(bytes->size())), DontEnum);
                }
                const Value data = bytes ? Value(loadedText(*bytes, version_)) : Value();
                callMethod(Value(r.target), QStringLiteral("onData"), std::span<const Value>(&data, 1));
                continue;
            }
            auto clip = r.target ? clipOf(r.target) : nullptr;
            if (r.target && !clip)
                continue; // the clip went away meanwhile
            SpriteInstance* at = clip ? clip.get() : host_.level(r.level);
            if (r.kind == LoadRequest::Kind::Unload) {
                host_.unloadMovie(clip.get(), r.level);
            } else if (r.kind == LoadRequest::Kind::Variables) {
                if (!bytes || !at)
                    continue;
                Object* o = clipObject(*at);
                for (const auto& [name, value] : urlVariables(loadedText(*bytes, version_))) {
                    spend();
                    set(o, name, Value(value));
                }
                dispatchEvent(*at, ClipAction::Data, "onData");
            } else {
                SpriteInstance* loaded = bytes ? host_.loadMovie(*bytes, r.url, clip.get(), r.level, why) : nullptr;
                if (bytes && !loaded)
                    warn(QStringLiteral("not loaded: %1 (%2)").arg(r.url, why));
                if (!r.loader)
                    continue;
                if (!loaded) {
                    const Value target = at ? Value(clipObject(*at)) : Value();
                    broadcast(
                        r.loader, QStringLiteral("onLoadError"),
                        {target, Value(QString::fromLatin1(bytes ? "LoadNeverCompleted" : "URLNotFound")), Value(0)});
                    continue;
                }
                Object* o = clipObject(*loaded);
                const double size = host_.bytesTotal(*loaded);
                broadcast(r.loader, QStringLiteral("onLoadStart"), {Value(o)});
                broadcast(r.loader, QStringLiteral("onLoadProgress"), {Value(o), Value(size), Value(size)});
                broadcast(r.loader, QStringLiteral("onLoadComplete"), {Value(o), Value(0)});
                initialized.emplace_back(r.loader, o);
            }
        } catch (const ScriptThrow&) {
            // an uncaught throw ends the handler, nothing more
        } catch (const ScriptAbort&) {
            aborted_ = true;
        }
    }
    // A loaded movie is initialized once its first frame's scripts ran.
    runQueue();
    for (const auto& [loader, clip] : initialized) {
        try {
            broadcast(loader, QStringLiteral("onLoadInit"), {Value(clip)});
        } catch (const ScriptThrow&) {
        } catch (const ScriptAbort&) {
            aborted_ = true;
        }
    }
}

SpriteInstance* Runtime::rootClip(SpriteInstance* clip)
{
    const QString lock = key(QStringLiteral("_lockroot"));
    SpriteInstance* at = clip;
    for (int guard = 0; at && guard <= limits::kMaxNesting + 1; ++guard) {
        auto parent = at->parent.lock();
        if (!parent)
            return at;
        if (at->object)
            if (const Property* p = at->object->properties.find(lock); p && !p->isVirtual() && toBoolean(p->value))
                return at;
        at = parent.get();
    }
    return rootOf(at);
}

} // namespace movie::avm1
