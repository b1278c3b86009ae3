#pragma once

#include <QByteArray>

// A 700 x 380 title as intros with embedded lettering are made: two fonts
// of a few thousand glyphs each (Cyrillic and CJK codes, curved outlines
// with a counter), of which a static text and a text field show a few
// dozen. `glyphBytes` takes the size of the two font definitions.
QByteArray fontTitle(qsizetype* glyphBytes);

// A 1000 x 710 intro tinted as a whole by a colour-matrix filter on the
// sprite that holds it: a gradient ground, and curved shapes that move and
// turn in every frame, so that the tinted picture is made anew each frame.
QByteArray tintedIntro();
