#pragma once

#include "movie/avm1/Value.h"

namespace movie::avm1 {

class Runtime;

// The comparison rules of the script language, by file version.

// `a == b` (Equals2).
bool looseEquals(Runtime& rt, const Value& a, const Value& b);
// `a === b` (StrictEquals); two clips are the same when their paths are.
bool strictEquals(Runtime& rt, const Value& a, const Value& b);
// `a < b` (Less2): true, false, or undefined when a number is NaN.
Value lessThan(Runtime& rt, const Value& a, const Value& b);
// `a + b` (Add2): strings join, anything else adds as numbers.
Value add(Runtime& rt, const Value& a, const Value& b);

} // namespace movie::avm1
