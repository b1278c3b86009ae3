#include "movie/draw/LayerCache.h"

#include "movie/Limits.h"
#include "movie/draw/EditField.h"

#include <bit>

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
    if (!o.sprite || nesting > limits::kMaxNesting)
        return;
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

const QImage* LayerCache::find(const Key& key, QPoint& at)
{
    const auto [first, last] = entries_.equal_range(key.object);
    for (auto it = first; it != last; ++it) {
        if (it->second.key == key) {
            it->second.used = true;
            at = it->second.at;
            return &it->second.layer;
        }
    }
    return nullptr;
}

void LayerCache::store(const Key& key, const QImage& layer, QPoint at)
{
    const qint64 pixels = qint64(layer.width()) * layer.height();
    if (pixels_ + pixels > limits::kMaxCachedLayerPixels)
        return;
    pixels_ += pixels;
    entries_.emplace(key.object, Entry{key, layer, at, true});
}

void LayerCache::endFrame()
{
    for (auto it = entries_.begin(); it != entries_.end();) {
        if (it->second.used) {
            it->second.used = false;
            ++it;
        } else {
            pixels_ -= qint64(it->second.layer.width()) * it->second.layer.height();
            it = entries_.erase(it);
        }
    }
}

} // namespace movie
