#include "movie/draw/LayerCache.h"

#include "movie/Limits.h"
#include "movie/draw/EditField.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace movie {

namespace {

void mix(quint64& h, quint64 v) { h = (h ^ v) * 0x100000001b3ULL + (h >> 29); }
void mix(quint64& h, double v) { mix(h, std::bit_cast<quint64>(v)); }
void mix(quint64& h, const void* p) { mix(h, static_cast<quint64>(reinterpret_cast<quintptr>(p))); }

void mixObject(quint64& h, const DisplayObject& o, int nesting)
{
    mix(h,
        quint64(o.characterId) | quint64(o.ratio) << 16 | quint64(o.clipDepth) << 32 | quint64(o.blendMode) << 48
            | quint64(o.visible) << 56 | quint64(o.cacheAsBitmap) << 57);
    if (nesting > 0) {
        for (double v : {o.matrix.a, o.matrix.b, o.matrix.c, o.matrix.d, o.matrix.tx, o.matrix.ty})
            mix(h, v);
        for (double v : {o.colorTransform.rm, o.colorTransform.gm, o.colorTransform.bm, o.colorTransform.am,
                         o.colorTransform.ra, o.colorTransform.ga, o.colorTransform.ba, o.colorTransform.aa})
            mix(h, v);
    }
    mix(h, o.character);
    mix(h, o.filters.get());
    if (o.field)
        mix(h, o.field->revision());
    mix(h, quint64(o.background.rgba()) | quint64(o.background.isValid()) << 32);
    if (o.scrollRect)
        for (double v : {o.scrollRect->x(), o.scrollRect->y(), o.scrollRect->width(), o.scrollRect->height()})
            mix(h, v);
    if (o.bitmap) {
        mix(h, o.bitmap.get());
        mix(h, o.bitmap->version() << 1 | quint64(o.smoothing));
    }
    if (!o.sprite || nesting > limits::kMaxNesting)
        return;
    if (o.sprite->drawing) {
        mix(h, o.sprite->drawing.get());
        mix(h, o.sprite->drawing->version());
    }
    mix(h, quint64(o.sprite->objects.size()) << 32 | quint32(o.sprite->frame));
    for (const auto& [depth, child] : o.sprite->objects) {
        mix(h, quint64(depth));
        mixObject(h, child, nesting + 1);
    }
}

} // namespace

quint64 LayerCache::signature(const DisplayObject& object, int nesting)
{
    quint64 h = 0xcbf29ce484222325ULL;
    mixObject(h, object, nesting);
    return h;
}

quint64 LayerCache::signature(const ColorTransform& cx)
{
    quint64 h = 0xcbf29ce484222325ULL;
    for (double v : {cx.rm, cx.gm, cx.bm, cx.am, cx.ra, cx.ga, cx.ba, cx.aa})
        mix(h, v);
    return h;
}

LayerCache::Placement LayerCache::placementOf(const QTransform& t)
{
    // Whole pixels of the offset, and 64ths of its fraction.
    constexpr double kReach = 1 << 24;
    Placement p;
    if (!(std::abs(t.dx()) < kReach && std::abs(t.dy()) < kReach) || t.type() == QTransform::TxProject)
        return p;
    const double x = std::round(t.dx() * 64) / 64, y = std::round(t.dy() * 64) / 64;
    const double wholeX = std::floor(x), wholeY = std::floor(y);
    p.offset = QPoint(static_cast<int>(wholeX), static_cast<int>(wholeY));
    p.rest = QTransform(t.m11(), t.m12(), t.m21(), t.m22(), x - wholeX, y - wholeY);
    p.valid = true;
    return p;
}

const QImage* LayerCache::find(const Key& key)
{
    const auto [first, last] = entries_.equal_range(key.owner);
    for (auto it = first; it != last; ++it) {
        if (it->second.key == key) {
            it->second.used = true;
            return &it->second.picture;
        }
    }
    return nullptr;
}

bool LayerCache::hasRoom(qint64 pixels) const { return pixels_ + pixels <= limits::kMaxCachedLayerPixels; }

void LayerCache::store(const Key& key, const QImage& picture, std::shared_ptr<const void> keep)
{
    const qint64 pixels = qint64(picture.width()) * picture.height();
    const auto [first, last] = entries_.equal_range(key.owner);
    auto it = std::find_if(first, last, [&](const auto& entry) { return entry.second.key == key; });
    const qint64 replaced = it == last ? 0 : qint64(it->second.picture.width()) * it->second.picture.height();
    if (pixels_ - replaced + pixels > limits::kMaxCachedLayerPixels)
        return;
    pixels_ += pixels - replaced;
    if (it == last)
        entries_.emplace(key.owner, Entry{key, picture, std::move(keep), true});
    else
        it->second = Entry{key, picture, std::move(keep), true};
}

void LayerCache::endFrame()
{
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.used) {
            it->second.used = false;
            ++it;
        } else {
            pixels_ -= qint64(it->second.picture.width()) * it->second.picture.height();
            it = entries_.erase(it);
        }
    }
}

} // namespace movie
