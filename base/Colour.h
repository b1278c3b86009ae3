#pragma once

#include <QColor>
#include <cstdint>

// A colour as the skin stores it: red in the low byte, green in the next and
// blue in the third, or a system colour with the top bit set (its low byte is
// the system-colour index). Kept as this value, not as a QColor, so that a
// system colour is written back as the same identifier.
using TColor = std::uint32_t;

namespace Colours {
constexpr TColor Black = 0x00000000;
constexpr TColor Olive = 0x00008080;
constexpr TColor White = 0x00FFFFFF;
constexpr TColor MoneyGreen = 0x00C0DCC0;
constexpr TColor Cream = 0x00F0FBFF;
constexpr TColor GridDefault = 0x00666666;
constexpr TColor FormFace = 0x00C8D0D4;
constexpr TColor BtnFace = 0x8000000F;
constexpr TColor BtnText = 0x80000012;
constexpr TColor Window = 0x80000005;
constexpr TColor WindowText = 0x80000008;
} // namespace Colours

// The colour to draw for a stored colour. System colours take this
// platform's palette colour for the matching Windows system-colour index.
QColor displayColour(TColor colour);

// The stored value of a plain RGB colour.
TColor fromQColor(const QColor& colour);
