#pragma once

#include <QtGlobal>

namespace movie::limits {

// Bounds that keep a damaged or hostile movie from exhausting memory or time.
constexpr qsizetype kMaxFileBytes = 64 * 1024 * 1024;
constexpr qsizetype kMaxBodyBytes = 64 * 1024 * 1024; // after decompression
constexpr int kMaxFrames = 16000;                     // per timeline, as players allow
constexpr int kMaxNesting = 32;                       // sprites within sprites
constexpr int kMaxInstances = 20000;                  // live sprite instances of a player
constexpr int kMaxDrawnObjects = 100000;              // display objects drawn for one frame
constexpr int kMaxWorkPerStep = 100000;               // instances made, frames and commands applied, actions run
                                                      // in one step of a player (or its start)
constexpr qint64 kMaxCoordinate = qint64(1) << 26;    // twips a shape's pen may go from the origin
// Pictures: a side, and the pixels of all pictures of a movie (a title of
// 1024 x 1024 with a few large photos fits).
constexpr int kMaxBitmapSide = 8192;
constexpr qint64 kMaxBitmapPixelsTotal = 64 * 1024 * 1024;
// Filters: how many one object may have, a blur in stage pixels (as the
// authoring tools allow), box blurs in a row, a convolution kernel's side,
// and how far a filter may reach on the device, in pixels.
constexpr int kMaxFilters = 16;
constexpr double kMaxBlur = 255;
constexpr int kMaxFilterPasses = 15;
constexpr int kMaxKernelSide = 15;
constexpr int kMaxFilterReach = 1024;
// Edit fields: styles nested in their HTML, and the typefaces one field
// may use.
constexpr int kMaxHtmlNesting = 32;
constexpr int kMaxFieldTypefaces = 32;
// The glyphs one field draws; the rest of its text is measured, not drawn.
constexpr int kMaxFieldGlyphs = 100000;
// Pictures an object is drawn into first (filters, blend modes): their side
// in device pixels, and how deeply they may nest.
constexpr int kMaxLayerSide = 8192;
constexpr int kMaxLayerNesting = 8;
// Pixels of such pictures kept from one frame for the next.
constexpr qint64 kMaxCachedLayerPixels = 16 * 1024 * 1024;

// Scripts: work (actions run, elements a built-in walks) in one step of a
// player or its start, levels of calls, the longest string, the most
// elements a built-in makes or walks, values on the stack, live objects.
constexpr qint64 kMaxScriptWorkPerStep = 1000000;
constexpr int kMaxCallDepth = 256;
constexpr qsizetype kMaxStringLength = 1 << 22;
constexpr qint64 kMaxArrayLength = 1 << 20;
constexpr qsizetype kMaxStackValues = 1 << 16;
constexpr qsizetype kMaxScriptObjects = 1 << 20;

} // namespace movie::limits
