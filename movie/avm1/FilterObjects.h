#pragma once

#include "movie/avm1/Runtime.h"
#include "movie/format/Timeline.h"

#include <optional>

namespace movie::avm1 {

// The filter objects of flash.filters as the other built-ins use them.

// The filter a filter object stands for, as the renderer draws it; none
// for other values (and for filters it does not draw).
std::optional<Filter> filterOf(const Value& v);
// A new filter object of the class that draws `filter`.
Value newFilterObject(Runtime& rt, const Filter& filter);

} // namespace movie::avm1
