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

bool isSpace(QChar c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f' || c == u'\v'; }

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
    qint64 whole = std::isnan(n) ? 0 : static_cast<qint64>(std::clamp(n, -2147483648.0, 2147483647.0));
    if (whole == 0)
        return QStringLiteral("0");
    const bool negative = whole < 0;
    if (negative)
        whole = -whole;
    QString out;
    while (whole > 0) {
        const int d = static_cast<int>(whole % radix);
        out.prepend(QChar(d < 10 ? u'0' + d : u'a' + d - 10));
        whole /= radix;
    }
    if (negative)
        out.prepend(u'-');
    return out;
}

double parseDecimal(const QString& text, bool whole)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isSpace(text[i]))
        ++i;
    const qsizetype start = i;
    if (i < n && (text[i] == u'-' || text[i] == u'+'))
        ++i;
    const qsizetype digitsStart = i;
    while (i < n && isDigit(text[i]))
        ++i;
    if (i < n && text[i] == u'.') {
        ++i;
        while (i < n && isDigit(text[i]))
            ++i;
    }
    if (i == digitsStart || (i == digitsStart + 1 && text[digitsStart] == u'.'))
        return std::numeric_limits<double>::quiet_NaN();
    qsizetype end = i;
    if (i < n && (text[i] == u'e' || text[i] == u'E')) {
        qsizetype j = i + 1;
        if (j < n && (text[j] == u'-' || text[j] == u'+'))
            ++j;
        if (j < n && isDigit(text[j])) {
            while (j < n && isDigit(text[j]))
                ++j;
            end = j;
        } else {
            end = j; // "1e" and "1e+" read as 1
        }
    }
    if (whole && end != n)
        return std::numeric_limits<double>::quiet_NaN();
    QString number = text.mid(start, end - start);
    while (!number.isEmpty() && !isDigit(number.back()))
        number.chop(1); // a dangling exponent mark
    if (number.endsWith(u'.'))
        number.chop(1);
    bool ok = false;
    const double value = number.toDouble(&ok);
    if (ok)
        return value;
    // Out of range for the text reader: the sign decides the infinity.
    return number.startsWith(u'-') ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
}

double stringToNumber(const QString& text, int version)
{
    if (version >= 6 && text.size() >= 2 && text[0] == u'0') {
        if (text[1] == u'x' || text[1] == u'X') {
            // A sign may follow the prefix ("0x-10" is -16).
            quint32 value = 0;
            qsizetype start = 2;
            const bool negative = text.size() > 2 && text[2] == u'-';
            if (text.size() > 2 && (text[2] == u'-' || text[2] == u'+'))
                ++start;
            if (text.size() == start)
                return std::numeric_limits<double>::quiet_NaN();
            for (qsizetype i = start; i < text.size(); ++i) {
                const int d = QStringView(text).mid(i, 1).toInt(nullptr, 16);
                const QChar c = text[i];
                const bool hex = isDigit(c) || (c.toLower() >= u'a' && c.toLower() <= u'f');
                if (!hex)
                    return std::numeric_limits<double>::quiet_NaN();
                value = value * 16 + quint32(d);
            }
            return static_cast<qint32>(negative ? 0u - value : value);
        }
        bool octal = true;
        for (qsizetype i = 1; i < text.size() && octal; ++i)
            octal = text[i] >= u'0' && text[i] <= u'7';
        if (octal) {
            quint32 value = 0;
            for (qsizetype i = 1; i < text.size(); ++i)
                value = value * 8 + quint32(text[i].unicode() - u'0');
            return static_cast<qint32>(value);
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

qint32 toInt32(double n) { return static_cast<qint32>(toUint32(n)); }

quint32 toUint32(double n)
{
    if (!std::isfinite(n))
        return 0;
    const double m = std::fmod(std::trunc(n), 4294967296.0);
    return static_cast<quint32>(static_cast<qint64>(m < 0 ? m + 4294967296.0 : m));
}

} // namespace movie::avm1
