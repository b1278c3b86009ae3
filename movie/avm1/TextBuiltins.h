#pragma once

#include "movie/avm1/Runtime.h"
#include "movie/draw/TextFormat.h"

namespace movie::avm1 {

// The TextFormat objects that text fields give and take: a new one holding
// `format` (attributes it lacks read as null), and the format an object
// holds (null for an object that is no TextFormat).
Object* newTextFormatObject(Runtime& rt, const TextFormat& format);
const TextFormat* textFormatOf(Object* object);

// TextFormat, TextField.StyleSheet and TextSnapshot, set up with TextField.
void installTextFormatBuiltins(Runtime& rt, Object* global);
void installStyleSheetBuiltins(Runtime& rt, Object* textField);
void installTextSnapshotBuiltins(Runtime& rt, Object* global);

} // namespace movie::avm1
