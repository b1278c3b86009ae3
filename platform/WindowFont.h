#pragma once

#include <QFont>

// The classic window font, MS Sans Serif at 11 pixels, of both windows and
// the program's dialogs. Where that face is missing, the first installed of
// the nearest faces of about its width stands in, so that every caption fits
// its control; the two windows then share one face instead of loading one
// each.
QFont windowFont();
