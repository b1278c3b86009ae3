// tabIndex of clips and buttons: the place a script gives them in the
// order the Tab key would take. No key reaches a title; scripts read back
// what they set, as a whole number.

#include "movie/DisplayList.h"
#include "movie/avm1/Builtins.h"

#include <cmath>

namespace movie::avm1 {

namespace {

Value tabIndex(Runtime& rt, NativeCall& c)
{
    const DisplayObject* placed = thisPlacement(rt, c);
    return placed && placed->tabIndex ? Value(*placed->tabIndex) : Value();
}

Value setTabIndex(Runtime& rt, NativeCall& c)
{
    DisplayObject* placed = thisPlacement(rt, c);
    if (!placed)
        return {};
    if (c.arg(0).isUndefined()) {
        placed->tabIndex.reset();
        return {};
    }
    // The player truncates; what has no whole number in 32 bits (NaN too)
    // becomes the least one.
    const double n = rt.toNumber(c.arg(0));
    constexpr double kLeast = -2147483648.0;
    placed->tabIndex = std::isfinite(n) && n > kLeast - 1 && n < -kLeast ? qint32(n) : qint32(kLeast);
    return {};
}

} // namespace

void installTabOrderBuiltins(Runtime& rt, Object*)
{
    defineAccessors(rt, rt.protos.movieClip, {{"tabIndex", tabIndex, setTabIndex, 6}});
    // A button's is listed by for..in.
    defineAccessors(rt, rt.protos.button, {{"tabIndex", tabIndex, setTabIndex, 6}});
    rt.protos.button->properties.find(rt.key(QStringLiteral("tabIndex")))->attributes &= ~DontEnum;
}

} // namespace movie::avm1
