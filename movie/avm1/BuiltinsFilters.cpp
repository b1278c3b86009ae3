// flash.filters: the filter classes and MovieClip.filters.

#include "movie/avm1/Builtins.h"

namespace movie::avm1 {

void installFilterBuiltins(Runtime&, Object*) {}

} // namespace movie::avm1
