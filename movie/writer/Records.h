#pragma once

#include "movie/writer/BitWriter.h"
#include "movie/writer/ShapeSpec.h"

// The records movie tags share, written by the movie writer.
namespace movie::writer {

void writeRect(BitWriter& w, const QRect& r);
void writeColor(BitWriter& w, const QColor& c, bool withAlpha);
void writeFill(BitWriter& w, const ShapeSpec::Fill& f, int version);
void writeLine(BitWriter& w, const ShapeSpec::Line& l, int version);
void writeStyles(BitWriter& w, const std::vector<ShapeSpec::Fill>& fills, const std::vector<ShapeSpec::Line>& lines,
                 int version);
// The bit counts and records of a shape, ending with the end record; the
// bit counts come from the shape's style arrays.
void writeShapeRecords(BitWriter& w, const ShapeSpec& shape, int version);

} // namespace movie::writer
