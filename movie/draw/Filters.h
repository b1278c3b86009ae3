#pragma once

#include <QColor>
#include <QImage>
#include <QMargins>
#include <array>
#include <vector>

namespace movie {

class SwfReader;

// A bitmap filter of a placed object or a button record, applied to the
// object's picture in the order the file lists them. Sizes are in stage
// pixels; the picture is filtered at the stage's scale.
struct Filter {
    // Numbered as the file numbers them.
    enum class Kind { DropShadow, Blur, Glow, Bevel, GradientGlow, Convolution, ColorMatrix, GradientBevel };
    Kind kind = Kind::Blur;
    QColor color;                   // shadow and glow colour; a bevel's shadow
    QColor highlight;               // a bevel's highlight
    std::vector<QColor> colors;     // gradient glow and bevel
    std::vector<double> ratios;     // 0..1, one a colour
    double blurX = 0, blurY = 0;    // stage pixels
    double angle = 0;               // radians
    double distance = 0;            // stage pixels
    double strength = 1;            // multiplies the filter's alpha
    int passes = 1;                 // quality: box blurs in a row
    bool inner = false;             // drawn inside the object's shape
    bool knockout = false;          // the object itself is cut out
    bool compositeSource = true;    // the object is drawn with its filter
    bool onTop = false;             // bevels: the bevel over the whole object
    std::array<float, 20> matrix{}; // colour matrix: four rows of five
    // Convolution: a kernel of columns x rows, divided, then the bias added.
    int columns = 0, rows = 0;
    std::vector<float> kernel;
    float divisor = 1, bias = 0;
    bool clamp = true, preserveAlpha = true;
};
using FilterList = std::vector<Filter>;

// Reads a filter list (its count first). A list that cannot be read to its
// end keeps the filters read before the damage.
FilterList readFilters(SwfReader& r);

// How far the filters draw beyond the object's picture, in device pixels
// at `scale` device pixels to a stage pixel.
QMargins filterMargins(const FilterList& filters, double scale);

// Filters `image` (premultiplied ARGB, with room for filterMargins around
// the object) in place.
void applyFilters(QImage& image, const FilterList& filters, double scale);

} // namespace movie
