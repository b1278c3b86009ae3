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
// A built-in property read (and, with a setter, written) through natives;
// hidden and fixed. Without a setter, writes change nothing.
void defineAccessor(Runtime& rt, Object* on, const char* name, NativeFunction getter, NativeFunction setter = nullptr);

void installObjectBuiltins(Runtime& rt, Object* global); // Object, Function, global functions
void installArrayBuiltins(Runtime& rt, Object* global);  // Array
void installStringBuiltins(Runtime& rt, Object* global); // String
void installNumberBuiltins(Runtime& rt, Object* global); // Number, Boolean, Math
void installClipBuiltins(Runtime& rt, Object* global);   // MovieClip and the inert player objects

// Files beside the movie: XMLNode and XML; LoadVars; MovieClipLoader and
// the clip methods that load movies and variables.
void installXmlBuiltins(Runtime& rt, Object* global);
void installLoadVarsBuiltins(Runtime& rt, Object* global);
void installLoadingBuiltins(Runtime& rt, Object* global);

// What XML and LoadVars share: load(url) and sendAndLoad(url, target) of
// a file beside the movie, send() (which sends nothing), getBytesLoaded(),
// getBytesTotal(), addRequestHeader(), onLoad, contentType and loaded.
void defineDataLoading(Runtime& rt, Object* prototype);
// Their default onData: the loaded text given to the method `parse`
// (parseXML, decode), then onLoad(true); onLoad(false) when none came.
Value defaultOnData(Runtime& rt, NativeCall& c, const char* parse);
// "_level3" names level 3; -1 for another name.
int levelOfName(const QString& target);

// The array elements 0..length-1 of an object, as `apply` and `concat` read them.
std::vector<Value> arrayElements(Runtime& rt, Object* array);
qint64 arrayLength(Runtime& rt, Object* array);

} // namespace movie::avm1
