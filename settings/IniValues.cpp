#include "settings/IniValues.h"

#include "settings/IniFile.h"

#include <limits>

namespace {

int digitValue(QChar c, int base)
{
    const char16_t u = c.unicode();
    int digit = base; // not a digit
    if (u >= '0' && u <= '9')
        digit = u - '0';
    else if (u >= 'a' && u <= 'f')
        digit = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        digit = u - 'A' + 10;
    return digit < base ? digit : -1;
}

// The length of a hexadecimal prefix at the start of `text`, or 0.
qsizetype hexPrefixLength(QStringView text)
{
    if (text.startsWith(u'$') || text.startsWith(u'x') || text.startsWith(u'X'))
        return 1;
    if (text.startsWith(u"0x") || text.startsWith(u"0X"))
        return 2;
    return 0;
}

} // namespace

namespace IniValues {

std::optional<std::int32_t> parseInteger(QStringView text)
{
    while (!text.isEmpty() && (text.front() == u' ' || text.front() == u'\t'))
        text = text.sliced(1);
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'-' || text.front() == u'+')) {
        negative = text.front() == u'-';
        text = text.sliced(1);
    }
    const qsizetype prefix = hexPrefixLength(text);
    const int base = prefix > 0 ? 16 : 10;
    text = text.sliced(prefix);
    if (text.isEmpty())
        return std::nullopt;

    // Hexadecimal may fill all 32 bits; decimal stops at the signed range,
    // whose negative end is one further.
    const std::uint64_t limit =
        base == 16 ? 0xFFFFFFFFu : std::uint64_t(std::numeric_limits<std::int32_t>::max()) + (negative ? 1 : 0);
    std::uint64_t magnitude = 0;
    for (const QChar c : text) {
        const int digit = digitValue(c, base);
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    const auto bits = static_cast<std::uint32_t>(magnitude);
    return static_cast<std::int32_t>(negative ? 0u - bits : bits);
}

int readInteger(const IniFile::Snapshot& file, const QString& section, const QString& key, int defaultValue)
{
    return parseInteger(file.readString(section, key, QString())).value_or(defaultValue);
}

bool readBool(const IniFile::Snapshot& file, const QString& section, const QString& key, bool defaultValue)
{
    return readInteger(file, section, key, defaultValue ? 1 : 0) != 0;
}

void writeInteger(IniFile::Batch& file, const QString& section, const QString& key, int value)
{
    file.writeString(section, key, QString::number(value));
}

void writeBool(IniFile::Batch& file, const QString& section, const QString& key, bool value)
{
    file.writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

} // namespace IniValues
