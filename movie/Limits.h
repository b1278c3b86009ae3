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
// Tags: those a frame holds (placements, removals, scripts), and those all
// timelines of a movie hold together, each frame counting as one.
constexpr int kMaxFrameTags = 1 << 14;
constexpr int kMaxMovieTags = 1 << 18;
// Drawings: the edges one shape, glyph or morph is read with, and the path
// elements (a curve is three) all shapes, texts and fonts of a movie keep.
constexpr int kMaxShapeEdges = 1 << 17;
constexpr qint64 kMaxPathElements = qint64(1) << 21;
// Path elements up to which the union and meet of regions (a mask's shapes,
// masks within masks, a clipped picture fill) are worked out exactly: the
// cost grows with their square. Larger ones are worked out roughly.
constexpr int kMaxExactPathElements = 1 << 12;
constexpr int kMaxDrawingEdges = 200000; // edges a clip's scripts may draw into it
// Pictures: a side, and the pixels of all pictures of a movie (a title of
// 1024 x 1024 with a few large photos fits).
constexpr int kMaxBitmapSide = 8192;
constexpr qint64 kMaxBitmapPixelsTotal = 64 * 1024 * 1024;
// A JPEG picture: the scans read (progressive pictures have about ten), and
// the memory the decoder may take besides the picture itself.
constexpr int kMaxJpegScans = 100;
constexpr long kMaxJpegDecoderBytes = 256L * 1024 * 1024;
// The pictures scripts make (BitmapData) count against this limit too,
// all of one movie's live ones together.
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
// The characters of a field's text (HTML counted with its tags).
constexpr qsizetype kMaxFieldText = 1 << 16;
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
// elements a built-in makes or walks, values on the stack, live objects,
// and the bytes of everything scripts hold: strings, arrays and objects.
constexpr qint64 kMaxScriptWorkPerStep = 1000000;
constexpr int kMaxCallDepth = 256;
constexpr qsizetype kMaxStringLength = 1 << 22;
constexpr qint64 kMaxArrayLength = 1 << 20;
constexpr qsizetype kMaxStackValues = 1 << 16;
constexpr qsizetype kMaxScriptObjects = 1 << 20;
// Timers a movie may keep at once, and the calls they may make in one turn
// of the clock (a short interval that fell behind catches up no further).
constexpr int kMaxTimers = 1000;
constexpr int kMaxTimerCallsPerTurn = 1000;
constexpr qint64 kMaxScriptHeapBytes = qint64(128) << 20;
// Files scripts load beside the movie: how many may wait, how many are
// loaded in one step, and the largest text (XML, variables) in bytes.
constexpr qsizetype kMaxPendingLoads = 256;
constexpr qsizetype kMaxLoadsPerStep = 8;
constexpr qsizetype kMaxLoadedTextBytes = kMaxStringLength;

} // namespace movie::limits
