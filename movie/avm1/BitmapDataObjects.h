#pragma once

#include "movie/avm1/Object.h"
#include "movie/format/BitmapPixels.h"

#include <memory>

namespace movie::avm1 {

// A BitmapData object's native part: its pixels, shared with the clips
// that show them.
struct BitmapDataState : NativeState {
    std::shared_ptr<BitmapPixels> pixels;
};

// The pixels of a BitmapData value; null for any other value.
inline std::shared_ptr<BitmapPixels> bitmapPixelsOf(const Value& v)
{
    const BitmapDataState* s = stateOf<BitmapDataState>(v.object());
    return s ? s->pixels : nullptr;
}

} // namespace movie::avm1
