#include "movie/avm1/NumberText.h"

#include <cmath>
#include <limits>

namespace movie::avm1 {

namespace {

// value * 10^exp by repeated squaring, multiplying or dividing as the player
// does, so that the digits come out with the player's rounding.
double decimalShift(double value, int exp)
{
    double base = 10;
    const bool up = exp > 0;
    unsigned int e = up ? unsigned(exp) : unsigned(-qint64(exp));
    while (e > 0) {
        if (e & 1)
            value = up ? value * base : value / base;
        e >>= 1;
        base *= base;
    }
    return value;
}

bool isDigit(QChar c) { return c >= u'0' && c <= u'9'; }

} // namespace

QString numberToString(double n)
{
    if (std::isnan(n))
        return QStringLiteral("NaN");
    if (std::isinf(n))
        return n > 0 ? QStringLiteral("Infinity") : QStringLiteral("-Infinity");
    if (n == 0)
        return QStringLiteral("0");
    if (n >= -2147483648.0 && n <= 2147483647.0 && n == std::floor(n))
        return QString::number(static_cast<qint32>(n));

    const bool negative = n < 0;
    n = std::fabs(n);
    // The decimal exponent from the binary one, then the value shifted into
    // [1, 10) and read digit by digit, fifteen and one more for rounding.
    int exp = static_cast<int>(std::lround(std::ilogb(n) * 0.301029995663981));
    double mantissa = decimalShift(n, -exp);
    if (static_cast<int>(mantissa) == 0)
        mantissa = decimalShift(n, -(--exp));
    if (static_cast<int>(mantissa) >= 10)
        mantissa = decimalShift(n, -(++exp));
    constexpr int kDigits = 15;
    int digits[kDigits + 1];
    for (int& d : digits) {
        d = std::clamp(static_cast<int>(mantissa), 0, 9);
        mantissa = (mantissa - d) * 10;
    }
    const bool exponentForm = exp >= 15 || exp < -5;
    if (digits[kDigits] >= 5) {
        int i = kDigits - 1;
        while (i >= 0 && digits[i] == 9)
            digits[i--] = 0;
        if (i >= 0) {
            ++digits[i];
        } else {
            digits[0] = 1; // 9.99... became 10
            ++exp;
        }
    }
    int count = kDigits;
    while (count > 1 && digits[count - 1] == 0)
        --count;

    QString out;
    if (negative)
        out += u'-';
    auto digit = [&](int i) { return QChar(u'0' + (i < count ? digits[i] : 0)); };
    if (exponentForm) {
        out += digit(0);
        if (count > 1) {
            out += u'.';
            for (int i = 1; i < count; ++i)
                out += digit(i);
        }
        out += u'e';
        out += exp >= 0 ? u'+' : u'-';
        out += QString::number(std::abs(exp));
    } else if (exp >= 0) {
        for (int i = 0; i <= exp; ++i)
            out += digit(i);
        if (count > exp + 1) {
            out += u'.';
            for (int i = exp + 1; i < count; ++i)
                out += digit(i);
        }
    } else {
        out += QStringLiteral("0.");
        for (int i = 1; i < -exp; ++i)
            out += u'0';
        for (int i = 0; i < count; ++i)
            out += digit(i);
    }
    return out;
}

QString numberToRadix(double n, int radix)
{
    if (radix == 10)
        return numberToString(n);
    // NaN and numbers out of the 32-bit range become its least value, which
    // stays negative when negated: its digits then come out as the
    // characters before '0', as the player prints them.
    qint32 whole = n >= -2147483648.0 && n <= 2147483647.0 ? static_cast<qint32>(n) : INT32_MIN;
    if (whole == 0)
        return QStringLiteral("0");
    const bool negative = whole < 0;
    if (negative)
        whole = static_cast<qint32>(0u - static_cast<quint32>(whole));
    QString out;
    while (whole != 0) {
        const int d = whole % radix;
        whole /= radix;
        out.prepend(QChar(char16_t(d < 10 ? u'0' + d : u'a' + d - 10)));
    }
    if (negative)
        out.prepend(u'-');
    return out;
}

double parseDecimal(const QString& text, bool whole)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && text[i].isSpace())
        ++i;
    bool negative = false;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        negative = text[i++] == u'-';
    const qsizetype digitsStart = i;
    while (i < n && isDigit(text[i]))
        ++i;
    qint32 exp = static_cast<qint32>(i - digitsStart) - 1;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i;
    }
    if (i == digitsStart)
        return nan;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (text[i] == u'-' || text[i] == u'+'))
            negativeExponent = text[i++] == u'-';
        quint32 exponent = 0; // wraps as the player's does
        while (i < n && isDigit(text[i]))
            exponent = exponent * 10 + quint32(text[i++].unicode() - u'0');
        exp = static_cast<qint32>(quint32(exp) + (negativeExponent ? 0u - exponent : exponent));
    }
    if (whole && i != n)
        return nan;
    // The player adds the digits up one by one, each shifted to its place,
    // and reads on over further dots: "1.2.3" is 1.23.
    double result = 0;
    for (qsizetype k = digitsStart; k < n; ++k) {
        if (isDigit(text[k])) {
            result += decimalShift(text[k].unicode() - u'0', exp);
            exp = static_cast<qint32>(quint32(exp) - 1u);
        } else if (text[k] != u'.') {
            break;
        }
    }
    return negative ? -result : result;
}

namespace {

// A signed integer in the given radix, wrapping to 32 bits; NaN unless the
// whole text is digits after an optional sign.
double wrappingInteger(QStringView text, int radix)
{
    bool negative = false;
    if (!text.isEmpty() && (text[0] == u'-' || text[0] == u'+')) {
        negative = text[0] == u'-';
        text = text.mid(1);
    }
    if (text.isEmpty())
        return std::numeric_limits<double>::quiet_NaN();
    quint32 value = 0;
    for (const QChar c : text) {
        const QChar lower = c.toLower();
        const int d = isDigit(c)               ? c.unicode() - u'0'
            : (lower >= u'a' && lower <= u'z') ? lower.unicode() - u'a' + 10
                                               : 99;
        if (d >= radix)
            return std::numeric_limits<double>::quiet_NaN();
        value = value * quint32(radix) + quint32(d);
    }
    return static_cast<qint32>(negative ? 0u - value : value);
}

} // namespace

double stringToNumber(const QString& text, int version)
{
    if (version >= 6) {
        // "0x1F" is hexadecimal and "017" octal, after an optional sign; the
        // player drops the first two characters of a hexadecimal text, sign
        // or not, so "-0x1F" is no number.
        QStringView rest(text);
        if (!rest.isEmpty() && (rest[0] == u'-' || rest[0] == u'+'))
            rest = rest.mid(1);
        if (rest.size() >= 2 && rest[0] == u'0') {
            if (rest[1] == u'x' || rest[1] == u'X')
                return wrappingInteger(QStringView(text).mid(2), 16);
            bool octal = true;
            for (qsizetype i = 1; i < rest.size() && octal; ++i)
                octal = rest[i] >= u'0' && rest[i] <= u'7';
            if (octal)
                return wrappingInteger(text, 8);
        }
    }
    if (version <= 4) {
        const double value = parseDecimal(text, false);
        return std::isnan(value) ? 0 : value;
    }
    return parseDecimal(text, true);
}

double parseInteger(const QString& text, int radix)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    if (radix != 0 && (radix < 2 || radix > 36))
        return nan;
    QStringView s(text);
    const bool signFirst = !s.isEmpty() && (s[0] == u'-' || s[0] == u'+');
    const qsizetype at = signFirst ? 1 : 0;
    const bool zero = s.size() > at && s[at] == u'0';
    const bool hex = zero && s.size() > at + 1 && (s[at + 1] == u'x' || s[at + 1] == u'X');
    bool ignoreSign = false;
    if (hex) {
        // The player takes "0x" before a sign or spaces only, and refuses
        // a signed hexadecimal number unless the radix reads "0x" as digits.
        if (signFirst) {
            if (radix <= 33)
                return nan;
            ignoreSign = true;
        } else {
            s = s.mid(2);
            if (radix == 0)
                radix = 16;
        }
    } else if (zero && radix == 0) {
        bool octal = true;
        for (qsizetype i = 1; i < s.size() && octal; ++i)
            octal = s[i] >= u'0' && s[i] <= u'7';
        if (octal)
            radix = 8;
    }
    if (radix == 0)
        radix = 10;
    while (!s.isEmpty() && (s[0] == u' ' || s[0] == u'\t' || s[0] == u'\n' || s[0] == u'\r'))
        s = s.mid(1);
    double sign = 1;
    if (!s.isEmpty() && (s[0] == u'-' || s[0] == u'+')) {
        if (s[0] == u'-' && !ignoreSign)
            sign = -1;
        s = s.mid(1);
    }
    double result = 0;
    bool any = false;
    for (const QChar c : s) {
        int d = 99;
        if (isDigit(c))
            d = c.unicode() - u'0';
        else if (c.toLower() >= u'a' && c.toLower() <= u'z')
            d = c.toLower().unicode() - u'a' + 10;
        if (d >= radix)
            break;
        result = result * radix + d;
        any = true;
    }
    return any ? std::copysign(result, sign) : nan;
}

qint32 levelNumber(QStringView digits)
{
    const bool negative = digits.startsWith(u'-');
    if (negative)
        digits = digits.mid(1);
    quint32 n = 0;
    for (const QChar c : digits) {
        if (!isDigit(c))
            break;
        n = n * 10 + quint32(c.unicode() - u'0');
    }
    return static_cast<qint32>(negative ? 0u - n : n);
}

qint32 toInt32(double n) { return static_cast<qint32>(toUint32(n)); }

quint32 toUint32(double n)
{
    if (!std::isfinite(n))
        return 0;
    const double m = std::fmod(std::trunc(n), 4294967296.0);
    return static_cast<quint32>(static_cast<qint64>(m < 0 ? m + 4294967296.0 : m));
}

} // namespace movie::avm1
