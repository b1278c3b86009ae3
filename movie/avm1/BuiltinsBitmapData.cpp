// flash.display.BitmapData: pictures scripts make and change.

#include "movie/avm1/BitmapDataObjects.h"
#include "movie/avm1/Builtins.h"

namespace movie::avm1 {

void installBitmapDataBuiltins(Runtime&, Object*) {}

} // namespace movie::avm1
