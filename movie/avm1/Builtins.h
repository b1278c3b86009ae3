#pragma once

#include "movie/avm1/Runtime.h"

#include <initializer_list>

namespace movie::avm1 {

// The built-in objects scripts find in the global object, each area in its
// own file. Built-in methods are hidden from for..in and cannot be deleted.
struct MethodSpec {
    const char* name;
    NativeFunction fn;
    quint8 minVersion = 0; // hidden from files older than this
};
void defineMethods(Runtime& rt, Object* on, std::initializer_list<MethodSpec> methods);
// A built-in constant: hidden, fixed and read-only.
void defineConstant(Runtime& rt, Object* on, const char* name, const Value& value);

void installObjectBuiltins(Runtime& rt, Object* global);    // Object, Function, global functions
void installArrayBuiltins(Runtime& rt, Object* global);     // Array
void installStringBuiltins(Runtime& rt, Object* global);    // String
void installNumberBuiltins(Runtime& rt, Object* global);    // Number, Boolean, Math
void installClipBuiltins(Runtime& rt, Object* global);      // MovieClip and the inert player objects
void installTextFieldBuiltins(Runtime& rt, Object* global); // TextField, TextFormat, createTextField
void installSelectionBuiltins(Runtime& rt, Object* global); // Selection: the focus scripts set

// The array elements 0..length-1 of an object, as `apply` and `concat` read them.
std::vector<Value> arrayElements(Runtime& rt, Object* array);
qint64 arrayLength(Runtime& rt, Object* array);

} // namespace movie::avm1
