// Files the movie's scripts load beside it: movies and pictures in place of
// a clip's content or as levels, and the folder their names are found in.

#include "movie/Limits.h"
#include "movie/MovieError.h"
#include "movie/play/MoviePlayer.h"

namespace movie {

QStringList MoviePlayer::warnings() const
{
    QStringList all = movie_->skippedTags() + movie_->warnings();
    all += loadWarnings_;
    all += scripts_->warnings();
    return all;
}

std::optional<QByteArray> MoviePlayer::readFile(const QString& url, qsizetype maxBytes, QString& why)
{
    return folder_.read(url, maxBytes, why);
}

SpriteInstance* MoviePlayer::loadMovie(const QByteArray& bytes, const QString& url, SpriteInstance* clip, int level,
                                       QString& why)
{
    if (clip && !clip->parent.lock()) {
        level = clip->depth; // a level's own clip: the level
        clip = nullptr;
    }
    // Loaded movies share one budget of file bytes and pictures.
    qint64 bytesLive = 0, pixelsLive = 0;
    std::erase_if(loadedMovies_, [](const std::weak_ptr<const Movie>& m) { return m.expired(); });
    for (const auto& weak : loadedMovies_)
        if (const auto m = weak.lock()) {
            bytesLive += m->fileSize();
            pixelsLive += m->pixelCount();
        }
    // The file's own size first, before it is read at all; unpacked, its body.
    const auto full = [&](qint64 size) {
        if (bytesLive + size <= limits::kMaxBodyBytes)
            return false;
        why = QStringLiteral("the movies loaded before it fill what a title may load");
        return true;
    };
    if (full(bytes.size()))
        return nullptr;
    std::shared_ptr<const Movie> loaded;
    try {
        const bool movieFile = bytes.startsWith("FWS") || bytes.startsWith("CWS") || bytes.startsWith("ZWS");
        const qint64 pixels = limits::kMaxBitmapPixelsTotal - pixelsLive;
        loaded = movieFile ? Movie::fromBytes(bytes, url, pixels) : Movie::fromPicture(bytes, url, pixels);
    } catch (const MovieError& e) {
        why = e.text();
        return nullptr;
    }
    if (full(loaded->fileSize()))
        return nullptr;
    std::shared_ptr<SpriteInstance> fresh = newInstance(loaded->timeline(), clip ? clip->nesting : 0);
    if (!fresh) {
        why = QStringLiteral("the title has too many clips");
        return nullptr;
    }
    loadedMovies_.push_back(loaded);
    for (const QString& warning : loaded->skippedTags() + loaded->warnings())
        if (const QString text = url + QStringLiteral(": ") + warning; !loadWarnings_.contains(text))
            loadWarnings_ << text;
    fresh->movie = loaded;
    if (!putInPlace(fresh, clip, level)) {
        why = QStringLiteral("the clip it was to load into has gone");
        return nullptr;
    }
    scripts_->constructClip(*fresh, nullptr, false, false);
    runFrame(*fresh);
    return fresh.get();
}

void MoviePlayer::unloadMovie(SpriteInstance* clip, int level)
{
    auto parent = clip ? clip->parent.lock() : nullptr;
    if (clip && !parent) {
        level = clip->depth;
        clip = nullptr;
    }
    if (!clip && level != 0) {
        // Another level goes away.
        const auto it = stage_.objects.find(level);
        if (it == stage_.objects.end())
            return;
        const std::shared_ptr<SpriteInstance> old = it->second.sprite;
        stage_.objects.erase(it);
        ++version_;
        if (old)
            unload(*old);
        return;
    }
    // A clip, or level 0 (which a player always has), stays as an empty clip.
    std::shared_ptr<SpriteInstance> empty = newInstance(emptyTimeline_, clip ? clip->nesting : 0);
    if (!empty)
        return;
    empty->movie = parent ? parent->movie : movie_;
    empty->loaded = true; // nothing arrived: no load event
    if (putInPlace(empty, clip, level))
        scripts_->constructClip(*empty, nullptr, false, false);
}

bool MoviePlayer::putInPlace(const std::shared_ptr<SpriteInstance>& fresh, SpriteInstance* clip, int level)
{
    std::shared_ptr<SpriteInstance> old;
    if (clip) {
        DisplayObject* placed = placement(*clip);
        if (!placed)
            return false;
        old = placed->sprite;
        // The placement stays: where the clip stands, its name and its
        // onClipEvent handlers.
        fresh->parent = clip->parent;
        fresh->depth = clip->depth;
        fresh->clipActions = clip->clipActions;
        fresh->placedByScript = clip->placedByScript;
        fresh->transformedByScript = clip->transformedByScript;
        placed->sprite = fresh;
    } else {
        DisplayObject& placed = stage_.objects[level];
        placed.character = &container_;
        old = std::exchange(placed.sprite, fresh);
        fresh->depth = level;
        if (level == 0) {
            // A new level 0 takes every other level away.
            root_ = fresh;
            for (auto it = stage_.objects.begin(); it != stage_.objects.end();) {
                if (it->first != 0 && it->second.sprite)
                    unload(*it->second.sprite);
                it = it->first == 0 ? std::next(it) : stage_.objects.erase(it);
            }
        }
    }
    ++version_;
    enlist(*fresh);
    if (old)
        unload(*old);
    return true;
}

} // namespace movie
