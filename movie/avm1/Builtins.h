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
// Built-in properties read and written through native functions (a null
// setter makes one read-only), hidden from for..in.
struct AccessorSpec {
    const char* name;
    NativeFunction get;
    NativeFunction set = nullptr;
    quint8 minVersion = 0;
};
void defineAccessors(Runtime& rt, Object* on, std::initializer_list<AccessorSpec> accessors);
// The package object flash.NAME (flash.geom, ...), made with `flash` on
// first need; files of version 8 and later see them.
Object* flashPackage(Runtime& rt, Object* global, const char* name);

void installObjectBuiltins(Runtime& rt, Object* global); // Object, Function, global functions
void installArrayBuiltins(Runtime& rt, Object* global);  // Array
void installStringBuiltins(Runtime& rt, Object* global); // String
void installNumberBuiltins(Runtime& rt, Object* global); // Number, Boolean, Math
void installClipBuiltins(Runtime& rt, Object* global);   // MovieClip and the inert player objects
void installTimerBuiltins(Runtime& rt, Object* global);  // setInterval, setTimeout and their clearing
void installColorBuiltins(Runtime& rt, Object* global);  // Color
void installSoundBuiltins(Runtime& rt, Object* global);  // Sound
// AsBroadcaster, and the player's broadcasters Key, Mouse, Stage and Selection.
void installBroadcasterBuiltins(Runtime& rt, Object* global);
// The clip methods of geometry: bounds, coordinates, hit tests, masks; Button.
void installClipGeometryBuiltins(Runtime& rt, Object* global);
void installSystemBuiltins(Runtime& rt, Object* global);    // System and its capabilities
void installTextFieldBuiltins(Runtime& rt, Object* global); // TextField, TextFormat, createTextField
void installSelectionBuiltins(Runtime& rt, Object* global); // Selection: the focus scripts set

// Makes `o` a broadcaster, as AsBroadcaster.initialize does: the methods
// addListener, removeListener and broadcastMessage, and an empty _listeners;
// a text field (`listensToItself`) starts as its own first listener.
void initializeBroadcaster(Runtime& rt, Object* o, bool listensToItself = false);
// Calls `message` on every listener of broadcaster `o`, with `args`.
void broadcast(Runtime& rt, Object* o, const QString& message, std::span<const Value> args = {});

// flash.geom, flash.filters, flash.display.BitmapData, and the drawing API
// and display settings of clips.
void installGeomBuiltins(Runtime& rt, Object* global);
void installFilterBuiltins(Runtime& rt, Object* global);
void installBitmapDataBuiltins(Runtime& rt, Object* global);
void installDrawingBuiltins(Runtime& rt, Object* global);
void installTabOrderBuiltins(Runtime& rt, Object* global); // tabIndex of clips and buttons

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

// The clip a clip method runs on (null when `this` is none), and where it
// stands in its parent or on the stage.
std::shared_ptr<SpriteInstance> thisClip(Runtime& rt, NativeCall& c);
DisplayObject* thisPlacement(Runtime& rt, NativeCall& c);

// The array elements 0..length-1 of an object, as `apply` and `concat` read them.
std::vector<Value> arrayElements(Runtime& rt, Object* array);
qint64 arrayLength(Runtime& rt, Object* array);

} // namespace movie::avm1
