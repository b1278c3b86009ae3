#pragma once

#include <QString>

namespace movie::avm1 {

// Numbers as scripts write and read them.

// Fifteen significant digits; exponent form from 1e15 up and below 1e-5
// ("1e+21", "9.99e-6"); "NaN", "Infinity", "-Infinity"; -0 as "0".
QString numberToString(double n);
// Number.prototype.toString with a radix from 2 to 36: integers only, as
// the player does, with a minus sign before negative ones.
QString numberToRadix(double n, int radix);

// A decimal number after optional white space: sign, digits, a dot and
// more digits, an exponent. With `whole`, anything after the number makes
// NaN; without, the number at the start counts (NaN when there is none).
double parseDecimal(const QString& text, bool whole);
// A string's number in the given file version: from version 6 on "0x1F"
// is hexadecimal and "017" octal (as 32-bit integers); version 4 and
// earlier read the number at the start and give 0 for none.
double stringToNumber(const QString& text, int version);
// parseInt(text, radix); radix 0 guesses it from the text.
double parseInteger(const QString& text, int radix);

// The number of a "_levelN" name: the digits after an optional minus sign,
// up to the first other character, wrapping at 32 bits ("_level2x" is 2).
qint32 levelNumber(QStringView digits);

// ECMAScript ToInt32 and ToUint32: modulo 2^32, NaN and infinities 0.
qint32 toInt32(double n);
quint32 toUint32(double n);

} // namespace movie::avm1
